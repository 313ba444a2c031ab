#include "platform/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "platform/clock.h"
#include "platform/event.h"

namespace zentrix::platform {
namespace {

// Runs until asked to stop, polling as the reader thread does.
class PollingRunnable : public Runnable {
public:
    uint32_t run() override {
        started.set();
        while (!stopRequested_) {
            ++loops;
            sleepMs(10);
        }
        exited = true;  // the last touch of this object by the thread
        return 7;
    }
    void requestStop() override { stopRequested_ = true; }

    Event started{Event::Reset::Manual};
    std::atomic<int> loops{0};
    std::atomic<bool> exited{false};

private:
    std::atomic<bool> stopRequested_{false};
};

TEST(WorkerThread, RunsTheRunnableUntilAskedToStop) {
    ScopedClockSpeed fast(100);
    PollingRunnable runnable;
    WorkerThread thread(runnable);
    ASSERT_TRUE(thread.started());
    ASSERT_TRUE(runnable.started.wait(10000));
    EXPECT_TRUE(thread.isRunning());
    EXPECT_EQ(thread.exitCode(), WorkerThread::kStillActive);
    EXPECT_FALSE(thread.wait(200));

    thread.requestStop();
    EXPECT_TRUE(thread.wait(kInfinite));
    EXPECT_FALSE(thread.isRunning());
    EXPECT_EQ(thread.exitCode(), 7u);
    EXPECT_TRUE(thread.wait(0)) << "waiting on an ended thread succeeds at once";
}

TEST(WorkerThread, DestroyingTheHandleDoesNotStopTheThread) {
    ScopedClockSpeed fast(100);
    PollingRunnable runnable;
    auto thread = std::make_unique<WorkerThread>(runnable);
    ASSERT_TRUE(runnable.started.wait(10000));
    thread.reset();

    const int loopsBefore = runnable.loops;
    sleepMs(1000);
    EXPECT_GT(runnable.loops, loopsBefore) << "the thread should still be running";
    EXPECT_FALSE(runnable.exited);

    runnable.requestStop();
    for (int i = 0; i < 10000 && !runnable.exited; ++i) sleepMs(10);
    EXPECT_TRUE(runnable.exited);
}

}  // namespace
}  // namespace zentrix::platform
