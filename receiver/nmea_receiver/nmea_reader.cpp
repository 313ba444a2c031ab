#include "receiver/nmea_receiver/nmea_reader.h"

namespace zentrix::receiver {

NmeaReader::NmeaReader(ByteSource& source)
    : source_(source), assembler_([this](const NmeaEpoch& epoch) { publish(epoch); }) {}

uint32_t NmeaReader::run() {
    return 1;
}

PositionRecord NmeaReader::getPosition() const {
    platform::CriticalSectionLock hold(lock_);
    return position_;
}

uint32_t NmeaReader::getSatellites(SatelliteTable& out) const {
    platform::CriticalSectionLock hold(lock_);
    out = satellites_;
    return satellites_.count;
}

void NmeaReader::publish(const NmeaEpoch&) {}

}  // namespace zentrix::receiver
