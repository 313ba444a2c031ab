#include "platform/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <optional>

#include "platform/clock.h"
#include "platform/device_root.h"

namespace zentrix::platform {
namespace {

struct BaudCode {
    uint32_t bitsPerSecond;
    speed_t code;
};

// The rates the terminal interface can set; anything else is refused as a driver would refuse it.
constexpr BaudCode kBaudCodes[] = {
    {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},
    {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800},
    {921600, B921600},
};

const BaudCode* findBaud(uint32_t bitsPerSecond) {
    const auto it = std::find_if(std::begin(kBaudCodes), std::end(kBaudCodes),
                                 [&](const BaudCode& b) { return b.bitsPerSecond == bitsPerSecond; });
    return it == std::end(kBaudCodes) ? nullptr : it;
}

const BaudCode* findBaudCode(speed_t code) {
    const auto it = std::find_if(std::begin(kBaudCodes), std::end(kBaudCodes),
                                 [&](const BaudCode& b) { return b.code == code; });
    return it == std::end(kBaudCodes) ? nullptr : it;
}

// The one place that says what a receiver link is: raw 8N1, no echo, no line editing, no
// character translation and no flow control of either kind. Software flow control would eat the
// XON and XOFF bytes of the GPS-only chip's binary frames. Hardware flow control would stall every
// write on a receiver that does not drive CTS (none of them does), and a port keeps whatever its
// last user set, so it is switched off here rather than left as found. The baud rate is left as
// found: the connection's search sets it.
void makeRaw8N1(termios& t) {
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY |
                   INPCK);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CREAD | CLOCAL;
    // With VMIN 1 a non-blocking read of an idle line fails with EAGAIN, so that a read of 0 bytes
    // can only mean a hang-up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

uint64_t totalTimeout(uint32_t multiplierMs, uint32_t constantMs, uint32_t count) {
    return static_cast<uint64_t>(multiplierMs) * count + constantMs;
}

uint32_t clampMs(uint64_t ms) { return ms >= kInfinite ? kInfinite - 1 : static_cast<uint32_t>(ms); }

}  // namespace

SerialPort::~SerialPort() { close(); }

// The one place where a system error becomes a result.
bool SerialPort::fail() {
    lastError_ = errno;
    return false;
}

void SerialPort::open(WideStringView name) {
    if (isOpen()) return;
    const auto path = resolvePortName(name);
    if (path.empty()) {
        lastError_ = ENOENT;
        return;
    }
    if (isNetworkPortName(path.native())) {
        openNetwork(name, path.native());
        return;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        fail();
        return;
    }
    // TIOCEXCL refuses other openers, but not root; the advisory lock also refuses root and a
    // second open from this same process.
    termios settings{};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0 ||
        ::tcgetattr(fd, &settings) != 0) {
        fail();
        ::close(fd);
        return;
    }
    makeRaw8N1(settings);
    ::tcsetattr(fd, TCSANOW, &settings);  // as the driver would, a refusal here is not fatal
    becomeOpen(fd, name, LineKind::Serial, settings);
}

void SerialPort::becomeOpen(int fd, WideStringView name, LineKind kind, const termios& settings) {
    lineSettings_ = settings;
    // A terminal has no time-out block of its own: it reports zeros. The write time-outs travel in
    // the cached block from the first read that applies it.
    timeouts_ = CommTimeouts{};
    appliedTimeouts_ = timeouts_;
    timeoutApplications_ = 0;
    timeouts_.writeTotalMultiplierMs = 10;
    timeouts_.writeTotalConstantMs = 1000;
    portName_ = WideString(name.substr(0, kPortNameMaxLength));
    dropReadAhead();
    gpsdFilter_.reset();
    networkBaud_ = 0;
    lineKind_ = kind;
    lastError_ = 0;
    fd_ = fd;
}

void SerialPort::openNetwork(WideStringView name, const std::string& address) {
    const auto parsed = parseNetworkPortName(address);
    if (!parsed) {
        lastError_ = EINVAL;
        return;
    }
    int error = 0;
    const int fd = connectNetworkLine(*parsed, kConnectTimeoutMs, error);
    if (fd < 0) {
        lastError_ = error;
        return;
    }
    if (parsed->kind == NetworkAddress::Kind::Gpsd) {
        // The request is far smaller than any socket buffer: one send takes it whole or the
        // connection is already gone.
        const ssize_t n =
            ::send(fd, kGpsdWatchRequest.data(), kGpsdWatchRequest.size(), MSG_NOSIGNAL);
        if (n != static_cast<ssize_t>(kGpsdWatchRequest.size())) {
            lastError_ = n < 0 ? errno : EIO;
            ::close(fd);
            return;
        }
    }
    becomeOpen(fd, name,
               parsed->kind == NetworkAddress::Kind::Gpsd ? LineKind::Gpsd : LineKind::Tcp,
               termios{});
}

