#include "ui/network/network_settings.h"

namespace zentrix::ui {

int32_t portFromText(WideStringView text) {
    // Digits only, as the box lets them be typed; anything else (or a value past the range,
    // however many digits) is no port at all rather than a wrapped one.
    if (text.empty() || text.size() > kPortDigits)
        return 0;
    int32_t value = 0;
    for (const char16_t ch : text) {
        if (ch < u'0' || ch > u'9')
            return 0;
        value = value * 10 + (ch - u'0');
    }
    return value <= 65535 ? value : 0;
}

WideString portText(int32_t port) {
    const std::string digits = std::to_string(port);
    return WideString(digits.begin(), digits.end());
}

std::string profileText(WideStringView text, size_t width) {
    std::string bytes = platform::wideToAnsi(text);
    if (bytes.size() > width)
        bytes.resize(width);
    return bytes;
}

WideString shownText(std::string_view text) {
    return platform::ansiToWide(text);
}

}  // namespace zentrix::ui
