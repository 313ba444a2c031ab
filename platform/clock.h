// The one clock behind every tick, wait and sleep of the program.
//
// The receiver's time-outs run from 15 ms to 120 s. Tests must exercise every one of them without
// waiting real seconds, so nothing in the program reads the system clock or sleeps directly: it
// asks this clock. The program always runs it at real speed; a test may speed it up (a factor of
// 1000 turns a 120 s wait into 120 ms) and may place the tick counter anywhere, for example just
// before its wrap.
#pragma once

#include <chrono>
#include <cstdint>

namespace zentrix::platform {

/// The value that makes a wait last for ever.
inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;

class Clock {
public:
    using RealClock = std::chrono::steady_clock;

    /// Milliseconds since an arbitrary start, as a 32-bit counter that wraps after 49.7 days.
    static uint32_t tickCount();

    /// Blocks the calling thread for `ms` clock milliseconds.
    static void sleep(uint32_t ms);

    /// The real point in time at which a wait of `ms` clock milliseconds that starts now ends;
    /// `RealClock::time_point::max()` for `kInfinite`.
    static RealClock::time_point deadlineAfter(uint32_t ms);

    /// Clock milliseconds still to go before a deadline from `deadlineAfter` (0 once it passed,
    /// `kInfinite` for an infinite deadline). Rounded up so that a wait never ends early.
    static uint32_t remainingMs(RealClock::time_point deadline);

    /// Real milliseconds until a deadline, rounded up, for system calls such as poll():
    /// -1 for an infinite deadline, 0 once it passed.
    static int realMsUntil(RealClock::time_point deadline);

    /// Test hooks. `factor` clock milliseconds pass per real millisecond (1 = real time).
    static void setSpeed(uint32_t factor);
    static uint32_t speed();
    /// Makes `tickCount` read `ticks` now and count on from there.
    static void setTickCount(uint32_t ticks);
};

/// Unsigned tick arithmetic is wrap-safe: the time since `startTicks`, across a wrap too.
inline uint32_t ticksSince(uint32_t startTicks) { return Clock::tickCount() - startTicks; }

/// Sleep for `ms` clock milliseconds.
inline void sleepMs(uint32_t ms) { Clock::sleep(ms); }

/// Runs the clock `factor` times faster for the life of the guard (tests only).
class ScopedClockSpeed {
public:
    explicit ScopedClockSpeed(uint32_t factor) : previous_(Clock::speed()) { Clock::setSpeed(factor); }
    ~ScopedClockSpeed() { Clock::setSpeed(previous_); }
    ScopedClockSpeed(const ScopedClockSpeed&) = delete;
    ScopedClockSpeed& operator=(const ScopedClockSpeed&) = delete;

private:
    uint32_t previous_;
};

}  // namespace zentrix::platform
