#include "framework/property_sheet.h"

#include <QWidget>
#include <algorithm>

#include "framework/controls.h"
#include "framework/dialog_template.h"
#include "framework/qt_window.h"
#include "framework/resources.h"

namespace zentrix::framework {
namespace {

constexpr UINT kTabControlId = 0x3020;
constexpr int kMargin = 2;

}  // namespace

// ---- CPropertyPage ----

CPropertyPage::CPropertyPage(UINT templateId, UINT captionId)
    : CDialog(templateId), captionId_(captionId) {}

bool CPropertyPage::OnSetActive() {
    if (m_bFirstSetActive) {
        m_bFirstSetActive = false;
    } else {
        UpdateData(false);
    }
    return true;
}

bool CPropertyPage::OnKillActive() {
    return UpdateData(true);
}

bool CPropertyPage::OnApply() {
    OnOK();
    return true;
}

void CPropertyPage::OnReset() {
    OnCancel();
}
bool CPropertyPage::OnQueryCancel() {
    return true;
}
void CPropertyPage::OnOK() {}
void CPropertyPage::OnCancel() {}

WideString CPropertyPage::GetCaption() const {
    if (captionId_ != 0)
        return loadString(captionId_);
    const DialogTemplate* t = GetTemplate();
    return t ? t->caption : WideString();
}

// ---- CPropertySheet ----

struct CPropertySheet::Chrome {
    CTabCtrl tabs;
    CButton ok;
    CButton cancel;
};

CPropertySheet::CPropertySheet(WideStringView caption, CWnd* parent, UINT selectPage)
    : caption_(caption),
      parent_(parent),
      startPage_(static_cast<int>(selectPage)),
      chrome_(std::make_unique<Chrome>()) {}

CPropertySheet::CPropertySheet(UINT captionId, CWnd* parent, UINT selectPage)
    : CPropertySheet(loadString(captionId), parent, selectPage) {}

// Pages are often members of a class derived from the sheet and are gone by now; their windows
// went with them, and the chrome's and the sheet's own go with the members below.
CPropertySheet::~CPropertySheet() = default;

CPropertyPage* CPropertySheet::GetPage(int index) const {
    return index >= 0 && index < GetPageCount() ? pages_[static_cast<size_t>(index)] : nullptr;
}

int CPropertySheet::GetPageIndex(const CPropertyPage* page) const {
    auto it = std::find(pages_.begin(), pages_.end(), page);
    return it == pages_.end() ? -1 : static_cast<int>(it - pages_.begin());
}

CPropertyPage* CPropertySheet::GetActivePage() const {
    return GetPage(active_);
}

CTabCtrl* CPropertySheet::GetTabControl() const {
    return IsWindow() ? &chrome_->tabs : nullptr;
}

void CPropertySheet::AddPage(CPropertyPage* page) {
    if (!page || GetPageIndex(page) >= 0)
        return;
    page->setSheet(this);
    pages_.push_back(page);
    if (IsWindow())
        chrome_->tabs.InsertItem(GetPageCount() - 1, page->GetCaption());
}

void CPropertySheet::RemovePage(CPropertyPage* page) {
    RemovePage(GetPageIndex(page));
}

void CPropertySheet::RemovePage(int index) {
    CPropertyPage* page = GetPage(index);
    if (!page)
        return;
    if (IsWindow()) {
        if (GetPageCount() == 1)
            return;
        if (index == active_) {
            const int neighbour = index > 0 ? index - 1 : index + 1;
            activate(neighbour, true, true);
        }
        if (page->IsWindow())
            page->DestroyWindow();
        chrome_->tabs.DeleteItem(index);
    }
    pages_.erase(pages_.begin() + index);
    if (active_ > index)
        --active_;
    if (IsWindow())
        chrome_->tabs.SetCurSel(active_);
    page->setSheet(nullptr);
}

bool CPropertySheet::SetActivePage(int index) {
    if (index < 0 || index >= GetPageCount())
        return false;
    if (!IsWindow()) {
        startPage_ = index;
        return true;
    }
    return activate(index, true, false);
}

void CPropertySheet::SetTitle(WideStringView title) {
    caption_ = WideString(title);
    if (QWidget* w = widget())
        w->setWindowTitle(QString::fromStdU16String(caption_));
}

bool CPropertySheet::createPage(CPropertyPage* page) {
    if (page->IsWindow())
        return true;
    page->m_bFirstSetActive = true;
    page->setSheet(this);
    // The page fills the page area before OnInitDialog, which may size controls to it.
    if (!page->createWindow(widget(), pageArea_))
        return false;
    QWidget* w = page->widget();
    w->hide();
    w->move(kMargin, kMargin);
    return true;
}

bool CPropertySheet::activate(int index, bool leaveCurrent, bool force) {
    CPropertyPage* next = GetPage(index);
    if (!next || index == active_)
        return next != nullptr;
    CPropertyPage* current = GetPage(active_);
    if (current && leaveCurrent && !current->OnKillActive() && !force) {
        chrome_->tabs.SetCurSel(active_);
        return false;
    }
    if (!createPage(next)) {
        chrome_->tabs.SetCurSel(active_);
        return false;
    }
    if (!next->OnSetActive() && !force) {
        chrome_->tabs.SetCurSel(active_);
        return false;
    }
    if (current && current->widget())
        current->widget()->hide();
    next->widget()->show();
    active_ = index;
    chrome_->tabs.SetCurSel(active_);
    return true;
}

void CPropertySheet::layout() {
    QWidget* w = widget();
    if (!w)
        return;
    QWidget* tabs = chrome_->tabs.widget();
    QWidget* ok = chrome_->ok.widget();
    QWidget* cancel = chrome_->cancel.widget();
    const int tabHeight = tabs->sizeHint().height();
    const int buttonHeight = std::max(ok->sizeHint().height(), ScaleY(26));
    const int width = pageArea_.cx + 2 * kMargin;
    int y = kMargin + pageArea_.cy;
    tabs->setGeometry(0, y, width, tabHeight);
    y += tabHeight + kMargin;
    const int buttonWidth = (width - 3 * kMargin) / 2;
    ok->setGeometry(kMargin, y, buttonWidth, buttonHeight);
    cancel->setGeometry(2 * kMargin + buttonWidth, y, buttonWidth, buttonHeight);
    w->setFixedSize(width, y + buttonHeight + kMargin);
}

bool CPropertySheet::createSheetWindow(QWidget* owner) {
    if (IsWindow() || pages_.empty())
        return false;
    if (!CWnd::Create(caption_, WS_POPUP | WS_CAPTION, CRect(0, 0, 1, 1), nullptr, 0)) {
        return false;
    }
    QWidget* w = widget();
    if (owner)
        w->setParent(owner->window(), w->windowFlags());
    applyChromeFont(w);
    pageArea_ = {};
    for (CPropertyPage* page : pages_) {
        CSize size = dialogTemplatePixelSize(page->GetTemplateId());
        pageArea_.cx = std::max(pageArea_.cx, size.cx);
        pageArea_.cy = std::max(pageArea_.cy, size.cy);
    }
    // Tabs below the pages, where a thumb reaches them on a handheld.
    chrome_->tabs.Create(WS_CHILD | WS_VISIBLE | TCS_BOTTOM, CRect(), this, kTabControlId);
    chrome_->ok.Create(u"OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, CRect(), this, IDOK);
    chrome_->cancel.Create(u"Cancel", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(), this,
                           IDCANCEL);
    for (int i = 0; i < GetPageCount(); ++i)
        chrome_->tabs.InsertItem(i, pages_[static_cast<size_t>(i)]->GetCaption());
    layout();
    active_ = -1;
    const int count = GetPageCount();
    const int start = std::clamp(startPage_, 0, count - 1);
    bool shown = false;
    for (int n = 0; n < count && !shown; ++n) shown = activate((start + n) % count, false, false);
    if (!shown)
        activate(start, false, true);
    OnInitDialog();
    if (QWidget* sheet = widget())
        placeFixedWindow(sheet, owner);
    return true;
}

bool CPropertySheet::OnInitDialog() {
    return true;
}

int CPropertySheet::DoModal() {
    loop_.reset();
    if (!createSheetWindow(parent_ ? parent_->widget() : nullptr))
        return -1;
    if (!loop_.ended())
        loop_.run(*this);
    const int result = loop_.result();
    closePages();
    DestroyWindow();
    active_ = -1;
    return result;
}

bool CPropertySheet::Create(CWnd* parent) {
    loop_.reset();
    parent_ = parent;
    if (!createSheetWindow(parent ? parent->widget() : nullptr))
        return false;
    widget()->show();
    return true;
}

void CPropertySheet::EndDialog(int result) {
    loop_.end(result);
    if (QWidget* w = widget())
        w->hide();
}

bool CPropertySheet::confirm() {
    CPropertyPage* current = GetActivePage();
    if (current && !current->OnKillActive())
        return false;
    for (CPropertyPage* page : std::vector<CPropertyPage*>(pages_)) {
        if (page->IsWindow() && !page->OnApply())
            return false;
    }
    EndDialog(IDOK);
    return true;
}

bool CPropertySheet::cancel() {
    CPropertyPage* current = GetActivePage();
    if (current && !current->OnQueryCancel())
        return false;
    for (CPropertyPage* page : std::vector<CPropertyPage*>(pages_)) {
        if (page->IsWindow())
            page->OnReset();
    }
    EndDialog(IDCANCEL);
    return true;
}

bool CPropertySheet::PressButton(int button) {
    if (!IsWindow())
        return false;
    if (button == PSBTN_OK)
        return confirm();
    if (button == PSBTN_CANCEL)
        return cancel();
    if (button == PSBTN_APPLYNOW) {
        CPropertyPage* current = GetActivePage();
        if (current && !current->OnKillActive())
            return false;
        for (CPropertyPage* page : pages_) {
            if (page->IsWindow() && !page->OnApply())
                return false;
        }
        return true;
    }
    return false;
}

void CPropertySheet::closePages() {
    for (CPropertyPage* page : pages_) {
        if (page->IsWindow())
            page->DestroyWindow();
    }
    if (chrome_) {
        chrome_->tabs.DestroyWindow();
        chrome_->ok.DestroyWindow();
        chrome_->cancel.DestroyWindow();
    }
}

bool CPropertySheet::OnNotify(const NotifyInfo& info) {
    if (CWnd::OnNotify(info))
        return true;
    if (info.code == TCN_SELCHANGE && info.idFrom == kTabControlId) {
        activate(chrome_->tabs.GetCurSel(), true, false);
        return true;
    }
    if (info.code == BN_CLICKED && info.idFrom == static_cast<UINT>(IDOK)) {
        confirm();
        return true;
    }
    if (info.code == BN_CLICKED && info.idFrom == static_cast<UINT>(IDCANCEL)) {
        cancel();
        return true;
    }
    return false;
}

}  // namespace zentrix::framework
