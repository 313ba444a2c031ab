#include <gtest/gtest.h>

// ---- The troubleshooting sheet against the simulated board ---------------------------------
// The real receivers on a pseudo-terminal, the clock running 40 times faster: typed commands and
// the board's answers (and its silence), the history file they leave, debug recording with the
// board's ring flag, and the recording memory; the GPS-only chip opens the same sheet.
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
#include "tests/support/test_support.h"
#include "tools/sim/simulator.h"
#include "tools/sim/survey_board.h"
#include "ui/settings/troubleshoot_sheet.h"

namespace zentrix::ui {
namespace {

class TroubleshootSimTest : public ::testing::Test {
  protected:
    bool startSimulator(sim::SimReceiver kind) {
        sim::SimOptions options;
        options.receiver = kind;
        options.startUtcSeconds = 1700000000;
        sim_ = std::make_unique<sim::Simulator>(options);
        return sim_->openPseudoTerminal() && sim_->linkAsComPort(3) && sim_->start();
    }
    sim::BoardState board() {
        sim::BoardState state;
        sim_->withBoard([&](sim::SurveyBoard& b) { state = b.state(); });
        return state;
    }
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
// ---- End of the troubleshooting sheet against the simulated board --------------------------

// ---- The GNSS settings sheet against the simulated board --------------------------------------
// The real receivers on a pseudo-terminal with the clock running fast: the sheet reads the
// board's tracking settings, the user changes them, OK sends them and the board holds them, and
// the next opening reads them back. The GPS-only chip opens the same sheet.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/test_kit.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "receiver/commands/antenna_models.h"
#include "receiver/gnss_receiver.h"
#include "receiver/sirf/sirf_receiver.h"
#include "resources/resource_ids.h"
#include "tests/support/test_support.h"
#include "tools/sim/simulator.h"
#include "tools/sim/survey_board.h"
#include "ui/settings/gnss_setting_sheet.h"

namespace zentrix::ui {
namespace {

class GnssSettingsSimTest : public ::testing::Test {
  protected:
    bool startSimulator(sim::SimReceiver kind) {
        sim::SimOptions options;
        options.receiver = kind;
        options.startUtcSeconds = 1700000000;
        sim_ = std::make_unique<sim::Simulator>(options);
        return sim_->openPseudoTerminal() && sim_->linkAsComPort(3) && sim_->start();
    }
    sim::BoardState board() {
        sim::BoardState state;
        sim_->withBoard([&](sim::SurveyBoard& b) { state = b.state(); });
        return state;
    }
    /// Polls `done` every 50 clock ms for at most `timeoutMs`.
    static bool waitFor(uint32_t timeoutMs, const std::function<bool()>& done) {
        for (uint32_t waited = 0; waited <= timeoutMs; waited += 50) {
            if (done())
                return true;
            platform::sleepMs(50);
        }
        return false;
    }
    static framework::CComboBox& combo(CGnssSettingSheet& sheet, unsigned id) {
        return *dynamic_cast<framework::CComboBox*>(sheet.gnssPage().GetDlgItem(id));
    }
    static bool checked(CGnssSettingSheet& sheet, unsigned id) {
        return sheet.gnssPage().IsDlgButtonChecked(id) != 0;
    }
    static std::string text(CGnssSettingSheet& sheet, unsigned id) {
        return platform::toUtf8(sheet.gnssPage().GetDlgItemText(id));
    }

