// The standard controls: static, button (push, check, radio, group box), edit, combo box, tab
// control and slider. Each is a CWnd on a Qt widget; a dialog template makes them, or code with
// `Create`. List controls are in list_ctrl.h.
#pragma once

#include "framework/wnd.h"

namespace zentrix::framework {

class CBitmap;
struct ControlTemplate;

// Answers of combo and list lookups.
constexpr int CB_ERR = -1;
constexpr int LB_ERR = -1;

/// Text, bitmap or icon; derive from it and override OnPaint for a custom-drawn control.
class CStatic : public CWnd {
  public:
    bool Create(WideStringView text, DWORD style, const CRect& rect, CWnd* parent,
                UINT id = IDC_STATIC_ID) override;
    /// Shows `bitmap`. The control keeps its pixels, so the program may delete the object
    /// while it shows. Returns the previous one (an object standing for it when the program's
    /// is gone).
    CBitmap* SetBitmap(CBitmap* bitmap);
    CBitmap* GetBitmap() const;
    void DefaultPaint(CDC& dc) override;
    static constexpr UINT IDC_STATIC_ID = 0xFFFF;
};

class CButton : public CWnd {
  public:
    /// The kind comes from `style`: BS_PUSHBUTTON, BS_AUTOCHECKBOX, BS_AUTORADIOBUTTON ...
    bool Create(WideStringView text, DWORD style, const CRect& rect, CWnd* parent, UINT id);
    int GetCheck() const;
    void SetCheck(int check);
    void SetWindowText(WideStringView text) override;
    WideString GetWindowText() const override;
};

class CEdit : public CWnd {
  public:
    bool Create(DWORD style, const CRect& rect, CWnd* parent, UINT id);
    /// At most `maxChars` characters (0: the platform's default, no practical limit). Longer
    /// text already there stays; typing and SetWindowText are cut.
    void LimitText(int maxChars);
    void SetLimitText(int maxChars) { LimitText(maxChars); }
    int GetLimitText() const;
    void SetSel(int start, int end);
    void GetSel(int& start, int& end) const;
    void ReplaceSel(WideStringView text);
    void SetReadOnly(bool readOnly = true);
    void SetPasswordChar(char16_t ch);
    /// Typing or pasting any of `characters` is refused (the edit stays as it was), for fields
    /// whose file or command cannot carry them. Text the program sets is not checked. A
    /// digits-only edit stays digits-only.
    void RefuseCharacters(WideStringView characters);
    void SetWindowText(WideStringView text) override;
    WideString GetWindowText() const override;
};

class CComboBox : public CWnd {
  public:
    /// CBS_DROPDOWNLIST (choose only) or CBS_DROPDOWN (editable), CBS_SORT to keep the list
    /// sorted (ignoring case, as the platform sorts).
    bool Create(DWORD style, const CRect& rect, CWnd* parent, UINT id);
    /// Appends, or with CBS_SORT inserts in order; the index of the new entry.
    int AddString(WideStringView text);
    /// Inserts at `index` (-1: at the end), even in a sorted combo.
    int InsertString(int index, WideStringView text);
    /// The count left, or CB_ERR.
    int DeleteString(UINT index);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    /// Selects `index` (-1 clears the selection); CB_ERR for an index out of range.
    int SetCurSel(int index);
    int GetLBText(int index, WideString& text) const;
    WideString GetLBText(int index) const;
    int GetLBTextLen(int index) const;
    int SetItemData(int index, DWORD_PTR data);
    DWORD_PTR GetItemData(int index) const;
    /// The first entry after `startAfter` (-1: from the top, wrapping round) that begins with
    /// `prefix`, ignoring case; CB_ERR when none.
    int FindString(int startAfter, WideStringView prefix) const;
    /// As FindString, for a whole entry.
    int FindStringExact(int startAfter, WideStringView text) const;
    /// FindString, and selects what it found.
    int SelectString(int startAfter, WideStringView prefix);
    bool LimitText(int maxChars);
    /// As CEdit::RefuseCharacters, for the edit of an editable combo; false for a list-only one.
    bool RefuseCharacters(WideStringView characters);
    void ShowDropDown(bool show = true);
    bool GetDroppedState() const;
    /// The edit text of an editable combo, the selected entry's text otherwise.
    WideString GetWindowText() const override;
    void SetWindowText(WideStringView text) override;
};

class CTabCtrl : public CWnd {
  public:
    bool Create(DWORD style, const CRect& rect, CWnd* parent, UINT id);
    int InsertItem(int index, WideStringView text);
    bool DeleteItem(int index);
    bool DeleteAllItems();
    int GetItemCount() const;
    int GetCurSel() const;
    /// Selects without notifying, as on the platform; the previous selection or -1.
    int SetCurSel(int index);
    WideString GetItemText(int index) const;
    bool SetItemText(int index, WideStringView text);
    bool GetItemRect(int index, CRect* rect) const;
};

class CSliderCtrl : public CWnd {
  public:
    bool Create(DWORD style, const CRect& rect, CWnd* parent, UINT id);
    void SetRange(int minimum, int maximum, bool redraw = false);
    void GetRange(int& minimum, int& maximum) const;
    int GetRangeMin() const;
    int GetRangeMax() const;
    void SetPos(int position);
    int GetPos() const;
    void SetTicFreq(int frequency);
    int SetPageSize(int size);
    int SetLineSize(int size);
};

/// Internal: the widget (and default object) for a template control, placed at `geometry`
/// pixels inside `parent`.
QWidget* createTemplateControl(const ControlTemplate& control, QWidget* parent,
                               const CRect& geometry);

}  // namespace zentrix::framework
