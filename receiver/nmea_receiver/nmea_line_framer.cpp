#include "receiver/nmea_receiver/nmea_line_framer.h"

namespace zentrix::receiver {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

/// "*hh" at the end, and hh the exclusive-or of everything between the start and the "*".
bool checksumRight(const char* text, size_t length) {
    if (length < 4 || text[length - 3] != '*')
        return false;
    const int high = hexValue(text[length - 2]);
    const int low = hexValue(text[length - 1]);
    if (high < 0 || low < 0)
        return false;
    uint8_t sum = 0;
    for (size_t i = 1; i + 3 < length; ++i) sum ^= static_cast<uint8_t>(text[i]);
    return sum == ((high << 4) | low);
}

}  // namespace

NmeaLineFramer::Feed NmeaLineFramer::feed(uint8_t byte) {
    completeLength_ = 0;
    const char c = static_cast<char>(byte);
    if (c == '$' || c == '!') {
        // "$$" is one start: some receivers double it.
        if (inSentence_ && length_ == 1 && c == '$' && buffer_[0] == '$')
            return Feed::Nothing;
        // A start inside a sentence means the previous one lost its end: it cannot be checked.
        if (inSentence_ && length_ > 1)
            ++rejectedSentences_;
        inSentence_ = true;
        buffer_[0] = c;
        length_ = 1;
        return Feed::Nothing;
    }
    if (!inSentence_)
        return Feed::Nothing;
    if (c == '\n' || c == '\r') {
        // The CR of CR LF ends the sentence; the LF after it then finds nothing open.
        inSentence_ = false;
        const size_t length = length_;
        length_ = 0;
        if (checksumRight(buffer_, length)) {
            buffer_[length] = '\0';
            completeLength_ = length;
            ++validSentences_;
            return Feed::Sentence;
        }
        ++rejectedSentences_;
        return Feed::Nothing;
    }
    if (length_ >= kMaxSentenceBytes) {
        // Overlong: dropped whole, counted once.
        inSentence_ = false;
        length_ = 0;
        ++rejectedSentences_;
        return Feed::Nothing;
    }
    buffer_[length_++] = c;
    return Feed::Nothing;
}

std::string_view NmeaLineFramer::sentence() const {
    return {buffer_, completeLength_};
}

void NmeaLineFramer::reset() {
    length_ = 0;
    completeLength_ = 0;
    inSentence_ = false;
    validSentences_ = 0;
    rejectedSentences_ = 0;
}

}  // namespace zentrix::receiver
