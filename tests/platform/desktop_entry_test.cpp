// Reading desktop entries and splitting their Exec= lines.
#include "platform/desktop_entry.h"

#include <gtest/gtest.h>

namespace zentrix::platform {
namespace {

using Words = std::vector<std::string>;

TEST(DesktopEntry, ReadsTheKeysOfItsOwnGroupOnly) {
    const std::optional<DesktopEntry> entry = parseDesktopEntry(
        "# comment\n"
        "[Other]\nName=Wrong\n"
        "[Desktop Entry]\r\n"
        "Name[de]=Werkzeug\n"
        "Name = Tool\\sBox \r\n"
        "Name=Second\n"
        "Type=Application\n"
        "Icon=/usr/share/icons/tool.png\n"
        "Exec=tool \\\\\\\\ \"a\\\"b\" %U\n"
        "Path=/tmp/x\n"
        "NoDisplay=true\n"
        "Hidden=false\n"
        "Terminal=1\n"
        "broken line\n"
        "[Desktop Action new]\nExec=other\nIcon=other\n");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name, "Tool Box");
    EXPECT_EQ(entry->type, "Application");
    EXPECT_EQ(entry->icon, "/usr/share/icons/tool.png");
    EXPECT_EQ(entry->exec, "tool \\\\ \"a\\\"b\" %U");
    EXPECT_EQ(entry->workingFolder, "/tmp/x");
    EXPECT_TRUE(entry->noDisplay);
    EXPECT_FALSE(entry->hidden);
    EXPECT_TRUE(entry->terminal);
    EXPECT_EQ(splitDesktopExec(entry->exec), (Words{"tool", "\\\\", "a\"b"}));

    EXPECT_FALSE(parseDesktopEntry("Name=No group\n"));
    EXPECT_FALSE(parseDesktopEntry("[Desktop Action x]\nName=Other group\n"));
    EXPECT_FALSE(parseDesktopEntry(""));
    const std::optional<DesktopEntry> empty = parseDesktopEntry("[Desktop Entry]");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->name, "");
    EXPECT_FALSE(readDesktopEntry("/no/such/file.desktop"));
}

TEST(DesktopEntry, ExecLinesSplitWithFieldCodesDropped) {
    struct Row {
        const char* exec;
        std::optional<Words> words;
    };
    const Row rows[] = {
        {"prog", Words{"prog"}},
        {"  prog   a\tb  ", Words{"prog", "a", "b"}},
        {"prog %f %F %u %U %i %c %k %d %D %n %N %v %m", Words{"prog"}},
        {"prog --open=%u x%Fy", Words{"prog", "--open=", "xy"}},
        {"prog 100%% %%u", Words{"prog", "100%", "%u"}},
        {"prog %z %", Words{"prog", "%z", "%"}},  // no field code: kept as written
        {"\"/opt/My App/run\" \"two words\" \"\"", Words{"/opt/My App/run", "two words", ""}},
        {"prog \"\\\"q\\\" \\`x\\` \\$y \\\\ \\n\"", Words{"prog", "\"q\" `x` $y \\ \\n"}},
        {"prog \"%f\"", Words{"prog"}},
        {"sh -c \"echo $(id); ls *\"", Words{"sh", "-c", "echo $(id); ls *"}},
        {"prog a\\b", Words{"prog", "a\\b"}},
        {"prog \"unclosed", std::nullopt},
        {"", std::nullopt},
        {"%f %U", std::nullopt},
    };
    for (const Row& row : rows) EXPECT_EQ(splitDesktopExec(row.exec), row.words) << row.exec;
}

}  // namespace
}  // namespace zentrix::platform
