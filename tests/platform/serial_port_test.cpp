#include "platform/serial_port.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/clock.h"
#include "tests/support/pty.h"
#include "tests/support/test_support.h"

namespace zentrix::platform {
namespace {

using test::PseudoTerminal;
using test::ScopedEnv;

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pty_.ok()); }
    // The pseudo-terminal becomes COM3, as a user would link a real device.
    WideString openPort(SerialPort& port) {
        port.open(u"COM3:");
        return port.portName();
    }

    PseudoTerminal pty_;
    ScopedEnv com3_{"ZENTRIX_COM3", pty_.slavePath()};
    ScopedClockSpeed fast_{100};
};

TEST_F(SerialPortTest, OpensRaw8N1AndKeepsTheBaudRate) {
    {
        termios t = pty_.lineSettings();
        cfsetispeed(&t, B4800);
        cfsetospeed(&t, B4800);
        t.c_cflag |= PARENB | CSTOPB;
        ASSERT_EQ(tcsetattr(pty_.master(), TCSANOW, &t), 0);
    }
    SerialPort port;
    EXPECT_EQ(openPort(port), u"COM3:");
    ASSERT_TRUE(port.isOpen());
    EXPECT_EQ(port.baudRate(), 4800u) << "open leaves the rate as the port had it";

    const termios seen = pty_.lineSettings();
    EXPECT_EQ(seen.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(seen.c_cflag & PARENB);
    EXPECT_FALSE(seen.c_cflag & CSTOPB);
    EXPECT_FALSE(seen.c_lflag & (ICANON | ECHO));
    EXPECT_FALSE(seen.c_iflag & (IXON | ICRNL));

    EXPECT_EQ(port.timeouts().writeTotalMultiplierMs, 10u);
    EXPECT_EQ(port.timeouts().writeTotalConstantMs, 1000u);
    EXPECT_EQ(port.timeoutApplications(), 0u) << "the block is applied by the first read";
}

TEST_F(SerialPortTest, SwitchesOffTheFlowControlItsLastUserLeftOn) {
    {
        termios t = pty_.lineSettings();
        t.c_cflag |= CRTSCTS;
        t.c_iflag |= IXON | IXOFF;
        ASSERT_EQ(tcsetattr(pty_.master(), TCSANOW, &t), 0);
        ASSERT_TRUE(pty_.lineSettings().c_cflag & CRTSCTS) << "the line keeps the flag";
    }
    SerialPort port;
    openPort(port);
    ASSERT_TRUE(port.isOpen());
    const termios seen = pty_.lineSettings();
    EXPECT_FALSE(seen.c_cflag & CRTSCTS);
    EXPECT_FALSE(seen.c_iflag & (IXON | IXOFF));
    // A baud change applies the cached settings whole: the flag must not come back with them.
    ASSERT_TRUE(port.setBaudRate(9600));
    EXPECT_FALSE(pty_.lineSettings().c_cflag & CRTSCTS);
}

TEST_F(SerialPortTest, OpeningAnOpenPortChangesNothing) {
    SerialPort port;
    openPort(port);
    ASSERT_TRUE(port.setBaudRate(38400));
    ScopedEnv elsewhere("ZENTRIX_COM1", "/dev/null");
    port.open(u"COM1:");
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(port.portName(), u"COM3:");
    EXPECT_EQ(port.baudRate(), 38400u);
    EXPECT_EQ(pty_.outputSpeed(), static_cast<speed_t>(B38400));
}

TEST_F(SerialPortTest, CloseReportsWhetherThePortWasOpen) {
    SerialPort never;
    EXPECT_EQ(never.close(), -1);
    EXPECT_FALSE(never.isOpen());

    SerialPort port;
    openPort(port);
    EXPECT_EQ(port.close(), 1);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.close(), -1);
    uint32_t n = 99;
    uint8_t byte;
    EXPECT_FALSE(port.read(&byte, 1, &n, 1000));
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(port.write("x", 1, &n));
    EXPECT_FALSE(port.purge(SerialPort::kPurgeRxClear));
    EXPECT_FALSE(port.setBaudRate(9600));

    port.open(u"COM3:");
    EXPECT_TRUE(port.isOpen()) << "a closed port can be opened again";
}

