// The dialogs the options dialog opens for one item and for the layout: the item dialog with its
// icon chooser and file browser, and the settings dialog with its pages.
#pragma once

#include "framework/window_proc.h"
#include "today/launcher_settings.h"

namespace zentrix::today {

/// Edits `item` (a new one when empty) in the item dialog over `owner`; true on OK, and `item`
/// unchanged on Cancel.
bool runItemDialog(framework::HWND owner, LauncherItem& item);

/// Edits the general settings and the groups' layout of `settings` in the settings dialog over
/// `owner`; true on OK, and `settings` unchanged on Cancel.
bool runSettingsDialog(framework::HWND owner, LauncherSettings& settings);

}  // namespace zentrix::today
