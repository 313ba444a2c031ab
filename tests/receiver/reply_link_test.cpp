// Replies about the data links: modem, direct IP, NTRIP, differential mode and radio.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "receiver/reply_codes.h"
#include "tests/receiver/reply_support.h"

namespace zentrix::receiver {
namespace {

using test::Replies;
using test::utf8;

TEST(ReplyModem, InitialisationOutcome) {
    Replies r;
    r.reply("$PQELR,MDM,GSM,1,OFF,PIN,1234");
    const std::string group = test::snapshot(r.state).substr(test::snapshot(r.state).find("\nmdm"));

    r.state.mdmReceived = 0;
    r.reply("$PQELR,MDM,INI,OK");
    EXPECT_EQ(r.state.okReceived, 1);
    EXPECT_EQ(r.state.failReceived, 0);
    EXPECT_EQ(r.state.mdmReceived, 0) << "an outcome, not the modem's settings";
    r.reply("$PQELR,MDM,INI,FAIL");
    EXPECT_EQ(r.state.okReceived, 0);
    EXPECT_EQ(r.state.failReceived, 1);
    EXPECT_EQ(test::snapshot(r.state).substr(test::snapshot(r.state).find("\nmdm")), group);
    // A modem report clears a stale outcome.
    r.reply("$PQELR,MDM,GSM,1,ON");
    EXPECT_EQ(r.state.failReceived, 0);
    EXPECT_EQ(r.state.mdmReceived, 1);
}

TEST(ReplyModem, StatesAndSettings) {
    const std::pair<const char*, uint32_t> states[] = {
        {"NONE", 0},    {"OFF", 1},    {"ON", 2},      {"INIT", 3},
        {"DIALING", 4}, {"ONLINE", 5}, {"ONLINEX", 0}, {"", 0}};
    for (const auto& [name, code] : states) {
        Replies r;
        r.reply(std::string("$PQELR,MDM,GSM,1,") + name + ",PTC,1");
        EXPECT_EQ(r.state.mdmReceived, 1);
        EXPECT_EQ(r.state.getModem().state, code) << name;
        EXPECT_EQ(r.state.getModem().protocol, '1') << name;
    }

    Replies r;
    r.reply(
        "$PQELR,MDM,GSM,1,DIALING,PWR,ON,PIN,1234,BND,9,PTC,0,CBS,7,APN,internet.example,"
        "LGN,user,PWD,secret,IPT,1,PHN,+4912345678,RNO,5,ADL,Y");
    auto modem = r.state.getModem();
    EXPECT_EQ(modem.state, 4u);
    EXPECT_EQ(utf8(modem.power), "ON");
    EXPECT_EQ(utf8(modem.pin), "1234");
    EXPECT_EQ(modem.band, '9');
    EXPECT_EQ(modem.protocol, '0');
    EXPECT_EQ(modem.cbs, '7');
    EXPECT_EQ(utf8(modem.apn), "internet.example");
    EXPECT_EQ(utf8(modem.login), "user");
    EXPECT_EQ(utf8(modem.password), "secret");
    EXPECT_EQ(modem.ipType, '1');
    EXPECT_EQ(utf8(modem.phoneNumber), "+4912345678");
    EXPECT_EQ(modem.adl, 'Y');

    // Each report replaces the group whole; "=" separates a key as well as ",".
    r.reply("$PQELR,MDM,GSM,1,ONLINE,PWR=OFF,APN=" + std::string(40, 'a') + ",PHN=");
    modem = r.state.getModem();
    EXPECT_EQ(modem.state, 5u);
    EXPECT_EQ(utf8(modem.power), "OFF");
    EXPECT_EQ(utf8(modem.pin), "");
    EXPECT_EQ(modem.band, 0);
    EXPECT_EQ(utf8(modem.apn), std::string(32, 'a'));
    EXPECT_EQ(utf8(modem.phoneNumber), "");
}

TEST(ReplyDirectIp, AddressPortAndLogin) {
    Replies r;
    r.reply("$PQELR,DIP,RIP,192.168.10.20,PRT,2101,LGN,surveyor,PWD,pa55");
    EXPECT_EQ(r.state.dipReceived, 1);
    auto dip = r.state.getDirectIp();
    EXPECT_EQ(utf8(dip.address), "192.168.10.20");
    EXPECT_EQ(dip.port, 2101u);
    EXPECT_EQ(utf8(dip.user), "surveyor");
    EXPECT_EQ(utf8(dip.password), "pa55");

    // Without a login the earlier one is gone; a long address is cut to 35.
    r.reply("$PQELR,DIP,RIP,corrections.a-very-long-host-name.example.org,PRT,65000");
    dip = r.state.getDirectIp();
    EXPECT_EQ(utf8(dip.address), "corrections.a-very-long-host-name.e");
    EXPECT_EQ(dip.port, 65000u);
    EXPECT_EQ(utf8(dip.user), "");
    EXPECT_EQ(utf8(dip.password), "");
}

TEST(ReplyNtrip, OutcomesMountPointAndParameters) {
    Replies r;
    r.reply("$PQELR,NTR,OK");
    EXPECT_EQ(r.state.okReceived, 1);
    r.reply("$PQELR,NTR,FAIL");
    EXPECT_EQ(r.state.okReceived, 0) << "every NTRIP reply clears the others' flags";
    EXPECT_EQ(r.state.failReceived, 1);

    r.reply("$PQELR,NTR,MTP,VRS_RTCM32");
    EXPECT_EQ(r.state.failReceived, 0);
    EXPECT_EQ(r.state.mountPointReceived, 1);
    EXPECT_EQ(utf8(r.state.getMountPoint()), "VRS_RTCM32");
    r.reply("$PQELR,NTR,MTP," + std::string(120, 'M'));
    EXPECT_EQ(utf8(r.state.getMountPoint()), std::string(100, 'M'));

    r.reply("$PQELR,NTR,ADD,caster.example.org,PRT,2101,LGN,user,PWD,secret,TYP,1");
    EXPECT_EQ(r.state.mountPointReceived, 0);
    EXPECT_EQ(r.state.ntripParametersReceived, 1);
    auto parameters = r.state.getNtripParameters();
    EXPECT_EQ(utf8(parameters.address), "caster.example.org");
    EXPECT_EQ(parameters.port, 2101);
    EXPECT_EQ(utf8(parameters.user), "user");
    EXPECT_EQ(utf8(parameters.password), "secret");

    r.reply("$PQELR,NTR,ADD,other.example.org,PRT,80,PWD," + std::string(40, 'p'));
    parameters = r.state.getNtripParameters();
    EXPECT_EQ(utf8(parameters.address), "other.example.org");
    EXPECT_EQ(parameters.port, 80);
    EXPECT_EQ(utf8(parameters.user), "") << "not carried, so not set";
    EXPECT_EQ(utf8(parameters.password), std::string(33, 'p'));
}

TEST(ReplyNtrip, SourceTableLayout) {
    Replies r;
    const std::string table =
        "SOURCETABLE 200 OK\r\n"
        "STR;MOUNT1;Hannover;RTCM 3.2;1004(1);2;GPS;SAPOS;DEU;52.38;9.71;1;0;sNTRIP;none;B;N;0;\r\n"
        "ENDSOURCETABLE\r\n";
    EXPECT_EQ(r.receive("$PQELR,NTR,TBL\r\n" + table), SentenceType::Ntr);
    EXPECT_EQ(r.state.sourceTableReceived, 1);
    EXPECT_EQ(r.state.getSourceTable(), "L\r\n" + table);

    // A table reply that does not carry a table stores nothing.
    r.receive("$PQELR,NTR,TBL\r\nHTTP/1.1 404 Not Found\r\nENDSOURCETABLE\r\n");
    EXPECT_EQ(r.state.sourceTableReceived, 0);
    EXPECT_EQ(r.state.getSourceTable(), "L\r\n" + table);
}

// Real casters' tables, one after another until the whole is over 1 MiB.
std::string largeSourceTable() {
    const std::filesystem::path folder =
        std::filesystem::path(__FILE__).parent_path() / "../../../shared/testdata/ntrip";
    std::string lines;
    for (const char* name : {"euref-ip.sourcetable.txt", "sapos-ni-gnsmart.sourcetable.txt",
                             "gpsd-sapos-advcaster-2017.log"}) {
        std::ifstream in(folder / name, std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("ENDSOURCETABLE", 0) == 0)
                continue;
            lines += line + "\n";
        }
    }
    if (lines.empty())
        return {};
    std::string table = "SOURCETABLE 200 OK\r\n";
    while (table.size() < (1u << 20)) table += lines;
    return table + "ENDSOURCETABLE\r\n";
}

TEST(ReplyNtrip, OneMebibyteTableIsFramedAndStoredWhole) {
    const std::string table = largeSourceTable();
    ASSERT_FALSE(table.empty()) << "the shared NTRIP test data is missing";
    ASSERT_GT(table.size(), 1u << 20);
    Replies r;
    EXPECT_EQ(r.receive("$PQELR,NTR,TBL\r\n" + table, SentenceFramer::kSentenceBufferBytes),
              SentenceType::Ntr);
    EXPECT_EQ(r.state.sourceTableReceived, 1);
    const std::string stored = r.state.getSourceTable();
    EXPECT_EQ(stored.size(), table.size() + 3);
    EXPECT_TRUE(stored == "L\r\n" + table) << "the table differs from what was sent";
}

TEST(ReplyDifferential, ModeAndSecondValue) {
    struct Row {
        const char* body;
        uint32_t mode;
        uint32_t second;
    };
    // Each row follows the one before: what a reply leaves out keeps its earlier value.
    const Row rows[] = {
        {"$PQELR,CPD,MOD,ROV,1", 1, 1},  {"$PQELR,CPD,MOD,BAS,0", 0, 0},
        {"$PQELR,CPD,MOD,ROV,3", 1, 23}, {"$PQELR,CPD,MOD,XYZ,2", 1, 2},
        {"$PQELR,CPD,MOD,BAS,9", 0, 2},  {"$PQELR,CPD,MOD,ROV", 1, 2},
    };
    Replies r;
    for (const Row& row : rows) {
        r.state.cpdReceived = 0;
        r.reply(row.body);
        EXPECT_EQ(r.state.cpdReceived, 1);
        EXPECT_EQ(r.state.getDifferential().mode, row.mode) << row.body;
        EXPECT_EQ(r.state.getDifferential().secondValue, row.second) << row.body;
    }
}

TEST(ReplyDifferential, ReferencePositionAndOtherSubTypes) {
    Replies r;
    r.reply("$PQELR,CPD,POS,3330.0000000,S,03515.0000000,E,-12.3456");
    auto d = r.state.getDifferential();
    EXPECT_DOUBLE_EQ(d.referenceLatitude, -33.5);
    EXPECT_DOUBLE_EQ(d.referenceLongitude, 35.25);
    EXPECT_DOUBLE_EQ(d.referenceHeight, -12.345);

    const std::string before = test::snapshot(r.state);
    for (const char* body : {"$PQELR,CPD,AFP,1", "$PQELR,CPD,FST,ON", "$PQELR,CPD,NET,2"}) {
        r.state.cpdReceived = 0;
        r.reply(body);
        EXPECT_EQ(r.state.cpdReceived, 1) << body;
        EXPECT_EQ(test::snapshot(r.state), before) << body;
    }
}

TEST(ReplyRadio, TypeAndChannelTable) {
    const std::pair<const char*, uint32_t> types[] = {
        {"PDL", 0}, {"ADL", 1}, {"XDL", 2},  {"KVL", 3},     {"MDL", 4},
        {"LFE", 5}, {"LFA", 6}, {"NONE", 8}, {"UNKNOWN", 9}, {"ZZZ", 8}};
    for (const auto& [name, code] : types) {
        Replies r;
        r.reply(std::string("$PQELR,RDP,TYP,D,") + name);
        EXPECT_EQ(r.state.rdpReceived, 1);
        EXPECT_EQ(r.state.getRadio().port, 3u);
        EXPECT_EQ(r.state.getRadio().radioType, code) << name;
    }

    Replies r;
    r.reply("$PQELR,RDP,CHT,F,UNKNOWN,07");
    EXPECT_EQ(r.state.getRadio().port, 5u);
    EXPECT_EQ(r.state.getRadio().radioType, 8u) << "a channel table has no unknown radio";
    EXPECT_EQ(r.state.getRadio().tableNumber, 7u);
    r.reply("$PQELR,RDP,CHT,C,ADL,3");
    EXPECT_EQ(r.state.getRadio().port, 0u) << "no radio on port C";
    EXPECT_EQ(r.state.getRadio().radioType, 1u);

    // A sub-type we cannot decode confirms nothing.
    r.reply("$PQELR,RDP,XYZ,D,PDL");
    EXPECT_EQ(r.state.rdpReceived, 0);
    EXPECT_EQ(r.state.getRadio().radioType, 1u);
}

TEST(ReplyRadio, Parameters) {
    Replies r;
    r.reply("$PQELR,RDP,CHT,B,PDL,04");
    r.reply("$PQELR,RDP,PAR,B,PDL,OFF,12,MAN,5,9600,MED,a,b,12.5,1,2,3,4,5,6,7,GMSK");
    EXPECT_EQ(r.state.rdpReceived, 1);
    RadioSettings radio = r.state.getRadio();
    EXPECT_EQ(radio.port, 1u);
    EXPECT_EQ(radio.radioType, 0u);
    EXPECT_EQ(radio.power, 1u);
    EXPECT_EQ(radio.channel, 12u);
    EXPECT_EQ(radio.control, 1u);
    EXPECT_EQ(radio.level, 5u);
    EXPECT_EQ(radio.airBaud, 3u);
    EXPECT_EQ(radio.sensitivity, 1u);
    EXPECT_EQ(radio.spacing, 0u);
    EXPECT_EQ(radio.modulation, 1u);
    EXPECT_EQ(radio.tableNumber, 4u) << "only the channel-table reply sets it";

    r.reply("$PQELR,RDP,PAR,D,ADL,ON,3,AUT,9,19200,OFF,,,25,,,,,,,,4FSK");
    radio = r.state.getRadio();
    EXPECT_EQ(radio.port, 3u);
    EXPECT_EQ(radio.radioType, 1u);
    EXPECT_EQ(radio.power, 0u);
    EXPECT_EQ(radio.channel, 3u);
    EXPECT_EQ(radio.control, 0u);
    EXPECT_EQ(radio.level, 0u) << "levels run from 1 to 8";
    EXPECT_EQ(radio.airBaud, 5u);
    EXPECT_EQ(radio.sensitivity, 3u);
    EXPECT_EQ(radio.spacing, 1u);
    EXPECT_EQ(radio.modulation, 0u);

    // A short reply: what it leaves out reads as each field's fall-back.
    r.reply("$PQELR,RDP,PAR,A,KVL,ON,1");
    radio = r.state.getRadio();
    EXPECT_EQ(radio.radioType, 3u);
    EXPECT_EQ(radio.channel, 1u);
    EXPECT_EQ(radio.airBaud, 0u);
    EXPECT_EQ(radio.spacing, 2u);
    EXPECT_EQ(radio.modulation, 2u);
}

}  // namespace
}  // namespace zentrix::receiver
