// Real SiRF binary captures against a widely used GNSS daemon's decoding of the same bytes.
//
// The daemon's `.chk` files hold its reports (TPV positions, SKY satellites) for each capture. The
// receiver state here is smaller than the daemon's, and built by its own rules, so each comparison
// takes the part both report; every difference that comes from one of those rules is named where
// it is allowed, nothing is skipped silently.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "receiver/nmea/byte_source.h"
#include "receiver/sirf/sirf_framer.h"
#include "receiver/sirf/sirf_reader.h"
#include "tests/support/testdata.h"

namespace zentrix::receiver {
namespace {

using nlohmann::json;

std::vector<json> reportsOfClass(const std::string& log, const std::string& jsonClass) {
    std::vector<json> reports;
    std::istringstream chk(test::readFile(test::testdataPath("gpsd/" + log + ".log.chk")));
    for (std::string line; std::getline(chk, line);) {
        if (line.empty() || line[0] != '{')
            continue;
        json report = json::parse(line, nullptr, false);
        if (report.value("class", "") == jsonClass)
            reports.push_back(std::move(report));
    }
    return reports;
}

/// Feeds a capture frame by frame through a reader and calls `after` with each frame's kind.
template <typename After>
void replay(const std::string& log, SirfReader& reader, After&& after) {
    const std::string bytes = test::readFile(test::testdataPath("gpsd/" + log + ".log"));
    ASSERT_FALSE(bytes.empty()) << "missing test data: " << log;
    auto framer = std::make_unique<SirfFramer>();
    for (const char c : bytes) {
        if (framer->feed(static_cast<uint8_t>(c)) != SirfFramer::Feed::Complete)
            continue;
        reader.dispatch(*framer);
        after(framer->kind());
    }
}

TEST(SirfRealLogsTest, EveryFrameOfEveryCaptureIsFramed) {
    // Frame counts from the test data's notes: every frame in these files has a valid checksum.
    struct Row {
        const char* log;
        int frames, geodetic, tracker, okToSend;
    };
    const Row rows[] = {
        {"sirfstarv", 495, 59, 19, 0},   {"ublox-sirf1", 42, 0, 7, 6},
        {"bu303-moving", 65, 11, 11, 0}, {"bu303-stillfix", 64, 11, 11, 0},
        {"bu303b-nofix", 43, 6, 7, 0},
    };
    for (const Row& row : rows) {
        MemoryByteSource none("");
        SirfReader reader(none);
        std::map<SirfFrameKind, int> kinds;
        int frames = 0;
        replay(row.log, reader, [&](SirfFrameKind kind) {
            ++frames;
            ++kinds[kind];
        });
        EXPECT_EQ(frames, row.frames) << row.log;
        EXPECT_EQ(kinds[SirfFrameKind::GeodeticNavigation], row.geodetic) << row.log;
        EXPECT_EQ(kinds[SirfFrameKind::TrackerData], row.tracker) << row.log;
        EXPECT_EQ(kinds[SirfFrameKind::OkToSend], row.okToSend) << row.log;
    }
}

std::string secondOf(const PositionRecord& p) {
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", p.utcYear, p.utcMonth,
                  p.utcDay, p.utcHour, p.utcMinute, p.utcSecond);
    return text;
}

TEST(SirfRealLogsTest, PositionsEqualTheDaemonsReports) {
    const std::vector<json> tpv = reportsOfClass("sirfstarv", "TPV");
    ASSERT_FALSE(tpv.empty());
    std::vector<PositionRecord> positions;
    MemoryByteSource none("");
    SirfReader reader(none);
    replay("sirfstarv", reader, [&](SirfFrameKind kind) {
        if (kind == SirfFrameKind::GeodeticNavigation)
            positions.push_back(reader.getPosition());
    });
    ASSERT_EQ(positions.size(), 59u);

    // The daemon reports a position when the chip's next cycle begins; the capture ends before
    // the last one's does.
    positions.pop_back();
    int full = 0, horizontal = 0, invalid = 0;
    for (const PositionRecord& p : positions) {
        const json* match = nullptr;
        for (const json& t : tpv) {
            if (t.value("time", "").substr(0, 19) == secondOf(p) &&
                std::abs(t.value("lat", 0.0) - p.latitude) <= 1.01e-7 &&
                std::abs(t.value("lon", 0.0) - p.longitude) <= 1.01e-7) {
                match = &t;
                break;
            }
        }
        if (p.satellitesUsed == 0) {
            // Rule: every MID 41 is published, also one whose navigation is not valid; the daemon
            // reports none of those.
            EXPECT_EQ(match, nullptr) << secondOf(p);
            ++invalid;
            continue;
        }
        ASSERT_NE(match, nullptr) << secondOf(p);
        EXPECT_NEAR(match->value("track", 0.0), p.courseOverGround, 0.005) << secondOf(p);
        EXPECT_NEAR(match->value("speed", 0.0) * 3.6, p.speedOverGround, 0.005 * 3.6);
        if (p.satellitesUsed < 4) {
            // Rule: the chip's altitude is taken as sent; with fewer than four satellites the
            // daemon keeps the altitude of another message for its two-dimensional fix.
            ++horizontal;
            continue;
        }
        EXPECT_NEAR(match->value("altHAE", 0.0), p.ellipsoidHeight, 0.01) << secondOf(p);
        EXPECT_NEAR(match->value("altMSL", 0.0), p.altitude, 0.01) << secondOf(p);
        ++full;
    }
    EXPECT_EQ(full, 49);
    EXPECT_EQ(horizontal, 3);
    EXPECT_EQ(invalid, 6);
}

TEST(SirfRealLogsTest, SatellitesEqualTheDaemonsReports) {
    // Only this capture's sky reports come from tracker data (MID 4); the other's come from the
    // chip's multi-constellation messages, which this receiver does not read.
    std::vector<json> sky = reportsOfClass("ublox-sirf1", "SKY");
    std::erase_if(sky, [](const json& s) { return !s.contains("satellites"); });
    std::vector<SatelliteTable> tables;
    MemoryByteSource none("");
    SirfReader reader(none);
    replay("ublox-sirf1", reader, [&](SirfFrameKind kind) {
        if (kind == SirfFrameKind::TrackerData)
            tables.push_back(reader.getSatellites());
    });
    ASSERT_EQ(tables.size(), sky.size());
    for (size_t i = 0; i < tables.size(); ++i) {
        const json& satellites = sky[i]["satellites"];
        ASSERT_EQ(tables[i].count, satellites.size()) << i;
        for (size_t k = 0; k < tables[i].count; ++k) {
            const SatelliteRecord& ours = tables[i].entries[k];
            const json& theirs = satellites[k];
            EXPECT_EQ(ours.prn, theirs.value("PRN", -1)) << i << "/" << k;
            // Rule: whole degrees, cut, as the displays take them.
            EXPECT_EQ(ours.azimuth, static_cast<int>(theirs.value("az", -1.0))) << i << "/" << k;
            EXPECT_EQ(ours.elevation, static_cast<int>(theirs.value("el", -1.0))) << i << "/" << k;
            // Rule: the signal is the last of the ten C/N0 values, the daemon's their mean; a
            // channel without signal is without signal in both.
            EXPECT_EQ(ours.snr1 == 0, theirs.value("ss", -1.0) == 0.0) << i << "/" << k;
            // Rule: "used" comes from the latest geodetic navigation message, which this chip
            // does not send; the daemon takes it from the tracker's own state bits.
            EXPECT_EQ(ours.used, 0);
        }
    }
}

}  // namespace
}  // namespace zentrix::receiver
