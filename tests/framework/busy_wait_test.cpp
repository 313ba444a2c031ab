// Long receiver waits on the window thread: a page whose free-text command waits its full 45 s
// for a silent receiver stays painted under the wait cursor, while its timer, a click on it and
// a posted message all wait for the command to return. The receiver is played on a
// pseudo-terminal, on a clock a hundred times faster (45 s are 450 ms).
#include "framework/busy_wait.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/test_kit.h"
#include "framework/window_proc.h"
#include "resources/resource_ids.h"
#include "tests/receiver/commands/command_support.h"

namespace zentrix::framework {
namespace {

// Set by the test around the command: every handler below notes whether it ran inside it.
bool g_commandRunning = false;

struct Seen {
    int during = 0;
    int after = 0;
    void note() { ++(g_commandRunning ? during : after); }
};

bool waitCursorShows() {
    const QCursor* cursor = QApplication::overrideCursor();
    return waitCursorDepth() > 0 && cursor && cursor->shape() == Qt::WaitCursor;
}

Seen g_posted;
LRESULT probeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER)
        g_posted.note();
    return DefWindowProc(window, message, wParam, lParam);
}

class Gauge : public CStatic {
  public:
    void OnPaint() override {
        CPaintDC dc(this);
        paints.note();
        if (g_commandRunning) {
            cursorShownAtEveryPaint = cursorShownAtEveryPaint && waitCursorShows();
            // A message posted while painting inside the wait.
            if (probe)
                PostMessage(probe, WM_USER, 0, 0);
        }
    }
    Seen paints;
    bool cursorShownAtEveryPaint = true;
    HWND probe = nullptr;
};

class CommandPage : public CDialog {
  public:
    static constexpr UINT kSendId = 1052;
    CommandPage() : CDialog(IDD_SAMPLE_PAGE_EXTRA) {
        MapNotification(BN_CLICKED, kSendId, &CommandPage::OnSend);
    }
    void OnTimer(UINT_PTR) override { ticks.note(); }
    void OnSend() {
        clicks.note();
        if (onSend)
            onSend();
    }
    Seen ticks;
    Seen clicks;
    std::function<void()> onSend;
};

class LongWait : public receiver::test::ReceiverOnLine {
  protected:
    ScopedTestKit kit_;
};

