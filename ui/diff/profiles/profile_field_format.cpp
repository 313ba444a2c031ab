#include "ui/diff/profiles/profile_field_format.h"

#include <algorithm>

namespace zentrix::diff {
namespace {

// The handheld read a line byte by byte into a buffer of this size.
constexpr size_t kMaxLineBytes = 10000;

// The next line: up to and including its LF, at most kMaxLineBytes bytes.
std::string_view nextLine(std::string_view bytes, size_t& position) {
    const auto rest = bytes.substr(position, kMaxLineBytes);
    const auto lf = rest.find('\n');
    const auto line = lf == std::string_view::npos ? rest : rest.substr(0, lf + 1);
    position += line.size();
    return line;
}

}  // namespace

template <class Record>
ProfileTable<Record> parseProfileFields(std::string_view bytes) {
    ProfileTable<Record> table;
    size_t position = 0;
    // A line of zero bytes is the end of the file. A line of only CR LF still holds one (empty)
    // value: it is what a single record with an empty PIN gives.
    for (size_t field = 0; position < bytes.size(); ++field) {
        const auto line = nextLine(bytes, position);
        if (field >= Record::kFieldCount) continue;
        const auto end = std::min(line.find_first_of("\r\n"), line.size());
        const auto text = line.substr(0, end);
        size_t values = 0;
        size_t start = 0;
        while (values < ProfileTable<Record>::kSlots) {
            const auto separator = text.find(';', start);
            const auto value =
                text.substr(start, separator == std::string_view::npos ? std::string_view::npos
                                                                       : separator - start);
            table.records[values++].setField(field, value);
            if (separator == std::string_view::npos) break;
            start = separator + 1;
        }
        table.count = values;
    }
    return table;
}

template <class Record>
std::string formatProfileFields(const ProfileTable<Record>& table) {
    const auto count = std::min(table.count, ProfileTable<Record>::kSlots);
    std::string out;
    for (size_t field = 0; field < Record::kFieldCount; ++field) {
        for (size_t i = 0; i < count; ++i) {
            out.append(table.records[i].field(field));
            if (i + 1 < count) {
                out += ';';
            } else if (field + 1 < Record::kFieldCount) {
                out += "\r\n";
            }
        }
    }
    return out;
}

template ProfileTable<GsmProfile> parseProfileFields(std::string_view);
template ProfileTable<GprsProfile> parseProfileFields(std::string_view);
template std::string formatProfileFields(const ProfileTable<GsmProfile>&);
template std::string formatProfileFields(const ProfileTable<GprsProfile>&);

}  // namespace zentrix::diff
