#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/test_kit.h"
#include "resources/resource_ids.h"
#include "tests/support/test_support.h"
#include "today/item/item_icons.h"
#include "today/item/launch_item.h"

namespace zentrix::today {
namespace {

using namespace framework;
namespace fs = std::filesystem;

TEST(ItemLaunchKind, PseudoCommandsIgnoreCaseAndFoldersAreFoundBelowTheRoot) {
    test::ScratchDeviceRoot root;
    fs::create_directories(root.path() / "My Documents" / "Jobs");
    std::ofstream(root.path() / "My Documents" / "notes.txt") << "x";
    const std::pair<std::u16string, LaunchKind> rows[] = {
        {u"#Settings", LaunchKind::Settings},
        {u"#SETTINGS", LaunchKind::Settings},
        {u"#Arrow up", LaunchKind::PreviousPage},
        {u"#arrow DOWN", LaunchKind::NextPage},
        {u"#Arrow Left", LaunchKind::PreviousGroup},
        {u"#aRROW rIGHT", LaunchKind::NextGroup},
        {u"#Arrow", LaunchKind::File},
        {u"#Arrow right ", LaunchKind::File},
        {u"\\", LaunchKind::Folder},
        {u"\\My Documents\\Jobs", LaunchKind::Folder},
        {u"\\My Documents\\notes.txt", LaunchKind::File},
        {u"\\My Documents\\missing", LaunchKind::File},
        {platform::fromUtf8(root.path().string()), LaunchKind::Folder},  // a folder of this machine
        {u"", LaunchKind::File},
    };
    for (const auto& [file, kind] : rows) {
        EXPECT_EQ(launchKind(file), kind) << platform::toUtf8(file);
    }
}

class ItemLaunch : public ::testing::Test {
  protected:
    void SetUp() override {
        setFileLauncher([this](WideStringView file, WideStringView commandLine) {
            calls_.emplace_back(file, commandLine);
            return result_;
        });
    }
    void TearDown() override { setFileLauncher({}); }

    test::ScratchDeviceRoot root_;
    ScopedTestKit kit_;
    platform::LaunchResult result_{true, {}};
    std::vector<std::pair<std::u16string, std::u16string>> calls_;
};

TEST_F(ItemLaunch, FoldersOpenWithoutArgumentsAndFailuresAreShown) {
    fs::create_directories(root_.path() / "Temp");
    EXPECT_TRUE(launchItem(u"\\Temp", u"-ignored", nullptr));
    EXPECT_TRUE(launchItem(u"\\", u"", nullptr));
    EXPECT_TRUE(launchItem(u"\\Windows\\calc.exe", u"-x \"a b\"", nullptr));
    using Call = std::pair<std::u16string, std::u16string>;
    EXPECT_EQ(calls_,
              (std::vector<Call>{
                  {u"\\Temp", u""}, {u"\\", u""}, {u"\\Windows\\calc.exe", u"-x \"a b\""}}));
    EXPECT_TRUE(kit_.messageBoxes().empty());

    result_ = {false, "no such program"};
    EXPECT_FALSE(launchItem(u"\\Windows\\gone.exe", u"", nullptr));
    ASSERT_EQ(kit_.messageBoxes().size(), 1u);
    const std::string text = platform::toUtf8(kit_.messageBoxes()[0].text);
    EXPECT_NE(text.find("gone.exe"), std::string::npos) << text;
    EXPECT_NE(text.find("no such program"), std::string::npos) << text;
}

TEST_F(ItemLaunch, PseudoCommandsNeverReachThePlatform) {
    std::vector<HWND> opened;
    setOptionsOpener([&](HWND owner) {
        opened.push_back(owner);
        return HWND{};
    });
    for (const char16_t* file :
         {u"#Settings", u"#Arrow up", u"#Arrow down", u"#Arrow left", u"#Arrow right"}) {
        EXPECT_TRUE(launchItem(file, u"args", nullptr));
    }
    setOptionsOpener({});
    EXPECT_TRUE(calls_.empty());
    EXPECT_EQ(opened.size(), 1u);
}

TEST(ItemIcons, PathsMapThroughTheRootAndMissingIconsFallBackToTheItemIcon) {
    test::ScratchDeviceRoot root;
    ensureTestApplication();
    fs::create_directories(root.path() / "Windows");
    std::ofstream(root.path() / "Windows" / "tool") << "x";
    EXPECT_EQ(itemFilePath(u"\\"), root.path() / "Windows");
    EXPECT_EQ(itemFilePath(u"\\Windows\\tool"), root.path() / "Windows" / "tool");
    EXPECT_EQ(itemFilePath(u"\\Windows\\missing"), fs::path());
    EXPECT_EQ(itemFilePath(u"#Arrow up"), fs::path());
    EXPECT_EQ(itemFilePath(platform::fromUtf8(root.path().string())), root.path());

    for (const int size : {16, 32}) {
        CBitmap icon;
        EXPECT_TRUE(loadItemIcon(
            {.name = u"x", .fileName = u"\\Windows\\missing", .iconPath = u"\\nowhere.ico"}, size,
            &icon));
        EXPECT_EQ(icon.GetSize(), CSize(32, 32));  // the plug-in's own icon; lists scale it
    }
    // A group's bitmap file that cannot be read gives the built-in image.
    CBitmap settings;
    ASSERT_TRUE(loadBarBitmap(u"\\Windows\\tool", IDB_TODAY_SETTINGS, &settings));
    EXPECT_EQ(settings.GetSize(), CSize(18, 18));
}

}  // namespace
}  // namespace zentrix::today
