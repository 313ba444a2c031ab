#include "platform/local_channel.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "platform/clock.h"
#include "platform/device_root.h"

namespace zentrix::platform {
namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxMessageBytes = 256;
/// How long the listener gives a connected sender to finish its message; the listener runs on the
/// user-interface thread and must never hang on a sender that stalls.
constexpr int kServeReadMs = 200;

std::string errnoText(int error) {
    return std::generic_category().message(error);
}

/// Only letters, digits, "-" and "_" of a name reach the file system.
std::string fileNameOf(std::string_view name) {
    std::string out;
    for (const char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_';
        out += plain ? c : '_';
    }
    return out;
}

bool fitsAddress(const fs::path& path) {
    return path.native().size() < sizeof(sockaddr_un{}.sun_path);
}

sockaddr_un addressOf(const fs::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.native().size() + 1);
    return address;
}

/// Waits for `events` on `fd` until `deadline`; false on time-out or failure.
bool waitFor(int fd, short events, Clock::RealClock::time_point deadline) {
    pollfd p{fd, events, 0};
    for (;;) {
        const int n = ::poll(&p, 1, Clock::realMsUntil(deadline));
        if (n < 0 && errno == EINTR)
            continue;
        return n > 0 && (p.revents & events) != 0;
    }
}

}  // namespace

bool makePrivateFolder(const fs::path& folder, std::string* error) {
    if (::mkdir(folder.c_str(), 0700) == 0) {
        ::chmod(folder.c_str(), 0700);  // whatever the umask
    } else if (errno != EEXIST) {
        if (error)
            *error = folder.string() + ": " + errnoText(errno);
        return false;
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        if (error)
            *error = folder.string() + ": " + errnoText(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        if (error)
            *error = folder.string() + ": " + errnoText(ENOTDIR);
        return false;
    }
    if (st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        if (error)
            *error = folder.string() + ": open to other users";
        return false;
    }
    return true;
}

fs::path localChannelPath(std::string_view name, std::string* error) {
    const std::string file = fileNameOf(name) + ".sock";
    const fs::path root = deviceRoot();
    if (!createFolders(root)) {
        if (error)
            *error = root.string() + ": cannot be created";
        return {};
    }
    fs::path folder = root / ".channel";
    if (!fitsAddress(folder / file)) {
        // A deep device root: a short folder of the user's own, one per device root.
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        const fs::path base = runtime && *runtime ? fs::path(runtime) : fs::path("/tmp");
        folder = base / ("zentrix-" + std::to_string(::geteuid()) + "-" +
                         std::to_string(std::hash<std::string>{}(root.string())));
    }
    if (!makePrivateFolder(folder, error))
        return {};
    if (!fitsAddress(folder / file)) {
        if (error)
            *error = (folder / file).string() + ": " + errnoText(ENAMETOOLONG);
        return {};
    }
    return folder / file;
}

ChannelReply sendLocalMessage(std::string_view name, std::string_view message, uint32_t timeoutMs) {
    ChannelReply reply;
    const fs::path path = localChannelPath(name, &reply.error);
    if (path.empty())
        return reply;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        reply.error = errnoText(errno);
        return reply;
    }
    const auto deadline = Clock::deadlineAfter(timeoutMs);
    const sockaddr_un address = addressOf(path);
    std::string line(message.substr(0, kMaxMessageBytes - 1));
    line += '\n';
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        reply.error = path.string() + ": " + errnoText(errno);
    } else if (::send(fd, line.data(), line.size(), MSG_NOSIGNAL) !=
               static_cast<ssize_t>(line.size())) {
        reply.error = errnoText(errno);
    } else {
        ::shutdown(fd, SHUT_WR);
        std::string answer;
        char buffer[kMaxMessageBytes];
        for (;;) {
            if (!waitFor(fd, POLLIN, deadline)) {
                reply.error = "no answer";
                break;
            }
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                // The whole answer is in: the listener closes after it.
                reply.delivered = n == 0 && !answer.empty();
                if (!reply.delivered)
                    reply.error = n < 0 ? errnoText(errno) : "no answer";
                break;
            }
            answer.append(buffer, static_cast<size_t>(n));
            if (answer.size() > kMaxMessageBytes)
                break;
        }
        if (reply.delivered) {
            while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r'))
                answer.pop_back();
            reply.answer = answer;
        }
    }
    ::close(fd);
    return reply;
}

LocalChannelListener::~LocalChannelListener() {
    close();
}

bool LocalChannelListener::listen(std::string_view name) {
    close();
    error_.clear();
    const fs::path path = localChannelPath(name, &error_);
    return !path.empty() && listenAt(path);
}

bool LocalChannelListener::listenAt(const fs::path& path) {
    close();
    error_.clear();
    if (!fitsAddress(path)) {
        error_ = path.string() + ": " + errnoText(ENAMETOOLONG);
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error_ = errnoText(errno);
        return false;
    }
    // Only the holder of the name's single-instance lock listens, so a socket found here was left
    // by a listener that has ended.
    ::unlink(path.c_str());
    const sockaddr_un address = addressOf(path);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.c_str(), 0600) != 0 || ::listen(fd, 4) != 0) {
        error_ = path.string() + ": " + errnoText(errno);
        ::close(fd);
        ::unlink(path.c_str());
        return false;
    }
    fd_ = fd;
    path_ = path;
    return true;
}

void LocalChannelListener::close() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    ::unlink(path_.c_str());
    path_.clear();
}

int LocalChannelListener::serve(const std::function<std::string(std::string_view)>& answer) {
    int served = 0;
    while (fd_ >= 0) {
        const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            if (errno == EINTR)
                continue;
            break;  // nobody waiting (EAGAIN), or a sender that gave up
        }
        // The message ends at its line feed or when the sender shuts its side.
        std::string message;
        const auto deadline = Clock::RealClock::now() + std::chrono::milliseconds(kServeReadMs);
        char buffer[kMaxMessageBytes];
        while (message.find('\n') == std::string::npos && message.size() < kMaxMessageBytes) {
            pollfd p{client, POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - Clock::RealClock::now());
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                break;
            const ssize_t n = ::recv(client, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n <= 0)
                break;
            message.append(buffer, static_cast<size_t>(n));
        }
        if (const size_t end = message.find('\n'); end != std::string::npos) {
            message.resize(end);
            const std::string text = answer(message) + "\n";
            ::send(client, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            ++served;
        }
        ::close(client);
    }
    return served;
}

}  // namespace zentrix::platform
