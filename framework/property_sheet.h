// Property sheets and their pages, with the framework's order of page callbacks:
//
// - A page's window is made (OnInitDialog) the first time the page is shown, then OnSetActive
//   runs. Pages the user never visits have no window and take no part in OK or Cancel.
// - Switching pages: OnKillActive of the page being left (false keeps the user there), then
//   the new page is created if needed and its OnSetActive runs; false from OnSetActive keeps
//   the sheet on the page it was on (that page's OnKillActive has run; it is not activated
//   again).
// - OK: OnKillActive of the current page only (false: nothing happens), then OnApply of every
//   page that has a window, in page order; OnApply's default runs the page's OnOK. The first
//   OnApply that answers false stops the confirmation and the sheet stays open on the page it
//   showed. When all agree the sheet ends with IDOK.
// - Cancel: OnQueryCancel of the current page (false: nothing happens), then OnReset of every
//   page with a window in page order (its default runs OnCancel); the sheet ends with IDCANCEL.
//   Nothing is applied.
// - Pages may be added and removed while the sheet is open. A new page gets its tab and waits
//   to be shown. Removing the current page first moves to its left neighbour (the right one
//   for the first page) through OnKillActive and OnSetActive, as a tap on that tab would, but
//   the removal happens even if a page refuses; the sheet's only page cannot be removed.
#pragma once

#include <vector>

#include "framework/controls.h"
#include "framework/dialog.h"

namespace zentrix::framework {

class CPropertySheet;
class CTabCtrl;

// PressButton buttons.
constexpr int PSBTN_OK = 3;
constexpr int PSBTN_APPLYNOW = 4;
constexpr int PSBTN_CANCEL = 5;

class CPropertyPage : public CDialog {
  public:
    /// `captionId`, when not 0, is the string-table text of the tab; otherwise the template's
    /// caption names it.
    explicit CPropertyPage(UINT templateId, UINT captionId = 0);

    /// The first time only after OnInitDialog; later activations refresh the controls from
    /// the members (UpdateData(false)). False keeps the sheet where it was.
    virtual bool OnSetActive();
    /// Validates and stores the controls into the members (UpdateData(true)).
    virtual bool OnKillActive();
    /// Runs OnOK; false stops the sheet's confirmation.
    virtual bool OnApply();
    virtual void OnReset();
    virtual bool OnQueryCancel();
    /// A page's OK and Cancel are its share of the sheet's: the defaults do nothing.
    void OnOK() override;
    void OnCancel() override;

    void SetModified(bool changed = true) { modified_ = changed; }
    bool IsModified() const { return modified_; }
    WideString GetCaption() const;
    CPropertySheet* GetSheet() const { return sheet_; }

    /// Internal: the sheet the page belongs to.
    void setSheet(CPropertySheet* sheet) { sheet_ = sheet; }

  protected:
    bool m_bFirstSetActive = true;

  private:
    friend class CPropertySheet;
    UINT captionId_;
    bool modified_ = false;
    CPropertySheet* sheet_ = nullptr;
};

class CPropertySheet : public CWnd {
  public:
    explicit CPropertySheet(WideStringView caption = {}, CWnd* parent = nullptr,
                            UINT selectPage = 0);
    explicit CPropertySheet(UINT captionId, CWnd* parent = nullptr, UINT selectPage = 0);
    ~CPropertySheet() override;

    void AddPage(CPropertyPage* page);
    void RemovePage(CPropertyPage* page);
    void RemovePage(int index);
    int GetPageCount() const { return static_cast<int>(pages_.size()); }
    CPropertyPage* GetPage(int index) const;
    int GetPageIndex(const CPropertyPage* page) const;
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const { return active_; }
    /// Before the sheet opens: the page it starts on. While open: switches as a tab tap would.
    bool SetActivePage(int index);
    bool SetActivePage(CPropertyPage* page) { return SetActivePage(GetPageIndex(page)); }
    void SetTitle(WideStringView title);
    CTabCtrl* GetTabControl() const;

    /// Opens the sheet modally; IDOK or IDCANCEL (or the value of EndDialog); -1 without pages.
    virtual int DoModal();
    /// Opens the sheet modeless.
    bool Create(CWnd* parent = nullptr);
    /// OK or Cancel as if the user pressed it; false when a page stopped it.
    bool PressButton(int button);
    void EndDialog(int result);
    /// Runs after the sheet and its first page are made.
    virtual bool OnInitDialog();

    bool OnNotify(const NotifyInfo& info) override;

  private:
    bool createSheetWindow(QWidget* owner);
    bool activate(int index, bool leaveCurrent, bool force);
    bool createPage(CPropertyPage* page);
    bool confirm();
    bool cancel();
    void closePages();
    void layout();

    WideString caption_;
    CWnd* parent_;
    std::vector<CPropertyPage*> pages_;
    int startPage_;
    int active_ = -1;
    CSize pageArea_;
    struct Chrome;
    std::unique_ptr<Chrome> chrome_;
    ModalLoop loop_;
};

}  // namespace zentrix::framework
