#include "today/host/today_host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "framework/broadcast.h"
#include "framework/resources.h"
#include "framework/test_kit.h"
#include "resources/resource_ids.h"
#include "tests/framework/peer_process.h"
#include "tests/support/test_support.h"

namespace zentrix::today {
namespace {

using namespace framework;

class TodayHostTest : public ::testing::Test {
  protected:
    void TearDown() override { StopListeningForBroadcasts(); }

    platform::Registry& registry() { return *platform::Registry::device(); }
    static CWnd& wnd(HWND window) { return *CWnd::FromHandle(window); }
    /// Runs the event loop until `done`, at most five seconds.
    template <class Done>
    bool processUntil(Done done) {
        const auto start = std::chrono::steady_clock::now();
        while (!done()) {
            if (std::chrono::steady_clock::now() - start > std::chrono::seconds(5))
                return false;
            kit_.processEvents();
        }
        return true;
    }

    test::ScratchDeviceRoot root_;
    ScopedTestKit kit_;
};

TEST_F(TodayHostTest, ShowsThePluginBuiltByTheProjectAtTheHeightItReports) {
    // No list: the packaged plug-in, which the test finds as the build made it.
    TodayHost host(platform::Registry::device());
    ASSERT_TRUE(host.create());
    ASSERT_EQ(host.items().size(), 1u);
    const HostedItem& item = host.items()[0];
    EXPECT_EQ(item.entry.path, ZENTRIX_TODAY_ITEM_PATH);
    ASSERT_TRUE(item.library && item.library->isOpen()) << item.library->error();
    EXPECT_NE(item.library->initialize(), nullptr);
    EXPECT_NE(item.library->optionsProc(), nullptr);
    EXPECT_TRUE(host.problems().empty());

    ASSERT_NE(item.window, nullptr);
    EXPECT_EQ(item.description->hwndCustom, item.window);
    EXPECT_GT(item.description->cyp, 0u);
    CRect hostClient, itemRect;
    GetClientRect(host.window(), &hostClient);
    wnd(item.window).GetWindowRect(&itemRect);
    wnd(host.window()).ScreenToClient(&itemRect);
    EXPECT_EQ(itemRect, CRect(0, 0, hostClient.Width(), static_cast<int>(item.description->cyp)));
    // Asked again without a change, the item keeps its place.
    host.pollItems();
    EXPECT_EQ(host.items()[0].window, item.window);
}

TEST_F(TodayHostTest, ItemsThatCannotBeLoadedAreNamedAndTheOthersStillShow) {
    const std::filesystem::path text = root_.path() / "notes.so";
    std::ofstream(text) << "not a shared object";
    const struct {
        const char16_t* name;
        std::string path;
        const char* reason;  // part of the line the window shows
    } broken[] = {
        {u"Missing", (root_.path() / "missing.so").string(), "missing.so"},
        {u"Text", text.string(), "notes.so"},
        {u"Plain", ZENTRIX_TODAY_NO_EXPORTS_PATH, "InitializeCustomItem"},
    };
    std::vector<HostItemEntry> list;
    uint32_t order = 0;
    for (const auto& b : broken) list.push_back({b.name, b.path, order++, true});
    list.push_back({u"Off", (root_.path() / "off.so").string(), order++, false});
    list.push_back({u"Launcher", ZENTRIX_TODAY_ITEM_PATH, order++, true});
    ASSERT_TRUE(saveItemList(registry(), list));

    TodayHost host(platform::Registry::device());
    ASSERT_TRUE(host.create());
    ASSERT_EQ(host.problems().size(), std::size(broken));
    for (size_t i = 0; i < std::size(broken); ++i) {
        const std::string line = platform::toUtf8(host.problems()[i]);
        EXPECT_NE(line.find(platform::toUtf8(broken[i].name)), std::string::npos) << line;
        EXPECT_NE(line.find(broken[i].reason), std::string::npos) << line;
    }
    // The disabled item is not even tried; the good one shows.
    ASSERT_EQ(host.items().size(), 1u);
    EXPECT_EQ(host.items()[0].entry.name, u"Launcher");
    EXPECT_NE(host.items()[0].window, nullptr);
    // Reported once per load, not at every poll.
    host.pollItems();
    EXPECT_EQ(host.problems().size(), std::size(broken));
    CBitmap image;
    EXPECT_TRUE(kit_.render(wnd(host.window()), image));  // paints the lines without harm
}

TEST_F(TodayHostTest, ARefreshBroadcastFromAnotherProcessReloadsTheItems) {
    TodayHost host(platform::Registry::device());
    ASSERT_TRUE(host.create());
    ASSERT_TRUE(ListenForBroadcasts());
    ASSERT_EQ(host.items().size(), 1u);
    const HWND before = host.items()[0].window;
    ASSERT_NE(before, nullptr);

    // Another setting changed: no reload. Then the Today refresh.
    for (const char* wParam : {"7", "242"}) {
        test::PeerProcess peer(ZENTRIX_BROADCAST_PEER, {"send", "26", wParam, "0"});
        ASSERT_TRUE(peer.started());
        EXPECT_EQ(peer.readLine(5000), "1") << wParam;
        EXPECT_EQ(peer.wait(), 0);
    }
    ASSERT_TRUE(processUntil([&] { return host.loadCount() > 1; }));
    kit_.processEvents();
    EXPECT_EQ(host.loadCount(), 2);
    ASSERT_EQ(host.items().size(), 1u);
    EXPECT_EQ(CWnd::FromHandle(before), nullptr);  // the old window is gone
    ASSERT_NE(host.items()[0].window, nullptr);    // and a new one made
    EXPECT_NE(host.items()[0].window, before);
    EXPECT_GT(host.items()[0].description->cyp, 0u);
}

TEST_F(TodayHostTest, ItemsOpensTheOptionsAndARefreshMeanwhileWaitsForItsEnd) {
    TodayHost host(platform::Registry::device());
    ASSERT_TRUE(host.create());
    ASSERT_EQ(host.items().size(), 1u);
    bool opened = false;
    kit_.queueModalHandler([&](CWnd& dialog) {
        opened = true;
        // The options were saved: the refresh arrives while the plug-in's dialog still runs.
        BroadcastMessage(WM_WININICHANGE, kTodayRefreshCode, 0);
        kit_.processEvents();
        EXPECT_EQ(host.loadCount(), 1);
        EXPECT_TRUE(host.items()[0].library->isOpen());
        EndDialog(dialog.GetSafeHwnd(), IDCANCEL);
    });
    ASSERT_TRUE(kit_.click(wnd(host.window()), IDC_TODAY_HOST_ITEMS));
    EXPECT_TRUE(opened);
    EXPECT_EQ(host.loadCount(), 2);  // once the dialog had ended
    EXPECT_TRUE(kit_.messageBoxes().empty());
}

// A window whose tap waits in a modal dialog, as an item's tap-and-hold on a tab does.
LRESULT quietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? 1 : 0;
}
LRESULT waitingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONUP) {
        DialogBoxParam(nullptr, IDD_TODAY_HOST, window, quietDialogProc, 0);
        return 0;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

TEST_F(TodayHostTest, ARefreshWhileAHandlerWaitsInADialogWaitsForTheNextPoll) {
    TodayHost host(platform::Registry::device());
    ASSERT_TRUE(host.create());
    WNDCLASS waiting;
    waiting.lpfnWndProc = waitingWindowProc;
    waiting.lpszClassName = u"TodayHostTestWaiting";
    RegisterClass(&waiting);
    const HWND window =
        CreateWindow(u"TodayHostTestWaiting", u"", WS_VISIBLE, 0, 0, 50, 50, nullptr, 0, nullptr);
    ASSERT_NE(window, nullptr);
    const HWND item = host.items()[0].window;
    kit_.queueModalHandler([&](CWnd& dialog) {
        BroadcastMessage(WM_WININICHANGE, kTodayRefreshCode, 0);
        kit_.processEvents();
        EXPECT_EQ(host.loadCount(), 1);
        EXPECT_NE(CWnd::FromHandle(item), nullptr);
        EndDialog(dialog.GetSafeHwnd(), IDOK);
    });
    kit_.tap(wnd(window), CPoint(5, 5));
    kit_.processEvents();
    EXPECT_EQ(host.loadCount(), 1);
    ASSERT_TRUE(kit_.fireTimer(wnd(host.window()), TodayHost::kRefreshPollTimer));
    EXPECT_EQ(host.loadCount(), 2);
    EXPECT_EQ(CWnd::FromHandle(item), nullptr);
    DestroyWindow(window);
    UnregisterClass(u"TodayHostTestWaiting", nullptr);
}

TEST_F(TodayHostTest, ItemsWithoutAnItemToSetUpSaysSo) {
    ASSERT_TRUE(saveItemList(registry(), {{u"Missing", "/nonexistent/libitem.so", 0, true}}));
    TodayHost host(platform::Registry::device());
    ASSERT_TRUE(host.create());
    kit_.queueMessageBoxAnswers({IDOK});
    ASSERT_TRUE(kit_.click(wnd(host.window()), IDC_TODAY_HOST_ITEMS));
    ASSERT_EQ(kit_.messageBoxes().size(), 1u);
    EXPECT_EQ(kit_.messageBoxes()[0].text, loadString(IDS_TODAY_HOST_NO_ITEM));
}

TEST_F(TodayHostTest, ClosingUnloadsTheItemsBeforeTheWindowGoes) {
    TodayHost host(platform::Registry::device());
    ASSERT_TRUE(host.create());
    const HWND item = host.items()[0].window;
    ASSERT_NE(item, nullptr);
    wnd(host.window()).OnKeyCommand(IDCANCEL);  // the close box
    EXPECT_EQ(host.window(), nullptr);
    EXPECT_TRUE(host.items().empty());
    EXPECT_EQ(CWnd::FromHandle(item), nullptr);
}

}  // namespace
}  // namespace zentrix::today
