#include "tools/ctl/commands.h"

namespace zentrix::ctl {

std::string checkStatus(std::span<const std::string> /*args*/) {
    return "not built yet";
}

int runStatus(Context& context, std::span<const std::string> /*args*/) {
    return reportUnsupported(context, "status");
}

}  // namespace zentrix::ctl
