#include "today/launcher_registry.h"

#include <algorithm>
#include <string>

#include "today/launcher_fields.h"

namespace zentrix::today {
namespace {

using platform::RegistryKey;
using platform::RootKey;

constexpr char16_t kCantDelete[] = u"Can't delete registry key!!";
constexpr char16_t kCantAccess[] = u"Can't access registry key!!";
constexpr char16_t kCantQuery[] = u"Can't query registry key!!";

// "Can't enum registry key, %s , %s , %d": the key, the subkey and its position.
WideString cantEnumerate(WideStringView key, WideStringView subkey, size_t position) {
    WideString text = u"Can't enum registry key, ";
    text.append(key).append(u" , ").append(subkey).append(u" , ");
    text += platform::fromUtf8(std::to_string(position));
    return text;
}

WideString numbered(WideStringView base, size_t group) {
    WideString name(kSettingsKey);
    name.append(u"\\").append(base);
    if (group > 0) name += platform::fromUtf8(std::to_string(group));
    return name;
}

RegistryKey userKey(platform::Registry& registry, WideStringView path) {
    return registry.key(RootKey::CurrentUser, path);
}

template <class Record, size_t N>
void readValues(const RegistryKey& key, Record& record,
                const std::array<LauncherField<Record>, N>& fields) {
    for (const auto& field : fields) {
        if (!field.registryName) continue;
        if (field.number) {
            if (const auto value = key.dword(field.registryName)) {
                record.*field.number = static_cast<int32_t>(*value);
            }
        } else if (const auto value = key.string(field.registryName)) {
            record.*field.text = fieldText(*value);
        }
    }
}

template <class Record, size_t N>
bool writeValues(const RegistryKey& key, const Record& record,
                 const std::array<LauncherField<Record>, N>& fields) {
    bool ok = true;
    for (const auto& field : fields) {
        if (!field.registryName) continue;
        if (field.number) {
            ok &= key.setDword(field.registryName, static_cast<uint32_t>(record.*field.number));
        } else {
            ok &= key.setString(field.registryName, fieldText(record.*field.text));
        }
    }
    return ok;
}

// A key that is not there is as good as deleted.
bool removeIfPresent(platform::Registry& registry, const RegistryKey& key) {
    return registry.isOpen() && (!key.exists() || key.remove());
}

LauncherItem readItem(const RegistryKey& key, WideStringView name) {
    LauncherItem item;
    item.name = fieldText(name);
    item.fileName = fieldText(key.string(u"FileName").value_or(u""));
    item.commandLine = fieldText(key.string(u"CommnadLine").value_or(u""));
    item.iconPath = fieldText(key.string(u"IconPath").value_or(u""));
    item.iconResource = static_cast<int32_t>(key.dword(u"IconResource").value_or(0));
    item.index = static_cast<int32_t>(key.dword(u"Index").value_or(0));
    return item;
}

bool writeItem(const RegistryKey& key, const LauncherItem& item, size_t position) {
    return key.create() && key.setString(u"FileName", fieldText(item.fileName)) &&
           key.setString(u"CommnadLine", fieldText(item.commandLine)) &&
           key.setString(u"IconPath", fieldText(item.iconPath)) &&
           key.setDword(u"IconResource", static_cast<uint32_t>(item.iconResource)) &&
           key.setDword(u"Index", static_cast<uint32_t>(position));
}

}  // namespace

WideString fileListKeyName(size_t group) {
    return numbered(u"FileList", group);
}
WideString groupSettingKeyName(size_t group) {
    return numbered(u"GroupSetting", group);
}

RegistryResult loadRegistryGeneral(LauncherSettings& settings, platform::Registry& registry) {
    RegistryResult result;
    if (!registry.isOpen()) {
        result.errors.emplace_back(kCantAccess);
        return result;
    }
    readValues(userKey(registry, kSettingsKey), settings, kGeneralFields);
    return result;
}

RegistryResult saveRegistryGeneral(const LauncherSettings& settings, platform::Registry& registry) {
    RegistryResult result;
    const auto key = userKey(registry, kSettingsKey);
    if (!key.create() || !writeValues(key, settings, kGeneralFields)) {
        result.errors.emplace_back(kCantAccess);
    }
    return result;
}

RegistryResult loadRegistryGroups(LauncherSettings& settings, platform::Registry& registry) {
    RegistryResult result;
    if (!registry.isOpen()) {
        result.errors.emplace_back(kCantAccess);
        return result;
    }
    for (size_t g = 0; g < kGroupCount; ++g) {
        auto& group = settings.groups[g];
        const auto listName = fileListKeyName(g);
        const auto list = userKey(registry, listName);
        std::vector<LauncherItem> items;
        if (list.exists()) {
            const auto names = list.subkeys();
            if (!names) {
                result.errors.emplace_back(kCantQuery);
                return result;
            }
            items.reserve(names->size());
            for (size_t i = 0; i < names->size(); ++i) {
                const auto itemKey = list.subkey((*names)[i]);
                if (!itemKey.exists()) {
                    result.errors.push_back(cantEnumerate(listName, (*names)[i], i));
                }
                items.push_back(readItem(itemKey, (*names)[i]));
            }
            if (items.size() >= 2) {
                std::stable_sort(items.begin(), items.end(),
                                 [](const auto& a, const auto& b) { return a.index < b.index; });
            }
        }
        group.items = std::move(items);
        readValues(userKey(registry, groupSettingKeyName(g)), group, kGroupFields);
    }
    return result;
}

RegistryResult saveRegistryGroups(const LauncherSettings& settings, platform::Registry& registry) {
    RegistryResult result;
    for (size_t g = 0; g < kGroupCount; ++g) {
        const auto& group = settings.groups[g];
        const auto list = userKey(registry, fileListKeyName(g));
        // Items removed since the last save must not come back from their old subkeys.
        if (!removeIfPresent(registry, list)) {
            result.errors.emplace_back(kCantDelete);
            continue;
        }
        bool ok = list.create();
        for (size_t i = 0; ok && i < group.items.size(); ++i) {
            const auto& item = group.items[i];
            ok = writeItem(list.subkey(fieldText(item.name)), item, i);
        }
        const auto values = userKey(registry, groupSettingKeyName(g));
        ok = ok && values.create() && writeValues(values, group, kGroupFields);
        if (!ok) result.errors.emplace_back(kCantAccess);
    }
    return result;
}

RegistryResult clearRegistryGroups(platform::Registry& registry) {
    RegistryResult result;
    for (size_t g = 0; g < kGroupCount; ++g) {
        if (!removeIfPresent(registry, userKey(registry, fileListKeyName(g))) ||
            !removeIfPresent(registry, userKey(registry, groupSettingKeyName(g)))) {
            result.errors.emplace_back(kCantDelete);
        }
    }
    return result;
}

}  // namespace zentrix::today
