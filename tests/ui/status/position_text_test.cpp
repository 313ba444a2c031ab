// The Position page's texts as functions: coordinates, lengths in metres and U.S. survey feet,
// time to fixed, and what one refresh shows for a given snapshot.
#include "ui/status/position_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "platform/text.h"
#include "tests/support/comma_locale.h"
#include "tests/support/test_support.h"

namespace zentrix::ui {
namespace {

std::string utf8(const WideString& text) {
    return platform::toUtf8(text);
}

TEST(PositionTextTest, CoordinatesInDegreesMinutesAndSeconds) {
    constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    struct Row {
        const char* legend;
        double degrees;
        bool latitude;
        const char* expected;
    };
    const Row rows[] = {
        {"south: magnitude, one integer digit of seconds", -33.5, true, "033°30'0.00000\"S"},
        {"above 180 is west of Greenwich", 350.25, false, "009°45'0.00000\"W"},
        {"fractional seconds", 47.38701234, true, "047°23'13.24442\"N"},
        {"seconds that round to 60 carry into the minutes", 10 + 59.999996 / 3600, true,
         "010°01'0.00000\"N"},
        {"and minutes into the degrees", 10 + 3599.999996 / 3600, false, "011°00'0.00000\"E"},
        {"seconds just below the carry stay", 10 + 59.999994 / 3600, true, "010°00'59.99999\"N"},
        {"180 is east", 180, false, "180°00'0.00000\"E"},
        {"just above 180 is just below 180 west", 180.00001, false, "179°59'59.96400\"W"},
        {"zero", 0, true, "000°00'0.00000\"N"},
        {"negative zero is not south", -0.0, true, "000°00'0.00000\"N"},
        {"not a number shows zeros", kNan, true, "000°00'0.00000\"N"},
        {"infinity shows zeros", kInf, false, "000°00'0.00000\"E"},
        {"minus infinity shows zeros", -kInf, false, "000°00'0.00000\"E"},
        {"far beyond an int's reach shows zeros", 1e9, true, "000°00'0.00000\"N"},
        {"just beyond a full turn shows zeros", -360.001, false, "000°00'0.00000\"E"},
    };
    const PositionWords words;
    for (const Row& row : rows) {
        const WideString text =
            row.latitude ? latitudeText(row.degrees, words) : longitudeText(row.degrees, words);
        EXPECT_EQ(utf8(text), row.expected) << row.legend;
    }
}

TEST(PositionTextTest, HemisphereLettersComeFromTheWordsAndFallBackToEnglish) {
    PositionWords words;
    words.north = u"Nord";  // only the letter's first character is shown
    words.south = u"";      // a translation that left the letter out
    words.east = u"";
    words.west = u"O";
    EXPECT_EQ(utf8(latitudeText(1, words)), "001°00'0.00000\"N");
    EXPECT_EQ(utf8(latitudeText(-1, words)), "001°00'0.00000\"S");
    EXPECT_EQ(utf8(longitudeText(1, words)), "001°00'0.00000\"E");
    EXPECT_EQ(utf8(longitudeText(-1, words)), "001°00'0.00000\"O");
}

TEST(PositionTextTest, LengthsInMetresOrUsSurveyFeet) {
    const PositionWords words;
    EXPECT_EQ(utf8(lengthText(100, LengthUnit::Metres, 3, words)), "100.000 m");
    EXPECT_EQ(utf8(lengthText(100, LengthUnit::UsSurveyFeet, 3, words)), "328.083 ft");
    EXPECT_EQ(utf8(lengthText(-12.3456, LengthUnit::Metres, 3, words)), "-12.346 m");
    EXPECT_EQ(utf8(lengthText(0.004, LengthUnit::UsSurveyFeet, 3, words)), "0.013 ft");
    EXPECT_EQ(utf8(lengthText(std::nan(""), LengthUnit::Metres, 3, words)), "0.000 m");
}

// A German desktop sets a decimal comma in the C library; the page still shows points, as the
// handheld did.
TEST(PositionTextTest, NumbersIgnoreTheProcessLocale) {
    test::ScopedCommaLocale comma;
    ASSERT_TRUE(comma.active());
    const PositionWords words;
    EXPECT_EQ(utf8(latitudeText(47.38701234, words)), "047°23'13.24442\"N");
    EXPECT_EQ(utf8(lengthText(12.5, LengthUnit::Metres, 3, words)), "12.500 m");
    PositionInput input;
    input.position.pdop = 2.4f;
    EXPECT_EQ(utf8(positionView(input, LengthUnit::Metres, words).pdop), "2.4");
}

TEST(PositionTextTest, TimeToFixed) {
    struct Row {
        uint32_t seconds;
        std::optional<std::string> expected;  // nothing: the line is hidden
    };
    const Row rows[] = {
        {0, std::nullopt}, {1, "1 sec"},         {59, "59 sec"},
        {60, "2 min"},     {119, "2 min"},       {120, "3 min"},
        {9998, "167 min"}, {9999, std::nullopt}, {0xFFFFFFFFu, std::nullopt},
    };
    const PositionWords words;
    for (const Row& row : rows) {
        const auto text = timeToFixedText(row.seconds, words);
        EXPECT_EQ(text ? std::optional<std::string>(utf8(*text)) : std::nullopt, row.expected)
            << row.seconds << " s";
    }
}

TEST(PositionTextTest, LengthUnitFollowsTheLocalesMeasurementSystem) {
    test::ScopedEnv all("LC_ALL", std::nullopt);
    {
        test::ScopedEnv measurement("LC_MEASUREMENT", "en_US.UTF-8");
        EXPECT_EQ(lengthUnitOfLocale(), LengthUnit::UsSurveyFeet);
    }
    {
        test::ScopedEnv measurement("LC_MEASUREMENT", "de_DE.UTF-8");
        EXPECT_EQ(lengthUnitOfLocale(), LengthUnit::Metres);
    }
    {
        test::ScopedEnv measurement("LC_MEASUREMENT", "en_GB.UTF-8");
        EXPECT_EQ(lengthUnitOfLocale(), LengthUnit::Metres);
    }
}

PositionInput rtkFix() {
    PositionInput input;
    input.position.latitude = -33.5;
    input.position.longitude = 350.25;
    input.position.ellipsoidHeight = 100;
    input.position.satellitesUsed = 14;
    input.position.pdop = 1.26f;
    input.position.fixType = 5;
    input.position.correctionAge = 3;
    input.position.referenceStationId = 1021;
    input.position.horizontalError = 0.004f;
    input.position.verticalError = 0.0125f;
    input.baselineMetres = 12500.25f;
    input.timeToFixedSeconds = 75;
    return input;
}

TEST(PositionTextTest, AnRtkFixShowsEveryLine) {
    const PositionView view = positionView(rtkFix(), LengthUnit::Metres, PositionWords());
    EXPECT_EQ(utf8(view.latitude), "033°30'0.00000\"S");
    EXPECT_EQ(utf8(view.longitude), "009°45'0.00000\"W");
    EXPECT_EQ(utf8(view.altitude), "100.000 m");
    EXPECT_EQ(utf8(view.satellitesUsed), "14");
    EXPECT_EQ(utf8(view.pdop), "1.3");
    EXPECT_TRUE(view.showStatus && view.showAge && view.showBaseId && view.showAccuracy &&
                view.showTimeToFixed);
    EXPECT_EQ(utf8(view.status), "FIXED");
    EXPECT_EQ(utf8(view.age), "3 sec");
    EXPECT_EQ(utf8(view.baseId), "1021");
    EXPECT_EQ(utf8(view.hrms), "0.004 m");
    EXPECT_EQ(utf8(view.vrms), "0.013 m");
    EXPECT_EQ(utf8(view.baseline), "12500.250 m");
    EXPECT_EQ(utf8(view.timeToFixed), "2 min");

    const PositionView feet = positionView(rtkFix(), LengthUnit::UsSurveyFeet, PositionWords());
    EXPECT_EQ(utf8(feet.altitude), "328.083 ft");
    EXPECT_EQ(utf8(feet.hrms), "0.013 ft");
    EXPECT_EQ(utf8(feet.baseline), "41011.237 ft");
}

TEST(PositionTextTest, GpsOnlyModelsWithoutSatellitesShowZeros) {
    for (const uint32_t model : {0u, 1u, 2u}) {
        PositionInput input = rtkFix();
        input.deviceModel = model;
        input.position.satellitesUsed = 0;
        const PositionView view = positionView(input, LengthUnit::Metres, PositionWords());
        const bool zeros = model != 2;
        EXPECT_EQ(utf8(view.latitude), zeros ? "000°00'0.00000\"N" : "033°30'0.00000\"S") << model;
        EXPECT_EQ(utf8(view.altitude), zeros ? "0.000 m" : "100.000 m") << model;
        EXPECT_EQ(utf8(view.pdop), zeros ? "0.0" : "1.3") << model;
        EXPECT_EQ(view.showStatus, !zeros) << "the fix status goes to 0 as well";
        EXPECT_EQ(view.showAccuracy, !zeros) << model;
        EXPECT_EQ(utf8(view.satellitesUsed), "0");
    }
    PositionInput withSatellites = rtkFix();
    withSatellites.deviceModel = 0;
    EXPECT_EQ(utf8(positionView(withSatellites, LengthUnit::Metres, PositionWords()).latitude),
              "033°30'0.00000\"S");
}

}  // namespace
}  // namespace zentrix::ui
