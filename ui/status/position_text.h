// What the Position page shows, as pure functions of the receiver's snapshot: every text, unit
// and show/hide rule lives here, so that all of it is tested without a window and the page only
// copies the result into its controls.
//
// Numbers are written without the C library's locale (platform/text.h): a desktop with a decimal
// comma must not turn "12.345 m" into "12,345 m", nor a coordinate's seconds.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "platform/text.h"
#include "receiver/nmea/position_record.h"

namespace zentrix::ui {

using platform::WideString;
using platform::WideStringView;

/// Metres, or U.S. survey feet where the user's locale measures in the U.S. system.
enum class LengthUnit { Metres, UsSurveyFeet };

/// U.S. survey feet in one metre (1200 / 3937 m to the foot).
inline constexpr double kUsSurveyFeetPerMetre = 3.2808333333333333;

/// The unit the user's locale asks for (platform::measurementSystem(): 2 is the U.S. system).
LengthUnit lengthUnitOfLocale();

/// The string-table words the page puts into its texts. The defaults are the built-in English
/// ones; `loadPositionWords` takes them from the string table (a language library may replace
/// them).
struct PositionWords {
    WideString north = u"N";
    WideString south = u"S";
    WideString east = u"E";
    WideString west = u"W";
    WideString metres = u"m";
    WideString feet = u"ft";
    WideString seconds = u"sec";
    WideString minutes = u"min";
    /// Fix status 2 to 5: SBAS-differential, code differential, RTK float, RTK fixed.
    std::array<WideString, 4> fixNames = {u"SDGPS", u"DGPS", u"FLOAT", u"FIXED"};
};
PositionWords loadPositionWords();

/// A coordinate as degrees, minutes and seconds to 1e-5 arc-second with its hemisphere letter:
/// "033°30'0.00000"S". A negative value takes `negative`; a value above 180 is shown as
/// 360 minus it with `negative` (350.25 is 9.75 W); otherwise `positive`. A value that is not
/// finite or lies beyond +-360 shows zeros. Only the first character of a letter is used.
WideString coordinateText(double degrees, WideStringView positive, WideStringView negative);
/// With the words' letters; a letter a translation left empty is the English one.
WideString latitudeText(double degrees, const PositionWords& words);
WideString longitudeText(double degrees, const PositionWords& words);

/// `metres` with `decimals` decimals and the unit: "12.345 m", or in feet "40.502 ft". A value
/// that is not finite shows as 0.
WideString lengthText(double metres, LengthUnit unit, int decimals, const PositionWords& words);

/// The time-to-fixed line: seconds below a minute, else whole minutes plus one ("1 min" never
/// shows: 60 to 119 s are "2 min"). Nothing for a value outside 1 to 9998, which hides the line.
std::optional<WideString> timeToFixedText(uint32_t seconds, const PositionWords& words);

/// Everything the receiver gives the page for one refresh.
struct PositionInput {
    receiver::PositionRecord position;
    uint32_t deviceModel = 2;
    /// 0 when the receiver cannot report one.
    float baselineMetres = 0;
    uint32_t timeToFixedSeconds = 0;
};

/// One refresh of the page: the texts of the value controls and which lines show. A line that
/// is hidden keeps the text it had (its text here is empty and is not written).
struct PositionView {
    WideString latitude;
    WideString longitude;
    WideString altitude;
    WideString satellitesUsed;
    WideString pdop;
    bool showStatus = false;
    WideString status;
    bool showAge = false;
    WideString age;
    bool showBaseId = false;
    WideString baseId;
    /// HRMS, VRMS and baseline, shown together for an RTK solution.
    bool showAccuracy = false;
    WideString hrms;
    WideString vrms;
    WideString baseline;
    bool showTimeToFixed = false;
    WideString timeToFixed;
};

PositionView positionView(const PositionInput& input, LengthUnit unit, const PositionWords& words);

}  // namespace zentrix::ui
