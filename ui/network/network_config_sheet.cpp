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
    settings_.networkProtocol = networkProtocol == 0 ? 0 : 1;
    settings_.externalGps = externalGps;
    AddPage(&modePage_);
    if (externalGps)
        AddPage(&gprsPage_);
    showProtocol(settings_.networkProtocol);
}

void CNetworkConfigSheet::showProtocol(int protocol) {
    protocol = protocol == 0 ? 0 : 1;
    framework::CPropertyPage* wanted =
        protocol == 0 ? static_cast<framework::CPropertyPage*>(&directIpPage_) : &ntripPage_;
    framework::CPropertyPage* other =
        protocol == 0 ? static_cast<framework::CPropertyPage*>(&ntripPage_) : &directIpPage_;
    // Added first, so that the sheet never runs out of pages while the other one goes.
    if (GetPageIndex(wanted) < 0)
        AddPage(wanted);
    if (GetPageIndex(other) >= 0)
        RemovePage(other);
    settings_.networkProtocol = protocol;
}

}  // namespace zentrix::ui
