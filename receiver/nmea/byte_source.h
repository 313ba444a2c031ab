// Where the reader's bytes come from: the serial port in the program, memory in tests, benchmarks
// and the replay tool.
#pragma once

#include <cstdint>
#include <cstring>
#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "platform/line_share.h"
#include "platform/serial_port.h"

namespace zentrix::receiver {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual bool isOpen() const = 0;
    /// Waits at most `timeoutMs` for a first byte, then takes what else has arrived, up to
    /// `capacity`. Running out of time is success with 0 bytes; false means the source failed or
    /// ended.
    virtual bool readSome(uint8_t* buffer, uint32_t capacity, uint32_t* bytesRead,
                          uint32_t timeoutMs) = 0;
};

/// The running program's source: the receiver's serial port. What it reads also goes to the
/// program's share of the receiver, when one is attached.
class SerialByteSource : public ByteSource {
public:
    explicit SerialByteSource(platform::SerialPort& port) : port_(port) {}
    bool isOpen() const override { return port_.isOpen(); }
    bool readSome(uint8_t* buffer, uint32_t capacity, uint32_t* bytesRead,
                  uint32_t timeoutMs) override {
        if (capacity == 0 || !port_.read(buffer, 1, bytesRead, timeoutMs)) return false;
        if (*bytesRead == 1) {
            *bytesRead += port_.readArrived(buffer + 1, capacity - 1);
            if (platform::LineShare* share = platform::readerShare())
                share->mirror(buffer, *bytesRead);
        }
        return true;
    }

private:
    platform::SerialPort& port_;
};

/// Bytes held in memory. When they run out the source reports one read time-out (the silence
/// that ends a source table on a real line) and then fails, which ends the reader.
class MemoryByteSource : public ByteSource {
public:
    explicit MemoryByteSource(std::string bytes) : bytes_(std::move(bytes)) {}
    bool isOpen() const override { return true; }
    bool readSome(uint8_t* buffer, uint32_t capacity, uint32_t* bytesRead, uint32_t) override {
        const size_t n = std::min<size_t>(capacity, bytes_.size() - position_);
        *bytesRead = static_cast<uint32_t>(n);
        if (n == 0) return !std::exchange(silenceReported_, true);
        std::memcpy(buffer, bytes_.data() + position_, n);
        position_ += n;
        return true;
    }

private:
    std::string bytes_;
    size_t position_ = 0;
    bool silenceReported_ = false;
};

}  // namespace zentrix::receiver
