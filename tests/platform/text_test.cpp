#include "platform/text.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace zentrix::platform
