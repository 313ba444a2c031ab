#include "tools/replay/replay.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>

#include "tests/support/comma_locale.h"
#include "tests/support/nmea.h"

namespace zentrix::replay {
namespace {

using nlohmann::json;

TEST(Replay, StoredCapturesGetTheirLineEndsBack) {
    EXPECT_EQ(lineBytesOf("# Name: x\n# Notes\n$GPGGA,1\n$GPGSV,2\r\n#not a note\nlast"),
              "$GPGGA,1\r\n$GPGSV,2\r\n#not a note\r\nlast");
    EXPECT_EQ(lineBytesOf(""), "");
    EXPECT_EQ(lineBytesOf("\n\n"), "\r\n\r\n");
}

TEST(Replay, OneJsonLinePerPublishedSnapshot) {
    const std::string log =
        test::withChecksum("$GPGSV,1,1,02,05,40,120,44.6,40,30,200,") +
        test::withChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") +
        test::withChecksum("$GPZDA,093000.25,07,12,2026,00,00") +
        test::withChecksum("$PQELR,VEC,1,0,0,0,0,0");
    std::vector<std::string> lines;
    replay(log, {}, [&](const std::string& line) { lines.push_back(line); });
    ASSERT_EQ(lines.size(), 2u) << "GGA alone publishes nothing without the option";

    const json sky = json::parse(lines[0]);
    EXPECT_EQ(sky["type"], "satellites");
    EXPECT_EQ(sky["count"], 2);
    EXPECT_EQ(sky["satellites"][0],
              json::parse(R"({"prn":5,"elevation":40,"azimuth":120,"snr1":45,"snr2":0,"used":0})"));
    EXPECT_EQ(sky["satellites"][1]["prn"], 127);
    EXPECT_EQ(sky["source"].get<std::string>().rfind("$GPGSV,1,1,02,05,40,120,44.6,40,30,200,*", 0), 0u)
        << "the sentence without its line end";

    const json fix = json::parse(lines[1]);
    EXPECT_EQ(fix["type"], "position");
    EXPECT_EQ(fix["latitude"].get<double>(), 48 + 7.038 / 60) << "full double precision";
    EXPECT_EQ(fix["fixType"], 3);
    EXPECT_EQ(fix["altitude"], 545.4);
    EXPECT_EQ(fix["utc"], "2026-12-07T09:30:00.250");
    EXPECT_EQ(fix["gpsWeek"], 2448);
    EXPECT_EQ(fix["source"].get<std::string>().rfind("$PQELR,VEC,1,", 0), 0u);
    for (const char* key : {"longitude", "ellipsoidHeight", "satellitesUsed", "pdop", "hdop",
                            "correctionAge", "referenceStationId", "horizontalError",
                            "verticalError", "timeOfWeek", "courseOverGround", "speedOverGround"}) {
        EXPECT_TRUE(fix.contains(key)) << key;
    }

    lines.clear();
    replay(log, {.publishOnGga = true}, [&](const std::string& line) { lines.push_back(line); });
    EXPECT_EQ(lines.size(), 3u);
}

// The numbers of the JSON lines carry "." under a locale with a decimal comma, and a value that
// is not finite is null rather than a word no JSON reader takes.
TEST(Replay, NumbersAreJsonWhateverTheLocale) {
    test::ScopedCommaLocale comma;
    ASSERT_TRUE(comma.active());
    std::vector<std::string> lines;
    replay(test::withChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") +
               test::withChecksum("$PQELR,VEC,1,0,0,0,0,0"),
           {}, [&](const std::string& line) { lines.push_back(line); });
    ASSERT_EQ(lines.size(), 1u);
    const json fix = json::parse(lines[0], nullptr, false);
    ASSERT_FALSE(fix.is_discarded()) << lines[0];
    EXPECT_EQ(fix["altitude"], 545.4);
    EXPECT_EQ(fix["longitude"].get<double>(), 11 + 31.0 / 60);

    receiver::PositionRecord odd{};
    odd.latitude = NAN;
    odd.longitude = -INFINITY;
    odd.altitude = 0.5f;
    const json parsed = json::parse(positionJson(odd, ""), nullptr, false);
    ASSERT_FALSE(parsed.is_discarded()) << positionJson(odd, "");
    EXPECT_TRUE(parsed["latitude"].is_null());
    EXPECT_TRUE(parsed["longitude"].is_null());
    EXPECT_EQ(parsed["altitude"], 0.5);
}

TEST(Replay, AnyByteInASourceStaysValidJson) {
    std::string garbage = "$GPGSV,1,1,01,05,40,120,44";
    garbage += std::string("\x01\"\\\xFF", 4);
    std::vector<std::string> lines;
    replay(test::withChecksum(garbage), {.raw = true},
           [&](const std::string& line) { lines.push_back(line); });
    ASSERT_EQ(lines.size(), 1u);
    const json parsed = json::parse(lines[0], nullptr, false);
    ASSERT_FALSE(parsed.is_discarded()) << lines[0];
    EXPECT_EQ(parsed["source"].get<std::string>().substr(26, 3), "\x01\"\\");
}

}  // namespace
}  // namespace zentrix::replay

namespace zentrix::replay {
namespace {

TEST(ReplaySourceTable, EveryStreamOfASavedTableAsOneJsonObject) {
    // Saved without the caster's status line, with a stream line before the end and one after it.
    const std::string saved =
        "CAS;caster.example;2101;EX;Org;0;DEU;50.1;8.7;0.0.0.0;0;http://x\r\n"
        "STR;FFMJ00DEU0;Frankfurt;RTCM 3.3;1004(1),1006(10);2;GPS+GLO;EUREF;DEU;50.09;8.66;0;0;"
        "Gen \"A\";none;B;N;6400;misc\r\n"
        "STR;SHORT;x\r\n"
        "ENDSOURCETABLE\r\n"
        "STR;AFTER;y\r\n";
    std::vector<nlohmann::json> stations;
    sourceTableStations(saved, [&](const std::string& line) {
        stations.push_back(nlohmann::json::parse(line));
    });
    ASSERT_EQ(stations.size(), 2u);
    const auto& first = stations[0];
    EXPECT_EQ(first["mountPoint"], "FFMJ00DEU0");
    EXPECT_EQ(first["formatDetails"], "1004(1),1006(10)");
    EXPECT_EQ(first["carrier"], 2);
    EXPECT_EQ(first["latitude"], 50.09);
    EXPECT_EQ(first["generator"], "Gen \"A\"");
    EXPECT_EQ(first["fee"], "N");
    EXPECT_EQ(first["bitrate"], 6400);
    const char* keys[] = {"mountPoint", "identifier", "format", "formatDetails", "carrier",
                          "navSystem", "network", "country", "latitude", "longitude", "nmea",
                          "solution", "generator", "compression", "authentication", "fee",
                          "bitrate"};
    EXPECT_EQ(first.size(), std::size(keys));
    for (const char* key : keys) EXPECT_TRUE(first.contains(key)) << key;
    EXPECT_EQ(stations[1]["mountPoint"], "SHORT");
    EXPECT_EQ(stations[1]["bitrate"], 0) << "a short line leaves the rest empty";

    const std::vector<std::string> args = {"--sourcetable", "table.txt"};
    const auto command = parseCommandLine(args);
    ASSERT_TRUE(command);
    EXPECT_EQ(command->sourceTableFile, "table.txt");
    const std::vector<std::string> mixed = {"--sourcetable", "table.txt", "log.txt"};
    EXPECT_FALSE(parseCommandLine(mixed));
}

}  // namespace
}  // namespace zentrix::replay
