// A receiver streaming at 115200 baud, played by a child process into a pseudo-terminal, and the
// CPU time the bench's own process spent: what the reader benches measure against.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

namespace zentrix::bench {

/// 115200 baud at 10 bits a byte, written in 100 pieces a second.
inline constexpr int kStreamBytesPerSecond = 11520;
inline constexpr int kStreamChunksPerSecond = 100;

/// Writes `bytes` over and over into `master` at the stream's pace for `seconds`, then exits the
/// process: call it in a forked child (it allocates, so fork before starting threads, or accept
/// that the child only writes).
[[noreturn]] inline void playReceiver(int master, const std::string& bytes, int seconds) {
    const size_t chunk = kStreamBytesPerSecond / kStreamChunksPerSecond;
    size_t position = 0;
    auto next = std::chrono::steady_clock::now();
    for (int i = 0; i < seconds * kStreamChunksPerSecond; ++i) {
        std::string piece;
        while (piece.size() < chunk) {
            const size_t n = std::min(chunk - piece.size(), bytes.size() - position);
            piece.append(bytes, position, n);
            position = (position + n) % bytes.size();
        }
        if (write(master, piece.data(), piece.size()) < 0)
            _exit(1);
        next += std::chrono::milliseconds(1000 / kStreamChunksPerSecond);
        std::this_thread::sleep_until(next);
    }
    _exit(0);
}

/// User and system CPU seconds of this process so far.
inline double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace zentrix::bench
