// zentrix-replay through a plain NMEA receiver's framer and epochs, and the board's lines that
// others parse, which must not change.
#include <gtest/gtest.h>
#include <termios.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "tests/support/nmea.h"
#include "tests/support/pty.h"
#include "tests/support/test_support.h"
#include "tests/support/testdata.h"
#include "tools/replay/replay.h"

namespace zentrix::replay {
namespace {

using nlohmann::json;
using test::withChecksum;

const std::vector<std::string> kNmeaLogs = {"polarx2",       "nmea-rtk",         "hemi",
                                            "saab-r4",       "bu353-glonass",    "skytraq-fixB",
                                            "gr8013-w",      "ublox-f9p-hpnmea", "st-teseo-liv4f",
                                            "sirfstarv-nmea"};

std::vector<json> nmeaLines(const std::string& bytes) {
    std::vector<json> lines;
    replay(bytes, {.receiver = ReceiverKind::Nmea},
           [&](const std::string& line) { lines.push_back(json::parse(line)); });
    return lines;
}

std::vector<std::string> keysOf(const json& object) {
    std::vector<std::string> keys;
    for (const auto& item : object.items()) keys.push_back(item.key());
    return keys;
}

// The board's position line, exactly as scripts read it today; the NMEA receiver's line has the
// same keys with its own "utc".
TEST(ReplayNmea, PositionLinesKeepTheBoardsFormAndAddAnIsoTime) {
    receiver::PositionRecord p{};
    p.latitude = 47.5;
    p.longitude = -0.75;
    p.altitude = 63.64;
    p.fixType = 4;
    p.satellitesUsed = 13;
    p.hdop = 1.7f;
    p.utcYear = 2021;
    p.utcMonth = 6;
    p.utcDay = 1;
    p.utcHour = 12;
    p.utcMinute = 34;
    p.utcSecond = 56;
    p.utcMillisecond = 500;
    EXPECT_EQ(positionJson(p, "$X*00\r\n"),
              "{\"type\":\"position\",\"latitude\":47.5,\"longitude\":-0.75,\"ellipsoidHeight\":0,"
              "\"altitude\":63.64,\"fixType\":4,\"satellitesUsed\":13,\"pdop\":0,\"hdop\":1.7,"
              "\"correctionAge\":0,\"referenceStationId\":0,\"horizontalError\":0,"
              "\"verticalError\":0,\"gpsWeek\":0,\"timeOfWeek\":0,\"courseOverGround\":0,"
              "\"speedOverGround\":0,\"utc\":\"2021-06-01T12:34:56.500\",\"source\":\"$X*00\"}");

    const json board = json::parse(positionJson(p, ""));
    const json nmea = json::parse(nmeaPositionJson(p, ""));
    EXPECT_EQ(keysOf(nmea), keysOf(board));
    EXPECT_EQ(nmea["utc"], "2021-06-01T12:34:56.50Z");

    struct Row {
        uint16_t millisecond;
        const char* utc;
    };
    for (const Row& row : {Row{0, "2021-06-01T12:34:56.00Z"}, Row{250, "2021-06-01T12:34:56.25Z"},
                           Row{125, "2021-06-01T12:34:56.125Z"}}) {
        p.utcMillisecond = row.millisecond;
        EXPECT_EQ(json::parse(nmeaPositionJson(p, ""))["utc"], row.utc) << row.millisecond;
    }
    p.utcYear = p.utcMonth = p.utcDay = 0;
    EXPECT_FALSE(json::parse(nmeaPositionJson(p, "")).contains("utc"))
        << "a time without a date is no instant";
}

// Without --receiver the tool is the board's, and its lines on every capture are the ones it
// printed before the NMEA receiver came (FNV-1a over every line and its line feed). If the board's
// parsing is changed on purpose, recompute the figures with the changed tool.
TEST(ReplayNmea, TheBoardsLinesOnEveryCaptureStayAsTheyWere) {
    uint64_t hash = 0xcbf29ce484222325u;
    size_t count = 0;
    for (const std::string& name : kNmeaLogs) {
        const std::string capture = test::readFile(test::testdataPath("gpsd/" + name + ".log"));
        ASSERT_FALSE(capture.empty()) << name;
        replay(capture, {.publishOnGga = true}, [&](const std::string& line) {
            ++count;
            for (const char ch : line + "\n") {
                hash ^= static_cast<unsigned char>(ch);
                hash *= 0x100000001b3u;
            }
        });
    }
    EXPECT_EQ(count, 459u);
    EXPECT_EQ(hash, 0x30ab613b40c5d911u);
}

// Three seconds of a multi-constellation receiver: every talker, GSV cycles per signal.
std::string epochAt(int second, bool withDate) {
    char time[16];
    std::snprintf(time, sizeof time, "1234%02d.50", second);
    const std::string t = time;
    std::string epoch =
        withDate
            ? withChecksum("$GNRMC," + t + ",A,4723.00484,N,00045.88150,E,0.5,120.9,010621,,,A,V")
            : "";
    return epoch +
           withChecksum("$GNGGA," + t + ",4723.00484,N,00045.88150,E,1,07,1.7,063.64,M,48.3,M,,") +
           withChecksum("$GNGSA,A,3,27,08,,,,,,,,,,,2.5,1.7,1.8,1") +
           withChecksum("$GNGSA,A,3,11,,,,,,,,,,,,2.5,1.7,1.8,3") +
           withChecksum("$GNGSA,A,3,12,34,,,,,,,,,,,2.5,1.7,1.8,4") +
           withChecksum("$GPGSV,1,1,02,27,64,299,35,08,27,286,38,1") +
           withChecksum("$GPGSV,1,1,01,27,64,299,41,8") +
           withChecksum("$GAGSV,1,1,01,11,15,224,33,7") +
           withChecksum("$GBGSV,1,1,02,12,81,342,22,34,57,269,41,1");
}

TEST(ReplayNmea, OnePositionAndOneTablePerEpochWithCanonicalNumbers) {
    const std::string bytes = epochAt(1, true) + epochAt(2, true) + epochAt(3, true);
    const std::vector<json> lines = nmeaLines(bytes);
    ASSERT_EQ(lines.size(), 6u) << "the end of the bytes ends the last epoch";
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i]["type"], i % 2 == 0 ? "position" : "satellites") << i;
    EXPECT_EQ(lines[0]["utc"], "2021-06-01T12:34:01.50Z");
    EXPECT_EQ(lines[4]["utc"], "2021-06-01T12:34:03.50Z");
    EXPECT_EQ(lines[4]["latitude"].get<double>(), 47 + 23.00484 / 60);
    EXPECT_EQ(lines[4]["satellitesUsed"], 7);
    EXPECT_EQ(lines[5]["source"].get<std::string>().rfind("$GBGSV,1,1,02,12,", 0), 0u)
        << "the last epoch's lines carry the last sentence read";

