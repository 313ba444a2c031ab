#include "platform/wait_hook.h"

#include <algorithm>
#include <utility>

namespace zentrix::platform {
namespace {

thread_local WaitHook* t_hook = nullptr;
// Set while the thread runs inside its hook: a wait there (a paint handler's) blocks plainly
// rather than re-entering the hook from itself.
thread_local bool t_insideHook = false;

class InsideHook {
  public:
    InsideHook() { t_insideHook = true; }
    ~InsideHook() { t_insideHook = false; }
    InsideHook(const InsideHook&) = delete;
    InsideHook& operator=(const InsideHook&) = delete;
};

}  // namespace

WaitHook* setWaitHook(WaitHook* hook) {
    return std::exchange(t_hook, hook);
}

WaitHook* waitHook() {
    return t_hook;
}

HookedWait::HookedWait(bool mayCall) : hook_(mayCall && !t_insideHook ? t_hook : nullptr) {}

HookedWait::~HookedWait() {
    if (!called_)
        return;
    InsideHook inside;
    hook_->waitEnded();
}

Clock::RealClock::time_point HookedWait::sliceEnd(Clock::RealClock::time_point deadline) const {
    if (!hook_)
        return deadline;
    const auto now = Clock::RealClock::now();
    return std::min(deadline, hook_->waitsAbandoned() ? now : now + kWaitHookSlice);
}

bool HookedWait::between() {
    if (!hook_)
        return true;
    called_ = true;
    InsideHook inside;
    hook_->waiting();
    return !hook_->waitsAbandoned();
}

}  // namespace zentrix::platform
