#include "today/launcher_data_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "platform/atomic_file.h"
#include "tests/support/comma_locale.h"
#include "tests/support/crash_loop.h"
#include "tests/support/test_support.h"

namespace zentrix::today {
namespace {

using platform::fromUtf8;

std::string utf16le(WideStringView text) {
    std::string bytes;
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// The file as lines without their CR LF, and back.
std::vector<WideString> linesOf(std::string_view bytes) {
    WideString text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                      static_cast<uint8_t>(bytes[i + 1]) << 8);
    }
    std::vector<WideString> lines;
    for (size_t start = 0; start < text.size();) {
        const auto end = text.find(u"\r\n", start);
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}
std::string fileOf(const std::vector<WideString>& lines) {
    WideString text;
    for (const auto& line : lines) text += line + u"\r\n";
    return utf16le(text);
}

// The line index of general setting `n` (0-based) in a version-1204 file.
constexpr size_t kGeneralStart = 4;

LauncherSettings changedSettings() {
    LauncherSettings settings;
    settings.launcherHeight = 140;
    settings.iconLoadDelay = 0;
    settings.language = -3;
    settings.settingsIconProgram = u"\\Program Files\\Zentrix\\Zentrix.exe";
    settings.settingsIconCommandLine = u"-f über";
    settings.menuBarMargin = 4;
    settings.tabLineWrapAround = 0;
    settings.tapOnEmptySelectsNext = 0;
    for (size_t g = 0; g < kGroupCount; ++g) {
        auto& group = settings.groups[g];
        group.name = u"Gruppe " + fromUtf8(std::to_string(g));
        group.iconSize = 32;
        group.arrowBitmapFile3 = u"\\Windows\\arrow3.bmp";
        group.importFolder = u"\\Storage Card\\Programs";
        for (size_t i = 0; i < g; ++i) {
            group.items.push_back({.name = u"Item " + fromUtf8(std::to_string(i)),
                                   .fileName = u"\\Windows\\app.exe",
                                   .commandLine = i % 2 ? u"" : u"/x",
                                   .iconPath = WideString(kMaxTextLength, u'ä'),
                                   .iconResource = static_cast<int32_t>(i) - 1});
        }
    }
    return settings;
}

TEST(LauncherDataFile, KnownSettingsGiveKnownBytes) {
    LauncherSettings settings;
    settings.groups[0].items.push_back(
        {.name = u"GNSS", .fileName = u"\\Windows\\Zentrix.exe", .iconResource = 101});
    std::u16string expected =
        u"\uFEFF\r\nZentrix\r\n1204\r\n1855\r\n"
        u"100\r\n2\r\n0\r\n0\r\n1\r\n1\r\n35\r\n1\r\n0\r\n1\r\n0\r\n\r\n\r\n1\r\n1\r\n0\r\n1\r\n1\r"
        u"\n"
        u"1855\r\n8\r\n19\r\n"
        u"Main\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n16\r\n0\r\n70\r\n0\r\n14\r\n\r\n0\r\n\r\n\r\n"
        u"\r\n\r\n\\Windows\\Start Menu\r\n1\r\n"
        u"GNSS\r\n\\Windows\\Zentrix.exe\r\n\r\n\r\n101\r\n";
    for (const char16_t* name :
         {u"Tools", u"Comm", u"Web", u"Utilities", u"Work", u"Nav", u"Misc"}) {
        expected += WideString(name) +
                    u"\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n16\r\n0\r\n70\r\n0\r\n14\r\n\r\n0\r\n"
                    u"\r\n\r\n\r\n\r\n\\Windows\\Start Menu\r\n0\r\n";
    }
    const auto bytes = formatLauncherData(settings);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE\x0D\x00", 4));
    EXPECT_EQ(bytes, utf16le(expected));
}

TEST(LauncherDataFile, EverySettingRoundTrips) {
    const auto settings = changedSettings();
    const auto read = parseLauncherData(formatLauncherData(settings), LauncherSettings());
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, settings);
}

TEST(LauncherDataFile, OlderVersionsLeaveTheSettingsTheyLackAsTheyWere) {
    auto lines = linesOf(formatLauncherData(changedSettings()));
    // Version 1201: without the last three general settings.
    lines[2] = u"1201";
    lines.erase(lines.begin() + kGeneralStart + 15, lines.begin() + kGeneralStart + 18);
    const LauncherSettings defaults;
    const auto read1201 = parseLauncherData(fileOf(lines), defaults);
    ASSERT_TRUE(read1201);
    EXPECT_EQ(read1201->menuBarMargin, 0);
    EXPECT_EQ(read1201->tabLineWrapAround, 1);
    EXPECT_EQ(read1201->tapOnEmptySelectsNext, 1);
    EXPECT_EQ(read1201->launcherHeight, 140);
    EXPECT_EQ(read1201->groups, changedSettings().groups);

    // Version 1200: no import folder after a group's 19 settings either.
    lines[2] = u"1200";
    for (size_t g = 0, at = kGeneralStart + 15 + 3; g < kGroupCount; ++g) {
        lines.erase(lines.begin() + at + 19);
        at += 19 + 1 + 5 * g;
    }
    const auto read1200 = parseLauncherData(fileOf(lines), defaults);
    ASSERT_TRUE(read1200);
    EXPECT_EQ(read1200->groups[7].importFolder, u"\\Windows\\Start Menu");
    EXPECT_EQ(read1200->groups[7].items, changedSettings().groups[7].items);
}

TEST(LauncherDataFile, AnythingButAWholeFileOfAKnownVersionIsRefused) {
    const auto good = linesOf(formatLauncherData(changedSettings()));
    const size_t marker2 = kGeneralStart + 18;
    struct Row {
        const char* legend;
        size_t line;
        const char16_t* text;  // nullptr: the file ends before this line
    };
    const Row rows[] = {
        {"another signature", 1, u"Zentrax"},
        {"version 1199", 2, u"1199"},
        {"a version that is no number", 2, u"x1204"},
        {"first section marker", 3, u"1856"},
        {"second section marker", marker2, u"1854"},
        {"nine groups", marker2 + 1, u"9"},
        {"eighteen settings a group", marker2 + 2, u"18"},
        {"a negative item count", marker2 + 3 + 20, u"-1"},
        {"more items than the file holds", marker2 + 3 + 20, u"2000000000"},
        {"truncated inside the general settings", kGeneralStart + 3, nullptr},
        {"truncated inside the last item", good.size() - 2, nullptr},
    };
    for (const auto& row : rows) {
        auto lines = good;
        if (row.text) {
            lines[row.line] = row.text;
        } else {
            lines.resize(row.line);
        }
        EXPECT_FALSE(parseLauncherData(fileOf(lines), LauncherSettings())) << row.legend;
    }
    EXPECT_FALSE(parseLauncherData("", LauncherSettings()));
    EXPECT_TRUE(parseLauncherData(fileOf(good), LauncherSettings())) << "the rows changed it";
}

TEST(LauncherDataFile, TextsStayOnTheirLine) {
    LauncherSettings settings;
    settings.groups[1].items.push_back(
        {.name = u"two\r\nlines", .fileName = WideString(300, u'x'), .iconResource = 7});
    const auto read = parseLauncherData(formatLauncherData(settings), LauncherSettings());
    ASSERT_TRUE(read);
    ASSERT_EQ(read->groups[1].items.size(), 1u);
    EXPECT_EQ(read->groups[1].items[0].name, u"two  lines");
    EXPECT_EQ(read->groups[1].items[0].fileName, WideString(kMaxTextLength, u'x'));
    EXPECT_EQ(read->groups[1].items[0].iconResource, 7);

    // A long line from elsewhere is cut without shifting the lines after it.
    auto lines = linesOf(formatLauncherData(settings));
    lines[kGeneralStart + 11] = WideString(1000, u'p');
    const auto cut = parseLauncherData(fileOf(lines), LauncherSettings());
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->settingsIconProgram, WideString(kMaxTextLength, u'p'));
}

