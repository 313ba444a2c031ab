// CPU time of the reader thread for a receiver streaming at 115200 baud.
//
// A child process plays the receiver: it writes the real NMEA captures into a pseudo-terminal,
// paced at 11520 bytes per second (115200 baud, 10 bits a byte), for the given number of seconds
// (default 60). This process runs only the reader thread on the other side, so its CPU time is
// the reader's. Run: build/release/bench/reader_cpu_bench [seconds]
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "bench/stream_player.h"
#include "bench/testdata_logs.h"
#include "platform/serial_port.h"
#include "platform/worker_thread.h"
#include "receiver/nmea/byte_source.h"
#include "receiver/nmea/receiver_reader.h"

using zentrix::bench::playReceiver;
using zentrix::bench::processCpuSeconds;

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
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

    zentrix::platform::SerialPort port;
    port.open(zentrix::platform::fromUtf8(name));
    if (!port.isOpen())
        return 1;
    port.setBaudRate(115200);
    zentrix::receiver::SerialByteSource source(port);
    zentrix::receiver::ReceiverReader reader(source);
    int64_t published = 0;
    reader.navigation().setPublishObserver([&](auto, const auto&) { ++published; });

    const double cpuBefore = processCpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0)
        playReceiver(master, bytes, seconds);
    zentrix::platform::WorkerThread thread(reader);
    waitpid(child, nullptr, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let the reader drain
    thread.requestStop();
    thread.wait(zentrix::platform::kInfinite);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    const double cpu = processCpuSeconds() - cpuBefore;

    std::printf("stream: %d s at 115200 baud (%d bytes/s), %lld snapshots published\n", seconds,
                zentrix::bench::kStreamBytesPerSecond, static_cast<long long>(published));
    std::printf("reader CPU: %.3f s in %.1f s = %.3f %% of one core (target: at most 0.5 %%)\n",
                cpu, wall, 100.0 * cpu / wall);
    close(slave);
    close(master);
    return 0;
}
