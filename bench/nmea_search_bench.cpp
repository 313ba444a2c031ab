// The passive search on the real clock: a simulated 1 Hz receiver replaying a capture, found at
// the port's own rate (best case) or at the last of the six rates with the port left at another
// (worst case). Each iteration starts at another moment of the receiver's second; "max_s" is the
// slowest search seen.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "receiver/nmea_receiver/nmea_receiver.h"
#include "tools/sim/simulator.h"

namespace {

using zentrix::platform::SerialPort;
using zentrix::receiver::NmeaReceiver;

constexpr const char* kCapture = "gpsd/ublox-f9p-hpnmea.log";

std::unique_ptr<zentrix::sim::Simulator> startReceiver(uint32_t baud) {
    zentrix::sim::SimOptions options;
    options.receiver = zentrix::sim::SimReceiver::Replay;
    options.replayLog = std::filesystem::path(ZENTRIX_TESTDATA_DIR) / kCapture;
    options.replayRealTime = true;
    options.replayLoop = true;
    options.baudRate = baud;
    auto simulator = std::make_unique<zentrix::sim::Simulator>(options);
    if (!simulator->openPseudoTerminal() || !simulator->start())
        return nullptr;
    // An absolute path in the port's variable stands for itself.
    ::setenv("ZENTRIX_COM9", simulator->devicePath().c_str(), 1);
    return simulator;
}

/// Leaves the line at `baud`, as a program that talked to the port before would.
bool leavePortAt(uint32_t baud) {
    SerialPort port;
    port.open(u"COM9:");
    return port.isOpen() && port.setBaudRate(baud);
}

void search(benchmark::State& state, uint32_t receiverBaud, uint32_t portBaud) {
    auto simulator = startReceiver(receiverBaud);
    if (!simulator) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    std::mt19937 random(7);
    double slowest = 0;
    int64_t found = 0;
    NmeaReceiver receiver;
    for (auto _ : state) {
        // Another phase of the receiver's second each time.
        zentrix::platform::sleepMs(std::uniform_int_distribution<uint32_t>(0, 999)(random));
        if (!leavePortAt(portBaud)) {
            state.SkipWithError("cannot set the port's rate");
            break;
        }
        const auto start = std::chrono::steady_clock::now();
        const bool connected = receiver.connect(u"COM9:") == 1;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        receiver.disconnect();
        state.SetIterationTime(seconds);
        if (connected && receiver.foundBaud() == receiverBaud)
            ++found;
        slowest = std::max(slowest, seconds);
    }
    state.counters["max_s"] = slowest;
    state.counters["found"] = static_cast<double>(found);
    state.counters["rates_tried"] = static_cast<double>(receiver.ratesTried().size());
}

void BM_SearchWorstCase(benchmark::State& state) {
    search(state, 38400, 4800);
}
BENCHMARK(BM_SearchWorstCase)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_SearchBestCase(benchmark::State& state) {
    search(state, 38400, 38400);
}
BENCHMARK(BM_SearchBestCase)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
