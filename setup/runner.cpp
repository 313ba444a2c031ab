// zentrix-setup-runner: calls one hook of the setup library, for the package's maintainer
// scripts. It never fails the package operation: a hook that cannot be called is a warning, and
// the exit status is 0 except for a command line it cannot read (2).
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/command_line.h"
#include "setup/setup_hooks.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUsage =
    "Usage: zentrix-setup-runner HOOK [--root DIR] [--library PATH]\n"
    "Calls HOOK (Install_Init, Install_Exit, Uninstall_Init or Uninstall_Exit) of the setup\n"
    "library.\n"
    "\n"
    "  --root DIR      the device root whose start-up folder Install_Exit fills; without it\n"
    "                  $ZENTRIX_ROOT, and without that no file is touched\n"
    "  --library PATH  the setup library (default: libzentrix-setup.so beside this program,\n"
    "                  else in " ZENTRIX_SETUP_LIBRARY_DIR
    ")\n"
    "  --help          this text\n"
    "  --version       the version\n"
    "\n"
    "Failed steps are reported as \"zentrix-setup: warning: ...\" on standard error; the exit\n"
    "status is 0 unless the command line is wrong (2).\n";

constexpr char kLibraryName[] = "libzentrix-setup.so";

int usageError(const std::string& message) {
    std::fprintf(stderr, "zentrix-setup-runner: %s\n%.*s", message.c_str(),
                 static_cast<int>(kUsage.size()), kUsage.data());
    return 2;
}

void warn(const std::string& message) {
    std::fprintf(stderr, "zentrix-setup: warning: %s\n", message.c_str());
}

fs::path defaultLibrary() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        const fs::path beside = self.parent_path() / kLibraryName;
        if (fs::exists(beside, error))
            return beside;
    }
    return fs::path(ZENTRIX_SETUP_LIBRARY_DIR) / kLibraryName;
}

/// The value of option `name` at argv[i] ("--name VALUE" or "--name=VALUE"), advancing i.
bool optionValue(int argc, char** argv, int& i, std::string_view name, std::string* value,
                 std::string* problem) {
    const std::string_view arg = argv[i];
    if (arg == name) {
        if (i + 1 >= argc) {
            *problem = std::string(name) + " needs a value";
            return true;
        }
        *value = argv[++i];
        return true;
    }
    if (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=') {
        *value = std::string(arg.substr(name.size() + 1));
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto answered =
            zentrix::platform::answerHelpOrVersion(argc, argv, "zentrix-setup-runner", kUsage)) {
        return *answered;
    }
    std::string hook;
    std::string root;
    std::string library;
    bool rootGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string problem;
        std::string value;
        if (optionValue(argc, argv, i, "--root", &value, &problem)) {
            if (!problem.empty())
                return usageError(problem);
            if (value.empty())
                return usageError("--root needs a folder");
            root = value;
            rootGiven = true;
        } else if (optionValue(argc, argv, i, "--library", &value, &problem)) {
            if (!problem.empty())
                return usageError(problem);
            library = value;
        } else if (std::string_view(argv[i]).substr(0, 1) == "-") {
            return usageError(std::string("unknown option ") + argv[i]);
        } else if (hook.empty()) {
            hook = argv[i];
        } else {
            return usageError(std::string("one hook at a time: ") + argv[i]);
        }
    }
    if (hook != "Install_Init" && hook != "Install_Exit" && hook != "Uninstall_Init" &&
        hook != "Uninstall_Exit") {
        return usageError(hook.empty() ? "which hook?" : "no hook named " + hook);
    }
    // The library acts on $ZENTRIX_ROOT and on nothing else.
    if (rootGiven) {
        std::error_code error;
        const fs::path absolute = fs::absolute(root, error);
        ::setenv("ZENTRIX_ROOT", (error ? fs::path(root) : absolute).c_str(), 1);
    }
    const fs::path path = library.empty() ? defaultLibrary() : fs::path(library);
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = ::dlerror();
        warn("cannot load the setup library: " + std::string(reason ? reason : path.string()));
        return 0;
    }
    void* entry = ::dlsym(handle, hook.c_str());
    if (!entry) {
        warn(path.string() + " has no " + hook);
        return 0;
    }
    int result = 0;
    if (hook == "Install_Init")
        result = reinterpret_cast<InstallInitHook>(entry)(nullptr, 1, 0, nullptr);
    else if (hook == "Install_Exit")
        result = reinterpret_cast<InstallExitHook>(entry)(nullptr, nullptr, 0, 0, 0, 0, 0);
    else if (hook == "Uninstall_Init")
        result = reinterpret_cast<UninstallInitHook>(entry)(nullptr, nullptr);
    else
        result = reinterpret_cast<UninstallExitHook>(entry)(nullptr);
    if (result != 0)
        warn(hook + " answered " + std::to_string(result));
    std::fflush(nullptr);
    return 0;
}
