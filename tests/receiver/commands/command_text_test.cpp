#include "receiver/commands/command_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "receiver/commands/command_table.h"
#include "tests/support/comma_locale.h"

namespace zentrix::receiver {
namespace {

std::string format(std::string_view f, std::initializer_list<CommandArg> args) {
    CommandBuffer buffer;
    const size_t n = formatCommand(buffer, f, args);
    EXPECT_EQ(buffer[n], '\0');
    return n == 0 ? "<refused>" : std::string(buffer.data(), n);
}

TEST(CommandText, ConversionsAreCheckedAgainstTheirArguments) {
    struct Row {
        const char* legend;
        std::string_view format;
        std::initializer_list<CommandArg> args;
        std::string expected;
    };
    const std::string big(1020, 'x');
    const Row rows[] = {
        {"plain", "$PQELQ,GPS\r\n", {}, "$PQELQ,GPS\r\n"},
        {"integer", "$PQELS,PEM,%d\r\n", {int32_t(-5)}, "$PQELS,PEM,-5\r\n"},
        {"unsigned", "%d", {uint32_t(4000000000u)}, "4000000000"},
        {"one digit", "%1d,%1d", {int32_t(1), int32_t(0)}, "1,0"},
        {"fixed width", "%02d%010.7lf", {int32_t(5), 3.25}, "0503.2500000"},
        {"default six decimals", "%f", {1.5}, "1.500000"},
        {"two decimals", "%.2f", {0.333}, "0.33"},
        {"text and character", "%c,%s", {'B', "RT3"}, "B,RT3"},
        {"empty text", "[%s]", {""}, "[]"},
        {"percent", "100%%", {}, "100%"},
        {"integer for text", "%s", {int32_t(1)}, "<refused>"},
        {"text for integer", "%d", {"1"}, "<refused>"},
        {"integer for real", "%f", {int32_t(1)}, "<refused>"},
        {"missing argument", "%d,%d", {int32_t(1)}, "<refused>"},
        {"argument left over", "%d", {int32_t(1), int32_t(2)}, "<refused>"},
        {"not a number", "%f", {NAN}, "<refused>"},
        {"infinite", "%.4lf", {-INFINITY}, "<refused>"},
        {"carriage return in text", "%s", {"a\rb"}, "<refused>"},
        {"line feed in text", "%s", {"a\nb"}, "<refused>"},
        {"line end as a character", "%c", {'\n'}, "<refused>"},
        {"comma in text", "%s", {"pa,TYP,0"}, "<refused>"},
        {"checksum start in text", "%s", {"0*1"}, "<refused>"},
        {"zero byte in text", "%s", {std::string_view("a\0b", 3)}, "<refused>"},
        {"comma as a character", "%c", {','}, "<refused>"},
        {"checksum start as a character", "%c", {'*'}, "<refused>"},
        {"ordinary text", "%s", {"user.name-1 @host/mount_point"}, "user.name-1 @host/mount_point"},
        {"trailing fields", "%c%S", {'5', ",ON"}, "5,ON"},
        {"no trailing fields", "%c%S", {'5', ""}, "5"},
        {"trailing text without its comma", "%S", {"ON"}, "<refused>"},
        {"trailing fields with a checksum", "%S", {",ON*12"}, "<refused>"},
        {"trailing fields with a line end", "%S", {",ON\r\n"}, "<refused>"},
        {"width on a text", "%5s", {"a"}, "<refused>"},
        {"huge width", "%99999999999999d", {int32_t(1)}, "<refused>"},
        {"huge precision", "%.99999999999f", {1.0}, "<refused>"},
        {"unknown conversion", "%x", {int32_t(1)}, "<refused>"},
        {"dangling percent", "abc%", {}, "<refused>"},
        {"just fits with its terminator", "%s\r\n", {std::string_view(big)}, big + "\r\n"},
        {"one too many", "%s\r\n\r\n", {std::string_view(big)}, "<refused>"},
        {"a number past the end", "%s%d", {std::string_view(big), int32_t(12345)}, "<refused>"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(format(row.format, row.args), row.expected);
    }
}

// The numbers of a command are the same bytes whatever the process locale: printf in the "C"
// locale is the reference, and the formatter runs under a locale with a decimal comma.
TEST(CommandText, NumbersMatchTheCLocaleUnderACommaLocale) {
    const char* realSpecs[] = {"%f",    "%.2f",   "%010.7lf", "%.4lf", "%.3lf",
                               "%.0f",  "%#.0f",  "%+.1f",    "% .1f", "%-9.2f",
                               "%9.2f", "%09.2f", "%-+09.1f", "%.12f", "%lf"};
    const double reals[] = {0.0,        -0.0,  1.0,      0.5,     1.5,
                            2.5,        -33.5, 12.00005, 0.125,   59.99999995,
                            123456.789, -1e-9, 1e20,     -4.7e15, 0.3333333333333333};
    const char* integerSpecs[] = {"%d",   "%02d", "%03d", "%1d", "%+d",  "% d",
                                  "%-5d", "%05d", "%.3d", "%ld", "%.0d", "%8.3d"};
    const int64_t integers[] = {0, 7, -7, 45, -350, 2147483647, -2147483648LL, 4000000000LL};

    struct Case {
        std::string spec;
        CommandArg arg;
        std::string expected;
    };
    std::vector<Case> cases;
    char reference[512];
    for (const char* spec : realSpecs) {
        for (const double value : reals) {
            std::snprintf(reference, sizeof reference, spec, value);
            cases.push_back({spec, CommandArg(value), reference});
        }
    }
    for (const char* spec : integerSpecs) {
        for (const int64_t value : integers) {
            std::string cSpec(spec);
            cSpec.insert(cSpec.size() - 1, cSpec[cSpec.size() - 2] == 'l' ? "l" : "ll");
            std::snprintf(reference, sizeof reference, cSpec.c_str(),
                          static_cast<long long>(value));
            const CommandArg arg = value >= 0 && value > INT32_MAX
                                       ? CommandArg(static_cast<uint32_t>(value))
                                       : CommandArg(static_cast<int32_t>(value));
            cases.push_back({spec, arg, reference});
        }
    }

    test::ScopedCommaLocale comma;
    ASSERT_TRUE(comma.active());
    for (const Case& c : cases) {
        // Brackets show the padding, and keep "%.0d" of 0 (no digits at all) a command.
        SCOPED_TRACE(c.spec + " -> [" + c.expected + "]");
        EXPECT_EQ(format("[" + c.spec + "]", {c.arg}), "[" + c.expected + "]");
    }
    // The receiver's own examples, whole.
    EXPECT_EQ(format("$PQELS,NME,%c,%s,ON,%.2f\r\n", {'A', "GGA", 1.0}),
              "$PQELS,NME,A,GGA,ON,1.00\r\n");
    EXPECT_EQ(format("$PQELS,POS,%02d%010.7lf,%c,%03d%010.7lf,%c,%.4lf\r\n",
                     {int32_t(33), 30.0, 'S', int32_t(350), 15.0, 'E', 12.0}),
              "$PQELS,POS,3330.0000000,S,35015.0000000,E,12.0000\r\n");
}

TEST(CommandText, AnglesSplitIntoDegreesMinutesAndHemisphere) {
    struct Row {
        double angle;
        int32_t degrees;
        double minutes;
        char hemisphere;
    };
    const Row rows[] = {
        {45.5, 45, 30.0, 'N'},          {-33.5, 33, 30.0, 'S'},
        {350.25, 350, 15.0, 'N'},       {0.0, 0, 0.0, 'N'},
        {45.99999999999, 46, 0.0, 'N'},  // 59.9999999994 minutes would print as 60.0000000
        {-0.000000000001, 0, 0.0, 'S'}, {360.0, 360, 0.0, 'N'},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.angle);
        AngleText a;
        ASSERT_TRUE(splitAngle(row.angle, 'S', 'N', a));
        EXPECT_EQ(a.degrees, row.degrees);
        EXPECT_NEAR(a.minutes, row.minutes, 1e-9);
        EXPECT_EQ(a.hemisphere, row.hemisphere);
    }
    AngleText a;
    EXPECT_FALSE(splitAngle(NAN, 'S', 'N', a));
    EXPECT_FALSE(splitAngle(360.5, 'S', 'N', a));
    EXPECT_FALSE(splitAngle(-1e300, 'W', 'E', a));
}

// Every row of the catalogue is where its command's number says, and none of its texts breaks
// the rules the receiver reads them by.
TEST(CommandTable, RowsAreWellFormed) {
    const auto table = commandTable();
    ASSERT_EQ(table.size(), static_cast<size_t>(Command::Count));
    for (size_t i = 0; i < table.size(); ++i) {
        const CommandRow& row = table[i];
        SCOPED_TRACE(std::string(row.format));
        EXPECT_EQ(&commandRow(row.command), &row);
        EXPECT_TRUE(row.format.ends_with("\r\n"));
        EXPECT_EQ(row.format.find('*'), std::string_view::npos) << "no checksum";
        const bool isSet = row.format.starts_with("$PQELS,");
        EXPECT_TRUE(isSet || row.format.starts_with("$PQELQ,"));
        switch (row.outcome) {
            case Outcome::Ack:
            case Outcome::TwoStage:
                EXPECT_TRUE(isSet);
                EXPECT_EQ(row.flag, nullptr);
                break;
            case Outcome::OwnReply:
                EXPECT_FALSE(isSet);
                EXPECT_NE(row.flag, nullptr);
                break;
            case Outcome::AnyReply:
            case Outcome::NoWait:
                EXPECT_FALSE(isSet);
                break;
        }
        EXPECT_EQ(row.secondTimeoutMs != 0, row.outcome == Outcome::TwoStage);
    }
}

}  // namespace
}  // namespace zentrix::receiver
