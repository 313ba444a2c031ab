// Arbitrary bytes as the launcher's data file: the reader may refuse them but never fail on them,
// and settings it accepts, once saved, must read back and save again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "today/launcher_data_file.h"

using namespace zentrix::today;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const LauncherSettings defaults;
    const auto first = parseLauncherData(bytes, defaults);
    if (!first) return 0;
    const auto saved = formatLauncherData(*first);
    const auto again = parseLauncherData(saved, defaults);
    if (!again || formatLauncherData(*again) != saved) std::abort();
    return 0;
}
