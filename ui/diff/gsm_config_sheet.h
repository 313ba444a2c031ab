// The "GSM Modem Settings" sheet: the number the receiver's modem dials for a data call and,
// for an external unit, the SIM PIN; numbers used before are kept in "gsm_data.txt".
#pragma once

#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"

namespace zentrix::ui {

using platform::WideString;
using platform::WideStringView;

struct GsmSettings {
    WideString pin;
    WideString phoneNumber;
    bool pinShown = false;  ///< the PIN box is shown (an external unit)
};

class CGsmSettingsPage : public framework::CPropertyPage {
  public:
    explicit CGsmSettingsPage(GsmSettings& settings);

  private:
    GsmSettings& settings_;
};

class CGsmConfigSheet : public framework::CPropertySheet {
  public:
    /// `receiver` is not owned; `dialMode` 1 (the rover dials) is the only one used.
    CGsmConfigSheet(receiver::ReceiverInterface* receiver, WideStringView caption, int dialMode = 1,
                    framework::CWnd* parent = nullptr);

    /// Preset before DoModal; read back after OK.
    GsmSettings& settings() { return settings_; }

  private:
    receiver::ReceiverInterface* receiver_;
    int dialMode_;
    GsmSettings settings_;
    CGsmSettingsPage page_;
};

}  // namespace zentrix::ui
