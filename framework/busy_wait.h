// The window layer's side of long waits on the user-interface thread.
//
// The receiver layer blocks the user-interface thread for up to minutes, waiting for the
// reader's replies. Through the platform's wait hook (platform/wait_hook.h) such a wait hands the
// thread to the window layer between slices, which then lets Qt paint and nothing else: the
// windows stay painted under the wait cursor, while user input, the framework's timer handlers
// and its posted messages wait for the end of the wait, so that no page handler (and no second
// receiver transaction) runs inside a transaction.
//
// One kind of window is the exception: one that exists to stop the wait (the start-up window's
// Cancel). It takes input inside the wait, and its handler gives the thread's waits up.
#pragma once

#include <functional>
#include <memory>

#include "platform/wait_hook.h"

class QObject;

namespace zentrix::framework {

class CWnd;

/// Registers the window layer's wait hook for the calling thread (the one that runs the windows)
/// for the life of the object. Made after the Qt application object, gone before it.
class BusyWaitHook {
  public:
    BusyWaitHook();
    ~BusyWaitHook();
    BusyWaitHook(const BusyWaitHook&) = delete;
    BusyWaitHook& operator=(const BusyWaitHook&) = delete;

    class Impl;

  private:
    std::unique_ptr<Impl> impl_;
    platform::WaitHook* previous_;
};

/// A hook for the calling thread for the rest of the process, for an application object that is
/// never destroyed either (the test kit's).
void installBusyWaitHookForProcess();

/// True while a wait on the window thread keeps the windows painted.
bool busyWaitInProgress();

/// While it lives, `window` (a top-level window with its controls) takes input inside the
/// window thread's waits, and only it: its handlers must start no receiver work.
class ResponsiveDuringWaits {
  public:
    explicit ResponsiveDuringWaits(CWnd& window);
    ~ResponsiveDuringWaits();
    ResponsiveDuringWaits(const ResponsiveDuringWaits&) = delete;
    ResponsiveDuringWaits& operator=(const ResponsiveDuringWaits&) = delete;

  private:
    const void* window_;
};

/// Makes the window thread's waits, the current one and those to come, end at once as time-outs
/// (`abandon` true) until called with false: how a Cancel ends a search for a receiver that
/// waits seconds at every step.
void abandonWaits(bool abandon);
bool waitsAbandoned();

/// During such a wait, keeps `work` until the wait has ended and answers true; the event loop
/// runs it then (not the end of the wait itself: that is still inside the transaction), unless
/// `context` is gone by then. Outside a wait it answers false and the caller runs `work` itself.
/// Work with the same non-null `key` is held once, as the platform coalesced a timer's ticks.
bool holdDuringBusyWait(QObject* context, std::function<void()> work, const void* key = nullptr);

}  // namespace zentrix::framework
