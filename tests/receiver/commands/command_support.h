// A receiver played by the test: a thread on the master side of a pseudo-terminal that reads each
// command line the program sends, records it, and answers from the test's script, at once, later,
// or not at all.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/text.h"
#include "receiver/gnss_receiver.h"
#include "tests/support/nmea.h"
#include "tests/support/pty.h"

namespace zentrix::receiver::test {

using zentrix::test::withChecksum;

inline const std::string kAck = "$PQELR,ACK\r\n";
inline const std::string kNak = "$PQELR,NAK\r\n";

/// A reply body ("$PQELR,GPS,ON") with its checksum and line end.
inline std::string reply(std::string_view body) {
    return withChecksum(body);
}

/// One answer to a command line: what to send, after how many real milliseconds.
struct Answer {
    std::string bytes;
    int delayRealMs = 0;
};

class ScriptedReceiver {
  public:
    /// Gets every command line (with its line end); returns the answers, in order.
    using Script = std::function<std::vector<Answer>(const std::string& line)>;

    explicit ScriptedReceiver(zentrix::test::PseudoTerminal& pty)
        : pty_(pty), thread_([this] { loop(); }) {}
    ~ScriptedReceiver() {
        stop_ = true;
        thread_.join();
    }

    void script(Script s) {
        std::lock_guard lock(mutex_);
        script_ = std::move(s);
    }
    /// The same answer to every line.
    void answerAll(std::string bytes) {
        script([bytes](const std::string&) { return std::vector<Answer>{{bytes}}; });
    }
    /// Each line gets the next answer of the list; lines after the last get nothing.
    void answerInTurn(std::vector<std::string> answers) {
        auto next = std::make_shared<size_t>(0);
        script([answers = std::move(answers), next](const std::string&) {
            if (*next >= answers.size())
                return std::vector<Answer>{};
            return std::vector<Answer>{{answers[(*next)++]}};
        });
    }
    void silent() {
        script([](const std::string&) { return std::vector<Answer>{}; });
    }

    std::vector<std::string> lines() {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    /// Waits (real time) until the program has sent no new byte for `quietRealMs`, then takes
    /// the lines received so far.
    std::vector<std::string> takeLines(int quietRealMs = 10) {
        for (;;) {
            const size_t before = received_.load();
            std::this_thread::sleep_for(std::chrono::milliseconds(quietRealMs));
            if (received_.load() == before)
                break;
        }
        std::lock_guard lock(mutex_);
        return std::exchange(lines_, {});
    }
    void send(const std::string& bytes) { pty_.send(bytes); }

  private:
    void loop() {
        std::string pending;
        while (!stop_) {
            pollfd p{pty_.master(), POLLIN, 0};
            if (::poll(&p, 1, 5) <= 0 || !(p.revents & POLLIN))
                continue;
            char buffer[512];
            const ssize_t n = ::read(pty_.master(), buffer, sizeof buffer);
            if (n <= 0)
                continue;
            pending.append(buffer, static_cast<size_t>(n));
            size_t end;
            while ((end = pending.find('\n')) != std::string::npos) {
                const std::string line = pending.substr(0, end + 1);
                pending.erase(0, end + 1);
                std::vector<Answer> answers;
                {
                    std::lock_guard lock(mutex_);
                    lines_.push_back(line);
                    if (script_)
                        answers = script_(line);
                }
                for (const Answer& a : answers) {
                    if (a.delayRealMs > 0)
                        std::this_thread::sleep_for(std::chrono::milliseconds(a.delayRealMs));
                    pty_.send(a.bytes);
                }
            }
            received_ += static_cast<size_t>(n);
        }
    }

    zentrix::test::PseudoTerminal& pty_;
    std::mutex mutex_;
    Script script_;
    std::vector<std::string> lines_;
    std::atomic<size_t> received_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

/// A `GnssReceiver` whose reader runs on the slave side of a pseudo-terminal, the test playing
/// the receiver. The clock runs `speed` times faster, so that the 10 s default time-out passes in
/// 100 ms and a pseudo-terminal round trip is still far shorter than any time-out.
class ReceiverOnLine : public ::testing::Test {
  protected:
    explicit ReceiverOnLine(uint32_t speed = 100) : fast_(speed) {}

    void SetUp() override {
        ASSERT_TRUE(pty_.ok());
        ASSERT_TRUE(rx_.openPort(platform::fromUtf8(pty_.slavePath())));
        ASSERT_TRUE(rx_.startReader());
        for (int i = 0; i < 2000 && !rx_.reader().replyEvent().exists(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_TRUE(rx_.reader().replyEvent().exists());
        ASSERT_EQ(rx_.isConnected(), 1u);
    }
    void TearDown() override {
        // A byte wakes the reader from its read at once, whatever the clock's speed.
        rx_.reader().requestStop();
        peer_.send("\n");
        rx_.stopReader();
    }

    /// Clock milliseconds a call took.
    template <typename Call>
    uint32_t timed(Call&& call) {
        const uint32_t start = platform::Clock::tickCount();
        call();
        return platform::ticksSince(start);
    }

    platform::ScopedClockSpeed fast_;
    zentrix::test::PseudoTerminal pty_;
    GnssReceiver rx_;
    ScriptedReceiver peer_{pty_};
};

inline std::string utf8(const platform::WideString& text) {
    return platform::toUtf8(text);
}

}  // namespace zentrix::receiver::test
