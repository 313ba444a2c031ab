// The survey board as the program's reader sees it: replies that set the right flags and carry
// the settings the commands changed, streamed sentences that publish a position and satellites,
// and the slow operations (modem, caster) that finish later.
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "tests/tools/sim_support.h"
#include "tools/sim/survey_board.h"

namespace zentrix::test {
namespace {

using receiver::ReplyState;

class SimBoardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim_) << "no pseudo-terminal";
        ASSERT_TRUE(client_.port().isOpen());
        ASSERT_TRUE(client_.startReader());
    }

    /// Streams position and satellites every second, as the program configures them.
    void configureStream() {
        for (const char* m : {"GGA", "GSA", "SGP", "SGL", "GST", "ZDA", "VEC", "VTG", "DTM"})
            ASSERT_TRUE(client_.acked(std::string("$PQELS,NME,A,") + m + ",ON,1.00")) << m;
        ASSERT_TRUE(client_.acked("$PQELS,NME,A,GSV,OFF"));
    }

    /// Waits for published positions until `done` holds or `limitMs` clock ms passed.
    bool waitPosition(const std::function<bool(const receiver::PositionRecord&)>& done,
                      uint32_t limitMs) {
        const uint32_t start = platform::Clock::tickCount();
        while (platform::ticksSince(start) < limitMs) {
            if (client_.reader().vectorEvent().wait(1500) && done(client_.reader().getPosition()))
                return true;
        }
        return false;
    }

    platform::ScopedClockSpeed fast_{50};
    ScratchDeviceRoot root_;
    std::unique_ptr<sim::Simulator> sim_ = startSimulator();
    SimClient client_;
};

// Each row: a set command, the query that reads it back, and what the decoded reply must hold.
struct SetAndQuery {
    const char* set;
    const char* query;
    std::function<bool(const ReplyState&)> check;
};

