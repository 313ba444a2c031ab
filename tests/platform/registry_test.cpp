#include "platform/registry.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "tests/support/test_support.h"

namespace zentrix::platform {
namespace {

namespace fs = std::filesystem;
using test::ScratchFolder;

class RegistryTest : public ::testing::Test {
protected:
    fs::path file() const { return folder_.path() / "registry.db"; }
    ScratchFolder folder_;
};

WideString number(int i) { return fromUtf8(std::to_string(i)); }

TEST_F(RegistryTest, ValuesOfEveryTypeRoundTripAcrossReopening) {
    const std::vector<uint8_t> blob = {0, 1, 2, 0xFF, 0, 0x80};
    {
        Registry registry(file());
        const auto key = registry.key(RootKey::CurrentUser, u"Software\\Zentrix\\Group0");
        ASSERT_TRUE(key.create());
        EXPECT_TRUE(key.setString(u"FileName", u"\\Windows\\Zentrix.exe"));
        EXPECT_TRUE(key.setString(u"Empty", u""));
        EXPECT_TRUE(key.setString(u"Wide", u"Höhe 北"));
        EXPECT_TRUE(key.setDword(u"Index", 0xFEDCBA98u));
        EXPECT_TRUE(key.setValue(u"Blob", ValueType::Binary, blob));
    }
    Registry registry(file());
    const auto key = registry.key(RootKey::CurrentUser, u"Software\\Zentrix\\Group0");
    EXPECT_EQ(key.string(u"FileName"), u"\\Windows\\Zentrix.exe");
    EXPECT_EQ(key.string(u"Empty"), u"");
    EXPECT_EQ(key.string(u"Wide"), u"Höhe 北");
    EXPECT_EQ(key.dword(u"Index"), 0xFEDCBA98u);
    const auto stored = key.value(u"Blob");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, ValueType::Binary);
    EXPECT_EQ(stored->data, blob);
    // A string is stored with its terminating zero, as its length on the handheld counted it.
    EXPECT_EQ(key.value(u"FileName")->data.size(), (20u + 1) * 2);
}

TEST_F(RegistryTest, TypesAreCheckedAndMalformedDataIsReadSafely) {
    Registry registry(file());
    const auto key = registry.key(RootKey::LocalMachine, u"Software\\Test");
    ASSERT_TRUE(key.create());
    key.setString(u"Text", u"12");
    key.setDword(u"Number", 12);
    EXPECT_FALSE(key.dword(u"Text"));
    EXPECT_FALSE(key.string(u"Number"));

    const uint8_t shortDword[] = {1, 2};
    key.setValue(u"Short", ValueType::Dword, shortDword);
    EXPECT_FALSE(key.dword(u"Short"));
    const uint8_t oddString[] = {'A', 0, 'B'};  // no terminator, odd length
    key.setValue(u"Odd", ValueType::String, oddString);
    EXPECT_EQ(key.string(u"Odd"), u"A");
    const uint8_t embeddedZero[] = {'A', 0, 0, 0, 'B', 0, 0, 0};
    key.setValue(u"Zero", ValueType::String, embeddedZero);
    EXPECT_EQ(key.string(u"Zero"), u"A");
    key.setValue(u"Nothing", ValueType::String, {});
    EXPECT_EQ(key.string(u"Nothing"), u"");
}

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepTheirSpelling) {
    Registry registry(file());
    ASSERT_TRUE(registry.key(RootKey::CurrentUser, u"Software\\Orvanex\\GNSS Zentrix\\Settings").create());
    const auto key = registry.key(RootKey::CurrentUser, u"SOFTWARE\\orvanex\\gnss zentrix\\settings");
    EXPECT_TRUE(key.exists());
    EXPECT_TRUE(key.setDword(u"NtripMountPoit", 1));
    EXPECT_TRUE(key.setDword(u"NTRIPMOUNTPOIT", 2)) << "the same value, replaced";
    const auto names = key.valueNames();
    ASSERT_TRUE(names);
    ASSERT_EQ(names->size(), 1u);
    EXPECT_EQ(names->at(0).name, u"NtripMountPoit") << "the first spelling is kept";
    EXPECT_EQ(key.dword(u"ntripmountpoit"), 2u);

    const auto software = registry.key(RootKey::CurrentUser, u"software");
    EXPECT_EQ(software.subkeys(), std::vector<WideString>{u"Orvanex"});
    EXPECT_FALSE(registry.key(RootKey::LocalMachine, u"Software\\Orvanex").exists())
        << "the two roots are separate";
}

TEST_F(RegistryTest, EnumerationFollowsCreationOrderAndReplacingKeepsPlace) {
    Registry registry(file());
    const auto list = registry.key(RootKey::CurrentUser, u"Software\\Zentrix\\FileList0");
    for (const char16_t* name : {u"Item2", u"Item0", u"Item1"}) ASSERT_TRUE(list.subkey(name).create());
    EXPECT_EQ(list.subkeys(), (std::vector<WideString>{u"Item2", u"Item0", u"Item1"}));

    list.setDword(u"b", 1);
    list.setDword(u"a", 2);
    list.setDword(u"b", 3);
    const auto names = list.valueNames();
    ASSERT_TRUE(names);
    ASSERT_EQ(names->size(), 2u);
    EXPECT_EQ(names->at(0).name, u"b");
    EXPECT_EQ(names->at(0).type, ValueType::Dword);
    EXPECT_EQ(names->at(1).name, u"a");
}

