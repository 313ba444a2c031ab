// One open COM port, on the POSIX terminal interface.
//
// The handheld's serial driver had a device-control block and a time-out block; here `termios`
// holds the line settings and `CommTimeouts` the time-outs, both cached as the driver's were.
// Reads and writes wait through the platform clock (poll() with its deadline), so that tests can
// run the receiver's one-second read time-out in a millisecond.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/clock.h"
#include "platform/network_line.h"
#include "platform/text.h"

namespace zentrix::platform {

/// The time-outs of a port, in milliseconds. A read waits at most
/// `readTotalConstantMs + readTotalMultiplierMs * count`; a write likewise with its own pair.
struct CommTimeouts {
    uint32_t readIntervalMs = 0;
    uint32_t readTotalMultiplierMs = 0;
    uint32_t readTotalConstantMs = 0;
    uint32_t writeTotalMultiplierMs = 0;
    uint32_t writeTotalConstantMs = 0;
    bool operator==(const CommTimeouts&) const = default;
};

/// Owner: the receiver object. One thread reads (the reader thread) while another writes
/// (the user-interface thread sending commands); `open`, `setBaudRate`, `purge` and `close` are
/// called while no reader thread runs. There is no lock.
///
/// The port is opened exclusively (a second open of the same device, from this process or another,
/// fails), in raw mode with 8 data bits, no parity, one stop bit and no flow control, software or
/// hardware (see `makeRaw8N1`); the baud rate stays as the port had it.
///
/// Reads take what the line has into a small read-ahead buffer so that a reader fetching one byte
/// at a time does not cost one system call per byte; the buffer is dropped by `setBaudRate`,
/// `purge` and `close`, so no byte received at an old rate or before a purge is ever returned.
///
/// A network name ("tcp://HOST:PORT", "gpsd://HOST[:PORT]", see network_line.h) opens a socket
/// instead, behind the same calls and time-outs: the connect waits at most `kConnectTimeoutMs`;
/// a rate change succeeds without effect (`baudRate` then reports it, so the receivers' searches
/// run as on a line); a closed connection reads like a vanished device. A gpsd line asks gpsd for
/// the receiver's NMEA sentences, returns only those and refuses writes.
class SerialPort {
public:
    static constexpr uint32_t kPurgeTxAbort = 1;
    static constexpr uint32_t kPurgeRxAbort = 2;
    static constexpr uint32_t kPurgeTxClear = 4;
    static constexpr uint32_t kPurgeRxClear = 8;
    /// The port name is kept in 22 units: at most 21 characters and a terminator.
    static constexpr size_t kPortNameMaxLength = 21;
    /// How long opening a network line may wait for the other end, in clock milliseconds.
    static constexpr uint32_t kConnectTimeoutMs = 5000;

    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    /// Opens a port by name ("COM3:", see `resolvePortName`). Does nothing when already open;
    /// test `isOpen` afterwards.
    void open(WideStringView name);
    bool isOpen() const { return fd_.load() >= 0; }
    /// What the open port is: a serial line, or a network line of the two kinds.
    enum class LineKind { Serial, Tcp, Gpsd };
    LineKind lineKind() const { return lineKind_; }
    /// 1 when the port was closed, 0 when closing it failed, -1 when it was not open.
    /// The port is closed afterwards in every case.
    int close();

    /// Applies a baud rate. A rate the driver refuses returns false and leaves the previous rate
    /// in effect and in the cached line settings.
    bool setBaudRate(uint32_t bitsPerSecond);
    /// The baud rate of the cached line settings; 0 when unknown.
    uint32_t baudRate() const;

    /// Reads up to `count` bytes, waiting at most `timeoutMs` in all. Running out of time is not a
    /// failure: the result is true with the bytes that came (perhaps none). A read of 0 ms returns
    /// at once with what has arrived. False when the port is closed or the device failed or
    /// vanished.
    bool read(void* buffer, uint32_t count, uint32_t* bytesRead, uint32_t timeoutMs);
    /// Takes up to `capacity` bytes that have already arrived, without waiting: what a reader that
    /// got its first byte from `read` may take at once.
    uint32_t readArrived(void* buffer, uint32_t capacity);
    /// Writes `count` bytes within 10 ms per byte plus 1000 ms. True with fewer bytes written when
    /// the time ran out; false when the port is closed or the device failed, with the bytes that
    /// went out before it did.
    bool write(const void* buffer, uint32_t count, uint32_t* bytesWritten);
    /// Discards unread input (`kPurgeRxClear`) and unsent output (`kPurgeTxClear`).
    bool purge(uint32_t flags);

    const WideString& portName() const { return portName_; }
    const CommTimeouts& timeouts() const { return timeouts_; }
    /// How often the cached time-outs were applied to the port (diagnostics and tests).
    uint32_t timeoutApplications() const { return timeoutApplications_; }
    /// The system error of the last failure, 0 if none.
    int lastError() const { return lastError_.load(); }

private:
    bool fail();
    void openNetwork(WideStringView name, const std::string& address);
    bool isNetwork() const { return lineKind_ != LineKind::Serial; }
    ssize_t receive(uint8_t* buffer, size_t capacity);
    bool applyReadTimeout(uint32_t timeoutMs);
    /// Takes `fd` as the open line: the state of every earlier open is forgotten.
    void becomeOpen(int fd, WideStringView name, LineKind kind, const termios& settings);
    void dropReadAhead() {
        readAheadBegin_ = readAheadEnd_ = 0;
        lineMayHoldMore_ = false;
    }
    /// Waits until the port can be read (or written), the deadline passed (false, no error) or
    /// the device failed (false, error recorded).
    enum class Ready { Yes, TimedOut, Failed };
    Ready waitReady(short events, Clock::RealClock::time_point deadline);
    bool fillReadAhead(bool& failed);

    std::atomic<int> fd_{-1};
    termios lineSettings_{};
    CommTimeouts timeouts_{};
    CommTimeouts appliedTimeouts_{};
    uint32_t timeoutApplications_ = 0;
    WideString portName_;
    std::atomic<int> lastError_{0};

    std::array<uint8_t, 1024> readAhead_{};
    size_t readAheadBegin_ = 0;
    size_t readAheadEnd_ = 0;
    bool lineMayHoldMore_ = false;  // the last read filled the read-ahead: more may be waiting

    LineKind lineKind_ = LineKind::Serial;
    uint32_t networkBaud_ = 0;  // what `setBaudRate` last accepted on a network line
    GpsdNmeaFilter gpsdFilter_;
};

}  // namespace zentrix::platform
