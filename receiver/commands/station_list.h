// The streams of an NTRIP caster's source table.
//
// The receiver relays the caster's table as text: a status line beginning "SOURCETABLE", lines
// of caster ("CAS"), network ("NET") and stream ("STR") records with ";"-separated fields, and the
// end line "ENDSOURCETABLE". Only stream lines become records. Casters are not careful with their
// tables (overlong identifiers, missing fields, typed numbers that are not numbers), so every
// text field is cut to its size and every number that does not read as one is 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace zentrix::receiver {

/// One stream of the table, as the station dialogs show, sort and select it. Texts are
/// zero-terminated and hold at most their size minus one characters.
struct StationRecord {
    double distance = 0;  ///< set by the station browser, in display units; 0 from the parser
    char mountPoint[101] = {};
    char identifier[101] = {};
    char format[101] = {};
    char formatDetails[101] = {};
    int32_t carrier = 0;
    char navSystem[101] = {};
    char network[101] = {};
    char country[6] = {};
    double latitude = 0;   ///< degrees
    double longitude = 0;  ///< degrees
    int32_t nmea = 0;
    int32_t solution = 0;
    char generator[101] = {};
    char compression[101] = {};
    char authentication[3] = {};
    char fee[3] = {};
    int32_t bitrate = 0;
};
static_assert(sizeof(StationRecord) == 864, "the record layout the station dialogs copy");

/// The text of a record field.
template <size_t N>
std::string_view fieldText(const char (&field)[N]) {
    size_t length = 0;
    while (length < N && field[length] != '\0') ++length;
    return {field, length};
}

/// The records of the latest table, in the caster's order. Owned by the page that shows them.
///
/// Threads: whichever thread owns it; it has no lock.
class StationList {
  public:
    static constexpr int32_t kGrowthRecords = 100;

    StationList();
    StationList(const StationList&) = delete;
    StationList& operator=(const StationList&) = delete;

    /// Forgets the records; the storage stays.
    void clear() { count_ = 0; }
    void append(const StationRecord& record);
    /// Makes room for `records` in one allocation, so that a large table is not copied over as it
    /// grows.
    void reserve(int32_t records);
    int32_t size() const { return count_; }
    int32_t capacity() const { return capacity_; }
    /// A record for any index: none when the list is empty, the first for a negative index, the
    /// last for an index at or beyond the count.
    const StationRecord* at(int32_t index) const;
    StationRecord* at(int32_t index);
    /// Copies the record `at` gives: 0 when it gives none, else 1.
    uint32_t copyAt(int32_t index, StationRecord& out) const;

  private:
    int32_t count_ = 0;
    int32_t capacity_ = 0;
    std::unique_ptr<StationRecord[]> records_;
};

/// Replaces the content of `list` with the stream records of `text` (the table as the receiver
/// relayed it). Cannot fail: text that is not a table gives an empty list.
void parseSourceTable(std::string_view text, StationList& list);

}  // namespace zentrix::receiver
