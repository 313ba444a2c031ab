// Kernel-style events: the only synchronisation between a command and the reader thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/clock.h"

namespace zentrix::platform {

/// An event is signalled by `set` and cleared by `reset`. An auto-reset event releases exactly one
/// waiter and clears itself as it does so; a manual-reset event stays signalled and releases every
/// waiter until it is reset. Any thread may set, reset or wait.
class Event {
public:
    enum class Reset { Auto, Manual };

    explicit Event(Reset mode, bool signalled = false) : mode_(mode), signalled_(signalled) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set();
    void reset();

    /// True when the event was signalled within `timeoutMs` clock milliseconds (`kInfinite`
    /// waits for ever). A wait of 0 only tests the event.
    bool wait(uint32_t timeoutMs);

private:
    const Reset mode_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool signalled_;
};

/// An event that exists only for a while, as the reader thread's events do: they are created when
/// the thread starts and closed when it ends. While the slot is empty every operation fails at
/// once. A wait that began before `close` keeps its event alive and runs to its end, so closing
/// never pulls an event out from under a waiting thread.
class EventSlot {
public:
    /// Creates the event; false when one exists already.
    bool create(Event::Reset mode, bool signalled = false);
    void close();
    bool exists() const;

    bool set();
    bool reset();
    bool wait(uint32_t timeoutMs);

private:
    std::shared_ptr<Event> current() const;

    mutable std::mutex mutex_;
    std::shared_ptr<Event> event_;
};

}  // namespace zentrix::platform
