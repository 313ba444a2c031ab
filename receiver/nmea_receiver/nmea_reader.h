// The reader thread of a plain NMEA receiver.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/critical_section.h"
#include "platform/event.h"
#include "platform/worker_thread.h"
#include "receiver/nmea/byte_source.h"
#include "receiver/nmea/position_record.h"
#include "receiver/nmea_receiver/epoch_assembler.h"
#include "receiver/nmea_receiver/nmea_line_framer.h"

namespace zentrix::receiver {

/// The runnable of the reader thread: frames the byte stream, assembles epochs and publishes each
/// under a lock; `vectorEvent` tells that a new position was published. A read that brings
/// nothing for `kQuietGapMs` ends the current epoch.
///
/// Threads: `run` and the assembler run on the reader thread; `requestStop`, the event's waits
/// and the getters are for the user-interface thread.
class NmeaReader : public platform::Runnable {
  public:
    static constexpr uint32_t kQuietGapMs = 200;

    explicit NmeaReader(ByteSource& source);

    /// 0 after a normal end (stop requested, or the source failed); 1 when it could not start.
    uint32_t run() override;
    void requestStop() override { stopRequested_ = true; }
    void beforeStart() override { stopRequested_ = false; }

    platform::EventSlot& vectorEvent() { return vectorEvent_; }
    /// True while a run holds its event: waits on it fail until the thread has made it, and
    /// again once the run ended (a vanished device ends it by itself).
    bool eventsReady() const { return vectorEvent_.exists(); }

    PositionRecord getPosition() const;
    /// Copies the published table and returns its count.
    uint32_t getSatellites(SatelliteTable& out) const;
    /// True once the source failed while the thread ran (the device went away).
    bool sourceFailed() const { return sourceFailed_; }

  private:
    void publish(const NmeaEpoch& epoch);

    ByteSource& source_;
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> sourceFailed_{false};
    platform::EventSlot vectorEvent_;
    NmeaLineFramer framer_;
    EpochAssembler assembler_;
    PositionRecord position_;
    SatelliteTable satellites_;
    mutable platform::CriticalSection lock_;
};

}  // namespace zentrix::receiver
