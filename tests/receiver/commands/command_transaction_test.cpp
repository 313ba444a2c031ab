// How a transaction ends: acknowledged, refused, answered by the wrong reply, or not at all, with
// each command's own time-out, and the commands that are more than one transaction.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "receiver/commands/station_list.h"
#include "tests/receiver/commands/command_support.h"
#include "tests/support/testdata.h"

namespace zentrix::receiver {
namespace {

using platform::Clock;
using test::Answer;
using test::kAck;
using test::kNak;
using test::reply;
using zentrix::test::withChecksum;

using Lines = std::vector<std::string>;

class Transaction : public test::ReceiverOnLine {};

TEST_F(Transaction, ANakFailsAtOnceAndSilenceFailsAfterTheTimeOut) {
    peer_.answerAll(kNak);
    uint32_t result = 9;
    EXPECT_LT(timed([&] { result = rx_.setSbas(false); }), 5000u);
    EXPECT_EQ(result, 0u);

    peer_.silent();
    const uint32_t elapsed = timed([&] { result = rx_.setSbas(false); });
    EXPECT_EQ(result, 0u);
    EXPECT_GE(elapsed, 10000u - 1);

    peer_.answerAll(kAck);
    EXPECT_EQ(rx_.setSbas(false), 1u);
}

TEST_F(Transaction, ALateUnrelatedReplyFailsTheQueryAndTheNextOneSucceeds) {
    // The answer to an earlier port query arrives while GPS is being asked for.
    peer_.answerInTurn({reply("$PQELR,PRT,A,5"), reply("$PQELR,GPS,OFF")});
    uint8_t on = 7;
    EXPECT_EQ(rx_.queryGps(on), 0u);
    EXPECT_EQ(on, 7) << "nothing is written on failure";
    EXPECT_EQ(rx_.queryGps(on), 1u);
    EXPECT_EQ(on, 0);
    EXPECT_EQ(peer_.takeLines(), (Lines{"$PQELQ,GPS\r\n", "$PQELQ,GPS\r\n"}));
}

TEST_F(Transaction, AQueryDoesNotSucceedOnAFlagLeftFromAnEarlierReply) {
    // The antenna name flag survives the reply reset; an earlier answer must not make a refused
    // query look answered.
    peer_.answerInTurn({reply("$PQELR,ANP,OWN,ANT1"), kNak});
    platform::WideString name;
    EXPECT_EQ(rx_.queryAntennaName(name), 1u);
    name = u"kept";
    EXPECT_EQ(rx_.queryAntennaName(name), 0u);
    EXPECT_EQ(name, u"kept");
}

TEST_F(Transaction, AReplyWithABadChecksumReleasesTheWaitButIsNoAnswer) {
    std::string bad = reply("$PQELR,GPS,ON");
    bad[bad.size() - 3] = bad[bad.size() - 3] == '0' ? '1' : '0';
    peer_.answerAll(bad);
    uint8_t on = 7;
    EXPECT_LT(timed([&] { EXPECT_EQ(rx_.queryGps(on), 0u); }), 5000u);
    EXPECT_EQ(on, 7);
}

TEST_F(Transaction, OperationsThatCannotBeEncodedSendNothing) {
    peer_.answerAll(kAck);
    const std::vector<std::pair<const char*, std::function<uint32_t()>>> calls = {
        {"signal configuration 4", [&] { return rx_.setSignalConfig(4); }},
        {"differential mode 2", [&] { return rx_.setDifferentialMode(2); }},
        {"differential mode value 2", [&] { return rx_.setDifferentialModeValue(2, 1); }},
        {"port mode 2", [&] { return rx_.setPortMode(0, 2); }},
        {"message 20", [&] { return rx_.setNmeaMessage(0, 20, true, 1); }},
        {"radio parameters for type 7",
         [&] { return rx_.setRadioParameters(3, 7, 0, 1, 0, 1, 0); }},
        {"radio parameters for NONE", [&] { return rx_.setRadioParameters(3, 8, 0, 1, 0, 1, 0); }},
        {"radio type 7", [&] { return rx_.setRadioType(3, 7); }},
        {"radio type 9", [&] { return rx_.setRadioType(3, 9); }},
        {"IPT 2", [&] { return rx_.setModemIp(2); }},
        {"GNSS mode 6", [&] { return rx_.setGnssMode(6); }},
        {"baud code 10", [&] { return rx_.setPortBaud(0, 10, 0); }},
        {"latitude not a number", [&] { return rx_.setReferencePosition(NAN, 0, 0); }},
        {"longitude beyond a turn", [&] { return rx_.setKnownPoint(0, 1e300, 0, 0); }},
        {"height infinite", [&] { return rx_.setReferencePosition(0, 0, INFINITY); }},
        {"interval not a number", [&] { return rx_.setNmeaMessage(0, 2, true, NAN); }},
        {"a line end inside a text",
         [&] { return rx_.connectMountPoint(u"MP\r\n$PQELS,PWR,OFF"); }},
        {"a text longer than a command",
         [&] { return rx_.setFilePath(std::u16string(2000, u'x')); }},
    };
    for (const auto& [legend, call] : calls) {
        SCOPED_TRACE(legend);
        EXPECT_EQ(call(), 0u);
    }
    EXPECT_EQ(peer_.takeLines(), Lines{});
}

// The same calls with the reader thread stopped: every command fails without waiting.
TEST_F(Transaction, WithoutAReaderEveryCommandFailsAtOnce) {
    rx_.stopReader();
    EXPECT_EQ(rx_.isConnected(), 0u);
    peer_.answerAll(kAck);
    uint8_t on = 0;
    platform::WideString text;
    StationList list;
    const uint32_t elapsed = timed([&] {
        EXPECT_EQ(rx_.setGps(true), 0u);
        EXPECT_EQ(rx_.queryGps(on), 0u);
        EXPECT_EQ(rx_.queryQzss(on), 0u);
        EXPECT_EQ(rx_.initReceiver(1), 0u);
        EXPECT_EQ(rx_.connectMountPoint(u"MP"), 0u);
        EXPECT_EQ(rx_.loadSourceTable(list), 0u);
        EXPECT_EQ(rx_.startModem(), 0u);
        EXPECT_EQ(rx_.queryVersions(text, text, text), 0u);
        EXPECT_EQ(rx_.sendFreeCommand("X"), 2u);
        EXPECT_EQ(rx_.waitVector(), 0u);
    });
    EXPECT_LT(elapsed, 5000u) << "no command waited for its time-out";
    // The text still goes out while the port is open.
    EXPECT_EQ(peer_.takeLines().front(), "$PQELS,GPS,ON\r\n");

    rx_.closePort();
    EXPECT_EQ(rx_.setGps(true), 0u);
    EXPECT_EQ(peer_.takeLines(), Lines{});
}

// Each command waits exactly its own time-out when the receiver stays silent (or, for the
// two-stage commands, acknowledges and then stays silent).
class TimeOuts : public test::ReceiverOnLine {
  protected:
    TimeOuts() : ReceiverOnLine(200) {}
};

TEST_F(TimeOuts, EachCommandWaitsItsOwnTimeOut) {
    struct Row {
        const char* legend;
        std::function<uint32_t(GnssReceiver&)> call;
        std::string firstAnswer;  // to the first line; every later line gets nothing
        uint32_t result;
        uint32_t timeoutMs;
    };
    const std::vector<Row> rows = {
        {"set", [](auto& r) { return r.setGps(true); }, "", 0, 10000},
        {"query",
         [](auto& r) {
             uint8_t on;
             return r.queryGps(on);
         },
         "", 0, 10000},
        {"signal configuration", [](auto& r) { return r.setSignalConfig(1); }, "", 0, 15},
        {"receiver initialisation", [](auto& r) { return r.initReceiver(1); }, "", 0, 25000},
        {"radio type query",
         [](auto& r) {
             uint32_t t;
             return r.queryRadioType(3, t);
         },
         "", 0, 35000},
        {"radio table query",
         [](auto& r) {
             uint32_t t;
             return r.queryRadioTable(3, t);
         },
         "", 0, 35000},
        {"radio parameter query",
         [](auto& r) {
             RadioSettings s;
             return r.queryRadioParameters(3, s);
         },
         "", 0, 35000},
        {"radio parameters", [](auto& r) { return r.setRadioParameters(3, 0, 0, 1, 0, 1, 0); }, "",
         0, 35000},
        {"radio type", [](auto& r) { return r.setRadioType(3, 0); }, "", 0, 10000},
        {"radio on", [](auto& r) { return r.radioOn(); }, "", 0, 10000},
        {"direct IP", [](auto& r) { return r.connectDirectIp(u"a", 1); }, "", 0, 35000},
        {"direct IP with login", [](auto& r) { return r.connectDirectIpLogin(u"a", 1, u"", u""); },
         "", 0, 10000},
        {"modem on", [](auto& r) { return r.modemOn(); }, "", 0, 20000},
        {"modem off", [](auto& r) { return r.modemOff(); }, "", 0, 20000},
        {"free text", [](auto& r) { return r.sendFreeCommand("X"); }, "", 2, 45000},
        {"mount point, first wait", [](auto& r) { return r.connectMountPoint(u"MP"); }, "", 0,
         10000},
        {"mount point, second wait", [](auto& r) { return r.connectMountPoint(u"MP"); }, kAck, 0,
         120000},
        {"source table load, first wait",
         [](auto& r) {
             StationList l;
             return r.loadSourceTable(l);
         },
         "", 0, 120000},
        {"source table load, second wait",
         [](auto& r) {
             StationList l;
             return r.loadSourceTable(l);
         },
         kAck, 0, 120000},
        {"modem start, state query", [](auto& r) { return r.startModem(); }, "", 0, 10000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        peer_.answerInTurn({row.firstAnswer});
        uint32_t result = 9;
        const uint32_t elapsed = timed([&] { result = row.call(rx_); });
        EXPECT_EQ(result, row.result);
        EXPECT_GE(elapsed, row.timeoutMs - 1);
        EXPECT_LT(elapsed, row.timeoutMs + 4900);
        peer_.takeLines(5);
    }
}

// The signal configuration counts only an acknowledgement that comes within 15 ms.
class RealTime : public test::ReceiverOnLine {
  protected:
    RealTime() : ReceiverOnLine(1) {}
};

TEST_F(RealTime, SignalConfigurationNeedsItsAckWithin15Ms) {
    peer_.answerAll(kAck);
    EXPECT_EQ(rx_.setSignalConfig(2), 1u);
    peer_.script([](const std::string&) { return std::vector<Answer>{{kAck, 60}}; });
    EXPECT_EQ(rx_.setSignalConfig(3), 0u);
    EXPECT_EQ(peer_.takeLines(100), (Lines{"$PQELS,CFG,TSL\r\n", "$PQELS,CFG,DSE\r\n"}));
}

TEST_F(RealTime, GnssModesSendTheirSeries) {
    struct Row {
        uint32_t mode;
        Lines sent;
    };
    const std::vector<Row> rows = {
        {0, {"$PQELS,GPS,ON\r\n", "$PQELS,CFG,SSL\r\n", "$PQELS,GLO,OFF\r\n"}},
        {1, {"$PQELS,GPS,ON\r\n", "$PQELS,CFG,DSL\r\n", "$PQELS,GLO,OFF\r\n"}},
        {2, {"$PQELS,GPS,ON\r\n", "$PQELS,CFG,SSL\r\n", "$PQELS,GLO,ON\r\n"}},
        {3, {"$PQELS,GPS,ON\r\n", "$PQELS,CFG,DSE\r\n", "$PQELS,GLO,ON\r\n"}},
        {4, {"$PQELS,GPS,ON\r\n", "$PQELS,CFG,SSL\r\n", "$PQELS,GLO,ON\r\n", "$PQELS,GPS,OFF\r\n"}},
        {5, {"$PQELS,GPS,ON\r\n", "$PQELS,CFG,DSE\r\n", "$PQELS,GLO,ON\r\n", "$PQELS,GPS,OFF\r\n"}},
    };
    peer_.answerAll(kAck);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.mode);
        EXPECT_EQ(rx_.setGnssMode(row.mode), 1u);
        EXPECT_EQ(peer_.takeLines(), row.sent);
    }
}

TEST_F(RealTime, AGnssModeStopsWhereItsSeriesFails) {
    // A refused first GPS command still lets modes 0 to 3 go on, but fails them.
    peer_.answerInTurn({kNak, kAck, kAck});
    EXPECT_EQ(rx_.setGnssMode(2), 0u);
    EXPECT_EQ(peer_.takeLines().size(), 3u);
    // A refused signal configuration ends the series there.
    peer_.answerInTurn({kAck, kNak, kAck, kAck});
    EXPECT_EQ(rx_.setGnssMode(5), 0u);
    EXPECT_EQ(peer_.takeLines(), (Lines{"$PQELS,GPS,ON\r\n", "$PQELS,CFG,DSE\r\n"}));
    // A refused GLONASS command in modes 4 and 5 keeps GPS on.
    peer_.answerInTurn({kAck, kAck, kNak, kAck});
    EXPECT_EQ(rx_.setGnssMode(4), 0u);
    EXPECT_EQ(peer_.takeLines().size(), 3u);
}

TEST_F(Transaction, GnssModeFromTheThreeQueries) {
    struct Row {
        const char* config;
        const char* gps;
        const char* glonass;
        uint32_t mode;
    };
    const std::vector<Row> rows = {
        {"SSL", "ON", "OFF", 0}, {"SSL", "ON", "ON", 2},  {"SSL", "OFF", "ON", 4},
        {"DSL", "ON", "OFF", 1}, {"DSL", "ON", "ON", 1},  {"DSE", "ON", "ON", 3},
        {"DSE", "OFF", "ON", 5}, {"TSL", "ON", "ON", 6},  {"SSL", "OFF", "OFF", 6},
        {"DSE", "ON", "OFF", 6}, {"DSL", "OFF", "ON", 6},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.config) + " " + row.gps + " " + row.glonass);
        peer_.answerInTurn({reply(std::string("$PQELR,CFG,") + row.config),
                            reply(std::string("$PQELR,GPS,") + row.gps),
                            reply(std::string("$PQELR,GLO,") + row.glonass)});
        uint32_t mode = 99;
        EXPECT_EQ(rx_.queryGnssMode(mode), 1u);
        EXPECT_EQ(mode, row.mode);
        EXPECT_EQ(peer_.takeLines(), (Lines{"$PQELQ,CFG\r\n", "$PQELQ,GPS\r\n", "$PQELQ,GLO\r\n"}));
    }
    // All three are asked even when the first fails.
    peer_.answerInTurn({kNak, reply("$PQELR,GPS,ON"), reply("$PQELR,GLO,ON")});
    uint32_t mode = 99;
    EXPECT_EQ(rx_.queryGnssMode(mode), 0u);
    EXPECT_EQ(mode, 99u);
    EXPECT_EQ(peer_.takeLines().size(), 3u);
}

