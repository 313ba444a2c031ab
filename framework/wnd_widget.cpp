// The widget side of a window: the data a widget keeps for its CWnd, handles that are never
// reused, windows retired while a handler runs and deleted after it, and WndWidget, which paints
// from a backing image and turns Qt's input events into the handheld's messages.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "framework/busy_wait.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/message_box.h"
#include "framework/qt_drawing.h"
#include "framework/qt_window.h"
#include "framework/system_colors.h"
#include "framework/window_proc.h"
#include "framework/wnd.h"
#include "platform/text.h"

namespace zentrix::framework {

namespace {

// Never destroyed: widgets may still go while the application object ends after main.
std::unordered_map<const QWidget*, WindowData*>& windowsByWidget() {
    static auto* windows = new std::unordered_map<const QWidget*, WindowData*>;
    return *windows;
}

// Live windows by handle. PostMessage asks from other threads whether a handle is live, so
// this map alone is shared, under its lock.
struct HandleRegistry {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, WindowData*> windows;
    std::uintptr_t next = 0x10000;
};
HandleRegistry& handles() {
    static auto* registry = new HandleRegistry;
    return *registry;
}

std::uintptr_t handleValue(HWND hwnd) {
    return reinterpret_cast<std::uintptr_t>(hwnd);
}

void unregisterHandle(WindowData& data) {
    HandleRegistry& registry = handles();
    const std::lock_guard lock(registry.mutex);
    registry.windows.erase(handleValue(data.handle));
}

// Windows destroyed while a DispatchScope was open, waiting to be deleted.
int g_dispatchDepth = 0;
std::vector<QPointer<QWidget>>& retiredWindows() {
    static auto* windows = new std::vector<QPointer<QWidget>>;
    return *windows;
}
bool g_deletionPosted = false;

void deleteRetiredWindows() {
    if (g_dispatchDepth > 0)
        return;
    // Deleting may report (selections cleared, lists closing) and so retire more.
    while (!retiredWindows().empty()) {
        const auto windows = std::exchange(retiredWindows(), {});
        for (const QPointer<QWidget>& w : windows) delete w.data();
    }
}

void postDeletion() {
    if (g_deletionPosted || !QCoreApplication::instance())
        return;
    g_deletionPosted = true;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            g_deletionPosted = false;
            if (g_dispatchDepth == 0) {
                deleteRetiredWindows();
            }
            // Otherwise the scope now open posts again when it closes.
        },
        Qt::QueuedConnection);
}

}  // namespace

void deleteDestroyedWindows() {
    deleteRetiredWindows();
}

DispatchScope::DispatchScope() {
    ++g_dispatchDepth;
}

DispatchScope::~DispatchScope() {
    if (--g_dispatchDepth == 0 && !retiredWindows().empty())
        postDeletion();
}

int WindowHandlerDepth() {
    return g_dispatchDepth;
}

WindowData::WindowData(QWidget* widget) : QObject(widget), widget_(widget) {
    windowsByWidget()[widget] = this;
    HandleRegistry& registry = handles();
    const std::lock_guard lock(registry.mutex);
    // Handles count up and are never reused (a 64-bit count does not run out).
    handle = reinterpret_cast<HWND>(registry.next);
    registry.next += 4;
    registry.windows[handleValue(handle)] = this;
}

WindowData::~WindowData() {
    // The objects still attached forget the widget first: the template's object below goes
    // with this data and must not reach back into it.
    for (CWnd* wnd : std::exchange(attached, {})) wnd->forgetWidget();
    owner = nullptr;
    unregisterHandle(*this);
    auto& byWidget = windowsByWidget();
    if (auto it = byWidget.find(widget_); it != byWidget.end() && it->second == this)
        byWidget.erase(it);
}

WindowData& windowData(QWidget* widget) {
    if (auto* data = findWindowData(widget))
        return *data;
    return *new WindowData(widget);
}

WindowData* findWindowData(const QWidget* widget) {
    if (!widget)
        return nullptr;
    const auto& byWidget = windowsByWidget();
    auto it = byWidget.find(widget);
    return it == byWidget.end() ? nullptr : it->second;
}

WindowData* findWindowData(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    HandleRegistry& registry = handles();
    const std::lock_guard lock(registry.mutex);
    auto it = registry.windows.find(handleValue(hwnd));
    return it == registry.windows.end() ? nullptr : it->second;
}

