// "Dialing...": watches the receiver's modem once a second while it dials, until the call is
// up, has failed, or the user hangs up.
#pragma once

#include <cstdint>

#include "framework/dialog.h"
#include "receiver/commands/receiver_interface.h"

namespace zentrix::ui {

using platform::WideString;
using platform::WideStringView;

/// Ends by itself when the modem reports ONLINE (5) or leaves the dialling states (NONE, OFF, or
/// ON/INIT once it was DIALING: the call was refused or not answered). "Close", Escape and the
/// close box hang up first. User-interface thread.
class CDialingDialog : public framework::CDialog {
  public:
    static constexpr framework::UINT_PTR kPollTimer = 1;
    static constexpr framework::UINT kPollMs = 1000;

    static constexpr uint32_t kStateOn = 2;
    static constexpr uint32_t kStateInit = 3;
    static constexpr uint32_t kStateDialing = 4;
    static constexpr uint32_t kStateOnline = 5;

    /// `receiver` is not owned.
    explicit CDialingDialog(receiver::ReceiverInterface* receiver,
                            framework::CWnd* parent = nullptr);

    void setNumber(WideStringView number) { number_ = WideString(number); }
    /// The modem state last seen: 5 (ONLINE) means the call is up.
    uint32_t lastState() const { return lastState_; }

    bool OnInitDialog() override;
    void OnTimer(framework::UINT_PTR id) override;
    /// Escape and the close box: the modem must not go on dialling behind a closed window.
    void OnCancel() override;
    void OnClose();

    /// The progress dots run on from one dialog to the next for the program's life; tests put
    /// them back to the start.
    static void resetDotsForTest() { dots_ = 0; }

  private:
    void finish(framework::UINT statusId, int result);

    receiver::ReceiverInterface* receiver_;
    WideString number_;
    uint32_t lastState_ = kStateDialing;
    bool dialingSeen_ = false;
    bool finished_ = false;
    static inline int dots_ = 0;
};

}  // namespace zentrix::ui
