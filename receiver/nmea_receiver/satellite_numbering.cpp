#include "receiver/nmea_receiver/satellite_numbering.h"

namespace zentrix::receiver {

namespace {

bool within(int32_t value, int32_t low, int32_t high) {
    return value >= low && value <= high;
}

int32_t gpsFamily(int32_t id) {
    if (within(id, 1, 32))
        return id;
    if (within(id, 33, 64))
        return id + 87;  // SBAS in the NMEA 2.x numbering
    if (within(id, 120, 158))
        return id;
    if (within(id, 193, 202))
        return id;  // QZSS numbered as its PRN
    return 0;
}

int32_t glonass(int32_t id) {
    if (within(id, 1, 32))
        return 64 + id;  // the slot number itself
    if (within(id, 65, 96))
        return id;
    return 0;
}

int32_t galileo(int32_t id) {
    if (within(id, 1, 36))
        return 300 + id;
    if (within(id, 301, 336))
        return id;
    return 0;
}

int32_t beidou(int32_t id) {
    if (within(id, 1, 63))
        return 400 + id;
    if (within(id, 201, 263))
        return 200 + id;  // older receivers' own range
    if (within(id, 401, 463))
        return id;
    return 0;
}

int32_t qzss(int32_t id) {
    if (within(id, 1, 10))
        return 192 + id;
    if (within(id, 193, 202))
        return id;
    return 0;
}

/// Without a system id, a talker that names one system decides; the mixed talkers (GP, GN) use
/// the ranges that NMEA 2.x to 4.0 gave each system.
int32_t byRange(int32_t id) {
    if (within(id, 1, 32) || within(id, 33, 64) || within(id, 120, 158) || within(id, 193, 202)) {
        return gpsFamily(id);
    }
    if (within(id, 65, 96))
        return id;
    if (within(id, 201, 263) || within(id, 401, 463))
        return beidou(id);
    if (within(id, 301, 336))
        return id;
    return 0;
}

}  // namespace

int32_t canonicalSatelliteNumber(std::string_view talker, uint32_t systemId, int32_t nmeaId) {
    if (nmeaId < 1)
        return 0;
    switch (systemId) {
        case 1:
            return gpsFamily(nmeaId);
        case 2:
            return glonass(nmeaId);
        case 3:
            return galileo(nmeaId);
        case 4:
            return beidou(nmeaId);
        case 5:
            return qzss(nmeaId);
        case 0:
            break;
        default:
            return 0;  // NavIC and ids to come have no range
    }
    if (talker == "GL")
        return glonass(nmeaId);
    if (talker == "GA")
        return galileo(nmeaId);
    if (talker == "GB" || talker == "BD")
        return beidou(nmeaId);
    if (talker == "GQ" || talker == "QZ")
        return qzss(nmeaId);
    if (talker == "GI")
        return 0;
    return byRange(nmeaId);
}

GnssSystem systemOf(int32_t n) {
    if (within(n, 1, 32))
        return GnssSystem::Gps;
    if (within(n, 65, 96))
        return GnssSystem::Glonass;
    if (within(n, 120, 158))
        return GnssSystem::Sbas;
    if (within(n, 193, 202))
        return GnssSystem::Qzss;
    if (within(n, 301, 336))
        return GnssSystem::Galileo;
    if (within(n, 401, 463))
        return GnssSystem::Beidou;
    return GnssSystem::Unknown;
}

SignalBand bandOf(GnssSystem system, uint32_t signalId) {
    // NMEA 4.11 signal ids; 0 (absent) is the system's primary L1-band signal.
    switch (system) {
        case GnssSystem::Gps:
        case GnssSystem::Sbas:
            // 1 L1 C/A, 2 L1 P(Y), 3 L1 M, 4 L2 P(Y), 5 L2C-M, 6 L2C-L, 7 L5-I, 8 L5-Q, 9/A L1C
            return within(static_cast<int32_t>(signalId), 4, 8) ? SignalBand::Second
                                                                : SignalBand::First;
        case GnssSystem::Glonass:
            // 1 G1 C/A, 2 G1 P, 3 G2 C/A, 4 G2 P
            return signalId >= 3 ? SignalBand::Second : SignalBand::First;
        case GnssSystem::Galileo:
            // 1 E5a, 2 E5b, 3 E5 a+b, 4 E6-A, 5 E6-BC, 6 E1-A, 7 E1-BC
            return within(static_cast<int32_t>(signalId), 1, 5) ? SignalBand::Second
                                                                : SignalBand::First;
        case GnssSystem::Beidou:
            // 1 B1I, 2 B1Q, 3 B1C, 4 B1A; 5 B2a, 6 B2b, 7 B2a+b, 8-A B3, B B2I, C B2Q
            return signalId >= 5 ? SignalBand::Second : SignalBand::First;
        case GnssSystem::Qzss:
            // 1 L1 C/A, 2 L1C-D, 3 L1C-P, 4 L1S; 5 L2C-M, 6 L2C-L, 7 L5-I, 8 L5-Q, 9/A L6
            return signalId >= 5 ? SignalBand::Second : SignalBand::First;
        case GnssSystem::Unknown:
            break;
    }
    return SignalBand::First;
}

}  // namespace zentrix::receiver
