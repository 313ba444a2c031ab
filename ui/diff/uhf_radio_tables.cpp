#include "ui/diff/uhf_radio_tables.h"

#include <array>
#include <initializer_list>

#include "framework/resources.h"
#include "resources/resource_ids.h"

namespace zentrix::ui::uhf {
namespace {

using TypeSet = uint16_t;
constexpr TypeSet only(std::initializer_list<int32_t> types) {
    TypeSet set = 0;
    for (int32_t type : types) set = static_cast<TypeSet>(set | (1u << type));
    return set;
}
bool contains(TypeSet set, int32_t type) {
    return type >= 0 && type < 16 && (set & (1u << type)) != 0;
}

constexpr TypeSet kPdlOnly = only({kPdl});
constexpr TypeSet kAdlXdl = only({kAdl, kXdl});
constexpr TypeSet kLinkSettingTypes = only({kPdl, kAdl, kXdl, kVSpan});
// On an external unit these sit on its serial socket (port A); the others inside it (port D).
constexpr TypeSet kOnSerialSocket =
    only({kXdl, kKavendra, kLicenseFreeEurope, kLicenseFreeAmerica, kSatelEasy});

struct TypeRow {
    int32_t code;
    unsigned textId;
    bool externalOnly;
};
constexpr std::array<TypeRow, 9> kTypes = {{
    {kPdl, IDS_UHF_TYPE_PDL, false},
    {kAdl, IDS_UHF_TYPE_ADL, false},
    {kXdl, IDS_UHF_TYPE_XDL, false},
    {kKavendra, IDS_UHF_TYPE_KAVENDRA, true},
    {kVSpan, IDS_UHF_TYPE_VSPAN, false},
    {kLicenseFreeEurope, IDS_UHF_TYPE_LFE, false},
    {kLicenseFreeAmerica, IDS_UHF_TYPE_LFA, false},
    {kSatelEasy, IDS_UHF_TYPE_SATEL_EASY, false},
    {kNone, IDS_UHF_TYPE_NONE, false},
}};

constexpr std::array<WideStringView, kBaudCount> kBaudTexts = {
    u"300", u"600", u"1200", u"2400", u"4800", u"9600", u"19200", u"38400", u"57600", u"115200"};

constexpr std::array<WideStringView, kLastAirSpeed + 1> kAirSpeedTexts = {
    u"4800", u"7600", u"8000", u"9600", u"16000", u"19200"};

// Code 0 and 7 are made of the translated word "Transparent".
constexpr std::array<WideStringView, kLastProtocol + 1> kProtocolNames = {
    u"", u"PELTALK", u"DSNP", u"SATEL", u"PelcorII/IIe", u"RZ90(HW)", u"PELCOR3", u"", u"V-Span"};

constexpr std::array<unsigned, kLastSensitivity + 1> kSensitivityTexts = {
    IDS_UHF_SENSITIVITY_LOW, IDS_UHF_SENSITIVITY_MEDIUM, IDS_UHF_SENSITIVITY_HIGH,
    IDS_UHF_SENSITIVITY_OFF};

constexpr int32_t kAny = -1;

// One offer: the types it applies to, the modulation and spacing it needs (kAny for any) and the
// codes offered. The first row that matches decides; a type without a row is offered nothing.
struct OfferRow {
    TypeSet types;
    int32_t modulation;
    int32_t spacing;
    std::vector<int32_t> codes;
};

// Protocol codes: 0 Transparent, 1 PELTALK, 2 DSNP, 3 SATEL, 4 PelcorII/IIe, 5 RZ90(HW),
// 6 PELCOR3, 7 Transparent FST, 8 V-Span.
const std::vector<OfferRow>& protocolRows() {
    static const std::vector<OfferRow> rows = {
        {kPdlOnly, kModulation4Fsk, kAny, {0}},
        {kPdlOnly, kModulationGmsk, kAny, {0, 1, 2}},
        {kAdlXdl, kModulation4Fsk, kAny, {0, 3, 7}},
        // The V-Span protocol needs an ADL at 12.5 kHz.
        {only({kAdl}), kModulationGmsk, kSpacing12_5kHz, {0, 1, 5, 4, 6, 8}},
        {kAdlXdl, kModulationGmsk, kAny, {0, 1, 5, 4, 6}},
        {kAdlXdl, kAny, kAny, {0}},
        {only({kVSpan}), kAny, kAny, {0, 2}},
    };
    return rows;
}

// Air link speed codes: 0 4800, 1 7600, 2 8000, 3 9600, 4 16000, 5 19200.
const std::vector<OfferRow>& airSpeedRows() {
    static const std::vector<OfferRow> rows = {
        {kPdlOnly, kModulationGmsk, kSpacing25kHz, {0, 3}},
        {kPdlOnly, kModulationGmsk, kAny, {0}},
        {kPdlOnly, kModulation4Fsk, kSpacing25kHz, {5}},
        {kPdlOnly, kModulation4Fsk, kSpacing12_5kHz, {3}},
        {kAdlXdl, kModulationGmsk, kSpacing25kHz, {0, 3, 4, 5}},
        {kAdlXdl, kModulationGmsk, kSpacing12_5kHz, {0, 2, 3}},
        {kAdlXdl, kModulationGmsk, kAny, {0}},
        {kAdlXdl, kModulation4Fsk, kSpacing25kHz, {5}},
        {kAdlXdl, kModulation4Fsk, kSpacing12_5kHz, {3}},
        {only({kVSpan}), kAny, kAny, {0, 1, 3}},
    };
    return rows;
}

std::vector<int32_t> offered(const std::vector<OfferRow>& rows, int32_t type, int32_t modulation,
                             int32_t spacing) {
    for (const OfferRow& row : rows) {
        if (contains(row.types, type) && (row.modulation == kAny || row.modulation == modulation) &&
            (row.spacing == kAny || row.spacing == spacing))
            return row.codes;
    }
    return {};
}

}  // namespace

WideStringView baudText(int code) {
    return code >= 0 && code < kBaudCount ? kBaudTexts[static_cast<size_t>(code)]
                                          : WideStringView{};
}

std::vector<int32_t> listedRadioTypes(bool externalGps) {
    std::vector<int32_t> types;
    for (const TypeRow& row : kTypes) {
        if (!row.externalOnly || externalGps)
            types.push_back(row.code);
    }
    return types;
}

WideString radioTypeText(int32_t type) {
    for (const TypeRow& row : kTypes) {
        if (row.code == type)
            return framework::loadString(row.textId);
    }
    return {};
}

uint32_t radioPort(int32_t type, bool externalGps) {
    if (!externalGps)
        return kPortB;
    return contains(kOnSerialSocket, type) ? kPortA : kPortD;
}

uint32_t portModeFor(int32_t type) {
    return type == kKavendra || type == kVSpan ? kRs422 : kRs232;
}

uint32_t receiverTypeCode(int32_t type) {
    return type == kSatelEasy ? static_cast<uint32_t>(kNone) : static_cast<uint32_t>(type);
}

std::optional<int> preselectedBaud(int32_t type) {
    if (type == kNone)
        return std::nullopt;
    // 9600 for the licence-free radios, 38400 for the others.
    return type == kLicenseFreeEurope || type == kLicenseFreeAmerica ? 5 : 7;
}

bool hasLinkSettings(int32_t type) {
    return contains(kLinkSettingTypes, type);
}

int32_t firstChannelNumber(int32_t type) {
    return contains(kAdlXdl, type) ? 1 : 0;
}

uint32_t channelCount(int32_t type, std::optional<uint32_t> tableCount) {
    if (tableCount && *tableCount != 0)
        return *tableCount < kMaxChannelCount ? *tableCount : kMaxChannelCount;
    switch (type) {
        case kAdl:
        case kXdl:
            return 32;
        case kLicenseFreeEurope:
            return 3;
        case kLicenseFreeAmerica:
            return 50;
        default:
            return 16;
    }
}

std::vector<int32_t> offeredProtocols(int32_t type, int32_t modulation, int32_t spacing,
                                      int32_t currentProtocol) {
    std::vector<int32_t> codes = offered(protocolRows(), type, modulation, spacing);
    // A PDL always offers what it runs now, even twice; other models only when nothing else.
    if (currentProtocol >= 0 && currentProtocol <= kLastProtocol && (type == kPdl || codes.empty()))
        codes.push_back(currentProtocol);
    return codes;
}

std::vector<int32_t> offeredAirSpeeds(int32_t type, int32_t modulation, int32_t spacing,
                                      int32_t currentAirSpeed) {
    std::vector<int32_t> codes = offered(airSpeedRows(), type, modulation, spacing);
    if (codes.empty() && currentAirSpeed >= 0 && currentAirSpeed <= kLastAirSpeed)
        codes.push_back(currentAirSpeed);
    return codes;
}

WideString protocolText(int32_t code, WideStringView transparent) {
    if (code == kProtocolTransparent)
        return WideString(transparent);
    if (code == kProtocolTransparentFst)
        return WideString(transparent) + u" FST";
    if (code < 0 || code > kLastProtocol)
        return {};
    return WideString(kProtocolNames[static_cast<size_t>(code)]);
}

WideStringView airSpeedText(int32_t code) {
    return code >= 0 && code <= kLastAirSpeed ? kAirSpeedTexts[static_cast<size_t>(code)]
                                              : WideStringView{};
}

WideString sensitivityText(int32_t position) {
    if (position < 0 || position > kLastSensitivity)
        return {};
    return framework::loadString(kSensitivityTexts[static_cast<size_t>(position)]);
}

RadioParametersWrite radioParametersWrite(const RadioSettingsShown& shown,
                                          const RadioSettingsRead& read) {
    RadioParametersWrite write;
    write.channel = shown.channelIndex >= 0 ? shown.channelIndex + firstChannelNumber(shown.type)
                                            : read.channel;
    if (hasLinkSettings(shown.type)) {
        write.airSpeed = shown.airSpeed >= 0 ? shown.airSpeed : read.airSpeed;
        write.protocol = shown.protocol >= 0 ? shown.protocol : read.protocol;
        write.sensitivity = shown.sliderPosition;
    }
    write.powerControl = read.powerControl;
    if (shown.turnOnShown) {
        // Automatic power control keeps the radio on; manual leaves it off.
        write.powerControl = shown.turnOnTicked ? 0 : 1;
        write.switchOn = shown.turnOnTicked;
        write.switchOff = !shown.turnOnTicked;
    }
    return write;
}

}  // namespace zentrix::ui::uhf
