#include "receiver/sirf/sirf_messages.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zentrix::receiver {
namespace {

void put16(SirfPayload& p, uint32_t value) {
    p.push_back(static_cast<uint8_t>(value >> 8));
    p.push_back(static_cast<uint8_t>(value));
}
void put32(SirfPayload& p, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) p.push_back(static_cast<uint8_t>(value >> shift));
}

/// Big-endian fields of a received payload; anything beyond its end reads as 0.
class PayloadFields {
  public:
    explicit PayloadFields(std::span<const uint8_t> payload) : payload_(payload) {}
    uint8_t u8(size_t at) const { return at < payload_.size() ? payload_[at] : 0; }
    uint16_t u16(size_t at) const { return static_cast<uint16_t>(u8(at) << 8 | u8(at + 1)); }
    uint32_t u32(size_t at) const { return static_cast<uint32_t>(u16(at)) << 16 | u16(at + 2); }
    int32_t s32(size_t at) const { return static_cast<int32_t>(u32(at)); }

  private:
    std::span<const uint8_t> payload_;
};

constexpr size_t kTrackerChannelBytes = 15;
constexpr size_t kTrackerFirstChannel = 8;
constexpr size_t kCn0Values = 10;

}  // namespace

std::string sirfFrame(std::span<const uint8_t> payload) {
    uint32_t sum = 0;
    for (const uint8_t b : payload) sum += b;
    std::string frame = {'\xA0', '\xA2', static_cast<char>(payload.size() >> 8),
                         static_cast<char>(payload.size() & 0xFF)};
    frame.append(payload.begin(), payload.end());
    frame += static_cast<char>((sum >> 8) & 0xFF);
    frame += static_cast<char>(sum & 0xFF);
    frame += "\xB0\xB3";
    return frame;
}

std::string sirfBinarySwitchText(uint32_t baud) {
    char body[48];
    std::snprintf(body, sizeof body, "PSRF100,0,%u,8,1,0", static_cast<unsigned>(baud));
    uint8_t checksum = 0;
    for (const char* c = body; *c; ++c) checksum ^= static_cast<uint8_t>(*c);
    char text[64];
    std::snprintf(text, sizeof text, "$%s*%02X\r\n", body, checksum);
    return text;
}

namespace sirf {

SirfPayload initialiseDataSource() {
    SirfPayload p = {static_cast<uint8_t>(SirfMid::InitialiseDataSource)};
    for (int i = 0; i < 3; ++i) put32(p, 0);  // X, Y, Z
    put32(p, 0);                              // clock drift
    put32(p, 0);                              // time of week x 100
    put16(p, 0);                              // week
    p.push_back(12);                          // channels
    p.push_back(16);                          // reset configuration
    return p;
}

SirfPayload switchToNmea(uint32_t baud) {
    SirfPayload p = {static_cast<uint8_t>(SirfMid::SwitchToNmea), 2};
    p.insert(p.end(), 12, 1);
    for (const uint8_t b : {0, 1, 0, 1, 0, 1, 0, 1}) p.push_back(b);
    put16(p, baud);
    return p;
}

SirfPayload dgpsSource(uint8_t source) {
    SirfPayload p = {static_cast<uint8_t>(SirfMid::DgpsSource), source};
    p.insert(p.end(), 5, 0);
    return p;
}

SirfPayload dgpsControl(uint8_t mode, uint8_t timeoutSeconds) {
    return {static_cast<uint8_t>(SirfMid::DgpsControl), mode, timeoutSeconds};
}

SirfPayload elevationMask(int16_t trackingTenths, int16_t navigationTenths) {
    SirfPayload p = {static_cast<uint8_t>(SirfMid::ElevationMask)};
    put16(p, static_cast<uint16_t>(trackingTenths));
    put16(p, static_cast<uint16_t>(navigationTenths));
    return p;
}

SirfPayload staticNavigation(bool on) {
    return {static_cast<uint8_t>(SirfMid::StaticNavigation), static_cast<uint8_t>(on ? 1 : 0)};
}

SirfPayload pollEphemeris() {
    return {static_cast<uint8_t>(SirfMid::PollEphemeris), 0, 0};
}

SirfPayload pollNavigationParameters() {
    return {static_cast<uint8_t>(SirfMid::PollNavigationParameters), 0};
}

SirfPayload setMessageRate(uint8_t mid, bool on) {
    SirfPayload p = {static_cast<uint8_t>(SirfMid::SetMessageRate), 0, mid,
                     static_cast<uint8_t>(on ? 1 : 0)};
    p.insert(p.end(), 4, 0);
    return p;
}

SirfPayload initialiseNavigation() {
    SirfPayload p = {static_cast<uint8_t>(SirfMid::InitialiseNavigation), 1};
    for (int i = 0; i < 3; ++i) put32(p, 0);  // X, Y, Z
    put16(p, 0);                              // heading
    put32(p, 96000);                          // clock drift
    put32(p, 0);                              // time of week x 100
    put16(p, 0);                              // week
    p.push_back(12);                          // channels
    p.push_back(8);                           // reset configuration
    return p;
}

}  // namespace sirf

