// zentrix-replay's live view: its command line, and short runs against the simulated board, as a
// person would start it beside zentrix-sim.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/tools/sim_support.h"
#include "tools/replay/replay.h"

namespace zentrix::test {
namespace {

using replay::LiveEnd;

/// The command line as one text: what it asks for, or "usage".
std::string parsed(const std::vector<std::string>& args) {
    const auto c = replay::parseCommandLine(args);
    if (!c)
        return "usage";
    std::string text = c->replay.publishOnGga ? "gga " : "";
    if (!c->live)
        return text + (c->replay.raw ? "raw " : "") + "file " + c->file;
    const replay::LiveOptions& l = *c->live;
    text += "port " + platform::wideToAnsi(l.port) + " " + std::to_string(l.baudRate);
    if (l.configure)
        text += " configure";
    if (l.dial)
        text += " dial";
    if (l.seconds)
        text += " " + std::to_string(l.seconds) + "s";
    return text + (l.publishOnGga ? " gga" : "");
}

TEST(LiveViewCommandLine, ReadsACaptureOrAPortButNeverBoth) {
    struct Row {
        std::vector<std::string> args;
        const char* expected;
    };
    const std::vector<Row> rows = {
        {{"log.txt"}, "file log.txt"},
        {{"-"}, "file -"},
        {{"--raw", "--publish-on-gga", "log.txt"}, "gga raw file log.txt"},
        {{"--port", "COM3:"}, "port COM3: 57600"},
        {{"--port", "COM3:", "--baud", "115200", "--configure", "--seconds", "20"},
         "port COM3: 115200 configure 20s"},
        {{"--configure", "--dial", "--port", "COM5:", "--publish-on-gga"},
         "gga port COM5: 57600 configure dial gga"},
        // Usage errors.
        {{}, "usage"},
        {{"log.txt", "--port", "COM3:"}, "usage"},
        {{"log.txt", "other.txt"}, "usage"},
        {{"--configure", "log.txt"}, "usage"},
        {{"--seconds", "5", "log.txt"}, "usage"},
        {{"--port"}, "usage"},
        {{"--port", ""}, "usage"},
        {{"--port", "COM3:", "--raw"}, "usage"},
        {{"--port", "COM3:", "--baud", "56000"}, "usage"},
        {{"--port", "COM3:", "--baud", "9600x"}, "usage"},
        {{"--port", "COM3:", "--baud", "99999999999999999999"}, "usage"},
        {{"--port", "COM3:", "--seconds", "0"}, "usage"},
        {{"--port", "COM3:", "--seconds", "-1"}, "usage"},
        {{"--port", "COM3:", "--seconds", "4294968"}, "usage"},
        {{"--port", "COM3:", "--seconds"}, "usage"},
        {{"--verbose", "log.txt"}, "usage"},
    };
    for (const Row& row : rows) {
        std::string shown;
        for (const std::string& a : row.args) shown += a + " ";
        EXPECT_EQ(parsed(row.args), row.expected) << shown;
    }
}

class LiveViewTest : public ::testing::Test {
  protected:
    /// Runs the view with `options`, collecting its lines and notes.
    LiveEnd run(const replay::LiveOptions& options) {
        return replay::runLive(
            options, stop_,
            [this](const std::string& line) {
                std::lock_guard lock(mutex_);
                lines_.push_back(line);
            },
            [this](const std::string& note) { notes_.push_back(note); });
    }
    size_t countOf(const std::string& start) {
        std::lock_guard lock(mutex_);
        size_t n = 0;
        for (const std::string& l : lines_) n += l.rfind(start, 0) == 0 ? 1 : 0;
        return n;
    }

    platform::ScopedClockSpeed fast_{50};
    ScratchDeviceRoot root_;
    std::unique_ptr<sim::Simulator> sim_ = startSimulator();
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> lines_;
    std::vector<std::string> notes_;
};

TEST_F(LiveViewTest, ConfiguresTheBoardAndPrintsWhatTheReaderPublishes) {
    ASSERT_TRUE(sim_);
    replay::LiveOptions options{.port = u"COM3:", .configure = true, .dial = true, .seconds = 20};
    EXPECT_EQ(run(options), LiveEnd::TimeUp);

    const auto log = sim_->commandLog();
    for (const char* m : {"GGA", "GSA", "GSV", "GST", "ZDA", "VTG", "VEC"}) {
        const std::string command = std::string("$PQELS,NME,A,") + m + ",ON,1.00";
        EXPECT_NE(std::find(log.begin(), log.end(), command), log.end()) << command;
    }
    EXPECT_NE(std::find(log.begin(), log.end(), "$PQELS,MDM,DAL,1"), log.end());
    // About one position and one sky per second; positions need the vector switched on.
    EXPECT_GE(countOf("{\"type\":\"position\""), 10u);
    EXPECT_GE(countOf("{\"type\":\"satellites\""), 10u);
    EXPECT_GE(countOf("{\"type\":\"position\",\"latitude\":47.37"), 5u) << "no fix near the place";
    ASSERT_GE(notes_.size(), 3u);
    EXPECT_EQ(notes_[1], "port A streams GGA GSA GSV GST ZDA VTG VEC every second");
}

TEST_F(LiveViewTest, StopsWhenAskedOrWhenTheDeviceGoesAway) {
    ASSERT_TRUE(sim_);
    const replay::LiveOptions options{.port = u"COM3:"};
    std::thread stopper([this] {
        platform::sleepMs(3000);
        stop_ = true;
    });
    EXPECT_EQ(run(options), LiveEnd::Stopped);
    stopper.join();
    EXPECT_GE(countOf("{\"type\":\"satellites\""), 1u) << "the board's own stream, unconfigured";

    stop_ = false;
    std::thread vanisher([this] {
        platform::sleepMs(2000);
        sim_->setFault(sim::SimFault::Vanish);
    });
    EXPECT_EQ(run(options), LiveEnd::LinkLost);
    vanisher.join();

    ScopedEnv nowhere("ZENTRIX_COM9", (root_.path() / "no-such-device").string());
    EXPECT_EQ(run({.port = u"COM9:"}), LiveEnd::PortFailed);
}

}  // namespace
}  // namespace zentrix::test