    const json& sky = lines[5];
    EXPECT_EQ(sky["count"], 5);
    std::set<int> numbers;
    for (const json& s : sky["satellites"]) {
        numbers.insert(s["prn"].get<int>());
        if (s["prn"] == 27) {
            EXPECT_EQ(s["snr1"], 35) << "L1";
            EXPECT_EQ(s["snr2"], 41) << "L5 signal of the same satellite";
            EXPECT_EQ(s["used"], 1);
        }
        if (s["prn"] == 412) {
            EXPECT_EQ(s["used"], 1) << "BeiDou used, by the GSA's system id";
        }
    }
    EXPECT_EQ(numbers, (std::set<int>{8, 27, 311, 412, 434}));

    const std::vector<json> undated = nmeaLines(epochAt(1, false) + epochAt(2, false));
    ASSERT_EQ(undated.size(), 4u);
    EXPECT_FALSE(undated[0].contains("utc")) << "GGA carries no date";
}

// A receiver with Galileo and BeiDou in GSV cycles of several signals, "$$" starts and its own
// proprietary sentences between them.
TEST(ReplayNmea, RealCaptureWithGalileoAndBeidou) {
    const std::string capture = test::readFile(test::testdataPath("gpsd/st-teseo-liv4f.log"));
    ASSERT_FALSE(capture.empty());
    const std::vector<json> lines = nmeaLines(capture);

    std::vector<std::string> times;
    std::set<int> systems;  // the hundreds of the canonical numbers
    size_t tablesSincePosition = 0;
    for (const json& line : lines) {
        if (line["type"] == "position") {
            ASSERT_TRUE(line.contains("utc")) << line;
            times.push_back(line["utc"]);
            tablesSincePosition = 0;
            continue;
        }
        EXPECT_LE(++tablesSincePosition, 1u) << "two tables in one epoch: " << line;
        for (const json& s : line["satellites"]) {
            const int prn = s["prn"];
            EXPECT_TRUE((prn >= 1 && prn <= 32) || (prn >= 301 && prn <= 336) ||
                        (prn >= 401 && prn <= 463))
                << prn;
            systems.insert(prn / 100);
        }
    }
    EXPECT_EQ(systems, (std::set<int>{0, 3, 4}));
    ASSERT_EQ(times.size(), 12u) << "one position per RMC/GGA second";
    EXPECT_EQ(times.front(), "2025-03-21T13:58:06.00Z");
    for (size_t i = 1; i < times.size(); ++i) EXPECT_LT(times[i - 1], times[i]);
    const json& first = *std::find_if(lines.begin(), lines.end(),
                                      [](const json& l) { return l["type"] == "position"; });
    EXPECT_NEAR(first["latitude"].get<double>(), 47 + 23.00484 / 60, 1e-12);
    EXPECT_NEAR(first["longitude"].get<double>(), 45.88150 / 60, 1e-12);
}

