// Network lines behind the serial port's calls: names, the gpsd sentence filter, and real
// loopback servers that play a capture, hang up mid-sentence or never answer.
#include "platform/network_line.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/device_root.h"
#include "platform/serial_port.h"
#include "tests/support/tcp_server.h"
#include "tests/support/test_support.h"
#include "tests/support/testdata.h"

namespace zentrix::platform {
namespace {

using test::LoopbackServer;

WideString wide(const std::string& text) {
    return fromUtf8(text);
}

// Everything the port hands out until it fails or `limit` bytes came.
std::string readUntilFailure(SerialPort& port, size_t limit, bool* failed = nullptr) {
    std::string got;
    char buffer[300];
    for (int idle = 0; got.size() < limit && idle < 50;) {
        uint32_t n = 0;
        if (!port.read(buffer, sizeof buffer, &n, 100)) {
            if (failed)
                *failed = true;
            return got;
        }
        got.append(buffer, n);
        idle = n == 0 ? idle + 1 : 0;
    }
    if (failed)
        *failed = false;
    return got;
}

TEST(NetworkLineNames, ParsesTcpAndGpsdAddressesAndRefusesMalformedOnes) {
    using Kind = NetworkAddress::Kind;
    struct Case {
        const char* name;
        std::optional<NetworkAddress> expected;
    };
    const Case cases[] = {
        {"tcp://127.0.0.1:10110", NetworkAddress{Kind::Tcp, "127.0.0.1", 10110}},
        {"TCP://bridge.local:4001/", NetworkAddress{Kind::Tcp, "bridge.local", 4001}},
        {"tcp://[::1]:2000", NetworkAddress{Kind::Tcp, "::1", 2000}},
        {"gpsd://localhost", NetworkAddress{Kind::Gpsd, "localhost", kGpsdDefaultPort}},
        {"gpsd://10.0.0.2:3000", NetworkAddress{Kind::Gpsd, "10.0.0.2", 3000}},
        {"tcp://host", std::nullopt},  // a TCP stream has no usual port
        {"tcp://:2000", std::nullopt},
        {"tcp://host:0", std::nullopt},
        {"tcp://host:65536", std::nullopt},
        {"tcp://host:20x0", std::nullopt},
        {"tcp://[::1:2000", std::nullopt},
        {"gpsd://host:", std::nullopt},
        {"udp://host:2000", std::nullopt},
        {"COM3:", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseNetworkPortName(c.name), c.expected) << c.name;
    }
    EXPECT_TRUE(isNetworkPortName("tcp://host"));  // malformed, but still no device name
    EXPECT_FALSE(isNetworkPortName("/dev/ttyS0"));
}

// A network name is handed through as it is, directly or through a COM port's variable, and a
// malformed one opens nothing.
TEST(NetworkLineNames, PortNamesResolveToTheAddress) {
    test::ScratchDeviceRoot root;
    EXPECT_EQ(resolvePortName(u"tcp://127.0.0.1:4001").string(), "tcp://127.0.0.1:4001");
    test::ScopedEnv com7("ZENTRIX_COM7", "gpsd://localhost");
    EXPECT_EQ(resolvePortName(u"COM7:").string(), "gpsd://localhost");

    SerialPort port;
    port.open(u"tcp://127.0.0.1");
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.lastError(), EINVAL);
}

// gpsd's own reports are dropped and its sentences kept, however the reads cut the lines.
TEST(GpsdNmeaFilter, KeepsSentenceLinesAcrossAnySplit) {
    const std::string stream =
        "{\"class\":\"VERSION\",\"release\":\"3.25\"}\r\n"
        "$GPGGA,120000.00,4600.0000,N,00700.0000,E,1,08,1.0,1000.0,M,48.0,M,,*47\r\n"
        "{\"class\":\"DEVICES\",\"devices\":[{\"path\":\"/dev/x\"}]}\r\n"
        "!AIVDM,1,1,,A,13aGmP0P00PD;88MD5MTDww@2<0L,0*23\r\n"
        "\r\n"
        "{\"class\":\"WATCH\",\"nmea\":true}\r\n"
        "$GPRMC,120000.00,A,4600.0000,N,00700.0000,E,0.0,0.0,010120,,,A*6C\r\n";
    const std::string expected =
        "$GPGGA,120000.00,4600.0000,N,00700.0000,E,1,08,1.0,1000.0,M,48.0,M,,*47\r\n"
        "!AIVDM,1,1,,A,13aGmP0P00PD;88MD5MTDww@2<0L,0*23\r\n"
        "$GPRMC,120000.00,A,4600.0000,N,00700.0000,E,0.0,0.0,010120,,,A*6C\r\n";
    for (size_t chunk : {size_t{1}, size_t{2}, size_t{7}, size_t{64}, stream.size()}) {
        GpsdNmeaFilter filter;
        std::string kept;
        std::vector<uint8_t> out(chunk);
        for (size_t at = 0; at < stream.size(); at += chunk) {
            const size_t n = std::min(chunk, stream.size() - at);
            const size_t k =
                filter.filter(reinterpret_cast<const uint8_t*>(stream.data() + at), n, out.data());
            kept.append(reinterpret_cast<const char*>(out.data()), k);
        }
        EXPECT_EQ(kept, expected) << "chunk " << chunk;
    }
}

class NetworkLineTest : public ::testing::Test {
protected:
    ScopedClockSpeed fast_{100};
};

// A server playing a real capture: the port hands out exactly its bytes, in small writes with
// pauses between them, and a rate change on the way changes nothing.
TEST_F(NetworkLineTest, ReadsACaptureFromATcpServerByteForByte) {
    const std::string capture = test::readFile(test::testdataPath("gpsd/bu353-glonass.log"));
    ASSERT_FALSE(capture.empty());
    LoopbackServer server([&](int fd) {
        for (size_t at = 0; at < capture.size(); at += 500) {
            if (!LoopbackServer::sendAll(fd, std::string_view(capture).substr(at, 500)))
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    ASSERT_NE(server.port(), 0);
    SerialPort port;
    port.open(wide(server.url()));
    ASSERT_TRUE(port.isOpen()) << port.lastError();
    EXPECT_EQ(port.lineKind(), SerialPort::LineKind::Tcp);
    EXPECT_EQ(port.baudRate(), 0u);
    EXPECT_TRUE(port.setBaudRate(4800));
    EXPECT_EQ(port.baudRate(), 4800u);
    EXPECT_FALSE(port.setBaudRate(12345));
    EXPECT_EQ(port.baudRate(), 4800u);

    bool failed = false;
    const std::string got = readUntilFailure(port, capture.size() + 1, &failed);
    EXPECT_EQ(got.size(), capture.size());
    EXPECT_TRUE(got == capture);
    // The server hung up after the last byte: that reads as the device going away.
    EXPECT_TRUE(failed);
    EXPECT_EQ(port.lastError(), ECONNRESET);
}

// A server that drops the connection mid-sentence: the reads end like a vanished device, and the
// next open connects again. Commands travel the other way, byte for byte.
TEST_F(NetworkLineTest, AHangUpMidSentenceEndsTheReadsAndTheNextOpenConnectsAgain) {
    std::string heard;
    LoopbackServer server(
        [&](int fd) {
            char buffer[64];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n > 0)
                heard.assign(buffer, static_cast<size_t>(n));
            LoopbackServer::sendAll(fd, "$GPGGA,120000.00,4600.0000,N,0070");
        },
        2);
    SerialPort port;
    for (int round = 0; round < 2; ++round) {
        port.open(wide(server.url()));
        ASSERT_TRUE(port.isOpen()) << "round " << round << ": " << port.lastError();
        uint32_t written = 0;
        EXPECT_TRUE(port.write("$PQUERY*00\r\n", 12, &written));
        EXPECT_EQ(written, 12u);
        bool failed = false;
        EXPECT_EQ(readUntilFailure(port, 1000, &failed), "$GPGGA,120000.00,4600.0000,N,0070");
        EXPECT_TRUE(failed);
        EXPECT_NE(port.lastError(), 0);
        // Writing to a closed connection fails; it does not kill the program with a signal.
        for (int i = 0; i < 3 && port.write("x", 1, &written); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_FALSE(port.write("x", 1, &written));
        EXPECT_EQ(port.close(), 1);
    }
    EXPECT_EQ(heard, "$PQUERY*00\r\n");
}

// A server that accepts but never says a word: reads time out empty on the clock, the port stays
// open, and purge drops what had come before.
TEST_F(NetworkLineTest, ASilentServerTimesOutReadsAndPurgeDropsWhatCame) {
    std::atomic<bool> done{false};
    LoopbackServer server([&](int fd) {
        LoopbackServer::sendAll(fd, "stale bytes\r\n");
        while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    SerialPort port;
    port.open(wide(server.url()));
    ASSERT_TRUE(port.isOpen());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(port.purge(SerialPort::kPurgeRxClear | SerialPort::kPurgeTxClear));

    char buffer[16];
    uint32_t n = 99;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(port.read(buffer, sizeof buffer, &n, 1000));  // one clock second
    EXPECT_EQ(n, 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_TRUE(port.isOpen());
    done = true;
}

// Nobody accepts and the backlog is full, so the connect never completes: the open gives up on
// the clock's time-out instead of hanging. A closed port is refused at once.
TEST_F(NetworkLineTest, AConnectThatNeverCompletesTimesOutAndARefusedOneFailsAtOnce) {
    LoopbackServer server({}, 0, 0);
    ASSERT_NE(server.port(), 0);
    // Fill the listener's queue with connections nobody takes.
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(server.port());
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        fillers.push_back(fd);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    SerialPort port;
    const auto start = std::chrono::steady_clock::now();
    port.open(wide(server.url()));
    const auto waited = std::chrono::steady_clock::now() - start;
    if (port.isOpen()) {
        for (int fd : fillers) ::close(fd);
        GTEST_SKIP() << "this kernel completed a connect to a full backlog";
    }
    EXPECT_EQ(port.lastError(), ETIMEDOUT);
    // 5 clock seconds at a hundredfold speed.
    EXPECT_GE(waited, std::chrono::milliseconds(40));
    EXPECT_LT(waited, std::chrono::milliseconds(2000));
    for (int fd : fillers) ::close(fd);

    const uint16_t closedPort = test::freeLoopbackPort();
    port.open(wide("tcp://127.0.0.1:" + std::to_string(closedPort)));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.lastError(), ECONNREFUSED);
}

// A gpsd line asks for sentences as it connects, passes on only sentences and refuses writes.
TEST_F(NetworkLineTest, AGpsdLineWatchesAndHandsOutOnlySentences) {
    std::string request;
    LoopbackServer server([&](int fd) {
        LoopbackServer::sendAll(fd, "{\"class\":\"VERSION\",\"release\":\"3.25\"}\r\n");
        char buffer[128];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n > 0)
            request.assign(buffer, static_cast<size_t>(n));
        LoopbackServer::sendAll(fd,
                                "{\"class\":\"DEVICES\",\"devices\":[]}\r\n"
                                "{\"class\":\"WATCH\",\"enable\":true,\"nmea\":true}\r\n"
                                "$GPZDA,120000.00,01,01,2020,00,00*6F\r\n");
    });
    SerialPort port;
    port.open(wide(server.url("gpsd")));
    ASSERT_TRUE(port.isOpen()) << port.lastError();
    EXPECT_EQ(port.lineKind(), SerialPort::LineKind::Gpsd);
    uint32_t written = 7;
    EXPECT_FALSE(port.write("$PX\r\n", 5, &written));
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(readUntilFailure(port, 1000), "$GPZDA,120000.00,01,01,2020,00,00*6F\r\n");
    EXPECT_EQ(request, kGpsdWatchRequest);
}

}  // namespace
}  // namespace zentrix::platform
