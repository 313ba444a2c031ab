#include "today/item/item_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/test_kit.h"
#include "resources/resource_ids.h"
#include "tests/support/test_support.h"
#include "today/item/launch_item.h"
#include "today/item/plugin_data.h"

namespace zentrix::today {
namespace {

using namespace framework;

constexpr COLORREF kWatermark = RGB(255, 255, 224);
constexpr COLORREF kTextColor = RGB(0, 0, 128);

// The host's side: a plain light yellow watermark, dark blue text.
LRESULT hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TODAYM_GETCOLOR) {
        return wParam == TODAYCOLOR_TEXT ? kTextColor : RGB(0, 0, 255);
    }
    if (message == TODAYM_DRAWWATERMARK) {
        auto* info = reinterpret_cast<TODAYDRAWWATERMARKINFO*>(lParam);
        info->hdc->FillSolidRect(info->rc, kWatermark);
        return 1;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

struct Launch {
    std::u16string file;
    std::u16string commandLine;
};

class ItemWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        WNDCLASS host;
        host.lpfnWndProc = hostProc;
        host.lpszClassName = u"ZentrixTestTodayHost";
        UnregisterClass(host.lpszClassName, nullptr);
        RegisterClass(&host);
        host_ = CreateWindow(host.lpszClassName, u"Today", WS_VISIBLE, 0, 0, 240, 320, nullptr, 0,
                             nullptr);
        ASSERT_NE(host_, nullptr);
        pluginData() = PluginData{};
        setFileLauncher([this](WideStringView file, WideStringView commandLine) {
            launches_.push_back({std::u16string(file), std::u16string(commandLine)});
            return platform::LaunchResult{true, {}};
        });
        setOptionsOpener([this](HWND owner) {
            optionsOwners_.push_back(owner);
            return HWND{};
        });
    }

    void TearDown() override {
        if (window_ != nullptr) {
            DestroyWindow(window_);
        }
        DestroyWindow(host_);
        setFileLauncher({});
        setOptionsOpener({});
    }

    /// The item window for `settings`, refreshed and with its icons loaded.
    void open(const LauncherSettings& settings) {
        pluginData().settings = settings;
        window_ = createItemWindow(host_, &item_);
        ASSERT_NE(window_, nullptr);
        ASSERT_EQ(SendMessage(window_, WM_TODAYCUSTOM_QUERYREFRESHCACHE, 0, 0), 1);
        ASSERT_TRUE(kit_.fireTimer(wnd(), kIconLoadTimer));
        kit_.processEvents();
    }

    CWnd& wnd() { return *CWnd::FromHandle(window_); }
    ItemLayout layout() { return itemWindowLayout(window_); }
    CPoint centreOfItem(int item) {
        for (const CellRect& cell : layout().cells) {
            if (cell.item == item) {
                return cell.rect.CenterPoint();
            }
        }
        ADD_FAILURE() << "item " << item << " is not on the page";
        return {};
    }

    test::ScratchDeviceRoot root_;
    ScopedTestKit kit_;
    HWND host_ = nullptr;
    HWND window_ = nullptr;
    TODAYLISTITEM item_;
    std::vector<Launch> launches_;
    std::vector<HWND> optionsOwners_;
};

LauncherSettings withItems(int count, int iconSize = 16) {
    LauncherSettings settings;
    for (auto& group : settings.groups) {
        group.iconSize = iconSize;
    }
    for (int i = 0; i < count; ++i) {
        const std::u16string n = platform::fromUtf8(std::to_string(i));
        settings.groups[0].items.push_back({.name = u"Program " + n,
                                            .fileName = u"\\Program Files\\p" + n,
                                            .commandLine = u"-" + n});
    }
    return settings;
}

