#include "receiver/commands/command_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace zentrix::receiver {
namespace {

// The printf conversion under `format[at]` (just after its "%"): flags, width, precision and
// length letter, then the conversion character.
struct Conversion {
    std::string_view spec;  // from the "%" through the conversion character
    char type = 0;
    bool leftAlign = false;  // "-"
    bool plusSign = false;   // "+"
    bool spaceSign = false;  // " "
    bool alternate = false;  // "#"
    bool zeroPad = false;    // "0"
    size_t width = 0;
    bool hasPrecision = false;
    size_t precision = 0;
};

// A width or precision larger than the buffer cannot be met; it is refused, not trusted.
bool readCount(std::string_view format, size_t& i, size_t& out) {
    out = 0;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
        out = out * 10 + static_cast<size_t>(format[i++] - '0');
        if (out >= kCommandBufferBytes)
            return false;
    }
    return true;
}

bool readConversion(std::string_view format, size_t percent, Conversion& out) {
    size_t i = percent + 1;
    for (; i < format.size(); ++i) {
        const char flag = format[i];
        if (flag == '-')
            out.leftAlign = true;
        else if (flag == '+')
            out.plusSign = true;
        else if (flag == ' ')
            out.spaceSign = true;
        else if (flag == '#')
            out.alternate = true;
        else if (flag == '0')
            out.zeroPad = true;
        else
            break;
    }
    if (!readCount(format, i, out.width))
        return false;
    if (i < format.size() && format[i] == '.') {
        ++i;
        out.hasPrecision = true;
        if (!readCount(format, i, out.precision))
            return false;
    }
    if (i < format.size() && format[i] == 'l')
        ++i;
    if (i >= format.size())
        return false;
    out.type = format[i];
    out.spec = format.substr(percent, i + 1 - percent);
    return true;
}

class Writer {
  public:
    explicit Writer(CommandBuffer& buffer) : buffer_(buffer) {}

    bool append(std::string_view text) {
        if (text.size() >= buffer_.size() - length_)
            return false;
        text.copy(buffer_.data() + length_, text.size());
        length_ += text.size();
        return true;
    }
    bool appendRepeated(char c, size_t count) {
        if (count >= buffer_.size() - length_)
            return false;
        std::fill_n(buffer_.data() + length_, count, c);
        length_ += count;
        return true;
    }
    size_t finish() {
        buffer_[length_] = '\0';
        return length_;
    }

  private:
    CommandBuffer& buffer_;
    size_t length_ = 0;
};

// A number's digits as printf lays them out in the "C" locale: sign, zero or blank padding to the
// width, left alignment. The digits come from std::to_chars, which knows no locale, so that a
// desktop whose decimal separator is a comma never puts one into a command.
bool appendNumber(Writer& out, const Conversion& c, std::string_view digits, bool zeroPadAllowed) {
    std::string_view sign;
    if (!digits.empty() && digits.front() == '-') {
        sign = "-";
        digits.remove_prefix(1);
    } else if (c.plusSign) {
        sign = "+";
    } else if (c.spaceSign) {
        sign = " ";
    }
    const size_t length = sign.size() + digits.size();
    const size_t padding = c.width > length ? c.width - length : 0;
    if (c.leftAlign)
        return out.append(sign) && out.append(digits) && out.appendRepeated(' ', padding);
    if (c.zeroPad && zeroPadAllowed)
        return out.append(sign) && out.appendRepeated('0', padding) && out.append(digits);
    return out.appendRepeated(' ', padding) && out.append(sign) && out.append(digits);
}

bool appendInteger(Writer& out, const Conversion& c, int64_t value) {
    // The magnitude's digits, at least `precision` of them ("%.0d" of 0 writes no digit at all).
    std::array<char, 24> magnitude{};
    const uint64_t absolute =
        value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    const auto [end, error] =
        std::to_chars(magnitude.data(), magnitude.data() + magnitude.size(), absolute);
    if (error != std::errc())
        return false;
    std::string_view digits(magnitude.data(), static_cast<size_t>(end - magnitude.data()));
    const size_t minimum = c.hasPrecision ? c.precision : 1;
    if (absolute == 0 && minimum == 0)
        digits = {};
    std::array<char, kCommandBufferBytes + 24> text{};
    size_t at = 0;
    if (value < 0)
        text[at++] = '-';
    for (size_t n = digits.size(); n < minimum; ++n) text[at++] = '0';
    digits.copy(text.data() + at, digits.size());
    at += digits.size();
    // With a precision, "0" pads no more (as printf has it).
    return appendNumber(out, c, std::string_view(text.data(), at), !c.hasPrecision);
}

