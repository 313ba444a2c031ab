#include "ui/network/ntrip_station_dialog.h"

#include "resources/resource_ids.h"

namespace zentrix::ui {

CNtripStationDetailDialog::CNtripStationDetailDialog(CNtripStationDialog* stations)
    : CDialog(IDD_NTRIP_STATION_DETAILS), stations_(stations) {}

bool CNtripStationDetailDialog::OnInitDialog() {
    return CDialog::OnInitDialog();
}

CNtripStationDialog::CNtripStationDialog(receiver::ReceiverInterface* receiver,
                                         const receiver::StationList* stations,
                                         framework::CWnd* parentPage)
    : CDialog(IDD_NTRIP_STATIONS, parentPage), receiver_(receiver), stations_(stations) {}

CNtripStationDialog::~CNtripStationDialog() = default;

bool CNtripStationDialog::OnInitDialog() {
    return CDialog::OnInitDialog();
}

void CNtripStationDialog::OnOK() {
    CDialog::OnOK();
}

void CNtripStationDialog::OnDetails() {}

}  // namespace zentrix::ui
