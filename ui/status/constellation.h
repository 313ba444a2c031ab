// The constellations the status pages show, by the satellite number ranges every satellite
// display uses, and the mask of those the receiver has switched on.
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
inline constexpr ConstellationMask kMaskGalileo = 256;
inline constexpr ConstellationMask kMaskBeidou = 512;
/// Not a constellation but how the receiver numbers its satellites: a receiver that knows of
/// Galileo and BeiDou uses the whole SBAS (120-158) and QZSS (193-202) ranges, while the
/// handheld's board reports SBAS only as 120-138 and QZSS as 193-197, and whatever else it
/// reports there has never been shown.
inline constexpr ConstellationMask kMaskWideNumbering = 1024;

/// In the order of the sky plot's groups.
enum class Constellation { Gps = 0, Glonass = 1, Sbas = 2, Qzss = 3, Galileo = 4, Beidou = 5 };
inline constexpr int kConstellationCount = 6;

struct ConstellationRange {
    Constellation constellation;
    int firstPrn;
    int lastPrn;      ///< as the handheld's board numbers them
    int wideLastPrn;  ///< with `kMaskWideNumbering`
    ConstellationMask maskBit;
};

inline constexpr std::array<ConstellationRange, kConstellationCount> kConstellationRanges = {{
    {Constellation::Gps, 1, 32, 32, kMaskGps},
    {Constellation::Glonass, 65, 96, 96, kMaskGlonass},
    {Constellation::Sbas, 120, 138, 158, kMaskSbas},
    {Constellation::Qzss, 193, 197, 202, kMaskQzss},
    {Constellation::Galileo, 301, 336, 336, kMaskGalileo},
    {Constellation::Beidou, 401, 463, 463, kMaskBeidou},
}};

/// The constellation of a satellite number under the numbering `mask` names; nothing outside the
/// ranges (such a satellite is never shown).
inline std::optional<Constellation> constellationOf(int prn, ConstellationMask mask = 0) {
    const bool wide = (mask & kMaskWideNumbering) != 0;
    for (const ConstellationRange& range : kConstellationRanges) {
        if (prn >= range.firstPrn && prn <= (wide ? range.wideLastPrn : range.lastPrn))
            return range.constellation;
    }
    return std::nullopt;
}

inline ConstellationMask maskBitOf(Constellation constellation) {
    return kConstellationRanges[static_cast<int>(constellation)].maskBit;
}

}  // namespace zentrix::ui
