#include "receiver/nmea/receiver_reader.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "platform/worker_thread.h"
#include "tests/support/nmea.h"
#include "tests/support/pty.h"
#include "tests/support/test_support.h"

namespace zentrix::receiver {
namespace {

using platform::kInfinite;
using platform::WorkerThread;
using test::withChecksum;

// A reader thread on the slave side of a pseudo-terminal, the test playing the receiver.
class ReaderOnLine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty_.ok());
        port_.open(platform::fromUtf8(pty_.slavePath()));
        ASSERT_TRUE(port_.isOpen());
    }
    void TearDown() override { stop(); }

    void start() {
        thread_ = std::make_unique<WorkerThread>(reader_);
        ASSERT_TRUE(thread_->started());
        // The events exist once the thread has begun.
        for (int i = 0; i < 1000 && !reader_.vectorEvent().exists(); ++i) platform::sleepMs(10);
        ASSERT_TRUE(reader_.vectorEvent().exists());
    }
    void stop() {
        if (!thread_) return;
        thread_->requestStop();
        EXPECT_TRUE(thread_->wait(kInfinite));
        thread_.reset();
    }

    platform::ScopedClockSpeed fast_{50};
    test::PseudoTerminal pty_;
    platform::SerialPort port_;
    SerialByteSource source_{port_};
    ReceiverReader reader_{source_};
    std::unique_ptr<WorkerThread> thread_;
};

TEST_F(ReaderOnLine, RepliesAndVectorsReleaseTheirEvents) {
    start();
    reader_.replyEvent().reset();
    pty_.send("$GPGGA,1*00\r\n$PQELR,ACK\r\n");
    EXPECT_TRUE(reader_.activityEvent().wait(5000));
    EXPECT_TRUE(reader_.replyEvent().wait(5000));
    EXPECT_EQ(reader_.replies().ackReceived, 1);
    EXPECT_FALSE(reader_.replyEvent().wait(0)) << "auto-reset";

    pty_.send(withChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") +
              withChecksum("$PQELR,VEC,2,0,0,0.1,0.2,0.3,0,0,0,0,0,0,0"));
    ASSERT_TRUE(reader_.vectorEvent().wait(5000));
    EXPECT_EQ(reader_.getPosition().fixType, 4);
    EXPECT_NEAR(reader_.getPosition().latitude, 48.1173, 1e-4);

    pty_.send("$PQELR,NAK\r\n");
    EXPECT_TRUE(reader_.replyEvent().wait(5000));
    EXPECT_EQ(reader_.replies().nakReceived, 1);
    EXPECT_EQ(reader_.replies().ackReceived, 0);
}

TEST_F(ReaderOnLine, EventsLiveExactlyAsLongAsTheThread) {
    EXPECT_FALSE(reader_.replyEvent().wait(kInfinite)) << "no thread: fails at once";
    start();
    stop();
    EXPECT_FALSE(reader_.replyEvent().exists());
    EXPECT_FALSE(reader_.vectorEvent().wait(kInfinite));
    EXPECT_FALSE(reader_.activityEvent().exists());
    // The stop request was cleared: the reader can run again on the same port.
    start();
    pty_.send("$PQELR,ACK\r\n");
    EXPECT_TRUE(reader_.replyEvent().wait(5000));
}

TEST_F(ReaderOnLine, AStopIsHonouredWithinOneReadTimeOut) {
    start();
    const uint32_t begin = platform::Clock::tickCount();
    thread_->requestStop();
    EXPECT_TRUE(thread_->wait(kInfinite));
    EXPECT_LE(platform::ticksSince(begin), 2 * ReceiverReader::kReadTimeoutMs + 500);
    EXPECT_EQ(thread_->exitCode(), 0u);
    thread_.reset();
}

TEST_F(ReaderOnLine, ASourceTableEndsAfterASecondOfSilence) {
    start();
    pty_.send("$PQELR,NTR,TBL\r\nSOURCETABLE 200 OK\r\nSTR;VRS;x\r\n");
    EXPECT_FALSE(reader_.replyEvent().wait(300)) << "still inside the table";
    EXPECT_TRUE(reader_.replyEvent().wait(5000)) << "ended by silence";
}

