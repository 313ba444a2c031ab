// Arbitrary bytes as the command line's history file: the reader may fail on none of them, keeps
// at most 200 whole, non-empty lines, and what it keeps survives being written and read again
// (the page writes back what it read when it closes).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ui/settings/command_history.h"

using namespace zentrix::ui;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ParsedCommandHistory first = parseCommandHistory(bytes);
    if (first.entries.size() > kCommandHistoryMaxEntries)
        std::abort();
    for (const auto& entry : first.entries) {
        if (entry.empty() || entry.find_first_of(u"\r\n") != entry.npos)
            std::abort();
    }
    // One trip through the code page may replace what it cannot carry; after that it is stable.
    const ParsedCommandHistory second = parseCommandHistory(formatCommandHistory(first.entries));
    const ParsedCommandHistory third = parseCommandHistory(formatCommandHistory(second.entries));
    if (second.entries.size() != first.entries.size() || third.entries != second.entries)
        std::abort();
    return 0;
}
