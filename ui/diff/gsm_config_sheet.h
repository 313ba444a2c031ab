// The "GSM Modem Settings" sheet: the number the receiver's modem dials for a data call and,
// for an external unit, the SIM PIN; numbers used before are kept in "gsm_data.txt".
#pragma once

#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"
#include "ui/diff/profiles/profile_field_store.h"

namespace zentrix::ui {

using platform::WideString;
using platform::WideStringView;

struct GsmSettings {
    WideString pin;
    WideString phoneNumber;
    bool pinShown = false;  ///< the PIN box is shown (an external unit)
};

/// Holds "gsm_data.txt" from its construction to its destruction (the sheet's life) and writes
/// it then, also after Cancel; OK adds the number (with its PIN) to it. User-interface thread.
class CGsmSettingsPage : public framework::CPropertyPage {
  public:
    /// The most the modem's dial command (and the file's field) carries.
    static constexpr int kNumberChars = 20;
    static constexpr int kPinChars = 8;

    explicit CGsmSettingsPage(GsmSettings& settings);

    bool OnInitDialog() override;
    void OnOK() override;

    /// The number list closed: the PIN stored with the chosen number.
    void OnNumberCloseUp();

    const diff::GsmProfileStore& store() const { return store_; }

  private:
    GsmSettings& settings_;
    diff::GsmProfileStore store_;
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
