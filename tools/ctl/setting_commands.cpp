#include <iostream>
#include <string>

#include "tools/ctl/commands.h"
#include "tools/ctl/setting_table.h"
#include "tools/replay/replay.h"

namespace zentrix::ctl {

namespace {

constexpr std::string_view kAll = "all";
/// The value of `set ntrip.password -`: the secret comes from standard input, so that it never
/// shows in the process list.
constexpr std::string_view kFromInput = "-";

std::string unknownName(const std::string& name) {
    return "no setting '" + name + "' (zentrixctl --help lists them)";
}

/// Whether this kind of receiver has the setting at all (`write`: for writing).
bool supported(const Context& context, const Setting& setting, bool write) {
    switch (context.kind) {
        case app::ReceiverKind::Board:
            return true;
        case app::ReceiverKind::Sirf:
            return setting.row->chip == Access::ReadWrite ||
                   (!write && setting.row->chip == Access::Read);
        case app::ReceiverKind::Nmea:
            break;
    }
    return false;
}

/// What `get` shows of a password: whether there is one.
std::string shownSecret(const std::string& secret) {
    return secret.empty() ? "empty" : "set";
}

void printValue(Context& context, const Setting& setting, const std::string& value, bool named) {
    if (context.json) {
        context.out << "{\"name\":" << replay::jsonString(setting.name);
        if (setting.row->secret)
            context.out << ",\"set\":" << (value.empty() ? "false" : "true") << "}\n";
        else
            context.out << ",\"value\":" << replay::jsonString(value) << "}\n";
        return;
    }
    if (named)
        context.out << setting.name << ' ';
    context.out << (setting.row->secret ? shownSecret(value) : value) << '\n';
}

/// Reports a read or write that failed; returns its exit status.
int reportResult(Context& context, const std::string& action, const SettingResult& result) {
    if (result.problem.empty())
        return reportFailure(context, action);
    context.err << kProgram << ": " << action << ": " << result.problem << '\n';
    return kRefused;
}

int getAll(Context& context, SettingSession& session) {
    int status = kSuccess;
    for (const Setting& setting : allSettings()) {
        if (!supported(context, setting, false))
            continue;
        const SettingResult result = setting.row->read(session, setting);
        if (result.value) {
            printValue(context, setting, *result.value, true);
            continue;
        }
        if (result.absent)
            continue;
        const int failure = reportResult(context, "get " + setting.name, result);
        if (status == kSuccess)
            status = failure;
        if (failure == kNoReceiver)
            return failure;
    }
    return status;
}

}  // namespace

std::string checkGet(std::span<const std::string> args) {
    if (args.size() != 1)
        return "takes one setting name, or all";
    if (args[0] != kAll && !findSetting(args[0]))
        return unknownName(args[0]);
    return {};
}

int runGet(Context& context, std::span<const std::string> args) {
    SettingSession session(context.receiver);
    if (args[0] == kAll) {
        if (context.kind == app::ReceiverKind::Nmea)
            return reportUnsupported(context, "get all");
        return getAll(context, session);
    }
    const Setting setting = *findSetting(args[0]);
    const std::string action = "get " + setting.name;
    if (!supported(context, setting, false))
        return reportUnsupported(context, action);
    const SettingResult result = setting.row->read(session, setting);
    if (!result.value)
        return reportResult(context, action, result);
    printValue(context, setting, *result.value, false);
    return kSuccess;
}

std::string checkSet(std::span<const std::string> args) {
    if (args.size() != 2)
        return "takes a setting name and its value";
    const std::optional<Setting> setting = findSetting(args[0]);
    if (!setting)
        return unknownName(args[0]);
    if (setting->row->write == nullptr)
        return setting->name + " is only read: the receiver sets it itself";
    if (setting->row->secret && args[1] == kFromInput)
        return {};
    std::string why;
    if (!canonicalValue(*setting, args[1], why))
        return setting->name + ": " + why;
    return {};
}

int runSet(Context& context, std::span<const std::string> args) {
    const Setting setting = *findSetting(args[0]);
    const std::string action = "set " + setting.name;
    if (!supported(context, setting, true))
        return reportUnsupported(context, action);

    std::string given = args[1];
    if (setting.row->secret && given == kFromInput) {
        std::getline(std::cin, given);
        if (!given.empty() && given.back() == '\r')
            given.pop_back();
    }
    std::string why;
    const std::optional<std::string> value = canonicalValue(setting, given, why);
    if (!value)
        return reportUsage(context.err, action, why);

    SettingSession session(context.receiver);
    const SettingResult written = setting.row->write(session, setting, *value);
    if (!written.done)
        return reportResult(context, action, written);

    // A receiver may acknowledge a value and keep its own: what counts is what it reports now.
    session.forget();
    const SettingResult readBack = setting.row->read(session, setting);
    if (!readBack.value)
        return reportResult(context, action + " (reading it back)", readBack);
    if (*readBack.value != *value) {
        context.err << kProgram << ": " << action << ": the receiver kept "
                    << (setting.row->secret ? "another password" : "'" + *readBack.value + "'")
                    << '\n';
        return kRefused;
    }
    if (context.json)
        printValue(context, setting, *value, false);
    return kSuccess;
}

std::string settingsHelp() {
    return settingLines() +
           "  get all prints every setting the receiver has, one \"NAME VALUE\" a line. get\n"
           "  ntrip.password tells only whether one is set; set ntrip.password - reads it from\n"
           "  the first line of standard input, so that it never shows in the process list.\n"
           "  tracking-mode reads other when the receiver tracks a combination no mode names.\n";
}

}  // namespace zentrix::ctl
