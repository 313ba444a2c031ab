#include "receiver/nmea/field_cursor.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace zentrix::receiver {
namespace {

bool isSeparator(char c) { return c == ',' || c == '*' || c == '\r' || c == '\n' || c == '\0'; }

}  // namespace

bool verifyChecksum(const char* sentence, size_t length) {
    if (length < 5 || sentence[length - 5] != '*') return true;
    const auto digit = [](char c) {
        return static_cast<uint8_t>(c) < ':' ? static_cast<uint8_t>(c) - 48 : static_cast<uint8_t>(c) - 55;
    };
    const unsigned expected = (digit(sentence[length - 4]) * 16 + digit(sentence[length - 3])) & 0xFF;
    unsigned sum = 0;
    for (size_t i = 1; i < length - 5; ++i) sum ^= static_cast<uint8_t>(sentence[i]);
    return (sum & 0xFF) == expected;
}

void FieldCursor::skipField() {
    while (!atEnd() && !isSeparator(peek())) skip();
    if (peek() == ',') skip();
}

uint32_t FieldCursor::parseDigits(int maxDigits) {
    uint32_t value = 0;
    for (int i = 0; i < maxDigits && isDigit(); ++i) {
        value = value * 10 + static_cast<uint32_t>(peek() - '0');
        skip();
    }
    return value;
}

int32_t FieldCursor::parseSignedInt() {
    bool negative = false;
    if (peek() == '+' || peek() == '-') {
        negative = peek() == '-';
        skip();
    }
    int64_t value = 0;
    while (isDigit()) {
        value = std::min<int64_t>(value * 10 + (peek() - '0'), int64_t{1} << 32);
        skip();
    }
    if (negative) value = -value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

double FieldCursor::parseFixed(int intDigits, int fracDigits) {
    double value = parseDigits(intDigits);
    if (peek() != '.') return value;
    skip();
    uint64_t fraction = 0;
    double divisor = 1;
    for (int i = 0; i < fracDigits && isDigit(); ++i) {
        fraction = fraction * 10 + static_cast<uint64_t>(peek() - '0');
        divisor *= 10;
        skip();
    }
    while (isDigit()) skip();
    return value + static_cast<double>(fraction) / divisor;
}

double FieldCursor::parseSignedFixed(int intDigits, int fracDigits) {
    bool negative = false;
    if (peek() == '+' || peek() == '-') {
        negative = peek() == '-';
        skip();
    }
    const double value = parseFixed(intDigits, fracDigits);
    return negative ? -value : value;
}

double FieldCursor::parseTime() {
    const double hours = parseDigits(2);
    const double minutes = parseDigits(2);
    const double seconds = parseFixed(2, 3);
    return hours * 3600 + minutes * 60 + seconds;
}

double FieldCursor::parseAngle(int degreeDigits, char negative, char positive) {
    const double degrees = parseDigits(degreeDigits);
    // All fraction digits of the minutes, as whole numbers so that none is lost to rounding.
    const double minutes = parseFixed(2, 12);
    double angle = degrees + minutes / 60.0;
    if (peek() != ',') return angle;
    const char hemisphere = peekAhead(1);
    if (hemisphere == negative || hemisphere == positive) {
        if (hemisphere == negative) angle = -angle;
        skip(2);
    } else if (isSeparator(hemisphere)) {
        skip(1);  // an empty hemisphere field is stepped over too, so later fields stay in place
    }
    return angle;
}

double FieldCursor::parseLatitude() { return parseAngle(2, 'S', 'N'); }
double FieldCursor::parseLongitude() { return parseAngle(3, 'W', 'E'); }

std::string FieldCursor::copyField(size_t maxLength) {
    const size_t start = position_;
    while (!atEnd() && !isSeparator(peek())) skip();
    return std::string(text_ + start, std::min(position_ - start, maxLength));
}

FieldList::FieldList(const Sentence& sentence) : length_(sentence.length) {
    const std::string_view text = sentence.view();
    size_t start = 0;
    // A proprietary header ("$PQELR,VEC") runs up to its second comma.
    size_t i = (text.size() > 1 && text[0] == '$' && text[1] == 'P') ? text.find(',') + 1 : 0;
    if (i == 0 || i > text.size()) i = 0;
    for (; count_ < kMaxFields; ++i) {
        const char c = i < text.size() ? text[i] : '\0';
        if (c == ',' || c == '*' || c == '\r' || c == '\n' || c == '\0') {
            offsets_[count_] = start;
            fields_[count_++] = text.substr(start, i - start);
            if (c != ',') break;
            start = i + 1;
        }
    }
}

double textToDouble(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)end;
    return error == std::errc() && std::isfinite(value) ? value : 0.0;
}

int32_t textToInt(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    FieldCursor cursor(text);
    return cursor.parseSignedInt();
}

}  // namespace zentrix::receiver
