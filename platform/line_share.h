// Hands the receiver's bytes on to other programs while Zentrix holds the port.
//
// The serial port is opened exclusively, so nothing else on the machine could read the receiver
// while Zentrix runs. The share mirrors what the reader reads, unchanged, to a pseudo-terminal
// (which gpsd or a mapping program opens like a serial port) and, when asked, to a TCP server on
// the loopback address. Others only listen: what they send is read and thrown away, never reaches
// the receiver. A client that does not keep up is dropped rather than slowing the reader.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zentrix::platform {

/// The port the TCP share listens on unless told otherwise (the usual NMEA-over-TCP port).
inline constexpr uint16_t kDefaultSharePort = 10110;

struct LineShareOptions {
    /// A pseudo-terminal with stable links to its device.
    bool pseudoTerminal = true;
    /// A TCP server on 127.0.0.1 at this port (0: any free port); none when unset.
    std::optional<uint16_t> tcpPort;
    /// Links to the pseudo-terminal; empty means the defaults: `devices/ZENTRIX-SHARE` in the
    /// device root and, when XDG_RUNTIME_DIR is set, `$XDG_RUNTIME_DIR/zentrix/receiver`.
    std::vector<std::filesystem::path> links;
    /// How long a client may refuse bytes before it is dropped, in clock milliseconds.
    uint32_t stallLimitMs = 1000;
    /// What is held back for one client that is slow for a moment; more and it is dropped.
    size_t clientBacklogBytes = 64 * 1024;
};

/// The default links of the pseudo-terminal.
std::vector<std::filesystem::path> defaultShareLinks();

class LineShare {
  public:
    LineShare();
    ~LineShare();
    LineShare(const LineShare&) = delete;
    LineShare& operator=(const LineShare&) = delete;

    /// Opens the pseudo-terminal and its links and the TCP server and starts serving them; false
    /// (with `lastError`) when any of them failed, in which case nothing is left open.
    bool start(const LineShareOptions& options);
    /// Drops every client, closes the pseudo-terminal and the server and removes the links.
    void stop();
    bool running() const;

    /// Mirrors `size` bytes the reader has just read. Called on the reader's thread: never
    /// blocks, and costs one relaxed load when nobody listens.
    void mirror(const uint8_t* bytes, size_t size);

    /// The pseudo-terminal's device (/dev/pts/N); empty when there is none.
    std::filesystem::path terminalPath() const;
    /// The links that were made.
    std::vector<std::filesystem::path> links() const;
    /// The TCP server's port; 0 when there is none.
    uint16_t tcpPort() const;
    /// TCP clients connected now.
    size_t clientCount() const;
    /// TCP clients dropped because they did not keep up.
    uint64_t droppedClients() const;
    /// Whether a program has the pseudo-terminal open (as last seen by the share's thread).
    bool terminalInUse() const;
    const std::string& lastError() const { return lastError_; }

    struct State;

  private:
    std::unique_ptr<State> state_;
    std::string lastError_;
};

/// The share every reader of the program mirrors into, or null. The program attaches it once
/// the receiver is connected (a baud search's garbled bytes are nobody's business) and detaches
/// it before the receiver is let go; the share must outlive the attachment.
void attachReaderShare(LineShare* share);
LineShare* readerShare();

}  // namespace zentrix::platform
