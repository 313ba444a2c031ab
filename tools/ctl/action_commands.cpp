#include "tools/ctl/commands.h"

namespace zentrix::ctl {

std::string checkNoArguments(std::span<const std::string> args) {
    return args.empty() ? std::string() : "takes no arguments";
}

std::string checkNtrip(std::span<const std::string> /*args*/) {
    return "not built yet";
}

std::string checkSend(std::span<const std::string> /*args*/) {
    return "not built yet";
}

std::string checkRecord(std::span<const std::string> /*args*/) {
    return "not built yet";
}

int runDial(Context& context, std::span<const std::string> /*args*/) {
    return reportUnsupported(context, "dial");
}

int runHangup(Context& context, std::span<const std::string> /*args*/) {
    return reportUnsupported(context, "hangup");
}

int runNtrip(Context& context, std::span<const std::string> /*args*/) {
    return reportUnsupported(context, "ntrip");
}

int runSend(Context& context, std::span<const std::string> /*args*/) {
    return reportUnsupported(context, "send");
}

int runReset(Context& context, std::span<const std::string> /*args*/) {
    return reportUnsupported(context, "reset");
}

int runPowerOff(Context& context, std::span<const std::string> /*args*/) {
    return reportUnsupported(context, "power-off");
}

int runRecord(Context& context, std::span<const std::string> /*args*/) {
    return reportUnsupported(context, "record");
}

}  // namespace zentrix::ctl
