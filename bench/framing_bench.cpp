// Framing plus parsing throughput on the real NMEA captures, and gpsdecode on the same bytes.
//
// Run: build/release/bench/framing_bench. After the benchmarks it times gpsdecode (Debian's
// gpsd-clients) reading the same bytes from a file, and prints the ratio of the two throughputs.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/best_of.h"
#include "bench/testdata_logs.h"
#include "receiver/nmea/byte_source.h"
#include "receiver/nmea/receiver_reader.h"

namespace {

using zentrix::bench::bestSeconds;
using zentrix::receiver::MemoryByteSource;
using zentrix::receiver::ReceiverReader;

const std::string& logBytes() {
    static const std::string bytes = zentrix::bench::concatenatedNmeaLogs();
    return bytes;
}

// One pass of the reader over the bytes; returns the number of sentences framed.
int64_t readAll(const std::string& bytes) {
    MemoryByteSource source(bytes);
    ReceiverReader reader(source);
    int64_t sentences = 0;
    reader.navigation().setPublishObserver([&](auto, const auto&) {});
    zentrix::receiver::SentenceFramer framer;
    zentrix::receiver::SentenceType type;
    while (reader.frameNextSentence(framer, type)) {
        reader.dispatch(type, framer.sentence());
        framer.scrub();
        ++sentences;
    }
    return sentences;
}

void BM_FrameAndParse(benchmark::State& state) {
    const std::string& bytes = logBytes();
    if (bytes.empty()) {
        state.SkipWithError("tests/data is missing");
        return;
    }
    int64_t sentences = 0;
    for (auto _ : state) sentences += readAll(bytes);
    state.SetBytesProcessed(static_cast<int64_t>(bytes.size()) * state.iterations());
    state.counters["sentences/s"] =
        benchmark::Counter(static_cast<double>(sentences), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FrameAndParse)->Unit(benchmark::kMillisecond);

void compareWithGpsdecode() {
    const std::string& bytes = logBytes();
    if (bytes.empty())
        return;
    char path[] = "/tmp/zentrix-bench-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return;
    close(fd);
    // Several copies, so that gpsdecode's start-up does not dominate its time.
    constexpr int kCopies = 20;
    {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < kCopies; ++i) out << bytes;
    }
    const std::string command = std::string("gpsdecode < ") + path + " > /dev/null 2>&1";
    if (std::system("command -v gpsdecode > /dev/null") != 0) {
        std::printf("gpsdecode not found (Debian package gpsd-clients): no comparison\n");
        std::remove(path);
        return;
    }
    const double megabytes = static_cast<double>(bytes.size()) * kCopies / 1e6;
    const double theirs = bestSeconds(5, [&] { (void)std::system(command.c_str()); });
    const double ours = bestSeconds(5, [&] {
        for (int i = 0; i < kCopies; ++i) benchmark::DoNotOptimize(readAll(bytes));
    });
    std::remove(path);
    std::printf("\n%.2f MB of NMEA (%zu bytes x %d)\n", megabytes, bytes.size(), kCopies);
    std::printf("zentrix reader: %8.1f MB/s\n", megabytes / ours);
    std::printf("gpsdecode:      %8.1f MB/s\n", megabytes / theirs);
    std::printf("ratio:          %8.1f x gpsdecode\n", theirs / ours);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    compareWithGpsdecode();
    return 0;
}
