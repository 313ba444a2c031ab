// The GNSS settings sheet against the simulated board: the real receivers on a pseudo-terminal
// with the clock running fast. The sheet reads the board's tracking settings, the user changes
// them, OK sends them and the board holds them, and the next opening reads them back. The
// GPS-only chip opens the same sheet.
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
#include "tests/support/simulated_receiver.h"
#include "tests/support/test_support.h"
#include "tools/sim/simulator.h"
#include "tools/sim/survey_board.h"
#include "ui/settings/gnss_setting_sheet.h"

namespace zentrix::ui {
namespace {

class GnssSettingsSimTest : public ::testing::Test {
  protected:
    bool startSimulator(sim::SimReceiver kind) {
        sim_ = test::startSimulator(kind);
        return sim_ != nullptr;
    }
    sim::BoardState board() { return test::boardState(*sim_); }
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
