#include "today/item/item_layout.h"

#include <algorithm>

namespace zentrix::today {

namespace {

// Bounds of what the item can draw; anything beyond comes from a damaged or hand-edited file.
constexpr int kMaxIconSize = 128;
constexpr int kMaxMargin = 200;
constexpr int kMaxNameWidth = 400;
constexpr int kMaxNameHeight = 100;
constexpr int kMaxTabWidth = 400;
constexpr int kMaxLauncherHeight = 2000;
constexpr int kMaxDelayHalfSeconds = 120;

int bounded(int value, int low, int high) {
    return std::clamp(value, low, high);
}

int boundedGroup(int group) {
    return bounded(group, 0, static_cast<int>(kGroupCount) - 1);
}

}  // namespace

int GroupMetrics::cellWidth() const {
    int width = iconSize + 2 * horizontalMargin;
    if (namesShown) {
        width += namesAtBottom ? std::max(iconSize, nameWidth) - iconSize : nameWidth;
    }
    return width;
}

int GroupMetrics::cellHeight() const {
    return iconSize + 2 * verticalMargin + (namesShown && namesAtBottom ? nameHeight : 0);
}

GroupMetrics groupMetrics(const LauncherGroup& group) {
    GroupMetrics m;
    m.iconSize = bounded(group.iconSize, 1, kMaxIconSize);
    m.horizontalMargin = bounded(group.horizontalIconMargin, 0, kMaxMargin);
    m.verticalMargin = bounded(group.verticalIconMargin, 0, kMaxMargin);
    m.leftMargin = bounded(group.leftWindowMargin, 0, kMaxMargin);
    m.topMargin = bounded(group.topWindowMargin, 0, kMaxMargin);
    m.rightMargin = bounded(group.rightWindowMargin, 0, kMaxMargin);
    m.bottomMargin = bounded(group.bottomWindowMargin, 0, kMaxMargin);
    m.namesShown = group.iconNamesShown != 0;
    m.namesAtBottom = group.iconNameAtBottom != 0;
    m.nameWidth = bounded(group.iconNameWidth, 0, kMaxNameWidth);
    m.nameHeight = bounded(group.iconNameHeight, 0, kMaxNameHeight);
    return m;
}

int clampedTabWidth(const LauncherSettings& settings) {
    return bounded(settings.tabWidth, 0, kMaxTabWidth);
}

int clampedMenuBarMargin(const LauncherSettings& settings) {
    return bounded(settings.menuBarMargin, 0, kMaxMargin);
}

int clampedLauncherHeight(const LauncherSettings& settings) {
    return bounded(settings.launcherHeight, 0, kMaxLauncherHeight);
}

unsigned iconLoadDelayMs(const LauncherSettings& settings) {
    return static_cast<unsigned>(bounded(settings.iconLoadDelay, 0, kMaxDelayHalfSeconds)) * 500u;
}

std::vector<int> shownGroups(const LauncherSettings& settings) {
    std::vector<int> shown;
    for (size_t group = 0; group < kGroupCount; ++group) {
        if (settings.groups[group].shown != 0) {
            shown.push_back(static_cast<int>(group));
        }
    }
    return shown;
}

int tabBarShare(const LauncherSettings& settings) {
    if (settings.groupTabsShown == 0) {
        return 0;
    }
    // At the bottom the bar ends one pixel above the item's edge.
    return clampedMenuBarMargin(settings) + kTabBarHeight + (settings.menuBarAtBottom != 0 ? 1 : 0);
}

int requiredHeight(const LauncherSettings& settings) {
    int height = 0;
    for (const int group : shownGroups(settings)) {
        const GroupMetrics m = groupMetrics(settings.groups[static_cast<size_t>(group)]);
        height =
            std::max(height, tabBarShare(settings) + m.topMargin + m.cellHeight() + m.bottomMargin);
    }
    return height;
}

namespace {

void layoutTabBar(const LauncherSettings& settings, ItemLayout& layout, int firstTab,
                  const TextMeasure& measure) {
    const int width = layout.window.cx;
    const int height = layout.window.cy;
    const int margin = clampedMenuBarMargin(settings);
    layout.tabBarShown = true;
    layout.barAtBottom = settings.menuBarAtBottom != 0;
    int iconTop = 0;
    if (layout.barAtBottom) {
        layout.tabBar = CRect(0, height - margin - 1 - kTabBarHeight, width, height - margin - 1);
        layout.tabRowTop = layout.tabBar.top;
        layout.lineY = layout.tabRowTop;
        layout.farY = 0;
        iconTop = layout.tabRowTop + 1;
    } else {
        layout.tabBar = CRect(0, margin, width, margin + kTabBarHeight);
        layout.tabRowTop = margin;
        layout.lineY = layout.tabRowTop + kTabHeight - 1;
        layout.farY = height - 1;
        iconTop = layout.tabRowTop;
    }
    // A window too narrow for an icon leaves it out rather than drawing it over another.
    layout.settingsIconShown = settings.settingsIconShown != 0 && width >= kSettingsAreaWidth;
    layout.tabsLeft = layout.settingsIconShown ? kSettingsAreaWidth : 0;
    const bool arrowsOn =
        settings.arrowIconsShown != 0 && width >= layout.tabsLeft + kArrowAreaWidth;
    layout.usableRight = arrowsOn ? width - kArrowAreaWidth : width;
    if (layout.settingsIconShown) {
        layout.settingsIcon = CRect(CPoint(1, iconTop), CSize(kBarIconSize, kBarIconSize));
        layout.settingsHit = CRect(0, layout.tabBar.top, kSettingsAreaWidth, layout.tabBar.bottom);
    }

    const int shownCount = static_cast<int>(layout.shown.size());
    layout.firstTab = shownCount == 0 ? 0 : bounded(firstTab, 0, shownCount - 1);
    const bool fixed = settings.fixedTabWidth != 0;
    int x = layout.tabsLeft;
    for (int position = layout.firstTab; position < shownCount; ++position) {
        const int group = layout.shown[static_cast<size_t>(position)];
        const int label =
            fixed ? clampedTabWidth(settings)
                  : bounded(measure ? measure(settings.groups[static_cast<size_t>(group)].name) : 0,
                            0, kMaxTabWidth);
        const int tabWidth = label + kTabPadding;
        if (x + tabWidth > layout.usableRight) {
            layout.overflow = true;
            break;
        }
        layout.tabs.push_back(
            {group, position,
             CRect(x, layout.tabRowTop, x + tabWidth, layout.tabRowTop + kTabHeight)});
        x += tabWidth;
    }
    layout.allTabsVisible = layout.firstTab == 0 && !layout.overflow;

    // With every tab in view the arrows only page, so they show only when there is a page to go to.
    const bool onlyPaging = layout.allTabsVisible || shownCount < 2;
    layout.arrowsShown = arrowsOn && (!onlyPaging || layout.multiPage());
    if (layout.arrowsShown) {
        layout.firstArrow =
            CRect(CPoint(width - kArrowAreaWidth, iconTop), CSize(kBarIconSize, kBarIconSize));
        layout.secondArrow = CRect(CPoint(width - kArrowAreaWidth + kBarIconSize + 1, iconTop),
                                   CSize(kBarIconSize, kBarIconSize));
        layout.firstArrowHit =
            CRect(width - kArrowAreaWidth, layout.tabBar.top, width - 20, layout.tabBar.bottom);
        layout.secondArrowHit = CRect(width - 20, layout.tabBar.top, width, layout.tabBar.bottom);
    }
}

void layoutGrid(const LauncherSettings& settings, ItemLayout& layout) {
    const GroupMetrics& m = layout.metrics;
    const int cellWidth = m.cellWidth();
    const int cellHeight = m.cellHeight();
    const int share = tabBarShare(settings);
    const bool barOnTop = settings.groupTabsShown != 0 && settings.menuBarAtBottom == 0;
    layout.gridTop = (barOnTop ? share : 0) + m.topMargin;
    layout.iconsPerRow = std::max(0, (layout.window.cx - m.leftMargin - m.rightMargin) / cellWidth);
    layout.rows =
        std::max(0, (layout.window.cy - m.topMargin - m.bottomMargin - share) / cellHeight);
    layout.pageSize = layout.iconsPerRow * layout.rows;

    const int last = std::min(layout.itemCount, layout.firstItem + layout.pageSize);
    const auto slotRect = [&](int slot) {
        const int x = m.leftMargin + (slot % layout.iconsPerRow) * cellWidth;
        const int y = layout.gridTop + (slot / layout.iconsPerRow) * cellHeight;
        return CRect(x, y, x + cellWidth, y + cellHeight);
    };
    // The slots after the last item of a page that has items.
    if (last > layout.firstItem) {
        for (int slot = last - layout.firstItem; slot < layout.pageSize; ++slot) {
            layout.emptyCells.push_back(slotRect(slot));
        }
    }
    for (int item = layout.firstItem; item < last; ++item) {
        const CRect slot = slotRect(item - layout.firstItem);
        const int x = slot.left;
        const int y = slot.top;
        CellRect cell;
        cell.item = item;
        cell.rect = CRect(x, y, x + cellWidth, y + cellHeight);
        cell.icon = CRect(CPoint(x + m.horizontalMargin, y + m.verticalMargin),
                          CSize(m.iconSize, m.iconSize));
        if (m.namesShown) {
            cell.name = m.namesAtBottom ? CRect(x, cell.icon.bottom + m.verticalMargin,
                                                cell.rect.right, cell.rect.bottom)
                                        : CRect(cell.icon.right + m.horizontalMargin, y,
                                                cell.rect.right, cell.rect.bottom);
        }
        layout.cells.push_back(cell);
    }
}

}  // namespace

ItemLayout layoutItem(const LauncherSettings& settings, int group, int firstItem, CSize window,
                      int firstTab, const TextMeasure& measure) {
    ItemLayout layout;
    layout.window = CSize(std::max(0, window.cx), std::max(0, window.cy));
    layout.group = boundedGroup(group);
    const LauncherGroup& data = settings.groups[static_cast<size_t>(layout.group)];
    layout.itemCount = static_cast<int>(data.items.size());
    layout.firstItem = firstItem >= 0 && firstItem < layout.itemCount ? firstItem : 0;
    layout.metrics = groupMetrics(data);
    layout.shown = shownGroups(settings);
    // The grid first: whether the arrows show depends on the number of pages.
    layoutGrid(settings, layout);
    if (settings.groupTabsShown != 0) {
        layoutTabBar(settings, layout, firstTab, measure);
    }
    return layout;
}

int hitTest(const ItemLayout& layout, CPoint point) {
    for (const CellRect& cell : layout.cells) {
        if (cell.rect.PtInRect(point)) {
            return cell.item;
        }
    }
    for (const CRect& cell : layout.emptyCells) {
        if (cell.PtInRect(point)) {
            return kHitEmptyCell;
        }
    }
    if (!layout.tabBarShown || !layout.tabBar.PtInRect(point)) {
        return kHitEmpty;
    }
    for (const TabRect& tab : layout.tabs) {
        if (point.x >= tab.rect.left && point.x < tab.rect.right) {
            return kHitFirstTab - tab.position;
        }
    }
    if (layout.settingsIconShown && layout.settingsHit.PtInRect(point)) {
        return kHitSettings;
    }
    if (layout.arrowsShown && layout.firstArrowHit.PtInRect(point)) {
        return kHitFirstArrow;
    }
    if (layout.arrowsShown && layout.secondArrowHit.PtInRect(point)) {
        return kHitSecondArrow;
    }
    return kHitEmpty;
}

int nextPageStart(int first, int pageSize, int count) {
    if (count <= 0) {
        return 0;
    }
    first = first >= 0 && first < count ? first : 0;
    if (pageSize <= 0) {
        return first;
    }
    const int next = first + pageSize;
    return next >= count ? 0 : next;
}

int previousPageStart(int first, int pageSize, int count) {
    if (count <= 0) {
        return 0;
    }
    first = first >= 0 && first < count ? first : 0;
    if (pageSize <= 0) {
        return first;
    }
    const int previous = first - pageSize;
    return previous < 0 ? ((count - 1) / pageSize) * pageSize : previous;
}

int nextShownGroup(const LauncherSettings& settings, int current) {
    current = boundedGroup(current);
    const int count = static_cast<int>(kGroupCount);
    for (int step = 1; step <= count; ++step) {
        const int group = (current + step) % count;
        if (settings.groups[static_cast<size_t>(group)].shown != 0) {
            return group;
        }
    }
    return current;
}

int previousShownGroup(const LauncherSettings& settings, int current) {
    current = boundedGroup(current);
    const int count = static_cast<int>(kGroupCount);
    for (int step = 1; step <= count; ++step) {
        const int group = (current - step + count) % count;
        if (settings.groups[static_cast<size_t>(group)].shown != 0) {
            return group;
        }
    }
    return current;
}

int scrolledFirstTab(const ItemLayout& layout) {
    return layout.overflow ? layout.firstTab + 1 : 0;
}

int firstTabShowing(const LauncherSettings& settings, int group, int firstTab, CSize window,
                    const TextMeasure& measure) {
    const std::vector<int> shown = shownGroups(settings);
    const auto it = std::find(shown.begin(), shown.end(), group);
    if (it == shown.end() || settings.groupTabsShown == 0) {
        return firstTab;
    }
    const int position = static_cast<int>(it - shown.begin());
    const int count = static_cast<int>(shown.size());
    firstTab = bounded(firstTab, 0, count - 1);
    // Bounded: each step moves one tab towards the group.
    for (int step = 0; step < count; ++step) {
        const ItemLayout layout = layoutItem(settings, group, 0, window, firstTab, measure);
        const bool visible =
            std::any_of(layout.tabs.begin(), layout.tabs.end(),
                        [&](const TabRect& tab) { return tab.position == position; });
        if (visible || (position >= firstTab && layout.tabs.empty())) {
            return firstTab;
        }
        firstTab += position < firstTab ? -1 : 1;
    }
    return firstTab;
}

}  // namespace zentrix::today
