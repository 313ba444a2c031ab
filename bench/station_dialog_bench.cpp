// The NTRIP station browser: opening it (the rover's position read, every stream's distance, the
// rows inserted, the first selected) and sorting by each column, with the largest real caster
// table of the test data (221 streams) and synthetic tables of 2000 and 5000 streams spread over
// Europe. Targets: 2000 rows open under 150 ms and sort under 50 ms; 5000 rows open under 400 ms.
//
//     build/release/bench/station_dialog_bench
//
// Headless (offscreen). "Open" is the dialog's creation with OnInitDialog; "OpenAndPaint" adds
// the window drawn once (rendered into an image), as a screen would show it first.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "framework/gdi_objects.h"
#include "framework/test_kit.h"
#include "platform/text.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_receiver.h"
#include "ui/network/ntrip_station_dialog.h"

namespace zentrix::ui {
namespace {

std::string realTable() {
    std::ifstream in(std::string(ZENTRIX_TESTDATA_DIR) + "/ntrip/euref-ip.sourcetable.txt",
                     std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return "L\r\nSOURCETABLE 200 OK\r\n" + text.str();
}

/// `streams` streams with mount points, names and places as varied as a large network's: four
/// letters, a number and a country for the mount point, a city with a district for the name,
/// spread from Portugal to Finland.
std::string syntheticTable(int streams) {
    static const char* const kCities[] = {
        "Berlin", "Madrid", "Roma",     "Paris",    "Wien",      "Warszawa",  "Praha",
        "Lisboa", "Oslo",   "Helsinki", "Budapest", "Bruxelles", "Zagreb",    "Athina",
        "Dublin", "Riga",   "Tallinn",  "Vilnius",  "Sofia",     "Bucuresti", "Ljubljana"};
    static const char* const kCountries[] = {"DEU", "ESP", "ITA", "FRA", "AUT", "POL", "CZE",
                                             "PRT", "NOR", "FIN", "HUN", "BEL", "HRV", "GRC"};
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    std::string table = "L\r\nSOURCETABLE 200 OK\r\n";
    for (int i = 0; i < streams; ++i) {
        std::string mountPoint;
        for (int letter = 0; letter < 4; ++letter)
            mountPoint += static_cast<char>('A' + next() % 26);
        mountPoint += std::to_string(next() % 100) + "00" + kCountries[next() % 14];
        const std::string name =
            std::string(kCities[next() % 21]) + " " + std::to_string(next() % 500);
        const double latitude = 36.0 + (next() % 34000) / 1000.0;   // 36 to 70 N
        const double longitude = -9.5 + (next() % 40000) / 1000.0;  // 9.5 W to 30.5 E
        table += "STR;" + mountPoint + ";" + name +
                 ";RTCM 3.3;1004(1),1006(10),1012(1),1033(10);2;GPS+GLO+GAL;EUREF;" +
                 kCountries[next() % 14] + ";" + platform::fixedText(latitude, 2) + ";" +
                 platform::fixedText(longitude, 2) + ";" + std::to_string(next() % 2) +
                 ";0;Generator/1.0;none;B;N;9600;misc\r\n";
    }
    return table + "ENDSOURCETABLE\r\n";
}

/// The table of a benchmark argument: 0 the real one, otherwise that many synthetic streams.
const receiver::StationList& stations(int64_t streams) {
    static receiver::StationList real, two, five;
    receiver::StationList& list = streams == 0 ? real : streams == 2000 ? two : five;
    if (list.size() == 0) {
        receiver::parseSourceTable(streams == 0 ? realTable() : syntheticTable(int(streams)), list);
    }
    return list;
}

void rover(test::FakeReceiver& receiver) {
    receiver.position.latitude = 50.11;  // Frankfurt
    receiver.position.longitude = 8.68;
    receiver.position.fixType = 4;
}

void openStations(benchmark::State& state, bool paint) {
    framework::ScopedTestKit kit;
    test::FakeReceiver receiver;
    rover(receiver);
    const receiver::StationList& list = stations(state.range(0));
    for (auto _ : state) {
        CNtripStationDialog dialog(&receiver, &list);
        if (!kit.open(dialog)) {
            state.SkipWithError("the dialog did not open");
            return;
        }
        if (paint) {
            framework::CBitmap image;
            kit.render(dialog, image);
        }
        state.PauseTiming();
        if (dialog.list().GetItemCount() != list.size()) {
            state.SkipWithError("rows missing");
            return;
        }
        dialog.DestroyWindow();
        kit.processEvents();
        state.ResumeTiming();
    }
    state.counters["rows"] = list.size();
}

void BM_StationDialogOpen(benchmark::State& state) {
    openStations(state, false);
}
BENCHMARK(BM_StationDialogOpen)
    ->Arg(0)
    ->Arg(2000)
    ->Arg(5000)
    ->ArgName("streams")
    ->Unit(benchmark::kMillisecond);

void BM_StationDialogOpenAndPaint(benchmark::State& state) {
    openStations(state, true);
}
BENCHMARK(BM_StationDialogOpenAndPaint)
    ->Arg(0)
    ->Arg(2000)
    ->Arg(5000)
    ->ArgName("streams")
    ->Unit(benchmark::kMillisecond);

// One tap on a column header: a full sort (each tap reverses the last one).
void BM_StationDialogSort(benchmark::State& state) {
    framework::ScopedTestKit kit;
    test::FakeReceiver receiver;
    rover(receiver);
    const receiver::StationList& list = stations(state.range(0));
    CNtripStationDialog dialog(&receiver, &list);
    if (!kit.open(dialog)) {
        state.SkipWithError("the dialog did not open");
        return;
    }
    if (dialog.list().GetItemCount() != list.size()) {
        state.SkipWithError("rows missing");
        return;
    }
    const int column = static_cast<int>(state.range(1));
    for (auto _ : state) {
        if (!kit.clickListColumn(dialog, IDC_NTRIP_STATIONS_LIST, column)) {
            state.SkipWithError("the header did not take the tap");
            break;
        }
    }
    dialog.DestroyWindow();
    state.counters["rows"] = list.size();
}
BENCHMARK(BM_StationDialogSort)
    ->ArgsProduct({{0, 2000, 5000}, {0, 1, 2}})
    ->ArgNames({"streams", "column"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zentrix::ui
