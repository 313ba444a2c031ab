// "Dialing...": watches the receiver's modem once a second while it dials, until the call is
// up, has failed, or the user hangs up.
#pragma once

#include <cstdint>

#include "framework/dialog.h"
#include "receiver/commands/receiver_interface.h"

namespace zentrix::ui {

using platform::WideString;
using platform::WideStringView;

class CDialingDialog : public framework::CDialog {
  public:
    /// `receiver` is not owned.
    explicit CDialingDialog(receiver::ReceiverInterface* receiver,
                            framework::CWnd* parent = nullptr);

    void setNumber(WideStringView number) { number_ = WideString(number); }
    /// The modem state last seen: 5 (ONLINE) means the call is up.
    uint32_t lastState() const { return lastState_; }

  private:
    receiver::ReceiverInterface* receiver_;
    WideString number_;
    uint32_t lastState_ = 4;  // DIALING
};

}  // namespace zentrix::ui
