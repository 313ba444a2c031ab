// The program's command layer against the simulated survey board, end to end: `GnssReceiver` on a
// COM port of a scratch device root, its reader thread, and the simulator at the other end. What
// the tests compare is what a page would see: the result of an operation and its out-parameters.
#include "tests/tools/sim_e2e_support.h"

namespace zentrix::test {
namespace {

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
         "16"},
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
         "OFF"},
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
        // A direct IP server answers only a modem that is up in packet-data mode.
        {"startModem", [](G& g) { return g.startModem(); }, modem, "1 3"},
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
        {"disconnectDirectIp", [](G& g) { return g.disconnectDirectIp(); }, modem, "1 3"},
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
        {"setModemCsd", [](G& g) { return g.setModemCsd(); }, modem, "0 3"},
        {"setModemIp(1)", [](G& g) { return g.setModemIp(1); }, modem, "1 3"},
        {"modemOff", [](G& g) { return g.modemOff(); }, modem, "1 1"},
        {"modemOn", [](G& g) { return g.modemOn(); }, modem, "1 2"},
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

}  // namespace
}  // namespace zentrix::test
