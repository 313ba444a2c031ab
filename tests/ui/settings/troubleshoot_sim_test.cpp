// The troubleshooting sheet against the simulated board: the real receivers on a pseudo-terminal,
// the clock running 40 times faster. Typed commands and the board's answers (and its silence),
// the history file they leave, debug recording with the board's ring flag, and the recording
// memory; the GPS-only chip opens the same sheet.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/message_box.h"
#include "framework/resources.h"
#include "framework/test_kit.h"
#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "receiver/gnss_receiver.h"
#include "receiver/sirf/sirf_receiver.h"
#include "resources/resource_ids.h"
#include "tests/support/simulated_receiver.h"
#include "tests/support/test_support.h"
#include "tools/sim/simulator.h"
#include "tools/sim/survey_board.h"
#include "ui/settings/troubleshoot_sheet.h"

namespace zentrix::ui {
namespace {

class TroubleshootSimTest : public ::testing::Test {
  protected:
    bool startSimulator(sim::SimReceiver kind) {
        sim_ = test::startSimulator(kind);
        return sim_ != nullptr;
    }
    sim::BoardState board() { return test::boardState(*sim_); }
    std::vector<WideString> messages() const {
        std::vector<WideString> texts;
        for (const auto& box : kit_.messageBoxes()) texts.push_back(box.text);
        return texts;
    }
    static framework::CComboBox* combo(CTroubleshootSheet& sheet, unsigned id) {
        return dynamic_cast<framework::CComboBox*>(sheet.page().GetDlgItem(id));
    }
    static std::vector<WideString> entries(framework::CComboBox* combo) {
        std::vector<WideString> texts;
        for (int i = 0; combo != nullptr && i < combo->GetCount(); ++i)
            texts.push_back(combo->GetLBText(i));
        return texts;
    }
    static bool debugChecked(CTroubleshootSheet& sheet) {
        return sheet.page().IsDlgButtonChecked(IDC_DEBUG_FILE_OUTPUT) == framework::BST_CHECKED;
    }
    /// Types `command`, taps Send, and answers how long the receiver was waited for (clock ms).
    uint32_t send(CTroubleshootSheet& sheet, const std::u16string& command) {
        framework::clearMessageBoxLog();
        EXPECT_TRUE(kit_.type(sheet.page(), IDC_COMMAND_LINE, command));
        const uint32_t start = platform::Clock::tickCount();
        EXPECT_TRUE(kit_.click(sheet.page(), IDC_SEND_COMMAND));
        return platform::ticksSince(start);
    }

