#include "platform/clock.h"

#include <mutex>
#include <thread>

#include "platform/wait_hook.h"

namespace zentrix::platform {
namespace {

using namespace std::chrono;

// The tick counter is `tickBase + (now - realBase) * speed`. Changing the speed or the count
// re-bases it, so the counter never jumps backwards when a test changes the speed.
struct ClockState {
    std::mutex mutex;
    Clock::RealClock::time_point realBase = Clock::RealClock::now();
    uint64_t tickBase = 0;
    uint32_t speed = 1;

    uint64_t ticksAt(Clock::RealClock::time_point t) const {
        const auto elapsed = duration_cast<microseconds>(t - realBase).count();
        return tickBase + static_cast<uint64_t>(elapsed) * speed / 1000;
    }
    void rebase(Clock::RealClock::time_point now) {
        tickBase = ticksAt(now);
        realBase = now;
    }
};

ClockState& state() {
    static ClockState s;
    return s;
}

}  // namespace

uint32_t Clock::tickCount() {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    return static_cast<uint32_t>(s.ticksAt(RealClock::now()));
}

void Clock::sleep(uint32_t ms) {
    // A sleep on the user-interface thread is a wait like any other: it keeps the windows painted
    // through the thread's wait hook, in slices, and still ends on the clock.
    const auto deadline = deadlineAfter(ms);
    HookedWait hooked(ms != 0);
    for (;;) {
        const auto until = hooked.sliceEnd(deadline);
        if (until == RealClock::time_point::max()) {
            for (;;) std::this_thread::sleep_for(hours(24));
        }
        std::this_thread::sleep_until(until);
        if (!hooked.sliced() || RealClock::now() >= deadline) return;
        if (!hooked.between()) return;
    }
}

Clock::RealClock::time_point Clock::deadlineAfter(uint32_t ms) {
    if (ms == kInfinite) return RealClock::time_point::max();
    const auto realMicros = static_cast<uint64_t>(ms) * 1000 / speed();
    return RealClock::now() + microseconds(realMicros);
}

uint32_t Clock::remainingMs(RealClock::time_point deadline) {
    if (deadline == RealClock::time_point::max()) return kInfinite;
    const auto now = RealClock::now();
    if (deadline <= now) return 0;
    const auto realMicros = static_cast<uint64_t>(duration_cast<microseconds>(deadline - now).count());
    const uint64_t ms = (realMicros * speed() + 999) / 1000;
    return ms >= kInfinite ? kInfinite - 1 : static_cast<uint32_t>(ms);
}

int Clock::realMsUntil(RealClock::time_point deadline) {
    if (deadline == RealClock::time_point::max()) return -1;
    const auto now = RealClock::now();
    if (deadline <= now) return 0;
    const auto realMicros = duration_cast<microseconds>(deadline - now).count();
    const auto ms = (realMicros + 999) / 1000;
    return ms > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(ms);
}

void Clock::setSpeed(uint32_t factor) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    s.rebase(RealClock::now());
    s.speed = factor == 0 ? 1 : factor;
}

uint32_t Clock::speed() {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    return s.speed;
}

void Clock::setTickCount(uint32_t ticks) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    s.realBase = RealClock::now();
    s.tickBase = ticks;
}

}  // namespace zentrix::platform
