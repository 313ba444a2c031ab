// The streams of a caster's source table, with their distance from the rover, sortable, with a
// details view of one stream; OK hands the chosen mount point back to the NTRIP page.
//
// The list shows every text stripped of surrounding blanks, and sorting reorders its rows, so a
// row is tied back to its station by the mount point it shows, never by its index: a mount point
// that only the stripping made match gives no station, and nothing is chosen or shown for it.
//
// User-interface thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/dialog.h"
#include "framework/image_list.h"
#include "receiver/commands/receiver_interface.h"
#include "receiver/commands/station_list.h"
#include "ui/network/sort_list_ctrl.h"
#include "ui/network/station_distance.h"

namespace zentrix::ui {

class CNtripStationDialog;

/// Twelve name and value rows of the station the station dialog points at.
class CNtripStationDetailDialog : public framework::CDialog {
  public:
    explicit CNtripStationDetailDialog(CNtripStationDialog* stations);
    bool OnInitDialog() override;
    void OnSize(framework::UINT type, int cx, int cy) override;

    CSortListCtrl& list() { return list_; }

  private:
    CNtripStationDialog* stations_;
    CSortListCtrl list_;
    framework::CImageList rowHeight_;
};

/// The value texts of the details rows, in row order (Station, Name, Distance, Format, Network,
/// Carrier, System, Latitude, Longitude, Country, Solution, NMEA). Numbers are written with "."
/// whatever the process locale.
std::vector<WideString> stationDetailValues(const receiver::StationRecord& station,
                                            WideStringView unitText);

class CNtripStationDialog : public framework::CDialog {
  public:
    /// Neither `receiver` (the source of the rover's position) nor `stations` is owned.
    CNtripStationDialog(receiver::ReceiverInterface* receiver,
                        const receiver::StationList* stations,
                        framework::CWnd* parentPage = nullptr);
    ~CNtripStationDialog() override;

    bool OnInitDialog() override;
    void OnOK() override;
    void OnSize(framework::UINT type, int cx, int cy) override;
    /// "Details...": the selected station's rows; nothing without a selected station.
    void OnDetails();
    /// Makes the selected station (with its distance) the one the details view shows; false,
    /// and the view unchanged, without one.
    bool PointDetailsAtSelection();

    // Results after OK; empty (and 0) when no station was chosen.
    const WideString& chosenMountPoint() const { return chosenMountPoint_; }
    const WideString& chosenIdentifier() const { return chosenIdentifier_; }
    int32_t chosenNmea() const { return chosenNmea_; }

    /// The station the details view shows, its distance in display units.
    const receiver::StationRecord& currentStation() const { return currentStation_; }
    /// The unit of the distances, fixed when the dialog opened.
    const DistanceUnit& unit() const { return unit_; }
    WideString unitText() const;
    /// Each station's distance in whole display units, in list order.
    const std::vector<double>& distances() const { return distances_; }
    CSortListCtrl& list() { return list_; }
    CNtripStationDetailDialog& details() { return *details_; }

  private:
    /// The first station whose mount point is `mountPoint` exactly; -1 for none.
    int32_t findStation(WideStringView mountPoint) const;
    /// The station of the first selected row; -1 without a selection or a matching station.
    int32_t selectedStation() const;
    void layOut();
    void fillList();

    receiver::ReceiverInterface* receiver_;
    const receiver::StationList* stations_;
    std::unique_ptr<CNtripStationDetailDialog> details_;
    CSortListCtrl list_;
    framework::CImageList rowHeight_;
    DistanceUnit unit_ = kKilometres;
    std::vector<double> distances_;
    receiver::StationRecord currentStation_{};
    WideString chosenMountPoint_;
    WideString chosenIdentifier_;
    int32_t chosenNmea_ = 0;
};

}  // namespace zentrix::ui
