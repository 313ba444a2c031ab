#include "today/launcher_registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/test_support.h"
#include "today/launcher_config.h"
#include "today/launcher_data_file.h"

namespace zentrix::today {
namespace {

namespace fs = std::filesystem;
using platform::Registry;
using platform::RegistryKey;
using platform::RootKey;

class LauncherRegistry : public ::testing::Test {
protected:
    RegistryKey key(WideStringView path) { return registry_.key(RootKey::CurrentUser, path); }

    test::ScratchDeviceRoot root_;
    Registry registry_{root_.path() / "registry.db"};
};

LauncherSettings settingsWithItems() {
    LauncherSettings settings;
    settings.tabWidth = 50;
    settings.settingsIconCommandLine = u"-x";
    settings.groups[0].items = {{.name = u"Zentrix", .fileName = u"\\Windows\\Zentrix.exe"},
                                {.name = u"Notes",
                                 .fileName = u"notes.exe",
                                 .commandLine = u"-n",
                                 .iconPath = u"\\Windows\\icons.dll",
                                 .iconResource = 12}};
    settings.groups[7].name = u"Field";
    settings.groups[7].shown = 0;
    settings.groups[7].backgroundBitmapFile = u"\\My Documents\\sky.bmp";
    settings.groups[7].items = {{.name = u"Only", .fileName = u"only.exe"}};
    return settings;
}

// Items read back from the registry carry their position as index.
LauncherSettings indexed(LauncherSettings settings) {
    for (auto& group : settings.groups) {
        for (size_t i = 0; i < group.items.size(); ++i) {
            group.items[i].index = static_cast<int32_t>(i);
        }
    }
    return settings;
}

TEST_F(LauncherRegistry, ItemsAreSortedByIndexWhateverTheirOrderInTheRegistry) {
    const auto list = key(u"Software\\Zentrix\\FileList2");
    const std::pair<const char16_t*, uint32_t> created[] = {
        {u"Third", 30}, {u"First", 1}, {u"Second", 7}, {u"Also first", 1}};
    for (const auto& [name, index] : created) {
        ASSERT_TRUE(list.subkey(name).create());
        ASSERT_TRUE(list.subkey(name).setDword(u"Index", index));
        ASSERT_TRUE(list.subkey(name).setString(u"FileName", name));
    }
    LauncherSettings settings;
    EXPECT_TRUE(loadRegistryGroups(settings, registry_).ok());
    std::vector<WideString> names;
    for (const auto& item : settings.groups[2].items) {
        names.push_back(item.name);
        EXPECT_EQ(item.fileName, item.name);
    }
    EXPECT_EQ(names, (std::vector<WideString>{u"First", u"Also first", u"Second", u"Third"}));
}

TEST_F(LauncherRegistry, TheRegistryCopyRoundTrips) {
    const auto settings = settingsWithItems();
    EXPECT_TRUE(saveRegistryGeneral(settings, registry_).ok());
    EXPECT_TRUE(saveRegistryGroups(settings, registry_).ok());
    EXPECT_EQ(key(u"Software\\Zentrix\\FileList\\Notes").string(u"CommnadLine"), u"-n");

    LauncherSettings read;
    read.groups[3].items = {{.name = u"stale"}};
    EXPECT_TRUE(loadRegistryGeneral(read, registry_).ok());
    EXPECT_TRUE(loadRegistryGroups(read, registry_).ok());
    EXPECT_EQ(read, indexed(settings));

    // Saving again replaces the items; a removed one does not come back.
    auto fewer = settings;
    fewer.groups[0].items.pop_back();
    EXPECT_TRUE(saveRegistryGroups(fewer, registry_).ok());
    EXPECT_TRUE(loadRegistryGroups(read, registry_).ok());
    EXPECT_EQ(read.groups[0].items, indexed(fewer).groups[0].items);
}

TEST_F(LauncherRegistry, MissingValuesKeepTheirCurrentOnes) {
    ASSERT_TRUE(key(u"Software\\Zentrix").create());
    ASSERT_TRUE(key(u"Software\\Zentrix").setDword(u"system_height", 180));
    ASSERT_TRUE(key(u"Software\\Zentrix\\GroupSetting5").create());
    ASSERT_TRUE(key(u"Software\\Zentrix\\GroupSetting5").setString(u"groupname", u"Survey"));
    LauncherSettings settings;
    settings.tabWidth = 44;
    EXPECT_TRUE(loadSettings(settings, registry_).registry.ok());
    EXPECT_EQ(settings.launcherHeight, 180);
    EXPECT_EQ(settings.tabWidth, 44);
    EXPECT_EQ(settings.groups[5].name, u"Survey");
    EXPECT_EQ(settings.groups[5].iconSize, 16);
}

TEST_F(LauncherRegistry, TheDataFileComesFirstAndADamagedOneFallsBackToTheRegistry) {
    auto fromRegistry = settingsWithItems();
    fromRegistry.groups[0].name = u"From the registry";
    ASSERT_TRUE(saveRegistryGroups(fromRegistry, registry_).ok());
    auto fromFile = settingsWithItems();
    fromFile.groups[0].name = u"From the file";
    ASSERT_FALSE(saveDataFile(fromFile));

    LauncherSettings settings;
    EXPECT_TRUE(loadSettings(settings, registry_).fromDataFile);
    EXPECT_EQ(settings.groups[0].name, u"From the file");

    // Another signature on line 2.
    auto bytes = formatLauncherData(fromFile);
    bytes[8] = 'X';
    std::ofstream(dataFilePath(), std::ios::binary) << bytes;
    LauncherSettings fallback;
    EXPECT_FALSE(loadSettings(fallback, registry_).fromDataFile);
    EXPECT_EQ(fallback.groups[0].name, u"From the registry");
}

TEST_F(LauncherRegistry, ASaveThatWroteTheDataFileLeavesNoGroupsInTheRegistry) {
    const auto settings = settingsWithItems();
    ASSERT_TRUE(saveRegistryGroups(settings, registry_).ok());
    ASSERT_TRUE(saveRegistryGeneral(settings, registry_).ok());
    const auto result = saveSettings(settings, registry_);
    EXPECT_TRUE(result.ok());
    EXPECT_FALSE(result.dataFileError);
    EXPECT_FALSE(result.registryWritten);
    for (size_t g = 0; g < kGroupCount; ++g) {
        EXPECT_FALSE(key(fileListKeyName(g)).exists()) << g;
        EXPECT_FALSE(key(groupSettingKeyName(g)).exists()) << g;
    }
    EXPECT_EQ(key(u"Software\\Zentrix").dword(u"GroupLabelWidth"), 50u) << "general values stay";
}

TEST_F(LauncherRegistry, WhenTheDataFileCannotBeWrittenTheRegistryHoldsTheSettings) {
    fs::create_directories(dataFilePath() / "in-the-way");
    const auto settings = settingsWithItems();
    const auto result = saveSettings(settings, registry_);
    EXPECT_TRUE(result.dataFileError);
    EXPECT_TRUE(result.registryWritten);
    EXPECT_TRUE(result.ok());
    LauncherSettings read;
    const auto loaded = loadSettings(read, registry_);
    EXPECT_FALSE(loaded.fromDataFile);
    EXPECT_EQ(read, indexed(settings));
}

TEST_F(LauncherRegistry, AStoreThatCannotBeOpenedIsReportedAsText) {
    fs::create_directories(root_.path() / "not-a-store" / "registry.db");
    Registry broken(root_.path() / "not-a-store" / "registry.db");
    if (broken.isOpen()) GTEST_SKIP() << "the store opened after all";
    LauncherSettings settings;
    const auto result = loadRegistryGroups(settings, broken);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.errors[0], u"Can't access registry key!!");
    EXPECT_FALSE(saveRegistryGroups(settings, broken).ok());
    EXPECT_FALSE(clearRegistryGroups(broken).ok());
}

}  // namespace
}  // namespace zentrix::today
