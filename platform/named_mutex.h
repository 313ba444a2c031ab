// A mutex with a name, shared by every process of the same handheld (device root).
//
// The program runs once per handheld: a second start must see that the first one owns the name.
// An advisory lock on a file of the device root does that, and the kernel drops it when its
// owner ends for any reason, so a crashed program never keeps the name.
#pragma once

#include <filesystem>
#include <string>

namespace zentrix::platform {

class NamedMutex {
  public:
    /// Takes the name at once, as a mutex created with initial ownership. Afterwards exactly one
    /// holds: `owned()`, `alreadyExisted()` (another process holds it), or `failed()` (the lock
    /// could not be taken at all: an unwritable device root, a file where its folder goes), with
    /// `error()` telling why.
    explicit NamedMutex(const std::string& name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    bool owned() const { return fd_ >= 0; }
    bool alreadyExisted() const { return alreadyExisted_; }
    bool failed() const { return !error_.empty(); }
    /// "<path>: <system error text>" when `failed()`, else empty.
    const std::string& error() const { return error_; }
    /// The lock file.
    const std::filesystem::path& path() const { return path_; }
    /// Gives the name up (closing the handle).
    void release();

  private:
    void fail(const std::filesystem::path& where, int error);

    int fd_ = -1;
    bool alreadyExisted_ = false;
    std::string error_;
    std::filesystem::path path_;
};

}  // namespace zentrix::platform
