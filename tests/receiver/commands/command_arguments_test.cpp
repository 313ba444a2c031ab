// What the user types and what the program computes, on its way into a command: a text stays one
// field (or the command is refused and nothing is sent), and a number is written with "." under
// any locale.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/receiver/commands/command_support.h"
#include "tests/support/comma_locale.h"

namespace zentrix::receiver {
namespace {

using platform::WideString;
using test::kAck;

class CommandArguments : public test::ReceiverOnLine {};

// One text argument of one operation: the call with that argument set to `text` (the others
// ordinary), and the sentence an ordinary "ab.c" sends.
struct TextRow {
    const char* legend;
    std::function<uint32_t(GnssReceiver&, const WideString& text)> call;
    std::string sentWithOrdinaryText;
};

const std::vector<TextRow>& textRows() {
    using R = GnssReceiver;
    using W = const WideString&;
    static const std::vector<TextRow> kRows = {
        {"station id", [](R& r, W t) { return r.setStationId(t); }, "$PQELS,STI,ab.c"},
        {"file path", [](R& r, W t) { return r.setFilePath(t); }, "$PQELS,FIL,PTH,ab.c"},
        {"recorder file", [](R& r, W t) { return r.setRecorderFile(t); }, "$PQELS,NRC,FIL,ab.c"},
        {"antenna name", [](R& r, W t) { return r.setAntennaName(t); }, "$PQELS,ANP,OWN,ab.c"},
        {"occupation, first text", [](R& r, W t) { return r.setOccupation0(2, t, u"x"); },
         "$PQELS,OCC,2,0,ab.c,x"},
        {"occupation, second text", [](R& r, W t) { return r.setOccupation1(2, u"x", t); },
         "$PQELS,OCC,2,1,x,ab.c"},
        {"reference receiver",
         [](R& r, W t) { return r.setReferenceReceiver(platform::toUtf8(t), true); },
         "$PQELS,RCP,REF,ab.c,1"},
        {"GSM PIN", [](R& r, W t) { return r.setModemDialParameters(t, u"0123"); },
         "$PQELS,MDM,PAR,PIN,ab.c,PTC,0,PHN,0123"},
        {"GSM phone number", [](R& r, W t) { return r.setModemDialParameters(u"", t); },
         "$PQELS,MDM,PAR,PTC,0,PHN,ab.c"},
        {"GPRS PIN", [](R& r, W t) { return r.setModemGprsParameters(t, u"apn", u"me", u"pw"); },
         "$PQELS,MDM,PAR,PIN,ab.c,PTC,1,APN,apn,LGN,me,PWD,pw"},
        {"GPRS APN", [](R& r, W t) { return r.setModemGprsParameters(u"", t, u"me", u"pw"); },
         "$PQELS,MDM,PAR,PTC,1,APN,ab.c,LGN,me,PWD,pw"},
        {"GPRS login", [](R& r, W t) { return r.setModemGprsParameters(u"", u"apn", t, u"pw"); },
         "$PQELS,MDM,PAR,PTC,1,APN,apn,LGN,ab.c,PWD,pw"},
        {"GPRS password", [](R& r, W t) { return r.setModemGprsParameters(u"", u"apn", u"me", t); },
         "$PQELS,MDM,PAR,PTC,1,APN,apn,LGN,me,PWD,ab.c"},
        {"direct IP address", [](R& r, W t) { return r.connectDirectIp(t, 2101); },
         "$PQELS,DIP,RIP,ab.c,PRT,2101"},
        {"direct IP login", [](R& r, W t) { return r.connectDirectIpLogin(u"h", 5, t, u"pw"); },
         "$PQELS,DIP,RIP,h,PRT,5,LGN,ab.c,PWD,pw"},
        {"direct IP password", [](R& r, W t) { return r.connectDirectIpLogin(u"h", 5, u"me", t); },
         "$PQELS,DIP,RIP,h,PRT,5,LGN,me,PWD,ab.c"},
        {"NTRIP caster", [](R& r, W t) { return r.setNtripParameters(t, 2101, u"me", u"pw", 1); },
         "$PQELS,NTR,PAR,ADD,ab.c,PRT,2101,LGN,me,PWD,pw,TYP,1"},
        {"NTRIP login", [](R& r, W t) { return r.setNtripParameters(u"h", 2101, t, u"pw", 1); },
         "$PQELS,NTR,PAR,ADD,h,PRT,2101,LGN,ab.c,PWD,pw,TYP,1"},
        {"NTRIP password", [](R& r, W t) { return r.setNtripParameters(u"h", 2101, u"me", t, 1); },
         "$PQELS,NTR,PAR,ADD,h,PRT,2101,LGN,me,PWD,ab.c,TYP,1"},
        {"mount point", [](R& r, W t) { return r.connectMountPoint(t); }, "$PQELS,NTR,MTP,ab.c"},
        {"Bluetooth port", [](R& r, W t) { return r.setBluetoothPort(t); }, "$PQELS,BTH,PRT,ab.c"},
    };
    return kRows;
}

TEST_F(CommandArguments, TextThatWouldAddFieldsIsRefusedAndNothingSent) {
    const WideString refused[] = {u"pa,TYP,0", u"0*1", u"ab\rc", u"ab\nc", u","};
    // Every command is acknowledged; the mount point connect then also hears its "OK".
    peer_.script([](const std::string& line) {
        if (line.starts_with("$PQELS,NTR,MTP,"))
            return std::vector<test::Answer>{{kAck}, {test::reply("$PQELR,NTR,OK"), 20}};
        return std::vector<test::Answer>{{kAck}};
    });
    for (const TextRow& row : textRows()) {
        SCOPED_TRACE(row.legend);
        for (const WideString& text : refused) {
            SCOPED_TRACE(platform::toUtf8(text));
            EXPECT_EQ(row.call(rx_, text), 0u);
            EXPECT_EQ(peer_.takeLines(), std::vector<std::string>{});
        }
        // Ordinary text still goes out as one field. (The Bluetooth port goes on to switch the
        // port on; only its first sentence carries the text.)
        EXPECT_NE(row.call(rx_, u"ab.c"), 0u);
        const std::vector<std::string> lines = peer_.takeLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), row.sentWithOrdinaryText + "\r\n");
    }
}

