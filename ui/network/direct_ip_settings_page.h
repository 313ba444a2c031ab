// The host and port the receiver's modem takes a plain TCP correction stream from, with named
// profiles ("dip_data.txt").
#pragma once

#include "framework/property_sheet.h"
#include "ui/network/network_settings.h"

namespace zentrix::ui {

class CDirectIpSettingsPage : public framework::CPropertyPage {
  public:
    explicit CDirectIpSettingsPage(NetworkSettings& settings);

  private:
    NetworkSettings& settings_;
};

}  // namespace zentrix::ui
