// zentrix-info: where this machine keeps the handheld, and where each COM port leads.
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/device_root.h"
#include "platform/registry.h"

using namespace zentrix::platform;

int main() {
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