TEST_F(SerialPortTest, MissingAndUnresolvableDevicesStayClosed) {
    SerialPort port;
    ScopedEnv missing("ZENTRIX_COM7", "/dev/zentrix-no-such-device");
    port.open(u"COM7:");
    EXPECT_FALSE(port.isOpen());
    port.open(u"NOTAPORT");
    EXPECT_FALSE(port.isOpen());
    port.open(u"/dev/null");
    EXPECT_FALSE(port.isOpen()) << "a device that is not a terminal cannot be a serial port";
    EXPECT_EQ(port.portName(), u"");
}

TEST_F(SerialPortTest, ASecondOpenOfTheSameDeviceFails) {
    SerialPort first;
    openPort(first);
    ASSERT_TRUE(first.isOpen());
    SerialPort second;
    second.open(u"COM3:");
    EXPECT_FALSE(second.isOpen()) << "same process";

    // Another process that holds the port.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    first.close();
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        SerialPort port;
        port.open(u"COM3:");
        const char state = port.isOpen() ? 'y' : 'n';
        (void)!write(ready[1], &state, 1);
        pause();
        _exit(0);
    }
    char state = 0;
    ASSERT_EQ(read(ready[0], &state, 1), 1);
    EXPECT_EQ(state, 'y');
    second.open(u"COM3:");
    EXPECT_FALSE(second.isOpen()) << "another process";
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    second.open(u"COM3:");
    EXPECT_TRUE(second.isOpen()) << "free again once the holder is gone";
}

TEST_F(SerialPortTest, LongPortNamesAreCut) {
    ScopedEnv longName("ZENTRIX_COM12345678901234567890", pty_.slavePath());
    SerialPort port;
    port.open(u"COM12345678901234567890:");
    ASSERT_TRUE(port.isOpen());
    EXPECT_EQ(port.portName(), u"COM123456789012345678");
}

TEST_F(SerialPortTest, RefusedBaudRateLeavesThePreviousOne) {
    SerialPort port;
    openPort(port);
    ASSERT_TRUE(port.setBaudRate(115200));
    EXPECT_EQ(pty_.outputSpeed(), static_cast<speed_t>(B115200));
    for (uint32_t refused : {0u, 12345u, 100000000u}) {
        EXPECT_FALSE(port.setBaudRate(refused)) << refused;
        EXPECT_EQ(port.baudRate(), 115200u) << "cache, after " << refused;
        EXPECT_EQ(pty_.outputSpeed(), static_cast<speed_t>(B115200))
            << "line, after " << refused;
    }
    for (uint32_t rate : {4800u, 9600u, 19200u, 38400u, 57600u, 230400u}) {
        EXPECT_TRUE(port.setBaudRate(rate));
        EXPECT_EQ(port.baudRate(), rate);
    }
}

TEST_F(SerialPortTest, AReadWithNothingArrivingReturnsNoBytesAfterItsTimeOut) {
    SerialPort port;
    openPort(port);
    uint8_t byte = 0;
    uint32_t n = 99;
    const uint32_t start = Clock::tickCount();
    EXPECT_TRUE(port.read(&byte, 1, &n, 1000));
    EXPECT_EQ(n, 0u);
    EXPECT_GE(ticksSince(start), 1000u);
    EXPECT_LT(ticksSince(start), 30000u);
}

