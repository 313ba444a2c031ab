#include "platform/processes.h"

#include <cctype>
#include <fstream>
#include <system_error>

#include "platform/device_root.h"
#include "platform/launch.h"

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
    return startProgram(program, splitCommandLine(toUtf8(commandLine))).started;
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
