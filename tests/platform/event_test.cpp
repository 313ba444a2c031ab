#include "platform/event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace zentrix::platform {
namespace {

// Waiters that each wait once on `event` and count how many were released.
struct Waiters {
    std::atomic<int> released{0};
    std::vector<std::thread> threads;

    Waiters(Event& event, int count, uint32_t timeoutMs) {
        for (int i = 0; i < count; ++i) {
            threads.emplace_back([&event, this, timeoutMs] {
                if (event.wait(timeoutMs)) ++released;
            });
        }
    }
    void join() {
        for (auto& t : threads) t.join();
    }
};

TEST(Event, AutoResetReleasesOneWaiterAndClearsItself) {
    ScopedClockSpeed fast(100);
    Event event(Event::Reset::Auto);
    Waiters waiters(event, 2, 20000);
    sleepMs(2000);
    event.set();
    waiters.join();
    EXPECT_EQ(waiters.released, 1);
    EXPECT_FALSE(event.wait(0)) << "the released waiter should have cleared the event";
}

TEST(Event, ManualResetReleasesEveryWaiterAndStaysSet) {
    ScopedClockSpeed fast(100);
    Event event(Event::Reset::Manual);
    Waiters waiters(event, 3, 20000);
    sleepMs(2000);
    event.set();
    waiters.join();
    EXPECT_EQ(waiters.released, 3);
    EXPECT_TRUE(event.wait(0));
    event.reset();
    EXPECT_FALSE(event.wait(0));
}

TEST(Event, SignalledBeforeTheWaitReleasesAtOnce) {
    Event autoEvent(Event::Reset::Auto, true);
    EXPECT_TRUE(autoEvent.wait(0));
    EXPECT_FALSE(autoEvent.wait(0));
    autoEvent.set();
    autoEvent.reset();
    EXPECT_FALSE(autoEvent.wait(0));
}

TEST(Event, TimeOutRunsItsFullLengthOnTheClock) {
    ScopedClockSpeed fast(1000);
    Event event(Event::Reset::Auto);
    for (uint32_t timeoutMs : {15u, 10000u, 120000u}) {
        const uint32_t start = Clock::tickCount();
        EXPECT_FALSE(event.wait(timeoutMs));
        EXPECT_GE(ticksSince(start), timeoutMs);
    }
}

TEST(EventSlot, AbsentEventFailsAtOnce) {
    EventSlot slot;
    EXPECT_FALSE(slot.exists());
    const uint32_t start = Clock::tickCount();
    EXPECT_FALSE(slot.wait(kInfinite));
    EXPECT_LT(ticksSince(start), 1000u);
    EXPECT_FALSE(slot.set());
    EXPECT_FALSE(slot.reset());
}

TEST(EventSlot, LivesFromCreateToClose) {
    EventSlot slot;
    ASSERT_TRUE(slot.create(Event::Reset::Auto));
    EXPECT_FALSE(slot.create(Event::Reset::Auto)) << "an existing event is not replaced";
    EXPECT_TRUE(slot.set());
    EXPECT_TRUE(slot.wait(0));
    slot.close();
    EXPECT_FALSE(slot.exists());
    EXPECT_FALSE(slot.wait(0));
    EXPECT_TRUE(slot.create(Event::Reset::Manual));
}

TEST(EventSlot, ClosingWakesEveryWaitInProgressWithFailureAtOnce) {
    // Slow enough that the full time-out (12 s real) would show: a pulled-out device during a
    // two-minute wait must not hold its waiters for two minutes.
    ScopedClockSpeed slow(10);
    for (const Event::Reset mode : {Event::Reset::Auto, Event::Reset::Manual}) {
        EventSlot slot;
        ASSERT_TRUE(slot.create(mode));
        std::atomic<int> started{0};
        std::atomic<int> released{0};
        std::vector<uint32_t> waitedMs(3);
        std::vector<std::thread> waiters;
        for (uint32_t& waited : waitedMs) {
            waiters.emplace_back([&] {
                const uint32_t start = Clock::tickCount();
                ++started;
                if (slot.wait(120000))
                    ++released;
                waited = ticksSince(start);
            });
        }
        while (started < 3) std::this_thread::yield();
        sleepMs(500);
        slot.close();
        for (auto& t : waiters) t.join();
        EXPECT_EQ(released, 0);
        for (uint32_t waited : waitedMs) {
            EXPECT_GE(waited, 500u) << "the wait had begun before the close";
            EXPECT_LT(waited, 5000u) << "the wait ran on after the close";
        }
        EXPECT_FALSE(slot.wait(120000)) << "and a wait after it fails at once";
    }
}

TEST(Event, ASignalThatCameBeforeTheCloseStillReleasesItsWaiter) {
    // The reader sets the reply event and then finds the line gone: the reply did arrive.
    Event event(Event::Reset::Auto);
    event.set();
    event.close();
    EXPECT_TRUE(event.wait(1000));
    const uint32_t start = Clock::tickCount();
    EXPECT_FALSE(event.wait(60000));
    EXPECT_LT(ticksSince(start), 1000u) << "a closed event fails at once";
}

}  // namespace
}  // namespace zentrix::platform