bool UsedPrns::contains(int32_t prn) const {
    return std::find(prns.begin(), prns.begin() + static_cast<std::ptrdiff_t>(count), prn) !=
           prns.begin() + static_cast<std::ptrdiff_t>(count);
}

void decodeGeodeticNavigation(std::span<const uint8_t> payload, PositionRecord& position,
                              UsedPrns& used) {
    const PayloadFields f(payload);
    PositionRecord& p = position;
    p.fixType = (f.u8(4) & 0x80) ? 2 : 1;
    p.gpsWeek = f.u16(5);
    p.timeOfWeek = f.u32(7) * 0.001;
    p.utcYear = f.u16(11);
    p.utcMonth = f.u8(13);
    p.utcDay = f.u8(14);
    p.utcHour = f.u8(15);
    p.utcMinute = f.u8(16);
    const uint16_t milliseconds = f.u16(17);
    p.utcSecond = static_cast<uint16_t>(milliseconds / 1000);
    p.utcMillisecond = static_cast<uint16_t>(milliseconds % 1000);

    const uint32_t mask = f.u32(19);
    used.count = 0;
    for (uint32_t bit = 0; bit < 32; ++bit) {
        if (mask & (1u << bit))
            used.prns[used.count++] = static_cast<uint8_t>(bit + 1);
    }

    p.latitude = f.s32(23) * 1e-7;
    p.longitude = f.s32(27) * 1e-7;
    p.ellipsoidHeight = f.s32(31) * 0.01;
    p.altitude = f.s32(35) * 0.01;
    p.speedOverGround = f.u16(40) * 0.036;
    p.courseOverGround = f.u16(42) * 0.01;
    p.horizontalError = static_cast<float>(f.u32(50) * 0.01);
    p.verticalError = static_cast<float>(f.u32(54) * 0.01);
    p.horizontalError2 = p.horizontalError;
    p.verticalError2 = p.verticalError;
    p.satellitesUsed = f.u8(88);
    p.hdop = static_cast<float>(f.u8(89) * 0.2);
    if (p.satellitesUsed != 0) {
        const double hdop = p.hdop;
        const double ratio =
            p.horizontalError != 0 ? static_cast<double>(p.verticalError) / p.horizontalError : 0;
        p.pdop = p.horizontalError != 0
                     ? static_cast<float>(std::sqrt(hdop * hdop + (hdop * ratio) * (hdop * ratio)))
                     : 0.0f;
    }
}

void decodeTrackerData(std::span<const uint8_t> payload, const UsedPrns& used,
                       SatelliteTable& table) {
    const PayloadFields f(payload);
    table.entries.fill({});
    const size_t whole = payload.size() > kTrackerFirstChannel
                             ? (payload.size() - kTrackerFirstChannel) / kTrackerChannelBytes
                             : 0;
    const size_t channels = std::min({static_cast<size_t>(f.u8(7)), whole, kMaxSatellites});
    for (size_t c = 0; c < channels; ++c) {
        const size_t at = kTrackerFirstChannel + c * kTrackerChannelBytes;
        SatelliteRecord& s = table.entries[c];
        s.prn = f.u8(at);
        s.azimuth = static_cast<int32_t>(f.u8(at + 1) * 1.5);
        s.elevation = static_cast<int32_t>(f.u8(at + 2) * 0.5);
        s.snr1 = f.u8(at + 5 + kCn0Values - 1);
        s.snr2 = 0;
        s.used = used.contains(s.prn) ? 1 : 0;
    }
    table.count = static_cast<uint32_t>(channels);
}

NavigationParameters NavigationParameters::fromPayload(std::span<const uint8_t> payload) {
    NavigationParameters n;
    std::copy_n(payload.begin(), std::min(payload.size(), kBytes), n.bytes.begin());
    return n;
}

uint16_t NavigationParameters::field16(size_t offset) const {
    return static_cast<uint16_t>(byte(offset) << 8 | byte(offset + 1));
}

uint32_t NavigationParameters::field32(size_t offset) const {
    return static_cast<uint32_t>(field16(offset)) << 16 | field16(offset + 2);
}

}  // namespace zentrix::receiver
