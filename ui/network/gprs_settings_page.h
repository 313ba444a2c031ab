// The modem's packet-data access (access point, login, password, PIN) for an external unit,
// with the access points used before.
#pragma once

#include "framework/property_sheet.h"
#include "ui/network/network_settings.h"

namespace zentrix::ui {

class CGprsSettingsPage : public framework::CPropertyPage {
  public:
    explicit CGprsSettingsPage(NetworkSettings& settings);

  private:
    NetworkSettings& settings_;
};

}  // namespace zentrix::ui
