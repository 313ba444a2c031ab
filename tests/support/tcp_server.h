// A TCP server on a free loopback port for tests of network lines: each accepted connection is
// handed to the test's function on a thread of its own.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace zentrix::test {

/// A listening socket on 127.0.0.1 with a port the system chose. `serve(fd)` runs for one
/// connection at a time, `connections` times; the connection is closed when it returns.
class LoopbackServer {
public:
    explicit LoopbackServer(std::function<void(int)> serve = {}, int connections = 1,
                            int backlog = 4)
        : serve_(std::move(serve)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 ||
            ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(listener_, backlog) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        port_ = ntohs(address.sin_port);
        if (!serve_)
            return;  // nobody accepts: connections wait in the backlog
        thread_ = std::thread([this, connections] {
            for (int i = 0; i < connections; ++i) {
                const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
                if (fd < 0)
                    return;
                serve_(fd);
                ::close(fd);
            }
        });
    }
    ~LoopbackServer() {
        if (listener_ >= 0)
            ::shutdown(listener_, SHUT_RDWR);  // wakes a pending accept
        if (thread_.joinable())
            thread_.join();
        if (listener_ >= 0)
            ::close(listener_);
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    uint16_t port() const { return port_; }
    std::string url(std::string_view scheme = "tcp") const {
        return std::string(scheme) + "://127.0.0.1:" + std::to_string(port_);
    }

    static bool sendAll(int fd, std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }

private:
    std::function<void(int)> serve_;
    int listener_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
};

/// A loopback port that was free a moment ago, for programs that must be told one to listen on.
inline uint16_t freeLoopbackPort() {
    LoopbackServer probe;
    return probe.port();
}

}  // namespace zentrix::test
