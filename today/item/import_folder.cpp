#include "today/item/import_folder.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/desktop_entry.h"
#include "platform/device_root.h"
#include "platform/text.h"

namespace zentrix::today {

namespace fs = std::filesystem;

namespace {

constexpr int kQuestionEvery = 200;

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
            // An entry that cannot be read cannot be started by its Exec= either.
            const auto desktop = platform::readDesktopEntry(entry.path());
            if (!desktop) {
                ++result_.skipped;
                return;
            }
            if (desktop->hidden || desktop->noDisplay)
                return;
            if (!desktop->name.empty())
                name = platform::fromUtf8(desktop->name);
            // An escaped line break must not split the data file's line.
            std::replace_if(
                name.begin(), name.end(), [](char16_t c) { return c == u'\r' || c == u'\n'; },
                u' ');
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
