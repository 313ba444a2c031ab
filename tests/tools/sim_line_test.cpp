// The simulator's line: baud rates that must match, the faults it shows on demand, the GPS-only
// chip's binary protocol and its switches, replaying a capture, and the small text helpers.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "tests/support/comma_locale.h"
#include "tests/support/nmea.h"
#include "tests/tools/sim_support.h"
#include "tools/sim/replay_peer.h"
#include "tools/sim/sim_text.h"
#include "tools/sim/sirf_chip.h"
#include "tools/sim/survey_board.h"

namespace zentrix::test {
namespace {

using sim::SimFault;

class SimLineTest : public ::testing::Test {
  protected:
    platform::ScopedClockSpeed fast_{50};
    ScratchDeviceRoot root_;
};

TEST_F(SimLineTest, OnlyTheReceiversRateCarriesSentencesAndCommands) {
    auto sim = startSimulator();
    ASSERT_TRUE(sim);
    {
        SimClient wrong(9600);
        ASSERT_TRUE(wrong.startReader());
        EXPECT_FALSE(wrong.reader().activityEvent().wait(3000)) << "a sentence start at 9600";
        EXPECT_FALSE(wrong.transact("$PQELQ,PRT", 3000));
        EXPECT_TRUE(sim->commandLog().empty()) << "a command understood at 9600";
        EXPECT_EQ(sim->lineBaud(), 9600u);
    }
    SimClient right(57600);
    ASSERT_TRUE(right.startReader());
    EXPECT_TRUE(right.reader().activityEvent().wait(3000));
    EXPECT_TRUE(right.transact("$PQELQ,PRT"));
    EXPECT_EQ(sim->commandLog(), std::vector<std::string>{"$PQELQ,PRT"});

    // A new rate for the handheld's port: the ACK still comes at the old one, then only the new
    // rate is understood.
    ASSERT_TRUE(right.acked("$PQELS,PRT,A,9"));
    EXPECT_EQ(sim->receiverBaud(), 115200u);
    EXPECT_FALSE(right.transact("$PQELQ,PRT", 2000));
    right.stopReader();
    ASSERT_TRUE(right.port().setBaudRate(115200));
    ASSERT_TRUE(right.startReader());
    EXPECT_TRUE(right.transact("$PQELQ,PRT"));
    EXPECT_EQ(right.replies().getReceiverPort().baudCode, 9u);
}

TEST_F(SimLineTest, FaultsShowTheFailuresTheyAreNamedFor) {
    auto sim = startSimulator();
    ASSERT_TRUE(sim);
    SimClient client;
    ASSERT_TRUE(client.startReader());

    sim->setFault(SimFault::NakEverything);
    ASSERT_TRUE(client.transact("$PQELQ,GPS"));
    EXPECT_TRUE(client.replies().nakReceived);
    EXPECT_FALSE(client.replies().gpsReceived);
    sim->clearFaults();

    sim->setFault(SimFault::WrongReplyFirst);
    ASSERT_TRUE(client.transact("$PQELQ,GPS"));
    // The unrelated reply released the wait; the right one trails it.
    EXPECT_TRUE(client.replies().prtReceived);
    EXPECT_FALSE(client.replies().gpsReceived);
    sim->clearFaults();
    platform::sleepMs(1500);  // let the right reply that trails arrive before the next command

    sim->setFault(SimFault::BadChecksums);
    ASSERT_TRUE(client.transact("$PQELQ,GPS"));  // the event is set, the parser ignores the reply
    EXPECT_FALSE(client.replies().gpsReceived);
    sim->clearFaults();

    sim->setFault(SimFault::DelayReplies);
    EXPECT_FALSE(client.transact("$PQELQ,SBA", 10000));
    EXPECT_TRUE(client.reader().replyEvent().wait(5000)) << "the late reply never came";
    EXPECT_TRUE(client.replies().sbaReceived);
    sim->clearFaults();

    sim->setFault(SimFault::Garbage);
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(client.transact("$PQELQ,PEM"));
        EXPECT_TRUE(client.replies().pemReceived);
    }
    sim->clearFaults();

