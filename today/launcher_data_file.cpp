#include "today/launcher_data_file.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/device_root.h"
#include "platform/text.h"
#include "today/launcher_fields.h"

namespace zentrix::today {
namespace {

constexpr WideStringView kSignature = u"Zentrix";
constexpr WideStringView kSectionMarker = u"1855";
constexpr int kOldestVersion = 1200;
// Every item takes five lines; a count the rest of the file cannot hold is not allocated.
constexpr size_t kLinesPerItem = 5;

// The lines of the file as UTF-16 units, each without its LF and then its CR, cut to a text
// field's length. (The handheld read lines in pieces of 255 characters, so that a longer line
// shifted every value after it; cutting keeps the rest of the file in step.)
std::vector<WideString> splitLines(std::string_view bytes) {
    std::vector<WideString> lines;
    WideString line;
    bool open = false;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                                static_cast<uint8_t>(bytes[i + 1]) << 8);
        open = true;
        if (unit == u'\n') {
            if (!line.empty() && line.back() == u'\r') line.pop_back();
            lines.push_back(fieldText(line));
            line.clear();
            open = false;
            continue;
        }
        if (line.size() <= kMaxTextLength) line += unit;
    }
    if (open) {
        if (!line.empty() && line.back() == u'\r') line.pop_back();
        lines.push_back(fieldText(line));
    }
    return lines;
}

// The C library's decimal conversion of a wide text: white space, a sign, digits; anything else
// ends it, and no digits give 0. Saturated to the 32-bit range.
int32_t wideDecimal(WideStringView text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = std::min<int64_t>(value * 10 + (text[i] - u'0'), kLimit);
    }
    if (negative) return static_cast<int32_t>(-value);
    return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

class LineCursor {
public:
    explicit LineCursor(std::vector<WideString> lines) : lines_(std::move(lines)) {}

    const WideString* next() { return position_ < lines_.size() ? &lines_[position_++] : nullptr; }
    size_t remaining() const { return lines_.size() - position_; }

    bool nextEquals(WideStringView expected) {
        const auto* line = next();
        return line && *line == expected;
    }
    std::optional<int32_t> nextNumber() {
        const auto* line = next();
        if (!line) return std::nullopt;
        return wideDecimal(*line);
    }

    template <class Record>
    bool read(Record& record, const LauncherField<Record>& field) {
        const auto* line = next();
        if (!line) return false;
        if (field.number) {
            record.*field.number = wideDecimal(*line);
        } else {
            record.*field.text = *line;
        }
        return true;
    }

private:
    std::vector<WideString> lines_;
    size_t position_ = 0;
};

bool readGroup(LineCursor& lines, int version, LauncherGroup& group) {
    for (const auto& field : kGroupFields) {
        if (!lines.read(group, field)) return false;
    }
    if (version >= kImportFolderVersion) {
        const auto* folder = lines.next();
        if (!folder) return false;
        group.importFolder = *folder;
    }
    const auto count = lines.nextNumber();
    if (!count || *count < 0 || static_cast<size_t>(*count) > lines.remaining() / kLinesPerItem) {
        return false;
    }
    group.items.assign(static_cast<size_t>(*count), LauncherItem{});
    for (auto& item : group.items) {
        item.name = *lines.next();
        item.fileName = *lines.next();
        item.commandLine = *lines.next();
        item.iconPath = *lines.next();
        item.iconResource = wideDecimal(*lines.next());
    }
    return true;
}

// A text as one line of the file: a field's length at most, and never a line end of its own
// (one stray LF would shift every value after it).
WideString lineText(WideStringView text) {
    auto line = fieldText(text);
    std::replace(line.begin(), line.end(), u'\r', u' ');
    std::replace(line.begin(), line.end(), u'\n', u' ');
    return line;
}

class LineWriter {
public:
    void line(WideStringView text) {
        for (const char16_t unit : text) put(unit);
        put(u'\r');
        put(u'\n');
    }
    void number(int32_t value) { line(platform::fromUtf8(platform::decimalText(value))); }
    template <class Record>
    void field(const Record& record, const LauncherField<Record>& field) {
        if (field.number) {
            number(record.*field.number);
        } else {
            line(lineText(record.*field.text));
        }
    }
    std::string take() { return std::move(bytes_); }

private:
    void put(char16_t unit) {
        bytes_ += static_cast<char>(unit & 0xFF);
        bytes_ += static_cast<char>(unit >> 8);
    }
    std::string bytes_;
};

}  // namespace

std::optional<LauncherSettings> parseLauncherData(std::string_view bytes,
                                                  const LauncherSettings& current) {
    LineCursor lines(splitLines(bytes));
    if (!lines.next()) return std::nullopt;  // the byte-order mark's line
    if (!lines.nextEquals(kSignature)) return std::nullopt;
    const auto version = lines.nextNumber();
    if (!version || *version < kOldestVersion) return std::nullopt;
    if (!lines.nextEquals(kSectionMarker)) return std::nullopt;

    LauncherSettings settings = current;
    for (const auto& field : kGeneralFields) {
        if (field.firstVersion > *version) continue;
        if (!lines.read(settings, field)) return std::nullopt;
    }
    if (!lines.nextEquals(kSectionMarker) || !lines.nextEquals(u"8") || !lines.nextEquals(u"19")) {
        return std::nullopt;
    }
    for (auto& group : settings.groups) {
        if (!readGroup(lines, *version, group)) return std::nullopt;
    }
    return settings;
}

std::string formatLauncherData(const LauncherSettings& settings) {
    LineWriter out;
    out.line(u"\uFEFF");
    out.line(kSignature);
    out.number(kDataFileVersion);
    out.line(kSectionMarker);
    for (const auto& field : kGeneralFields) out.field(settings, field);
    out.line(kSectionMarker);
    out.number(static_cast<int32_t>(kGroupCount));
    out.number(static_cast<int32_t>(kGroupFields.size()));
    for (const auto& group : settings.groups) {
        for (const auto& field : kGroupFields) out.field(group, field);
        out.line(lineText(group.importFolder));
        out.number(static_cast<int32_t>(group.items.size()));
        for (const auto& item : group.items) {
            out.line(lineText(item.name));
            out.line(lineText(item.fileName));
            out.line(lineText(item.commandLine));
            out.line(lineText(item.iconPath));
            out.number(item.iconResource);
        }
    }
    return out.take();
}

std::filesystem::path dataFilePath() {
    return platform::devicePath(WideStringView(kDataFileName));
}

bool loadDataFile(LauncherSettings& settings) {
    const auto file = platform::readWholeFile(dataFilePath());
    if (!file) return false;
    auto parsed = parseLauncherData(file.bytes, settings);
    if (!parsed) return false;
    settings = std::move(*parsed);
    return true;
}

std::error_code saveDataFile(const LauncherSettings& settings) {
    const auto path = dataFilePath();
    if (!platform::createParentFolders(path)) {
        return std::make_error_code(std::errc::no_such_file_or_directory);
    }
    return platform::replaceFile(path, formatLauncherData(settings));
}

}  // namespace zentrix::today
