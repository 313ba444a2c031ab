// The GSM numbers and packet-data access points a settings page remembers.
#pragma once

#include <string>

#include "platform/atomic_file.h"
#include "ui/diff/profiles/profile_field_format.h"
#include "ui/diff/profiles/profile_records.h"

namespace zentrix::diff {

/// The field-line store of one page: its file is opened (or created) when the page is constructed
/// and held, unshared, until the page is destroyed; whatever was added meanwhile is written then,
/// even after Cancel. User-interface thread.
///
/// When the file cannot be opened (another page holds it, no permission) the store stays empty
/// and the file is left alone at destruction: rewriting it from an empty store would discard the
/// profiles in it.
template <class Record>
class ProfileFieldStore {
public:
    static constexpr size_t kSlots = ProfileTable<Record>::kSlots;
    /// `add` appends only while fewer records than this are held.
    static constexpr size_t kMaxAdded = 99;

    explicit ProfileFieldStore(std::string fileName = std::string(Record::kFileName));
    ~ProfileFieldStore();
    ProfileFieldStore(const ProfileFieldStore&) = delete;
    ProfileFieldStore& operator=(const ProfileFieldStore&) = delete;

    /// Whether the file was opened, and so will be written at destruction.
    bool isOpen() const { return file_.isOpen(); }

    /// The stored records for a drop-down list: fills `records`, answers the count.
    size_t copyOut(std::array<Record, kSlots>& records) const;
    size_t count() const { return table_.count; }

    /// Keyed by the phone number (GSM) or the APN (packet data): an equal key has all its fields
    /// replaced, a new key is appended while fewer than 99 records are held, an empty key adds
    /// nothing. True when the store changed.
    bool add(const Record& record);

    /// Writes the store now, replacing the file at once; false when nothing was written (also
    /// when the file was never opened). The destructor calls it.
    bool write();

private:
    std::string fileName_;
    platform::HeldFile file_;
    ProfileTable<Record> table_;
};

using GsmProfileStore = ProfileFieldStore<GsmProfile>;
using GprsProfileStore = ProfileFieldStore<GprsProfile>;

extern template class ProfileFieldStore<GsmProfile>;
extern template class ProfileFieldStore<GprsProfile>;

}  // namespace zentrix::diff
