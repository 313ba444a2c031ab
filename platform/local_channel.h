// A small local channel between the processes of one user: one listener per name, which answers
// each message it receives with a short text.
//
// A Unix-domain stream socket in a folder only its owner may enter: the folder `.channel` of the
// device root (so that each handheld has channels of its own), or, when that path is too long for
// a socket address, a folder in $XDG_RUNTIME_DIR (else /tmp) named after the device root. The
// folder is 0700 and the socket 0600; a folder that another user owns or that others may enter is
// refused rather than used.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace zentrix::platform {

/// What a send brought back: the listener's answer, or why there was none.
struct ChannelReply {
    bool delivered = false;
    std::string answer;  ///< the listener's answer when delivered
    std::string error;   ///< why not, when not delivered
};

/// The socket file of channel `name` ("ZenTrix"); empty with `error` set when no folder fit for it
/// can be had.
std::filesystem::path localChannelPath(std::string_view name, std::string* error = nullptr);

/// Creates `folder` 0700 if it is missing. False with `error` set when it is not a folder (a link
/// to one included), belongs to another user or lets others in: such a folder is never used.
bool makePrivateFolder(const std::filesystem::path& folder, std::string* error = nullptr);

/// Sends one message to the listener of `name` and waits up to `timeoutMs` clock milliseconds for
/// its answer.
ChannelReply sendLocalMessage(std::string_view name, std::string_view message, uint32_t timeoutMs);

/// Owner: the one process that answers `name` (the holder of its single-instance lock). Not thread
/// safe: one thread polls `fd` and calls `serve`.
class LocalChannelListener {
  public:
    LocalChannelListener() = default;
    ~LocalChannelListener();
    LocalChannelListener(const LocalChannelListener&) = delete;
    LocalChannelListener& operator=(const LocalChannelListener&) = delete;

    /// Listens on `name`, taking the place of a socket an ended listener left behind. False with
    /// `error()` when it cannot.
    bool listen(std::string_view name);
    /// Listens on the socket file `path`, in a folder the caller has checked, taking the place of
    /// a socket left behind there.
    bool listenAt(const std::filesystem::path& path);
    /// Stops listening and removes the socket.
    void close();
    bool listening() const { return fd_ >= 0; }
    /// Becomes readable when a sender is waiting.
    int fd() const { return fd_; }
    const std::string& error() const { return error_; }
    const std::filesystem::path& path() const { return path_; }

    /// Takes the senders that are waiting now, without blocking, and answers each message with
    /// `answer(message)`. Answers how many were served.
    int serve(const std::function<std::string(std::string_view message)>& answer);

  private:
    int fd_ = -1;
    std::filesystem::path path_;
    std::string error_;
};

}  // namespace zentrix::platform
