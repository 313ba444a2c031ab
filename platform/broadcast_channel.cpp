#include "platform/broadcast_channel.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <system_error>

#include "platform/clock.h"

namespace zentrix::platform {
namespace fs = std::filesystem;

namespace {

constexpr char kPrefix[] = "broadcast-";
constexpr char kSuffix[] = ".sock";
constexpr size_t kIdDigits = 10;
constexpr size_t kMaxTextBytes = 200;

/// The channel name of listener `id`; local_channel.h adds the suffix.
std::string channelName(long id) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*ld", static_cast<int>(kIdDigits), id);
    return std::string(kPrefix) + digits;
}

/// The listener id a socket file name stands for, or nothing for any other name.
std::optional<long> listenerId(const std::string& name) {
    const size_t prefix = sizeof kPrefix - 1;
    const size_t suffix = sizeof kSuffix - 1;
    if (name.size() != prefix + kIdDigits + suffix || name.compare(0, prefix, kPrefix) != 0 ||
        name.compare(prefix + kIdDigits, suffix, kSuffix) != 0) {
        return std::nullopt;
    }
    long id = 0;
    for (size_t i = prefix; i < prefix + kIdDigits; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return std::nullopt;
        id = id * 10 + (name[i] - '0');
    }
    return id;
}

bool processExists(long id) {
    // EPERM: it exists, it is only not ours to signal.
    return id > 0 && (::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM);
}

enum class Delivery { Reached, Refused, Failed, Gone };

Delivery deliver(const fs::path& path, std::string_view line, uint32_t timeoutMs) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return Delivery::Failed;
    // A listener whose queue is full makes connect wait: never longer than the time-out (0
    // would mean for ever).
    const int realMs = std::max(1, Clock::realMsUntil(Clock::deadlineAfter(timeoutMs)));
    timeval limit{realMs / 1000, (realMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.native().size() + 1);
    Delivery result = Delivery::Failed;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno == ECONNREFUSED)
            result = Delivery::Refused;
        else if (errno == ENOENT)
            result = Delivery::Gone;
    } else if (::send(fd, line.data(), line.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(line.size())) {
        result = Delivery::Reached;
    }
    ::close(fd);
    return result;
}

}  // namespace

fs::path broadcastFolder(std::string* error) {
    // Every listener's name has this length, so the folder chosen for it is theirs too.
    const fs::path path = localChannelPath(channelName(0), error);
    return path.empty() ? path : path.parent_path();
}

std::string broadcastSocketName(long id) {
    return channelName(id) + kSuffix;
}

BroadcastResult sendBroadcast(std::string_view text, uint32_t timeoutMs) {
    BroadcastResult result;
    const fs::path folder = broadcastFolder(&result.error);
    if (folder.empty())
        return result;
    std::string line(text.substr(0, std::min(text.find('\n'), kMaxTextBytes)));
    line += '\n';
    const long self = ::getpid();
    std::error_code walkError;
    for (fs::directory_iterator it(folder, walkError), end; !walkError && it != end;
         it.increment(walkError)) {
        const std::string name = it->path().filename().string();
        const auto id = listenerId(name);
        if (!id || *id == self)
            continue;
        // lstat: a link is not a socket, even one that points at a listener.
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISSOCK(st.st_mode) ||
            st.st_uid != ::geteuid()) {
            continue;
        }
        switch (deliver(it->path(), line, timeoutMs)) {
            case Delivery::Reached:
                ++result.reached;
                break;
            case Delivery::Refused:
                // Nobody listens. A live process may be between binding and listening, or have
                // taken a dead one's number: only an ended process's socket goes.
                if (processExists(*id)) {
                    ++result.failed;
                } else {
                    ::unlink(it->path().c_str());
                    ++result.stale;
                }
                break;
            case Delivery::Failed:
                ++result.failed;
                break;
            case Delivery::Gone:
                break;
        }
    }
    if (walkError)
        result.error = folder.string() + ": " + walkError.message();
    return result;
}

bool BroadcastListener::listen(long id) {
    return channel_.listen(channelName(id));
}

int BroadcastListener::receive(const std::function<void(std::string_view)>& onText) {
    return channel_.serve([&onText](std::string_view text) {
        onText(text);
        return std::string("ok");
    });
}

}  // namespace zentrix::platform
