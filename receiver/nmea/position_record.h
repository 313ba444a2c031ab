// The published snapshots of position and satellites.
#pragma once

#include <array>
#include <cstdint>

namespace zentrix::receiver {

/// Where the receiver is and how good its solution is. `fixType`: 0 no fix, 1 autonomous,
/// 2 differential (VEC mode 9), 3, 4 and 5 the receiver's higher solution modes (VEC modes 1 to 3).
struct PositionRecord {
    double latitude = 0;         ///< degrees, negative south
    double longitude = 0;        ///< degrees, negative west
    double ellipsoidHeight = 0;  ///< metres
    std::array<double, 3> vector = {0, 0, 0};
    double altitude = 0;  ///< metres above mean sea level
    uint32_t gpsWeek = 0;
    double timeOfWeek = 0;  ///< seconds into the GPS week
    uint32_t satellitesUsed = 0;
    float pdop = 0;
    float hdop = 0;
    double courseOverGround = 0;  ///< degrees true
    double speedOverGround = 0;   ///< km/h
    uint8_t glonassUsed = 0;
    int32_t fixType = 0;
    int32_t correctionAge = 0;  ///< seconds
    int32_t referenceStationId = 0;
    float horizontalError = 0;  ///< metres
    float verticalError = 0;    ///< metres
    float horizontalError2 = 0;
    float verticalError2 = 0;
    uint16_t utcYear = 0;
    uint16_t utcMonth = 0;
    uint16_t utcDay = 0;
    uint16_t utcHour = 0;
    uint16_t utcMinute = 0;
    uint16_t utcSecond = 0;
    uint16_t utcMillisecond = 0;
    uint8_t userDatum = 0;
};

struct SatelliteRecord {
    /// GPS 1-32, GLONASS as numbered (65-96), SBAS 120-158, QZSS 193-202, Galileo 301-336,
    /// BeiDou 401-463; 0 = empty
    int32_t prn = 0;
    int32_t elevation = 0;  ///< degrees
    int32_t azimuth = 0;    ///< degrees
    int32_t snr1 = 0;       ///< dB-Hz
    int32_t snr2 = 0;       ///< second band, dB-Hz
    uint8_t used = 0;       ///< used in the solution

    bool operator==(const SatelliteRecord&) const = default;
};

/// The handheld's receivers report at most 32; a multi-constellation receiver sees nearly 50.
inline constexpr size_t kMaxSatellites = 64;

struct SatelliteTable {
    std::array<SatelliteRecord, kMaxSatellites> entries{};
    uint32_t count = 0;
};

}  // namespace zentrix::receiver
