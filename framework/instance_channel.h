// The program's end of its local channel: a second start of the program asks through it for the
// running one's window.
#pragma once

#include <memory>
#include <string>

namespace zentrix::framework {

/// What a second start sends, and what the running program answers.
inline constexpr char kRaiseMessage[] = "raise";
inline constexpr char kRaisedAnswer[] = "raised";
inline constexpr char kNoWindowAnswer[] = "no window";

/// Listens on channel `name` (platform/local_channel.h) for as long as it lives, on the
/// user-interface thread: each message is answered between the thread's events. "raise" shows,
/// raises and activates the application's main window (`CWinApp::m_pMainWnd`) and answers
/// "raised", or "no window" while there is none (the program is still looking for its receiver).
class InstanceChannel {
  public:
    explicit InstanceChannel(const std::string& name);
    ~InstanceChannel();
    InstanceChannel(const InstanceChannel&) = delete;
    InstanceChannel& operator=(const InstanceChannel&) = delete;

    bool listening() const;
    /// Why it does not listen.
    const std::string& error() const;
    /// Answers the messages waiting now (the user-interface thread does this by itself).
    int serveNow();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zentrix::framework
