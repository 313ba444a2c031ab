// Reading the fields of a sentence.
//
// Every parser walks its sentence with one cursor. The cursor never leaves the sentence: reads
// past the end see a zero byte, and skips stop at the end, so a short or truncated sentence can
// only produce empty fields, never a read beyond the buffer. None of the functions steps over the
// comma that separates two fields; the caller does that with `skip`.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "receiver/nmea/sentence.h"

namespace zentrix::receiver {

class FieldCursor {
public:
    explicit FieldCursor(const Sentence& sentence, size_t position = 0)
        : text_(sentence.text), length_(sentence.length), position_(std::min(position, length_)) {}
    explicit FieldCursor(std::string_view text, size_t position = 0)
        : FieldCursor(makeSentence(text), position) {}

    size_t position() const { return position_; }
    void seek(size_t position) { position_ = std::min(position, length_); }
    bool atEnd() const { return position_ >= length_; }
    /// The character under the cursor, 0 at the end.
    char peek() const { return peekAhead(0); }
    /// The character `offset` places after the cursor, 0 past the end.
    char peekAhead(size_t offset) const {
        return position_ + offset < length_ ? text_[position_ + offset] : '\0';
    }
    /// Steps over `count` characters, stopping at the end.
    void skip(size_t count = 1) { seek(position_ + count); }
    /// Steps over the current field and its comma, if any.
    void skipField();

    /// Up to `maxDigits` decimal digits; stops at the first non-digit. 0 for an empty field.
    uint32_t parseDigits(int maxDigits);
    /// An optional "+" or "-" and any number of digits, held to the 32-bit range.
    int32_t parseSignedInt();
    /// Up to `intDigits` integer digits, then, if "." follows, up to `fracDigits` fraction digits.
    /// Further fraction digits are stepped over without counting: a receiver that sends more
    /// precision than the field expects must not shift every later field of its sentence.
    double parseFixed(int intDigits, int fracDigits);
    /// An optional sign, then `parseFixed`.
    double parseSignedFixed(int intDigits, int fracDigits);
    /// hhmmss with up to 3 fraction digits (more are stepped over): seconds of the day.
    double parseTime();
    /// ddmm.mmmm, then, if "," and "N" or "S" follow, consumes them: degrees, negative south.
    /// Every fraction digit of the minutes counts (survey receivers send 7 or 8).
    double parseLatitude();
    /// dddmm.mmmm and "E" or "W" likewise: degrees, negative west.
    double parseLongitude();
    /// The characters up to "," or "*" or a line end, cut to at most `maxLength` characters; the
    /// cursor ends on the separator in either case.
    std::string copyField(size_t maxLength = std::string::npos);

private:
    bool isDigit() const { return peek() >= '0' && peek() <= '9'; }
    double parseAngle(int degreeDigits, char negative, char positive);

    const char* text_;
    size_t length_;
    size_t position_;
};

/// The comma-separated fields of a sentence: field 0 is the header ("$GPVTG", or "$PQELR,VEC" for
/// a proprietary sentence, whose header takes two), fields from 1 follow it. The list ends at "*", a line end or the end of the sentence; fields past the
/// 64th are not kept. A missing field reads as empty.
class FieldList {
public:
    static constexpr size_t kMaxFields = 64;

    explicit FieldList(const Sentence& sentence);

    size_t size() const { return count_; }
    std::string_view operator[](size_t index) const {
        return index < count_ && index < kMaxFields ? fields_[index] : std::string_view();
    }
    /// Where field `index` starts in the sentence; the sentence length for a missing field.
    size_t offset(size_t index) const {
        return index < count_ && index < kMaxFields ? offsets_[index] : length_;
    }

private:
    std::string_view fields_[kMaxFields];
    size_t offsets_[kMaxFields] = {};
    size_t count_ = 0;
    size_t length_ = 0;
};

/// The platform's text-to-number conversions, as VTG and VEC use them on copied fields: leading
/// blanks, an optional sign, then as much of a number as there is; 0 when there is none.
double textToDouble(std::string_view text);
int32_t textToInt(std::string_view text);

}  // namespace zentrix::receiver
