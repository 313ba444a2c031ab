// Turning a receiver's cycle of sentences into one position and one satellite table.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "receiver/nmea/field_cursor.h"
#include "receiver/nmea/position_record.h"

namespace zentrix::receiver {

/// What one epoch published. A table is published only whole: `hasSatellites` is false for an
/// epoch whose satellite cycles were incomplete or absent, and then the previous table stands.
struct NmeaEpoch {
    PositionRecord position;
    bool hasPosition = false;
    SatelliteTable satellites;
    bool hasSatellites = false;
    /// The sentences the epoch was made of, counted from the assembler's first: `firstSentence`
    /// up to, not including, `endSentence`.
    uint64_t firstSentence = 0;
    uint64_t endSentence = 0;
};

/// Reads GGA, RMC, GNS, GLL, GSA, GSV, GST, VTG and ZDA of every talker into the records the
/// pages read, and publishes once per epoch: when a sentence carries a time different from the
/// current epoch's, when the sentence that closed the previous epochs arrives again, or when the
/// line falls quiet (`endEpoch`). What comes before the first time heard is the tail of an epoch
/// heard only in part and is not taken into the first. Single-threaded: the reader thread owns it.
class EpochAssembler {
  public:
    using EpochObserver = std::function<void(const NmeaEpoch&)>;

    explicit EpochAssembler(EpochObserver observer);

    /// One checksum-valid sentence as the framer hands it out. May publish first.
    void addSentence(std::string_view sentence);
    /// The line fell quiet: publishes what the current epoch holds, if anything.
    void endEpoch();

  private:
    /// A sentence's identity for learning which one ends a receiver's epochs: talker and type,
    /// and for GSV the signal.
    struct SentenceKey {
        std::array<char, 8> text{};
        bool operator==(const SentenceKey&) const = default;
        bool empty() const { return text[0] == '\0'; }
    };
    /// One GSV cycle (talker and signal) of the current epoch.
    struct Cycle {
        char talker[2] = {};
        char signal = 0;
        uint32_t total = 0;
        uint32_t received = 0;
        bool broken = false;
        bool done() const { return !broken && received == total; }
    };
    /// Which bands of a table entry a signal has filled: the first signal of a band keeps it.
    struct EntryBands {
        bool first = false;
        bool second = false;
        bool position = false;
    };
    static constexpr size_t kMaxCycles = 24;
    static constexpr size_t kMaxUsed = 64;

    void startEpoch();
    void learnClosing();
    void publish();
    bool cycleInProgress() const;
    void takeDate(uint16_t year, uint16_t month, uint16_t day);
    void takeLatLon(const FieldList& f, size_t first);
    void takeFixType(int32_t fixType, bool fromQuality);
    /// Where GGA and GNS, which differ only in their layout, keep the solution's details.
    struct SolutionFields {
        size_t satellites, hdop, altitude, separation, age, station;
    };
    static constexpr SolutionFields kGgaSolution{7, 8, 9, 11, 13, 14};
    static constexpr SolutionFields kGnsSolution{7, 8, 9, 10, 11, 12};

    void parseGga(const FieldList& f);
    void parseGns(const FieldList& f);
    void takeSolution(const FieldList& f, const SolutionFields& at);
    void parseRmc(const FieldList& f);
    void parseGll(const FieldList& f);
    void parseGsa(std::string_view talker, const FieldList& f);
    void parseGsv(std::string_view talker, const FieldList& f);
    void parseGst(const FieldList& f);
    void parseVtg(const FieldList& f);
    void parseZda(const FieldList& f);
    SatelliteRecord* entryFor(int32_t number, EntryBands*& bands);
    static char cycleSignal(const FieldList& f);

    EpochObserver observer_;

    // The epoch being gathered.
    NmeaEpoch epoch_;
    int64_t epochTime_ = -1;  ///< milliseconds of the day; -1 before a timed sentence
    bool hasContent_ = false;
    bool qualityFixType_ = false;  ///< GGA's quality set the fix type: modes do not override it
    bool hasSatellitesUsedCount_ = false;
    bool hasAltitude_ = false;
    double separation_ = 0;  ///< NaN when no sentence gave it
    bool hdopFromGsa_ = false;
    bool dateGiven_ = false;
    /// A continuation of an epoch already published, or too many cycles: no table.
    bool skyUnreliable_ = false;
    std::array<Cycle, kMaxCycles> cycles_{};
    size_t cycleCount_ = 0;
    std::array<EntryBands, kMaxSatellites> bands_{};
    std::array<int32_t, kMaxUsed> used_{};
    size_t usedCount_ = 0;

    // Across epochs.
    uint64_t sentenceCount_ = 0;
    SentenceKey lastKey_;
    SentenceKey candidateClosing_;
    SentenceKey learnedClosing_;
    int64_t publishedTime_ = -1;
    bool afterEarlyPublish_ = false;
    bool sawTime_ = false;
    uint16_t year_ = 0, month_ = 0, day_ = 0;
    int64_t dateTime_ = -1;  ///< the time of day the date was last given or advanced at
};

}  // namespace zentrix::receiver
