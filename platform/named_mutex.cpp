#include "platform/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/device_root.h"

namespace zentrix::platform {

NamedMutex::NamedMutex(const std::string& name) {
    // Only letters, digits, "-" and "_" of the name reach the file system.
    std::string fileName;
    for (const char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_';
        fileName += plain ? c : '_';
    }
    const auto path = deviceRoot() / ".mutex" / (fileName + ".lock");
    if (!createParentFolders(path))
        return;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        alreadyExisted_ = errno == EWOULDBLOCK;
        ::close(fd);
        return;
    }
    fd_ = fd;
}

NamedMutex::~NamedMutex() {
    release();
}

void NamedMutex::release() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

}  // namespace zentrix::platform