bool appendReal(Writer& out, const Conversion& c, double value) {
    if (!std::isfinite(value))
        return false;
    const int precision = c.hasPrecision ? static_cast<int>(c.precision) : 6;
    // The largest double has 309 integer digits, then the point and the decimals.
    std::array<char, kCommandBufferBytes + 320> text{};
    auto [end, error] = std::to_chars(text.data(), text.data() + text.size() - 1, value,
                                      std::chars_format::fixed, precision);
    if (error != std::errc())
        return false;
    if (c.alternate && precision == 0)
        *end++ = '.';
    return appendNumber(
        out, c, std::string_view(text.data(), static_cast<size_t>(end - text.data())), true);
}

// One field's text. A comma would split it into two fields, a "*" would start the checksum and a
// line end would end the command there and start another: a password "pa,TYP,0*1" must not
// reach the receiver as extra fields.
bool isFieldText(std::string_view text) {
    return text.find_first_of(std::string_view(",*\r\n\0", 5)) == std::string_view::npos;
}

// Fields the program itself adds after a field of the format: empty, or each field led by its
// comma. No checksum start and no line end.
bool isTrailingFields(std::string_view text) {
    return (text.empty() || text.front() == ',') &&
           text.find_first_of(std::string_view("*\r\n\0", 4)) == std::string_view::npos;
}

size_t formatInto(CommandBuffer& buffer, std::string_view format,
                  std::initializer_list<CommandArg> args);

}  // namespace

size_t formatCommand(CommandBuffer& buffer, std::string_view format,
                     std::initializer_list<CommandArg> args) {
    const size_t length = formatInto(buffer, format, args);
    // Nothing of a refused command stays in the buffer to be sent by mistake.
    if (length == 0)
        buffer.fill('\0');
    return length;
}

namespace {
size_t formatInto(CommandBuffer& buffer, std::string_view format,
                  std::initializer_list<CommandArg> args) {
    Writer out(buffer);
    const CommandArg* arg = args.begin();
    size_t i = 0;
    while (i < format.size()) {
        const size_t percent = format.find('%', i);
        if (!out.append(format.substr(i, percent - i)))
            return 0;
        if (percent == std::string_view::npos)
            break;
        if (percent + 1 < format.size() && format[percent + 1] == '%') {
            if (!out.append("%"))
                return 0;
            i = percent + 2;
            continue;
        }
        Conversion c;
        if (!readConversion(format, percent, c) || arg == args.end())
            return 0;
        bool ok = false;
        switch (c.type) {
            case 'd':
                ok = arg->kind() == CommandArg::Kind::Integer && !c.alternate &&
                     appendInteger(out, c, arg->integer());
                break;
            case 'f':
                ok = arg->kind() == CommandArg::Kind::Real && appendReal(out, c, arg->real());
                break;
            case 's':
                ok = arg->kind() == CommandArg::Kind::Text && c.spec == "%s" &&
                     isFieldText(arg->text()) && out.append(arg->text());
                break;
            case 'S':
                ok = arg->kind() == CommandArg::Kind::Text && c.spec == "%S" &&
                     isTrailingFields(arg->text()) && out.append(arg->text());
                break;
            case 'c': {
                const char character = arg->character();
                const std::string_view one(&character, 1);
                ok = arg->kind() == CommandArg::Kind::Character && c.spec == "%c" &&
                     isFieldText(one) && out.append(one);
                break;
            }
            default:
                break;
        }
        if (!ok)
            return 0;
        ++arg;
        i = percent + c.spec.size();
    }
    if (arg != args.end())
        return 0;
    return out.finish();
}
}  // namespace

bool splitAngle(double angleDegrees, char negative, char positive, AngleText& out) {
    if (!std::isfinite(angleDegrees) || std::fabs(angleDegrees) > 360.0)
        return false;
    const double magnitude = std::fabs(angleDegrees);
    int32_t degrees = static_cast<int32_t>(magnitude);
    double minutes = std::round((magnitude - degrees) * 60.0 * 1e7) / 1e7;
    if (minutes >= 60.0) {
        ++degrees;
        minutes -= 60.0;
    }
    out = {degrees, minutes, angleDegrees < 0 ? negative : positive};
    return true;
}

}  // namespace zentrix::receiver
