// The resource data parsers read language libraries' texts, which the program does not control:
// any bytes must give a result or an error, never a crash, and what parses must be sound.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string_view>

#include "framework/resource_format.h"

using namespace zentrix::framework;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto strings = parseStringTable(text, "fuzz");
    auto dialogs = parseDialogs(text, "fuzz");
    auto bitmaps = parseBitmapList(text, "fuzz");
    for (const auto& d : dialogs.entries) {
        if (d.size.cx <= 0 || d.size.cy <= 0 || d.fontPoints <= 0)
            std::abort();
        for (const auto& c : d.controls) {
            if (c.rect.Width() < 0 || c.rect.Height() < 0 || c.id > 0xFFFF)
                std::abort();
        }
    }
    std::map<std::string, UINT> ids;
    collectIds(strings.entries, dialogs.entries, bitmaps.entries, ids);
    return 0;
}
