// Sorting compares the texts the list keeps per row, not the shown ones, so that a page may
// show "12.3 km" and sort by "12.3". A column may hold numbers and words at once (a distance
// that is unknown for some stations, a format name that is a number for others), so the order
// has to be one order for any mix: empty texts first, then every number by value, then every
// other text by code unit. Comparing a number and a word "as numbers when the first one is a
// number" would not be an order at all ("9" < "10" < "5a" < "9"), and a sort given such a
// comparison may return anything.
#include "ui/network/sort_list_ctrl.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "framework/system_colors.h"

namespace zentrix::ui {

using namespace framework;

namespace {

/// Where a text sorts: kinds first, then the value of a number, then the text by code unit.
struct SortKey {
    enum Kind { kEmpty, kNumber, kText };
    Kind kind = kEmpty;
    double value = 0.0;
    WideStringView text;
};

/// The value of a numeric text as the C library's string-to-double conversion reads it (the
/// longest number at the start, 0 when there is none), but with "." as the decimal point
/// whatever the locale: the texts come from the receiver and from formatting of our own.
double numericValue(WideStringView text) {
    std::string narrow;
    narrow.reserve(text.size());
    for (const char16_t c : text) narrow.push_back(static_cast<char>(c));
    bool negative = false;
    size_t start = 0;
    if (!narrow.empty() && (narrow[0] == '+' || narrow[0] == '-')) {
        negative = narrow[0] == '-';
        start = 1;
    }
    const char* first = narrow.data() + start;
    const char* last = narrow.data() + narrow.size();
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (error == std::errc::result_out_of_range) {
        // Too large or too small for a double: infinite when a digit before the point is not
        // zero, otherwise (a long run of zeros after the point) nothing left of it.
        const char* point = std::find(first, end, '.');
        value =
            std::any_of(first, point, [](char c) { return c >= '1' && c <= '9'; }) ? HUGE_VAL : 0.0;
    } else if (error != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

SortKey sortKeyOf(WideStringView text) {
    SortKey key;
    key.text = text;
    if (text.empty()) {
        key.kind = SortKey::kEmpty;
    } else if (CSortListCtrl::isNumericText(text)) {
        key.kind = SortKey::kNumber;
        key.value = numericValue(text);
    } else {
        key.kind = SortKey::kText;
    }
    return key;
}

int compareKeys(const SortKey& a, const SortKey& b) {
    if (a.kind != b.kind)
        return a.kind < b.kind ? -1 : 1;
    // Equal values ("5", "5.0", "+5") still differ as texts, so that the order is total.
    if (a.kind == SortKey::kNumber && a.value != b.value)
        return a.value < b.value ? -1 : 1;
    const int order = a.text.compare(b.text);
    return (order > 0) - (order < 0);
}

/// What the list's sort hands to the comparison: every row's key for the sorted column, found
/// by the row's item data.
struct SortContext {
    std::unordered_map<DWORD_PTR, SortKey> keys;
    bool ascending = true;

    const SortKey& keyOf(LPARAM item) const {
        static const SortKey kNone;
        const auto found = keys.find(static_cast<DWORD_PTR>(item));
        return found == keys.end() ? kNone : found->second;
    }
};

int compareSortRows(LPARAM item1, LPARAM item2, LPARAM sortData) {
    const auto& context = *reinterpret_cast<const SortContext*>(sortData);
    const SortKey& a = context.keyOf(item1);
    const SortKey& b = context.keyOf(item2);
    return context.ascending ? compareKeys(a, b) : compareKeys(b, a);
}

const WideString kEmptyText;

}  // namespace

// ---- CSortHeaderCtrl ----

void CSortHeaderCtrl::setOwnerDrawn(int column, bool on) {
    HDITEM item;
    item.mask = HDI_FORMAT;
    if (column < 0 || !GetItem(column, &item))
        return;
    item.fmt = on ? (item.fmt | HDF_OWNERDRAW) : (item.fmt & ~HDF_OWNERDRAW);
    SetItem(column, &item);
}

void CSortHeaderCtrl::SetSortColumn(int column, bool ascending) {
    const int previous = sortColumn_;
    sortColumn_ = column;
    sortAscending_ = ascending;
    if (previous != column)
        setOwnerDrawn(previous, false);
    setOwnerDrawn(column, true);
    Invalidate();
}

void CSortHeaderCtrl::DrawItem(DRAWITEMSTRUCT* drawItem) {
    if (!drawItem || !drawItem->pDC)
        return;
    CDC& dc = *drawItem->pDC;
    CRect rect = drawItem->rcItem;
    dc.FillSolidRect(rect, GetSysColor(COLOR_BTNFACE));

    const int column = static_cast<int>(drawItem->itemID);
    HDITEM item;
    item.mask = HDI_TEXT | HDI_FORMAT;
    if (!GetItem(column, &item))
        return;
    if (drawItem->itemState & ODS_SELECTED)
        rect.OffsetRect(1, 1);
    const int unit = rect.Height() / 4;
    const bool sorted = column == sortColumn_;

    CRect caption = rect;
    caption.left += unit;
    caption.right -= sorted ? 4 * unit : unit;
    if (caption.right > caption.left) {
        UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
        switch (item.fmt & HDF_JUSTIFYMASK) {
            case HDF_RIGHT:
                format |= DT_RIGHT;
                break;
            case HDF_CENTER:
                format |= DT_CENTER;
                break;
            default:
                format |= DT_LEFT;
                break;
        }
        const int savedDC = dc.SaveDC();
        if (CFont* font = GetFont())
            dc.SelectObject(font);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(GetSysColor(COLOR_BTNTEXT));
        dc.IntersectClipRect(caption);
        dc.DrawText(item.pszText, caption, format);
        dc.RestoreDC(savedDC);
    }

    if (!sorted || unit < 1)
        return;
    // The arrow: 2 units wide and high, centred in the 3 units left of the right margin; its
    // shaded sides face the top left, its lit ones the bottom right, like a raised button.
    const int centreX = rect.right - unit - 3 * unit / 2;
    const int top = rect.top + (rect.Height() - 2 * unit) / 2;
    const int bottom = top + 2 * unit;
    CPen shadow(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    CPen highlight(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    CPen* oldPen = dc.SelectObject(&shadow);
    if (sortAscending_) {
        const CPoint apex(centreX, top);
        const CPoint left(centreX - unit, bottom);
        const CPoint right(centreX + unit, bottom);
        dc.MoveTo(apex);
        dc.LineTo(left);
        dc.SelectObject(&highlight);
        dc.LineTo(right);
        dc.LineTo(apex);
    } else {
        const CPoint apex(centreX, bottom);
        const CPoint left(centreX - unit, top);
        const CPoint right(centreX + unit, top);
        dc.MoveTo(right);
        dc.LineTo(left);
        dc.LineTo(apex);
        dc.SelectObject(&highlight);
        dc.LineTo(right);
    }
    dc.SelectObject(oldPen);
}

// ---- CSortListCtrl ----

CSortListCtrl::CSortListCtrl() = default;
CSortListCtrl::~CSortListCtrl() = default;

void CSortListCtrl::SetFullRowSelect(bool on) {
    const DWORD style = GetExtendedStyle();
    SetExtendedStyle(on ? (style | LVS_EX_FULLROWSELECT) : (style & ~LVS_EX_FULLROWSELECT));
}

void CSortListCtrl::SetGridLines(bool on) {
    const DWORD style = GetExtendedStyle();
    SetExtendedStyle(on ? (style | LVS_EX_GRIDLINES) : (style & ~LVS_EX_GRIDLINES));
}

int CSortListCtrl::columnCount() const {
    const CHeaderCtrl* header = GetHeaderCtrl();
    return header ? header->GetItemCount() : 0;
}

CSortListCtrl::RowKey CSortListCtrl::keyOf(int row) const {
    const RowKey key = GetItemData(row);
    return key != 0 && rowTexts_.contains(key) ? key : 0;
}

std::vector<WideString>& CSortListCtrl::textsOf(int row) {
    RowKey key = keyOf(row);
    if (key == 0) {
        key = nextKey_++;
        SetItemData(row, key);
    }
    return rowTexts_[key];
}

int CSortListCtrl::InsertColumn(int column, WideStringView heading, int format, int width) {
    const int index = CListCtrl::InsertColumn(column, heading, format, width);
    if (index < 0)
        return index;
    // The sorted column's index moves with it (its owner-drawn format already did).
    if (header_.sortColumn_ >= index)
        ++header_.sortColumn_;
    const int columns = columnCount();
    const int rows = GetItemCount();
    for (int row = 0; row < rows; ++row) {
        std::vector<WideString>& texts = textsOf(row);
        texts.resize(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c) texts[static_cast<size_t>(c)] = GetItemText(row, c);
    }
    return index;
}

bool CSortListCtrl::DeleteColumn(int column) {
    if (!CListCtrl::DeleteColumn(column))
        return false;
    // Every row keeps one text per column: drop the deleted column's, and the sort mark with it.
    if (header_.sortColumn_ == column)
        header_.sortColumn_ = -1;
    else if (header_.sortColumn_ > column)
        --header_.sortColumn_;
    for (int row = 0; row < GetItemCount(); ++row) {
        std::vector<WideString>& texts = textsOf(row);
        if (static_cast<size_t>(column) < texts.size())
            texts.erase(texts.begin() + column);
    }
    return true;
}

int CSortListCtrl::InsertRow(int position, const std::vector<WideString>& texts) {
    if (!IsWindow() || position < 0)
        return -1;
    const size_t columns = static_cast<size_t>(columnCount());
    const RowKey key = nextKey_++;
    std::vector<WideString>& kept = rowTexts_[key];
    kept.assign(texts.begin(),
                texts.begin() + static_cast<std::ptrdiff_t>(std::min(texts.size(), columns)));
    kept.resize(columns);
    const int row = InsertItem(LVIF_TEXT | LVIF_PARAM, position,
                               texts.empty() ? WideStringView() : WideStringView(texts[0]), 0, 0, 0,
                               static_cast<LPARAM>(key));
    if (row < 0) {
        rowTexts_.erase(key);
        return -1;
    }
    for (size_t c = 1; c < columns; ++c) {
        SetItemText(row, static_cast<int>(c),
                    c < texts.size() ? WideStringView(texts[c]) : WideStringView());
    }
    return row;
}

bool CSortListCtrl::SetRowTexts(int row, const std::vector<WideString>& texts) {
    if (row < 0 || row >= GetItemCount())
        return false;
    const size_t columns = static_cast<size_t>(columnCount());
    textsOf(row).assign(texts.begin(), texts.begin() + static_cast<std::ptrdiff_t>(
                                                           std::min(texts.size(), columns)));
    return true;
}

const std::vector<WideString>* CSortListCtrl::RowTexts(int row) const {
    const RowKey key = keyOf(row);
    return key == 0 ? nullptr : &rowTexts_.at(key);
}

bool CSortListCtrl::DeleteRow(int row) {
    const RowKey key = keyOf(row);
    if (!DeleteItem(row))
        return false;
    if (key != 0)
        rowTexts_.erase(key);
    return true;
}

bool CSortListCtrl::DeleteAllRows() {
    const bool deleted = DeleteAllItems();
    rowTexts_.clear();
    return deleted;
}

void CSortListCtrl::SelectRow(int row, bool clamp) {
    const int count = GetItemCount();
    if (count == 0)
        return;
    if (row < 0 || row >= count) {
        // -1 would select every row.
        if (!clamp)
            return;
        row = std::clamp(row, 0, count - 1);
    }
    SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void CSortListCtrl::Sort(int column, bool ascending) {
    if (column < 0 || column >= columnCount())
        return;
    header_.SetSortColumn(column, ascending);
    SortContext context;
    context.ascending = ascending;
    const int rows = GetItemCount();
    context.keys.reserve(static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        const RowKey key = keyOf(row);
        if (key == 0)
            continue;  // no texts: sorts as empty
        const std::vector<WideString>& texts = rowTexts_.at(key);
        const WideString& text = static_cast<size_t>(column) < texts.size()
                                     ? texts[static_cast<size_t>(column)]
                                     : kEmptyText;
        context.keys.emplace(key, sortKeyOf(text));
    }
    // The view stays where it was: a list just opened shows the top of the new order, which is
    // what a tap on a header asks for, even when the selected row moved out of sight.
    SortItems(compareSortRows, reinterpret_cast<DWORD_PTR>(&context));
}

int CSortListCtrl::NextSelectedRow(int after) const {
    return GetNextItem(std::max(after, -1), LVNI_SELECTED);
}

int CSortListCtrl::compareTexts(WideStringView a, WideStringView b) {
    return compareKeys(sortKeyOf(a), sortKeyOf(b));
}

bool CSortListCtrl::isNumericText(WideStringView text) {
    if (text.empty())
        return false;
    int points = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if ((c >= u'0' && c <= u'9') || c == u'+')
            continue;
        if (c == u'-' && i == 0 && text.size() >= 2)
            continue;
        if (c == u'.' && ++points == 1)
            continue;
        return false;
    }
    return true;
}

void CSortListCtrl::PreSubclassWindow() {
    CListCtrl::PreSubclassWindow();
    if (header_.IsWindow())
        header_.UnsubclassWindow();
    header_.sortColumn_ = -1;
    header_.sortAscending_ = true;
    if (CHeaderCtrl* header = GetHeaderCtrl())
        header_.SubclassWindow(header->GetSafeHwnd());
    SetFullRowSelect(true);
}

bool CSortListCtrl::OnChildNotify(const NotifyInfo& info) {
    if (info.code == LVN_COLUMNCLICK && sortingEnabled_) {
        const bool ascending = !(header_.sortColumn() == info.iSubItem && header_.sortAscending());
        Sort(info.iSubItem, ascending);
        return true;
    }
    return CListCtrl::OnChildNotify(info);
}

void CSortListCtrl::OnDestroy() {
    rowTexts_.clear();
    CListCtrl::OnDestroy();
}

}  // namespace zentrix::ui
