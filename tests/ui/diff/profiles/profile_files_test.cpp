// The profile files on disk: where they live, who may read them, and that no failure loses them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <type_traits>

#include "platform/atomic_file.h"
#include "tests/support/comma_locale.h"
#include "tests/support/crash_loop.h"
#include "tests/support/files.h"
#include "tests/support/test_support.h"
#include "ui/diff/profiles/profile_field_store.h"
#include "ui/diff/profiles/profile_list.h"

namespace zentrix::diff {
namespace {

namespace fs = std::filesystem;
using test::contentsOf;
using test::modeOf;
using test::ScratchDeviceRoot;
using test::writeFile;

DirectIpProfile dip(std::string_view name, std::string_view host, int32_t port) {
    DirectIpProfile record;
    record.name = name;
    record.host = host;
    record.port = port;
    return record;
}

NtripProfile ntrip(std::string_view name, std::string_view host, std::string_view password) {
    NtripProfile record;
    record.name = name;
    record.host = host;
    record.port = 2101;
    record.login = "user";
    record.password = password;
    record.mountPoint = "MP";
    return record;
}

GsmProfile gsm(std::string_view pin, std::string_view number) {
    GsmProfile record;
    record.pin = pin;
    record.phoneNumber = number;
    return record;
}

GprsProfile gprs(std::string_view apn, std::string_view password) {
    GprsProfile record;
    record.apn = apn;
    record.login = "user";
    record.password = password;
    return record;
}

TEST(ProfileList, SavesAndLoadsAtTheDeviceRoot) {
    ScratchDeviceRoot root;
    NtripProfileList list;
    EXPECT_FALSE(list.load()) << "no file yet";
    EXPECT_EQ(list.count(), 0u);
    list.insert(true, ntrip("Office", "caster", "pw"));
    list.insert(true, ntrip("Home", "caster2", "pw2"));
    ASSERT_TRUE(list.save());
    EXPECT_EQ(contentsOf(root.path() / "ntrip_data.txt"),
              "Ntrip data. Version 1\r\nHome;caster2;2101;user;pw2;MP\r\n"
              "Office;caster;2101;user;pw;MP\r\n");
    EXPECT_EQ(modeOf(root.path() / "ntrip_data.txt"), 0600u) << "it holds passwords";

    NtripProfileList again;
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.records(), list.records());
    EXPECT_EQ(again.find(ntrip("any name", "caster", "pw")), 1);
    EXPECT_EQ(again.find(ntrip("Office", "caster", "other")), -1);
}

// A German desktop changes nothing in the files: the same bytes are written and read back.
TEST(ProfileList, TheDesktopsLocaleChangesNoByte) {
    ScratchDeviceRoot root;
    DirectIpProfileList hosts;
    hosts.insert(false, dip("Base 1.5", "10.0.0.7", 2101));
    hosts.insert(false, dip("far", "h", 1234567));
    hosts.insert(false, dip("odd", "h", -1000));
    NtripProfileList casters;
    casters.insert(false, ntrip("Office", "caster.example", "p.w"));
    const std::string hostBytes =
        "Dip data. Version 1\r\nBase 1.5;10.0.0.7;2101\r\n"
        "far;h;1234567\r\nodd;h;-1000\r\n";
    const std::string casterBytes =
        "Ntrip data. Version 1\r\nOffice;caster.example;2101;user;p.w;MP\r\n";

    test::ScopedCommaLocale comma;
    ASSERT_TRUE(comma.active());
    ASSERT_TRUE(hosts.save());
    ASSERT_TRUE(casters.save());
    EXPECT_EQ(contentsOf(root.path() / "dip_data.txt"), hostBytes);
    EXPECT_EQ(contentsOf(root.path() / "ntrip_data.txt"), casterBytes);
    DirectIpProfileList hostsAgain;
    NtripProfileList castersAgain;
    ASSERT_TRUE(hostsAgain.load());
    ASSERT_TRUE(castersAgain.load());
    EXPECT_EQ(hostsAgain.records(), hosts.records());
    EXPECT_EQ(castersAgain.records(), casters.records());
}

TEST(ProfileList, EditsByIndexStayInRange) {
    DirectIpProfileList list;
    list.insert(false, dip("a", "h", 1));
    EXPECT_FALSE(list.replace(1, dip("x", "x", 0)));
    EXPECT_FALSE(list.remove(1));
    EXPECT_TRUE(list.replace(0, dip("c", "h", 3)));
    EXPECT_EQ(list[0], dip("c", "h", 3));
}

TEST(ProfileList, AFileThatCouldNotBeReadWholeIsKeptBeforeItIsReplaced) {
    ScratchDeviceRoot root;
    const auto file = root.path() / "dip_data.txt";
    // Line endings changed by an editor: every line is skipped, the list is empty.
    const std::string edited = "Dip data. Version 1\nBase;10.0.0.7;9000\n";
    writeFile(file, edited);
    DirectIpProfileList list;
    EXPECT_TRUE(list.load());
    EXPECT_EQ(list.count(), 0u);
    list.insert(true, dip("New", "h", 1));
    ASSERT_TRUE(list.save());
    EXPECT_EQ(contentsOf(file.string() + ".damaged"), edited);
    ASSERT_TRUE(list.save());
    EXPECT_FALSE(fs::exists(file.string() + ".damaged2")) << "one copy is enough";

    // A truncated old-layout NTRIP file: the load fails and the file is kept as well.
    writeFile(root.path() / "ntrip_data.txt", "caster\n2101\n");
    NtripProfileList casters;
    EXPECT_FALSE(casters.load());
    ASSERT_TRUE(casters.save());
    EXPECT_EQ(contentsOf(root.path() / "ntrip_data.txt.damaged"), "caster\n2101\n");
}

TEST(ProfileList, AFailedSaveIsReportedAndLeavesTheOldFile) {
    ScratchDeviceRoot root;
    fs::create_directories(root.path() / "dip_data.txt" / "in-the-way");
    DirectIpProfileList list;
    list.insert(true, dip("a", "h", 1));
    EXPECT_FALSE(list.save());
    EXPECT_TRUE(fs::is_directory(root.path() / "dip_data.txt" / "in-the-way"));
}

TEST(ProfileFieldStore, ReadsAddsAndWritesAtDestruction) {
    ScratchDeviceRoot root;
    const auto file = root.path() / "gsm_data.txt";
    writeFile(file, "1234;\r\n+4911;0800");
    {
        GsmProfileStore store;
        ASSERT_TRUE(store.isOpen());
        std::array<GsmProfile, 100> records;
        ASSERT_EQ(store.copyOut(records), 2u);
        EXPECT_EQ(records[1], gsm("", "0800"));
        EXPECT_TRUE(store.add(gsm("9999", "+4911"))) << "same number: replaced";
        EXPECT_FALSE(store.add(gsm("1", ""))) << "no number: nothing added";
        EXPECT_TRUE(store.add(gsm("", "112")));
        EXPECT_EQ(store.count(), 3u);
    }
    EXPECT_EQ(contentsOf(file), "9999;;\r\n+4911;0800;112");
}

TEST(ProfileFieldStore, AddsAtMostNinetyNine) {
    ScratchDeviceRoot root;
    GsmProfileStore store;
    for (int i = 0; i < 120; ++i) store.add(gsm("", std::to_string(i)));
    EXPECT_EQ(store.count(), 99u);
    EXPECT_TRUE(store.add(gsm("1", "98"))) << "an existing number is still replaced";
}

TEST(ProfileFieldStore, AFileItCouldNotOpenIsLeftAlone) {
    ScratchDeviceRoot root;
    const auto file = root.path() / "gprs_data.txt";
    writeFile(file, "\r\nweb\r\nuser\r\nsecret");
    {
        GprsProfileStore holder;  // another page has the file
        GprsProfileStore store;
        EXPECT_FALSE(store.isOpen());
        EXPECT_EQ(store.count(), 0u);
        store.add(gprs("other", "x"));
        EXPECT_FALSE(store.write());
        holder.add(gprs("web", "changed"));
    }
    EXPECT_EQ(contentsOf(file), "\r\nweb\r\nuser\r\nchanged") << "only the holder wrote";
    EXPECT_EQ(modeOf(file), 0600u) << "it holds passwords";
}

TEST(ProfileFieldStore, ACreatedPasswordFileIsTheOwnersOnly) {
    ScratchDeviceRoot root;
    { GprsProfileStore store; }
    EXPECT_EQ(modeOf(root.path() / "gprs_data.txt"), 0600u);
    EXPECT_EQ(contentsOf(root.path() / "gprs_data.txt"), "");
}

// A writer killed with SIGKILL at any moment leaves each of the four files reading as the old or
// the new profiles.
TEST(KilledWriter, EveryProfileFileHoldsTheOldOrTheNewProfiles) {
    constexpr int kRounds = 200;
    ScratchDeviceRoot root;
    const std::vector<NtripProfile> casters[2] = {std::vector(100, ntrip("n", "old", "pw")),
                                                  std::vector(100, ntrip("n", "new", "secret"))};
    const std::vector<DirectIpProfile> servers[2] = {{dip("a", "old", 1)}, {dip("a", "new", 2)}};
    const GsmProfile numbers[2] = {gsm("1111", "+4900"), gsm("2222", "+4900")};
    const GprsProfile apns[2] = {gprs("web", std::string(32, 'a')), gprs("web", "b")};

    auto saveList = [](auto list, const auto& records) {
        for (const auto& record : records) list.insert(false, record);
        list.save();
    };
    auto listIsOneOf = [](auto list, const auto& versions) {
        return list.load() && (list.records() == versions[0] || list.records() == versions[1]);
    };
    auto storeIsOneOf = [&](const auto& versions) {
        using Record = std::decay_t<decltype(versions[0])>;
        const auto table = parseProfileFields<Record>(contentsOf(root.path() / Record::kFileName));
        return table.count == 1 &&
               (table.records[0] == versions[0] || table.records[0] == versions[1]);
    };
    int damaged = 0;
    auto count = [&](bool whole) { damaged += whole ? 0 : 1; };

    saveList(NtripProfileList(), casters[0]);
    test::killWhileSaving(
        kRounds, [&](uint64_t i) { saveList(NtripProfileList(), casters[i % 2]); },
        [&] { count(listIsOneOf(NtripProfileList(), casters)); });
    saveList(DirectIpProfileList(), servers[0]);
    test::killWhileSaving(
        kRounds, [&](uint64_t i) { saveList(DirectIpProfileList(), servers[i % 2]); },
        [&] { count(listIsOneOf(DirectIpProfileList(), servers)); });
    GsmProfileStore().add(numbers[0]);
    test::killWhileSaving(
        kRounds, [&](uint64_t i) { GsmProfileStore().add(numbers[i % 2]); },
        [&] { count(storeIsOneOf(numbers)); });
    GprsProfileStore().add(apns[0]);
    test::killWhileSaving(
        kRounds, [&](uint64_t i) { GprsProfileStore().add(apns[i % 2]); },
        [&] { count(storeIsOneOf(apns)); });
    EXPECT_EQ(damaged, 0);
    // Writers caught between creating their new file and renaming it leave it behind; that is
    // how we know the kills landed inside writes.
    RecordProperty("writers_killed_mid_write", test::leftoverTemporaryFiles(root.path()));
}

}  // namespace
}  // namespace zentrix::diff
