// Position and satellites: the NMEA sentences and the receiver's own data messages parsed into
// the two double-buffered groups the status pages show.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "platform/critical_section.h"
#include "receiver/nmea/position_record.h"
#include "receiver/nmea/sentence.h"
#include "receiver/nmea/sentence_type.h"

namespace zentrix::receiver {

/// Parsers run on the reader thread and write working copies; a publishing step (the last GSV of
/// a cycle, SGP, VEC) copies a working copy into the published one under that group's lock. The
/// getters run on the user-interface thread and copy a published group out under the same lock,
/// so the user interface always sees a whole record and a table that matches its count.
class NavigationState {
public:
    enum class Publication { Position, Satellites };
    using PublishObserver = std::function<void(Publication, const Sentence& source)>;

    /// True for the types parsed here.
    static bool handles(SentenceType type);
    /// Parses one sentence of a type that `handles`; a failing checksum changes nothing.
    void parse(SentenceType type, const Sentence& sentence);

    void parseGga(const Sentence& s);
    void parseGll(const Sentence& s);
    void parseGsa(const Sentence& s);
    void parseGsv(const Sentence& s);
    void parseGst(const Sentence& s);
    void parseVtg(const Sentence& s);
    void parseZda(const Sentence& s);
    void parseDtm(const Sentence& s);
    void parseSgp(const Sentence& s);
    void parseSgl(const Sentence& s);
    void parseVec(const Sentence& s);

    PositionRecord getPosition() const;
    /// Copies the published table into `out` and returns the published count.
    uint32_t getSatellites(std::array<SatelliteRecord, kMaxSatellites>& out) const;

    /// For receivers that send no VEC (and for replaying their logs): publish the position after
    /// every GGA as well.
    void setPublishPositionOnGga(bool on) { publishOnGga_ = on; }
    /// Called on the reader thread after every publication (replay tool, tests).
    void setPublishObserver(PublishObserver observer) { observer_ = std::move(observer); }

private:
    void publishPosition(const Sentence& source);
    void publishSatellites(uint32_t count, const Sentence& source);
    bool isUsed(int32_t prn) const;
    size_t firstEmptyEntry() const;
    void parseSignalBlocks(const Sentence& s, bool mapSbas);

    PositionRecord working_;
    PositionRecord published_;
    mutable platform::CriticalSection positionLock_;

    std::array<SatelliteRecord, kMaxSatellites> workingSatellites_{};
    std::array<SatelliteRecord, kMaxSatellites> publishedSatellites_{};
    uint32_t publishedCount_ = 0;
    mutable platform::CriticalSection satelliteLock_;

    std::array<int32_t, kMaxSatellites> usedPrns_{};
    size_t usedCount_ = 0;

    bool publishOnGga_ = false;
    PublishObserver observer_;
};

}  // namespace zentrix::receiver
