// Posting messages from other threads, as the receiver's reader threads do, while the window
// thread makes and destroys windows.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <atomic>
#include <thread>
#include <vector>

#include "framework/test_kit.h"
#include "framework/window_proc.h"

namespace zentrix::framework {
namespace {

constexpr UINT kData = WM_USER + 1;

// What the target window received, per sending thread, in order.
std::vector<std::vector<LPARAM>> g_received;
int g_strays = 0;

LRESULT TargetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kData) {
        if (wParam < g_received.size())
            g_received[wParam].push_back(lParam);
        return 0;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

LRESULT ChurnProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kData)
        ++g_strays;
    return DefWindowProc(hwnd, message, wParam, lParam);
}

TEST(PostMessageThreads, ReaderThreadsPostWhileWindowsComeAndGo) {
    ScopedTestKit kit;
    constexpr int kThreads = 3;
    constexpr int kEach = 400;
    g_received.assign(kThreads, {});
    g_strays = 0;
    WNDCLASS target;
    target.lpfnWndProc = TargetProc;
    target.lpszClassName = u"cPostTarget";
    ASSERT_TRUE(RegisterClass(&target));
    WNDCLASS churn;
    churn.lpfnWndProc = ChurnProc;
    churn.lpszClassName = u"cPostChurn";
    ASSERT_TRUE(RegisterClass(&churn));
    HWND window = CreateWindow(u"cPostTarget", u"", 0, 0, 0, 20, 20, nullptr, 0, nullptr);
    ASSERT_NE(window, nullptr);
    // A window destroyed before the threads start: posting to it fails from any thread.
    HWND gone = CreateWindow(u"cPostChurn", u"", 0, 0, 0, 20, 20, nullptr, 0, nullptr);
    ASSERT_TRUE(DestroyWindow(gone));

    std::atomic<int> finished{0};
    std::atomic<int> refusedGone{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < kThreads; ++t) {
        readers.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                EXPECT_TRUE(PostMessage(window, kData, static_cast<WPARAM>(t), i));
                refusedGone += !PostMessage(gone, kData, 0, 0);
            }
            ++finished;
        });
    }
    // Meanwhile the window thread changes the set of windows and delivers what has arrived.
    while (finished < kThreads) {
        HWND passing = CreateWindow(u"cPostChurn", u"", 0, 0, 0, 20, 20, nullptr, 0, nullptr);
        EXPECT_TRUE(PostMessage(passing, kData, 0, 0));
        EXPECT_TRUE(DestroyWindow(passing));  // before its message's turn: it is dropped
        kit.processEvents();
    }
    for (std::thread& reader : readers) reader.join();
    QElapsedTimer clock;
    clock.start();
    auto total = [] {
        size_t n = 0;
        for (const auto& from : g_received) n += from.size();
        return n;
    };
    while (total() < static_cast<size_t>(kThreads * kEach) && clock.elapsed() < 10000)
        kit.processEvents();

    for (int t = 0; t < kThreads; ++t) {
        SCOPED_TRACE(t);
        ASSERT_EQ(g_received[t].size(), static_cast<size_t>(kEach));
        for (int i = 0; i < kEach; ++i) EXPECT_EQ(g_received[t][i], i);  // in the order posted
    }
    EXPECT_EQ(refusedGone, kThreads * kEach);
    EXPECT_EQ(g_strays, 0);
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(UnregisterClass(u"cPostTarget", nullptr));
    EXPECT_TRUE(UnregisterClass(u"cPostChurn", nullptr));
}

}  // namespace
}  // namespace zentrix::framework
