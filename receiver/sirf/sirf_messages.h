// The SiRF binary messages this program sends and the three it reads closely.
//
// Every multi-byte field is big-endian. Input frames come from the chip and may be shorter than
// their message defines: a field beyond the end of the payload reads as 0, so a short frame gives
// a record of zeros rather than a read past its end.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "receiver/nmea/position_record.h"

namespace zentrix::receiver {

/// Message identifiers of the input messages that this program sends.
enum class SirfMid : uint8_t {
    InitialiseDataSource = 128,
    SwitchToNmea = 129,
    DgpsSource = 133,
    DgpsControl = 138,
    ElevationMask = 139,
    StaticNavigation = 143,
    PollEphemeris = 147,
    PollNavigationParameters = 152,
    SetMessageRate = 166,
    InitialiseNavigation = 172,
};

using SirfPayload = std::vector<uint8_t>;

/// One binary frame around `payload`: start bytes, length, payload, 16-bit sum, end bytes.
std::string sirfFrame(std::span<const uint8_t> payload);
/// "$PSRF100,0,<baud>,8,1,0*hh\r\n": the NMEA command that switches the chip to SiRF binary.
std::string sirfBinarySwitchText(uint32_t baud);

namespace sirf {

/// All zero, 12 channels, reset configuration 16.
SirfPayload initialiseDataSource();
/// Back to NMEA at `baud`, every sentence once a second.
SirfPayload switchToNmea(uint32_t baud);
SirfPayload dgpsSource(uint8_t source);
SirfPayload dgpsControl(uint8_t mode, uint8_t timeoutSeconds);
/// Both masks in tenths of a degree.
SirfPayload elevationMask(int16_t trackingTenths, int16_t navigationTenths);
SirfPayload staticNavigation(bool on);
/// Ephemeris of every satellite.
SirfPayload pollEphemeris();
SirfPayload pollNavigationParameters();
SirfPayload setMessageRate(uint8_t mid, bool on);
/// A warm reset: zero position, time and week, clock drift 96000, 12 channels, configuration 8.
SirfPayload initialiseNavigation();

}  // namespace sirf

/// The used-satellite list of the latest geodetic navigation message.
struct UsedPrns {
    std::array<uint8_t, 32> prns{};
    size_t count = 0;
    bool contains(int32_t prn) const;
};

/// Fills `position` and `used` from a MID 41 payload (MID first). Fields the payload does not
/// reach read as 0.
void decodeGeodeticNavigation(std::span<const uint8_t> payload, PositionRecord& position,
                              UsedPrns& used);

/// Rebuilds `table` from a MID 4 payload: at most 32 channels, and only as many as the payload
/// holds whole.
void decodeTrackerData(std::span<const uint8_t> payload, const UsedPrns& used,
                       SatelliteTable& table);

/// The navigation parameters (MID 19) as the chip sent them: 65 bytes from the MID, zeros where
/// the payload was shorter. Byte offsets count the MID as byte 0.
struct NavigationParameters {
    static constexpr size_t kBytes = 65;
    std::array<uint8_t, kBytes> bytes{};

    static NavigationParameters fromPayload(std::span<const uint8_t> payload);
    uint8_t byte(size_t offset) const { return offset < kBytes ? bytes[offset] : 0; }
    /// A big-endian field; 0 beyond the 65 bytes.
    uint16_t field16(size_t offset) const;
    uint32_t field32(size_t offset) const;

    /// Navigation elevation mask, tenths of a degree (bytes 20 and 21).
    int16_t navigationMaskTenths() const { return static_cast<int16_t>(field16(20)); }
    /// SBAS in use: DGPS source 1 (byte 27) with mode 0 or 1 (byte 28).
    bool sbasOn() const { return byte(27) == 1 && byte(28) <= 1; }
};

}  // namespace zentrix::receiver
