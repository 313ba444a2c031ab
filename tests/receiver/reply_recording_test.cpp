// Replies about recording and files, and the receiver's identity.
#include <gtest/gtest.h>

#include <string>

#include "receiver/receiver_family.h"
#include "tests/receiver/reply_support.h"

namespace zentrix::receiver {
namespace {

using test::Replies;
using test::utf8;

TEST(ReplyRecording, IntervalMemoryAndWti) {
    Replies r;
    r.reply("$PQELR,DRI,0.05");
    EXPECT_EQ(r.state.driReceived, 1);
    EXPECT_DOUBLE_EQ(r.state.getRecordingInterval(), 0.05);
    r.reply("$PQELR,DRI,3600.000000");
    EXPECT_DOUBLE_EQ(r.state.getRecordingInterval(), 3600.0);

    r.reply("$PQELR,MEM,2");
    EXPECT_EQ(r.state.memReceived, 1);
    EXPECT_EQ(r.state.getMemory(), 2u);

    r.reply("$PQELR,WTI,04217");
    EXPECT_EQ(r.state.wtiReceived, 1);
    EXPECT_EQ(r.state.getWtiValue(), 421u) << "four digits, the fifth is not the value";
}

TEST(ReplyRecording, StatusAndStopped) {
    struct Row {
        char status;
        uint8_t recording;
        uint8_t stopped;
    };
    const Row rows[] = {{'Y', 1, 0}, {'R', 1, 0}, {'N', 0, 1}, {'S', 0, 1}, {'X', 0, 0}};
    for (const Row& row : rows) {
        Replies r;
        r.reply(std::string("$PQELR,REC,") + row.status);
        EXPECT_EQ(r.state.recReceived, 1);
        EXPECT_EQ(r.state.getRecording(), row.recording) << row.status;
        EXPECT_EQ(r.state.recordingStopped, row.stopped) << row.status;
    }
    // Only the command side clears the stop: a later report of a running recording does not.
    Replies r;
    r.reply("$PQELR,REC,S");
    r.reply("$PQELR,REC,Y");
    EXPECT_EQ(r.state.getRecording(), 1);
    EXPECT_EQ(r.state.recordingStopped, 1);
}

TEST(ReplyRecording, AutoLogging) {
    Replies r;
    r.reply("$PQELR,ATL,ON,12,RING");
    EXPECT_EQ(r.state.atlReceived, 1);
    auto logging = r.state.getAutoLogging();
    EXPECT_EQ(logging.on, 1);
    EXPECT_EQ(logging.number, 12);
    EXPECT_EQ(logging.ring, 1);
    r.reply("$PQELR,ATL,OFF,-3,LINEAR");
    logging = r.state.getAutoLogging();
    EXPECT_EQ(logging.on, 0);
    EXPECT_EQ(logging.number, -3);
    EXPECT_EQ(logging.ring, 0);
}

TEST(ReplyFiles, CurrentFileAndPath) {
    Replies r;
    EXPECT_EQ(r.reply("$PQELR,FIL,CUR,BASE0412.DAT"), SentenceType::FilCur);
    EXPECT_EQ(r.state.fileReceived, 1);
    EXPECT_EQ(utf8(r.state.getCurrentFile().value_or(u"")), "BASE0412.DAT");
    EXPECT_EQ(r.state.pathReceived, 0);

    EXPECT_EQ(r.reply("$PQELR,FIL,PTH,/data/2026"), SentenceType::FilPth);
    EXPECT_EQ(r.state.pathReceived, 1);
    EXPECT_EQ(utf8(r.state.getFilePath()), "/data/2026");
    EXPECT_EQ(utf8(r.state.getCurrentFile().value_or(u"")), "BASE0412.DAT") << "shares a lock only";

    // No file open: the reply is received, but there is no file to show.
    r.reply("$PQELR,FIL,CUR,NONE");
    EXPECT_EQ(r.state.fileReceived, 1);
    EXPECT_FALSE(r.state.getCurrentFile().has_value());
}

TEST(ReplyFiles, RecorderAnswers) {
    struct Row {
        const char* field;
        std::atomic<uint8_t> ReplyState::*flag;
    };
    const Row rows[] = {
        {"OK", &ReplyState::okReceived},
        {"ON", &ReplyState::nrcOn},
        {"OFF", &ReplyState::nrcOff},
        {"FAIL", &ReplyState::failReceived},
        {"FIL,REC0001.RAW", &ReplyState::fileReceived},
    };
    for (const Row& row : rows) {
        Replies r;
        const std::string before = test::snapshot(r.state);
        r.reply(std::string("$PQELR,NRC,") + row.field);
        EXPECT_EQ(r.state.*(row.flag), 1) << row.field;
        r.state.*(row.flag) = 0;
        if (row.flag == &ReplyState::fileReceived) {
            EXPECT_EQ(utf8(r.state.getRecorderFile()), "REC0001.RAW");
        } else {
            EXPECT_EQ(test::snapshot(r.state), before)
                << row.field << ": one flag and nothing else";
        }
    }
    // The recorder's replies clear nothing: that is the command side's job.
    Replies r;
    r.reply("$PQELR,NRC,ON");
    r.reply("$PQELR,NRC,OK");
    EXPECT_EQ(r.state.nrcOn, 1);
    EXPECT_EQ(r.state.okReceived, 1);
    EXPECT_EQ(r.state.nrcOff, 0);
}

TEST(ReplySettings, NptAndBridge) {
    const std::tuple<const char*, uint8_t, uint8_t> npts[] = {
        {"$PQELR,NPT,1,0", 1, 0}, {"$PQELR,NPT,7,-2", 1, 1}, {"$PQELR,NPT,0,0", 0, 0}};
    for (const auto& [body, first, second] : npts) {
        Replies r;
        r.reply(body);
        EXPECT_EQ(r.state.nptReceived, 1);
        EXPECT_EQ(r.state.getNpt().first, first) << body;
        EXPECT_EQ(r.state.getNpt().second, second) << body;
    }

    Replies r;
    const std::string before = test::snapshot(r.state);
    r.reply("$PQELR,BRD,ON,-3");
    EXPECT_EQ(r.state.getBridge().on, 1);
    EXPECT_EQ(r.state.getBridge().number, -3);
    r.reply("$PQELR,BRD,OFF,2");
    EXPECT_EQ(r.state.getBridge().on, 0);
    EXPECT_EQ(r.state.getBridge().number, 2);
    r.reply("$PQELR,BRD,OFF,0");
    EXPECT_EQ(test::snapshot(r.state), before) << "no flag of its own";
}

TEST(ReplySettings, ReferenceReceiver) {
    Replies r;
    EXPECT_EQ(r.reply("$PQELR,RCP,REF,REFSTATION,1"), SentenceType::RcpRef);
    auto ref = r.state.getReferenceReceiver();
    EXPECT_EQ(utf8(ref.name), "REFSTATION");
    EXPECT_EQ(ref.flag, 1);
    r.reply("$PQELR,RCP,REF,A-REFERENCE-RECEIVER-NAME-OF-40-CHARS,0");
    ref = r.state.getReferenceReceiver();
    EXPECT_EQ(utf8(ref.name), "A-REFERENCE-RECEIVER-NAME-OF-40");
    EXPECT_EQ(ref.name.size(), 31u);
    EXPECT_EQ(ref.flag, 0);

    // Other RCP sentences are recognised and left alone.
    EXPECT_EQ(r.reply("$PQELR,RCP,GBS,X,1"), SentenceType::Rcp);
    EXPECT_EQ(utf8(r.state.getReferenceReceiver().name).substr(0, 2), "A-");
}

TEST(ReceiverFamily, RuleRows) {
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
        {"QL20", "2611PU01", kFamilyGprsOnly},
        {"QL10", "2611NN01", kFamilyNoModem},
        {"QOEM", "2611XX01", kFamilyOem},
        {"QL20", "2611GU0", kFamilyUnknown},   // identifier too short
        {"QL20", "2611XU01", kFamilyUnknown},  // no modem option of ours
        {"QL99", "2611GU01", kFamilyUnknown},  // not a product of ours
        {"", "", kFamilyUnknown},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(receiverFamilyOf(row.product, row.identifier), row.family)
            << row.product << " " << row.identifier;
        Replies r;
        r.reply(std::string("$PQELR,RID,") + row.product + "," + row.identifier + ",X7,1.20");
        EXPECT_EQ(r.state.getReceiverFamily(), row.family) << row.product << " " << row.identifier;
    }
    for (const FamilyRule& rule : familyRules()) EXPECT_LE(rule.family, 7u);
}

TEST(ReplyVersion, ThreeTextsWithoutSpacesCutToTen) {
    Replies r;
    EXPECT_EQ(r.receive("RECEIVER VERSION: 2.10 b\r\n"
                        "SYS fw: S1.02.003\r\n"
                        "GNSS fw: GNSS-3.40.1234-RC\r\n"
                        "OPTIONS: RTK\r\n"),
              SentenceType::Version);
    EXPECT_EQ(r.state.versionReceived, 1);
    auto versions = r.state.getFirmwareVersions();
    EXPECT_EQ(utf8(versions.receiverVersion), "2.10b");
    EXPECT_EQ(utf8(versions.systemFirmware), "S1.02.003");
    EXPECT_EQ(utf8(versions.gnssFirmware), "GNSS-3.40.");

    // A report that leaves a text out.
    r.receive("RECEIVER VERSION:7\r\nGNSS fw: G 1\r\nEND\r\n\r\n");
    versions = r.state.getFirmwareVersions();
    EXPECT_EQ(utf8(versions.receiverVersion), "7");
    EXPECT_EQ(utf8(versions.systemFirmware), "");
    EXPECT_EQ(utf8(versions.gnssFirmware), "G1");
}

}  // namespace
}  // namespace zentrix::receiver
