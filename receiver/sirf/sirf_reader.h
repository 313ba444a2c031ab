// The GPS-only chip's reader thread: frames, the state they fill, and raw recording.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "platform/critical_section.h"
#include "platform/event.h"
#include "platform/worker_thread.h"
#include "receiver/nmea/byte_source.h"
#include "receiver/nmea/fixed_text.h"
#include "receiver/nmea/position_record.h"
#include "receiver/sirf/sirf_framer.h"
#include "receiver/sirf/sirf_messages.h"
#include "receiver/sirf/sirf_recorder.h"

namespace zentrix::receiver {

/// The runnable of the GPS-only receiver's reader thread. It frames what the chip sends, keeps
/// the position, the satellites, the navigation parameters, the version text and the acknowledge
/// and ok-to-send flags, sets one event per kind of news, and runs the recording step after every
/// frame. The events exist only while the thread runs; a wait on them at any other time fails at
/// once.
///
/// Threads: `run` and everything it calls run on the reader thread; `requestStop`, the getters,
/// the flags, the events' waits and the recorder's request side are for the user-interface thread.
class SirfReader : public platform::Runnable {
  public:
    static constexpr uint32_t kReadTimeoutMs = 1000;
    static constexpr size_t kVersionChars = 80;

    /// `sendPoll` writes the ephemeris poll to the chip during a recording.
    explicit SirfReader(ByteSource& source, std::function<void()> sendPoll = {})
        : source_(source), sendPoll_(std::move(sendPoll)) {}

    /// 0 after a normal end (stop requested, or the source failed); 1 when it could not start.
    uint32_t run() override;
    void requestStop() override { stopRequested_ = true; }
    void beforeStart() override { stopRequested_ = false; }

    /// Handles one complete frame as the thread does (tests and the fuzzer call it directly).
    void dispatch(const SirfFramer& framer);

    platform::EventSlot& frameStartEvent() { return frameStartEvent_; }
    platform::EventSlot& acknowledgeEvent() { return acknowledgeEvent_; }
    platform::EventSlot& fixEvent() { return fixEvent_; }
    platform::EventSlot& okToSendEvent() { return okToSendEvent_; }
    platform::EventSlot& navigationParametersEvent() { return navigationParametersEvent_; }
    platform::EventSlot& versionEvent() { return versionEvent_; }
    /// True once every event exists (the thread has started).
    bool eventsReady() const;

    SirfProtocol protocol() const { return protocol_; }
    void clearProtocol() { protocol_ = SirfProtocol::None; }
    bool acknowledged() const { return acknowledged_; }
    void clearAcknowledged() { acknowledged_ = false; }
    bool okToSend() const { return okToSend_; }
    /// How many complete binary frames the thread has handled since it started: a chip that
    /// still talks SiRF binary at the port's rate adds at least one every navigation second.
    uint32_t binaryFrames() const { return binaryFrames_.load(std::memory_order_relaxed); }

    PositionRecord getPosition() const;
    SatelliteTable getSatellites() const;
    NavigationParameters getNavigationParameters() const;
    std::string getVersion() const;

    SirfRecorder& recorder() { return recorder_; }
    const SirfRecorder& recorder() const { return recorder_; }

  private:
    void handle(SirfFrameKind kind, std::span<const uint8_t> payload);

    ByteSource& source_;
    std::function<void()> sendPoll_;
    std::atomic<bool> stopRequested_{false};
    std::array<uint8_t, 512> input_{};

    platform::EventSlot frameStartEvent_;
    platform::EventSlot acknowledgeEvent_;
    platform::EventSlot fixEvent_;
    platform::EventSlot okToSendEvent_;
    platform::EventSlot navigationParametersEvent_;
    platform::EventSlot versionEvent_;

    std::atomic<SirfProtocol> protocol_{SirfProtocol::None};
    std::atomic<bool> acknowledged_{false};
    std::atomic<bool> okToSend_{false};
    std::atomic<uint32_t> binaryFrames_{0};

    PositionRecord working_;  // reader thread only
    PositionRecord position_;
    mutable platform::CriticalSection positionLock_;
    SatelliteTable satellites_;
    mutable platform::CriticalSection satelliteLock_;
    NavigationParameters navigationParameters_;
    FixedText<kVersionChars> version_;
    mutable platform::CriticalSection replyLock_;  // the navigation parameters and the version

    UsedPrns used_;  // reader thread only
    bool fixInLatest_ = false;
    SirfRecorder recorder_;
};

}  // namespace zentrix::receiver
