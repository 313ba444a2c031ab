// Where the reader's bytes come from: the serial port in the program, memory in tests, benchmarks
// and the replay tool.
#pragma once

#include <cstdint>
#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "platform/serial_port.h"

namespace zentrix::receiver {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual bool isOpen() const = 0;
    /// One read of up to `count` bytes within `timeoutMs`, with the serial port's rules: running
    /// out of time is success with 0 bytes; false means the source failed or ended.
    virtual bool read(uint8_t* buffer, uint32_t count, uint32_t* bytesRead, uint32_t timeoutMs) = 0;
};

/// The running program's source: the receiver's serial port.
class SerialByteSource : public ByteSource {
public:
    explicit SerialByteSource(platform::SerialPort& port) : port_(port) {}
    bool isOpen() const override { return port_.isOpen(); }
    bool read(uint8_t* buffer, uint32_t count, uint32_t* bytesRead, uint32_t timeoutMs) override {
        return port_.read(buffer, count, bytesRead, timeoutMs);
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
    bool read(uint8_t* buffer, uint32_t count, uint32_t* bytesRead, uint32_t) override {
        *bytesRead = 0;
        if (position_ >= bytes_.size()) return !std::exchange(silenceReported_, true);
        const size_t n = std::min<size_t>(count, bytes_.size() - position_);
        bytes_.copy(reinterpret_cast<char*>(buffer), n, position_);
        position_ += n;
        *bytesRead = static_cast<uint32_t>(n);
        return true;
    }

private:
    std::string bytes_;
    size_t position_ = 0;
    bool silenceReported_ = false;
};

}  // namespace zentrix::receiver