    test::ScratchDeviceRoot root_;
    platform::ScopedClockSpeed fast_{40};
    framework::ScopedTestKit kit_;
    std::unique_ptr<sim::Simulator> sim_;
};

TEST_F(GnssSettingsSimTest, TheBoardTakesTheSettingsAndTheNextOpeningReadsThemBack) {
    ASSERT_TRUE(startSimulator(sim::SimReceiver::SurveyBoard));
    // The board starts on "DSL" with GLONASS on, and an antenna the list does not know.
    const sim::BoardState before = board();
    ASSERT_EQ(before.signalConfig, "DSL");
    ASSERT_TRUE(before.gps && before.glonass && before.sbas && !before.qzss);
    ASSERT_EQ(receiver::antennaModelIndex(before.antennaName), receiver::kAntennaModels.size());
    receiver::GnssReceiver receiver;
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    // The external-antenna flag comes with the board's A2D report, as the program asks for it
    // after connecting.
    ASSERT_EQ(receiver.setA2dOutput(true), 1u);
    ASSERT_TRUE(waitFor(5000, [&] { return receiver.getA2dValid() != 0; }));

    sim_->clearCommandLog();
    const std::vector<std::string> reads = {"$PQELQ,CFG",    "$PQELQ,GPS", "$PQELQ,GLO",
                                            "$PQELQ,SBA",    "$PQELQ,QZS", "$PQELQ,PEM",
                                            "$PQELQ,ANP,OWN"};
    {
        CGnssSettingSheet sheet(&receiver, 2, "0300");
        ASSERT_TRUE(kit_.open(sheet));
        EXPECT_EQ(sim_->commandLog(), reads);
        EXPECT_EQ(combo(sheet, IDC_TRACKING_MODE).GetCurSel(), 1) << "GPS L1/L2";
        EXPECT_TRUE(checked(sheet, IDC_USE_SBAS));
        EXPECT_FALSE(checked(sheet, IDC_USE_QZSS));
        EXPECT_EQ(text(sheet, IDC_ELEVATION_MASK), "10");
        EXPECT_EQ(combo(sheet, IDC_ANTENNA_TYPE).GetCurSel(),
                  static_cast<int>(receiver::kUnknownAntenna));

        ASSERT_TRUE(kit_.selectComboItem(sheet, IDC_TRACKING_MODE, 3));
        ASSERT_TRUE(kit_.click(sheet, IDC_USE_SBAS));
        ASSERT_TRUE(kit_.click(sheet, IDC_USE_QZSS));
        ASSERT_TRUE(kit_.type(sheet, IDC_ELEVATION_MASK, u"15"));
        ASSERT_TRUE(kit_.selectComboItem(sheet, IDC_ANTENNA_TYPE, 2));
        sim_->clearCommandLog();
        {
            // The signal configuration's ACK is waited for 15 ms only: at the test's speed
            // that would be a fraction of a real millisecond.
            platform::ScopedClockSpeed realTime{1};
            EXPECT_TRUE(sheet.PressButton(framework::PSBTN_OK));
        }
        const std::string antenna =
            "$PQELS,ANP,OWN," + std::string(receiver::kAntennaModels[2].modelName);
        EXPECT_EQ(
            sim_->commandLog(),
            (std::vector<std::string>{antenna, "$PQELS,GPS,ON", "$PQELS,CFG,DSE", "$PQELS,GLO,ON",
                                      "$PQELS,SBA,OFF", "$PQELS,QZS,ON", "$PQELS,PEM,15"}));
        EXPECT_EQ(kit_.unansweredMessageBoxes(), 0);
    }
    const sim::BoardState after = board();
    EXPECT_EQ(after.signalConfig, "DSE");
    EXPECT_TRUE(after.gps && after.glonass);
    EXPECT_FALSE(after.sbas);
    EXPECT_TRUE(after.qzss);
    EXPECT_EQ(after.elevationMaskDegrees, 15);
    EXPECT_EQ(after.antennaName, receiver::kAntennaModels[2].modelName);

    sim_->clearCommandLog();
    {
        CGnssSettingSheet sheet(&receiver, 2, "0300");
        ASSERT_TRUE(kit_.open(sheet));
        EXPECT_EQ(sim_->commandLog(), reads);
        EXPECT_EQ(combo(sheet, IDC_TRACKING_MODE).GetCurSel(), 3) << "GPS/GLONASS L1/L2";
        EXPECT_FALSE(checked(sheet, IDC_USE_SBAS));
        EXPECT_TRUE(checked(sheet, IDC_USE_QZSS));
        EXPECT_EQ(text(sheet, IDC_ELEVATION_MASK), "15");
        EXPECT_EQ(combo(sheet, IDC_ANTENNA_TYPE).GetCurSel(), 2);
        sim_->clearCommandLog();
        EXPECT_TRUE(sheet.PressButton(framework::PSBTN_CANCEL));
        EXPECT_TRUE(sim_->commandLog().empty()) << "Cancel sends nothing";
    }
    receiver.disconnect();
}

TEST_F(GnssSettingsSimTest, GpsOnlyChipOffersGpsL1AndKeepsItsSbasChoice) {
    ASSERT_TRUE(startSimulator(sim::SimReceiver::SirfChip));
    receiver::SirfReceiver receiver(0);
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    uint8_t sbasBefore = 9;
    ASSERT_EQ(receiver.querySbas(sbasBefore), 1u);
    {
        CGnssSettingSheet sheet(&receiver, 0, "0143");
        ASSERT_TRUE(kit_.open(sheet));
        EXPECT_EQ(combo(sheet, IDC_TRACKING_MODE).GetCount(), 1);
        EXPECT_EQ(combo(sheet, IDC_TRACKING_MODE).GetCurSel(), 0);
        EXPECT_EQ(checked(sheet, IDC_USE_SBAS), sbasBefore != 0);
        EXPECT_FALSE(sheet.gnssPage().GetDlgItem(IDC_ELEVATION_MASK)->IsWindowVisible());
        ASSERT_TRUE(kit_.click(sheet, IDC_USE_SBAS));
        EXPECT_TRUE(sheet.PressButton(framework::PSBTN_OK));
    }
    {
        CGnssSettingSheet sheet(&receiver, 0, "0143");
        ASSERT_TRUE(kit_.open(sheet));
        EXPECT_EQ(checked(sheet, IDC_USE_SBAS), sbasBefore == 0) << "the chip kept the choice";
        EXPECT_TRUE(sheet.PressButton(framework::PSBTN_CANCEL));
    }
    EXPECT_EQ(kit_.unansweredMessageBoxes(), 0);
    receiver.disconnect();
}

}  // namespace
}  // namespace zentrix::ui
// ---- End of the GNSS settings sheet against the simulated board -------------------------------

// ---- The NMEA output sheet against the simulated board ----------------------------------------
// The survey receiver on a pseudo-terminal with the clock running fast: the cable's baud and
// sentences, the recording file chosen through the file dialog with its sentences and the
// recorder switched on, and Bluetooth switched off when no sentence is left on it; each checked
// in the board's state after the sheet closed, and read back by the next opening.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/test_kit.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "receiver/gnss_receiver.h"
#include "resources/resource_ids.h"
#include "tests/support/test_support.h"
#include "tools/sim/simulator.h"
#include "tools/sim/survey_board.h"
#include "ui/settings/nmea_output_sheet.h"

namespace zentrix::ui {
namespace {

class NmeaOutputSimTest : public ::testing::Test {
  protected:
    bool connect() {
        sim::SimOptions options;
        options.receiver = sim::SimReceiver::SurveyBoard;
        options.startUtcSeconds = 1700000000;
        sim_ = std::make_unique<sim::Simulator>(options);
        return sim_->openPseudoTerminal() && sim_->linkAsComPort(3) && sim_->start() &&
               receiver_.connect(u"COM3:") == 1u;
    }
    sim::BoardState board() {
        sim::BoardState state;
        sim_->withBoard([&](sim::SurveyBoard& b) { state = b.state(); });
        return state;
    }
    /// The board's sentences on port `letter` as "GGA 2.00".
    std::vector<std::string> sentences(char letter) {
        std::vector<std::string> lines;
        sim::BoardState state = board();
        for (const auto& output : state.outputs[letter]) {
            lines.push_back(output.name + " " + platform::fixedText(output.intervalSeconds, 2));
        }
        return lines;
    }
    std::unique_ptr<CNmeaOutputSheet> open(uint32_t portIndex) {
        settings_.portIndex = portIndex;
        auto sheet = std::make_unique<CNmeaOutputSheet>(&receiver_, settings_);
        EXPECT_TRUE(kit_.open(*sheet));
        return sheet;
    }
    framework::CComboBox& combo(CNmeaOutputSheet& sheet, unsigned id) {
        return *dynamic_cast<framework::CComboBox*>(kit_.control(sheet, id));
    }
    bool checked(CNmeaOutputSheet& sheet, unsigned id) {
        return sheet.messagesPage().IsDlgButtonChecked(id) == framework::BST_CHECKED;
    }