    test::ScratchDeviceRoot root_;
    platform::ScopedClockSpeed fast_{40};
    framework::ScopedTestKit kit_;
    std::unique_ptr<sim::Simulator> sim_;
};

TEST_F(TroubleshootSimTest, TypedCommandsReachTheBoardAndTheHistoryFile) {
    ASSERT_TRUE(startSimulator(sim::SimReceiver::SurveyBoard));
    receiver::GnssReceiver receiver;
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    sim_->clearCommandLog();

    CTroubleshootSheet sheet(&receiver);
    ASSERT_TRUE(kit_.open(sheet));
    EXPECT_EQ(sim_->commandLog(), (std::vector<std::string>{"$PQELQ,ATL", "$PQELQ,MEM"}));
    framework::CComboBox* line = combo(sheet, IDC_COMMAND_LINE);
    ASSERT_NE(line, nullptr);

    // Accepted: the board switched SBAS off, the command heads the history.
    ASSERT_TRUE(board().sbas);
    send(sheet, u"$PQELS,SBA,OFF");
    EXPECT_EQ(messages(), std::vector<WideString>{framework::loadString(IDS_COMMAND_ACCEPTED)});
    EXPECT_FALSE(board().sbas);
    EXPECT_TRUE(line->GetWindowText().empty());

    // Rejected: the text stays for correction and stays out of the history.
    send(sheet, u"$PQELS,SBA,MAYBE");
    EXPECT_EQ(messages(), std::vector<WideString>{framework::loadString(IDS_COMMAND_NOT_ACCEPTED)});
    EXPECT_EQ(line->GetWindowText(), u"$PQELS,SBA,MAYBE");

    // Never answered: the full 45 seconds, no message, and still kept.
    const uint32_t waitedMs = send(sheet, u"ZX DIAG");
    EXPECT_GE(waitedMs, 45000u);
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(line->GetWindowText().empty());
    EXPECT_EQ(entries(line), (std::vector<WideString>{u"ZX DIAG", u"$PQELS,SBA,OFF"}));

    sim_->clearCommandLog();
    EXPECT_TRUE(sheet.PressButton(framework::PSBTN_CANCEL));
    EXPECT_TRUE(sim_->commandLog().empty()) << "Cancel sends nothing";
    const auto file = root_.path() / "SendCmd.log";
    EXPECT_EQ(platform::readWholeFile(file).bytes, "ZX DIAG\r\n$PQELS,SBA,OFF\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // The next opening offers them again.
    CTroubleshootSheet again(&receiver);
    ASSERT_TRUE(kit_.open(again));
    EXPECT_EQ(entries(combo(again, IDC_COMMAND_LINE)),
              (std::vector<WideString>{u"ZX DIAG", u"$PQELS,SBA,OFF"}));
    EXPECT_TRUE(again.PressButton(framework::PSBTN_CANCEL));
    receiver.disconnect();
}

TEST_F(TroubleshootSimTest, DebugRecordingFollowsTheBoardsRingFlag) {
    ASSERT_TRUE(startSimulator(sim::SimReceiver::SurveyBoard));
    receiver::GnssReceiver receiver;
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    const WideString debugError = framework::loadString(IDS_DEBUG_RECORDING_ERROR);

    // Ring mode: switched on, still on after the check.
    {
        CTroubleshootSheet sheet(&receiver);
        ASSERT_TRUE(kit_.open(sheet));
        EXPECT_FALSE(debugChecked(sheet));
        ASSERT_TRUE(kit_.click(sheet.page(), IDC_DEBUG_FILE_OUTPUT));
        sim_->clearCommandLog();
        framework::clearMessageBoxLog();
        const uint32_t start = platform::Clock::tickCount();
        EXPECT_TRUE(sheet.PressButton(framework::PSBTN_OK));
        EXPECT_GE(platform::ticksSince(start), kDebugRecordingSettleMs);
        EXPECT_EQ(sim_->commandLog(), (std::vector<std::string>{"$PQELS,ATL,ON", "$PQELQ,ATL"}));
        EXPECT_TRUE(messages().empty());
        EXPECT_TRUE(board().autoLogging);
    }
    // The board now records linearly: the page switches it off as it opens.
    sim_->withBoard([](sim::SurveyBoard& b) { b.state().autoLoggingRing = false; });
    {
        sim_->clearCommandLog();
        CTroubleshootSheet sheet(&receiver);
        ASSERT_TRUE(kit_.open(sheet));
        EXPECT_EQ(sim_->commandLog(), (std::vector<std::string>{"$PQELQ,ATL", "$PQELQ,ATL",
                                                                "$PQELS,ATL,OFF", "$PQELQ,MEM"}));
        EXPECT_FALSE(debugChecked(sheet));
        EXPECT_FALSE(board().autoLogging);

        // Switched on again: no ring flag after 5 seconds, so off again with the message.
        ASSERT_TRUE(kit_.click(sheet.page(), IDC_DEBUG_FILE_OUTPUT));
        sim_->clearCommandLog();
        framework::clearMessageBoxLog();
        EXPECT_TRUE(sheet.PressButton(framework::PSBTN_OK));
        EXPECT_EQ(sim_->commandLog(),
                  (std::vector<std::string>{"$PQELS,ATL,ON", "$PQELQ,ATL", "$PQELS,ATL,OFF"}));
        EXPECT_EQ(messages(), std::vector<WideString>{debugError});
        EXPECT_FALSE(board().autoLogging);
    }
    receiver.disconnect();
}

TEST_F(TroubleshootSimTest, RecordingMemoryAndTheBoardsPath) {
    ASSERT_TRUE(startSimulator(sim::SimReceiver::SurveyBoard));
    receiver::GnssReceiver receiver;
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    const WideString internal = framework::loadString(IDS_STORAGE_INTERNAL_MEMORY);
    const WideString card = framework::loadString(IDS_STORAGE_CARD);

    // Recording to its own path: a third entry, chosen and locked.
    sim_->withBoard([](sim::SurveyBoard& b) {
        b.state().memory = 9;
        b.state().filePath = "\\Data\\Logs";
    });
    {
        CTroubleshootSheet sheet(&receiver);
        ASSERT_TRUE(kit_.open(sheet));
        framework::CComboBox* storage = combo(sheet, IDC_RECORDING_MEMORY);
        EXPECT_EQ(entries(storage), (std::vector<WideString>{internal, card, u"\\Data\\Logs"}));
        EXPECT_EQ(storage->GetCurSel(), 2);
        EXPECT_FALSE(storage->IsWindowEnabled());
        sim_->clearCommandLog();
        EXPECT_TRUE(sheet.PressButton(framework::PSBTN_OK));
        EXPECT_EQ(sim_->commandLog(), std::vector<std::string>{"$PQELS,ATL,OFF"});
        EXPECT_EQ(board().memory, 9);
    }
    // Internal memory; the user picks the card.
    sim_->withBoard([](sim::SurveyBoard& b) { b.state().memory = 0; });
    {
        CTroubleshootSheet sheet(&receiver);
        ASSERT_TRUE(kit_.open(sheet));
        EXPECT_EQ(entries(combo(sheet, IDC_RECORDING_MEMORY)),
                  (std::vector<WideString>{internal, card}));
        ASSERT_TRUE(kit_.selectComboItem(sheet.page(), IDC_RECORDING_MEMORY, 1));
        sim_->clearCommandLog();
        EXPECT_TRUE(sheet.PressButton(framework::PSBTN_OK));
        EXPECT_EQ(sim_->commandLog(), (std::vector<std::string>{"$PQELS,MEM,1", "$PQELS,ATL,OFF"}));
        EXPECT_EQ(board().memory, 1);
    }
    receiver.disconnect();
}

TEST_F(TroubleshootSimTest, GpsOnlyChipKeepsTwoEntriesAndMovesOnlyItsRawData) {
    ASSERT_TRUE(startSimulator(sim::SimReceiver::SirfChip));
    receiver::SirfReceiver receiver(0);
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);

    CTroubleshootSheet sheet(&receiver);
    ASSERT_TRUE(kit_.open(sheet));
    EXPECT_FALSE(debugChecked(sheet)) << "the chip has no debug recording";
    EXPECT_EQ(combo(sheet, IDC_RECORDING_MEMORY)->GetCount(), 2);
    EXPECT_EQ(combo(sheet, IDC_RECORDING_MEMORY)->GetCurSel(), 0);
    framework::clearMessageBoxLog();
    send(sheet, u"$PQELQ,GPS");
    EXPECT_EQ(messages(), std::vector<WideString>{framework::loadString(IDS_COMMAND_NOT_ACCEPTED)});
    ASSERT_TRUE(kit_.selectComboItem(sheet.page(), IDC_RECORDING_MEMORY, 1));
    framework::clearMessageBoxLog();
    EXPECT_TRUE(sheet.PressButton(framework::PSBTN_OK));
    EXPECT_TRUE(messages().empty()) << "debug recording was never read, so never written";
    uint32_t memory = 0;
    EXPECT_EQ(receiver.queryMemory(memory), 1u);
    EXPECT_EQ(memory, 1u) << "where raw data recording would write";
    receiver.disconnect();
}

}  // namespace
}  // namespace zentrix::ui
