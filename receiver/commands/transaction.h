// One exchange with the receiver board: clear, send, wait, judge.
//
// Commands never read the port; the reader thread does, and it only says that some proprietary
// reply was parsed by setting the reply event. A command therefore clears the reply flags before
// it sends, waits for that event, and then judges by the flags alone. The first reply of any type
// ends the wait: a late answer to an earlier command makes the current one fail, and nothing is
// ever retried here. The one exception is the second stage of a command that is acknowledged at
// once and reports its outcome later: after the ACK it waits for that outcome, which may already
// have arrived in the same burst, and is cleared only before the command is sent.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "platform/serial_port.h"
#include "receiver/commands/command_table.h"
#include "receiver/commands/command_text.h"
#include "receiver/commands/receiver_interface.h"
#include "receiver/nmea/receiver_reader.h"

namespace zentrix::receiver {

/// The transaction primitives over the receiver's port and reader.
///
/// Threads: user-interface thread only. One transaction runs at a time because only that thread
/// issues them; the flags and groups it reads were written by the reader thread before it set the
/// reply event.
class CommandChannel {
  public:
    CommandChannel(platform::SerialPort& port, ReceiverReader& reader)
        : port_(port), reader_(reader) {}

    /// Resets the reply event and clears the acknowledgement and reply flags, except the antenna
    /// name and NPT flags; `failReceived` and `recordingStopped` are left alone.
    void resetReply();
    /// True only when the port is open and the whole text went out in one write.
    bool sendCommand(std::string_view text);
    /// True when the reply event was signalled within `timeoutMs`; false at once without a reader.
    bool waitReply(uint32_t timeoutMs);
    bool waitActivity();
    bool waitVector();

    /// Runs the transaction of `command` with `args`: 0 on failure, else its success value
    /// (`ackReceived` or `okReceived`, 1 for queries). A command whose text cannot be made from its
    /// arguments sends nothing and fails.
    uint32_t run(Command command, std::initializer_list<CommandArg> args = {});
    /// The troubleshooting command line: 0 rejected (NAK or FAIL), 1 accepted (ACK or OK), 2 no
    /// answer or an answer that says neither.
    uint32_t runFreeText(std::string_view text);

    ReplyState& replies() { return reader_.replies(); }
    /// How the receiver answered the last `run` or `runFreeText`.
    const CommandAnswer& lastAnswer() const { return lastAnswer_; }

  private:
    /// Notes the command about to go out; its answer is Silent until judged.
    void beginAnswer(std::string_view text);
    /// Judges the flags after a wait that ended with a reply: Accepted when `result` is nonzero,
    /// else Refused on a NAK or FAIL, else Other.
    uint32_t judgeAnswer(uint32_t result);

    /// The second stage of a two-stage command, after its ACK: `okReceived` once the outcome is
    /// in, 0 when it is a FAIL or does not come within `timeoutMs`.
    uint32_t waitOutcome(uint32_t timeoutMs);

    platform::SerialPort& port_;
    ReceiverReader& reader_;
    CommandAnswer lastAnswer_;
};

}  // namespace zentrix::receiver
