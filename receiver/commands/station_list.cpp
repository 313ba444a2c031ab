#include "receiver/commands/station_list.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "receiver/nmea/field_cursor.h"

namespace zentrix::receiver {

StationList::StationList()
    : capacity_(kGrowthRecords), records_(std::make_unique<StationRecord[]>(kGrowthRecords)) {}

void StationList::reserve(int32_t records) {
    if (records <= capacity_) return;
    auto grown = std::make_unique_for_overwrite<StationRecord[]>(records);
    std::copy_n(records_.get(), count_, grown.get());
    records_ = std::move(grown);
    capacity_ = records;
}

void StationList::append(const StationRecord& record) {
    // At least 100 more, and doubling beyond that: a table of a few hundred streams costs a
    // handful of allocations, and one of thousands does not copy its records thousands of times.
    if (count_ >= capacity_) reserve(count_ + std::max(kGrowthRecords, count_));
    records_[count_++] = record;
}

const StationRecord* StationList::at(int32_t index) const {
    if (count_ <= 0 || !records_)
        return nullptr;
    return &records_[std::clamp(index, 0, count_ - 1)];
}

StationRecord* StationList::at(int32_t index) {
    return const_cast<StationRecord*>(std::as_const(*this).at(index));
}

uint32_t StationList::copyAt(int32_t index, StationRecord& out) const {
    const StationRecord* record = at(index);
    if (!record)
        return 0;
    out = *record;
    return 1;
}

namespace {

template <size_t N>
void storeText(char (&field)[N], std::string_view text) {
    const size_t length = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

// Fields 2 to 18 of a stream line; field 1 is "STR" and field 19 (miscellaneous) is not read.
StationRecord parseStreamLine(std::string_view line) {
    std::string_view rest = line.substr(std::min<size_t>(4, line.size()));
    const auto next = [&rest]() {
        const size_t end = std::min(rest.find(';'), rest.size());
        const std::string_view field = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        return field;
    };
    StationRecord r;
    storeText(r.mountPoint, next());
    storeText(r.identifier, next());
    storeText(r.format, next());
    storeText(r.formatDetails, next());
    r.carrier = textToInt(next());
    storeText(r.navSystem, next());
    storeText(r.network, next());
    storeText(r.country, next());
    r.latitude = textToDouble(next());
    r.longitude = textToDouble(next());
    r.nmea = textToInt(next());
    r.solution = textToInt(next());
    storeText(r.generator, next());
    storeText(r.compression, next());
    storeText(r.authentication, next());
    storeText(r.fee, next());
    r.bitrate = textToInt(next());
    r.distance = 0;
    return r;
}

// Collects the table's lines. Outside a table only a "SOURCETABLE" line matters; inside, stream
// lines become records until the end line, which counts as soon as its last letter arrives.
class TableReader {
  public:
    explicit TableReader(StationList& list) : list_(list) {}

    void feed(char c) {
        if (!inside_) {
            if (c == '\r')
                return;
            if (c != '\n') {
                append(c);
                return;
            }
            if (line().starts_with("SOURCETABLE"))
                inside_ = true;
            length_ = 0;
            return;
        }
        if (c != '\r' && c != '\n')
            append(c);
        if (line() == "ENDSOURCETABLE") {
            length_ = 0;
            inside_ = false;
            return;
        }
        if (c == '\n') {
            if (line().starts_with("STR"))
                list_.append(parseStreamLine(line()));
            length_ = 0;
        }
    }

  private:
    static constexpr size_t kLineBytes = 1024;

    void append(char c) {
        // The rest of an overlong line is dropped; its fields are cut anyway.
        if (length_ < kLineBytes - 1)
            line_[length_++] = c;
    }
    std::string_view line() const { return {line_, length_}; }

    StationList& list_;
    char line_[kLineBytes];
    size_t length_ = 0;
    bool inside_ = false;
};

}  // namespace

namespace {

// An upper bound of the stream records: the lines that begin "STR".
int32_t countStreamLines(std::string_view text) {
    int32_t lines = text.starts_with("STR") ? 1 : 0;
    for (size_t at = text.find("\nSTR"); at != std::string_view::npos; at = text.find("\nSTR", at + 4)) {
        ++lines;
    }
    return lines;
}

}  // namespace

void parseSourceTable(std::string_view text, StationList& list) {
    list.clear();
    list.reserve(countStreamLines(text));
    TableReader reader(list);
    // The stored table is zero-terminated: nothing after a zero byte belongs to it.
    text = text.substr(0, text.find('\0'));
    for (const char c : text) reader.feed(c);
}

}  // namespace zentrix::receiver
