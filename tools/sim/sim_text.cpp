#include "tools/sim/sim_text.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/text.h"

namespace zentrix::sim {

uint8_t xorChecksum(std::string_view text) {
    uint8_t sum = 0;
    for (char c : text) sum ^= static_cast<uint8_t>(c);
    return sum;
}

std::string withChecksum(std::string_view body) {
    const std::string_view afterDollar = body.empty() ? body : body.substr(1);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", xorChecksum(afterDollar));
    return std::string(body) + tail;
}

std::string format(const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, pattern, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), pattern, args);
        text.resize(static_cast<size_t>(length));
    }
    va_end(args);
    return text;
}

std::vector<std::string> splitFields(std::string_view text) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) {
            fields.emplace_back(text.substr(start));
            return fields;
        }
        fields.emplace_back(text.substr(start, comma - start));
        start = comma + 1;
    }
}

namespace {

std::string coordinateText(double degrees, int degreeDigits, char positive, char negative,
                           int minuteDigits) {
    const double magnitude = std::fabs(degrees);
    int whole = static_cast<int>(magnitude);
    double minutes = (magnitude - whole) * 60.0;
    // Rounding may carry into the next degree ("59.9999999" printed as "60.000000").
    const double scale = std::pow(10.0, minuteDigits);
    if (std::round(minutes * scale) >= 60.0 * scale) {
        ++whole;
        minutes = 0.0;
    }
    return format("%0*d%0*.*f,%c", degreeDigits, whole, minuteDigits + 3, minuteDigits, minutes,
                  degrees < 0 ? negative : positive);
}

}  // namespace

std::string latitudeText(double degrees, int minuteDigits) {
    return coordinateText(degrees, 2, 'N', 'S', minuteDigits);
}

std::string longitudeText(double degrees, int minuteDigits) {
    return coordinateText(degrees, 3, 'E', 'W', minuteDigits);
}

bool parseNumber(std::string_view text, double* value) {
    if (text.empty() || text.size() > 40)
        return false;
    // The receiver knows only plain decimals: no exponent, whatever a number parser accepts.
    for (char c : text) {
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+'))
            return false;
    }
    const std::optional<double> parsed = platform::parseReal(text);
    if (!parsed)
        return false;
    *value = *parsed;
    return true;
}

bool parseInteger(std::string_view text, long minimum, long maximum, long* value) {
    if (text.empty() || text.size() > 10)
        return false;
    size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (i == text.size())
        return false;
    long parsed = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        parsed = parsed * 10 + (text[i] - '0');
    }
    if (text[0] == '-')
        parsed = -parsed;
    if (parsed < minimum || parsed > maximum)
        return false;
    *value = parsed;
    return true;
}

bool parseCoordinate(std::string_view value, std::string_view hemisphere, double* degrees) {
    const size_t dot = value.find('.');
    const size_t wholeDigits = dot == std::string_view::npos ? value.size() : dot;
    if (wholeDigits < 4 || wholeDigits > 5 || hemisphere.size() != 1)
        return false;
    double number = 0;
    if (!parseNumber(value, &number) || number < 0)
        return false;
    const double whole = std::floor(number / 100.0);
    const double minutes = number - whole * 100.0;
    if (minutes >= 60.0)
        return false;
    double result = whole + minutes / 60.0;
    switch (hemisphere[0]) {
        case 'N':
        case 'E':
            break;
        case 'S':
        case 'W':
            result = -result;
            break;
        default:
            return false;
    }
    *degrees = result;
    return true;
}

std::string timeOfDayText(double secondsOfDay) {
    long centiseconds = std::lround(secondsOfDay * 100.0);
    centiseconds %= 8640000;
    if (centiseconds < 0)
        centiseconds += 8640000;
    const long h = centiseconds / 360000;
    const long m = centiseconds / 6000 % 60;
    const long s = centiseconds / 100 % 60;
    return format("%02ld%02ld%02ld.%02ld", h, m, s, centiseconds % 100);
}

}  // namespace zentrix::sim
