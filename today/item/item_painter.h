// Drawing the item window from its layout: the group's background, the tab bar with its lines,
// tabs and icons, and the current page of icons with their names.
#pragma once

#include <array>
#include <vector>

#include "framework/dc.h"
#include "framework/image_list.h"
#include "today/item/item_layout.h"

namespace zentrix::today {

/// A group's images for the tab bar and its background (empty bitmaps draw nothing).
struct GroupArt {
    framework::CBitmap background;
    framework::CBitmap settings;
    framework::CBitmap previous;  ///< the arrow that pages back
    framework::CBitmap next;      ///< the arrow that pages on
    framework::CBitmap tabs;      ///< the arrow that scrolls the tabs
};

/// A group's item icons: one image list per size and each item's image in it (-1: none).
struct GroupImages {
    framework::CImageList large;  ///< 32 x 32
    framework::CImageList small;  ///< 16 x 16
    std::vector<int> largeIndex;
    std::vector<int> smallIndex;
};

/// What the tab bar's arrows do, reverse arrows taken into account.
enum class ArrowAction { PreviousPage, NextPage, ScrollTabs };
ArrowAction firstArrowAction(const LauncherSettings& settings, const ItemLayout& layout);
ArrowAction secondArrowAction(const LauncherSettings& settings, const ItemLayout& layout);

struct PaintRequest {
    const LauncherSettings* settings = nullptr;
    const ItemLayout* layout = nullptr;
    int pressed = kHitEmpty;  ///< the hit-test result of the pen-down, while the pen is down
    framework::COLORREF textColor = 0;
    framework::CFont* font = nullptr;      ///< tabs and names
    framework::CFont* boldFont = nullptr;  ///< the current group's tab
    const GroupArt* art = nullptr;
    const GroupImages* images = nullptr;  ///< null until the icons are loaded
};

/// Draws over what `dc` holds (the host's watermark).
void paintItem(framework::CDC& dc, const PaintRequest& request);

}  // namespace zentrix::today
