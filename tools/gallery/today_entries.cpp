#include "tools/gallery/today_entries.h"

#include <fstream>
#include <memory>
#include <string_view>

#include "framework/resources.h"
#include "framework/test_kit.h"
#include "framework/window_proc.h"
#include "platform/device_root.h"
#include "platform/registry.h"
#include "resources/resource_ids.h"
#include "today/host/plugin_loader.h"
#include "today/host/today_host.h"
#include "today/item/item_dialog_window.h"
#include "today/item/item_window.h"
#include "today/item/options_dialog.h"
#include "today/item/plugin_data.h"
#include "today/item/settings_dialog.h"
#include "today/launcher_data_file.h"

namespace zentrix::gallery {
namespace {

using framework::CPropertySheet;
using framework::CWnd;
using framework::GalleryScene;
using framework::ScopedTestKit;
using today::LauncherItem;
using today::LauncherSettings;

/// A crew's launcher: the field programs in Main, a few tools beside them.
LauncherSettings crewLauncher() {
    LauncherSettings settings;
    auto& main = settings.groups[0].items;
    main = {
        {.name = u"Zentrix",
         .fileName = u"\\Program Files\\Zentrix.exe",
         .iconPath = u"\\Windows\\zentrix.png"},
        {.name = u"Survey", .fileName = u"\\Program Files\\Survey.exe"},
        {.name = u"Files", .fileName = u"\\My Documents"},
        {.name = u"Terminal", .fileName = u"/usr/bin/xterm"},
        {.name = u"Settings", .fileName = u"#Settings"},
        {.name = u"Next group", .fileName = u"#Arrow right"},
    };
    settings.groups[1].items = {{.name = u"Calculator", .fileName = u"\\Windows\\calc.exe"}};
    settings.groups[2].items = {{.name = u"Bluetooth", .fileName = u"\\Windows\\btmgr.exe"}};
    return settings;
}

/// The launcher's data file and the program icon it names, in the gallery's scratch root.
void storeLauncher(const LauncherSettings& settings) {
    today::saveDataFile(settings);
    if (const auto png = framework::bitmapResourceBytes(IDR_MAINFRAME)) {
        std::ofstream(platform::devicePath(u"\\Windows\\zentrix.png"), std::ios::binary)
            .write(png->data(), static_cast<std::streamsize>(png->size()));
    }
}

/// The Today host with the plug-in this build made, on a launcher stored beforehand.
class HostScene : public GalleryScene {
  public:
    explicit HostScene(LauncherSettings settings) : settings_(std::move(settings)) {}

    bool openScene() override { return prepare() && host_.create(); }
    /// The icons come a moment after the item appears, from its timer.
    void loadIcons(ScopedTestKit& kit) {
        for (const auto& item : host_.items()) {
            if (CWnd* window = CWnd::FromHandle(item.window))
                kit.fireTimer(*window, today::kIconLoadTimer);
        }
    }
    CWnd* sceneWindow() override { return CWnd::FromHandle(host_.window()); }
    int runScene() override {
        if (!prepare())
            return -1;
        host_.run();
        return 0;
    }

  private:
    bool prepare() {
        storeLauncher(settings_);
        return today::saveItemList(*registry_, {{u"Launcher", ZENTRIX_TODAY_ITEM_PATH, 0, true}});
    }

    LauncherSettings settings_;
    std::shared_ptr<platform::Registry> registry_ = platform::Registry::device();
    today::TodayHost host_{registry_};
};

void loadHostIcons(CWnd& window, ScopedTestKit& kit) {
    dynamic_cast<HostScene&>(window).loadIcons(kit);
}

/// The options dialog as the item window opens it.
class OptionsScene : public GalleryScene {
  public:
    ~OptionsScene() override {
        if (today::pluginData().optionsDialog)
            framework::DestroyWindow(today::pluginData().optionsDialog);
    }
    bool openScene() override {
        storeLauncher(crewLauncher());
        return today::openOptionsDialog(nullptr) != nullptr;
    }
    CWnd* sceneWindow() override { return CWnd::FromHandle(today::pluginData().optionsDialog); }
    int runScene() override {
        storeLauncher(crewLauncher());
        return static_cast<int>(framework::DialogBoxParam(nullptr, IDD_TODAY_OPTIONS, nullptr,
                                                          today::customItemOptionsDlgProc, 0));
    }
};

}  // namespace

void registerTodayGallery(framework::GalleryRegistry& gallery) {
    gallery.add(
        "today_host", [] { return std::make_unique<HostScene>(crewLauncher()); }, loadHostIcons);
    // Larger icons with their names below, the tab bar at the bottom, the second page of tabs.
    gallery.add(
        "today_host_names",
        [] {
            LauncherSettings settings = crewLauncher();
            settings.menuBarAtBottom = 1;
            settings.launcherHeight = 120;
            settings.groups[0].iconSize = 32;
            settings.groups[0].iconNamesShown = 1;
            settings.groups[0].iconNameAtBottom = 1;
            settings.groups[0].iconNameWidth = 56;
            settings.groups[0].horizontalIconMargin = 4;
            return std::make_unique<HostScene>(settings);
        },
        loadHostIcons);
    gallery.add("today_options", [] { return std::make_unique<OptionsScene>(); });
    gallery.add("today_item", [] {
        return std::make_unique<today::CItemDialog>(crewLauncher().groups[0].items[0]);
    });
    constexpr const char* kPages[] = {"margins", "skin",   "skin2",    "icons",
                                      "tabs",    "system", "uninstall"};
    for (int page = 0; page < static_cast<int>(std::size(kPages)); ++page) {
        gallery.add(
            std::string("today_settings_") + kPages[page],
            [] { return std::make_unique<today::CSettingsSheet>(crewLauncher(), 0, nullptr); },
            [page](CWnd& window, ScopedTestKit& kit) {
                kit.switchPage(dynamic_cast<CPropertySheet&>(window), page);
            });
    }
}

}  // namespace zentrix::gallery
