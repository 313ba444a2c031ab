#include "ui/diff/profiles/profile_list.h"

#include <type_traits>

#include "platform/atomic_file.h"
#include "platform/device_root.h"

namespace zentrix::diff {
namespace {

template <class Record>
ProfileFileContents<Record> parseProfiles(std::string_view bytes) {
    if constexpr (std::is_same_v<Record, DirectIpProfile>) {
        return parseDirectIpProfiles(bytes);
    } else {
        return parseNtripProfiles(bytes);
    }
}

}  // namespace

template <class Record>
ProfileList<Record>::ProfileList(std::string fileName) : fileName_(std::move(fileName)) {}

template <class Record>
bool ProfileList<Record>::load() {
    records_.clear();
    keepOldFile_ = false;
    const auto file = platform::readWholeFile(platform::devicePath(fileName_));
    if (!file) {
        keepOldFile_ = !file.missing();
        return false;
    }
    auto contents = parseProfiles<Record>(file.bytes);
    records_ = std::move(contents.records);
    keepOldFile_ = !contents.whole;
    return contents.loaded;
}

template <class Record>
bool ProfileList<Record>::save() {
    const auto path = platform::devicePath(fileName_);
    if (!platform::createParentFolders(path)) return false;
    std::error_code error;
    const bool oldFileThere = std::filesystem::exists(path, error);
    if (keepOldFile_ && oldFileThere && !platform::keepDamagedCopy(path)) return false;
    keepOldFile_ = false;
    return !platform::replaceFile(path, formatProfiles(std::span<const Record>(records_)),
                                  Record::kAccess);
}

template <class Record>
int ProfileList<Record>::find(const Record& probe) const {
    for (size_t i = 0; i < records_.size(); ++i) {
        if (records_[i].sameServer(probe)) return static_cast<int>(i);
    }
    return -1;
}

template <class Record>
void ProfileList<Record>::insert(bool atFront, const Record& record) {
    insertProfile(records_, atFront, record);
}

template <class Record>
bool ProfileList<Record>::replace(size_t index, const Record& record) {
    if (index >= records_.size()) return false;
    records_[index] = record;
    return true;
}

template <class Record>
bool ProfileList<Record>::remove(size_t index) {
    if (index >= records_.size()) return false;
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

template class ProfileList<DirectIpProfile>;
template class ProfileList<NtripProfile>;

}  // namespace zentrix::diff
