// The troubleshooting page against the fake receiver: what it reads when it opens, what it sends
// when confirmed or cancelled (every call written down), the ring-flag check 5 seconds after
// debug recording is switched on (on a fast clock), each failed read, and the command line.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "framework/message_box.h"
#include "framework/resources.h"
#include "framework/test_kit.h"
#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_receiver.h"
#include "tests/support/files.h"
#include "tests/support/test_support.h"
#include "ui/settings/troubleshoot_sheet.h"

namespace zentrix::ui {
namespace {

namespace fs = std::filesystem;
using framework::CComboBox;
using framework::ScopedTestKit;
using test::contentsOf;
using Calls = std::vector<std::string>;
using Texts = std::vector<WideString>;

/// A fake whose `queryAutoLogging` fails on call number `failingQuery` only (0: never), the way a
/// receiver that answered once may miss the next question.
class FlakyReceiver : public test::FakeReceiver {
  public:
    int failingQuery = 0;
    uint32_t queryAutoLogging(int32_t& on, int32_t& number, int32_t& ring) override {
        if (++queries_ != failingQuery)
            return FakeReceiver::queryAutoLogging(on, number, ring);
        fail("queryAutoLogging");
        const uint32_t result = FakeReceiver::queryAutoLogging(on, number, ring);
        succeed("queryAutoLogging");
        return result;
    }

