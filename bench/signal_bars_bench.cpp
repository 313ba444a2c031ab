// The status sheet's Signal page: CPU time of one refresh with 32 satellites in view (target
// under 1 ms): the receiver read, both charts drawn off-screen and copied to the window.
//
//     build/release/bench/status_bench --benchmark_filter='Signal'
#include <benchmark/benchmark.h>

#include <iterator>

#include "framework/test_kit.h"
#include "tests/support/fake_receiver.h"
#include "ui/status/gnss_status_sheet.h"

namespace zentrix::ui {
namespace {

/// 32 satellites across the four constellations, 24 of them in chart 0 and 8 in chart 1, most
/// with an L2 signal; every refresh changes the signals a little, as the sky does.
void fillSatellites(test::FakeReceiver& receiver, int tick) {
    const int prns[] = {1,  3,  5,  7,  9,  11, 13, 15, 17,  19,  21,  23,  25,  27, 29, 31,
                        65, 66, 67, 68, 69, 70, 71, 72, 120, 126, 129, 193, 194, 2,  4,  6};
    for (size_t i = 0; i < std::size(prns); ++i) {
        receiver::SatelliteRecord& s = receiver.satellites.entries[i];
        s.prn = prns[i];
        s.snr1 = static_cast<int>(28 + (i * 7 + tick) % 24);
        s.snr2 = i % 3 == 0 ? 0 : static_cast<int>(22 + (i * 5 + tick) % 20);
        s.used = i % 4 != 3;
    }
    receiver.satellites.count = static_cast<uint32_t>(std::size(prns));
}

/// The sheet open on the Signal page with every constellation switched on.
struct SignalSheet {
    framework::ScopedTestKit kit;
    test::FakeReceiver receiver;
    CGnssStatusSheet sheet{&receiver};
    bool open() {
        fillSatellites(receiver, 0);
        return kit.open(sheet) && kit.switchPage(sheet, 2);
    }
};

// One timer tick: read the receiver, sort and count, draw both charts off-screen, one copy.
void BM_SignalPageRefresh(benchmark::State& state) {
    SignalSheet s;
    if (!s.open() || s.sheet.signalPage().constellationMask() != 240) {
        state.SkipWithError("the sheet did not open on the Signal page with every constellation");
        return;
    }
    CSignalPage& page = s.sheet.signalPage();
    int tick = 0;
    for (auto _ : state) {
        fillSatellites(s.receiver, ++tick);
        s.kit.fireTimer(page, CSignalPage::kRefreshTimerId);
    }
    s.sheet.DestroyWindow();
}
BENCHMARK(BM_SignalPageRefresh)->Unit(benchmark::kMicrosecond);

// The same with whatever the window system then does with the copied pixels (offscreen).
void BM_SignalPageRefreshAndShow(benchmark::State& state) {
    SignalSheet s;
    if (!s.open()) {
        state.SkipWithError("the sheet did not open on the Signal page");
        return;
    }
    CSignalPage& page = s.sheet.signalPage();
    int tick = 0;
    for (auto _ : state) {
        fillSatellites(s.receiver, ++tick);
        s.kit.fireTimer(page, CSignalPage::kRefreshTimerId);
        s.kit.processEvents();
    }
    s.sheet.DestroyWindow();
}
BENCHMARK(BM_SignalPageRefreshAndShow)->Unit(benchmark::kMicrosecond);

// A full repaint of the control (erase and paint, as after the page comes to the front).
void BM_SignalBarsRepaint(benchmark::State& state) {
    SignalSheet s;
    if (!s.open()) {
        state.SkipWithError("the sheet did not open on the Signal page");
        return;
    }
    CSignalPage& page = s.sheet.signalPage();
    s.kit.fireTimer(page, CSignalPage::kRefreshTimerId);
    for (auto _ : state) {
        page.bars().Invalidate();
        page.bars().UpdateWindow();
    }
    s.sheet.DestroyWindow();
}
BENCHMARK(BM_SignalBarsRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zentrix::ui
