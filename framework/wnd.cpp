#include "framework/wnd.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <utility>

#include "framework/busy_wait.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/message_box.h"
#include "framework/qt_drawing.h"
#include "framework/qt_window.h"
#include "framework/system_colors.h"
#include "platform/text.h"

namespace zentrix::framework {

// CWnd: the handle on a widget that a page holds. The widget side is in wnd_widget.cpp.

struct CWnd::State {
    QPointer<QWidget> widget;
    bool owned = false;
};

CWnd::CWnd() : state_(std::make_unique<State>()) {}

CWnd::~CWnd() {
    // The derived object is gone by now: whatever the widget's destruction still reports
    // (hidden lists closing, selections cleared) must not reach its handlers.
    mapEntries_.clear();
    if (state_->owned && state_->widget) {
        destroyWindowTree(state_->widget.data(), false);
    } else {
        detachWidget();
    }
}

QWidget* CWnd::widget() const {
    return state_->widget.data();
}

void CWnd::attachWidget(QWidget* widget, bool owned) {
    state_->widget = widget;
    state_->owned = owned;
    if (widget) {
        WindowData& data = windowData(widget);
        data.owner = this;
        if (std::find(data.attached.begin(), data.attached.end(), this) == data.attached.end())
            data.attached.push_back(this);
    }
}

void CWnd::detachWidget() {
    if (WindowData* data = findWindowData(state_->widget.data())) {
        if (data->owner == this) {
            data->owner =
                (data->defaultWrapper.get() != this) ? data->defaultWrapper.get() : nullptr;
        }
        std::erase(data->attached, this);
    }
    forgetWidget();
}

void CWnd::forgetWidget() {
    state_->widget = nullptr;
    state_->owned = false;
}

CWnd* CWnd::fromWidget(const QWidget* widget) {
    WindowData* data = findWindowData(widget);
    return data && !data->destroyed ? data->owner : nullptr;
}

bool CWnd::Create(WideStringView text, DWORD style, const CRect& rect, CWnd* parent, UINT id) {
    if (IsWindow())
        return false;
    QWidget* parentWidget = parent ? parent->widget() : nullptr;
    if ((style & WS_CHILD) && !parentWidget)
        return false;
    auto* w = new WndWidget((style & WS_CHILD) ? parentWidget : nullptr);
    if (!(style & WS_CHILD))
        w->setWindowFlag(Qt::Window);
    w->text = WideString(text);
    if (!(style & WS_CHILD))
        w->setWindowTitle(QString::fromStdU16String(w->text));
    WindowData& data = windowData(w);
    data.id = id;
    data.style = style;
    if (parentWidget && (style & WS_CHILD))
        w->setFont(parentWidget->font());
    w->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    w->setEnabled(!(style & WS_DISABLED));
    attachWidget(w, true);
    PreSubclassWindow();
    if (style & WS_VISIBLE)
        w->show();
    return true;
}

bool CWnd::DestroyWindow() {
    QWidget* w = widget();
    if (!w)
        return false;
    // OnDestroy of the window, then of every window inside, parents before their children.
    destroyWindowTree(w, true);
    return true;
}

bool CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    if (!parent || IsWindow())
        return false;
    CWnd* item = parent->GetDlgItem(id);
    return item && SubclassWindow(item->GetSafeHwnd());
}

HWND CWnd::GetSafeHwnd() const {
    WindowData* data = findWindowData(widget());
    return data && !data->destroyed ? data->handle : nullptr;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    WindowData* data = findWindowData(hwnd);
    return data ? data->owner : nullptr;
}

bool CWnd::SubclassWindow(HWND hwnd) {
    WindowData* data = findWindowData(hwnd);
    if (!data || IsWindow())
        return false;
    attachWidget(data->widget(), false);
    PreSubclassWindow();
    return true;
}

HWND CWnd::UnsubclassWindow() {
    HWND hwnd = GetSafeHwnd();
    detachWidget();
    return hwnd;
}

