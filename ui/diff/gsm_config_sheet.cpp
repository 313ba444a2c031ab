#include "ui/diff/gsm_config_sheet.h"

#include "resources/resource_ids.h"

namespace zentrix::ui {

CGsmSettingsPage::CGsmSettingsPage(GsmSettings& settings)
    : CPropertyPage(IDD_GSM_SETTINGS), settings_(settings) {}

CGsmConfigSheet::CGsmConfigSheet(receiver::ReceiverInterface* receiver, WideStringView caption,
                                 int dialMode, framework::CWnd* parent)
    : CPropertySheet(caption, parent), receiver_(receiver), dialMode_(dialMode), page_(settings_) {
    AddPage(&page_);
}

}  // namespace zentrix::ui