TEST_F(RegistryTest, DeletionOfValuesAndWholeKeys) {
    Registry registry(file());
    const auto zentrix = registry.key(RootKey::CurrentUser, u"Software\\Zentrix");
    const auto group = zentrix.subkey(u"Group0");
    ASSERT_TRUE(group.subkey(u"Item0").create());
    group.subkey(u"Item0").setString(u"FileName", u"a");
    group.setDword(u"Columns", 4);
    zentrix.setDword(u"Version", 1200);
    // A sibling whose name starts with the deleted key's name must survive.
    ASSERT_TRUE(zentrix.subkey(u"Group0x").create());
    zentrix.subkey(u"Group0x").setDword(u"Keep", 1);

    EXPECT_TRUE(group.deleteValue(u"Columns"));
    EXPECT_FALSE(group.deleteValue(u"Columns")) << "already gone";
    EXPECT_FALSE(group.dword(u"Columns"));

    EXPECT_TRUE(group.remove());
    EXPECT_FALSE(group.exists());
    EXPECT_FALSE(group.subkey(u"Item0").exists());
    EXPECT_FALSE(group.remove());
    EXPECT_EQ(zentrix.dword(u"Version"), 1200u);
    EXPECT_EQ(zentrix.subkey(u"Group0x").dword(u"Keep"), 1u);

    // Recreating a deleted key does not bring back its old values.
    ASSERT_TRUE(group.subkey(u"Item0").create());
    EXPECT_FALSE(group.subkey(u"Item0").string(u"FileName"));
}

// Key paths are stored as UTF-8; deleting one must find everything below it whatever characters
// its name holds, and still spare a sibling whose name merely starts the same way.
TEST_F(RegistryTest, DeletingAKeyWithAnyCharactersDeletesEverythingBelowIt) {
    Registry registry(file());
    const auto profiles = registry.key(RootKey::CurrentUser, u"Software\\Zentrix\\Profiles");
    const std::u16string names[] = {u"Plain", u"G\u00e9od\u00e9sie", u"\u6e2c\u91cf",
                                    u"Stra\u00dfe \U0001F4E1"};
    for (const std::u16string& name : names) {
        SCOPED_TRACE(platform::toUtf8(name));
        const auto key = profiles.subkey(name);
        const auto login = key.subkey(u"Login");
        const auto sibling = profiles.subkey(name + u"2");
        ASSERT_TRUE(login.create());
        ASSERT_TRUE(sibling.create());
        ASSERT_TRUE(key.setString(u"Address", u"caster.example.org"));
        ASSERT_TRUE(login.setString(u"Password", u"secret"));
        ASSERT_TRUE(sibling.setDword(u"Keep", 1));

        EXPECT_TRUE(key.remove());
        EXPECT_FALSE(key.exists());
        EXPECT_FALSE(login.exists());
        // Made anew, neither the key nor its subkey brings back what was stored in it.
        ASSERT_TRUE(login.create());
        EXPECT_FALSE(key.string(u"Address"));
        EXPECT_FALSE(login.string(u"Password")) << "the password outlived its key";
        EXPECT_EQ(key.subkeys()->size(), 1u);
        EXPECT_EQ(sibling.dword(u"Keep"), 1u);
    }
}

// The store holds passwords: it and SQLite's files beside it are the owner's alone.
TEST_F(RegistryTest, TheStoreAndItsCompanionFilesAreTheOwnersOnly) {
    const auto modeOf = [](const fs::path& f) {
        struct stat info {};
        return ::stat(f.c_str(), &info) == 0 ? info.st_mode & 07777 : 07777u;
    };
    const auto companion = [this](const char* suffix) {
        fs::path f = file();
        f += suffix;
        return f;
    };
    const mode_t oldMask = ::umask(022);
    Registry first(file());
    ASSERT_TRUE(first.isOpen());
    ASSERT_TRUE(first.key(RootKey::CurrentUser, u"Software\\A").create());
    for (const char* suffix : {"", "-wal", "-shm"}) {
        EXPECT_EQ(modeOf(companion(suffix)), 0600u) << "new" << suffix;
    }
    // Files found wider are narrowed when the store is opened.
    const std::pair<const char*, mode_t> wider[] = {{"", 0644}, {"-wal", 0666}, {"-shm", 0640}};
    for (const auto& [suffix, mode] : wider) ASSERT_EQ(::chmod(companion(suffix).c_str(), mode), 0);
    Registry second(file());
    ASSERT_TRUE(second.isOpen());
    for (const char* suffix : {"", "-wal", "-shm"}) {
        EXPECT_EQ(modeOf(companion(suffix)), 0600u) << "found wider" << suffix;
    }
    EXPECT_TRUE(second.key(RootKey::CurrentUser, u"Software\\A").exists());

    // A damaged store is kept aside with whatever it held: the owner's only as well.
    ScratchFolder other;
    const fs::path junk = other.path() / "registry.db";
    { std::ofstream(junk) << std::string(8192, 'x'); }
    ASSERT_EQ(::chmod(junk.c_str(), 0644), 0);
    Registry fresh(junk);
    ASSERT_TRUE(fresh.isOpen());
    EXPECT_EQ(modeOf(other.path() / "registry.db.damaged"), 0600u);
    EXPECT_EQ(modeOf(junk), 0600u);
    ::umask(oldMask);
}

