#include "receiver/nmea/sentence_framer.h"

#include <algorithm>
#include <cstring>

namespace zentrix::receiver {
namespace {

constexpr std::string_view kSourceTableStart = "$PQELR,NTR,TBL";
constexpr std::string_view kSourceTableEnd = "ENDSOURCETABLE";
constexpr std::string_view kVersionHeader = "RECEIVER VERSION";
constexpr std::string_view kApplicationHeader = "APPLICATION";
constexpr size_t kBlockHeaderBytes = 16;
constexpr uint32_t kBlockLines = 4;
constexpr size_t kScrubBytes = 1000;

}  // namespace

// The buffer is not cleared: only bytes the framer wrote are ever read, and the first 1000 get
// their "0" filling here, as after every sentence.
SentenceFramer::SentenceFramer(size_t bufferBytes)
    : buffer_(new char[std::max<size_t>(bufferBytes, 64)]),
      bufferBytes_(std::max<size_t>(bufferBytes, 64)) {
    scrubbed_ = bufferBytes_;
    scrub();
}

void SentenceFramer::restart(State state) {
    state_ = state;
    position_ = 0;
}

bool SentenceFramer::bufferStartsWith(std::string_view prefix) const {
    return position_ >= prefix.size() && std::memcmp(buffer_.get(), prefix.data(), prefix.size()) == 0;
}

// Keeps a byte; false when the buffer is full and the sentence was dropped. One byte always stays
// free for the terminating zero.
bool SentenceFramer::store(uint8_t byte) {
    buffer_[position_++] = static_cast<char>(byte);
    scrubbed_ = std::max(scrubbed_, position_);
    if (position_ < bufferBytes_) return true;
    restart();
    return false;
}

SentenceFramer::Feed SentenceFramer::complete() {
    buffer_[position_] = '\0';
    completeLength_ = position_;
    scrubbed_ = std::max(scrubbed_, position_ + 1);
    restart();
    return Feed::Complete;
}

void SentenceFramer::refineType() {
    if (type_ == SentenceType::FilCur) {
        const std::string_view field(buffer_.get() + std::min<size_t>(11, position_),
                                     position_ >= 14 ? 3 : 0);
        type_ = field == "PTH" ? SentenceType::FilPth
                : field == "CUR" ? SentenceType::FilCur
                                 : SentenceType::Unknown;
    } else if (type_ == SentenceType::Rcp && bufferStartsWith("$PQELR,RCP,REF")) {
        type_ = SentenceType::RcpRef;
    }
}

void SentenceFramer::followSourceTableLine(uint8_t byte) {
    if (byte == '\n') {
        lineLength_ = 0;
        return;
    }
    if (byte == '\r') return;
    if (lineLength_ < kLineBufferBytes - 1) line_[lineLength_++] = static_cast<char>(byte);
    if (std::string_view(line_, lineLength_) == kSourceTableEnd) {
        sourceTableMayFollow_ = false;
        lineLength_ = 0;
        state_ = State::Body;  // the carriage return after it ends the whole sentence
    }
}

SentenceFramer::Feed SentenceFramer::feed(uint8_t byte) {
    if (byte == '$') {
        restart(State::AfterDollar);
        store(byte);
        return Feed::Nothing;
    }
    switch (state_) {
        case State::Outside:
            if (byte == 'R') {
                restart(State::BlockHeader);
                store(byte);
                lineFeeds_ = 0;
            }
            return Feed::Nothing;

        case State::AfterDollar:
            if (byte != 'P' && byte != 'G') {
                restart();
                return Feed::Nothing;
            }
            store(byte);
            headerRemaining_ = byte == 'P' ? 8 : 4;
            state_ = State::Header;
            return Feed::Activity;

        case State::Header:
            if (!store(byte)) return Feed::Nothing;
            if (--headerRemaining_ == 0) {
                type_ = matchSentenceType(std::string_view(buffer_.get(), position_));
                sourceTableMayFollow_ = type_ == SentenceType::Ntr;
                state_ = State::Body;
            }
            return Feed::Nothing;

        case State::Body:
            if (!store(byte)) return Feed::Nothing;
            if (byte == '\r') {
                if (sourceTableMayFollow_ && type_ == SentenceType::Ntr &&
                    bufferStartsWith(kSourceTableStart)) {
                    lineLength_ = 0;
                    state_ = State::SourceTable;
                } else {
                    refineType();
                    state_ = State::AfterCr;
                }
            }
            return Feed::Nothing;

        case State::SourceTable:
            if (!store(byte)) return Feed::Nothing;
            followSourceTableLine(byte);
            return Feed::Nothing;

        case State::AfterCr:
            if (byte != '\n') {
                restart();
                return Feed::Nothing;
            }
            if (!store(byte)) return Feed::Nothing;
            return complete();

        case State::BlockHeader:
            if (!store(byte)) return Feed::Nothing;
            if (byte == '\n') ++lineFeeds_;
            if (position_ < kBlockHeaderBytes) return Feed::Nothing;
            if (!bufferStartsWith(kVersionHeader) && !bufferStartsWith(kApplicationHeader)) {
                restart();
                return Feed::Nothing;
            }
            type_ = SentenceType::Version;
            state_ = State::Block;
            return lineFeeds_ >= kBlockLines ? complete() : Feed::Nothing;

        case State::Block:
            if (!store(byte)) return Feed::Nothing;
            if (byte == '\n' && ++lineFeeds_ == kBlockLines) return complete();
            return Feed::Nothing;
    }
    return Feed::Nothing;
}

bool SentenceFramer::idle() {
    if (state_ != State::SourceTable || !bufferStartsWith(kSourceTableStart)) return false;
    complete();
    return true;
}

// Only the part a complete sentence wrote since the last scrub can differ from "0": the rest of
// the first 1000 bytes already holds it.
void SentenceFramer::scrub() {
    std::memset(buffer_.get(), '0', std::min({kScrubBytes, bufferBytes_, scrubbed_}));
    scrubbed_ = 0;
}

}  // namespace zentrix::receiver
