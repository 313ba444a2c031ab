#include "platform/local_time.h"

#include <time.h>

#include <mutex>

namespace zentrix::platform {
namespace {

std::mutex overrideMutex;
std::optional<LocalDate> overrideDate;

}  // namespace

LocalDate localDate() {
    {
        std::lock_guard lock(overrideMutex);
        if (overrideDate)
            return *overrideDate;
    }
    const time_t now = ::time(nullptr);
    struct tm local {};
    if (!::localtime_r(&now, &local))
        return {};
    return {static_cast<uint16_t>(local.tm_year + 1900), static_cast<uint16_t>(local.tm_mon + 1),
            static_cast<uint16_t>(local.tm_mday)};
}

ScopedLocalDate::ScopedLocalDate(LocalDate date) {
    std::lock_guard lock(overrideMutex);
    previous_ = overrideDate;
    overrideDate = date;
}

ScopedLocalDate::~ScopedLocalDate() {
    std::lock_guard lock(overrideMutex);
    overrideDate = previous_;
}

}  // namespace zentrix::platform
