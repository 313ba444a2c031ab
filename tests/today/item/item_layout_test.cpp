#include "today/item/item_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace zentrix::today {
namespace {

// Tab labels measured as 6 pixels a character, so tests need no fonts.
int sixPerCharacter(WideStringView text) {
    return static_cast<int>(text.size()) * 6;
}

LauncherSettings withItems(int count, int group = 0) {
    LauncherSettings settings;
    for (int i = 0; i < count; ++i) {
        const std::u16string n = platform::fromUtf8(std::to_string(i));
        settings.groups[static_cast<size_t>(group)].items.push_back(
            {.name = u"Item " + n, .fileName = u"\\Windows\\p" + n + u".exe"});
    }
    return settings;
}

TEST(ItemPaging, PageStartsStayWithinTheItems) {
    struct Row {
        int first, pageSize, count, next, previous;
    };
    const Row rows[] = {
        {0, 4, 10, 4, 8},  // page up on the first page goes to the last page's start
        {8, 4, 10, 0, 4},  {4, 4, 10, 8, 0},  {0, 4, 4, 0, 0},
        {0, 5, 10, 5, 5},  {0, 0, 10, 0, 0},   // no cell fits: nothing divides, nothing moves
        {3, 0, 10, 3, 3},  {0, 4, 0, 0, 0},    // an empty group
        {12, 4, 10, 4, 8}, {-3, 4, 10, 4, 8},  // a start the items no longer reach
        {0, -2, 10, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.first << "/" << row.pageSize << "/" << row.count);
        EXPECT_EQ(nextPageStart(row.first, row.pageSize, row.count), row.next);
        EXPECT_EQ(previousPageStart(row.first, row.pageSize, row.count), row.previous);
    }
}

TEST(ItemLayout, UnusableSettingsGiveAnEmptyPageAndAreNotWrittenBack) {
    struct Row {
        const char* legend;
        int width, iconSize, margin;
        int perRow, rows;
    };
    // 240 x 100 with tabs: 80 pixels for icons.
    const Row rows[] = {
        {"defaults", 240, 16, 1, 13, 4},
        {"narrow window", 10, 16, 1, 0, 4},
        {"icon size 0 counts as 1", 240, 0, 0, 240, 80},
        {"negative icon size", 240, -40, 0, 240, 80},
        {"margins wider than the window", 240, 16, 100000, 0, 0},
        {"negative margins count as 0", 240, 16, -50, 15, 5},
        {"huge icon", 240, 1 << 30, 1, 1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        LauncherSettings settings = withItems(30);
        LauncherGroup& group = settings.groups[0];
        group.iconSize = row.iconSize;
        group.horizontalIconMargin = group.verticalIconMargin = row.margin;
        group.leftWindowMargin = group.rightWindowMargin = row.margin;
        group.topWindowMargin = group.bottomWindowMargin = row.margin;
        const LauncherSettings before = settings;
        const ItemLayout layout =
            layoutItem(settings, 0, 0, CSize(row.width, 100), 0, sixPerCharacter);
        EXPECT_EQ(layout.iconsPerRow, row.perRow);
        EXPECT_EQ(layout.rows, row.rows);
        EXPECT_EQ(layout.pageSize, row.perRow * row.rows);
        EXPECT_EQ(static_cast<int>(layout.cells.size()), std::min(30, layout.pageSize));
        for (const CellRect& cell : layout.cells) {
            EXPECT_TRUE(CRect(0, 0, row.width, 100).IntersectWith(cell.rect) == cell.rect);
        }
        EXPECT_EQ(settings, before);
        EXPECT_EQ(nextPageStart(0, layout.pageSize, 30),
                  layout.pageSize > 0 && layout.pageSize < 30 ? layout.pageSize : 0);
    }
}

TEST(ItemLayout, GroupAndPageStartOutOfRangeAreBounded) {
    const LauncherSettings settings = withItems(5, 7);
    const ItemLayout high = layoutItem(settings, 99, 3, CSize(240, 100), 0, sixPerCharacter);
    EXPECT_EQ(high.group, 7);
    EXPECT_EQ(high.firstItem, 3);
    const ItemLayout low = layoutItem(settings, -4, 3, CSize(240, 100), 42, sixPerCharacter);
    EXPECT_EQ(low.group, 0);
    EXPECT_EQ(low.firstItem, 0);  // group 0 has no items
    EXPECT_EQ(low.firstTab, 7);   // the last shown tab
    const ItemLayout past = layoutItem(settings, 7, 5, CSize(240, 100), 0, sixPerCharacter);
    EXPECT_EQ(past.firstItem, 0);
}

// The empty rest of a last page is a target of its own, so a tap there cannot launch an item.
TEST(ItemLayout, TheRestOfTheLastPageIsAnEmptyCell) {
    LauncherSettings settings = withItems(10);
    settings.groupTabsShown = 0;
    settings.groups[0].iconSize = 30;  // 32 x 32 cells, 4 x 1 in a 130 x 34 window
    const CSize window(130, 34);
    const ItemLayout last = layoutItem(settings, 0, 8, window, 0, sixPerCharacter);
    ASSERT_EQ(last.pageSize, 4);
    ASSERT_EQ(last.cells.size(), 2u);
    ASSERT_EQ(last.emptyCells.size(), 2u);
    EXPECT_EQ(hitTest(last, last.emptyCells[0].CenterPoint()), kHitEmptyCell);
    EXPECT_EQ(hitTest(last, last.cells[1].rect.CenterPoint()), 9);
    const ItemLayout empty = layoutItem(withItems(0), 0, 0, window, 0, sixPerCharacter);
    EXPECT_TRUE(empty.emptyCells.empty());
}

TEST(ItemLayout, RequiredHeightFitsOneRowOfEveryShownGroup) {
    LauncherSettings settings;
    EXPECT_EQ(requiredHeight(settings), 20 + 1 + 18 + 1);
    settings.groups[3].iconSize = 32;
    settings.groups[3].iconNamesShown = 1;
    settings.groups[3].iconNameAtBottom = 1;
    EXPECT_EQ(requiredHeight(settings), 20 + 1 + 34 + 14 + 1);
    settings.groups[3].shown = 0;
    settings.menuBarMargin = 26;
    EXPECT_EQ(requiredHeight(settings), 26 + 20 + 1 + 18 + 1);
    settings.menuBarAtBottom = 1;  // the bar ends a pixel above the edge
    EXPECT_EQ(requiredHeight(settings), 26 + 21 + 1 + 18 + 1);
    settings.groupTabsShown = 0;
    EXPECT_EQ(requiredHeight(settings), 1 + 18 + 1);
    for (const int height : {20, 40, 60}) {
        LauncherSettings s;
        s.menuBarAtBottom = height == 40;
        s.groups[0].iconNamesShown = 1;
        s.groups[0].iconNameAtBottom = 1;
        s.groups[0].iconSize = height;
        const ItemLayout layout =
            layoutItem(s, 0, 0, CSize(240, requiredHeight(s)), 0, sixPerCharacter);
        EXPECT_EQ(layout.rows, 1) << height;
    }
}

TEST(ItemGroups, NextAndPreviousSkipHiddenGroupsAndWrap) {
    LauncherSettings settings;
    for (const int hidden : {1, 2, 5, 7}) {
        settings.groups[static_cast<size_t>(hidden)].shown = 0;
    }
    const std::pair<int, std::pair<int, int>> rows[] = {
        {0, {3, 6}}, {3, {4, 0}}, {6, {0, 4}}, {1, {3, 0}}, {99, {0, 6}}};
    for (const auto& [current, expected] : rows) {
        EXPECT_EQ(nextShownGroup(settings, current), expected.first) << current;
        EXPECT_EQ(previousShownGroup(settings, current), expected.second) << current;
    }
    LauncherSettings none;
    for (auto& group : none.groups) {
        group.shown = 0;
    }
    EXPECT_EQ(nextShownGroup(none, 4), 4);
    EXPECT_TRUE(shownGroups(none).empty());
}

TEST(ItemTabs, StripScrollsTowardsTheCurrentGroupAndCyclesOnTheArrow) {
    LauncherSettings settings;     // 8 tabs of 45 pixels
    const CSize window(170, 100);  // room for 2 tabs between the settings icon and the arrows
    ItemLayout layout = layoutItem(settings, 0, 0, window, 0, sixPerCharacter);
    ASSERT_EQ(layout.tabs.size(), 2u);
    EXPECT_TRUE(layout.overflow);
    EXPECT_FALSE(layout.allTabsVisible);
    EXPECT_TRUE(layout.arrowsShown);
    EXPECT_EQ(firstTabShowing(settings, 1, 0, window, sixPerCharacter), 0);
    EXPECT_EQ(firstTabShowing(settings, 2, 0, window, sixPerCharacter), 1);
    EXPECT_EQ(firstTabShowing(settings, 0, 6, window, sixPerCharacter), 0);
    EXPECT_EQ(firstTabShowing(settings, 7, 0, window, sixPerCharacter), 6);
    // The one scrolling arrow steps on while tabs overflow, then back to the first.
    int first = 0;
    std::vector<int> seen;
    for (int i = 0; i < 8; ++i) {
        first = scrolledFirstTab(layoutItem(settings, 0, 0, window, first, sixPerCharacter));
        seen.push_back(first);
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 6, 0, 1}));
    // Tabs of variable width are as wide as their names.
    settings.fixedTabWidth = 0;
    layout = layoutItem(settings, 0, 0, CSize(400, 100), 0, sixPerCharacter);
    ASSERT_FALSE(layout.tabs.empty());
    EXPECT_EQ(layout.tabs[0].rect.Width(), 4 * 6 + kTabPadding);  // "Main"
}

