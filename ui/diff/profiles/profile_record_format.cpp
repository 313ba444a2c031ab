#include "ui/diff/profiles/profile_record_format.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

#include "platform/text.h"

namespace zentrix::diff {
namespace {

// The handheld read these files with a 512-byte line buffer: a line is at most 511 bytes, a
// longer one arrives as several.
constexpr size_t kMaxLineBytes = 511;
// An old-layout value was collected into a buffer of the same size.
constexpr size_t kMaxOldValueBytes = 511;

// Successive lines of at most `maxBytes` bytes, each ending after its LF.
class LineReader {
public:
    LineReader(std::string_view bytes, size_t maxBytes) : bytes_(bytes), maxBytes_(maxBytes) {}

    std::optional<std::string_view> next() {
        if (position_ >= bytes_.size()) return std::nullopt;
        const auto rest = bytes_.substr(position_, maxBytes_);
        const auto lf = rest.find('\n');
        const auto line = lf == std::string_view::npos ? rest : rest.substr(0, lf + 1);
        position_ += line.size();
        return line;
    }

private:
    std::string_view bytes_;
    size_t maxBytes_;
    size_t position_ = 0;
};

// What the C string functions saw of a line: everything before its first zero byte.
std::string_view cString(std::string_view line) {
    return line.substr(0, line.find('\0'));
}

bool isBlank(std::string_view line) {
    return line.find_first_not_of("\r\n") == std::string_view::npos;
}

// The first N-1 ";"-separated fields and the rest of the line, or nothing when a separator is
// missing.
template <size_t N>
std::optional<std::array<std::string_view, N>> splitFields(std::string_view line) {
    std::array<std::string_view, N> parts;
    size_t start = 0;
    for (size_t i = 0; i + 1 < N; ++i) {
        const auto separator = line.find(';', start);
        if (separator == std::string_view::npos) return std::nullopt;
        parts[i] = line.substr(start, separator - start);
        start = separator + 1;
    }
    parts[N - 1] = line.substr(start);
    return parts;
}

std::optional<DirectIpProfile> parseDirectIpLine(std::string_view line) {
    const auto parts = splitFields<3>(line);
    if (!parts || (*parts)[2].find('\r') == std::string_view::npos) return std::nullopt;
    DirectIpProfile record;
    record.name = (*parts)[0];
    record.host = (*parts)[1];
    record.port = decimalPrefix((*parts)[2]);
    return record;
}

std::optional<NtripProfile> parseNtripLine(std::string_view line) {
    const auto parts = splitFields<6>(line);
    if (!parts) return std::nullopt;
    const auto rest = (*parts)[5];
    const auto cr = rest.find('\r');
    if (cr == std::string_view::npos) return std::nullopt;
    NtripProfile record;
    record.name = (*parts)[0];
    record.host = (*parts)[1];
    record.port = decimalPrefix((*parts)[2]);
    record.login = (*parts)[3];
    record.password = (*parts)[4];
    record.mountPoint = rest.substr(0, cr);
    return record;
}

template <class Record, class ParseLine>
ProfileFileContents<Record> parseCurrentLayout(LineReader& lines, ParseLine parseLine) {
    ProfileFileContents<Record> contents;
    while (const auto raw = lines.next()) {
        const auto line = cString(*raw);
        auto record = parseLine(line);
        if (!record) {
            if (!isBlank(*raw)) contents.whole = false;
            continue;
        }
        if (contents.records.size() >= kMaxProfileRecords) {
            contents.whole = false;
            break;
        }
        contents.records.push_back(std::move(*record));
    }
    return contents;
}

// One line of the old column layout: values separated by ";", CR ignored, LF or the end of the
// bytes ending the line.
struct OldLine {
    std::vector<std::string> values;
    bool endedByLf = false;
};

class OldLayoutReader {
public:
    explicit OldLayoutReader(std::string_view bytes) : bytes_(bytes) {}

    OldLine next() {
        OldLine line;
        std::string value;
        while (position_ < bytes_.size()) {
            const char c = bytes_[position_++];
            if (c == '\r') continue;
            if (c == ';' || c == '\n') {
                line.values.push_back(std::move(value));
                value.clear();
                if (c == '\n') {
                    line.endedByLf = true;
                    return line;
                }
                continue;
            }
            if (value.size() < kMaxOldValueBytes) value += c;
        }
        if (!value.empty() || !line.values.empty()) line.values.push_back(std::move(value));
        return line;
    }

