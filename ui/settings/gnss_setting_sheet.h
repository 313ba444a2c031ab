// The GNSS settings sheet: one page, opened from the main menu with an empty caption.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"
#include "ui/settings/gnss_page.h"

namespace zentrix::ui {

class CGnssSettingSheet : public framework::CPropertySheet {
  public:
    /// `receiver` (either receiver kind) is not owned. `deviceModel` is the handheld's
    /// `DeviceModel`; `modelCode` its model code as platform::readModelCode() gives it.
    CGnssSettingSheet(receiver::ReceiverInterface* receiver, uint32_t deviceModel,
                      std::optional<std::string> modelCode, framework::CWnd* parent = nullptr);

    CGnssPage& gnssPage() { return page_; }

  private:
    CGnssPage page_;
};

}  // namespace zentrix::ui
