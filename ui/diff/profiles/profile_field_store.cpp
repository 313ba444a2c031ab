#include "ui/diff/profiles/profile_field_store.h"

#include "platform/device_root.h"

namespace zentrix::diff {

template <class Record>
ProfileFieldStore<Record>::ProfileFieldStore(std::string fileName)
    : fileName_(std::move(fileName)) {
    const auto path = platform::devicePath(fileName_);
    platform::createParentFolders(path);
    file_ = platform::HeldFile(path, Record::kAccess);
    if (!file_.isOpen()) return;
    const auto contents = file_.read();
    if (!contents) {
        // Unreadable now means unreadable at destruction too: do not overwrite it.
        file_.close();
        return;
    }
    table_ = parseProfileFields<Record>(contents.bytes);
}

template <class Record>
ProfileFieldStore<Record>::~ProfileFieldStore() {
    write();
}

template <class Record>
size_t ProfileFieldStore<Record>::copyOut(std::array<Record, kSlots>& records) const {
    records = table_.records;
    return table_.count;
}

template <class Record>
bool ProfileFieldStore<Record>::add(const Record& record) {
    const auto key = record.field(Record::kKeyField);
    if (key.empty()) return false;
    for (size_t i = 0; i < table_.count; ++i) {
        if (table_.records[i].field(Record::kKeyField) == key) {
            table_.records[i] = record;
            return true;
        }
    }
    if (table_.count >= kMaxAdded) return false;
    table_.records[table_.count++] = record;
    return true;
}

template <class Record>
bool ProfileFieldStore<Record>::write() {
    if (!file_.isOpen()) return false;
    return !platform::replaceFile(platform::devicePath(fileName_), formatProfileFields(table_),
                                  Record::kAccess);
}

template class ProfileFieldStore<GsmProfile>;
template class ProfileFieldStore<GprsProfile>;

}  // namespace zentrix::diff