TEST_F(SimBoardTest, EverySetChangesWhatItsQueryReturns) {
    const std::vector<SetAndQuery> rows = {
        {"$PQELS,GPS,OFF", "$PQELQ,GPS", [](auto& r) { return r.gpsReceived && !r.getGps(); }},
        {"$PQELS,GLO,OFF", "$PQELQ,GLO", [](auto& r) { return r.gloReceived && !r.getGlonass(); }},
        {"$PQELS,SBA,OFF", "$PQELQ,SBA", [](auto& r) { return r.sbaReceived && !r.getSbas(); }},
        {"$PQELS,QZS,ON", "$PQELQ,QZS", [](auto& r) { return r.getQzss() == 1; }},
        {"$PQELS,CFG,TSL", "$PQELQ,CFG", [](auto& r) { return r.getSignalConfig() == 2u; }},
        {"$PQELS,PEM,15", "$PQELQ,PEM", [](auto& r) { return r.getElevationMask() == 15u; }},
        {"$PQELS,ANH,1.234000,S", "$PQELQ,ANH",
         [](auto& r) {
             const auto h = r.getAntennaHeight();
             return h.heightType == 1 && std::abs(h.heightMetres - 1.234) < 1e-9;
         }},
        {"$PQELS,ANR,ARP", "$PQELQ,ANR", [](auto& r) { return r.getAntennaReduction() == 2u; }},
        {"$PQELS,ANP,OWN,TRM55971.00", "$PQELQ,ANP,OWN",
         [](auto& r) { return r.getAntennaName() == u"TRM55971.00"; }},
        {"$PQELS,BAS,A,CMR,B,RT2", "$PQELQ,BAS",
         [](auto& r) {
             const auto b = r.getBaseOutput();
             return b.port1 == 0 && b.format1 == 3 && b.port2 == 1 && b.format2 == 1;
         }},
        {"$PQELS,STI,AB12", "$PQELQ,STI", [](auto& r) { return r.getStationId() == u"AB12"; }},
        {"$PQELS,DRI,5.000000", "$PQELQ,DRI",
         [](auto& r) { return r.getRecordingInterval() == 5.0; }},
        {"$PQELS,MEM,1", "$PQELQ,MEM", [](auto& r) { return r.getMemory() == 1u; }},
        {"$PQELS,ATL,ON", "$PQELQ,ATL", [](auto& r) { return r.getAutoLogging().on == 1; }},
        {"$PQELS,NPT,1,0", "$PQELQ,NPT",
         [](auto& r) { return r.getNpt().first == 1 && r.getNpt().second == 0; }},
        {"$PQELS,BTH,PRT,COM9", "$PQELQ,BTH",
         [](auto& r) { return r.getBluetoothValue() == u"COM9"; }},
        {"$PQELS,CPD,MOD,BAS,3", "$PQELQ,CPD,MOD",
         [](auto& r) {
             return r.getDifferential().mode == 0 && r.getDifferential().secondValue == 23;
         }},
        {"$PQELS,POS,3330.0000000,S,35015.0000000,E,12.0000", "$PQELQ,CPD,POS",
         [](auto& r) {
             const auto d = r.getDifferential();
             return std::abs(d.referenceLatitude + 33.5) < 1e-6 &&
                    std::abs(d.referenceLongitude + 9.75) < 1e-6 &&
                    std::abs(d.referenceHeight - 12.0) < 1e-6;
         }},
        {"$PQELS,RCP,REF,LEICA,1", "$PQELQ,RCP,REF",
         [](auto& r) {
             return r.getReferenceReceiver().name == u"LEICA" && r.getReferenceReceiver().flag;
         }},
        {"$PQELS,BRD,ON", "$PQELQ,BRD", [](auto& r) { return r.getBridge().on == 1; }},
        {"$PQELS,NTR,PAR,ADD,caster.example,PRT,2102,LGN,me,PWD,secret,TYP,1", "$PQELQ,NTR",
         [](auto& r) {
             const auto n = r.getNtripParameters();
             return r.ntripParametersReceived && n.address == u"caster.example" && n.port == 2102 &&
                    n.user == u"me" && n.password == u"secret";
         }},
        {"$PQELS,NRC,FIL,SESSION1.RAW", "$PQELQ,NRC,FIL",
         [](auto& r) { return r.fileReceived && r.getRecorderFile() == u"SESSION1.RAW"; }},
        {"$PQELS,FIL,PTH,\\Data\\Job7", "$PQELQ,FIL,PTH",
         [](auto& r) { return r.pathReceived && r.getFilePath() == u"\\Data\\Job7"; }},
        {"$PQELS,RDP,PAR,D,PDL,12,MAN,3,19200,HIG", "$PQELQ,RDP,PAR,D",
         [](auto& r) {
             const auto p = r.getRadio();
             return r.rdpReceived && p.radioType == 0 && p.channel == 12 && p.control == 1 &&
                    p.airBaud == 5 && p.sensitivity == 2;
         }},
        {"$PQELS,RDP,TYP,B,LFA", "$PQELQ,RDP,TYP,B",
         [](auto& r) { return r.getRadio().radioType == 6; }},
        {"$PQELS,MDM,PAR,PIN,1234,PTC,0,PHN,0791234567", "$PQELQ,MDM",
         [](auto& r) {
             const auto m = r.getModem();
             return r.mdmReceived && m.pin == u"1234" && m.protocol == '0' &&
                    m.phoneNumber == u"0791234567" && m.state == 1;
         }},
        {"$PQELS,NME,B,ZDA,ON,0.50", "$PQELQ,NMO,B",
         [](auto& r) {
             const auto o = r.getMessageOutputs();
             return r.nmoReceived && o.count == 1 && o.entries[0].messageCode == 13 &&
                    o.entries[0].intervalSeconds == 0.5f;
         }},
        {"$PQELS,PRT,C,5,ON", "$PQELQ,PRT,C",
         [](auto& r) {
             return r.getReceiverPort().portIndex == 2 && r.getReceiverPort().baudCode == 5;
         }},
    };
    for (const SetAndQuery& row : rows) {
        EXPECT_TRUE(client_.acked(row.set)) << row.set;
        EXPECT_TRUE(client_.transact(row.query)) << row.query;
        EXPECT_TRUE(row.check(client_.replies())) << row.set << " then " << row.query;
    }

    // A direct IP connect is answered once the server has, which needs the modem up in
    // packet-data mode.
    sim_->withBoard([](sim::SurveyBoard& b) {
        b.state().modem = sim::ModemState::Init;
        b.state().modemProtocol = '1';
    });
    EXPECT_TRUE(client_.acked("$PQELS,DIP,RIP,10.1.2.3,PRT,9000,LGN,bob,PWD,pw"));
    ASSERT_TRUE(client_.transact("$PQELQ,DIP"));
    const auto d = client_.replies().getDirectIp();
    EXPECT_TRUE(client_.replies().dipReceived && d.address == u"10.1.2.3" && d.port == 9000 &&
                d.user == u"bob" && d.password == u"pw");
}