CWnd* CWnd::GetDlgItem(UINT id) const {
    QWidget* w = widget();
    if (!w)
        return nullptr;
    // Children of children count too: a page's controls sit inside the page's own widget, and
    // list controls hold inner widgets; the first window with the id wins.
    const auto children = w->findChildren<QWidget*>();
    for (QWidget* child : children) {
        WindowData* data = findWindowData(child);
        if (data && !data->destroyed && data->owner && data->id == id &&
            parentWindowWidget(child) == w) {
            return data->owner;
        }
    }
    return nullptr;
}

UINT CWnd::GetDlgCtrlID() const {
    WindowData* data = findWindowData(widget());
    return data ? data->id : 0;
}

CWnd* CWnd::GetParent() const {
    return fromWidget(parentWindowWidget(widget()));
}

DWORD CWnd::GetStyle() const {
    QWidget* w = widget();
    if (!w)
        return 0;
    DWORD style = windowData(w).style & ~(WS_VISIBLE | WS_DISABLED);
    if (w->isVisibleTo(w->parentWidget() ? w->parentWidget() : w) && !w->isHidden())
        style |= WS_VISIBLE;
    if (!w->isEnabled())
        style |= WS_DISABLED;
    return style;
}

bool CWnd::ModifyStyle(DWORD remove, DWORD add) {
    QWidget* w = widget();
    if (!w)
        return false;
    WindowData& data = windowData(w);
    data.style = (data.style & ~remove) | add;
    if ((remove | add) & WS_VISIBLE)
        w->setVisible(data.style & WS_VISIBLE);
    if ((remove | add) & WS_DISABLED)
        w->setEnabled(!(data.style & WS_DISABLED));
    Invalidate();
    return true;
}

void CWnd::SetWindowText(WideStringView text) {
    QWidget* w = widget();
    if (!w)
        return;
    if (auto* ww = dynamic_cast<WndWidget*>(w)) {
        ww->text = WideString(text);
        ww->invalidate(true);
    }
    if (w->isWindow())
        w->setWindowTitle(QString::fromStdU16String(WideString(text)));
}

WideString CWnd::GetWindowText() const {
    QWidget* w = widget();
    if (auto* ww = dynamic_cast<WndWidget*>(w))
        return ww->text;
    return w ? w->windowTitle().toStdU16String() : WideString();
}

void CWnd::SetDlgItemText(UINT id, WideStringView text) {
    if (CWnd* item = GetDlgItem(id))
        item->SetWindowText(text);
}

WideString CWnd::GetDlgItemText(UINT id) const {
    CWnd* item = GetDlgItem(id);
    return item ? item->GetWindowText() : WideString();
}

void CWnd::SetDlgItemInt(UINT id, int value, bool isSigned) {
    std::string digits =
        isSigned ? std::to_string(value) : std::to_string(static_cast<UINT>(value));
    SetDlgItemText(id, platform::fromUtf8(digits));
}

int CWnd::GetDlgItemInt(UINT id, bool* translated, bool isSigned) const {
    bool ok = false;
    QString text = QString::fromStdU16String(GetDlgItemText(id)).trimmed();
    long long value = text.toLongLong(&ok);
    if (ok && !isSigned && value < 0)
        ok = false;
    if (ok && (value > 0xFFFFFFFFLL || value < -0x80000000LL))
        ok = false;
    if (translated)
        *translated = ok;
    return ok ? static_cast<int>(value) : 0;
}

void CWnd::CheckDlgButton(UINT id, int check) {
    if (auto* button = dynamic_cast<CButton*>(GetDlgItem(id)))
        button->SetCheck(check);
}

int CWnd::IsDlgButtonChecked(UINT id) const {
    auto* button = dynamic_cast<CButton*>(GetDlgItem(id));
    return button ? button->GetCheck() : BST_UNCHECKED;
}

void CWnd::CheckRadioButton(UINT firstId, UINT lastId, UINT checkId) {
    for (UINT id = firstId; id <= lastId; ++id) CheckDlgButton(id, id == checkId ? 1 : 0);
}

