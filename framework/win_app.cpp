#include "framework/win_app.h"

#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "framework/busy_wait.h"
#include "platform/registry.h"

namespace zentrix::framework {

CWinApp::CWinApp(WideString applicationName)
    : applicationName_(applicationName),
      profile_(platform::Registry::device(), std::move(applicationName)) {
    detail::setCurrentApp(this, true);
}

CWinApp::~CWinApp() { detail::setCurrentApp(this, false); }

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
    std::unique_ptr<CWinApp> app = makeApp();
    app->InitInstance();
    const int exitCode = app->ExitInstance();
    app.reset();
    return exitCode;
}

}  // namespace zentrix::framework
