// The status sheet against the simulator: the real receivers on a pseudo-terminal, the clock
// running fast, the sheet opened headless. The survey board goes from an autonomous fix to an
// RTK fixed one once its modem dials; the GPS-only chip opens the same sheet.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "framework/test_kit.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "receiver/gnss_receiver.h"
#include "receiver/sirf/sirf_receiver.h"
#include "resources/resource_ids.h"
#include "tests/support/simulated_receiver.h"
#include "tests/support/test_support.h"
#include "tools/sim/simulator.h"
#include "tools/sim/survey_board.h"
#include "ui/status/gnss_status_sheet.h"

namespace zentrix::ui {
namespace {

using framework::ScopedTestKit;

class StatusSheetSimTest : public ::testing::Test {
  protected:
    bool startSimulator(sim::SimReceiver kind) {
        sim_ = test::startSimulator(kind);
        return sim_ != nullptr;
    }

    std::string text(CPositionPage& page, unsigned id) const {
        return platform::toUtf8(page.GetDlgItemText(id));
    }
    bool visible(CPositionPage& page, unsigned id) const {
        framework::CWnd* control = page.GetDlgItem(id);
        return control != nullptr && control->IsWindowVisible();
    }

    /// Runs the page's timer once per position the receiver publishes until `done` holds, for
    /// at most `epochs` positions; what each tick showed as fix status goes to `statuses` (an
    /// empty text for a hidden status line), once per change.
    bool tickUntil(receiver::ReceiverInterface& receiver, CPositionPage& page, int epochs,
                   const std::function<bool()>& done) {
        for (int i = 0; i < epochs; ++i) {
            receiver.waitVector();
            if (!kit_.fireTimer(page, CPositionPage::kRefreshTimer))
                return false;
            const std::string status =
                visible(page, IDC_FIX_STATUS) ? text(page, IDC_FIX_STATUS) : std::string();
            if (statuses_.empty() || statuses_.back() != status)
                statuses_.push_back(status);
            if (done())
                return true;
        }
        return false;
    }

    test::ScratchDeviceRoot root_;
    platform::ScopedClockSpeed fast_{40};
    ScopedTestKit kit_;
    std::unique_ptr<sim::Simulator> sim_;
    std::vector<std::string> statuses_;
};

TEST_F(StatusSheetSimTest, SurveyBoardGoesFromAutonomousToFixedAfterTheDial) {
    ASSERT_TRUE(startSimulator(sim::SimReceiver::SurveyBoard));
    sim_->withBoard([](sim::SurveyBoard& board) {
        board.state().sbas = false;  // an autonomous fix rather than an SBAS one
        board.state().qzss = true;
    });
    receiver::GnssReceiver receiver;
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    ASSERT_EQ(receiver.setWtiOutput(true), 1u);

    sim_->clearCommandLog();
    CGnssStatusSheet sheet(&receiver);
    EXPECT_EQ(sheet.constellationMask(), kMaskGps | kMaskGlonass | kMaskQzss);
    EXPECT_EQ(sim_->commandLog(),
              (std::vector<std::string>{"$PQELQ,GPS", "$PQELQ,GLO", "$PQELQ,SBA", "$PQELQ,QZS"}));
    ASSERT_TRUE(kit_.open(sheet));
    CPositionPage& page = sheet.positionPage();

    // Autonomous: satellites and a position near the simulated place, no differential lines.
    ASSERT_TRUE(tickUntil(receiver, page, 40, [&] {
        return text(page, IDC_SATELLITES_USED) != "0" && !visible(page, IDC_FIX_STATUS);
    }));
    EXPECT_EQ(text(page, IDC_LATITUDE).substr(0, 6), "047°2") << text(page, IDC_LATITUDE);
    EXPECT_EQ(text(page, IDC_LONGITUDE).substr(0, 6), "008°3") << text(page, IDC_LONGITUDE);
    EXPECT_FALSE(visible(page, IDC_HRMS));
    EXPECT_FALSE(visible(page, IDC_BASELINE));

    // Corrections arrive over a GSM call, as the differential sheet would place it.
    ASSERT_EQ(receiver.startModem(), 1u);
    ASSERT_EQ(receiver.modemDial(), 1u);
    statuses_.clear();
    ASSERT_TRUE(tickUntil(
        receiver, page, 120,
        [&] { return visible(page, IDC_FIX_STATUS) && text(page, IDC_FIX_STATUS) == "FIXED"; }))
        << "statuses seen: " << ::testing::PrintToString(statuses_);
    // The solution only improves on the way (each stage lasts several epochs; a slow run may
    // tick past one, never back).
    const std::vector<std::string> stages = {"", "DGPS", "FLOAT", "FIXED"};
    auto stage = stages.begin();
    for (const std::string& status : statuses_) {
        const auto found = std::find(stage, stages.end(), status);
        EXPECT_NE(found, stages.end()) << "after " << *stage << ": " << status;
        stage = found == stages.end() ? stage : found;
    }
    EXPECT_EQ(statuses_.front(), "") << "autonomous when the call went up";
    EXPECT_TRUE(visible(page, IDC_HRMS) && visible(page, IDC_VRMS) && visible(page, IDC_BASELINE));
    EXPECT_TRUE(text(page, IDC_BASELINE).ends_with(" m")) << text(page, IDC_BASELINE);
    EXPECT_NE(text(page, IDC_BASELINE), "0.000 m") << "the board is away from its base";
    EXPECT_TRUE(visible(page, IDC_TIME_TO_FIXED)) << "the receiver reports its time to fix";

    // The other two pages open on the same receiver; the Position page keeps ticking.
    EXPECT_TRUE(kit_.switchPage(sheet, 1));
    EXPECT_TRUE(kit_.switchPage(sheet, 2));
    EXPECT_TRUE(kit_.fireTimer(page, CPositionPage::kRefreshTimer));
    EXPECT_TRUE(kit_.switchPage(sheet, 0));
    EXPECT_TRUE(sheet.PressButton(framework::PSBTN_CANCEL));
    EXPECT_EQ(kit_.unansweredMessageBoxes(), 0);
    receiver.disconnect();
}

TEST_F(StatusSheetSimTest, GpsOnlyChipOpensTheSheet) {
    ASSERT_TRUE(startSimulator(sim::SimReceiver::SirfChip));
    receiver::SirfReceiver receiver(0);
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);

    CGnssStatusSheet sheet(&receiver);
    EXPECT_NE(sheet.constellationMask() & kMaskGps, 0u);
    EXPECT_EQ(sheet.constellationMask() & (kMaskGlonass | kMaskQzss), 0u);
    ASSERT_TRUE(kit_.open(sheet));
    CPositionPage& page = sheet.positionPage();
    ASSERT_TRUE(
        tickUntil(receiver, page, 80, [&] { return text(page, IDC_SATELLITES_USED) != "0"; }));
    EXPECT_EQ(text(page, IDC_LATITUDE).substr(0, 6), "047°2") << text(page, IDC_LATITUDE);
    EXPECT_FALSE(visible(page, IDC_HRMS)) << "the chip has no RTK solution";

    EXPECT_TRUE(kit_.switchPage(sheet, 1));
    EXPECT_TRUE(kit_.switchPage(sheet, 2));
    EXPECT_TRUE(sheet.PressButton(framework::PSBTN_CANCEL));
    EXPECT_EQ(kit_.unansweredMessageBoxes(), 0);
    receiver.disconnect();
}

}  // namespace
}  // namespace zentrix::ui