TEST(ReplayNmea, CommandLineTakesTheReceiverKind) {
    struct Row {
        std::vector<std::string> args;
        bool accepted;
        ReceiverKind kind;
    };
    const std::vector<Row> rows = {
        {{"log.txt"}, true, ReceiverKind::Board},
        {{"--receiver", "board", "--publish-on-gga", "log.txt"}, true, ReceiverKind::Board},
        {{"--receiver", "nmea", "log.txt"}, true, ReceiverKind::Nmea},
        {{"--raw", "-", "--receiver", "nmea"}, true, ReceiverKind::Nmea},
        {{"--receiver", "nmea", "--port", "COM3:", "--seconds", "5"}, true, ReceiverKind::Nmea},
        // The board's options mean nothing to a receiver that is never commanded.
        {{"--receiver", "nmea", "--publish-on-gga", "log.txt"}, false, {}},
        {{"--receiver", "nmea", "--port", "COM3:", "--baud", "57600"}, false, {}},
        {{"--receiver", "nmea", "--port", "COM3:", "--configure"}, false, {}},
        {{"--receiver", "nmea", "--port", "COM3:", "--dial"}, false, {}},
        {{"--receiver", "nmea", "--sourcetable", "table.txt"}, false, {}},
        {{"--receiver", "sirf", "log.txt"}, false, {}},
        {{"log.txt", "--receiver"}, false, {}},
    };
    for (const Row& row : rows) {
        std::string shown;
        for (const std::string& a : row.args) shown += a + " ";
        const auto command = parseCommandLine(row.args);
        ASSERT_EQ(command.has_value(), row.accepted) << shown;
        if (!command)
            continue;
        EXPECT_EQ(command->replay.receiver, row.kind) << shown;
        if (command->live) {
            EXPECT_EQ(command->live->receiver, row.kind) << shown;
        }
    }
}

// The live view on a plain NMEA receiver: found by listening, its epochs printed, and not one
// byte sent to it.
TEST(ReplayNmea, LiveViewListensAndNeverWrites) {
    platform::ScopedClockSpeed fast{20};
    test::ScratchDeviceRoot root;
    test::PseudoTerminal receiver;
    ASSERT_TRUE(receiver.ok());
    // The line raw from the start, so that nothing the test sends is echoed back as if the
    // program had written it.
    termios raw = receiver.lineSettings();
    cfmakeraw(&raw);
    ASSERT_EQ(tcsetattr(receiver.master(), TCSANOW, &raw), 0);
    const std::filesystem::path devices = root.path() / "devices";
    std::filesystem::create_directories(devices);
    std::filesystem::create_symlink(receiver.slavePath(), devices / "COM4");

    std::atomic<bool> stop{false};
    std::thread sender([&] {
        for (int second = 0; !stop.load(); second = (second + 1) % 60) {
            receiver.send(epochAt(second, true));
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
        }
    });
    std::mutex mutex;
    std::vector<json> lines;
    std::vector<std::string> notes;
    const LiveEnd end = runLive(
        {.port = u"COM4:", .seconds = 30, .receiver = ReceiverKind::Nmea}, stop,
        [&](const std::string& line) {
            std::lock_guard lock(mutex);
            lines.push_back(json::parse(line));
        },
        [&](const std::string& note) { notes.push_back(note); });
    stop = true;
    sender.join();

    EXPECT_EQ(end, LiveEnd::TimeUp);
    EXPECT_EQ(receiver.receive(100), "") << "the receiver was written to";
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0]["type"], "position");
    EXPECT_EQ(lines[0]["latitude"].get<double>(), 47 + 23.00484 / 60);
    EXPECT_EQ(lines[1]["type"], "satellites");
    ASSERT_FALSE(notes.empty());
    EXPECT_NE(notes.back().find("nothing is sent"), std::string::npos) << notes.back();
}

}  // namespace
}  // namespace zentrix::replay
