#include "ui/network/network_config_sheet.h"

namespace zentrix::ui {

CNetworkConfigSheet::CNetworkConfigSheet(receiver::ReceiverInterface* receiver, int networkProtocol,
                                         bool externalGps, WideStringView caption,
                                         framework::CWnd* parent)
    : CPropertySheet(caption, parent),
      receiver_(receiver),
      modePage_(receiver, settings_),
      gprsPage_(settings_),
      directIpPage_(settings_),
      ntripPage_(receiver, settings_) {
    settings_.networkProtocol = networkProtocol;
    settings_.externalGps = externalGps;
}

}  // namespace zentrix::ui