TEST_F(Transaction, DifferentialPresets) {
    peer_.answerAll(kAck);
    EXPECT_EQ(rx_.setDifferentialPreset(3), 1u);
    EXPECT_EQ(peer_.takeLines(), (Lines{"$PQELS,RTC,TYP,1000\r\n", "$PQELS,RTC,TYP,1004,1\r\n",
                                        "$PQELS,RTC,TYP,1006,13\r\n", "$PQELS,RTC,TYP,1012,1\r\n",
                                        "$PQELS,RTC,TYP,1033,31\r\n"}));
    EXPECT_EQ(rx_.setDifferentialPreset(6), 1u);
    EXPECT_EQ(peer_.takeLines(), (Lines{"$PQELS,CMR,TYP,0,1\r\n", "$PQELS,CMR,TYP,1,30\r\n",
                                        "$PQELS,CMR,TYP,2,30\r\n", "$PQELS,CMR,TYP,3,1\r\n"}));
    EXPECT_EQ(rx_.setDifferentialPreset(1), 1u);
    EXPECT_EQ(peer_.takeLines(), Lines{"$PQELS,RNX,TYP,100,1,31\r\n"});
    EXPECT_EQ(rx_.setDifferentialPreset(7), 1u) << "nothing to send";
    EXPECT_EQ(peer_.takeLines(), Lines{});

    peer_.answerInTurn({kAck, kNak, kAck, kAck});
    EXPECT_EQ(rx_.setDifferentialPreset(4), 0u);
    EXPECT_EQ(peer_.takeLines(), (Lines{"$PQELS,RTC,TYP,0\r\n", "$PQELS,RTC,TYP,18,1\r\n"}));
}

