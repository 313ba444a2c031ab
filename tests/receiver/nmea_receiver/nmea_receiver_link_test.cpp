// A plain NMEA receiver on a line: the passive search over the six rates, the reader thread that
// publishes whole epochs, and a device that goes away. The receiver is only ever listened to.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "receiver/nmea_receiver/nmea_receiver.h"
#include "tests/support/nmea.h"
#include "tests/support/pty.h"
#include "tests/support/simulated_receiver.h"
#include "tests/support/test_support.h"
#include "tests/support/testdata.h"
#include "tools/sim/simulator.h"

namespace zentrix::receiver {
namespace {

using sim::Simulator;

/// Captured at 1 Hz, GPS and GLONASS in one GSV cycle per signal.
constexpr const char* kOneHertzCapture = "gpsd/ublox-f9p-hpnmea.log";
/// GPS, Galileo and BeiDou, every sentence started by "$$".
constexpr const char* kGalileoBeidouCapture = "gpsd/st-teseo-liv4f.log";

class NmeaReceiverLinkTest : public ::testing::Test {
  protected:
    /// A receiver replaying `capture` at `baud`, looping at the capture's pace.
    std::unique_ptr<Simulator> startReceiver(const char* capture, uint32_t baud,
                                             bool realTime = true) {
        sim::SimOptions options;
        options.receiver = sim::SimReceiver::Replay;
        options.replayLog = test::testdataPath(capture);
        options.replayRealTime = realTime;
        options.replayLoop = true;
        options.baudRate = baud;
        return test::startSimulatorWith(options);
    }

