// The direct IP and NTRIP profiles a settings page offers in its "Name" list.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ui/diff/profiles/profile_record_format.h"
#include "ui/diff/profiles/profile_records.h"

namespace zentrix::diff {

/// A list of at most 100 profiles, read from its file when the owning page opens and written
/// back whole when the page ends with OK; no file stays open in between. User-interface thread.
///
/// A file that could not be read whole (a malformed line, a truncated old layout, an unreadable
/// file) is kept beside the new one as "<name>.damaged" before the first save replaces it: the
/// list then holds only what could be read, and writing that alone would lose the rest.
template <class Record>
class ProfileList {
public:
    /// A list kept in `fileName` at the device root; by default the record's own file.
    explicit ProfileList(std::string fileName = std::string(Record::kFileName));

    /// Empties the list and reads the file; false when it cannot be opened (a missing file gives
    /// an empty list) or an old-layout NTRIP file ends early.
    bool load();
    /// Writes the whole list, replacing the file at once; false when nothing was written.
    bool save();

    /// Index of the first record for the same server (host and port; for NTRIP also login,
    /// password and mount point), or -1.
    int find(const Record& probe) const;
    /// At the front (atFront on a non-empty list) or at the end; past 100 records the last one
    /// (atFront) or the first one is dropped.
    void insert(bool atFront, const Record& record);
    bool replace(size_t index, const Record& record);
    bool remove(size_t index);

    size_t count() const { return records_.size(); }
    const Record& operator[](size_t index) const { return records_[index]; }
    const std::vector<Record>& records() const { return records_; }
    const std::string& fileName() const { return fileName_; }

private:
    std::string fileName_;
    std::vector<Record> records_;
    bool keepOldFile_ = false;  // the last load could not read the existing file whole
};

using DirectIpProfileList = ProfileList<DirectIpProfile>;
using NtripProfileList = ProfileList<NtripProfile>;

extern template class ProfileList<DirectIpProfile>;
extern template class ProfileList<NtripProfile>;

}  // namespace zentrix::diff
