#include "receiver/commands/transaction.h"

#include <algorithm>

#include "platform/clock.h"

namespace zentrix::receiver {

void CommandChannel::resetReply() {
    reader_.replyEvent().reset();
    ReplyState& r = reader_.replies();
    // Left alone on purpose: the antenna name and NPT flags (their queries clear them for
    // themselves, see `run`), a FAIL (it is the caller's to judge) and the recording's end (only
    // its own operation clears it).
    static constexpr ReplyState::Flag ReplyState::*kKept[] = {
        &ReplyState::anpReceived, &ReplyState::nptReceived, &ReplyState::failReceived,
        &ReplyState::recordingStopped};
    for (const ReplyState::NamedFlag& named : ReplyState::flags()) {
        if (std::find(std::begin(kKept), std::end(kKept), named.flag) == std::end(kKept))
            r.*(named.flag) = 0;
    }
}

bool CommandChannel::sendCommand(std::string_view text) {
    if (!port_.isOpen())
        return false;
    uint32_t written = 0;
    const auto length = static_cast<uint32_t>(text.size());
    return port_.write(text.data(), length, &written) && written == length;
}

bool CommandChannel::waitReply(uint32_t timeoutMs) {
    return reader_.replyEvent().wait(timeoutMs);
}

bool CommandChannel::waitActivity() {
    return reader_.activityEvent().wait(kActivityTimeoutMs);
}

bool CommandChannel::waitVector() {
    return reader_.vectorEvent().wait(kVectorTimeoutMs);
}

uint32_t CommandChannel::run(Command command, std::initializer_list<CommandArg> args) {
    const CommandRow& row = commandRow(command);
    CommandBuffer buffer;
    const size_t length = formatCommand(buffer, row.format, args);
    if (length == 0) {
        lastAnswer_ = {CommandAnswer::Kind::Unsent, std::string(row.format), {}};
        return 0;
    }
    const std::string_view text(buffer.data(), length);
    ReplyState& r = replies();
    beginAnswer(text);

    if (row.outcome == Outcome::NoWait) {
        const bool sent = sendCommand(text);
        lastAnswer_.kind = sent ? CommandAnswer::Kind::Accepted : CommandAnswer::Kind::Unsent;
        return sent ? 1 : 0;
    }

    resetReply();
    // A query judged by a flag that `resetReply` keeps must not succeed on a stale flag left by
    // an earlier reply of its type.
    if (row.flag)
        r.*(row.flag) = 0;
    // Nor a two-stage command on an earlier FAIL. Its outcome flags are cleared here, before
    // sending, and nowhere later: the outcome may arrive together with the ACK.
    if (row.outcome == Outcome::TwoStage)
        r.failReceived = 0;
    // A short write is not looked at: the wait decides.
    sendCommand(text);
    if (!waitReply(row.timeoutMs))
        return 0;

    switch (row.outcome) {
        case Outcome::Ack:
            return judgeAnswer(r.ackReceived);
        case Outcome::OwnReply:
            return judgeAnswer((r.*(row.flag)) != 0 ? 1 : 0);
        case Outcome::AnyReply:
            return judgeAnswer(1);
        case Outcome::TwoStage:
            if (!r.ackReceived)
                return judgeAnswer(r.okReceived.load());
            if (const uint32_t result = waitOutcome(row.secondTimeoutMs);
                result != 0 || r.failReceived || r.nakReceived)
                return judgeAnswer(result);
            // Acknowledged, but the outcome never came.
            lastAnswer_.kind = CommandAnswer::Kind::Silent;
            lastAnswer_.reply = "ACK";
            return 0;
        case Outcome::NoWait:
            break;
    }
    return 0;
}

void CommandChannel::beginAnswer(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    lastAnswer_ = {CommandAnswer::Kind::Silent, std::string(text), {}};
}

uint32_t CommandChannel::judgeAnswer(uint32_t result) {
    const ReplyState& r = replies();
    lastAnswer_.reply = r.failReceived ? "FAIL"
                        : r.nakReceived ? "NAK"
                        : r.okReceived  ? "OK"
                        : r.ackReceived ? "ACK"
                                        : "";
    if (result != 0)
        lastAnswer_.kind = CommandAnswer::Kind::Accepted;
    else if (r.nakReceived || r.failReceived)
        lastAnswer_.kind = CommandAnswer::Kind::Refused;
    else
        lastAnswer_.kind = CommandAnswer::Kind::Other;
    return result;
}

// The receiver often sends the ACK and the outcome back to back, and the reader may have stored
// both before the waiting thread runs again: an outcome already there is taken at once. Otherwise
// the reply event is waited for until the outcome (or a late NAK) is in, within the second time-out
// as a whole; other replies in between do not end the wait. The reader stores the flags before it
// sets the event, so a flag set after they were looked at always leaves the event set.
uint32_t CommandChannel::waitOutcome(uint32_t timeoutMs) {
    const auto deadline = platform::Clock::deadlineAfter(timeoutMs);
    const ReplyState& r = replies();
    while (!r.okReceived && !r.failReceived && !r.nakReceived) {
        if (!waitReply(platform::Clock::remainingMs(deadline)))
            return 0;
    }
    return r.okReceived;
}

uint32_t CommandChannel::runFreeText(std::string_view text) {
    // The line is the user's own: it goes out as typed, only cut to what the buffer holds (and,
    // as a C string would be, at a zero byte).
    text = text.substr(0, text.find('\0'));
    CommandBuffer buffer;
    const size_t length = std::min(text.size(), buffer.size() - 3);
    text.copy(buffer.data(), length);
    buffer[length] = '\r';
    buffer[length + 1] = '\n';
    buffer[length + 2] = '\0';

    resetReply();
    // A FAIL left over from an earlier command would otherwise make every later answer read as
    // a rejection.
    replies().failReceived = 0;
    beginAnswer(std::string_view(buffer.data(), length));
    sendCommand(std::string_view(buffer.data(), length + 2));
    if (!waitReply(kFreeTextTimeoutMs))
        return 2;
    const ReplyState& r = replies();
    const bool refused = r.nakReceived || r.failReceived;
    const bool accepted = !refused && (r.okReceived || r.ackReceived);
    judgeAnswer(accepted ? 1 : 0);
    return refused ? 0 : accepted ? 1 : 2;
}

}  // namespace zentrix::receiver
