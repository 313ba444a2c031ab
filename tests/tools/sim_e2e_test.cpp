// The program's command layer against the simulated survey board, end to end: `GnssReceiver` on a
// COM port of a scratch device root, its reader thread, and the simulator at the other end. What
// the tests compare is what a page would see: the result of an operation and its out-parameters.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "receiver/gnss_receiver.h"
#include "receiver/station_list.h"
#include "tests/tools/sim_support.h"
#include "tools/sim/survey_board.h"

namespace zentrix::test {
namespace {

using receiver::GnssReceiver;
using sim::SimFault;

std::string shown(const platform::WideString& text) {
    return platform::wideToAnsi(text);
}
std::string shown(const std::string& text) {
    return text;
}
std::string shown(uint8_t value) {
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

struct QueryRow {
    const char* name;
    std::function<std::string(GnssReceiver&)> ask;
    const char* expected;
};

TEST_F(SimEndToEndTest, EveryQueryOfTheBoardAnswersWithItsSettings) {
    using G = GnssReceiver;
    // What a fresh board holds (`sim::BoardState`), in the codes the program reads.
    const std::vector<QueryRow> rows = {
        {"queryStationId",
         [](G& g) {
             platform::WideString s;
             return said(g.queryStationId(s), s);
         },
         "ZX01"},
        {"queryReferencePosition",
         [](G& g) {
             double lat = 0, lon = 0, h = 0;
             return said(g.queryReferencePosition(lat, lon, h), lat, lon, h);
         },
         "47.387 8.527 460"},
        {"queryMemory",
         [](G& g) {
             uint32_t m = 9;
             return said(g.queryMemory(m), m);
         },
         "0"},
        {"queryRecorderFile",
         [](G& g) {
             platform::WideString s;
             return said(g.queryRecorderFile(s), s);
         },
         "REC00001.RAW"},
        {"queryFilePath",
         [](G& g) {
             platform::WideString s;
             return said(g.queryFilePath(s), s);
         },
         "\\Data"},
        // "NONE": no file is open, which the operation reports as failure.
        {"queryCurrentFile",
         [](G& g) {
             platform::WideString s;
             return said(g.queryCurrentFile(s), s);
         },
         "failed"},
        {"queryRecorderState",
         [](G& g) {
             uint8_t on = 9;
             return said(g.queryRecorderState(on), on);
         },
         "0"},
        {"queryRecordingInterval",
         [](G& g) {
             double s = 0;
             return said(g.queryRecordingInterval(s), s);
         },
         "1"},
        {"queryAutoLoggingRing", [](G& g) { return said(1, g.queryAutoLoggingRing()); }, "1"},
        {"queryAutoLogging",
         [](G& g) {
             int32_t on = 9, n = 9, ring = 9;
             return said(g.queryAutoLogging(on, n, ring), on, n, ring);
         },
         "0 0 1"},
        {"queryPortBaud(C)",
         [](G& g) {
             uint32_t b = 0;
             return said(g.queryPortBaud(2, b), b);
         },
         "8"},
        {"queryReceiverPort",
         [](G& g) {
             uint32_t p = 9, b = 0;
             return said(g.queryReceiverPort(p, b), p, b);
         },
         "0 8"},
        {"queryBaseOutputs",
         [](G& g) {
             uint32_t p1 = 9, f1 = 9, p2 = 9, f2 = 9;
             return said(g.queryBaseOutputs(p1, f1, p2, f2), p1, f1, p2, f2);
         },
         "1 2 0 0"},
        {"queryBaseOutput",
         [](G& g) {
             uint32_t p = 9, f = 9;
             return said(g.queryBaseOutput(p, f), p, f);
         },
         "1 2"},
        {"queryGps",
         [](G& g) {
             uint8_t on = 9;
             return said(g.queryGps(on), on);
         },
         "1"},
        {"queryGlonass",
         [](G& g) {
             uint8_t on = 9;
             return said(g.queryGlonass(on), on);
         },
         "1"},
        {"querySbas",
         [](G& g) {
             uint8_t on = 9;
             return said(g.querySbas(on), on);
         },
         "1"},
        {"queryQzss",
         [](G& g) {
             uint8_t on = 9;
             return said(g.queryQzss(on), on);
         },
         "0"},
        {"queryBridge",
         [](G& g) {
             int32_t on = 9;
             return said(g.queryBridge(on), on);
         },
         "0"},
        {"querySignalConfig",
         [](G& g) {
             uint32_t c = 9;
             return said(g.querySignalConfig(c), c);
         },
         "1"},
        {"queryGnssMode",
         [](G& g) {
             uint32_t m = 9;
             return said(g.queryGnssMode(m), m);
         },
         "1"},
        {"queryElevationMask",
         [](G& g) {
             uint32_t d = 0;
             return said(g.queryElevationMask(d), d);
         },
         "10"},
        {"queryVersions",
         [](G& g) {
             platform::WideString gnss, system, receiver;
             return said(g.queryVersions(gnss, system, receiver), gnss, system, receiver);
         },
         "5.20.3 3.40.12 ZX-SIM2.1"},
        {"queryBluetoothPort",
         [](G& g) {
             platform::WideString s;
             return said(g.queryBluetoothPort(s), s);
         },
         "COM7"},
        {"queryAntennaHeight",
         [](G& g) {
             double h = 0;
             uint32_t t = 9;
             return said(g.queryAntennaHeight(h, t), h, t);
         },
         "1.5 0"},
        {"queryAntennaReduction",
         [](G& g) {
             uint32_t c = 9;
             return said(g.queryAntennaReduction(c), c);
         },
         "1"},
        {"queryAntennaName",
         [](G& g) {
             platform::WideString s;
             return said(g.queryAntennaName(s), s);
         },
         "ADVNULLANTENNA"},
        {"queryReferenceReceiver",
         [](G& g) {
             std::string name;
             uint8_t flag = 9;
             return said(g.queryReferenceReceiver(name, flag), name, flag);
         },
         "ZX-BASE 0"},
        {"queryReceiverFamily",
         [](G& g) {
             uint32_t f = 9;
             return said(g.queryReceiverFamily(f), f);
         },
         "4"},
        {"queryDifferentialModes",
         [](G& g) {
             uint32_t m = 9, v = 9;
             return said(g.queryDifferentialModes(m, v), m, v);
         },
         "1 1"},
        {"queryDifferentialMode",
         [](G& g) {
             uint32_t m = 9;
             return said(g.queryDifferentialMode(m), m);
         },
         "1"},
        {"queryRadioType(D)",
         [](G& g) {
             uint32_t t = 0;
             return said(g.queryRadioType(3, t), t);
         },
         "0"},
        {"queryRadioTable(D)",
         [](G& g) {
             uint32_t t = 0;
             return said(g.queryRadioTable(3, t), t);
         },
         "1"},
        {"queryRadioParameters(D)",
         [](G& g) {
             receiver::RadioSettings r;
             return said(g.queryRadioParameters(3, r), r.radioType, r.channel, r.airBaud,
                         r.sensitivity, r.modulation);
         },
         "0 1 3 1 1"},
        {"queryDirectIpLogin",
         [](G& g) {
             platform::WideString a, l, p;
             uint32_t port = 9;
             return said(g.queryDirectIpLogin(a, port, l, p), a, port, l, p);
         },
         "0.0.0.0 0  "},
        {"queryDirectIp",
         [](G& g) {
             platform::WideString a;
             uint32_t port = 9;
             return said(g.queryDirectIp(a, port), a, port);
         },
         "0.0.0.0 0"},
        {"queryModemState",
         [](G& g) {
             uint32_t s = 9;
             return said(g.queryModemState(s), s);
         },
         "1"},
        {"queryModemIpMode",
         [](G& g) {
             uint32_t m = 9;
             return said(g.queryModemIpMode(m), m);
         },
         "1"},
        {"queryModemModeAndState",
         [](G& g) {
             uint32_t m = 9, s = 9;
             return said(g.queryModemModeAndState(m, s), m, s);
         },
         "1 1"},
        {"queryModemDialParameters",
         [](G& g) {
             platform::WideString pin, phone;
             return said(g.queryModemDialParameters(pin, phone), pin, phone);
         },
         " 0041441234567"},
        {"queryModemGprsParameters",
         [](G& g) {
             platform::WideString pin, apn, login, password;
             return said(g.queryModemGprsParameters(pin, apn, login, password), pin, apn, login,
                         password);
         },
         " internet  "},
        {"queryNtripParameters",
         [](G& g) {
             platform::WideString a, l, p;
             int32_t port = 0;
             return said(g.queryNtripParameters(a, port, l, p), a, port, l, p);
         },
         "euref-ip.net 2101 anonymous "},
        {"queryMountPoint",
         [](G& g) {
             platform::WideString s;
             return said(g.queryMountPoint(s), s);
         },
         "NONE"},
        {"queryNmeaOutputs(A)",
         [](G& g) {
             receiver::MessageOutputs o;
             if (!g.queryNmeaOutputs(0, o))
                 return std::string("failed");
             std::string codes = std::to_string(o.count);
             for (uint32_t i = 0; i < o.count; ++i)
                 codes += " " + std::to_string(o.entries[i].messageCode);
             return codes;
         },
         "4 2 4 6 12"},
    };
    for (const QueryRow& row : rows) EXPECT_EQ(row.ask(gnss_), row.expected) << row.name;
}

struct SetRow {
    const char* name;
    std::function<uint32_t(GnssReceiver&)> set;
    std::function<std::string(GnssReceiver&)> ask;
    const char* expected;
};

TEST_F(SimEndToEndTest, EverySetChangesWhatTheNextQueryReturns) {
    quietLine();
    using G = GnssReceiver;
    const auto stationId = [](G& g) {
        platform::WideString s;
        return said(g.queryStationId(s), s);
    };
    const auto currentFile = [](G& g) {
        platform::WideString s;
        return said(g.queryCurrentFile(s), s);
    };
    const auto gnssMode = [](G& g) {
        uint32_t m = 9;
        return said(g.queryGnssMode(m), m);
    };
    const auto differential = [](G& g) {
        uint32_t m = 9, v = 9;
        return said(g.queryDifferentialModes(m, v), m, v);
    };
    const auto radioType = [](uint32_t port) {
        return [port](G& g) {
            uint32_t t = 0;
            return said(g.queryRadioType(port, t), t);
        };
    };
    const auto outputs = [](uint32_t port) {
        return [port](G& g) {
            receiver::MessageOutputs o;
            if (!g.queryNmeaOutputs(port, o))
                return std::string("failed");
            std::string text = std::to_string(o.count);
            for (uint32_t i = 0; i < o.count; ++i)
                text += " " + shown(o.entries[i].messageCode) + "@" +
                        shown(o.entries[i].intervalSeconds);
            return text;
        };
    };
    const auto modem = [](G& g) {
        uint32_t ip = 9, state = 9;
        return said(g.queryModemModeAndState(ip, state), ip, state);
    };
    const std::vector<SetRow> rows = {
        {"setGps(off)", [](G& g) { return g.setGps(false); },
         [](G& g) {
             uint8_t on = 9;
             return said(g.queryGps(on), on);
         },
         "0"},
        {"setGlonass(off)", [](G& g) { return g.setGlonass(false); },
         [](G& g) {
             uint8_t on = 9;
             return said(g.queryGlonass(on), on);
         },
         "0"},
        {"setSbas(off)", [](G& g) { return g.setSbas(false); },
         [](G& g) {
             uint8_t on = 9;
             return said(g.querySbas(on), on);
         },
         "0"},
        {"setQzss(on)", [](G& g) { return g.setQzss(true); },
         [](G& g) {
             uint8_t on = 9;
             return said(g.queryQzss(on), on);
         },
         "1"},
        {"setGps(on)", [](G& g) { return g.setGps(true); },
         [](G& g) {
             uint8_t on = 9;
             return said(g.queryGps(on), on);
         },
         "1"},
        {"setElevationMask(15)", [](G& g) { return g.setElevationMask(15); },
         [](G& g) {
             uint32_t d = 0;
             return said(g.queryElevationMask(d), d);
         },
         "15"},
        {"setReferencePosition", [](G& g) { return g.setReferencePosition(-33.5, 350.25, 12.0); },
         [](G& g) {
             double lat = 0, lon = 0, h = 0;
             return said(g.queryReferencePosition(lat, lon, h), lat, lon, h);
         },
         "-33.5 -9.75 12"},
        {"setStationId", [](G& g) { return g.setStationId(u"AB12"); }, stationId, "AB12"},
        {"setMemory(3)", [](G& g) { return g.setMemory(3); },
         [](G& g) {
             uint32_t m = 0;
             return said(g.queryMemory(m), m);
         },
         "3"},
        // The board names a new file after the station, the day and the session.
        {"setRecording(start)", [](G& g) { return g.setRecording(true); }, currentFile,
         "AB12318A.DAT"},
        {"setRecording(stop)", [](G& g) { return g.setRecording(false); }, currentFile, "failed"},
        {"setRecorder(on)", [](G& g) { return g.setRecorder(true); },
         [](G& g) {
             uint8_t on = 9;
             return said(g.queryRecorderState(on), on);
         },
         "1"},
        {"setRecorderFile", [](G& g) { return g.setRecorderFile(u"SESSION1.RAW"); },
         [](G& g) {
             platform::WideString s;
             return said(g.queryRecorderFile(s), s);
         },
         "SESSION1.RAW"},
        {"setFilePath", [](G& g) { return g.setFilePath(u"\\Data\\Job7"); },
         [](G& g) {
             platform::WideString s;
             return said(g.queryFilePath(s), s);
         },
         "\\Data\\Job7"},
        {"setRecordingInterval(5)", [](G& g) { return g.setRecordingInterval(5.0); },
         [](G& g) {
             double s = 0;
             return said(g.queryRecordingInterval(s), s);
         },
         "5"},
        {"setAutoLogging(on)", [](G& g) { return g.setAutoLogging(true); },
         [](G& g) {
             int32_t on = 9, n = 9, ring = 9;
             return said(g.queryAutoLogging(on, n, ring), on, n, ring);
         },
         "1 1 1"},
        {"setPortBaud(C, 5)", [](G& g) { return g.setPortBaud(2, 5, 0); },
         [](G& g) {
             uint32_t b = 0;
             return said(g.queryPortBaud(2, b), b);
         },
         "5"},
        {"setBaseOutputs", [](G& g) { return g.setBaseOutputs(0, 3, 1, 1); },
         [](G& g) {
             uint32_t p1 = 9, f1 = 9, p2 = 9, f2 = 9;
             return said(g.queryBaseOutputs(p1, f1, p2, f2), p1, f1, p2, f2);
         },
         "0 3 1 1"},
        {"setBaseOutput", [](G& g) { return g.setBaseOutput(3, 5); },
         [](G& g) {
             uint32_t p = 9, f = 9;
             return said(g.queryBaseOutput(p, f), p, f);
         },
         "3 5"},
        {"setNmeaMessage(B, ZDA)", [](G& g) { return g.setNmeaMessage(1, 13, true, 0.5f); },
         outputs(1), "1 13@0.5"},
        {"setNmeaAll(on, B)", [](G& g) { return g.setNmeaAll(true, 1); }, outputs(1),
         "2 13@0.5 0@1"},
        {"setNmeaAll(off, B)", [](G& g) { return g.setNmeaAll(false, 1); }, outputs(1), "0"},
        {"setBridge(on)", [](G& g) { return g.setBridge(true); },
         [](G& g) {
             int32_t on = 9;
             return said(g.queryBridge(on), on);
         },
         "1"},
        {"setBluetoothPort", [](G& g) { return g.setBluetoothPort(u"COM9"); },
         [](G& g) {
             platform::WideString s;
             return said(g.queryBluetoothPort(s), s);
         },
         "COM9"},
        {"setAntennaHeight", [](G& g) { return g.setAntennaHeight(1.234, 1); },
         [](G& g) {
             double h = 0;
             uint32_t t = 9;
             return said(g.queryAntennaHeight(h, t), h, t);
         },
         "1.234 1"},
        {"setAntennaReduction(ARP)", [](G& g) { return g.setAntennaReduction(2); },
         [](G& g) {
             uint32_t c = 9;
             return said(g.queryAntennaReduction(c), c);
         },
         "2"},
        {"setAntennaName", [](G& g) { return g.setAntennaName(u"ZXA-100.00"); },
         [](G& g) {
             platform::WideString s;
             return said(g.queryAntennaName(s), s);
         },
         "ZXA-100.00"},
        {"setReferenceReceiver", [](G& g) { return g.setReferenceReceiver("ZX-REF", true); },
         [](G& g) {
             std::string name;
             uint8_t flag = 9;
             return said(g.queryReferenceReceiver(name, flag), name, flag);
         },
         "ZX-REF 1"},
        {"setDifferentialMode(base)", [](G& g) { return g.setDifferentialMode(0); }, differential,
         "0 1"},
        // The board reports message set 3 by its digit; the program calls that set 23.
        {"setDifferentialModeValue", [](G& g) { return g.setDifferentialModeValue(0, 3); },
         differential, "0 23"},
        {"setRoverMode", [](G& g) { return g.setRoverMode(); },
         [](G& g) {
             uint32_t m = 9;
             return said(g.queryDifferentialMode(m), m);
         },
         "1"},
        {"setRadioType(B, LFA)", [](G& g) { return g.setRadioType(1, 6); }, radioType(1), "6"},
        {"clearRadioTypeD", [](G& g) { return g.clearRadioTypeD(); }, radioType(3), "9"},
        {"setRadioParameters(D, PDL)",
         [](G& g) { return g.setRadioParameters(3, 0, 5, 12, 2, 3, 1); },
         [](G& g) {
             receiver::RadioSettings r;
             return said(g.queryRadioParameters(3, r), r.radioType, r.channel, r.control, r.airBaud,
                         r.sensitivity, r.level);
         },
         "0 12 1 5 2 3"},
        {"connectDirectIpLogin",
         [](G& g) { return g.connectDirectIpLogin(u"10.1.2.3", 9000, u"bob", u"pw"); },
         [](G& g) {
             platform::WideString a, l, p;
             uint32_t port = 0;
             return said(g.queryDirectIpLogin(a, port, l, p), a, port, l, p);
         },
         "10.1.2.3 9000 bob pw"},
        {"connectDirectIp", [](G& g) { return g.connectDirectIp(u"10.1.2.4", 9001); },
         [](G& g) {
             platform::WideString a;
             uint32_t port = 0;
             return said(g.queryDirectIp(a, port), a, port);
         },
         "10.1.2.4 9001"},
        {"setNtripParameters",
         [](G& g) { return g.setNtripParameters(u"caster.example", 2102, u"me", u"secret", 1); },
         [](G& g) {
             platform::WideString a, l, p;
             int32_t port = 0;
             return said(g.queryNtripParameters(a, port, l, p), a, port, l, p);
         },
         "caster.example 2102 me secret"},
        {"setModemDialParameters",
         [](G& g) { return g.setModemDialParameters(u"1234", u"0791234567"); },
         [](G& g) {
             platform::WideString pin, phone;
             return said(g.queryModemDialParameters(pin, phone), pin, phone);
         },
         "1234 0791234567"},
        {"setModemGprsParameters",
         [](G& g) { return g.setModemGprsParameters(u"", u"gprs.example", u"me", u"pw"); },
         [](G& g) {
             platform::WideString pin, apn, login, password;
             return said(g.queryModemGprsParameters(pin, apn, login, password), pin, apn, login,
                         password);
         },
         "1234 gprs.example me pw"},
        {"setModemCsd", [](G& g) { return g.setModemCsd(); }, modem, "0 1"},
        {"setModemIp(1)", [](G& g) { return g.setModemIp(1); }, modem, "1 1"},
        {"modemOn", [](G& g) { return g.modemOn(); }, modem, "1 2"},
        {"modemOff", [](G& g) { return g.modemOff(); }, modem, "1 1"},
    };
    for (const SetRow& row : rows) {
        EXPECT_NE(row.set(gnss_), 0u) << row.name;
        EXPECT_EQ(row.ask(gnss_), row.expected) << row.name;
    }

    // The signal configuration counts as acknowledged only within 15 ms, so these run on the real
    // clock, on a quiet line, as a board that answers at once is heard.
    platform::ScopedClockSpeed realTime(1);
    EXPECT_EQ(gnss_.setSignalConfig(2), 1u);
    EXPECT_EQ(gnssMode(gnss_), "6") << "TSL fits no mode";
    for (uint32_t mode : {0u, 2u, 3u, 4u, 5u, 1u}) {
        EXPECT_EQ(gnss_.setGnssMode(mode), 1u) << mode;
        EXPECT_EQ(gnssMode(gnss_), std::to_string(mode)) << mode;
    }
}

struct AckRow {
    const char* name;
    std::function<uint32_t(GnssReceiver&)> set;
    uint32_t expected;
    /// What the board kept, for settings no query reads back; null when it keeps nothing.
    std::function<bool(const sim::BoardState&)> kept;
};

TEST_F(SimEndToEndTest, SetsWithoutAQueryAreAcknowledgedAndKept) {
    using G = GnssReceiver;
    using S = sim::BoardState;
    const auto hasOutput = [](const char* name) {
        return [name](const S& s) {
            const auto it = s.outputs.find('A');
            if (it == s.outputs.end())
                return false;
            for (const sim::MessageOutput& m : it->second) {
                if (m.name == name)
                    return true;
            }
            return false;
        };
    };
    const std::vector<AckRow> rows = {
        {"setLcs(on)", [](G& g) { return g.setLcs(true); }, 1, [](const S& s) { return s.lcs; }},
        {"setDynamics(2)", [](G& g) { return g.setDynamics(2); }, 1,
         [](const S& s) { return s.dynamics == 2; }},
        {"setAntennaOutput(on)", [](G& g) { return g.setAntennaOutput(true); }, 1,
         [](const S& s) { return s.antennaOutput; }},
        {"setAntennaOffsets", [](G& g) { return g.setAntennaOffsets(0.1, 0.02, 0.003); }, 1,
         nullptr},
        {"setKnownPoint", [](G& g) { return g.setKnownPoint(47.1, 8.2, 400.0, 1); }, 1, nullptr},
        {"setArrayLength", [](G& g) { return g.setArrayLength(1.5); }, 1, nullptr},
        {"setArrayMode(on)", [](G& g) { return g.setArrayMode(true); }, 1, nullptr},
        {"resetDifferential", [](G& g) { return g.resetDifferential(); }, 1, nullptr},
        {"setRtcmType(1004, 1)", [](G& g) { return g.setRtcmType(1004, 1); }, 1, nullptr},
        {"setRtcmType(1000)", [](G& g) { return g.setRtcmType(1000, 0); }, 1, nullptr},
        {"setRnxType", [](G& g) { return g.setRnxType(4, 1, 31); }, 1, nullptr},
        {"setCmrType", [](G& g) { return g.setCmrType(0, 1); }, 1, nullptr},
        {"setDifferentialPreset(3)", [](G& g) { return g.setDifferentialPreset(3); }, 1, nullptr},
        {"setDifferentialPreset(6)", [](G& g) { return g.setDifferentialPreset(6); }, 1, nullptr},
        {"setOccupation0", [](G& g) { return g.setOccupation0(1, u"PT1", u"north"); }, 1, nullptr},
        {"setOccupation1", [](G& g) { return g.setOccupation1(2, u"PT2", u"south"); }, 1, nullptr},
        {"setPortMode(B, 422)", [](G& g) { return g.setPortMode(1, 1); }, 1, nullptr},
        {"radioOn", [](G& g) { return g.radioOn(); }, 1, [](const S& s) { return s.radioOn; }},
        {"radioOff", [](G& g) { return g.radioOff(); }, 1, [](const S& s) { return !s.radioOn; }},
        {"setModemAdl(on)", [](G& g) { return g.setModemAdl(true); }, 1,
         [](const S& s) { return s.modemAdl == 'Y'; }},
        {"resetObservations", [](G& g) { return g.resetObservations(); }, 1, nullptr},
        {"resetReceiver", [](G& g) { return g.resetReceiver(); }, 1, nullptr},
        {"initReceiver(1)", [](G& g) { return g.initReceiver(1); }, 1, nullptr},
        {"setObiOutput(on)", [](G& g) { return g.setObiOutput(true); }, 1, hasOutput("OBI")},
        {"setWtiOutput(on)", [](G& g) { return g.setWtiOutput(true); }, 1, hasOutput("WTI")},
        {"setA2dOutput(on)", [](G& g) { return g.setA2dOutput(true); }, 1, hasOutput("A2D")},
        {"setStatusNmea(A)", [](G& g) { return g.setStatusNmea(0); }, 1,
         [hasOutput](const S& s) { return hasOutput("SGP")(s) && !hasOutput("GSV")(s); }},
        // The troubleshooting line: accepted, a reply that is neither, rejected.
        {"sendFreeCommand(set)", [](G& g) { return g.sendFreeCommand("$PQELS,GPS,ON"); }, 1,
         nullptr},
        {"sendFreeCommand(query)", [](G& g) { return g.sendFreeCommand("$PQELQ,GPS"); }, 2,
         nullptr},
        {"sendFreeCommand(unknown)", [](G& g) { return g.sendFreeCommand("$PQELS,XYZ,1"); }, 0,
         nullptr},
    };
    for (const AckRow& row : rows) {
        EXPECT_EQ(row.set(gnss_), row.expected) << row.name;
        EXPECT_TRUE(!row.kept || row.kept(board())) << row.name;
    }

    EXPECT_EQ(gnss_.powerOff(), 1u);
    uint8_t on = 9;
    EXPECT_EQ(gnss_.queryGps(on), 0u) << "a board that is off answers nothing";
}

TEST_F(SimEndToEndTest, ModemCasterAndSourceTableFinishLater) {
    uint32_t state = 0;
    EXPECT_EQ(gnss_.startModem(), 1u);
    ASSERT_EQ(gnss_.queryModemState(state), 1u);
    EXPECT_EQ(state, 3u);  // INIT

    receiver::StationList list;
    {
        // A pause of one second ends a table on the line: slower here, so that a busy machine
        // does not cut the 50 kB table short.
        platform::ScopedClockSpeed slower(5);
        ASSERT_EQ(gnss_.loadSourceTable(list), 1u);
    }
    ASSERT_GT(list.size(), 10);
    bool found = false;
    for (int32_t i = 0; i < list.size(); ++i)
        found |= std::string(list.at(i)->mountPoint) == "WTZR00DEU0";
    EXPECT_TRUE(found);

    EXPECT_EQ(gnss_.connectMountPoint(u"NOSUCHMOUNT"), 0u) << "not in the caster's table";
    EXPECT_EQ(gnss_.connectMountPoint(u"WTZR00DEU0"), 1u);
    platform::WideString mount;
    ASSERT_EQ(gnss_.queryMountPoint(mount), 1u);
    EXPECT_EQ(mount, u"WTZR00DEU0");
    EXPECT_TRUE(board().mountConnected);
    EXPECT_EQ(gnss_.disconnectMountPoint(), 1u);
    EXPECT_FALSE(board().mountConnected);

    EXPECT_EQ(gnss_.modemDial(), 1u);
    ASSERT_EQ(gnss_.queryModemState(state), 1u);
    EXPECT_EQ(state, 4u);  // DIALING
    platform::sleepMs(5000);
    ASSERT_EQ(gnss_.queryModemState(state), 1u);
    EXPECT_EQ(state, 5u);  // ONLINE
    EXPECT_EQ(gnss_.modemHangUp(), 1u);
    ASSERT_EQ(gnss_.queryModemState(state), 1u);
    EXPECT_EQ(state, 3u);
}

TEST_F(SimEndToEndTest, StreamedSentencesPublishAPositionThatConverges) {
    ASSERT_EQ(gnss_.setStatusNmea(0), 1u);
    ASSERT_TRUE(waitPosition([](auto& p) { return p.fixType == 1 || p.fixType == 2; }, 20000));
    receiver::PositionRecord p;
    ASSERT_EQ(gnss_.getPosition(p), 1u);
    const sim::Place place;
    EXPECT_NEAR(p.latitude, place.latitudeDegrees, 1e-3);
    EXPECT_NEAR(p.longitude, place.longitudeDegrees, 1e-3);
    EXPECT_GE(p.satellitesUsed, 6u);
    EXPECT_GT(p.horizontalError, 0.3f);
    float baseline = -1;
    ASSERT_EQ(gnss_.getBaselineLength(baseline), 1u);
    EXPECT_EQ(baseline, 0.0f) << "no base station yet";

    // The sky, from the board's own satellite messages: several systems, plausible angles.
    receiver::SatelliteTable first;
    ASSERT_GE(gnss_.getSatellites(first), 8u);
    bool gps = false, glonass = false;
    for (uint32_t i = 0; i < first.count; ++i) {
        const auto& s = first.entries[i];
        EXPECT_TRUE(s.elevation >= 0 && s.elevation <= 90 && s.azimuth >= 0 && s.azimuth < 360)
            << s.prn;
        gps |= s.prn >= 1 && s.prn <= 32;
        glonass |= s.prn >= 65 && s.prn <= 96;
    }
    EXPECT_TRUE(gps && glonass);

    // Twenty minutes later the same satellites stand elsewhere.
    sim_->advanceClock(20 * 60 * 1000);
    platform::sleepMs(3000);
    receiver::SatelliteTable later;
    ASSERT_GE(gnss_.getSatellites(later), 1u);
    int moved = 0;
    for (uint32_t i = 0; i < first.count; ++i) {
        for (uint32_t j = 0; j < later.count; ++j) {
            const auto& a = first.entries[i];
            const auto& b = later.entries[j];
            if (a.prn == b.prn && (a.elevation != b.elevation || a.azimuth != b.azimuth))
                ++moved;
        }
    }
    EXPECT_GE(moved, 3);

    // Corrections over a dialled call: code differential, float, then fixed with a baseline.
    ASSERT_EQ(gnss_.startModem(), 1u);
    ASSERT_EQ(gnss_.modemDial(), 1u);
    ASSERT_TRUE(waitPosition([](auto& p) { return p.fixType == 4; }, 20000)) << "no float";
    ASSERT_TRUE(waitPosition([](auto& p) { return p.fixType == 5; }, 60000)) << "no fixed";
    ASSERT_EQ(gnss_.getPosition(p), 1u);
    EXPECT_LT(p.horizontalError, 0.05f);
    ASSERT_EQ(gnss_.getBaselineLength(baseline), 1u);
    EXPECT_NEAR(baseline, std::sqrt(1234.5 * 1234.5 + 567.8 * 567.8 + 12.3 * 12.3), 1.0);
}

TEST_F(SimEndToEndTest, DataMessagesReachTheirGetters) {
    ASSERT_EQ(gnss_.setWtiOutput(true), 1u);
    ASSERT_EQ(gnss_.setA2dOutput(true), 1u);
    ASSERT_EQ(gnss_.setObiOutput(true), 1u);
    platform::sleepMs(3000);
    EXPECT_GT(gnss_.getWtiValue(), 0u);
    EXPECT_EQ(gnss_.getA2dValid(), 1u);
    float value = -1;
    int32_t count = -1;
    ASSERT_EQ(gnss_.getObservationStatus(value, count), 1u);
    EXPECT_GT(count, 0);
    EXPECT_GE(value, 0.0f);
}

struct FaultRow {
    SimFault fault;
    const char* name;
    std::function<uint32_t(GnssReceiver&)> call;
    uint32_t result;
    uint32_t atLeastMs;  // clock ms the failure may take, at least and at most
    uint32_t atMostMs;
};

TEST_F(SimEndToEndTest, EachFaultShowsTheFailureOfTheCommandLayer) {
    using G = GnssReceiver;
    const auto gps = [](G& g) {
        uint8_t on = 0;
        return g.queryGps(on);
    };
    const auto mask = [](G& g) { return g.setElevationMask(12); };
    const std::vector<FaultRow> rows = {
        {SimFault::NakEverything, "NAK, query", gps, 0, 0, 1000},
        {SimFault::NakEverything, "NAK, set", mask, 0, 0, 1000},
        {SimFault::NakEverything, "NAK, 20 s command", [](G& g) { return g.modemOn(); }, 0, 0,
         1000},
        {SimFault::WrongReplyFirst, "wrong reply first, query", gps, 0, 0, 1000},
        {SimFault::WrongReplyFirst, "wrong reply first, set", mask, 0, 0, 1000},
        {SimFault::BadChecksums, "bad checksum, query", gps, 0, 0, 1000},
        // An acknowledgement with a bad checksum releases the wait but counts for nothing.
        {SimFault::BadChecksums, "bad checksum, set", mask, 0, 0, 1000},
        {SimFault::Silence, "silence, query", gps, 0, 10000, 11500},
        {SimFault::Silence, "silence, 20 s command", [](G& g) { return g.modemOn(); }, 0, 20000,
         21500},
        {SimFault::DelayReplies, "late reply", gps, 0, 10000, 11500},
    };
    for (const FaultRow& row : rows) {
        sim_->setFault(row.fault);
        const uint32_t start = platform::Clock::tickCount();
        EXPECT_EQ(row.call(gnss_), row.result) << row.name;
        const uint32_t tookMs = platform::ticksSince(start);
        EXPECT_GE(tookMs, row.atLeastMs) << row.name;
        EXPECT_LE(tookMs, row.atMostMs) << row.name;
        sim_->clearFaults();
        platform::sleepMs(3000);  // what the fault held back has arrived
        EXPECT_NE(row.call(gnss_), 0u) << row.name << ": the next identical call";
    }
}

TEST_F(SimEndToEndTest, VanishedDeviceEndsTheReaderAndCommandsFailAtOnce) {
    uint8_t on = 0;
    ASSERT_EQ(gnss_.queryGps(on), 1u);
    ASSERT_EQ(gnss_.isConnected(), 1u);
    sim_->setFault(SimFault::Vanish);
    for (int i = 0; i < 200 && gnss_.isConnected(); ++i) platform::sleepMs(100);
    EXPECT_EQ(gnss_.isConnected(), 0u) << "the reader still runs on a vanished device";
    const uint32_t start = platform::Clock::tickCount();
    EXPECT_EQ(gnss_.queryGps(on), 0u);
    EXPECT_EQ(gnss_.setGps(true), 0u);
    EXPECT_LT(platform::ticksSince(start), 500u) << "no reader: no wait";
}

}  // namespace
}  // namespace zentrix::test