TEST_F(Transaction, StatusOutputAtTheOutputRate) {
    EXPECT_EQ(rx_.setOutputRate(0), 0u) << "no interval for a rate of 0";
    EXPECT_EQ(rx_.getOutputRate(), 1u);
    EXPECT_EQ(rx_.setOutputRate(5), 1u);
    // The first nine results are ignored; the last decides.
    peer_.answerInTurn({kNak, kNak, kNak, kNak, kNak, kNak, kNak, kNak, kNak, kAck});
    EXPECT_EQ(rx_.setStatusNmea(1), 1u);
    EXPECT_EQ(peer_.takeLines(),
              (Lines{"$PQELS,NME,B,GGA,ON,0.20\r\n", "$PQELS,NME,B,GSA,ON,0.20\r\n",
                     "$PQELS,NME,B,GSV,OFF\r\n", "$PQELS,NME,B,SGP,ON,0.20\r\n",
                     "$PQELS,NME,B,SGL,ON,0.20\r\n", "$PQELS,NME,B,GST,ON,0.20\r\n",
                     "$PQELS,NME,B,ZDA,ON,0.20\r\n", "$PQELS,NME,B,VEC,ON,0.20\r\n",
                     "$PQELS,NME,B,VTG,ON,0.20\r\n", "$PQELS,NME,B,DTM,ON,0.20\r\n"}));
    peer_.answerInTurn({kAck, kAck, kAck, kAck, kAck, kAck, kAck, kAck, kAck, kNak});
    EXPECT_EQ(rx_.setStatusNmea(1), 0u);
    peer_.takeLines();
}