TEST_F(SimBoardTest, QueriesWithoutSetAnswerInTheirOwnForm) {
    ASSERT_TRUE(client_.transact("$PQELQ,VERSION"));
    EXPECT_TRUE(client_.replies().versionReceived);
    EXPECT_EQ(client_.replies().getFirmwareVersions().receiverVersion, u"ZX-SIM2.1");
    ASSERT_TRUE(client_.transact("$PQELQ,RID"));
    EXPECT_EQ(client_.replies().getReceiverFamily(), 4u);  // a GNSS board with a GSM modem
    ASSERT_TRUE(client_.transact("$PQELQ,FIL,CUR"));
    EXPECT_FALSE(client_.replies().getCurrentFile().has_value());  // "NONE": not recording
    ASSERT_TRUE(client_.acked("$PQELS,REC,Y"));
    ASSERT_TRUE(client_.transact("$PQELQ,FIL,CUR"));
    EXPECT_TRUE(client_.replies().getCurrentFile().has_value());
    ASSERT_TRUE(client_.transact("$PQELQ,NRC"));
    EXPECT_TRUE(client_.replies().nrcOff);
    ASSERT_TRUE(client_.transact("$PQELQ,PRT"));
    EXPECT_TRUE(client_.replies().prtReceived);
    EXPECT_EQ(client_.replies().getReceiverPort().baudCode, 8u);  // 57600
}

TEST_F(SimBoardTest, UnknownAndMalformedCommandsAreNaked) {
    for (const char* text : {"$PQELS,XYZ,1", "$PQELS,GPS,MAYBE", "$PQELS,PEM,91", "$PQELQ,NMO,Z",
                             "$PQELS,NME,A,XXX,ON,1.00", "$PQELS,RDP,TYP,D,FOO", "$GPGGA",
                             "$PQELS,POS,4530.0,X,00730.0,E,1.0"}) {
        ASSERT_TRUE(client_.transact(text)) << text;
        EXPECT_TRUE(client_.replies().nakReceived) << text;
    }
    const auto log = sim_->commandLog();
    EXPECT_EQ(log.back(), "$PQELS,POS,4530.0,X,00730.0,E,1.0");
}

TEST_F(SimBoardTest, StreamPublishesPositionAndSatellitesFromTheSky) {
    configureStream();
    ASSERT_TRUE(waitPosition([](auto& p) { return p.fixType == 1; }, 20000));
    const receiver::PositionRecord p = client_.reader().getPosition();
    const sim::Place place;
    EXPECT_NEAR(p.latitude, place.latitudeDegrees, 1e-3);
    EXPECT_NEAR(p.longitude, place.longitudeDegrees, 1e-3);
    EXPECT_NEAR(p.ellipsoidHeight, place.ellipsoidHeightMetres, 20.0);
    EXPECT_GE(p.satellitesUsed, 6u);
    EXPECT_GT(p.pdop, 0.0f);
    EXPECT_GT(p.horizontalError, 0.0f);
    EXPECT_EQ(p.utcYear, 2023);

    std::array<receiver::SatelliteRecord, receiver::kMaxSatellites> sats{};
    const uint32_t count = client_.reader().getSatellites(sats);
    ASSERT_GE(count, 8u);
    bool glonass = false, gps = false;
    for (uint32_t i = 0; i < count; ++i) {
        const auto& s = sats[i];
        EXPECT_TRUE((s.prn >= 1 && s.prn <= 32) || (s.prn >= 65 && s.prn <= 96) ||
                    (s.prn >= 120 && s.prn <= 138) || (s.prn >= 193 && s.prn <= 197))
            << s.prn;
        EXPECT_LE(s.elevation, 90);
        EXPECT_LT(s.azimuth, 360);
        EXPECT_GE(s.snr1, 20);
        glonass |= s.prn >= 65 && s.prn <= 96;
        gps |= s.prn <= 32;
    }
    EXPECT_TRUE(gps && glonass);

    // Switching GLONASS off takes its satellites out of the next tables.
    ASSERT_TRUE(client_.acked("$PQELS,GLO,OFF"));
    platform::sleepMs(2500);
    const uint32_t after = client_.reader().getSatellites(sats);
    for (uint32_t i = 0; i < after; ++i) EXPECT_FALSE(sats[i].prn >= 65 && sats[i].prn <= 96);
}

