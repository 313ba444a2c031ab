// The GPS-only chip's framer: one table of byte streams and the frames they must give.
#include "receiver/sirf/sirf_framer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "receiver/sirf/sirf_messages.h"

namespace zentrix::receiver {
namespace {

using Kind = SirfFrameKind;

struct Framed {
    Kind kind;
    std::string bytes;
    bool operator==(const Framed&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Framed& f) {
    return os << "{kind " << static_cast<int>(f.kind) << ", " << f.bytes.size() << " bytes}";
}

std::vector<Framed> frameAll(const std::string& bytes) {
    SirfFramer framer;
    std::vector<Framed> out;
    for (const char c : bytes) {
        if (framer.feed(static_cast<uint8_t>(c)) == SirfFramer::Feed::Complete) {
            const auto f = framer.frame();
            out.push_back(
                {framer.kind(), std::string(reinterpret_cast<const char*>(f.data()), f.size())});
        }
    }
    return out;
}

std::string frame(std::vector<uint8_t> payload) {
    return sirfFrame(payload);
}

/// A frame whose checksum is stated as `checksum` rather than the payload's sum.
std::string frameWithChecksum(const std::vector<uint8_t>& payload, uint16_t checksum) {
    std::string f = sirfFrame(payload);
    f[f.size() - 4] = static_cast<char>(checksum >> 8);
    f[f.size() - 3] = static_cast<char>(checksum & 0xFF);
    return f;
}

// A tracker-data payload whose bytes add up to more than 32767.
std::vector<uint8_t> heavyPayload() {
    std::vector<uint8_t> p(188, 0xC8);
    p[0] = 4;
    return p;
}

TEST(SirfFramerTest, FramesWhatTheChipSendsAndDropsWhatIsBroken) {
    const std::string gga =
        "$GPGGA,120000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
    const std::string ack = frame({11, 133});
    const std::string geodetic = frame({41, 0, 0, 0, 4});
    const std::vector<uint8_t> heavy = heavyPayload();
    uint32_t heavySum = 0;
    for (const uint8_t b : heavy) heavySum += b;
    const std::string longNmea = "$GP" + std::string(SirfFramer::kFrameBufferBytes, 'x') + "\r\n";
    std::vector<uint8_t> largest(SirfFramer::kMaxPayloadBytes, 0);
    largest[0] = 200;

    struct Row {
        const char* legend;
        std::string bytes;
        std::vector<Framed> expected;
    };
    const std::vector<Row> rows = {
        {"each binary kind by its MID",
         frame({11, 1}) + frame({12, 1}) + frame({18, 1}) + frame({18, 0}) + frame({41, 0}) +
             frame({19, 0}) + frame({4, 0}) + frame({6, 'V'}) + frame({7, 0}) + frame({200}),
         {{Kind::Acknowledge, frame({11, 1})},
          {Kind::NotAcknowledged, frame({12, 1})},
          {Kind::OkToSend, frame({18, 1})},
          {Kind::NotOkToSend, frame({18, 0})},
          {Kind::GeodeticNavigation, frame({41, 0})},
          {Kind::NavigationParameters, frame({19, 0})},
          {Kind::TrackerData, frame({4, 0})},
          {Kind::SoftwareVersion, frame({6, 'V'})},
          {Kind::ClockStatus, frame({7, 0})},
          {Kind::Other, frame({200})}}},
        {"each NMEA head, and heads of no kind",
         gga +
             "$GPVTG,,T,,M,0.0,N,0.0,K*4E\r\n$PQELR,ACK*00\r\n$PQELR,NAK\r\n$GNGGA,1\r\n$PSRF1\r\n",
         {{Kind::NmeaGga, gga},
          {Kind::NmeaVtg, "$GPVTG,,T,,M,0.0,N,0.0,K*4E\r\n"},
          {Kind::Acknowledge, "$PQELR,ACK*00\r\n"},
          {Kind::NotAcknowledged, "$PQELR,NAK\r\n"},
          {Kind::Other, "$GNGGA,1\r\n"},
          {Kind::Other, "$PSRF1\r\n"}}},
        {"noise and a start of neither kind between frames",
         "\x01\xA0\x01$X,1\r\n\xB0\xB3" + ack + "$$" + gga,
         {{Kind::Acknowledge, ack}, {Kind::NmeaGga, gga}}},
        {"NMEA and binary interleaved, an NMEA sentence cut off by a binary frame",
         "$GPGGA,12" + ack + gga + geodetic,
         {{Kind::Acknowledge, ack}, {Kind::NmeaGga, gga}, {Kind::GeodeticNavigation, geodetic}}},
        {"a sentence without its line feed is dropped", "$GPGGA,1\r" + gga, {{Kind::NmeaGga, gga}}},
        {"a checksum that lies drops its frame only",
         frameWithChecksum({11, 133}, 0x1234) + ack,
         {{Kind::Acknowledge, ack}}},
        {"bad end bytes drop the frame",
         ack.substr(0, ack.size() - 1) + "\xB4" + geodetic,
         {{Kind::GeodeticNavigation, geodetic}}},
        {"a length of 0 restarts the search",
         std::string("\xA0\xA2\x00\x00", 4) + ack,
         {{Kind::Acknowledge, ack}}},
        {"a length beyond the buffer restarts the search",
         "\xA0\xA2\x7F\xFF" + ack,
         {{Kind::Acknowledge, ack}}},
        {"a length above the protocol's 1023 bytes restarts the search at once",
         std::string("\xA0\xA2\x04\x00", 4) + ack + geodetic,
         {{Kind::Acknowledge, ack}, {Kind::GeodeticNavigation, geodetic}}},
        {"a length that lies swallows what follows, then the search restarts",
         std::string("\xA0\xA2\x00\x05\x29", 5) + ack + geodetic,
         {{Kind::GeodeticNavigation, geodetic}}},
        {"a frame cut off at the end of the stream",
         ack + geodetic.substr(0, 6),
         {{Kind::Acknowledge, ack}}},
        {"a large sum is accepted as 16 bits and as the chip's 15 bits",
         frameWithChecksum(heavy, static_cast<uint16_t>(heavySum & 0xFFFF)) +
             frameWithChecksum(heavy, static_cast<uint16_t>(heavySum & 0x7FFF)) +
             frameWithChecksum(heavy, static_cast<uint16_t>((heavySum + 1) & 0x7FFF)),
         {{Kind::TrackerData, frameWithChecksum(heavy, static_cast<uint16_t>(heavySum & 0xFFFF))},
          {Kind::TrackerData, frameWithChecksum(heavy, static_cast<uint16_t>(heavySum & 0x7FFF))}}},
        {"a sentence longer than the buffer is dropped", longNmea + gga, {{Kind::NmeaGga, gga}}},
        {"the largest payload that fits",
         frame(largest) + ack,
         {{Kind::Other, frame(largest)}, {Kind::Acknowledge, ack}}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(frameAll(row.bytes), row.expected) << row.legend;
    }
}

TEST(SirfFramerTest, ReportsFrameStartsWithTheirProtocol) {
    struct Row {
        std::string bytes;
        int starts;
        SirfProtocol protocol;
    };
    const Row rows[] = {
        {"$G", 1, SirfProtocol::Nmea},
        {"$P", 1, SirfProtocol::Nmea},
        {"$Q\xA0\x01", 0, SirfProtocol::None},
        {"\xA0\xA2", 1, SirfProtocol::Binary},
        {"$GP\xA0\xA2", 2, SirfProtocol::Binary},
    };
    for (const Row& row : rows) {
        SirfFramer framer;
        int starts = 0;
        for (const char c : row.bytes) {
            starts += framer.feed(static_cast<uint8_t>(c)) == SirfFramer::Feed::FrameStart;
        }
        EXPECT_EQ(starts, row.starts) << row.bytes;
        EXPECT_EQ(framer.protocol(), row.protocol) << row.bytes;
    }
}

}  // namespace
}  // namespace zentrix::receiver
