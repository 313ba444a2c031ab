// A pseudo-terminal pair: the test plays the receiver on the master side, the program opens the
// slave side as its serial port.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <string>

namespace zentrix::test {

class PseudoTerminal {
public:
    PseudoTerminal() {
        int slave = -1;
        char name[128] = {};
        if (::openpty(&master_, &slave, name, nullptr, nullptr) == 0) {
            slavePath_ = name;
            // Keep a slave descriptor open so that the master never sees a hang-up while the
            // program closes and reopens its port.
            slave_ = slave;
        }
    }
    ~PseudoTerminal() {
        closeMaster();
        if (slave_ >= 0) ::close(slave_);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ok() const { return master_ >= 0; }
    const std::string& slavePath() const { return slavePath_; }
    int master() const { return master_; }

    /// Lets the program's side see a hang-up: no slave descriptor of ours stays open.
    void releaseSlave() {
        if (slave_ >= 0) ::close(slave_);
        slave_ = -1;
    }
    void closeMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

    bool send(const std::string& bytes) {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    /// Everything the program wrote within `timeoutMs` real milliseconds of silence.
    std::string receive(int timeoutMs = 200) {
        std::string bytes;
        pollfd p{master_, POLLIN, 0};
        while (::poll(&p, 1, timeoutMs) > 0 && (p.revents & POLLIN)) {
            char buffer[256];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) break;
            bytes.append(buffer, static_cast<size_t>(n));
        }
        return bytes;
    }

    /// The line settings as the receiver side sees them.
    termios lineSettings() const {
        termios t{};
        ::tcgetattr(master_, &t);
        return t;
    }

    speed_t outputSpeed() const {
        const termios t = lineSettings();
        return cfgetospeed(&t);
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace zentrix::test
