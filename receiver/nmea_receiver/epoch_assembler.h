// Turning a receiver's cycle of sentences into one position and one satellite table.
#pragma once

#include <functional>
#include <string_view>

#include "receiver/nmea/position_record.h"

namespace zentrix::receiver {

/// What one epoch published. A table is published only whole: `hasSatellites` is false for an
/// epoch whose satellite cycles were incomplete or absent, and then the previous table stands.
struct NmeaEpoch {
    PositionRecord position;
    bool hasPosition = false;
    SatelliteTable satellites;
    bool hasSatellites = false;
};

/// Reads GGA, RMC, GNS, GLL, GSA, GSV, GST, VTG and ZDA of every talker into the records the
/// pages read, and publishes once per epoch: when a sentence carries a time different from the
/// current epoch's, when the sentence that closed the previous epochs arrives again, or when the
/// line falls quiet (`endEpoch`). Single-threaded: the reader thread owns it.
class EpochAssembler {
  public:
    using EpochObserver = std::function<void(const NmeaEpoch&)>;

    explicit EpochAssembler(EpochObserver observer);

    /// One checksum-valid sentence as the framer hands it out. May publish first.
    void addSentence(std::string_view sentence);
    /// The line fell quiet: publishes what the current epoch holds, if anything.
    void endEpoch();

  private:
    EpochObserver observer_;
};

}  // namespace zentrix::receiver