    sim->setFault(SimFault::Silence);
    platform::sleepMs(1500);
    client.reader().activityEvent().reset();
    EXPECT_FALSE(client.transact("$PQELQ,GPS", 3000));
    EXPECT_FALSE(client.reader().activityEvent().wait(2000));
    EXPECT_TRUE(sim->waitForCommand("$PQELQ,GPS", 1000)) << "a silent receiver still hears";
    sim->clearFaults();
    EXPECT_TRUE(client.transact("$PQELQ,GPS"));
}

TEST_F(SimLineTest, VanishClosesTheDeviceAndClearingItBringsANewOne) {
    auto sim = startSimulator();
    ASSERT_TRUE(sim);
    const std::string before = sim->devicePath();
    SimClient client;
    ASSERT_TRUE(client.startReader());
    ASSERT_TRUE(client.transact("$PQELQ,GPS"));
    // One reader at a time on the port: the reader thread goes before the test reads itself.
    client.stopReader();
    sim->setFault(SimFault::Vanish);
    // What the board sent before it vanished may still be queued: read until the line fails, by
    // time rather than by a count of bytes, so a loaded machine cannot make the test lose.
    uint8_t byte = 0;
    uint32_t got = 0;
    bool failed = false;
    const uint32_t start = platform::Clock::tickCount();
    while (!failed && platform::ticksSince(start) < 20000) {
        failed = !client.port().read(&byte, 1, &got, 100);
    }
    EXPECT_TRUE(failed) << "the port still reads after the device vanished";

    sim->clearFaults();
    const uint32_t cleared = platform::Clock::tickCount();
    while (sim->devicePath() == before && platform::ticksSince(cleared) < 20000) {
        platform::sleepMs(50);
    }
    EXPECT_EQ(std::filesystem::read_symlink(root_.path() / "devices/COM3").string(),
              sim->devicePath());
    SimClient again;
    ASSERT_TRUE(again.port().isOpen());
    ASSERT_TRUE(again.startReader());
    EXPECT_TRUE(again.transact("$PQELQ,GPS"));
}

// ---- The GPS-only chip, talked to with raw frames ------------------------------------------

class SirfLine {
  public:
    explicit SirfLine(uint32_t baud) {
        port_.open(u"COM3:");
        port_.setBaudRate(baud);
    }
    bool send(const std::string& bytes) {
        uint32_t written = 0;
        return port_.write(bytes.data(), static_cast<uint32_t>(bytes.size()), &written) &&
               written == bytes.size();
    }
    /// Payloads of the well-formed binary frames received within `ms` clock milliseconds.
    std::vector<std::vector<uint8_t>> frames(uint32_t ms, std::string* text = nullptr) {
        std::string bytes;
        const uint32_t start = platform::Clock::tickCount();
        while (platform::ticksSince(start) < ms) {
            uint8_t buffer[512];
            uint32_t got = 0;
            if (!port_.read(buffer, sizeof buffer, &got, 100))
                break;
            bytes.append(reinterpret_cast<char*>(buffer), got);
        }
        if (text)
            *text = bytes;
        std::vector<std::vector<uint8_t>> out;
        for (size_t i = 0; i + 8 <= bytes.size(); ++i) {
            if (static_cast<uint8_t>(bytes[i]) != 0xA0 ||
                static_cast<uint8_t>(bytes[i + 1]) != 0xA2)
                continue;
            const size_t length =
                static_cast<uint8_t>(bytes[i + 2]) << 8 | static_cast<uint8_t>(bytes[i + 3]);
            if (i + 8 + length > bytes.size())
                break;
            std::vector<uint8_t> payload(bytes.begin() + i + 4, bytes.begin() + i + 4 + length);
            uint32_t sum = 0;
            for (uint8_t b : payload) sum += b;
            const uint32_t stated = static_cast<uint8_t>(bytes[i + 4 + length]) << 8 |
                                    static_cast<uint8_t>(bytes[i + 5 + length]);
            if ((sum & 0xFFFF) == stated)
                out.push_back(payload);
            i += 7 + length;
        }
        return out;
    }
    platform::SerialPort& port() { return port_; }

