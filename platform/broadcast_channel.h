// Broadcasts between the processes of one user: every process that listens has a socket of its
// own, "broadcast-<pid>.sock", in the local channel folder (platform/local_channel.h: 0700, the
// user's own, one per device root). A sender walks the folder and hands a short line of text to
// each of them; a listener takes the lines between the events of its user-interface thread.
//
// A broadcast is a hint ("reload your items"), so nothing waits for listeners to act on it: a
// listener counts as reached once its socket took the whole line. Sockets whose process ended
// are removed by the next sender that finds them.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "platform/local_channel.h"

namespace zentrix::platform {

/// How long a sender gives one listener to take its line, in clock milliseconds.
inline constexpr uint32_t kBroadcastTimeoutMs = 500;

/// The folder the broadcast sockets live in; empty with `error` set when there is none fit for it.
std::filesystem::path broadcastFolder(std::string* error = nullptr);

/// The file name of the socket of listener `id` (a process id): "broadcast-<id>.sock", the id in
/// ten digits so that every name has the length the folder was chosen for.
std::string broadcastSocketName(long id);

/// What a send found in the folder.
struct BroadcastResult {
    int reached = 0;    ///< listeners that took the line
    int stale = 0;      ///< sockets of ended processes, removed
    int failed = 0;     ///< listeners that refused or did not take it in time (kept)
    std::string error;  ///< set when the folder itself could not be had
};

/// Sends `text` (one line, at most 200 bytes) to every listener of the folder except this
/// process's own, each within `timeoutMs` clock milliseconds. Only sockets owned by this user and
/// named as listeners are tried; anything else in the folder is left alone.
BroadcastResult sendBroadcast(std::string_view text, uint32_t timeoutMs = kBroadcastTimeoutMs);

/// Where the session runtime folders of the users are: `$ZENTRIX_RUNTIME_BASE`, else /run/user.
std::filesystem::path runtimeBase();

/// The folder of user `uid` that its listeners register in: "<runtime base>/<uid>/zentrix".
std::filesystem::path userBroadcastFolder(uid_t uid);

/// Sends `text` to the listeners of every user this process may speak for, each listener once.
/// Run by root: the registered listeners of every user, through each user's own folder (a folder
/// or socket that is a link, belongs to anyone but that user or lets others in is passed over),
/// and no device root at all. Run by a user: its device root, when that exists, and the user's
/// own runtime folder.
BroadcastResult sendBroadcastToEveryUser(std::string_view text,
                                         uint32_t timeoutMs = kBroadcastTimeoutMs);

/// Owner: the thread that polls `fd` and calls `receive` (the user-interface thread).
class BroadcastListener {
  public:
    BroadcastListener() = default;
    ~BroadcastListener();
    BroadcastListener(const BroadcastListener&) = delete;
    BroadcastListener& operator=(const BroadcastListener&) = delete;

    /// Listens as `id`, by default this process, in the device root's folder and, when the
    /// user's session has a runtime folder, there too. False with `error()` when the first fails.
    bool listen(long id = ::getpid());
    void close();
    bool listening() const { return channel_.listening(); }
    /// Becomes readable when a sender is waiting on either socket.
    int fd() const { return pollFd_ >= 0 ? pollFd_ : channel_.fd(); }
    /// The socket in the user's runtime folder; empty when there is none.
    const std::filesystem::path& sessionPath() const { return session_.path(); }
    const std::string& error() const { return channel_.error(); }
    const std::filesystem::path& path() const { return channel_.path(); }

    /// Takes the lines waiting now, without blocking, handing each to `onText`. Answers how many.
    int receive(const std::function<void(std::string_view text)>& onText);

  private:
    void listenInSession(long id);

    LocalChannelListener channel_;
    LocalChannelListener session_;
    int pollFd_ = -1;  ///< epoll over both sockets, while there are two
};

}  // namespace zentrix::platform
