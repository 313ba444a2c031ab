// The reader thread: the only consumer of the receiver's byte stream.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "platform/event.h"
#include "platform/worker_thread.h"
#include "receiver/nmea/byte_source.h"
#include "receiver/nmea/navigation_state.h"
#include "receiver/replies/reply_state.h"
#include "receiver/nmea/sentence_framer.h"

namespace zentrix::receiver {

/// The runnable of the reader thread. It frames sentences from its byte source one byte at a
/// time, hands each to its parser and then sets the sentence type's event: `replyEvent` releases a
/// waiting command, `vectorEvent` tells that a new position was published, `activityEvent` that the
/// receiver is talking at all. The events exist only while the thread runs; a wait on them at any
/// other time fails at once.
///
/// Threads: `run` and everything it calls run on the reader thread; `requestStop`, the events'
/// waits, the flags and the getters are for the user-interface thread.
class ReceiverReader : public platform::Runnable {
public:
    /// How long one read waits; also the silence that ends a source table.
    static constexpr uint32_t kReadTimeoutMs = 1000;

    explicit ReceiverReader(ByteSource& source,
                            size_t sentenceBufferBytes = SentenceFramer::kSentenceBufferBytes)
        : source_(source), sentenceBufferBytes_(sentenceBufferBytes) {}

    /// 0 after a normal end (stop requested, or the source failed); 1 when it could not start.
    uint32_t run() override;
    void requestStop() override { stopRequested_ = true; }
    void beforeStart() override { stopRequested_ = false; }

    /// Reads until a sentence is complete (true) or a stop was requested or the source failed.
    bool frameNextSentence(SentenceFramer& framer, SentenceType& type);
    /// Parses one sentence and sets its event.
    void dispatch(SentenceType type, const Sentence& sentence);

    platform::EventSlot& activityEvent() { return activityEvent_; }
    platform::EventSlot& replyEvent() { return replyEvent_; }
    platform::EventSlot& vectorEvent() { return vectorEvent_; }

    NavigationState& navigation() { return navigation_; }
    const NavigationState& navigation() const { return navigation_; }
    ReplyState& replies() { return replies_; }
    const ReplyState& replies() const { return replies_; }

    PositionRecord getPosition() const { return navigation_.getPosition(); }
    uint32_t getSatellites(std::array<SatelliteRecord, kMaxSatellites>& out) const {
        return navigation_.getSatellites(out);
    }

private:
    ByteSource& source_;
    const size_t sentenceBufferBytes_;
    // Bytes taken from the source and not yet framed. The framer still sees one byte at a time;
    // taking what has arrived in one go only saves a call per byte. What is left when a run ends
    // is dropped with the run: the port is purged or set to another rate before the next one.
    std::array<uint8_t, 512> input_{};
    size_t inputBegin_ = 0;
    size_t inputEnd_ = 0;
    std::atomic<bool> stopRequested_{false};
    platform::EventSlot activityEvent_;
    platform::EventSlot replyEvent_;
    platform::EventSlot vectorEvent_;
    NavigationState navigation_;
    ReplyState replies_;
};

}  // namespace zentrix::receiver
