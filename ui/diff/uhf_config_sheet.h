// The "UHF Radio Settings" sheet: which radio sits on which receiver port at which speed, and
// its channel, air link speed, protocol, sensitivity and power. The receiver board drives the
// radio; the pages tell it how.
#pragma once

#include <cstdint>

#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"
#include "ui/diff/uhf_radio_settings.h"
#include "ui/diff/uhf_settings_page.h"
#include "ui/diff/uhf_type_page.h"

namespace zentrix::ui {

using platform::WideString;
using platform::WideStringView;

/// Pages "Radio" (type and port speed; finds the fitted radio as the sheet opens) and
/// "Settings". What the pages send reaches the receiver when they are left or confirmed, so
/// Cancel does not undo it. User-interface thread.
class CUhfConfigSheet : public framework::CPropertySheet {
  public:
    /// `receiver` is not owned; `externalGps` says the receiver is an external unit, which
    /// decides the radio's port and lists Kavendra.
    CUhfConfigSheet(receiver::ReceiverInterface* receiver, bool externalGps, WideStringView caption,
                    framework::CWnd* parent = nullptr);

    UhfRadioSettings& settings() { return settings_; }

    CUhfTypePage& typePage() { return typePage_; }
    CUhfSettingsPage& settingsPage() { return settingsPage_; }

  private:
    receiver::ReceiverInterface* receiver_;
    UhfRadioSettings settings_;
    CUhfTypePage typePage_;
    CUhfSettingsPage settingsPage_;
};

}  // namespace zentrix::ui
