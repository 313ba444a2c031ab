#include "framework/win_app.h"

#include <QApplication>
#include <QAbstractButton>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "framework/busy_wait.h"
#include "framework/wnd.h"
#include "platform/registry.h"
#include "platform/termination_signals.h"

namespace zentrix::framework {

namespace {

/// How often a window may answer its close box by staying open before the ending destroys it.
constexpr int kRefusalsBeforeDestroy = 3;
/// Time for a cancelled window's wait to return before the next window is looked at.
constexpr int kEndingStepMs = 10;

// The modal window the ending cancelled last, and how often it stayed.
QPointer<QWidget> g_lastCancelled;
int g_refusals = 0;

// The window's close box; a question is answered as declined (Cancel, else No), never with its
// default, which may be Yes to "Power off?".
void cancel(QWidget* window) {
    if (auto* box = qobject_cast<QMessageBox*>(window)) {
        QAbstractButton* declined = box->button(QMessageBox::Cancel);
        if (!declined)
            declined = box->button(QMessageBox::No);
        if (declined) {
            declined->click();
            return;
        }
    }
    window->close();
}

void endNextModalWindow() {
    // Not inside a receiver wait: a dialog's Cancel handler may itself talk to the receiver.
    static const char heldKey = 0;
    if (holdDuringBusyWait(qApp, endNextModalWindow, &heldKey))
        return;
    QWidget* top = QApplication::activeModalWidget();
    if (!top) {
        g_lastCancelled = nullptr;
        return;
    }
    g_refusals = top == g_lastCancelled ? g_refusals + 1 : 0;
    g_lastCancelled = top;
    if (g_refusals < kRefusalsBeforeDestroy) {
        cancel(top);
    } else if (CWnd* window = CWnd::fromWidget(top)) {
        window->DestroyWindow();
    } else if (auto* dialog = qobject_cast<QDialog*>(top)) {
        dialog->reject();
    } else {
        top->hide();
    }
    QTimer::singleShot(kEndingStepMs, qApp, endNextModalWindow);
}

}  // namespace

void endModalWindows() {
    endNextModalWindow();
}

void CWinApp::OnTerminationRequest() {
    endModalWindows();
}

CWinApp::CWinApp(WideString applicationName)
    : applicationName_(applicationName),
      profile_(platform::Registry::device(), std::move(applicationName)) {
    detail::setCurrentApp(this, true);
}

CWinApp::~CWinApp() {
    detail::setCurrentApp(this, false);
}

std::string windowSystemUnavailableReason() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    if (set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY"))
        return {};
    return "No display: neither DISPLAY nor WAYLAND_DISPLAY is set. Run this from a desktop "
           "session, or over SSH with X forwarding (ssh -X), or headless with "
           "QT_QPA_PLATFORM=offscreen (nothing is shown then).";
}

int runApplication(int argc, char** argv,
                   const std::function<std::unique_ptr<CWinApp>()>& makeApp) {
    if (const std::string reason = windowSystemUnavailableReason(); !reason.empty()) {
        std::fprintf(stderr, "%s\n", reason.c_str());
        return 1;
    }
    QApplication qtApplication(argc, argv);
    // Qt has just set the C library's locale from the user's environment; numbers keep the
    // handheld's "." in every printf and strtod, whatever the desktop's language.
    std::setlocale(LC_NUMERIC, "C");
    // Long receiver waits on this thread keep the windows painted (busy_wait.h).
    BusyWaitHook busyWait;
    // Dialogs end the program by returning from InitInstance, not by closing the last window.
    QApplication::setQuitOnLastWindowClosed(false);
    // Before the application object: its construction already looks for the receiver.
    platform::TerminationSignalCatcher terminationSignals;
    std::unique_ptr<QSocketNotifier> signalNotifier;
    if (terminationSignals.descriptor() >= 0) {
        signalNotifier = std::make_unique<QSocketNotifier>(terminationSignals.descriptor(),
                                                           QSocketNotifier::Read);
        QObject::connect(signalNotifier.get(), &QSocketNotifier::activated, [&terminationSignals] {
            if (terminationSignals.take() == 0)
                return;
            std::fprintf(stderr, "%s: ending as Cancel does; a second signal ends it at once\n",
                         qPrintable(QCoreApplication::applicationName()));
            if (CWinApp* current = AfxGetApp())
                current->OnTerminationRequest();
        });
    }
    std::unique_ptr<CWinApp> app = makeApp();
    app->InitInstance();
    const int exitCode = app->ExitInstance();
    app.reset();
    return exitCode;
}

}  // namespace zentrix::framework
