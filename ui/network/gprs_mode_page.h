// The sheet's first page: direct IP or NTRIP, and whether the receiver resends the corrections
// it receives over its radio.
#pragma once

#include <cstdint>

#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"
#include "ui/network/network_settings.h"

namespace zentrix::ui {

/// Reads the receiver's bridge setting when its window is made; a mode click changes the
/// sheet's last page at once (through the CNetworkConfigSheet it belongs to). Sends nothing:
/// the caller sends the bridge setting after OK, and only when `resendKnown()` or
/// `resendChanged()`, so that a setting the page could not read is never overwritten with the
/// box's default. User-interface thread.
class CGprsModePage : public framework::CPropertyPage {
  public:
    /// `receiver` is not owned.
    CGprsModePage(receiver::ReceiverInterface* receiver, NetworkSettings& settings);

    bool OnInitDialog() override;
    void OnOK() override;

    /// "Direct IP" and "NTRIP": switch the sheet's last page unless the mode is chosen already.
    void OnDirectIp();
    void OnNtrip();

    /// Resend the corrections over the radio: as read at opening (0 when the read failed), as
    /// checked after OK.
    uint8_t resendViaRadio() const { return resendViaRadio_; }
    /// Whether the receiver answered the bridge query at opening.
    bool resendKnown() const { return resendKnown_; }
    /// Whether OK found the box in another state than the page opened with (an Apply before
    /// OK does not hide a change).
    bool resendChanged() const { return resendChanged_; }

  private:
    void chooseProtocol(int protocol);

    receiver::ReceiverInterface* receiver_;
    NetworkSettings& settings_;
    uint8_t resendViaRadio_ = 0;
    uint8_t resendAtOpening_ = 0;
    bool resendKnown_ = false;
    bool resendChanged_ = false;
};

}  // namespace zentrix::ui
