#include "framework/window_proc.h"

#include <sys/eventfd.h>

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "framework/busy_wait.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/qt_window.h"

namespace zentrix::framework {
namespace {

std::map<WideString, WNDCLASS>& classes() {
    static std::map<WideString, WNDCLASS> registered;
    return registered;
}

// Messages from controls: WM_COMMAND for the command-style codes, WM_NOTIFY for the others.
bool isNotifyCode(UINT code) {
    return code >= 0x80000000u;
}

template <class Base>
LRESULT deliver(Base& window, LRESULT (*procedure)(HWND, UINT, WPARAM, LPARAM), UINT message,
                WPARAM wParam, LPARAM lParam) {
    return procedure ? procedure(window.GetSafeHwnd(), message, wParam, lParam) : 0;
}

LRESULT notifyMessage(CWnd& window, DLGPROC procedure, const NotifyInfo& info) {
    if (isNotifyCode(info.code)) {
        return deliver(window, procedure, WM_NOTIFY, info.idFrom, reinterpret_cast<LPARAM>(&info));
    }
    if (dynamic_cast<CSliderCtrl*>(info.hwndFrom)) {
        return deliver(window, procedure, WM_HSCROLL,
                       MAKEWPARAM(info.code, static_cast<UINT>(info.nPos)),
                       reinterpret_cast<LPARAM>(info.hwndFrom->GetSafeHwnd()));
    }
    return deliver(
        window, procedure, WM_COMMAND, MAKEWPARAM(info.idFrom, info.code),
        reinterpret_cast<LPARAM>(info.hwndFrom ? info.hwndFrom->GetSafeHwnd() : nullptr));
}

class RawWindow : public CWnd {
  public:
    explicit RawWindow(WNDPROC procedure) : procedure_(procedure) {}
    LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) {
        return deliver(*this, procedure_, message, wParam, lParam);
    }
    void OnPaint() override { send(WM_PAINT, 0, 0); }
    bool OnEraseBkgnd(CDC* dc) override {
        return send(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) != 0;
    }
    void OnTimer(UINT_PTR id) override { send(WM_TIMER, id, 0); }
    void OnLButtonDown(UINT flags, CPoint p) override {
        send(WM_LBUTTONDOWN, flags, MAKELPARAM(p.x, p.y));
    }
    void OnLButtonUp(UINT flags, CPoint p) override {
        send(WM_LBUTTONUP, flags, MAKELPARAM(p.x, p.y));
    }
    void OnMouseMove(UINT flags, CPoint p) override {
        send(WM_MOUSEMOVE, flags, MAKELPARAM(p.x, p.y));
    }
    void OnSize(UINT type, int cx, int cy) override { send(WM_SIZE, type, MAKELPARAM(cx, cy)); }
    void OnDestroy() override { send(WM_DESTROY, 0, 0); }
    bool OnNotify(const NotifyInfo& info) override {
        notifyMessage(*this, procedure_, info);
        return true;
    }

  private:
    WNDPROC procedure_;
};

class RawDialog : public CDialog {
  public:
    RawDialog(UINT templateId, DLGPROC procedure, LPARAM param)
        : CDialog(templateId), procedure_(procedure), param_(param) {}
    LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) {
        return deliver(*this, procedure_, message, wParam, lParam);
    }
    bool OnInitDialog() override { return send(WM_INITDIALOG, 0, param_) != 0; }
    void OnTimer(UINT_PTR id) override { send(WM_TIMER, id, 0); }
    void OnPaint() override {
        if (!send(WM_PAINT, 0, 0))
            CDialog::OnPaint();
    }
    void OnLButtonDown(UINT flags, CPoint p) override {
        send(WM_LBUTTONDOWN, flags, MAKELPARAM(p.x, p.y));
    }
    void OnLButtonUp(UINT flags, CPoint p) override {
        send(WM_LBUTTONUP, flags, MAKELPARAM(p.x, p.y));
    }
    void OnDestroy() override { send(WM_DESTROY, 0, 0); }
    bool OnNotify(const NotifyInfo& info) override {
        notifyMessage(*this, procedure_, info);
        return true;
    }
    // The procedure decides what OK and Cancel do.
    void OnOK() override {}
    void OnCancel() override {}

  private:
    DLGPROC procedure_;
    LPARAM param_;
};

