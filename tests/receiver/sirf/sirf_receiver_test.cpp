// The GPS-only receiver against the simulated chip: the connection search and switch, settings,
// reset and raw recording.
#include "receiver/sirf/sirf_receiver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/local_time.h"
#include "receiver/sirf/sirf_framer.h"
#include "tests/support/simulated_receiver.h"
#include "tests/support/test_support.h"
#include "tools/sim/simulator.h"

namespace zentrix::receiver {
namespace {

using sim::Simulator;

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

/// Every complete frame in `bytes`, as framed by the program's framer.
std::vector<std::string> framesOf(std::string_view bytes) {
    std::vector<std::string> frames;
    SirfFramer framer;
    for (const char c : bytes) {
        if (framer.feed(static_cast<uint8_t>(c)) == SirfFramer::Feed::Complete) {
            const auto f = framer.frame();
            frames.emplace_back(reinterpret_cast<const char*>(f.data()), f.size());
        }
    }
    return frames;
}

class SirfReceiverTest : public ::testing::Test {
  protected:
    std::unique_ptr<Simulator> startChip(uint32_t baud, bool binary) {
        sim::SimOptions options;
        options.receiver = sim::SimReceiver::SirfChip;
        options.baudRate = baud;
        options.sirfStartsBinary = binary;
        options.startUtcSeconds = 1700000000;
        options.keepTranscript = true;
        return test::startSimulatorWith(options);
    }

