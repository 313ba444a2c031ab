// zentrix-info: where this machine keeps the handheld, and where each COM port leads.
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/command_line.h"
#include "platform/device_root.h"
#include "platform/registry.h"

using namespace zentrix::platform;

namespace {

constexpr char kUsage[] =
    "usage: zentrix-info    (--help, --version)\n"
    "Prints where this machine keeps the handheld (the device root and its settings store) and\n"
    "where each COM port leads. It opens the settings store, and creates it when it is missing.\n";

}  // namespace

int main(int argc, char** argv) {
    if (const auto exitCode = answerHelpOrVersion(argc, argv, "zentrix-info", kUsage))
        return *exitCode;
    if (argc > 1) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const auto root = deviceRoot();
    std::printf("device root: %s\n", root.c_str());
    auto registry = Registry::device();
    std::printf("registry:    %s (%s)\n", registry->file().c_str(),
                registry->isOpen() ? "ready" : "cannot be opened");
    for (int n = 1; n <= 9; ++n) {
        const std::string name = "COM" + std::to_string(n) + ":";
        const auto device = resolvePortName(fromUtf8(name));
        std::error_code error;
        const bool present = std::filesystem::exists(device, error);
        std::printf("%-6s -> %s%s\n", name.c_str(), device.c_str(), present ? "" : " (absent)");
    }
    return 0;
}
