#include "receiver/nmea/navigation_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "receiver/nmea/sentence_type.h"
#include "tests/support/nmea.h"

namespace zentrix::receiver {
namespace {

using test::withChecksum;

class NavigationStateTest : public ::testing::Test {
protected:
    // Parses a sentence body (checksum added) by the type its header names.
    void feed(const std::string& body) { feedRaw(withChecksum(body)); }
    void feedRaw(const std::string& sentence) {
        const size_t headerLength = sentence.rfind("$P", 0) == 0 ? 10 : 6;
        const SentenceType type = matchSentenceType(sentence.substr(0, headerLength));
        ASSERT_TRUE(NavigationState::handles(type)) << sentence;
        texts_.push_back(sentence);
        state_.parse(type, makeSentence(texts_.back()));
    }
    std::vector<SatelliteRecord> satellites() {
        std::array<SatelliteRecord, kMaxSatellites> table;
        const uint32_t count = state_.getSatellites(table);
        return {table.begin(), table.begin() + std::min<uint32_t>(count, kMaxSatellites)};
    }
    void publishPosition() { feed("$PQELR,VEC,0,0,0,1.0,2.0,3.0,0,0,0,0,0,0,0"); }

    NavigationState state_;
    std::vector<std::string> texts_;
};

TEST_F(NavigationStateTest, GgaBecomesVisibleAtTheNextVec) {
    feed("$GPGGA,123519,4807.038,N,01131.000,W,1,08,0.9,545.4,M,46.9,M,2.7,0031");
    EXPECT_EQ(state_.getPosition().latitude, 0) << "not published yet";
    publishPosition();
    const PositionRecord p = state_.getPosition();
    EXPECT_NEAR(p.latitude, 48 + 7.038 / 60, 1e-12);
    EXPECT_NEAR(p.longitude, -(11 + 31.0 / 60), 1e-12);
    EXPECT_EQ(p.satellitesUsed, 8u);
    EXPECT_DOUBLE_EQ(p.altitude, 545.4);
    EXPECT_DOUBLE_EQ(p.ellipsoidHeight, 545.4 + static_cast<float>(46.9));
    EXPECT_EQ(p.correctionAge, 2);
    EXPECT_EQ(p.referenceStationId, 31);
    EXPECT_EQ(p.fixType, 1) << "VEC mode 0 after a fix keeps an autonomous fix";
    EXPECT_EQ(p.vector, (std::array<double, 3>{1.0, 2.0, 3.0}));
}

TEST_F(NavigationStateTest, GgaQualityAndEmptyFields) {
    feed("$GPGGA,,,,,,,,,,M,,M,,");
    publishPosition();
    EXPECT_EQ(state_.getPosition().fixType, 0) << "empty quality";
    feed("$GPGGA,120000,4807.038,N,01131.000,E,4,12,0.9,1.0,M,2.0,M,,");
    publishPosition();
    EXPECT_EQ(state_.getPosition().fixType, 1) << "any nonzero quality";
    // Three satellites and no altitude or geoid fields at all.
    feed("$GPGGA,120001,4807.038,N,01131.000,E,1,03,10.5,,,,,,");
    publishPosition();
    const PositionRecord p = state_.getPosition();
    EXPECT_EQ(p.satellitesUsed, 3u);
    EXPECT_EQ(p.altitude, 0);
    EXPECT_EQ(p.referenceStationId, 0);
}

TEST_F(NavigationStateTest, PublishOnGgaForReceiversWithoutVec) {
    int publications = 0;
    state_.setPublishObserver([&](NavigationState::Publication what, const Sentence& source) {
        EXPECT_EQ(what, NavigationState::Publication::Position);
        EXPECT_TRUE(source.startsWith("$GPGGA"));
        ++publications;
    });
    state_.setPublishPositionOnGga(true);
    feed("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    EXPECT_EQ(publications, 1);
    EXPECT_NEAR(state_.getPosition().latitude, 48.1173, 1e-4);
}

TEST_F(NavigationStateTest, ABadChecksumChangesNothing) {
    std::string gga = withChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    gga[gga.size() - 3] = gga[gga.size() - 3] == '0' ? '1' : '0';
    feedRaw(gga);
    std::string vec = withChecksum("$PQELR,VEC,1,0,0,1,2,3,0,0,0,0,0,0,0");
    vec[12] = '5';
    feedRaw(vec);
    publishPosition();
    EXPECT_EQ(state_.getPosition().latitude, 0);
    EXPECT_EQ(state_.getPosition().fixType, 0);
}

TEST_F(NavigationStateTest, GsaKeepsTheSatellitesUsed) {
    feed("$GPGSA,A,3,01,40,,,,,,,,,,,1.8,1.0,1.5");
    feed("$GPGSV,1,1,03,01,40,120,44,40,30,200,38,02,10,050,20");
    auto sats = satellites();
    ASSERT_EQ(sats.size(), 3u);
    EXPECT_EQ(sats[0].used, 1);
    EXPECT_EQ(sats[1].prn, 127) << "SBAS 40 is PRN 127";
    EXPECT_EQ(sats[1].used, 1) << "the used list holds mapped numbers too";
    EXPECT_EQ(sats[2].used, 0);
    publishPosition();
    EXPECT_FLOAT_EQ(state_.getPosition().pdop, 1.8f);
    EXPECT_FLOAT_EQ(state_.getPosition().hdop, 1.0f);
    EXPECT_EQ(state_.getPosition().glonassUsed, 0);

    // Combined sentences: GPS starts the epoch, GLONASS is appended.
    feed("$GNGSA,A,3,05,07,,,,,,,,,,,1.2,0.8,0.9");
    feed("$GNGSA,A,3,66,67,,,,,,,,,,,1.2,0.8,0.9");
    feed("$GPGSV,1,1,02,05,40,120,44,01,30,200,38");
    feed("$GLGSV,1,1,02,66,40,120,44,70,30,200,38");
    sats = satellites();
    ASSERT_EQ(sats.size(), 4u);
    EXPECT_EQ((std::vector<int>{sats[0].used, sats[1].used, sats[2].used, sats[3].used}),
              (std::vector<int>{1, 0, 1, 0}));
    publishPosition();
    EXPECT_EQ(state_.getPosition().glonassUsed, 1);
}

TEST_F(NavigationStateTest, GsvCycleFillsAndPublishesTheTable) {
    feed("$GPGSV,3,1,10,01,10,010,41,02,20,020,42,03,30,030,43,04,40,040,44");
    feed("$GPGSV,3,2,10,05,50,050,45,06,60,060,46,07,70,070,47,08,80,080,48");
    EXPECT_TRUE(satellites().empty()) << "nothing published before the last message";
    feed("$GPGSV,3,3,10,09,15,150,39.5,10,25,250,");
    const auto sats = satellites();
    ASSERT_EQ(sats.size(), 10u);
    EXPECT_EQ(sats[8], (SatelliteRecord{9, 15, 150, 40, 0, 0})) << "SNR rounded to nearest";
    EXPECT_EQ(sats[9], (SatelliteRecord{10, 25, 250, 0, 0, 0}));

    // A GLONASS cycle is appended after the GPS satellites.
    feed("$GLGSV,1,1,02,65,45,100,40,66,5,300,30");
    ASSERT_EQ(satellites().size(), 12u);
    EXPECT_EQ(satellites()[10].prn, 65);

    // A new GPS cycle starts the table afresh.
    feed("$GPGSV,1,1,01,12,45,100,40");
    EXPECT_EQ(satellites().size(), 1u);
}

TEST_F(NavigationStateTest, GsvCyclesLongerThanFourMessagesAreRead) {
    // More than 16 satellites of one talker: the receiver needs five messages or more.
    for (int k = 1; k <= 5; ++k) {
        std::string body = "$GPGSV,5," + std::to_string(k) + ",20";
        for (int b = 0; b < 4; ++b) body += "," + std::to_string(4 * (k - 1) + b + 1) + ",45,100,40";
        feed(body);
    }
    const auto sats = satellites();
    ASSERT_EQ(sats.size(), 20u);
    EXPECT_EQ(sats[19].prn, 20);
    // A tenth message cannot exist (one digit), so one cycle carries at most 36 satellites, and
    // the table has room for them all.
    for (int k = 1; k <= 9; ++k) {
        std::string body = "$GPGSV,9," + std::to_string(k) + ",36";
        for (int b = 0; b < 4; ++b) body += "," + std::to_string(4 * (k - 1) + b + 1) + ",45,100,40";
        feed(body);
    }
    EXPECT_EQ(satellites().size(), 36u);
    const size_t before = satellites().size();
    feed("$GPGSV,0,1,04,01,45,100,40");
    feed("$GPGSV,1,0,04,01,45,100,40");
    EXPECT_EQ(satellites().size(), before) << "message numbers outside 1 to 9 are ignored";
}

TEST_F(NavigationStateTest, OnlyTheFirstSignalsGsvCycleFillsTheTable) {
    // One cycle per signal, the signal number last: L1 fills the table, L2 leaves it alone.
    feed("$GPGSV,1,1,02,01,25,070,37,07,13,130,18,1");
    feed("$GPGSV,1,1,01,01,25,070,31,6");
    ASSERT_EQ(satellites().size(), 2u);
    EXPECT_EQ(satellites()[0].snr1, 37);
    // Padded blocks and the "all signals" number are read as before.
    feed("$GPGSV,1,1,01,15,05,057,32,,,,,,,,,,,,,0");
    ASSERT_EQ(satellites().size(), 1u);
    EXPECT_EQ(satellites()[0].prn, 15);
}

TEST_F(NavigationStateTest, ReceiverSignalMessages) {
    // SGL's GLONASS satellites are published by the next SGP, ahead of its GPS satellites.
    std::string sgl = "$PQELR,SGL,08";
    for (int i = 0; i < 8; ++i) sgl += "," + std::to_string(1 + i) + ",100,45,40.4,30.5,0,1,0";
    feed(sgl);
    EXPECT_TRUE(satellites().empty());
    std::string sgp = "$PQELR,SGP,10";
    for (int i = 0; i < 10; ++i) sgp += "," + std::to_string(i == 0 ? 40 : 1 + i) + ",200,30,44.5,20.4,0,4,0";
    feed(sgp);
    const auto sats = satellites();
    ASSERT_EQ(sats.size(), 18u);
    EXPECT_EQ(sats[0], (SatelliteRecord{1, 45, 100, 40, 31, 1})) << "SGL: number kept, used by status";
    EXPECT_EQ(sats[8], (SatelliteRecord{127, 30, 200, 45, 20, 0})) << "SGP maps SBAS, status 4 unused";

    // The working table was emptied: the next SGP publishes only its own.
    feed("$PQELR,SGP,01,5,10,20,30,0,0,2,0");
    EXPECT_EQ(satellites().size(), 1u);
    feed("$PQELR,SGP,28,5,10,20,30,0,0,2,0");
    EXPECT_EQ(satellites().size(), 1u) << "more than 27 satellites is not a valid message";
}

TEST_F(NavigationStateTest, ErrorsCourseAndDatum) {
    feed("$GPGST,172814.0,0.006,0.023,0.020,273.6,3.000,4.000,0.005");
    feed("$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,A");
    feed("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    publishPosition();
    PositionRecord p = state_.getPosition();
    EXPECT_FLOAT_EQ(p.horizontalError, 5.0f);
    EXPECT_FLOAT_EQ(p.horizontalError2, 5.0f);
    EXPECT_FLOAT_EQ(p.verticalError, 0.005f);
    EXPECT_DOUBLE_EQ(p.courseOverGround, 54.7);
    EXPECT_DOUBLE_EQ(p.speedOverGround, 10.2);
    EXPECT_NE(p.ellipsoidHeight, p.altitude);

    feed("$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,N");
    feed("$GPDTM,999,,0.0,N,0.0,E,0.0,W84");
    publishPosition();
    p = state_.getPosition();
    EXPECT_EQ(p.courseOverGround, 0) << "mode N";
    EXPECT_EQ(p.speedOverGround, 0);
    EXPECT_EQ(p.userDatum, 1);
    EXPECT_EQ(p.ellipsoidHeight, p.altitude) << "a user datum has no geoid separation";
}

TEST_F(NavigationStateTest, VecSolutionModes) {
    const std::pair<const char*, int32_t> modes[] = {{"1", 3}, {"2", 4}, {"3", 5}, {"9", 2},
                                                     {"7", 1}, {"0", 1}, {"", 1}};
    feed("$GPGGA,,,,,,,,,,M,,M,,");
    feed("$PQELR,VEC,0,0,0,0,0,0");
    EXPECT_EQ(state_.getPosition().fixType, 0) << "mode 0 keeps no fix";
    for (const auto& [mode, fixType] : modes) {
        feed(std::string("$PQELR,VEC,") + mode + ",0,0,0,0,0");
        EXPECT_EQ(state_.getPosition().fixType, fixType) << "mode '" << mode << "'";
    }
}

TEST_F(NavigationStateTest, ZdaGivesGpsWeekAndTime) {
    struct Row {
        const char* zda;
        uint32_t week;
        double timeOfWeek;
        uint16_t millisecond;
    };
    const Row rows[] = {
        {"$GPZDA,000000.00,06,01,1980,00,00", 0, 15, 0},
        {"$GPZDA,235959.50,30,06,2012,00,00", 1695, 14.5, 500},
        {"$GPZDA,000000.00,01,07,2012,00,00", 1695, 16, 0},
        // Leap seconds after 2012 count too: 17 from July 2015, 18 from 2017.
        {"$GPZDA,120000.00,01,08,2015,,", 1855, 6 * 86400 + 43200 + 17, 0},
        {"$GPZDA,093000.25,07,12,2026,00,00", 2448, 86400 + 9.5 * 3600 + 0.25 + 18, 250},
        // Three fraction digits, one, or none at all.
        {"$GPZDA,093000.125,07,12,2026,00,00", 2448, 86400 + 9.5 * 3600 + 0.125 + 18, 125},
        {"$GPZDA,093000.5,07,12,2026,00,00", 2448, 86400 + 9.5 * 3600 + 0.5 + 18, 500},
        {"$GPZDA,093000,07,12,2026,00,00", 2448, 86400 + 9.5 * 3600 + 18, 0},
        // The end of a week rolls over into the next.
        {"$GPZDA,235959.00,12,12,2026,00,00", 2449, 17, 0},
    };
    for (const auto& row : rows) {
        feed(row.zda);
        publishPosition();
        const PositionRecord p = state_.getPosition();
        EXPECT_EQ(p.gpsWeek, row.week) << row.zda;
        EXPECT_NEAR(p.timeOfWeek, row.timeOfWeek, 1e-6) << row.zda;
        EXPECT_EQ(p.utcMillisecond, row.millisecond) << row.zda;
    }
    feed("$GPZDA,093000.25,07,13,2026,00,00");
    feed("$GPZDA,093000.25,07,00,0000,00,00");
    publishPosition();
    EXPECT_EQ(state_.getPosition().gpsWeek, 2449u) << "an impossible date keeps the last time";
    EXPECT_EQ(state_.getPosition().utcYear, 0) << "but its fields are stored as received";
}

}  // namespace
}  // namespace zentrix::receiver
