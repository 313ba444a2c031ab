// Icons of files on Linux: an image file itself, a desktop entry's Icon= (a path or a theme name),
// the icon theme's icon for a file's MIME type or a folder. No icon is taken out of an executable.
#pragma once

#include <string>

#include "framework/gdi_objects.h"

namespace zentrix::framework {

/// Loads the icon that `path` (a path on this machine) shows as, `size` x `size` pixels, into
/// `icon`; false when it has none (the caller then falls back to a resource icon). An image
/// file without an alpha channel (a BMP) is transparent where it is magenta.
///
/// An image file (PNG, XPM, ICO, BMP, and SVG when Qt's SVG image plug-in is installed) is its
/// own icon, scaled to fit and centred; a desktop entry shows its Icon= (an image file's absolute
/// path or an icon theme name); any other file or a folder the theme's icon of its MIME type.
/// Sizes from 1 to 1024. Theme icons need the application object and its thread: call this on
/// the user-interface thread.
bool LoadFileIcon(const std::string& path, int size, CBitmap* icon);

}  // namespace zentrix::framework