  private:
    platform::SerialPort port_;
};

/// The last frame of a message identifier, or none.
const std::vector<uint8_t>* findMid(const std::vector<std::vector<uint8_t>>& frames, uint8_t mid) {
    const std::vector<uint8_t>* found = nullptr;
    for (const auto& f : frames) {
        if (!f.empty() && f[0] == mid)
            found = &f;
    }
    return found;
}

TEST_F(SimLineTest, SirfChipAcknowledgesStreamsAndSwitchesProtocol) {
    sim::SimOptions options;
    options.receiver = sim::SimReceiver::SirfChip;
    options.baudRate = 38400;
    auto sim = startSimulator(options);
    ASSERT_TRUE(sim);
    SirfLine line(38400);
    auto frames = line.frames(5000);  // past the first fix
    const auto* nav = findMid(frames, 41);
    ASSERT_TRUE(nav && nav->size() == 91);
    ASSERT_TRUE(findMid(frames, 4));
    EXPECT_EQ((*findMid(frames, 4))[7], 12);  // twelve channels
    const int32_t latitude = (*nav)[23] << 24 | (*nav)[24] << 16 | (*nav)[25] << 8 | (*nav)[26];
    EXPECT_NEAR(latitude * 1e-7, sim::Place().latitudeDegrees, 1e-3);

    // Elevation mask and SBAS, then read back through the navigation parameters.
    ASSERT_TRUE(line.send(sim::sirfFrame({139, 0, 50, 0, 150})));
    ASSERT_TRUE(line.send(sim::sirfFrame({133, 1, 0, 0, 0, 0, 0})));
    ASSERT_TRUE(line.send(sim::sirfFrame({138, 0, 30})));
    ASSERT_TRUE(line.send(sim::sirfFrame({152, 0})));
    std::vector<uint8_t> initialise(25, 0);
    initialise[0] = 128;
    initialise[23] = 12;
    initialise[24] = 16;
    ASSERT_TRUE(line.send(sim::sirfFrame(initialise)));
    frames = line.frames(1500);
    int acks = 0;
    for (const auto& f : frames) acks += f.size() == 2 && f[0] == 11;
    EXPECT_EQ(acks, 5);
    EXPECT_TRUE(findMid(frames, 6));  // a restarted chip announces its version
    const auto* parameters = findMid(frames, 19);
    ASSERT_TRUE(parameters && parameters->size() == 65);
    EXPECT_EQ(((*parameters)[20] << 8 | (*parameters)[21]) / 10, 15);
    EXPECT_EQ((*parameters)[27], 1);
    EXPECT_EQ((*parameters)[28], 0);

    ASSERT_TRUE(line.send(sim::sirfFrame({200, 1})));
    frames = line.frames(500);
    ASSERT_TRUE(findMid(frames, 12));  // an unknown message is not acknowledged

    // Back to NMEA at 38400, then to binary at 57600 with the text command.
    std::vector<uint8_t> toNmea = {129, 2};
    toNmea.insert(toNmea.end(), 12, 1);
    toNmea.insert(toNmea.end(), {0, 1, 0, 1, 0, 1, 0, 1, 0x96, 0x00});
    ASSERT_TRUE(line.send(sim::sirfFrame(toNmea)));
    std::string text;
    line.frames(2500, &text);
    EXPECT_NE(text.find("$GPGGA,"), std::string::npos);
    ASSERT_TRUE(line.send(withChecksum("$PSRF100,0,57600,8,1,0")));
    platform::sleepMs(300);
    EXPECT_EQ(sim->receiverBaud(), 57600u);
    ASSERT_TRUE(line.port().setBaudRate(57600));
    frames = line.frames(2500);
    EXPECT_TRUE(findMid(frames, 41));
}

// ---- Replay --------------------------------------------------------------------------------

TEST(SimReplay, LinesKeepTheirCaptureTimesAndGetCarriageReturns) {
    const std::string capture =
        "# note\n$GPGGA,120000.00,x\n$GPGSV,1\n$GPGGA,120002.50,x\r\n$GPRMC,235959.00,x\n"
        "$GPZDA,000001.00,x\n";
    const auto lines = sim::ReplayPeer::linesOf(capture);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].bytes, "$GPGGA,120000.00,x\r\n");
    EXPECT_EQ(lines[1].offsetSeconds, 0.0);
    EXPECT_DOUBLE_EQ(lines[2].offsetSeconds, 2.5);
    EXPECT_DOUBLE_EQ(lines[3].offsetSeconds, 43199.0);
    EXPECT_DOUBLE_EQ(lines[4].offsetSeconds, 43201.0);  // across midnight

    // A receiver that doubles every "$" keeps its pace too, instead of playing at line speed.
    const auto doubled =
        sim::ReplayPeer::linesOf("$$GNGGA,120000.00,x\n$$GNGGA,120001.00,x\n$$,1\n");
    ASSERT_EQ(doubled.size(), 3u);
    EXPECT_DOUBLE_EQ(doubled[1].offsetSeconds, 1.0);
    EXPECT_DOUBLE_EQ(doubled[2].offsetSeconds, 1.0);
}

