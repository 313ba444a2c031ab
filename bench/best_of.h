// Timing a piece of work that runs outside Google Benchmark (another program, a whole pass over
// the captures) the way the benches compare it: the best of several runs, which a busy moment of
// the machine spoils least.
#pragma once

#include <algorithm>
#include <chrono>

namespace zentrix::bench {

/// The shortest of `runs` runs of `work`, in seconds.
double bestSeconds(int runs, const auto& work) {
    using Clock = std::chrono::steady_clock;
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

}  // namespace zentrix::bench
