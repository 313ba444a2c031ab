// zentrixctl: the receiver from the command line.
//
// One command per run: the program connects with the same search as Zentrix (the registry's
// receiver and port unless the command line names them), runs the command through the receiver
// interface and gives the receiver back. Scripts read the exit status and standard output;
// people read standard error, which carries one line per failure naming how the receiver
// answered. Everything here writes to the streams it is given, so that tests run it in-process.
#pragma once

#include <atomic>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/startup.h"
#include "receiver/commands/receiver_interface.h"

namespace zentrix::ctl {

/// What the exit status tells a script.
enum ExitStatus : int {
    kSuccess = 0,
    /// The receiver refused (NAK or FAIL), or this kind of receiver cannot do what was asked.
    kRefused = 1,
    /// The command line is wrong; nothing was opened or sent.
    kUsage = 2,
    /// The receiver did not answer in time, or answered something else.
    kNoAnswer = 3,
    /// No receiver: the port did not open, the search found none, or the device went away.
    kNoReceiver = 4,
};

/// The program's name in every message.
inline constexpr std::string_view kProgram = "zentrixctl";

/// What the command line asks for.
struct Invocation {
    app::StartOptions start;        ///< --receiver, --port
    bool json = false;              ///< --json: JSON lines on standard output
    bool help = false;              ///< --help anywhere
    bool version = false;           ///< --version anywhere
    std::string command;            ///< "status", "get", ...
    std::vector<std::string> args;  ///< what follows the command
    std::string error;              ///< why the command line cannot be used; empty when it can
};

/// Reads the arguments after the program's name. Global options come before the command; an
/// unknown option there, a missing command or an unknown one is an error. The command's own
/// arguments are checked by the command (`CommandEntry::check`) before anything is opened.
Invocation parseInvocation(std::span<const std::string> arguments);

/// What a command works with.
struct Context {
    receiver::ReceiverInterface& receiver;
    app::ReceiverKind kind;
    bool json = false;
    std::ostream& out;
    std::ostream& err;
    /// Set when the user interrupts (SIGINT, SIGTERM): a command that runs on ends cleanly.
    const std::atomic<bool>& stop;
};

/// One failed operation: writes one line to `context.err` ("zentrixctl: set sbas: the receiver
/// refused $PQELR,SET,SBA,1 (NAK)") and returns the exit status that tells it apart. A receiver
/// that is gone is `kNoReceiver`; a refusal `kRefused`; silence or another answer `kNoAnswer`; a
/// receiver that does not tell (the GPS-only chip, a plain NMEA receiver) `kNoAnswer` while it
/// is connected. `action` names what was asked ("set sbas").
int reportFailure(Context& context, std::string_view action);
/// An operation this kind of receiver does not have: one line, `kRefused`. Nothing is sent.
int reportUnsupported(Context& context, std::string_view action);
/// A command's arguments that make no sense: one line ("zentrixctl: get: no setting 'x'"),
/// `kUsage`.
int reportUsage(std::ostream& err, std::string_view action, std::string_view why);

/// A number written as a script reads it: "." as the decimal point whatever the locale, no
/// exponent, at most `decimals` places with trailing zeros dropped ("12.5", "3", "-0.25").
std::string formatNumber(double value, int decimals = 9);
/// A number as a script writes it: "." as the decimal point whatever the locale, the whole text
/// used, finite. Nothing for anything else.
std::optional<double> parseNumber(std::string_view text);

/// A command: what it is called, how it is used, and its two halves.
struct CommandEntry {
    std::string_view name;      ///< "status"
    std::string_view synopsis;  ///< "status [--follow]"
    std::string_view summary;   ///< one line for --help
    /// Checks the arguments before anything is opened: empty when they are fine, else why not.
    std::string (*check)(std::span<const std::string> args);
    /// Runs against the connected receiver; returns the exit status.
    int (*run)(Context& context, std::span<const std::string> args);
};

/// Every command, in the order --help lists them.
std::span<const CommandEntry> commandTable();
const CommandEntry* findCommand(std::string_view name);

/// The text of --help: usage, every command, every setting name, the exit statuses.
std::string helpText();

/// The whole program after its name: parses, checks, connects, runs, gives the receiver back.
/// Returns the exit status. `stop` ends a command that runs on (and a search that is slow).
/// With `progress` each stage of the search is told on `err` (for a person at a terminal).
int runCtl(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
           const std::atomic<bool>& stop, bool progress = false);

}  // namespace zentrix::ctl
