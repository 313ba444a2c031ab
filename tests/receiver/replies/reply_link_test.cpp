// Replies about the data links: modem, direct IP, NTRIP, differential mode and radio.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/receiver/replies/reply_support.h"
#include "tests/support/testdata.h"

namespace zentrix::receiver {
namespace {

using test::expectTranscript;

TEST(ReplyLink, Modem) {
    expectTranscript({
        {"initialised",
         {"$PQELR,MDM,GSM,1,OFF,PIN,1234", "$PQELR,MDM,INI,OK"},
         "okReceived",
         "mdm 1 - 1234 - - - - - - - - -"},
        {"initialisation failed",
         {"$PQELR,MDM,INI,OK", "$PQELR,MDM,INI,FAIL"},
         "failReceived",
         "mdm 0 - - - - - - - - - - -"},
        {"a report clears a stale outcome",
         {"$PQELR,MDM,INI,FAIL", "$PQELR,MDM,GSM,1,ONLINE"},
         "mdmReceived",
         "mdm 5 - - - - - - - - - - -"},
        {"dialing keeps its settings",
         {"$PQELR,MDM,GSM,1,DIALING,PWR,ON,PIN,1234,BND,9,PTC,0,CBS,7,APN,internet.example,"
          "LGN,user,PWD,secret,IPT,1,PHN,+4912345678,RNO,5,ADL,Y"},
         "mdmReceived",
         "mdm 4 ON 1234 9 0 7 internet.example user secret 1 +4912345678 Y"},
        {"each report replaces the group, \"=\" separates too",
         {"$PQELR,MDM,GSM,1,ON,PIN,1234,PTC,1", "$PQELR,MDM,GSM,1,INIT,PWR=OFF,PHN="},
         "mdmReceived",
         "mdm 3 OFF - - - - - - - - - -"},
        {"unknown state",
         {"$PQELR,MDM,GSM,1,ONLINEX"},
         "mdmReceived",
         "mdm 0 - - - - - - - - - - -"},
    });
}

TEST(ReplyLink, DirectIpAndNtrip) {
    expectTranscript({
        {"direct IP with login",
         {"$PQELR,DIP,RIP,192.168.10.20,PRT,2101,LGN,surveyor,PWD,pa55"},
         "dipReceived",
         "dip 192.168.10.20 2101 surveyor pa55"},
        {"a later reply without login",
         {"$PQELR,DIP,RIP,a,PRT,1,LGN,u,PWD,p", "$PQELR,DIP,RIP,10.0.0.1,PRT,65000"},
         "dipReceived",
         "dip 10.0.0.1 65000 - -"},
        {"NTRIP ok", {"$PQELR,NTR,FAIL", "$PQELR,NTR,OK"}, "okReceived", "mtp -"},
        {"NTRIP fail", {"$PQELR,NTR,OK", "$PQELR,NTR,FAIL"}, "failReceived", "mtp -"},
        {"mount point",
         {"$PQELR,NTR,OK", "$PQELR,NTR,MTP,VRS_RTCM32"},
         "mountPointReceived",
         "mtp VRS_RTCM32"},
        {"parameters",
         {"$PQELR,NTR,ADD,caster.example.org,PRT,2101,LGN,user,PWD,secret,TYP,1"},
         "ntripParametersReceived",
         "ntrip caster.example.org 2101 user secret"},
        {"parameters not carried are not set",
         {"$PQELR,NTR,ADD,a,PRT,1,LGN,u,PWD,p", "$PQELR,NTR,ADD,b.example.org,PRT,80"},
         "ntripParametersReceived",
         "ntrip b.example.org 80 - -"},
    });
}

TEST(ReplyLink, SourceTableLayout) {
    const std::string table =
        "SOURCETABLE 200 OK\r\n"
        "STR;MOUNT1;Hannover;RTCM 3.2;1004(1);2;GPS;SAPOS;DEU;52.38;9.71;1;0;sNTRIP;none;B;N;0;\r\n"
        "ENDSOURCETABLE\r\n";
    test::Replies r;
    EXPECT_EQ(r.receive("$PQELR,NTR,TBL\r\n" + table), SentenceType::Ntr);
    EXPECT_EQ(test::setFlags(r.state), "sourceTableReceived");
    EXPECT_EQ(r.state.getSourceTable(), "L\r\n" + table);

    // A table reply that carries no table stores nothing.
    EXPECT_EQ(r.receive("$PQELR,NTR,TBL\r\nHTTP/1.1 404 Not Found\r\nENDSOURCETABLE\r\n"),
              SentenceType::Ntr);
    EXPECT_EQ(test::setFlags(r.state), "");
    EXPECT_EQ(r.state.getSourceTable(), "L\r\n" + table);
}

TEST(ReplyLink, OneMebibyteTableIsFramedAndStoredWhole) {
    // Real casters' tables, one after another until the whole is over 1 MiB.
    const auto folder = zentrix::test::testdataPath("ntrip");
    std::string lines;
    for (const char* name : {"euref-ip.sourcetable.txt", "sapos-ni-gnsmart.sourcetable.txt",
                             "gpsd-sapos-advcaster-2017.log"}) {
        std::ifstream in(folder / name, std::ios::binary);
        for (std::string line; std::getline(in, line);) {
            if (!line.starts_with("ENDSOURCETABLE"))
                lines += line + "\n";
        }
    }
    ASSERT_GT(lines.size(), 50000u) << "the shared NTRIP test data is missing: " << folder;
    std::string table = "SOURCETABLE 200 OK\r\n";
    while (table.size() < (1u << 20)) table += lines;
    table += "ENDSOURCETABLE\r\n";

    test::Replies r;
    EXPECT_EQ(r.receive("$PQELR,NTR,TBL\r\n" + table, SentenceFramer::kSentenceBufferBytes),
              SentenceType::Ntr);
    EXPECT_EQ(r.state.sourceTableReceived, 1);
    const std::string stored = r.state.getSourceTable();
    EXPECT_EQ(stored.size(), table.size() + 3);
    EXPECT_TRUE(stored == "L\r\n" + table) << "the stored table differs from the one sent";
}

TEST(ReplyLink, Differential) {
    expectTranscript({
        {"rover", {"$PQELR,CPD,MOD,ROV,1"}, "cpdReceived", "cpd 1 1 0 0 0"},
        {"3 is the set called 23", {"$PQELR,CPD,MOD,ROV,3"}, "cpdReceived", "cpd 1 23 0 0 0"},
        {"unknown values change nothing",
         {"$PQELR,CPD,MOD,ROV,2", "$PQELR,CPD,MOD,XYZ,9"},
         "cpdReceived",
         "cpd 1 2 0 0 0"},
        {"base", {"$PQELR,CPD,MOD,ROV,2", "$PQELR,CPD,MOD,BAS"}, "cpdReceived", "cpd 0 2 0 0 0"},
        {"reference position",
         {"$PQELR,CPD,POS,3330.0000000,S,03515.0000000,E,-12.3456"},
         "cpdReceived",
         "cpd 0 0 -33.5 35.25 -12.345"},
        {"other sub-types still answer",
         {"$PQELR,CPD,MOD,ROV,0", "$PQELR,CPD,FST,ON"},
         "cpdReceived",
         "cpd 1 0 0 0 0"},
    });
}

TEST(ReplyLink, Radio) {
    // rdp: port, type, power, air baud, sensitivity, level, control, table, channel, spacing,
    // modulation.
    expectTranscript({
        {"type", {"$PQELR,RDP,TYP,D,ADL"}, "rdpReceived", "rdp 3 1 0 0 0 0 0 0 0 0 0"},
        {"unknown radio", {"$PQELR,RDP,TYP,B,UNKNOWN"}, "rdpReceived", "rdp 1 9 0 0 0 0 0 0 0 0 0"},
        {"no radio", {"$PQELR,RDP,TYP,F,ZZZ"}, "rdpReceived", "rdp 5 8 0 0 0 0 0 0 0 0 0"},
        {"channel table, no unknown radio",
         {"$PQELR,RDP,CHT,C,UNKNOWN,07"},
         "rdpReceived",
         "rdp 0 8 0 0 0 0 0 7 0 0 0"},
        {"parameters",
         {"$PQELR,RDP,CHT,B,PDL,04",
          "$PQELR,RDP,PAR,B,PDL,OFF,12,MAN,5,9600,MED,a,b,12.5,1,2,3,4,5,6,7,GMSK"},
         "rdpReceived",
         "rdp 1 0 1 3 1 5 1 4 12 0 1"},
        {"parameters, other values",
         {"$PQELR,RDP,PAR,D,ADL,ON,3,AUT,9,19200,OFF,,,25,,,,,,,,4FSK"},
         "rdpReceived",
         "rdp 3 1 0 5 3 0 0 0 3 1 0"},
        {"short parameters take the fall-backs",
         {"$PQELR,RDP,PAR,A,KVL,ON,1"},
         "rdpReceived",
         "rdp 0 3 0 0 0 0 0 0 1 2 2"},
        {"a sub-type we cannot decode confirms nothing",
         {"$PQELR,RDP,TYP,D,ADL", "$PQELR,RDP,XYZ,B,PDL"},
         "",
         "rdp 3 1 0 0 0 0 0 0 0 0 0"},
    });
}

}  // namespace
}  // namespace zentrix::receiver
