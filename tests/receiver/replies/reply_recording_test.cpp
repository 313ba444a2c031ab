// Replies about recording and files, and the receiver's identity.
#include <gtest/gtest.h>

#include <string>

#include "receiver/replies/receiver_family.h"
#include "tests/receiver/replies/reply_support.h"

namespace zentrix::receiver {
namespace {

using test::expectTranscript;

TEST(ReplyRecording, Settings) {
    expectTranscript({
        {"interval", {"$PQELR,DRI,0.05"}, "driReceived", "dri 0.05"},
        {"an hour", {"$PQELR,DRI,3600.000000"}, "driReceived", "dri 3600"},
        {"memory", {"$PQELR,MEM,2"}, "memReceived", "mem 2"},
        {"WTI: four digits, then one that is not the value",
         {"$PQELR,WTI,04217"},
         "wtiReceived",
         "wti 421"},
        {"recording", {"$PQELR,REC,Y"}, "recReceived", "rec 1"},
        {"recording, R", {"$PQELR,REC,R"}, "recReceived", "rec 1"},
        {"stopped, N", {"$PQELR,REC,N"}, "recReceived recordingStopped", "rec 0"},
        {"stopped, S", {"$PQELR,REC,S"}, "recReceived recordingStopped", "rec 0"},
        {"unknown status", {"$PQELR,REC,X"}, "recReceived", "rec 0"},
        // Only the command side clears the stop.
        {"stop stays", {"$PQELR,REC,S", "$PQELR,REC,Y"}, "recReceived recordingStopped", "rec 1"},
        {"auto-logging", {"$PQELR,ATL,ON,12,RING"}, "atlReceived", "atl 1 12 1"},
        {"auto-logging off", {"$PQELR,ATL,OFF,-3,LINEAR"}, "atlReceived", "atl 0 -3 0"},
        {"NPT", {"$PQELR,NPT,7,0"}, "nptReceived", "npt 1 0"},
        {"NPT negative", {"$PQELR,NPT,0,-2"}, "nptReceived", "npt 0 1"},
        {"bridge, no flag", {"$PQELR,BRD,ON,-3"}, "", "brd 1 -3"},
    });
}

TEST(ReplyRecording, Files) {
    expectTranscript({
        {"current file", {"$PQELR,FIL,CUR,BASE0412.DAT"}, "fileReceived", "file BASE0412.DAT"},
        {"no file open", {"$PQELR,FIL,CUR,NONE"}, "fileReceived", "file (none)"},
        {"path",
         {"$PQELR,FIL,CUR,A.DAT", "$PQELR,FIL,PTH,/data"},
         "fileReceived pathReceived",
         "path /data"},
        {"path keeps the file",
         {"$PQELR,FIL,CUR,A.DAT", "$PQELR,FIL,PTH,/data"},
         "fileReceived pathReceived",
         "file A.DAT"},
        {"recorder file", {"$PQELR,NRC,FIL,REC0001.RAW"}, "fileReceived", "recorder REC0001.RAW"},
        {"recorder ok", {"$PQELR,NRC,OK"}, "okReceived", "recorder -"},
        {"recorder fail", {"$PQELR,NRC,FAIL"}, "failReceived", "recorder -"},
        // The recorder's replies clear nothing: that is the command side's job.
        {"recorder on, then off",
         {"$PQELR,NRC,ON", "$PQELR,NRC,OFF"},
         "nrcOn nrcOff",
         "recorder -"},
        {"reference receiver", {"$PQELR,RCP,REF,REFSTATION,1"}, "", "ref REFSTATION 1"},
        {"other RCP sentences are no reply",
         {"$PQELR,RCP,REF,R1,1", "$PQELR,RCP,GBS,X,0"},
         "",
         "ref R1 1"},
    });
}

TEST(ReplyIdentity, ReceiverFamily) {
    struct Row {
        const char* product;
        const char* identifier;
        uint32_t family;
    };
    const Row rows[] = {
        {"QL10", "2611GN01", kFamilyL1Gsm},
        {"QL20", "2611GN01", kFamilyL1L2Gsm},
        {"QL20", "2611GU01", kFamilyL1L2GsmRadio},
        {"QG30", "2611GU0123", kFamilyGnssGsm},
        {"QG30", "2611PN01", kFamilyGprsOnly},
        {"QL10", "2611NN01", kFamilyNoModem},
        {"QOEM", "2611XX01", kFamilyOem},
        {"QL20", "2611GU0", kFamilyUnknown},   // identifier too short
        {"QL20", "2611XU01", kFamilyUnknown},  // no modem option of ours
        {"QL99", "2611GU01", kFamilyUnknown},  // not a product of ours
    };
    for (const Row& row : rows) {
        test::Replies r;
        r.reply(std::string("$PQELR,RID,") + row.product + "," + row.identifier + ",X7,1.20");
        EXPECT_EQ(r.state.getReceiverFamily(), row.family) << row.product << " " << row.identifier;
        EXPECT_EQ(test::setFlags(r.state), "") << "no flag of its own";
    }
}

TEST(ReplyIdentity, Versions) {
    expectTranscript({
        {"three texts, without spaces, cut to 10",
         {"RECEIVER VERSION: 2.10 b\r\nSYS fw: S1.02.003\r\nGNSS fw: GNSS-3.40.1234-RC\r\nOK\r\n"},
         "versionReceived",
         "versions GNSS-3.40.|S1.02.003|2.10b"},
        {"a text left out",
         {"RECEIVER VERSION:7\r\nGNSS fw: G 1\r\nEND\r\n\r\n"},
         "versionReceived",
         "versions G1||7"},
    });
}

}  // namespace
}  // namespace zentrix::receiver
