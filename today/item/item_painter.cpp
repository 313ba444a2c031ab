#include "today/item/item_painter.h"

#include "framework/system_colors.h"

namespace zentrix::today {

namespace {

using framework::CBitmap;
using framework::CDC;
using framework::COLORREF;
using framework::CPen;
using framework::RGB;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

// One pixel wide, `from` to `to` included.
void horizontal(CDC& dc, int y, int from, int to) {
    if (to >= from) {
        dc.MoveTo(from, y);
        dc.LineTo(to + 1, y);
    }
}

void vertical(CDC& dc, int x, int from, int to) {
    if (from > to) {
        std::swap(from, to);
    }
    dc.MoveTo(x, from);
    dc.LineTo(x, to + 1);
}

void drawBitmap(CDC& dc, const CBitmap& bitmap, const CRect& rect, COLORREF transparent) {
    const CSize size = bitmap.GetSize();
    if (size.cx <= 0 || size.cy <= 0 || rect.IsRectEmpty()) {
        return;
    }
    framework::TransparentImage(&dc, rect.left, rect.top, rect.Width(), rect.Height(),
                                const_cast<CBitmap*>(&bitmap), 0, 0, size.cx, size.cy, transparent);
}

const CBitmap& arrowImage(const GroupArt& art, ArrowAction action) {
    switch (action) {
        case ArrowAction::PreviousPage:
            return art.previous;
        case ArrowAction::NextPage:
            return art.next;
        case ArrowAction::ScrollTabs:
            break;
    }
    return art.tabs;
}

void paintTab(CDC& dc, const PaintRequest& request, const TabRect& tab) {
    const LauncherSettings& settings = *request.settings;
    const ItemLayout& layout = *request.layout;
    const CRect& r = tab.rect;
    const bool current = tab.group == layout.group;
    if (settings.tabBorder != 0) {
        // The side facing the icons stays open on the current tab, so it joins its page.
        const int outer = layout.barAtBottom ? r.bottom - 1 : r.top;
        vertical(dc, r.left, layout.lineY, outer);
        vertical(dc, r.right - 1, layout.lineY, outer);
        horizontal(dc, outer, r.left, r.right - 1);
        if (!current) {
            horizontal(dc, layout.lineY, r.left, r.right - 1);
        }
        if (settings.tabBorder3d != 0) {
            CPen white(framework::PS_SOLID, 1, kWhite);
            CPen* old = dc.SelectObject(&white);
            vertical(dc, r.left + 1, layout.lineY, outer);
            horizontal(dc, outer + (layout.barAtBottom ? -1 : 1), r.left + 1, r.right - 2);
            dc.SelectObject(old);
        }
    }
    const int saved = dc.SaveDC();
    dc.IntersectClipRect(r);
    dc.SelectObject(current && request.boldFont ? request.boldFont : request.font);
    CRect text = r;
    text.DeflateRect(2, 1);
    dc.DrawText(settings.groups[static_cast<size_t>(tab.group)].name, &text,
                framework::DT_CENTER | framework::DT_VCENTER | framework::DT_SINGLELINE |
                    framework::DT_NOPREFIX);
    dc.RestoreDC(saved);
}

void paintTabLines(CDC& dc, const LauncherSettings& settings, const ItemLayout& layout) {
    const int width = layout.window.cx;
    const int away = layout.barAtBottom ? -1 : 1;  // from the tabs towards the icons
    const bool threeD = settings.tabBorder3d != 0;
    const auto line = [&](int from, int to) {
        horizontal(dc, layout.lineY, from, to);
        if (threeD) {
            CPen white(framework::PS_SOLID, 1, kWhite);
            CPen* old = dc.SelectObject(&white);
            horizontal(dc, layout.lineY + away, from, to);
            dc.SelectObject(old);
        }
    };
    if (settings.tabLineExtend != 0) {
        if (settings.tabBorder != 0 && !layout.tabs.empty()) {
            line(0, layout.tabs.front().rect.left - 1);
            const int end = layout.overflow ? layout.usableRight : layout.tabs.back().rect.right;
            line(end, width - 1);
        } else {
            line(0, width - 1);
        }
    }
    if (settings.tabLineWrapAround != 0) {
        vertical(dc, 0, layout.lineY, layout.farY);
        vertical(dc, width - 1, layout.lineY, layout.farY);
        horizontal(dc, layout.farY, 0, width - 1);
        if (threeD) {
            CPen white(framework::PS_SOLID, 1, kWhite);
            CPen* old = dc.SelectObject(&white);
            vertical(dc, 1, layout.lineY + away, layout.farY - away);
            dc.SelectObject(old);
        }
    }
}

void paintTabBar(CDC& dc, const PaintRequest& request) {
    const LauncherSettings& settings = *request.settings;
    const ItemLayout& layout = *request.layout;
    CPen pen(framework::PS_SOLID, 1, request.textColor);
    CPen* oldPen = dc.SelectObject(&pen);
    paintTabLines(dc, settings, layout);
    for (const TabRect& tab : layout.tabs) {
        paintTab(dc, request, tab);
    }
    dc.SelectObject(oldPen);

    const GroupArt& art = *request.art;
    if (layout.settingsIconShown) {
        drawBitmap(dc, art.settings, layout.settingsIcon, kWhite);
        if (request.pressed == kHitSettings) {
            dc.InvertRect(layout.settingsIcon);
        }
    }
    if (layout.arrowsShown) {
        drawBitmap(dc, arrowImage(art, firstArrowAction(settings, layout)), layout.firstArrow,
                   kWhite);
        drawBitmap(dc, arrowImage(art, secondArrowAction(settings, layout)), layout.secondArrow,
                   kWhite);
        if (request.pressed == kHitFirstArrow) {
            dc.InvertRect(layout.firstArrow);
        } else if (request.pressed == kHitSecondArrow) {
            dc.InvertRect(layout.secondArrow);
        }
    }
}

void paintIcon(CDC& dc, const PaintRequest& request, const CellRect& cell) {
    if (request.images == nullptr) {
        return;
    }
    const bool large = request.layout->metrics.iconSize > 23;
    const GroupImages& images = *request.images;
    const std::vector<int>& index = large ? images.largeIndex : images.smallIndex;
    framework::CImageList& list =
        const_cast<framework::CImageList&>(large ? images.large : images.small);
    if (cell.item < 0 || static_cast<size_t>(cell.item) >= index.size()) {
        return;
    }
    const int image = index[static_cast<size_t>(cell.item)];
    if (image < 0 || image >= list.GetImageCount()) {
        return;
    }
    list.Draw(&dc, image, cell.icon.TopLeft(), framework::ILD_TRANSPARENT);
}

void paintGrid(CDC& dc, const PaintRequest& request) {
    const ItemLayout& layout = *request.layout;
    const LauncherGroup& group = request.settings->groups[static_cast<size_t>(layout.group)];
    for (const CellRect& cell : layout.cells) {
        const bool pressed = cell.item == request.pressed;
        if (pressed) {
            dc.FillSolidRect(cell.rect, framework::GetSysColor(framework::COLOR_HIGHLIGHT));
        }
        const int saved = dc.SaveDC();
        // An icon larger than the group's icon size stays inside its own cell.
        dc.IntersectClipRect(cell.rect);
        paintIcon(dc, request, cell);
        if (!cell.name.IsRectEmpty() && static_cast<size_t>(cell.item) < group.items.size()) {
            dc.IntersectClipRect(cell.name);
            dc.SelectObject(request.font);
            dc.SetTextColor(pressed ? framework::GetSysColor(framework::COLOR_HIGHLIGHTTEXT)
                                    : request.textColor);
            CRect text = cell.name;
            const framework::UINT format =
                (layout.metrics.namesAtBottom ? framework::DT_CENTER | framework::DT_TOP
                                              : framework::DT_LEFT | framework::DT_VCENTER) |
                framework::DT_SINGLELINE | framework::DT_END_ELLIPSIS | framework::DT_NOPREFIX;
            dc.DrawText(group.items[static_cast<size_t>(cell.item)].name, &text, format);
        }
        dc.RestoreDC(saved);
    }
}

}  // namespace

ArrowAction firstArrowAction(const LauncherSettings& settings, const ItemLayout& layout) {
    if (settings.reverseArrows != 0) {
        return ArrowAction::NextPage;
    }
    return layout.allTabsVisible || layout.shown.size() < 2 ? ArrowAction::PreviousPage
                                                            : ArrowAction::ScrollTabs;
}

ArrowAction secondArrowAction(const LauncherSettings& settings, const ItemLayout& layout) {
    if (settings.reverseArrows != 0) {
        return layout.allTabsVisible || layout.shown.size() < 2 ? ArrowAction::PreviousPage
                                                                : ArrowAction::ScrollTabs;
    }
    return ArrowAction::NextPage;
}

void paintItem(CDC& dc, const PaintRequest& request) {
    if (request.settings == nullptr || request.layout == nullptr || request.art == nullptr) {
        return;
    }
    const LauncherGroup& group =
        request.settings->groups[static_cast<size_t>(request.layout->group)];
    const CSize window = request.layout->window;
    const CSize background = request.art->background.GetSize();
    if (background.cx > 0 && background.cy > 0) {
        const CRect target = group.stretchBackground != 0 ? CRect(CPoint(0, 0), window)
                                                          : CRect(CPoint(0, 0), background);
        drawBitmap(dc, request.art->background, target, kMagenta);
    }
    dc.SetBkMode(framework::TRANSPARENT);
    dc.SetTextColor(request.textColor);
    if (request.layout->tabBarShown) {
        paintTabBar(dc, request);
    }
    paintGrid(dc, request);
}

}  // namespace zentrix::today
