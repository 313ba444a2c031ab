#include "setup/setup_steps.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "platform/broadcast_channel.h"
#include "platform/clock.h"
#include "platform/descriptor.h"

namespace zentrix::setup {
namespace fs = std::filesystem;

namespace {

using platform::Descriptor;

std::string errorText(int error) {
    return std::generic_category().message(error);
}

/// Copies what is left of `in` to `out`; the error, or 0.
int copyAll(int in, int out) {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
        for (ssize_t done = 0; done < n;) {
            const ssize_t written = ::write(out, buffer + done, static_cast<size_t>(n - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return written < 0 ? errno : EIO;
            done += written;
        }
    }
}

bool writeAll(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

/// A report as lines through a pipe, from the child that did the work: "W<text>" or "N<text>".
std::string encode(const Report& report) {
    std::string out;
    const auto add = [&out](char kind, std::string text) {
        for (char& c : text) {
            if (c == '\n')
                c = ' ';
        }
        out += kind + text + '\n';
    };
    for (const auto& w : report.warnings) add('W', w);
    for (const auto& n : report.notices) add('N', n);
    return out;
}

void decode(const std::string& lines, Report& report) {
    size_t start = 0;
    for (size_t end; (end = lines.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string text = lines.substr(start + 1, end - start - 1);
        if (end > start && lines[start] == 'W')
            report.warnings.push_back(text);
        else if (end > start && lines[start] == 'N')
            report.notices.push_back(text);
    }
}

}  // namespace

std::optional<fs::path> namedDeviceRoot() {
    const char* root = std::getenv("ZENTRIX_ROOT");
    if (!root || !*root)
        return std::nullopt;
    return fs::path(root);
}

void moveStartUpProgram(const fs::path& deviceRoot, Report& report) {
    const fs::path source = deviceRoot / kDeliveryFolder / kStartUpProgram;
    const fs::path folder = deviceRoot / "Windows" / "StartUp";
    const fs::path target = folder / kStartUpProgram;
    const std::string kept = "; " + source.string() + " stays where it is";

    // Non-blocking: a pipe planted under the program's name must not hold the installer up.
    const Descriptor in(::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (in.fd < 0) {
        if (errno == ENOENT)
            report.notices.push_back(source.string() + " is not there: nothing to move");
        else
            report.warnings.push_back("cannot read " + source.string() + ": " + errorText(errno));
        return;
    }
    struct stat st {};
    if (::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        report.warnings.push_back(source.string() + " is not a file" + kept);
        return;
    }
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        report.warnings.push_back("cannot make " + folder.string() + ": " + error.message() + kept);
        return;
    }
    // The copy goes beside the target under a hidden name and replaces it only when whole: an
    // interrupted install leaves the old program or the new one, and a running one keeps its file.
    std::string temporary = (folder / ("." + std::string(kStartUpProgram) + ".XXXXXX")).string();
    const int out = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (out < 0) {
        report.warnings.push_back("cannot write in " + folder.string() + ": " + errorText(errno) +
                                  kept);
        return;
    }
    int failure = copyAll(in.fd, out);
    // The program's own permissions, without set-user or set-group: the installer runs as root.
    if (!failure && ::fchmod(out, st.st_mode & 0777) != 0)
        failure = errno;
    if (!failure && ::fsync(out) != 0)
        failure = errno;
    if (::close(out) != 0 && !failure)
        failure = errno;
    if (!failure && ::rename(temporary.c_str(), target.c_str()) != 0)
        failure = errno;
    if (failure) {
        ::unlink(temporary.c_str());
        report.warnings.push_back("cannot put " + target.string() +
                                  " in place: " + errorText(failure) + kept);
        return;
    }
    // The rename reaches the disk before the only other copy goes.
    if (const Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        dir.fd >= 0) {
        ::fsync(dir.fd);
    }
    if (::unlink(source.c_str()) != 0) {
        report.warnings.push_back(target.string() + " is in place, but " + source.string() +
                                  " could not be removed: " + errorText(errno));
    }
}

void moveStartUpProgramAsOwner(const fs::path& deviceRoot, Report& report) {
    struct stat st {};
    if (::geteuid() != 0 || ::stat(deviceRoot.c_str(), &st) != 0 || st.st_uid == 0) {
        moveStartUpProgram(deviceRoot, report);
        return;
    }
    const uid_t uid = st.st_uid;
    gid_t gid = st.st_gid;
    passwd entry{};
    passwd* found = nullptr;
    std::string buffer(16384, '\0');
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        gid = entry.pw_gid;

    const std::string owner = "user " + std::to_string(uid);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        report.warnings.push_back("cannot act as " + owner + ": " + errorText(errno) +
                                  "; the start-up folder was left alone");
        return;
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        Report childReport;
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0 ||
            ::getuid() != uid) {
            childReport.warnings.push_back("cannot act as " + owner + ": " + errorText(errno) +
                                           "; the start-up folder was left alone");
        } else {
            moveStartUpProgram(deviceRoot, childReport);
        }
        writeAll(pipeFds[1], encode(childReport));
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    if (child < 0) {
        ::close(pipeFds[0]);
        report.warnings.push_back("cannot act as " + owner + ": " + errorText(errno) +
                                  "; the start-up folder was left alone");
        return;
    }
    std::string lines;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(pipeFds[0], chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        lines.append(chunk, static_cast<size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    decode(lines, report);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        report.warnings.push_back("the move as " + owner + " ended abnormally");
}

void broadcastRefresh(Report& report) {
    const platform::BroadcastResult result = platform::sendBroadcastToEveryUser(kRefreshBroadcast);
    if (!result.error.empty())
        report.warnings.push_back("refresh: " + result.error);
    if (result.failed > 0) {
        report.warnings.push_back("refresh: " + std::to_string(result.failed) +
                                  " launcher(s) did not take it");
    }
}

void installExit(Report& report) {
    if (const auto root = namedDeviceRoot()) {
        moveStartUpProgramAsOwner(*root, report);
    } else {
        report.notices.push_back(
            "no device root named (--root DIR or ZENTRIX_ROOT): no file was moved");
    }
    broadcastRefresh(report);
    platform::sleepMs(kRefreshPauseMs);
    broadcastRefresh(report);
}

void uninstallExit(Report& report) {
    broadcastRefresh(report);
}

void printReport(const Report& report) {
    for (const auto& notice : report.notices)
        std::fprintf(stderr, "zentrix-setup: %s\n", notice.c_str());
    for (const auto& warning : report.warnings)
        std::fprintf(stderr, "zentrix-setup: warning: %s\n", warning.c_str());
}

}  // namespace zentrix::setup
