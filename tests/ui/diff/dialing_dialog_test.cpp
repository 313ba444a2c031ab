// The dialing dialog: what each modem state does to it, the dots that run on across dialogs,
// and that every way the user closes it hangs up.
#include "ui/diff/dialing_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/test_kit.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_receiver.h"

namespace zentrix::ui {
namespace {

using framework::ScopedTestKit;
using Calls = std::vector<std::string>;

class DialingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CDialingDialog::resetDotsForTest();
        receiver_.modemState = 4;
    }
    bool tick(CDialingDialog& dialog) { return kit_.fireTimer(dialog, CDialingDialog::kPollTimer); }
    WideString status(CDialingDialog& dialog) { return dialog.GetDlgItemText(IDC_DIALING_STATUS); }

    ScopedTestKit kit_;
    test::FakeReceiver receiver_;
};

TEST_F(DialingTest, EachStateSeenDecidesWhetherTheDialogWaitsOrEnds) {
    struct Row {
        const char* name;
        std::vector<uint32_t> states;  ///< one a tick
        const char16_t* status;        ///< after the last tick
        uint32_t lastState;
        bool ended;
    };
    const Row rows[] = {
        {"online at once", {5}, u"Dialing succeed!", 5, true},
        {"online after dialing", {3, 4, 4, 5}, u"Dialing succeed!", 5, true},
        {"no modem", {0}, u"Dialing failed!", 0, true},
        {"modem off", {4, 1}, u"Dialing failed!", 1, true},
        {"starting up", {2, 3, 3}, u"Dialing  0301234..", 3, false},
        {"busy: back to init after dialing", {3, 4, 3}, u"Dialing failed!", 3, true},
        {"refused: back to on after dialing", {4, 2}, u"Dialing failed!", 2, true},
        {"unknown state", {7}, u"Dialing failed!", 7, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CDialingDialog::resetDotsForTest();
        CDialingDialog dialog(&receiver_);
        dialog.setNumber(u"0301234");
        ASSERT_TRUE(kit_.open(dialog));
        EXPECT_EQ(status(dialog), u"Dialing  0301234 ...");
        receiver_.modemStates = row.states;
        receiver_.modemState = row.states.back();
        receiver_.clearCalls();
        for (size_t i = 0; i < row.states.size(); ++i) {
            ASSERT_TRUE(tick(dialog)) << "tick " << i;
            EXPECT_EQ(dialog.GetResult() != -1, i + 1 == row.states.size() && row.ended);
        }
        EXPECT_EQ(status(dialog), row.status);
        EXPECT_EQ(dialog.lastState(), row.lastState);
        EXPECT_EQ(tick(dialog), !row.ended) << "the timer stops with the dialog";
        EXPECT_EQ(receiver_.calls(),
                  Calls(row.states.size() + (row.ended ? 0 : 1), "queryModemState"))
            << "nothing but the state query, no hang-up";
    }
}

TEST_F(DialingTest, DotsRunOnIntoTheNextDialog) {
    const std::u16string base = u"Dialing  0301234";
    {
        CDialingDialog dialog(&receiver_);
        dialog.setNumber(u"0301234");
        ASSERT_TRUE(kit_.open(dialog));
        for (const char16_t* dots : {u"", u".", u".."}) {
            ASSERT_TRUE(tick(dialog));
            EXPECT_EQ(status(dialog), base + dots);
        }
        ASSERT_TRUE(kit_.click(dialog, IDC_DIALING_CLOSE));
    }
    CDialingDialog dialog(&receiver_);
    dialog.setNumber(u"0301234");
    ASSERT_TRUE(kit_.open(dialog));
    for (const char16_t* dots : {u"...", u"", u".", u"..", u"...", u""}) {
        ASSERT_TRUE(tick(dialog));
        EXPECT_EQ(status(dialog), base + dots);
    }
    EXPECT_EQ(dialog.lastState(), 4u);
}

TEST_F(DialingTest, WithoutANumberTheTextStaysAndAFailedQueryChangesNothing) {
    CDialingDialog dialog(&receiver_);
    ASSERT_TRUE(kit_.open(dialog));
    EXPECT_EQ(status(dialog), u"Dialing...");
    receiver_.modemStates = {3, 4};
    ASSERT_TRUE(tick(dialog));
    ASSERT_TRUE(tick(dialog));
    EXPECT_EQ(status(dialog), u"Dialing...");
    EXPECT_EQ(dialog.lastState(), 4u);

    // A failed query keeps the last state; even ONLINE waits for a query that answers.
    receiver_.modemState = 5;
    receiver_.fail("queryModemState");
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(tick(dialog));
    EXPECT_EQ(status(dialog), u"Dialing...");
    EXPECT_EQ(dialog.lastState(), 4u);
    EXPECT_EQ(dialog.GetResult(), -1);
    receiver_.succeed("queryModemState");
    ASSERT_TRUE(tick(dialog));
    EXPECT_EQ(dialog.lastState(), 5u);
    EXPECT_EQ(status(dialog), u"Dialing succeed!");
}

TEST_F(DialingTest, CloseEscapeAndTheCloseBoxHangUpAndKeepTheStateAfter) {
    struct Row {
        const char* name;
        void (*close)(ScopedTestKit&, CDialingDialog&);
        bool hangUpFails;
        bool queryFails;
        Calls calls;
        uint32_t lastState;
    };
    auto closeButton = [](ScopedTestKit& kit, CDialingDialog& d) {
        EXPECT_TRUE(kit.click(d, IDC_DIALING_CLOSE));
    };
    auto escape = [](ScopedTestKit&, CDialingDialog& d) { d.OnKeyCommand(framework::IDCANCEL); };
    const Row rows[] = {
        {"Close", closeButton, false, false, {"modemHangUp", "queryModemState"}, 3},
        {"Escape or the close box", escape, false, false, {"modemHangUp", "queryModemState"}, 3},
        {"hang-up fails", closeButton, true, false, {"modemHangUp"}, 4},
        {"query after it fails", closeButton, false, true, {"modemHangUp", "queryModemState"}, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::FakeReceiver receiver;
        receiver.modemState = 3;
        if (row.hangUpFails)
            receiver.fail("modemHangUp");
        if (row.queryFails)
            receiver.fail("queryModemState");
        CDialingDialog dialog(&receiver);
        dialog.setNumber(u"0301234");
        ASSERT_TRUE(kit_.open(dialog));
        const int cursorsBefore = kit_.waitCursorShowCount();
        row.close(kit_, dialog);
        EXPECT_EQ(dialog.GetResult(), framework::IDCANCEL);
        EXPECT_EQ(receiver.calls(), row.calls);
        EXPECT_EQ(dialog.lastState(), row.lastState);
        EXPECT_EQ(kit_.waitCursorShowCount(), cursorsBefore + 1);
        EXPECT_EQ(kit_.waitCursorDepth(), 0);
        EXPECT_FALSE(tick(dialog)) << "no polling after the hang-up";
    }
}

TEST_F(DialingTest, ModalDialogThatSeesOnlineAtTheFirstTickEndsAfterIt) {
    receiver_.modemState = 5;
    CDialingDialog dialog(&receiver_);
    dialog.setNumber(u"0301234");
    int ticks = 0;
    kit_.queueModalHandler([&](framework::CWnd& window) {
        auto& modal = dynamic_cast<CDialingDialog&>(window);
        while (modal.GetResult() == -1 && ticks < 5) {
            ASSERT_TRUE(tick(modal));
            ++ticks;
        }
    });
    EXPECT_EQ(dialog.DoModal(), framework::IDOK);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(dialog.lastState(), 5u);
    EXPECT_EQ(receiver_.calls(), Calls{"queryModemState"});
}

}  // namespace
}  // namespace zentrix::ui
