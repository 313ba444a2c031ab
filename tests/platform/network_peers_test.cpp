// Network lines against real peers started on loopback ports: gpsd (run by gpsfake) playing a
// real capture, and socat bridging a TCP port to the simulated board's pseudo-terminal. Each test
// skips when its program is missing; CI installs them.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "receiver/gnss_receiver.h"
#include "receiver/nmea_receiver/epoch_assembler.h"
#include "receiver/nmea_receiver/nmea_line_framer.h"
#include "tests/support/simulated_receiver.h"
#include "tests/support/tcp_server.h"
#include "tests/support/test_support.h"
#include "tests/support/testdata.h"

namespace zentrix {
namespace {

using namespace std::chrono_literals;

// The first of `names` found on the search path, or empty.
std::string findProgram(std::initializer_list<const char*> names) {
    const char* path = ::getenv("PATH");
    std::string folders = std::string(path ? path : "") + ":/usr/sbin:/sbin";
    for (const char* name : names) {
        size_t start = 0;
        while (start <= folders.size()) {
            const size_t end = std::min(folders.find(':', start), folders.size());
            const auto candidate = std::filesystem::path(folders.substr(start, end - start)) / name;
            if (!candidate.parent_path().empty() && ::access(candidate.c_str(), X_OK) == 0)
                return candidate.string();
            start = end + 1;
        }
    }
    return {};
}

// A peer program in a process group of its own, so that it and what it starts (gpsfake starts
// gpsd) end together.
class PeerProcess {
public:
    explicit PeerProcess(std::vector<std::string> arguments,
                         const std::filesystem::path& workingFolder = {}) {
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setpgid(0, 0);
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // a test killed mid-way leaves no peer behind
            if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0)
                ::_exit(126);
            // Nothing of this process's but the standard streams: an inherited lock or socket
            // held by a peer that outlives the test would hold up whoever waits for it.
            ::close_range(3, ~0u, 0);
            std::vector<char*> argv;
            for (auto& a : arguments) argv.push_back(a.data());
            argv.push_back(nullptr);
            if (!::getenv("ZENTRIX_PEER_OUTPUT")) {
                std::freopen("/dev/null", "w", stdout);
                std::freopen("/dev/null", "w", stderr);
            }
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        if (pid_ > 0)
            ::setpgid(pid_, pid_);
    }
    ~PeerProcess() {
        if (pid_ <= 0)
            return;
        ::kill(-pid_, SIGTERM);
        for (int i = 0; i < 200; ++i) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
                ::kill(-pid_, SIGKILL);  // what it started, if it lingers
                return;
            }
            std::this_thread::sleep_for(10ms);
        }
        ::kill(-pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;
    bool started() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
};

// Opens `name`, trying again while the peer is still starting, for up to ten real seconds.
bool openWhenListening(platform::SerialPort& port, const std::string& name) {
    for (int i = 0; i < 100 && !port.isOpen(); ++i) {
        port.open(platform::fromUtf8(name));
        if (!port.isOpen())
            std::this_thread::sleep_for(100ms);
    }
    return port.isOpen();
}

struct Fix {
    uint16_t hour, minute, second;
    double latitude, longitude;
};

// The positions the plain NMEA receiver's framer and assembler make of a byte stream.
std::vector<Fix> positionsOf(const std::string& bytes) {
    std::vector<Fix> fixes;
    receiver::EpochAssembler assembler([&](const receiver::NmeaEpoch& epoch) {
        if (!epoch.hasPosition)
            return;
        const auto& p = epoch.position;
        fixes.push_back({p.utcHour, p.utcMinute, p.utcSecond, p.latitude, p.longitude});
    });
    receiver::NmeaLineFramer framer;
    for (const char c : bytes) {
        if (framer.feed(static_cast<uint8_t>(c)) == receiver::NmeaLineFramer::Feed::Sentence)
            assembler.addSentence(framer.sentence());
    }
    assembler.endEpoch();
    return fixes;
}

// gpsd, run by gpsfake on a free loopback port, plays a real capture once; what the port reads
// through gpsd:// makes the same positions as the capture read directly. gpsd misses the first
// sentences while it learns what the device is, so the positions are a run within the capture's.
TEST(GpsdPeer, ReadingThroughGpsdGivesTheCapturesPositions) {
    const std::string gpsfake = findProgram({"gpsfake"});
    if (gpsfake.empty() || findProgram({"gpsd"}).empty())
        GTEST_SKIP() << "gpsd or gpsfake is not installed (Debian packages gpsd, gpsd-clients)";
    const auto capture = test::testdataPath("gpsd/bu353-glonass.log");
    const std::string direct = test::readFile(capture);
    ASSERT_FALSE(direct.empty());
    const std::vector<Fix> expected = positionsOf(direct);
    ASSERT_GT(expected.size(), 5u);

    test::ScratchFolder folder;
    const uint16_t port = test::freeLoopbackPort();
    // gpsfake feeds its gpsd once the first client watches; a shorter cycle than this loses
    // sentences while gpsd still hunts for the device's kind.
    PeerProcess peer(
        {gpsfake, "-1", "-q", "-c", "0.05", "-P", std::to_string(port), capture.string()},
        folder.path());  // gpsfake leaves its files where it runs
    ASSERT_TRUE(peer.started());

    platform::SerialPort line;
    ASSERT_TRUE(openWhenListening(line, "gpsd://127.0.0.1:" + std::to_string(port)))
        << "gpsd did not listen: " << line.lastError();
    std::string got;
    char buffer[512];
    // Until gpsfake ends (its gpsd hangs up) or the line stays quiet for ten seconds.
    for (int idle = 0; idle < 100;) {
        uint32_t n = 0;
        if (!line.read(buffer, sizeof buffer, &n, 100))
            break;
        got.append(buffer, n);
        idle = n == 0 ? idle + 1 : 0;
    }
    EXPECT_EQ(got.find('{'), std::string::npos) << "gpsd's own reports came through";
    // The last epoch may have been cut short by the hang-up.
    std::vector<Fix> fixes = positionsOf(got);
    if (!fixes.empty())
        fixes.pop_back();
    ASSERT_GE(fixes.size(), 3u) << got;
    const auto secondOf = [](const Fix& f) { return f.hour * 3600 + f.minute * 60 + f.second; };
    size_t first = 0;
    while (first < expected.size() && secondOf(expected[first]) != secondOf(fixes[0])) ++first;
    ASSERT_LE(first + fixes.size(), expected.size()) << "no run of the capture's positions";
    for (size_t i = 0; i < fixes.size(); ++i) {
        const Fix& want = expected[first + i];
        EXPECT_EQ(secondOf(fixes[i]), secondOf(want)) << i;
        EXPECT_DOUBLE_EQ(fixes[i].latitude, want.latitude) << i;
        EXPECT_DOUBLE_EQ(fixes[i].longitude, want.longitude) << i;
    }
}

// The simulated board behind socat, as behind a serial-to-network server: the board's connection
// finds it over TCP and a query gets the board's answer.
TEST(SocatBridge, CommandsReachTheBoardThroughATcpBridge) {
    const std::string socat = findProgram({"socat"});
    if (socat.empty())
        GTEST_SKIP() << "socat is not installed";
    test::ScratchDeviceRoot root;
    platform::ScopedClockSpeed fast{10};
    auto simulator = test::startSimulator(sim::SimReceiver::SurveyBoard);
    ASSERT_TRUE(simulator);

    // A serial-to-network server's line runs at the rate it was set up for: the board's 57600.
    const uint16_t port = test::freeLoopbackPort();
    PeerProcess bridge(std::vector<std::string>{
        socat, "TCP-LISTEN:" + std::to_string(port) + ",bind=127.0.0.1,reuseaddr,fork",
        "FILE:" + simulator->devicePath() + ",raw,echo=0,b57600"});
    ASSERT_TRUE(bridge.started());
    const std::string name = "tcp://127.0.0.1:" + std::to_string(port);
    // Until socat listens; each connection opens the board's line anew.
    receiver::GnssReceiver receiver;
    uint32_t connected = 0;
    for (int i = 0; i < 50 && connected == 0; ++i) {
        connected = receiver.connect(platform::fromUtf8(name));
        if (connected == 0)
            std::this_thread::sleep_for(100ms);
    }
    ASSERT_EQ(connected, 1u);
    platform::WideString station;
    EXPECT_EQ(receiver.queryStationId(station), 1u);
    EXPECT_EQ(platform::toUtf8(station), test::boardState(*simulator).stationId);
    receiver.disconnect();
}

}  // namespace
}  // namespace zentrix
