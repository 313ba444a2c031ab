#include "receiver/nmea_receiver/nmea_receiver.h"

namespace zentrix::receiver {

NmeaReceiver::NmeaReceiver() = default;

NmeaReceiver::~NmeaReceiver() {
    disconnect();
}

uint32_t NmeaReceiver::connect(WideStringView) {
    return 0;
}

uint32_t NmeaReceiver::disconnect() {
    if (readerThread_) {
        readerThread_->requestStop();
        readerThread_->wait(platform::kInfinite);
        readerThread_.reset();
    }
    port_.close();
    return 1;
}

uint32_t NmeaReceiver::waitVector() {
    return 0;
}

uint32_t NmeaReceiver::getPosition(PositionRecord& out) {
    out = reader_.getPosition();
    return 1;
}

uint32_t NmeaReceiver::getSatellites(SatelliteTable& out) {
    return reader_.getSatellites(out);
}

uint32_t NmeaReceiver::queryGps(uint8_t& on) {
    return on = 1;
}
uint32_t NmeaReceiver::queryGlonass(uint8_t& on) {
    return on = 1;
}
uint32_t NmeaReceiver::querySbas(uint8_t& on) {
    return on = 1;
}
uint32_t NmeaReceiver::queryQzss(uint8_t& on) {
    return on = 1;
}
uint32_t NmeaReceiver::queryGalileo(uint8_t& on) {
    return on = 1;
}
uint32_t NmeaReceiver::queryBeidou(uint8_t& on) {
    return on = 1;
}

uint32_t NmeaReceiver::isConnected() {
    return readerThread_ && readerThread_->isRunning() ? 1 : 0;
}

}  // namespace zentrix::receiver
