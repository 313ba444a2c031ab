// The field-line files of the GSM and packet-data profiles, as bytes.
//
// One line per field of the record (GSM: PINs, then numbers; packet data: PINs, APNs, logins,
// passwords); on each line the values of all records, separated by ";". The lines end with CR LF
// except the last. Reading is a pure function of the bytes, so that it can be fuzzed in memory.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "ui/diff/profiles/profile_records.h"

namespace zentrix::diff {

/// The fixed array of a field-line store: 100 slots and the number held.
template <class Record>
struct ProfileTable {
    static constexpr size_t kSlots = 100;
    std::array<Record, kSlots> records{};
    size_t count = 0;
};

/// Reads the field lines: line n fills field n of every record; the count is the number of
/// values on the last field line read.
template <class Record>
ProfileTable<Record> parseProfileFields(std::string_view bytes);

/// Writes the first `count` records, one line per field.
template <class Record>
std::string formatProfileFields(const ProfileTable<Record>& table);

extern template ProfileTable<GsmProfile> parseProfileFields(std::string_view);
extern template ProfileTable<GprsProfile> parseProfileFields(std::string_view);
extern template std::string formatProfileFields(const ProfileTable<GsmProfile>&);
extern template std::string formatProfileFields(const ProfileTable<GprsProfile>&);

}  // namespace zentrix::diff