TEST_F(ItemWindow, RefreshQueryReportsTheHeightOnceAfterCreation) {
    LauncherSettings settings = withItems(3, 32);
    settings.launcherHeight = 30;  // below one row of 32-pixel icons under the tabs
    pluginData().settings = settings;
    window_ = createItemWindow(host_, &item_);
    ASSERT_NE(window_, nullptr);
    EXPECT_EQ(pluginData().itemWindow, window_);
    EXPECT_FALSE(kit_.fireTimer(wnd(), kIconLoadTimer));  // icons wait for the refresh

    EXPECT_EQ(SendMessage(window_, WM_TODAYCUSTOM_QUERYREFRESHCACHE, 0, 0), 1);
    EXPECT_EQ(item_.cyp, 20u + 1 + 34 + 1);
    EXPECT_EQ(pluginData().settings.launcherHeight, 30);  // the user's setting stays
    TODAYLISTITEM other;
    EXPECT_EQ(
        SendMessage(window_, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&other), 0),
        0);
    EXPECT_EQ(other.cyp, 0u);
    EXPECT_TRUE(kit_.fireTimer(wnd(), kIconLoadTimer));
    EXPECT_FALSE(kit_.fireTimer(wnd(), kIconLoadTimer));  // ran once

    // A window made again is refreshed again, into the description the query names.
    DestroyWindow(window_);
    EXPECT_EQ(pluginData().itemWindow, nullptr);
    EXPECT_EQ(pluginData().settings.groups[0].items.size(), 3u);  // the record is not the window's
    window_ = createItemWindow(host_, &item_);
    EXPECT_EQ(
        SendMessage(window_, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&other), 0),
        1);
    EXPECT_EQ(other.cyp, 56u);
}

TEST_F(ItemWindow, DisabledItemGetsNoWindowAndNoShownGroupShowsGroupZero) {
    TODAYLISTITEM disabled;
    disabled.fEnabled = false;
    EXPECT_EQ(initializeCustomItem(&disabled, host_), nullptr);

    LauncherSettings settings = withItems(2);
    for (auto& group : settings.groups) {
        group.shown = 0;
    }
    pluginData().currentGroup = 5;
    open(settings);
    EXPECT_EQ(pluginData().currentGroup, 0);
    EXPECT_EQ(pluginData().settings.groups[0].shown, 1);
    ASSERT_EQ(layout().tabs.size(), 1u);
    EXPECT_EQ(layout().tabs[0].group, 0);
}

TEST_F(ItemWindow, TapLaunchesTheItemAndAnEmptyCellOfTheLastPageNothing) {
    LauncherSettings settings = withItems(30);
    open(settings);
    ASSERT_TRUE(kit_.tap(wnd(), centreOfItem(4)));
    ASSERT_EQ(launches_.size(), 1u);
    EXPECT_EQ(launches_[0].file, u"\\Program Files\\p4");
    EXPECT_EQ(launches_[0].commandLine, u"-4");

    // 240 x 100: 13 x 4 cells, so 30 items are one page; its rest is empty cells.
    const ItemLayout page = layout();
    ASSERT_FALSE(page.emptyCells.empty());
    const int group = pluginData().currentGroup;
    ASSERT_TRUE(kit_.tap(wnd(), page.emptyCells.back().CenterPoint()));
    EXPECT_EQ(launches_.size(), 1u);
    EXPECT_EQ(pluginData().currentGroup, group);
}

TEST_F(ItemWindow, TapAndHoldShowsTheNameInsideTheScreenAndLaunchesNothing) {
    LauncherSettings settings = withItems(30);
    settings.groups[0].items[12].name = u"A program whose name is longer than the pop-up";
    open(settings);
    const HWND popup = itemNamePopup(window_);
    ASSERT_NE(popup, nullptr);
    CRect screen;
    CWnd::FromHandle(host_)->GetWindowRect(&screen);
    // The last cell of the first row lies at the right edge: the pop-up must not leave the screen.
    for (const int item : {0, 12}) {
        SCOPED_TRACE(item);
        const CPoint at = centreOfItem(item);
        ASSERT_TRUE(kit_.pressPointer(wnd(), at));
        ASSERT_TRUE(kit_.fireTimer(wnd(), kHoldTimer));
        CWnd* shown = CWnd::FromHandle(popup);
        EXPECT_TRUE(shown->IsWindowVisible());
        EXPECT_EQ(shown->GetDlgItemText(IDC_TODAY_POPUP_NAME),
                  pluginData().settings.groups[0].items[static_cast<size_t>(item)].name);
        CRect placed;
        shown->GetWindowRect(&placed);
        EXPECT_GE(placed.left, std::max(0, screen.left));
        EXPECT_GE(placed.top, std::max(0, screen.top));
        EXPECT_LE(placed.right, screen.right);
        EXPECT_LE(placed.bottom, screen.bottom);
        if (item == 12) {  // widened for its name
            EXPECT_GT(placed.Width(), 200);
        }
        ASSERT_TRUE(kit_.releasePointer(wnd(), at));
        EXPECT_FALSE(shown->IsWindowVisible());
    }
    EXPECT_TRUE(launches_.empty());

    // A pen that trembles is still held; one that moves away is not, and its release is a tap.
    const CPoint at = centreOfItem(3);
    ASSERT_TRUE(kit_.pressPointer(wnd(), at));
    ASSERT_TRUE(kit_.movePointer(wnd(), CPoint(at.x + 2, at.y + 1)));
    EXPECT_TRUE(kit_.fireTimer(wnd(), kHoldTimer));
    ASSERT_TRUE(kit_.releasePointer(wnd(), at));
    EXPECT_TRUE(launches_.empty());
    ASSERT_TRUE(kit_.pressPointer(wnd(), at));
    ASSERT_TRUE(kit_.movePointer(wnd(), CPoint(at.x + kHoldSlopPixels + 1, at.y)));
    EXPECT_FALSE(kit_.fireTimer(wnd(), kHoldTimer));
    ASSERT_TRUE(kit_.releasePointer(wnd(), at));
    ASSERT_EQ(launches_.size(), 1u);
    EXPECT_EQ(launches_[0].file, u"\\Program Files\\p3");
}

