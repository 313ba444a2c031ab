// What every reply shares: each type of the sentence table is decoded, a failing checksum changes
// nothing but still releases the waiting command, and no text runs past its field.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "receiver/nmea/navigation_state.h"
#include "receiver/nmea/receiver_reader.h"
#include "receiver/replies/reply_codes.h"
#include "tests/receiver/replies/reply_support.h"

namespace zentrix::receiver {
namespace {

using test::Replies;
using T = SentenceType;

// One valid reply of every type, its checksum still to come.
const std::map<SentenceType, std::string> kSamples = {
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
    {T::Version, "RECEIVER VERSION: 1.0\r\nSYS fw: S1\r\nGNSS fw: G1\r\nEND\r\n"},
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

// The version block carries no checksum; acknowledgements are taken as they come.
bool checksummed(SentenceType type) {
    return type != T::Version && type != T::Ack && type != T::Nak;
}

TEST(ReplyEveryType, DecodedAndGuardedByItsChecksum) {
    const std::string fresh = test::snapshot(Replies().state);
    for (const SentenceTypeRow& row : sentenceTypeTable()) {
        const bool noReply = row.type == T::Unknown || row.type == T::Sga || row.type == T::Rcp ||
                             NavigationState::handles(row.type);
        if (noReply)
            continue;
        SCOPED_TRACE(std::string(row.name));
        const auto sample = kSamples.find(row.type);
        ASSERT_NE(sample, kSamples.end()) << "no sample reply";
        Replies good;
        EXPECT_EQ(good.reply(sample->second), row.type);
        EXPECT_NE(test::snapshot(good.state), fresh) << "a valid reply must leave a trace";
        if (!checksummed(row.type))
            continue;
        Replies bad;
        EXPECT_EQ(bad.reply(test::withBadChecksum(sample->second)), row.type);
        EXPECT_EQ(test::snapshot(bad.state), fresh) << "a failing checksum must change nothing";
    }
}

TEST(ReplyEveryType, FailingChecksumKeepsEarlierStateAndStillReleasesTheCommand) {
    MemoryByteSource source("");
    ReceiverReader reader(source, 4096);
    ASSERT_TRUE(reader.replyEvent().create(platform::Event::Reset::Auto));
    for (const auto& [type, body] : kSamples) {
        if (!checksummed(type))
            continue;
        SCOPED_TRACE(body);
        const std::string good = test::withChecksum(body);
        reader.dispatch(type, makeSentence(good));
        reader.replyEvent().reset();
        const std::string before = test::snapshot(reader.replies());

        const std::string bad = test::withBadChecksum(body);
        reader.dispatch(type, makeSentence(bad));
        EXPECT_EQ(reader.replyEvent().wait(0), eventOf(type) == SentenceEvent::Reply);
        if (type == T::Anp) {
            EXPECT_EQ(reader.replies().anpReceived, 0) << "cleared, as nothing else clears it";
            reader.replies().anpReceived = 1;
        }
        EXPECT_EQ(test::snapshot(reader.replies()), before);
    }
}

// Every cut of every reply, down to nothing, whatever the framer would have made of it.
TEST(ReplyEveryType, CutShortAnywhere) {
    for (const auto& [type, body] : kSamples) {
        const std::string whole = checksummed(type) ? test::withChecksum(body) : body;
        ReplyState state;
        for (size_t length = 0; length <= whole.size(); ++length) {
            const std::string cut = whole.substr(0, length);
            state.parse(type, makeSentence(cut));
        }
    }
}

TEST(ReplyText, CutAtTheSizeOfItsField) {
    const std::string x(300, 'x');
    const auto X = [](size_t n) { return std::string(n, 'x'); };
    test::expectTranscript({
        {"bluetooth", {"$PQELR,BTH,,C," + x}, "bthReceived", "bth " + X(5)},
        {"antenna", {"$PQELR,ANP,OWN," + x}, "anpReceived", "anp " + X(31)},
        {"station", {"$PQELR,STI," + x}, "stiReceived", "sti " + X(4)},
        {"file", {"$PQELR,FIL,CUR," + x}, "fileReceived", "file " + X(259)},
        {"path", {"$PQELR,FIL,PTH," + x}, "pathReceived", "path " + X(259)},
        {"recorder", {"$PQELR,NRC,FIL," + x}, "fileReceived", "recorder " + X(259)},
        {"reference", {"$PQELR,RCP,REF," + x + ",1"}, "", "ref " + X(31) + " 1"},
        {"modem power",
         {"$PQELR,MDM,GSM,1,ON,PWR," + x},
         "mdmReceived",
         "mdm 2 " + X(3) + " - - - - - - - - - -"},
        {"modem PIN",
         {"$PQELR,MDM,GSM,1,ON,PIN," + x},
         "mdmReceived",
         "mdm 2 - " + X(8) + " - - - - - - - - -"},
        {"modem APN",
         {"$PQELR,MDM,GSM,1,ON,APN," + x},
         "mdmReceived",
         "mdm 2 - - - - - " + X(32) + " - - - - -"},
        {"modem login",
         {"$PQELR,MDM,GSM,1,ON,LGN," + x},
         "mdmReceived",
         "mdm 2 - - - - - - " + X(32) + " - - - -"},
        {"modem password",
         {"$PQELR,MDM,GSM,1,ON,PWD," + x},
         "mdmReceived",
         "mdm 2 - - - - - - - " + X(32) + " - - -"},
        {"modem phone",
         {"$PQELR,MDM,GSM,1,ON,PHN," + x},
         "mdmReceived",
         "mdm 2 - - - - - - - - - " + X(20) + " -"},
        {"direct IP address",
         {"$PQELR,DIP,RIP," + x + ",PRT,1"},
         "dipReceived",
         "dip " + X(35) + " 1 - -"},
        {"direct IP user",
         {"$PQELR,DIP,RIP,a,PRT,1,LGN," + x + ",PWD,p"},
         "dipReceived",
         "dip a 1 " + X(32) + " p"},
        {"direct IP password",
         {"$PQELR,DIP,RIP,a,PRT,1,LGN,u,PWD," + x},
         "dipReceived",
         "dip a 1 u " + X(32)},
        {"caster", {"$PQELR,NTR,ADD," + x}, "ntripParametersReceived", "ntrip " + X(32) + " 0 - -"},
        {"caster user",
         {"$PQELR,NTR,LGN," + x},
         "ntripParametersReceived",
         "ntrip - 0 " + X(32) + " -"},
        {"caster password",
         {"$PQELR,NTR,PWD," + x},
         "ntripParametersReceived",
         "ntrip - 0 - " + X(33)},
        {"mount point", {"$PQELR,NTR,MTP," + x}, "mountPointReceived", "mtp " + X(100)},
        {"versions",
         {"RECEIVER VERSION: " + x + "\r\nSYS fw: " + x + "\r\nGNSS fw: " + x + "\r\n\r\n"},
         "versionReceived",
         "versions " + X(10) + "|" + X(10) + "|" + X(10)},
    });
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
            const bool known = index < letters.size() && letters[index] != '-';
            EXPECT_EQ(portIndexOf(letters, portLetterOf(letters, index)), known ? index : 0u)
                << letters << " " << index;
        }
        EXPECT_EQ(portIndexOf(letters, 'Z'), 0u);
        EXPECT_EQ(portIndexOf(letters, '-'), 0u);
    }
}

}  // namespace
}  // namespace zentrix::receiver
