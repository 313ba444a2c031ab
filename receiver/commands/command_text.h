// Formatting a command sentence.
//
// Command texts live in a table as printf-style formats ("$PQELS,PEM,%d\r\n"), but the C library
// trusts its caller to pass arguments that match the conversions, and a mismatch is undefined
// behaviour that no test of the sentence's bytes would reliably catch. Here every argument carries
// its kind, each conversion is checked against the argument it consumes, and a command that does
// not match its format, that would not fit the command buffer, or whose text would add fields, a
// checksum or a line end of its own is refused: the caller sends nothing.
//
// Numbers are written without the C library, whose printf follows the process locale: under a
// German desktop "%f" would write "1,00", and the receiver reads a comma as the end of a field.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace zentrix::receiver {

/// One argument of a command format: `%d` takes an integer, `%f` (with `l` or not) a finite
/// floating-point number, `%s` a text and `%c` a character. A `%s` text and a `%c` character
/// are one field's worth: no ",", "*", CR, LF or zero byte. `%S` (not printf's) takes fields the
/// program itself appends to the previous one: empty, or starting with "," (",ON").
class CommandArg {
  public:
    enum class Kind : uint8_t { Integer, Real, Text, Character };

    CommandArg(int32_t value) : kind_(Kind::Integer), integer_(value) {}
    CommandArg(uint32_t value) : kind_(Kind::Integer), integer_(value) {}
    CommandArg(double value) : kind_(Kind::Real), real_(value) {}
    CommandArg(char value) : kind_(Kind::Character), character_(value) {}
    CommandArg(std::string_view value) : kind_(Kind::Text), text_(value) {}
    CommandArg(const char* value) : kind_(Kind::Text), text_(value) {}
    CommandArg(const std::string& value) : kind_(Kind::Text), text_(value) {}
    CommandArg(bool) = delete;  // a switch is sent as a word ("ON"), never as a number

    Kind kind() const { return kind_; }
    int64_t integer() const { return integer_; }
    double real() const { return real_; }
    char character() const { return character_; }
    std::string_view text() const { return text_; }

  private:
    Kind kind_;
    int64_t integer_ = 0;
    double real_ = 0;
    char character_ = 0;
    std::string_view text_;
};

/// The command buffer of one transaction: the longest command and its terminating zero.
inline constexpr size_t kCommandBufferBytes = 1024;
using CommandBuffer = std::array<char, kCommandBufferBytes>;

/// Formats `format` with `args` into `buffer` (zero-terminated) and returns the text's length;
/// 0 when the command is refused (see above).
size_t formatCommand(CommandBuffer& buffer, std::string_view format,
                     std::initializer_list<CommandArg> args);

/// An angle as the position commands write it: whole degrees, minutes and the hemisphere letter.
/// The minutes are rounded to the 7 decimals that are sent first, so that 59.99999999 minutes
/// carry into the next degree instead of going out as "60.0000000".
struct AngleText {
    int32_t degrees = 0;
    double minutes = 0;
    char hemisphere = 'N';
};
/// False for an angle that is not finite or lies beyond a full turn: no position field can hold
/// it.
bool splitAngle(double angleDegrees, char negative, char positive, AngleText& out);

}  // namespace zentrix::receiver
