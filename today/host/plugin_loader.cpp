#include "today/host/plugin_loader.h"

#include <dlfcn.h>

#include <algorithm>
#include <system_error>

#include "framework/resources.h"
#include "resources/resource_ids.h"

namespace zentrix::today {
namespace fs = std::filesystem;
using platform::fromUtf8;
using platform::toUtf8;

namespace {

constexpr char16_t kPathValue[] = u"DLL";
constexpr char16_t kOrderValue[] = u"Order";
constexpr char16_t kEnabledValue[] = u"Enabled";
constexpr char16_t kDefaultItemName[] = u"Zentrix";
constexpr char kInstalledPlugin[] = "../lib/zentrix/libzentrix-today-item.so";

/// Whether `path` lies inside `folder` (both as written, made absolute and normal).
bool isInside(const fs::path& path, const fs::path& folder) {
    const fs::path p = path.lexically_normal();
    const fs::path f = folder.lexically_normal();
    const auto [folderEnd, pathAt] = std::mismatch(f.begin(), f.end(), p.begin(), p.end());
    // A trailing separator leaves an empty last element.
    return folderEnd == f.end() || (std::next(folderEnd) == f.end() && folderEnd->empty());
}

}  // namespace

fs::path defaultPluginPath(const fs::path& programPath) {
    if (isInside(programPath, ZENTRIX_BUILD_DIR))
        return ZENTRIX_TODAY_ITEM_BUILD_PATH;
    return (programPath.parent_path() / kInstalledPlugin).lexically_normal();
}

fs::path defaultPluginPath() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return defaultPluginPath(error ? fs::path() : program);
}

std::vector<HostItemEntry> loadItemList(platform::Registry& registry) {
    const platform::RegistryKey list = registry.key(platform::RootKey::CurrentUser, kTodayItemsKey);
    std::vector<HostItemEntry> items;
    for (const WideString& name : list.subkeys().value_or(std::vector<WideString>{})) {
        const platform::RegistryKey key = list.subkey(name);
        const auto path = key.string(kPathValue);
        if (!path || path->empty())
            continue;  // nothing to load
        items.push_back({name, toUtf8(*path), key.dword(kOrderValue).value_or(0),
                         key.dword(kEnabledValue).value_or(1) != 0});
    }
    if (items.empty())
        items.push_back({kDefaultItemName, defaultPluginPath().string(), 0, true});
    std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
        return a.order != b.order ? a.order < b.order : a.name < b.name;
    });
    return items;
}

bool saveItemList(platform::Registry& registry, const std::vector<HostItemEntry>& items) {
    const platform::RegistryKey list = registry.key(platform::RootKey::CurrentUser, kTodayItemsKey);
    if (list.exists() && !list.remove())
        return false;
    if (!list.create())
        return false;
    for (const HostItemEntry& item : items) {
        const platform::RegistryKey key = list.subkey(item.name);
        if (!key.create() || !key.setString(kPathValue, fromUtf8(item.path)) ||
            !key.setDword(kOrderValue, item.order) ||
            !key.setDword(kEnabledValue, item.enabled ? 1 : 0)) {
            return false;
        }
    }
    return true;
}

bool PluginLibrary::open(const std::string& path) {
    close();
    error_.clear();
    ::dlerror();
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* reason = ::dlerror();
        error_ = reason ? reason : path + ": cannot be loaded";
        return false;
    }
    initialize_ = reinterpret_cast<framework::PFNCUSTOMINITIALIZEITEM>(
        ::dlsym(handle_, framework::kInitializeCustomItemExport));
    optionsProc_ = reinterpret_cast<framework::PFNCUSTOMOPTIONSDLGPROC>(
        ::dlsym(handle_, framework::kCustomItemOptionsDlgProcExport));
    // Without options an item still shows; without its initializer it is nothing.
    if (!initialize_) {
        error_ =
            toUtf8(framework::formatPattern(framework::loadString(IDS_TODAY_HOST_NO_EXPORT),
                                            {fromUtf8(framework::kInitializeCustomItemExport)}));
        close();
        return false;
    }
    return true;
}

void PluginLibrary::close() {
    if (handle_)
        ::dlclose(handle_);
    handle_ = nullptr;
    initialize_ = nullptr;
    optionsProc_ = nullptr;
}

}  // namespace zentrix::today
