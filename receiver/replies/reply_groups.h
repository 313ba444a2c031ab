// The reply groups as the command side reads them: plain values, copied whole under their lock.
// Texts reach the command side as wide text, as the user interface holds it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/text.h"

namespace zentrix::receiver {

/// The port a reply names and its baud code (0 to 9).
struct ReceiverPort {
    uint32_t portIndex = 0;
    uint32_t baudCode = 0;
};

struct MessageOutput {
    uint32_t messageCode = 0;  ///< a code of `kMessageNames`
    float intervalSeconds = 0;
};

/// The NMEA outputs of one port. Only the first `count` entries belong to the last reply; the
/// rest are zero.
struct MessageOutputs {
    static constexpr size_t kMaxEntries = 14;
    std::array<MessageOutput, kMaxEntries> entries{};
    uint32_t count = 0;
};

struct ObservationStatus {
    double timeOfDaySeconds = 0;
    float value = 0;
    int32_t count = 0;
};

struct A2dState {
    uint8_t valid = 0;
    uint8_t firstSwitch = 0;
    uint8_t secondSwitch = 0;
};

struct AntennaHeight {
    uint32_t heightType = 0;  ///< a code of `kHeightTypes`
    double heightMetres = 0;
};

/// Up to two ports that send differential corrections, each with its format (`kDataFormats`, 0
/// for none).
struct BaseOutput {
    uint32_t port1 = 0;
    uint32_t format1 = 0;
    uint32_t port2 = 0;
    uint32_t format2 = 0;
};

struct AutoLogging {
    int32_t on = 0;
    int32_t number = 0;
    int32_t ring = 0;  ///< 1 when the receiver overwrites its oldest files
};

struct NptSettings {
    uint8_t first = 0;
    uint8_t second = 0;
};

struct Bridge {
    int32_t on = 0;
    int32_t number = 0;
};

struct FirmwareVersions {
    platform::WideString gnssFirmware;
    platform::WideString systemFirmware;
    platform::WideString receiverVersion;
};

struct ReferenceReceiver {
    platform::WideString name;
    uint8_t flag = 0;
};

/// The modem's state (`kModemStates`) and settings. The one-character settings are 0 when the
/// reply did not carry them.
struct ModemSettings {
    uint32_t state = 0;
    platform::WideString power;
    platform::WideString pin;
    char band = 0;
    char protocol = 0;  ///< "0" circuit-switched, "1" packet (GPRS)
    char cbs = 0;
    platform::WideString apn;
    platform::WideString login;
    platform::WideString password;
    char ipType = 0;
    platform::WideString phoneNumber;
    char adl = 0;
};

struct DirectIp {
    platform::WideString address;
    uint32_t port = 0;
    platform::WideString user;
    platform::WideString password;
};

struct NtripParameters {
    int32_t port = 0;
    platform::WideString address;
    platform::WideString user;
    platform::WideString password;
};

struct Differential {
    uint32_t mode = 0;  ///< a code of `kDifferentialModes`
    uint32_t secondValue = 0;
    double referenceLatitude = 0;
    double referenceLongitude = 0;
    double referenceHeight = 0;
};

/// The radio of one port. Which fields a reply fills depends on what it answered: a type query
/// fills the port and type, a channel-table query the table number, a parameter query the rest.
struct RadioSettings {
    uint32_t port = 0;
    uint32_t radioType = 0;  ///< a code of `kRadioTypes`
    uint32_t power = 0;      ///< 0 "ON", 1 anything else
    uint32_t airBaud = 0;    ///< a code of `kAirSpeeds`
    uint32_t sensitivity = 0;
    uint32_t level = 0;  ///< 1 to 8, 0 when not given
    uint32_t control = 0;
    uint32_t tableNumber = 0;
    uint32_t channel = 0;
    uint32_t spacing = 0;
    uint32_t modulation = 0;
};

}  // namespace zentrix::receiver
