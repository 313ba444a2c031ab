// The modem's packet-data access (access point, login, password, PIN) for an external unit,
// with the access points used before.
#pragma once

#include "framework/property_sheet.h"
#include "ui/diff/profiles/profile_field_store.h"
#include "ui/network/network_settings.h"

namespace zentrix::ui {

/// Holds "gprs_data.txt" open from its construction to its destruction (the sheet's life) and
/// writes it then, also after Cancel; OK adds the typed access point to it. Leaving the page
/// already hands its values to the sheet, which later pages and the caller read. User-interface
/// thread.
class CGprsSettingsPage : public framework::CPropertyPage {
  public:
    explicit CGprsSettingsPage(NetworkSettings& settings);

    bool OnInitDialog() override;
    bool OnKillActive() override;
    void OnOK() override;

    /// The access-point list closed: the PIN, login and password stored with the chosen entry.
    void OnApnCloseUp();

    const diff::GprsProfileStore& store() const { return store_; }

  private:
    void copyToSettings();

    NetworkSettings& settings_;
    diff::GprsProfileStore store_;
};

}  // namespace zentrix::ui
