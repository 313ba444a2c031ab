// The brands of reference (base) receiver whose corrections a rover can be told to expect: the
// text the link page lists and the code the receiver takes. The last row lets the receiver find
// out for itself.
#pragma once

#include <array>
#include <string_view>

namespace zentrix::ui {

struct ReferenceBrand {
    std::u16string_view text;
    std::string_view code;  ///< at most 31 characters; empty for "Automatic"
};

inline constexpr std::array<ReferenceBrand, 7> kReferenceBrands = {{
    {u"ORVANEX", "ORVANEX"},
    {u"LEICA/NOVATEL", "NOVATEL"},
    {u"MERIDOT", "MERIDOT"},
    {u"SEPTENTRIO", "SEPTENTRIO"},
    {u"TOPCON", "TOPCON"},
    {u"JAVAD", "JAVAD"},
    {u"Automatic", ""},
}};

/// The row "Automatic" stands on.
inline constexpr int kAutomaticBrand = static_cast<int>(kReferenceBrands.size()) - 1;

/// The row a receiver's reply stands for: "Automatic" when the brand is not explicit, else the
/// row whose code is exactly `code` (never "Automatic"), -1 when none is.
constexpr int referenceBrandRow(std::string_view code, bool explicitBrand) {
    if (!explicitBrand)
        return kAutomaticBrand;
    for (int row = 0; row < kAutomaticBrand; ++row) {
        if (kReferenceBrands[row].code == code)
            return row;
    }
    return -1;
}

}  // namespace zentrix::ui
