// The four constellations the status pages show, by the PRN ranges every satellite display uses,
// and the mask of those the receiver has switched on.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace zentrix::ui {

/// Bit set of the constellations switched on, as the status sheet builds it when it opens.
using ConstellationMask = uint32_t;
inline constexpr ConstellationMask kMaskGps = 16;
inline constexpr ConstellationMask kMaskGlonass = 32;
inline constexpr ConstellationMask kMaskSbas = 64;
inline constexpr ConstellationMask kMaskQzss = 128;

/// In the order of the sky plot's groups.
enum class Constellation { Gps = 0, Glonass = 1, Sbas = 2, Qzss = 3 };
inline constexpr int kConstellationCount = 4;

struct ConstellationRange {
    Constellation constellation;
    int firstPrn;
    int lastPrn;
    ConstellationMask maskBit;
};

inline constexpr std::array<ConstellationRange, kConstellationCount> kConstellationRanges = {{
    {Constellation::Gps, 1, 32, kMaskGps},
    {Constellation::Glonass, 65, 96, kMaskGlonass},
    {Constellation::Sbas, 120, 138, kMaskSbas},
    {Constellation::Qzss, 193, 197, kMaskQzss},
}};

/// The constellation of a PRN; nothing outside the four ranges (such a satellite is never shown).
inline std::optional<Constellation> constellationOf(int prn) {
    for (const ConstellationRange& range : kConstellationRanges) {
        if (prn >= range.firstPrn && prn <= range.lastPrn)
            return range.constellation;
    }
    return std::nullopt;
}

inline ConstellationMask maskBitOf(Constellation constellation) {
    return kConstellationRanges[static_cast<int>(constellation)].maskBit;
}

}  // namespace zentrix::ui
