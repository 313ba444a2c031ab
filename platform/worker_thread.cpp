#include "platform/worker_thread.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/clock.h"

namespace zentrix::platform {

// Shared by the thread and its handle, so that either may go first.
struct WorkerThread::State {
    std::mutex mutex;
    std::condition_variable ended;
    bool finished = false;
    uint32_t exitCode = kStillActive;
};

WorkerThread::WorkerThread(Runnable& runnable)
    : runnable_(runnable), state_(std::make_shared<State>()) {
    runnable.beforeStart();
    try {
        std::thread([state = state_, &runnable] {
            const uint32_t code = runnable.run();
            {
                std::lock_guard lock(state->mutex);
                state->finished = true;
                state->exitCode = code;
            }
            state->ended.notify_all();
        }).detach();
        started_ = true;
    } catch (const std::system_error&) {
        std::lock_guard lock(state_->mutex);
        state_->finished = true;
        state_->exitCode = 1;
    }
}

WorkerThread::~WorkerThread() = default;

void WorkerThread::requestStop() { runnable_.requestStop(); }

bool WorkerThread::wait(uint32_t timeoutMs) {
    std::unique_lock lock(state_->mutex);
    const auto finished = [this] { return state_->finished; };
    if (timeoutMs == kInfinite) {
        state_->ended.wait(lock, finished);
        return true;
    }
    return state_->ended.wait_until(lock, Clock::deadlineAfter(timeoutMs), finished);
}

bool WorkerThread::isRunning() const { return exitCode() == kStillActive; }

uint32_t WorkerThread::exitCode() const {
    std::lock_guard lock(state_->mutex);
    return state_->finished ? state_->exitCode : kStillActive;
}

}  // namespace zentrix::platform
