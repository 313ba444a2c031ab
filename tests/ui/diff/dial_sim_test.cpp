// The dialing dialog against the simulated board: the real receiver on a pseudo-terminal, the
// call prepared as the link page prepares it, and the dialog polling once a second on the fast
// clock until the far end answers, is busy, or rings until the user hangs up.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/test_kit.h"
#include "platform/clock.h"
#include "receiver/gnss_receiver.h"
#include "resources/resource_ids.h"
#include "tests/support/simulated_receiver.h"
#include "tests/support/test_support.h"
#include "tools/sim/simulator.h"
#include "tools/sim/survey_board.h"
#include "ui/diff/dialing_dialog.h"

namespace zentrix::ui {
namespace {

using sim::ModemState;
using sim::SimFault;

constexpr char16_t kNumber[] = u"+41791234567";

class DialSimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim_ = test::startSimulator(sim::SimReceiver::SurveyBoard);
        ASSERT_NE(sim_, nullptr) << "no pseudo-terminal";
        ASSERT_EQ(receiver_.connect(u"COM3:"), 1u);
        // Replies never wait behind streamed sentences.
        ASSERT_EQ(receiver_.setNmeaAll(false, 0), 1u);
        CDialingDialog::resetDotsForTest();
    }
    void TearDown() override { receiver_.disconnect(); }

    sim::BoardState board() { return test::boardState(*sim_); }

    /// What the link page does after the GSM sheet's OK, up to a dial that was accepted.
    void placeCall() {
        ASSERT_EQ(receiver_.setModemCsd(), 1u);
        ASSERT_EQ(receiver_.startModem(), 1u);
        ASSERT_EQ(receiver_.setModemDialParameters(u"4321", kNumber), 1u);
        ASSERT_EQ(receiver_.modemDial(), 1u);
    }

    /// Lets the dialog's one-second timer run until it ends or `maxTicks` ticks passed; the
    /// number of ticks it took.
    int runDialog(CDialingDialog& dialog, int maxTicks) {
        int ticks = 0;
        while (dialog.GetResult() == -1 && ticks < maxTicks) {
            platform::sleepMs(CDialingDialog::kPollMs);
            if (!kit_.fireTimer(dialog, CDialingDialog::kPollTimer))
                break;
            ++ticks;
        }
        return ticks;
    }
    WideString status(CDialingDialog& dialog) { return dialog.GetDlgItemText(IDC_DIALING_STATUS); }

    test::ScratchDeviceRoot root_;
    // Fast, but not so fast that a sanitizer-slowed query could sleep through the board's three
    // seconds of DIALING before a busy line falls back: the dialog must see DIALING first.
    platform::ScopedClockSpeed fast_{5};
    framework::ScopedTestKit kit_;
    std::unique_ptr<sim::Simulator> sim_;
    receiver::GnssReceiver receiver_;
};

TEST_F(DialSimTest, AnsweredCallEndsTheDialogOnline) {
    placeCall();
    CDialingDialog dialog(&receiver_);
    dialog.setNumber(kNumber);
    ASSERT_TRUE(kit_.open(dialog));
    const int ticks = runDialog(dialog, 15);
    EXPECT_EQ(dialog.lastState(), 5u);
    EXPECT_EQ(status(dialog), u"Dialing succeed!");
    EXPECT_GE(ticks, 2) << "the board dials for a while first";
    EXPECT_LT(ticks, 15);
    EXPECT_EQ(board().modem, ModemState::Online);
    EXPECT_EQ(board().modemPhone, "+41791234567");
    EXPECT_EQ(receiver_.modemHangUp(), 1u);
}

TEST_F(DialSimTest, BusyCallEndsTheDialogAsFailedInsteadOfWaitingForEver) {
    sim_->setFault(SimFault::DialBusy);
    placeCall();
    CDialingDialog dialog(&receiver_);
    dialog.setNumber(kNumber);
    ASSERT_TRUE(kit_.open(dialog));
    const int ticks = runDialog(dialog, 15);
    EXPECT_LT(ticks, 15) << "the busy modem's ON must end the wait";
    EXPECT_EQ(status(dialog), u"Dialing failed!");
    EXPECT_NE(dialog.lastState(), 5u);
    EXPECT_FALSE(board().linkUp());
}

TEST_F(DialSimTest, UnansweredCallIsHungUpByClose) {
    sim_->setFault(SimFault::DialNoAnswer);
    placeCall();
    CDialingDialog dialog(&receiver_);
    dialog.setNumber(kNumber);
    ASSERT_TRUE(kit_.open(dialog));
    EXPECT_EQ(runDialog(dialog, 6), 6) << "still ringing";
    EXPECT_EQ(board().modem, ModemState::Dialing);
    EXPECT_EQ(status(dialog), u"Dialing  +41791234567.");  // the sixth tick: the dots wrapped once

    ASSERT_TRUE(kit_.click(dialog, IDC_DIALING_CLOSE));
    EXPECT_EQ(dialog.GetResult(), framework::IDCANCEL);
    EXPECT_EQ(dialog.lastState(), 3u) << "the state after hanging up";
    EXPECT_NE(board().modem, ModemState::Dialing);
    EXPECT_FALSE(board().linkUp());
    // Nothing comes through later on its own.
    platform::sleepMs(6000);
    EXPECT_FALSE(board().linkUp());
}

}  // namespace
}  // namespace zentrix::ui