TEST_F(ItemWindow, HoldOnTheBarOpensOptionsOrStartsTheSettingsProgram) {
    LauncherSettings settings = withItems(3);
    open(settings);
    const ItemLayout bar = layout();
    ASSERT_FALSE(bar.tabs.empty());
    ASSERT_TRUE(bar.settingsIconShown);
    // Settings icon held without a program: nothing on the hold; the release is a tap.
    ASSERT_TRUE(kit_.pressPointer(wnd(), bar.settingsIcon.CenterPoint()));
    ASSERT_TRUE(kit_.fireTimer(wnd(), kHoldTimer));
    EXPECT_TRUE(optionsOwners_.empty());
    ASSERT_TRUE(kit_.releasePointer(wnd(), bar.settingsIcon.CenterPoint()));
    EXPECT_EQ(optionsOwners_, std::vector<HWND>{window_});

    // A tab held opens the options, and its release selects nothing.
    const CPoint tab = bar.tabs[1].rect.CenterPoint();
    ASSERT_TRUE(kit_.pressPointer(wnd(), tab));
    ASSERT_TRUE(kit_.fireTimer(wnd(), kHoldTimer));
    EXPECT_EQ(optionsOwners_.size(), 2u);
    ASSERT_TRUE(kit_.releasePointer(wnd(), tab));
    EXPECT_EQ(pluginData().currentGroup, 0);

    pluginData().settings.settingsIconProgram = u"\\Windows\\ctlpnl.exe";
    pluginData().settings.settingsIconCommandLine = u"cplmain.cpl";
    ASSERT_TRUE(kit_.pressPointer(wnd(), bar.settingsIcon.CenterPoint()));
    ASSERT_TRUE(kit_.fireTimer(wnd(), kHoldTimer));
    ASSERT_TRUE(kit_.releasePointer(wnd(), bar.settingsIcon.CenterPoint()));
    ASSERT_EQ(launches_.size(), 1u);
    EXPECT_EQ(launches_[0].file, u"\\Windows\\ctlpnl.exe");
    EXPECT_EQ(launches_[0].commandLine, u"cplmain.cpl");
    EXPECT_EQ(optionsOwners_.size(), 2u);
}

