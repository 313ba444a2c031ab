#include "tools/ctl/commands.h"

namespace zentrix::ctl {

std::string checkSourceTable(std::span<const std::string> /*args*/) {
    return "not built yet";
}

int runSourceTable(Context& context, std::span<const std::string> /*args*/) {
    return reportUnsupported(context, "sourcetable");
}

}  // namespace zentrix::ctl