bool CWnd::ShowWindow(int command) {
    QWidget* w = widget();
    if (!w)
        return false;
    const bool wasVisible = !w->isHidden();
    if (command == SW_HIDE) {
        w->hide();
    } else {
        if (command == SW_SHOWNOACTIVATE || command == SW_SHOWNA) {
            w->setAttribute(Qt::WA_ShowWithoutActivating);
        }
        w->show();
    }
    return wasVisible;
}

bool CWnd::IsWindowVisible() const {
    QWidget* w = widget();
    if (!w || w->isHidden())
        return false;
    // Visible means: shown, and every parent shown, as far as the program controls it.
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
        if (p->isHidden())
            return false;
    }
    return true;
}

bool CWnd::EnableWindow(bool enable) {
    QWidget* w = widget();
    if (!w)
        return false;
    const bool wasDisabled = !w->isEnabled();
    w->setEnabled(enable);
    return wasDisabled;
}

bool CWnd::IsWindowEnabled() const {
    return widget() && widget()->isEnabled();
}

void CWnd::SetFocus() {
    if (QWidget* w = widget())
        w->setFocus(Qt::OtherFocusReason);
}

void CWnd::SetFont(CFont* font, bool redraw) {
    QWidget* w = widget();
    if (!w || !font)
        return;
    windowData(w).font = font;
    w->setFont(toQFont(*font));
    if (redraw)
        Invalidate();
}

CFont* CWnd::GetFont() const {
    for (QWidget* w = widget(); w; w = parentWindowWidget(w)) {
        if (WindowData* data = findWindowData(w); data && data->font)
            return data->font;
    }
    return nullptr;
}

void CWnd::GetClientRect(CRect* rect) const {
    QWidget* w = widget();
    // A list's client area is inside its frame, header and scroll bars, as on the platform:
    // a column sized to it then fits without a horizontal scroll bar.
    // The viewport's own geometry is only brought up to date when the list is shown.
    auto* scrolled = qobject_cast<QAbstractScrollArea*>(w);
    // A list control is a frame laid out around its one view.
    if (scrolled == nullptr && w != nullptr && w->layout() != nullptr && w->layout()->count() == 1)
        scrolled = qobject_cast<QAbstractScrollArea*>(w->layout()->itemAt(0)->widget());
    if (scrolled != nullptr) {
        QSize size = scrolled->maximumViewportSize();
        if (scrolled->verticalScrollBar()->isVisibleTo(scrolled))
            size.rwidth() -= scrolled->verticalScrollBar()->sizeHint().width();
        if (scrolled->horizontalScrollBar()->isVisibleTo(scrolled))
            size.rheight() -= scrolled->horizontalScrollBar()->sizeHint().height();
        *rect = CRect(0, 0, std::max(size.width(), 0), std::max(size.height(), 0));
        return;
    }
    *rect = w ? CRect(0, 0, w->width(), w->height()) : CRect();
}

void CWnd::GetWindowRect(CRect* rect) const {
    QWidget* w = widget();
    if (!w) {
        *rect = CRect();
        return;
    }
    QPoint topLeft = w->mapToGlobal(QPoint(0, 0));
    if (w->isWindow())
        topLeft = w->frameGeometry().topLeft();
    *rect = CRect(topLeft.x(), topLeft.y(), topLeft.x() + w->width(), topLeft.y() + w->height());
}

void CWnd::ScreenToClient(CPoint* point) const {
    if (QWidget* w = widget()) {
        QPoint p = w->mapFromGlobal(QPoint(point->x, point->y));
        *point = {p.x(), p.y()};
    }
}

void CWnd::ScreenToClient(CRect* rect) const {
    CPoint topLeft = rect->TopLeft();
    ScreenToClient(&topLeft);
    rect->OffsetRect(topLeft.x - rect->left, topLeft.y - rect->top);
}

void CWnd::ClientToScreen(CPoint* point) const {
    if (QWidget* w = widget()) {
        QPoint p = w->mapToGlobal(QPoint(point->x, point->y));
        *point = {p.x(), p.y()};
    }
}