bool isLiveHandle(HWND hwnd) {
    if (!hwnd)
        return false;
    HandleRegistry& registry = handles();
    const std::lock_guard lock(registry.mutex);
    return registry.windows.count(handleValue(hwnd)) != 0;
}

bool isLiveWindow(const QWidget* widget) {
    const WindowData* data = findWindowData(widget);
    return data && !data->destroyed;
}

void destroyWindowTree(QWidget* widget, bool notify) {
    if (!isLiveWindow(widget))
        return;
    const QPointer<QWidget> guard(widget);
    {
        // OnDestroy handlers may destroy further windows; those wait for this one.
        const DispatchScope scope;
        QList<QWidget*> windows{widget};
        windows += widget->findChildren<QWidget*>();
        if (notify) {
            for (QWidget* w : windows) {
                if (CWnd* wnd = CWnd::fromWidget(w))
                    wnd->OnDestroy();
            }
        }
        if (!guard)
            return;
        // Found again: the handlers may have added or destroyed windows.
        windows = QList<QWidget*>{widget} + widget->findChildren<QWidget*>();
        for (QWidget* w : windows) {
            WindowData* data = findWindowData(w);
            if (!data || data->destroyed)
                continue;
            data->destroyed = true;
            unregisterHandle(*data);
            for (CWnd* wnd : std::exchange(data->attached, {})) wnd->forgetWidget();
            data->owner = nullptr;
            for (auto* timer : w->findChildren<QTimer*>(Qt::FindDirectChildrenOnly)) timer->stop();
            if (data->modalLoop)
                data->modalLoop->abandon();
        }
        widget->hide();
        retiredWindows().emplace_back(widget);
    }
    deleteRetiredWindows();
}

QWidget* parentWindowWidget(const QWidget* widget) {
    for (QWidget* p = widget ? widget->parentWidget() : nullptr; p; p = p->parentWidget()) {
        if (findWindowData(p))
            return p;
    }
    return nullptr;
}

void notifyFromWidget(QWidget* control, NotifyInfo info) {
    WindowData* data = findWindowData(control);
    if (!data || data->destroyed)
        return;
    const DispatchScope scope;
    if (data->owner) {
        info.hwndFrom = data->owner;
        data->owner->SendNotify(info);
        return;
    }
    info.idFrom = data->id;
    if (CWnd* parent = CWnd::fromWidget(parentWindowWidget(control)))
        parent->OnNotify(info);
}

QFont dialogQFont(int points, const WideString& face) {
    CFont font;
    LOGFONT lf;
    lf.lfHeight = -static_cast<LONG>(std::lround(points * screenDpi() / 72.0));
    setFaceName(lf, face);
    font.CreateFontIndirect(&lf);
    return toQFont(font);
}

WndWidget::WndWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void WndWidget::invalidate(bool erase) {
    dirty_ = true;
    erase_ = erase_ || erase;
    update();
}

QImage& WndWidget::backing() {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (backing_.size() != pixels || backing_.isNull()) {
        backing_ = QImage(pixels.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        backing_.setDevicePixelRatio(ratio);
        backing_.fill(toQColor(CWnd::fromWidget(this) ? CWnd::fromWidget(this)->BackgroundColor()
                                                      : GetSysColor(COLOR_BTNFACE)));
        dirty_ = true;
        erase_ = true;
    }
    return backing_;
}

void WndWidget::paintIfInvalid() {
    QImage& image = backing();
    CWnd* wnd = CWnd::fromWidget(this);
    if (!dirty_ || !wnd)
        return;
    dirty_ = false;
    const bool erase = erase_;
    erase_ = false;
    QPainter painter(&image);
    activePainter_ = &painter;
    const DispatchScope scope;
    if (erase) {
        CDC dc;
        attachPainter(dc, painter, image);
        wnd->OnEraseBkgnd(&dc);
    }
    wnd->OnPaint();
    activePainter_ = nullptr;
}

void WndWidget::paintEvent(QPaintEvent*) {
    paintIfInvalid();
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), backing_);
}

namespace {

UINT mouseFlags(const QMouseEvent* e) {
    return (e->buttons() & Qt::LeftButton) ? MK_LBUTTON : 0;
}
CPoint mousePoint(const QMouseEvent* e) {
    QPoint p = e->position().toPoint();
    return {p.x(), p.y()};
}

}  // namespace