// Every operation that sends a number with decimals, under a locale whose decimal separator is
// a comma.
TEST_F(CommandArguments, NumbersUsePointUnderACommaLocale) {
    struct Row {
        const char* legend;
        std::function<uint32_t(GnssReceiver&)> call;
        std::string sent;
    };
    const Row rows[] = {
        {"NMEA message interval",
         [](GnssReceiver& r) { return r.setNmeaMessage(0, 2, true, 1.0f); },
         "$PQELS,NME,A,GGA,ON,1.00"},
        {"NMEA interval of a fraction",
         [](GnssReceiver& r) { return r.setNmeaMessage(6, 10, true, 0.2f); },
         "$PQELS,NME,O,RMC,ON,0.20"},
        {"reference position",
         [](GnssReceiver& r) { return r.setReferencePosition(-33.5, 350.25, 12.0); },
         "$PQELS,POS,3330.0000000,S,35015.0000000,E,12.0000"},
        {"known point",
         [](GnssReceiver& r) { return r.setKnownPoint(47.123456789, -8.5, 431.25, 1); },
         "$PQELS,KPI,4707.4074073,N,00830.0000000,W,431.2500,ARP"},
        {"antenna height", [](GnssReceiver& r) { return r.setAntennaHeight(1.5, 1); },
         "$PQELS,ANH,1.500000,S"},
        {"antenna offsets", [](GnssReceiver& r) { return r.setAntennaOffsets(0.0625, -0.1, 2.5); },
         "$PQELS,ANT,0.062,-0.1000,2.5000"},
        {"array length", [](GnssReceiver& r) { return r.setArrayLength(0.75); },
         "$PQELS,CPD,ARR,LEN,0.750000"},
        {"recording interval", [](GnssReceiver& r) { return r.setRecordingInterval(0.1); },
         "$PQELS,DRI,0.100000"},
    };
    zentrix::test::ScopedCommaLocale comma;
    ASSERT_TRUE(comma.active());
    peer_.answerAll(kAck);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(row.call(rx_), 1u);
        EXPECT_EQ(peer_.takeLines(), std::vector<std::string>{row.sent + "\r\n"});
    }
}

}  // namespace
}  // namespace zentrix::receiver