TEST_F(RegistryTest, MissingKeysFailEveryOperation) {
    Registry registry(file());
    const auto missing = registry.key(RootKey::CurrentUser, u"Software\\Nobody");
    EXPECT_FALSE(missing.exists());
    EXPECT_FALSE(missing.setDword(u"x", 1)) << "values need an existing key";
    EXPECT_FALSE(missing.subkeys());
    EXPECT_FALSE(missing.valueNames());
    EXPECT_FALSE(missing.value(u"x"));
    EXPECT_FALSE(missing.remove());
    EXPECT_FALSE(registry.key(RootKey::CurrentUser, u"").remove()) << "a root cannot be deleted";
    EXPECT_TRUE(registry.key(RootKey::CurrentUser, u"\\").exists());
}

TEST_F(RegistryTest, AStoreThatIsNotADatabaseIsMovedAsideNotLost) {
    { std::ofstream(file()) << std::string(8192, 'x'); }
    Registry registry(file());
    ASSERT_TRUE(registry.isOpen());
    const auto key = registry.key(RootKey::CurrentUser, u"Software\\A");
    EXPECT_TRUE(key.create());
    EXPECT_TRUE(key.setDword(u"v", 5));
    fs::path damaged = file();
    damaged += ".damaged";
    EXPECT_TRUE(fs::exists(damaged));
    EXPECT_EQ(fs::file_size(damaged), 8192u);
}

TEST_F(RegistryTest, AStoreThatCannotBeCreatedFailsQuietly) {
    Registry registry("/proc/zentrix-cannot-exist/registry.db");
    EXPECT_FALSE(registry.isOpen());
    const auto key = registry.key(RootKey::CurrentUser, u"Software");
    EXPECT_FALSE(key.create());
    EXPECT_FALSE(key.setDword(u"x", 1));
    EXPECT_FALSE(key.dword(u"x"));
    EXPECT_FALSE(key.subkeys());
}

// Each child process writes `count` values of its own into one shared key.
void writeValues(const fs::path& file, const std::u16string& prefix, int count) {
    Registry registry(file);
    const auto key = registry.key(RootKey::CurrentUser, u"Software\\Shared");
    if (!key.create()) _exit(2);
    for (int i = 0; i < count; ++i) {
        if (!key.setDword(prefix + number(i), static_cast<uint32_t>(i))) _exit(3);
    }
    _exit(0);
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kCount = 1000;
    pid_t children[2];
    const std::u16string prefixes[2] = {u"a", u"b"};
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) writeValues(file(), prefixes[c], kCount);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
    Registry registry(file());
    const auto key = registry.key(RootKey::CurrentUser, u"Software\\Shared");
    const auto names = key.valueNames();
    ASSERT_TRUE(names);
    EXPECT_EQ(names->size(), 2u * kCount);
    for (const auto& prefix : prefixes) {
        for (int i = 0; i < kCount; i += 97) EXPECT_EQ(key.dword(prefix + number(i)), uint32_t(i));
    }
}

TEST_F(RegistryTest, AWriterKilledMidWriteLeavesAReadableStore) {
    {
        Registry registry(file());
        registry.key(RootKey::CurrentUser, u"Software\\Kill").create();
    }
    for (int round = 0; round < 12; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Registry registry(file());
            const auto key = registry.key(RootKey::CurrentUser, u"Software\\Kill");
            const std::vector<uint8_t> payload(4096, static_cast<uint8_t>(round));
            for (uint32_t i = 0;; ++i) {
                key.setDword(u"Counter", i);
                key.setValue(u"Payload", ValueType::Binary, payload);
                key.subkey(number(static_cast<int>(i % 50))).create();
            }
        }
        ::usleep(static_cast<useconds_t>(3000 + 7000 * (round % 4)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        Registry registry(file());
        ASSERT_TRUE(registry.isOpen()) << "round " << round;
        const auto key = registry.key(RootKey::CurrentUser, u"Software\\Kill");
        EXPECT_TRUE(key.exists()) << "round " << round;
        EXPECT_TRUE(key.subkeys()) << "round " << round;
        if (const auto payload = key.value(u"Payload")) {
            EXPECT_EQ(payload->data.size(), 4096u) << "a value is whole or absent";
        }
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file().c_str(), &db), SQLITE_OK);
    sqlite3_stmt* check = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check;", -1, &check, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(db);
}

}  // namespace
}  // namespace zentrix::platform
