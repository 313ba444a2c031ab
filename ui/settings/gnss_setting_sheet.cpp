#include "ui/settings/gnss_setting_sheet.h"

#include <utility>

namespace zentrix::ui {

CGnssSettingSheet::CGnssSettingSheet(receiver::ReceiverInterface* receiver, uint32_t deviceModel,
                                     std::optional<std::string> modelCode, framework::CWnd* parent)
    : CPropertySheet(platform::WideStringView(), parent),
      page_(receiver, deviceModel, std::move(modelCode)) {
    AddPage(&page_);
}

}  // namespace zentrix::ui
