// Font faces the dialogs ask for, mapped to the fonts installed here.
//
// The pages size and place their text for the handheld's fonts ("Arial" above all); the
// metric-compatible Liberation families have the same advance widths and vertical metrics, so
// text lands where the pages expect it.
#pragma once

#include <string>
#include <string_view>

namespace zentrix::framework {

/// The installed family that stands in for `face`: "Arial" and the other common faces map to
/// their Liberation counterparts, an installed family stands for itself, anything else (and an
/// empty face) falls back to Liberation Sans, or to the system's default family when Liberation
/// Sans is not installed. Needs a running Qt GUI application.
std::string resolveFontFamily(std::string_view face);

}  // namespace zentrix::framework
