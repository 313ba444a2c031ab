// A framed sentence and its checksum rule.
#pragma once

#include <cstddef>
#include <string_view>

namespace zentrix::receiver {

/// One complete sentence as the framer hands it to a parser: from its "$" (or the "R" of a version
/// block) through its final line feed; `text[length]` is a zero byte.
struct Sentence {
    const char* text = "";
    size_t length = 0;

    std::string_view view() const { return {text, length}; }
    /// The character at `index`, or 0 past the end: parsers that address fixed positions never
    /// read beyond the sentence.
    char at(size_t index) const { return index < length ? text[index] : '\0'; }
    bool startsWith(std::string_view prefix) const { return view().substr(0, prefix.size()) == prefix; }
};

inline Sentence makeSentence(std::string_view text) { return {text.data(), text.size()}; }

/// The checksum rule of every parsed sentence. `length` counts the sentence through its carriage
/// return and line feed. A sentence whose character at `length - 5` is not "*" carries no checksum
/// and is accepted. Otherwise the two characters after the "*" are read as upper-case hexadecimal
/// digits (a lower-case digit gives a wrong value, and so a rejection) and compared with the
/// exclusive-or of every character after the "$" up to the "*".
bool verifyChecksum(const char* sentence, size_t length);
inline bool verifyChecksum(const Sentence& s) { return verifyChecksum(s.text, s.length); }

}  // namespace zentrix::receiver
