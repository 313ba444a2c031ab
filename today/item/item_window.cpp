#include "today/item/item_window.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>

#include "framework/dc.h"
#include "resources/resource_ids.h"
#include "today/item/item_icons.h"
#include "today/item/item_layout.h"
#include "today/item/item_painter.h"
#include "today/item/launch_item.h"
#include "today/item/plugin_data.h"

namespace zentrix::today {

namespace {

using namespace framework;

// Everything the window owns; the settings record and its items belong to the plug-in.
struct ItemWindowState {
    HWND window = nullptr;
    TODAYLISTITEM* item = nullptr;  ///< the host's description of the item (may be null)
    HWND popup = nullptr;
    CSize popupSize;  ///< as its template makes it
    CFont font;
    CFont boldFont;
    std::array<int, kGroupCount> firstItem{};
    int firstTab = 0;
    int height = 0;  ///< the launcher height reported to the host

    // The pen.
    bool penDown = false;
    int pressed = kHitEmpty;
    bool handled = false;  ///< the pen-down became a tap-and-hold
    bool holding = false;  ///< the hold timer runs
    CPoint downPoint;

    std::array<GroupArt, kGroupCount> art;
    std::unique_ptr<std::array<GroupImages, kGroupCount>> images;  ///< after the icon load
};

ItemWindowState* stateOf(HWND window) {
    return reinterpret_cast<ItemWindowState*>(GetWindowUserData(window));
}

LauncherSettings& settings() {
    return pluginData().settings;
}

int currentGroup() {
    return std::clamp(pluginData().currentGroup, 0, static_cast<int>(kGroupCount) - 1);
}

int measureText(CFont* font, WideStringView text) {
    CDC dc;
    CBitmap pixel;
    if (font == nullptr || !dc.CreateCompatibleDC(nullptr) ||
        !pixel.CreateCompatibleBitmap(nullptr, 1, 1)) {
        return 0;
    }
    CBitmap* oldBitmap = dc.SelectObject(&pixel);
    CFont* oldFont = dc.SelectObject(font);
    const int width = dc.GetTextExtent(text).cx;
    dc.SelectObject(oldFont);
    dc.SelectObject(oldBitmap);
    return width;
}

TextMeasure measureWith(CFont& font) {
    return [&font](WideStringView text) { return measureText(&font, text); };
}

CSize clientSize(HWND window) {
    CRect client;
    GetClientRect(window, &client);
    return client.Size();
}

ItemLayout currentLayout(ItemWindowState& state) {
    const int group = currentGroup();
    // Tabs are measured in the bold font, the wider of the two, so either fits its tab.
    return layoutItem(settings(), group, state.firstItem[static_cast<size_t>(group)],
                      clientSize(state.window), state.firstTab, measureWith(state.boldFont));
}

void repaint(ItemWindowState& state) {
    InvalidateRect(state.window, nullptr, false);
    UpdateWindow(state.window);
}

void loadArt(ItemWindowState& state) {
    for (size_t group = 0; group < kGroupCount; ++group) {
        const LauncherGroup& data = settings().groups[group];
        GroupArt& art = state.art[group];
        const std::filesystem::path background = itemFilePath(data.backgroundBitmapFile);
        if (!background.empty()) {
            art.background.LoadFromFile(background.string());
        }
        loadBarBitmap(data.settingsIconBitmapFile, IDB_TODAY_SETTINGS, &art.settings);
        loadBarBitmap(data.arrowBitmapFile, IDB_TODAY_ARROW_PREVIOUS, &art.previous);
        loadBarBitmap(data.arrowBitmapFile2, IDB_TODAY_ARROW_NEXT, &art.next);
        loadBarBitmap(data.arrowBitmapFile3, IDB_TODAY_ARROW_TABS, &art.tabs);
    }
}

void loadImages(ItemWindowState& state) {
    auto images = std::make_unique<std::array<GroupImages, kGroupCount>>();
    for (size_t group = 0; group < kGroupCount; ++group) {
        const std::vector<LauncherItem>& items = settings().groups[group].items;
        GroupImages& lists = (*images)[group];
        const int count = static_cast<int>(items.size());
        lists.large.Create(32, 32, ILC_COLOR32 | ILC_MASK, count, 1);
        lists.small.Create(16, 16, ILC_COLOR32 | ILC_MASK, count, 1);
        for (const LauncherItem& item : items) {
            CBitmap large;
            CBitmap small;
            lists.largeIndex.push_back(loadItemIcon(item, 32, &large) ? lists.large.AddIcon(&large)
                                                                      : -1);
            lists.smallIndex.push_back(loadItemIcon(item, 16, &small) ? lists.small.AddIcon(&small)
                                                                      : -1);
        }
    }
    state.images = std::move(images);
}

// Paging and group switching.

void nextPage(ItemWindowState& state) {
    const ItemLayout layout = currentLayout(state);
    state.firstItem[static_cast<size_t>(layout.group)] =
        nextPageStart(layout.firstItem, layout.pageSize, layout.itemCount);
}

void previousPage(ItemWindowState& state) {
    const ItemLayout layout = currentLayout(state);
    state.firstItem[static_cast<size_t>(layout.group)] =
        previousPageStart(layout.firstItem, layout.pageSize, layout.itemCount);
}

void selectGroup(ItemWindowState& state, int group) {
    pluginData().currentGroup = group;
    state.firstTab = firstTabShowing(settings(), group, state.firstTab, clientSize(state.window),
                                     measureWith(state.boldFont));
}

void nextGroup(ItemWindowState& state) {
    selectGroup(state, nextShownGroup(settings(), currentGroup()));
}

void previousGroup(ItemWindowState& state) {
    selectGroup(state, previousShownGroup(settings(), currentGroup()));
}

void scrollTabs(ItemWindowState& state) {
    state.firstTab = scrolledFirstTab(currentLayout(state));
}

void runArrow(ItemWindowState& state, ArrowAction action) {
    switch (action) {
        case ArrowAction::PreviousPage:
            previousPage(state);
            break;
        case ArrowAction::NextPage:
            nextPage(state);
            break;
        case ArrowAction::ScrollTabs:
            scrollTabs(state);
            break;
    }
}

const LauncherItem* itemAt(int group, int index) {
    const std::vector<LauncherItem>& items = settings().groups[static_cast<size_t>(group)].items;
    return index >= 0 && static_cast<size_t>(index) < items.size()
               ? &items[static_cast<size_t>(index)]
               : nullptr;
}

// The pen.

void stopHold(ItemWindowState& state) {
    if (state.holding) {
        KillTimer(state.window, kHoldTimer);
        state.holding = false;
    }
}

HWND topLevelOf(HWND window) {
    while (HWND parent = GetParent(window)) {
        window = parent;
    }
    return window;
}

void showNamePopup(ItemWindowState& state, const LauncherItem& item) {
    CWnd* popup = CWnd::FromHandle(state.popup);
    CWnd* label = popup != nullptr ? popup->GetDlgItem(IDC_TODAY_POPUP_NAME) : nullptr;
    if (label == nullptr) {
        return;
    }
    label->SetWindowText(item.name);
    CRect screen;
    if (CWnd* top = CWnd::FromHandle(topLevelOf(state.window))) {
        top->GetWindowRect(&screen);
    }
    // As wide as the name, at least as the template, at most as the screen.
    constexpr int kPadding = 8;
    const int width =
        std::max(std::min(measureText(label->GetFont(), item.name) + kPadding, screen.Width()),
                 state.popupSize.cx);
    CRect labelRect;
    label->GetWindowRect(&labelRect);
    popup->ScreenToClient(&labelRect);
    label->MoveWindow(0, labelRect.top, width, labelRect.Height(), false);
    const CSize size(width, state.popupSize.cy);
    CPoint pen = state.downPoint;
    if (CWnd* window = CWnd::FromHandle(state.window)) {
        window->ClientToScreen(&pen);
    }
    const CPoint at = placeNamePopup(pen, size, screen);
    popup->MoveWindow(at.x, at.y, size.cx, size.cy, true);
    popup->ShowWindow(SW_SHOWNA);
}

void onHold(ItemWindowState& state) {
    stopHold(state);
    if (!state.penDown) {
        return;
    }
    const int pressed = state.pressed;
    if (pressed >= 0) {
        if (const LauncherItem* item = itemAt(currentGroup(), pressed)) {
            showNamePopup(state, *item);
            state.handled = true;
        }
    } else if (pressed == kHitSettings) {
        if (!settings().settingsIconProgram.empty()) {
            state.handled = true;
            launchItem(settings().settingsIconProgram, settings().settingsIconCommandLine,
                       state.window);
        }
    } else if (pressed <= kHitFirstTab) {
        state.handled = true;
        openItemOptions(state.window);
    }
}

void onPenDown(ItemWindowState& state, CPoint point) {
    stopHold(state);
    state.penDown = true;
    state.handled = false;
    state.downPoint = point;
    state.pressed = hitTest(currentLayout(state), point);
    repaint(state);
    SetTimer(state.window, kHoldTimer, kHoldDelayMs, nullptr);
    state.holding = true;
}

void onPenMove(ItemWindowState& state, CPoint point) {
    if (state.holding && (std::abs(point.x - state.downPoint.x) > kHoldSlopPixels ||
                          std::abs(point.y - state.downPoint.y) > kHoldSlopPixels)) {
        stopHold(state);
    }
}

// A release that was not a tap-and-hold: a tap, a gesture between items, or a tab bar tap.
void onRelease(ItemWindowState& state, int pressed, int released) {
    const int group = currentGroup();
    const ItemLayout layout = currentLayout(state);
    const bool severalGroups = layout.shown.size() >= 2;
    if (pressed >= 0) {
        if (released == pressed) {
            if (const LauncherItem* item = itemAt(group, pressed)) {
                // The item may change the settings record (a pseudo-command): copy it first.
                const LauncherItem target = *item;
                launchItem(target.fileName, target.commandLine, state.window);
            }
        } else if (released == kHitEmpty || released == kHitEmptyCell) {
            nextPage(state);
        } else if (released == pressed + 1 && severalGroups) {
            nextGroup(state);
        } else if (released == pressed - 1 && severalGroups) {
            previousGroup(state);
        } else if (released > pressed + 1) {
            nextPage(state);
        } else if (released >= 0 && released < pressed - 1) {
            previousPage(state);
        }
        return;
    }
    if (pressed == kHitEmpty) {
        if (released == kHitEmpty && settings().tapOnEmptySelectsNext != 0 && severalGroups) {
            nextGroup(state);
        }
        return;
    }
    if (released == pressed) {
        if (pressed == kHitSettings) {
            openItemOptions(state.window);
        } else if (pressed == kHitFirstArrow) {
            runArrow(state, firstArrowAction(settings(), layout));
        } else if (pressed == kHitSecondArrow) {
            runArrow(state, secondArrowAction(settings(), layout));
        } else if (pressed <= kHitFirstTab) {
            const size_t position = static_cast<size_t>(kHitFirstTab - pressed);
            if (position < layout.shown.size()) {
                const int tabGroup = layout.shown[position];
                if (tabGroup == group) {
                    nextPage(state);
                } else {
                    selectGroup(state, tabGroup);
                }
            }
        }
    } else if (pressed <= kHitFirstTab && released <= kHitFirstTab) {
        scrollTabs(state);
    }
}

void onPenUp(ItemWindowState& state, CPoint point) {
    stopHold(state);
    if (state.popup != nullptr) {
        ShowWindow(state.popup, SW_HIDE);
    }
    if (!state.penDown) {
        return;
    }
    const int pressed = state.pressed;
    const bool handled = state.handled;
    state.penDown = false;
    state.handled = false;
    state.pressed = kHitEmpty;
    const HWND window = state.window;
    if (!handled) {
        onRelease(state, pressed, hitTest(currentLayout(state), point));
    }
    // Launching may have destroyed the window and its state (the host reloading its items).
    if (ItemWindowState* still = stateOf(window)) {
        repaint(*still);
    }
}

// Messages.

LRESULT popupProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? 1 : 0;
}

void makeFonts(ItemWindowState& state) {
    LOGFONT logFont;
    logFont.lfHeight = 80;
    logFont.lfWeight = FW_NORMAL;
    setFaceName(logFont, u"Tahoma");
    state.font.CreatePointFontIndirect(&logFont);
    logFont.lfWeight = FW_BOLD;
    state.boldFont.CreatePointFontIndirect(&logFont);
}

LRESULT onCreate(HWND window, LPARAM param) {
    auto state = std::make_unique<ItemWindowState>();
    state->window = window;
    state->item = reinterpret_cast<TODAYLISTITEM*>(param);
    state->height = std::max(clampedLauncherHeight(settings()), requiredHeight(settings()));
    state->popup =
        CreateDialogParam(pluginData().instance, IDD_TODAY_NAME_POPUP, window, popupProc, 0);
    if (CWnd* popup = CWnd::FromHandle(state->popup)) {
        CRect rect;
        popup->GetWindowRect(&rect);
        state->popupSize = rect.Size();
    }
    makeFonts(*state);
    pluginData().currentGroup = firstShownGroup(settings());
    loadArt(*state);
    SetWindowUserData(window, reinterpret_cast<LPARAM>(state.release()));
    return 0;
}

LRESULT onRefreshQuery(ItemWindowState& state, WPARAM wParam) {
    PluginData& data = pluginData();
    if (!data.refreshPending) {
        return 0;
    }
    data.refreshPending = false;
    state.firstTab = 0;
    // The record keeps the height the user set; the item only asks for more when a row of icons
    // needs it.
    state.height = std::max(clampedLauncherHeight(settings()), requiredHeight(settings()));
    auto* item = wParam != 0 ? reinterpret_cast<TODAYLISTITEM*>(wParam) : state.item;
    if (item != nullptr) {
        item->cyp = static_cast<DWORD>(state.height);
    }
    SetTimer(state.window, kIconLoadTimer, iconLoadDelayMs(settings()), nullptr);
    return 1;
}

void onPaint(ItemWindowState& state) {
    PAINTSTRUCT paint;
    CDC* dc = BeginPaint(state.window, &paint);
    if (dc == nullptr) {
        return;
    }
    const ItemLayout layout = currentLayout(state);
    const CSize size = layout.window;
    CDC memory;
    CBitmap bitmap;
    if (size.cx > 0 && size.cy > 0 && memory.CreateCompatibleDC(dc) &&
        bitmap.CreateCompatibleBitmap(dc, size.cx, size.cy)) {
        CBitmap* old = memory.SelectObject(&bitmap);
        memory.FillSolidRect(CRect(CPoint(0, 0), size), RGB(255, 255, 255));
        const HWND parent = GetParent(state.window);
        TODAYDRAWWATERMARKINFO watermark;
        watermark.hdc = &memory;
        watermark.rc = CRect(CPoint(0, 0), size);
        watermark.hwnd = state.window;
        SendMessage(parent, TODAYM_DRAWWATERMARK, 0, reinterpret_cast<LPARAM>(&watermark));
        PaintRequest request;
        request.settings = &settings();
        request.layout = &layout;
        request.pressed = state.penDown ? state.pressed : kHitEmpty;
        request.textColor =
            static_cast<COLORREF>(SendMessage(parent, TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0));
        request.font = &state.font;
        request.boldFont = &state.boldFont;
        request.art = &state.art[static_cast<size_t>(layout.group)];
        request.images =
            state.images ? &(*state.images)[static_cast<size_t>(layout.group)] : nullptr;
        paintItem(memory, request);
        const CRect& r = paint.rcPaint;
        dc->BitBlt(r.left, r.top, r.Width(), r.Height(), &memory, r.left, r.top, SRCCOPY);
        memory.SelectObject(old);
    }
    EndPaint(state.window, &paint);
}

void onDestroy(HWND window) {
    ItemWindowState* state = stateOf(window);
    KillTimer(window, kIconLoadTimer);
    KillTimer(window, kHoldTimer);
    if (state != nullptr) {
        if (state->popup != nullptr) {
            DestroyWindow(state->popup);
        }
        SetWindowUserData(window, 0);
        delete state;
    }
    if (pluginData().itemWindow == window) {
        pluginData().itemWindow = nullptr;
    }
}

LRESULT itemWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        return onCreate(window, lParam);
    }
    if (message == WM_DESTROY) {
        onDestroy(window);
        return 0;
    }
    ItemWindowState* state = stateOf(window);
    if (state == nullptr) {
        return DefWindowProc(window, message, wParam, lParam);
    }
    const CPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    switch (message) {
        case WM_TODAYCUSTOM_QUERYREFRESHCACHE:
            return onRefreshQuery(*state, wParam);
        case WM_TODAYCUSTOM_CLEARCACHE:
            return 0;
        case WM_TIMER:
            if (wParam == kIconLoadTimer) {
                KillTimer(window, kIconLoadTimer);
                loadImages(*state);
                repaint(*state);
            } else if (wParam == kHoldTimer) {
                onHold(*state);
            }
            return 0;
        case WM_PAINT:
            onPaint(*state);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN:
            onPenDown(*state, point);
            return 0;
        case WM_MOUSEMOVE:
            onPenMove(*state, point);
            return 0;
        case WM_LBUTTONUP:
            onPenUp(*state, point);
            return 0;
        case kItemCommandMessage:
            switch (static_cast<ItemCommand>(wParam)) {
                case ItemCommand::PreviousPage:
                    previousPage(*state);
                    break;
                case ItemCommand::NextPage:
                    nextPage(*state);
                    break;
                case ItemCommand::PreviousGroup:
                    previousGroup(*state);
                    break;
                case ItemCommand::NextGroup:
                    nextGroup(*state);
                    break;
            }
            repaint(*state);
            return 1;
        default:
            return DefWindowProc(window, message, wParam, lParam);
    }
}

}  // namespace