  private:
    int queries_ = 0;
};

Texts comboEntries(CComboBox* combo) {
    Texts entries;
    for (int i = 0; combo != nullptr && i < combo->GetCount(); ++i)
        entries.push_back(combo->GetLBText(i));
    return entries;
}
Texts messageTexts(const ScopedTestKit& kit) {
    Texts texts;
    for (const auto& box : kit.messageBoxes()) texts.push_back(box.text);
    return texts;
}
// ---- The write at OK, as a function -----------------------------------------------------------

TEST(TroubleshootPlan, SendsWhatWasReadOrChanged) {
    TroubleshootRead known;
    known.debugKnown = true;
    known.memoryCode = 0;
    TroubleshootRead unknown;  // every query failed
    struct Row {
        const char* legend;
        const TroubleshootRead& read;
        TroubleshootShown atOpening, now;
        TroubleshootWrite expected;
    };
    const Row rows[] = {
        {"nothing changed: debug state re-sent as read",
         known,
         {false, 0},
         {false, 0},
         {{}, false}},
        {"recording kept on", known, {true, 0}, {true, 0}, {{}, true}},
        {"storage card picked", known, {false, 0}, {false, 1}, {1, false}},
        {"receiver path picked", known, {false, 1}, {false, 2}, {9, false}},
        {"storage back where it was", known, {false, 1}, {false, 1}, {{}, false}},
        {"failed reads, nothing touched: nothing", unknown, {false, -1}, {false, -1}, {}},
        {"failed reads, box checked by the user", unknown, {false, -1}, {true, -1}, {{}, true}},
        {"failed memory read, entry picked by the user", unknown, {false, -1}, {false, 0}, {0, {}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(planTroubleshootWrite(row.read, row.atOpening, row.now), row.expected);
    }
    EXPECT_EQ(memoryCodeOfEntry(0), 0);
    EXPECT_EQ(memoryCodeOfEntry(1), 1);
    EXPECT_EQ(memoryCodeOfEntry(2), 9);
    EXPECT_EQ(memoryCodeOfEntry(3), 0);
}

TEST(TroubleshootPlan, RingFlagCheckedFiveSecondsAfterSwitchingOn) {
    platform::ScopedClockSpeed fast(100);
    struct Row {
        const char* legend;
        int32_t ring;
        std::vector<std::string> failing;
        TroubleshootWrite write;
        Calls expected;
        TroubleshootWriteResult result;
        bool pauses;
    };
    const Row rows[] = {
        {"ring mode: stays on",
         1,
         {},
         {{}, true},
         {"setAutoLogging 1", "queryAutoLogging"},
         TroubleshootWriteResult::Done,
         true},
        {"no ring flag: switched off again",
         0,
         {},
         {{}, true},
         {"setAutoLogging 1", "queryAutoLogging", "setAutoLogging 0"},
         TroubleshootWriteResult::DebugRecordingFailed,
         true},
        {"no answer to the check: left on",
         0,
         {"queryAutoLogging"},
         {{}, true},
         {"setAutoLogging 1", "queryAutoLogging"},
         TroubleshootWriteResult::Done,
         true},
        {"switching on refused: no wait, reported",
         1,
         {"setAutoLogging"},
         {{}, true},
         {"setAutoLogging 1"},
         TroubleshootWriteResult::DebugRecordingFailed,
         false},
        {"off", 1, {}, {{}, false}, {"setAutoLogging 0"}, TroubleshootWriteResult::Done, false},
        {"memory first, then recording",
         1,
         {},
         {9, true},
         {"setMemory 9", "setAutoLogging 1", "queryAutoLogging"},
         TroubleshootWriteResult::Done,
         true},
        {"nothing", 1, {}, {}, {}, TroubleshootWriteResult::Done, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        test::FakeReceiver receiver;
        receiver.autoLoggingOn = 1;
        receiver.autoLoggingRing = row.ring;
        for (const std::string& name : row.failing) receiver.fail(name);
        const uint32_t start = platform::Clock::tickCount();
        EXPECT_EQ(applyTroubleshootWrite(receiver, row.write), row.result);
        const uint32_t elapsed = platform::ticksSince(start);
        EXPECT_EQ(receiver.calls(), row.expected);
        if (row.pauses) {
            EXPECT_GE(elapsed, kDebugRecordingSettleMs);
        } else {
            EXPECT_LT(elapsed, kDebugRecordingSettleMs);
        }
    }
}

TEST(TroubleshootPlan, TypedCommandsGoOutAsTypedOrNotAtAll) {
    const WideString long400(400, u'a');
    struct Row {
        const char* legend;
        WideString typed;
        CommandTextCheck check;
        std::string bytes;
        WideString offending;
    };
    const Row rows[] = {
        {"empty", u"", CommandTextCheck::Empty, "", u""},
        {"a query", u"$PQELQ,GPS", CommandTextCheck::Sendable, "$PQELQ,GPS", u""},
        {"blanks, commas and stars as typed", u" $PQELS,X,a*b ", CommandTextCheck::Sendable,
         " $PQELS,X,a*b ", u""},
        {"code page characters", u"caf\u00E9 \u20AC", CommandTextCheck::Sendable, "caf\xE9 \x80",
         u""},
        {"cut at 384 characters", long400, CommandTextCheck::Sendable, std::string(384, 'a'), u""},
        {"a line feed", u"$PQELQ,GPS\n$PQELS,PWR,OFF", CommandTextCheck::LineBreak, "", u""},
        {"a carriage return", u"a\rb", CommandTextCheck::LineBreak, "", u""},
        {"outside the code page", u"$PQELS,STI,\u03A91", CommandTextCheck::NotInCodePage, "",
         u"\u03A9"},
        {"a surrogate pair is one character", u"x\U0001F600", CommandTextCheck::NotInCodePage, "",
         u"\U0001F600"},
        {"a zero would cut the command", WideString(u"a\0b", 3), CommandTextCheck::NotInCodePage,
         "", WideString(1, u'\0')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const CommandText text = commandTextFor(row.typed);
        EXPECT_EQ(text.check, row.check);
        EXPECT_EQ(text.bytes, row.bytes);
        EXPECT_EQ(text.offending, row.offending);
    }
}

// ---- The page, opened, confirmed and cancelled ------------------------------------------------

class TroubleshootPageTest : public ::testing::Test {
  protected:
    CComboBox* storage(CTroubleshootSheet& sheet) {
        return dynamic_cast<CComboBox*>(sheet.page().GetDlgItem(IDC_RECORDING_MEMORY));
    }
    CComboBox* commandLine(CTroubleshootSheet& sheet) {
        return dynamic_cast<CComboBox*>(sheet.page().GetDlgItem(IDC_COMMAND_LINE));
    }
    bool checked(CTroubleshootSheet& sheet) {
        return sheet.page().IsDlgButtonChecked(IDC_DEBUG_FILE_OUTPUT) == framework::BST_CHECKED;
    }
    fs::path historyFile() const { return root_.path() / "SendCmd.log"; }

    test::ScratchDeviceRoot root_;
    platform::ScopedClockSpeed fast_{1000};
    ScopedTestKit kit_;
};

TEST_F(TroubleshootPageTest, OpensReadsAndSendsOnlyWhatTheRulesAllow) {
    using Setup = std::function<void(FlakyReceiver&)>;
    using Act = std::function<void(ScopedTestKit&, CTroubleshootPage&)>;
    // The receivers.
    const Setup plain = [](FlakyReceiver&) {};
    const Setup ringRecording = [](FlakyReceiver& r) {
        r.autoLoggingOn = 1;
        r.autoLoggingRing = 1;
    };
    const Setup linearRecording = [](FlakyReceiver& r) {
        r.autoLoggingOn = 1;
        r.autoLoggingRing = 0;
    };
    const Setup noRingMode = [](FlakyReceiver& r) { r.autoLoggingRing = 0; };
    const Setup refusesRecording = [](FlakyReceiver& r) { r.fail("setAutoLogging"); };
    const Setup onTheCard = [](FlakyReceiver& r) { r.memoryIndex = 1; };
    const Setup onItsPath = [](FlakyReceiver& r) {
        r.memoryIndex = 9;
        r.filePath = u"\\Data\\Debug";
    };
    const Setup unknownCode = [](FlakyReceiver& r) { r.memoryIndex = 5; };
    const Setup debugQueryFails = [](FlakyReceiver& r) { r.fail("queryAutoLogging"); };
    const Setup secondDebugQueryFails = [](FlakyReceiver& r) {
        r.autoLoggingOn = 1;
        r.failingQuery = 2;
    };
    const Setup memoryQueryFails = [](FlakyReceiver& r) { r.fail("queryMemory"); };
    const Setup pathQueryFails = [](FlakyReceiver& r) {
        r.memoryIndex = 9;
        r.fail("queryFilePath");
    };
    const Setup gpsOnlyChip = [](FlakyReceiver& r) {
        r.fail("queryAutoLogging");
        r.fail("setAutoLogging");
        r.fail("queryFilePath");
    };
    // What the user does.
    const Act none = [](ScopedTestKit&, CTroubleshootPage&) {};
    const Act checkBox = [](ScopedTestKit& kit, CTroubleshootPage& page) {
        EXPECT_TRUE(kit.click(page, IDC_DEBUG_FILE_OUTPUT));
    };
    const auto pick = [](int index) {
        return Act([index](ScopedTestKit& kit, CTroubleshootPage& page) {
            EXPECT_TRUE(kit.selectComboItem(page, IDC_RECORDING_MEMORY, index));
        });
    };
    const Act pickInternal = pick(0);
    const Act pickCard = pick(1);
    constexpr bool OK = true, CANCEL = false, CHECKED = true, UNCHECKED = false, ENABLED = true,
                   LOCKED = false, PAUSES = true, AT_ONCE = false;
    const WideString internal = framework::loadString(IDS_STORAGE_INTERNAL_MEMORY);
    const WideString card = framework::loadString(IDS_STORAGE_CARD);
    const Texts two = {internal, card};
    const Texts error = {framework::loadString(IDS_DEBUG_RECORDING_ERROR)};
    const Calls readDebugAndMemory = {"queryAutoLogging", "queryMemory"};
    struct Row {
        const char* legend;
        const Setup& setup;
        const Act& act;
        bool confirm;
        Calls atOpening;
        bool checkedAtOpening;
        Texts storageEntries;
        int storageSelected;
        bool storageEnabled;
        Calls atClose;
        Texts messages;
        bool pauses;
    };
    // clang-format off
    const Row rows[] = {
        {"recording off, internal memory; OK sends the debug state as read", plain, none, OK,
         readDebugAndMemory, UNCHECKED, two, 0, ENABLED, {"setAutoLogging 0"}, {}, AT_ONCE},
        {"the same, cancelled: nothing", plain, none, CANCEL,
         readDebugAndMemory, UNCHECKED, two, 0, ENABLED, {}, {}, AT_ONCE},
        {"ring recording: checked, storage locked; OK checks the ring flag again", ringRecording,
         none, OK, {"queryAutoLogging", "queryAutoLogging", "queryMemory"}, CHECKED, two, 0,
         LOCKED, {"setAutoLogging 1", "queryAutoLogging"}, {}, PAUSES},
        {"linear recording is switched off at once; Cancel adds nothing", linearRecording, none,
         CANCEL, {"queryAutoLogging", "queryAutoLogging", "setAutoLogging 0", "queryMemory"},
         UNCHECKED, two, 0, ENABLED, {}, {}, AT_ONCE},
        {"switched on by the user without ring mode: off again, with the message", noRingMode,
         checkBox, OK, readDebugAndMemory, UNCHECKED, two, 0, ENABLED,
         {"setAutoLogging 1", "queryAutoLogging", "setAutoLogging 0"}, error, PAUSES},
        {"switched on but refused: the message, no wait", refusesRecording, checkBox, OK,
         readDebugAndMemory, UNCHECKED, two, 0, ENABLED, {"setAutoLogging 1"}, error, AT_ONCE},
        {"storage card picked", plain, pickCard, OK,
         readDebugAndMemory, UNCHECKED, two, 0, ENABLED,
         {"setMemory 1", "setAutoLogging 0"}, {}, AT_ONCE},
        {"storage card, cancelled", plain, pickCard, CANCEL,
         readDebugAndMemory, UNCHECKED, two, 0, ENABLED, {}, {}, AT_ONCE},
        {"on the card already", onTheCard, none, OK,
         readDebugAndMemory, UNCHECKED, two, 1, ENABLED, {"setAutoLogging 0"}, {}, AT_ONCE},
        {"recording to the receiver's path: a third entry, locked", onItsPath, none, OK,
         {"queryAutoLogging", "queryMemory", "queryFilePath"}, UNCHECKED,
         {internal, card, u"\\Data\\Debug"}, 2, LOCKED, {"setAutoLogging 0"}, {}, AT_ONCE},
        {"an unknown memory code shows the first entry", unknownCode, none, OK,
         readDebugAndMemory, UNCHECKED, two, 0, ENABLED, {"setAutoLogging 0"}, {}, AT_ONCE},
        // Failed reads.
        {"debug query fails: recording left alone", debugQueryFails, none, OK,
         readDebugAndMemory, UNCHECKED, two, 0, ENABLED, {}, {}, AT_ONCE},
        {"debug query fails, the user checks the box: switched on and checked", debugQueryFails,
         checkBox, OK, readDebugAndMemory, UNCHECKED, two, 0, ENABLED,
         {"setAutoLogging 1", "queryAutoLogging"}, {}, PAUSES},
        {"second debug query fails: box unchecked, recording left alone", secondDebugQueryFails,
         none, OK, {"queryAutoLogging", "queryAutoLogging", "queryMemory"}, UNCHECKED, two, 0,
         ENABLED, {}, {}, AT_ONCE},
        {"memory query fails: nothing selected, nothing sent", memoryQueryFails, none, OK,
         readDebugAndMemory, UNCHECKED, two, -1, ENABLED, {"setAutoLogging 0"}, {}, AT_ONCE},
        {"memory query fails, the user picks internal memory: sent", memoryQueryFails,
         pickInternal, OK, readDebugAndMemory, UNCHECKED, two, -1, ENABLED,
         {"setMemory 0", "setAutoLogging 0"}, {}, AT_ONCE},
        {"path query fails: two entries, locked, nothing sent for the storage", pathQueryFails,
         none, OK, {"queryAutoLogging", "queryMemory", "queryFilePath"}, UNCHECKED, two, 0,
         LOCKED, {"setAutoLogging 0"}, {}, AT_ONCE},
        {"GPS-only chip: every query but the memory fails", gpsOnlyChip, pickCard, OK,
         readDebugAndMemory, UNCHECKED, two, 0, ENABLED, {"setMemory 1"}, {}, AT_ONCE},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        framework::clearMessageBoxLog();
        FlakyReceiver receiver;
        row.setup(receiver);
        CTroubleshootSheet sheet(&receiver);
        EXPECT_TRUE(receiver.calls().empty()) << "nothing is read before the page opens";
        const int waitsBefore = framework::waitCursorShowCount();
        ASSERT_TRUE(kit_.open(sheet));
        EXPECT_TRUE(sheet.GetWindowText().empty());
        EXPECT_EQ(sheet.GetPageCount(), 1);
        EXPECT_EQ(receiver.calls(), row.atOpening);
        EXPECT_GT(framework::waitCursorShowCount(), waitsBefore) << "reads under the wait cursor";
        EXPECT_EQ(checked(sheet), row.checkedAtOpening);
        EXPECT_EQ(comboEntries(storage(sheet)), row.storageEntries);
        EXPECT_EQ(storage(sheet)->GetCurSel(), row.storageSelected);
        EXPECT_EQ(storage(sheet)->IsWindowEnabled(), row.storageEnabled);

        receiver.clearCalls();
        row.act(kit_, sheet.page());
        const uint32_t start = platform::Clock::tickCount();
        EXPECT_TRUE(sheet.PressButton(row.confirm ? framework::PSBTN_OK : framework::PSBTN_CANCEL));
        const uint32_t elapsed = platform::ticksSince(start);
        EXPECT_EQ(receiver.calls(), row.atClose);
        EXPECT_EQ(messageTexts(kit_), row.messages);
        if (row.pauses) {
            EXPECT_GE(elapsed, kDebugRecordingSettleMs) << "the ring flag is asked after 5 s";
        }
        EXPECT_EQ(framework::waitCursorDepth(), 0);
        EXPECT_TRUE(fs::exists(historyFile())) << "the history is saved either way";
    }
}

// ---- The command line -----------------------------------------------------------------------

TEST_F(TroubleshootPageTest, SendShowsTheAnswerAndKeepsTheHistory) {
    test::FakeReceiver receiver;
    CTroubleshootSheet sheet(&receiver);
    ASSERT_TRUE(kit_.open(sheet));
    CTroubleshootPage& page = sheet.page();
    CComboBox* line = commandLine(sheet);
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(comboEntries(line).empty());
    receiver.clearCalls();

    struct Step {
        const char* legend;
        WideString typed;
        uint32_t answer;
        Calls calls;
        Texts messages;
        framework::UINT icon;
        WideString textAfter;
        Texts history;
    };
    const WideString accepted = framework::loadString(IDS_COMMAND_ACCEPTED);
    const WideString rejected = framework::loadString(IDS_COMMAND_NOT_ACCEPTED);
    const Step steps[] = {
        {"accepted: the message, first in the history",
         u"$PQELS,SBA,OFF",
         1,
         {"sendFreeCommand $PQELS,SBA,OFF"},
         {accepted},
         framework::MB_ICONINFORMATION,
         u"",
         {u"$PQELS,SBA,OFF"}},
        {"rejected: left for correction, not kept",
         u"$PQELS,SBA,MAYBE",
         0,
         {"sendFreeCommand $PQELS,SBA,MAYBE"},
         {rejected},
         0,
         u"$PQELS,SBA,MAYBE",
         {u"$PQELS,SBA,OFF"}},
        {"no answer: no message, kept",
         u"$PQELQ,DIAG",
         2,
         {"sendFreeCommand $PQELQ,DIAG"},
         {},
         0,
         u"",
         {u"$PQELQ,DIAG", u"$PQELS,SBA,OFF"}},
        {"sent again: neither doubled nor moved",
         u"$PQELS,SBA,OFF",
         1,
         {"sendFreeCommand $PQELS,SBA,OFF"},
         {accepted},
         framework::MB_ICONINFORMATION,
         u"",
         {u"$PQELQ,DIAG", u"$PQELS,SBA,OFF"}},
        {"another case is another command",
         u"$pqels,sba,off",
         1,
         {"sendFreeCommand $pqels,sba,off"},
         {accepted},
         framework::MB_ICONINFORMATION,
         u"",
         {u"$pqels,sba,off", u"$PQELQ,DIAG", u"$PQELS,SBA,OFF"}},
        {"empty: nothing sent",
         u"",
         1,
         {},
         {},
         0,
         u"",
         {u"$pqels,sba,off", u"$PQELQ,DIAG", u"$PQELS,SBA,OFF"}},
        {"outside the code page: refused before sending",
         u"$PQELS,STI,\u03A9",
         1,
         {},
         {framework::formatPattern(framework::loadString(IDS_COMMAND_CHARACTER), {u"\u03A9"})},
         framework::MB_ICONEXCLAMATION,
         u"$PQELS,STI,\u03A9",
         {u"$pqels,sba,off", u"$PQELQ,DIAG", u"$PQELS,SBA,OFF"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.legend);
        framework::clearMessageBoxLog();
        receiver.clearCalls();
        receiver.freeCommandResult = step.answer;
        ASSERT_TRUE(kit_.type(page, IDC_COMMAND_LINE, step.typed));
        const int waitsBefore = framework::waitCursorShowCount();
        ASSERT_TRUE(kit_.click(page, IDC_SEND_COMMAND));
        EXPECT_EQ(receiver.calls(), step.calls);
        EXPECT_EQ(messageTexts(kit_), step.messages);
        if (!step.messages.empty()) {
            EXPECT_EQ(kit_.messageBoxes()[0].type & framework::MB_ICONMASK, step.icon);
            EXPECT_FALSE(kit_.messageBoxes()[0].waitCursor) << "the answer after the wait";
        }
        if (!step.calls.empty()) {
            EXPECT_EQ(framework::waitCursorShowCount(), waitsBefore + 1);
        }
        EXPECT_EQ(line->GetWindowText(), step.textAfter);
        EXPECT_EQ(comboEntries(line), step.history);
        EXPECT_EQ(page.history().entries(), step.history);
    }

    // Typed commands are kept at Cancel as well, newest first, for the owner only.
    receiver.clearCalls();
    EXPECT_TRUE(sheet.PressButton(framework::PSBTN_CANCEL));
    EXPECT_TRUE(receiver.calls().empty());
    EXPECT_EQ(contentsOf(historyFile()), "$pqels,sba,off\r\n$PQELQ,DIAG\r\n$PQELS,SBA,OFF\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(historyFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(TroubleshootPageTest, ALineBreakInTheCommandIsRefused) {
    test::FakeReceiver receiver;
    CTroubleshootSheet sheet(&receiver);
    ASSERT_TRUE(kit_.open(sheet));
    receiver.clearCalls();
    // A paste can bring one in where typing cannot.
    commandLine(sheet)->SetWindowText(u"$PQELQ,GPS\n$PQELS,PWR,OFF");
    ASSERT_TRUE(kit_.click(sheet.page(), IDC_SEND_COMMAND));
    EXPECT_TRUE(receiver.calls().empty());
    EXPECT_EQ(messageTexts(kit_), Texts{framework::loadString(IDS_COMMAND_LINE_BREAK)});
    EXPECT_TRUE(sheet.page().history().entries().empty());
    EXPECT_TRUE(sheet.PressButton(framework::PSBTN_CANCEL));
}

// Return in the command line sends the command, as a console does; the sheet stays open. Return
// elsewhere still confirms the sheet.
TEST_F(TroubleshootPageTest, ReturnInTheCommandLineSendsTheCommand) {
    test::FakeReceiver receiver;
    CTroubleshootSheet sheet(&receiver);
    ASSERT_TRUE(kit_.open(sheet));
    receiver.clearCalls();
    kit_.queueMessageBoxAnswers({framework::IDOK});
    ASSERT_TRUE(kit_.type(sheet.page(), IDC_COMMAND_LINE, u"$PQELQ,VER\n"));
    EXPECT_EQ(receiver.calls(), Calls{"sendFreeCommand $PQELQ,VER"});
    EXPECT_TRUE(sheet.IsWindowVisible()) << "Return confirmed the sheet";
    EXPECT_EQ(sheet.page().history().entries(), Texts{u"$PQELQ,VER"});

    // Return with the focus on the recording box confirms.
    sheet.page().GetDlgItem(IDC_DEBUG_FILE_OUTPUT)->SetFocus();
    receiver.clearCalls();
    sheet.OnKeyCommand(framework::IDOK);
    EXPECT_FALSE(sheet.IsWindowVisible()) << "Return elsewhere is the sheet's OK";
    for (const std::string& call : receiver.calls())
        EXPECT_EQ(call.rfind("sendFreeCommand", 0), std::string::npos) << call;
}

TEST_F(TroubleshootPageTest, HistoryFileFillsTheListAndLongCommandsStayWhole) {
    std::string lines;
    for (int i = 0; i < 250; ++i) lines += "$PQELQ,N" + std::to_string(i) + "\r\n";
    { std::ofstream(historyFile(), std::ios::binary) << lines; }

    test::FakeReceiver receiver;
    receiver.freeCommandResult = 2;  // the receiver never answers
    WideString typed = u"$PQELS,MDM,PAR,APN,";
    typed.resize(400, u'x');
    const WideString sent = typed.substr(0, 384);
    {
        CTroubleshootSheet sheet(&receiver);
        ASSERT_TRUE(kit_.open(sheet));
        const Texts shown = comboEntries(commandLine(sheet));
        ASSERT_EQ(shown.size(), 200u);
        EXPECT_EQ(shown.front(), u"$PQELQ,N0");
        EXPECT_EQ(shown.back(), u"$PQELQ,N199");
        EXPECT_TRUE(commandLine(sheet)->GetWindowText().empty());

        // Typing stops at 384 characters; the 384 go out and into the history as one line.
        ASSERT_TRUE(kit_.type(sheet.page(), IDC_COMMAND_LINE, typed));
        ASSERT_TRUE(kit_.click(sheet.page(), IDC_SEND_COMMAND));
        EXPECT_EQ(receiver.calls().back(), "sendFreeCommand " + platform::toUtf8(sent));
        EXPECT_TRUE(kit_.messageBoxes().empty());
        const Texts after = comboEntries(commandLine(sheet));
        ASSERT_EQ(after.size(), 200u) << "the oldest drops off";
        EXPECT_EQ(after.front(), sent);
        EXPECT_EQ(after.back(), u"$PQELQ,N198");
        EXPECT_TRUE(sheet.PressButton(framework::PSBTN_OK));
    }
    const std::string saved = contentsOf(historyFile());
    EXPECT_EQ(saved.substr(0, 386), platform::toUtf8(sent) + "\r\n");
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 200);

    CTroubleshootSheet again(&receiver);
    ASSERT_TRUE(kit_.open(again));
    const Texts shown = comboEntries(commandLine(again));
    ASSERT_EQ(shown.size(), 200u);
    EXPECT_EQ(shown.front().size(), 384u) << "read back whole";
    EXPECT_TRUE(again.PressButton(framework::PSBTN_CANCEL));
}

TEST_F(TroubleshootPageTest, AnUnreadableHistoryIsKeptAside) {
    const std::string binary("$PQELQ,GPS\r\n\0\xFF\r\n", 15);
    { std::ofstream(historyFile(), std::ios::binary) << binary; }
    test::FakeReceiver receiver;
    CTroubleshootSheet sheet(&receiver);
    ASSERT_TRUE(kit_.open(sheet));
    EXPECT_EQ(comboEntries(commandLine(sheet)), Texts{u"$PQELQ,GPS"});
    EXPECT_TRUE(sheet.PressButton(framework::PSBTN_CANCEL));
    EXPECT_EQ(contentsOf(root_.path() / "SendCmd.log.damaged"), binary);
    EXPECT_EQ(contentsOf(historyFile()), "$PQELQ,GPS\r\n");
}

}  // namespace
}  // namespace zentrix::ui
