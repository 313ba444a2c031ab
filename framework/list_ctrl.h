// The list control (icon view for menus, report view with columns for tables) and its header.
// Rows keep one text per column, an image index, a 32-bit-or-wider item data value and a state;
// selection and focus are states as on the platform, and changing them notifies the parent
// (LVN_ITEMCHANGED) whether the user or the program changed them.
#pragma once

#include "framework/wnd.h"

namespace zentrix::framework {

class CImageList;

// Column formats (also the header's HDF_ alignments).
constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr int LVCFMT_CENTER = 2;

// Item fields (InsertItem / SetItem masks).
constexpr UINT LVIF_TEXT = 0x1;
constexpr UINT LVIF_IMAGE = 0x2;
constexpr UINT LVIF_PARAM = 0x4;
constexpr UINT LVIF_STATE = 0x8;

// Item states.
constexpr UINT LVIS_FOCUSED = 0x1;
constexpr UINT LVIS_SELECTED = 0x2;

// GetNextItem flags.
constexpr UINT LVNI_ALL = 0x0;
constexpr UINT LVNI_FOCUSED = 0x1;
constexpr UINT LVNI_SELECTED = 0x2;

// Image list kinds.
constexpr int LVSIL_NORMAL = 0;
constexpr int LVSIL_SMALL = 1;

// Header items.
constexpr UINT HDI_WIDTH = 0x1;
constexpr UINT HDI_TEXT = 0x2;
constexpr UINT HDI_FORMAT = 0x4;
constexpr UINT HDI_LPARAM = 0x8;
constexpr int HDF_LEFT = 0;
constexpr int HDF_RIGHT = 1;
constexpr int HDF_CENTER = 2;
constexpr int HDF_JUSTIFYMASK = 3;
constexpr int HDF_STRING = 0x4000;
constexpr int HDF_OWNERDRAW = 0x8000;

// Owner drawing.
constexpr UINT ODT_HEADER = 100;
constexpr UINT ODA_DRAWENTIRE = 0x1;
constexpr UINT ODS_SELECTED = 0x1;

struct HDITEM {
    UINT mask = 0;
    int cxy = 0;
    WideString pszText;
    int fmt = 0;
    LPARAM lParam = 0;
};

struct DRAWITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemAction = ODA_DRAWENTIRE;
    UINT itemState = 0;  ///< ODS_SELECTED while the item is pressed
    CDC* pDC = nullptr;
    CRect rcItem;
    DWORD_PTR itemData = 0;
};

/// Comparison of two rows' item data for SortItems: negative, 0 or positive.
using PFNLVCOMPARE = int (*)(LPARAM item1, LPARAM item2, LPARAM sortData);

/// A position in the list of selected rows (GetFirstSelectedItemPosition); null at the end.
using POSITION = void*;

class CHeaderCtrl : public CWnd {
  public:
    int GetItemCount() const;
    bool GetItem(int index, HDITEM* item) const;
    /// Sets the fields of `item->mask`; HDF_OWNERDRAW in `fmt` makes DrawItem paint the item.
    bool SetItem(int index, const HDITEM* item);
    bool GetItemRect(int index, CRect* rect) const;
    /// Paints an owner-drawn item; the default draws nothing.
    virtual void DrawItem(DRAWITEMSTRUCT* drawItem);
};

class CListCtrl : public CWnd {
  public:
    /// LVS_REPORT (columns) or LVS_ICON (icons with captions); the view is fixed at creation.
    bool Create(DWORD style, const CRect& rect, CWnd* parent, UINT id);

    // Columns.
    int InsertColumn(int column, WideStringView heading, int format = LVCFMT_LEFT, int width = -1,
                     int subItem = -1);
    bool DeleteColumn(int column);
    int GetColumnWidth(int column) const;
    bool SetColumnWidth(int column, int width);
    CHeaderCtrl* GetHeaderCtrl() const;

    // Rows.
    int InsertItem(int item, WideStringView text, int image = -1);
    int InsertItem(UINT mask, int item, WideStringView text, UINT state, UINT stateMask, int image,
                   LPARAM param);
    bool SetItemText(int item, int subItem, WideStringView text);
    WideString GetItemText(int item, int subItem) const;
    bool SetItemData(int item, DWORD_PTR data);
    DWORD_PTR GetItemData(int item) const;
    bool SetItemImage(int item, int image);
    int GetItemImage(int item) const;
    int GetItemCount() const;
    bool DeleteItem(int item);
    bool DeleteAllItems();

    // States. `item` -1 changes every row.
    bool SetItemState(int item, UINT state, UINT mask);
    UINT GetItemState(int item, UINT mask) const;
    /// The next row after `start` (-1: from the first) with all the LVNI_ `flags`; -1 if none.
    int GetNextItem(int start, UINT flags) const;
    UINT GetSelectedCount() const;
    int GetSelectionMark() const;
    POSITION GetFirstSelectedItemPosition() const;
    int GetNextSelectedItem(POSITION& position) const;
    bool EnsureVisible(int item, bool partialOk);
    /// The row at `point` (client coordinates), -1 for none.
    int HitTest(CPoint point, UINT* flags = nullptr) const;
    bool GetItemRect(int item, CRect* rect, UINT code = 0) const;

    DWORD SetExtendedStyle(DWORD style);
    DWORD GetExtendedStyle() const;
    /// The control keeps the list's images, so the program may delete the object while it
    /// shows. A small list sets the report rows' height (at least its image height). Returns the
    /// previous list (an object standing for it when the program's is gone).
    CImageList* SetImageList(CImageList* list, int kind);
    CImageList* GetImageList(int kind) const;

    /// Sorts the rows by `compare` on their item data; selection and focus stay with their rows.
    bool SortItems(PFNLVCOMPARE compare, DWORD_PTR sortData);
};

/// Internal: the widget of a list control with `style`.
QWidget* createListWidget(DWORD style, QWidget* parent);

}  // namespace zentrix::framework
