// The real NMEA captures of tests/data, as the line carried them, one after the other.
#pragma once

#include <string>
#include <vector>

#include "tests/support/testdata.h"
#include "tools/replay/replay.h"

namespace zentrix::bench {

inline const std::vector<std::string>& nmeaLogNames() {
    static const std::vector<std::string> names = {
        "polarx2",      "nmea-rtk", "hemi",             "saab-r4",        "bu353-glonass",
        "skytraq-fixB", "gr8013-w", "ublox-f9p-hpnmea", "st-teseo-liv4f", "sirfstarv-nmea"};
    return names;
}

/// Every NMEA log with CR LF line ends and without the note lines; empty if any is missing.
inline std::string concatenatedNmeaLogs() {
    std::string all;
    for (const auto& name : nmeaLogNames()) {
        const std::string capture = test::readFile(test::testdataPath("gpsd/" + name + ".log"));
        if (capture.empty()) return {};
        all += replay::lineBytesOf(capture);
    }
    return all;
}

}  // namespace zentrix::bench
