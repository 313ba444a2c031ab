// Whole-file reads and crash-safe whole-file replacement.
//
// The small files the user keeps (connection profiles, the launcher's data file) are rewritten
// whole on every save. Truncating and rewriting in place loses everything when the process dies or
// the disk fills in between; instead the new contents go to a fresh file in the same folder, are
// flushed to the disk, and then renamed over the old name, and the folder is flushed so that the
// rename itself survives a power cut. A reader therefore always finds either the old file or the
// new one, whole.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace zentrix::platform {

/// Who may read a file that is written anew.
enum class FileAccess {
    Shared,     // the mode of the file it replaces, else 0666 less the umask
    OwnerOnly,  // always 0600: the file holds passwords
};

/// The whole contents of `file`, or the error that kept it from being read (ENOENT when missing).
struct FileContents {
    std::string bytes;
    std::error_code error;
    bool missing() const { return error == std::errc::no_such_file_or_directory; }
    explicit operator bool() const { return !error; }
};
FileContents readWholeFile(const std::filesystem::path& file);

/// Replaces the contents of `file` with `bytes`: a new file beside it, fsync, rename over the old
/// name, fsync of the folder. The folder must exist. On failure the old file is left untouched
/// (and no temporary file stays behind) unless only the final folder flush failed, in which case
/// the new contents are in place but may not yet be on the disk. Returns the error, or none.
std::error_code replaceFile(const std::filesystem::path& file, std::string_view bytes,
                            FileAccess access = FileAccess::Shared);

/// Keeps a copy of `file` beside it under the first free name "<name>.damaged", "<name>.damaged2",
/// ..., as a hard link, so that the original stays in place. Used before a file that could not be
/// read whole is replaced. Returns the copy's path, or nothing when no copy could be made.
std::optional<std::filesystem::path> keepDamagedCopy(const std::filesystem::path& file);

/// A file opened (or created empty) for the life of the object and locked against every other
/// holder, the way the handheld opened a file without sharing. Opening fails when another holder
/// has it, in this process or another. The lock is taken on a hidden companion file beside it
/// (`.<name>.lock`, left in place), so replacing the file with `replaceFile` while it is held
/// keeps it held; the holder goes on reading the contents it opened.
class HeldFile {
public:
    HeldFile() = default;
    HeldFile(const std::filesystem::path& file, FileAccess access);
    ~HeldFile();
    HeldFile(HeldFile&& other) noexcept;
    HeldFile& operator=(HeldFile&& other) noexcept;
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    /// Why opening failed (EWOULDBLOCK when another holder has the file).
    std::error_code openError() const { return openError_; }
    /// The whole contents from the start of the file.
    FileContents read() const;
    void close();

    /// The companion file that carries the lock of `file`.
    static std::filesystem::path lockPathFor(const std::filesystem::path& file);

private:
    int fd_ = -1;
    int lockFd_ = -1;
    std::error_code openError_;
};

}  // namespace zentrix::platform