CPoint placeNamePopup(CPoint pen, CSize size, const CRect& screen) {
    constexpr int kOffset = 8;
    const int left = std::max(screen.left, 0);
    const int top = std::max(screen.top, 0);
    // Beside the pen, up and to the right, so the hand does not cover it; flipped at the edges.
    int x = pen.x + kOffset;
    int y = pen.y - kOffset - size.cy;
    if (x + size.cx > screen.right) {
        x = pen.x - kOffset - size.cx;
    }
    if (y < top) {
        y = pen.y + kOffset;
    }
    x = std::max(std::min(x, screen.right - size.cx), left);
    y = std::max(std::min(y, screen.bottom - size.cy), top);
    return {x, y};
}

HWND createItemWindow(HWND parent, TODAYLISTITEM* item) {
    PluginData& data = pluginData();
    UnregisterClass(kItemWindowClass, data.instance);
    WNDCLASS windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = itemWindowProc;
    windowClass.hInstance = data.instance;
    windowClass.lpszClassName = kItemWindowClass;
    RegisterClass(&windowClass);
    data.refreshPending = true;
    CRect parentRect;
    GetClientRect(parent, &parentRect);
    const int height =
        std::max(clampedLauncherHeight(data.settings), requiredHeight(data.settings));
    HWND window =
        CreateWindow(kItemWindowClass, u"Zentrix", WS_VISIBLE | WS_CHILD, 0, 0, parentRect.Width(),
                     height, parent, 0, data.instance, reinterpret_cast<LPARAM>(item));
    data.itemWindow = window;
    return window;
}

HWND initializeCustomItem(TODAYLISTITEM* item, HWND parent) {
    if (item == nullptr || !item->fEnabled) {
        return nullptr;
    }
    pluginData().instance = item->hinstDLL;
    loadPluginSettings();
    return createItemWindow(parent, item);
}

ItemLayout itemWindowLayout(HWND window) {
    ItemWindowState* state = stateOf(window);
    return state != nullptr ? currentLayout(*state) : ItemLayout{};
}

HWND itemNamePopup(HWND window) {
    const ItemWindowState* state = stateOf(window);
    return state != nullptr ? state->popup : nullptr;
}

}  // namespace zentrix::today
