#include "receiver/commands/command_text.h"

#include <cmath>
#include <cstdio>
#include <type_traits>

namespace zentrix::receiver {
namespace {

// The printf conversion under `format[at]` (just after its "%"): flags, width, precision and
// length letters, then the conversion character.
struct Conversion {
    std::string_view spec;  // from the "%" through the conversion character
    char type = 0;
};

bool readConversion(std::string_view format, size_t percent, Conversion& out) {
    size_t i = percent + 1;
    while (i < format.size() && std::string_view("-+ #0").find(format[i]) != std::string_view::npos)
        ++i;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') ++i;
    if (i < format.size() && format[i] == '.') {
        ++i;
        while (i < format.size() && format[i] >= '0' && format[i] <= '9') ++i;
    }
    if (i < format.size() && format[i] == 'l')
        ++i;
    if (i >= format.size())
        return false;
    out.type = format[i];
    out.spec = format.substr(percent, i + 1 - percent);
    return out.spec.size() < 16;
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
    // The spec is one checked conversion with its matching C type, so the format is never
    // trusted blindly.
    template <typename T>
    bool appendNumber(std::string_view spec, char cType, T value) {
        char cSpec[24];
        const size_t n = spec.size() - 1;
        spec.substr(0, n).copy(cSpec, n);
        size_t at = n;
        if constexpr (std::is_same_v<T, long long>) {
            if (at > 0 && cSpec[at - 1] == 'l')
                --at;
            cSpec[at++] = 'l';
            cSpec[at++] = 'l';
        }
        cSpec[at++] = cType;
        cSpec[at] = '\0';
        const size_t room = buffer_.size() - length_;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
        const int written = std::snprintf(buffer_.data() + length_, room, cSpec, value);
#pragma GCC diagnostic pop
        if (written < 0 || static_cast<size_t>(written) >= room)
            return false;
        length_ += static_cast<size_t>(written);
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

bool isPlainText(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
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
                ok = arg->kind() == CommandArg::Kind::Integer &&
                     out.appendNumber(c.spec, 'd', static_cast<long long>(arg->integer()));
                break;
            case 'f':
                ok = arg->kind() == CommandArg::Kind::Real && std::isfinite(arg->real()) &&
                     out.appendNumber(c.spec, 'f', arg->real());
                break;
            case 's':
                // A line end inside a field would end the command there and start another.
                ok = arg->kind() == CommandArg::Kind::Text && c.spec == "%s" &&
                     isPlainText(arg->text()) && out.append(arg->text());
                break;
            case 'c': {
                const char character = arg->character();
                const std::string_view one(&character, 1);
                ok = arg->kind() == CommandArg::Kind::Character && c.spec == "%c" &&
                     isPlainText(one) && out.append(one);
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
