// Reading the chip's messages into the receiver state, and the reader's handling of each kind.
#include "receiver/sirf/sirf_messages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "receiver/nmea/byte_source.h"
#include "receiver/sirf/sirf_reader.h"

namespace zentrix::receiver {
namespace {

void put16(std::vector<uint8_t>& p, size_t at, uint32_t v) {
    p[at] = static_cast<uint8_t>(v >> 8);
    p[at + 1] = static_cast<uint8_t>(v);
}
void put32(std::vector<uint8_t>& p, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) p[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

struct Geodetic {
    uint16_t navigationType = 0x0004;
    int32_t latitude = -338567890;  // 1e-7 degrees
    int32_t longitude = 1512345678;
    uint32_t horizontalError = 250;  // cm
    uint32_t verticalError = 500;
    uint32_t mask = (1u << 0) | (1u << 6) | (1u << 31);
    uint8_t satellites = 3;
    uint8_t hdop = 6;  // x 0.2
};

std::vector<uint8_t> geodeticPayload(const Geodetic& g) {
    std::vector<uint8_t> p(91, 0);
    p[0] = 41;
    put16(p, 3, g.navigationType);
    put16(p, 5, 1745);
    put32(p, 7, 345600123);
    put16(p, 11, 2013);
    p[13] = 3;
    p[14] = 18;
    p[15] = 23;
    p[16] = 59;
    put16(p, 17, 58999);
    put32(p, 19, g.mask);
    put32(p, 23, static_cast<uint32_t>(g.latitude));
    put32(p, 27, static_cast<uint32_t>(g.longitude));
    put32(p, 31, static_cast<uint32_t>(-1234));  // ellipsoid, cm
    put32(p, 35, 4321);                          // sea level, cm
    put16(p, 40, 1000);                          // cm/s
    put16(p, 42, 35999);                         // 0.01 degrees
    put32(p, 50, g.horizontalError);
    put32(p, 54, g.verticalError);
    p[88] = g.satellites;
    p[89] = g.hdop;
    return p;
}

std::vector<uint8_t> trackerPayload(uint8_t statedChannels, size_t channels) {
    std::vector<uint8_t> p(8 + 15 * channels, 0);
    p[0] = 4;
    p[7] = statedChannels;
    for (size_t c = 0; c < channels; ++c) {
        uint8_t* ch = &p[8 + 15 * c];
        ch[0] = static_cast<uint8_t>(c + 1);
        ch[1] = 101;  // x 1.5 degrees
        ch[2] = 91;   // x 0.5 degrees
        for (int k = 0; k < 10; ++k) ch[5 + k] = static_cast<uint8_t>(30 + k);
    }
    return p;
}

TEST(SirfMessagesTest, GeodeticNavigationFillsThePosition) {
    PositionRecord p;
    UsedPrns used;
    decodeGeodeticNavigation(geodeticPayload({}), p, used);
    EXPECT_EQ(p.fixType, 1);
    EXPECT_EQ(p.gpsWeek, 1745u);
    EXPECT_DOUBLE_EQ(p.timeOfWeek, 345600.123);
    EXPECT_EQ(std::vector<int>({p.utcYear, p.utcMonth, p.utcDay, p.utcHour, p.utcMinute,
                                p.utcSecond, p.utcMillisecond}),
              std::vector<int>({2013, 3, 18, 23, 59, 58, 999}));
    EXPECT_NEAR(p.latitude, -33.856789, 1e-12);
    EXPECT_NEAR(p.longitude, 151.2345678, 1e-12);
    EXPECT_NEAR(p.ellipsoidHeight, -12.34, 1e-9);
    EXPECT_NEAR(p.altitude, 43.21, 1e-9);
    EXPECT_NEAR(p.speedOverGround, 36.0, 1e-9);
    EXPECT_NEAR(p.courseOverGround, 359.99, 1e-9);
    EXPECT_FLOAT_EQ(p.horizontalError, 2.5f);
    EXPECT_FLOAT_EQ(p.verticalError2, 5.0f);
    EXPECT_EQ(p.satellitesUsed, 3u);
    EXPECT_FLOAT_EQ(p.hdop, 1.2f);
    EXPECT_NEAR(p.pdop, std::sqrt(1.2 * 1.2 + 2.4 * 2.4), 1e-6);
    ASSERT_EQ(used.count, 3u);
    EXPECT_TRUE(used.contains(1) && used.contains(7) && used.contains(32));
    EXPECT_FALSE(used.contains(2));

    Geodetic sbas;
    sbas.navigationType = 0x0084;
    decodeGeodeticNavigation(geodeticPayload(sbas), p, used);
    EXPECT_EQ(p.fixType, 2) << "bit 7 of the navigation type's low byte";

    Geodetic noHorizontalError;
    noHorizontalError.horizontalError = 0;
    decodeGeodeticNavigation(geodeticPayload(noHorizontalError), p, used);
    EXPECT_EQ(p.pdop, 0.0f);
}

TEST(SirfMessagesTest, ShortPayloadsReadAsZerosAndChannelsAreCut) {
    PositionRecord p;
    p.latitude = 5;
    UsedPrns used;
    std::vector<uint8_t> cut = geodeticPayload({});
    cut.resize(25);  // ends inside the latitude
    decodeGeodeticNavigation(cut, p, used);
    EXPECT_EQ(p.satellitesUsed, 0u);
    EXPECT_NEAR(p.latitude, static_cast<int32_t>(cut[23] << 24 | cut[24] << 16) * 1e-7, 1e-9);
    EXPECT_EQ(p.horizontalError, 0.0f);

    used.prns[0] = 2;
    used.count = 1;
    struct Row {
        const char* legend;
        uint8_t stated;
        size_t present;
        uint32_t expected;
    };
    const Row rows[] = {
        {"as stated", 12, 12, 12},
        {"a count beyond the payload", 200, 3, 3},
        {"more channels than records", kMaxSatellites + 8, kMaxSatellites + 8, kMaxSatellites},
        {"no channel at all", 0, 0, 0},
    };
    for (const Row& row : rows) {
        SatelliteTable table;
        table.entries[20].prn = 99;
        decodeTrackerData(trackerPayload(row.stated, row.present), used, table);
        EXPECT_EQ(table.count, row.expected) << row.legend;
        EXPECT_EQ(table.entries[20].prn, row.expected > 20 ? 21 : 0) << row.legend;
    }
    SatelliteTable table;
    decodeTrackerData(trackerPayload(2, 2), used, table);
    EXPECT_EQ(table.entries[1], (SatelliteRecord{2, 45, 151, 39, 0, 1}));
    EXPECT_EQ(table.entries[0].used, 0);
}

TEST(SirfMessagesTest, TheReaderKeepsFlagsTextsAndSnapshots) {
    std::vector<uint8_t> version(120, 'v');
    version[0] = 6;
    std::vector<uint8_t> nav(65, 0);
    nav[0] = 19;
    nav[27] = 1;
    std::string stream = sirfFrame(version) + sirfFrame(SirfPayload{18, 1}) +
                         sirfFrame(geodeticPayload({})) + sirfFrame(trackerPayload(3, 3)) +
                         sirfFrame(nav) + "$PQELR,NAK\r\n";
    MemoryByteSource source(stream);
    SirfReader reader(source);
    EXPECT_EQ(reader.run(), 0u);
    EXPECT_EQ(reader.getVersion(), std::string(80, 'v')) << "cut at 80 characters";
    EXPECT_TRUE(reader.okToSend());
    EXPECT_FALSE(reader.acknowledged());
    EXPECT_EQ(reader.protocol(), SirfProtocol::Nmea) << "the last frame start";
    EXPECT_EQ(reader.getPosition().satellitesUsed, 3u);
    const SatelliteTable table = reader.getSatellites();
    ASSERT_EQ(table.count, 3u);
    EXPECT_EQ(table.entries[0].used, 1) << "PRN 1 is in the fix";
    EXPECT_EQ(table.entries[1].used, 0);
    EXPECT_TRUE(reader.getNavigationParameters().sbasOn());
    EXPECT_FALSE(reader.fixEvent().exists()) << "events live only as long as the thread";
}

}  // namespace
}  // namespace zentrix::receiver
