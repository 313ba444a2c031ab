// The streams of a caster's source table, with their distance from the rover, sortable, with a
// details view of one stream; OK hands the chosen mount point back to the NTRIP page.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/dialog.h"
#include "receiver/commands/receiver_interface.h"
#include "receiver/commands/station_list.h"
#include "ui/network/sort_list_ctrl.h"

namespace zentrix::ui {

class CNtripStationDialog;

/// Twelve name and value rows of the station the station dialog points at.
class CNtripStationDetailDialog : public framework::CDialog {
  public:
    explicit CNtripStationDetailDialog(CNtripStationDialog* stations);
    bool OnInitDialog() override;

  private:
    CNtripStationDialog* stations_;
    CSortListCtrl list_;
};

class CNtripStationDialog : public framework::CDialog {
  public:
    /// Neither `receiver` (the source of the rover's position) nor `stations` is owned.
    CNtripStationDialog(receiver::ReceiverInterface* receiver,
                        const receiver::StationList* stations,
                        framework::CWnd* parentPage = nullptr);
    ~CNtripStationDialog() override;

    bool OnInitDialog() override;
    void OnOK() override;
    /// "Details...": the selected station's rows.
    void OnDetails();

    // Results after OK; empty (and 0) when no station was chosen.
    const WideString& chosenMountPoint() const { return chosenMountPoint_; }
    const WideString& chosenIdentifier() const { return chosenIdentifier_; }
    int32_t chosenNmea() const { return chosenNmea_; }

    /// The station the details view shows, its distance in display units.
    const receiver::StationRecord& currentStation() const { return currentStation_; }
    CSortListCtrl& list() { return list_; }

  private:
    receiver::ReceiverInterface* receiver_;
    const receiver::StationList* stations_;
    std::unique_ptr<CNtripStationDetailDialog> details_;
    CSortListCtrl list_;
    std::vector<double> distances_;
    receiver::StationRecord currentStation_{};
    WideString chosenMountPoint_;
    WideString chosenIdentifier_;
    int32_t chosenNmea_ = 0;
};

}  // namespace zentrix::ui
