#include "tools/ctl/commands.h"

namespace zentrix::ctl {

std::string checkGet(std::span<const std::string> /*args*/) {
    return "not built yet";
}

int runGet(Context& context, std::span<const std::string> /*args*/) {
    return reportUnsupported(context, "get");
}

std::string checkSet(std::span<const std::string> /*args*/) {
    return "not built yet";
}

int runSet(Context& context, std::span<const std::string> /*args*/) {
    return reportUnsupported(context, "set");
}

std::string settingsHelp() {
    return "  (none yet)\n";
}

}  // namespace zentrix::ctl
