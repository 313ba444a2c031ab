// The command history as functions of the file's bytes and as a file: 200 entries, newest first,
// no duplicates (case counts), lines whole, owner-only, replaced in one step, and a file that
// could not be read kept rather than wiped.
#include "ui/settings/command_history.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "tests/support/files.h"
#include "tests/support/test_support.h"

namespace zentrix::ui {
namespace {

namespace fs = std::filesystem;
using test::contentsOf;
using test::modeOf;
using test::ScratchDeviceRoot;
using test::writeFile;
using Entries = std::vector<WideString>;

/// "cmd0\r\ncmd1\r\n..." with `count` lines.
std::string numberedLines(int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) bytes += "cmd" + std::to_string(i) + "\r\n";
    return bytes;
}

TEST(CommandHistoryFormat, ParsesLinesWholeInTheAnsiCodePage) {
    const std::string long384(384, 'x');
    const std::string long1000 = "$PQELS,NTR,PAR," + std::string(985, 'p');
    struct Row {
        const char* legend;
        std::string bytes;
        Entries expected;
        bool whole;
    };
    const Row rows[] = {
        {"empty file", "", {}, true},
        {"CR LF lines, newest first as stored",
         "$PQELQ,GPS\r\n$PQELS,SBA,OFF\r\n",
         {u"$PQELQ,GPS", u"$PQELS,SBA,OFF"},
         true},
        {"LF, lone CR and a last line without an end", "a\nb\rc", {u"a", u"b", u"c"}, true},
        {"empty lines are no entries", "\r\n\r\na\r\n\n\nb\r\n", {u"a", u"b"}, true},
        {"blanks stay: the console takes them as typed", " a b \r\n", {u" a b "}, true},
        {"a 384-character line is one entry",
         long384 + "\r\nnext\r\n",
         {platform::fromUtf8(long384), u"next"},
         true},
        {"a 1000-character line is one entry too",
         long1000 + "\r\n",
         {platform::fromUtf8(long1000)},
         true},
        {"code page bytes", "caf\xE9\r\n\x80\r\n", {u"caf\u00E9", u"\u20AC"}, true},
        {"a zero byte: the line up to it, and the file is not ours",
         std::string("ab\0cd\r\nef\r\n", 11),
         {u"ab", u"ef"},
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const ParsedCommandHistory parsed = parseCommandHistory(row.bytes);
        EXPECT_EQ(parsed.entries, row.expected);
        EXPECT_EQ(parsed.whole, row.whole);
    }
}

TEST(CommandHistoryFormat, ReadsAndWritesAtMost200) {
    const ParsedCommandHistory parsed = parseCommandHistory(numberedLines(250));
    ASSERT_EQ(parsed.entries.size(), 200u);
    EXPECT_EQ(parsed.entries.front(), u"cmd0");
    EXPECT_EQ(parsed.entries.back(), u"cmd199");
    EXPECT_TRUE(parsed.whole) << "a long history is no damage";

    Entries many;
    for (int i = 0; i < 250; ++i) many.push_back(u"cmd" + platform::fromUtf8(std::to_string(i)));
    EXPECT_EQ(formatCommandHistory(many), numberedLines(200));
    EXPECT_EQ(formatCommandHistory({u"a", u"", u"caf\u00E9"}), "a\r\ncaf\xE9\r\n")
        << "no empty lines, ANSI code page, CR LF";
}

TEST(CommandHistory, NewestFirstWithoutDuplicatesCaseSensitively) {
    CommandHistory history;
    EXPECT_TRUE(history.add(u"$PQELS,SBA,ON"));
    EXPECT_TRUE(history.add(u"$PQELQ,GPS"));
    EXPECT_TRUE(history.add(u"$pqels,sba,on")) << "another command for the receiver";
    EXPECT_FALSE(history.add(u"$PQELS,SBA,ON")) << "already there";
    EXPECT_FALSE(history.add(u"")) << "nothing to keep";
    EXPECT_EQ(history.entries(), (Entries{u"$pqels,sba,on", u"$PQELQ,GPS", u"$PQELS,SBA,ON"}))
        << "a repeated command neither doubles nor moves";
    EXPECT_TRUE(history.contains(u"$PQELQ,GPS"));
    EXPECT_FALSE(history.contains(u"$pqelq,gps"));

    for (int i = 0; i < 300; ++i) history.add(u"c" + platform::fromUtf8(std::to_string(i)));
    ASSERT_EQ(history.entries().size(), 200u);
    EXPECT_EQ(history.entries().front(), u"c299");
    EXPECT_EQ(history.entries().back(), u"c100") << "the oldest drop off the end";
}

TEST(CommandHistoryFile, MissingFileGivesAnEmptyHistoryAndSaveWritesItOwnerOnly) {
    ScratchDeviceRoot root;
    const fs::path file = root.path() / "SendCmd.log";
    CommandHistory history;
    EXPECT_TRUE(history.load());
    EXPECT_TRUE(history.entries().empty());
    history.add(u"$PQELS,NTR,PAR,caster,2101,login,secret");
    history.add(u"$PQELQ,NTR");
    ASSERT_TRUE(history.save());
    EXPECT_EQ(contentsOf(file), "$PQELQ,NTR\r\n$PQELS,NTR,PAR,caster,2101,login,secret\r\n");
    EXPECT_EQ(modeOf(file), 0600u);

    // A history that someone made readable for all is tightened at the next save.
    ::chmod(file.c_str(), 0644);
    CommandHistory again;
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.entries(), history.entries());
    ASSERT_TRUE(again.save());
    EXPECT_EQ(modeOf(file), 0600u);
}

TEST(CommandHistoryFile, A250LineFileShowsAndKeepsTheFirst200) {
    ScratchDeviceRoot root;
    const fs::path file = root.path() / "SendCmd.log";
    writeFile(file, numberedLines(250));
    CommandHistory history;
    ASSERT_TRUE(history.load());
    ASSERT_EQ(history.entries().size(), 200u);
    EXPECT_EQ(history.entries()[199], u"cmd199");
    ASSERT_TRUE(history.save());
    EXPECT_EQ(contentsOf(file), numberedLines(200));
    EXPECT_FALSE(fs::exists(file.string() + ".damaged"));
}

TEST(CommandHistoryFile, A384CharacterCommandComesBackAsOneEntry) {
    ScratchDeviceRoot root;
    WideString command = u"$PQELS,MDM,PAR,APN,";
    command.resize(384, u'a');
    CommandHistory history;
    history.add(u"short");
    history.add(command);
    ASSERT_TRUE(history.save());
    CommandHistory again;
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.entries(), (Entries{command, u"short"}));
}

