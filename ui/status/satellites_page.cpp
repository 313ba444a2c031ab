#include "ui/status/satellites_page.h"

#include <algorithm>

#include "resources/resource_ids.h"

namespace zentrix::ui {

CSatellitesPage::CSatellitesPage(receiver::ReceiverInterface* receiver)
    : CPropertyPage(IDD_SATELLITES), receiver_(receiver) {}

bool CSatellitesPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    framework::CRect client;
    GetClientRect(&client);
    plot_.Create(u"", framework::WS_CHILD | framework::WS_VISIBLE, client, this, kPlotId);
    setUpPlot(plot_, mask_);
    plot_.MoveWindow(client);
    SetTimer(kRefreshTimer, kRefreshMs);
    return true;
}

void CSatellitesPage::setUpPlot(CSkyPlotCtrl& plot, ConstellationMask mask) {
    plot.setConstellationMask(mask);
    plot.setFontSize(80);
    plot.setRingStep(15);
    plot.setSpokeStep(45);
    plot.setGpsGlonassBitmaps({IDB_GPS_USED_L1, IDB_GPS_USED_NO_L1, IDB_GPS_UNUSED},
                              {IDB_GLONASS_USED_L1, IDB_GLONASS_USED_NO_L1, IDB_GLONASS_UNUSED});
    plot.setSbasQzssBitmaps({IDB_SBAS_USED_L1, IDB_SBAS_USED_NO_L1, IDB_SBAS_UNUSED},
                            {IDB_QZSS_USED_L1, IDB_QZSS_USED_NO_L1, IDB_QZSS_UNUSED});
    plot.setGalileoBeidouBitmaps({IDB_GALILEO_USED_L1, IDB_GALILEO_USED_NO_L1, IDB_GALILEO_UNUSED},
                                 {IDB_BEIDOU_USED_L1, IDB_BEIDOU_USED_NO_L1, IDB_BEIDOU_UNUSED});
    plot.setLabelFormat("%d");
    plot.setTrackDisplay(false);
}

void CSatellitesPage::OnTimer(framework::UINT_PTR id) {
    if (id == kRefreshTimer)
        refresh();
    CPropertyPage::OnTimer(id);
}

SkyPlotTable CSatellitesPage::tableOf(const receiver::SatelliteTable& satellites, uint32_t count,
                                      ConstellationMask mask) {
    SkyPlotTable table{};
    std::array<int, kConstellationCount> filled{};
    const uint32_t records = std::min<uint32_t>(count, receiver::kMaxSatellites);
    for (uint32_t i = 0; i < records; ++i) {
        const receiver::SatelliteRecord& record = satellites.entries[i];
        const auto constellation = constellationOf(record.prn, mask);
        if (!constellation)
            continue;
        const int group = static_cast<int>(*constellation);
        if (filled[group] == kSkyPlotSlots)
            continue;
        SkyPlotEntry& entry = table[group][filled[group]++];
        entry.prn = record.prn;
        entry.azimuth = record.azimuth;
        entry.elevation = record.elevation;
        entry.used = record.used;
        entry.snr1 = record.snr1;
    }
    return table;
}

void CSatellitesPage::refresh() {
    // A receiver that does not answer reports no satellites: the plot empties.
    const uint32_t count = receiver_ != nullptr ? receiver_->getSatellites(satellites_) : 0;
    plot_.setTable(tableOf(satellites_, count, mask_));
}

}  // namespace zentrix::ui