TEST_F(SerialPortTest, TimeOutsAreAppliedOnlyWhenTheyChange) {
    SerialPort port;
    openPort(port);
    uint8_t byte;
    uint32_t n;
    port.read(&byte, 1, &n, 1000);
    port.read(&byte, 1, &n, 1000);
    EXPECT_EQ(port.timeoutApplications(), 1u);
    EXPECT_EQ(port.timeouts().readTotalConstantMs, 1000u);
    EXPECT_EQ(port.timeouts().writeTotalConstantMs, 1000u) << "write time-outs travel along";
    port.read(&byte, 1, &n, 15);
    port.read(&byte, 1, &n, 1000);
    EXPECT_EQ(port.timeoutApplications(), 3u);
}

TEST_F(SerialPortTest, ReadsReturnWhatArrivesInOrderWhateverTheChunking) {
    SerialPort port;
    openPort(port);
    std::string sent;
    for (int i = 0; i < 3000; ++i) sent += static_cast<char>(i * 7);
    ASSERT_TRUE(pty_.send(sent));

    std::string received;
    const uint32_t sizes[] = {1, 7, 1, 300, 2000};
    for (size_t i = 0; received.size() < sent.size(); ++i) {
        char buffer[2000];
        uint32_t n = 0;
        ASSERT_TRUE(port.read(buffer, sizes[i % 5], &n, 1000));
        ASSERT_GT(n, 0u) << "data was waiting";
        received.append(buffer, n);
    }
    EXPECT_EQ(received, sent);
}

TEST_F(SerialPortTest, AReadWaitsForTheRestOfItsCountUntilTheTimeOut) {
    SerialPort port;
    openPort(port);
    ASSERT_TRUE(pty_.send("$GP"));
    std::thread late([this] {
        sleepMs(300);
        pty_.send("GGA");
    });
    char buffer[16] = {};
    uint32_t n = 0;
    EXPECT_TRUE(port.read(buffer, 6, &n, 5000));
    late.join();
    EXPECT_EQ(std::string(buffer, n), "$GPGGA");
    EXPECT_TRUE(port.read(buffer, 16, &n, 100));
    EXPECT_EQ(n, 0u) << "a short read is no failure";
}

TEST_F(SerialPortTest, WritesReachTheOtherEnd) {
    SerialPort port;
    openPort(port);
    const std::string command = "$PQELS,SBA,OFF\r\n";
    uint32_t n = 0;
    ASSERT_TRUE(port.write(command.data(), static_cast<uint32_t>(command.size()), &n));
    EXPECT_EQ(n, command.size());
    EXPECT_EQ(pty_.receive(), command) << "no line-end translation";
}

TEST_F(SerialPortTest, PurgeAndBaudChangeDropUnreadInput) {
    SerialPort port;
    openPort(port);
    ASSERT_TRUE(pty_.send("stale bytes at the old rate"));
    char buffer[64];
    uint32_t n = 0;
    ASSERT_TRUE(port.read(buffer, 1, &n, 1000));  // the rest sits in the read-ahead
    ASSERT_EQ(n, 1u);
    ASSERT_TRUE(port.setBaudRate(9600));
    ASSERT_TRUE(port.read(buffer, sizeof buffer, &n, 50));
    EXPECT_EQ(n, 0u) << std::string(buffer, n);

    ASSERT_TRUE(pty_.send("more stale bytes"));
    sleepMs(200);
    ASSERT_TRUE(port.purge(SerialPort::kPurgeTxClear | SerialPort::kPurgeRxClear));
    ASSERT_TRUE(port.read(buffer, sizeof buffer, &n, 50));
    EXPECT_EQ(n, 0u) << std::string(buffer, n);

    ASSERT_TRUE(pty_.send("fresh"));
    ASSERT_TRUE(port.read(buffer, 5, &n, 1000));
    EXPECT_EQ(std::string(buffer, n), "fresh");
}

