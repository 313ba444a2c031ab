// The plug-in's global data: the one settings record the item window draws from and the options
// dialog edits, and what the two know of each other.
#pragma once

#include "framework/window_proc.h"
#include "today/launcher_config.h"
#include "today/launcher_settings.h"

namespace zentrix::today {

struct PluginData {
    LauncherSettings settings;
    framework::HINSTANCE instance = nullptr;  ///< the library instance the host gave the item
    framework::HWND itemWindow = nullptr;     ///< the item window, while one exists
    framework::HWND optionsDialog = nullptr;  ///< the one open options dialog, while one exists
    bool refreshPending = false;  ///< the next refresh query reports the height and loads icons
    int currentGroup = 0;         ///< 0-7
    /// The uninstall page deleted the data file and the registry copy while the options dialog
    /// was open: its copy of the settings must not be saved back.
    bool informationDeleted = false;
};

PluginData& pluginData();

/// Fills `pluginData().settings` from the data file, else the registry copy; registry problems
/// are shown in message boxes titled "Error!!".
void loadPluginSettings();

/// Saves `settings` as the record of the plug-in; problems with the registry copy are shown in
/// message boxes titled "Error!!". The result says whether they were stored.
SaveSettingsResult savePluginSettings(const LauncherSettings& settings);

/// The first shown group; group 0, made shown, when no group is shown.
int firstShownGroup(LauncherSettings& settings);

}  // namespace zentrix::today
