// The NMEA output sheet: the sentences and line settings as functions of what was read and what
// the user did, and both pages against the fake receiver (every call written down) for each
// output, confirmed and cancelled, with the recording buttons and the file dialog answered by
// the test kit.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/controls.h"
#include "framework/file_dialog.h"
#include "framework/message_box.h"
#include "framework/resources.h"
#include "framework/test_kit.h"
#include "platform/text.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_receiver.h"
#include "ui/settings/nmea_output_model.h"
#include "ui/settings/nmea_output_sheet.h"

namespace zentrix::ui {
namespace {

using framework::ScopedTestKit;
using Lines = std::vector<std::string>;

receiver::MessageOutputs outputs(std::initializer_list<receiver::MessageOutput> entries) {
    receiver::MessageOutputs list;
    for (const receiver::MessageOutput& entry : entries) list.entries[list.count++] = entry;
    return list;
}

/// `calls` as the fake receiver writes them down.
Lines transcript(const std::vector<NmeaCall>& calls) {
    test::FakeReceiver receiver;
    applyNmeaCalls(receiver, calls);
    return receiver.calls();
}

/// The ten sentences of the page on `port`, each on with `interval` or off.
Lines allSentences(uint32_t port, bool on, const std::string& interval = "0") {
    Lines lines;
    for (uint32_t code : kNmeaSentenceCodes) {
        lines.push_back("setNmeaMessage " + std::to_string(port) + " " + std::to_string(code) +
                        (on ? " 1 " + interval : " 0 0"));
    }
    return lines;
}

TEST(NmeaSentencesTest, ReportedOutputsBecomeBoxesAndIntervals) {
    struct Row {
        const char* legend;
        receiver::MessageOutputs reported;
        int sentence;  // page position looked at
        NmeaSentenceShown expected;
    };
    const Row rows[] = {
        {"GGA every second", outputs({{2, 1.0f}}), 0, {true, 4}},
        {"an interval no entry matches: on, first entry", outputs({{2, 0.3f}}), 0, {true, 0}},
        {"within a millisecond matches", outputs({{3, 0.0505f}}), 1, {true, 0}},
        {"a minute", outputs({{18, 60.0f}}), 9, {true, 18}},
        {"GST is the ninth sentence", outputs({{5, 0.2f}}), 8, {true, 2}},
        {"interval zero is off", outputs({{6, 0.0f}}), 3, {false, 0}},
        {"a sentence the page does not offer changes nothing", outputs({{7, 1.0f}}), 0, {false, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const NmeaSentencesShown shown = nmeaSentencesFrom(row.reported);
        EXPECT_EQ(shown[static_cast<size_t>(row.sentence)], row.expected);
        int on = 0;
        for (const NmeaSentenceShown& sentence : shown) on += sentence.on ? 1 : 0;
        EXPECT_EQ(on, row.expected.on ? 1 : 0) << "only the reported sentence";
    }
    // Only the entries of the last reply count.
    receiver::MessageOutputs stale = outputs({{2, 1.0f}});
    stale.count = 0;
    EXPECT_FALSE(nmeaSentencesFrom(stale)[0].on);
    EXPECT_FALSE(anyNmeaSentenceOn(stale));
}

TEST(NmeaSentencesTest, AnySentenceOnCoversAllTenAndNothingElse) {
    for (uint32_t code = 0; code < 20; ++code) {
        SCOPED_TRACE(code);
        const bool offered = std::find(kNmeaSentenceCodes.begin(), kNmeaSentenceCodes.end(),
                                       code) != kNmeaSentenceCodes.end();
        EXPECT_EQ(anyNmeaSentenceOn(outputs({{code, 1.0f}})), offered);
        EXPECT_FALSE(anyNmeaSentenceOn(outputs({{code, 0.0f}})));
    }
    EXPECT_TRUE(anyNmeaSentenceOn(outputs({{5, 1.0f}}))) << "GST alone";
    EXPECT_TRUE(anyNmeaSentenceOn(outputs({{18, 1.0f}}))) << "GNS alone";
}

TEST(NmeaMessagesWriteTest, OnlyForTheOutputLoadedAndOnlyWhatWasReadOrWorked) {
    NmeaMessagesState loaded;
    loaded.loadedFor = kNmeaCable;
    loaded.loaded = true;
    loaded.shown[0] = {true, 4};
    loaded.shown[8] = {true, 3};
    loaded.shown[9] = {true, -1};
    Lines expected = allSentences(1, false);
    expected[0] = "setNmeaMessage 1 2 1 1";
    expected[8] = "setNmeaMessage 1 5 1 0.5";
    expected[9] = "setNmeaMessage 1 18 1 0";  // checked without an interval
    EXPECT_EQ(transcript(planNmeaMessagesWrite(loaded, kNmeaCable)), expected);
    EXPECT_TRUE(planNmeaMessagesWrite(loaded, kNmeaBluetooth).empty())
        << "boxes loaded for the cable are never written to Bluetooth";

    NmeaMessagesState unanswered;
    unanswered.loadedFor = kNmeaFile;
    unanswered.loaded = false;
    EXPECT_TRUE(planNmeaMessagesWrite(unanswered, kNmeaFile).empty())
        << "a load that failed sends no default";
    unanswered.worked[1] = true;
    unanswered.shown[1] = {true, 5};
    unanswered.worked[2] = true;
    EXPECT_EQ(transcript(planNmeaMessagesWrite(unanswered, kNmeaFile)),
              (Lines{"setNmeaMessage 6 3 1 2", "setNmeaMessage 6 4 0 0"}));
}

TEST(NmeaOutputWriteTest, LineSettingsAtOk) {
    struct Row {
        const char* legend;
        NmeaOutputShown shown;
        std::optional<bool> anyOn;
        Lines expected;
    };
    const Row rows[] = {
        {"cable, baud read", {kNmeaCable, 5, true, false, -1}, false, {"setPortBaud 1 5 0"}},
        {"cable, baud chosen after a failed read",
         {kNmeaCable, 9, false, true, -1},
         false,
         {"setPortBaud 1 9 0"}},
        {"cable, failed read left alone", {kNmeaCable, 0, false, false, -1}, false, {}},
        {"cable, no baud selected", {kNmeaCable, -1, true, true, -1}, false, {}},
        {"cable, a code beyond the list", {kNmeaCable, 10, true, false, -1}, false, {}},
        {"Bluetooth with sentences",
         {kNmeaBluetooth, -1, false, false, 1},
         true,
         {"setBluetoothPort COM7"}},
        {"Bluetooth with sentences, no port selected",
         {kNmeaBluetooth, -1, false, false, -1},
         true,
         {}},
        {"Bluetooth without sentences",
         {kNmeaBluetooth, -1, false, false, 2},
         false,
         {"setBluetoothPort NONE"}},
        {"Bluetooth without sentences nor port",
         {kNmeaBluetooth, -1, false, false, -1},
         false,
         {"setBluetoothPort NONE"}},
        {"Bluetooth, the receiver did not say which sentences go out there",
         {kNmeaBluetooth, -1, false, false, 1},
         std::nullopt,
         {}},
        {"virtual port", {kNmeaVirtualPort, 5, true, true, 1}, true, {}},
        {"file", {kNmeaFile, 5, true, true, 1}, true, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(transcript(planNmeaOutputWrite(row.shown, row.anyOn)), row.expected);
    }
}

TEST(NmeaRecordingFileTest, PathsSplitAndRefused) {
    struct Split {
        const char16_t* path;
        const char* folder;
        const char* name;
    };
    for (const Split& row :
         {Split{u"/My Documents/NMEA.txt", "/My Documents", "NMEA.txt"},
          Split{u"/NMEA.txt", "/", "NMEA.txt"}, Split{u"REC00001.RAW", "", "REC00001.RAW"},
          Split{u"\\Data\\a.txt", "\\Data", "a.txt"}, Split{u"", "", ""}}) {
        SCOPED_TRACE(platform::toUtf8(row.path));
        const NmeaFilePath split = splitNmeaFilePath(row.path);
        EXPECT_EQ(platform::toUtf8(split.folder), row.folder);
        EXPECT_EQ(platform::toUtf8(split.name), row.name);
    }
    struct Refusal {
        const char16_t* path;
        std::optional<std::u16string> offending;
    };
    for (const Refusal& row :
         {Refusal{u"/My Documents/NMEA log.txt", std::nullopt},
          Refusal{u"/Data/caf\u00e9.txt", std::nullopt},  // in the code page
          Refusal{u"/Data/a,b.txt", u","}, Refusal{u"/Data/*.txt", u"*"},
          Refusal{u"/Data/$PQELS.txt", u"$"}, Refusal{u"/Data/a\tb.txt", u"\t"},
          Refusal{u"/Data/\u03a9.txt", u"\u03a9"},
          Refusal{u"/Data/\U0001F600.txt", u"\U0001F600"}}) {
        SCOPED_TRACE(platform::toUtf8(row.path));
        EXPECT_EQ(nmeaFilePathRefusal(row.path), row.offending);
    }
}

/// The sheet opened headless on the fake receiver.
class NmeaSheetTest : public ::testing::Test {
  protected:
    void TearDown() override { close(); }

    /// Opens the sheet on output list entry `portIndex`, clearing the reads it made first
    /// when `clear` is set.
    void open(uint32_t portIndex) {
        close();
        framework::clearMessageBoxLog();
        settings_.portIndex = portIndex;
        sheet_ = std::make_unique<CNmeaOutputSheet>(&receiver_, settings_);
        ASSERT_TRUE(kit_.open(*sheet_));
    }
    /// Destroys the sheet (and its pages, which write the settings back).
    void close() {
        if (!sheet_)
            return;
        sheet_->DestroyWindow();
        sheet_.reset();
    }
    framework::CWnd* item(unsigned id) { return kit_.control(*sheet_, id); }
    framework::CComboBox& combo(unsigned id) {
        return *dynamic_cast<framework::CComboBox*>(item(id));
    }
    Lines comboTexts(unsigned id) {
        Lines texts;
        for (int i = 0; i < combo(id).GetCount(); ++i)
            texts.push_back(platform::toUtf8(combo(id).GetLBText(i)));
        return texts;
    }
    std::string selectedText(unsigned id) {
        const int selected = combo(id).GetCurSel();
        return selected < 0 ? std::string("(none)")
                            : platform::toUtf8(combo(id).GetLBText(selected));
    }
    bool visible(unsigned id) { return item(id) != nullptr && item(id)->IsWindowVisible(); }
    bool enabled(unsigned id) { return item(id) != nullptr && item(id)->IsWindowEnabled(); }
    bool checked(unsigned id) {
        return sheet_->messagesPage().IsDlgButtonChecked(id) == framework::BST_CHECKED;
    }
    std::string text(unsigned id) { return platform::toUtf8(item(id)->GetWindowText()); }
    Lines messages() const {
        Lines texts;
        for (const auto& box : kit_.messageBoxes()) texts.push_back(platform::toUtf8(box.text));
        return texts;
    }
    bool toMessages() { return kit_.switchPage(*sheet_, 1); }
    bool toOutput() { return kit_.switchPage(*sheet_, 0); }

    ScopedTestKit kit_;
    test::FakeReceiver receiver_;
    NmeaOutputSettings settings_;
    std::unique_ptr<CNmeaOutputSheet> sheet_;
};

const unsigned kRecordingControls[] = {
    IDC_NMEA_FILE_NAME_LABEL, IDC_NMEA_FILE_NAME, IDC_NMEA_FILE_LOCATION_LABEL,
    IDC_NMEA_FILE_LOCATION,   IDC_NMEA_FILE_NEW,  IDC_NMEA_RECORD_START,
    IDC_NMEA_RECORD_STOP};

TEST_F(NmeaSheetTest, EachOutputShowsItsControlsFromWhatTheReceiverSays) {
    receiver_.portBaud[1] = 7;
    receiver_.bluetoothPort = u"COM9";
    receiver_.recorderOn = 1;
    struct Row {
        uint32_t index;
        uint32_t code;
        Lines reads;
        bool lineSettings, recording;
        std::string label;
        Lines list;
        std::string selected;
    };
    const Row rows[] = {
        {0, 0, {}, false, false, "", {}, ""},
        {1,
         1,
         {"queryPortBaud 1"},
         true,
         false,
         "Baud rate:",
         {"300", "600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"},
         "38400"},
        {2, 2, {"queryBluetoothPort"}, true, false, "Port:", {"COM1", "COM7", "COM9"}, "COM9"},
        {3, 6, {"queryRecorderState", "queryRecorderFile"}, false, true, "", {}, ""},
        {7, 0, {}, false, false, "", {}, ""},  // a stored index beyond the list
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.index);
        receiver_.clearCalls();
        open(row.index);
        EXPECT_EQ(receiver_.calls(), row.reads);
        EXPECT_EQ(sheet_->outputCode(), row.code);
        EXPECT_TRUE(sheet_->GetWindowText().empty()) << "the sheet has no caption";
        EXPECT_EQ(combo(IDC_NMEA_OUTPUT).GetCurSel(), row.index < 4 ? int(row.index) : 0);
        EXPECT_EQ(visible(IDC_NMEA_BAUD), row.lineSettings);
        EXPECT_EQ(visible(IDC_NMEA_BAUD_LABEL), row.lineSettings);
        for (unsigned id : kRecordingControls) EXPECT_EQ(visible(id), row.recording) << id;
        if (row.lineSettings) {
            EXPECT_EQ(text(IDC_NMEA_BAUD_LABEL), row.label);
            EXPECT_EQ(comboTexts(IDC_NMEA_BAUD), row.list);
            EXPECT_EQ(selectedText(IDC_NMEA_BAUD), row.selected);
        }
        if (row.recording) {
            EXPECT_EQ(text(IDC_NMEA_FILE_NAME), "NMEA.txt");
            EXPECT_EQ(text(IDC_NMEA_FILE_LOCATION), "/My Documents");
            EXPECT_TRUE(enabled(IDC_NMEA_FILE_NEW));
            EXPECT_FALSE(enabled(IDC_NMEA_RECORD_START)) << "recording";
            EXPECT_TRUE(enabled(IDC_NMEA_RECORD_STOP));
        }
    }
    EXPECT_EQ(comboTexts(IDC_NMEA_OUTPUT),
              (Lines{"Virtual Serial Port (COM2)", "Cable", "Bluetooth", "File"}));
}

TEST_F(NmeaSheetTest, ConfirmedAndCancelledForEachOutput) {
    struct Row {
        uint32_t index;
        uint32_t code;
        Lines atOk;  // after Check All on the Messages page, OK pressed there
    };
    auto withSentences = [](Lines first, uint32_t port) {
        Lines sentences = allSentences(port, true, "0.05");
        sentences[0] = "setNmeaMessage " + std::to_string(port) + " 2 1 1";  // GGA as read
        first.insert(first.end(), sentences.begin(), sentences.end());
        return first;
    };
    const Row rows[] = {
        {0, 0, withSentences({}, 0)},
        {1, 1, withSentences({"setPortBaud 1 5 0"}, 1)},
        {2, 2, withSentences({"setBluetoothPort COM7"}, 2)},
        {3, 6, withSentences({}, 6)},  // sent on leaving the page, which OK does first
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.index);
        receiver_.nmeaOutputs[row.code] = outputs({{2, 1.0f}});
        for (const bool confirm : {true, false}) {
            SCOPED_TRACE(confirm ? "OK" : "Cancel");
            open(row.index);
            receiver_.clearCalls();
            ASSERT_TRUE(toMessages());
            EXPECT_EQ(receiver_.calls(), Lines{"queryNmeaOutputs " + std::to_string(row.code)});
            EXPECT_TRUE(checked(IDC_NMEA_GGA));
            EXPECT_EQ(selectedText(IDC_NMEA_GGA_INTERVAL), "1 sec");
            EXPECT_TRUE(enabled(IDC_NMEA_GGA_INTERVAL));
            EXPECT_FALSE(enabled(IDC_NMEA_GLL_INTERVAL)) << "unchecked: its interval is off";
            ASSERT_TRUE(kit_.click(*sheet_, IDC_NMEA_CHECK_ALL));
            EXPECT_TRUE(enabled(IDC_NMEA_GNS_INTERVAL));
            receiver_.clearCalls();
            EXPECT_TRUE(
                sheet_->PressButton(confirm ? framework::PSBTN_OK : framework::PSBTN_CANCEL));
            EXPECT_EQ(receiver_.calls(), confirm ? row.atOk : Lines{});
        }
    }
}

TEST_F(NmeaSheetTest, FileSentencesGoOutOnLeavingMessagesAndStayAfterCancel) {
    receiver_.nmeaOutputs[6] = outputs({{13, 5.0f}});
    open(3);
    receiver_.clearCalls();
    ASSERT_TRUE(toMessages());
    EXPECT_TRUE(checked(IDC_NMEA_ZDA)) << "the sentences the receiver records";
    ASSERT_TRUE(kit_.click(*sheet_, IDC_NMEA_GGA));
    receiver_.clearCalls();
    ASSERT_TRUE(toOutput());
    Lines sent = allSentences(6, false);
    sent[0] = "setNmeaMessage 6 2 1 0.05";
    sent[7] = "setNmeaMessage 6 13 1 5";
    EXPECT_EQ(receiver_.calls(), sent);
    receiver_.clearCalls();
    EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_CANCEL));
    EXPECT_TRUE(receiver_.calls().empty());