TEST_F(LongWait, AFreeTextCommandKeepsThePagePaintedAndHoldsTimersClicksAndMessages) {
    CommandPage page;
    ASSERT_TRUE(kit_.open(page));
    Gauge gauge;
    ASSERT_TRUE(gauge.Create(u"", WS_CHILD | WS_VISIBLE, CRect(10, 20, 60, 70), &page, 1051));
    CButton send;
    ASSERT_TRUE(send.Create(u"Send", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(70, 20, 130, 44),
                            &page, CommandPage::kSendId));
    WNDCLASS probeClass;
    probeClass.lpfnWndProc = probeProcedure;
    probeClass.lpszClassName = u"BusyWaitProbe";
    ASSERT_TRUE(RegisterClass(&probeClass));
    gauge.probe = CreateWindow(u"BusyWaitProbe", u"", WS_CHILD, 0, 0, 1, 1, page.GetSafeHwnd(),
                               1053, nullptr);
    ASSERT_NE(gauge.probe, nullptr);
    kit_.processEvents();
    page.SetTimer(1, 5);

    // The receiver says nothing; meanwhile the window system asks for the gauge to be redrawn
    // and the user taps Send (made here, posted from the receiver's thread).
    QWidget* button = send.widget();
    const QPointF at(button->width() / 2.0, button->height() / 2.0);
    const QPointF global = button->mapToGlobal(at);
    auto press = std::make_shared<QMouseEvent>(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                               Qt::LeftButton, Qt::NoModifier);
    auto release = std::make_shared<QMouseEvent>(QEvent::MouseButtonRelease, at, global,
                                                 Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QWidget* gaugeWidget = gauge.widget();
    peer_.script([&, press, release](const std::string&) {
        QMetaObject::invokeMethod(
            gaugeWidget, [&gauge] { gauge.Invalidate(); }, Qt::QueuedConnection);
        QCoreApplication::postEvent(button, press->clone());
        QCoreApplication::postEvent(button, release->clone());
        return std::vector<receiver::test::Answer>{};
    });

    g_commandRunning = true;
    uint32_t result = 9;
    const uint32_t waited = timed([&] { result = rx_.sendFreeCommand("$PQELQ,XYZ"); });
    g_commandRunning = false;
    EXPECT_EQ(result, 2u);
    EXPECT_GE(waited, 45000u);
    ASSERT_EQ(peer_.lines().size(), 1u);

    EXPECT_GE(gauge.paints.during, 1) << "the window went unpainted for the whole wait";
    EXPECT_TRUE(gauge.cursorShownAtEveryPaint);
    EXPECT_EQ(page.ticks.during, 0);
    EXPECT_EQ(page.clicks.during, 0);
    EXPECT_EQ(g_posted.during, 0);
    EXPECT_EQ(kit_.waitCursorDepth(), 0) << "the wait took down only what it put up";

    // What waited arrives with the next rounds of the event loop: the click once, the posted
    // message once, the timer's held tick and its later ones.
    const auto delivered = [&] {
        return page.clicks.after > 0 && page.ticks.after > 0 &&
               g_posted.after >= gauge.paints.during;
    };
    for (int i = 0; i < 200 && !delivered(); ++i) {
        kit_.processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(page.clicks.after, 1);
    EXPECT_GE(page.ticks.after, 1);
    EXPECT_EQ(g_posted.after, gauge.paints.during) << "one message from each paint in the wait";
    page.KillTimer(1);
    DestroyWindow(gauge.probe);
    UnregisterClass(u"BusyWaitProbe", nullptr);
}

TEST_F(LongWait, AnUnplugDuringTheWaitEndsItAtOnce) {
    CommandPage page;
    ASSERT_TRUE(kit_.open(page));
    // The device goes 100 ms (10 s on the clock) into the 45 s wait.
    peer_.script([this](const std::string&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pty_.releaseSlave();
        pty_.closeMaster();
        return std::vector<receiver::test::Answer>{};
    });
    uint32_t result = 9;
    const uint32_t waited = timed([&] { result = rx_.sendFreeCommand("$PQELQ,XYZ"); });
    EXPECT_EQ(result, 2u);
    EXPECT_GE(waited, 10000u);
    EXPECT_LT(waited, 30000u) << "the wait outlived the device";
    // Also orders the receiver thread's closing of the master before the fixture's use of it.
    EXPECT_EQ(peer_.lines().size(), 1u);
}

// A window that exists to stop the wait (a start-up window's Cancel) takes its click inside the
// wait, while a click on any other window still waits; its handler gives the wait up, and the
// 45 s command ends at once as a time-out.
TEST_F(LongWait, AResponsiveWindowTakesItsClickInsideTheWaitAndCanGiveTheWaitUp) {
    CommandPage other;
    ASSERT_TRUE(kit_.open(other));
    CommandPage cancelling;
    ASSERT_TRUE(kit_.open(cancelling));
    CButton otherSend;
    CButton cancel;
    for (auto [button, page] : {std::pair{&otherSend, &other}, std::pair{&cancel, &cancelling}}) {
        ASSERT_TRUE(button->Create(u"Send", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                   CRect(70, 20, 130, 44), page, CommandPage::kSendId));
    }
    kit_.processEvents();
    ResponsiveDuringWaits responsive(cancelling);

    const auto tap = [](CButton& button) {
        QWidget* widget = button.widget();
        const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
        const QPointF global = widget->mapToGlobal(at);
        QCoreApplication::postEvent(
            widget, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                    Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(
            widget, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                    Qt::NoButton, Qt::NoModifier));
    };
    QWidget* otherWidget = otherSend.widget();
    QWidget* cancelWidget = cancel.widget();
    peer_.script([&](const std::string&) {
        QMetaObject::invokeMethod(
            otherWidget, [&] { tap(otherSend); }, Qt::QueuedConnection);
        QMetaObject::invokeMethod(
            cancelWidget, [&] { tap(cancel); }, Qt::QueuedConnection);
        return std::vector<receiver::test::Answer>{};
    });
    cancelling.onSend = [] { abandonWaits(true); };

    g_commandRunning = true;
    uint32_t result = 9;
    const uint32_t waited = timed([&] { result = rx_.sendFreeCommand("$PQELQ,XYZ"); });
    g_commandRunning = false;
    const bool abandoned = waitsAbandoned();
    abandonWaits(false);
    EXPECT_TRUE(abandoned);
    EXPECT_EQ(result, 2u) << "given up, the command reports a time-out";
    EXPECT_LT(waited, 20000u) << "the wait went on after Cancel";
    EXPECT_EQ(other.clicks.during, 0) << "only the responsive window takes input in the wait";
    for (int i = 0; i < 200 && other.clicks.after == 0; ++i) {
        kit_.processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(other.clicks.after, 1) << "held, not lost";
}

}  // namespace
}  // namespace zentrix::framework
