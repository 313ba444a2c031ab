#include "platform/processes.h"

#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <fstream>
#include <system_error>
#include <thread>

#include "platform/device_root.h"

extern char** environ;

namespace zentrix::platform {
namespace fs = std::filesystem;

namespace {

std::string baseName(std::string_view name) {
    const size_t slash = name.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? name : name.substr(slash + 1));
}

std::string executableName(const fs::path& entry) {
    std::error_code error;
    const fs::path exe = fs::read_symlink(entry / "exe", error);
    if (error || exe.empty())
        return {};
    // A deleted or replaced executable reads as "name (deleted)".
    std::string name = exe.filename().string();
    constexpr std::string_view kDeleted = " (deleted)";
    if (name.ends_with(kDeleted))
        name.resize(name.size() - kDeleted.size());
    return name;
}

std::string commandName(const fs::path& entry) {
    std::ifstream comm(entry / "comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

}  // namespace

std::vector<std::string> runningProcessNames() {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
        const std::string pid = it->path().filename().string();
        if (pid.empty() || !std::isdigit(static_cast<unsigned char>(pid[0])))
            continue;
        // A script runs as its interpreter; its own name is the kernel's command name.
        std::string exe = executableName(it->path());
        std::string command = commandName(it->path());
        if (!exe.empty())
            names.push_back(exe);
        if (!command.empty() && command != exe)
            names.push_back(std::move(command));
    }
    return names;
}

bool processNameMatches(std::string_view processName, std::string_view executableName) {
    const std::string wanted = baseName(executableName);
    const std::string name = baseName(processName);
    if (equalsIgnoringAsciiCase(name, wanted))
        return true;
    constexpr std::string_view kExe = ".exe";
    return wanted.size() > kExe.size() &&
           equalsIgnoringAsciiCase(std::string_view(wanted).substr(wanted.size() - kExe.size()),
                                   kExe) &&
           equalsIgnoringAsciiCase(name, std::string_view(wanted).substr(0, wanted.size() - 4));
}

bool isProcessRunning(WideStringView executableName) {
    const std::string wanted = toUtf8(executableName);
    for (const std::string& name : runningProcessNames()) {
        if (processNameMatches(name, wanted))
            return true;
    }
    return false;
}

bool startProcess(const fs::path& program, WideStringView commandLine) {
    std::vector<std::string> words{program.string()};
    const std::string line = toUtf8(commandLine);
    for (size_t pos = 0; pos < line.size();) {
        const size_t start = line.find_first_not_of(' ', pos);
        if (start == std::string::npos)
            break;
        const size_t end = line.find(' ', start);
        words.push_back(line.substr(start, end == std::string::npos ? end : end - start));
        pos = end == std::string::npos ? line.size() : end;
    }
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    // The started program outlives this one, as on the handheld: it gets a session of its own, so
    // that closing this program's terminal or session does not take it along. It is spawned
    // directly: forking a program that runs threads and doing more than exec in the child is not
    // safe (another thread may hold the allocator's lock at the fork).
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0)
        return false;
    // Nothing this program blocked or ignored (a broken pipe, say) is forced on the new one.
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    const bool configured =
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK |
                                                  POSIX_SPAWN_SETSIGDEF) == 0 &&
        posix_spawnattr_setsigmask(&attributes, &none) == 0 &&
        posix_spawnattr_setsigdefault(&attributes, &all) == 0;
    pid_t child = 0;
    const int rc =
        configured ? posix_spawn(&child, argv[0], nullptr, &attributes, argv.data(), environ) : -1;
    posix_spawnattr_destroy(&attributes);
    if (rc != 0)
        return false;
    // A child that ends is reaped here, so that no zombie stays behind for the life of this
    // program; the waiting thread ends with the child (or with this program).
    try {
        std::thread([child] {
            int status = 0;
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // No thread to reap it: it stays a zombie until this program ends, and it did start.
    }
    return true;
}

fs::path specialFolderPath(SpecialFolder folder) {
    switch (folder) {
        case SpecialFolder::ProgramFiles:
            return devicePath(std::string_view("\\Program Files"));
        case SpecialFolder::StartUp:
            return devicePath(std::string_view("\\Windows\\StartUp"));
        case SpecialFolder::Windows:
            return devicePath(std::string_view("\\Windows"));
        case SpecialFolder::MyDocuments:
            return devicePath(std::string_view("\\My Documents"));
    }
    return {};
}

fs::path ownExecutablePath() {
    std::error_code error;
    fs::path path = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path{} : path;
}

}  // namespace zentrix::platform
