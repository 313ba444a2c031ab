#include "app/startup.h"

#include <charconv>
#include <system_error>

#include "framework/resources.h"
#include "platform/clock.h"
#include "platform/device_root.h"
#include "platform/processes.h"
#include "resources/resource_ids.h"

namespace zentrix::app {
namespace fs = std::filesystem;

namespace {
constexpr uint32_t kTraditionalChineseLocale = 1028;
constexpr uint32_t kSimplifiedChineseLocale = 2052;
constexpr uint32_t kServiceStartPauseMs = 5000;
}  // namespace

DeviceModel deviceModelFromCode(const std::optional<std::string>& modelCode) {
    if (!modelCode)
        return kSurveyModel;
    const std::string_view head = std::string_view(*modelCode).substr(0, 4);
    if (head == "0143")
        return kGpsOnlyModel0;
    if (head == "0204")
        return kGpsOnlyModel1;
    return kSurveyModel;
}

platform::WideString receiverDeviceName(DeviceModel model) {
    return model == kGpsOnlyModel0 ? u"COM1:" : u"COM3:";
}

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    ParsedCommandLine parsed;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!argument.starts_with("--"))
            continue;  // the window system's own ("-platform offscreen")
        const size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (name == "--share" || name == "--no-share") {
            if (equals != std::string::npos) {
                parsed.error = name + " takes no value";
                return parsed;
            }
            parsed.options.share = name == "--share" ? ShareMode::Terminal : ShareMode::Off;
            continue;
        }
        if (name == "--share-tcp") {
            // The port is optional, so it only comes with "=": a following word is not taken.
            parsed.options.share = ShareMode::TerminalAndTcp;
            if (equals == std::string::npos)
                continue;
            const std::string value = argument.substr(equals + 1);
            uint32_t port = 0;
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), port);
            if (ec != std::errc() || end != value.data() + value.size() || port < 1 ||
                port > 65535) {
                parsed.error = "--share-tcp takes a port from 1 to 65535, not \"" + value + "\"";
                return parsed;
            }
            parsed.options.sharePort = static_cast<uint16_t>(port);
            continue;
        }
        if (name != "--receiver" && name != "--port") {
            parsed.error = "unknown option " + name;
            return parsed;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            parsed.error = name + " needs a value";
            return parsed;
        }
        if (name == "--port") {
            if (value.empty()) {
                parsed.error = "--port needs a port name";
                return parsed;
            }
            parsed.options.port = platform::fromUtf8(value);
            continue;
        }
        const auto choice = parseReceiverChoice(value);
        if (!choice) {
            parsed.error = "--receiver takes board, sirf, nmea or auto, not \"" + value + "\"";
            return parsed;
        }
        parsed.options.receiver = *choice;
    }
    return parsed;
}

ReceiverPlan planReceiver(DeviceModel handheldModel, const StartOptions& commandLine,
                          const ReceiverSettings& stored) {
    ReceiverPlan plan;
    plan.model = handheldModel;
    plan.share = commandLine.share.value_or(stored.share);
    plan.sharePort = commandLine.sharePort.value_or(stored.sharePort);
    switch (commandLine.receiver.value_or(stored.choice)) {
        case ReceiverChoice::Auto:
            plan.kind = handheldModel == kSurveyModel ? ReceiverKind::Board : ReceiverKind::Sirf;
            // Only the board's search tells whether the line carried sentences; the GPS-only
            // chip's start stays as it is.
            plan.nmeaFallback = plan.kind == ReceiverKind::Board;
            break;
        case ReceiverChoice::Board:
            plan.kind = ReceiverKind::Board;
            plan.model = kSurveyModel;
            break;
        case ReceiverChoice::Sirf:
            plan.kind = ReceiverKind::Sirf;
            if (handheldModel == kSurveyModel)
                plan.model = kGpsOnlyModel1;
            break;
        case ReceiverChoice::Nmea:
            plan.kind = ReceiverKind::Nmea;
            break;
    }
    if (commandLine.port && !commandLine.port->empty())
        plan.port = *commandLine.port;
    else if (!stored.port.empty())
        plan.port = stored.port;
    else
        plan.port = receiverDeviceName(plan.model);
    return plan;
}

std::string languageLibraryName(uint32_t localeId, std::string englishName) {
    // "Chinese (Simplified)" -> "Chinese": the blank before the bracket goes with it. A bracket
    // in the first two places leaves the name alone, so a short name never becomes empty.
    const size_t bracket = englishName.find('(');
    if (bracket != std::string::npos && bracket >= 2)
        englishName.resize(bracket - 1);
    if (localeId == kTraditionalChineseLocale)
        return "T" + englishName;
    if (localeId == kSimplifiedChineseLocale)
        return "S" + englishName;
    return englishName;
}

fs::path languageLibraryPath(const fs::path& programFolder, uint32_t localeId,
                             const std::string& englishName) {
    const std::string file = languageLibraryName(localeId, englishName) + "Lang.so";
    const fs::path beside = programFolder / "Lang" / file;
    // Installed, the program is /usr/bin/zentrix and its libraries are in /usr/lib/zentrix: a
    // package puts nothing but programs into bin/.
    const fs::path installed = programFolder.parent_path() / "lib" / "zentrix" / "Lang" / file;
    std::error_code error;
    if (!fs::exists(beside, error) && fs::exists(installed, error))
        return installed;
    return beside;
}

platform::WideString connectionFailureText(const ConnectionFailure& failure) {
    using framework::loadString;
    using platform::fromUtf8;
    // "COM3:" names the link "devices/COM3" and the variable "ZENTRIX_COM3".
    platform::WideString port = failure.portName;
    if (!port.empty() && port.back() == u':')
        port.pop_back();
    const platform::WideString device = failure.devicePath.empty()
                                            ? platform::WideString(u"-")
                                            : fromUtf8(failure.devicePath.string());

    platform::WideString text = loadString(IDS_CANNOT_CONNECT_GPS);
    text += u"\n\n" + formatPattern(loadString(IDS_CONNECT_HELP_PORT), {port, device});
    if (failure.ratesTried.empty() && failure.openError != 0) {
        const std::string reason = std::generic_category().message(failure.openError);
        text += u"\n" + formatPattern(loadString(IDS_CONNECT_HELP_OPEN_FAILED), {fromUtf8(reason)});
    } else if (!failure.ratesTried.empty()) {
        platform::WideString rates;
        for (const uint32_t rate : failure.ratesTried) {
            if (!rates.empty())
                rates += u", ";
            rates += fromUtf8(std::to_string(rate));
        }
        text += u"\n" + formatPattern(loadString(IDS_CONNECT_HELP_RATES), {rates});
    }
    // A device named by its path (--port /dev/ttyUSB0) has no link or variable to set.
    if (!port.empty() && port.front() == u'/')
        return text;
    const fs::path link = platform::deviceRoot() / "devices" / platform::toUtf8(port);
    text += u"\n\n" + formatPattern(loadString(IDS_CONNECT_HELP_ACTION),
                                    {fromUtf8(link.string()), u"ZENTRIX_" + port});
    return text;
}

fs::path serviceProgramPath() {
    return platform::specialFolderPath(platform::SpecialFolder::ProgramFiles) / "GNSS Duxlane" /
           "Duxlane.exe";
}

bool ensureServiceRunning() {
    if (platform::isProcessRunning(kServiceExecutable))
        return true;
    platform::startProcess(serviceProgramPath(), u"-f");
    platform::sleepMs(kServiceStartPauseMs);
    return true;
}

}  // namespace zentrix::app
