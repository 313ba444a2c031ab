// The external antennas the handheld offers, each with the model name the receiver knows it by
// ("$PQELS,ANP,OWN,<model name>"). The GNSS settings page lists them in this order and the
// simulated board uses the same table, so what the page sends is what the board accepts.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace zentrix::receiver {

struct AntennaModel {
    /// What the list shows (the last entry's text comes from the string table instead).
    std::string_view displayText;
    /// What the receiver is told and answers: at most 31 characters, no comma.
    std::string_view modelName;
};

inline constexpr std::array<AntennaModel, 5> kAntennaModels = {{
    {"Survey antenna A", "ANT-SURVEY-A"},
    {"Survey antenna B", "ANT-SURVEY-B"},
    {"Choke ring antenna", "ANT-CHOKE-RING"},
    {"Helical antenna", "ANT-HELICAL"},
    {"Unknown", "UNKNOWN"},
}};

/// The entry that stands for an antenna the list does not know.
inline constexpr size_t kUnknownAntenna = kAntennaModels.size() - 1;

/// The index of the entry whose model name is exactly `modelName`; kAntennaModels.size() when
/// none is.
constexpr size_t antennaModelIndex(std::string_view modelName) {
    for (size_t i = 0; i < kAntennaModels.size(); ++i) {
        if (kAntennaModels[i].modelName == modelName)
            return i;
    }
    return kAntennaModels.size();
}

}  // namespace zentrix::receiver
