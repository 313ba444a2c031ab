// The host and port the receiver's modem takes a plain TCP correction stream from, with named
// profiles ("dip_data.txt").
#pragma once

#include "framework/property_sheet.h"
#include "ui/diff/profiles/profile_list.h"
#include "ui/network/network_settings.h"

namespace zentrix::ui {

/// The sheet's last page in direct IP mode. Reads its profiles when its window is made and
/// writes them only at OK (deletions included); Cancel leaves the file as it was. The name
/// list is never sorted, so an entry's index is its profile's. Sends nothing to the receiver.
/// User-interface thread.
class CDirectIpSettingsPage : public framework::CPropertyPage {
  public:
    explicit CDirectIpSettingsPage(NetworkSettings& settings);

    bool OnInitDialog() override;
    void OnOK() override;

    /// The name list closed on an entry: its host and port.
    void OnNameCloseUp();
    /// The name typed over: "Del" no longer stands for the selected entry.
    void OnNameEdited();
    /// "Del": the selected profile, only while the name box shows exactly its name.
    void OnDelete();

    const diff::DirectIpProfileList& profiles() const { return profiles_; }

  private:
    void showProfile(int index);

    NetworkSettings& settings_;
    diff::DirectIpProfileList profiles_;
};

}  // namespace zentrix::ui
