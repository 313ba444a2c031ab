#include "tools/ctl/ctl.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <sstream>

#include "app/receiver_connection.h"
#include "app/settings.h"
#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/text.h"
#include "tools/ctl/commands.h"

namespace zentrix::ctl {

namespace {

using receiver::CommandAnswer;

/// How long a failed command waits to learn whether the device is gone (clock ms).
constexpr uint32_t kGoneGraceMs = 300;

constexpr CommandEntry kCommands[] = {
    {"status", "status [--follow]",
     "the position and the satellites once; --follow: on every new position until interrupted",
     checkStatus, runStatus},
    {"get", "get NAME", "a setting's value as the receiver reports it", checkGet, runGet},
    {"set", "set NAME VALUE", "changes a setting on the receiver", checkSet, runSet},
    {"sourcetable", "sourcetable [--near LAT,LON]",
     "the caster's stations through the receiver, nearest first when a position is known",
     checkSourceTable, runSourceTable},
    {"dial", "dial", "starts the receiver's modem and dials the data call", checkNoArguments,
     runDial},
    {"hangup", "hangup", "ends the data call", checkNoArguments, runHangup},
    {"ntrip", "ntrip connect|disconnect",
     "connects the receiver to the caster's mount point, or disconnects it", checkNtrip, runNtrip},
    {"send", "send TEXT", "sends one line as typed; prints 1 accepted, 0 rejected, 2 no answer",
     checkSend, runSend},
    {"reset", "reset", "resets the receiver", checkNoArguments, runReset},
    {"power-off", "power-off", "turns the receiver off; it answers nothing more", checkNoArguments,
     runPowerOff},
    {"record", "record start|stop", "the GPS-only chip's raw data into a file until interrupted; stop makes sure none runs",
     checkRecord, runRecord},
};

/// "--name VALUE" or "--name=VALUE": the value, and how many arguments it took.
std::optional<std::pair<std::string, size_t>> optionValue(std::span<const std::string> args,
                                                          std::string_view name) {
    const std::string& first = args.front();
    if (first == name) {
        if (args.size() < 2)
            return std::pair<std::string, size_t>{std::string(), 0};
        return std::pair<std::string, size_t>{args[1], 2};
    }
    if (first.size() > name.size() && first.compare(0, name.size(), name) == 0 &&
        first[name.size()] == '=')
        return std::pair<std::string, size_t>{first.substr(name.size() + 1), 1};
    return std::nullopt;
}

std::string answerText(const CommandAnswer& answer) {
    const std::string command = answer.command.empty() ? "the command" : answer.command;
    switch (answer.kind) {
        case CommandAnswer::Kind::Refused:
            return "the receiver refused " + command +
                   (answer.reply.empty() ? std::string() : " (" + answer.reply + ")");
        case CommandAnswer::Kind::Silent:
            return "the receiver did not answer " + command;
        case CommandAnswer::Kind::Other:
            return "the receiver answered " + command + " with neither the reply asked for nor " +
                   "a refusal";
        case CommandAnswer::Kind::Unsent:
            return "the command could not be sent (" + command + ")";
        case CommandAnswer::Kind::Accepted:
            return "the receiver accepted " + command + " but the operation did not complete";
        case CommandAnswer::Kind::Unknown:
            break;
    }
    return "the receiver did not confirm it";
}

int exitStatusOf(const CommandAnswer& answer) {
    switch (answer.kind) {
        case CommandAnswer::Kind::Refused:
            return kRefused;
        case CommandAnswer::Kind::Unsent:
            return kNoReceiver;
        default:
            return kNoAnswer;
    }
}

std::string joined(const std::vector<uint32_t>& rates) {
    std::string text;
    for (uint32_t rate : rates) text += (text.empty() ? "" : ", ") + std::to_string(rate);
    return text;
}

/// The one line that says why no receiver was found.
std::string connectionFailureLine(const app::ConnectionFailure& failure) {
    std::string port = platform::toUtf8(failure.portName);
    if (!failure.devicePath.empty() && failure.devicePath.string() != port)
        port += " (" + failure.devicePath.string() + ")";
    if (failure.devicePath.empty())
        return "no receiver: the port " + port + " leads to no device";
    if (failure.ratesTried.empty()) {
        std::string line = "no receiver: cannot open " + port;
        // The port is locked by whoever holds it (Zentrix, or another zentrixctl).
        if (failure.openError == EAGAIN || failure.openError == EWOULDBLOCK ||
            failure.openError == EBUSY)
            line += ": another program holds it (is Zentrix running?)";
        else if (failure.openError != 0)
            line += std::string(": ") + std::strerror(failure.openError);
        return line;
    }
    return "no receiver on " + port + ": nothing answered at " + joined(failure.ratesTried) +
           " baud";
}

const char* stageText(receiver::ConnectStep::Stage stage) {
    switch (stage) {
        case receiver::ConnectStep::Stage::OpeningPort:
            return "opening the port";
        case receiver::ConnectStep::Stage::TryingRate:
            return "listening at";
        case receiver::ConnectStep::Stage::SettingUp:
            return "setting the receiver up at";
        case receiver::ConnectStep::Stage::Connected:
            return "connected at";
    }
    return "";
}

}  // namespace

Invocation parseInvocation(std::span<const std::string> arguments) {
    Invocation invocation;
    for (const std::string& argument : arguments) {
        invocation.help = invocation.help || argument == "--help" || argument == "-h";
        invocation.version = invocation.version || argument == "--version";
    }
    if (invocation.help || invocation.version)
        return invocation;
    size_t i = 0;
    while (i < arguments.size() && arguments[i].rfind("--", 0) == 0) {
        const auto rest = arguments.subspan(i);
        if (arguments[i] == "--json") {
            invocation.json = true;
            ++i;
        } else if (auto receiverValue = optionValue(rest, "--receiver")) {
            const auto choice = app::parseReceiverChoice(receiverValue->first);
            if (receiverValue->second == 0 || !choice) {
                invocation.error = "--receiver takes board, sirf, nmea or auto";
                return invocation;
            }
            invocation.start.receiver = choice;
            i += receiverValue->second;
        } else if (auto portValue = optionValue(rest, "--port")) {
            if (portValue->second == 0 || portValue->first.empty()) {
                invocation.error =
                    "--port takes a port name (COM3:, /dev/ttyUSB0, tcp://HOST:PORT)";
                return invocation;
            }
            invocation.start.port = platform::fromUtf8(portValue->first);
            i += portValue->second;
        } else {
            invocation.error = "unknown option " + arguments[i];
            return invocation;
        }
    }
    if (i == arguments.size()) {
        invocation.error = "no command given";
        return invocation;
    }
    invocation.command = arguments[i];
    if (!findCommand(invocation.command)) {
        invocation.error = "unknown command " + invocation.command;
        return invocation;
    }
    invocation.args.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1, arguments.end());
    return invocation;
}

