#include "platform/command_line.h"

#include <cstdio>
#include <string>

namespace zentrix::platform {

std::string_view packageVersion() {
    return ZENTRIX_VERSION;
}

std::optional<int> answerHelpOrVersion(int argc, char** argv, std::string_view program,
                                       std::string_view usage) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fwrite(usage.data(), 1, usage.size(), stdout);
            return 0;
        }
        if (arg == "--version") {
            const std::string line =
                std::string(program) + " " + std::string(packageVersion()) + "\n";
            std::fwrite(line.data(), 1, line.size(), stdout);
            return 0;
        }
    }
    return std::nullopt;
}

}  // namespace zentrix::platform
