// What sharing the receiver costs its reader: CPU time of the reader thread for a receiver
// streaming at 115200 baud, with the share off and on (two TCP clients and a listener on the
// shared terminal, in another process) in alternating phases of one run, so that both see the
// same machine.
//
// A child process plays the receiver as reader_cpu_bench does; another child is the listeners.
// The reader thread's own CPU clock is read at each phase change; the process's CPU time (which
// adds the share's own thread) is shown beside it.
//
// Many short phases, and their median beside the mean: on a small virtual machine a thread's CPU
// clock also counts what it costs when another task pushes it off its core (about 10 ms each on
// the machine of bench/RESULTS.md), so a few phases of either kind read several times the rest.
// The median is the reader's own work. Run:
//   build/release/bench/line_share_bench [seconds per phase] [rounds]   (default 2 and 15)
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/stream_player.h"
#include "bench/testdata_logs.h"
#include "platform/line_share.h"
#include "platform/serial_port.h"
#include "platform/worker_thread.h"
#include "receiver/nmea/byte_source.h"
#include "receiver/nmea/receiver_reader.h"

namespace {

using zentrix::bench::playReceiver;
using zentrix::bench::processCpuSeconds;

/// Two TCP clients and a reader of the shared terminal, reading everything until killed. Runs
/// in a child forked from a process with threads: system calls only, no allocation.
[[noreturn]] void listen(uint16_t port, const char* terminal) {
    pollfd fds[3] = {};
    for (int i = 0; i < 2; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            _exit(1);
        fds[i] = {fd, POLLIN, 0};
    }
    const int tty = open(terminal, O_RDWR | O_NOCTTY);
    if (tty < 0)
        _exit(1);
    fds[2] = {tty, POLLIN, 0};
    char buffer[4096];
    for (;;) {
        if (poll(fds, 3, -1) < 0)
            _exit(1);
        for (const pollfd& p : fds) {
            if (p.revents & POLLIN) {
                if (read(p.fd, buffer, sizeof buffer) <= 0)
                    _exit(0);
            }
        }
    }
}

/// The serial source, noting which thread reads it so that its CPU clock can be read.
class NotedSource : public zentrix::receiver::ByteSource {
  public:
    explicit NotedSource(zentrix::platform::SerialPort& port) : source_(port) {}
    bool isOpen() const override { return source_.isOpen(); }
    bool readSome(uint8_t* buffer, uint32_t capacity, uint32_t* bytesRead,
                  uint32_t timeoutMs) override {
        if (!noted_.load(std::memory_order_relaxed)) {
            pthread_getcpuclockid(pthread_self(), &clock_);
            noted_.store(true);
        }
        return source_.readSome(buffer, capacity, bytesRead, timeoutMs);
    }
    double readerCpuSeconds() const {
        timespec t{};
        if (!noted_.load())
            return 0;
        clock_gettime(clock_, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    }

  private:
    zentrix::receiver::SerialByteSource source_;
    std::atomic<bool> noted_{false};
    clockid_t clock_{};
};

/// The phases of one kind: their sums, and each phase's reader share of a core.
struct Phase {
    double reader = 0;
    double process = 0;
    double wall = 0;
    std::vector<double> readerPercents;

    double medianReaderPercent() const {
        std::vector<double> sorted = readerPercents;
        std::sort(sorted.begin(), sorted.end());
        const size_t n = sorted.size();
        if (n == 0)
            return 0;
        return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
};

}  // namespace

int main(int argc, char** argv) {
    namespace platform = zentrix::platform;
    const int phaseSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;
    const std::string bytes = zentrix::bench::concatenatedNmeaLogs();
    if (bytes.empty()) {
        std::fprintf(stderr, "tests/data is missing\n");
        return 1;
    }
    int master = -1;
    int slave = -1;
    char name[128] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return 1;

    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("line_share_bench." + std::to_string(getpid()));
    platform::LineShare share;
    platform::LineShareOptions options;
    options.tcpPort = 0;
    options.links = {scratch / "receiver"};
    if (!share.start(options)) {
        std::fprintf(stderr, "share: %s\n", share.lastError().c_str());
        return 1;
    }
    const std::string terminal = share.links().front().string();
    const pid_t listeners = fork();
    if (listeners == 0)
        listen(share.tcpPort(), terminal.c_str());
    while (share.clientCount() < 2 || !share.terminalInUse())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));

    platform::SerialPort port;
    port.open(platform::fromUtf8(name));
    if (!port.isOpen())
        return 1;
    port.setBaudRate(115200);
    NotedSource source(port);
    zentrix::receiver::ReceiverReader reader(source);

    const pid_t player = fork();
    if (player == 0)
        playReceiver(master, bytes, phaseSeconds * rounds * 2 + 2);
    platform::WorkerThread thread(reader);
    std::this_thread::sleep_for(std::chrono::seconds(1));  // the reader settles in

    Phase off, on;
    for (int i = 0; i < rounds * 2; ++i) {
        const bool sharing = i % 2 == 1;
        platform::attachReaderShare(sharing ? &share : nullptr);
        const double reader0 = source.readerCpuSeconds();
        const double process0 = processCpuSeconds();
        const auto wall0 = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(phaseSeconds));
        Phase& phase = sharing ? on : off;
        const double reader = source.readerCpuSeconds() - reader0;
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        phase.reader += reader;
        phase.process += processCpuSeconds() - process0;
        phase.wall += wall;
        phase.readerPercents.push_back(100.0 * reader / wall);
    }
    platform::attachReaderShare(nullptr);
    const size_t clientsLeft = share.clientCount();
    const uint64_t dropped = share.droppedClients();
    kill(player, SIGTERM);
    waitpid(player, nullptr, 0);
    thread.requestStop();
    thread.wait(platform::kInfinite);
    kill(listeners, SIGTERM);
    waitpid(listeners, nullptr, 0);
    share.stop();
    std::filesystem::remove_all(scratch);

    const auto percent = [](double cpu, double wall) { return 100.0 * cpu / wall; };
    std::printf("stream: 115200 baud (%d bytes/s), %d rounds of %d s off and %d s on\n",
                zentrix::bench::kStreamBytesPerSecond, rounds, phaseSeconds, phaseSeconds);
    std::printf("share off:                       reader %.3f %%  process %.3f %% of one core\n",
                percent(off.reader, off.wall), percent(off.process, off.wall));
    std::printf("share on (2 TCP + 1 terminal):   reader %.3f %%  process %.3f %% of one core\n",
                percent(on.reader, on.wall), percent(on.process, on.wall));
    std::printf("reader median of the phases: off %.3f %%, on %.3f %%\n", off.medianReaderPercent(),
                on.medianReaderPercent());
    std::printf(
        "reader difference: %+.3f percentage points of the medians (target: under 0.1), %+.3f of "
        "the means; clients still connected %zu, dropped %llu\n",
        on.medianReaderPercent() - off.medianReaderPercent(),
        percent(on.reader, on.wall) - percent(off.reader, off.wall), clientsLeft,
        static_cast<unsigned long long>(dropped));
    close(slave);
    close(master);
    return 0;
}