TEST(CommandHistoryFile, SaveReplacesTheFileInOneStep) {
    ScratchDeviceRoot root;
    const fs::path file = root.path() / "SendCmd.log";
    writeFile(file, "old\r\n");
    // A second name for the old file: a save that truncated and rewrote in place would change
    // what it holds; a new file renamed over the name leaves it alone.
    const fs::path witness = root.path() / "witness";
    ASSERT_EQ(::link(file.c_str(), witness.c_str()), 0);
    CommandHistory history;
    ASSERT_TRUE(history.load());
    history.add(u"new");
    ASSERT_TRUE(history.save());
    EXPECT_EQ(contentsOf(file), "new\r\nold\r\n");
    EXPECT_EQ(contentsOf(witness), "old\r\n");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"SendCmd.log", "witness"})) << "no leftovers";
}

TEST(CommandHistoryFile, AFileThatCannotBeReadIsKeptBesideBeforeTheSave) {
    ScratchDeviceRoot root;
    const fs::path file = root.path() / "SendCmd.log";
    const fs::path damaged = root.path() / "SendCmd.log.damaged";
    struct Row {
        const char* legend;
        std::string bytes;
        mode_t mode;
        Entries loaded;
    };
    const std::string binary("keep\r\n\0\x01\x02\r\n", 11);
    std::vector<Row> rows = {{"bytes this program never writes", binary, 0644, {u"keep"}}};
    if (::geteuid() != 0)  // the superuser reads any file
        rows.push_back({"a file its owner may not read", "secret\r\n", 0000, {}});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        fs::remove(damaged);
        fs::remove(file);
        writeFile(file, row.bytes);
        ::chmod(file.c_str(), row.mode);
        CommandHistory history;
        EXPECT_FALSE(history.load());
        EXPECT_EQ(history.entries(), row.loaded);
        history.add(u"$PQELQ,GPS");
        ASSERT_TRUE(history.save());
        ::chmod(damaged.c_str(), 0600);
        EXPECT_EQ(contentsOf(damaged), row.bytes) << "the old file, whole";
        EXPECT_EQ(contentsOf(file).substr(0, 12), "$PQELQ,GPS\r\n");
        EXPECT_EQ(modeOf(file), 0600u);
        ASSERT_TRUE(history.save());
        EXPECT_FALSE(fs::exists(damaged.string() + "2")) << "one copy is enough";
    }
}

TEST(CommandHistoryFile, RefusesToSaveWhenTheOldFileCannotBeKept) {
    ScratchDeviceRoot root;
    // A folder where the file should be: it cannot be read, and it cannot be linked aside.
    const fs::path inTheWay = root.path() / "SendCmd.log" / "in-the-way";
    fs::create_directories(inTheWay);
    CommandHistory history;
    EXPECT_FALSE(history.load());
    history.add(u"$PQELQ,GPS");
    EXPECT_FALSE(history.save());
    EXPECT_TRUE(fs::is_directory(inTheWay)) << "left as it was";
}

}  // namespace
}  // namespace zentrix::ui
