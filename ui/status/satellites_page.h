// The status sheet's sky plot page: the satellites in view at their azimuth and elevation,
// refreshed once a second.
#pragma once

#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"
#include "ui/status/constellation.h"
#include "ui/status/sky_plot_ctrl.h"

namespace zentrix::ui {

class CSatellitesPage : public framework::CPropertyPage {
  public:
    static constexpr framework::UINT kPlotId = 1051;
    static constexpr framework::UINT_PTR kRefreshTimer = 1;
    static constexpr framework::UINT kRefreshMs = 1000;

    /// `receiver` is read, never owned, and never sent a command.
    explicit CSatellitesPage(receiver::ReceiverInterface* receiver);

    /// The constellations to show, fixed by the sheet before the page is first shown.
    void setConstellationMask(ConstellationMask mask) { mask_ = mask; }
    ConstellationMask constellationMask() const { return mask_; }

    /// The receiver's satellites in view sorted into the plot's groups, in list order, at most
    /// 28 a group; satellites outside every group are left out. Of `mask` only the numbering
    /// counts (`kMaskWideNumbering`): the plot itself leaves out what the mask switches off.
    static SkyPlotTable tableOf(const receiver::SatelliteTable& satellites, uint32_t count,
                                ConstellationMask mask = 0);

    /// Gives `plot` the page's look: `mask`, 8-point labels of the PRN alone, rings every 15
    /// and spokes every 45 degrees, the constellations' dots, no track.
    static void setUpPlot(CSkyPlotCtrl& plot, ConstellationMask mask);

    /// Reads the satellites in view and redraws what moved.
    void refresh();

    CSkyPlotCtrl& plot() { return plot_; }

    bool OnInitDialog() override;
    void OnTimer(framework::UINT_PTR id) override;

  private:
    receiver::ReceiverInterface* receiver_;
    ConstellationMask mask_ = kMaskGps;
    receiver::SatelliteTable satellites_;
    CSkyPlotCtrl plot_;
};

}  // namespace zentrix::ui
