// The simulated receiver as the program's sheets meet it in tests: started on COMn: of the
// test's scratch device root (make a test::ScratchDeviceRoot first), with its state at hand.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

#include "tools/sim/simulator.h"
#include "tools/sim/survey_board.h"

namespace zentrix::test {

/// A running simulator with `options` linked as COMn:, or null when it could not start.
inline std::unique_ptr<sim::Simulator> startSimulatorWith(const sim::SimOptions& options,
                                                          int com = 3) {
    auto simulator = std::make_unique<sim::Simulator>(options);
    if (!simulator->openPseudoTerminal() || !simulator->linkAsComPort(com) || !simulator->start())
        return nullptr;
    return simulator;
}

/// A running simulator of `kind` linked as COMn:, or null when it could not start.
inline std::unique_ptr<sim::Simulator> startSimulator(sim::SimReceiver kind, int com = 3) {
    sim::SimOptions options;
    options.receiver = kind;
    options.startUtcSeconds = 1700000000;
    return startSimulatorWith(options, com);
}

/// A plain NMEA receiver on COMn:: the capture `log` replayed at its own pace, over and over, at
/// `baud`; null when it could not start. It answers nothing.
inline std::unique_ptr<sim::Simulator> startLoopingReplay(const std::filesystem::path& log,
                                                          uint32_t baud = 57600, int com = 3) {
    sim::SimOptions options;
    options.receiver = sim::SimReceiver::Replay;
    options.replayLog = log;
    options.replayLoop = true;
    options.baudRate = baud;
    options.startUtcSeconds = 1700000000;
    return startSimulatorWith(options, com);
}

/// A copy of the simulated board's state, taken under its lock.
inline sim::BoardState boardState(sim::Simulator& simulator) {
    sim::BoardState state;
    simulator.withBoard([&](sim::SurveyBoard& board) { state = board.state(); });
    return state;
}

}  // namespace zentrix::test
