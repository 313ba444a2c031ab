// A helper program run as a child process with its standard output on a pipe, for the tests
// that need another process of the user (broadcasts between processes).
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace zentrix::test {

class PeerProcess {
  public:
    /// Starts `program` with `arguments`, inheriting the environment (the device root).
    PeerProcess(const std::string& program, const std::vector<std::string>& arguments) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        std::vector<std::string> args{program};
        args.insert(args.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        out_ = fds[0];
    }
    ~PeerProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            wait();
        }
        if (out_ >= 0)
            ::close(out_);
    }
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    /// The next line of its output without the line feed; empty after `timeoutMs` real time or
    /// at its end. `idle` runs between waits (the test's event loop).
    template <class Idle>
    std::string readLine(int timeoutMs, Idle idle) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (const size_t end = buffer_.find('\n'); end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            if (out_ < 0 || std::chrono::steady_clock::now() >= deadline)
                return {};
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, 10) > 0) {
                char chunk[256];
                const ssize_t n = ::read(out_, chunk, sizeof chunk);
                if (n <= 0) {
                    ::close(out_);
                    out_ = -1;
                    continue;
                }
                buffer_.append(chunk, static_cast<size_t>(n));
            }
            idle();
        }
    }
    std::string readLine(int timeoutMs) {
        return readLine(timeoutMs, [] {});
    }

    /// Waits for its end; its exit status, -1 when it did not exit normally.
    int wait() {
        if (pid_ <= 0)
            return status_;
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return status_;
    }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    int status_ = -1;
    std::string buffer_;
};

}  // namespace zentrix::test
