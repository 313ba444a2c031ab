// zentrixctl: the receiver from the command line (see ctl.h).
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <iostream>
#include <string>
#include <vector>

#include "tools/ctl/ctl.h"

namespace {

std::atomic<bool> stopRequested{false};

void onSignal(int) {
    stopRequested = true;
}

}  // namespace

int main(int argc, char** argv) {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait in a system call ends at once and the command sees the stop.
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A reader that goes away (`zentrixctl status --follow | head`) ends the command through a
    // failed write, and the receiver is still given back properly.
    signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return zentrix::ctl::runCtl(arguments, std::cout, std::cerr, stopRequested,
                                ::isatty(STDERR_FILENO) == 1);
}