    test::ScratchDeviceRoot root_;
    test::ScopedEnv model_{"ZENTRIX_MODEL_CODE", "ZX-5678"};
    platform::ScopedLocalDate date_{{2013, 3, 18}};
    platform::ScopedClockSpeed fast_{40};
};

/// The chip restarts its navigation when it is initialised: the first fix takes a while.
bool waitForFix(SirfReceiver& receiver) {
    for (int tries = 0; tries < 60; ++tries) {
        if (receiver.waitVector())
            return true;
    }
    return false;
}

std::vector<std::string> quietRates() {
    std::vector<std::string> log;
    for (int i = 0; i < 10; ++i) log.push_back("SiRF MID 166 (8 bytes)");
    return log;
}

TEST_F(SirfReceiverTest, FindsTheChipAndSwitchesItToBinaryAt57600) {
    struct Row {
        const char* legend;
        uint32_t baud;
        bool binary;
        std::vector<std::string> switching;
    };
    const Row rows[] = {
        {"binary at the third rate",
         38400,
         true,
         {"SiRF MID 129 (24 bytes)", "$PSRF100,0,57600,8,1,0*37"}},
        {"NMEA at the first rate", 9600, false, {"$PSRF100,0,57600,8,1,0*37"}},
        {"binary at the last rate",
         4800,
         true,
         {"SiRF MID 129 (24 bytes)", "$PSRF100,0,57600,8,1,0*37"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        auto simulator = startChip(row.baud, row.binary);
        ASSERT_TRUE(simulator);
        SirfReceiver receiver;
        ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
        EXPECT_EQ(receiver.foundBaud(), row.baud);
        EXPECT_EQ(receiver.serialPort().baudRate(), 57600u);
        EXPECT_EQ(simulator->receiverBaud(), 57600u);

        std::vector<std::string> expected = row.switching;
        expected.push_back("SiRF MID 128 (25 bytes)");
        const auto quiet = quietRates();
        expected.insert(expected.end(), quiet.begin(), quiet.end());
        expected.push_back("SiRF MID 143 (2 bytes)");
        auto log = simulator->commandLog();
        // In NMEA the chip logs every line it hears; only the switch is of interest.
        std::erase_if(log, [](const std::string& c) {
            return c.rfind("$", 0) == 0 && c.find("PSRF100") == std::string::npos;
        });
        EXPECT_EQ(log, expected);
        EXPECT_TRUE(waitForFix(receiver)) << "positions arrive in binary at 57600";

        simulator->clearCommandLog();
        EXPECT_EQ(receiver.disconnect(), 1u);
        EXPECT_EQ(simulator->commandLog(), std::vector<std::string>{"SiRF MID 129 (24 bytes)"});
        EXPECT_EQ(simulator->receiverBaud(), 9600u) << "given back in NMEA at 9600";
        EXPECT_FALSE(receiver.serialPort().isOpen());
    }
}

// The chip never acknowledges the switch to NMEA: it leaves binary at once. Waiting the full
// 5 s for an answer that cannot come made every exit slow; a chip that does answer while it
// still talks binary is still waited for.
TEST_F(SirfReceiverTest, GivingTheChipBackWaitsOnlyWhileItCanStillAnswer) {
    {
        auto simulator = startChip(57600, true);
        ASSERT_TRUE(simulator);
        SirfReceiver receiver;
        ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
        simulator->clearCommandLog();
        const uint32_t start = platform::Clock::tickCount();
        EXPECT_EQ(receiver.disconnect(), 1u);
        const uint32_t took = platform::ticksSince(start);
        EXPECT_LT(took, 2000u) << "a chip that switched is not waited for";
        EXPECT_EQ(simulator->commandLog(), std::vector<std::string>{"SiRF MID 129 (24 bytes)"});
        EXPECT_EQ(simulator->receiverBaud(), 9600u);
        std::printf("[ measure ] chip given back in %u clock ms\n", took);
    }
    {
        auto simulator = startChip(57600, true);
        ASSERT_TRUE(simulator);
        SirfReceiver receiver;
        ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
        // The chip refuses the switch, late, and keeps streaming binary meanwhile. Its stream is
        // delayed as much as its replies: once the delay is in force it flows steadily again.
        simulator->setReplyDelayMs(2500);
        simulator->setFault(sim::SimFault::DelayReplies);
        simulator->setFault(sim::SimFault::NakEverything);
        platform::sleepMs(3000);
        const uint32_t start = platform::Clock::tickCount();
        EXPECT_EQ(receiver.disconnect(), 1u);
        const uint32_t took = platform::ticksSince(start);
        EXPECT_GE(took, 2000u) << "the answer of a chip still in binary is waited for";
        EXPECT_LT(took, 4500u) << "and the wait ends with it";
    }
}

TEST_F(SirfReceiverTest, ASilentLineFailsAfterThreeAttemptsAtEveryRate) {
    auto simulator = startChip(38400, true);
    ASSERT_TRUE(simulator);
    simulator->setFault(sim::SimFault::Silence);
    platform::sleepMs(1000);
    SirfReceiver receiver;
    EXPECT_EQ(receiver.connect(u"COM3:"), 0u);
    EXPECT_FALSE(receiver.serialPort().isOpen());
    EXPECT_EQ(receiver.disconnect(), 1u);
}

// The steps a start-up window shows, and a search given up part-way, for the chip's search with
// its repeated attempts.
TEST_F(SirfReceiverTest, TellsEachStepAndGivesTheSearchUpWhenTheListenerSaysSo) {
    auto simulator = startChip(19200, true);
    ASSERT_TRUE(simulator);
    SirfReceiver receiver;
    std::vector<std::string> steps;
    bool giveUp = false;
    bool gaveUp = false;  // as a Cancel button: once said, for good
    receiver.setConnectProgress([&](const ConnectStep& step) {
        steps.push_back(std::to_string(static_cast<int>(step.stage)) + " " +
                        std::to_string(step.baudRate));
        gaveUp = gaveUp || (giveUp && step.baudRate == 9600);
        return !gaveUp;
    });
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    EXPECT_EQ(steps, (std::vector<std::string>{"0 0", "1 9600", "1 19200", "2 19200", "3 57600"}));
    receiver.disconnect();

    // Given back, the chip rests at 9600; the search is given up while that rate is tried.
    steps.clear();
    giveUp = true;
    EXPECT_EQ(receiver.connect(u"COM3:"), 0u);
    EXPECT_EQ(steps, (std::vector<std::string>{"0 0", "1 9600", "0 0"}))
        << "the second attempt ends before it opens the port";
    EXPECT_FALSE(receiver.serialPort().isOpen());
    receiver.disconnect();
}

// Unplugged while connected, the chip's reader ends by itself; after the owner's disconnect and
// the device's return, the same receiver object finds the chip and reads from it again.
TEST_F(SirfReceiverTest, AfterTheDeviceVanishedTheSameReceiverConnectsAndReadsAgain) {
    auto simulator = startChip(57600, true);
    ASSERT_TRUE(simulator);
    SirfReceiver receiver;
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    simulator->setFault(sim::SimFault::Vanish);
    for (int i = 0; i < 200 && receiver.reader().eventsReady(); ++i) platform::sleepMs(100);
    ASSERT_FALSE(receiver.reader().eventsReady()) << "the reader outlived its device";
    EXPECT_EQ(receiver.disconnect(), 1u);
    EXPECT_FALSE(receiver.serialPort().isOpen());

    // The device comes back (a new pseudo-terminal, often under the old name) once the
    // receiver writes to the line again.
    const uint64_t written = simulator->bytesWritten();
    simulator->clearFaults();
    for (int i = 0; i < 200 && simulator->bytesWritten() == written; ++i) platform::sleepMs(100);
    ASSERT_GT(simulator->bytesWritten(), written) << "the device did not come back";
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    EXPECT_EQ(receiver.foundBaud(), 57600u);
    EXPECT_TRUE(waitForFix(receiver)) << "the new reader publishes positions";
    EXPECT_EQ(receiver.disconnect(), 1u);
}

TEST_F(SirfReceiverTest, SettingsAreSetAndReadBack) {
    auto simulator = startChip(57600, true);
    ASSERT_TRUE(simulator);
    SirfReceiver receiver;
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);

    uint8_t on = 9;
    ASSERT_EQ(receiver.setSbas(true), 1u);
    ASSERT_EQ(receiver.querySbas(on), 1u);
    EXPECT_EQ(on, 1);
    ASSERT_EQ(receiver.setSbas(false), 1u);
    ASSERT_EQ(receiver.querySbas(on), 1u);
    EXPECT_EQ(on, 0);

    uint32_t degrees = 0;
    ASSERT_EQ(receiver.setElevationMask(15), 1u);
    ASSERT_EQ(receiver.queryElevationMask(degrees), 1u);
    EXPECT_EQ(degrees, 15u);
    EXPECT_EQ(simulator->commandLog().back(), "SiRF MID 152 (2 bytes)");

    simulator->clearCommandLog();
    ASSERT_EQ(receiver.resetReceiver(), 1u);
    std::vector<std::string> expected = {"SiRF MID 172 (28 bytes)", "SiRF MID 128 (25 bytes)"};
    const auto quiet = quietRates();
    expected.insert(expected.end(), quiet.begin(), quiet.end());
    expected.push_back("SiRF MID 143 (2 bytes)");
    EXPECT_EQ(simulator->commandLog(), expected);

    // What the chip has no counterpart for fails without a word on the line.
    simulator->clearCommandLog();
    EXPECT_EQ(receiver.setGlonass(true), 0u);
    EXPECT_EQ(receiver.sendFreeCommand("$PSRF101"), 0u);
    EXPECT_EQ(receiver.hasProprietaryCommands(), 0u);
    EXPECT_TRUE(simulator->commandLog().empty());

    simulator->setFault(sim::SimFault::NakEverything);
    EXPECT_EQ(receiver.setSbas(true), 0u);
    EXPECT_EQ(receiver.querySbas(on), 0u);
    EXPECT_EQ(receiver.resetReceiver(), 0u);
    simulator->clearFaults();
    receiver.disconnect();
}

TEST_F(SirfReceiverTest, ARecordingHoldsEveryFrameTheChipSentByteForByte) {
    auto simulator = startChip(57600, true);
    ASSERT_TRUE(simulator);
    SirfReceiver receiver(1);
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);

    ASSERT_EQ(receiver.setRecording(true), 1u);
    const auto first = receiver.recordingPath();
    EXPECT_EQ(first, root_.path() / "My Documents" / "GPS Raw Data" / "567813031800.grw");
    ASSERT_TRUE(waitForFix(receiver));
    for (int epochs = 0; epochs < 3;) epochs += receiver.waitVector();
    ASSERT_EQ(receiver.isRecordingFileOpen(), 1u);
    ASSERT_EQ(receiver.setRecording(false), 1u);
    EXPECT_EQ(receiver.isRecordingFileOpen(), 0u);
    EXPECT_EQ(receiver.pollRecordingStopped(), 0u);

    const std::string file = readAll(first);
    ASSERT_EQ(file.substr(0, 3), "GP3");
    const std::vector<std::string> recorded = framesOf(std::string_view(file).substr(3));
    ASSERT_GE(recorded.size(), 8u);
    size_t frameBytes = 3;
    for (const std::string& f : recorded) frameBytes += f.size();
    EXPECT_EQ(frameBytes, file.size()) << "nothing but whole frames";

    // The recorded frames are an unbroken run of what went over the line.
    const std::vector<std::string> sent = framesOf(simulator->lineTranscript());
    const auto start =
        std::search(sent.begin(), sent.end(), recorded.begin(), recorded.begin() + 1);
    ASSERT_NE(start, sent.end());
    ASSERT_LE(recorded.size(), static_cast<size_t>(sent.end() - start));
    EXPECT_TRUE(std::equal(recorded.begin(), recorded.end(), start));
    // With the first fix the chip was asked for its ephemeris.
    const auto heard = simulator->commandLog();
    EXPECT_NE(std::find(heard.begin(), heard.end(), "SiRF MID 147 (3 bytes)"), heard.end());

    ASSERT_EQ(receiver.setRecording(true), 1u);
    EXPECT_EQ(receiver.recordingPath().filename(), "567813031801.grw");
    EXPECT_EQ(receiver.setRecording(true), 1u) << "already running";
    EXPECT_EQ(receiver.recordingPath().filename(), "567813031801.grw");
    receiver.disconnect();
    EXPECT_EQ(receiver.isRecordingFileOpen(), 0u);
}

}  // namespace
}  // namespace zentrix::receiver