void CWnd::MoveWindow(int x, int y, int width, int height, bool repaint) {
    if (QWidget* w = widget()) {
        width = std::max(0, width);
        height = std::max(0, height);
        if (w->isWindow()) {
            // As GetWindowRect answers: the frame's top left and the client size. A window of
            // fixed size (a dialog) keeps a fixed size, the new one.
            if (w->minimumSize() == w->maximumSize())
                w->setFixedSize(width, height);
            w->resize(width, height);
            w->move(x, y);
            if (repaint)
                Invalidate();
            return;
        }
        w->setGeometry(x, y, width, height);
        if (repaint)
            Invalidate();
    }
}

void CWnd::MoveWindow(const CRect& rect, bool repaint) {
    MoveWindow(rect.left, rect.top, rect.Width(), rect.Height(), repaint);
}

void CWnd::Invalidate(bool erase) {
    QWidget* w = widget();
    if (auto* ww = dynamic_cast<WndWidget*>(w)) {
        ww->invalidate(erase);
    } else if (w) {
        w->update();
    }
}

void CWnd::InvalidateRect(const CRect*, bool erase) {
    Invalidate(erase);
}

void CWnd::UpdateWindow() {
    if (auto* ww = dynamic_cast<WndWidget*>(widget())) {
        ww->paintIfInvalid();
        ww->update();
    }
}

namespace {

void timerTick(QWidget* w, QTimer* timer, UINT_PTR id) {
    // A tick during a long receiver wait runs once after it (ticks coalesce, as the platform's
    // WM_TIMER did) and the next one a full period later, as for any late tick; a timer killed
    // by then stays silent.
    const auto later = [w, timer, id] {
        if (!timer->isActive())
            return;
        timer->start();
        timerTick(w, timer, id);
    };
    if (holdDuringBusyWait(timer, later, timer))
        return;
    if (CWnd* wnd = CWnd::fromWidget(w)) {
        const DispatchScope scope;
        wnd->OnTimer(id);
    }
}

}  // namespace

// The platform's shortest timer period; shorter requests get it, so that a 0 does not spin.
constexpr UINT kMinimumTimerMs = 10;

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, void*) {
    QWidget* w = widget();
    if (!w)
        return 0;
    const QString name = QStringLiteral("zxTimer%1").arg(static_cast<qulonglong>(id));
    auto* timer = w->findChild<QTimer*>(name, Qt::FindDirectChildrenOnly);
    if (!timer) {
        timer = new QTimer(w);
        timer->setObjectName(name);
        QObject::connect(timer, &QTimer::timeout, w, [w, timer, id] { timerTick(w, timer, id); });
    }
    timer->start(static_cast<int>(std::clamp<UINT>(elapseMs, kMinimumTimerMs, 0x7FFFFFFF)));
    return id;
}

bool CWnd::KillTimer(UINT_PTR id) {
    QWidget* w = widget();
    if (!w)
        return false;
    const QString name = QStringLiteral("zxTimer%1").arg(static_cast<qulonglong>(id));
    auto* timer = w->findChild<QTimer*>(name, Qt::FindDirectChildrenOnly);
    if (!timer || !timer->isActive())
        return false;
    timer->stop();
    return true;
}

int CWnd::MessageBox(WideStringView text, WideStringView caption, UINT type) {
    return showMessageBox(this, text, caption, type);
}

void CWnd::OnPaint() {
    CPaintDC dc(this);
    DefaultPaint(dc);
}

void CWnd::DefaultPaint(CDC&) {}

COLORREF CWnd::BackgroundColor() const {
    return GetSysColor(COLOR_BTNFACE);
}

bool CWnd::OnEraseBkgnd(CDC* dc) {
    CRect rect;
    GetClientRect(&rect);
    dc->FillSolidRect(rect, BackgroundColor());
    return true;
}

void CWnd::OnTimer(UINT_PTR) {}
void CWnd::OnLButtonDown(UINT, CPoint) {}
void CWnd::OnLButtonUp(UINT, CPoint) {}
void CWnd::OnMouseMove(UINT, CPoint) {}
void CWnd::OnSize(UINT, int, int) {}
void CWnd::OnDestroy() {}
void CWnd::PreSubclassWindow() {}

