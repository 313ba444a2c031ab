// The commands that make the receiver do something: the data call, the caster's stream, a typed
// command, a reset, power-off and the GPS-only chip's raw recording. Each does what the page
// that offers it does, in the same order, and waits where the page waits.
#include <cstdint>
#include <string>
#include <string_view>

#include "app/receiver_connection.h"
#include "app/settings.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "receiver/replies/reply_codes.h"
#include "receiver/sirf/sirf_receiver.h"
#include "tools/ctl/commands.h"
#include "tools/replay/replay.h"
#include "ui/settings/troubleshoot_settings.h"

namespace zentrix::ctl {

namespace {

using app::ReceiverKind;
using platform::WideString;

constexpr uint32_t kRoverMode = 1;
// The position goes to the caster as GGA on receiver port E every 5 s while a stream is asked for.
constexpr uint32_t kNetworkPositionPort = 4;
constexpr uint32_t kGgaMessage = 2;
constexpr float kNetworkPositionInterval = 5.0F;

// What the receiver's answer buffers hold: a longer reply is cut as the pages cut it.
constexpr size_t kPinChars = 9;
constexpr size_t kPhoneNumberChars = 20;
constexpr size_t kMountPointChars = 100;

// The modem's states as the receiver reports them.
constexpr uint32_t kModemOn = 2;
constexpr uint32_t kModemInit = 3;
constexpr uint32_t kModemDialing = 4;
constexpr uint32_t kModemOnline = 5;

/// The dialling window asks the modem once a second; a call that neither comes up nor fails in
/// this time is given up (a far end that rings unanswered).
constexpr uint32_t kDialPollMs = 1000;
constexpr uint32_t kDialLimitMs = 90000;
/// The pause after power-off before the link is closed, as the main menu makes it.
constexpr uint32_t kPowerOffSettleMs = 3000;
/// The chip's raw file opens with the next frame it sends; it sends one every second.
constexpr uint32_t kRecordingOpenLimitMs = 10000;
constexpr uint32_t kRecordingPollMs = 100;
/// How often a wait looks at the interrupt.
constexpr uint32_t kStopSliceMs = 50;

/// Sleeps `ms` clock milliseconds in slices; false when interrupted meanwhile.
bool sleepUnlessStopped(const Context& context, uint32_t ms) {
    const uint32_t start = platform::Clock::tickCount();
    while (!context.stop.load()) {
        const uint32_t passed = platform::ticksSince(start);
        if (passed >= ms)
            return true;
        platform::sleepMs(std::min(kStopSliceMs, ms - passed));
    }
    return false;
}

WideString cut(WideString text, size_t chars) {
    if (text.size() > chars)
        text.resize(chars);
    return text;
}

// A mount point "OFF" is the receiver's word for none.
bool isMountPoint(platform::WideStringView mountPoint) {
    return !mountPoint.empty() && mountPoint != u"OFF";
}

/// The registry's settings as the program reads them at start-up.
app::ConnectionSettings storedSettings() {
    app::ConnectionSettings settings;
    app::loadSettings(app::programProfile(), settings);
    return settings;
}

/// A refusal of our own (the receiver was asked nothing that failed): one line, `kRefused`.
int refuse(Context& context, std::string_view action, std::string_view why) {
    context.err << kProgram << ": " << action << ": " << why << '\n';
    return kRefused;
}

/// What succeeded: a word for people, {"action":..., key: value} for scripts.
void reportDone(Context& context, std::string_view action, std::string_view key,
                std::string_view value, std::string_view text) {
    if (context.json) {
        context.out << "{\"action\":" << replay::jsonString(std::string(action)) << ",\"" << key
                    << "\":" << replay::jsonString(std::string(value)) << "}\n";
    } else {
        context.out << text << '\n';
    }
    context.out.flush();
}

/// The modem state's name as the receiver writes it; "NONE" for a code it does not have.
std::string modemStateName(uint32_t state) {
    const std::string_view name = receiver::nameOfCode(receiver::kModemStates, state);
    return std::string(name.empty() ? "NONE" : name);
}

void positionToNetwork(Context& context, bool on) {
    context.receiver.setNmeaMessage(kNetworkPositionPort, kGgaMessage, on,
                                    kNetworkPositionInterval);
}

/// Watches the modem as the dialling window does, until the call is up, has failed, the limit
/// passed or the user interrupted. Hangs up when it gives up, so that no call comes up behind a
/// command that has ended.
int waitForCall(Context& context) {
    receiver::ReceiverInterface& receiver = context.receiver;
    bool dialingSeen = false;
    const uint32_t start = platform::Clock::tickCount();
    for (;;) {
        if (!sleepUnlessStopped(context, kDialPollMs)) {
            receiver.modemHangUp();
            context.err << kProgram << ": dial: interrupted before the call was up; hung up\n";
            return kNoAnswer;
        }
        uint32_t state = 0;
        if (receiver.queryModemState(state) == 0) {
            if (!receiver.isConnected())
                return reportFailure(context, "dial");
        } else if (state == kModemOnline) {
            return kSuccess;
        } else if (!(state == kModemDialing ||
                     ((state == kModemOn || state == kModemInit) && !dialingSeen))) {
            // NONE or OFF, or back to ON/INIT after DIALING: busy, no carrier, refused.
            return refuse(context, "dial",
                          std::string("the call did not go through (the modem went back to ") +
                              modemStateName(state) + ": busy, no carrier or refused)");
        } else if (state == kModemDialing) {
            dialingSeen = true;
        }
        if (platform::ticksSince(start) >= kDialLimitMs) {
            receiver.modemHangUp();
            context.err << kProgram << ": dial: the call was not answered within "
                        << kDialLimitMs / 1000 << " s; hung up\n";
            return kNoAnswer;
        }
    }
}

int ntripConnect(Context& context) {
    receiver::ReceiverInterface& receiver = context.receiver;
    constexpr std::string_view kAction = "ntrip connect";
    // The stream the receiver knows is read before anything ends it.
    WideString stored;
    if (receiver.queryMountPoint(stored) == 0)
        return reportFailure(context, kAction);
    const WideString mountPoint = cut(std::move(stored), kMountPointChars);
    if (!isMountPoint(mountPoint))
        return refuse(context, kAction, "no mount point is set on the receiver");

    receiver.setDifferentialMode(kRoverMode);
    // A caster's stream replaces a data call.
    receiver.modemHangUp();
    receiver.setModemIp(0);
    receiver.startModem();
    const bool sendPosition = app::loadSendPositionToNetwork(app::programProfile());
    positionToNetwork(context, sendPosition);
    if (receiver.connectMountPoint(mountPoint) != 0) {
        reportDone(context, "ntrip", "connected", platform::toUtf8(mountPoint),
                   "connected " + platform::toUtf8(mountPoint));
        return kSuccess;
    }
    const int status = reportFailure(context, kAction);
    // The receiver may still be trying: stop it, so no stream comes up behind the user's back.
    if (status != kNoReceiver) {
        if (sendPosition)
            positionToNetwork(context, false);
        receiver.disconnectMountPoint();
    }
    return status;
}

int ntripDisconnect(Context& context) {
    positionToNetwork(context, false);
    if (context.receiver.disconnectMountPoint() == 0)
        return reportFailure(context, "ntrip disconnect");
    reportDone(context, "ntrip", "state", "disconnected", "disconnected");
    return kSuccess;
}

std::string sirfRecordingFile(Context& context) {
    if (auto* chip = dynamic_cast<receiver::SirfReceiver*>(&context.receiver))
        return chip->recordingPath().string();
    return {};
}

/// Records until interrupted: the chip's raw file is written by this program's reader, so the
/// recording lasts as long as the command runs.
int recordUntilStopped(Context& context) {
    receiver::ReceiverInterface& receiver = context.receiver;
    if (receiver.setRecording(true) == 0)
        return refuse(context, "record start", "no free file name for the recording");
    const std::string file = sirfRecordingFile(context);
    const uint32_t start = platform::Clock::tickCount();
    while (receiver.isRecordingFileOpen() == 0) {
        if (receiver.pollRecordingStopped() != 0) {
            receiver.setRecording(false);
            receiver.clearRecordingStopped();
            return refuse(context, "record start", "cannot write " + file);
        }
        if (!receiver.isConnected()) {
            receiver.setRecording(false);
            return reportFailure(context, "record start");
        }
        if (platform::ticksSince(start) >= kRecordingOpenLimitMs) {
            receiver.setRecording(false);
            context.err << kProgram << ": record start: the receiver sent nothing to record\n";
            return kNoAnswer;
        }
        if (!sleepUnlessStopped(context, kRecordingPollMs)) {
            receiver.setRecording(false);
            context.err << kProgram << ": record start: interrupted before the file opened\n";
            return kNoAnswer;
        }
    }
    reportDone(context, "record", "file", file, "recording " + file);

    int status = kSuccess;
    while (sleepUnlessStopped(context, kRecordingPollMs)) {
        if (receiver.pollRecordingStopped() != 0) {
            receiver.clearRecordingStopped();
            status = refuse(context, "record", "writing " + file + " failed; the recording ended");
            break;
        }
        if (!receiver.isConnected()) {
            status = reportFailure(context, "record");
            break;
        }
    }
    receiver.setRecording(false);
    if (status == kSuccess)
        reportDone(context, "record", "state", "stopped", "stopped");
    return status;
}

}  // namespace

std::string checkNoArguments(std::span<const std::string> args) {
    return args.empty() ? std::string() : "takes no arguments";
}

std::string checkNtrip(std::span<const std::string> args) {
    if (args.size() != 1 || (args[0] != "connect" && args[0] != "disconnect"))
        return "takes connect or disconnect";
    return {};
}

std::string checkSend(std::span<const std::string> args) {
    if (args.size() != 1)
        return "takes one text (quote it)";
    const std::string& text = args[0];
    if (text.empty())
        return "the text is empty";
    // A line break would end the command early and start another; a zero byte would cut it.
    if (text.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
        return "the text cannot carry a line break or a zero byte";
    const WideString typed = platform::fromUtf8(text);
    if (typed.size() > ui::kCommandMaxChars)
        return "the text is longer than " + std::to_string(ui::kCommandMaxChars) + " characters";
    const ui::CommandText checked = ui::commandTextFor(typed);
    if (checked.check == ui::CommandTextCheck::NotInCodePage)
        return "the receiver cannot be sent the character '" + platform::toUtf8(checked.offending) +
               "'";
    if (checked.check != ui::CommandTextCheck::Sendable)
        return "the text cannot be sent";
    return {};
}

std::string checkRecord(std::span<const std::string> args) {
    if (args.size() != 1 || (args[0] != "start" && args[0] != "stop"))
        return "takes start or stop";
    return {};
}

int runDial(Context& context, std::span<const std::string> /*args*/) {
    if (context.kind != ReceiverKind::Board)
        return reportUnsupported(context, "dial");
    receiver::ReceiverInterface& receiver = context.receiver;
    WideString pin;
    WideString number;
    if (receiver.queryModemDialParameters(pin, number) == 0)
        return reportFailure(context, "dial");
    pin = cut(std::move(pin), kPinChars);
    number = cut(std::move(number), kPhoneNumberChars);
    if (number.empty())
        return refuse(context, "dial", "no phone number is set on the receiver");

    // A data call replaces any network link: those end first, whatever they answer.
    receiver.setDifferentialMode(kRoverMode);
    receiver.disconnectDirectIp();
    receiver.disconnectMountPoint();
    positionToNetwork(context, false);
    receiver.setModemCsd();
    receiver.startModem();
    receiver.setModemDialParameters(pin, number);
    if (receiver.modemDial() == 0)
        return reportFailure(context, "dial");
    const int status = waitForCall(context);
    if (status == kSuccess)
        reportDone(context, "dial", "state", "online", "online " + platform::toUtf8(number));
    return status;
}

int runHangup(Context& context, std::span<const std::string> /*args*/) {
    if (context.kind != ReceiverKind::Board)
        return reportUnsupported(context, "hangup");
    if (context.receiver.modemHangUp() == 0)
        return reportFailure(context, "hangup");
    reportDone(context, "hangup", "state", "hung up", "hung up");
    return kSuccess;
}

int runNtrip(Context& context, std::span<const std::string> args) {
    if (context.kind != ReceiverKind::Board)
        return reportUnsupported(context, "ntrip " + args[0]);
    return args[0] == "connect" ? ntripConnect(context) : ntripDisconnect(context);
}

int runSend(Context& context, std::span<const std::string> args) {
    if (context.kind != ReceiverKind::Board)
        return reportUnsupported(context, "send");
    const std::string& text = args[0];
    const ui::CommandText checked = ui::commandTextFor(platform::fromUtf8(text));
    const uint32_t answer = context.receiver.sendFreeCommand(checked.bytes);
    if (answer != 1 && !context.receiver.isConnected())
        return reportFailure(context, "send");
    if (context.json) {
        context.out << "{\"command\":" << replay::jsonString(text) << ",\"answer\":" << answer
                    << "}\n";
    } else {
        context.out << answer << '\n';
    }
    context.out.flush();
    switch (answer) {
        case 1:
            return kSuccess;
        case 0:
            return reportFailure(context, "send");
        default:
            // Many console commands are answered with data rather than an acknowledgement.
            context.err << kProgram << ": send: no acknowledgement to " << text << '\n';
            return kNoAnswer;
    }
}

int runReset(Context& context, std::span<const std::string> /*args*/) {
    if (context.kind == ReceiverKind::Nmea)
        return reportUnsupported(context, "reset");
    receiver::ReceiverInterface& receiver = context.receiver;
    if (receiver.initReceiver(1) == 0)
        return reportFailure(context, "reset");
    // A reset receiver forgets its outputs: they are set up again as the connection did, and a
    // reset whose set-up fails (the receiver gone meanwhile, or silent) is not left as done. The
    // GPS-only chip answers no port query, so nothing follows for it.
    if (context.kind == ReceiverKind::Board) {
        uint32_t port = 0;
        uint32_t baudCode = 0;
        if (receiver.queryReceiverPort(port, baudCode) == 0 || receiver.setStatusNmea(port) == 0)
            return reportFailure(context, "reset");
        if (!storedSettings().isExternalGps &&
            (receiver.setWtiOutput(true) == 0 || receiver.setA2dOutput(true) == 0))
            return reportFailure(context, "reset");
    }
    reportDone(context, "reset", "state", "reset", "reset");
    return kSuccess;
}

int runPowerOff(Context& context, std::span<const std::string> /*args*/) {
    if (context.kind != ReceiverKind::Board)
        return reportUnsupported(context, "power-off");
    if (context.receiver.powerOff() == 0)
        return reportFailure(context, "power-off");
    reportDone(context, "power-off", "state", "off", "off");
    // The receiver settles before the link closes, as when the program turns it off.
    platform::sleepMs(kPowerOffSettleMs);
    return kSuccess;
}

int runRecord(Context& context, std::span<const std::string> args) {
    const std::string action = "record " + args[0];
    if (context.kind == ReceiverKind::Board) {
        // The board's own recording writes to its memory under settings of its own and outlives
        // the connection; this command is the chip's raw recording only.
        return refuse(context, action,
                      "the survey board records through its own settings, not with this command");
    }
    if (context.kind != ReceiverKind::Sirf)
        return reportUnsupported(context, action);
    if (args[0] == "start")
        return recordUntilStopped(context);
    // A recording of this program ends with the command that runs it; this only makes sure.
    context.receiver.setRecording(false);
    reportDone(context, "record", "state", "stopped", "stopped");
    return kSuccess;
}

}  // namespace zentrix::ctl
