// The application object of a dialog-based program and the loop around it.
//
// The handheld's framework constructed one application object before anything else, called its
// `InitInstance` (which ran the program's modal dialogs and answered false, so that no message
// loop followed), then `ExitInstance`, then destroyed it. `runApplication` keeps that order on
// Qt: the window system is up before the object is constructed, because construction already
// shows the wait cursor.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "framework/types.h"
#include "platform/app_profile.h"

namespace zentrix::framework {

class CWnd;

class CWinApp {
  public:
    /// `applicationName` names the profile key (Software\<company>\<applicationName>).
    explicit CWinApp(WideString applicationName);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    /// Runs the program; true would start a message loop, which no program here needs.
    virtual bool InitInstance() { return false; }
    /// Runs once after `InitInstance`, whatever it answered; the result is the exit code.
    virtual int ExitInstance() { return 0; }
    /// SIGINT, SIGTERM or SIGHUP arrived: the program is to end as the user's Cancel ends it.
    /// By default the modal windows are cancelled, the innermost first (endModalWindows).
    virtual void OnTerminationRequest();

    /// Names the company of the profile key; until then profile reads give their defaults and
    /// writes report failure.
    void SetRegistryKey(WideStringView company) { profile_.setRegistryKey(company); }
    platform::AppProfile& profile() { return profile_; }
    const WideString& applicationName() const { return applicationName_; }

    /// The window the program regards as its main one while a dialog runs.
    CWnd* m_pMainWnd = nullptr;

  private:
    WideString applicationName_;
    platform::AppProfile profile_;
};

/// The application object of this process while it exists (constructed and not yet destroyed),
/// else null. Message boxes without a caption take its name, as the platform's did.
CWinApp* AfxGetApp();

/// Gives every window of the program that sets no icon of its own, message boxes among them, the
/// icon resource `iconId`.
void setApplicationIcon(UINT iconId);

namespace detail {
/// Called by `CWinApp`'s constructor and destructor.
void setCurrentApp(CWinApp* app, bool current);
}  // namespace detail

/// Cancels the program's modal windows (dialogs, sheets, message boxes) one after the other, the
/// innermost first, each as its close box would (a question is answered Cancel, else No), until
/// none is left; a window that refuses is destroyed. Inside a long receiver wait, this starts
/// when the wait has ended.
void endModalWindows();

/// Why the window system cannot start here, or empty when it can (a display, or a platform
/// chosen with QT_QPA_PLATFORM such as "offscreen").
std::string windowSystemUnavailableReason();

/// Starts the window system, constructs the application object with `makeApp`, runs
/// `InitInstance` and `ExitInstance`, destroys the object and answers the exit code. Without a
/// display it prints why to standard error and answers 1 before anything is constructed.
/// Meanwhile SIGINT, SIGTERM and SIGHUP call the object's `OnTerminationRequest`; a second one
/// ends the process at once.
int runApplication(int argc, char** argv, const std::function<std::unique_ptr<CWinApp>()>& makeApp);

}  // namespace zentrix::framework
