// The host's item list and the loading of item plug-ins.
//
// The list lives in the registry, HKEY_CURRENT_USER "Software\Zentrix\Today\Items", one subkey
// per item (its name) with the values "DLL" (the shared object's path on this machine), "Order"
// and "Enabled". An empty or missing list means the launcher plug-in of the package.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "framework/today_item.h"
#include "platform/registry.h"

namespace zentrix::today {

using platform::WideString;
using platform::WideStringView;

inline constexpr char16_t kTodayItemsKey[] = u"Software\\Zentrix\\Today\\Items";

struct HostItemEntry {
    WideString name;
    std::string path;  ///< the shared object
    uint32_t order = 0;
    bool enabled = true;
    bool operator==(const HostItemEntry&) const = default;
};

/// The plug-in of the package for the program at `programPath`: the one the build made when the
/// program runs from the build tree, else "../lib/zentrix/libzentrix-today-item.so" beside the
/// program's folder.
std::filesystem::path defaultPluginPath(const std::filesystem::path& programPath);
/// The same for this process (/proc/self/exe).
std::filesystem::path defaultPluginPath();

/// The items in their order (names break ties); the package's plug-in alone when there are none.
std::vector<HostItemEntry> loadItemList(platform::Registry& registry);
/// Replaces the list with `items`.
bool saveItemList(platform::Registry& registry, const std::vector<HostItemEntry>& items);

/// One plug-in library, open for as long as the object lives.
class PluginLibrary {
  public:
    PluginLibrary() = default;
    ~PluginLibrary() { close(); }
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    /// Opens `path` and finds its entry points; false with `error()` (the loader's reason, or
    /// the missing initializer) when it cannot, and then nothing stays open. The options
    /// procedure may be missing (null): the item has no options then.
    bool open(const std::string& path);
    void close();

    bool isOpen() const { return handle_ != nullptr; }
    void* handle() const { return handle_; }
    framework::PFNCUSTOMINITIALIZEITEM initialize() const { return initialize_; }
    framework::PFNCUSTOMOPTIONSDLGPROC optionsProc() const { return optionsProc_; }
    const std::string& error() const { return error_; }

  private:
    void* handle_ = nullptr;
    framework::PFNCUSTOMINITIALIZEITEM initialize_ = nullptr;
    framework::PFNCUSTOMOPTIONSDLGPROC optionsProc_ = nullptr;
    std::string error_;
};

}  // namespace zentrix::today
