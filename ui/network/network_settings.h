// What the network settings sheet edits: the modem's packet-data access, the direct IP target
// and the NTRIP caster with its mount point. The caller presets it, runs the sheet and on OK
// reads it back; the pages share it while the sheet is open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/text.h"

namespace zentrix::ui {

using platform::WideString;
using platform::WideStringView;

struct NetworkSettings {
    int networkProtocol = 0;   ///< 0 direct IP, 1 NTRIP
    bool externalGps = false;  ///< the packet-data page is offered only for an external unit
    WideString gprsPin, gprsApn, gprsLogin, gprsPassword;
    /// The caller loads it from and saves it to "SendPosToNet" (section "Settings").
    bool sendPositionToNetwork = false;
    int32_t ipPort = 0;
    WideString ipAddress;
    int32_t ntripPort = 0;
    WideString ntripAddress, ntripUser, ntripPassword, ntripMountPoint;
};

/// Characters the profile files cannot carry: ";" separates their fields, CR LF their lines.
inline constexpr char16_t kProfileRefusedCharacters[] = u";\r\n";
/// Characters a receiver command cannot carry (its field separator and checksum mark) on top
/// of the profile's, for fields that are both stored and sent.
inline constexpr char16_t kCommandRefusedCharacters[] = u";\r\n,*";

/// Digits a port box takes.
inline constexpr int kPortDigits = 5;
/// The port a box's text stands for: its decimal value from 0 to 65535, else 0 (never wrapped).
int32_t portFromText(WideStringView text);
/// A port as its box shows it: decimal.
WideString portText(int32_t port);
/// A box's text as the 8-bit profile field of `width` characters holds it (cut, never overrun).
std::string profileText(WideStringView text, size_t width);
/// A stored 8-bit text as the boxes show it.
WideString shownText(std::string_view text);

}  // namespace zentrix::ui
