// Parsing any NMEA receiver's stream: framing, satellite numbering, epochs, and the real captures
// against a widely used GNSS daemon's decoded output for the same bytes.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "receiver/nmea_receiver/nmea_line_framer.h"
#include "receiver/nmea_receiver/satellite_numbering.h"

namespace zentrix::receiver {
namespace {

std::vector<std::string> frameAll(NmeaLineFramer& framer, std::string_view bytes) {
    std::vector<std::string> out;
    for (char c : bytes) {
        if (framer.feed(static_cast<uint8_t>(c)) == NmeaLineFramer::Feed::Sentence) {
            out.emplace_back(framer.sentence());
        }
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Framer

constexpr std::string_view kGga =
    "$GNGGA,135806.000,4723.00484,N,00045.88150,E,1,13,1.7,063.64,M,48.3,M,,*78";
constexpr std::string_view kVdm = "!AIVDO,1,1,,B,13`kvwO005wJnb0Lfo:@7P8F05`L,0*5B";

TEST(NmeaLineFramer, HandsOutOnlySentencesWithTheRightChecksum) {
    struct Case {
        std::string name;
        std::string bytes;
        std::vector<std::string> expected;
        uint64_t rejected;
    };
    const std::string gga(kGga);
    const std::string ggaNoSum = gga.substr(0, gga.size() - 3);
    const std::string ggaBadSum = gga.substr(0, gga.size() - 2) + "79";
    const std::vector<Case> cases = {
        {"CR LF ends", gga + "\r\n", {gga}, 0},
        {"LF alone ends", gga + "\n", {gga}, 0},
        {"a doubled start counts once", "$" + gga + "\n", {gga}, 0},
        {"AIS start", std::string(kVdm) + "\r\n", {std::string(kVdm)}, 0},
        {"no checksum", ggaNoSum + "\r\n", {}, 1},
        {"wrong checksum", ggaBadSum + "\r\n", {}, 1},
        {"a start restarts", gga.substr(0, 30) + gga + "\r\n", {gga}, 1},
        {"noise between", "x\x01\xff" + gga + "\r\n#junk\r\n\r\n" + gga + "\n", {gga, gga}, 0},
        {"no line end yet", gga, {}, 0},
        {"star but one digit", "$GPTXT,A*4\r\n", {}, 1},
    };
    for (const auto& c : cases) {
        NmeaLineFramer framer;
        EXPECT_EQ(frameAll(framer, c.bytes), c.expected) << c.name;
        EXPECT_EQ(framer.validSentences(), c.expected.size()) << c.name;
        EXPECT_EQ(framer.rejectedSentences(), c.rejected) << c.name;
    }
}

TEST(NmeaLineFramer, ChecksumDigitsOfEitherCase) {
    // "$GPTXT,x*..." whose sum has letters in both digits.
    std::string body = "GPTXT,01,01,02,ANTSTATUS=OK";
    uint8_t sum = 0;
    for (char c : body) sum ^= static_cast<uint8_t>(c);
    char upper[3], lower[3];
    snprintf(upper, sizeof upper, "%02X", sum);
    snprintf(lower, sizeof lower, "%02x", sum);
    NmeaLineFramer framer;
    const auto out =
        frameAll(framer, "$" + body + "*" + upper + "\r\n$" + body + "*" + lower + "\n");
    EXPECT_EQ(out.size(), 2u);
}

TEST(NmeaLineFramer, OverlongSentenceIsDroppedAndFramingRecovers) {
    std::string body = "GPTXT,";
    body.append(NmeaLineFramer::kMaxSentenceBytes, 'A');
    uint8_t sum = 0;
    for (char c : body) sum ^= static_cast<uint8_t>(c);
    char digits[3];
    snprintf(digits, sizeof digits, "%02X", sum);
    NmeaLineFramer framer;
    const auto out =
        frameAll(framer, "$" + body + "*" + digits + "\r\n" + std::string(kGga) + "\r\n");
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], kGga);
    EXPECT_EQ(framer.rejectedSentences(), 1u);

    // The longest that fits is handed out whole.
    std::string longest = "GPTXT,";
    longest.append(NmeaLineFramer::kMaxSentenceBytes - longest.size() - 4, 'B');
    sum = 0;
    for (char c : longest) sum ^= static_cast<uint8_t>(c);
    snprintf(digits, sizeof digits, "%02X", sum);
    const std::string full = "$" + longest + "*" + digits;
    ASSERT_EQ(full.size(), NmeaLineFramer::kMaxSentenceBytes);
    EXPECT_EQ(frameAll(framer, full + "\n"), std::vector<std::string>{full});
}

TEST(NmeaLineFramer, ResetForgetsAHalfSentenceAndTheCounts) {
    NmeaLineFramer framer;
    frameAll(framer, std::string(kGga) + "\n" + std::string(kGga).substr(0, 20));
    framer.reset();
    EXPECT_EQ(framer.validSentences(), 0u);
    // The rest of the cut sentence has no start: nothing.
    EXPECT_TRUE(frameAll(framer, std::string(kGga).substr(20) + "\n").empty());
    EXPECT_EQ(frameAll(framer, std::string(kGga) + "\n").size(), 1u);
}

// ---------------------------------------------------------------------------------------------
// Numbering

TEST(SatelliteNumbering, CanonicalNumberFromTalkerSystemIdAndNmeaId) {
    struct Case {
        const char* talker;
        uint32_t systemId;
        int32_t id;
        int32_t expected;
    };
    const Case cases[] = {
        // Mixed talkers without a system id: the NMEA 2.x ranges.
        {"GP", 0, 1, 1},
        {"GP", 0, 32, 32},
        {"GP", 0, 33, 120},
        {"GP", 0, 51, 138},
        {"GP", 0, 64, 151},
        {"GP", 0, 65, 65},
        {"GN", 0, 96, 96},
        {"GP", 0, 131, 131},
        {"GP", 0, 158, 158},
        {"GP", 0, 193, 193},
        {"GP", 0, 202, 202},
        {"GP", 0, 214, 414},
        {"GN", 0, 263, 463},
        {"GN", 0, 305, 305},
        {"GN", 0, 420, 420},
        {"GP", 0, 97, 0},
        {"GP", 0, 159, 0},
        {"GP", 0, 0, 0},
        {"GP", 0, -3, 0},
        {"GP", 0, 500, 0},
        // Talkers that name their system.
        {"GL", 0, 5, 69},
        {"GL", 0, 88, 88},
        {"GL", 0, 33, 0},
        {"GA", 0, 24, 324},
        {"GA", 0, 36, 336},
        {"GA", 0, 37, 0},
        {"GA", 0, 311, 311},
        {"GB", 0, 44, 444},
        {"BD", 0, 14, 414},
        {"BD", 0, 214, 414},
        {"BD", 0, 63, 463},
        {"GQ", 0, 1, 193},
        {"QZ", 0, 10, 202},
        {"GQ", 0, 11, 0},
        {"GI", 0, 5, 0},
        // The NMEA 4.10 system id wins over the talker.
        {"GN", 1, 27, 27},
        {"GN", 1, 46, 133},
        {"GN", 1, 195, 195},
        {"GN", 2, 82, 82},
        {"GN", 2, 14, 78},
        {"GN", 3, 24, 324},
        {"GN", 4, 44, 444},
        {"GN", 4, 214, 414},
        {"GN", 5, 2, 194},
        {"GN", 6, 3, 0},
        {"GN", 7, 3, 0},
        {"GP", 3, 5, 305},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(canonicalSatelliteNumber(c.talker, c.systemId, c.id), c.expected)
            << c.talker << " system " << c.systemId << " id " << c.id;
    }
}

TEST(SatelliteNumbering, SystemOfEveryRangeAndItsEdges) {
    struct Case {
        int32_t number;
        GnssSystem expected;
    };
    const Case cases[] = {
        {0, GnssSystem::Unknown},   {1, GnssSystem::Gps},       {32, GnssSystem::Gps},
        {33, GnssSystem::Unknown},  {64, GnssSystem::Unknown},  {65, GnssSystem::Glonass},
        {96, GnssSystem::Glonass},  {119, GnssSystem::Unknown}, {120, GnssSystem::Sbas},
        {158, GnssSystem::Sbas},    {192, GnssSystem::Unknown}, {193, GnssSystem::Qzss},
        {202, GnssSystem::Qzss},    {300, GnssSystem::Unknown}, {301, GnssSystem::Galileo},
        {336, GnssSystem::Galileo}, {337, GnssSystem::Unknown}, {401, GnssSystem::Beidou},
        {463, GnssSystem::Beidou},  {464, GnssSystem::Unknown},
    };
    for (const auto& c : cases) EXPECT_EQ(systemOf(c.number), c.expected) << c.number;
}

TEST(SatelliteNumbering, BandOfEachSystemsSignalIds) {
    using S = GnssSystem;
    using B = SignalBand;
    struct Case {
        GnssSystem system;
        uint32_t signal;
        SignalBand expected;
    };
    const Case cases[] = {
        {S::Gps, 0, B::First},      {S::Gps, 1, B::First},      {S::Gps, 4, B::Second},
        {S::Gps, 5, B::Second},     {S::Gps, 6, B::Second},     {S::Gps, 7, B::Second},
        {S::Gps, 8, B::Second},     {S::Gps, 9, B::First},      {S::Glonass, 1, B::First},
        {S::Glonass, 3, B::Second}, {S::Galileo, 7, B::First},  {S::Galileo, 6, B::First},
        {S::Galileo, 1, B::Second}, {S::Galileo, 2, B::Second}, {S::Beidou, 1, B::First},
        {S::Beidou, 3, B::First},   {S::Beidou, 5, B::Second},  {S::Beidou, 0xB, B::Second},
        {S::Qzss, 1, B::First},     {S::Qzss, 5, B::Second},    {S::Sbas, 1, B::First},
        {S::Unknown, 5, B::First},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bandOf(c.system, c.signal), c.expected)
            << static_cast<int>(c.system) << " signal " << c.signal;
    }
}

}  // namespace
}  // namespace zentrix::receiver
