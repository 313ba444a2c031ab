// Launching items: real child processes, started without a shell, whose arguments arrive exactly
// as stored. Folders and documents go to the opener, which these tests replace by a program that
// writes down its arguments, so no desktop program is ever opened.
#include "platform/launch.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>

#include "tests/support/test_support.h"

namespace zentrix::platform {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using test::ScratchDeviceRoot;
using test::ScratchFolder;
using Words = std::vector<std::string>;

const fs::path kRecorder = ZENTRIX_ARGV_RECORDER;

// What the recorder was started with.
struct Record {
    long pid = 0;
    bool sessionLeader = false;
    std::string input;
    std::string folder;
    Words arguments;
};

void sleepBriefly() {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

std::optional<Record> waitForRecord(const fs::path& file) {
    for (int i = 0; i < 2000 && !fs::exists(file); ++i) sleepBriefly();
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    Words fields;
    for (size_t pos = 0; pos < text.size();) {
        const size_t end = text.find('\0', pos);
        if (end == std::string::npos)
            return std::nullopt;
        fields.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    if (fields.size() < 4)
        return std::nullopt;
    fs::remove(file);
    return Record{std::stol(fields[0]), fields[1] == "leader", fields[2], fields[3],
                  Words(fields.begin() + 4, fields.end())};
}

// The child is gone from the process table (reaped), not left as a zombie.
bool reaped(long pid) {
    const fs::path entry = fs::path("/proc") / std::to_string(pid);
    for (int i = 0; i < 2000 && fs::exists(entry); ++i) sleepBriefly();
    return !fs::exists(entry);
}

void copyProgram(const fs::path& to) {
    fs::create_directories(to.parent_path());
    fs::copy_file(kRecorder, to, fs::copy_options::overwrite_existing);
    fs::permissions(to, fs::perms::owner_all);
}

void writeFile(const fs::path& file, const std::string& text, bool executable = false) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
    if (executable)
        fs::permissions(file, fs::perms::owner_all);
}

class Launch : public ::testing::Test {
  protected:
    ScratchDeviceRoot root;
    ScratchFolder scratch;
    fs::path record = scratch.path() / "record";
    ScopedEnv recordEnv{"ZENTRIX_ARGV_RECORD", record.string()};
    ScopedEnv openerEnv{"ZENTRIX_OPENER", kRecorder.string()};
};

TEST(SplitCommandLine, QuotesGroupAndNothingIsExpanded) {
    struct Row {
        const char* line;
        Words words;
    };
    const Row rows[] = {
        {"", {}},
        {"   \t ", {}},
        {"-f  two", {"-f", "two"}},
        {"\"a b\" c", {"a b", "c"}},
        {"x\"y z\"w", {"xy zw"}},
        {"\"\" a", {"", "a"}},
        {"say \\\"hi\\\"", {"say", "\"hi\""}},
        {"\"unclosed quote", {"unclosed quote"}},
        {"\\My Documents\\a.txt", {"\\My", "Documents\\a.txt"}},
        {"\"\\My Documents\\a.txt\"", {"\\My Documents\\a.txt"}},
        {"a\\\\\"b c\"", {"a\\b c"}},  // 2 backslashes and a quote: one, and a quoted part
        {"a\\\\\\\"b", {"a\\\"b"}},    // 3 and a quote: one and a literal quote
        {"$(rm -rf ~) ; * `id` $HOME ~ | > &&",
         {"$(rm", "-rf", "~)", ";", "*", "`id`", "$HOME", "~", "|", ">", "&&"}},
    };
    for (const Row& row : rows) EXPECT_EQ(splitCommandLine(row.line), row.words) << row.line;
}

TEST_F(Launch, AProgramGetsItsArgumentsExactlyAsStoredWithoutAShell) {
    copyProgram(root.path() / "Program Files" / "Tool");
    const fs::path canary = scratch.path() / "pwned";
    struct Row {
        std::u16string line;
        Words arguments;
    };
    const Row rows[] = {
        {u"", {}},
        {u"-f \"a b\" ; * ~ $HOME", {"-f", "a b", ";", "*", "~", "$HOME"}},
        {u"\"$(touch " + fromUtf8(canary.string()) + u")\" `touch " + fromUtf8(canary.string()) +
             u"` say \\\"hi\\\"",
         {"$(touch " + canary.string() + ")", "`touch", canary.string() + "`", "say", "\"hi\""}},
        {u"\"Ünïcode naïve\" |", {"Ünïcode naïve", "|"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(toUtf8(row.line));
        // The handheld named it "Tool.exe"; the Linux program is "Tool" in the same folder.
        const LaunchResult result = launchFile(u"\\Program Files\\Tool.exe", row.line);
        ASSERT_TRUE(result.started) << result.error;
        const std::optional<Record> child = waitForRecord(record);
        ASSERT_TRUE(child);
        EXPECT_EQ(child->arguments, row.arguments);
        EXPECT_TRUE(child->sessionLeader);
        EXPECT_EQ(child->input, "/dev/null");
        EXPECT_TRUE(reaped(child->pid));
    }
    EXPECT_FALSE(fs::exists(canary));
}

// A path of this machine stays as it is; a bare name that is not in the device root is found in
// PATH, also without its ".exe".
TEST_F(Launch, LinuxPathsAndBareNamesInPath) {
    const fs::path bin = scratch.path() / "bin";
    copyProgram(bin / "recorder");
    ScopedEnv path("PATH", bin.string());
    EXPECT_EQ(findLaunchFile(u"recorder.exe"), bin / "recorder");
    EXPECT_EQ(findLaunchFile(u"recorder2"), std::nullopt);
    for (const std::u16string& file : {fromUtf8(kRecorder.string()), std::u16string(u"recorder"),
                                       std::u16string(u"recorder.EXE")}) {
        SCOPED_TRACE(toUtf8(file));
        const LaunchResult result = launchFile(file, u"one \"t w o\"");
        ASSERT_TRUE(result.started) << result.error;
        const std::optional<Record> child = waitForRecord(record);
        ASSERT_TRUE(child);
        EXPECT_EQ(child->arguments, (Words{"one", "t w o"}));
    }
}

TEST_F(Launch, ADesktopEntryStartsItsExecLineWithoutFieldCodes) {
    const fs::path folder = scratch.path() / "work dir";
    fs::create_directories(folder);
    writeFile(root.path() / "Windows" / "Start Menu" / "Tool.desktop",
              "[Desktop Entry]\nType=Application\nName=Tool\n"
              "Exec=\"" +
                  kRecorder.string() +
                  "\" --file=%f %U \"quoted  %% \\\\\\\\$x\" 100%% %i %c %k\n"
                  "Path=" +
                  folder.string() +
                  "\n"
                  "[Desktop Action other]\nExec=/bin/false\n");
    const LaunchResult result =
        launchFile(u"\\Windows\\Start Menu\\Tool.desktop", u"extra \"two words\"");
    ASSERT_TRUE(result.started) << result.error;
    const std::optional<Record> child = waitForRecord(record);
    ASSERT_TRUE(child);
    EXPECT_EQ(child->arguments, (Words{"--file=", "quoted  % \\$x", "100%", "extra", "two words"}));
    EXPECT_EQ(child->folder, folder.string());
    EXPECT_TRUE(reaped(child->pid));
}

// Folders (the device root's top too), documents and a link's URL are handed to the opener.
TEST_F(Launch, FoldersDocumentsAndLinksGoToTheOpener) {
    writeFile(root.path() / "My Documents" / "notes 1.txt", "text");
    // A memory card's file system gives every file execute permission.
    writeFile(root.path() / "Storage Card" / "card.txt", "text", true);
    writeFile(root.path() / "Link.desktop",
              "[Desktop Entry]\nType=Link\nURL=https://example.org/a b\n");
    struct Row {
        std::u16string file;
        std::string target;
    };
    const Row rows[] = {
        {u"\\", root.path().string()},
        {u"\\My Documents", (root.path() / "My Documents").string()},
        {u"\\My Documents\\notes 1.txt", (root.path() / "My Documents" / "notes 1.txt").string()},
        {fromUtf8(scratch.path().string()), scratch.path().string()},
        {u"\\Storage Card\\card.txt", (root.path() / "Storage Card" / "card.txt").string()},
        {u"Link.desktop", "https://example.org/a b"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(toUtf8(row.file));
        const LaunchResult result = launchFile(row.file, u"ignored ; args");
        ASSERT_TRUE(result.started) << result.error;
        const std::optional<Record> child = waitForRecord(record);
        ASSERT_TRUE(child);
        EXPECT_EQ(child->arguments, Words{row.target});
    }
}

TEST_F(Launch, WhatCannotBeStartedSaysWhyInOneLine) {
    writeFile(root.path() / "Program Files" / "Broken", "#!/no/such/interpreter\n", true);
    writeFile(root.path() / "Program Files" / "NoExec.desktop",
              "[Desktop Entry]\nType=Application\n");
    writeFile(root.path() / "Program Files" / "Gone.desktop",
              "[Desktop Entry]\nExec=/no/such/program %F\n");
    writeFile(root.path() / "Program Files" / "Open.desktop", "[Desktop Entry]\nExec=\"unclosed\n");
    writeFile(root.path() / "doc.txt", "text");
    struct Row {
        std::u16string file;
        const char* opener;
        std::string error;
    };
    const Row rows[] = {
        {u"\\Program Files\\Missing.exe", nullptr,
         "Cannot start \"\\Program Files\\Missing.exe\": No such file or directory"},
        // The exec itself failed: the result comes from the child, not from a look beforehand.
        {u"\\Program Files\\Broken", nullptr,
         "Cannot start \"\\Program Files\\Broken\": No such file or directory"},
        {u"\\Program Files\\Gone.desktop", nullptr,
         "Cannot start \"\\Program Files\\Gone.desktop\": No such file or directory"},
        {u"\\Program Files\\NoExec.desktop", nullptr,
         "Cannot start \"\\Program Files\\NoExec.desktop\": its Exec= line is missing or "
         "unreadable"},
        {u"\\Program Files\\Open.desktop", nullptr,
         "Cannot start \"\\Program Files\\Open.desktop\": its Exec= line is missing or unreadable"},
        {u"", nullptr, "Cannot start \"\": No such file or directory"},
        {u"doc.txt", "/no/such/opener",
         "Cannot open \"doc.txt\": /no/such/opener was not found (it comes with the desktop's "
         "utilities, xdg-utils)"},
        {u"\\", "",
         "Cannot open \"\\\": xdg-open was not found (it comes with the desktop's "
         "utilities, xdg-utils)"},
    };
    ScopedEnv path("PATH", scratch.path().string());  // no xdg-open in there
    for (const Row& row : rows) {
        SCOPED_TRACE(toUtf8(row.file));
        std::optional<ScopedEnv> opener;
        if (row.opener)
            opener.emplace("ZENTRIX_OPENER", row.opener);
        const LaunchResult result = launchFile(row.file, u"x");
        EXPECT_FALSE(result.started);
        EXPECT_EQ(result.error, row.error);
    }
    EXPECT_FALSE(fs::exists(record));
}

}  // namespace
}  // namespace zentrix::platform
