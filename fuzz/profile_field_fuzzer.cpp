// Arbitrary bytes as a GSM and as a packet-data profile file: neither reader may fail on them, and
// the records a reader takes must survive being written and read again unchanged (the store
// writes back what it read when its page closes).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ui/diff/profiles/profile_field_format.h"

using namespace zentrix::diff;

namespace {

template <class Record>
void readWriteRead(std::string_view bytes) {
    const auto first = parseProfileFields<Record>(bytes);
    if (first.count > first.kSlots) std::abort();
    const auto again = parseProfileFields<Record>(formatProfileFields(first));
    if (again.count != first.count) std::abort();
    for (size_t i = 0; i < first.count; ++i) {
        if (!(again.records[i] == first.records[i])) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    readWriteRead<GsmProfile>(bytes);
    readWriteRead<GprsProfile>(bytes);
    return 0;
}
