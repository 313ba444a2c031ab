#include "today/item/import_folder.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/device_root.h"
#include "platform/text.h"

namespace zentrix::today {

namespace fs = std::filesystem;

namespace {

constexpr int kQuestionEvery = 200;
// A desktop entry is a few lines; anything far larger is not one worth reading whole.
constexpr std::uintmax_t kMaxDesktopEntryBytes = 1 << 20;

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// The escapes a desktop entry's string values may carry.
std::string unescaped(std::string_view value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
            case 's':
                out += ' ';
                break;
            case 't':
                out += ' ';
                break;  // a tab would be a blank in a label anyway
            case 'n':
            case 'r':
                out += ' ';
                break;  // the data file holds one value per line
            case '\\':
                out += '\\';
                break;
            default:
                out += value[i];
                break;
        }
    }
    return out;
}

class Walk {
  public:
    Walk(bool hostFolder, const ImportContinueQuestion& askContinue)
        : hostFolder_(hostFolder), askContinue_(askContinue) {}

    // `stored` is the folder as the items will name it (handheld or host path).
    void folder(const fs::path& folder, const WideString& stored, bool top) {
        std::error_code error;
        fs::directory_iterator it(folder, error);
        if (error) {
            if (top) {
                result_.folderUnreadable = true;
            } else {
                ++result_.skipped;
            }
            return;
        }
        std::vector<fs::directory_entry> entries;
        for (const fs::directory_iterator end; it != end; it.increment(error)) {
            if (error) {
                ++result_.skipped;  // the rest of this folder cannot be listed
                break;
            }
            entries.push_back(*it);
        }
        std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
            return a.path().filename() < b.path().filename();
        });
        for (const auto& entry : entries) {
            if (result_.stopped)
                return;
            this->entry(entry, stored);
        }
    }

    ImportResult take() { return std::move(result_); }

  private:
    void entry(const fs::directory_entry& entry, const WideString& storedFolder) {
        const std::string fileName = entry.path().filename().string();
        if (fileName.empty() || fileName.front() == '.')
            return;  // hidden, as dot files are

        // A name that does not come back as the same bytes could not be launched by its stored
        // path, and one with a line break would break the data file's lines.
        const WideString wideName = platform::fromUtf8(fileName);
        if (platform::toUtf8(wideName) != fileName ||
            wideName.find_first_of(u"\r\n") != WideString::npos) {
            ++result_.skipped;
            return;
        }
        const WideString stored = storedFolder + (hostFolder_ ? u"/" : u"\\") + wideName;

        std::error_code error;
        const fs::file_status own = entry.symlink_status(error);
        if (error) {
            ++result_.skipped;
            return;
        }
        if (fs::is_directory(own)) {
            folder(entry.path(), stored, false);
            return;
        }
        // A link is taken for the file it names; a link to a folder is not followed, so that the
        // walk cannot loop or wander out of the folder it was given.
        const fs::file_status target = fs::is_symlink(own) ? fs::status(entry.path(), error) : own;
        if (error || !fs::is_regular_file(target)) {
            ++result_.skipped;
            return;
        }
        if (stored.size() > kMaxTextLength || ::access(entry.path().c_str(), R_OK) != 0) {
            ++result_.skipped;
            return;
        }
        WideString name = wideName.substr(0, wideName.find(u'.'));
        if (entry.path().extension() == ".desktop") {
            const auto size = fs::file_size(entry.path(), error);
            const auto contents =
                error || size > kMaxDesktopEntryBytes
                    ? platform::FileContents{{}, std::make_error_code(std::errc::file_too_large)}
                    : platform::readWholeFile(entry.path());
            if (!contents) {
                ++result_.skipped;
                return;
            }
            const auto desktop = readDesktopEntryName(contents.bytes);
            if (desktop.hidden)
                return;
            if (!desktop.name.empty())
                name = desktop.name;
        }
        // "\" separates registry keys, and the registry copy names an item's key by its name.
        std::replace(name.begin(), name.end(), u'\\', u'_');
        add(fieldText(name), stored);
    }

    void add(WideString name, WideString path) {
        const int added = static_cast<int>(result_.items.size());
        if (added % kQuestionEvery == kQuestionEvery - 1 && askContinue_ && !askContinue_(added)) {
            result_.stopped = true;
            return;
        }
        result_.items.push_back({.name = std::move(name), .fileName = std::move(path)});
    }

    bool hostFolder_;
    const ImportContinueQuestion& askContinue_;
    ImportResult result_;
};

}  // namespace

DesktopEntryName readDesktopEntryName(std::string_view contents) {
    DesktopEntryName entry;
    bool inMainGroup = false;
    while (!contents.empty()) {
        const size_t end = contents.find('\n');
        const std::string_view line = trimmed(contents.substr(0, end));
        contents.remove_prefix(end == std::string_view::npos ? contents.size() : end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = trimmed(line.substr(0, equals));
        const std::string_view value = trimmed(line.substr(equals + 1));
        if (key == "Name") {
            entry.name = platform::fromUtf8(unescaped(value));
        } else if ((key == "Hidden" || key == "NoDisplay") && value == "true") {
            entry.hidden = true;
        }
    }
    return entry;
}

ImportResult importFolder(WideStringView folder, const ImportContinueQuestion& askContinue) {
    // A folder of this machine is written as one ("/usr/share/applications"); anything else is
    // a handheld path below the device root.
    const bool hostFolder = !folder.empty() && folder.front() == u'/';
    WideString stored(folder);
    while (stored.size() > 1 && (stored.back() == u'\\' || stored.back() == u'/'))
        stored.pop_back();
    if (stored == u"\\" || stored == u"/")
        stored.clear();  // the root: its items start with "\"
    const fs::path path =
        hostFolder ? fs::path(platform::toUtf8(folder)) : platform::devicePath(folder);
    Walk walk(hostFolder, askContinue);
    walk.folder(path, stored, true);
    return walk.take();
}

}  // namespace zentrix::today
