// The handheld's local calendar date.
//
// Raw data files are named after the day they were started on. A test of that naming must not
// depend on the day it runs, so the date comes through here and a test may fix it for a while.
#pragma once

#include <cstdint>
#include <optional>

namespace zentrix::platform {

struct LocalDate {
    uint16_t year = 0;   ///< e.g. 2013
    uint16_t month = 0;  ///< 1-12
    uint16_t day = 0;    ///< 1-31
    bool operator==(const LocalDate&) const = default;
};

/// Today in the local time zone, or the date a `ScopedLocalDate` fixed.
LocalDate localDate();

/// Makes `localDate` answer `date` for the life of the guard (tests only).
class ScopedLocalDate {
  public:
    explicit ScopedLocalDate(LocalDate date);
    ~ScopedLocalDate();
    ScopedLocalDate(const ScopedLocalDate&) = delete;
    ScopedLocalDate& operator=(const ScopedLocalDate&) = delete;

  private:
    std::optional<LocalDate> previous_;
};

}  // namespace zentrix::platform
