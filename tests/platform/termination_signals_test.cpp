// The termination signals as a readable descriptor: caught once, then fatal again; ignored ones
// left ignored; the old dispositions given back.
#include "platform/termination_signals.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <csignal>

namespace zentrix::platform {
namespace {

bool readable(int descriptor) {
    pollfd entry = {descriptor, POLLIN, 0};
    return ::poll(&entry, 1, 0) == 1 && (entry.revents & POLLIN) != 0;
}

sighandler_t dispositionOf(int signal) {
    struct sigaction current = {};
    ::sigaction(signal, nullptr, &current);
    return current.sa_handler;
}

TEST(TerminationSignals, TheFirstSignalIsReadTheSecondEndsTheProcess) {
    EXPECT_EXIT(
        {
            TerminationSignalCatcher catcher;
            if (catcher.descriptor() < 0 || readable(catcher.descriptor()))
                ::_exit(3);
            std::raise(SIGTERM);
            if (!readable(catcher.descriptor()) || catcher.take() != SIGTERM)
                ::_exit(4);
            if (catcher.take() != 0 || readable(catcher.descriptor()))
                ::_exit(5);
            std::raise(SIGTERM);  // a user who insists
            ::_exit(0);
        },
        ::testing::KilledBySignal(SIGTERM), "");
}

TEST(TerminationSignals, SignalsComingTogetherAreTakenAsOne) {
    TerminationSignalCatcher catcher;
    std::raise(SIGHUP);
    std::raise(SIGINT);
    EXPECT_EQ(catcher.take(), SIGINT) << "the latest one";
    EXPECT_FALSE(readable(catcher.descriptor()));
}

TEST(TerminationSignals, AnIgnoredSignalStaysIgnoredAndOldDispositionsComeBack) {
    const sighandler_t before = std::signal(SIGINT, SIG_IGN);
    {
        TerminationSignalCatcher catcher;
        std::raise(SIGINT);
        EXPECT_FALSE(readable(catcher.descriptor())) << "a background job's SIGINT";
        EXPECT_EQ(dispositionOf(SIGINT), SIG_IGN);
        EXPECT_NE(dispositionOf(SIGTERM), SIG_DFL);
    }
    EXPECT_EQ(dispositionOf(SIGINT), SIG_IGN);
    EXPECT_EQ(dispositionOf(SIGTERM), SIG_DFL);
    std::signal(SIGINT, before);
}

}  // namespace
}  // namespace zentrix::platform