void WndWidget::mousePressEvent(QMouseEvent* event) {
    if (CWnd* wnd = CWnd::fromWidget(this); wnd && event->button() == Qt::LeftButton) {
        const DispatchScope scope;
        wnd->OnLButtonDown(mouseFlags(event), mousePoint(event));
    }
}

void WndWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (CWnd* wnd = CWnd::fromWidget(this); wnd && event->button() == Qt::LeftButton) {
        const DispatchScope scope;
        wnd->OnLButtonUp(mouseFlags(event), mousePoint(event));
    }
}

void WndWidget::mouseMoveEvent(QMouseEvent* event) {
    if (CWnd* wnd = CWnd::fromWidget(this)) {
        const DispatchScope scope;
        wnd->OnMouseMove(mouseFlags(event), mousePoint(event));
    }
}

void WndWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    invalidate(true);
    if (CWnd* wnd = CWnd::fromWidget(this)) {
        const DispatchScope scope;
        wnd->OnSize(0, width(), height());
    }
}

void WndWidget::closeEvent(QCloseEvent* event) {
    // The window system's close box is the dialog's Cancel; the dialog decides when it ends.
    event->ignore();
    if (CWnd* wnd = CWnd::fromWidget(this)) {
        const DispatchScope scope;
        wnd->OnKeyCommand(IDCANCEL);
    }
}

void WndWidget::keyPressEvent(QKeyEvent* event) {
    CWnd* wnd = CWnd::fromWidget(this);
    const DispatchScope scope;
    if (wnd && isWindow() && event->key() == Qt::Key_Escape) {
        wnd->OnKeyCommand(IDCANCEL);
    } else if (wnd && isWindow() &&
               (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        wnd->OnKeyCommand(IDOK);
    } else {
        QWidget::keyPressEvent(event);
    }
}

// ---- Top-level windows on the desktop ----

Qt::WindowFlags fixedWindowFlags(bool owned) {
    const Qt::WindowFlags bar = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    return owned ? (Qt::Dialog | bar) : (Qt::Window | bar | Qt::WindowMinimizeButtonHint);
}

QPoint centredWindowPosition(QSize size, const QRect* owner, const QRect& screen) {
    const QRect over = owner ? *owner : screen;
    QPoint at(over.x() + (over.width() - size.width()) / 2,
              over.y() + (over.height() - size.height()) / 2);
    // Never off the screen: the title bar, and with it the way to move the window, stays on it.
    at.setX(std::clamp(at.x(), screen.left(),
                       std::max(screen.left(), screen.x() + screen.width() - size.width())));
    at.setY(std::clamp(at.y(), screen.top(),
                       std::max(screen.top(), screen.y() + screen.height() - size.height())));
    return at;
}

void makePopupWindow(QWidget* window, QWidget* owner) {
    QWidget* ownerWindow = owner ? owner->window() : nullptr;
    if (ownerWindow == window)
        ownerWindow = nullptr;
    window->setParent(ownerWindow,
                      Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
}

void placeFixedWindow(QWidget* window, QWidget* owner) {
    QWidget* ownerWindow = owner ? owner->window() : nullptr;
    if (ownerWindow == window)
        ownerWindow = nullptr;
    window->setParent(ownerWindow, fixedWindowFlags(ownerWindow != nullptr));
    QScreen* screen = ownerWindow ? ownerWindow->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize size = window->size();
    const QRect area = screen->availableGeometry();
    if (!ownerWindow) {
        // The frame the window manager will add is not known yet: the window itself is centred.
        window->setGeometry(QRect(centredWindowPosition(size, nullptr, area), size));
        return;
    }
    // The window manager frames the new window as it framed its owner: frames are centred.
    const QRect ownerFrame = ownerWindow->frameGeometry();
    const QPoint frameToClient = ownerWindow->geometry().topLeft() - ownerFrame.topLeft();
    const QSize frameSize = size + (ownerFrame.size() - ownerWindow->size());
    const QPoint frameAt = centredWindowPosition(frameSize, &ownerFrame, area);
    window->setGeometry(QRect(frameAt + frameToClient, size));
}

}  // namespace zentrix::framework