int SerialPort::close() {
    const int fd = fd_.exchange(-1);
    if (fd < 0) return -1;
    dropReadAhead();
    if (!isNetwork()) ::ioctl(fd, TIOCNXCL);
    return ::close(fd) == 0 ? 1 : (fail(), 0);
}

bool SerialPort::setBaudRate(uint32_t bitsPerSecond) {
    const BaudCode* baud = findBaud(bitsPerSecond);
    if (!isOpen() || baud == nullptr) {
        lastError_ = EINVAL;
        return false;
    }
    if (isNetwork()) {
        // Nothing arrived at a wrong rate here, so the read-ahead stays.
        networkBaud_ = bitsPerSecond;
        return true;
    }
    termios next = lineSettings_;
    if (::cfsetispeed(&next, baud->code) != 0 || ::cfsetospeed(&next, baud->code) != 0) return fail();
    if (::tcsetattr(fd_, TCSANOW, &next) != 0) return fail();
    // tcsetattr succeeds when any part of the change took; read back to know the rate did.
    termios applied{};
    if (::tcgetattr(fd_, &applied) != 0 || ::cfgetospeed(&applied) != baud->code) {
        ::tcsetattr(fd_, TCSANOW, &lineSettings_);
        lastError_ = EINVAL;
        return false;
    }
    lineSettings_ = next;
    dropReadAhead();
    return true;
}

uint32_t SerialPort::baudRate() const {
    if (isNetwork()) return networkBaud_;
    const BaudCode* baud = findBaudCode(::cfgetospeed(&lineSettings_));
    return baud ? baud->bitsPerSecond : 0;
}

// Applying the block can only fail when the port is gone; then the cached constant goes back so
// that the next read tries again, and this read keeps the time-outs in effect.
bool SerialPort::applyReadTimeout(uint32_t timeoutMs) {
    if (timeoutMs == timeouts_.readTotalConstantMs) return true;
    const uint32_t previous = timeouts_.readTotalConstantMs;
    timeouts_.readTotalConstantMs = timeoutMs;
    if (!isOpen()) {
        timeouts_.readTotalConstantMs = previous;
        return false;
    }
    appliedTimeouts_ = timeouts_;
    ++timeoutApplications_;
    return true;
}

SerialPort::Ready SerialPort::waitReady(short events, Clock::RealClock::time_point deadline) {
    pollfd p{fd_, events, 0};
    for (;;) {
        // Measured anew on every pass: a signal that interrupts the wait must not restart it in
        // full, or signals that come often enough would keep it from ever timing out.
        const int n = ::poll(&p, 1, Clock::realMsUntil(deadline));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(), Ready::Failed;
        if (n == 0) return Ready::TimedOut;
        if (p.revents & events) return Ready::Yes;
        // Hang-up or error without data: the device is gone (a pseudo-terminal's other end closed,
        // a USB adapter pulled out).
        lastError_ = (p.revents & POLLNVAL) ? EBADF : EIO;
        return Ready::Failed;
    }
}

// One read of the line. A gpsd line keeps only the sentence lines of what came, which may be none
// of it: that reads as "nothing yet", as a line that is idle does.
ssize_t SerialPort::receive(uint8_t* buffer, size_t capacity) {
    if (lineKind_ == LineKind::Serial) return ::read(fd_, buffer, capacity);
    if (lineKind_ == LineKind::Tcp) return ::recv(fd_, buffer, capacity, 0);
    std::array<uint8_t, sizeof readAhead_> raw;
    const ssize_t n = ::recv(fd_, raw.data(), std::min(capacity, raw.size()), 0);
    if (n <= 0) return n;
    const size_t kept = gpsdFilter_.filter(raw.data(), static_cast<size_t>(n), buffer);
    if (kept > 0) return static_cast<ssize_t>(kept);
    errno = EAGAIN;
    return -1;
}

bool SerialPort::fillReadAhead(bool& failed) {
    for (;;) {
        const ssize_t n = receive(readAhead_.data(), readAhead_.size());
        if (n > 0) {
            readAheadBegin_ = 0;
            readAheadEnd_ = static_cast<size_t>(n);
            lineMayHoldMore_ = readAheadEnd_ == readAhead_.size();
            return true;
        }
        lineMayHoldMore_ = false;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return false;
        // End of file on a terminal or a connection, or a read error: the device is gone.
        failed = true;
        if (n == 0) errno = isNetwork() ? ECONNRESET : EIO;
        fail();
        return false;
    }
}

