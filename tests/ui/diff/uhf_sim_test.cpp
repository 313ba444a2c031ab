// The UHF radio sheet against the simulated board: the real receiver on a pseudo-terminal with the
// clock running fast. The sheet finds a radio on the handheld's own port and one inside an
// external unit (after the board's pause), tells a Satel Easy from no radio, lists the board's
// channel table, and the settings it writes are the board's, read back on the next opening.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/test_kit.h"
#include "platform/clock.h"
#include "receiver/gnss_receiver.h"
#include "resources/resource_ids.h"
#include "tests/support/simulated_receiver.h"
#include "tests/support/test_support.h"
#include "tools/sim/simulator.h"
#include "tools/sim/survey_board.h"
#include "ui/diff/uhf_config_sheet.h"
#include "ui/diff/uhf_radio_tables.h"

namespace zentrix::ui {
namespace {

using framework::BST_CHECKED;
using framework::CComboBox;
using framework::PSBTN_CANCEL;
using framework::PSBTN_OK;
using Log = std::vector<std::string>;

class UhfSimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim_ = test::startSimulator(sim::SimReceiver::SurveyBoard);
        ASSERT_NE(sim_, nullptr);
        ASSERT_EQ(receiver_.connect(u"COM3:"), 1u);
    }
    sim::BoardState board() { return test::boardState(*sim_); }
    void onBoard(const std::function<void(sim::SurveyBoard&)>& change) { sim_->withBoard(change); }

    static CComboBox& combo(framework::CPropertyPage& page, unsigned id) {
        return *dynamic_cast<CComboBox*>(page.GetDlgItem(id));
    }
    static int32_t selectedCode(framework::CPropertyPage& page, unsigned id) {
        CComboBox& list = combo(page, id);
        const int index = list.GetCurSel();
        return index < 0 ? -1 : static_cast<int32_t>(list.GetItemData(index));
    }
    static int indexOfCode(framework::CPropertyPage& page, unsigned id, int32_t code) {
        CComboBox& list = combo(page, id);
        for (int i = 0; i < list.GetCount(); ++i) {
            if (static_cast<int32_t>(list.GetItemData(i)) == code)
                return i;
        }
        return -1;
    }
    /// Whether the board saw a command that begins with `start` since the log was cleared.
    bool sent(const std::string& start) {
        const Log log = sim_->commandLog();
        return std::any_of(log.begin(), log.end(),
                           [&](const std::string& line) { return line.rfind(start, 0) == 0; });
    }

    test::ScratchDeviceRoot root_;
    platform::ScopedClockSpeed fast_{50};
    framework::ScopedTestKit kit_;
    std::unique_ptr<sim::Simulator> sim_;
    receiver::GnssReceiver receiver_;
};

TEST_F(UhfSimTest, RadioOnPortBIsFoundAndItsSettingsAreTheBoardsAfterOk) {
    onBoard([](sim::SurveyBoard& b) { b.fitRadio('B', sim::FittedRadio{"ADL", true, 24}); });
    {
        CUhfConfigSheet sheet(&receiver_, false, u"UHF Radio Settings");
        ASSERT_TRUE(kit_.open(sheet));
        EXPECT_EQ(selectedCode(sheet.typePage(), IDC_UHF_TYPE), uhf::kAdl);
        EXPECT_TRUE(sent("$PQELQ,RDP,TYP,B"));
        EXPECT_TRUE(board().radioOn) << "detection switches the radio on";

        ASSERT_TRUE(kit_.switchPage(sheet, 1));
        CUhfSettingsPage& page = sheet.settingsPage();
        // The board's table of 24 channels, numbered from 1 as an ADL numbers them.
        CComboBox& channels = combo(page, IDC_UHF_CHANNEL);
        ASSERT_EQ(channels.GetCount(), 24);
        EXPECT_EQ(channels.GetLBText(0), u"1");
        EXPECT_EQ(channels.GetLBText(23), u"24");
        EXPECT_EQ(channels.GetCurSel(), 0);
        // GMSK at 25 kHz, as the board reports it.
        EXPECT_EQ(page.modulation(), uhf::kModulationGmsk);
        EXPECT_EQ(page.spacing(), uhf::kSpacing25kHz);
        EXPECT_EQ(selectedCode(page, IDC_UHF_PROTOCOL), 1);
        EXPECT_EQ(selectedCode(page, IDC_UHF_AIR_SPEED), 3);
        EXPECT_EQ(page.IsDlgButtonChecked(IDC_UHF_TURN_ON), BST_CHECKED);

        ASSERT_TRUE(kit_.selectComboItem(sheet, IDC_UHF_CHANNEL, 9));
        ASSERT_TRUE(
            kit_.selectComboItem(sheet, IDC_UHF_PROTOCOL, indexOfCode(page, IDC_UHF_PROTOCOL, 0)));
        ASSERT_TRUE(kit_.selectComboItem(sheet, IDC_UHF_AIR_SPEED,
                                         indexOfCode(page, IDC_UHF_AIR_SPEED, 5)));
        ASSERT_TRUE(kit_.dragSlider(sheet, IDC_UHF_SENSITIVITY, 2));
        ASSERT_TRUE(kit_.click(sheet, IDC_UHF_TURN_ON));
        EXPECT_TRUE(sheet.PressButton(PSBTN_OK));
        EXPECT_TRUE(kit_.messageBoxes().empty());
    }
    sim::BoardState after = board();
    EXPECT_EQ(after.radios['B'].type, "ADL");
    EXPECT_EQ(after.radios['B'].channel, 10);
    EXPECT_EQ(after.radios['B'].protocol, 0);
    EXPECT_EQ(after.radios['B'].airBaud, "19200");
    EXPECT_EQ(after.radios['B'].sensitivity, "HIG");
    EXPECT_FALSE(after.radioOn) << "Turn on cleared";

    // The next opening reads them back, Transparent as Transparent; Turn on switches it on.
    {
        CUhfConfigSheet sheet(&receiver_, false, u"UHF Radio Settings");
        ASSERT_TRUE(kit_.open(sheet));
        ASSERT_TRUE(kit_.switchPage(sheet, 1));
        CUhfSettingsPage& page = sheet.settingsPage();
        EXPECT_EQ(combo(page, IDC_UHF_CHANNEL).GetCurSel(), 9);
        EXPECT_EQ(selectedCode(page, IDC_UHF_PROTOCOL), 0);
        EXPECT_EQ(selectedCode(page, IDC_UHF_AIR_SPEED), 5);
        EXPECT_EQ(page.GetDlgItemText(IDC_UHF_SENSITIVITY_TEXT), u"High");
        // Detection switched the radio on, so the box is ticked; OK keeps it on even when
        // something switched it off meanwhile.
        EXPECT_EQ(page.IsDlgButtonChecked(IDC_UHF_TURN_ON), BST_CHECKED);
        onBoard([](sim::SurveyBoard& b) { b.state().radioOn = false; });
        EXPECT_TRUE(sheet.PressButton(PSBTN_OK));
    }
    after = board();
    EXPECT_TRUE(after.radioOn);
    EXPECT_EQ(after.radios['B'].channel, 10);
    EXPECT_EQ(after.radios['B'].protocol, 0);
}

