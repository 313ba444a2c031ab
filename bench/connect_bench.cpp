// Real-clock time from `connect` to success against the simulated receiver.
//
// Run: build/release/bench/connect_bench [RATE ...]   (default 57600; 38400 is the last rate
// the search tries and takes over a minute: five wrong rates, each with its full waits)
//
// Each rate is measured twice: once right as the receiver starts, when the answers queue behind
// its first second's sentences on the line (the worst case), and once a quarter second after a
// second's sentences have left, as for a receiver that has been running a while.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/clock.h"
#include "platform/device_root.h"
#include "receiver/gnss_receiver.h"
#include "tests/support/test_support.h"
#include "tools/sim/simulator.h"

int main(int argc, char** argv) {
    std::vector<uint32_t> rates;
    for (int i = 1; i < argc; ++i) rates.push_back(static_cast<uint32_t>(std::atoi(argv[i])));
    if (rates.empty())
        rates.push_back(57600);

    zentrix::test::ScratchDeviceRoot root;
    for (const uint32_t rate : rates) {
        for (const uint32_t delayMs : {0u, 1250u}) {
            zentrix::sim::SimOptions options;
            options.baudRate = rate;
            zentrix::sim::Simulator simulator(options);
            if (!simulator.openPseudoTerminal() || !simulator.linkAsComPort(3) ||
                !simulator.start()) {
                std::fprintf(stderr, "cannot start the simulator\n");
                return 1;
            }
            zentrix::platform::sleepMs(delayMs);
            zentrix::receiver::GnssReceiver receiver;
            const auto start = std::chrono::steady_clock::now();
            const uint32_t connected = receiver.connect(u"COM3:");
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
            std::printf("receiver at %6u baud, %-15s connect %s after %.0f ms (%u rates tried)\n",
                        rate, delayMs == 0 ? "just started:" : "between epochs:",
                        connected ? "succeeded" : "FAILED", ms, receiver.searchTrials());
            receiver.disconnect();
            simulator.stop();
        }
    }
    return 0;
}
