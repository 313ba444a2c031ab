#include "platform/launch.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <system_error>
#include <thread>

#include "platform/desktop_entry.h"
#include "platform/device_root.h"

extern char** environ;

namespace zentrix::platform {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kDefaultOpener = "xdg-open";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isExecutableFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

// The executable `name` in one of PATH's folders. An empty entry (the current folder) is
// skipped: which folder that is depends on how the program was started.
std::optional<fs::path> findInPath(const std::string& name) {
    const char* variable = ::getenv("PATH");
    const std::string_view folders = variable ? variable : "/usr/local/bin:/usr/bin:/bin";
    for (size_t pos = 0; pos <= folders.size();) {
        size_t end = folders.find(':', pos);
        if (end == std::string_view::npos)
            end = folders.size();
        const std::string_view folder = folders.substr(pos, end - pos);
        pos = end + 1;
        if (folder.empty())
            continue;
        fs::path candidate = fs::path(std::string(folder)) / name;
        if (isExecutableFile(candidate))
            return candidate;
    }
    return std::nullopt;
}

std::string errorText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

std::string cannotStart(const std::string& name, const std::string& why) {
    return "Cannot start \"" + name + "\": " + why;
}

bool endsWithExe(std::string_view name) {
    return name.size() > 4 && equalsIgnoringAsciiCase(name.substr(name.size() - 4), ".exe");
}

// The file an item names on this machine; nothing when there is none.
std::optional<fs::path> resolveItemFile(const std::string& name) {
    if (name.empty())
        return std::nullopt;  // not the device root's top: that is "\\"
    std::error_code error;
    const fs::path path = !name.empty() && name.front() == '/' ? fs::path(name) : devicePath(name);
    if (fs::exists(path, error))
        return path;
    // Programs copied from the handheld lose their ".exe" on this machine.
    if (endsWithExe(name)) {
        fs::path stem = path;
        stem.replace_filename(
            path.filename().string().substr(0, path.filename().string().size() - 4));
        if (fs::exists(stem, error))
            return stem;
    }
    if (name.find_first_of("/\\") == std::string::npos && !name.empty()) {
        if (auto found = findInPath(name))
            return found;
        if (endsWithExe(name))
            return findInPath(name.substr(0, name.size() - 4));
    }
    return std::nullopt;
}

// Starts `path` with `arguments` after it, detached; 0, or the error number of what failed
// (also of the exec itself).
int spawnDetached(const fs::path& path, const std::vector<std::string>& arguments,
                  const fs::path& workingFolder) {
    std::vector<std::string> words{path.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    // The started program outlives this one: it gets a session of its own, so that closing this
    // program's terminal or session does not take it along, and reads nothing from our input.
    // It is spawned directly: forking a program that runs threads and doing more than exec in
    // the child is not safe (another thread may hold the allocator's lock at the fork). The C
    // library's posix_spawn reports a failed exec (a missing file, no permission, a missing
    // interpreter) as its result, and reaps that child itself.
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    if (posix_spawnattr_init(&attributes) != 0)
        return ENOMEM;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        posix_spawnattr_destroy(&attributes);
        return ENOMEM;
    }
    // Nothing this program blocked or ignored (a broken pipe, say) is forced on the new one.
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    int rc = posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    if (rc == 0)
        rc = posix_spawnattr_setsigmask(&attributes, &none);
    if (rc == 0)
        rc = posix_spawnattr_setsigdefault(&attributes, &all);
    if (rc == 0)
        rc = posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (rc == 0 && !workingFolder.empty()) {
        rc = posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    }
    pid_t child = 0;
    if (rc == 0)
        rc = posix_spawn(&child, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (rc != 0)
        return rc;

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
    return 0;
}

LaunchResult openWithOpener(const std::string& target, const std::string& displayName) {
    const char* configured = ::getenv("ZENTRIX_OPENER");
    const std::string opener = configured && *configured ? configured : std::string(kDefaultOpener);
    std::optional<fs::path> program;
    if (opener.find('/') != std::string::npos) {
        if (isExecutableFile(opener))
            program = fs::path(opener);
    } else {
        program = findInPath(opener);
    }
    if (!program) {
        return {false, "Cannot open \"" + displayName + "\": " + opener +
                           " was not found (it comes with the desktop's utilities, xdg-utils)"};
    }
    LaunchResult result = startProgram(*program, {target}, opener);
    if (!result.started)
        result.error = "Cannot open \"" + displayName + "\": " + result.error;
    return result;
}

LaunchResult launchDesktopEntry(const fs::path& file, const std::string& displayName,
                                const std::vector<std::string>& extra) {
    const std::optional<DesktopEntry> entry = readDesktopEntry(file);
    if (!entry)
        return {false, cannotStart(displayName, "not a readable desktop entry")};
    if (entry->type == "Link") {
        if (entry->url.empty())
            return {false, cannotStart(displayName, "the link has no URL")};
        return openWithOpener(entry->url, displayName);
    }
    if (!entry->type.empty() && entry->type != "Application") {
        return {false, cannotStart(displayName, "a desktop entry of type " + entry->type)};
    }
    std::optional<std::vector<std::string>> words = splitDesktopExec(entry->exec);
    if (!words)
        return {false, cannotStart(displayName, "its Exec= line is missing or unreadable")};
    std::vector<std::string> arguments(words->begin() + 1, words->end());
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return startProgram(words->front(), arguments, displayName, entry->workingFolder);
}

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;  // also an empty quoted argument ("") is one
    bool quoted = false;
    for (size_t i = 0; i < commandLine.size(); ++i) {
        const char c = commandLine[i];
        if (c == '\\') {
            size_t count = 0;
            while (i + count < commandLine.size() && commandLine[i + count] == '\\') ++count;
            i += count - 1;
            inWord = true;
            const bool beforeQuote = i + 1 < commandLine.size() && commandLine[i + 1] == '"';
            word.append(beforeQuote ? count / 2 : count, '\\');
            if (beforeQuote && count % 2 == 1) {
                word += '"';
                ++i;
            }
            continue;
        }
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
            continue;
        }
        if (!quoted && isBlank(c)) {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        word += c;
        inWord = true;
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

LaunchResult startProgram(const fs::path& program, const std::vector<std::string>& arguments,
                          const std::string& displayName, const fs::path& workingFolder) {
    const std::string name = displayName.empty() ? program.string() : displayName;
    fs::path path = program;
    if (program.string().find('/') == std::string::npos) {
        std::optional<fs::path> found = findInPath(program.string());
        if (!found)
            return {false, cannotStart(name, errorText(ENOENT))};
        path = *found;
    }
    const int rc = spawnDetached(path, arguments, workingFolder);
    if (rc != 0)
        return {false, cannotStart(name, errorText(rc))};
    return {true, {}};
}

std::optional<fs::path> findLaunchFile(WideStringView file) {
    return resolveItemFile(toUtf8(file));
}

LaunchResult launchFile(WideStringView file, WideStringView commandLine) {
    const std::string name = toUtf8(file);
    const std::optional<fs::path> path = resolveItemFile(name);
    if (!path)
        return {false, cannotStart(name, errorText(ENOENT))};
    std::error_code error;
    if (fs::is_directory(*path, error))
        return openWithOpener(path->string(), name);
    const std::vector<std::string> arguments = splitCommandLine(toUtf8(commandLine));
    const std::string extension = asciiLower(path->extension().string());
    if (extension == ".desktop")
        return launchDesktopEntry(*path, name, arguments);
    if (isExecutableFile(*path)) {
        // A document may carry execute permission (a FAT memory card gives every file all
        // of them): what the kernel cannot run is opened as a document.
        const int rc = spawnDetached(*path, arguments, {});
        if (rc == 0)
            return {true, {}};
        if (rc != ENOEXEC)
            return {false, cannotStart(name, errorText(rc))};
    }
    return openWithOpener(path->string(), name);
}

}  // namespace zentrix::platform
