#include "platform/event.h"

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

bool Event::wait(uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    const auto signalled = [this] { return signalled_; };
    bool released;
    if (timeoutMs == kInfinite) {
        changed_.wait(lock, signalled);
        released = true;
    } else {
        released = changed_.wait_until(lock, Clock::deadlineAfter(timeoutMs), signalled);
    }
    if (released && mode_ == Reset::Auto) signalled_ = false;
    return released;
}

bool EventSlot::create(Event::Reset mode, bool signalled) {
    std::lock_guard lock(mutex_);
    if (event_) return false;
    event_ = std::make_shared<Event>(mode, signalled);
    return true;
}

void EventSlot::close() {
    std::lock_guard lock(mutex_);
    event_.reset();
}

bool EventSlot::exists() const { return current() != nullptr; }

std::shared_ptr<Event> EventSlot::current() const {
    std::lock_guard lock(mutex_);
    return event_;
}

bool EventSlot::set() {
    auto event = current();
    if (!event) return false;
    event->set();
    return true;
}

bool EventSlot::reset() {
    auto event = current();
    if (!event) return false;
    event->reset();
    return true;
}

bool EventSlot::wait(uint32_t timeoutMs) {
    auto event = current();
    return event && event->wait(timeoutMs);
}

}  // namespace zentrix::platform
