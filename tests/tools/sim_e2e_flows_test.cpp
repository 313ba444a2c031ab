// The command layer against the simulated board, end to end: operations that finish later,
// the streamed position and satellites, and every fault.
#include "tests/tools/sim_e2e_support.h"

namespace zentrix::test {
namespace {

TEST_F(SimEndToEndTest, ModemCasterAndSourceTableFinishLater) {
    uint32_t state = 0;
    EXPECT_EQ(gnss_.startModem(), 1u);
    ASSERT_EQ(gnss_.queryModemState(state), 1u);
    EXPECT_EQ(state, 3u);  // INIT

    receiver::StationList list;
    {
        // A pause of one second ends a table on the line: slower here, so that a busy machine
        // does not cut the 50 kB table short.
        platform::ScopedClockSpeed slower(5);
        ASSERT_EQ(gnss_.loadSourceTable(list), 1u);
    }
    ASSERT_GT(list.size(), 10);
    bool found = false;
    for (int32_t i = 0; i < list.size(); ++i)
        found |= std::string(list.at(i)->mountPoint) == "WTZR00DEU0";
    EXPECT_TRUE(found);

    EXPECT_EQ(gnss_.connectMountPoint(u"NOSUCHMOUNT"), 0u) << "not in the caster's table";
    EXPECT_EQ(gnss_.connectMountPoint(u"WTZR00DEU0"), 1u);
    platform::WideString mount;
    ASSERT_EQ(gnss_.queryMountPoint(mount), 1u);
    EXPECT_EQ(mount, u"WTZR00DEU0");
    EXPECT_TRUE(board().mountConnected);
    EXPECT_EQ(gnss_.disconnectMountPoint(), 1u);
    EXPECT_FALSE(board().mountConnected);

    EXPECT_EQ(gnss_.modemDial(), 1u);
    ASSERT_EQ(gnss_.queryModemState(state), 1u);
    EXPECT_EQ(state, 4u);  // DIALING
    platform::sleepMs(5000);
    ASSERT_EQ(gnss_.queryModemState(state), 1u);
    EXPECT_EQ(state, 5u);  // ONLINE
    EXPECT_EQ(gnss_.modemHangUp(), 1u);
    ASSERT_EQ(gnss_.queryModemState(state), 1u);
    EXPECT_EQ(state, 3u);
}

TEST_F(SimEndToEndTest, StreamedSentencesPublishAPositionThatConverges) {
    ASSERT_EQ(gnss_.setStatusNmea(0), 1u);
    ASSERT_TRUE(waitPosition([](auto& p) { return p.fixType == 1 || p.fixType == 2; }, 20000));
    receiver::PositionRecord p;
    ASSERT_EQ(gnss_.getPosition(p), 1u);
    const sim::Place place;
    EXPECT_NEAR(p.latitude, place.latitudeDegrees, 1e-3);
    EXPECT_NEAR(p.longitude, place.longitudeDegrees, 1e-3);
    EXPECT_GE(p.satellitesUsed, 6u);
    EXPECT_GT(p.horizontalError, 0.3f);
    float baseline = -1;
    ASSERT_EQ(gnss_.getBaselineLength(baseline), 1u);
    EXPECT_EQ(baseline, 0.0f) << "no base station yet";

    // The sky, from the board's own satellite messages: several systems, plausible angles.
    receiver::SatelliteTable first;
    ASSERT_GE(gnss_.getSatellites(first), 8u);
    bool gps = false, glonass = false;
    for (uint32_t i = 0; i < first.count; ++i) {
        const auto& s = first.entries[i];
        EXPECT_TRUE(s.elevation >= 0 && s.elevation <= 90 && s.azimuth >= 0 && s.azimuth < 360)
            << s.prn;
        gps |= s.prn >= 1 && s.prn <= 32;
        glonass |= s.prn >= 65 && s.prn <= 96;
    }
    EXPECT_TRUE(gps && glonass);

    // Twenty minutes later the same satellites stand elsewhere.
    sim_->advanceClock(20 * 60 * 1000);
    platform::sleepMs(3000);
    receiver::SatelliteTable later;
    ASSERT_GE(gnss_.getSatellites(later), 1u);
    int moved = 0;
    for (uint32_t i = 0; i < first.count; ++i) {
        for (uint32_t j = 0; j < later.count; ++j) {
            const auto& a = first.entries[i];
            const auto& b = later.entries[j];
            if (a.prn == b.prn && (a.elevation != b.elevation || a.azimuth != b.azimuth))
                ++moved;
        }
    }
    EXPECT_GE(moved, 3);

    // Corrections over a dialled call: code differential, float, then fixed with a baseline.
    ASSERT_EQ(gnss_.startModem(), 1u);
    ASSERT_EQ(gnss_.modemDial(), 1u);
    ASSERT_TRUE(waitPosition([](auto& p) { return p.fixType == 4; }, 20000)) << "no float";
    ASSERT_TRUE(waitPosition([](auto& p) { return p.fixType == 5; }, 60000)) << "no fixed";
    ASSERT_EQ(gnss_.getPosition(p), 1u);
    EXPECT_LT(p.horizontalError, 0.05f);
    ASSERT_EQ(gnss_.getBaselineLength(baseline), 1u);
    EXPECT_NEAR(baseline, std::sqrt(1234.5 * 1234.5 + 567.8 * 567.8 + 12.3 * 12.3), 1.0);
}

TEST_F(SimEndToEndTest, DataMessagesReachTheirGetters) {
    ASSERT_EQ(gnss_.setWtiOutput(true), 1u);
    ASSERT_EQ(gnss_.setA2dOutput(true), 1u);
    ASSERT_EQ(gnss_.setObiOutput(true), 1u);
    platform::sleepMs(3000);
    EXPECT_GT(gnss_.getWtiValue(), 0u);
    EXPECT_EQ(gnss_.getA2dValid(), 1u);
    float value = -1;
    int32_t count = -1;
    ASSERT_EQ(gnss_.getObservationStatus(value, count), 1u);
    EXPECT_GT(count, 0);
    EXPECT_GE(value, 0.0f);
}

struct FaultRow {
    SimFault fault;
    const char* name;
    std::function<uint32_t(GnssReceiver&)> call;
    uint32_t result;
    uint32_t atLeastMs;  // clock ms the failure may take, at least and at most
    uint32_t atMostMs;
};

TEST_F(SimEndToEndTest, EachFaultShowsTheFailureOfTheCommandLayer) {
    using G = GnssReceiver;
    const auto gps = [](G& g) {
        uint8_t on = 0;
        return g.queryGps(on);
    };
    const auto mask = [](G& g) { return g.setElevationMask(12); };
    const std::vector<FaultRow> rows = {
        {SimFault::NakEverything, "NAK, query", gps, 0, 0, 1000},
        {SimFault::NakEverything, "NAK, set", mask, 0, 0, 1000},
        {SimFault::NakEverything, "NAK, 20 s command", [](G& g) { return g.modemOn(); }, 0, 0,
         1000},
        {SimFault::WrongReplyFirst, "wrong reply first, query", gps, 0, 0, 1000},
        {SimFault::WrongReplyFirst, "wrong reply first, set", mask, 0, 0, 1000},
        {SimFault::BadChecksums, "bad checksum, query", gps, 0, 0, 1000},
        // An acknowledgement with a bad checksum releases the wait but counts for nothing.
        {SimFault::BadChecksums, "bad checksum, set", mask, 0, 0, 1000},
        {SimFault::Silence, "silence, query", gps, 0, 10000, 11500},
        {SimFault::Silence, "silence, 20 s command", [](G& g) { return g.modemOn(); }, 0, 20000,
         21500},
        {SimFault::DelayReplies, "late reply", gps, 0, 10000, 11500},
    };
    for (const FaultRow& row : rows) {
        sim_->setFault(row.fault);
        const uint32_t start = platform::Clock::tickCount();
        EXPECT_EQ(row.call(gnss_), row.result) << row.name;
        const uint32_t tookMs = platform::ticksSince(start);
        EXPECT_GE(tookMs, row.atLeastMs) << row.name;
        EXPECT_LE(tookMs, row.atMostMs) << row.name;
        sim_->clearFaults();
        platform::sleepMs(3000);  // what the fault held back has arrived
        EXPECT_NE(row.call(gnss_), 0u) << row.name << ": the next identical call";
    }
}

TEST_F(SimEndToEndTest, VanishedDeviceEndsTheReaderAndCommandsFailAtOnce) {
    uint8_t on = 0;
    ASSERT_EQ(gnss_.queryGps(on), 1u);
    ASSERT_EQ(gnss_.isConnected(), 1u);
    sim_->setFault(SimFault::Vanish);
    for (int i = 0; i < 200 && gnss_.isConnected(); ++i) platform::sleepMs(100);
    EXPECT_EQ(gnss_.isConnected(), 0u) << "the reader still runs on a vanished device";
    const uint32_t start = platform::Clock::tickCount();
    EXPECT_EQ(gnss_.queryGps(on), 0u);
    EXPECT_EQ(gnss_.setGps(true), 0u);
    EXPECT_LT(platform::ticksSince(start), 500u) << "no reader: no wait";
}

}  // namespace
}  // namespace zentrix::test
