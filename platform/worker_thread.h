// A platform thread that runs one runnable.
#pragma once

#include <cstdint>
#include <memory>

namespace zentrix::platform {

/// What a `WorkerThread` runs. `run` is the thread body; `requestStop` is called from another
/// thread and must make `run` return soon.
///
/// A stop request belongs to one run. `beforeStart` is called on the starting thread before each
/// new thread exists, and forgets a request meant for an earlier run: a run that ended by itself
/// (its device vanished) still gets its owner's stop afterwards, and that request must not end the
/// next run at once. Clearing it when a run ends instead would race with exactly that late stop.
class Runnable {
public:
    virtual ~Runnable() = default;
    virtual uint32_t run() = 0;
    virtual void requestStop() = 0;
    virtual void beforeStart() {}
};

/// Starts a thread running `runnable.run()` as soon as it is constructed. The owner of the
/// runnable keeps it alive until the thread has ended. Destroying a `WorkerThread` does not stop
/// its thread: the owner asks it to stop and waits for it first.
class WorkerThread {
public:
    /// The exit code of a thread that has not ended yet.
    static constexpr uint32_t kStillActive = 259;

    explicit WorkerThread(Runnable& runnable);
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    /// False when the system could not create the thread; the runnable never ran.
    bool started() const { return started_; }

    void requestStop();
    /// True when the thread has ended within `timeoutMs` clock milliseconds.
    bool wait(uint32_t timeoutMs);
    bool isRunning() const;
    /// What `run` returned, or `kStillActive` while it runs.
    uint32_t exitCode() const;

private:
    struct State;
    Runnable& runnable_;
    std::shared_ptr<State> state_;
    bool started_ = false;
};

}  // namespace zentrix::platform
