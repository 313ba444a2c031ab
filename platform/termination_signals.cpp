#include "platform/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace zentrix::platform {
namespace {

// One pipe for the process, made on first use and kept: a handler may still write to it while
// a catcher goes away.
int g_pipe[2] = {-1, -1};

bool ensurePipe() {
    if (g_pipe[0] >= 0)
        return true;
    int ends[2];
    if (::pipe(ends) != 0)
        return false;
    for (const int end : ends) {
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
        ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
    }
    g_pipe[0] = ends[0];
    g_pipe[1] = ends[1];
    return true;
}

void onSignal(int signal) {
    // Only what is safe in a handler: one byte into a non-blocking pipe; a full pipe already
    // says that a signal waits.
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

TerminationSignalCatcher::TerminationSignalCatcher() {
    if (!ensurePipe())
        return;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) {
        if (::sigaction(kSignals[i], nullptr, &previous_[i]) != 0 ||
            previous_[i].sa_handler == SIG_IGN)
            continue;
        caught_[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

TerminationSignalCatcher::~TerminationSignalCatcher() {
    for (int i = 0; i < 3; ++i) {
        if (caught_[i])
            ::sigaction(kSignals[i], &previous_[i], nullptr);
    }
}

int TerminationSignalCatcher::descriptor() const {
    return g_pipe[0];
}

int TerminationSignalCatcher::take() {
    int signal = 0;
    unsigned char byte = 0;
    while (g_pipe[0] >= 0 && ::read(g_pipe[0], &byte, 1) == 1) signal = byte;
    if (signal == 0)
        return 0;
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    for (int i = 0; i < 3; ++i) {
        if (caught_[i])
            ::sigaction(kSignals[i], &fallback, nullptr);
    }
    return signal;
}

}  // namespace zentrix::platform