// A gesture from one item to the next, the "#Arrow right" item and the tab bar all switch groups
// and pages the same way.
TEST_F(ItemWindow, GesturesPseudoCommandsAndTabBarSwitchGroupsAndPages) {
    LauncherSettings settings = withItems(60);
    settings.groups[0].items[5].fileName = u"#ARROW RIGHT";
    settings.groups[0].items[6].fileName = u"#arrow left";
    settings.groups[0].items[7].fileName = u"#Arrow Down";
    for (const int hidden : {1, 3, 4, 5, 6}) {
        settings.groups[static_cast<size_t>(hidden)].shown = 0;  // every tab fits
    }
    settings.groups[1].items = settings.groups[0].items;
    settings.groups[2].items = settings.groups[0].items;
    settings.groups[7].items = settings.groups[0].items;
    open(settings);
    const auto drag = [&](int from, int to) {
        ASSERT_TRUE(kit_.pressPointer(wnd(), centreOfItem(from)));
        ASSERT_TRUE(kit_.releasePointer(wnd(), centreOfItem(to)));
    };
    const auto tapItem = [&](int item) { ASSERT_TRUE(kit_.tap(wnd(), centreOfItem(item))); };
    const auto group = [] { return pluginData().currentGroup; };
    const auto first = [&] { return layout().firstItem; };

    drag(0, 1);  // next item: next shown group, skipping the hidden one
    EXPECT_EQ(group(), 2);
    drag(1, 0);
    EXPECT_EQ(group(), 0);
    tapItem(5);  // "#Arrow right"
    EXPECT_EQ(group(), 2);
    tapItem(6);  // "#Arrow left"
    EXPECT_EQ(group(), 0);
    tapItem(6);  // wraps to the last shown group
    EXPECT_EQ(group(), 7);
    tapItem(5);
    EXPECT_EQ(group(), 0);
    EXPECT_TRUE(launches_.empty());

    const int pageSize = layout().pageSize;
    ASSERT_EQ(pageSize, 52);
    tapItem(7);  // "#Arrow down"
    EXPECT_EQ(first(), 52);
    ASSERT_TRUE(kit_.pressPointer(wnd(), centreOfItem(52)));  // item released on empty space
    ASSERT_TRUE(kit_.releasePointer(wnd(), CPoint(235, 95)));
    EXPECT_EQ(first(), 0);
    drag(0, 3);  // more than one item on: next page
    EXPECT_EQ(first(), 52);
    drag(53, 59);
    EXPECT_EQ(first(), 0);
    drag(9, 2);  // more than one back: previous page, the last one
    EXPECT_EQ(first(), 52);
    EXPECT_TRUE(launches_.empty());

    // Tab bar: another tab selects its group, the current one pages, the arrows page.
    ItemLayout bar = layout();
    ASSERT_TRUE(bar.allTabsVisible);
    ASSERT_TRUE(bar.arrowsShown);
    ASSERT_TRUE(kit_.tap(wnd(), bar.firstArrow.CenterPoint()));
    EXPECT_EQ(first(), 0);
    ASSERT_TRUE(kit_.tap(wnd(), bar.secondArrow.CenterPoint()));
    EXPECT_EQ(first(), 52);
    ASSERT_TRUE(kit_.tap(wnd(), bar.tabs[0].rect.CenterPoint()));  // the current group's tab
    EXPECT_EQ(first(), 0);
    ASSERT_TRUE(kit_.tap(wnd(), bar.tabs[1].rect.CenterPoint()));
    EXPECT_EQ(group(), 2);
    // Tapping empty space selects the next group.
    ASSERT_TRUE(kit_.tap(wnd(), CPoint(235, 95)));
    EXPECT_EQ(group(), 7);
    pluginData().settings.reverseArrows = 1;
    pluginData().currentGroup = 0;
    bar = layout();
    ASSERT_TRUE(kit_.tap(wnd(), bar.firstArrow.CenterPoint()));
    EXPECT_EQ(first(), 52);
    ASSERT_TRUE(kit_.tap(wnd(), bar.settingsIcon.CenterPoint()));
    EXPECT_EQ(optionsOwners_, std::vector<HWND>{window_});
}

