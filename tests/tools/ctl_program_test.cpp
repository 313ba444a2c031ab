// zentrixctl as a script runs it: a process of its own, its exit status, and how it ends when
// interrupted or when the reader of its output goes away.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/simulated_receiver.h"
#include "tests/support/test_support.h"
#include "tests/support/testdata.h"

extern char** environ;

namespace zentrix::test {
namespace {

/// zentrixctl started with its standard output on a pipe and its standard error in a file.
class CtlProcess {
  public:
    CtlProcess(const std::vector<std::string>& arguments, const std::filesystem::path& errFile) {
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<char*> argv;
        std::string program = ZENTRIX_CTL_PROGRAM;
        argv.push_back(program.data());
        std::vector<std::string> copies = arguments;
        for (std::string& argument : copies) argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        out_ = pipeFds[0];
    }
    ~CtlProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        closeOutput();
    }

    bool started() const { return pid_ > 0; }
    void signal(int number) const { ::kill(pid_, number); }
    void closeOutput() {
        if (out_ >= 0)
            ::close(out_);
        out_ = -1;
    }

    /// The next whole line of its output, waiting at most `ms` real milliseconds.
    std::optional<std::string> readLine(int ms) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            if (const size_t end = buffer_.find('\n'); end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            pollfd p{out_, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
                return std::nullopt;
            char chunk[4096];
            const ssize_t n = ::read(out_, chunk, sizeof chunk);
            if (n <= 0)
                return std::nullopt;
            buffer_.append(chunk, static_cast<size_t>(n));
        }
    }
    /// Everything it writes until it closes its output.
    std::string rest() {
        std::string all = buffer_;
        char chunk[4096];
        for (ssize_t n; (n = ::read(out_, chunk, sizeof chunk)) > 0;)
            all.append(chunk, static_cast<size_t>(n));
        buffer_.clear();
        return all;
    }

    /// Its exit status once it ended within `ms` real milliseconds; -1 when it did not end, or
    /// 128 + the signal that ended it.
    int wait(int ms) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        int status = 0;
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline)
                return -1;
            ::usleep(10000);
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffer_;
};

class CtlProgram : public ::testing::Test {
  protected:
    /// A plain NMEA receiver on COM3: replaying a real capture at its own pace, over and over:
    /// it answers nothing, and the passive search finds it within a second.
    void startReceiver() {
        simulator_ = startLoopingReplay(testdataPath("gpsd/ublox-f9p-hpnmea.log"), 9600);
        ASSERT_TRUE(simulator_);
    }
    std::string errors() const { return readFile(errFile_); }

    ScratchDeviceRoot root_;
    std::filesystem::path errFile_ = root_.path() / "stderr.txt";
    std::unique_ptr<sim::Simulator> simulator_;
};

TEST_F(CtlProgram, ExitStatusesTellAWrongLineFromAMissingReceiver) {
    {
        CtlProcess ctl({"--help"}, errFile_);
        ASSERT_TRUE(ctl.started());
        EXPECT_NE(ctl.rest().find("sourcetable"), std::string::npos);
        EXPECT_EQ(ctl.wait(10000), 0);
    }
    {
        CtlProcess ctl({"frobnicate"}, errFile_);
        EXPECT_EQ(ctl.rest(), "");
        EXPECT_EQ(ctl.wait(10000), 2);
        EXPECT_EQ(errors().find("zentrixctl: unknown command frobnicate"), 0u) << errors();
    }
    {
        CtlProcess ctl({"--port", (root_.path() / "no-such-tty").string(), "status"}, errFile_);
        EXPECT_EQ(ctl.rest(), "");
        EXPECT_EQ(ctl.wait(10000), 4);
        EXPECT_NE(errors().find("no receiver"), std::string::npos) << errors();
    }
}

// Ctrl-C ends --follow at once and cleanly: whole lines, status 0, the port given back (the next
// run opens it again).
TEST_F(CtlProgram, FollowEndsCleanlyOnInterrupt) {
    startReceiver();
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        CtlProcess ctl({"--receiver", "nmea", "--json", "status", "--follow"}, errFile_);
        ASSERT_TRUE(ctl.started());
        for (int i = 0; i < 2; ++i) {
            const auto line = ctl.readLine(15000);
            ASSERT_TRUE(line) << errors();
            EXPECT_EQ(line->front(), '{') << *line;
        }
        ctl.signal(SIGINT);
        const std::string rest = ctl.rest();
        EXPECT_TRUE(rest.empty() || rest.back() == '\n') << "a line cut short: " << rest;
        EXPECT_EQ(ctl.wait(5000), 0) << errors();
    }
    EXPECT_EQ(simulator_->bytesHeard(), 0u) << "a plain NMEA receiver is never written to";
}

// `zentrixctl status --follow | head -1`: the reader goes away, and zentrixctl ends by itself
// rather than being killed by the broken pipe.
TEST_F(CtlProgram, FollowEndsWhenTheReaderOfItsOutputGoesAway) {
    startReceiver();
    CtlProcess ctl({"--receiver", "nmea", "status", "--follow"}, errFile_);
    ASSERT_TRUE(ctl.readLine(15000)) << errors();
    ctl.closeOutput();
    const int status = ctl.wait(15000);
    EXPECT_NE(status, -1) << "still running after its reader left";
    EXPECT_LT(status, 128) << "ended by a signal";
}

}  // namespace
}  // namespace zentrix::test