void CWnd::ShowDlgItems(std::span<const UINT> ids, bool visible) {
    for (const UINT id : ids) {
        if (CWnd* control = GetDlgItem(id))
            control->ShowWindow(visible ? SW_SHOW : SW_HIDE);
    }
}

CWnd* CWnd::GetFocus() {
    // A control made of several widgets (an editable combo's line edit) answers for them.
    for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget()) {
        if (CWnd* window = fromWidget(w))
            return window;
    }
    return nullptr;
}

bool CWnd::IsChild(const CWnd* window) const {
    return window != nullptr && widget() != nullptr && window->widget() != nullptr &&
           widget()->isAncestorOf(window->widget());
}

void CWnd::OnKeyCommand(UINT id) {
    NotifyInfo info;
    info.idFrom = id;
    info.code = BN_CLICKED;
    OnNotify(info);
}

bool CWnd::OnNotify(const NotifyInfo& info) {
    // Copy: a handler may add entries (or destroy the window's controls) while it runs.
    for (size_t i = 0; i < mapEntries_.size(); ++i) {
        if (mapEntries_[i].code == info.code && mapEntries_[i].id == info.idFrom) {
            auto handler = mapEntries_[i].handler;
            handler(info);
            return true;
        }
    }
    return false;
}

bool CWnd::OnChildNotify(const NotifyInfo&) {
    return false;
}

bool CWnd::SendNotify(NotifyInfo info) {
    info.hwndFrom = this;
    info.idFrom = GetDlgCtrlID();
    if (OnChildNotify(info))
        return true;
    CWnd* parent = GetParent();
    return parent && parent->OnNotify(info);
}

// ---- Contexts on windows ----

CPaintDC::CPaintDC(CWnd* wnd) : wnd_(wnd) {
    auto* ww = wnd ? dynamic_cast<WndWidget*>(wnd->widget()) : nullptr;
    if (!ww)
        return;
    wnd->GetClientRect(&m_rcPaint);
    if (QPainter* painter = ww->activePainter()) {
        attachPainter(*this, *painter, ww->backing());
    } else {
        attachImage(*this, ww->backing());
    }
}

CPaintDC::~CPaintDC() {
    detachPainter(*this);
    auto* ww = wnd_ ? dynamic_cast<WndWidget*>(wnd_->widget()) : nullptr;
    if (ww && !ww->activePainter())
        ww->update();
}

CClientDC::CClientDC(CWnd* wnd) : wnd_(wnd) {
    auto* ww = wnd ? dynamic_cast<WndWidget*>(wnd->widget()) : nullptr;
    if (!ww)
        return;
    // A window that never painted paints first, so that the drawing lands on its content.
    ww->paintIfInvalid();
    attachImage(*this, ww->backing());
}

CClientDC::~CClientDC() {
    detachPainter(*this);
    if (auto* ww = wnd_ ? dynamic_cast<WndWidget*>(wnd_->widget()) : nullptr)
        ww->update();
}

// ---- Screen scale ----

namespace {
int g_dpiOverride = 0;
}

int screenDpi() {
    if (g_dpiOverride > 0)
        return g_dpiOverride;
    QScreen* screen = QGuiApplication::primaryScreen();
    int dpi = screen ? static_cast<int>(std::lround(screen->logicalDotsPerInchY())) : 96;
    return dpi > 0 ? dpi : 96;
}

void setScreenDpiOverride(int dpi) {
    g_dpiOverride = dpi;
}

double screenScale() {
    return screenDpi() / 96.0;
}
double screenPixelScale() {
    QScreen* screen =
        QGuiApplication::instance() != nullptr ? QGuiApplication::primaryScreen() : nullptr;
    return screenScale() * (screen ? screen->devicePixelRatio() : 1.0);
}
int ScaleX(int pixels) {
    return static_cast<int>(std::lround(pixels * screenScale()));
}
int ScaleY(int pixels) {
    return static_cast<int>(std::lround(pixels * screenScale()));
}

}  // namespace zentrix::framework
