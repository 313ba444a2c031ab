// What the UHF radio sheet offers for each radio model: which models it lists, on which receiver
// port a model sits, the serial speed it starts from, its channel count, and the protocols and
// air link speeds its modulation and channel spacing allow. The offers are tables of rows, the
// first matching row winning, so that a model's line can be read and changed in one place. No
// windows here: the pages fill their lists from these functions, and the tests check the rows.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/text.h"

namespace zentrix::ui::uhf {

using platform::WideString;
using platform::WideStringView;

/// Radio type codes of the sheet; 0 to 6 and 8 are the receiver's, 7 exists only here (a radio
/// the board sees as NONE while it answers when powered) and 9 is the receiver's "UNKNOWN".
enum RadioType : int32_t {
    kPdl = 0,
    kAdl = 1,
    kXdl = 2,
    kKavendra = 3,
    kVSpan = 4,
    kLicenseFreeEurope = 5,
    kLicenseFreeAmerica = 6,
    kSatelEasy = 7,
    kNone = 8,
    kUnknown = 9,
};

/// Receiver port indexes the radio may sit on.
inline constexpr uint32_t kPortA = 0;
inline constexpr uint32_t kPortB = 1;
inline constexpr uint32_t kPortD = 3;

/// `setPortMode` line modes.
inline constexpr uint32_t kRs232 = 0;
inline constexpr uint32_t kRs422 = 1;

/// Channel spacing and modulation as the radio parameter query reports them.
inline constexpr int32_t kSpacing12_5kHz = 0;
inline constexpr int32_t kSpacing25kHz = 1;
inline constexpr int32_t kModulation4Fsk = 0;
inline constexpr int32_t kModulationGmsk = 1;
inline constexpr int32_t kOther = 2;

/// Protocol codes the lists carry.
inline constexpr int32_t kProtocolTransparent = 0;
inline constexpr int32_t kProtocolDsnp = 2;
inline constexpr int32_t kProtocolTransparentFst = 7;
inline constexpr int32_t kLastProtocol = 8;
/// Air link speed codes.
inline constexpr int32_t kAirSpeed4800 = 0;
inline constexpr int32_t kLastAirSpeed = 5;
/// The sensitivity slider's range.
inline constexpr int32_t kLastSensitivity = 3;

/// The port baud list: index = the receiver's baud code.
inline constexpr int kBaudCount = 10;
inline constexpr int kDefaultBaudCode = 5;
WideStringView baudText(int code);

/// The types the type list shows, in code order (Kavendra only for an external unit).
std::vector<int32_t> listedRadioTypes(bool externalGps);
/// The type list's text of `type` (string table), empty for a code without one.
WideString radioTypeText(int32_t type);
/// The receiver port of a radio of `type`: B on the handheld's own board; on an external unit D
/// for the models wired inside it and A for those on its serial socket.
uint32_t radioPort(int32_t type, bool externalGps);
/// The line mode port A needs for `type`.
uint32_t portModeFor(int32_t type);
/// The code `setRadioType` gets: a Satel Easy is set up as no radio type.
uint32_t receiverTypeCode(int32_t type);
/// The baud code a newly chosen type starts from; none for "None".
std::optional<int> preselectedBaud(int32_t type);

/// Whether the model has air link speed, protocol and sensitivity settings.
bool hasLinkSettings(int32_t type);
/// The first channel number the list shows: 1 for ADL and XDL, else 0.
int32_t firstChannelNumber(int32_t type);
/// The most channels a table may hold (its count has two digits in the reply).
inline constexpr uint32_t kMaxChannelCount = 99;
/// The channel count: the table's when it gave one, else the model's usual count.
uint32_t channelCount(int32_t type, std::optional<uint32_t> tableCount);

/// Protocol codes offered for `type` with the reported modulation and spacing, then the current
/// protocol as the rule for `type` adds it (so a code may occur twice).
std::vector<int32_t> offeredProtocols(int32_t type, int32_t modulation, int32_t spacing,
                                      int32_t currentProtocol);
/// Air link speed codes offered; the current speed alone when no row gives any.
std::vector<int32_t> offeredAirSpeeds(int32_t type, int32_t modulation, int32_t spacing,
                                      int32_t currentAirSpeed);
/// `transparent` is the translated word for code 0 (code 7 adds " FST" to it).
WideString protocolText(int32_t code, WideStringView transparent);
WideStringView airSpeedText(int32_t code);
/// The slider label of `position`; empty outside 0 to 3.
WideString sensitivityText(int32_t position);

/// What the settings page shows at OK, and what it read when it opened.
struct RadioSettingsShown {
    int32_t type = kPdl;
    int32_t channelIndex = -1;  ///< selected list index, -1 for none
    int32_t airSpeed = -1;      ///< item data of the selected entry, -1 for none
    int32_t protocol = -1;      ///< item data of the selected entry, -1 for none
    int32_t sliderPosition = 0;
    bool turnOnShown = true;
    bool turnOnTicked = false;
};
struct RadioSettingsRead {
    int32_t channel = 0;  ///< as the receiver numbers it
    int32_t airSpeed = 0;
    int32_t sensitivity = 0;
    int32_t protocol = 0;
    int32_t powerControl = 0;
};
/// The receiver calls of the settings page's OK, in order: `radioOn` first when `switchOn`, the
/// parameters, then `radioOff` when `switchOff`.
struct RadioParametersWrite {
    int32_t channel = 0;  ///< as the receiver numbers it
    int32_t airSpeed = -1;
    int32_t sensitivity = -1;
    int32_t protocol = -1;
    int32_t powerControl = 0;
    bool switchOn = false;
    bool switchOff = false;
};
/// The write for what is shown. A list without a selection keeps the value read at opening, so
/// that no -1 ever reaches the radio in its place.
RadioParametersWrite radioParametersWrite(const RadioSettingsShown& shown,
                                          const RadioSettingsRead& read);

}  // namespace zentrix::ui::uhf
