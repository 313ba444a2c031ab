#include "ui/diff/profiles/profile_record_format.h"

#include <gtest/gtest.h>

#include <string>

namespace zentrix::diff {
namespace {

DirectIpProfile dip(std::string_view name, std::string_view host, int32_t port) {
    DirectIpProfile record;
    record.name = name;
    record.host = host;
    record.port = port;
    return record;
}

NtripProfile ntrip(std::string_view name, std::string_view host, int32_t port,
                   std::string_view login, std::string_view password, std::string_view mount) {
    NtripProfile record;
    record.name = name;
    record.host = host;
    record.port = port;
    record.login = login;
    record.password = password;
    record.mountPoint = mount;
    return record;
}

TEST(ProfileRecordFormat, KnownProfilesGiveKnownBytes) {
    const DirectIpProfile dips[] = {dip("Base", "10.0.0.7", 9000), dip("", "h", -1)};
    EXPECT_EQ(formatProfiles(dips), "Dip data. Version 1\r\nBase;10.0.0.7;9000\r\n;h;-1\r\n");
    const NtripProfile casters[] = {ntrip("Office", "caster.example", 2101, "me", "pw", "MP01")};
    EXPECT_EQ(formatProfiles(casters),
              "Ntrip data. Version 1\r\nOffice;caster.example;2101;me;pw;MP01\r\n");
    EXPECT_EQ(formatProfiles(std::span<const NtripProfile>()), "Ntrip data. Version 1\r\n");
}

TEST(ProfileRecordFormat, EveryFieldRoundTripsAtItsFullWidth) {
    const std::string w32(32, 'x'), w100(100, 'm');
    std::vector<NtripProfile> casters;
    for (int i = 0; i < 100; ++i) {
        casters.push_back(ntrip(w32, "host" + std::to_string(i), i * 1000 - 50000, w32, "",
                                i % 2 ? w100 : "mount;with;separators"));
    }
    const auto read = parseNtripProfiles(formatProfiles(casters));
    EXPECT_TRUE(read.loaded && read.whole);
    EXPECT_EQ(read.records, casters);

    std::vector<DirectIpProfile> dips = {dip(w32, w32, 2147483647), dip("a", "", -2147483647 - 1)};
    const auto readDips = parseDirectIpProfiles(formatProfiles(dips));
    EXPECT_TRUE(readDips.loaded && readDips.whole);
    EXPECT_EQ(readDips.records, dips);
}

TEST(ProfileRecordFormat, FieldsAreCutToTheirWidths) {
    const std::string long40(40, 'h'), mount120(120, 'm');
    const auto read =
        parseNtripProfiles("Ntrip data. Version 1\r\n" + long40 + ";" + long40 + ";2101;" + long40 +
                           ";" + long40 + ";" + mount120 + "\r\n");
    ASSERT_EQ(read.records.size(), 1u);
    const auto& record = read.records[0];
    EXPECT_EQ(record.name.size(), 32u);
    EXPECT_EQ(record.host.size(), 32u);
    EXPECT_EQ(record.login.size(), 32u);
    EXPECT_EQ(record.password.size(), 32u);
    EXPECT_EQ(record.mountPoint.view(), mount120.substr(0, 100));
}

TEST(ProfileRecordFormat, CurrentLayoutLines) {
    struct Row {
        const char* legend;
        std::string bytes;
        size_t records;
        bool whole;
    };
    const std::string header = "Dip data. Version 1\r\n";
    const Row rows[] = {
        {"plain", header + "a;h;1\r\n", 1, true},
        {"no CR before the line end is skipped", header + "a;h;1\n", 0, false},
        {"no CR at the end of the file is skipped", header + "a;h;1", 0, false},
        {"a missing separator is skipped", header + "a;h\r\n", 0, false},
        {"blank lines are nothing", header + "\r\n\r\na;h;1\r\n\n", 1, true},
        {"the CR may come later on the line", header + "a;h;1 trailing\r\n", 1, true},
        {"the version number is not examined", "Dip data. Versionx\r\na;h;1\r\n", 1, true},
        {"a header with its CR LF and nothing else", "Dip data. Version\r\n", 0, true},
        {"the header text alone is an old-layout host", "Dip data. Version", 1, true},
        {"a zero byte ends the line", header + std::string("a;h;1\0\r\n", 8), 0, false},
        {"a line past 511 bytes arrives in pieces, as the handheld read it",
         header + std::string(600, 'x') + ";h;1\r\n", 1, false},
    };
    for (const auto& row : rows) {
        const auto read = parseDirectIpProfiles(row.bytes);
        EXPECT_EQ(read.records.size(), row.records) << row.legend;
        EXPECT_EQ(read.whole, row.whole) << row.legend;
        EXPECT_TRUE(read.loaded) << row.legend;
    }
}

TEST(ProfileRecordFormat, ReadingStopsAtOneHundredRecords) {
    std::string bytes = "Ntrip data. Version 1\r\n";
    for (int i = 0; i < 101; ++i) bytes += "n;h" + std::to_string(i) + ";1;l;p;m\r\n";
    const auto read = parseNtripProfiles(bytes);
    ASSERT_EQ(read.records.size(), 100u);
    EXPECT_EQ(read.records.back().host, "h99");
    EXPECT_FALSE(read.whole) << "the 101st record is not read, so saving must keep the file";
}

TEST(ProfileRecordFormat, OldDirectIpLayout) {
    const auto read = parseDirectIpProfiles("10.0.0.1;;host.example\r\n9000;;2101\r\n");
    ASSERT_EQ(read.records.size(), 2u);
    EXPECT_EQ(read.records[0], dip("10.0.0.1", "10.0.0.1", 9000));
    EXPECT_EQ(read.records[1], dip("host.example", "host.example", 2101));
    EXPECT_TRUE(read.whole);

    // More than 100 hosts: each is appended, pushing the first ones out.
    std::string hosts, ports;
    for (int i = 0; i < 105; ++i) {
        hosts += "h" + std::to_string(i) + ";";
        ports += std::to_string(i) + ";";
    }
    const auto many = parseDirectIpProfiles(hosts + "\n" + ports + "\n");
    ASSERT_EQ(many.records.size(), 100u);
    EXPECT_EQ(many.records.front(), dip("h5", "h5", 5));
    EXPECT_EQ(many.records.back(), dip("h104", "h104", 104));
    EXPECT_FALSE(many.whole);
}

TEST(ProfileRecordFormat, OldNtripLayout) {
    const auto read =
        parseNtripProfiles("c1;c2\r\n2101;2102\r\nu1;u2\r\np1\r\nM1;" + std::string(120, 'm'));
    EXPECT_TRUE(read.loaded);
    ASSERT_EQ(read.records.size(), 2u);
    EXPECT_EQ(read.records[0], ntrip("c1", "c1", 2101, "u1", "p1", "M1"));
    EXPECT_EQ(read.records[1], ntrip("c2", "c2", 2102, "u2", "", std::string(100, 'm')));

    for (const char* truncated : {"", "c1\n2101\nu1\np1", "c1\n2101", "c1"}) {
        const auto failed = parseNtripProfiles(truncated);
        EXPECT_FALSE(failed.loaded) << truncated;
        EXPECT_TRUE(failed.records.empty()) << truncated;
    }
}

TEST(ProfileRecordFormat, DecimalPrefixReadsLikeTheCLibraryWithoutOverflow) {
    struct Row {
        const char* text;
        int32_t value;
    };
    const Row rows[] = {
        {"2101", 2101},
        {"  -7x", -7},
        {"+5;", 5},
        {"", 0},
        {"x1", 0},
        {"99999999999999", 2147483647},
        {"-99999999999", -2147483647 - 1},
    };
    for (const auto& row : rows) EXPECT_EQ(decimalPrefix(row.text), row.value) << row.text;
}

TEST(ProfileRecordFormat, InsertKeepsAtMostOneHundred) {
    std::vector<DirectIpProfile> list;
    for (int i = 0; i < 100; ++i) insertProfile(list, false, dip("n", "h" + std::to_string(i), i));
    insertProfile(list, true, dip("new", "front", 1));
    ASSERT_EQ(list.size(), 100u);
    EXPECT_EQ(list.front().host, "front");
    EXPECT_EQ(list.back().host, "h98") << "the oldest at the end went";
    insertProfile(list, false, dip("new", "back", 1));
    ASSERT_EQ(list.size(), 100u);
    EXPECT_EQ(list.front().host, "h0") << "appending drops the first";
    EXPECT_EQ(list.back().host, "back");
}

}  // namespace
}  // namespace zentrix::diff