int reportFailure(Context& context, std::string_view action) {
    const CommandAnswer answer = context.receiver.lastAnswer();
    // A device that vanished mid-command fails the command at once (its write or its wait), a
    // moment before the reader thread sees the line gone: give the reader that moment.
    if (answer.kind != CommandAnswer::Kind::Refused) {
        const auto deadline = platform::Clock::deadlineAfter(kGoneGraceMs);
        while (context.receiver.isConnected() && platform::Clock::remainingMs(deadline) > 0)
            platform::Clock::sleep(10);
    }
    if (!context.receiver.isConnected()) {
        context.err << kProgram << ": " << action << ": the receiver is gone\n";
        return kNoReceiver;
    }
    context.err << kProgram << ": " << action << ": " << answerText(answer) << '\n';
    return exitStatusOf(answer);
}

int reportUnsupported(Context& context, std::string_view action) {
    static constexpr const char* kKindNames[] = {"the survey board", "the GPS-only chip",
                                                 "a plain NMEA receiver"};
    context.err << kProgram << ": " << action << ": " << kKindNames[static_cast<int>(context.kind)]
                << " has no such operation\n";
    return kRefused;
}

int reportUsage(std::ostream& err, std::string_view action, std::string_view why) {
    err << kProgram << ": " << action << ": " << why << '\n';
    return kUsage;
}

