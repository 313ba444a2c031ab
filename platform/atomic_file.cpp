#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <random>
#include <utility>

namespace zentrix::platform {
namespace fs = std::filesystem;
namespace {

std::error_code lastError() {
    return std::error_code(errno, std::generic_category());
}

mode_t modeFor(FileAccess access) {
    return access == FileAccess::OwnerOnly ? 0600 : 0666;
}

// Reads everything from the current position of `fd`.
std::error_code readAll(int fd, std::string& bytes) {
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return lastError();
        if (got == 0) return {};
        bytes.append(buffer, static_cast<size_t>(got));
    }
}

std::error_code writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return lastError();
        if (put == 0) return std::make_error_code(std::errc::no_space_on_device);
        bytes.remove_prefix(static_cast<size_t>(put));
    }
    return {};
}

std::error_code closeChecked(int fd) {
    // Linux releases the descriptor even when close reports an error; never retry.
    return ::close(fd) == 0 ? std::error_code() : lastError();
}

// A hidden name beside `file` that no other writer uses: process id plus a random part.
fs::path temporaryNameFor(const fs::path& file) {
    static std::atomic<unsigned> counter{0};
    thread_local std::mt19937 random(std::random_device{}());
    const auto name = "." + file.filename().string() + "." + std::to_string(::getpid()) + "-" +
                      std::to_string(counter++) + "-" + std::to_string(random() % 1000000) + ".tmp";
    return file.parent_path() / name;
}

std::error_code syncFolder(const fs::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return lastError();
    std::error_code error;
    if (::fsync(fd) != 0) error = lastError();
    const auto closed = closeChecked(fd);
    return error ? error : closed;
}

}  // namespace

FileContents readWholeFile(const fs::path& file) {
    FileContents contents;
    int fd;
    do {
        fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        contents.error = lastError();
        return contents;
    }
    contents.error = readAll(fd, contents.bytes);
    ::close(fd);
    if (contents.error) contents.bytes.clear();
    return contents;
}

std::error_code replaceFile(const fs::path& file, std::string_view bytes, FileAccess access) {
    fs::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = temporaryNameFor(file);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, modeFor(access));
        if (fd < 0 && errno != EEXIST && errno != EINTR) return lastError();
    }
    if (fd < 0) return std::make_error_code(std::errc::file_exists);

    std::error_code error = writeAll(fd, bytes);
    // A password file is never wider than 0600, whatever it was before; any other file keeps the
    // mode its owner gave it.
    struct stat old {};
    if (!error && access == FileAccess::OwnerOnly && ::fchmod(fd, 0600) != 0) {
        error = lastError();
    }
    if (!error && access == FileAccess::Shared && ::stat(file.c_str(), &old) == 0 &&
        ::fchmod(fd, old.st_mode & 07777) != 0) {
        error = lastError();
    }
    if (!error && ::fsync(fd) != 0) error = lastError();
    const auto closed = closeChecked(fd);
    if (!error) error = closed;
    if (!error && ::rename(temporary.c_str(), file.c_str()) != 0) error = lastError();
    if (error) {
        ::unlink(temporary.c_str());
        return error;
    }
    return syncFolder(file.parent_path());
}

std::optional<fs::path> keepDamagedCopy(const fs::path& file) {
    for (int n = 1; n <= 99; ++n) {
        auto copy = file;
        copy += n == 1 ? ".damaged" : ".damaged" + std::to_string(n);
        if (::link(file.c_str(), copy.c_str()) == 0) {
            syncFolder(file.parent_path());  // the copy is a safety net; a late flush is no failure
            return copy;
        }
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

// The lock cannot sit on the file itself: `replaceFile` puts a new file under the name, and a
// second holder would open and lock that one while the first still holds the old. The companion
// is never replaced (nor removed: removing a lock file races with its next holder).
fs::path HeldFile::lockPathFor(const fs::path& file) {
    return file.parent_path() / ("." + file.filename().string() + ".lock");
}

HeldFile::HeldFile(const fs::path& file, FileAccess access) {
    const fs::path lockPath = lockPathFor(file);
    int lockFd;
    do {
        lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    } while (lockFd < 0 && errno == EINTR);
    if (lockFd < 0) {
        openError_ = lastError();
        return;
    }
    if (::flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
        openError_ = lastError();
        ::close(lockFd);
        return;
    }
    int fd;
    do {
        fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, modeFor(access));
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        openError_ = lastError();
        ::close(lockFd);
        return;
    }
    fd_ = fd;
    lockFd_ = lockFd;
}

HeldFile::~HeldFile() {
    close();
}

HeldFile::HeldFile(HeldFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      lockFd_(std::exchange(other.lockFd_, -1)),
      openError_(other.openError_) {}

HeldFile& HeldFile::operator=(HeldFile&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        lockFd_ = std::exchange(other.lockFd_, -1);
        openError_ = other.openError_;
    }
    return *this;
}

FileContents HeldFile::read() const {
    FileContents contents;
    if (fd_ < 0) {
        contents.error = std::make_error_code(std::errc::bad_file_descriptor);
        return contents;
    }
    if (::lseek(fd_, 0, SEEK_SET) < 0) {
        contents.error = lastError();
        return contents;
    }
    contents.error = readAll(fd_, contents.bytes);
    if (contents.error) contents.bytes.clear();
    return contents;
}

void HeldFile::close() {
    if (fd_ >= 0) ::close(fd_);
    if (lockFd_ >= 0)
        ::close(lockFd_);  // the lock goes last, once the file is let go
    fd_ = -1;
    lockFd_ = -1;
}

}  // namespace zentrix::platform
