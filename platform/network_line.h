// A receiver reached over the network instead of a serial line: a TCP stream of its bytes
// ("tcp://HOST:PORT", a serial-to-network server, a phone or base-station program) or the NMEA
// sentences of a running gpsd ("gpsd://HOST[:PORT]"). SerialPort opens these by name, so every
// place that takes a port name takes them too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zentrix::platform {

struct NetworkAddress {
    enum class Kind { Tcp, Gpsd };
    Kind kind = Kind::Tcp;
    std::string host;
    uint16_t port = 0;
    bool operator==(const NetworkAddress&) const = default;
};

inline constexpr uint16_t kGpsdDefaultPort = 2947;

/// True for a name that asks for a network line ("tcp://" or "gpsd://", any case), well formed
/// or not: such a name is never a device path.
bool isNetworkPortName(std::string_view name);
/// The address of "tcp://HOST:PORT" or "gpsd://HOST[:PORT]"; an IPv6 host goes in brackets
/// ("tcp://[::1]:2000"). Nothing for a name that is no network name or is malformed (no host, a
/// missing or out-of-range port).
std::optional<NetworkAddress> parseNetworkPortName(std::string_view name);

/// Connects a non-blocking, close-on-exec TCP socket to the address, trying each address the
/// host name resolves to, and waiting at most `timeoutMs` (clock milliseconds) in all, so a host
/// that never answers cannot hang the caller. The socket, or -1 with `error` set to the system
/// error (ETIMEDOUT when the time ran out, EHOSTUNREACH when the name did not resolve).
int connectNetworkLine(const NetworkAddress& address, uint32_t timeoutMs, int& error);

/// What a program sends gpsd to receive the receiver's NMEA sentences as they come.
inline constexpr std::string_view kGpsdWatchRequest = "?WATCH={\"enable\":true,\"nmea\":true};\n";

/// Keeps the NMEA sentence lines of a gpsd stream (those beginning with '$' or '!') and drops its
/// own JSON reports, across reads that split lines anywhere.
class GpsdNmeaFilter {
public:
    /// Copies the kept bytes of `in` to `out` (room for `size` bytes) and returns their number.
    size_t filter(const uint8_t* in, size_t size, uint8_t* out);
    void reset() { state_ = State::LineStart; }

private:
    enum class State { LineStart, Keep, Drop };
    State state_ = State::LineStart;
};

}  // namespace zentrix::platform