// Arrows that would only page show when there is a page to go to.
TEST(ItemTabs, ArrowsShowWhenTheyHaveSomethingToDo) {
    struct Row {
        const char* legend;
        int items, shownGroups, width;
        bool arrowsSetting, shown;
    };
    const Row rows[] = {
        {"all tabs visible, one page", 3, 2, 240, true, false},
        {"all tabs visible, two pages", 40, 2, 240, true, true},
        {"one group, two pages", 40, 1, 240, true, true},
        {"tabs overflow", 3, 8, 240, true, true},
        {"setting off", 40, 8, 240, false, false},
        {"window too narrow for them", 40, 8, 30, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        LauncherSettings settings = withItems(row.items);
        for (int g = row.shownGroups; g < 8; ++g) {
            settings.groups[static_cast<size_t>(g)].shown = 0;
        }
        settings.arrowIconsShown = row.arrowsSetting;
        EXPECT_EQ(layoutItem(settings, 0, 0, CSize(row.width, 60), 0, sixPerCharacter).arrowsShown,
                  row.shown);
    }
}

// Whatever the options, every drawn tab, bar icon and cell is inside the window, overlaps no other
// and is what a tap on any of its pixels hits.
TEST(ItemLayout, EveryDrawnTargetIsHitOnEachOfItsPixels) {
    struct Row {
        const char* legend;
        int width, height;
        void (*apply)(LauncherSettings&);
    };
    const Row rows[] = {
        {"defaults", 240, 80, [](LauncherSettings&) {}},
        {"bar at the bottom, names below", 240, 120,
         [](LauncherSettings& s) {
             s.menuBarAtBottom = 1;
             s.menuBarMargin = 6;
             s.groups[0].iconSize = 32;
             s.groups[0].iconNamesShown = 1;
             s.groups[0].iconNameAtBottom = 1;
         }},
        {"names beside, variable tabs", 240, 80,
         [](LauncherSettings& s) {
             s.fixedTabWidth = 0;
             s.groups[0].iconNamesShown = 1;
             s.groups[0].iconNameWidth = 50;
         }},
        {"no settings icon nor arrows", 240, 80,
         [](LauncherSettings& s) {
             s.settingsIconShown = 0;
             s.arrowIconsShown = 0;
         }},
        {"narrow window", 50, 80, [](LauncherSettings&) {}},
        {"window only as wide as the settings icon", 20, 80, [](LauncherSettings&) {}},
        {"no tabs", 240, 80, [](LauncherSettings& s) { s.groupTabsShown = 0; }},
        {"wide tabs overflow at once", 240, 80, [](LauncherSettings& s) { s.tabWidth = 500; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        LauncherSettings settings = withItems(40);
        row.apply(settings);
        const ItemLayout layout =
            layoutItem(settings, 0, 0, CSize(row.width, row.height), 0, sixPerCharacter);
        std::vector<std::pair<CRect, int>> targets;
        for (const TabRect& tab : layout.tabs) {
            targets.emplace_back(tab.rect, kHitFirstTab - tab.position);
        }
        if (layout.settingsIconShown) {
            targets.emplace_back(layout.settingsIcon, kHitSettings);
        }
        if (layout.arrowsShown) {
            targets.emplace_back(layout.firstArrow, kHitFirstArrow);
            targets.emplace_back(layout.secondArrow, kHitSecondArrow);
        }
        for (const CellRect& cell : layout.cells) {
            targets.emplace_back(cell.rect, cell.item);
        }
        EXPECT_FALSE(targets.empty());
        const CRect window(0, 0, row.width, row.height);
        for (size_t i = 0; i < targets.size(); ++i) {
            const auto& [rect, target] = targets[i];
            ASSERT_FALSE(rect.IsRectEmpty()) << target;
            EXPECT_EQ(window.IntersectWith(rect), rect) << target;
            for (size_t j = i + 1; j < targets.size(); ++j) {
                EXPECT_TRUE(rect.IntersectWith(targets[j].first).IsRectEmpty())
                    << target << " overlaps " << targets[j].second;
            }
            for (int y = rect.top; y < rect.bottom; ++y) {
                for (int x = rect.left; x < rect.right; ++x) {
                    ASSERT_EQ(hitTest(layout, CPoint(x, y)), target) << x << "," << y;
                }
            }
        }
    }
}

}  // namespace
}  // namespace zentrix::today
