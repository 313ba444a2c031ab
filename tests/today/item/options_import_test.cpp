#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/device_root.h"
#include "tests/support/test_support.h"
#include "today/item/import_folder.h"

namespace zentrix::today {
namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& path, const std::string& contents = "x") {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << contents;
}

std::vector<WideString> names(const ImportResult& result) {
    std::vector<WideString> out;
    for (const auto& item : result.items) out.push_back(item.name);
    return out;
}

class OptionsImport : public ::testing::Test {
  protected:
    fs::path handheld(const char* path) { return platform::devicePath(std::string_view(path)); }
    test::ScratchDeviceRoot root_;
};

TEST_F(OptionsImport, AsksAtEvery200thFileAndNoStopsKeepingWhatWasAdded) {
    for (int i = 0; i < 450; ++i) {
        // Spread over two folders, so that a No inside the subfolder has to stop the walk above.
        writeFile(handheld(i < 300 ? "\\Big\\a\\f" : "\\Big\\f") +=
                  std::to_string(1000 + i) + ".lnk");
    }
    const struct {
        const char* legend;
        std::vector<bool> answers;
        size_t items;
        std::vector<int> askedAt;
    } cases[] = {
        {"yes to both", {true, true}, 450, {199, 399}},
        {"no at the second", {true, false}, 399, {199, 399}},
        {"no at the first", {false}, 199, {199}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.legend);
        std::vector<int> asked;
        const auto result = importFolder(u"\\Big", [&](int added) {
            asked.push_back(added);
            return asked.size() <= c.answers.size() && c.answers[asked.size() - 1];
        });
        EXPECT_EQ(result.items.size(), c.items);
        EXPECT_EQ(asked, c.askedAt);
        EXPECT_EQ(result.stopped, c.items < 450);
        EXPECT_EQ(result.skipped, 0);
    }
}

TEST_F(OptionsImport, LeavesOutWhatCannotBeAnItemAndCountsIt) {
    const fs::path folder = handheld("\\Import");
    writeFile(folder / "a.exe");
    writeFile(folder / "sub" / "b.tar.gz");
    writeFile(folder / "z");
    writeFile(folder / ".hidden");                               // passed over, not counted
    writeFile(folder / ".hiddenfolder" / "c.exe");               // likewise
    fs::create_symlink(folder / "a.exe", folder / "alias.exe");  // a link to a file is its file
    fs::create_directory_symlink(folder / "sub", folder / "linked");  // not followed: 1
    fs::create_symlink(folder / "gone", folder / "dangling");         // 2
    fs::create_symlink(folder / "loop", folder / "loop");             // 3
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);          // 4
    writeFile(folder / std::string("bad\xff name"));                  // 5: not UTF-8
    writeFile(folder / "line\nbreak");                                // 6: the data file's lines
    // "\Import\" and 249 characters: 257 > 255.
    writeFile(folder / (std::string(245, 'n') + ".exe"));  // 7
    writeFile(folder / (std::string(243, 'm') + ".exe"));  // 255 exactly: taken
    int expectedSkipped = 7;
    if (::geteuid() != 0) {
        // Permissions stop everyone but root.
        writeFile(folder / "locked" / "d.exe");
        fs::permissions(folder / "locked", fs::perms::none);
        writeFile(folder / "secret.exe");
        fs::permissions(folder / "secret.exe", fs::perms::none);
        expectedSkipped += 2;
    }

    const auto result = importFolder(u"\\Import\\", nullptr);
    if (::geteuid() != 0)
        fs::permissions(folder / "locked", fs::perms::owner_all);

    EXPECT_FALSE(result.folderUnreadable);
    EXPECT_EQ(result.skipped, expectedSkipped);
    ASSERT_EQ(names(result),
              (std::vector<WideString>{u"a", u"alias", WideString(243, u'm'), u"b", u"z"}));
    EXPECT_EQ(result.items[0].fileName, u"\\Import\\a.exe");
    EXPECT_EQ(result.items[3].fileName, u"\\Import\\sub\\b.tar.gz");
    EXPECT_EQ(result.items[2].fileName.size(), 255u);
    for (const auto& item : result.items) {
        EXPECT_TRUE(item.commandLine.empty() && item.iconPath.empty() && item.iconResource == 0);
    }
}

TEST_F(OptionsImport, AFolderThatCannotBeListedSaysSo) {
    writeFile(handheld("\\Windows\\file"));
    for (const char16_t* folder : {u"\\Missing", u"\\Windows\\file"}) {
        const auto result = importFolder(folder, nullptr);
        EXPECT_TRUE(result.folderUnreadable);
        EXPECT_TRUE(result.items.empty());
        EXPECT_EQ(result.skipped, 0);
    }
}

TEST_F(OptionsImport, DesktopEntriesOfAHostFolderAreNamedByTheirNameLine) {
    test::ScratchFolder host;
    writeFile(host.path() / "editor.desktop",
              "# Name=Comment\n[Desktop Action New]\nName=Wrong group\n"
              "[Desktop Entry]\nType=Application\nName[de]=Texteditor\nName=Text\\sEditor\n"
              "Exec=editor %U\n");
    writeFile(host.path() / "hidden.desktop", "[Desktop Entry]\nName=Gone\nHidden=true\n");
    writeFile(host.path() / "menu.desktop", "[Desktop Entry]\nName=Gone\nNoDisplay=true\n");
    writeFile(host.path() / "shown.desktop", "[Desktop Entry]\nName=Shown\nNoDisplay=false\n");
    writeFile(host.path() / "unnamed.desktop", "[Desktop Entry]\nExec=x\n");
    writeFile(host.path() / "lines.desktop", "[Desktop Entry]\nName=Two\\nLines\n");
    writeFile(host.path() / "back\\slash.desktop", "[Desktop Entry]\nName=One\\\\Two\n");
    writeFile(host.path() / "noentry.desktop", "just text\n");  // cannot be started: counted
    writeFile(host.path() / "readme.txt");

    const auto folder = platform::fromUtf8(host.path().string());
    const auto result = importFolder(folder + u"/", nullptr);
    // A "\" would make a registry key path of the name, a line break two lines of the data file.
    EXPECT_EQ(names(result), (std::vector<WideString>{u"One_Two", u"Text Editor", u"Two Lines",
                                                      u"readme", u"Shown", u"unnamed"}));
    EXPECT_EQ(result.skipped, 1);
    ASSERT_EQ(result.items.size(), 6u);
    EXPECT_EQ(result.items[1].fileName, folder + u"/editor.desktop");
}

}  // namespace
}  // namespace zentrix::today
