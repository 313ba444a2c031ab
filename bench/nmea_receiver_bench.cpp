// Any NMEA receiver: framing and parsing throughput on the real captures against gpsdecode, and
// the delay from an epoch's last sentence to its publication.
//
// Run: build/release/bench/nmea_receiver_bench [--benchmark_filter=...]
//
// After the benchmarks it times gpsdecode (Debian's gpsd-clients) on the same bytes, all ten
// captures together and each one alone, and prints the ratio of the throughputs. Then it writes
// epochs into a pseudo-terminal read by the receiver's own reader thread and times each epoch
// from its write to the position's publication: an epoch whose end the assembler has not learned
// waits for the quiet gap or the next epoch's time, a learned one is published on its closing
// sentence.
#include <benchmark/benchmark.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/best_of.h"
#include "bench/testdata_logs.h"
#include "platform/serial_port.h"
#include "platform/text.h"
#include "platform/worker_thread.h"
#include "receiver/nmea/byte_source.h"
#include "receiver/nmea_receiver/epoch_assembler.h"
#include "receiver/nmea_receiver/nmea_line_framer.h"
#include "receiver/nmea_receiver/nmea_reader.h"
#include "tests/support/nmea.h"

namespace {

using Clock = std::chrono::steady_clock;
using zentrix::bench::bestSeconds;
using zentrix::receiver::EpochAssembler;
using zentrix::receiver::NmeaEpoch;
using zentrix::receiver::NmeaLineFramer;

const std::string& logBytes() {
    static const std::string bytes = zentrix::bench::concatenatedNmeaLogs();
    return bytes;
}

struct Counts {
    int64_t sentences = 0;
    int64_t epochs = 0;
};

// One pass as the reader thread makes it, without the thread: the framer and the assembler, and
// the quiet line at the end.
Counts frameAndAssemble(const std::string& bytes) {
    Counts counts;
    EpochAssembler assembler([&](const NmeaEpoch& epoch) {
        benchmark::DoNotOptimize(&epoch);
        ++counts.epochs;
    });
    NmeaLineFramer framer;
    for (const char ch : bytes) {
        if (framer.feed(static_cast<uint8_t>(ch)) == NmeaLineFramer::Feed::Sentence) {
            assembler.addSentence(framer.sentence());
            ++counts.sentences;
        }
    }
    assembler.endEpoch();
    return counts;
}

void BM_NmeaFrameAndAssemble(benchmark::State& state) {
    const std::string& bytes = logBytes();
    if (bytes.empty()) {
        state.SkipWithError("tests/data is missing");
        return;
    }
    Counts total;
    for (auto _ : state) {
        const Counts counts = frameAndAssemble(bytes);
        total.sentences += counts.sentences;
        total.epochs += counts.epochs;
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes.size()) * state.iterations());
    state.counters["sentences/s"] =
        benchmark::Counter(static_cast<double>(total.sentences), benchmark::Counter::kIsRate);
    state.counters["epochs/s"] =
        benchmark::Counter(static_cast<double>(total.epochs), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_NmeaFrameAndAssemble)->Unit(benchmark::kMillisecond);

// The framer alone, to tell its share from the parsing's.
void BM_NmeaFrameOnly(benchmark::State& state) {
    const std::string& bytes = logBytes();
    if (bytes.empty()) {
        state.SkipWithError("tests/data is missing");
        return;
    }
    for (auto _ : state) {
        NmeaLineFramer framer;
        int64_t sentences = 0;
        for (const char ch : bytes)
            sentences += framer.feed(static_cast<uint8_t>(ch)) == NmeaLineFramer::Feed::Sentence;
        benchmark::DoNotOptimize(sentences);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes.size()) * state.iterations());
}
BENCHMARK(BM_NmeaFrameOnly)->Unit(benchmark::kMillisecond);

struct Comparison {
    double megabytes = 0;
    double ours = 0;    ///< MB/s
    double theirs = 0;  ///< MB/s
};

