// The simulated survey board with the program's command layer as its client: `GnssReceiver` on a
// COM port of a scratch device root, its reader thread, and the simulator at the other end.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "receiver/gnss_receiver.h"
#include "receiver/commands/station_list.h"
#include "tests/tools/sim_support.h"
#include "tools/sim/survey_board.h"

namespace zentrix::test {

using receiver::GnssReceiver;
using sim::SimFault;

inline std::string shown(const platform::WideString& text) {
    return platform::wideToAnsi(text);
}
inline std::string shown(const std::string& text) {
    return text;
}
inline std::string shown(uint8_t value) {
    return std::to_string(value);
}
template <typename Number>
std::string shown(Number value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

/// What an operation handed back, as one comparable text: "failed", or its out-parameters
/// separated by blanks.
template <typename... Values>
std::string said(uint32_t result, const Values&... values) {
    if (result == 0)
        return "failed";
    if constexpr (sizeof...(values) == 0) {
        return "ok";
    } else {
        std::string text;
        ((text += shown(values) + " "), ...);
        text.pop_back();
        return text;
    }
}

class SimEndToEndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim_) << "no pseudo-terminal";
        // The link as the connection sequence brings it up, short of the receiver handshake.
        ASSERT_TRUE(gnss_.openPort(u"COM3:"));
        ASSERT_TRUE(gnss_.serialPort().setBaudRate(57600));
        ASSERT_TRUE(gnss_.startReader());
        for (int i = 0; i < 2000 && !gnss_.reader().replyEvent().exists(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_TRUE(gnss_.reader().replyEvent().exists());
    }

    /// Stops the board's stream so that a reply never waits behind sentences on the line.
    void quietLine() {
        ASSERT_EQ(gnss_.setNmeaAll(false, 0), 1u);
        platform::sleepMs(2000);
    }

    /// Waits for published positions until `done` holds or `limitMs` clock ms passed.
    bool waitPosition(const std::function<bool(const receiver::PositionRecord&)>& done,
                      uint32_t limitMs) {
        const uint32_t start = platform::Clock::tickCount();
        while (platform::ticksSince(start) < limitMs) {
            receiver::PositionRecord p;
            if (gnss_.waitVector() && gnss_.getPosition(p) && done(p))
                return true;
        }
        return false;
    }

    sim::BoardState board() {
        sim::BoardState state;
        sim_->withBoard([&](sim::SurveyBoard& b) { state = b.state(); });
        return state;
    }

    // Fast enough that the 10 s to 120 s waits take a fraction of a second, slow enough that a
    // busy machine does not stall the simulator for a whole 10 s time-out.
    platform::ScopedClockSpeed fast_{25};
    ScratchDeviceRoot root_;
    std::unique_ptr<sim::Simulator> sim_ = startSimulator();
    GnssReceiver gnss_;
};

}  // namespace zentrix::test
