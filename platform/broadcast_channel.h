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

/// Owner: the thread that polls `fd` and calls `receive` (the user-interface thread).
class BroadcastListener {
  public:
    /// Listens as `id`, by default this process. False with `error()` when it cannot.
    bool listen(long id = ::getpid());
    void close() { channel_.close(); }
    bool listening() const { return channel_.listening(); }
    /// Becomes readable when a sender is waiting.
    int fd() const { return channel_.fd(); }
    const std::string& error() const { return channel_.error(); }
    const std::filesystem::path& path() const { return channel_.path(); }

    /// Takes the lines waiting now, without blocking, handing each to `onText`. Answers how many.
    int receive(const std::function<void(std::string_view text)>& onText);

  private:
    LocalChannelListener channel_;
};

}  // namespace zentrix::platform
