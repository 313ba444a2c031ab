// The launcher's item window on the Today screen: the groups' tabs, the current group's page of
// icons, taps, tap-and-hold and gestures between items.
#pragma once

#include "framework/today_item.h"
#include "framework/types.h"
#include "today/item/item_layout.h"

namespace zentrix::today {

inline constexpr char16_t kItemWindowClass[] = u"cZentrixWndClass";

/// Timers of the item window: the delayed icon load, and the hold that turns a press into a
/// tap-and-hold.
inline constexpr framework::UINT_PTR kIconLoadTimer = 2;
inline constexpr framework::UINT_PTR kHoldTimer = 3;
inline constexpr framework::UINT kHoldDelayMs = 600;
/// A pen that moves further than this (in either direction) is no longer held.
inline constexpr int kHoldSlopPixels = 5;

/// The body of the exported `InitializeCustomItem`: no window for a disabled item, otherwise
/// the settings are loaded and the item window is made under `parent`.
framework::HWND initializeCustomItem(framework::TODAYLISTITEM* item, framework::HWND parent);

/// Makes the item window under `parent` from the settings record as it stands (nothing is
/// loaded), as wide as `parent` and as high as the launcher; `item` (may be null) is the host's
/// description that refresh queries report the height in. For the gallery and tests.
framework::HWND createItemWindow(framework::HWND parent, framework::TODAYLISTITEM* item);

/// The layout the item window paints and hit-tests with, as it stands.
ItemLayout itemWindowLayout(framework::HWND window);

/// The item window's name pop-up, while the window exists.
framework::HWND itemNamePopup(framework::HWND window);

/// Where the name pop-up of `size` goes for the pen at `pen`: beside it, inside `screen`, never
/// left of or above 0 (all in screen coordinates).
framework::CPoint placeNamePopup(framework::CPoint pen, framework::CSize size,
                                 const framework::CRect& screen);

}  // namespace zentrix::today
