#include "ui/settings/command_history.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/device_root.h"

namespace zentrix::ui {

ParsedCommandHistory parseCommandHistory(std::string_view bytes) {
    ParsedCommandHistory parsed;
    size_t start = 0;
    while (start < bytes.size() && parsed.entries.size() < kCommandHistoryMaxEntries) {
        const size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
        std::string_view line = bytes.substr(start, end - start);
        start = end + 1;
        if (line.find('\0') != std::string_view::npos) {
            // Nothing this program writes; keep what stands before the zero, as a C string
            // would read it, and have the file kept.
            parsed.whole = false;
            line = line.substr(0, line.find('\0'));
        }
        if (!line.empty())
            parsed.entries.push_back(platform::ansiToWide(line));
    }
    return parsed;
}

std::string formatCommandHistory(const std::vector<WideString>& entries) {
    std::string bytes;
    const size_t count = std::min(entries.size(), kCommandHistoryMaxEntries);
    for (size_t i = 0; i < count; ++i) {
        if (entries[i].empty())
            continue;
        bytes += platform::wideToAnsi(entries[i]);
        bytes += "\r\n";
    }
    return bytes;
}

CommandHistory::CommandHistory(std::string fileName) : fileName_(std::move(fileName)) {}

bool CommandHistory::load() {
    entries_.clear();
    keepOldFile_ = false;
    const platform::FileContents file = platform::readWholeFile(platform::devicePath(fileName_));
    if (!file) {
        keepOldFile_ = !file.missing();
        return !keepOldFile_;
    }
    ParsedCommandHistory parsed = parseCommandHistory(file.bytes);
    entries_ = std::move(parsed.entries);
    keepOldFile_ = !parsed.whole;
    return parsed.whole;
}

bool CommandHistory::save() {
    const std::filesystem::path path = platform::devicePath(fileName_);
    if (!platform::createParentFolders(path))
        return false;
    std::error_code error;
    if (keepOldFile_ && std::filesystem::exists(path, error)) {
        const auto copy = platform::keepDamagedCopy(path);
        if (!copy)
            return false;
        // The copy may hold passwords as well.
        std::filesystem::permissions(
            *copy, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write, error);
    }
    keepOldFile_ = false;
    return !platform::replaceFile(path, formatCommandHistory(entries_),
                                  platform::FileAccess::OwnerOnly);
}

bool CommandHistory::add(WideStringView command) {
    if (command.empty() || contains(command))
        return false;
    entries_.insert(entries_.begin(), WideString(command));
    if (entries_.size() > kCommandHistoryMaxEntries)
        entries_.resize(kCommandHistoryMaxEntries);
    return true;
}

bool CommandHistory::contains(WideStringView command) const {
    return std::find(entries_.begin(), entries_.end(), command) != entries_.end();
}

}  // namespace zentrix::ui
