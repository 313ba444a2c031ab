// A report list whose rows the user sorts by tapping a column header; a second tap on the same
// column reverses the order, and the sorted column's header shows an arrow. The control keeps
// its own copy of every row's texts, which is what sorting compares, so the shown texts may be
// formatted freely.
#pragma once

#include <unordered_map>
#include <vector>

#include "framework/list_ctrl.h"

namespace zentrix::ui {

using framework::WideString;
using framework::WideStringView;

/// The header of a CSortListCtrl: which column is sorted, which way, and the arrow it draws.
class CSortHeaderCtrl : public framework::CHeaderCtrl {
  public:
    int sortColumn() const { return sortColumn_; }
    bool sortAscending() const { return sortAscending_; }
    /// Remembers the sorted column and direction, draws that item itself (with its arrow) and
    /// gives the previously sorted item back to the plain drawing; -1 sorts by nothing.
    void SetSortColumn(int column, bool ascending);
    void DrawItem(framework::DRAWITEMSTRUCT* drawItem) override;

  private:
    friend class CSortListCtrl;
    void setOwnerDrawn(int column, bool on);

    int sortColumn_ = -1;
    bool sortAscending_ = true;
};

/// The list keeps each row's sort texts under a key of its own in the row's item data, so the
/// item data belongs to the control: rows added with the plain CListCtrl calls sort as empty
/// until a column is inserted (which rebuilds every row's texts from the shown ones) or
/// SetRowTexts gives them texts. Rows with equal texts in the sorted column keep the order they
/// had, whichever the direction. User-interface thread only.
class CSortListCtrl : public framework::CListCtrl {
  public:
    CSortListCtrl();
    ~CSortListCtrl() override;

    CSortHeaderCtrl& header() { return header_; }
    const CSortHeaderCtrl& header() const { return header_; }

    void SetFullRowSelect(bool on);
    void SetGridLines(bool on);
    void EnableSorting(bool on) { sortingEnabled_ = on; }
    bool sortingEnabled() const { return sortingEnabled_; }

    /// Adds a column; every row then keeps one text per column.
    int InsertColumn(int column, WideStringView heading, int format = framework::LVCFMT_LEFT,
                     int width = -1);
    /// Removes a column and every row's text for it.
    bool DeleteColumn(int column);
    /// Inserts a row at `position` with `texts` in column order (missing texts are empty,
    /// texts beyond the columns are dropped); the index of the new row, -1 on failure.
    int InsertRow(int position, const std::vector<WideString>& texts);
    /// Replaces the texts the row sorts by (not the shown ones), at most one per column.
    bool SetRowTexts(int row, const std::vector<WideString>& texts);
    /// The texts the row sorts by.
    const std::vector<WideString>* RowTexts(int row) const;
    bool DeleteRow(int row);
    bool DeleteAllRows();
    /// Selects and focuses `row`; an index out of range selects the nearest row when `clamp`
    /// is set and nothing otherwise.
    void SelectRow(int row, bool clamp);
    /// Sorts by `column` (ignored when there is no such column) and shows the arrow there.
    void Sort(int column, bool ascending);
    /// The next selected row after `after` (-1: from the first); -1 when there is none.
    int NextSelectedRow(int after) const;

    /// The order rows sort in, for one column's texts: empty texts first, then numbers by
    /// value, then other texts by code unit; negative, 0 or positive. A strict weak ordering,
    /// so every input order sorts to the same result.
    static int compareTexts(WideStringView a, WideStringView b);
    /// Digits with "+" anywhere, "-" first in a text of two or more characters, at most one
    /// ".", and not empty.
    static bool isNumericText(WideStringView text);

    /// Takes over the list's header and switches on full-row selection, whether the list
    /// came from a dialog template or from Create.
    void PreSubclassWindow() override;
    /// A tap on a column header sorts by it when sorting is enabled, and then stays with the
    /// list; otherwise the parent hears it.
    bool OnChildNotify(const framework::NotifyInfo& info) override;
    void OnDestroy() override;

  private:
    using RowKey = framework::DWORD_PTR;
    int columnCount() const;
    /// The row's key when it has texts of this control, 0 otherwise.
    RowKey keyOf(int row) const;
    /// The row's texts, created (empty) with a key when the row has none.
    std::vector<WideString>& textsOf(int row);

    CSortHeaderCtrl header_;
    bool sortingEnabled_ = true;
    std::unordered_map<RowKey, std::vector<WideString>> rowTexts_;
    RowKey nextKey_ = 1;
};

}  // namespace zentrix::ui
