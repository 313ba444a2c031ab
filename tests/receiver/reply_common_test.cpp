// What every reply shares: each type of the sentence table is decoded, a failing checksum changes
// nothing but still releases the waiting command, and no text runs past its field.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "receiver/navigation_state.h"
#include "receiver/receiver_reader.h"
#include "receiver/reply_codes.h"
#include "tests/receiver/reply_support.h"

namespace zentrix::receiver {
namespace {

using test::Replies;
using test::utf8;
using T = SentenceType;

// One valid reply of every type, its checksum still to come.
const std::map<SentenceType, std::string>& samples() {
    static const std::map<SentenceType, std::string> kSamples = {
        {T::Prt, "$PQELR,PRT,B,6"},
        {T::Bth, "$PQELR,BTH,,C,BT01"},
        {T::Nmo, "$PQELR,NMO,A,0,1.00,01,GGA,1.00"},
        {T::Obi, "$PQELR,OBI,120000.00,1.50,00003"},
        {T::Sba, "$PQELR,SBA,ON"},
        {T::Qzs, "$PQELR,QZS,ON"},
        {T::Glo, "$PQELR,GLO,ON"},
        {T::Gps, "$PQELR,GPS,ON"},
        {T::Cfg, "$PQELR,CFG,DSL"},
        {T::Pem, "$PQELR,PEM,10"},
        {T::A2d, "$PQELR,A2D,1,1"},
        {T::Anh, "$PQELR,ANH,1.500,S"},
        {T::Anr, "$PQELR,ANR,ARP"},
        {T::Anp, "$PQELR,ANP,OWN,ANT1"},
        {T::Bas, "$PQELR,BAS,B,CMR"},
        {T::Sti, "$PQELR,STI,BS01"},
        {T::Dri, "$PQELR,DRI,1.00"},
        {T::Rec, "$PQELR,REC,S"},
        {T::Atl, "$PQELR,ATL,ON,1,RING"},
        {T::Mem, "$PQELR,MEM,1"},
        {T::Wti, "$PQELR,WTI,0012"},
        {T::FilCur, "$PQELR,FIL,CUR,F1.DAT"},
        {T::FilPth, "$PQELR,FIL,PTH,/D"},
        {T::Npt, "$PQELR,NPT,0,1"},
        {T::Ack, "$PQELR,ACK"},
        {T::Nak, "$PQELR,NAK"},
        {T::Nrc, "$PQELR,NRC,ON"},
        {T::Brd, "$PQELR,BRD,ON,1"},
        {T::RcpRef, "$PQELR,RCP,REF,REF1,1"},
        {T::Rid, "$PQELR,RID,QL20,2611GU01,X,1"},
        {T::Mdm, "$PQELR,MDM,GSM,1,ON,PIN,1234"},
        {T::Dip, "$PQELR,DIP,RIP,10.0.0.1,PRT,2101"},
        {T::Ntr, "$PQELR,NTR,MTP,MP1"},
        {T::Cpd, "$PQELR,CPD,MOD,ROV,3"},
        {T::Rdp, "$PQELR,RDP,TYP,D,ADL"},
    };
    return kSamples;
}

const std::string kVersionBlock = "RECEIVER VERSION: 1.0\r\nSYS fw: S1\r\nGNSS fw: G1\r\nEND\r\n";

// Types the reader hands to the reply state but that carry nothing to decode.
bool carriesNoReply(SentenceType type) {
    return type == T::Unknown || type == T::Sga || type == T::Rcp || NavigationState::handles(type);
}

TEST(ReplyEveryType, DecodedAndGuardedByItsChecksum) {
    const std::string fresh = test::snapshot(Replies().state);
    for (const SentenceTypeRow& row : sentenceTypeTable()) {
        if (carriesNoReply(row.type))
            continue;
        SCOPED_TRACE(std::string(row.name));
        if (row.type == T::Version) {
            Replies r;
            EXPECT_EQ(r.receive(kVersionBlock), T::Version);
            EXPECT_NE(test::snapshot(r.state), fresh);
            continue;
        }
        const auto sample = samples().find(row.type);
        ASSERT_NE(sample, samples().end()) << "no sample reply";

        Replies good;
        EXPECT_EQ(good.reply(sample->second), row.type);
        EXPECT_NE(test::snapshot(good.state), fresh) << "a valid reply must leave a trace";

        // Acknowledgements are taken as they come, checksum or not.
        if (row.type == T::Ack || row.type == T::Nak)
            continue;
        Replies bad;
        EXPECT_EQ(bad.receive(test::withBadChecksum(sample->second)), row.type);
        EXPECT_EQ(test::snapshot(bad.state), fresh) << "a failing checksum must change nothing";
    }
}

TEST(ReplyEveryType, FailingChecksumKeepsEarlierStateAndStillReleasesTheCommand) {
    MemoryByteSource source("");
    ReceiverReader reader(source, 4096);
    ASSERT_TRUE(reader.replyEvent().create(platform::Event::Reset::Auto));
    for (const auto& [type, body] : samples()) {
        if (type == T::Ack || type == T::Nak)
            continue;
        SCOPED_TRACE(body);
        const std::string good = test::withChecksum(body);
        reader.dispatch(type, makeSentence(good));
        reader.replyEvent().reset();
        const std::string before = test::snapshot(reader.replies());

        std::string bad = test::withBadChecksum(body);
        reader.dispatch(type, makeSentence(bad));
        EXPECT_EQ(reader.replyEvent().wait(0), eventOf(type) == SentenceEvent::Reply);
        std::string after = test::snapshot(reader.replies());
        if (type == T::Anp) {
            EXPECT_EQ(reader.replies().anpReceived, 0) << "cleared, as nothing else clears it";
            reader.replies().anpReceived = 1;
            after = test::snapshot(reader.replies());
        }
        EXPECT_EQ(after, before);
    }
}

TEST(ReplyText, CutAtTheSizeOfItsField) {
    const std::string longText(300, 'x');
    struct Row {
        std::string body;
        size_t capacity;
        std::function<std::string(const ReplyState&)> read;
    };
    const Row rows[] = {
        {"$PQELR,BTH,,C," + longText, 5, [](auto& r) { return utf8(r.getBluetoothValue()); }},
        {"$PQELR,ANP,OWN," + longText, 31, [](auto& r) { return utf8(r.getAntennaName()); }},
        {"$PQELR,STI," + longText, 4, [](auto& r) { return utf8(r.getStationId()); }},
        {"$PQELR,FIL,CUR," + longText, 259,
         [](auto& r) { return utf8(r.getCurrentFile().value_or(u"")); }},
        {"$PQELR,FIL,PTH," + longText, 259, [](auto& r) { return utf8(r.getFilePath()); }},
        {"$PQELR,NRC,FIL," + longText, 259, [](auto& r) { return utf8(r.getRecorderFile()); }},
        {"$PQELR,RCP,REF," + longText + ",1", 31,
         [](auto& r) { return utf8(r.getReferenceReceiver().name); }},
        {"$PQELR,MDM,GSM,1,ON,PWR," + longText, 3,
         [](auto& r) { return utf8(r.getModem().power); }},
        {"$PQELR,MDM,GSM,1,ON,PIN," + longText, 8, [](auto& r) { return utf8(r.getModem().pin); }},
        {"$PQELR,MDM,GSM,1,ON,APN," + longText, 32, [](auto& r) { return utf8(r.getModem().apn); }},
        {"$PQELR,MDM,GSM,1,ON,LGN," + longText, 32,
         [](auto& r) { return utf8(r.getModem().login); }},
        {"$PQELR,MDM,GSM,1,ON,PWD," + longText, 32,
         [](auto& r) { return utf8(r.getModem().password); }},
        {"$PQELR,MDM,GSM,1,ON,PHN," + longText, 20,
         [](auto& r) { return utf8(r.getModem().phoneNumber); }},
        {"$PQELR,DIP,RIP," + longText + ",PRT,1", 35,
         [](auto& r) { return utf8(r.getDirectIp().address); }},
        {"$PQELR,DIP,RIP,a,PRT,1,LGN," + longText + ",PWD,p", 32,
         [](auto& r) { return utf8(r.getDirectIp().user); }},
        {"$PQELR,DIP,RIP,a,PRT,1,LGN,u,PWD," + longText, 32,
         [](auto& r) { return utf8(r.getDirectIp().password); }},
        {"$PQELR,NTR,ADD," + longText, 32,
         [](auto& r) { return utf8(r.getNtripParameters().address); }},
        {"$PQELR,NTR,LGN," + longText, 32,
         [](auto& r) { return utf8(r.getNtripParameters().user); }},
        {"$PQELR,NTR,PWD," + longText, 33,
         [](auto& r) { return utf8(r.getNtripParameters().password); }},
        {"$PQELR,NTR,MTP," + longText, 100, [](auto& r) { return utf8(r.getMountPoint()); }},
    };
    for (const Row& row : rows) {
        Replies r;
        r.reply(row.body);
        EXPECT_EQ(row.read(r.state), std::string(row.capacity, 'x')) << row.body.substr(0, 24);
    }

    Replies r;
    r.receive("RECEIVER VERSION: " + longText + "\r\nSYS fw: " + longText +
              "\r\nGNSS fw: " + longText + "\r\n\r\n");
    const auto versions = r.state.getFirmwareVersions();
    EXPECT_EQ(utf8(versions.receiverVersion), std::string(10, 'x'));
    EXPECT_EQ(utf8(versions.systemFirmware), std::string(10, 'x'));
    EXPECT_EQ(utf8(versions.gnssFirmware), std::string(10, 'x'));
}

TEST(ReplyText, WidenedThroughTheAnsiCodePage) {
    Replies r;
    r.reply("$PQELR,ANP,OWN,M\xe9tre\x80");
    EXPECT_EQ(r.state.getAntennaName(), u"M\u00e9tre\u20ac");
}

TEST(ReplyCodes, PortLettersGoOutAndComeBackAsTheSamePort) {
    for (const std::string_view letters :
         {port_letters::kReceiver, port_letters::kSerial, port_letters::kBaudSettable,
          port_letters::kRadio, port_letters::kRadioQuery}) {
        for (uint32_t index = 0; index < 8; ++index) {
            const char letter = portLetterOf(letters, index);
            const bool known = index < letters.size() && letters[index] != '-';
            EXPECT_EQ(portIndexOf(letters, letter), known ? index : 0u) << letters << index;
        }
        EXPECT_EQ(portIndexOf(letters, 'Z'), 0u);
        EXPECT_EQ(portIndexOf(letters, '-'), 0u);
    }
    for (const CodeName& row : kMessageNames) {
        EXPECT_EQ(findCodeByPrefix(kMessageNames, row.name, 3), row.code);
        EXPECT_EQ(nameOfCode(kMessageNames, row.code), row.name);
    }
}

}  // namespace
}  // namespace zentrix::receiver
