// The launcher's item window on the Today screen: the groups' tabs, the current group's page of
// icons, taps, tap-and-hold and gestures between items.
#pragma once

#include "framework/today_item.h"

namespace zentrix::today {

inline constexpr char16_t kItemWindowClass[] = u"cZentrixWndClass";

/// The body of the exported `InitializeCustomItem`: no window for a disabled item, otherwise
/// the settings are loaded and the item window is made under `parent`.
framework::HWND initializeCustomItem(framework::TODAYLISTITEM* item, framework::HWND parent);

}  // namespace zentrix::today
