#include "ui/network/ntrip_station_dialog.h"

#include "framework/resources.h"
#include "platform/text.h"
#include "resources/resource_ids.h"

namespace zentrix::ui {
namespace {

using framework::ScaleX;
using framework::ScaleY;

// Geometry in handheld pixels (scaled with the screen): rows 18 high; under the station list a
// strip of 35 for the buttons, each 95 x 25 with its top 30 above the bottom, "Details..." 100
// from the right edge and OK beside it.
constexpr int kRowHeight = 18;
constexpr int kButtonStrip = 35;
constexpr int kButtonWidth = 95;
constexpr int kButtonHeight = 25;
constexpr int kButtonTopFromBottom = 30;
constexpr int kDetailsLeftFromRight = 100;
constexpr int kOkLeftFromRight = 200;

constexpr int kStationColumnWidth = 80;
constexpr int kNameColumnWidth = 80;
constexpr int kDistanceColumnWidth = 60;
constexpr int kDetailColumnWidth = 90;

/// White space as the handheld classified it for text from its ANSI code page: the ASCII
/// controls tab to carriage return, the blank and the no-break space.
bool isBlank(char16_t c) {
    return (c >= u'\t' && c <= u'\r') || c == u' ' || c == u'\u00A0';
}

WideString stripped(WideStringView text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && isBlank(text[first])) ++first;
    while (last > first && isBlank(text[last - 1])) --last;
    return WideString(text.substr(first, last - first));
}

template <size_t N>
WideString wide(const char (&field)[N]) {
    return platform::ansiToWide(receiver::fieldText(field));
}

/// Rows `height` handheld pixels high: a report list's rows are at least as high as its small
/// images (scaled with the screen like everything else), so an empty list of 1 x `height` images
/// sets the height without drawing anything.
void setRowHeight(framework::CListCtrl& list, framework::CImageList& images, int height) {
    if (images.GetSafeHandle() == nullptr)
        images.Create(1, height, framework::ILC_COLOR24 | framework::ILC_MASK, 1, 0);
    list.SetImageList(&images, framework::LVSIL_SMALL);
}

WideString fixed(double value, int decimals) {
    return platform::fromUtf8(platform::fixedText(value, decimals));
}

}  // namespace

std::vector<WideString> stationDetailValues(const receiver::StationRecord& station,
                                            WideStringView unitText) {
    using framework::loadString;
    WideString carrier;
    if (station.carrier == 0)
        carrier = loadString(IDS_NO);
    else if (station.carrier == 1)
        carrier = u"L1";
    else
        carrier = u"L1&L2";
    WideString distance = fixed(station.distance, 0);
    distance += u' ';
    distance += unitText;
    return {
        wide(station.mountPoint),
        wide(station.identifier),
        distance,
        wide(station.format),
        wide(station.network),
        carrier,
        wide(station.navSystem),
        fixed(station.latitude, 2),
        fixed(station.longitude, 2),
        wide(station.country),
        loadString(station.solution == 0 ? IDS_STATION_SINGLE_BASE : IDS_STATION_NETWORK),
        loadString(station.nmea == 0 ? IDS_NO : IDS_YES),
    };
}

CNtripStationDetailDialog::CNtripStationDetailDialog(CNtripStationDialog* stations)
    : CDialog(IDD_NTRIP_STATION_DETAILS, stations), stations_(stations) {}

bool CNtripStationDetailDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    list_.SubclassDlgItem(IDC_NTRIP_DETAILS_LIST, this);
    setRowHeight(list_, rowHeight_, kRowHeight);
    framework::CRect client;
    GetClientRect(&client);
    list_.MoveWindow(client);

    using framework::loadString;
    list_.InsertColumn(0, loadString(IDS_COLUMN_NAME), framework::LVCFMT_LEFT,
                       ScaleX(kDetailColumnWidth));
    list_.InsertColumn(1, loadString(IDS_COLUMN_VALUE), framework::LVCFMT_LEFT,
                       ScaleX(kDetailColumnWidth));
    list_.SetFullRowSelect(true);
    list_.EnableSorting(false);

    static constexpr framework::UINT kNames[] = {
        IDS_COLUMN_STATION,    IDS_COLUMN_NAME,     IDS_COLUMN_DISTANCE,  IDS_STATION_FORMAT,
        IDS_STATION_NETWORK,   IDS_STATION_CARRIER, IDS_STATION_SYSTEM,   IDS_STATION_LATITUDE,
        IDS_STATION_LONGITUDE, IDS_STATION_COUNTRY, IDS_STATION_SOLUTION, IDS_STATION_NMEA,
    };
    const std::vector<WideString> values =
        stationDetailValues(stations_->currentStation(), stations_->unitText());
    for (size_t row = 0; row < values.size(); ++row) {
        list_.InsertRow(static_cast<int>(row), {loadString(kNames[row]), values[row]});
    }
    return true;
}

void CNtripStationDetailDialog::OnSize(framework::UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    if (list_.GetSafeHwnd() != nullptr)
        list_.MoveWindow(0, 0, cx, cy);
}