TEST_F(Transaction, BluetoothPortSwitchesPortCAfterItsAck) {
    peer_.answerAll(kAck);
    EXPECT_EQ(rx_.setBluetoothPort(u"NONE"), 1u);
    EXPECT_EQ(peer_.takeLines(), (Lines{"$PQELS,BTH,PRT,NONE\r\n", "$PQELS,PRT,C,,OFF\r\n"}));
    EXPECT_EQ(rx_.setBluetoothPort(u"BT01"), 1u);
    EXPECT_EQ(peer_.takeLines(), (Lines{"$PQELS,BTH,PRT,BT01\r\n", "$PQELS,PRT,C,,ON\r\n"}));

    peer_.answerInTurn({kAck, kNak});
    EXPECT_EQ(rx_.setBluetoothPort(u"BT01"), 0u) << "the second acknowledgement decides";
    peer_.takeLines();
    peer_.answerAll(kNak);
    EXPECT_EQ(rx_.setBluetoothPort(u"BT01"), 0u);
    EXPECT_EQ(peer_.takeLines(), Lines{"$PQELS,BTH,PRT,BT01\r\n"});
}

// Two-stage commands: an ACK at once, then the receiver's own "OK" or "FAIL" when it is done.
TEST_F(Transaction, MountPointConnectWaitsForTheReceiversOutcome) {
    const auto ackThen = [](std::string later) {
        return [later](const std::string&) { return std::vector<Answer>{{kAck}, {later, 20}}; };
    };
    peer_.script(ackThen(reply("$PQELR,NTR,OK")));
    EXPECT_EQ(rx_.connectMountPoint(u"VRS_RTCM32"), 1u);
    EXPECT_EQ(peer_.takeLines(), Lines{"$PQELS,NTR,MTP,VRS_RTCM32\r\n"});

    peer_.script(ackThen(reply("$PQELR,NTR,FAIL")));
    EXPECT_EQ(rx_.connectMountPoint(u"VRS_RTCM32"), 0u);

    peer_.answerAll(kNak);
    uint32_t result = 9;
    EXPECT_LT(timed([&] { result = rx_.connectMountPoint(u"MP"); }), 5000u)
        << "a refusal does not wait for an outcome";
    EXPECT_EQ(result, 0u);
}

