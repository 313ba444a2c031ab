#include "platform/device_identity.h"

#include <cstdlib>
#include <fstream>

#include "platform/device_root.h"

namespace zentrix::platform {
namespace {

std::optional<std::string> cleaned(std::string code) {
    size_t end = 0;
    while (end < code.size() && end < kMaxModelCodeChars &&
           static_cast<unsigned char>(code[end]) >= 0x20 && code[end] != 0x7F) {
        ++end;
    }
    code.resize(end);
    if (code.empty())
        return std::nullopt;
    return code;
}

}  // namespace

std::optional<std::string> readModelCode() {
    if (const char* value = std::getenv("ZENTRIX_MODEL_CODE")) {
        if (auto code = cleaned(value))
            return code;
    }
    std::ifstream file(deviceRoot() / "device" / "model-code", std::ios::binary);
    std::string line;
    // Bounded read: the file is the user's, and nothing of a long line is kept anyway.
    line.resize(kMaxModelCodeChars + 1);
    file.read(line.data(), static_cast<std::streamsize>(line.size()));
    line.resize(static_cast<size_t>(file.gcount()));
    return cleaned(std::move(line));
}

}  // namespace zentrix::platform
