#include "platform/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>

#include "tests/support/comma_locale.h"

namespace zentrix::platform {
namespace {

TEST(Text, Utf8AndUtf16RoundTrip) {
    const WideString samples[] = {u"", u"COM3:", u"Höhe über NN", u"北京", u"\U0001F4E1 dish"};
    for (const auto& sample : samples) EXPECT_EQ(fromUtf8(toUtf8(sample)), sample);
    EXPECT_EQ(toUtf8(u"Grüße"), "Gr\xC3\xBC\xC3\x9F" "e");
}

TEST(Text, MalformedInputBecomesReplacementCharacters) {
    EXPECT_EQ(fromUtf8("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(fromUtf8("\xC3"), u"\uFFFD") << "truncated sequence";
    EXPECT_EQ(fromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD") << "overlong slash";
    EXPECT_EQ(fromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD") << "encoded surrogate";
    EXPECT_EQ(fromUtf8("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD") << "past U+10FFFF";
    const char16_t loneHigh[] = {u'x', 0xD800, u'y', 0};
    EXPECT_EQ(toUtf8(loneHigh), "x\xEF\xBF\xBDy");
    const char16_t loneLow[] = {0xDC00, 0};
    EXPECT_EQ(toUtf8(loneLow), "\xEF\xBF\xBD");
}

TEST(Text, AnsiCodePage) {
    EXPECT_EQ(ansiToWide("A\x80\xE9\xFF"), u"A\u20AC\u00E9\u00FF");
    EXPECT_EQ(ansiToWide("\x81\x9D"), u"\u0081\u009D") << "undefined bytes keep their value";
    EXPECT_EQ(wideToAnsi(u"A\u20AC\u00E9\u0153"), "A\x80\xE9\x9C");
    EXPECT_EQ(wideToAnsi(u"北"), "?");
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(wideToAnsi(ansiToWide(all)), all) << "every byte survives the round trip";
}

TEST(Text, AsciiCaseFolding) {
    EXPECT_EQ(asciiLower("HKCU\\Software\\ÄB"), "hkcu\\software\\Äb");
    EXPECT_TRUE(equalsIgnoringAsciiCase("NtripMountPoit", "NTRIPMOUNTPOIT"));
    EXPECT_FALSE(equalsIgnoringAsciiCase("abc", "abcd"));
}

// Numbers are written and read with "." under a locale whose decimal separator is a comma, where
// printf and strtod would use and expect ",".
TEST(Text, NumbersIgnoreTheLocale) {
    test::ScopedCommaLocale comma;
    ASSERT_TRUE(comma.active());

    EXPECT_EQ(decimalText(0), "0");
    EXPECT_EQ(decimalText(-1234567), "-1234567") << "no grouping";
    EXPECT_EQ(decimalText(INT64_MIN), "-9223372036854775808");

    struct Fixed {
        double value;
        int decimals;
        const char* text;
    };
    const Fixed fixed[] = {
        {1.0, 2, "1.00"},     {-33.5, 4, "-33.5000"}, {0.0625, 3, "0.062"},  // halves to even
        {2.5, 0, "2"},        {1e21, 1, "1000000000000000000000.0"},        {-0.0, 1, "-0.0"},
        {0.1, 20, "0.10000000000000000555"},
    };
    for (const Fixed& f : fixed) {
        SCOPED_TRACE(f.text);
        EXPECT_EQ(fixedText(f.value, f.decimals), f.text);
    }
    EXPECT_EQ(fixedText(NAN, 2), "");
    EXPECT_EQ(fixedText(INFINITY, 2), "");
    EXPECT_EQ(fixedText(1.0, -1), "");
    EXPECT_EQ(fixedText(-1.7976931348623157e308, 100).size(), 1u + 309u + 1u + 100u);

    EXPECT_EQ(shortestText(0.1), "0.1");
    EXPECT_EQ(shortestText(-2.5e-7), "-2.5e-07");
    EXPECT_EQ(shortestText(NAN), "");

    struct Parse {
        const char* text;
        std::optional<double> value;
    };
    const Parse parses[] = {
        {"12.5", 12.5}, {"-3", -3.0},        {"+0.25", 0.25},     {"1e3", 1000.0},
        {".5", 0.5},    {"1,5", std::nullopt}, {"1.5 ", std::nullopt}, {" 1.5", std::nullopt},
        {"", std::nullopt}, {"+", std::nullopt}, {"+-1", std::nullopt}, {"inf", std::nullopt},
        {"nan", std::nullopt}, {"1e999", std::nullopt}, {"0x10", std::nullopt}, {"-", std::nullopt},
    };
    for (const Parse& p : parses) {
        SCOPED_TRACE(p.text);
        EXPECT_EQ(parseReal(p.text), p.value);
    }
    for (const double value : {0.1, -33.5, 1e-300, 123456.789, 5e-324}) {
        EXPECT_EQ(parseReal(shortestText(value)), value) << "round trip";
    }

    EXPECT_EQ(parseInteger("2101"), 2101);
    EXPECT_EQ(parseInteger("+7"), 7);
    EXPECT_EQ(parseInteger("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(parseInteger("9223372036854775808"), std::nullopt);
    EXPECT_EQ(parseInteger("1.000"), std::nullopt);
    EXPECT_EQ(parseInteger(""), std::nullopt);
}

}  // namespace
}  // namespace zentrix::platform
