// The receiver's share: listeners on the pseudo-terminal and on TCP get exactly the reader's
// bytes, one that stops reading is dropped without holding the reader up, and nothing a listener
// sends reaches the receiver.
#include "platform/line_share.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "receiver/nmea/byte_source.h"
#include "tests/support/pty.h"
#include "tests/support/test_support.h"

namespace zentrix::platform {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

/// A file descriptor closed at the end of the test.
struct Fd {
    int fd = -1;
    explicit Fd(int f = -1) : fd(f) {}
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

int connectTo(uint16_t port, int receiveBuffer = 0) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

/// Opens the shared terminal the way a listening program would.
int openTerminal(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
}

/// Reads until `wanted` bytes came or `timeoutMs` of silence passed.
std::string readFrom(int fd, size_t wanted, int timeoutMs = 2000) {
    std::string bytes;
    pollfd p{fd, POLLIN, 0};
    while (bytes.size() < wanted && ::poll(&p, 1, timeoutMs) > 0) {
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    return bytes;
}

/// Waits (real time) until `condition` holds; false when it never did.
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds limit = 3s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

void mirror(LineShare& share, const std::string& bytes) {
    share.mirror(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string sentences(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "$GPGGA,1234" + std::to_string(i % 10) +
                ".00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
    return text;
}

class LineShareTest : public ::testing::Test {
  protected:
    LineShareOptions options(bool tcp) {
        LineShareOptions o;
        o.links = {scratch_.path() / "devices" / "ZENTRIX-SHARE",
                   scratch_.path() / "run" / "receiver"};
        if (tcp)
            o.tcpPort = 0;
        return o;
    }

    test::ScratchFolder scratch_;
    LineShare share_;
};

TEST_F(LineShareTest, LinksPointAtTheTerminalWhileRunningAndGoAfter) {
    ASSERT_TRUE(share_.start(options(false))) << share_.lastError();
    const auto links = share_.links();
    ASSERT_EQ(links.size(), 2u);
    for (const auto& link : links) {
        EXPECT_EQ(std::filesystem::read_symlink(link), share_.terminalPath());
    }
    EXPECT_EQ(share_.tcpPort(), 0) << "no server unless asked";
    share_.stop();
    for (const auto& link : links)
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link))) << link;

    // A link left behind by a share that died is replaced; the defaults follow the device root
    // and the runtime folder.
    test::ScopedEnv root("ZENTRIX_ROOT", (scratch_.path() / "root").string());
    test::ScopedEnv runtime("XDG_RUNTIME_DIR", (scratch_.path() / "xdg").string());
    const auto defaults = defaultShareLinks();
    ASSERT_EQ(defaults.size(), 2u);
    EXPECT_EQ(defaults[0], scratch_.path() / "root" / "devices" / "ZENTRIX-SHARE");
    EXPECT_EQ(defaults[1], scratch_.path() / "xdg" / "zentrix" / "receiver");
    std::filesystem::create_directories(defaults[0].parent_path());
    std::filesystem::create_symlink("/dev/pts/does-not-exist", defaults[0]);
    ASSERT_TRUE(share_.start({})) << share_.lastError();
    EXPECT_EQ(std::filesystem::read_symlink(defaults[0]), share_.terminalPath());
    EXPECT_EQ(std::filesystem::read_symlink(defaults[1]), share_.terminalPath());
    {
        test::ScopedEnv noRuntime("XDG_RUNTIME_DIR", std::nullopt);
        EXPECT_EQ(defaultShareLinks().size(), 1u);
    }
}

TEST_F(LineShareTest, ServerPortThatIsTakenIsAnErrorAndLeavesNoLinks) {
    LineShare first;
    ASSERT_TRUE(first.start(options(true))) << first.lastError();
    LineShareOptions clash = options(true);
    clash.links = {scratch_.path() / "other"};
    clash.tcpPort = first.tcpPort();
    EXPECT_FALSE(share_.start(clash));
    EXPECT_FALSE(share_.lastError().empty());
    EXPECT_FALSE(
        std::filesystem::exists(std::filesystem::symlink_status(scratch_.path() / "other")));
    EXPECT_FALSE(share_.running());
}

TEST_F(LineShareTest, EveryListenerReadsExactlyTheReadersBytes) {
    ASSERT_TRUE(share_.start(options(true))) << share_.lastError();
    Fd first(connectTo(share_.tcpPort()));
    Fd second(connectTo(share_.tcpPort()));
    Fd terminal(openTerminal(share_.links()[0]));
    ASSERT_GE(first.fd, 0);
    ASSERT_GE(second.fd, 0);
    ASSERT_GE(terminal.fd, 0);
    ASSERT_TRUE(eventually([&] { return share_.clientCount() == 2 && share_.terminalInUse(); }));

    // Odd chunk sizes, as the reader's reads split sentences anywhere; all of them at once, more
    // than the terminal holds (a few kilobytes), as when the share's thread was kept from running
    // for a second. The terminal's listener reads as it goes, as gpsd does.
    const std::string bytes = sentences(200);
    std::string terminalBytes;
    std::thread terminalListener([&] { terminalBytes = readFrom(terminal.fd, bytes.size()); });
    for (size_t at = 0; at < bytes.size();) {
        const size_t n = std::min<size_t>(1 + at % 97, bytes.size() - at);
        mirror(share_, bytes.substr(at, n));
        at += n;
    }
    EXPECT_EQ(readFrom(first.fd, bytes.size()), bytes);
    EXPECT_EQ(readFrom(second.fd, bytes.size()), bytes);
    terminalListener.join();
    EXPECT_EQ(terminalBytes, bytes) << "CR LF reach the terminal unchanged";

    // A listener that goes away is forgotten; the others carry on.
    ::close(first.fd);
    first.fd = -1;
    ASSERT_TRUE(eventually([&] { return share_.clientCount() == 1; }));
    mirror(share_, "$GPZDA*00\r\n");
    EXPECT_EQ(readFrom(second.fd, 11), "$GPZDA*00\r\n");
    EXPECT_EQ(share_.droppedClients(), 0u) << "leaving is not being dropped";

    ::close(terminal.fd);
    terminal.fd = -1;
    EXPECT_TRUE(eventually([&] { return !share_.terminalInUse(); }));
}

TEST_F(LineShareTest, ListenerThatStopsReadingIsDroppedWithoutHoldingTheReaderUp) {
    ScopedClockSpeed fast(10);  // the one-second stall limit passes in a tenth of a second
    ASSERT_TRUE(share_.start(options(true))) << share_.lastError();
    Fd stuck(connectTo(share_.tcpPort(), 4096));
    Fd reading(connectTo(share_.tcpPort()));
    ASSERT_TRUE(eventually([&] { return share_.clientCount() == 2; }));

    // The reading client drains on a thread of its own, as another program would.
    std::string received;  // the drain's until it is joined
    std::atomic<size_t> receivedSize{0};
    std::atomic<bool> done{false};
    std::thread drain([&] {
        while (!done.load()) {
            received += readFrom(reading.fd, 1, 20);
            receivedSize = received.size();
        }
    });
    const std::string chunk = sentences(4);
    std::string sent;
    auto slowest = std::chrono::steady_clock::duration::zero();
    const auto start = std::chrono::steady_clock::now();
    while (share_.droppedClients() == 0 && std::chrono::steady_clock::now() - start < 5s) {
        const auto before = std::chrono::steady_clock::now();
        mirror(share_, chunk);
        slowest = std::max(slowest, std::chrono::steady_clock::now() - before);
        sent += chunk;
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(share_.droppedClients(), 1u);
    EXPECT_EQ(share_.clientCount(), 1u);
    EXPECT_LT(slowest, 5ms) << "a mirror call never waits for a listener";
    for (int i = 0; i < 10; ++i) {
        mirror(share_, chunk);
        sent += chunk;
    }
    EXPECT_TRUE(eventually([&] { return receivedSize.load() >= sent.size(); })) << receivedSize;
    done = true;
    drain.join();
    EXPECT_EQ(received, sent) << "the listener that kept up lost nothing";
}

TEST_F(LineShareTest, WhatListenersSendNeverReachesTheReceiver) {
    test::PseudoTerminal receiverLine;
    ASSERT_TRUE(receiverLine.ok());
    test::ScopedEnv com3("ZENTRIX_COM3", receiverLine.slavePath());
    SerialPort port;
    port.open(u"COM3:");
    ASSERT_TRUE(port.isOpen());
    receiver::SerialByteSource source(port);

    ASSERT_TRUE(share_.start(options(true))) << share_.lastError();
    Fd client(connectTo(share_.tcpPort()));
    Fd terminal(openTerminal(share_.links()[1]));
    ASSERT_GE(client.fd, 0);
    ASSERT_GE(terminal.fd, 0);
    ASSERT_TRUE(eventually([&] { return share_.clientCount() == 1 && share_.terminalInUse(); }));

    const std::string garbage = "$PZXCMD,RESET*00\r\n\x00\xff garbage"s;
    ASSERT_EQ(::write(client.fd, garbage.data(), garbage.size()), ssize_t(garbage.size()));
    ASSERT_EQ(::write(terminal.fd, garbage.data(), garbage.size()), ssize_t(garbage.size()));

    // Before the share is attached the reader's bytes stay its own.
    const std::string before = "$GPGSA,A,3*00\r\n";
    ASSERT_TRUE(receiverLine.send(before));
    uint8_t buffer[512];
    uint32_t got = 0;
    ASSERT_TRUE(source.readSome(buffer, sizeof buffer, &got, 1000));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), got), before);

    attachReaderShare(&share_);
    const std::string bytes = sentences(3);
    ASSERT_TRUE(receiverLine.send(bytes));
    std::string read;
    while (read.size() < bytes.size()) {
        ASSERT_TRUE(source.readSome(buffer, sizeof buffer, &got, 1000));
        ASSERT_GT(got, 0u);
        read.append(reinterpret_cast<char*>(buffer), got);
    }
    attachReaderShare(nullptr);
    EXPECT_EQ(read, bytes) << "the reader reads the receiver, not the listeners";
    EXPECT_EQ(readFrom(client.fd, bytes.size()), bytes);
    EXPECT_EQ(readFrom(terminal.fd, bytes.size()), bytes);
    EXPECT_EQ(receiverLine.receive(200), "") << "the receiver heard nothing";
    EXPECT_EQ(share_.clientCount(), 1u) << "garbage is no reason to drop a listener";
}

}  // namespace
}  // namespace zentrix::platform
