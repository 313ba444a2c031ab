// One number per satellite across the constellations, as the status pages and other GNSS tools
// number them: GPS 1-32, GLONASS 65-96, SBAS 120-158, QZSS 193-202, Galileo 301-336, BeiDou
// 401-463.
#pragma once

#include <cstdint>
#include <string_view>

namespace zentrix::receiver {

enum class GnssSystem : uint8_t { Unknown, Gps, Glonass, Sbas, Qzss, Galileo, Beidou };

/// The frequency band a GSV cycle's signal belongs to: L1 goes to the first signal bar, L2/L5 to
/// the second.
enum class SignalBand : uint8_t { First, Second };

/// The canonical number of the satellite a sentence calls `nmeaId`, given the sentence's talker
/// ("GP", "GL", "GA", "GB", "BD", "GQ", "QZ", "GI", "GN") and, when the sentence carries one, the
/// NMEA 4.10 system id (1 GPS, 2 GLONASS, 3 Galileo, 4 BeiDou, 5 QZSS, 6 NavIC; 0 when absent).
/// 0 for a satellite that has no number in the ranges above.
int32_t canonicalSatelliteNumber(std::string_view talker, uint32_t systemId, int32_t nmeaId);

/// The system a canonical number belongs to.
GnssSystem systemOf(int32_t canonicalNumber);

/// The band of an NMEA 4.10 signal id for a system (GSV's last field; 0 or absent is the L1
/// signal).
SignalBand bandOf(GnssSystem system, uint32_t signalId);

}  // namespace zentrix::receiver
