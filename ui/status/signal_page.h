// The status sheet's signal page: the L1 and L2 signal strength of each satellite in view,
// refreshed once a second.
#pragma once

#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"
#include "ui/status/constellation.h"
#include "ui/status/signal_bar_ctrl.h"

namespace zentrix::ui {

class CSignalPage : public framework::CPropertyPage {
  public:
    static constexpr framework::UINT kBarsId = 1051;
    static constexpr framework::UINT_PTR kRefreshTimerId = 1;
    static constexpr framework::UINT kRefreshMs = 1000;

    /// `receiver` is read, never owned, and never sent a command.
    explicit CSignalPage(receiver::ReceiverInterface* receiver);

    /// The constellations to show, fixed by the sheet before the page is first shown.
    void setConstellationMask(ConstellationMask mask);
    ConstellationMask constellationMask() const { return mask_; }

    CSignalBarCtrl& bars() { return bars_; }

    bool OnInitDialog() override;
    void OnTimer(framework::UINT_PTR id) override;

  private:
    void refresh();

    receiver::ReceiverInterface* receiver_;
    ConstellationMask mask_ = kMaskGps;
    CSignalBarCtrl bars_;
};

}  // namespace zentrix::ui
