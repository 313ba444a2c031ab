// Replies about ports, outputs, constellations, signals and antenna.
#include <gtest/gtest.h>

#include <string>

#include "receiver/replies/reply_codes.h"
#include "tests/receiver/replies/reply_support.h"

namespace zentrix::receiver {
namespace {

using test::expectTranscript;

TEST(ReplySetup, PortsAndOutputs) {
    std::string sixteen = "$PQELR,NMO,A,0,1.00,16";
    for (int i = 0; i < 16; ++i) sixteen += "," + std::string(kMessageNames[i].name) + ",1.00";
    expectTranscript({
        {"port and baud", {"$PQELR,PRT,B,7"}, "prtReceived", "prt 1 7"},
        // The port report knows A to D and F; E and O read as port A.
        {"port E", {"$PQELR,PRT,E,5"}, "prtReceived", "prt 0 5"},
        {"port O", {"$PQELR,PRT,O,0"}, "prtReceived", "prt 0 0"},
        {"unknown letter", {"$PQELR,PRT,X,9"}, "prtReceived", "prt 0 9"},
        {"unreadable baud", {"$PQELR,PRT,F,x"}, "prtReceived", "prt 5 5"},
        {"no baud field", {"$PQELR,PRT,D"}, "prtReceived", "prt 3 5"},
        {"bluetooth query", {"$PQELR,BTH,,C,BT01"}, "bthReceived", "bth BT01"},
        {"bluetooth change", {"$PQELR,BTH,PRT,C,NONE"}, "bthReceived", "bth NONE"},
        // The signal messages share one code; names the report does not list are skipped.
        {"outputs",
         {"$PQELR,NMO,A,0,1.00,05,GGA,1.00,XYZ,2.00,GSA,0.50,SGL,0.20,VEC,1.00"},
         "nmoReceived",
         "nmo 3 2/1 4/0.5 7/0.2"},
        {"16 messages keep 14",
         {sixteen},
         "nmoReceived",
         "nmo 14 0/1 1/1 2/1 3/1 4/1 5/1 6/1 7/1 7/1 7/1 10/1 11/1 12/1 13/1"},
        {"a shorter list replaces a longer one whole",
         {"$PQELR,NMO,A,0,1.00,02,GGA,1.00,GSA,1.00", "$PQELR,NMO,B,0,1.00,01,ZDA,10.00"},
         "nmoReceived",
         "nmo 1 13/10"},
        {"fewer than announced, a name without interval",
         {"$PQELR,NMO,A,0,1.00,09,GGA,1.00,GST"},
         "nmoReceived",
         "nmo 1 2/1"},
        {"no checksum",
         {"$PQELR,NMO,A,0,1.00,02,GGA,1.00,GLL,2.00\r\n"},
         "nmoReceived",
         "nmo 2 2/1 3/2"},
        {"observations",
         {"$PQELR,OBI,123456.50,12.34,00042"},
         "obiReceived",
         "obi 45296.5 12.34 42"},
    });
}

TEST(ReplySetup, ConstellationsAndSignals) {
    expectTranscript({
        {"SBAS on", {"$PQELR,SBA,ON"}, "sbaReceived", "sba 1"},
        {"SBAS anything else", {"$PQELR,SBA,ON", "$PQELR,SBA,on"}, "sbaReceived", "sba 0"},
        {"GLONASS", {"$PQELR,GLO,ON"}, "gloReceived", "glo 1"},
        {"QZSS has no flag", {"$PQELR,QZS,ON"}, "", "qzs 1"},
        {"GPS on", {"$PQELR,GPS,ON"}, "gpsReceived", "gps 1"},
        {"GPS off", {"$PQELR,GPS,ON", "$PQELR,GPS,OFF"}, "gpsReceived", "gps 0"},
        // GPS needs a clear answer: anything else stores nothing and confirms nothing.
        {"GPS unclear", {"$PQELR,GPS,ON", "$PQELR,GPS,ONX"}, "", "gps 1"},
        {"signals", {"$PQELR,CFG,TSL"}, "cfgReceived", "cfg 2"},
        {"signals, longer name", {"$PQELR,CFG,DSEX"}, "cfgReceived", "cfg 3"},
        // The waiting query fails although its event was set.
        {"unknown signals", {"$PQELR,CFG,DSL", "$PQELR,CFG,QSL"}, "", "cfg 1"},
        {"elevation mask", {"$PQELR,PEM,15"}, "pemReceived", "pem 15"},
        {"A2D", {"$PQELR,A2D,1,0"}, "a2dReceived", "a2d 1 1 0"},
        {"A2D, only 1 is on", {"$PQELR,A2D,2,1"}, "a2dReceived", "a2d 1 0 1"},
    });
}

TEST(ReplySetup, AntennaAndBase) {
    expectTranscript({
        {"vertical height", {"$PQELR,ANH,1.800,V"}, "anhReceived", "anh 0 1.8"},
        {"slant height", {"$PQELR,ANH,0.512,S"}, "anhReceived", "anh 1 0.512"},
        {"unknown type", {"$PQELR,ANH,2.0,X"}, "anhReceived", "anh 0 2"},
        // As the height set command writes it, and above 9.999 m.
        {"mast height", {"$PQELR,ANH,12.345000,S"}, "anhReceived", "anh 1 12.345"},
        {"reduction off", {"$PQELR,ANR,OFF"}, "anrReceived", "anr 0"},
        {"reduction ARP", {"$PQELR,ANR,ARP"}, "anrReceived", "anr 2"},
        {"reduction unknown", {"$PQELR,ANR,XYZ"}, "anrReceived", "anr 1"},
        {"antenna name", {"$PQELR,ANP,OWN,ADVNULLANTENNA"}, "anpReceived", "anp ADVNULLANTENNA"},
        // The command side never clears this flag, so a garbled reply must.
        {"garbled antenna name",
         {"$PQELR,ANP,OWN,ANT1", test::withBadChecksum("$PQELR,ANP,OWN,ANT2")},
         "",
         "anp ANT1"},
        {"one base port", {"$PQELR,BAS,A,RT3"}, "basReceived", "bas 0 2 0 0"},
        {"two base ports", {"$PQELR,BAS,B,CMR,D,ATM"}, "basReceived", "bas 1 3 3 5"},
        {"unknown format", {"$PQELR,BAS,F,XYZ,E,RT2"}, "basReceived", "bas 5 0 4 1"},
        {"the second port goes",
         {"$PQELR,BAS,B,CMR,D,ATM", "$PQELR,BAS,C,CMP"},
         "basReceived",
         "bas 2 4 0 0"},
        {"station", {"$PQELR,STI,BS1"}, "stiReceived", "sti BS1"},
    });
}

}  // namespace
}  // namespace zentrix::receiver
