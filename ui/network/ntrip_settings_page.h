// The NTRIP caster, login and mount point, with named profiles ("ntrip_data.txt") and
// "Browse...", which fetches the caster's source table through the receiver.
#pragma once

#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"
#include "ui/network/network_settings.h"

namespace zentrix::ui {

class CNtripSettingsPage : public framework::CPropertyPage {
  public:
    CNtripSettingsPage(receiver::ReceiverInterface* receiver, NetworkSettings& settings);

  private:
    receiver::ReceiverInterface* receiver_;
    NetworkSettings& settings_;
};

}  // namespace zentrix::ui
