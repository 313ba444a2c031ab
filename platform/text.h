// Text conversions at the edges of the program.
//
// The receiver speaks 8-bit ASCII; the user interface holds UTF-16 text (`WideString`), as the
// handheld did; Linux file names and SQLite hold UTF-8. Every conversion between them happens
// here, and none of them fails: a byte or unit that cannot be converted becomes a replacement
// character instead of ending the conversion.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zentrix::platform {

using WideString = std::u16string;
using WideStringView = std::u16string_view;

/// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string toUtf8(WideStringView text);
/// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
WideString fromUtf8(std::string_view text);

/// The handheld's ANSI code page (Windows-1252) to UTF-16; the five bytes that code page leaves
/// undefined map to the C1 control of the same value, as the handheld's conversion did.
WideString ansiToWide(std::string_view text);
/// UTF-16 to the ANSI code page; a character the code page lacks becomes "?".
std::string wideToAnsi(WideStringView text);

/// ASCII-only case folding, for names that the platform compares without case (ports, registry).
std::string asciiLower(std::string_view text);
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Numbers as text. The C library's conversions (printf's "%f", strtod, sscanf, iostreams) follow
// the process locale, which the window system sets from the user's desktop, so a German desktop
// would put a decimal comma into receiver commands and files. Every number that leaves the
// program or comes into it goes through these instead: "." always, no grouping, no locale.

/// A whole number in decimal.
std::string decimalText(int64_t value);
/// A number with exactly `decimals` digits after the point, as "%.*f" writes it in the "C"
/// locale (rounded, "-" for a negative value); empty for a value that is not finite or a number
/// of decimals outside 0 to 100.
std::string fixedText(double value, int decimals);
/// The shortest text that reads back as the same number ("0.1", "1e+300"); empty for a value
/// that is not finite.
std::string shortestText(double value);
/// A whole text that is one finite decimal number ("12.5", "-3", "+0.25", "1e3"), with "." as
/// the decimal separator; nothing for anything else (a comma, white space, trailing text,
/// "inf", "nan", an empty text).
std::optional<double> parseReal(std::string_view text);
/// A whole text that is one decimal integer, optionally signed, that fits 64 bits.
std::optional<int64_t> parseInteger(std::string_view text);

}  // namespace zentrix::platform
