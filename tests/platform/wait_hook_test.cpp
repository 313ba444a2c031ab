// The wait hook: who calls it, how often, and that the waits around it keep their meaning.
#include "platform/wait_hook.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>

#include "platform/event.h"

namespace zentrix::platform {
namespace {

class CountingHook : public WaitHook {
  public:
    void waiting() override {
        ++calls;
        ++depth;
        deepest = std::max(deepest, depth);
        if (onWaiting)
            onWaiting();
        --depth;
    }
    void waitEnded() override { ++ends; }
    bool waitsAbandoned() const override { return abandoned; }

    std::function<void()> onWaiting;
    bool abandoned = false;
    std::atomic<int> calls{0};
    std::atomic<int> ends{0};
    int depth = 0;
    int deepest = 0;
};

// Real time of one slice in clock milliseconds at `speed`.
uint32_t sliceMs(uint32_t speed) {
    return static_cast<uint32_t>(kWaitHookSlice.count()) * speed;
}

TEST(WaitHook, AWaitThatEndsWithinItsFirstSliceNeverCallsTheHook) {
    CountingHook hook;
    ScopedWaitHook scoped(hook);
    Event event(Event::Reset::Auto);
    EXPECT_FALSE(event.wait(0));
    EXPECT_FALSE(event.wait(5));
    event.set();
    EXPECT_TRUE(event.wait(kInfinite));
    sleepMs(0);
    sleepMs(5);
    EXPECT_EQ(hook.calls, 0);
    EXPECT_EQ(hook.ends, 0) << "no end is reported for a wait the hook never saw";
}

TEST(WaitHook, ALongWaitCallsItInSlicesAndStillEndsOnTheClockAcrossTheWrap) {
    const uint32_t speed = 10;
    ScopedClockSpeed fast(speed);
    CountingHook hook;
    ScopedWaitHook scoped(hook);
    Event event(Event::Reset::Manual);
    Clock::setTickCount(0xFFFFFFFFu - 500);
    const uint32_t start = Clock::tickCount();
    EXPECT_FALSE(event.wait(2000));
    const uint32_t waited = ticksSince(start);
    EXPECT_GE(waited, 2000u) << "slices must not end the wait early";
    EXPECT_LT(waited, 2000 + 2 * sliceMs(speed) + 500) << "nor make it much longer";
    EXPECT_GE(hook.calls, 3) << "2000 ms at this speed are 200 ms real, eight slices";
    EXPECT_EQ(hook.ends, 1);

    // A sleep is a wait like any other.
    const uint32_t sleepStart = Clock::tickCount();
    sleepMs(2000);
    EXPECT_GE(ticksSince(sleepStart), 2000u);
    EXPECT_GE(hook.calls, 6);
    EXPECT_EQ(hook.ends, 2);
}

TEST(WaitHook, ASignalWhileTheThreadIsInsideTheHookReleasesTheWait) {
    ScopedClockSpeed fast(10);
    CountingHook hook;
    ScopedWaitHook scoped(hook);
    Event event(Event::Reset::Auto);
    // As when the reader parses the reply while the windows are being painted.
    hook.onWaiting = [&] {
        if (hook.calls == 2)
            event.set();
    };
    const uint32_t start = Clock::tickCount();
    EXPECT_TRUE(event.wait(120000));
    EXPECT_LT(ticksSince(start), 5 * sliceMs(10));
    EXPECT_EQ(hook.calls, 2);
    EXPECT_EQ(hook.ends, 1);
    EXPECT_FALSE(event.wait(0)) << "the released wait cleared the auto-reset event";
}

TEST(WaitHook, AWaitInsideTheHookDoesNotReenterIt) {
    ScopedClockSpeed fast(10);
    CountingHook hook;
    ScopedWaitHook scoped(hook);
    Event outer(Event::Reset::Auto);
    Event inner(Event::Reset::Auto);
    hook.onWaiting = [&] {
        // Several slices long each; a paint handler that waits must not paint inside itself.
        inner.wait(4 * sliceMs(10));
        sleepMs(3 * sliceMs(10));
    };
    outer.wait(5 * sliceMs(10));
    EXPECT_GE(hook.calls, 1);
    EXPECT_EQ(hook.deepest, 1);
    EXPECT_EQ(hook.ends, 1) << "only the outer wait reports its end";
}

TEST(WaitHook, WaitsOnOtherThreadsNeverCallIt) {
    ScopedClockSpeed fast(10);
    CountingHook hook;
    ScopedWaitHook scoped(hook);
    EventSlot slot;
    ASSERT_TRUE(slot.create(Event::Reset::Auto));
    std::thread reader([&] {
        EXPECT_EQ(waitHook(), nullptr);
        EXPECT_FALSE(slot.wait(2000));
        sleepMs(2000);
    });
    reader.join();
    EXPECT_EQ(hook.calls, 0);
    EXPECT_EQ(waitHook(), &hook);
}

TEST(WaitHook, ClosingTheEventEndsAHookedWaitAtOnce) {
    // Slow, so that running the whole 120 s time-out would take 12 s of real time and show.
    ScopedClockSpeed slow(10);
    EventSlot slot;
    ASSERT_TRUE(slot.create(Event::Reset::Auto));
    CountingHook hook;
    std::atomic<bool> result{true};
    std::atomic<uint32_t> waited{0};
    std::thread window([&] {
        ScopedWaitHook scoped(hook);
        const uint32_t start = Clock::tickCount();
        result = slot.wait(120000);
        waited = ticksSince(start);
    });
    while (hook.calls < 2) std::this_thread::yield();
    slot.close();
    window.join();
    EXPECT_FALSE(result);
    EXPECT_LT(waited, 5000u);
    EXPECT_EQ(hook.ends, 1);
}

TEST(WaitHook, AbandonedWaitsEndAtOnceAsTimeOutsButStillSeeAnEventAlreadySet) {
    // Real seconds would show: 120 s of clock are 12 s here.
    ScopedClockSpeed slow(10);
    CountingHook hook;
    ScopedWaitHook scoped(hook);
    Event event(Event::Reset::Manual);

    // Given up from inside the hook, as a Cancel button does: the wait and the sleep that
    // follow it end within a slice, as time-outs.
    hook.onWaiting = [&] { hook.abandoned = true; };
    uint32_t start = Clock::tickCount();
    EXPECT_FALSE(event.wait(120000));
    sleepMs(120000);
    EXPECT_LT(ticksSince(start), 5000u);

    hook.onWaiting = nullptr;
    event.set();
    EXPECT_TRUE(event.wait(120000)) << "a reply that is already there still counts";

    // Until the hook takes it back.
    hook.abandoned = false;
    event.reset();
    start = Clock::tickCount();
    EXPECT_FALSE(event.wait(1000));
    EXPECT_GE(ticksSince(start), 1000u);
}

}  // namespace
}  // namespace zentrix::platform