TEST_F(SimLineTest, ReplayPlaysTheCaptureOntoTheLine) {
    const std::filesystem::path log = root_.path() / "capture.log";
    std::ofstream(log)
        << withChecksum("$GPGGA,120000.00,4722.0,N,00832.0,E,1,08,1.0,400.0,M,47.0,M,,")
        << withChecksum("$GPGGA,120001.00,4722.0,N,00832.0,E,1,08,1.0,400.0,M,47.0,M,,");
    sim::SimOptions options;
    options.receiver = sim::SimReceiver::Replay;
    options.replayLog = log;
    // Played again and again: what left before the client opened its end is not lost for good.
    options.replayLoop = true;
    auto sim = startSimulator(options);
    ASSERT_TRUE(sim);
    SirfLine line(57600);
    std::string text;
    line.frames(2000, &text);
    EXPECT_NE(text.find("$GPGGA,120000.00"), std::string::npos);
    EXPECT_NE(text.find("$GPGGA,120001.00"), std::string::npos);
}

// ---- Text helpers --------------------------------------------------------------------------

TEST(SimText, CommandNumbersArePlainDecimalsWhateverTheLocale) {
    ScopedCommaLocale comma;
    ASSERT_TRUE(comma.active());
    double value = 0;
    ASSERT_TRUE(sim::parseNumber("1.00", &value));
    EXPECT_EQ(value, 1.0);
    ASSERT_TRUE(sim::parseNumber("-0.25", &value));
    EXPECT_EQ(value, -0.25);
    for (const char* refused : {"1,00", "1e3", "inf", "0x10", "", " 1", "1.0 "})
        EXPECT_FALSE(sim::parseNumber(refused, &value)) << refused;
}

