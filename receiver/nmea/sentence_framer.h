// Cutting the receiver's byte stream into sentences.
//
// The line carries standard NMEA sentences of talker G, the receiver's proprietary "$P" sentences,
// and two kinds of text that break the usual rules: the NTRIP source table, relayed as one reply
// whose body runs over many lines until "ENDSOURCETABLE" (or a second of silence), and the version
// report, a block of four lines without any "$". The framer is a state machine fed one byte at a
// time; it does no I/O and allocates nothing after construction. A "$" anywhere restarts framing,
// so a sentence cut short by line noise costs only itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <memory>

#include "receiver/nmea/sentence.h"
#include "receiver/nmea/sentence_type.h"

namespace zentrix::receiver {

class SentenceFramer {
public:
    /// The sentence buffer; a sentence that would not fit (with its terminating zero) is dropped.
    static constexpr size_t kSentenceBufferBytes = (1u << 20) + (64u << 10);
    /// A source-table line is followed in a buffer of this size, one byte kept for the terminator.
    static constexpr size_t kLineBufferBytes = 1024;

    enum class Feed : uint8_t {
        Nothing,   ///< the byte was taken or dropped
        Activity,  ///< a "$P" or "$G" start was seen: the receiver is talking
        Complete,  ///< a sentence is complete: see `type` and `sentence`
    };

    explicit SentenceFramer(size_t bufferBytes = kSentenceBufferBytes);

    Feed feed(uint8_t byte);
    /// A read time-out passed without a byte. True when that completes a source table.
    bool idle();

    /// Valid after `Complete` until the next `feed`.
    SentenceType type() const { return type_; }
    Sentence sentence() const { return {buffer_.get(), completeLength_}; }

    /// Overwrites the start of the buffer, as the reader does after every sentence, so that
    /// nothing of an old sentence can be mistaken for part of a new one.
    void scrub();

private:
    enum class State : uint8_t {
        Outside,      // waiting for "$", or the "R" of a version block
        AfterDollar,  // "$" seen: only "P" and "G" start a sentence we read
        Header,       // collecting the header that names the type
        Body,         // collecting the body up to its carriage return
        SourceTable,  // inside a source table: lines until ENDSOURCETABLE
        AfterCr,      // a carriage return seen: a line feed completes the sentence
        BlockHeader,  // an "R" seen: the first 16 bytes decide whether it is a version block
        Block,        // inside a version block: bytes up to its fourth line feed
    };

    void restart(State state = State::Outside);
    bool store(uint8_t byte);
    Feed complete();
    bool bufferStartsWith(std::string_view prefix) const;
    void refineType();
    void followSourceTableLine(uint8_t byte);

    std::unique_ptr<char[]> buffer_;
    size_t bufferBytes_;
    size_t position_ = 0;
    size_t completeLength_ = 0;
    size_t scrubbed_ = 0;  // how much of the buffer's start was written since the last scrub
    State state_ = State::Outside;
    uint32_t headerRemaining_ = 0;
    uint32_t lineFeeds_ = 0;
    SentenceType type_ = SentenceType::Unknown;
    bool sourceTableMayFollow_ = false;
    char line_[kLineBufferBytes] = {};
    size_t lineLength_ = 0;
};

}  // namespace zentrix::receiver
