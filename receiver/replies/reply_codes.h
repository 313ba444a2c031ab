// The names the receiver uses for codes, as tables.
//
// A setting travels to the receiver as a name in a command ("$PQELS,RDP,TYP,D,PDL") and comes back
// as the same name in the reply ("$PQELR,RDP,TYP,D,PDL"). Both directions read the rows below, so
// a code can never be sent under one name and read back under another. A code the program does not
// know is never an error here: each lookup takes the fall-back its caller chooses.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace zentrix::receiver {

struct CodeName {
    std::string_view name;
    uint32_t code;
};

/// The code of the row whose name equals `name`; nothing when no row does.
std::optional<uint32_t> findCode(std::span<const CodeName> table, std::string_view name);
/// The code of the first row whose name begins the same `prefixChars` characters as `name`, for
/// the few fields the receiver abbreviates or extends ("SGPS" for "SGP").
std::optional<uint32_t> findCodeByPrefix(std::span<const CodeName> table, std::string_view name,
                                         size_t prefixChars);
inline uint32_t codeOr(std::span<const CodeName> table, std::string_view name, uint32_t fallback) {
    return findCode(table, name).value_or(fallback);
}
/// The name of the first row with `code`; empty when no row has it.
std::string_view nameOfCode(std::span<const CodeName> table, uint32_t code);

/// Output messages, by the code the program gives them (20 codes).
inline constexpr std::array<CodeName, 20> kMessageNames = {{
    {"POS", 0},  {"SAT", 1},  {"GGA", 2},  {"GLL", 3},  {"GSA", 4},  {"GST", 5},  {"GSV", 6},
    {"SGP", 7},  {"SGL", 8},  {"SGA", 9},  {"RMC", 10}, {"RRE", 11}, {"VTG", 12}, {"ZDA", 13},
    {"VEC", 14}, {"A2D", 15}, {"OBI", 16}, {"WTI", 17}, {"GNS", 18}, {"DTM", 19},
}};

/// Output messages as the outputs report names them. The signal messages share one code, and
/// messages the report does not list (VEC, DTM) are skipped.
inline constexpr std::array<CodeName, 18> kReportedMessageNames = {{
    {"POS", 0},  {"SAT", 1},  {"GGA", 2},  {"GLL", 3},  {"GSA", 4},  {"GST", 5},
    {"GSV", 6},  {"SGP", 7},  {"SGL", 7},  {"SGA", 7},  {"RMC", 10}, {"RRE", 11},
    {"VTG", 12}, {"ZDA", 13}, {"A2D", 15}, {"OBI", 16}, {"WTI", 17}, {"GNS", 18},
}};

/// Signal configurations (tracked bands).
inline constexpr std::array<CodeName, 4> kSignalConfigs = {{
    {"SSL", 0},
    {"DSL", 1},
    {"TSL", 2},
    {"DSE", 3},
}};

/// Antenna height measured vertically ("V") or along the slant ("S").
inline constexpr std::array<CodeName, 2> kHeightTypes = {{{"V", 0}, {"S", 1}}};

/// Antenna reduction of the reported height.
inline constexpr std::array<CodeName, 3> kAntennaReductions = {{{"OFF", 0}, {"ON", 1}, {"ARP", 2}}};

/// Differential correction formats of the base output. Code 0 means none or not understood.
inline constexpr std::array<CodeName, 5> kDataFormats = {{
    {"RT2", 1},
    {"RT3", 2},
    {"CMR", 3},
    {"CMP", 4},
    {"ATM", 5},
}};

inline constexpr std::array<CodeName, 2> kDifferentialModes = {{{"BAS", 0}, {"ROV", 1}}};

/// Modem states, in the order the modem goes through them.
inline constexpr std::array<CodeName, 6> kModemStates = {{
    {"NONE", 0},
    {"OFF", 1},
    {"ON", 2},
    {"INIT", 3},
    {"DIALING", 4},
    {"ONLINE", 5},
}};

/// Radio link types. 7 is deliberately unused; "UNKNOWN" is only ever read, never sent as a type
/// of its own (the command that clears a port's radio sends it).
inline constexpr uint32_t kRadioTypeNone = 8;
inline constexpr uint32_t kRadioTypeUnknown = 9;
inline constexpr std::array<CodeName, 9> kRadioTypes = {{
    {"PDL", 0},
    {"ADL", 1},
    {"XDL", 2},
    {"KVL", 3},
    {"MDL", 4},
    {"LFE", 5},
    {"LFA", 6},
    {"NONE", kRadioTypeNone},
    {"UNKNOWN", kRadioTypeUnknown},
}};

/// Radio air speeds, bits per second.
inline constexpr std::array<CodeName, 6> kAirSpeeds = {{
    {"4800", 0},
    {"7600", 1},
    {"8000", 2},
    {"9600", 3},
    {"16000", 4},
    {"19200", 5},
}};

inline constexpr std::array<CodeName, 4> kRadioSensitivities = {{
    {"LOW", 0},
    {"MED", 1},
    {"HIG", 2},
    {"OFF", 3},
}};

/// Radio power control: automatic or manual.
inline constexpr std::array<CodeName, 2> kRadioControls = {{{"AUT", 0}, {"MAN", 1}}};

/// Radio channel spacing, kHz. Anything else reads as 2.
inline constexpr std::array<CodeName, 2> kChannelSpacings = {{{"12.5", 0}, {"25", 1}}};

/// Radio modulations. Anything else reads as 2.
inline constexpr std::array<CodeName, 2> kModulations = {{{"4FSK", 0}, {"GMSK", 1}}};

/// Port letter sets: the letter of port index i is character i, "-" where that set has no port.
/// Each receiver function knows its own ports, so each command and reply uses one of these.
namespace port_letters {
/// Ports a handheld may be wired to, and the NMEA output ports ("O" is the receiver's own
/// logging output).
inline constexpr std::string_view kReceiver = "ABCDEFO";
/// Ports the port report names (E and O are not among them and read as port A).
inline constexpr std::string_view kReported = "ABCD-F";
/// Every serial port (port baud query, base output).
inline constexpr std::string_view kSerial = "ABCDEF";
/// Ports whose baud rate can be set.
inline constexpr std::string_view kBaudSettable = "ABCD-F";
/// Ports a radio can sit on.
inline constexpr std::string_view kRadio = "AB-D-F";
/// Ports whose radio type can be queried, and whose electrical mode can be set.
inline constexpr std::string_view kRadioQuery = "AB-D";
}  // namespace port_letters

/// The port index of `letter` in `letters`; 0 (port A) for a letter the set does not have.
uint32_t portIndexOf(std::string_view letters, char letter);
/// The letter of `index` in `letters`; "A" for an index the set does not have.
char portLetterOf(std::string_view letters, uint32_t index);

}  // namespace zentrix::receiver
