// The "UHF Radio Settings" sheet: which radio sits on which receiver port at which speed, and
// its channel, air link speed, protocol, sensitivity and power. The receiver board drives the
// radio; the pages tell it how.
#pragma once

#include <cstdint>

#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"

namespace zentrix::ui {

using platform::WideString;
using platform::WideStringView;

/// The sheet's current radio settings, shared by its two pages.
struct UhfRadioSettings {
    bool externalGps = false;
    int32_t radioType = 0;
    int32_t channel = 0;
    int32_t airSpeed = 0;
    int32_t sensitivity = 0;
    int32_t protocol = 0;
    int32_t powerControl = 0;
};

class CUhfConfigSheet : public framework::CPropertySheet {
  public:
    /// `receiver` is not owned.
    CUhfConfigSheet(receiver::ReceiverInterface* receiver, bool externalGps, WideStringView caption,
                    framework::CWnd* parent = nullptr);

    UhfRadioSettings& settings() { return settings_; }

  private:
    receiver::ReceiverInterface* receiver_;
    UhfRadioSettings settings_;
};

}  // namespace zentrix::ui
