// The "Network Settings" sheet: how the receiver's modem fetches corrections over the mobile
// network (a plain TCP host or an NTRIP caster), the modem's packet-data access for an external
// unit, the caster and mount point, and whether the rover position goes back to the network.
// The sheet connects nothing; the caller brings the link up after OK.
#pragma once

#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"
#include "ui/network/direct_ip_settings_page.h"
#include "ui/network/gprs_mode_page.h"
#include "ui/network/gprs_settings_page.h"
#include "ui/network/network_settings.h"
#include "ui/network/ntrip_settings_page.h"

namespace zentrix::ui {

/// Pages: "Mode", then "GPRS" for an external unit, then "Direct IP" (protocol 0) or "NTRIP"
/// (protocol 1); the mode page swaps the last one while the sheet is open. User-interface
/// thread.
class CNetworkConfigSheet : public framework::CPropertySheet {
  public:
    /// `receiver` is not owned. The caller presets `settings()` before DoModal and reads it
    /// back after OK; `networkProtocol` and `externalGps` are the constructor's (a protocol other
    /// than 0 counts as NTRIP) and stay as the sheet has them.
    CNetworkConfigSheet(receiver::ReceiverInterface* receiver, int networkProtocol,
                        bool externalGps, WideStringView caption,
                        framework::CWnd* parent = nullptr);

    NetworkSettings& settings() { return settings_; }

    /// Makes `protocol`'s page (0 direct IP, else NTRIP) the last one, the other one leaving the
    /// sheet with whatever was typed on it, and sets networkProtocol.
    void showProtocol(int protocol);

    CGprsModePage& modePage() { return modePage_; }
    CGprsSettingsPage& gprsPage() { return gprsPage_; }
    CDirectIpSettingsPage& directIpPage() { return directIpPage_; }
    CNtripSettingsPage& ntripPage() { return ntripPage_; }

  private:
    receiver::ReceiverInterface* receiver_;
    NetworkSettings settings_;
    // All four exist for the sheet's life; the mode decides which are in it.
    CGprsModePage modePage_;
    CGprsSettingsPage gprsPage_;
    CDirectIpSettingsPage directIpPage_;
    CNtripSettingsPage ntripPage_;
};

}  // namespace zentrix::ui
