// The record files of the direct IP and NTRIP profiles, as bytes.
//
// Current layout: a header line ("Dip data. Version 1\r\n") and one "name;host;port..." line per
// record, CR LF ended. Older programs wrote a headerless column layout instead: one line per
// field, the values of all records separated by ";". Both are read; only the current one is
// written. Reading is a pure function of the bytes, so that it can be fuzzed in memory.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ui/diff/profiles/profile_records.h"

namespace zentrix::diff {

/// The most records a profile file keeps.
inline constexpr size_t kMaxProfileRecords = 100;

/// The insert rule of the profile lists: at the front of a non-empty list (dropping the last
/// record past the limit), else at the end (dropping the first record past the limit).
template <class Record>
void insertProfile(std::vector<Record>& records, bool atFront, const Record& record) {
    if (atFront && !records.empty()) {
        records.insert(records.begin(), record);
        if (records.size() > kMaxProfileRecords) records.pop_back();
        return;
    }
    records.push_back(record);
    if (records.size() > kMaxProfileRecords) {
        if (atFront) {
            records.pop_back();
        } else {
            records.erase(records.begin());
        }
    }
}

template <class Record>
struct ProfileFileContents {
    std::vector<Record> records;
    /// False when an old-layout NTRIP file ended inside its first four lines (records empty).
    bool loaded = true;
    /// False when something in the file was dropped: a malformed line, records past the limit.
    /// Saving such a list back would lose it, so the caller keeps a copy of the file first.
    bool whole = true;
};

ProfileFileContents<DirectIpProfile> parseDirectIpProfiles(std::string_view bytes);
ProfileFileContents<NtripProfile> parseNtripProfiles(std::string_view bytes);

/// The current layout: header line, then one CR LF ended line per record.
std::string formatProfiles(std::span<const DirectIpProfile> records);
std::string formatProfiles(std::span<const NtripProfile> records);

/// The decimal value at the start of `text` the way the handheld's C library read it (leading
/// white space, a sign, digits up to the first other character; no digits give 0), saturated to
/// the 32-bit range instead of overflowing.
int32_t decimalPrefix(std::string_view text);

}  // namespace zentrix::diff
