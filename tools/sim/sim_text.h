// Small text helpers of the simulated receivers: sentence checksums, fields, coordinates.
//
// The simulator writes its own sentences instead of borrowing the program's parsers or tables, so
// that a test run against it compares two independent readings of the same line protocol.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zentrix::sim {

/// Exclusive-or of every character of `text` (the characters between "$" and "*").
uint8_t xorChecksum(std::string_view text);

/// "$GPGGA,..." becomes "$GPGGA,...*hh\r\n" with upper-case hexadecimal digits.
std::string withChecksum(std::string_view body);

/// printf into a std::string.
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

/// Splits at every comma; an empty text gives one empty field.
std::vector<std::string> splitFields(std::string_view text);

/// "ddmm.mmmmmm,N" / "dddmm.mmmmmm,E" with `minuteDigits` fraction digits of minutes.
std::string latitudeText(double degrees, int minuteDigits = 6);
std::string longitudeText(double degrees, int minuteDigits = 6);

/// Reads "ddmm.mmm" (or "dddmm.mmm") and a hemisphere letter back into degrees; false when the
/// text is not a coordinate.
bool parseCoordinate(std::string_view value, std::string_view hemisphere, double* degrees);

/// Whole decimal number in [minimum, maximum]; false for anything else (no partial parses).
bool parseInteger(std::string_view text, long minimum, long maximum, long* value);
/// Decimal number with optional sign and fraction; false for anything else.
bool parseNumber(std::string_view text, double* value);

/// "hhmmss.ss" for seconds of the day.
std::string timeOfDayText(double secondsOfDay);

}  // namespace zentrix::sim
