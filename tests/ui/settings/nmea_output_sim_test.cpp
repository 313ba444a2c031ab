// The NMEA output sheet against the simulated board: the survey receiver on a pseudo-terminal
// with the clock running fast. The cable's baud and sentences, the recording file chosen through
// the file dialog with its sentences and the recorder switched on, and Bluetooth switched off
// when no sentence is left on it; each checked in the board's state after the sheet closed, and
// read back by the next opening.
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
#include "tests/support/simulated_receiver.h"
#include "tests/support/test_support.h"
#include "tools/sim/simulator.h"
#include "tools/sim/survey_board.h"
#include "ui/settings/nmea_output_sheet.h"

namespace zentrix::ui {
namespace {

class NmeaOutputSimTest : public ::testing::Test {
  protected:
    bool connect() {
        sim_ = test::startSimulator(sim::SimReceiver::SurveyBoard);
        return sim_ != nullptr && receiver_.connect(u"COM3:") == 1u;
    }
    sim::BoardState board() { return test::boardState(*sim_); }
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
