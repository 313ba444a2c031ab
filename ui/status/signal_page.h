// The status sheet's signal page: the L1 and L2 signal strength of each satellite in view,
// refreshed once a second.
#pragma once

#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"
#include "ui/status/constellation.h"

namespace zentrix::ui {

class CSignalPage : public framework::CPropertyPage {
  public:
    /// `receiver` is read, never owned, and never sent a command.
    explicit CSignalPage(receiver::ReceiverInterface* receiver);

    /// The constellations to show, fixed by the sheet before the page is first shown.
    void setConstellationMask(ConstellationMask mask) { mask_ = mask; }
    ConstellationMask constellationMask() const { return mask_; }

  private:
    receiver::ReceiverInterface* receiver_;
    ConstellationMask mask_ = kMaskGps;
};

}  // namespace zentrix::ui
