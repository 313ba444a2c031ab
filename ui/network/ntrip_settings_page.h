// The NTRIP caster, login and mount point, with named profiles ("ntrip_data.txt") and
// "Browse...", which fetches the caster's source table through the receiver.
#pragma once

#include <cstddef>

#include "framework/controls.h"
#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"
#include "ui/diff/profiles/profile_list.h"
#include "ui/network/network_settings.h"

namespace zentrix::ui {

/// The sheet's last page in NTRIP mode. Reads its profiles when its window is made and writes
/// them back only at OK; "Browse..." is the one time the page talks to the receiver, and it
/// puts the receiver's caster settings back afterwards. User-interface thread.
class CNtripSettingsPage : public framework::CPropertyPage {
  public:
    // What the profile file and the receiver's NTRIP client hold of each field.
    static constexpr size_t kNameChars = decltype(diff::NtripProfile::name)::kWidth;
    static constexpr size_t kHostChars = decltype(diff::NtripProfile::host)::kWidth;
    static constexpr size_t kLoginChars = decltype(diff::NtripProfile::login)::kWidth;
    static constexpr size_t kPasswordChars = decltype(diff::NtripProfile::password)::kWidth;
    static constexpr size_t kMountPointChars = decltype(diff::NtripProfile::mountPoint)::kWidth;

    /// Neither `receiver` nor `settings` is owned; `settings` is read when the window is made
    /// and written at OK.
    CNtripSettingsPage(receiver::ReceiverInterface* receiver, NetworkSettings& settings);

    bool OnInitDialog() override;
    /// The shown values into the settings, the profile under the typed name, the file saved.
    void OnOK() override;

    /// The name list closed (or an entry was chosen): the fields from the selected profile.
    void OnNameChosen();
    /// The name typed over: "Del" no longer stands for the selected entry.
    void OnNameEdited();
    /// "Del": the selected profile, only while the name shows it unchanged.
    void OnDelete();
    /// "Browse...": the caster's source table, a station picked from it into "Station:".
    void OnBrowse();

    const diff::NtripProfileList& profiles() const { return profiles_; }

  private:
    framework::CComboBox* nameList() const;
    /// The text of control `id`, cut to `width` characters.
    WideString fieldText(framework::UINT id, size_t width) const;
    void showProfile(size_t index);
    void clearFields();

    receiver::ReceiverInterface* receiver_;
    NetworkSettings& settings_;
    diff::NtripProfileList profiles_;
};

}  // namespace zentrix::ui
