// The about box: the program's version and what the receiver reports of its own.
#pragma once

#include <span>

#include "framework/dialog.h"
#include "receiver/commands/receiver_interface.h"

namespace zentrix::app {

/// The version the build gives the program, the same string its package carries.
platform::WideString programVersion();

class CAboutZentrix : public framework::CDialog {
  public:
    explicit CAboutZentrix(receiver::ReceiverInterface* receiver,
                           framework::CWnd* parent = nullptr);

    bool OnInitDialog() override;

  private:
    void showFirmware();
    /// Moves the controls below the hidden ones up over the band those leave, and takes the
    /// band's height off the dialog.
    void closeUp(std::span<const unsigned> hiddenIds);

    receiver::ReceiverInterface* receiver_;
};

}  // namespace zentrix::app