TEST_F(SimBoardTest, DialledCorrectionsTakeTheSolutionToFixed) {
    configureStream();
    ASSERT_TRUE(client_.acked("$PQELS,MDM,ON", 20000));
    // Modem initialisation is two-stage: ACK at once, the outcome in an MDM reply.
    ASSERT_TRUE(client_.acked("$PQELS,MDM,INI", 20000));
    client_.replies().okReceived = 0;
    client_.reader().replyEvent().reset();
    ASSERT_TRUE(client_.reader().replyEvent().wait(20000));
    EXPECT_TRUE(client_.replies().okReceived);
    ASSERT_TRUE(client_.transact("$PQELQ,MDM"));
    EXPECT_EQ(client_.replies().getModem().state, 3u);  // INIT

    ASSERT_TRUE(client_.acked("$PQELS,MDM,DAL,1"));
    ASSERT_TRUE(client_.transact("$PQELQ,MDM"));
    EXPECT_EQ(client_.replies().getModem().state, 4u);  // DIALING
    ASSERT_TRUE(waitPosition([](auto& p) { return p.fixType == 3; }, 15000)) << "no DGPS";
    ASSERT_TRUE(waitPosition([](auto& p) { return p.fixType == 4; }, 15000)) << "no float";
    ASSERT_TRUE(waitPosition([](auto& p) { return p.fixType == 5; }, 60000)) << "no fixed";
    const receiver::PositionRecord fixed = client_.reader().getPosition();
    EXPECT_GT(fixed.correctionAge, -1);
    EXPECT_GT(std::abs(fixed.vector[0]), 1.0);  // baseline to the base station
    EXPECT_LT(fixed.horizontalError, 0.05f);
    ASSERT_TRUE(client_.transact("$PQELQ,MDM"));
    EXPECT_EQ(client_.replies().getModem().state, 5u);  // ONLINE

    ASSERT_TRUE(client_.acked("$PQELS,MDM,DAL,0"));
    // Without corrections the solution falls back to autonomous or SBAS-differential.
    ASSERT_TRUE(waitPosition([](auto& p) { return p.fixType == 1 || p.fixType == 2; }, 10000))
        << "still fixed";
}

TEST_F(SimBoardTest, SourceTableDownloadIsServedFromTheFile) {
    ASSERT_TRUE(client_.acked("$PQELS,NTR,LOD", 120000));
    client_.reader().replyEvent().reset();
    ASSERT_TRUE(client_.reader().replyEvent().wait(20000));
    EXPECT_TRUE(client_.replies().failReceived) << "no modem: the download fails";

    ASSERT_TRUE(client_.acked("$PQELS,MDM,ON"));
    ASSERT_TRUE(client_.acked("$PQELS,MDM,INI"));
    ASSERT_TRUE(client_.reader().replyEvent().wait(20000));
    ASSERT_TRUE(client_.acked("$PQELS,NTR,LOD", 120000));
    client_.reader().replyEvent().reset();
    ASSERT_TRUE(client_.reader().replyEvent().wait(20000));
    ASSERT_TRUE(client_.replies().okReceived);

    ASSERT_TRUE(client_.transact("$PQELQ,NTR,TBL", 120000));
    ASSERT_TRUE(client_.replies().sourceTableReceived);
    const std::string table = client_.replies().getSourceTable();
    EXPECT_EQ(table.rfind("L\r\nSOURCETABLE 200 OK\r\n", 0), 0u);
    EXPECT_NE(table.find("STR;WTZR00DEU0;"), std::string::npos);
    EXPECT_EQ(table.substr(table.size() - 16), "ENDSOURCETABLE\r\n");

    // A mount point of the table connects; one that is not in it fails.
    ASSERT_TRUE(client_.acked("$PQELS,NTR,MTP,NOSUCHMOUNT"));
    client_.reader().replyEvent().reset();
    ASSERT_TRUE(client_.reader().replyEvent().wait(20000));
    EXPECT_TRUE(client_.replies().failReceived);
    ASSERT_TRUE(client_.acked("$PQELS,NTR,MTP,WTZR00DEU0"));
    client_.reader().replyEvent().reset();
    ASSERT_TRUE(client_.reader().replyEvent().wait(20000));
    EXPECT_TRUE(client_.replies().okReceived);
    ASSERT_TRUE(client_.transact("$PQELQ,NTR,MTP"));
    EXPECT_EQ(client_.replies().getMountPoint(), u"WTZR00DEU0");
}

TEST_F(SimBoardTest, PowerOffSilencesTheBoardUntilPoweredOn) {
    ASSERT_TRUE(client_.acked("$PQELS,PWR,OFF"));
    EXPECT_FALSE(client_.transact("$PQELQ,GPS", 3000));
    sim_->powerOn();
    EXPECT_TRUE(client_.transact("$PQELQ,GPS"));
}

}  // namespace
}  // namespace zentrix::test
