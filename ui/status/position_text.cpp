#include "ui/status/position_text.h"

#include <cmath>
#include <cstdlib>

#include "framework/resources.h"
#include "platform/locale.h"
#include "resources/resource_ids.h"

namespace zentrix::ui {
namespace {

// The handheld rounded a coordinate to 1e-5 arc-second before splitting it, so that seconds
// that round up to 60 carry into the minutes. Counting whole 1e-5 arc-seconds in 64 bits keeps
// that rounding and makes the split exact (at most 360 x 3600 x 1e5, about 1.3e11).
constexpr int64_t kUnitsPerSecond = 100000;
constexpr int64_t kUnitsPerMinute = 60 * kUnitsPerSecond;
constexpr int64_t kUnitsPerDegree = 60 * kUnitsPerMinute;

WideString ascii(const std::string& text) {
    return WideString(text.begin(), text.end());
}

/// `value` as "%0*d".
WideString zeroPadded(int64_t value, size_t width) {
    std::string digits = platform::decimalText(value);
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), '0');
    return ascii(digits);
}

/// `value` as "%.*f", 0 for a value that is not finite.
WideString fixed(double value, int decimals) {
    return ascii(platform::fixedText(std::isfinite(value) ? value : 0.0, decimals));
}

/// The first character of `letter` (a surrogate pair counts as one).
WideStringView firstCharacter(WideStringView letter) {
    if (letter.empty())
        return letter;
    const bool pair = letter.size() >= 2 && letter[0] >= 0xD800 && letter[0] <= 0xDBFF &&
                      letter[1] >= 0xDC00 && letter[1] <= 0xDFFF;
    return letter.substr(0, pair ? 2 : 1);
}

WideStringView orEnglish(const WideString& word, WideStringView english) {
    return word.empty() ? english : WideStringView(word);
}

WideString loadWord(unsigned id, const WideString& english) {
    WideString word = framework::loadString(id);
    return word.empty() ? english : word;
}

}  // namespace

LengthUnit lengthUnitOfLocale() {
    return platform::measurementSystem() == 2 ? LengthUnit::UsSurveyFeet : LengthUnit::Metres;
}

PositionWords loadPositionWords() {
    const PositionWords english;
    PositionWords words;
    words.north = loadWord(IDS_NORTH, english.north);
    words.south = loadWord(IDS_SOUTH, english.south);
    words.east = loadWord(IDS_EAST, english.east);
    words.west = loadWord(IDS_WEST, english.west);
    words.metres = loadWord(IDS_UNIT_METRES, english.metres);
    words.feet = loadWord(IDS_UNIT_FEET, english.feet);
    words.seconds = loadWord(IDS_UNIT_SECONDS, english.seconds);
    words.minutes = loadWord(IDS_UNIT_MINUTES, english.minutes);
    const unsigned fixIds[] = {IDS_FIX_SDGPS, IDS_FIX_DGPS, IDS_FIX_FLOAT, IDS_FIX_FIXED};
    for (size_t i = 0; i < words.fixNames.size(); ++i)
        words.fixNames[i] = loadWord(fixIds[i], english.fixNames[i]);
    return words;
}

WideString coordinateText(double degrees, WideStringView positive, WideStringView negative) {
    double magnitude = std::isfinite(degrees) && std::fabs(degrees) <= 360.0 ? degrees : 0.0;
    WideStringView letter = positive;
    if (magnitude < 0) {
        magnitude = -magnitude;
        letter = negative;
    } else if (magnitude > 180) {
        magnitude = 360.0 - magnitude;
        letter = negative;
    }
    const auto units =
        static_cast<int64_t>(std::floor(magnitude * static_cast<double>(kUnitsPerDegree) + 0.5));
    const int64_t wholeDegrees = units / kUnitsPerDegree;
    const int64_t minutes = units % kUnitsPerDegree / kUnitsPerMinute;
    const double seconds =
        static_cast<double>(units % kUnitsPerMinute) / static_cast<double>(kUnitsPerSecond);

    WideString text = zeroPadded(wholeDegrees, 3);
    text += u'\u00B0';
    text += zeroPadded(minutes, 2);
    text += u'\'';
    text += fixed(seconds, 5);
    text += u'"';
    text += firstCharacter(letter);
    return text;
}

WideString latitudeText(double degrees, const PositionWords& words) {
    return coordinateText(degrees, orEnglish(words.north, u"N"), orEnglish(words.south, u"S"));
}

WideString longitudeText(double degrees, const PositionWords& words) {
    return coordinateText(degrees, orEnglish(words.east, u"E"), orEnglish(words.west, u"W"));
}

WideString lengthText(double metres, LengthUnit unit, int decimals, const PositionWords& words) {
    const bool feet = unit == LengthUnit::UsSurveyFeet;
    WideString text = fixed(feet ? metres * kUsSurveyFeetPerMetre : metres, decimals);
    text += u' ';
    text += feet ? words.feet : words.metres;
    return text;
}

std::optional<WideString> timeToFixedText(uint32_t seconds, const PositionWords& words) {
    if (seconds < 1 || seconds > 9998)
        return std::nullopt;
    const bool underAMinute = seconds < 60;
    WideString text = ascii(platform::decimalText(underAMinute ? seconds : seconds / 60 + 1));
    text += u' ';
    text += underAMinute ? words.seconds : words.minutes;
    return text;
}

PositionView positionView(const PositionInput& input, LengthUnit unit, const PositionWords& words) {
    receiver::PositionRecord p = input.position;
    // The GPS-only chip keeps its last solution when it loses the sky; with no satellite in use
    // that solution means nothing, so the page shows zeros rather than a stale fix.
    if (input.deviceModel != 2 && p.satellitesUsed == 0) {
        p.latitude = 0;
        p.longitude = 0;
        p.ellipsoidHeight = 0;
        p.pdop = 0;
        p.fixType = 0;
    }

    PositionView view;
    view.latitude = latitudeText(p.latitude, words);
    view.longitude = longitudeText(p.longitude, words);
    view.altitude = lengthText(p.ellipsoidHeight, unit, 3, words);
    view.satellitesUsed = ascii(platform::decimalText(p.satellitesUsed));
    view.pdop = fixed(p.pdop, 1);

    const bool differential = p.fixType >= 2 && p.fixType <= 5;
    const bool hasAge = p.correctionAge != 0;
    if (differential) {
        view.showStatus = true;
        view.status = words.fixNames[static_cast<size_t>(p.fixType - 2)];
        // SBAS corrections come from no base station of the user's.
        view.showAge = hasAge;
        view.showBaseId = hasAge && p.fixType != 2;
    }
    if (view.showAge) {
        view.age = ascii(platform::decimalText(p.correctionAge));
        view.age += u' ';
        view.age += words.seconds;
    }
    if (view.showBaseId)
        view.baseId = ascii(platform::decimalText(p.referenceStationId));

    if (p.fixType == 4 || p.fixType == 5) {
        view.showAccuracy = true;
        view.baseline = lengthText(input.baselineMetres, unit, 3, words);
        view.hrms = lengthText(p.horizontalError, unit, 3, words);
        view.vrms = lengthText(p.verticalError, unit, 3, words);
    }

    if (auto text = timeToFixedText(input.timeToFixedSeconds, words)) {
        view.showTimeToFixed = true;
        view.timeToFixed = std::move(*text);
    }
    return view;
}

}  // namespace zentrix::ui