CNtripStationDialog::CNtripStationDialog(receiver::ReceiverInterface* receiver,
                                         const receiver::StationList* stations,
                                         framework::CWnd* parentPage)
    : CDialog(IDD_NTRIP_STATIONS, parentPage),
      receiver_(receiver),
      stations_(stations),
      details_(std::make_unique<CNtripStationDetailDialog>(this)) {
    MapNotification(framework::BN_CLICKED, IDC_NTRIP_STATIONS_DETAILS,
                    &CNtripStationDialog::OnDetails);
    // A double tap (or Return) on a row chooses it, as OK does.
    MapNotification(framework::LVN_ITEMACTIVATE, IDC_NTRIP_STATIONS_LIST,
                    &CNtripStationDialog::OnOK);
}

CNtripStationDialog::~CNtripStationDialog() = default;

WideString CNtripStationDialog::unitText() const {
    return framework::loadString(unit_.textId);
}

bool CNtripStationDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    list_.SubclassDlgItem(IDC_NTRIP_STATIONS_LIST, this);
    setRowHeight(list_, rowHeight_, kRowHeight);
    layOut();

    using framework::loadString;
    list_.InsertColumn(0, loadString(IDS_COLUMN_STATION), framework::LVCFMT_LEFT,
                       ScaleX(kStationColumnWidth));
    list_.InsertColumn(1, loadString(IDS_COLUMN_NAME), framework::LVCFMT_LEFT,
                       ScaleX(kNameColumnWidth));
    list_.InsertColumn(2, loadString(IDS_COLUMN_DISTANCE), framework::LVCFMT_LEFT,
                       ScaleX(kDistanceColumnWidth));
    list_.SetFullRowSelect(true);

    fillList();
    if (list_.GetItemCount() > 0) {
        list_.SelectRow(0, false);
        list_.EnsureVisible(0, false);
    }
    return true;
}

void CNtripStationDialog::fillList() {
    unit_ = userDistanceUnit();
    const WideString unitName = unitText();
    receiver::PositionRecord position;
    const bool usable =
        receiver_ != nullptr && receiver_->getPosition(position) != 0 && position.fixType != 0;

    const int32_t count = stations_ != nullptr ? stations_->size() : 0;
    distances_.assign(static_cast<size_t>(count), 0.0);
    std::vector<WideString> texts(3);
    for (int32_t i = 0; i < count; ++i) {
        const receiver::StationRecord& station = *stations_->at(i);
        double distance = 0;
        if (usable) {
            distance = wholeUnits(greatCircleMetres(position.latitude, position.longitude,
                                                    station.latitude, station.longitude),
                                  unit_);
        }
        distances_[static_cast<size_t>(i)] = distance;
        texts[0] = stripped(wide(station.mountPoint));
        texts[1] = stripped(wide(station.identifier));
        texts[2] = distanceText(distance, unitName);
        list_.InsertRow(i, texts);
    }
}

void CNtripStationDialog::layOut() {
    if (list_.GetSafeHwnd() == nullptr)
        return;
    framework::CRect client;
    GetClientRect(&client);
    const int width = client.Width();
    const int height = client.Height();
    list_.MoveWindow(0, 0, width, std::max(0, height - ScaleY(kButtonStrip)));
    const int top = height - ScaleY(kButtonTopFromBottom);
    if (framework::CWnd* details = GetDlgItem(IDC_NTRIP_STATIONS_DETAILS)) {
        details->MoveWindow(width - ScaleX(kDetailsLeftFromRight), top, ScaleX(kButtonWidth),
                            ScaleY(kButtonHeight));
    }
    if (framework::CWnd* ok = GetDlgItem(static_cast<framework::UINT>(framework::IDOK))) {
        ok->MoveWindow(width - ScaleX(kOkLeftFromRight), top, ScaleX(kButtonWidth),
                       ScaleY(kButtonHeight));
    }
}

void CNtripStationDialog::OnSize(framework::UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    layOut();
}

int32_t CNtripStationDialog::findStation(WideStringView mountPoint) const {
    const int32_t count = stations_ != nullptr ? stations_->size() : 0;
    for (int32_t i = 0; i < count; ++i) {
        if (wide(stations_->at(i)->mountPoint) == mountPoint)
            return i;
    }
    return -1;
}

int32_t CNtripStationDialog::selectedStation() const {
    const int row = list_.NextSelectedRow(-1);
    if (row < 0)
        return -1;
    return findStation(list_.GetItemText(row, 0));
}

void CNtripStationDialog::OnOK() {
    chosenMountPoint_.clear();
    chosenIdentifier_.clear();
    chosenNmea_ = 0;
    const int32_t index = selectedStation();
    if (index >= 0) {
        const receiver::StationRecord& station = *stations_->at(index);
        chosenMountPoint_ = wide(station.mountPoint);
        chosenIdentifier_ = wide(station.identifier);
        chosenNmea_ = station.nmea;
    }
    CDialog::OnOK();
}

bool CNtripStationDialog::PointDetailsAtSelection() {
    const int32_t index = selectedStation();
    if (index < 0)
        return false;  // no row, or a row no station's mount point matches: nothing to show
    stations_->copyAt(index, currentStation_);
    currentStation_.distance = distances_[static_cast<size_t>(index)];
    return true;
}

void CNtripStationDialog::OnDetails() {
    if (PointDetailsAtSelection())
        details_->DoModal();
}

}  // namespace zentrix::ui