TEST_F(SerialPortTest, ADeviceThatVanishesDuringAReadFailsItWithoutHanging) {
    SerialPort port;
    openPort(port);
    pty_.releaseSlave();
    std::atomic<bool> result{true};
    std::atomic<bool> finished{false};
    std::thread reader([&] {
        uint8_t byte;
        uint32_t n = 0;
        // Read until the device goes; a bounded loop so that a fault cannot hang the suite.
        for (int i = 0; i < 200 && result; ++i) result = port.read(&byte, 1, &n, 1000);
        finished = true;
    });
    sleepMs(500);
    pty_.closeMaster();
    reader.join();
    EXPECT_TRUE(finished);
    EXPECT_FALSE(result);
    EXPECT_NE(port.lastError(), 0);
    EXPECT_TRUE(port.isOpen()) << "a failed read leaves the port open for its owner to close";
    EXPECT_EQ(port.close(), 1);
}

// Signals that come more often than a wait lasts: each interrupted poll() must go on with what is
// left of the wait, not start it over.
TEST_F(SerialPortTest, WaitsKeepTheirDeadlineUnderFrequentSignals) {
    ScopedClockSpeed real(1);
    struct sigaction quiet {};
    quiet.sa_handler = [](int) {};  // no SA_RESTART: every signal interrupts the wait
    struct sigaction previous {};
    ASSERT_EQ(sigaction(SIGUSR1, &quiet, &previous), 0);

    SerialPort port;
    openPort(port);
    std::atomic<bool> done{false};
    std::atomic<bool> result{false};
    std::atomic<uint32_t> got{99};
    std::atomic<int64_t> tookRealMs{0};
    std::thread reader([&] {
        uint8_t byte = 0;
        uint32_t n = 99;
        const auto start = std::chrono::steady_clock::now();
        result = port.read(&byte, 1, &n, 200);
        tookRealMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::steady_clock::now() - start)
                         .count();
        got = n;
        done = true;
    });
    // A signal every 5 ms, for at most 3 s: long enough to show a wait that never ends, bounded
    // so that such a fault fails the test instead of hanging it.
    const pthread_t target = reader.native_handle();
    for (int i = 0; i < 600 && !done; ++i) {
        pthread_kill(target, SIGUSR1);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    reader.join();
    sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_TRUE(result);
    EXPECT_EQ(got, 0u);
    EXPECT_GE(tookRealMs, 200);
    EXPECT_LT(tookRealMs, 1500) << "the signals restarted the wait";
}

TEST_F(SerialPortTest, AWriteCutShortByAVanishingDeviceReportsWhatWentOut) {
    SerialPort port;
    openPort(port);
    pty_.releaseSlave();
    // Far more than the pseudo-terminal buffers while nobody reads its other end.
    const std::string block(1 << 20, 'x');
    std::atomic<bool> result{true};
    std::atomic<uint32_t> written{0};
    std::thread writer([&] {
        uint32_t n = 0;
        result = port.write(block.data(), static_cast<uint32_t>(block.size()), &n);
        written = n;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the buffer fills meanwhile
    pty_.closeMaster();
    writer.join();
    EXPECT_FALSE(result);
    EXPECT_GT(written, 0u) << "the bytes that went out before the device went are reported";
    EXPECT_LT(written, block.size());
}

TEST_F(SerialPortTest, AWriteThatCannotDrainStopsAtItsTimeOut) {
    SerialPort port;
    openPort(port);
    // Nobody reads the master: the pseudo-terminal's buffer fills and the write must give up.
    const std::string block(4096, 'x');
    constexpr int kBlocks = 256;
    uint32_t total = 0;
    const uint32_t start = Clock::tickCount();
    for (int i = 0; i < kBlocks; ++i) {
        uint32_t n = 0;
        ASSERT_TRUE(port.write(block.data(), static_cast<uint32_t>(block.size()), &n));
        total += n;
        if (n < block.size()) break;
    }
    EXPECT_LT(total, kBlocks * block.size()) << "the buffer never filled";
    EXPECT_GE(ticksSince(start), 1000u);
}

}  // namespace
}  // namespace zentrix::platform
