// The status sheet's Position page: CPU time of one refresh (target under 1 ms), and the resident
// memory of this process with the whole sheet open on a receiver that reports 32 satellites
// (target under 50 MB).
//
//     build/release/bench/status_bench --benchmark_filter=PositionPage
//     build/release/bench/status_bench --benchmark_filter=StatusSheetResidentMemory
//
// Run the memory benchmark alone: the process keeps what benchmarks before it took.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "framework/test_kit.h"
#include "tests/support/fake_receiver.h"
#include "ui/status/gnss_status_sheet.h"

namespace zentrix::ui {
namespace {

/// Resident memory of this process in kB (VmRSS of /proc/self/status); 0 when unknown.
long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

/// An RTK fixed rover with 32 satellites in view across the four constellations.
void fillReceiver(test::FakeReceiver& receiver) {
    receiver::PositionRecord& p = receiver.position;
    p.latitude = 47.38701234;
    p.longitude = 8.52701234;
    p.ellipsoidHeight = 460.512;
    p.satellitesUsed = 24;
    p.pdop = 1.4f;
    p.fixType = 5;
    p.correctionAge = 1;
    p.referenceStationId = 17;
    p.horizontalError = 0.008f;
    p.verticalError = 0.015f;
    receiver.baselineMetres = 1234.5f;
    receiver.wtiValue = 75;
    const int prns[] = {1,  3,  5,  7,  9,  11, 13, 15, 17, 19, 21,  23,  25,  27,  29, 31,
                        65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 120, 126, 193, 194, 2,  4};
    for (size_t i = 0; i < std::size(prns); ++i) {
        receiver::SatelliteRecord& s = receiver.satellites.entries[i];
        s.prn = prns[i];
        s.elevation = static_cast<int>(5 + (i * 7) % 85);
        s.azimuth = static_cast<int>((i * 37) % 360);
        s.snr1 = static_cast<int>(30 + i % 20);
        s.snr2 = i % 3 == 0 ? 0 : static_cast<int>(25 + i % 15);
        s.used = i % 4 != 3;
    }
    receiver.satellites.count = static_cast<uint32_t>(std::size(prns));
}

/// Moves the rover a little, so that every refresh writes new texts.
void step(test::FakeReceiver& receiver, int i) {
    receiver.position.latitude = 47.38701234 + (i % 100) * 1e-7;
    receiver.position.ellipsoidHeight = 460.512 + (i % 10) * 0.001;
    receiver.position.horizontalError = 0.008f + static_cast<float>(i % 5) * 0.001f;
}

// One timer tick's work: read the receiver, build the texts, write them into the controls.
void BM_PositionPageRefresh(benchmark::State& state) {
    framework::ScopedTestKit kit;
    test::FakeReceiver receiver;
    fillReceiver(receiver);
    CGnssStatusSheet sheet(&receiver);
    if (!kit.open(sheet)) {
        state.SkipWithError("the sheet did not open");
        return;
    }
    CPositionPage& page = sheet.positionPage();
    int i = 0;
    for (auto _ : state) {
        step(receiver, ++i);
        page.refresh();
    }
    sheet.DestroyWindow();
}
BENCHMARK(BM_PositionPageRefresh)->Unit(benchmark::kMicrosecond);

// The same with the repaint the window system does afterwards (offscreen: the labels' text is
// laid out and drawn into the page's backing image).
void BM_PositionPageRefreshAndPaint(benchmark::State& state) {
    framework::ScopedTestKit kit;
    test::FakeReceiver receiver;
    fillReceiver(receiver);
    CGnssStatusSheet sheet(&receiver);
    if (!kit.open(sheet)) {
        state.SkipWithError("the sheet did not open");
        return;
    }
    CPositionPage& page = sheet.positionPage();
    int i = 0;
    for (auto _ : state) {
        step(receiver, ++i);
        page.refresh();
        kit.processEvents();
    }
    sheet.DestroyWindow();
}
BENCHMARK(BM_PositionPageRefreshAndPaint)->Unit(benchmark::kMicrosecond);

// Resident memory with the whole sheet open: every page made (shown once) and ticking. The
// counters are in MB: the process before the sheet existed (Qt and the test kit already up) and
// with it open.
void BM_StatusSheetResidentMemory(benchmark::State& state) {
    framework::ScopedTestKit kit;
    test::FakeReceiver receiver;
    fillReceiver(receiver);
    const long before = residentKilobytes();
    long open = 0;
    for (auto _ : state) {
        CGnssStatusSheet sheet(&receiver);
        if (!kit.open(sheet)) {
            state.SkipWithError("the sheet did not open");
            return;
        }
        for (int page = 0; page < sheet.GetPageCount(); ++page) {
            kit.switchPage(sheet, page);
            kit.processEvents();
        }
        for (int page = 0; page < sheet.GetPageCount(); ++page)
            kit.fireTimer(*sheet.GetPage(page), 1);
        kit.switchPage(sheet, 0);
        kit.processEvents();
        open = std::max(open, residentKilobytes());
        sheet.DestroyWindow();
        kit.processEvents();
    }
    state.counters["rss_before_MB"] = static_cast<double>(before) / 1024.0;
    state.counters["rss_sheet_open_MB"] = static_cast<double>(open) / 1024.0;
}
BENCHMARK(BM_StatusSheetResidentMemory)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zentrix::ui
