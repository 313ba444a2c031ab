// Arbitrary bytes as a direct IP and as an NTRIP profile file: neither reader may fail on them,
// and whatever a reader takes from a file must survive being saved and read again unchanged
// (saving what was read is exactly what the settings pages do).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ui/diff/profiles/profile_record_format.h"

using namespace zentrix::diff;

namespace {

template <class Parse>
void readSaveRead(std::string_view bytes, Parse parse) {
    const auto first = parse(bytes);
    if (first.records.size() > kMaxProfileRecords) std::abort();
    const auto again = parse(formatProfiles(first.records));
    if (!again.loaded || !again.whole || again.records != first.records) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    readSaveRead(bytes, parseDirectIpProfiles);
    readSaveRead(bytes, parseNtripProfiles);
    return 0;
}