bool SerialPort::read(void* buffer, uint32_t count, uint32_t* bytesRead, uint32_t timeoutMs) {
    if (bytesRead) *bytesRead = 0;
    if (!isOpen()) {
        lastError_ = EBADF;
        return false;
    }
    applyReadTimeout(timeoutMs);

    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t got = 0;
    // The deadline is only needed once the read has to wait; a byte from the read-ahead does not.
    std::optional<Clock::RealClock::time_point> deadline;
    while (got < count) {
        if (readAheadBegin_ < readAheadEnd_) {
            const size_t take = std::min<size_t>(count - got, readAheadEnd_ - readAheadBegin_);
            std::memcpy(out + got, readAhead_.data() + readAheadBegin_, take);
            readAheadBegin_ += take;
            got += static_cast<uint32_t>(take);
            continue;
        }
        if (!deadline) {
            deadline = Clock::deadlineAfter(clampMs(totalTimeout(
                appliedTimeouts_.readTotalMultiplierMs, appliedTimeouts_.readTotalConstantMs, count)));
        }
        // Wait first: poll() returns at once when bytes are there, and an idle line then costs
        // one call instead of a read that fails and a wait.
        // A line that fails after bytes came still hands those out; the failure shows at the
        // next read. A server that sends its last sentence and hangs up loses nothing.
        const Ready ready = waitReady(POLLIN, *deadline);
        if (ready == Ready::Failed) {
            if (got == 0) return false;
            break;
        }
        bool failed = false;
        if (fillReadAhead(failed)) continue;
        if (failed) {
            if (got == 0) return false;
            break;
        }
        if (ready == Ready::TimedOut) break;
    }
    if (bytesRead) *bytesRead = got;
    return true;
}

uint32_t SerialPort::readArrived(void* buffer, uint32_t capacity) {
    if (!isOpen()) return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t got = 0;
    while (got < capacity) {
        if (readAheadBegin_ == readAheadEnd_) {
            // A read that did not fill the read-ahead emptied the line's queue: no need to ask again.
            bool failed = false;
            if (!lineMayHoldMore_ || !fillReadAhead(failed)) break;  // a failure shows at the next read
        }
        const size_t take = std::min<size_t>(capacity - got, readAheadEnd_ - readAheadBegin_);
        std::memcpy(out + got, readAhead_.data() + readAheadBegin_, take);
        readAheadBegin_ += take;
        got += static_cast<uint32_t>(take);
    }
    return got;
}

bool SerialPort::write(const void* buffer, uint32_t count, uint32_t* bytesWritten) {
    if (bytesWritten) *bytesWritten = 0;
    if (!isOpen()) {
        lastError_ = EBADF;
        return false;
    }
    if (lineKind_ == LineKind::Gpsd) {
        // gpsd passes no bytes on to the receiver: a command sent here would be lost unseen.
        lastError_ = EPERM;
        return false;
    }
    const auto deadline = Clock::deadlineAfter(clampMs(
        totalTimeout(timeouts_.writeTotalMultiplierMs, timeouts_.writeTotalConstantMs, count)));
    const auto* in = static_cast<const uint8_t*>(buffer);
    uint32_t written = 0;
    // What went out stays reported when the device fails half-way: those bytes reached the line.
    const auto report = [&](bool result) {
        if (bytesWritten)
            *bytesWritten = written;
        return result;
    };
    while (written < count) {
        // A closed connection must fail the write, not raise SIGPIPE in the whole program.
        const ssize_t n = isNetwork() ? ::send(fd_, in + written, count - written, MSG_NOSIGNAL)
                                      : ::write(fd_, in + written, count - written);
        if (n > 0) {
            written += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return report(fail());
        const Ready ready = waitReady(POLLOUT, deadline);
        if (ready == Ready::Failed)
            return report(false);
        if (ready == Ready::TimedOut) break;
    }
    return report(true);
}

bool SerialPort::purge(uint32_t flags) {
    if (!isOpen()) {
        lastError_ = EBADF;
        return false;
    }
    if (isNetwork()) {
        // A socket has no queue to flush but its receive buffer: read it empty. What is read
        // still passes the gpsd filter, so that it knows whether the next byte starts a line.
        if (flags & kPurgeRxClear) {
            dropReadAhead();
            std::array<uint8_t, 1024> sink;
            std::array<uint8_t, 1024> discarded;
            ssize_t n;
            while ((n = ::recv(fd_, sink.data(), sink.size(), MSG_DONTWAIT)) > 0) {
                gpsdFilter_.filter(sink.data(), static_cast<size_t>(n), discarded.data());
            }
        }
        return true;
    }
    bool ok = true;
    if (flags & kPurgeRxClear) {
        dropReadAhead();
        ok = ::tcflush(fd_, TCIFLUSH) == 0 || fail();
    }
    if (flags & kPurgeTxClear) ok = (::tcflush(fd_, TCOFLUSH) == 0 || fail()) && ok;
    return ok;
}

}  // namespace zentrix::platform
