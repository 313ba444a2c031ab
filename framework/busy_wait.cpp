#include "framework/busy_wait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <deque>
#include <utility>
#include <vector>

#include "framework/message_box.h"
#include "framework/wnd.h"

namespace zentrix::framework {
namespace {

// Windows that take input inside waits, and whether waits are given up; window thread only.
std::vector<QPointer<QWidget>> g_responsive;
bool g_waitsAbandoned = false;

bool responsive(const QObject* target) {
    for (const QPointer<QWidget>& window : g_responsive) {
        if (!window)
            continue;
        if (target == window || target == window->windowHandle())
            return true;
        const auto* widget = qobject_cast<const QWidget*>(target);
        if (widget && window->isAncestorOf(widget))
            return true;
    }
    return false;
}

// Events that would run a page's handler: input, and focus changes, which the edit controls
// report to their page (a user who activates another window meanwhile moves the focus).
// Pointer movement into a window only tells Qt where the mouse is, and stays.
bool heldEvent(const QEvent* event) {
    switch (event->type()) {
        case QEvent::Enter:
        case QEvent::HoverEnter:
        case QEvent::HoverMove:
        case QEvent::HoverLeave:
            return false;
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::Shortcut:
            return true;
        default:
            return event->isInputEvent();
    }
}

}  // namespace

class BusyWaitHook::Impl final : public QObject, public platform::WaitHook {
  public:
    void waiting() override {
        QCoreApplication* application = QCoreApplication::instance();
        if (!application)
            return;
        if (!active_) {
            active_ = true;
            // Usually up already around the transaction; this makes sure of it for as long as the
            // thread is held, and nests harmlessly otherwise.
            BeginWaitCursor();
            application->installEventFilter(this);
        }
        // Window-system input stays in Qt's queue under ExcludeUserInputEvents and reaches the
        // windows with the next ordinary round of the event loop, after the wait: a click made
        // meanwhile is delivered late, not lost, as the handheld's message queue kept it.
        // Everything else runs, since the window system's own traffic (exposures, frame
        // callbacks, a Wayland socket) is what repaints; so the framework's timers and posted
        // messages hold themselves back (holdDuringBusyWait), and input that arrives as a posted
        // event is caught by the filter. While a window must answer its input, all input comes
        // in, and the filter keeps what is for the other windows until the wait has ended.
        const bool anyResponsive =
            std::any_of(g_responsive.begin(), g_responsive.end(),
                        [](const QPointer<QWidget>& w) { return !w.isNull(); });
        QCoreApplication::processEvents(anyResponsive ? QEventLoop::AllEvents
                                                      : QEventLoop::ExcludeUserInputEvents);
    }

    bool waitsAbandoned() const override { return g_waitsAbandoned; }

    void waitEnded() override {
        if (!active_)
            return;
        active_ = false;
        if (QCoreApplication* application = QCoreApplication::instance())
            application->removeEventFilter(this);
        EndWaitCursor();
        // Back to the event loop in the order it came: the transaction returns first.
        for (Held& held : std::exchange(held_, {})) {
            if (!held.target)
                continue;
            if (held.event) {
                QCoreApplication::postEvent(held.target, held.event.release());
            } else {
                QMetaObject::invokeMethod(held.target.data(), std::move(held.work),
                                          Qt::QueuedConnection);
            }
        }
    }

    bool active() const { return active_; }

    bool hold(QObject* context, std::function<void()> work, const void* key) {
        if (!active_)
            return false;
        if (key) {
            for (const Held& held : held_) {
                if (held.key == key)
                    return true;
            }
        }
        held_.push_back({context, nullptr, std::move(work), key});
        return true;
    }

  protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (!active_ || !heldEvent(event) || responsive(target))
            return false;
        held_.push_back({target, std::unique_ptr<QEvent>(event->clone()), {}, nullptr});
        return true;
    }

  private:
    struct Held {
        QPointer<QObject> target;
        std::unique_ptr<QEvent> event;  // input for `target`, or else
        std::function<void()> work;     // the framework's own work in `target`'s context
        const void* key;
    };

    bool active_ = false;
    std::deque<Held> held_;
};

namespace {
// The hook of the window thread; everything that asks runs on that thread.
BusyWaitHook::Impl* g_hook = nullptr;
}  // namespace

BusyWaitHook::BusyWaitHook()
    : impl_(std::make_unique<Impl>()), previous_(platform::setWaitHook(impl_.get())) {
    g_hook = impl_.get();
}

BusyWaitHook::~BusyWaitHook() {
    platform::setWaitHook(previous_);
    if (g_hook == impl_.get())
        g_hook = dynamic_cast<Impl*>(previous_);
}

namespace {
BusyWaitHook* g_processHook = nullptr;
}  // namespace

void installBusyWaitHookForProcess() {
    if (!g_processHook)
        g_processHook = new BusyWaitHook;
}

bool busyWaitInProgress() {
    return g_hook && g_hook->active();
}

bool holdDuringBusyWait(QObject* context, std::function<void()> work, const void* key) {
    return g_hook && g_hook->hold(context, std::move(work), key);
}

ResponsiveDuringWaits::ResponsiveDuringWaits(CWnd& window) : window_(window.widget()) {
    g_responsive.emplace_back(window.widget());
}

ResponsiveDuringWaits::~ResponsiveDuringWaits() {
    // Also forgets windows that are gone meanwhile.
    std::erase_if(g_responsive,
                  [this](const QPointer<QWidget>& w) { return w.isNull() || w.data() == window_; });
}

void abandonWaits(bool abandon) {
    g_waitsAbandoned = abandon;
}

bool waitsAbandoned() {
    return g_waitsAbandoned;
}

}  // namespace zentrix::framework

// Qt is not built with ThreadSanitizer. Its raster engine splits large image blends across a
// thread pool of its own (and the windows repaint inside receiver waits, so in the threaded
// tests too), synchronised through futexes the sanitizer cannot see: memory Qt allocates on one
// thread and frees on another reads as a race. The sanitizer ignores what Qt's libraries call
// into it; the program's own memory accesses stay checked. Without the sanitizer nothing reads
// this.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so\n"
           "called_from_lib:libQt6Gui.so\n";
}
