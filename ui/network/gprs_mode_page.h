// The sheet's first page: direct IP or NTRIP, and whether the receiver resends the corrections
// it receives over its radio.
#pragma once

#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"
#include "ui/network/network_settings.h"

namespace zentrix::ui {

class CGprsModePage : public framework::CPropertyPage {
  public:
    CGprsModePage(receiver::ReceiverInterface* receiver, NetworkSettings& settings);

  private:
    receiver::ReceiverInterface* receiver_;
    NetworkSettings& settings_;
};

}  // namespace zentrix::ui
