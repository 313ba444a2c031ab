// Command round trips and source-table parsing.
//
// BM_CommandRoundTrip: `setSbas` against a receiver (a thread on the other end of a
// pseudo-terminal) that answers every command line at once, so the time is the program's own
// overhead: formatting, the write, the reader framing the ACK, the event. BM_ParseSourceTable:
// the largest real table of tests/data and a synthetic one of 5000 streams, into a fresh
// list each time (as a new browse does) and into a list that keeps its storage.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "receiver/gnss_receiver.h"
#include "receiver/commands/station_list.h"
#include "tests/support/testdata.h"

namespace {

using zentrix::receiver::GnssReceiver;
using zentrix::receiver::StationList;

// Answers every line it reads with an ACK, as fast as it can.
class InstantReceiver {
public:
    explicit InstantReceiver(int master) : master_(master), thread_([this] { loop(); }) {}
    ~InstantReceiver() {
        stop_ = true;
        thread_.join();
    }

private:
    void loop() {
        static const std::string kAck = "$PQELR,ACK\r\n";
        char buffer[512];
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            const ssize_t n = read(master_, buffer, sizeof buffer);
            for (ssize_t i = 0; i < n; ++i) {
                if (buffer[i] == '\n' && write(master_, kAck.data(), kAck.size()) < 0) return;
            }
        }
    }

    int master_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

void BM_CommandRoundTrip(benchmark::State& state) {
    int master = -1;
    int slave = -1;
    char name[128] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    {
        GnssReceiver receiver;
        if (!receiver.openPort(zentrix::platform::fromUtf8(name)) || !receiver.startReader()) {
            state.SkipWithError("cannot bring the link up");
        } else {
            InstantReceiver peer(master);
            while (!receiver.reader().replyEvent().exists()) usleep(1000);
            bool on = false;
            for (auto _ : state) {
                if (receiver.setSbas(on = !on) == 0) {
                    state.SkipWithError("a command failed");
                    break;
                }
            }
            receiver.stopReader();
        }
    }
    close(slave);
    close(master);
}
BENCHMARK(BM_CommandRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

std::string realTable() {
    return zentrix::test::readFile(zentrix::test::testdataPath("ntrip/euref-ip.sourcetable.txt"));
}

// 5000 streams shaped like real ones, with the status line and the end line.
std::string syntheticTable() {
    std::string table = "T\r\nSOURCETABLE 200 OK\r\n";
    for (int i = 0; i < 5000; ++i) {
        table += "STR;MP" + std::to_string(i) + ";City " + std::to_string(i) +
                 ";RTCM 3.2;1004(1),1006(10),1012(1),1033(10);2;GPS+GLO;NET;DEU;" +
                 std::to_string(47 + i % 8) + ".12;" + std::to_string(6 + i % 9) +
                 ".34;1;0;Generator/1.0;none;B;N;9600;\r\n";
    }
    return table + "ENDSOURCETABLE\r\n";
}

void parseInto(benchmark::State& state, const std::string& table, bool freshList) {
    if (table.empty()) {
        state.SkipWithError("missing table");
        return;
    }
    StationList kept;
    for (auto _ : state) {
        if (freshList) {
            StationList list;
            zentrix::receiver::parseSourceTable(table, list);
            benchmark::DoNotOptimize(list.size());
        } else {
            zentrix::receiver::parseSourceTable(table, kept);
            benchmark::DoNotOptimize(kept.size());
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(table.size()) * state.iterations());
}

void BM_ParseRealTable(benchmark::State& state) {
    static const std::string table = "T\r\n" + realTable();
    parseInto(state, table, state.range(0) != 0);
}
BENCHMARK(BM_ParseRealTable)->Arg(1)->Arg(0)->ArgName("freshList")->Unit(benchmark::kMillisecond);

void BM_Parse5000Streams(benchmark::State& state) {
    static const std::string table = syntheticTable();
    parseInto(state, table, state.range(0) != 0);
}
BENCHMARK(BM_Parse5000Streams)->Arg(1)->Arg(0)->ArgName("freshList")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
