// SIGINT, SIGTERM and SIGHUP as something the event loop can read.
//
// Killed in the middle of its work, the program would leave the receiver with this program's
// outputs switched on and the user's settings unsaved. So while a catcher lives, those signals
// only make a descriptor readable; the window layer reads it in its event loop and ends the
// program as the user's Cancel does. A second signal after the first was taken ends the process
// at once: a user who presses Ctrl-C twice does not want to wait for a silent receiver.
#pragma once

#include <csignal>

namespace zentrix::platform {

class TerminationSignalCatcher {
  public:
    /// Catches the signals until destroyed. A signal the program was started with ignored stays
    /// ignored (a shell's background job ignores SIGINT, and `nohup` SIGHUP).
    TerminationSignalCatcher();
    /// Gives the signals back their dispositions from before.
    ~TerminationSignalCatcher();
    TerminationSignalCatcher(const TerminationSignalCatcher&) = delete;
    TerminationSignalCatcher& operator=(const TerminationSignalCatcher&) = delete;

    /// Readable while a caught signal waits to be taken; -1 when no pipe could be made (the
    /// signals then keep their usual effect).
    int descriptor() const;
    /// The signal that arrived (0 for none). From then on the signals end the process at once.
    int take();

  private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction previous_[3];
    bool caught_[3] = {};
};

}  // namespace zentrix::platform