// What is painted is what a tap hits: every pixel drawn over the watermark (the tab line and the
// frame aside) lies on a drawn tab, bar icon or cell, and hit testing there answers that target.
TEST_F(ItemWindow, PaintedPixelsAreWhereHitTestingFindsTheirTargets) {
    struct Row {
        const char* legend;
        int width;
        void (*apply)(LauncherSettings&);
    };
    const Row rows[] = {
        {"defaults", 240, [](LauncherSettings&) {}},
        {"bar at the bottom, names below, 32-pixel icons", 240,
         [](LauncherSettings& s) {
             s.menuBarAtBottom = 1;
             s.menuBarMargin = 4;
             s.launcherHeight = 120;
             s.groups[0].iconSize = 32;
             s.groups[0].iconNamesShown = 1;
             s.groups[0].iconNameAtBottom = 1;
         }},
        {"names beside, variable tabs, 3D borders", 240,
         [](LauncherSettings& s) {
             s.fixedTabWidth = 0;
             s.tabBorder3d = 1;
             s.groups[0].iconNamesShown = 1;
             s.groups[0].iconNameWidth = 40;
         }},
        {"no borders, no extension, no icons", 240,
         [](LauncherSettings& s) {
             s.tabBorder = 0;
             s.tabLineExtend = 0;
             s.settingsIconShown = 0;
             s.arrowIconsShown = 0;
         }},
        {"narrow window", 60, [](LauncherSettings&) {}},
        {"no tabs", 240, [](LauncherSettings& s) { s.groupTabsShown = 0; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        LauncherSettings settings = withItems(60);
        row.apply(settings);
        open(settings);
        MoveWindow(window_, 0, 0, row.width, 100 + (settings.menuBarAtBottom ? 20 : 0), false);
        const ItemLayout drawn = layout();
        CBitmap image;
        ASSERT_TRUE(kit_.render(wnd(), image));
        CDC pixels;
        pixels.CreateCompatibleDC(nullptr);
        pixels.SelectObject(&image);

        std::vector<std::pair<CRect, int>> targets;
        for (const TabRect& tab : drawn.tabs) {
            targets.emplace_back(tab.rect, kHitFirstTab - tab.position);
        }
        if (drawn.settingsIconShown) {
            targets.emplace_back(drawn.settingsIcon, kHitSettings);
        }
        if (drawn.arrowsShown) {
            targets.emplace_back(drawn.firstArrow, kHitFirstArrow);
            targets.emplace_back(drawn.secondArrow, kHitSecondArrow);
        }
        for (const CellRect& cell : drawn.cells) {
            targets.emplace_back(cell.rect, cell.item);
        }
        std::vector<int> paintedPerTarget(targets.size(), 0);
        const auto onLine = [&](int x, int y) {
            if (!drawn.tabBarShown) {
                return false;
            }
            return std::abs(y - drawn.lineY) <= 1 || y == drawn.farY || x <= 1 ||
                   x == drawn.window.cx - 1;
        };
        int stray = 0;
        int inTextColour = 0;
        for (int y = 0; y < drawn.window.cy; ++y) {
            for (int x = 0; x < drawn.window.cx; ++x) {
                const COLORREF pixel = pixels.GetPixel(x, y);
                inTextColour += pixel == kTextColor;
                if (pixel == kWatermark || onLine(x, y)) {
                    continue;
                }
                size_t found = targets.size();
                for (size_t i = 0; i < targets.size(); ++i) {
                    if (targets[i].first.PtInRect(CPoint(x, y))) {
                        found = i;
                        break;
                    }
                }
                if (found == targets.size()) {
                    if (++stray < 5) {
                        ADD_FAILURE() << "painted outside every target at " << x << "," << y;
                    }
                    continue;
                }
                ++paintedPerTarget[found];
                ASSERT_EQ(hitTest(drawn, CPoint(x, y)), targets[found].second) << x << "," << y;
            }
        }
        EXPECT_EQ(stray, 0);
        if (drawn.tabBarShown) {
            EXPECT_GT(inTextColour, 0);  // the host's text colour, for lines and labels
        }
        for (size_t i = 0; i < targets.size(); ++i) {
            EXPECT_GT(paintedPerTarget[i], 0) << "nothing painted for " << targets[i].second;
        }
        DestroyWindow(window_);
        window_ = nullptr;
        pluginData() = PluginData{};
    }
}

TEST(ItemNamePopup, StaysBesideThePenAndOnTheScreen) {
    struct Row {
        const char* legend;
        CPoint pen;
        CRect screen;
        CPoint expected;
    };
    const CSize size(80, 20);
    const Row rows[] = {
        {"room above and right", {100, 100}, {0, 0, 240, 320}, {108, 72}},
        {"right edge: to the left", {200, 100}, {0, 0, 240, 320}, {112, 72}},
        {"top edge: below", {100, 10}, {0, 0, 240, 320}, {108, 18}},
        {"screen narrower than the pop-up", {30, 10}, {0, 0, 60, 30}, {0, 10}},
        {"screen partly left of 0", {5, 5}, {-50, -50, 240, 320}, {13, 13}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(placeNamePopup(row.pen, size, row.screen), row.expected) << row.legend;
    }
}

}  // namespace
}  // namespace zentrix::today