TEST_F(UhfSimTest, RadioInsideAnExternalUnitIsFoundAgainAfterTheBoardsPause) {
    sim_->clearCommandLog();
    const uint32_t startTicks = platform::Clock::tickCount();
    const auto startReal = std::chrono::steady_clock::now();
    {
        CUhfConfigSheet sheet(&receiver_, true, u"UHF Radio Settings");
        ASSERT_TRUE(kit_.open(sheet));
        EXPECT_GE(platform::ticksSince(startTicks), CUhfTypePage::kRedetectionMs);
        EXPECT_LT(std::chrono::steady_clock::now() - startReal, std::chrono::seconds(5));
        EXPECT_EQ(sim_->commandLog(),
                  (Log{"$PQELQ,RDP,TYP,D", "$PQELS,RDP,ON", "$PQELS,RDP,TYP,D,UNKNOWN",
                       "$PQELQ,RDP,PAR,D", "$PQELQ,PRT,D"}));
        EXPECT_EQ(selectedCode(sheet.typePage(), IDC_UHF_TYPE), uhf::kPdl);
        EXPECT_EQ(board().radios['D'].type, "PDL");
        // Inside the unit the handheld switches the radio: "Turn on" is there.
        ASSERT_TRUE(kit_.switchPage(sheet, 1));
        EXPECT_TRUE(sheet.settingsPage().GetDlgItem(IDC_UHF_TURN_ON)->IsWindowVisible());
        EXPECT_EQ(combo(sheet.settingsPage(), IDC_UHF_CHANNEL).GetCount(), 16);
        EXPECT_TRUE(sheet.PressButton(PSBTN_CANCEL));
    }

    // The radio gone, the board cannot find it again: the sheet gives it back the type it had.
    onBoard([](sim::SurveyBoard& b) { b.removeRadio('D'); });
    sim_->clearCommandLog();
    {
        CUhfConfigSheet sheet(&receiver_, true, u"UHF Radio Settings");
        ASSERT_TRUE(kit_.open(sheet));
        EXPECT_TRUE(sent("$PQELS,RDP,TYP,D,PDL"));
        EXPECT_EQ(selectedCode(sheet.typePage(), IDC_UHF_TYPE), uhf::kPdl);
        EXPECT_TRUE(sheet.PressButton(PSBTN_CANCEL));
    }
    EXPECT_EQ(board().radios['D'].type, "PDL");
}

TEST_F(UhfSimTest, ARadioThatReadsNoneIsSatelEasyWhilePowered) {
    onBoard([](sim::SurveyBoard& b) {
        b.fitRadio('B', sim::FittedRadio{"PDL", false, 0});
        b.state().radioOn = true;
    });
    {
        CUhfConfigSheet sheet(&receiver_, false, u"UHF Radio Settings");
        ASSERT_TRUE(kit_.open(sheet));
        EXPECT_EQ(selectedCode(sheet.typePage(), IDC_UHF_TYPE), uhf::kSatelEasy);
        sim_->clearCommandLog();
        EXPECT_FALSE(kit_.switchPage(sheet, 1)) << "a Satel Easy has no settings to read";
        EXPECT_TRUE(sent("$PQELS,RDP,TYP,B,NONE"));
        EXPECT_FALSE(sent("$PQELQ,RDP,PAR"));
        EXPECT_TRUE(sheet.PressButton(PSBTN_OK));
        EXPECT_EQ(sheet.settings().radioType, uhf::kNone);
    }
    EXPECT_TRUE(board().radioOn) << "a Satel Easy is not switched off";

    // Unpowered, the same radio reads as no radio.
    onBoard([](sim::SurveyBoard& b) { b.state().radioOn = false; });
    sim_->clearCommandLog();
    CUhfConfigSheet sheet(&receiver_, false, u"UHF Radio Settings");
    ASSERT_TRUE(kit_.open(sheet));
    EXPECT_EQ(selectedCode(sheet.typePage(), IDC_UHF_TYPE), uhf::kNone);
    EXPECT_TRUE(sheet.PressButton(PSBTN_OK));
    EXPECT_FALSE(board().radioOn);
}

}  // namespace
}  // namespace zentrix::ui
