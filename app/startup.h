// What the application works out about its handheld before the first window: the model, the
// receiver's port, the language library, and the sibling receiver service of the survey model.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/settings.h"
#include "framework/resources.h"
#include "platform/text.h"

namespace zentrix::app {

using framework::formatPattern;

/// 0 and 1 are the two GPS-only models (a SiRF chip), 2 the survey models (the receiver board).
using DeviceModel = uint32_t;
inline constexpr DeviceModel kGpsOnlyModel0 = 0;
inline constexpr DeviceModel kGpsOnlyModel1 = 1;
inline constexpr DeviceModel kSurveyModel = 2;

/// The model from the handheld's model code: its first four characters "0143" -> 0, "0204" -> 1,
/// any other code or none -> 2.
DeviceModel deviceModelFromCode(const std::optional<std::string>& modelCode);

/// The device name of the receiver's port: "COM1:" on model 0, "COM3:" on the others.
platform::WideString receiverDeviceName(DeviceModel model);

/// The receiver kinds the program drives.
enum class ReceiverKind { Board, Sirf, Nmea };

/// What the command line asks for: `--receiver board|sirf|nmea|auto` and `--port NAME` ("COM3:"
/// or a device path such as /dev/ttyUSB0), each also as `--option=value`. Unset options leave
/// the registry's choice (`ReceiverSettings`) in force.
struct StartOptions {
    std::optional<ReceiverChoice> receiver = std::nullopt;
    std::optional<platform::WideString> port = std::nullopt;
    /// `--share` (the pseudo-terminal), `--share-tcp[=PORT]` (also TCP) and `--no-share`.
    std::optional<ShareMode> share = std::nullopt;
    std::optional<uint16_t> sharePort = std::nullopt;
};

/// The command line after the program's name, or why it cannot be used. Options of a single
/// dash belong to the window system and are left to it.
struct ParsedCommandLine {
    StartOptions options;
    std::string error;  ///< empty when the command line is fine
};
ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments);

/// What a start opens: the receiver kind, the model the program treats the handheld as (a forced
/// board is driven as on the survey model, a forced GPS-only chip as on model 1 unless the
/// handheld is model 0) and the port.
struct ReceiverPlan {
    ReceiverKind kind = ReceiverKind::Board;
    DeviceModel model = kSurveyModel;
    platform::WideString port;
    /// The board's failed search falls back to a receiver that only talks NMEA.
    bool nmeaFallback = false;
    ShareMode share = ShareMode::Off;
    uint16_t sharePort = kDefaultShareTcpPort;
};

/// The command line wins over the registry; an empty port anywhere means the model's own.
ReceiverPlan planReceiver(DeviceModel handheldModel, const StartOptions& commandLine,
                          const ReceiverSettings& stored);

/// The language library's base name for a locale: its English language name without a
/// parenthesised tail, with "T" before it for Chinese (Traditional) 1028 and "S" for Chinese
/// (Simplified) 2052: "SChinese".
std::string languageLibraryName(uint32_t localeId, std::string englishName);

/// "<programFolder>/Lang/<name>Lang.so"; when that file is missing and the installed place
/// "<programFolder>/../lib/zentrix/Lang/<name>Lang.so" has it, that one.
std::filesystem::path languageLibraryPath(const std::filesystem::path& programFolder,
                                          uint32_t localeId, const std::string& englishName);

/// What a start that reached no receiver found out on the way.
struct ConnectionFailure {
    platform::WideString portName;     ///< "COM3:"
    std::filesystem::path devicePath;  ///< what the port name resolves to; empty if nothing
    int openError = 0;                 ///< the system error of a port that did not open
    std::vector<uint32_t> ratesTried;  ///< in search order; empty when the port did not open
};

/// The "Cannot connect GPS" box: the message, then the port with its device, what went wrong
/// (the open error, or the rates the search tried) and what the user can do: the link in the
/// device root, the environment variable, the simulator. Every line comes from the string table.
platform::WideString connectionFailureText(const ConnectionFailure& failure);

/// The executable of the sibling receiver service, and how it is looked for among processes.
inline constexpr char16_t kServiceExecutable[] = u"Duxlane.exe";
std::filesystem::path serviceProgramPath();

/// Starts the sibling service unless it runs, then gives it 5000 ms to open the receiver.
/// Whether the start worked decides nothing: the connection that follows does.
bool ensureServiceRunning();

}  // namespace zentrix::app
