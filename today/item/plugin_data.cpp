#include "today/item/plugin_data.h"

#include "framework/message_box.h"
#include "platform/registry.h"

namespace zentrix::today {

namespace {

void showRegistryErrors(const RegistryResult& result) {
    for (const auto& text : result.errors) {
        framework::showMessageBox(nullptr, text, u"Error!!", framework::MB_OK | framework::MB_ICONERROR);
    }
}

}  // namespace

PluginData& pluginData() {
    static PluginData data;
    return data;
}

void loadPluginSettings() {
    auto registry = platform::Registry::device();
    showRegistryErrors(loadSettings(pluginData().settings, *registry).registry);
}

SaveSettingsResult savePluginSettings(const LauncherSettings& settings) {
    auto registry = platform::Registry::device();
    auto result = saveSettings(settings, *registry);
    showRegistryErrors(result.registry);
    return result;
}

int firstShownGroup(LauncherSettings& settings) {
    for (size_t group = 0; group < kGroupCount; ++group) {
        if (settings.groups[group].shown != 0) {
            return static_cast<int>(group);
        }
    }
    settings.groups[0].shown = 1;
    return 0;
}

}  // namespace zentrix::today
