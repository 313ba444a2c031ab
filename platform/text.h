// Text conversions at the edges of the program.
//
// The receiver speaks 8-bit ASCII; the user interface holds UTF-16 text (`WideString`), as the
// handheld did; Linux file names and SQLite hold UTF-8. Every conversion between them happens
// here, and none of them fails: a byte or unit that cannot be converted becomes a replacement
// character instead of ending the conversion.
#pragma once

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

}  // namespace zentrix::platform
