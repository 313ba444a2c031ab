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

// A 4 x 4 24-bit bitmap file of one colour.
void writeBmp(const fs::path& path, COLORREF colour) {
    std::string bytes = "BM";
    const auto put = [&bytes](uint32_t value, int size) {
        for (int i = 0; i < size; ++i) {
            bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
    };
    for (const auto& [value, size] : std::initializer_list<std::pair<uint32_t, int>>{{54 + 48, 4},
                                                                                     {0, 4},
                                                                                     {54, 4},
                                                                                     {40, 4},
                                                                                     {4, 4},
                                                                                     {4, 4},
                                                                                     {1, 2},
                                                                                     {24, 2},
                                                                                     {0, 4},
                                                                                     {48, 4},
                                                                                     {2835, 4},
                                                                                     {2835, 4},
                                                                                     {0, 4},
                                                                                     {0, 4}}) {
        put(value, size);
    }
    for (int pixel = 0; pixel < 16; ++pixel) {
        bytes.push_back(static_cast<char>(GetBValue(colour)));
        bytes.push_back(static_cast<char>(GetGValue(colour)));
        bytes.push_back(static_cast<char>(GetRValue(colour)));
    }
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(ItemIcons, IconPathThenTheLaunchedFileThenTheItemIcon) {
    test::ScratchDeviceRoot root;
    ensureTestApplication();
    fs::create_directories(root.path() / "Windows");
    std::ofstream(root.path() / "Windows" / "tool") << "x";
    EXPECT_EQ(itemFilePath(u"\\"), root.path() / "Windows");
    EXPECT_EQ(itemFilePath(u"\\Windows\\tool"), root.path() / "Windows" / "tool");
    EXPECT_EQ(itemFilePath(u"\\Windows\\missing"), fs::path());
    EXPECT_EQ(itemFilePath(u"#Arrow up"), fs::path());
    EXPECT_EQ(itemFilePath(platform::fromUtf8(root.path().string())), root.path());

    fs::create_directories(root.path() / "icons");
    writeBmp(root.path() / "icons" / "red.bmp", RGB(200, 0, 0));
    writeBmp(root.path() / "icons" / "green.bmp", RGB(0, 160, 0));
    struct Row {
        const char* legend;
        const char16_t* iconPath;
        const char16_t* fileName;
        COLORREF centre;  // 0: the plug-in's own icon
    };
    const Row rows[] = {
        {"icon path first", u"\\icons\\red.bmp", u"\\icons\\green.bmp", RGB(200, 0, 0)},
        {"missing icon path: the file's icon", u"\\nowhere.ico", u"\\icons\\green.bmp",
         RGB(0, 160, 0)},
        {"nothing to show: the item icon", u"\\nowhere.ico", u"\\Windows\\missing", 0},
        {"pseudo-command: the item icon", u"", u"#Arrow up", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        for (const int size : {16, 32}) {
            CBitmap icon;
            ASSERT_TRUE(loadItemIcon(
                {.name = u"x", .fileName = row.fileName, .iconPath = row.iconPath}, size, &icon));
            if (row.centre == 0) {
                EXPECT_EQ(icon.GetSize(), CSize(32, 32));  // image lists scale it
                continue;
            }
            EXPECT_EQ(icon.GetSize(), CSize(size, size));
            CDC dc;
            dc.CreateCompatibleDC(nullptr);
            dc.SelectObject(&icon);
            EXPECT_EQ(dc.GetPixel(size / 2, size / 2), row.centre);
        }
    }
    // A group's bitmap file that cannot be read gives the built-in image.
    CBitmap settings;
    ASSERT_TRUE(loadBarBitmap(u"\\Windows\\tool", IDB_TODAY_SETTINGS, &settings));
    EXPECT_EQ(settings.GetSize(), CSize(18, 18));
}

}  // namespace
}  // namespace zentrix::today
