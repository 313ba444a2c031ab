// Replies about ports, outputs, constellations, signals and antenna.
#include <gtest/gtest.h>

#include <string>

#include "receiver/reply_codes.h"
#include "tests/receiver/reply_support.h"

namespace zentrix::receiver {
namespace {

using test::Replies;
using test::utf8;

TEST(ReplyPort, LetterAndBaudCode) {
    struct Row {
        const char* body;
        uint32_t port;
        uint32_t baud;
    };
    const Row rows[] = {
        {"$PQELR,PRT,A,7", 0, 7},
        {"$PQELR,PRT,B,0", 1, 0},
        {"$PQELR,PRT,C,9", 2, 9},
        {"$PQELR,PRT,D,3", 3, 3},
        // E is a port the handheld can be wired to; it must not read back as A.
        {"$PQELR,PRT,E,5", 4, 5},
        {"$PQELR,PRT,F,2", 5, 2},
        {"$PQELR,PRT,O,1", 6, 1},
        {"$PQELR,PRT,X,4", 0, 4},
        {"$PQELR,PRT,A,x", 0, 5},
        {"$PQELR,PRT,B", 1, 5},
    };
    for (const Row& row : rows) {
        Replies r;
        EXPECT_EQ(r.reply(row.body), SentenceType::Prt);
        EXPECT_EQ(r.state.prtReceived, 1) << row.body;
        EXPECT_EQ(r.state.getReceiverPort().portIndex, row.port) << row.body;
        EXPECT_EQ(r.state.getReceiverPort().baudCode, row.baud) << row.body;
    }
}

TEST(ReplyBluetooth, ValueIsTheThirdFieldCutToFive) {
    Replies r;
    r.reply("$PQELR,BTH,,C,BT01");
    EXPECT_EQ(r.state.bthReceived, 1);
    EXPECT_EQ(utf8(r.state.getBluetoothValue()), "BT01");
    r.reply("$PQELR,BTH,,C,BLUETOOTH");
    EXPECT_EQ(utf8(r.state.getBluetoothValue()), "BLUET");
    r.reply("$PQELR,BTH,PRT,C,NONE");
    EXPECT_EQ(utf8(r.state.getBluetoothValue()), "NONE");
}

TEST(ReplyMessageOutputs, NamesBecomeCodesInOrder) {
    Replies r;
    r.reply("$PQELR,NMO,A,0,1.00,05,GGA,1.00,XYZ,2.00,GSA,0.50,SGL,0.20,VEC,1.00");
    EXPECT_EQ(r.state.nmoReceived, 1);
    auto outputs = r.state.getMessageOutputs();
    ASSERT_EQ(outputs.count, 4u) << "the unknown name takes no entry";
    EXPECT_EQ(outputs.entries[0].messageCode, 2u);
    EXPECT_FLOAT_EQ(outputs.entries[0].intervalSeconds, 1.0f);
    EXPECT_EQ(outputs.entries[1].messageCode, 4u);
    EXPECT_FLOAT_EQ(outputs.entries[1].intervalSeconds, 0.5f);
    // Each name reads back as the code the message set command sends it under.
    EXPECT_EQ(outputs.entries[2].messageCode, 8u);
    EXPECT_EQ(outputs.entries[3].messageCode, 14u);
    EXPECT_FLOAT_EQ(outputs.entries[3].intervalSeconds, 1.0f);

    // A shorter list replaces the longer one whole: nothing of the earlier port stays.
    r.reply("$PQELR,NMO,B,0,1.00,01,ZDA,10.00");
    outputs = r.state.getMessageOutputs();
    ASSERT_EQ(outputs.count, 1u);
    EXPECT_EQ(outputs.entries[0].messageCode, 13u);
    EXPECT_FLOAT_EQ(outputs.entries[0].intervalSeconds, 10.0f);
    EXPECT_EQ(outputs.entries[1].messageCode, 0u);
    EXPECT_FLOAT_EQ(outputs.entries[1].intervalSeconds, 0.0f);
}

TEST(ReplyMessageOutputs, SixteenMessagesKeepTheFirstFourteen) {
    std::string body = "$PQELR,NMO,A,0,1.00,16";
    for (int i = 0; i < 16; ++i) {
        body += "," + std::string(kMessageNames[i].name) + "," + std::to_string(i + 1) + ".00";
    }
    Replies r;
    r.reply(body);
    const auto outputs = r.state.getMessageOutputs();
    ASSERT_EQ(outputs.count, 14u);
    for (uint32_t i = 0; i < 14; ++i) {
        EXPECT_EQ(outputs.entries[i].messageCode, kMessageNames[i].code);
        EXPECT_FLOAT_EQ(outputs.entries[i].intervalSeconds, static_cast<float>(i + 1));
    }
}

TEST(ReplyMessageOutputs, ListEndsEarly) {
    Replies r;
    // More messages announced than sent, and a name without its interval.
    r.reply("$PQELR,NMO,A,0,1.00,09,GGA,1.00,GST");
    auto outputs = r.state.getMessageOutputs();
    ASSERT_EQ(outputs.count, 1u);
    EXPECT_EQ(outputs.entries[0].messageCode, 2u);
    // No checksum at all: the line end ends the list as "*" does.
    r.receive("$PQELR,NMO,A,0,1.00,03,GGA,1.00,GLL,2.00\r\n");
    outputs = r.state.getMessageOutputs();
    ASSERT_EQ(outputs.count, 2u);
    EXPECT_EQ(outputs.entries[1].messageCode, 3u);
    EXPECT_FLOAT_EQ(outputs.entries[1].intervalSeconds, 2.0f);
}

TEST(ReplyObservation, TimeValueAndCount) {
    Replies r;
    r.reply("$PQELR,OBI,123456.50,12.34,00042");
    EXPECT_EQ(r.state.obiReceived, 1);
    const auto status = r.state.getObservationStatus();
    EXPECT_DOUBLE_EQ(status.timeOfDaySeconds, 12 * 3600 + 34 * 60 + 56.5);
    EXPECT_FLOAT_EQ(status.value, 12.34f);
    EXPECT_EQ(status.count, 42);
}

TEST(ReplyConstellations, SwitchesAndTheirFlags) {
    Replies r;
    r.reply("$PQELR,SBA,ON");
    r.reply("$PQELR,GLO,ON");
    r.reply("$PQELR,QZS,ON");
    r.reply("$PQELR,GPS,ON");
    EXPECT_EQ(r.state.getSbas(), 1);
    EXPECT_EQ(r.state.getGlonass(), 1);
    EXPECT_EQ(r.state.getQzss(), 1);
    EXPECT_EQ(r.state.getGps(), 1);
    EXPECT_EQ(r.state.sbaReceived, 1);
    EXPECT_EQ(r.state.gloReceived, 1);
    EXPECT_EQ(r.state.gpsReceived, 1);

    // Anything but "ON" is off for SBAS, QZSS and GLONASS.
    r.reply("$PQELR,SBA,OFF");
    r.reply("$PQELR,GLO,on");
    r.reply("$PQELR,QZS,");
    EXPECT_EQ(r.state.getSbas(), 0);
    EXPECT_EQ(r.state.getGlonass(), 0);
    EXPECT_EQ(r.state.getQzss(), 0);

    r.reply("$PQELR,GPS,OFF");
    EXPECT_EQ(r.state.getGps(), 0);
    EXPECT_EQ(r.state.gpsReceived, 1);
    // GPS needs a clear answer: anything else stores nothing and confirms nothing.
    r.state.gpsReceived = 1;
    r.reply("$PQELR,GPS,ONX");
    EXPECT_EQ(r.state.getGps(), 0);
    EXPECT_EQ(r.state.gpsReceived, 0);
}

TEST(ReplySignalConfig, CodesAndAnUnknownOne) {
    const std::pair<const char*, uint32_t> rows[] = {
        {"SSL", 0}, {"DSL", 1}, {"TSL", 2}, {"DSE", 3}, {"DSEX", 3}};
    for (const auto& [name, code] : rows) {
        Replies r;
        r.reply(std::string("$PQELR,CFG,") + name);
        EXPECT_EQ(r.state.cfgReceived, 1) << name;
        EXPECT_EQ(r.state.getSignalConfig(), code) << name;
    }
    Replies r;
    r.reply("$PQELR,CFG,DSL");
    r.state.cfgReceived = 1;
    r.reply("$PQELR,CFG,QSL");
    EXPECT_EQ(r.state.cfgReceived, 0) << "the waiting query must fail";
    EXPECT_EQ(r.state.getSignalConfig(), 1u) << "nothing stored";
}

TEST(ReplyNumbers, ElevationMaskAndA2d) {
    Replies r;
    r.reply("$PQELR,PEM,15");
    EXPECT_EQ(r.state.pemReceived, 1);
    EXPECT_EQ(r.state.getElevationMask(), 15u);
    r.reply("$PQELR,PEM,5");
    EXPECT_EQ(r.state.getElevationMask(), 5u);

    r.reply("$PQELR,A2D,1,0");
    EXPECT_EQ(r.state.a2dReceived, 1);
    auto a2d = r.state.getA2d();
    EXPECT_EQ(a2d.valid, 1);
    EXPECT_EQ(a2d.firstSwitch, 1);
    EXPECT_EQ(a2d.secondSwitch, 0);
    r.reply("$PQELR,A2D,2,1");
    a2d = r.state.getA2d();
    EXPECT_EQ(a2d.firstSwitch, 0);
    EXPECT_EQ(a2d.secondSwitch, 1);
}

TEST(ReplyAntenna, HeightReductionAndName) {
    struct Height {
        const char* body;
        double metres;
        uint32_t type;
    };
    const Height heights[] = {
        {"$PQELR,ANH,1.800,V", 1.8, 0},
        {"$PQELR,ANH,0.512,S", 0.512, 1},
        {"$PQELR,ANH,2.0,X", 2.0, 0},
        // As the height set command writes it, and above 9.999 m.
        {"$PQELR,ANH,12.345000,S", 12.345, 1},
    };
    for (const Height& h : heights) {
        Replies r;
        r.reply(h.body);
        EXPECT_EQ(r.state.anhReceived, 1);
        EXPECT_DOUBLE_EQ(r.state.getAntennaHeight().heightMetres, h.metres) << h.body;
        EXPECT_EQ(r.state.getAntennaHeight().heightType, h.type) << h.body;
    }

    const std::pair<const char*, uint32_t> reductions[] = {
        {"OFF", 0}, {"ON", 1}, {"ARP", 2}, {"XYZ", 1}};
    for (const auto& [name, code] : reductions) {
        Replies r;
        r.reply(std::string("$PQELR,ANR,") + name);
        EXPECT_EQ(r.state.anrReceived, 1);
        EXPECT_EQ(r.state.getAntennaReduction(), code) << name;
    }

    Replies r;
    EXPECT_EQ(r.reply("$PQELR,ANP,OWN,ADVNULLANTENNA"), SentenceType::Anp);
    EXPECT_EQ(r.state.anpReceived, 1);
    EXPECT_EQ(utf8(r.state.getAntennaName()), "ADVNULLANTENNA");
    // The command side never clears this flag, so a garbled reply must.
    r.receive(test::withBadChecksum("$PQELR,ANP,OWN,OTHER"));
    EXPECT_EQ(r.state.anpReceived, 0);
    EXPECT_EQ(utf8(r.state.getAntennaName()), "ADVNULLANTENNA");
}

TEST(ReplyBaseOutput, OneOrTwoPorts) {
    struct Row {
        const char* body;
        BaseOutput expected;
    };
    const Row rows[] = {
        {"$PQELR,BAS,A,RT3", {0, 2, 0, 0}},
        {"$PQELR,BAS,B,CMR,D,ATM", {1, 3, 3, 5}},
        {"$PQELR,BAS,F,XYZ,E,RT2", {5, 0, 4, 1}},
        {"$PQELR,BAS,O,CMP", {0, 4, 0, 0}},
    };
    for (const Row& row : rows) {
        Replies r;
        r.reply(row.body);
        EXPECT_EQ(r.state.basReceived, 1);
        const BaseOutput got = r.state.getBaseOutput();
        EXPECT_EQ(got.port1, row.expected.port1) << row.body;
        EXPECT_EQ(got.format1, row.expected.format1) << row.body;
        EXPECT_EQ(got.port2, row.expected.port2) << row.body;
        EXPECT_EQ(got.format2, row.expected.format2) << row.body;
    }
}

TEST(ReplyStationId, CutToFour) {
    Replies r;
    r.reply("$PQELR,STI,BS1");
    EXPECT_EQ(r.state.stiReceived, 1);
    EXPECT_EQ(utf8(r.state.getStationId()), "BS1");
    r.reply("$PQELR,STI,STATION7");
    EXPECT_EQ(utf8(r.state.getStationId()), "STAT");
}

}  // namespace
}  // namespace zentrix::receiver
