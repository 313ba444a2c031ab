#include "platform/device_root.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "platform/network_line.h"

namespace zentrix::platform {
namespace fs = std::filesystem;
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// The port name without its colon, upper-cased, or empty when it is not a plain device name.
std::string portBaseName(std::string_view name) {
    if (!name.empty() && name.back() == ':') name.remove_suffix(1);
    std::string base;
    for (const char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!plain) return {};
        base += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    return base;
}

// n of "COMn", or 0.
unsigned comNumber(std::string_view base) {
    if (base.size() < 4 || base.substr(0, 3) != "COM") return 0;
    unsigned n = 0;
    const auto* first = base.data() + 3;
    const auto* last = base.data() + base.size();
    const auto [end, error] = std::from_chars(first, last, n);
    return (error == std::errc() && end == last) ? n : 0;
}

// Whether `path` is `root` or lies below it, compared component by component.
// The folder itself, also when it is written with a final "/".
fs::path folderPath(const fs::path& folder) {
    fs::path normal = folder.lexically_normal();
    return normal.has_filename() || !normal.has_relative_path() ? normal : normal.parent_path();
}

bool isWithin(const fs::path& path, const fs::path& root) {
    const fs::path r = folderPath(root);
    const fs::path p = path.lexically_normal();
    return std::mismatch(r.begin(), r.end(), p.begin(), p.end()).first == r.end();
}

}  // namespace

fs::path deviceRoot() {
    if (auto root = environment("ZENTRIX_ROOT"); !root.empty()) return fs::path(root);
    if (auto data = environment("XDG_DATA_HOME"); !data.empty()) {
        return fs::path(data) / "zentrix" / "root";
    }
    auto home = environment("HOME");
    if (home.empty()) home = "/tmp";
    return fs::path(home) / ".local" / "share" / "zentrix" / "root";
}

fs::path devicePath(std::string_view handheldPath) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= handheldPath.size(); ++i) {
        if (i < handheldPath.size() && handheldPath[i] != '\\' && handheldPath[i] != '/') continue;
        const auto part = handheldPath.substr(start, i - start);
        start = i + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    fs::path path = deviceRoot();
    for (const auto part : parts) path /= fs::path(std::string(part));
    return path;
}

fs::path devicePath(WideStringView handheldPath) { return devicePath(toUtf8(handheldPath)); }

bool createFolders(const fs::path& folder) {
    std::error_code error;
    // The device root holds the registry with its passwords: when this program makes it, only
    // its owner may enter. A root that exists keeps the mode its owner gave it.
    const fs::path root = folderPath(deviceRoot());
    if (isWithin(folder, root) && !fs::exists(fs::symlink_status(root, error))) {
        fs::create_directories(root.parent_path(), error);
        if (::mkdir(root.c_str(), 0700) == 0)
            ::chmod(root.c_str(), 0700);  // whatever the umask
    }
    fs::create_directories(folder, error);
    return !error && fs::is_directory(folder, error);
}

bool createParentFolders(const fs::path& file) { return createFolders(file.parent_path()); }

fs::path resolvePortName(WideStringView portName) {
    const std::string name = toUtf8(portName);
    if (!name.empty() && name.front() == '/') return fs::path(name);
    // A network line is opened by its address, which is no file.
    if (isNetworkPortName(name)) return fs::path(name);
    const std::string base = portBaseName(name);
    if (base.empty()) return {};

    if (auto fromEnvironment = environment(("ZENTRIX_" + base).c_str()); !fromEnvironment.empty()) {
        return fs::path(fromEnvironment);
    }
    const fs::path link = deviceRoot() / "devices" / base;
    std::error_code error;
    if (fs::exists(fs::symlink_status(link, error))) return link;

    if (const unsigned n = comNumber(base); n > 0) return fs::path("/dev/ttyS" + std::to_string(n - 1));
    return {};
}

}  // namespace zentrix::platform
