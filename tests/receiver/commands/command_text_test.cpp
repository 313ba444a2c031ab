#include "receiver/commands/command_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "receiver/commands/command_table.h"

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
