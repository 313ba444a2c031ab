// The radio settings the UHF sheet's two pages share.
#pragma once

#include <cstdint>

namespace zentrix::ui {

/// The sheet's current radio settings. radioType is a code of uhf::RadioType; the others are as
/// the receiver reports them (channel in the radio's own numbering, protocol and air speed
/// codes, power control 0 automatic, 1 manual).
struct UhfRadioSettings {
    bool externalGps = false;
    int32_t radioType = 0;
    int32_t channel = 0;
    int32_t airSpeed = 0;
    int32_t sensitivity = 0;
    int32_t protocol = 0;
    int32_t powerControl = 0;
};

}  // namespace zentrix::ui