    bool restIsBlank() const { return isBlank(bytes_.substr(position_)); }

private:
    std::string_view bytes_;
    size_t position_ = 0;
};

std::string_view valueAt(const OldLine& line, size_t index) {
    return index < line.values.size() ? std::string_view(line.values[index]) : std::string_view();
}

// Old layout of "dip_data.txt": line 1 the hosts, line 2 their ports. An empty host makes no
// record; the ports stay paired with their hosts by position.
ProfileFileContents<DirectIpProfile> parseOldDirectIp(std::string_view bytes) {
    OldLayoutReader reader(bytes);
    const auto hosts = reader.next();
    const auto ports = reader.next();
    ProfileFileContents<DirectIpProfile> contents;
    for (size_t i = 0; i < hosts.values.size(); ++i) {
        if (hosts.values[i].empty()) continue;
        DirectIpProfile record;
        record.name = hosts.values[i];
        record.host = hosts.values[i];
        record.port = decimalPrefix(valueAt(ports, i));
        if (contents.records.size() >= kMaxProfileRecords) contents.whole = false;
        insertProfile(contents.records, false, record);
    }
    if (!reader.restIsBlank()) contents.whole = false;
    return contents;
}

// Old layout of "ntrip_data.txt": hosts, ports, logins, passwords and mount points on lines 1 to
// 5, paired by position. The first four lines must be complete.
ProfileFileContents<NtripProfile> parseOldNtrip(std::string_view bytes) {
    OldLayoutReader reader(bytes);
    std::array<OldLine, 5> lines;
    for (size_t i = 0; i < lines.size(); ++i) {
        lines[i] = reader.next();
        if (i < 4 && !lines[i].endedByLf) return {.records = {}, .loaded = false, .whole = false};
    }
    ProfileFileContents<NtripProfile> contents;
    for (size_t i = 0; i < lines[0].values.size(); ++i) {
        if (lines[0].values[i].empty()) continue;
        if (contents.records.size() >= kMaxProfileRecords) {
            contents.whole = false;
            break;
        }
        NtripProfile record;
        record.name = lines[0].values[i];
        record.host = lines[0].values[i];
        record.port = decimalPrefix(valueAt(lines[1], i));
        record.login = valueAt(lines[2], i);
        record.password = valueAt(lines[3], i);
        record.mountPoint = valueAt(lines[4], i);
        insertProfile(contents.records, false, record);
    }
    if (!reader.restIsBlank()) contents.whole = false;
    return contents;
}

// True when the first line announces the current layout: longer than the header text and
// beginning with it (the version after it is not examined).
bool hasHeader(std::string_view header, LineReader& lines) {
    const auto first = lines.next();
    if (!first) return false;
    const auto line = cString(*first);
    return line.size() > header.size() && line.substr(0, header.size()) == header;
}

void appendDecimal(std::string& out, int32_t value) {
    out += platform::decimalText(value);
}

}  // namespace

int32_t decimalPrefix(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min(value * 10 + (text[i] - '0'), kLimit);
    }
    if (negative) return static_cast<int32_t>(-value);
    return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

ProfileFileContents<DirectIpProfile> parseDirectIpProfiles(std::string_view bytes) {
    LineReader lines(bytes, kMaxLineBytes);
    if (!hasHeader(DirectIpProfile::kHeader, lines)) return parseOldDirectIp(bytes);
    return parseCurrentLayout<DirectIpProfile>(lines, parseDirectIpLine);
}

ProfileFileContents<NtripProfile> parseNtripProfiles(std::string_view bytes) {
    LineReader lines(bytes, kMaxLineBytes);
    if (!hasHeader(NtripProfile::kHeader, lines)) return parseOldNtrip(bytes);
    return parseCurrentLayout<NtripProfile>(lines, parseNtripLine);
}

std::string formatProfiles(std::span<const DirectIpProfile> records) {
    std::string out;
    out.append(DirectIpProfile::kHeader).append(" 1\r\n");
    for (const auto& record : records) {
        out.append(record.name.view()).append(";").append(record.host.view()).append(";");
        appendDecimal(out, record.port);
        out.append("\r\n");
    }
    return out;
}

std::string formatProfiles(std::span<const NtripProfile> records) {
    std::string out;
    out.append(NtripProfile::kHeader).append(" 1\r\n");
    for (const auto& record : records) {
        out.append(record.name.view()).append(";").append(record.host.view()).append(";");
        appendDecimal(out, record.port);
        out.append(";").append(record.login.view()).append(";");
        out.append(record.password.view()).append(";").append(record.mountPoint.view());
        out.append("\r\n");
    }
    return out;
}

}  // namespace zentrix::diff
