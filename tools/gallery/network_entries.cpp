#include "tools/gallery/network_entries.h"

#include <memory>
#include <utility>

#include "framework/test_kit.h"
#include "receiver/commands/station_list.h"
#include "tools/gallery/program_entries.h"
#include "tools/sim/default_source_table.h"
#include "ui/diff/profiles/profile_list.h"
#include "ui/network/network_config_sheet.h"
#include "ui/network/ntrip_station_dialog.h"

namespace zentrix::gallery {
namespace {

using framework::CPropertySheet;
using framework::CWnd;
using framework::ScopedTestKit;

/// Profiles a crew would have stored, written into the gallery's scratch root once.
void storeProfiles() {
    static bool stored = false;
    if (std::exchange(stored, true))
        return;
    diff::ProfileList<diff::NtripProfile> ntrip;
    diff::NtripProfile office;
    office.name = "EUREF office";
    office.host = "euref-ip.net";
    office.port = 2101;
    office.login = "crew7";
    office.password = "secret";
    office.mountPoint = "ZIM200CHE0";
    ntrip.insert(true, office);
    diff::NtripProfile state = office;
    state.name = "State network";
    state.host = "caster.example.org";
    state.mountPoint = "VRS_3_4G";
    ntrip.insert(true, state);
    ntrip.save();

    diff::ProfileList<diff::DirectIpProfile> directIp;
    diff::DirectIpProfile base;
    base.name = "Site base";
    base.host = "10.20.1.5";
    base.port = 9000;
    directIp.insert(true, base);
    directIp.save();
}

std::unique_ptr<ui::CNetworkConfigSheet> networkSheet(int protocol) {
    storeProfiles();
    auto sheet = std::make_unique<ui::CNetworkConfigSheet>(simulatedReceiver(), protocol, true,
                                                           u"Network Settings");
    ui::NetworkSettings& settings = sheet->settings();
    settings.gprsApn = u"internet.example";
    settings.gprsLogin = u"gprs";
    settings.gprsPassword = u"gprs";
    settings.ipAddress = u"10.20.1.5";
    settings.ipPort = 9000;
    settings.ntripAddress = u"euref-ip.net";
    settings.ntripPort = 2101;
    settings.ntripUser = u"crew7";
    settings.ntripPassword = u"secret";
    settings.ntripMountPoint = u"ZIM200CHE0";
    settings.sendPositionToNetwork = true;
    return sheet;
}

/// A rover with a fix in Frankfurt, where two of the table's streams are 3 km away.
class RoverInFrankfurt : public receiver::ReceiverInterface {
  public:
    uint32_t getPosition(receiver::PositionRecord& out) override {
        out = {};
        out.latitude = 50.11;
        out.longitude = 8.68;
        out.fixType = 1;
        return 1;
    }
};

receiver::ReceiverInterface* rover() {
    static RoverInFrankfurt receiver;
    return &receiver;
}

/// The real table the simulated board serves, parsed once.
const receiver::StationList& eurefStations() {
    static receiver::StationList stations;
    if (stations.size() == 0)
        // As the board relays it: the caster's status line first (this table has none).
        receiver::parseSourceTable("SOURCETABLE 200 OK\r\n\r\n" + sim::defaultSourceTable(),
                                   stations);
    return stations;
}

}  // namespace

void registerNetworkGallery(framework::GalleryRegistry& gallery) {
    // The sheet of an external unit in NTRIP mode on each of its pages, and the direct IP page.
    gallery.add("network_mode", [] { return networkSheet(1); });
    gallery.add(
        "network_gprs", [] { return networkSheet(1); },
        [](CWnd& window, ScopedTestKit& kit) {
            kit.switchPage(dynamic_cast<CPropertySheet&>(window), 1);
        });
    gallery.add(
        "network_ntrip", [] { return networkSheet(1); },
        [](CWnd& window, ScopedTestKit& kit) {
            kit.switchPage(dynamic_cast<CPropertySheet&>(window), 2);
        });
    gallery.add(
        "network_direct_ip", [] { return networkSheet(0); },
        [](CWnd& window, ScopedTestKit& kit) {
            kit.switchPage(dynamic_cast<CPropertySheet&>(window), 2);
        });

    // The streams of a real caster around the simulated rover, as they open and sorted by
    // distance.
    gallery.add("ntrip_stations", [] {
        return std::make_unique<ui::CNtripStationDialog>(rover(), &eurefStations());
    });
    gallery.add(
        "ntrip_stations_by_distance",
        [] { return std::make_unique<ui::CNtripStationDialog>(rover(), &eurefStations()); },
        [](CWnd& window, ScopedTestKit&) {
            dynamic_cast<ui::CNtripStationDialog&>(window).list().Sort(2, true);
        });
    // The details of the nearest stream, opened beside the browser as "Details..." opens them.
    gallery.add(
        "ntrip_station_details",
        [] { return std::make_unique<ui::CNtripStationDialog>(rover(), &eurefStations()); },
        [](CWnd& window, ScopedTestKit& kit) {
            auto& stations = dynamic_cast<ui::CNtripStationDialog&>(window);
            stations.list().Sort(2, true);
            stations.list().SelectRow(0, true);
            if (stations.PointDetailsAtSelection())
                kit.open(stations.details(), &stations);
        },
        [](CWnd& window) -> CWnd* {
            return &dynamic_cast<ui::CNtripStationDialog&>(window).details();
        });
}

}  // namespace zentrix::gallery
