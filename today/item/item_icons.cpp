#include "today/item/item_icons.h"

#include <optional>
#include <system_error>

#include "framework/file_icon.h"
#include "platform/device_root.h"
#include "platform/launch.h"
#include "resources/resource_ids.h"

namespace zentrix::today {

std::filesystem::path itemFilePath(WideStringView file) {
    if (file.empty() || file.front() == u'#') {
        return {};
    }
    const WideStringView handheld = file == u"\\" ? WideStringView(u"\\Windows") : file;
    std::error_code error;
    std::filesystem::path path = platform::devicePath(handheld);
    if (std::filesystem::exists(path, error)) {
        return path;
    }
    const std::string local = platform::toUtf8(file);
    if (!local.empty() && local.front() == '/' && std::filesystem::exists(local, error)) {
        return local;
    }
    return {};
}

bool loadItemIcon(const LauncherItem& item, int size, framework::CBitmap* icon) {
    if (icon == nullptr) {
        return false;
    }
    const std::filesystem::path iconPath = itemFilePath(item.iconPath);
    if (!iconPath.empty() && framework::LoadFileIcon(iconPath.string(), size, icon)) {
        return true;
    }
    // The icon of what a tap starts: the program found for "Name.exe", a desktop entry's own.
    if (!item.fileName.empty() && item.fileName.front() != u'#') {
        const WideStringView file =
            item.fileName == u"\\" ? WideStringView(u"\\Windows") : WideStringView(item.fileName);
        const std::optional<std::filesystem::path> launched = platform::findLaunchFile(file);
        if (launched && framework::LoadFileIcon(launched->string(), size, icon)) {
            return true;
        }
    }
    return icon->LoadBitmap(IDI_TODAY_ITEM);
}

bool loadBarBitmap(WideStringView file, unsigned fallbackId, framework::CBitmap* bitmap) {
    if (bitmap == nullptr) {
        return false;
    }
    const std::filesystem::path path = itemFilePath(file);
    if (!path.empty() && bitmap->LoadFromFile(path.string())) {
        return true;
    }
    return bitmap->LoadBitmap(fallbackId);
}

}  // namespace zentrix::today
