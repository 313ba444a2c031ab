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
/// waiter until it is reset. Any thread may set, reset, wait or close.
///
/// A wait on a thread with a wait hook (wait_hook.h: the user-interface thread) that lasts longer
/// than one slice calls the hook between slices; the time-out still runs on the clock.
class Event {
  public:
    enum class Reset { Auto, Manual };

    explicit Event(Reset mode, bool signalled = false) : mode_(mode), signalled_(signalled) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set();
    void reset();
    /// Ends the event's life: every wait in progress fails at once, as does every later one. A
    /// signal that came before the close still releases the waiter it was meant for: the reply
    /// it announced did arrive.
    void close();

    /// True when the event was signalled within `timeoutMs` clock milliseconds (`kInfinite`
    /// waits for ever); false on the time-out or when the event is closed. A wait of 0 only
    /// tests the event.
    bool wait(uint32_t timeoutMs);

  private:
    const Reset mode_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool signalled_;
    bool closed_ = false;
};

/// An event that exists only for a while, as the reader thread's events do: they are created when
/// the thread starts and closed when it ends. While the slot is empty every operation fails at
/// once. Closing wakes a wait that began before it with failure at once (a device pulled out
/// during a two-minute wait does not hold the program for two minutes); the waiter keeps its
/// event alive until it has left the wait, so closing never pulls an event out from under it.
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
