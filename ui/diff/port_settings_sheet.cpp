#include "ui/diff/port_settings_sheet.h"

#include "resources/resource_ids.h"

namespace zentrix::ui {

CPortSettingsPage::CPortSettingsPage(PortSettings& settings)
    : CPropertyPage(IDD_PORT_SETTINGS), settings_(settings) {}

COtherConfigSheet::COtherConfigSheet(receiver::ReceiverInterface* receiver,
                                     framework::UINT captionId, int flag, framework::CWnd* parent)
    : CPropertySheet(captionId, parent), receiver_(receiver), flag_(flag), page_(settings_) {
    AddPage(&page_);
}

}  // namespace zentrix::ui