TEST(SimText, CoordinatesRoundTripAndCarryIntoTheNextDegree) {
    EXPECT_EQ(sim::latitudeText(45.5), "4530.000000,N");
    EXPECT_EQ(sim::longitudeText(-7.25), "00715.000000,W");
    EXPECT_EQ(sim::latitudeText(10.99999999999), "1100.000000,N");
    double degrees = 0;
    ASSERT_TRUE(sim::parseCoordinate("3330.0000000", "S", &degrees));
    EXPECT_DOUBLE_EQ(degrees, -33.5);
    EXPECT_FALSE(sim::parseCoordinate("4575.0", "N", &degrees));
    EXPECT_FALSE(sim::parseCoordinate("4530.0", "Q", &degrees));
    long value = 0;
    EXPECT_FALSE(sim::parseInteger("12a", 0, 99, &value));
    EXPECT_FALSE(sim::parseInteger("100", 0, 99, &value));
    EXPECT_TRUE(sim::parseInteger("-5", -9, 9, &value));
    EXPECT_EQ(sim::timeOfDayText(86399.999), "000000.00");
}

}  // namespace
}  // namespace zentrix::test

namespace zentrix::test {
namespace {

// A line that only counts: for feeding the receivers directly.
class CountingLine : public sim::SimLine {
  public:
    uint64_t nowMs() const override { return now; }
    void send(std::string bytes, sim::OutputKind) override { sent += bytes.size(); }
    void logCommand(std::string) override { ++commands; }
    bool fault(SimFault) const override { return false; }
    uint64_t now = 0;
    size_t sent = 0;
    size_t commands = 0;
};

TEST(SimHostileInput, RandomBytesAndRunawayLinesNeverUpsetTheReceivers) {
    std::mt19937 random(42);
    sim::SurveyBoard board({});
    sim::SirfChip chip({});
    CountingLine line;
    std::vector<uint8_t> bytes(4096);
    for (int round = 0; round < 200; ++round) {
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
        // Some rounds look like commands and frames, so that the parsers get past their start.
        if (round % 3 == 0)
            std::memcpy(bytes.data(), "$PQELS,NME,A,GGA,ON,", 20);
        if (round % 3 == 1)
            std::memcpy(bytes.data(), "\xA0\xA2\x00\x05\x98", 5);
        board.receive(bytes.data(), bytes.size(), line);
        chip.receive(bytes.data(), bytes.size(), line);
        line.now += 250;
        board.tick(line);
        chip.tick(line);
    }
    EXPECT_GT(line.sent, 0u);
    EXPECT_GT(line.commands, 0u);
}

// A line that also keeps what it carried, as text.
class RecordingLine : public CountingLine {
  public:
    void send(std::string bytes, sim::OutputKind kind) override {
        text += bytes;
        CountingLine::send(std::move(bytes), kind);
    }
    bool carried(const char* what) const { return text.find(what) != std::string::npos; }
    std::string text;
};

TEST(SimBoardEpochs, AnEnabledMessageFirstLeavesAtItsNextEpoch) {
    // Were it sent at once, the answer to the next command would queue behind it on the line.
    sim::SurveyBoard board({});
    RecordingLine line;
    line.now = 10'000;
    board.tick(line);

    line.text.clear();
    line.now = 10'250;
    board.handleCommand("$PQELS,NME,A,ZDA,ON,1.00", line);
    board.tick(line);
    EXPECT_TRUE(line.carried("$PQELR,ACK"));
    EXPECT_FALSE(line.carried("ZDA,"));
    line.now = 10'999;
    board.tick(line);
    EXPECT_FALSE(line.carried("ZDA,"));
    line.now = 11'000;
    board.tick(line);
    EXPECT_TRUE(line.carried("ZDA,")) << line.text;

    // A message given a new interval keeps to the new grid from its next epoch on.
    line.text.clear();
    line.now = 11'100;
    board.handleCommand("$PQELS,NME,A,GGA,ON,0.50", line);
    board.tick(line);
    EXPECT_TRUE(line.carried("$PQELR,ACK"));
    EXPECT_FALSE(line.carried("GGA,"));
    line.now = 11'500;
    board.tick(line);
    EXPECT_TRUE(line.carried("GGA,")) << line.text;
}

}  // namespace
}  // namespace zentrix::test
