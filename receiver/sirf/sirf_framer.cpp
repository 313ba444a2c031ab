#include "receiver/sirf/sirf_framer.h"

#include <algorithm>

namespace zentrix::receiver {
namespace {

constexpr uint8_t kStartFirst = 0xA0;
constexpr uint8_t kStartSecond = 0xA2;
constexpr uint8_t kEndFirst = 0xB0;
constexpr uint8_t kEndSecond = 0xB3;
/// Bytes before a binary payload: the start bytes and the length.
constexpr size_t kHeadBytes = 4;

struct NmeaHead {
    std::string_view head;
    SirfFrameKind kind;
};

// The heads are matched on their full length: six characters for the standard sentences, ten for
// the two proprietary replies.
constexpr std::array<NmeaHead, 8> kNmeaHeads = {{
    {"$GPGGA", SirfFrameKind::NmeaGga},
    {"$GPGLL", SirfFrameKind::NmeaGll},
    {"$GPGSA", SirfFrameKind::NmeaGsa},
    {"$GPGSV", SirfFrameKind::NmeaGsv},
    {"$GPGST", SirfFrameKind::NmeaGst},
    {"$GPVTG", SirfFrameKind::NmeaVtg},
    {"$PQELR,ACK", SirfFrameKind::Acknowledge},
    {"$PQELR,NAK", SirfFrameKind::NotAcknowledged},
}};

struct MidKind {
    uint8_t mid;
    SirfFrameKind kind;
};

constexpr std::array<MidKind, 7> kMidKinds = {{
    {4, SirfFrameKind::TrackerData},
    {6, SirfFrameKind::SoftwareVersion},
    {7, SirfFrameKind::ClockStatus},
    {11, SirfFrameKind::Acknowledge},
    {12, SirfFrameKind::NotAcknowledged},
    {19, SirfFrameKind::NavigationParameters},
    {41, SirfFrameKind::GeodeticNavigation},
}};
constexpr uint8_t kMidOkToSend = 18;

}  // namespace

bool sirfChecksumMatches(std::span<const uint8_t> payload, uint16_t stated) {
    uint32_t sum = 0;
    for (const uint8_t b : payload) sum += b;
    return (sum & 0xFFFF) == stated || (sum & 0x7FFF) == stated;
}

SirfFrameKind classifySirfPayload(std::span<const uint8_t> payload) {
    if (payload.empty())
        return SirfFrameKind::Other;
    const uint8_t mid = payload[0];
    if (mid == kMidOkToSend) {
        return payload.size() > 1 && payload[1] != 0 ? SirfFrameKind::OkToSend
                                                     : SirfFrameKind::NotOkToSend;
    }
    for (const MidKind& row : kMidKinds) {
        if (row.mid == mid)
            return row.kind;
    }
    return SirfFrameKind::Other;
}

SirfFrameKind classifyNmeaSentence(std::string_view sentence) {
    for (const NmeaHead& row : kNmeaHeads) {
        if (sentence.starts_with(row.head))
            return row.kind;
    }
    return SirfFrameKind::Other;
}

std::span<const uint8_t> SirfFramer::payload() const {
    if (!completeBinary_)
        return {};
    return {buffer_.data() + kHeadBytes, payloadLength_};
}

SirfFramer::Feed SirfFramer::restartWith(uint8_t byte) {
    position_ = 0;
    state_ = State::Search;
    if (byte == '$') {
        store(byte);
        state_ = State::AfterDollar;
    } else if (byte == kStartFirst) {
        store(byte);
        state_ = State::AfterA0;
    }
    return Feed::Nothing;
}

SirfFramer::Feed SirfFramer::complete(bool binary) {
    completeLength_ = position_;
    completeBinary_ = binary;
    if (binary) {
        kind_ = classifySirfPayload(payload());
    } else {
        kind_ = classifyNmeaSentence(
            std::string_view(reinterpret_cast<const char*>(buffer_.data()), completeLength_));
    }
    position_ = 0;
    state_ = State::Search;
    return Feed::Complete;
}

SirfFramer::Feed SirfFramer::feed(uint8_t byte) {
    switch (state_) {
        case State::Search:
            return restartWith(byte);

        case State::AfterDollar:
            if (byte != 'P' && byte != 'G')
                return restartWith(byte);
            store(byte);
            state_ = State::NmeaBody;
            protocol_ = SirfProtocol::Nmea;
            return Feed::FrameStart;

        case State::NmeaBody:
            // A start byte inside a sentence means the sentence was cut off: the new frame wins.
            if (byte == '$' || byte == kStartFirst)
                return restartWith(byte);
            store(byte);
            if (byte == '\r')
                state_ = State::NmeaAfterCr;
            break;

        case State::NmeaAfterCr:
            if (byte != '\n')
                return restartWith(byte);
            store(byte);
            return complete(false);

        case State::AfterA0:
            if (byte != kStartSecond)
                return restartWith(byte);
            store(byte);
            state_ = State::LengthHigh;
            protocol_ = SirfProtocol::Binary;
            return Feed::FrameStart;

        case State::LengthHigh:
            store(byte);
            payloadLength_ = static_cast<size_t>(byte) << 8;
            state_ = State::LengthLow;
            break;

        case State::LengthLow:
            payloadLength_ |= byte;
            if (payloadLength_ == 0 || payloadLength_ > kMaxPayloadBytes)
                return restartWith(byte);
            store(byte);
            state_ = State::Payload;
            break;

        case State::Payload:
            store(byte);
            if (position_ == kHeadBytes + payloadLength_)
                state_ = State::ChecksumHigh;
            break;

        case State::ChecksumHigh:
            store(byte);
            statedChecksum_ = static_cast<uint16_t>(byte << 8);
            state_ = State::ChecksumLow;
            break;

        case State::ChecksumLow:
            store(byte);
            statedChecksum_ = static_cast<uint16_t>(statedChecksum_ | byte);
            state_ = State::EndFirst;
            break;

        case State::EndFirst:
            if (byte != kEndFirst)
                return restartWith(byte);
            store(byte);
            state_ = State::EndSecond;
            break;

        case State::EndSecond:
            if (byte != kEndSecond)
                return restartWith(byte);
            store(byte);
            if (!sirfChecksumMatches({buffer_.data() + kHeadBytes, payloadLength_},
                                     statedChecksum_)) {
                return restartWith(0);
            }
            return complete(true);
    }
    // Only an NMEA sentence can grow without bound; one that fills the buffer is dropped.
    if (position_ == buffer_.size())
        restartWith(0);
    return Feed::Nothing;
}

}  // namespace zentrix::receiver
