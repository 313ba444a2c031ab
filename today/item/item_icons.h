// The icons of launcher items and the tab bar's images on Linux: an item shows the icon of its
// icon file, else of the file it starts, else the plug-in's own icon; the tab bar shows a group's
// own bitmap files, else the built-in ones.
#pragma once

#include <filesystem>

#include "framework/gdi_objects.h"
#include "today/launcher_settings.h"

namespace zentrix::today {

/// Where the handheld path `file` of an item lies on this machine ("\" standing for "\Windows"):
/// below the device root when it is there, else the path itself when it is an existing absolute
/// path of this machine; empty when neither exists.
std::filesystem::path itemFilePath(WideStringView file);

/// The icon of `item` at `size` x `size` pixels into `icon`: its icon path's, else that of the
/// file its file name starts, else the resource icon IDI_TODAY_ITEM. False only when even that
/// is missing.
bool loadItemIcon(const LauncherItem& item, int size, framework::CBitmap* icon);

/// `file` (a group's bitmap setting) when it names a readable image, else the bitmap resource
/// `fallbackId`.
bool loadBarBitmap(WideStringView file, unsigned fallbackId, framework::CBitmap* bitmap);

}  // namespace zentrix::today