    test::ScratchDeviceRoot root_;
    // Fast enough to run the silent windows in a blink, slow enough that the simulator's line
    // still goes quiet between a 1 Hz receiver's bursts as a real one does.
    platform::ScopedClockSpeed fast_{10};
};

bool waitForPosition(NmeaReceiver& receiver) {
    for (int tries = 0; tries < 10; ++tries) {
        if (receiver.waitVector())
            return true;
    }
    return false;
}

class EachRate : public NmeaReceiverLinkTest, public ::testing::WithParamInterface<uint32_t> {};

// At every rate the receiver is found at that rate, the port's own rate is tried first and no
// rate twice, each step is told, and not one byte goes to the receiver at any rate.
TEST_P(EachRate, FindsTheReceiverWithoutSayingAWord) {
    const uint32_t baud = GetParam();
    auto simulator = startReceiver(kOneHertzCapture, baud);
    ASSERT_TRUE(simulator);
    NmeaReceiver receiver;
    std::vector<ConnectStep> steps;
    receiver.setConnectProgress([&](const ConnectStep& step) {
        steps.push_back(step);
        return true;
    });
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    EXPECT_EQ(receiver.foundBaud(), baud);
    EXPECT_EQ(receiver.serialPort().baudRate(), baud);
    EXPECT_EQ(receiver.isConnected(), 1u);

    const std::vector<uint32_t> tried = receiver.ratesTried();
    ASSERT_FALSE(tried.empty());
    EXPECT_EQ(tried.back(), baud);
    EXPECT_EQ(std::set<uint32_t>(tried.begin(), tried.end()).size(), tried.size());
    ASSERT_EQ(steps.size(), tried.size() + 2);
    EXPECT_EQ(steps.front().stage, ConnectStep::Stage::OpeningPort);
    for (size_t i = 0; i < tried.size(); ++i) {
        EXPECT_EQ(steps[i + 1].stage, ConnectStep::Stage::TryingRate);
        EXPECT_EQ(steps[i + 1].baudRate, tried[i]);
    }
    EXPECT_EQ(steps.back().stage, ConnectStep::Stage::Connected);
    EXPECT_EQ(steps.back().baudRate, baud);

    EXPECT_TRUE(waitForPosition(receiver)) << "the reader publishes what the receiver says";
    EXPECT_EQ(receiver.disconnect(), 1u);
    EXPECT_FALSE(receiver.serialPort().isOpen());
    EXPECT_EQ(receiver.isConnected(), 0u);
    platform::sleepMs(500);  // the simulator reads the line every few milliseconds
    EXPECT_EQ(simulator->bytesHeard(), 0u);
}

INSTANTIATE_TEST_SUITE_P(SixRates, EachRate,
                         ::testing::ValuesIn(NmeaReceiver::kSearchRates.begin(),
                                             NmeaReceiver::kSearchRates.end()));

// The worst case: the receiver at the last rate and the port at another, which is tried first.
// Every wrong rate is ruled out on the garbled bytes of the receiver's bursts, not on a silent
// window of its own.
TEST_F(NmeaReceiverLinkTest, AReceiverAtTheLastRateIsFoundWithinTwoOfItsBursts) {
    auto simulator = startReceiver(kOneHertzCapture, 38400);
    ASSERT_TRUE(simulator);
    {
        // The line's settings outlive this descriptor: the simulator holds the device open.
        platform::SerialPort port;
        port.open(u"COM3:");
        ASSERT_TRUE(port.isOpen());
        ASSERT_TRUE(port.setBaudRate(4800));
    }
    NmeaReceiver receiver;
    const uint32_t start = platform::Clock::tickCount();
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    const uint32_t took = platform::ticksSince(start);
    EXPECT_EQ(receiver.ratesTried(),
              (std::vector<uint32_t>{4800, 57600, 115200, 9600, 19200, 38400}));
    EXPECT_LT(took, 3000u);
}

// A line that says nothing is listened to for one window per rate, then given up: the port is
// closed and nothing was said on it.
TEST_F(NmeaReceiverLinkTest, ASilentLineFailsAfterOneWindowAtEachRate) {
    // Fast enough that what it said before it fell silent leaves the line within a second.
    auto simulator = startReceiver(kOneHertzCapture, 115200);
    ASSERT_TRUE(simulator);
    simulator->setFault(sim::SimFault::Silence);
    platform::sleepMs(1000);
    NmeaReceiver receiver;
    const uint32_t start = platform::Clock::tickCount();
    EXPECT_EQ(receiver.connect(u"COM3:"), 0u);
    const uint32_t took = platform::ticksSince(start);
    EXPECT_EQ(receiver.ratesTried().size(), NmeaReceiver::kSearchRates.size());
    EXPECT_EQ(receiver.foundBaud(), 0u);
    EXPECT_FALSE(receiver.serialPort().isOpen());
    EXPECT_EQ(receiver.isConnected(), 0u);
    EXPECT_EQ(receiver.waitVector(), 0u);
    // A 1 Hz receiver's gap fits in each window; six of them are the whole wait.
    EXPECT_GE(took, 6u * 1000u);
    EXPECT_LT(took, 6u * 2000u);
    platform::sleepMs(200);
    EXPECT_EQ(simulator->bytesHeard(), 0u);
}

// A listener that gives the search up stops it at that rate, with the port closed.
TEST_F(NmeaReceiverLinkTest, TheSearchStopsWhenTheListenerGivesItUp) {
    auto simulator = startReceiver(kOneHertzCapture, 38400);
    ASSERT_TRUE(simulator);
    NmeaReceiver receiver;
    int trying = 0;
    receiver.setConnectProgress([&](const ConnectStep& step) {
        return step.stage != ConnectStep::Stage::TryingRate || ++trying < 3;
    });
    EXPECT_EQ(receiver.connect(u"COM3:"), 0u);
    EXPECT_EQ(trying, 3);
    EXPECT_EQ(receiver.ratesTried().size(), 2u);
    EXPECT_FALSE(receiver.serialPort().isOpen());
}

/// The test plays the receiver on a bare pseudo-terminal: whatever the program writes stays in
/// the master's queue to be read back.
class BareLineTest : public ::testing::Test {
  protected:
    test::PseudoTerminal pty_;
    test::ScopedEnv com7_{"ZENTRIX_COM7", pty_.slavePath()};
    platform::ScopedClockSpeed fast_{10};
};

// Noise on every rate: bytes NMEA never carries, and text that looks like sentences with wrong
// checksums. Each rate is given up on those bytes, long before its silent window would end.
TEST_F(BareLineTest, ALineOfNoiseIsGivenUpOnItsBytes) {
    ASSERT_TRUE(pty_.ok());
    struct Case {
        const char* name;
        std::string chunk;
    };
    std::string binary;
    for (int i = 0; i < 64; ++i) binary.push_back(static_cast<char>(0x80 | (i * 37)));
    const std::string badSum =
        "$GPGGA,120000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,,,*00\r\n";
    for (const Case& c : {Case{"binary", binary}, Case{"text with wrong checksums", badSum}}) {
        SCOPED_TRACE(c.name);
        std::atomic<bool> stop{false};
        std::thread noise([&] {
            while (!stop) {
                pty_.send(c.chunk);
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
        NmeaReceiver receiver;
        const uint32_t start = platform::Clock::tickCount();
        EXPECT_EQ(receiver.connect(u"COM7:"), 0u);
        const uint32_t took = platform::ticksSince(start);
        stop = true;
        noise.join();
        EXPECT_EQ(receiver.ratesTried().size(), NmeaReceiver::kSearchRates.size());
        EXPECT_LT(took, 6u * 1000u) << "a window waited out instead of deciding on the bytes";
        EXPECT_FALSE(receiver.serialPort().isOpen());
        pty_.receive(50);  // the noise the line echoed back, if any
    }
}

// A receiver that writes its sentences back to back, several epochs in one write: the search's
// first sentence does not swallow the rest, the reader publishes each epoch whole, and it answers
// nothing.
TEST_F(BareLineTest, SentencesBackToBackInOneWriteAreAllRead) {
    ASSERT_TRUE(pty_.ok());
    auto epoch = [](const std::string& time, const std::string& latitude) {
        return test::withChecksum("$GNGGA," + time + "," + latitude +
                                  ",N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,") +
               test::withChecksum("$GNRMC," + time + ",A," + latitude +
                                  ",N,01131.0000,E,0.0,0.0,230394,,,A") +
               test::withChecksum("$GPGSV,1,1,02,05,40,083,46,12,20,120,40") +
               test::withChecksum("$GAGSV,1,1,01,11,50,200,42,7");
    };
    NmeaReceiver receiver;
    std::thread player([&] {
        // Wait for the search to open the port (raw: no echo) and purge it, then everything in
        // one write while the first rate is listened to.
        for (int i = 0; i < 2000 && (pty_.lineSettings().c_lflag & ECHO); ++i) platform::sleepMs(1);
        platform::sleepMs(300);
        pty_.send(epoch("120000.00", "4807.0000") + epoch("120001.00", "4807.5000"));
    });
    const uint32_t connected = receiver.connect(u"COM7:");
    player.join();
    ASSERT_EQ(connected, 1u);
    ASSERT_TRUE(waitForPosition(receiver));
    // The last epoch is published after the quiet gap that follows it.
    platform::sleepMs(3 * NmeaReader::kQuietGapMs);
    PositionRecord position;
    receiver.getPosition(position);
    EXPECT_NEAR(position.latitude, 48.0 + 7.5 / 60.0, 1e-9);
    EXPECT_NEAR(position.longitude, 11.0 + 31.0 / 60.0, 1e-9);
    SatelliteTable table;
    ASSERT_EQ(receiver.getSatellites(table), 3u);
    std::set<int32_t> numbers;
    for (uint32_t i = 0; i < table.count; ++i) numbers.insert(table.entries[i].prn);
    EXPECT_EQ(numbers, (std::set<int32_t>{5, 12, 311}));
    EXPECT_EQ(pty_.receive(100), "") << "the receiver was spoken to";
}

// A replayed multi-constellation capture: positions where the receiver was, and a table with
// Galileo and BeiDou numbered as other tools number them.
TEST_F(NmeaReceiverLinkTest, EpochsOfAReplayedCaptureArePublished) {
    auto simulator = startReceiver(kGalileoBeidouCapture, 115200);
    ASSERT_TRUE(simulator);
    NmeaReceiver receiver;
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    ASSERT_TRUE(waitForPosition(receiver));
    PositionRecord position;
    receiver.getPosition(position);
    EXPECT_NEAR(position.latitude, 47.383, 0.01);
    EXPECT_NEAR(position.longitude, 0.764, 0.01);

    bool galileo = false;
    bool beidou = false;
    for (int tries = 0; tries < 50 && !(galileo && beidou); ++tries) {
        receiver.waitVector();
        SatelliteTable table;
        receiver.getSatellites(table);
        for (uint32_t i = 0; i < table.count; ++i) {
            const int32_t prn = table.entries[i].prn;
            galileo = galileo || (prn >= 301 && prn <= 336);
            beidou = beidou || (prn >= 401 && prn <= 463);
        }
    }
    EXPECT_TRUE(galileo);
    EXPECT_TRUE(beidou);
    receiver.disconnect();
    platform::sleepMs(200);
    EXPECT_EQ(simulator->bytesHeard(), 0u);
}

// Unplugged while connected, the reader ends by itself and the receiver shows it; after the
// device's return the same object finds the receiver and reads from it again.
TEST_F(NmeaReceiverLinkTest, AfterTheDeviceVanishedTheSameReceiverConnectsAgain) {
    auto simulator = startReceiver(kOneHertzCapture, 115200);
    ASSERT_TRUE(simulator);
    NmeaReceiver receiver;
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    ASSERT_TRUE(waitForPosition(receiver));
    simulator->setFault(sim::SimFault::Vanish);
    for (int i = 0; i < 200 && receiver.isConnected(); ++i) platform::sleepMs(100);
    ASSERT_EQ(receiver.isConnected(), 0u) << "the reader outlived its device";
    EXPECT_TRUE(receiver.reader().sourceFailed());
    EXPECT_EQ(receiver.waitVector(), 0u);
    EXPECT_EQ(receiver.disconnect(), 1u);

    // Plugged in again: a new device, often under the old name, once the receiver talks again.
    const uint64_t written = simulator->bytesWritten();
    simulator->clearFaults();
    for (int i = 0; i < 200 && simulator->bytesWritten() == written; ++i) platform::sleepMs(100);
    ASSERT_GT(simulator->bytesWritten(), written) << "the device did not come back";
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    EXPECT_EQ(receiver.foundBaud(), 115200u);
    EXPECT_FALSE(receiver.reader().sourceFailed());
    EXPECT_TRUE(waitForPosition(receiver)) << "the new reader publishes positions";
    EXPECT_EQ(receiver.disconnect(), 1u);
}

}  // namespace
}  // namespace zentrix::receiver
