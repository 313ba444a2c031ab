#include "receiver/nmea/field_cursor.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "tests/support/nmea.h"

namespace zentrix::receiver {
namespace {

TEST(Checksum, RuleOfTheReceiver) {
    const std::string good = test::withChecksum("$PQELR,ACK");
    EXPECT_TRUE(verifyChecksum(good.data(), good.size()));
    std::string bad = good;
    bad[7] = 'N';
    EXPECT_FALSE(verifyChecksum(bad.data(), bad.size()));

    // Lower-case hexadecimal gives a wrong digit value, so a rejection.
    for (int n = 0; n < 64; ++n) {
        std::string s = test::withChecksum("$GPGGA," + std::to_string(n));
        const size_t star = s.find('*');
        if (std::isdigit(static_cast<unsigned char>(s[star + 1])) &&
            std::isdigit(static_cast<unsigned char>(s[star + 2]))) {
            continue;
        }
        ASSERT_TRUE(verifyChecksum(s.data(), s.size()));
        for (size_t i = star + 1; i < star + 3; ++i) {
            s[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
        }
        EXPECT_FALSE(verifyChecksum(s.data(), s.size())) << s;
    }

    const std::string none = "$PQELR,ACK\r\n";
    EXPECT_TRUE(verifyChecksum(none.data(), none.size())) << "no checksum is accepted";
    EXPECT_TRUE(verifyChecksum("", 0));
    EXPECT_TRUE(verifyChecksum("*\r\n", 3));
}

TEST(FieldCursor, NumbersAsTheReceiverWritesThem) {
    struct Row {
        const char* text;
        double expected;
        size_t endsAt;
    };
    // parseFixed(2, 1)
    const Row fixed[] = {{"12.3,", 12.3, 4},   {"1.25,", 1.2, 4},  {"123.4", 12, 2},
                         {",", 0, 0},          {".5*", 0.5, 2},    {"7,", 7, 1},
                         {"12.34567,", 12.3, 8}};
    for (const auto& row : fixed) {
        FieldCursor c(row.text);
        EXPECT_DOUBLE_EQ(c.parseFixed(2, 1), row.expected) << row.text;
        EXPECT_EQ(c.position(), row.endsAt) << row.text;
    }
    FieldCursor signedFixed("-12.5,+3.25");
    EXPECT_DOUBLE_EQ(signedFixed.parseSignedFixed(5, 3), -12.5);
    signedFixed.skip();
    EXPECT_DOUBLE_EQ(signedFixed.parseSignedFixed(5, 3), 3.25);

    FieldCursor digits("12345,");
    EXPECT_EQ(digits.parseDigits(2), 12u);
    EXPECT_EQ(digits.parseDigits(9), 345u);
    EXPECT_EQ(digits.parseDigits(2), 0u) << "empty field";

    FieldCursor ints("-45,+7,99999999999999,-99999999999999,x");
    EXPECT_EQ(ints.parseSignedInt(), -45);
    ints.skip();
    EXPECT_EQ(ints.parseSignedInt(), 7);
    ints.skip();
    EXPECT_EQ(ints.parseSignedInt(), INT32_MAX) << "held to the 32-bit range";
    ints.skip();
    EXPECT_EQ(ints.parseSignedInt(), INT32_MIN);
    ints.skip();
    EXPECT_EQ(ints.parseSignedInt(), 0);
}

TEST(FieldCursor, TimeAndAngles) {
    FieldCursor time("123519.257,");
    EXPECT_NEAR(time.parseTime(), 12 * 3600 + 35 * 60 + 19.257, 1e-9);
    EXPECT_EQ(time.peek(), ',');

    struct Row {
        const char* text;
        bool latitude;
        double degrees;
        char next;  // what the cursor stands on afterwards
    };
    const Row rows[] = {
        {"4807.038,N,", true, 48 + 7.038 / 60, ','},
        {"4807.038,S,", true, -(48 + 7.038 / 60), ','},
        {"01131.000,E,", false, 11 + 31.0 / 60, ','},
        {"01131.000,W*", false, -(11 + 31.0 / 60), '*'},
        // Survey receivers send 7 or 8 fraction digits; all of them count and the hemisphere
        // is still found.
        {"3723.46587704,N,", true, 37 + 23.46587704 / 60, ','},
        {"12202.26957864,W,", false, -(122 + 2.26957864 / 60), ','},
        // An empty hemisphere field is stepped over, so the next field stays in place.
        {",,1,", true, 0, ','},
        {"4807.038,,1", true, 48 + 7.038 / 60, ','},
        // No hemisphere field at all: nothing more is consumed.
        {"4807.038,1234", true, 48 + 7.038 / 60, ','},
    };
    for (const auto& row : rows) {
        FieldCursor c(row.text);
        const double value = row.latitude ? c.parseLatitude() : c.parseLongitude();
        EXPECT_NEAR(value, row.degrees, 1e-12) << row.text;
        EXPECT_EQ(c.peek(), row.next) << row.text;
    }
    FieldCursor lat("4807.038,,1");
    lat.parseLatitude();
    lat.skip();
    EXPECT_EQ(lat.parseDigits(1), 1u) << "the field after an empty hemisphere";
}

TEST(FieldCursor, NeverLeavesTheSentence) {
    FieldCursor c("12");
    c.skip(100);
    EXPECT_TRUE(c.atEnd());
    EXPECT_EQ(c.peek(), '\0');
    EXPECT_EQ(c.peekAhead(5), '\0');
    EXPECT_EQ(c.parseDigits(5), 0u);
    EXPECT_EQ(c.copyField(), "");
    c.skipField();
    EXPECT_EQ(c.position(), 2u);

    const std::string text = "ABCDEFGH,rest";
    FieldCursor cut(text);
    EXPECT_EQ(cut.copyField(4), "ABCD") << "cut to its size";
    EXPECT_EQ(cut.peek(), ',') << "but the whole field is stepped over";
}

TEST(FieldList, FieldsAfterTheHeader) {
    const std::string s = test::withChecksum("$GPVTG,054.7,T,,M,005.5,N,010.2,K,A");
    const FieldList fields(makeSentence(s));
    EXPECT_EQ(fields[0], "$GPVTG");
    EXPECT_EQ(fields[1], "054.7");
    EXPECT_EQ(fields[3], "");
    EXPECT_EQ(fields[9], "A") << "the list ends at the checksum";
    EXPECT_EQ(fields.size(), 10u);
    EXPECT_EQ(fields[10], "");
    EXPECT_EQ(fields[1000], "");
    EXPECT_EQ(fields.offset(1), 7u);

    const std::string vec = test::withChecksum("$PQELR,VEC,2,,0.5");
    const FieldList proprietary(makeSentence(vec));
    EXPECT_EQ(proprietary[0], "$PQELR,VEC") << "a proprietary header takes two";
    EXPECT_EQ(proprietary[1], "2");
    EXPECT_EQ(proprietary[3], "0.5");
    EXPECT_EQ(proprietary.offset(1), 11u);
    const FieldList bare(makeSentence("$P"));
    EXPECT_EQ(bare[0], "$P");

    std::string many = "$PQELR,X";
    for (int i = 0; i < 200; ++i) many += ",1";
    const FieldList bounded(makeSentence(many));
    EXPECT_EQ(bounded.size(), FieldList::kMaxFields);
}

TEST(TextToNumber, AsTheCRuntimeReadsIt) {
    EXPECT_DOUBLE_EQ(textToDouble("  12.5xyz"), 12.5);
    EXPECT_DOUBLE_EQ(textToDouble("+3"), 3);
    EXPECT_DOUBLE_EQ(textToDouble("-0.25"), -0.25);
    EXPECT_DOUBLE_EQ(textToDouble(""), 0);
    EXPECT_DOUBLE_EQ(textToDouble("abc"), 0);
    EXPECT_DOUBLE_EQ(textToDouble("1e999"), 0) << "no infinities from the line";
    EXPECT_EQ(textToInt(" 42,"), 42);
    EXPECT_EQ(textToInt("-9"), -9);
    EXPECT_EQ(textToInt("x"), 0);
}

}  // namespace
}  // namespace zentrix::receiver