// The receiver sends the ACK and the outcome back to back (or even the outcome first), and the
// reader parses both before the command's thread wakes. A clock at a twentieth of the usual speed
// keeps a loaded machine's pseudo-terminal round trips far inside the modem's 20 s second wait.
class TwoStageBurst : public test::ReceiverOnLine {
  protected:
    TwoStageBurst() : ReceiverOnLine(20) {}
};

TEST_F(TwoStageBurst, AnOutcomeThatCameWithItsAckIsTakenAtOnce) {
    const std::string table =
        "$PQELR,NTR,TBL\r\nSOURCETABLE 200 OK\r\n"
        "STR;MP1;Hannover;RTCM 3.2;1004(1);2;GPS;NET;DEU;52.38;9.71;1;0;sNTRIP;none;B;N;2400;\r\n"
        "ENDSOURCETABLE\r\n";
    struct Operation {
        const char* name;
        std::string ok;
        std::string fail;
        uint32_t secondWaitMs;
        bool sendsMoreAfterOk;
        std::function<uint32_t(GnssReceiver&)> call;
    };
    const Operation operations[] = {
        {"mount point connect", reply("$PQELR,NTR,OK"), reply("$PQELR,NTR,FAIL"), 120000, false,
         [](GnssReceiver& rx) { return rx.connectMountPoint(u"VRS_RTCM32"); }},
        {"source table load", reply("$PQELR,NTR,OK"), reply("$PQELR,NTR,FAIL"), 120000, true,
         [](GnssReceiver& rx) {
             StationList list;
             return rx.loadSourceTable(list) != 0 && list.size() == 1 ? 1u : 0u;
         }},
        {"modem start", reply("$PQELR,MDM,INI,OK"), reply("$PQELR,MDM,INI,FAIL"), 20000, true,
         [](GnssReceiver& rx) { return rx.startModem(); }},
    };
    struct Arrival {
        const char* legend;
        bool outcomeFirst;
        std::function<std::string(const std::string& outcome)> burst;
    };
    const Arrival arrivals[] = {
        {"ACK and outcome in one write", false, [](const std::string& o) { return kAck + o; }},
        {"outcome before its ACK in one write", true,
         [](const std::string& o) { return o + kAck; }},
        {"another reply between ACK and outcome", false,
         [](const std::string& o) { return kAck + reply("$PQELR,GPS,ON") + o; }},
    };
    // Each case more than once: before a fix the loss depended on who ran first.
    constexpr int kRounds = 3;
    for (const Operation& op : operations) {
        for (const Arrival& arrival : arrivals) {
            for (const bool succeeds : {true, false}) {
                // An ACK after the outcome is a late reply to whatever is sent next; only an
                // operation that ends with this command can take it that way round.
                if (arrival.outcomeFirst && succeeds && op.sendsMoreAfterOk)
                    continue;
                SCOPED_TRACE(std::string(op.name) + ", " + arrival.legend +
                             (succeeds ? ", OK" : ", FAIL"));
                const std::string burst = arrival.burst(succeeds ? op.ok : op.fail);
                auto modemQueries = std::make_shared<std::atomic<int>>(0);
                peer_.script([burst, table, modemQueries](const std::string& line) {
                    if (line == "$PQELQ,NTR,TBL\r\n")
                        return std::vector<Answer>{{table}};
                    if (line == "$PQELQ,MDM\r\n") {
                        const char* state = modemQueries->fetch_add(1) == 0 ? "ON" : "INIT";
                        return std::vector<Answer>{
                            {reply(std::string("$PQELR,MDM,GSM,1,") + state)}};
                    }
                    return std::vector<Answer>{{burst}};
                });
                for (int round = 0; round < kRounds; ++round) {
                    modemQueries->store(0);
                    uint32_t result = 9;
                    const uint32_t took = timed([&] { result = op.call(rx_); });
                    EXPECT_EQ(result, succeeds ? 1u : 0u) << "round " << round;
                    EXPECT_LT(took, op.secondWaitMs) << "round " << round << " waited it out";
                    peer_.takeLines();
                }
            }
        }
    }
}

