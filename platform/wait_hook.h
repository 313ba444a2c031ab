// Long waits on the user-interface thread, kept from freezing the windows.
//
// Receiver transactions run on the user-interface thread and block it on the reader's events,
// some for minutes. A desktop greys out a window that does not repaint for a few seconds, so such
// a wait must hand the thread back to the window layer now and then, and only for painting: no
// input, no timer handler and no second transaction may run inside it. The platform layer knows
// nothing of windows. The window layer therefore registers a hook for the thread that runs the
// windows; a wait on that thread that is not over after one slice calls the hook between slices,
// and tells it once when the wait has ended. Waits on every other thread (the reader's) never see
// the hook, and neither does a wait that starts inside the hook itself.
#pragma once

#include <chrono>

#include "platform/clock.h"

namespace zentrix::platform {

/// What a thread does while one of its waits lasts (the window layer paints its windows).
class WaitHook {
  public:
    virtual ~WaitHook() = default;
    /// Called between two slices of a wait that is still going on; returns soon.
    virtual void waiting() = 0;
    /// Called once when a wait that called `waiting` has ended, however it ended.
    virtual void waitEnded() = 0;
    /// True while the thread's waits are to end at once, as if their time had run out: the user
    /// cancelled what they wait for (a search for the receiver). Asked before and between slices.
    virtual bool waitsAbandoned() const { return false; }
};

/// Registers `hook` for the calling thread (null removes it) and answers the one it replaces.
/// The hook must outlive its registration and is never changed from inside one of its calls.
WaitHook* setWaitHook(WaitHook* hook);
/// The calling thread's hook, or null.
WaitHook* waitHook();

/// Real time a hooked wait blocks between two calls of its hook: short enough for the windows
/// to follow a resize or an uncovering without a visible lag, long enough that a reply that comes
/// within it costs no call at all. Real time, not clock time: it is about the screen, and the
/// clock of a test may run a thousand times faster.
inline constexpr std::chrono::milliseconds kWaitHookSlice{25};

/// One wait as the calling thread's hook sees it: a waiting primitive makes one, blocks until
/// `sliceEnd`, calls `between` while it goes on and, when done, lets the object go, which reports
/// the end to the hook when it was called. Call `between` without holding locks the hook's work
/// could need (the thread that would release the wait takes them).
class HookedWait {
  public:
    /// `mayCall` false (a wait that only tests) never calls the hook.
    explicit HookedWait(bool mayCall = true);
    ~HookedWait();
    HookedWait(const HookedWait&) = delete;
    HookedWait& operator=(const HookedWait&) = delete;

    /// Whether this wait runs in slices.
    bool sliced() const { return hook_ != nullptr; }
    /// Where the current slice ends: one slice from now, or `deadline` when that is sooner
    /// (`deadline` itself when the wait is not sliced; now when the hook abandons waits).
    Clock::RealClock::time_point sliceEnd(Clock::RealClock::time_point deadline) const;
    /// Hands the thread to the hook between two slices; false when the wait is to end now as
    /// if its time had run out.
    bool between();

  private:
    WaitHook* hook_;
    bool called_ = false;
};

/// Registers a hook for the calling thread for the life of the guard.
class ScopedWaitHook {
  public:
    explicit ScopedWaitHook(WaitHook& hook) : previous_(setWaitHook(&hook)) {}
    ~ScopedWaitHook() { setWaitHook(previous_); }
    ScopedWaitHook(const ScopedWaitHook&) = delete;
    ScopedWaitHook& operator=(const ScopedWaitHook&) = delete;

  private:
    WaitHook* previous_;
};

}  // namespace zentrix::platform
