#include "ui/diff/profiles/profile_field_format.h"

#include <gtest/gtest.h>

#include <string>

namespace zentrix::diff {
namespace {

GsmProfile gsm(std::string_view pin, std::string_view number) {
    GsmProfile record;
    record.pin = pin;
    record.phoneNumber = number;
    return record;
}

GprsProfile gprs(std::string_view pin, std::string_view apn, std::string_view login,
                 std::string_view password) {
    GprsProfile record;
    record.pin = pin;
    record.apn = apn;
    record.login = login;
    record.password = password;
    return record;
}

template <class Record>
ProfileTable<Record> tableOf(std::initializer_list<Record> records) {
    ProfileTable<Record> table;
    for (const auto& record : records) table.records[table.count++] = record;
    return table;
}

template <class Record>
void expectSameRecords(const ProfileTable<Record>& read, const ProfileTable<Record>& written) {
    ASSERT_EQ(read.count, written.count);
    for (size_t i = 0; i < read.count; ++i) EXPECT_EQ(read.records[i], written.records[i]) << i;
}

TEST(ProfileFieldFormat, KnownProfilesGiveKnownBytes) {
    EXPECT_EQ(formatProfileFields(tableOf({gsm("1234", "+4912345"), gsm("", "0800")})),
              "1234;\r\n+4912345;0800");
    EXPECT_EQ(formatProfileFields(tableOf({gprs("", "web.apn", "user", "secret")})),
              "\r\nweb.apn\r\nuser\r\nsecret");
    EXPECT_EQ(formatProfileFields(ProfileTable<GsmProfile>()), "");
}

TEST(ProfileFieldFormat, RoundTrips) {
    const auto single = tableOf({gprs("", "apn", "", "")});
    expectSameRecords(parseProfileFields<GprsProfile>(formatProfileFields(single)), single);

    ProfileTable<GsmProfile> full;
    for (size_t i = 0; i < full.kSlots; ++i) {
        full.records[i] = gsm(i % 3 ? "" : "12345678", std::string(20, char('0' + i % 10)));
    }
    full.count = full.kSlots;
    expectSameRecords(parseProfileFields<GsmProfile>(formatProfileFields(full)), full);
}

TEST(ProfileFieldFormat, Reading) {
    struct Row {
        const char* legend;
        std::string bytes;
        size_t count;
        std::vector<std::pair<std::string, std::string>> records;  // PIN, number
    };
    const Row rows[] = {
        {"the count is that of the last line", "1;2;3\r\nN1", 1, {{"1", "N1"}}},
        {"the first line alone", "11;22", 2, {{"11", ""}, {"22", ""}}},
        {"an empty file", "", 0, {}},
        {"lines past the fields are ignored", "1\r\nN1\r\nx;y;z\r\n", 1, {{"1", "N1"}}},
        {"a bare LF ends a line", "1;2\nA;B", 2, {{"1", "A"}, {"2", "B"}}},
        {"CR ends the values of a line", "1\rjunk;x\r\nN1", 1, {{"1", "N1"}}},
        {"fields are cut",
         "123456789\r\n" + std::string(25, '9'),
         1,
         {{"12345678", std::string(20, '9')}}},
        {"a zero byte ends a field",
         std::string("12\0"
                     "34\r\nN",
                     8),
         1,
         {{"12", "N"}}},
    };
    for (const auto& row : rows) {
        const auto table = parseProfileFields<GsmProfile>(row.bytes);
        EXPECT_EQ(table.count, row.count) << row.legend;
        for (size_t i = 0; i < row.records.size(); ++i) {
            EXPECT_EQ(table.records[i], gsm(row.records[i].first, row.records[i].second))
                << row.legend << " " << i;
        }
    }
}

TEST(ProfileFieldFormat, AtMostOneHundredValuesALine) {
    std::string line;
    for (int i = 0; i < 150; ++i) line += std::to_string(i) + ";";
    const auto table = parseProfileFields<GsmProfile>(line + "\r\n" + line);
    EXPECT_EQ(table.count, 100u);
    EXPECT_EQ(table.records[99], gsm("99", "99"));
}

}  // namespace
}  // namespace zentrix::diff