TEST_F(Transaction, ModemStartFromEachState) {
    const std::string off = reply("$PQELR,MDM,GSM,1,OFF");
    const std::string on = reply("$PQELR,MDM,GSM,1,ON");
    const std::string init = reply("$PQELR,MDM,GSM,1,INIT");
    const std::string online = reply("$PQELR,MDM,GSM,1,ONLINE");
    const std::string iniOk = reply("$PQELR,MDM,INI,OK");
    const std::string iniFail = reply("$PQELR,MDM,INI,FAIL");
    const std::string query = "$PQELQ,MDM\r\n";
    const std::string powerOn = "$PQELS,MDM,ON\r\n";
    const std::string initialise = "$PQELS,MDM,INI\r\n";

    // Answers by command, in the order the sequence asks.
    struct Row {
        const char* legend;
        std::vector<std::string> stateReplies;  // to the first and second state query
        std::string powerReply;
        std::string initOutcome;  // after the initialisation's ACK
        uint32_t result;
        Lines sent;
    };
    const std::vector<Row> rows = {
        {"off", {off, init}, kAck, iniOk, 1, {query, powerOn, initialise, query}},
        {"on", {on, init}, kAck, iniOk, 1, {query, initialise, query}},
        {"already initialising", {init, init}, kAck, iniOk, 1, {query, query}},
        {"online", {online}, kAck, iniOk, 0, {query}},
        {"power refused", {off}, kNak, iniOk, 0, {query, powerOn}},
        {"initialisation failed", {on}, kAck, iniFail, 0, {query, initialise}},
        {"not initialising afterwards", {on, online}, kAck, iniOk, 0, {query, initialise, query}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        auto queries = std::make_shared<size_t>(0);
        peer_.script([&row, queries, &query, &powerOn](const std::string& line) {
            if (line == query) {
                const size_t i = (*queries)++;
                return std::vector<Answer>{
                    {i < row.stateReplies.size() ? row.stateReplies[i] : ""}};
            }
            if (line == powerOn)
                return std::vector<Answer>{{row.powerReply}};
            return std::vector<Answer>{{kAck}, {row.initOutcome, 20}};
        });
        EXPECT_EQ(rx_.startModem(), row.result);
        EXPECT_EQ(peer_.takeLines(), row.sent);
    }
}

TEST_F(Transaction, SourceTableLoadParsesWhatTheReceiverRelayed) {
    const std::string table =
        "$PQELR,NTR,TBL\r\nSOURCETABLE 200 OK\r\n"
        "CAS;caster.example.org;2101;Example;Operator;0;DEU;52.0;9.0;0.0.0.0;0;http://x\r\n"
        "STR;MP1;Hannover;RTCM 3.2;1004(1);2;GPS;NET;DEU;52.38;9.71;1;0;sNTRIP;none;B;N;2400;\r\n"
        "STR;MP2;Celle;RTCM 3.2;1004(1);2;GPS+GLO;NET;DEU;52.62;10.08;0;1;sNTRIP;none;B;Y;9600;\r\n"
        "ENDSOURCETABLE\r\n";
    // The script runs on the peer's thread, which may outlive this body: it keeps its own copy.
    peer_.script([table](const std::string& line) {
        if (line == "$PQELS,NTR,LOD\r\n")
            return std::vector<Answer>{{kAck}, {reply("$PQELR,NTR,OK"), 20}};
        return std::vector<Answer>{{table}};
    });
    StationList list;
    EXPECT_EQ(rx_.loadSourceTable(list), 1u);
    EXPECT_EQ(peer_.takeLines(), (Lines{"$PQELS,NTR,LOD\r\n", "$PQELQ,NTR,TBL\r\n"}));
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(fieldText(list.at(1)->mountPoint), "MP2");
    EXPECT_EQ(list.at(1)->bitrate, 9600);

    // A failed load leaves the list as it was.
    peer_.script([](const std::string&) {
        return std::vector<Answer>{{kAck}, {reply("$PQELR,NTR,FAIL"), 20}};
    });
    EXPECT_EQ(rx_.loadSourceTable(list), 0u);
    EXPECT_EQ(peer_.takeLines(), Lines{"$PQELS,NTR,LOD\r\n"});
    EXPECT_EQ(list.size(), 2);
    // So does a table reply that carries no table.
    peer_.script([](const std::string& line) {
        if (line == "$PQELS,NTR,LOD\r\n")
            return std::vector<Answer>{{kAck}, {reply("$PQELR,NTR,OK"), 20}};
        return std::vector<Answer>{
            {"$PQELR,NTR,TBL\r\nHTTP/1.1 401 Unauthorized\r\nENDSOURCETABLE\r\n"}};
    });
    EXPECT_EQ(rx_.loadSourceTable(list), 0u);
    EXPECT_EQ(list.size(), 2);
}

// A table ends at a second of silence too: a slower clock keeps a busy machine's pause inside a
// 51 KB table from ending it early.
class SlowerLine : public test::ReceiverOnLine {
  protected:
    SlowerLine() : ReceiverOnLine(10) {}
};

TEST_F(SlowerLine, ARealTableRelayedWholeOverTheLine) {
    const std::string table =
        zentrix::test::readFile(zentrix::test::testdataPath("ntrip/euref-ip.sourcetable.txt"));
    ASSERT_GT(table.size(), 50000u);
    // The script runs on the peer's thread, which may outlive this body: it keeps its own copy.
    peer_.script([table](const std::string& line) {
        if (line == "$PQELS,NTR,LOD\r\n")
            return std::vector<Answer>{{kAck}, {reply("$PQELR,NTR,OK"), 20}};
        // Saved without the caster's status line: it goes out as the caster sends it.
        return std::vector<Answer>{{"$PQELR,NTR,TBL\r\nSOURCETABLE 200 OK\r\n" + table}};
    });
    StationList list;
    EXPECT_EQ(rx_.loadSourceTable(list), 1u);
    ASSERT_EQ(list.size(), 221);
    EXPECT_EQ(fieldText(list.at(0)->mountPoint), "AGRN00ITA0");
    EXPECT_EQ(fieldText(list.at(220)->mountPoint), "ZZON00HUN0");
}

TEST_F(Transaction, FreeTextOutcomes) {
    struct Row {
        const char* legend;
        std::string answer;
        uint32_t result;
    };
    const std::vector<Row> rows = {
        {"acknowledged", kAck, 1},
        {"refused", kNak, 0},
        {"an OK", reply("$PQELR,NTR,OK"), 1},
        {"a FAIL", reply("$PQELR,NTR,FAIL"), 0},
        {"a reply that says neither", reply("$PQELR,GPS,ON"), 2},
        {"an ACK after an earlier FAIL", kAck, 1},
        {"silence", "", 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        peer_.answerAll(row.answer);
        EXPECT_EQ(rx_.sendFreeCommand("$PQELQ,XYZ"), row.result);
        EXPECT_EQ(peer_.takeLines(), Lines{"$PQELQ,XYZ\r\n"});
    }
    // An overlong line is cut to what the command buffer holds, its line end kept.
    peer_.answerAll(kAck);
    EXPECT_EQ(rx_.sendFreeCommand(std::string(5000, 'x')), 1u);
    EXPECT_EQ(peer_.takeLines(), Lines{std::string(1021, 'x') + "\r\n"});
    EXPECT_EQ(rx_.sendFreeCommand(std::string("$PQELQ,GPS\0garbage", 19)), 1u);
    EXPECT_EQ(peer_.takeLines(), Lines{"$PQELQ,GPS\r\n"});
}

TEST_F(Transaction, DialIsRefusedForFamiliesWithoutACircuitSwitchedModem) {
    struct Row {
        const char* identity;
        bool dials;
    };
    const std::vector<Row> rows = {
        {"$PQELR,RID,QL20,2611GU01,X,1", true},   // GSM with radio
        {"$PQELR,RID,QL20,2611PU01,X,1", false},  // GPRS-only module
        {"$PQELR,RID,QG30,2611NN01,X,1", false},  // no modem
        {"$PQELR,RID,QOEM,2611GU01,X,1", false},  // OEM board
        {"$PQELR,RID,QL20,26,X,1", true},         // not recognised: the receiver decides
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.identity);
        peer_.answerAll(reply(row.identity));
        uint32_t family = 99;
        ASSERT_EQ(rx_.queryReceiverFamily(family), 1u);
        peer_.takeLines();
        peer_.answerAll(kAck);
        EXPECT_EQ(rx_.modemDial(), row.dials ? 1u : 0u);
        EXPECT_EQ(rx_.modemHangUp(), row.dials ? 1u : 0u);
        EXPECT_EQ(peer_.takeLines().size(), row.dials ? 2u : 0u);
    }
}

// Replies that release no command are read through the getters, without sending anything.
TEST_F(Transaction, ReportsThatReleaseNoCommandAreReadDirectly) {
    peer_.send(reply("$PQELR,A2D,1,0") + reply("$PQELR,OBI,120000.00,1.50,00003") +
               reply("$PQELR,WTI,0012") + withChecksum("$GPGSV,1,1,02,05,40,120,44,07,30,200,41"));
    for (int i = 0; i < 1000 && rx_.getWtiValue() == 0; ++i) platform::sleepMs(10);
    EXPECT_EQ(rx_.getWtiValue(), 12u);
    EXPECT_EQ(rx_.getA2dValid(), 1u);
    EXPECT_EQ(rx_.getA2dFirstSwitch(), 1u);
    EXPECT_EQ(rx_.getA2dSecondSwitch(), 0u);
    float value = 0;
    int32_t count = 0;
    EXPECT_EQ(rx_.getObservationStatus(value, count), 1u);
    EXPECT_FLOAT_EQ(value, 1.5f);
    EXPECT_EQ(count, 3);
    SatelliteTable satellites;
    for (int i = 0; i < 1000 && rx_.getSatellites(satellites) == 0; ++i) platform::sleepMs(10);
    EXPECT_EQ(rx_.getSatellites(satellites), 2u);
    EXPECT_EQ(satellites.entries[1].prn, 7);
    EXPECT_EQ(peer_.takeLines(), Lines{});
}

TEST_F(Transaction, BaselineFromThePublishedVector) {
    peer_.send(reply("$PQELR,VEC,2,0,0,3,4,12,0,0,0"));
    EXPECT_EQ(rx_.waitVector(), 1u);
    float metres = 0;
    EXPECT_EQ(rx_.getBaselineLength(metres), 1u);
    EXPECT_FLOAT_EQ(metres, 13.0f);
    PositionRecord position;
    EXPECT_EQ(rx_.getPosition(position), 1u);
    EXPECT_EQ(position.fixType, 4);
    EXPECT_EQ(rx_.waitVector(), 0u) << "no new vector";
}

// The recording report sets no reply event, so the recording page polls: at most one query per
// 10001 ms, placed on the tick counter (across its wrap) to the millisecond.
TEST_F(RealTime, RecordingPollAsksAtMostOncePer10001Ms) {
    const uint32_t start = 0xFFFFFFFFu - 4000;
    Clock::setTickCount(start);
    peer_.answerAll(kAck);
    ASSERT_EQ(rx_.setRecording(true), 1u);
    const uint32_t answered = Clock::tickCount();
    EXPECT_EQ(peer_.takeLines(), (Lines{"$PQELS,REC,Y\r\n", "$PQELQ,REC\r\n"}));

    peer_.silent();
    Clock::setTickCount(start + 10000);
    EXPECT_EQ(rx_.pollRecordingStopped(), 0u);
    EXPECT_EQ(peer_.takeLines(), Lines{});
    Clock::setTickCount(answered + 10001);
    const uint32_t before = Clock::tickCount();
    EXPECT_EQ(rx_.pollRecordingStopped(), 0u);
    const uint32_t after = Clock::tickCount();
    EXPECT_EQ(rx_.pollRecordingStopped(), 0u);
    EXPECT_EQ(peer_.takeLines(), Lines{"$PQELQ,REC\r\n"});
    Clock::setTickCount(before + 10000);
    EXPECT_EQ(rx_.pollRecordingStopped(), 0u);
    EXPECT_EQ(peer_.takeLines(), Lines{});
    Clock::setTickCount(after + 10001);
    EXPECT_EQ(rx_.pollRecordingStopped(), 0u);
    EXPECT_EQ(peer_.takeLines(), Lines{"$PQELQ,REC\r\n"});

    // The receiver reports the recording stopped: the poll says so at once, without asking.
    peer_.send(reply("$PQELR,REC,S"));
    for (int i = 0; i < 1000 && !rx_.pollRecordingStopped(); ++i) platform::sleepMs(1);
    EXPECT_EQ(rx_.pollRecordingStopped(), 1u);
    EXPECT_EQ(rx_.clearRecordingStopped(), 1u);
    EXPECT_EQ(rx_.pollRecordingStopped(), 0u);
    EXPECT_EQ(peer_.takeLines(), Lines{});

    // A stop, or a start the receiver refuses, asks nothing more.
    peer_.answerAll(kAck);
    EXPECT_EQ(rx_.setRecording(false), 1u);
    peer_.answerAll(kNak);
    EXPECT_EQ(rx_.setRecording(true), 0u);
    EXPECT_EQ(peer_.takeLines(), (Lines{"$PQELS,REC,N\r\n", "$PQELS,REC,Y\r\n"}));
}

TEST(ReceiverInterfaceBase, AnswersFailureToEverything) {
    ReceiverInterface base;
    uint8_t on = 7;
    PositionRecord position;
    EXPECT_EQ(base.connect(u"COM3:"), 0u);
    EXPECT_EQ(base.getPosition(position), 0u);
    EXPECT_EQ(base.queryGps(on), 0u);
    EXPECT_EQ(on, 7);
    EXPECT_EQ(base.hasProprietaryCommands(), 0u);
    EXPECT_EQ(base.sendFreeCommand("X"), 0u);

    GnssReceiver survey;
    EXPECT_EQ(survey.hasProprietaryCommands(), 1u);
    EXPECT_EQ(survey.isRecordingFileOpen(), 0u);
    EXPECT_EQ(survey.connect(u"COM3:"), 0u) << "not yet";
    EXPECT_EQ(survey.getDeviceModel(), 2u);
    EXPECT_EQ(survey.getOutputRate(), 1u);
    EXPECT_EQ(survey.isConnected(), 0u);
}

}  // namespace
}  // namespace zentrix::receiver
