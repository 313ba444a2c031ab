#include "receiver/nmea_receiver/nmea_reader.h"

#include <array>

namespace zentrix::receiver {

NmeaReader::NmeaReader(ByteSource& source)
    : source_(source), assembler_([this](const NmeaEpoch& epoch) { publish(epoch); }) {}

uint32_t NmeaReader::run() {
    if (!source_.isOpen())
        return 1;
    if (!vectorEvent_.create(platform::Event::Reset::Auto))
        return 1;
    sourceFailed_ = false;
    // A new run reads a new line: nothing of a previous connection is carried into it, neither
    // half a sentence, half an epoch, nor what was published then.
    framer_.reset();
    assembler_ = EpochAssembler([this](const NmeaEpoch& epoch) { publish(epoch); });
    {
        platform::CriticalSectionLock hold(lock_);
        position_ = PositionRecord{};
        satellites_ = SatelliteTable{};
    }
    std::array<uint8_t, 1024> input{};
    while (!stopRequested_) {
        uint32_t got = 0;
        if (!source_.readSome(input.data(), static_cast<uint32_t>(input.size()), &got,
                              kQuietGapMs)) {
            sourceFailed_ = true;
            break;
        }
        if (got == 0) {
            // The receiver has said all it had for this epoch: publish it now rather than when
            // the next epoch's first sentence arrives a second later.
            assembler_.endEpoch();
            continue;
        }
        for (uint32_t i = 0; i < got && !stopRequested_; ++i) {
            if (framer_.feed(input[i]) == NmeaLineFramer::Feed::Sentence)
                assembler_.addSentence(framer_.sentence());
        }
    }
    vectorEvent_.close();
    return 0;
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

void NmeaReader::publish(const NmeaEpoch& epoch) {
    {
        platform::CriticalSectionLock hold(lock_);
        if (epoch.hasPosition)
            position_ = epoch.position;
        if (epoch.hasSatellites)
            satellites_ = epoch.satellites;
    }
    if (epoch.hasPosition)
        vectorEvent_.set();
}

}  // namespace zentrix::receiver
