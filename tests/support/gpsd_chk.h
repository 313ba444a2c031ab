// The decoded output of a widely used GNSS daemon that comes with each capture in tests/data/gpsd
// (`.chk`): every source sentence followed by the JSON reports it caused.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace zentrix::test {

/// The ten captures of receivers that speak NMEA.
inline const std::vector<std::string> kGpsdNmeaLogs = {
    "polarx2",        "nmea-rtk",      "hemi",     "saab-r4",
    "bu353-glonass",  "skytraq-fixB",  "gr8013-w", "ublox-f9p-hpnmea",
    "st-teseo-liv4f", "sirfstarv-nmea"};

struct ChkEntry {
    std::string source;
    std::vector<nlohmann::json> reports;
};

/// Source lines and the reports after each; "#" comment lines are left out.
inline std::vector<ChkEntry> readChk(const std::string& text) {
    std::vector<ChkEntry> entries;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '{') {
            if (!entries.empty()) {
                entries.back().reports.push_back(nlohmann::json::parse(line, nullptr, false));
            }
        } else {
            entries.push_back({line, {}});
        }
    }
    return entries;
}

/// A source line as a framer that reads "$$" as one "$" hands it out.
inline std::string stripExtraDollars(std::string line) {
    while (line.size() > 1 && line[0] == '$' && line[1] == '$') line.erase(0, 1);
    return line;
}

}  // namespace zentrix::test