    // OK from the Output page sends nothing more for the file.
    open(3);
    ASSERT_TRUE(toMessages());
    ASSERT_TRUE(toOutput());
    receiver_.clearCalls();
    EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
    EXPECT_TRUE(receiver_.calls().empty());
}

TEST_F(NmeaSheetTest, SwitchingTheOutputReloadsTheSentences) {
    receiver_.nmeaOutputs[1] = outputs({{2, 1.0f}});
    receiver_.nmeaOutputs[2] = outputs({{10, 0.5f}});
    open(1);
    ASSERT_TRUE(toMessages());
    EXPECT_TRUE(checked(IDC_NMEA_GGA));
    EXPECT_FALSE(checked(IDC_NMEA_RMC));
    ASSERT_TRUE(toOutput());
    ASSERT_TRUE(kit_.selectComboItem(*sheet_, IDC_NMEA_OUTPUT, 2));
    receiver_.clearCalls();
    ASSERT_TRUE(toMessages());
    EXPECT_EQ(receiver_.calls(), Lines{"queryNmeaOutputs 2"});
    EXPECT_FALSE(checked(IDC_NMEA_GGA));
    EXPECT_TRUE(checked(IDC_NMEA_RMC));
    EXPECT_EQ(selectedText(IDC_NMEA_RMC_INTERVAL), "0.5 sec");
    // Back and forth on the same output does not ask again.
    ASSERT_TRUE(toOutput());
    receiver_.clearCalls();
    ASSERT_TRUE(toMessages());
    EXPECT_TRUE(receiver_.calls().empty());
}

TEST_F(NmeaSheetTest, AnIntervalNoEntryMatchesKeepsTheFirstEntry) {
    receiver_.nmeaOutputs[1] = outputs({{4, 0.3f}});
    open(1);
    ASSERT_TRUE(toMessages());
    EXPECT_TRUE(checked(IDC_NMEA_GSA));
    EXPECT_EQ(selectedText(IDC_NMEA_GSA_INTERVAL), "0.05 sec");
    EXPECT_EQ(comboTexts(IDC_NMEA_GSA_INTERVAL).size(), 19u);
    EXPECT_EQ(comboTexts(IDC_NMEA_GSA_INTERVAL).back(), "1 min");
}

TEST_F(NmeaSheetTest, BluetoothPortFollowsTheSentencesOnIt) {
    struct Row {
        const char* legend;
        std::optional<receiver::MessageOutputs> onBluetooth;  // none: the query fails
        bool visitMessages;
        bool clearAll;
        Lines atOk;
    };
    const Row rows[] = {
        {"every sentence cleared on the page", outputs({{2, 1.0f}}), true, true,
         [] {
             Lines lines{"setBluetoothPort NONE"};
             for (auto& l : allSentences(2, false)) lines.push_back(l);
             return lines;
         }()},
        {"page not visited, GGA on",
         outputs({{2, 1.0f}}),
         false,
         false,
         {"queryNmeaOutputs 2", "setBluetoothPort COM7"}},
        {"page not visited, GST alone",
         outputs({{5, 1.0f}}),
         false,
         false,
         {"queryNmeaOutputs 2", "setBluetoothPort COM7"}},
        {"page not visited, GNS alone",
         outputs({{18, 2.0f}}),
         false,
         false,
         {"queryNmeaOutputs 2", "setBluetoothPort COM7"}},
        {"page not visited, only sentences it does not offer",
         outputs({{7, 1.0f}}),
         false,
         false,
         {"queryNmeaOutputs 2", "setBluetoothPort NONE"}},
        {"page not visited, the receiver does not say",
         std::nullopt,
         false,
         false,
         {"queryNmeaOutputs 2"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        receiver_.succeed("queryNmeaOutputs");
        if (row.onBluetooth) {
            receiver_.nmeaOutputs[2] = *row.onBluetooth;
        } else {
            receiver_.fail("queryNmeaOutputs");
        }
        open(2);
        if (row.visitMessages) {
            ASSERT_TRUE(toMessages());
            if (row.clearAll) {
                ASSERT_TRUE(kit_.click(*sheet_, IDC_NMEA_CLEAR_ALL));
            }
            EXPECT_FALSE(enabled(IDC_NMEA_GGA_INTERVAL));
        }
        receiver_.clearCalls();
        EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
        EXPECT_EQ(receiver_.calls(), row.atOk);
    }
}

TEST_F(NmeaSheetTest, BoxesLoadedForAnotherOutputDoNotDecideBluetooth) {
    receiver_.nmeaOutputs[1] = outputs({{2, 1.0f}});  // the cable has sentences
    open(1);
    ASSERT_TRUE(toMessages());
    ASSERT_TRUE(toOutput());
    ASSERT_TRUE(kit_.selectComboItem(*sheet_, IDC_NMEA_OUTPUT, 2));
    receiver_.clearCalls();
    EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
    EXPECT_EQ(receiver_.calls(), (Lines{"queryNmeaOutputs 2", "setBluetoothPort NONE"}))
        << "Bluetooth has none; the cable's boxes are neither counted nor written to it";
}

TEST_F(NmeaSheetTest, TheLineSettingsComboIsRefilledForEachOutput) {
    open(1);
    ASSERT_TRUE(kit_.selectComboItem(*sheet_, IDC_NMEA_OUTPUT, 2));
    EXPECT_EQ(combo(IDC_NMEA_BAUD).GetCount(), 3);
    ASSERT_TRUE(kit_.selectComboItem(*sheet_, IDC_NMEA_OUTPUT, 1));
    EXPECT_EQ(combo(IDC_NMEA_BAUD).GetCount(), 10);
    EXPECT_EQ(text(IDC_NMEA_BAUD_LABEL), "Baud rate:");
    receiver_.clearCalls();
    EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
    EXPECT_EQ(receiver_.calls(), Lines{"setPortBaud 1 5 0"});
}

TEST_F(NmeaSheetTest, ABaudThatWasNotReadIsSentOnlyWhenChosen) {
    struct Row {
        const char* legend;
        bool fail;
        uint32_t reported;
        int choose;  // -1: the user leaves the list alone
        Lines atOk;
    };
    const Row rows[] = {
        {"query failed, left alone", true, 0, -1, {}},
        {"query failed, user chose 4800", true, 0, 4, {"setPortBaud 1 4 0"}},
        {"a code beyond the list: nothing selected", false, 12, -1, {}},
        {"a code beyond the list, user chose 115200", false, 12, 9, {"setPortBaud 1 9 0"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        receiver_ = test::FakeReceiver();
        receiver_.portBaud[1] = row.reported;
        if (row.fail)
            receiver_.fail("queryPortBaud");
        open(1);
        EXPECT_EQ(combo(IDC_NMEA_BAUD).GetCurSel(), -1);
        if (row.choose >= 0) {
            ASSERT_TRUE(kit_.selectComboItem(*sheet_, IDC_NMEA_BAUD, row.choose));
        }
        receiver_.clearCalls();
        EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
        EXPECT_EQ(receiver_.calls(), row.atOk);
    }
}

TEST_F(NmeaSheetTest, SentencesThatWereNotReadAreSentOnlyWhenWorked) {
    receiver_.fail("queryNmeaOutputs");
    open(1);
    ASSERT_TRUE(toMessages());
    for (unsigned id : {IDC_NMEA_GGA, IDC_NMEA_GNS}) EXPECT_FALSE(checked(id));
    ASSERT_TRUE(kit_.click(*sheet_, IDC_NMEA_GSV));
    ASSERT_TRUE(kit_.selectComboItem(*sheet_, IDC_NMEA_GSV_INTERVAL, 5));
    receiver_.clearCalls();
    EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
    EXPECT_EQ(receiver_.calls(), (Lines{"setPortBaud 1 5 0", "setNmeaMessage 1 6 1 2"}));
}

TEST_F(NmeaSheetTest, StartAndStopActAtOnce) {
    struct Row {
        const char* legend;
        uint8_t recording;
        unsigned button;
        bool fails;
        std::string call;
        bool startAfter, stopAfter;
    };
    const Row rows[] = {
        {"start", 0, IDC_NMEA_RECORD_START, false, "setRecorder 1", false, true},
        {"start refused", 0, IDC_NMEA_RECORD_START, true, "setRecorder 1", true, false},
        {"stop", 1, IDC_NMEA_RECORD_STOP, false, "setRecorder 0", true, false},
        {"stop refused", 1, IDC_NMEA_RECORD_STOP, true, "setRecorder 0", false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        receiver_ = test::FakeReceiver();
        receiver_.recorderOn = row.recording;
        if (row.fails)
            receiver_.fail("setRecorder");
        open(3);
        receiver_.clearCalls();
        ASSERT_TRUE(kit_.click(*sheet_, row.button));
        EXPECT_EQ(receiver_.calls(), Lines{row.call});
        EXPECT_TRUE(enabled(IDC_NMEA_FILE_NEW));
        EXPECT_EQ(enabled(IDC_NMEA_RECORD_START), row.startAfter);
        EXPECT_EQ(enabled(IDC_NMEA_RECORD_STOP), row.stopAfter);
        receiver_.clearCalls();
        EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_CANCEL));
        EXPECT_TRUE(receiver_.calls().empty()) << "Cancel takes nothing back and sends nothing";
    }
}

TEST_F(NmeaSheetTest, NewAsksForAFileAndSetsIt) {
    open(3);
    receiver_.clearCalls();
    kit_.queueFileDialogAnswer(u"\\Data\\today.txt");
    ASSERT_TRUE(kit_.click(*sheet_, IDC_NMEA_FILE_NEW));
    ASSERT_EQ(kit_.fileDialogs().size(), 1u);
    const framework::FileDialogRecord& dialog = kit_.fileDialogs().back();
    EXPECT_TRUE(dialog.save);
    EXPECT_EQ(platform::toUtf8(dialog.filter), "Text File (*.txt)|*.txt|");
    EXPECT_EQ(dialog.flags, framework::OFN_HIDEREADONLY | framework::OFN_OVERWRITEPROMPT);
    EXPECT_EQ(platform::toUtf8(dialog.initialFolder), "\\My Documents");
    EXPECT_EQ(platform::toUtf8(dialog.fileName), "NMEA.txt");
    EXPECT_EQ(receiver_.calls(), Lines{"setRecorderFile /Data/today.txt"});
    EXPECT_EQ(text(IDC_NMEA_FILE_NAME), "today.txt");
    EXPECT_EQ(text(IDC_NMEA_FILE_LOCATION), "/Data");
    EXPECT_EQ(platform::toUtf8(sheet_->outputPage().recorderFile()), "/Data/today.txt");

    struct Row {
        const char* legend;
        std::optional<std::u16string> answer;
        bool refuse;
        Lines calls;
    };
    const Row rows[] = {
        {"cancelled", std::nullopt, false, {}},
        {"the same file again", u"\\Data\\today.txt", false, {}},
        {"refused by the receiver",
         u"\\Data\\other.txt",
         true,
         {"setRecorderFile /Data/other.txt"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        if (row.refuse)
            receiver_.fail("setRecorderFile");
        receiver_.clearCalls();
        kit_.queueFileDialogAnswer(row.answer);
        ASSERT_TRUE(kit_.click(*sheet_, IDC_NMEA_FILE_NEW));
        EXPECT_EQ(receiver_.calls(), row.calls);
        EXPECT_EQ(text(IDC_NMEA_FILE_NAME), "today.txt") << "the file stays";
        EXPECT_EQ(kit_.fileDialogs().back().initialFolder, u"\\Data");
    }
    EXPECT_EQ(kit_.unansweredFileDialogs(), 0);
    receiver_.clearCalls();
    EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_CANCEL));
    EXPECT_TRUE(receiver_.calls().empty());
}

TEST_F(NmeaSheetTest, AFileNameTheCommandCannotCarryIsRefusedWithAMessage) {
    const std::string pattern = platform::toUtf8(framework::loadString(IDS_NMEA_FILE_NAME_REFUSED));
    for (const auto& [answer, offending] :
         std::vector<std::pair<std::u16string, std::string>>{{u"\\Data\\a,b.txt", ","},
                                                             {u"\\Data\\all*.txt", "*"},
                                                             {u"\\Data\\$GGA.txt", "$"},
                                                             {u"\\\u03a9mega\\x.txt", "\u03a9"}}) {
        SCOPED_TRACE(offending);
        open(3);
        receiver_.clearCalls();
        kit_.queueFileDialogAnswer(answer);
        ASSERT_TRUE(kit_.click(*sheet_, IDC_NMEA_FILE_NEW));
        EXPECT_TRUE(receiver_.calls().empty()) << "nothing sent";
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_NE(messages().front().find("\"" + offending + "\""), std::string::npos)
            << messages().front();
        EXPECT_EQ(text(IDC_NMEA_FILE_NAME), "NMEA.txt");
    }
    EXPECT_NE(pattern.find("%1"), std::string::npos);
}

TEST_F(NmeaSheetTest, TheOutputAndBluetoothPortAreKeptWhenTheSheetGoes) {
    // Cancelled: the output last shown is kept all the same.
    open(1);
    ASSERT_TRUE(kit_.selectComboItem(*sheet_, IDC_NMEA_OUTPUT, 3));
    EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_CANCEL));
    close();
    EXPECT_EQ(settings_.portIndex, 3u);

    // A Bluetooth port chosen and confirmed is kept; the next opening offers it when the
    // receiver's port is off ("NONE").
    open(2);
    ASSERT_TRUE(kit_.selectComboItem(*sheet_, IDC_NMEA_BAUD, 2));
    receiver_.nmeaOutputs[2] = outputs({{2, 1.0f}});
    receiver_.clearCalls();
    EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
    EXPECT_EQ(receiver_.calls(), (Lines{"queryNmeaOutputs 2", "setBluetoothPort COM9"}));
    close();
    EXPECT_EQ(settings_.portIndex, 2u);
    EXPECT_EQ(platform::toUtf8(settings_.bluetoothPort), "COM9");

    receiver_.bluetoothPort = u"NONE";
    open(2);
    EXPECT_EQ(selectedText(IDC_NMEA_BAUD), "COM9");
    close();

    // A port the list does not know: the first entry (the receiver answered); no answer and no
    // stored port: nothing selected, nothing sent for the port.
    receiver_.bluetoothPort = u"COM4";
    open(2);
    EXPECT_EQ(selectedText(IDC_NMEA_BAUD), "COM1");
    close();
    settings_.bluetoothPort.clear();
    receiver_.fail("queryBluetoothPort");
    open(2);
    EXPECT_EQ(selectedText(IDC_NMEA_BAUD), "(none)");
    receiver_.clearCalls();
    EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
    EXPECT_EQ(receiver_.calls(), Lines{"queryNmeaOutputs 2"});
    close();
    EXPECT_TRUE(settings_.bluetoothPort.empty());
}

}  // namespace
}  // namespace zentrix::ui