// Enough copies of `bytes` to make about `targetBytes`, so that gpsdecode's start-up does not
// dominate its time; both sides read the same copies.
Comparison compare(const std::string& bytes, size_t targetBytes) {
    const int copies = static_cast<int>(std::max<size_t>(1, targetBytes / bytes.size()));
    char path[] = "/tmp/zentrix-bench-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return {};
    close(fd);
    {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < copies; ++i) out << bytes;
    }
    const std::string command = std::string("gpsdecode < ") + path + " > /dev/null 2>&1";
    Comparison result;
    result.megabytes = static_cast<double>(bytes.size()) * copies / 1e6;
    const double theirs = bestSeconds(5, [&] { (void)std::system(command.c_str()); });
    const double ours = bestSeconds(5, [&] {
        for (int i = 0; i < copies; ++i) benchmark::DoNotOptimize(frameAndAssemble(bytes));
    });
    std::remove(path);
    result.ours = result.megabytes / ours;
    result.theirs = result.megabytes / theirs;
    return result;
}

void compareWithGpsdecode() {
    const std::string& bytes = logBytes();
    if (bytes.empty())
        return;
    if (std::system("command -v gpsdecode > /dev/null") != 0) {
        std::printf("gpsdecode not found (Debian package gpsd-clients): no comparison\n");
        return;
    }
    constexpr size_t kTarget = 2'000'000;
    std::printf("\nFraming and parsing, MB/s (best of 5, about %.0f MB each)\n", kTarget / 1e6);
    std::printf("%-18s %9s %10s %10s %8s\n", "capture", "bytes", "zentrix", "gpsdecode", "ratio");
    for (const auto& name : zentrix::bench::nmeaLogNames()) {
        const std::string capture = zentrix::replay::lineBytesOf(
            zentrix::test::readFile(zentrix::test::testdataPath("gpsd/" + name + ".log")));
        const Comparison c = compare(capture, kTarget);
        std::printf("%-18s %9zu %10.1f %10.1f %7.1fx\n", name.c_str(), capture.size(), c.ours,
                    c.theirs, c.ours / c.theirs);
    }
    const Comparison all = compare(bytes, kTarget);
    std::printf("%-18s %9zu %10.1f %10.1f %7.1fx (target: at least 10 x)\n", "all ten",
                bytes.size(), all.ours, all.theirs, all.ours / all.theirs);
}

// One second of a multi-constellation receiver at `second` past 12:34: RMC opens the epoch and
// the last GSV of BeiDou closes it, as receivers of this kind send them.
std::string epochAt(int second) {
    using zentrix::test::withChecksum;
    char time[16];
    std::snprintf(time, sizeof time, "1234%02d.00", second % 60);
    const std::string t = time;
    return withChecksum("$GNRMC," + t + ",A,4723.00484,N,00045.88150,E,0.5,120.9,010621,,,A,V") +
           withChecksum("$GNGGA," + t + ",4723.00484,N,00045.88150,E,1,13,1.7,063.64,M,48.3,M,,") +
           withChecksum("$GNVTG,120.9,T,,M,0.5,N,0.8,K,A") +
           withChecksum("$GNGST," + t + ",6.1,4.0,4.0,61.0,4.6,4.4,4.8") +
           withChecksum("$GNGSA,A,3,27,08,07,,,,,,,,,,2.5,1.7,1.8,1") +
           withChecksum("$GNGSA,A,3,24,16,25,,,,,,,,,,2.5,1.7,1.8,3") +
           withChecksum("$GNGSA,A,3,34,25,23,38,,,,,,,,,2.5,1.7,1.8,4") +
           withChecksum("$GPGSV,2,1,06,16,71,196,27,27,64,299,35,08,27,286,38,07,14,316,42,1") +
           withChecksum("$GPGSV,2,2,06,23,44,092,23,26,44,172,26,1") +
           withChecksum("$GPGSV,1,1,02,27,64,299,40,08,27,286,35,8") +
           withChecksum("$GAGSV,1,1,04,24,68,279,38,16,43,305,42,25,20,312,36,11,15,224,,7") +
           withChecksum("$BDGSV,2,1,05,34,57,269,41,25,45,271,45,23,15,320,40,38,11,027,31,1") +
           withChecksum("$BDGSV,2,2,05,12,81,342,22,1");
}

