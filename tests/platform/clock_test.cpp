#include "platform/clock.h"

#include <gtest/gtest.h>

#include <chrono>

namespace zentrix::platform {
namespace {

using RealClock = std::chrono::steady_clock;

TEST(Clock, TickDifferencesSurviveTheWrap) {
    ScopedClockSpeed fast(1000);
    Clock::setTickCount(0xFFFFFFFFu - 500);
    const uint32_t start = Clock::tickCount();
    sleepMs(2000);
    const uint32_t now = Clock::tickCount();
    EXPECT_LT(now, start) << "the counter should have wrapped";
    EXPECT_GE(ticksSince(start), 2000u);
    EXPECT_LT(ticksSince(start), 60000u);
}

TEST(Clock, AcceleratedSleepOfTwoMinutesTakesMilliseconds) {
    ScopedClockSpeed fast(10000);
    const auto realStart = RealClock::now();
    const uint32_t start = Clock::tickCount();
    sleepMs(120000);
    EXPECT_GE(ticksSince(start), 120000u);
    EXPECT_LT(RealClock::now() - realStart, std::chrono::seconds(5));
}

TEST(Clock, ChangingTheSpeedNeverMovesTicksBackwards) {
    uint32_t last = Clock::tickCount();
    for (uint32_t factor : {1u, 1000u, 1u, 50u, 1u}) {
        ScopedClockSpeed speed(factor);
        const uint32_t now = Clock::tickCount();
        sleepMs(20);
        const uint32_t later = Clock::tickCount();
        // In wrap-safe arithmetic a step backwards would show as a difference above 2^31.
        EXPECT_LT(now - last, 0x80000000u) << "factor " << factor;
        EXPECT_GE(later - now, 20u) << "factor " << factor;
        EXPECT_LT(later - now, 0x80000000u);
        last = now;
    }
}

TEST(Clock, DeadlinesAndRemainingTime) {
    EXPECT_EQ(Clock::deadlineAfter(kInfinite), Clock::RealClock::time_point::max());
    EXPECT_EQ(Clock::remainingMs(Clock::RealClock::time_point::max()), kInfinite);
    EXPECT_EQ(Clock::realMsUntil(Clock::RealClock::time_point::max()), -1);
    EXPECT_EQ(Clock::remainingMs(Clock::RealClock::now() - std::chrono::seconds(1)), 0u);
    EXPECT_EQ(Clock::realMsUntil(Clock::RealClock::now() - std::chrono::seconds(1)), 0);

    ScopedClockSpeed fast(100);
    const auto deadline = Clock::deadlineAfter(10000);
    const uint32_t remaining = Clock::remainingMs(deadline);
    EXPECT_LE(remaining, 10000u);
    EXPECT_GT(remaining, 5000u);
    EXPECT_LE(Clock::realMsUntil(deadline), 100);
}

}  // namespace
}  // namespace zentrix::platform
