#include "receiver/nmea_receiver/satellite_numbering.h"

namespace zentrix::receiver {

int32_t canonicalSatelliteNumber(std::string_view, uint32_t, int32_t) {
    return 0;
}

GnssSystem systemOf(int32_t) {
    return GnssSystem::Unknown;
}

SignalBand bandOf(GnssSystem, uint32_t) {
    return SignalBand::First;
}

}  // namespace zentrix::receiver
