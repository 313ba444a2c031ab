// Where everything of the item window lies: the tabs of the shown groups, the settings and arrow
// icons, and the cells of the current page of icons. Painting and hit testing both take their
// rectangles from `layoutItem`, so a tap always lands on what was drawn there.
//
// The settings record comes from a data file a user may have edited, so every number read from it
// is clamped here, where it is used (the record itself is never changed): an icon size of 0 or a
// margin wider than the window gives a page of no icons, never a division by zero or a cell
// outside the window.
#pragma once

#include <functional>
#include <vector>

#include "framework/types.h"
#include "today/launcher_settings.h"

namespace zentrix::today {

using framework::CPoint;
using framework::CRect;
using framework::CSize;

// Hit-test results other than an item index (0 or more).
inline constexpr int kHitEmpty = -1;
inline constexpr int kHitSettings = -2;
inline constexpr int kHitFirstArrow = -3;
inline constexpr int kHitSecondArrow = -4;
/// A cell of the last page that has no item: a tap there does nothing.
inline constexpr int kHitEmptyCell = -5;
/// Tab at position p of the shown groups: kHitFirstTab - p.
inline constexpr int kHitFirstTab = -10;

inline constexpr int kTabBarHeight = 20;
inline constexpr int kTabHeight = 19;
inline constexpr int kTabPadding = 10;  ///< a tab is its label plus this
inline constexpr int kBarIconSize = 18;
inline constexpr int kSettingsAreaWidth = 20;  ///< tabs start right of the settings icon
inline constexpr int kArrowAreaWidth = 38;     ///< both arrows, at the right edge

/// A group's layout numbers, clamped to what can be drawn.
struct GroupMetrics {
    int iconSize = 16;
    int horizontalMargin = 1;
    int verticalMargin = 1;
    int leftMargin = 1;
    int topMargin = 1;
    int rightMargin = 1;
    int bottomMargin = 1;
    bool namesShown = false;
    bool namesAtBottom = false;
    int nameWidth = 70;
    int nameHeight = 14;

    int cellWidth() const;
    int cellHeight() const;
};
GroupMetrics groupMetrics(const LauncherGroup& group);

// The general settings, clamped where they are used.
int clampedTabWidth(const LauncherSettings& settings);
int clampedMenuBarMargin(const LauncherSettings& settings);
int clampedLauncherHeight(const LauncherSettings& settings);
/// The icon load delay in milliseconds (the setting counts half seconds).
unsigned iconLoadDelayMs(const LauncherSettings& settings);

/// The groups whose shown flag is set, in group order.
std::vector<int> shownGroups(const LauncherSettings& settings);

/// The height the tab bar takes from the window, margin included (0 without tabs).
int tabBarShare(const LauncherSettings& settings);
/// The height that fits one row of icons of every shown group.
int requiredHeight(const LauncherSettings& settings);

struct TabRect {
    int group = 0;     ///< 0-7
    int position = 0;  ///< among the shown groups
    CRect rect;
};

struct CellRect {
    int item = 0;  ///< index in the group's items
    CRect rect;    ///< the whole cell
    CRect icon;    ///< where the icon goes
    CRect name;    ///< where its name goes (empty when names are off)
};

struct ItemLayout {
    CSize window;
    int group = 0;
    int itemCount = 0;
    int firstItem = 0;  ///< the page start, within the items
    GroupMetrics metrics;

    // Tab bar (all empty when group tabs are off).
    bool tabBarShown = false;
    bool barAtBottom = false;
    CRect tabBar;       ///< the band taps on tabs and bar icons fall in
    int tabRowTop = 0;  ///< top of the tabs
    int lineY = 0;      ///< the tab line, along the tabs' edge facing the icons
    int farY = 0;       ///< the edge of the item opposite the tab line (wrap-around frame)
    int tabsLeft = 0;
    int usableRight = 0;
    std::vector<int> shown;  ///< the shown groups
    int firstTab = 0;        ///< position of the first visible tab among the shown groups
    std::vector<TabRect> tabs;
    bool overflow = false;  ///< some tab after the last drawn one did not fit
    bool allTabsVisible = true;
    bool settingsIconShown = false;
    CRect settingsIcon;  ///< 18 x 18 where it is drawn
    CRect settingsHit;   ///< where a tap hits it
    bool arrowsShown = false;
    CRect firstArrow, secondArrow;  ///< 18 x 18 where they are drawn
    CRect firstArrowHit, secondArrowHit;

    // Icon grid.
    int gridTop = 0;  ///< first row's top
    int iconsPerRow = 0;
    int rows = 0;
    int pageSize = 0;             ///< 0 when not one cell fits
    std::vector<CellRect> cells;  ///< the current page, in item order
    std::vector<CRect> emptyCells;  ///< the rest of a last page

    bool multiPage() const { return pageSize > 0 && itemCount > pageSize; }
};

/// Width in pixels of a text in the tab font.
using TextMeasure = std::function<int(WideStringView)>;

/// The layout of `group` (0-7, bounded) with its page starting at `firstItem` (bounded to its
/// items) in a window of `window`, the tab strip starting at shown position `firstTab`.
ItemLayout layoutItem(const LauncherSettings& settings, int group, int firstItem, CSize window,
                      int firstTab, const TextMeasure& measure);

/// An item index, or one of the kHit codes.
int hitTest(const ItemLayout& layout, CPoint point);

// Paging: page starts, kept within 0 .. count-1. A page size of 0 leaves the start where it is.
int nextPageStart(int first, int pageSize, int count);
int previousPageStart(int first, int pageSize, int count);

/// The shown group after `current` in group order, wrapping; `current` when none is shown.
int nextShownGroup(const LauncherSettings& settings, int current);
int previousShownGroup(const LauncherSettings& settings, int current);

/// The tab strip's next start when scrolled by one tab: on while tabs overflow, else back to the
/// first tab.
int scrolledFirstTab(const ItemLayout& layout);

/// The first visible tab that shows `group`'s tab: `firstTab` when it is visible, else scrolled
/// one tab at a time towards it.
int firstTabShowing(const LauncherSettings& settings, int group, int firstTab, CSize window,
                    const TextMeasure& measure);

}  // namespace zentrix::today
