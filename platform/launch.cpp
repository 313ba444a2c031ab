#include "platform/launch.h"

namespace zentrix::platform {

std::vector<std::string> splitCommandLine(std::string_view) {
    return {};
}

LaunchResult launchFile(WideStringView, WideStringView) {
    return {false, "not built yet"};
}

}  // namespace zentrix::platform