TEST(LauncherDataFile, LoadsAndSavesAtTheDeviceRoot) {
    test::ScratchDeviceRoot root;
    LauncherSettings settings;
    EXPECT_FALSE(loadDataFile(settings));
    EXPECT_FALSE(saveDataFile(changedSettings()));
    EXPECT_TRUE(std::filesystem::exists(root.path() / "Windows" / "Zentrix.dat"));
    ASSERT_TRUE(loadDataFile(settings));
    EXPECT_EQ(settings, changedSettings());

    // A damaged file changes nothing, not even the settings read before the damage.
    auto lines = linesOf(formatLauncherData(LauncherSettings()));
    lines.resize(lines.size() - 1);
    std::ofstream(root.path() / "Windows" / "Zentrix.dat", std::ios::binary) << fileOf(lines);
    EXPECT_FALSE(loadDataFile(settings));
    EXPECT_EQ(settings, changedSettings());
}

// A German desktop changes nothing in the file: the numbers (a version of four digits, a height
// in the hundreds, negative icon numbers) are the same bytes and read back as the same values.
TEST(LauncherDataFile, TheDesktopsLocaleChangesNoByte) {
    test::ScratchDeviceRoot root;
    auto settings = changedSettings();
    settings.launcherHeight = 1234567;
    settings.groups[2].items.back().iconResource = -20000;
    const std::string bytes = formatLauncherData(settings);
    EXPECT_EQ(linesOf(bytes)[2], u"1204");
    EXPECT_EQ(linesOf(bytes)[kGeneralStart], u"1234567");

    test::ScopedCommaLocale comma;
    ASSERT_TRUE(comma.active());
    EXPECT_FALSE(saveDataFile(settings));
    EXPECT_EQ(platform::readWholeFile(dataFilePath()).bytes, bytes);
    LauncherSettings read;
    ASSERT_TRUE(loadDataFile(read));
    EXPECT_EQ(read, settings);
}

TEST(LauncherDataFile, AWriterKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
    test::ScratchDeviceRoot root;
    const LauncherSettings versions[2] = {LauncherSettings(), changedSettings()};
    ASSERT_FALSE(saveDataFile(versions[0]));
    int damaged = 0;
    test::killWhileSaving(
        200, [&](uint64_t i) { saveDataFile(versions[i % 2]); },
        [&] {
            LauncherSettings read;
            read.launcherHeight = -1;
            if (!loadDataFile(read) || (read != versions[0] && read != versions[1])) ++damaged;
        });
    EXPECT_EQ(damaged, 0);
}

}  // namespace
}  // namespace zentrix::today
