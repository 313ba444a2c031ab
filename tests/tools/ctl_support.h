// Running zentrixctl in-process against the simulated receiver: its exit status and what it
// wrote to standard output and standard error.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "tests/support/simulated_receiver.h"
#include "tests/support/test_support.h"
#include "tools/ctl/ctl.h"

namespace zentrix::test {

struct CtlResult {
    int status = -1;
    std::string out;
    std::string err;
};

/// Runs zentrixctl with `arguments` (what follows the program's name); `stop` is its interrupt.
inline CtlResult runCtlWith(const std::vector<std::string>& arguments,
                            const std::atomic<bool>& stop) {
    std::ostringstream out;
    std::ostringstream err;
    CtlResult result;
    result.status = ctl::runCtl(arguments, out, err, stop);
    result.out = out.str();
    result.err = err.str();
    return result;
}

inline CtlResult runCtl(const std::vector<std::string>& arguments) {
    static const std::atomic<bool> never{false};
    return runCtlWith(arguments, never);
}

/// The lines of `text`, without their line feeds.
inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

/// A scratch device root with a simulated receiver of `kind` on COM3: and a clock 25 times as
/// fast, so that the receiver's long time-outs pass in a fraction of their real time. The
/// survey board is the default (the handheld model of a root without a model code).
class CtlOnSimulator : public ::testing::Test {
  protected:
    explicit CtlOnSimulator(sim::SimReceiver kind = sim::SimReceiver::SurveyBoard) : kind_(kind) {}
    void SetUp() override {
        sim_ = startSimulator(kind_);
        ASSERT_TRUE(sim_) << "the simulator did not start";
    }

    platform::ScopedClockSpeed fast_{25};
    ScratchDeviceRoot root_;
    sim::SimReceiver kind_;
    std::unique_ptr<sim::Simulator> sim_;
};

}  // namespace zentrix::test