// The median of the epochs that were timed (an epoch published in the same moment as the next one
// shares its wake-up and has no time of its own).
double median(const std::vector<double>& latencies) {
    std::vector<double> values;
    for (const double ms : latencies) {
        if (ms >= 0)
            values.push_back(ms);
    }
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Writes `count` epochs into the line, each whole at once, one every `periodMs`, and between the
// writes collects the reader's publications. Returns, per epoch, the milliseconds from its write to
// the publication of its position (-1: not seen on its own); the position's second tells the
// epoch.
std::vector<double> timeEpochs(int master, zentrix::receiver::NmeaReader& reader, int count,
                               int periodMs) {
    std::vector<Clock::time_point> written(static_cast<size_t>(count));
    std::vector<double> latencies(static_cast<size_t>(count), -1);
    const auto collectUntil = [&](Clock::time_point until) {
        for (auto now = Clock::now(); now < until; now = Clock::now()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - now).count();
            if (!reader.vectorEvent().wait(static_cast<uint32_t>(left)))
                continue;
            const auto published = Clock::now();
            const int second = reader.getPosition().utcSecond;
            if (second < count && latencies[static_cast<size_t>(second)] < 0) {
                latencies[static_cast<size_t>(second)] =
                    std::chrono::duration<double, std::milli>(published -
                                                              written[static_cast<size_t>(second)])
                        .count();
            }
        }
    };
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        collectUntil(start + std::chrono::milliseconds(periodMs * i));
        const std::string epoch = epochAt(i);
        written[static_cast<size_t>(i)] = Clock::now();
        if (write(master, epoch.data(), epoch.size()) != static_cast<ssize_t>(epoch.size()))
            break;
    }
    collectUntil(Clock::now() + std::chrono::milliseconds(std::max(periodMs, 1000)));
    return latencies;
}

void printLatencies(const char* what, const std::vector<double>& latencies) {
    std::printf("%s\n  median %.3f ms; each:", what, median(latencies));
    for (const double ms : latencies) {
        if (ms >= 0)
            std::printf(" %.2f", ms);
        else
            std::printf(" -");
    }
    std::printf("\n  (-: published together with the next epoch, one wake-up for both)\n");
}

void publishingLatency() {
    int master = -1;
    int slave = -1;
    char name[128] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::printf("no pseudo-terminal: no latency figures\n");
        return;
    }
    zentrix::platform::SerialPort port;
    port.open(zentrix::platform::fromUtf8(name));
    if (!port.isOpen() || !port.setBaudRate(115200)) {
        std::printf("cannot open %s: no latency figures\n", name);
        return;
    }
    zentrix::receiver::SerialByteSource source(port);
    zentrix::receiver::NmeaReader reader(source);
    const auto runReader = [&](int count, int periodMs) {
        // Every run of the reader starts a new assembler, which has learned nothing yet.
        zentrix::platform::WorkerThread thread(reader);
        for (int i = 0; i < 100 && !reader.vectorEvent().exists(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::vector<double> latencies = timeEpochs(master, reader, count, periodMs);
        thread.requestStop();
        thread.wait(zentrix::platform::kInfinite);
        return latencies;
    };

    // A 1 Hz receiver falls quiet between epochs for longer than the gap, so until the closing
    // sentence is known the gap ends each epoch; at 10 Hz the next epoch follows before the gap,
    // and its first sentence ends the previous one. Once the same sentence has closed epochs in a
    // row it ends them itself.
    const std::vector<double> quiet = runReader(10, 1000);
    const std::vector<double> busy = runReader(30, 100);
    close(slave);
    close(master);

    std::printf(
        "\nPublishing latency over a pseudo-terminal, from an epoch's write (%zu bytes at "
        "once)\nto its position's publication; quiet gap %u ms\n",
        epochAt(0).size(), zentrix::receiver::NmeaReader::kQuietGapMs);
    static constexpr size_t kLearning = 3;
    const auto firstEpochs = [](const std::vector<double>& all) {
        return std::vector<double>(all.begin(), all.begin() + std::min(kLearning, all.size()));
    };
    const auto laterEpochs = [](const std::vector<double>& all) {
        return std::vector<double>(all.begin() + std::min(kLearning, all.size()), all.end());
    };
    printLatencies("1 Hz, quiet between epochs, epochs 1-3 (closing sentence being learned):",
                   firstEpochs(quiet));
    printLatencies("1 Hz, quiet between epochs, epochs 4-10:", laterEpochs(quiet));
    printLatencies("10 Hz, back to back, epochs 1-3 (closing sentence being learned):",
                   firstEpochs(busy));
    printLatencies("10 Hz, back to back, epochs 4-30:", laterEpochs(busy));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    compareWithGpsdecode();
    publishingLatency();
    return 0;
}
