#include "platform/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/device_root.h"

namespace zentrix::platform {
namespace fs = std::filesystem;

namespace {

/// Why `folder` could not be made: the first of its ancestors that is missing or not a folder.
int folderError(const fs::path& folder) {
    std::error_code error;
    if (fs::exists(fs::symlink_status(folder, error)) && !fs::is_directory(folder, error))
        return ENOTDIR;
    fs::create_directories(folder, error);
    if (error)
        return error.value();
    return fs::is_directory(folder, error) ? 0 : ENOTDIR;
}

}  // namespace

NamedMutex::NamedMutex(const std::string& name) {
    // Only letters, digits, "-" and "_" of the name reach the file system.
    std::string fileName;
    for (const char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_';
        fileName += plain ? c : '_';
    }
    path_ = deviceRoot() / ".mutex" / (fileName + ".lock");
    if (!createParentFolders(path_)) {
        const int error = folderError(path_.parent_path());
        fail(path_.parent_path(), error != 0 ? error : EACCES);
        return;
    }
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        fail(path_, errno);
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            alreadyExisted_ = true;
            return;
        }
        fail(path_, error);
        return;
    }
    fd_ = fd;
}

NamedMutex::~NamedMutex() {
    release();
}

void NamedMutex::fail(const fs::path& where, int error) {
    error_ = where.string() + ": " + std::generic_category().message(error);
}

void NamedMutex::release() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

}  // namespace zentrix::platform
