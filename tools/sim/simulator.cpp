#include "tools/sim/simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/clock.h"
#include "platform/device_root.h"
#include "tools/sim/replay_peer.h"
#include "tools/sim/sirf_chip.h"
#include "tools/sim/survey_board.h"

namespace zentrix::sim {
namespace {

constexpr uint32_t kLoopClockMs = 10;
// A receiver's transmit buffer holds about half a second of its line: when the configured output
// is more than the rate carries, streamed sentences are dropped rather than delaying the replies
// behind them without end.
constexpr double kTransmitBufferSeconds = 0.5;
constexpr size_t kMinTransmitBufferBytes = 256;
constexpr uint32_t bit(SimFault fault) {
    return 1u << static_cast<uint32_t>(fault);
}

struct SpeedRow {
    speed_t speed;
    uint32_t baud;
};
constexpr SpeedRow kSpeeds[] = {{B300, 300},       {B600, 600},       {B1200, 1200},
                                {B2400, 2400},     {B4800, 4800},     {B9600, 9600},
                                {B19200, 19200},   {B38400, 38400},   {B57600, 57600},
                                {B115200, 115200}, {B230400, 230400}, {B460800, 460800}};

speed_t speedOfBaud(uint32_t baud) {
    for (const SpeedRow& row : kSpeeds) {
        if (row.baud == baud)
            return row.speed;
    }
    return B9600;
}

}  // namespace

uint32_t baudOfSpeed(unsigned speed) {
    for (const SpeedRow& row : kSpeeds) {
        if (row.speed == speed)
            return row.baud;
    }
    return 0;
}

Simulator::Simulator(SimOptions options)
    : options_(std::move(options)), clockLastTick_(platform::Clock::tickCount()) {
    switch (options_.receiver) {
        case SimReceiver::SurveyBoard: {
            BoardOptions board;
            board.place = options_.place;
            board.seed = options_.seed;
            board.sourceTable = options_.sourceTable;
            board.sourceTableText = options_.sourceTableText;
            board.startUtcSeconds = options_.startUtcSeconds;
            board.baudRate = options_.baudRate;
            board.radios = options_.radios;
            board.radioOn = options_.radioOn;
            board.retriesRefusedLinks = options_.retriesRefusedLinks;
            board.handheldPort = options_.handheldPort;
            auto peer = std::make_unique<SurveyBoard>(board);
            board_ = peer.get();
            peer_ = std::move(peer);
            break;
        }
        case SimReceiver::SirfChip: {
            SirfOptions chip;
            chip.place = options_.place;
            chip.seed = options_.seed;
            chip.baudRate = options_.baudRate;
            chip.startsBinary = options_.sirfStartsBinary;
            chip.startUtcSeconds = options_.startUtcSeconds;
            peer_ = std::make_unique<SirfChip>(chip);
            break;
        }
        case SimReceiver::Replay:
            peer_ = std::make_unique<ReplayPeer>(options_.replayLog, options_.baudRate,
                                                 options_.replayRealTime, options_.replayLoop);
            break;
    }
}

Simulator::~Simulator() {
    stop();
    std::error_code error;
    if (!link_.empty() && std::filesystem::read_symlink(link_, error) == devicePath_)
        std::filesystem::remove(link_, error);
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
}

bool Simulator::openPseudoTerminal() {
    if (master_ >= 0)
        return true;
    termios raw{};
    cfmakeraw(&raw);
    cfsetspeed(&raw, B9600);
    char name[128] = {};
    int master = -1, slave = -1;
    if (::openpty(&master, &slave, name, &raw, nullptr) != 0)
        return false;
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    master_ = master;
    slave_ = slave;
    isPty_ = true;
    devicePath_ = name;
    if (!link_.empty()) {
        std::error_code error;
        std::filesystem::remove(link_, error);
        std::filesystem::create_symlink(devicePath_, link_, error);
    }
    return true;
}

bool Simulator::serveDevice(const std::filesystem::path& device) {
    if (master_ >= 0)
        return false;
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    termios t{};
    if (::tcgetattr(fd, &t) == 0) {
        cfmakeraw(&t);
        cfsetspeed(&t, speedOfBaud(peer_->baudRate()));
        ::tcsetattr(fd, TCSANOW, &t);
    }
    master_ = fd;
    isPty_ = false;
    devicePath_ = device.string();
    return true;
}

bool Simulator::linkAsComPort(int number) {
    if (devicePath_.empty() || number < 1 || number > 99)
        return false;
    const std::filesystem::path folder = platform::deviceRoot() / "devices";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    link_ = folder / ("COM" + std::to_string(number));
    std::filesystem::remove(link_, error);
    std::filesystem::create_symlink(devicePath_, link_, error);
    return !error;
}

std::string Simulator::devicePath() const {
    std::lock_guard lock(mutex_);
    return devicePath_;
}

bool Simulator::start() {
    if (thread_.joinable())
        return true;
    if (master_ < 0)
        return false;
    stopRequested_ = false;
    lastCreditMs_ = nowMs();
    thread_ = std::thread([this] { loop(); });
    return true;
}

void Simulator::stop() {
    stopRequested_ = true;
    if (thread_.joinable())
        thread_.join();
}

void Simulator::setFault(SimFault fault, bool on) {
    if (on) {
        faults_ |= bit(fault);
    } else {
        faults_ &= ~bit(fault);
    }
    if (fault == SimFault::Silence && on) {
        std::lock_guard lock(mutex_);
        queue_.clear();
    }
}

void Simulator::setFaultOnCommand(std::string prefix, SimFault fault) {
    std::lock_guard lock(mutex_);
    faultTriggerPrefix_ = std::move(prefix);
    faultTrigger_ = fault;
}

void Simulator::clearFaults() {
    faults_ = 0;
}

bool Simulator::fault(SimFault fault) const {
    return (faults_.load() & bit(fault)) != 0;
}

uint64_t Simulator::nowMs() const {
    // The platform's tick counter wraps after 49.7 days; the simulator's clock counts on from
    // its own start, so differences of ticks are taken modulo 2^32 and added up.
    std::lock_guard lock(clockMutex_);
    const uint32_t tick = platform::Clock::tickCount();
    clockTotalMs_ += static_cast<uint32_t>(tick - clockLastTick_);
    clockLastTick_ = tick;
    return clockTotalMs_ + clockOffsetMs_.load();
}

std::vector<std::string> Simulator::commandLog() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

void Simulator::clearCommandLog() {
    std::lock_guard lock(mutex_);
    commands_.clear();
}

bool Simulator::waitForCommand(const std::string& prefix, uint32_t timeoutMs) {
    const auto deadline = platform::Clock::deadlineAfter(timeoutMs);
    std::unique_lock lock(mutex_);
    return logChanged_.wait_until(lock, deadline, [&] {
        return std::any_of(commands_.begin(), commands_.end(),
                           [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
    });
}

void Simulator::withBoard(const std::function<void(SurveyBoard&)>& inspect) {
    std::lock_guard lock(mutex_);
    if (board_)
        inspect(*board_);
}

void Simulator::powerOn() {
    withBoard([](SurveyBoard& board) { board.state().poweredOff = false; });
}

uint32_t Simulator::receiverBaud() const {
    std::lock_guard lock(mutex_);
    return peer_->baudRate();
}

uint32_t Simulator::lineBaud() const {
    return lineBaud_;
}

void Simulator::send(std::string bytes, OutputKind kind) {
    // Called by the peer on the simulator thread, under the lock.
    if (fault(SimFault::Silence) || bytes.empty())
        return;
    uint64_t due = nowMs();
    if (kind == OutputKind::Reply && fault(SimFault::DelayReplies))
        due += replyDelayMs_;
    queue_.push_back({due, std::move(bytes), kind, peer_->baudRate()});
}

void Simulator::logCommand(std::string text) {
    // Called by the peer on the simulator thread, under the lock, before it answers.
    if (!faultTriggerPrefix_.empty() && text.rfind(faultTriggerPrefix_, 0) == 0) {
        faultTriggerPrefix_.clear();
        faults_ |= bit(faultTrigger_);
        if (faultTrigger_ == SimFault::Silence)
            queue_.clear();
    }
    commands_.push_back(std::move(text));
    logChanged_.notify_all();
}

uint32_t Simulator::readLineBaud() const {
    if (!isPty_ || master_ < 0)
        return peer_->baudRate();
    termios t{};
    if (::tcgetattr(master_, &t) != 0)
        return 0;
    return baudOfSpeed(cfgetospeed(&t));
}

void Simulator::loop() {
    while (!stopRequested_) {
        step();
        const int realMs =
            std::max(1, platform::Clock::realMsUntil(platform::Clock::deadlineAfter(kLoopClockMs)));
        if (master_ >= 0) {
            // Waiting for the line to take more only helps once the line has time for a byte;
            // until then the step's own pause paces it (and leaves the lock to other threads).
            const bool canWrite =
                !writing_.empty() && (!options_.paceOutput || lineCreditBytes_ >= 1.0);
            pollfd p{master_, static_cast<short>(POLLIN | (canWrite ? POLLOUT : 0)), 0};
            ::poll(&p, 1, std::min(realMs, 20));
        } else {
            ::usleep(static_cast<useconds_t>(std::min(realMs, 20)) * 1000);
        }
    }
}

std::string Simulator::lineTranscript() const {
    std::lock_guard lock(mutex_);
    return transcript_;
}

void Simulator::step() {
    std::lock_guard lock(mutex_);
    if (fault(SimFault::Vanish)) {
        vanish();
    } else if (master_ < 0 && isPty_) {
        openPseudoTerminal();  // plugged in again: a new device, the COM link follows it
    }
    lineBaud_ = readLineBaud();
    readLine();
    peer_->tick(*this);
    writeLine();
}

void Simulator::vanish() {
    if (master_ < 0)
        return;
    ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
    master_ = slave_ = -1;
    queue_.clear();
    writing_.clear();
    writingRuns_.clear();
}

void Simulator::readLine() {
    if (master_ < 0)
        return;
    uint8_t buffer[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0)
            return;  // EAGAIN: nothing more; EIO: nobody at the other end
        bytesHeard_ += static_cast<uint64_t>(n);
        // Bytes sent at another rate arrive as framing errors, which a receiver discards.
        if (lineBaud_ == peer_->baudRate())
            peer_->receive(buffer, static_cast<size_t>(n), *this);
    }
}

void Simulator::noise(std::string& bytes) {
    // Never a "$" or a SiRF start byte: noise must not look like the start of a message.
    for (char& c : bytes) {
        noiseState_ = noiseState_ * 1664525u + 1013904223u;
        uint8_t b = static_cast<uint8_t>(noiseState_ >> 24) | 0x80;
        if (b == 0xA0)
            b = 0xFE;
        c = static_cast<char>(b);
    }
}

void Simulator::writeLine() {
    const uint64_t now = nowMs();
    const uint32_t baud = peer_->baudRate();
    if (options_.paceOutput) {
        lineCreditBytes_ += static_cast<double>(now - lastCreditMs_) * baud / 10000.0;
        lineCreditBytes_ = std::min(lineCreditBytes_, std::max(256.0, baud / 10.0));
    }
    lastCreditMs_ = now;

    for (auto it = queue_.begin(); it != queue_.end();) {
        if (it->dueMs > now) {
            ++it;
            continue;
        }
        const size_t bufferBytes = std::max(
            kMinTransmitBufferBytes, static_cast<size_t>(baud / 10 * kTransmitBufferSeconds));
        if (it->kind == OutputKind::Stream && writing_.size() > bufferBytes) {
            it = queue_.erase(it);  // the line is too slow for what is configured
            continue;
        }
        if (fault(SimFault::Garbage)) {
            std::string burst(3 + (noiseState_ >> 28), '\0');
            noise(burst);
            for (char& c : burst) c = static_cast<char>(static_cast<uint8_t>(c) & 0x7F);
            std::replace(burst.begin(), burst.end(), '$', '#');
            writingRuns_.push_back({burst.size(), baud});
            writing_ += burst;
        }
        writingRuns_.push_back({it->bytes.size(), it->baud});
        writing_ += it->bytes;
        it = queue_.erase(it);
    }
    if (writing_.empty() || master_ < 0) {
        // A line saves nothing up while it has nothing to send: a UART sends at its rate from the
        // moment it has bytes, so an answer after a pause does not leave faster than the line
        // carries it. Only the time since this step counts for what comes next.
        lineCreditBytes_ = 0;
        return;
    }
    size_t allowed = writing_.size();
    if (options_.paceOutput)
        allowed = std::min(allowed, static_cast<size_t>(lineCreditBytes_));
    if (allowed == 0)
        return;
    // Whether bytes arrive as noise depends on the rates at the moment they cross the line, not
    // when the receiver said them: what waited while the program switched rates changes with it.
    // The program's rate is read again right before the write, not at the start of the step.
    lineBaud_ = readLineBaud();
    std::string onLine = writing_.substr(0, allowed);
    size_t offset = 0;
    for (const WritingRun& run : writingRuns_) {
        if (offset >= allowed)
            break;
        if (run.baud != lineBaud_) {
            std::string piece = onLine.substr(offset, std::min(run.length, allowed - offset));
            noise(piece);
            onLine.replace(offset, piece.size(), piece);
        }
        offset += run.length;
    }
    const ssize_t n = ::write(master_, onLine.data(), allowed);
    if (n > 0) {
        writing_.erase(0, static_cast<size_t>(n));
        for (size_t consumed = static_cast<size_t>(n); consumed > 0 && !writingRuns_.empty();) {
            const size_t take = std::min(consumed, writingRuns_.front().length);
            writingRuns_.front().length -= take;
            consumed -= take;
            if (writingRuns_.front().length == 0)
                writingRuns_.pop_front();
        }
        bytesWritten_ += static_cast<uint64_t>(n);
        if (options_.keepTranscript)
            transcript_.append(onLine, 0, static_cast<size_t>(n));
        if (options_.paceOutput)
            lineCreditBytes_ -= static_cast<double>(n);
    }
}

}  // namespace zentrix::sim