// Windows and modeless dialogs made here live until DestroyWindow.
std::map<HWND, std::unique_ptr<CWnd>>& owned() {
    static std::map<HWND, std::unique_ptr<CWnd>> windows;
    return windows;
}

}  // namespace

namespace {

// Posted messages. Any thread may post (a reader thread telling a window that data arrived), so
// the queue has a lock of its own and wakes the window thread through an event descriptor, which
// a socket notifier there watches; nothing of Qt is touched off the window thread.
struct PostedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct PostQueue {
    std::mutex mutex;
    std::vector<PostedMessage> messages;
    bool wakePending = false;
    int wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
};

PostQueue& postQueue() {
    // Never destroyed: reader threads may still post while the program ends.
    static auto* queue = new PostQueue;
    return *queue;
}

void deliverPosted(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowData* data = findWindowData(window);
    if (!data)
        return;
    // Not inside a long receiver wait: the message waits for its end, as it would have in the
    // platform's queue.
    const auto later = [=] { deliverPosted(window, message, wParam, lParam); };
    if (holdDuringBusyWait(data->widget(), later))
        return;
    const DispatchScope scope;
    SendMessage(window, message, wParam, lParam);
}

void deliverQueue() {
    PostQueue& queue = postQueue();
    eventfd_t count = 0;
    eventfd_read(queue.wakeFd, &count);
    std::vector<PostedMessage> messages;
    {
        const std::lock_guard lock(queue.mutex);
        messages.swap(queue.messages);
        queue.wakePending = false;
    }
    for (const PostedMessage& m : messages) deliverPosted(m.window, m.message, m.wParam, m.lParam);
}

// On the window thread, before a window that can receive messages exists.
void watchPostQueue() {
    static QPointer<QSocketNotifier> notifier;
    if (notifier || postQueue().wakeFd < 0 || !QCoreApplication::instance())
        return;
    notifier = new QSocketNotifier(postQueue().wakeFd, QSocketNotifier::Read,
                                   QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] { deliverQueue(); });
}

}  // namespace

bool RegisterClass(const WNDCLASS* windowClass) {
    if (!windowClass || windowClass->lpszClassName.empty() || !windowClass->lpfnWndProc) {
        return false;
    }
    return classes().emplace(windowClass->lpszClassName, *windowClass).second;
}

bool UnregisterClass(WideStringView className, HINSTANCE) {
    return classes().erase(WideString(className)) != 0;
}

HWND CreateWindow(WideStringView className, WideStringView title, DWORD style, int x, int y,
                  int width, int height, HWND parent, UINT id, HINSTANCE, LPARAM param) {
    auto it = classes().find(WideString(className));
    if (it == classes().end())
        return nullptr;
    watchPostQueue();
    auto window = std::make_unique<RawWindow>(it->second.lpfnWndProc);
    CWnd* parentWnd = CWnd::FromHandle(parent);
    if (!window->Create(title, style & ~WS_VISIBLE, CRect(x, y, x + width, y + height), parentWnd,
                        id)) {
        return nullptr;
    }
    HWND hwnd = window->GetSafeHwnd();
    if (window->send(WM_CREATE, 0, param) == -1) {
        window->DestroyWindow();
        return nullptr;
    }
    if (style & WS_VISIBLE)
        window->ShowWindow(SW_SHOW);
    owned()[hwnd] = std::move(window);
    return hwnd;
}

bool DestroyWindow(HWND window) {
    CWnd* wnd = CWnd::FromHandle(window);
    if (!wnd)
        return false;
    auto it = owned().find(window);
    wnd->DestroyWindow();
    if (it != owned().end())
        owned().erase(it);
    return true;
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandle(window);
    if (auto* raw = dynamic_cast<RawWindow*>(wnd))
        return raw->send(message, wParam, lParam);
    if (auto* dialog = dynamic_cast<RawDialog*>(wnd))
        return dialog->send(message, wParam, lParam);
    return 0;
}

bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!isLiveHandle(window))
        return false;
    PostQueue& queue = postQueue();
    bool wake = false;
    {
        const std::lock_guard lock(queue.mutex);
        queue.messages.push_back({window, message, wParam, lParam});
        wake = !std::exchange(queue.wakePending, true);
    }
    if (wake && queue.wakeFd >= 0)
        eventfd_write(queue.wakeFd, 1);
    return true;
}

LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    CWnd* wnd = CWnd::FromHandle(window);
    if (!wnd)
        return 0;
    if (message == WM_ERASEBKGND) {
        auto* dc = reinterpret_cast<CDC*>(wParam);
        return dc ? wnd->CWnd::OnEraseBkgnd(dc) : 0;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
    }
    return 0;
}

CDC* BeginPaint(HWND window, PAINTSTRUCT* paint) {
    CWnd* wnd = CWnd::FromHandle(window);
    if (!wnd || !paint)
        return nullptr;
    auto* dc = new CPaintDC(wnd);
    paint->hdc = dc;
    paint->fErase = false;
    paint->rcPaint = dc->m_rcPaint;
    return dc;
}

bool EndPaint(HWND, const PAINTSTRUCT* paint) {
    if (!paint || !paint->hdc)
        return false;
    delete static_cast<CPaintDC*>(paint->hdc);
    return true;
}

bool InvalidateRect(HWND window, const CRect* rect, bool erase) {
    CWnd* wnd = CWnd::FromHandle(window);
    if (!wnd)
        return false;
    wnd->InvalidateRect(rect, erase);
    return true;
}

bool UpdateWindow(HWND window) {
    CWnd* wnd = CWnd::FromHandle(window);
    if (!wnd)
        return false;
    wnd->UpdateWindow();
    return true;
}

bool GetClientRect(HWND window, CRect* rect) {
    CWnd* wnd = CWnd::FromHandle(window);
    if (!wnd || !rect)
        return false;
    wnd->GetClientRect(rect);
    return true;
}

bool MoveWindow(HWND window, int x, int y, int width, int height, bool repaint) {
    CWnd* wnd = CWnd::FromHandle(window);
    if (!wnd)
        return false;
    wnd->MoveWindow(x, y, width, height, repaint);
    return true;
}

bool ShowWindow(HWND window, int command) {
    CWnd* wnd = CWnd::FromHandle(window);
    return wnd && wnd->ShowWindow(command);
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs, void*) {
    CWnd* wnd = CWnd::FromHandle(window);
    return wnd ? wnd->SetTimer(id, elapseMs) : 0;
}

bool KillTimer(HWND window, UINT_PTR id) {
    CWnd* wnd = CWnd::FromHandle(window);
    return wnd && wnd->KillTimer(id);
}

HWND GetParent(HWND window) {
    CWnd* wnd = CWnd::FromHandle(window);
    CWnd* parent = wnd ? wnd->GetParent() : nullptr;
    return parent ? parent->GetSafeHwnd() : nullptr;
}

HWND GetDlgItem(HWND dialog, UINT id) {
    CWnd* wnd = CWnd::FromHandle(dialog);
    CWnd* item = wnd ? wnd->GetDlgItem(id) : nullptr;
    return item ? item->GetSafeHwnd() : nullptr;
}

bool SetDlgItemText(HWND dialog, UINT id, WideStringView text) {
    CWnd* wnd = CWnd::FromHandle(dialog);
    if (!wnd || !wnd->GetDlgItem(id))
        return false;
    wnd->SetDlgItemText(id, text);
    return true;
}

LPARAM SetWindowUserData(HWND window, LPARAM value) {
    // Kept with the window, so it goes with it.
    WindowData* data = findWindowData(window);
    return data ? std::exchange(data->userData, value) : 0;
}

LPARAM GetWindowUserData(HWND window) {
    WindowData* data = findWindowData(window);
    return data ? data->userData : 0;
}

LRESULT DialogBoxParam(HINSTANCE, UINT templateId, HWND parent, DLGPROC procedure, LPARAM param) {
    watchPostQueue();
    RawDialog dialog(templateId, procedure, param);
    (void)parent;
    const LRESULT result = dialog.DoModal();
    return result;
}

HWND CreateDialogParam(HINSTANCE, UINT templateId, HWND parent, DLGPROC procedure, LPARAM param) {
    watchPostQueue();
    auto dialog = std::make_unique<RawDialog>(templateId, procedure, param);
    if (!dialog->Create(templateId, CWnd::FromHandle(parent)))
        return nullptr;
    HWND hwnd = dialog->GetSafeHwnd();
    owned()[hwnd] = std::move(dialog);
    return hwnd;
}

bool EndDialog(HWND dialog, LRESULT result) {
    auto* wnd = dynamic_cast<CDialog*>(CWnd::FromHandle(dialog));
    if (!wnd)
        return false;
    wnd->EndDialog(static_cast<int>(result));
    return true;
}

}  // namespace zentrix::framework
