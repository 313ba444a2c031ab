// Cutting any NMEA 0183 receiver's byte stream into sentences.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zentrix::receiver {

/// Fed one byte at a time; hands out each sentence whose checksum is present and right. A "$" or
/// "!" anywhere restarts framing; "$$" counts as one "$"; LF or CR LF ends a sentence; a sentence
/// longer than `kMaxSentenceBytes` is dropped. No I/O, no allocation.
class NmeaLineFramer {
  public:
    static constexpr size_t kMaxSentenceBytes = 256;

    enum class Feed : uint8_t {
        Nothing,   ///< the byte was taken or dropped
        Sentence,  ///< a checksum-valid sentence is complete: see `sentence`
    };

    Feed feed(uint8_t byte);
    /// Valid after `Feed::Sentence` until the next `feed`: from its single "$" (or "!") through
    /// the two checksum digits, without the line end.
    std::string_view sentence() const;
    /// Sentences handed out since construction or `reset` (the passive search's evidence).
    uint64_t validSentences() const { return validSentences_; }
    /// Sentences whose checksum was missing or wrong, and overlong ones.
    uint64_t rejectedSentences() const { return rejectedSentences_; }
    void reset();

  private:
    char buffer_[kMaxSentenceBytes + 1] = {};
    size_t length_ = 0;
    size_t completeLength_ = 0;
    bool inSentence_ = false;
    uint64_t validSentences_ = 0;
    uint64_t rejectedSentences_ = 0;
};

}  // namespace zentrix::receiver
