#include "platform/desktop_entry.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

namespace zentrix::platform {
namespace {

constexpr std::uintmax_t kMaxEntrySize = 1 << 20;

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The escapes every string value may carry; any other backslash stays, for the Exec= quoting
// that comes after.
std::string unescaped(std::string_view value) {
    std::string text;
    text.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        switch (value[i + 1]) {
            case 's':
                text += ' ';
                break;
            case 'n':
                text += '\n';
                break;
            case 't':
                text += '\t';
                break;
            case 'r':
                text += '\r';
                break;
            case '\\':
                text += '\\';
                break;
            default:
                text += value[i];
                text += value[i + 1];
                break;
        }
        ++i;
    }
    return text;
}

bool isTrue(std::string_view value) {
    return value == "true" || value == "1";
}

// The field codes a launcher fills from the files or URLs it was handed, its icon, name and
// location; this launcher hands none, so they all go.
bool isFieldCode(char code) {
    constexpr std::string_view kCodes = "fFuUickdDnNvm";
    return kCodes.find(code) != std::string_view::npos;
}

}  // namespace

std::optional<DesktopEntry> parseDesktopEntry(std::string_view text) {
    DesktopEntry entry;
    bool found = false;
    bool inGroup = false;
    // Which keys already have their value: a key written twice keeps the first.
    std::vector<std::string> seen;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = trimmed(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inGroup = line == "[Desktop Entry]";
            found = found || inGroup;
            continue;
        }
        if (!inGroup)
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string key(trimmed(line.substr(0, equals)));
        if (key.find('[') != std::string::npos)
            continue;  // a translation
        if (std::find(seen.begin(), seen.end(), key) != seen.end())
            continue;
        seen.push_back(key);
        const std::string_view raw = trimmed(line.substr(equals + 1));
        std::string value = unescaped(raw);
        if (key == "Type")
            entry.type = std::move(value);
        else if (key == "Name")
            entry.name = std::move(value);
        else if (key == "Exec")
            entry.exec = std::move(value);
        else if (key == "Icon")
            entry.icon = std::move(value);
        else if (key == "URL")
            entry.url = std::move(value);
        else if (key == "Path")
            entry.workingFolder = std::move(value);
        else if (key == "Hidden")
            entry.hidden = isTrue(raw);
        else if (key == "NoDisplay")
            entry.noDisplay = isTrue(raw);
        else if (key == "Terminal")
            entry.terminal = isTrue(raw);
    }
    if (!found)
        return std::nullopt;
    return entry;
}

std::optional<DesktopEntry> readDesktopEntry(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size > kMaxEntrySize)
        return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text;
    text.resize(static_cast<size_t>(size));
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return parseDesktopEntry(text);
}

std::optional<std::vector<std::string>> splitDesktopExec(std::string_view exec) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;   // a word is under way (also an empty quoted one)
    bool hadCode = false;  // the word lost a field code
    bool quoted = false;
    auto finish = [&] {
        // An argument that was nothing but field codes is no argument at all.
        if (inWord && !(word.empty() && hadCode))
            words.push_back(word);
        word.clear();
        inWord = hadCode = false;
    };
    // An unknown code stays as written: it is no field code, and nothing may vanish silently.
    auto percent = [&](char code) {
        if (code == '%') {
            word += '%';
        } else if (isFieldCode(code)) {
            hadCode = true;
        } else {
            word += '%';
            word += code;
        }
    };
    for (size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < exec.size() &&
                       std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos) {
                word += exec[++i];
            } else if (c == '%' && i + 1 < exec.size()) {
                // Field codes do not belong inside quotes, but quoting is undone before they
                // are expanded, so they go here as well.
                percent(exec[++i]);
            } else {
                word += c;
            }
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            finish();
            continue;
        }
        inWord = true;
        if (c == '"') {
            quoted = true;
        } else if (c == '%' && i + 1 < exec.size()) {
            percent(exec[++i]);
        } else {
            word += c;
        }
    }
    if (quoted)
        return std::nullopt;
    finish();
    if (words.empty())
        return std::nullopt;
    return words;
}

}  // namespace zentrix::platform
