#include "platform/broadcast_channel.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>
#include <system_error>
#include <vector>

#include "platform/clock.h"
#include "platform/descriptor.h"
#include "platform/device_root.h"

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

/// One line of at most kMaxTextBytes, ended by its line feed.
std::string lineOf(std::string_view text) {
    std::string line(text.substr(0, std::min(text.find('\n'), kMaxTextBytes)));
    line += '\n';
    return line;
}

/// Listeners already reached, so that one registered in two folders hears a broadcast once.
using ReachedIds = std::set<long>;

/// Counts one delivery to listener `id`; `removeStale` removes its socket.
template <class RemoveStale>
void tally(Delivery delivery, long id, ReachedIds& reached, BroadcastResult& result,
           RemoveStale removeStale) {
    switch (delivery) {
        case Delivery::Reached:
            ++result.reached;
            reached.insert(id);
            break;
        case Delivery::Refused:
            // Nobody listens. A live process may be between binding and listening, or have
            // taken a dead one's number: only an ended process's socket goes.
            if (processExists(id)) {
                ++result.failed;
            } else {
                removeStale();
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

/// The listeners in the device root's folder.
void sendInDeviceRoot(const std::string& line, uint32_t timeoutMs, ReachedIds& reached,
                      BroadcastResult& result) {
    const fs::path folder = broadcastFolder(&result.error);
    if (folder.empty())
        return;
    const long self = ::getpid();
    std::error_code walkError;
    for (fs::directory_iterator it(folder, walkError), end; !walkError && it != end;
         it.increment(walkError)) {
        const std::string name = it->path().filename().string();
        const auto id = listenerId(name);
        if (!id || *id == self || reached.count(*id))
            continue;
        // lstat: a link is not a socket, even one that points at a listener.
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISSOCK(st.st_mode) ||
            st.st_uid != ::geteuid()) {
            continue;
        }
        const fs::path path = it->path();
        tally(deliver(path, line, timeoutMs), *id, reached, result,
              [&path] { ::unlink(path.c_str()); });
    }
    if (walkError)
        result.error = folder.string() + ": " + walkError.message();
}

/// The listeners in the open runtime folder `folderFd` of user `owner`. Every step goes through
/// descriptors, never through the path again, so the user cannot swap in a link between the
/// check and the use: a socket is opened without following links, checked, and connected to
/// through its own descriptor.
void sendInSessionFolder(int folderFd, uid_t owner, const std::string& line, uint32_t timeoutMs,
                         ReachedIds& reached, BroadcastResult& result) {
    DIR* listing = ::fdopendir(::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!listing)
        return;
    const long self = ::getpid();
    // A user's folder gets a few listeners' time at most: sockets that never take their line
    // must not hold up an installer that speaks to every user.
    const auto budget = Clock::deadlineAfter(4 * timeoutMs);
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        const auto id = listenerId(name);
        if (!id || *id == self || reached.count(*id))
            continue;
        const Descriptor socketFile(
            ::openat(folderFd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat st {};
        if (socketFile.fd < 0 || ::fstat(socketFile.fd, &st) != 0 || !S_ISSOCK(st.st_mode) ||
            st.st_uid != owner) {
            continue;
        }
        if (Clock::realMsUntil(budget) == 0) {
            ++result.failed;
            break;
        }
        Delivery delivery =
            deliver("/proc/self/fd/" + std::to_string(socketFile.fd), line, timeoutMs);
        if (delivery == Delivery::Gone)
            delivery = Delivery::Failed;  // the file is held open: it is /proc that is missing
        tally(delivery, *id, reached, result,
              [folderFd, &name] { ::unlinkat(folderFd, name.c_str(), 0); });
    }
    ::closedir(listing);
}

/// The uid a runtime folder name stands for: digits only.
std::optional<uid_t> uidOf(const std::string& name) {
    if (name.empty() || name.size() > 10)
        return std::nullopt;
    unsigned long uid = 0;
    for (const char c : name) {
        if (c < '0' || c > '9')
            return std::nullopt;
        uid = uid * 10 + static_cast<unsigned long>(c - '0');
    }
    return uid <= 0xFFFFFFFEul ? std::optional<uid_t>(static_cast<uid_t>(uid)) : std::nullopt;
}

/// The listeners registered in the runtime folders: every user's as root, else this user's.
void sendInSessions(const std::string& line, uint32_t timeoutMs, ReachedIds& reached,
                    BroadcastResult& result) {
    const fs::path base = runtimeBase();
    const Descriptor baseFd(::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (baseFd.fd < 0) {
        if (errno != ENOENT && result.error.empty())
            result.error = base.string() + ": " + std::generic_category().message(errno);
        return;  // no sessions on this machine: nobody to reach there
    }
    std::vector<std::string> users;
    if (::geteuid() == 0) {
        if (DIR* listing = ::fdopendir(::openat(baseFd.fd, ".", O_RDONLY | O_DIRECTORY))) {
            while (const dirent* entry = ::readdir(listing)) users.emplace_back(entry->d_name);
            ::closedir(listing);
        }
    } else {
        users.push_back(std::to_string(::geteuid()));
    }
    for (const std::string& name : users) {
        const auto uid = uidOf(name);
        if (!uid)
            continue;
        // The session folder, then its "zentrix", each the user's own and no link; the latter
        // closed to everyone else.
        const Descriptor session(
            ::openat(baseFd.fd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat st {};
        if (session.fd < 0 || ::fstat(session.fd, &st) != 0 || !S_ISDIR(st.st_mode) ||
            st.st_uid != *uid) {
            continue;
        }
        const Descriptor folder(
            ::openat(session.fd, "zentrix", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (folder.fd < 0 || ::fstat(folder.fd, &st) != 0 || !S_ISDIR(st.st_mode) ||
            st.st_uid != *uid || (st.st_mode & 077) != 0) {
            continue;
        }
        sendInSessionFolder(folder.fd, *uid, line, timeoutMs, reached, result);
    }
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

fs::path runtimeBase() {
    const char* base = std::getenv("ZENTRIX_RUNTIME_BASE");
    return base && *base ? fs::path(base) : fs::path("/run/user");
}

fs::path userBroadcastFolder(uid_t uid) {
    return runtimeBase() / std::to_string(uid) / "zentrix";
}

BroadcastResult sendBroadcast(std::string_view text, uint32_t timeoutMs) {
    BroadcastResult result;
    ReachedIds reached;
    sendInDeviceRoot(lineOf(text), timeoutMs, reached, result);
    return result;
}

BroadcastResult sendBroadcastToEveryUser(std::string_view text, uint32_t timeoutMs) {
    BroadcastResult result;
    ReachedIds reached;
    const std::string line = lineOf(text);
    // Root has no device root of its own here: its home is never touched.
    std::error_code error;
    if (::geteuid() != 0 && fs::is_directory(deviceRoot(), error))
        sendInDeviceRoot(line, timeoutMs, reached, result);
    sendInSessions(line, timeoutMs, reached, result);
    return result;
}

BroadcastListener::~BroadcastListener() {
    close();
}

void BroadcastListener::close() {
    if (pollFd_ >= 0) {
        ::close(pollFd_);
        pollFd_ = -1;
    }
    session_.close();
    channel_.close();
}

void BroadcastListener::listenInSession(long id) {
    // Only a session folder the user's login made (owned, not a link); without one, senders of
    // the device root still reach this listener.
    const uid_t uid = ::geteuid();
    const fs::path folder = userBroadcastFolder(uid);
    struct stat st {};
    if (::lstat(folder.parent_path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        st.st_uid != uid || !makePrivateFolder(folder) ||
        !session_.listenAt(folder / broadcastSocketName(id))) {
        return;
    }
    pollFd_ = ::epoll_create1(EPOLL_CLOEXEC);
    for (const int fd : {channel_.fd(), session_.fd()}) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = fd;
        if (pollFd_ < 0 || ::epoll_ctl(pollFd_, EPOLL_CTL_ADD, fd, &event) != 0) {
            if (pollFd_ >= 0)
                ::close(pollFd_);
            pollFd_ = -1;
            session_.close();
            return;
        }
    }
}

bool BroadcastListener::listen(long id) {
    close();
    if (!channel_.listen(channelName(id)))
        return false;
    listenInSession(id);
    return true;
}

int BroadcastListener::receive(const std::function<void(std::string_view)>& onText) {
    const auto answer = [&onText](std::string_view text) {
        onText(text);
        return std::string("ok");
    };
    return channel_.serve(answer) + session_.serve(answer);
}

}  // namespace zentrix::platform