    test::ScratchDeviceRoot root_;
    platform::ScopedClockSpeed fast_{40};
    framework::ScopedTestKit kit_;
    std::unique_ptr<sim::Simulator> sim_;
    receiver::GnssReceiver receiver_;
    NmeaOutputSettings settings_;
};

TEST_F(NmeaOutputSimTest, CableBaudAndSentencesReachTheBoardAndReadBack) {
    ASSERT_TRUE(connect());
    {
        auto sheet = open(1);
        ASSERT_TRUE(kit_.selectComboItem(*sheet, IDC_NMEA_BAUD, 7));  // 38400
        ASSERT_TRUE(kit_.switchPage(*sheet, 1));
        ASSERT_TRUE(kit_.click(*sheet, IDC_NMEA_GGA));
        ASSERT_TRUE(kit_.selectComboItem(*sheet, IDC_NMEA_GGA_INTERVAL, 5));  // 2 sec
        ASSERT_TRUE(kit_.click(*sheet, IDC_NMEA_GST));
        EXPECT_TRUE(sheet->PressButton(framework::PSBTN_OK));
    }
    const sim::BoardState after = board();
    EXPECT_EQ(after.baudCodes.at('B'), 7);
    EXPECT_TRUE(after.portOn.at('B'));
    EXPECT_EQ(sentences('B'), (std::vector<std::string>{"GGA 2.00", "GST 0.05"}));
    EXPECT_EQ(settings_.portIndex, 1u);

    auto sheet = open(1);
    EXPECT_EQ(combo(*sheet, IDC_NMEA_BAUD).GetCurSel(), 7);
    ASSERT_TRUE(kit_.switchPage(*sheet, 1));
    EXPECT_TRUE(checked(*sheet, IDC_NMEA_GGA));
    EXPECT_EQ(combo(*sheet, IDC_NMEA_GGA_INTERVAL).GetCurSel(), 5);
    EXPECT_TRUE(checked(*sheet, IDC_NMEA_GST));
    EXPECT_FALSE(checked(*sheet, IDC_NMEA_GLL));
    EXPECT_TRUE(sheet->PressButton(framework::PSBTN_CANCEL));
}

TEST_F(NmeaOutputSimTest, RecordingFileSentencesAndRecorder) {
    ASSERT_TRUE(connect());
    auto sheet = open(3);
    EXPECT_EQ(platform::toUtf8(sheet->outputPage().GetDlgItemText(IDC_NMEA_FILE_NAME)),
              board().recorderFile);
    kit_.queueFileDialogAnswer(u"\\Data\\nmea1.txt");
    ASSERT_TRUE(kit_.click(*sheet, IDC_NMEA_FILE_NEW));
    ASSERT_TRUE(kit_.click(*sheet, IDC_NMEA_RECORD_START));
    ASSERT_TRUE(kit_.switchPage(*sheet, 1));
    ASSERT_TRUE(kit_.click(*sheet, IDC_NMEA_RMC));
    ASSERT_TRUE(kit_.switchPage(*sheet, 0));  // leaving the sentences sends them
    EXPECT_TRUE(sheet->PressButton(framework::PSBTN_CANCEL));

    const sim::BoardState after = board();
    EXPECT_EQ(after.recorderFile, "/Data/nmea1.txt");
    EXPECT_TRUE(after.recorderOn);
    EXPECT_EQ(sentences('O'), std::vector<std::string>{"RMC 0.05"});

    sheet = open(3);
    EXPECT_EQ(platform::toUtf8(sheet->outputPage().GetDlgItemText(IDC_NMEA_FILE_NAME)),
              "nmea1.txt");
    EXPECT_EQ(platform::toUtf8(sheet->outputPage().GetDlgItemText(IDC_NMEA_FILE_LOCATION)),
              "/Data");
    EXPECT_FALSE(kit_.click(*sheet, IDC_NMEA_RECORD_START)) << "recording: Start is off";
    ASSERT_TRUE(kit_.click(*sheet, IDC_NMEA_RECORD_STOP));
    EXPECT_FALSE(board().recorderOn);
    EXPECT_TRUE(sheet->PressButton(framework::PSBTN_CANCEL));
}

TEST_F(NmeaOutputSimTest, BluetoothWithoutSentencesIsSwitchedOff) {
    ASSERT_TRUE(connect());
    {
        auto sheet = open(2);
        EXPECT_EQ(combo(*sheet, IDC_NMEA_BAUD).GetCurSel(), 1) << "the board's COM7";
        ASSERT_TRUE(kit_.switchPage(*sheet, 1));
        ASSERT_TRUE(kit_.click(*sheet, IDC_NMEA_CLEAR_ALL));
        EXPECT_TRUE(sheet->PressButton(framework::PSBTN_OK));
    }
    EXPECT_EQ(board().bluetoothPort, "NONE");
    EXPECT_FALSE(board().portOn.at('C'));
    EXPECT_TRUE(sentences('C').empty());
    EXPECT_EQ(platform::toUtf8(settings_.bluetoothPort), "COM7");

    // With a sentence on, the port chosen goes back and the board's port is on again.
    {
        auto sheet = open(2);
        EXPECT_EQ(combo(*sheet, IDC_NMEA_BAUD).GetCurSel(), 1) << "NONE: the stored port";
        ASSERT_TRUE(kit_.selectComboItem(*sheet, IDC_NMEA_BAUD, 2));
        ASSERT_TRUE(kit_.switchPage(*sheet, 1));
        ASSERT_TRUE(kit_.click(*sheet, IDC_NMEA_GGA));
        EXPECT_TRUE(sheet->PressButton(framework::PSBTN_OK));
    }
    EXPECT_EQ(board().bluetoothPort, "COM9");
    EXPECT_TRUE(board().portOn.at('C'));
    EXPECT_EQ(sentences('C'), std::vector<std::string>{"GGA 0.05"});
}

}  // namespace
}  // namespace zentrix::ui
// ---- End of the NMEA output sheet against the simulated board ---------------------------------
