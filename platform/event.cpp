#include "platform/event.h"

#include "platform/wait_hook.h"

namespace zentrix::platform {

void Event::set() {
    // Notify while holding the lock: a released waiter may destroy the event as soon as it runs.
    std::lock_guard lock(mutex_);
    signalled_ = true;
    if (mode_ == Reset::Auto) {
        changed_.notify_one();
    } else {
        changed_.notify_all();
    }
}

void Event::reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

void Event::close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
}

bool Event::wait(uint32_t timeoutMs) {
    // The deadline is a point in real time, fixed once: wrap-safe, and a hooked wait that is
    // cut into slices still ends when the whole time-out has passed on the clock.
    const auto deadline = Clock::deadlineAfter(timeoutMs);
    // Declared before the lock so that the hook hears of the end after the lock is let go.
    HookedWait hooked(timeoutMs != 0);
    std::unique_lock lock(mutex_);
    const auto over = [this] { return signalled_ || closed_; };
    for (;;) {
        const auto until = hooked.sliceEnd(deadline);
        if (until == Clock::RealClock::time_point::max()) {
            changed_.wait(lock, over);
        } else {
            changed_.wait_until(lock, until, over);
        }
        if (signalled_) {
            if (mode_ == Reset::Auto)
                signalled_ = false;
            return true;
        }
        if (closed_ || !hooked.sliced() || Clock::RealClock::now() >= deadline)
            return false;
        // The hook runs unlocked: the reader must be able to set the event meanwhile, and a
        // signal that comes then is seen by the next slice at once.
        lock.unlock();
        const bool goOn = hooked.between();
        lock.lock();
        if (!goOn)
            return false;
    }
}

bool EventSlot::create(Event::Reset mode, bool signalled) {
    std::lock_guard lock(mutex_);
    if (event_)
        return false;
    event_ = std::make_shared<Event>(mode, signalled);
    return true;
}

void EventSlot::close() {
    std::shared_ptr<Event> closing;
    {
        std::lock_guard lock(mutex_);
        closing = std::move(event_);
    }
    // Waiters that took the event before it left the slot hold it; they wake and fail.
    if (closing)
        closing->close();
}

bool EventSlot::exists() const {
    return current() != nullptr;
}

std::shared_ptr<Event> EventSlot::current() const {
    std::lock_guard lock(mutex_);
    return event_;
}

bool EventSlot::set() {
    auto event = current();
    if (!event)
        return false;
    event->set();
    return true;
}

bool EventSlot::reset() {
    auto event = current();
    if (!event)
        return false;
    event->reset();
    return true;
}

bool EventSlot::wait(uint32_t timeoutMs) {
    auto event = current();
    return event && event->wait(timeoutMs);
}

}  // namespace zentrix::platform
