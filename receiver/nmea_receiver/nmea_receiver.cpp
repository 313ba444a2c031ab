// The passive search: the receiver talks at a rate it was set to long ago and is never asked, so
// each rate is listened to until it either carries a checksum-valid sentence or shows that it
// does not. A wrong rate shows itself as soon as the receiver talks: its bytes arrive garbled,
// and NMEA's printable text never carries most of what a garbled byte can be. Deciding on a few
// such bytes lets one burst of a 1 Hz receiver rule out several rates, so the whole search stays
// within a couple of the receiver's seconds instead of a second or more per rate.
#include "receiver/nmea_receiver/nmea_receiver.h"

#include <algorithm>

#include "platform/clock.h"

namespace zentrix::receiver {
namespace {

/// A rate that carries no byte at all for this long carries nothing: a receiver reporting once a
/// second is never quiet for so long.
constexpr uint32_t kSilenceMs = 1200;
/// The most one rate is listened to while bytes come but neither verdict is reached.
constexpr uint32_t kRateWindowMs = 2500;
/// Bytes that NMEA text never holds (anything but printable ASCII, CR and LF): a handful of them
/// before a valid sentence means the rate is wrong.
constexpr uint32_t kForeignBytesLimit = 32;
/// Bytes without one valid sentence: a partial sentence at the start and a whole one after it fit
/// well within this, so a rate that brings more and nothing valid is wrong.
constexpr uint32_t kBytesWithoutSentenceLimit = 2 * NmeaLineFramer::kMaxSentenceBytes + 88;
constexpr uint32_t kWaitVectorMs = 1500;
constexpr uint32_t kReaderStartPollMs = 1;

bool isNmeaByte(uint8_t byte) {
    return (byte >= 0x20 && byte < 0x7F) || byte == '\r' || byte == '\n';
}

}  // namespace

NmeaReceiver::NmeaReceiver() = default;

NmeaReceiver::~NmeaReceiver() {
    disconnect();
}

NmeaReceiver::Heard NmeaReceiver::listenAtCurrentRate() {
    NmeaLineFramer framer;
    const uint32_t start = platform::Clock::tickCount();
    uint32_t lastByte = start;
    uint32_t bytes = 0;
    uint32_t foreign = 0;
    for (;;) {
        const uint32_t quiet = platform::ticksSince(lastByte);
        const uint32_t listened = platform::ticksSince(start);
        if (quiet >= kSilenceMs || listened >= kRateWindowMs)
            return Heard::NoSentences;
        const uint32_t waitMs = std::min(kSilenceMs - quiet, kRateWindowMs - listened);
        // One byte at a time (the port reads ahead, so this costs no system call per byte): what
        // follows the first valid sentence stays in the port for the reader thread.
        uint8_t byte = 0;
        uint32_t got = 0;
        if (!port_.read(&byte, 1, &got, waitMs))
            return Heard::LineFailed;
        if (got == 0)
            continue;
        lastByte = platform::Clock::tickCount();
        if (framer.feed(byte) == NmeaLineFramer::Feed::Sentence)
            return Heard::Sentences;
        ++bytes;
        if (!isNmeaByte(byte))
            ++foreign;
        if (foreign >= kForeignBytesLimit || bytes >= kBytesWithoutSentenceLimit)
            return Heard::NoSentences;
    }
}

bool NmeaReceiver::startReader() {
    readerThread_ = std::make_unique<platform::WorkerThread>(reader_);
    if (!readerThread_->started()) {
        readerThread_.reset();
        return false;
    }
    // Waits on the event fail until the thread has made it.
    while (!reader_.eventsReady() && readerThread_->isRunning()) {
        platform::sleepMs(kReaderStartPollMs);
    }
    return readerThread_->isRunning();
}

void NmeaReceiver::stopReader() {
    if (!readerThread_)
        return;
    readerThread_->requestStop();
    readerThread_->wait(platform::kInfinite);
    readerThread_.reset();
}

uint32_t NmeaReceiver::connect(WideStringView portName) {
    // Connecting again (after a failure or a vanished device) starts from a closed port.
    disconnect();
    foundBaud_ = 0;
    ratesTried_.clear();
    if (!reportConnectStep(ConnectStep::Stage::OpeningPort))
        return 0;
    port_.open(portName);
    if (!port_.isOpen())
        return 0;

    // The rate the port already has is the likeliest: a receiver is usually left at the rate
    // something last talked to it at.
    std::vector<uint32_t> rates;
    if (const uint32_t current = port_.baudRate(); current != 0)
        rates.push_back(current);
    for (const uint32_t rate : kSearchRates) {
        if (std::find(rates.begin(), rates.end(), rate) == rates.end())
            rates.push_back(rate);
    }
    for (const uint32_t rate : rates) {
        if (!reportConnectStep(ConnectStep::Stage::TryingRate, rate))
            break;
        ratesTried_.push_back(rate);
        if (!port_.setBaudRate(rate))
            continue;
        // Bytes taken at the previous rate say nothing about this one.
        port_.purge(platform::SerialPort::kPurgeRxClear);
        const Heard heard = listenAtCurrentRate();
        if (heard == Heard::Sentences) {
            foundBaud_ = rate;
            break;
        }
        if (heard == Heard::LineFailed)
            break;
    }
    if (foundBaud_ == 0 || !startReader()) {
        stopReader();
        port_.close();
        return 0;
    }
    // Given up at the last step, the reader keeps running; the owner disconnects.
    return reportConnectStep(ConnectStep::Stage::Connected, foundBaud_) ? 1 : 0;
}

uint32_t NmeaReceiver::disconnect() {
    stopReader();
    if (port_.isOpen())
        port_.close();
    return 1;
}

uint32_t NmeaReceiver::waitVector() {
    return reader_.vectorEvent().wait(kWaitVectorMs) ? 1 : 0;
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
