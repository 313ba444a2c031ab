#include "platform/network_line.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <memory>

#include "platform/clock.h"

namespace zentrix::platform {
namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

std::optional<uint16_t> parsePort(std::string_view text) {
    unsigned value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || value == 0 || value > 65535)
        return {};
    return static_cast<uint16_t>(value);
}

// Connects one resolved address within the deadline: 0, or the system error.
int connectOne(int fd, const addrinfo& candidate, Clock::RealClock::time_point deadline) {
    if (::connect(fd, candidate.ai_addr, candidate.ai_addrlen) == 0)
        return 0;
    if (errno != EINPROGRESS && errno != EINTR)
        return errno;
    pollfd p{fd, POLLOUT, 0};
    for (;;) {
        const int n = ::poll(&p, 1, Clock::realMsUntil(deadline));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return ETIMEDOUT;
        break;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return errno;
    return error;
}

}  // namespace

bool isNetworkPortName(std::string_view name) {
    return startsWithNoCase(name, "tcp://") || startsWithNoCase(name, "gpsd://");
}

std::optional<NetworkAddress> parseNetworkPortName(std::string_view name) {
    NetworkAddress address;
    if (startsWithNoCase(name, "tcp://")) {
        name.remove_prefix(6);
    } else if (startsWithNoCase(name, "gpsd://")) {
        address.kind = NetworkAddress::Kind::Gpsd;
        name.remove_prefix(7);
    } else {
        return {};
    }
    // A trailing slash, as a pasted address often has, is no part of the port.
    if (!name.empty() && name.back() == '/')
        name.remove_suffix(1);

    std::string_view host;
    std::string_view rest;
    if (!name.empty() && name.front() == '[') {
        const size_t close = name.find(']');
        if (close == std::string_view::npos)
            return {};
        host = name.substr(1, close - 1);
        rest = name.substr(close + 1);
        if (!rest.empty() && rest.front() != ':')
            return {};
    } else {
        const size_t colon = name.find(':');
        host = name.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view{} : name.substr(colon);
    }
    if (host.empty() || host.find_first_of("/[]") != std::string_view::npos)
        return {};
    address.host = std::string(host);

    if (rest.empty()) {
        if (address.kind == NetworkAddress::Kind::Tcp)
            return {};  // a TCP stream has no usual port
        address.port = kGpsdDefaultPort;
        return address;
    }
    const auto port = parsePort(rest.substr(1));
    if (!port)
        return {};
    address.port = *port;
    return address;
}

int connectNetworkLine(const NetworkAddress& address, uint32_t timeoutMs, int& error) {
    const auto deadline = Clock::deadlineAfter(timeoutMs);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(address.port);
    // getaddrinfo has no time-out of its own; a name that needs a slow resolver waits for it.
    const int resolved = ::getaddrinfo(address.host.c_str(), service.c_str(), &hints, &found);
    if (resolved != 0) {
        error = resolved == EAI_SYSTEM ? errno : EHOSTUNREACH;
        return -1;
    }
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> list(found, &::freeaddrinfo);

    error = EHOSTUNREACH;
    for (const addrinfo* candidate = found; candidate != nullptr; candidate = candidate->ai_next) {
        const int fd =
            ::socket(candidate->ai_family, candidate->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                     candidate->ai_protocol);
        if (fd < 0) {
            error = errno;
            continue;
        }
        error = connectOne(fd, *candidate, deadline);
        if (error == 0) {
            // Sentences are small and a command wants its answer now: no coalescing delay.
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            return fd;
        }
        ::close(fd);
        if (error == ETIMEDOUT)
            break;  // the whole time is spent; the next address gets none
    }
    return -1;
}

size_t GpsdNmeaFilter::filter(const uint8_t* in, size_t size, uint8_t* out) {
    size_t kept = 0;
    for (size_t i = 0; i < size; ++i) {
        const uint8_t c = in[i];
        if (state_ == State::LineStart) {
            if (c == '\r' || c == '\n')
                continue;
            state_ = (c == '$' || c == '!') ? State::Keep : State::Drop;
        }
        if (state_ == State::Keep)
            out[kept++] = c;
        if (c == '\n')
            state_ = State::LineStart;
    }
    return kept;
}

}  // namespace zentrix::platform
