// Building sentences for tests.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace zentrix::test {

/// "$GPGGA,..." becomes "$GPGGA,...*hh\r\n" with the right checksum (upper-case digits).
inline std::string withChecksum(std::string_view body) {
    unsigned sum = 0;
    for (size_t i = 1; i < body.size(); ++i) sum ^= static_cast<unsigned char>(body[i]);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum & 0xFF);
    return std::string(body) + tail;
}

}  // namespace zentrix::test
