// The program's reader as the simulator's client: a COM port of a scratch device root, the reader
// thread on it, and a command transaction in the form the command layer uses.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "platform/worker_thread.h"
#include "receiver/nmea/byte_source.h"
#include "receiver/nmea/receiver_reader.h"
#include "tests/support/test_support.h"
#include "tests/support/testdata.h"
#include "tools/sim/simulator.h"

namespace zentrix::test {

class SimClient {
  public:
    using Flag = receiver::ReplyState::Flag;

    explicit SimClient(uint32_t baud = 57600) {
        port_.open(u"COM3:");
        if (port_.isOpen())
            port_.setBaudRate(baud);
    }
    ~SimClient() { stopReader(); }

    bool startReader() {
        thread_ = std::make_unique<platform::WorkerThread>(reader_);
        for (int i = 0; i < 500 && !reader_.replyEvent().exists(); ++i) platform::sleepMs(10);
        return reader_.replyEvent().exists();
    }
    void stopReader() {
        if (!thread_)
            return;
        thread_->requestStop();
        thread_->wait(platform::kInfinite);
        thread_.reset();
    }

    /// Clears the flags, sends, waits for the reply event: what every command does.
    bool transact(const std::string& text, uint32_t timeoutMs = 10000) {
        receiver::ReplyState& r = reader_.replies();
        for (Flag* f : {&r.ackReceived,
                        &r.nakReceived,
                        &r.okReceived,
                        &r.failReceived,
                        &r.nrcOn,
                        &r.nrcOff,
                        &r.prtReceived,
                        &r.bthReceived,
                        &r.nmoReceived,
                        &r.sbaReceived,
                        &r.gloReceived,
                        &r.gpsReceived,
                        &r.cfgReceived,
                        &r.pemReceived,
                        &r.anhReceived,
                        &r.anpReceived,
                        &r.anrReceived,
                        &r.basReceived,
                        &r.stiReceived,
                        &r.driReceived,
                        &r.atlReceived,
                        &r.memReceived,
                        &r.fileReceived,
                        &r.pathReceived,
                        &r.versionReceived,
                        &r.nptReceived,
                        &r.mdmReceived,
                        &r.dipReceived,
                        &r.mountPointReceived,
                        &r.ntripParametersReceived,
                        &r.sourceTableReceived,
                        &r.cpdReceived,
                        &r.rdpReceived})
            *f = 0;
        reader_.replyEvent().reset();
        const std::string line = text + "\r\n";
        uint32_t written = 0;
        port_.write(line.data(), static_cast<uint32_t>(line.size()), &written);
        return reader_.replyEvent().wait(timeoutMs);
    }
    bool acked(const std::string& text, uint32_t timeoutMs = 10000) {
        return transact(text, timeoutMs) && replies().ackReceived;
    }

    receiver::ReplyState& replies() { return reader_.replies(); }
    receiver::ReceiverReader& reader() { return reader_; }
    platform::SerialPort& port() { return port_; }

  private:
    platform::SerialPort port_;
    receiver::SerialByteSource source_{port_};
    receiver::ReceiverReader reader_{source_};
    std::unique_ptr<platform::WorkerThread> thread_;
};

/// A simulator on a pseudo-terminal linked as COM3: of a scratch device root.
inline std::unique_ptr<sim::Simulator> startSimulator(sim::SimOptions options = {}) {
    if (options.sourceTable.empty())
        options.sourceTable = testdataPath("ntrip/euref-ip.sourcetable.txt");
    if (options.startUtcSeconds == 0)
        options.startUtcSeconds = 1700000000;  // 14 Nov 2023
    auto simulator = std::make_unique<sim::Simulator>(options);
    if (!simulator->openPseudoTerminal() || !simulator->linkAsComPort(3) || !simulator->start())
        return nullptr;
    return simulator;
}

}  // namespace zentrix::test