TEST_F(ReaderOnLine, AVanishedDeviceEndsTheThreadButLeavesThePortOpen) {
    start();
    pty_.releaseSlave();
    pty_.closeMaster();
    EXPECT_TRUE(thread_->wait(10000));
    EXPECT_EQ(thread_->exitCode(), 0u);
    EXPECT_TRUE(port_.isOpen());
    EXPECT_FALSE(reader_.replyEvent().exists());
    thread_.reset();
}

TEST(ReceiverReader, DoesNotStartOnAClosedPort) {
    platform::SerialPort closed;
    SerialByteSource source(closed);
    ReceiverReader reader(source);
    EXPECT_EQ(reader.run(), 1u);
    EXPECT_FALSE(reader.replyEvent().exists());
}

TEST(ReceiverReader, ReadsFromMemoryUntilTheBytesRunOut) {
    std::string log;
    for (int i = 0; i < 50; ++i) {
        log += withChecksum("$GPGSV,1,1,02,05,40,120,44,07,30,200," + std::to_string(i % 50));
    }
    MemoryByteSource source(log);
    ReceiverReader reader(source);
    int published = 0;
    reader.navigation().setPublishObserver([&](auto, const Sentence&) { ++published; });
    EXPECT_EQ(reader.run(), 0u);
    EXPECT_EQ(published, 50);
    std::array<SatelliteRecord, kMaxSatellites> sats;
    EXPECT_EQ(reader.getSatellites(sats), 2u);
    EXPECT_EQ(sats[1].snr1, 49);
}

}  // namespace
}  // namespace zentrix::receiver

namespace zentrix::receiver {
namespace {

// Every listed sentence type with fields that are overlong, empty, signed, fractional or missing,
// with and without a checksum, and then random bytes: the reader must survive all of it (the
// sanitizer build checks that nothing is read or written out of bounds) and frame what follows.
TEST(ReceiverReader, HostileSentencesOfEveryTypeLeaveItWorking) {
    const std::string fills[] = {std::string(300, '9'), std::string(300, 'Z'), "",
                                 "-99999999999999999999", "99.99999999999999", ",,,,", "*"};
    std::string stream;
    for (const auto& row : sentenceTypeTable()) {
        if (row.keyword.front() != '$') continue;  // the version block is framed by its own rule
        for (const auto& fill : fills) {
            std::string body(row.keyword);
            for (int field = 0; field < 40; ++field) body += "," + fill;
            stream += withChecksum(body.substr(0, 30000));
            stream += body.substr(0, 200) + "\r\n";           // no checksum
            stream += body.substr(0, row.keyword.size() + 3);  // truncated, no line end
        }
        stream += std::string(row.keyword) + "\r\n";  // nothing after the header
    }
    stream += "RECEIVER VERSION:" + std::string(5000, 'V') + "\r\nSYS fw:\r\nGNSS fw:" +
              std::string(3000, ' ') + "\r\n\r\n";
    uint32_t seed = 7;
    for (int i = 0; i < 100000; ++i) {
        seed = seed * 1664525 + 1013904223;
        const char c = static_cast<char>(seed >> 24);
        stream += (seed & 0x100) ? "$GPGSV,9,1,99,"[i % 14] : c;
    }
    stream += "\r\n" + withChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") +
              withChecksum("$PQELR,VEC,2,0,0,0,0,0");

    MemoryByteSource source(stream);
    ReceiverReader reader(source);
    EXPECT_EQ(reader.run(), 0u);
    const PositionRecord p = reader.getPosition();
    EXPECT_NEAR(p.latitude, 48.1173, 1e-4) << "the sentence after the storm was framed";
    EXPECT_EQ(p.fixType, 4);
    std::array<SatelliteRecord, kMaxSatellites> sats;
    EXPECT_LE(reader.getSatellites(sats), kMaxSatellites);
}

}  // namespace
}  // namespace zentrix::receiver
