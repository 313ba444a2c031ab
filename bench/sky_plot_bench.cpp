// The status sheet's Satellites page: CPU time of one refresh with 32 satellites in view (target
// under 1 ms) and the marker slots one refresh redraws when 3 of the 32 move (target 3), with
// the full repaint that only an invalidated window runs, for comparison.
//
//     build/release/bench/status_bench --benchmark_filter='SkyPlot'
#include <benchmark/benchmark.h>

#include <iterator>

#include "framework/test_kit.h"
#include "tests/support/fake_receiver.h"
#include "ui/status/gnss_status_sheet.h"

namespace zentrix::ui {
namespace {

/// 32 satellites over the four constellations, spread over the sky.
void fillSky(test::FakeReceiver& receiver) {
    const int prns[] = {1,  3,  5,  7,  9,  11, 13, 15, 17, 19, 21,  23,  25,  27,  29, 31,
                        65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 120, 126, 193, 194, 2,  4};
    for (size_t i = 0; i < std::size(prns); ++i) {
        receiver::SatelliteRecord& s = receiver.satellites.entries[i];
        s.prn = prns[i];
        s.elevation = static_cast<int>(5 + (i * 7) % 85);
        s.azimuth = static_cast<int>(1 + (i * 37) % 359);
        s.snr1 = i % 5 == 4 ? 0 : static_cast<int>(30 + i % 20);
        s.used = i % 4 != 3;
    }
    receiver.satellites.count = static_cast<uint32_t>(std::size(prns));
}

/// The sheet open on its Satellites page, one refresh done.
struct OpenPage {
    framework::ScopedTestKit kit;
    test::FakeReceiver receiver;
    CGnssStatusSheet sheet{&receiver};
    bool ok = false;

    OpenPage() {
        fillSky(receiver);
        ok = kit.open(sheet) && kit.switchPage(sheet, 1);
        if (ok) {
            sheet.satellitesPage().refresh();
            kit.processEvents();
        }
    }
    ~OpenPage() { sheet.DestroyWindow(); }
};

/// Each tick `moving` of the 32 satellites step one degree in azimuth, back and forth.
void refreshWithMoving(benchmark::State& state, int moving) {
    OpenPage open;
    if (!open.ok) {
        state.SkipWithError("the sheet did not open on its Satellites page");
        return;
    }
    CSatellitesPage& page = open.sheet.satellitesPage();
    int step = 1;
    double redrawn = 0;
    for (auto _ : state) {
        for (int i = 0; i < moving; ++i)
            open.receiver.satellites.entries[i * 11 % 32].azimuth += step;
        step = -step;
        page.refresh();
        redrawn += page.plot().redrawnSlots();
    }
    state.counters["slots_redrawn"] =
        benchmark::Counter(redrawn, benchmark::Counter::kAvgIterations);
}

void BM_SkyPlotRefreshAll32Move(benchmark::State& state) {
    refreshWithMoving(state, 32);
}
BENCHMARK(BM_SkyPlotRefreshAll32Move)->Unit(benchmark::kMicrosecond);

void BM_SkyPlotRefresh3Of32Move(benchmark::State& state) {
    refreshWithMoving(state, 3);
}
BENCHMARK(BM_SkyPlotRefresh3Of32Move)->Unit(benchmark::kMicrosecond);

void BM_SkyPlotRefreshNoneMove(benchmark::State& state) {
    refreshWithMoving(state, 0);
}
BENCHMARK(BM_SkyPlotRefreshNoneMove)->Unit(benchmark::kMicrosecond);

// What a refresh avoids: the whole plot painted again (grid, labels, every marker drawn anew).
void BM_SkyPlotFullRepaint(benchmark::State& state) {
    OpenPage open;
    if (!open.ok) {
        state.SkipWithError("the sheet did not open on its Satellites page");
        return;
    }
    CSkyPlotCtrl& plot = open.sheet.satellitesPage().plot();
    for (auto _ : state) {
        plot.Invalidate();
        plot.UpdateWindow();
    }
}
BENCHMARK(BM_SkyPlotFullRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zentrix::ui