std::string formatNumber(double value, int decimals) {
    if (!std::isfinite(value))
        return "null";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::fixed, std::clamp(decimals, 0, 17));
    std::string text(buffer, result.ptr);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    if (text == "-0")
        text = "0";
    return text;
}

std::optional<double> parseNumber(std::string_view text) {
    if (text.empty() || text.front() == '+')
        return std::nullopt;
    double value = 0;
    const auto result =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::span<const CommandEntry> commandTable() {
    return kCommands;
}

const CommandEntry* findCommand(std::string_view name) {
    for (const CommandEntry& entry : kCommands) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

std::string helpText() {
    std::ostringstream text;
    text << "usage: zentrixctl [--port NAME] [--receiver board|sirf|nmea|auto] [--json] COMMAND\n"
            "\n"
            "Connects to the receiver with the same search as Zentrix, runs one command and\n"
            "gives the receiver back. Without --port and --receiver the registry's Receiver and\n"
            "Port (section Settings) decide, as for Zentrix.\n"
            "  --port NAME     COM3:, a device such as /dev/ttyUSB0, tcp://HOST:PORT or\n"
            "                  gpsd://HOST[:PORT]\n"
            "  --receiver KIND board, sirf, nmea or auto (the handheld's own, and a plain NMEA\n"
            "                  receiver when no board answers)\n"
            "  --json          JSON lines on standard output instead of text\n"
            "\n"
            "Commands:\n";
    for (const CommandEntry& entry : kCommands) {
        std::string synopsis(entry.synopsis);
        synopsis.resize(std::max<size_t>(synopsis.size() + 1, 30), ' ');
        text << "  " << synopsis << entry.summary << '\n';
    }
    text << "\nSettings (get NAME, set NAME VALUE):\n" << settingsHelp();
    text << "\nExit status: 0 done, 1 the receiver refused (or cannot do it), 2 wrong command\n"
            "line, 3 the receiver did not answer, 4 no receiver (none found, or it went away).\n"
            "Errors go to standard error, one line each.\n";
    return text.str();
}

int runCtl(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
           const std::atomic<bool>& stop, bool progress) {
    const Invocation invocation = parseInvocation(arguments);
    if (invocation.help) {
        out << helpText();
        return kSuccess;
    }
    if (invocation.version) {
        out << kProgram << ' ' << platform::packageVersion() << '\n';
        return kSuccess;
    }
    if (!invocation.error.empty()) {
        err << kProgram << ": " << invocation.error << " (see " << kProgram << " --help)\n";
        return kUsage;
    }
    const CommandEntry& command = *findCommand(invocation.command);
    if (const std::string why = command.check(invocation.args); !why.empty())
        return reportUsage(err, command.name, why);

    const app::ReceiverPlan plan = app::planStart(invocation.start);
    app::ConnectionObserver observer;
    observer.cancelled = [&stop] { return stop.load(); };
    observer.progress = [&](const receiver::ConnectStep& step) {
        if (progress) {
            err << kProgram << ": " << stageText(step.stage);
            if (step.baudRate != 0)
                err << ' ' << step.baudRate << " baud";
            err << '\n';
        }
        return !stop.load();
    };
    if (progress) {
        observer.serviceSearch = [&err] {
            err << kProgram << ": waiting for the receiver service\n";
        };
    }
    app::ReceiverConnection connection = app::connectPlannedReceiver(plan, observer);
    receiver::ReceiverInterface& receiver = *connection.receiver;
    // What a command changed stays: the program's own exit switches the NMEA output off, a
    // script's command must not.
    receiver.setNmeaOffOnDisconnect(false);
    int status = kSuccess;
    if (connection.cancelled) {
        err << kProgram << ": interrupted while looking for the receiver\n";
        status = kNoReceiver;
    } else if (!connection.connected) {
        err << kProgram << ": " << connectionFailureLine(connection.failure) << '\n';
        status = kNoReceiver;
    } else {
        Context context{receiver, connection.kind, invocation.json, out, err, stop};
        status = command.run(context, invocation.args);
    }
    receiver.disconnect();
    out.flush();
    return status;
}

}  // namespace zentrix::ctl
