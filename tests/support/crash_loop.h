// Kills a writer at random moments: a forked child saves in a loop until SIGKILL ends it, then
// the parent looks at what the child left behind.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

namespace zentrix::test {

/// `rounds` times: fork a child that calls `save(i)` for i = 0, 1, 2, ... until it is killed
/// after a random 50 to 800 microseconds, then call `check()` in the parent. `save` runs in the
/// child only, so it must not use test assertions.
template <class Save, class Check>
void killWhileSaving(int rounds, Save save, Check check) {
    std::mt19937 random(0x5eed);
    std::uniform_int_distribution<int> delayMicros(50, 800);
    for (int round = 0; round < rounds; ++round) {
        const pid_t child = ::fork();
        if (child == 0) {
            for (uint64_t i = 0;; ++i) save(i);
        }
        if (child < 0) return;
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicros(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        check();
    }
}

/// The temporary files a killed writer left in `folder` (hidden names ending in ".tmp").
inline int leftoverTemporaryFiles(const std::filesystem::path& folder) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const auto name = entry.path().filename().string();
        if (name.starts_with(".") && name.ends_with(".tmp")) ++count;
    }
    return count;
}

}  // namespace zentrix::test
