// The GNSS status sheet: position, sky plot and signal bars of the receiver, live.
#pragma once

#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"
#include "ui/status/constellation.h"
#include "ui/status/position_page.h"
#include "ui/status/satellites_page.h"
#include "ui/status/signal_page.h"

namespace zentrix::ui {

/// The constellations the receiver has switched on, asked in the order GPS, GLONASS, SBAS,
/// QZSS, Galileo, BeiDou (one query transaction each); a query that fails counts as "off". A
/// receiver that answers the Galileo or the BeiDou query, whatever it answers, also gets
/// `kMaskWideNumbering`.
ConstellationMask queryConstellationMask(receiver::ReceiverInterface& receiver);

class CGnssStatusSheet : public framework::CPropertySheet {
  public:
    /// Asks the receiver which constellations are on (under the wait cursor: a command
    /// transaction each), once for the life of the sheet. `receiver` is not owned.
    explicit CGnssStatusSheet(receiver::ReceiverInterface* receiver,
                              framework::CWnd* parent = nullptr);

    ConstellationMask constellationMask() const { return mask_; }
    CPositionPage& positionPage() { return position_; }
    CSatellitesPage& satellitesPage() { return satellites_; }
    CSignalPage& signalPage() { return signal_; }

  private:
    receiver::ReceiverInterface* receiver_;
    ConstellationMask mask_ = 0;
    CPositionPage position_;
    CSatellitesPage satellites_;
    CSignalPage signal_;
};

}  // namespace zentrix::ui
