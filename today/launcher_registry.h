// The registry copy of the launcher settings under HKEY_CURRENT_USER\Software\Zentrix: read when
// the data file is missing or unreadable, written when the data file cannot be written.
//
// Problems come back as the texts the window layer shows in a message box titled
// `kRegistryErrorTitle`; nothing here shows a window or throws.
#pragma once

#include <vector>

#include "platform/registry.h"
#include "today/launcher_settings.h"

namespace zentrix::today {

inline constexpr char16_t kRegistryErrorTitle[] = u"Error!!";
inline constexpr char16_t kSettingsKey[] = u"Software\\Zentrix";

struct RegistryResult {
    std::vector<WideString> errors;  // one message box text per problem, in order
    bool ok() const { return errors.empty(); }
    void append(const RegistryResult& other) {
        errors.insert(errors.end(), other.errors.begin(), other.errors.end());
    }
};

/// "Software\Zentrix\FileList", "...\FileList1" to "...\FileList7" for groups 0 to 7.
WideString fileListKeyName(size_t group);
/// "Software\Zentrix\GroupSetting", "...\GroupSetting1" to "...\GroupSetting7".
WideString groupSettingKeyName(size_t group);

/// The general settings from "Software\Zentrix"; a value that is missing keeps its current one.
RegistryResult loadRegistryGeneral(LauncherSettings& settings, platform::Registry& registry);
RegistryResult saveRegistryGeneral(const LauncherSettings& settings, platform::Registry& registry);

/// Each group's items (sorted by their "Index") and group values. A group without a FileList key
/// has no items; a missing group value keeps its current one. Stops at the first group whose keys
/// cannot be read.
RegistryResult loadRegistryGroups(LauncherSettings& settings, platform::Registry& registry);
/// Each group's items (their position as "Index") and group values, replacing what was there.
RegistryResult saveRegistryGroups(const LauncherSettings& settings, platform::Registry& registry);
/// Deletes every group's FileList and GroupSetting key.
RegistryResult clearRegistryGroups(platform::Registry& registry);

}  // namespace zentrix::today
