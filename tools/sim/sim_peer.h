// What a simulated receiver sees of the simulator: the line, the clock and the faults it is asked
// to show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zentrix::sim {

/// Misbehaviour on demand. Several may be active at once.
enum class SimFault : uint32_t {
    Silence,          ///< nothing leaves the receiver (it still hears and logs commands)
    DelayReplies,     ///< replies to commands come late (see `Simulator::setReplyDelayMs`)
    NakEverything,    ///< every command is rejected
    WrongReplyFirst,  ///< an unrelated reply goes out before each right one
    BadChecksums,     ///< every sentence or binary frame carries a wrong checksum
    Garbage,          ///< bursts of noise between sentences
    Vanish,           ///< the device disappears: the pseudo-terminal is closed
    // How the network answers the board's modem (checked when the call or connect starts).
    DialBusy,       ///< a data call hears busy: DIALING, then back to ON a little later
    DialNoCarrier,  ///< a data call finds no carrier: DIALING, then back to INIT later still
    DialNoAnswer,   ///< a data call rings unanswered: DIALING until it is hung up
    RefuseLinks,    ///< every direct IP server and NTRIP caster refuses the connect
};
inline constexpr uint32_t kSimFaultCount = 11;

/// Streamed output may be thinned when the line is too slow; replies are never dropped.
enum class OutputKind { Stream, Reply };

class SimLine {
  public:
    virtual ~SimLine() = default;
    /// The simulator's clock in milliseconds (the platform clock plus any advance a test made).
    virtual uint64_t nowMs() const = 0;
    virtual void send(std::string bytes, OutputKind kind) = 0;
    /// Records a command as the receiver understood it, for the tests' command log.
    virtual void logCommand(std::string text) = 0;
    virtual bool fault(SimFault fault) const = 0;
};

/// A simulated receiver. Called on the simulator's thread only.
class SimPeer {
  public:
    virtual ~SimPeer() = default;
    /// Bytes that arrived at the receiver's own baud rate.
    virtual void receive(const uint8_t* bytes, size_t count, SimLine& line) = 0;
    /// Called often; streams what is due and finishes what was started earlier.
    virtual void tick(SimLine& line) = 0;
    /// The rate the receiver talks and listens at now.
    virtual uint32_t baudRate() const = 0;
};

}  // namespace zentrix::sim
