// Which family of receiver board the handheld talks to.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace zentrix::receiver {

/// Family codes 0 to 7. The program compares them with fixed numbers: the modem dial commands
/// refuse families 5, 6 and 7, whose boards cannot place a circuit-switched call.
enum ReceiverFamily : uint32_t {
    kFamilyUnknown = 0,  ///< not recognised: nothing is refused, the receiver's NAK decides
    kFamilyL1Gsm = 1,    ///< single-frequency GPS board with a GSM modem (dial and GPRS)
    kFamilyL1L2Gsm = 2,  ///< dual-frequency GPS board with a GSM modem, no internal radio
    kFamilyL1L2GsmRadio =
        3,                ///< dual-frequency GPS board with a GSM modem and an internal UHF radio
    kFamilyGnssGsm = 4,   ///< GPS + GLONASS board with a GSM modem
    kFamilyGprsOnly = 5,  ///< any known board whose modem is a GPRS-only data module: no dial
    kFamilyNoModem = 6,   ///< any known board built without a modem
    kFamilyOem = 7,       ///< OEM board in a third-party housing: any modem there is not ours
};

/// One row of the family rule. The identifier (the serial identifier the receiver reports, at
/// least 8 characters) is read as: characters 0-3 the production year and week, character 4 the
/// modem option ("G" GSM, "P" GPRS-only, "N" none), character 5 the radio option ("U" internal UHF,
/// "N" none), then the serial number. An empty option set accepts any character.
struct FamilyRule {
    std::string_view productCode;
    std::string_view modemOptions;
    std::string_view radioOptions;
    ReceiverFamily family;
};

inline constexpr size_t kIdentifierMinChars = 8;
inline constexpr size_t kModemOptionIndex = 4;
inline constexpr size_t kRadioOptionIndex = 5;

/// The rule, first matching row wins.
std::span<const FamilyRule> familyRules();

/// The family of a product code and identifier; kFamilyUnknown when the identifier is shorter
/// than 8 characters or no row matches.
ReceiverFamily receiverFamilyOf(std::string_view productCode, std::string_view identifier);

}  // namespace zentrix::receiver
