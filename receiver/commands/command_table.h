// The receiver's command catalogue: every sentence the program sends, with its time-out and the
// rule that decides whether the receiver accepted it.
//
// The receiver does not tie a reply to the command that caused it; the program only learns that
// *some* proprietary reply was parsed. What a command counts as success is therefore a property
// of the command, fixed here once: an acknowledgement, the reply flag of its own type, any reply
// at all (for the few replies that set no flag), or an acknowledgement followed by a later "OK".
// The receiver operations pick a row and hand it their arguments; none formats a sentence itself.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "receiver/replies/reply_codes.h"
#include "receiver/replies/reply_state.h"

namespace zentrix::receiver {

enum class Outcome : uint8_t {
    Ack,       ///< a set command: success is `ackReceived`
    OwnReply,  ///< a query: success is the reply flag of its own type
    AnyReply,  ///< a query whose reply sets no flag: any reply will do
    TwoStage,  ///< acknowledged at once, then "OK" or "FAIL" in a reply of its own type
    NoWait,    ///< sent without clearing anything or waiting; the answer is looked at later
};

enum class Command : uint8_t {
    // Constellations, signals and position.
    SetGps,
    SetGlonass,
    SetSbas,
    SetQzss,
    QueryGps,
    QueryGlonass,
    QuerySbas,
    QueryQzss,
    SetSignalConfig,
    QuerySignalConfig,
    SetElevationMask,
    QueryElevationMask,
    SetLcs,
    SetDynamics,
    SetReferencePosition,
    QueryReferencePosition,
    SetKnownPoint,
    QueryVersions,
    QueryReceiverFamily,
    ResetReceiver,
    InitReceiver,
    PowerOff,
    // Antenna.
    SetAntennaHeight,
    QueryAntennaHeight,
    SetAntennaOffsets,
    SetAntennaReduction,
    QueryAntennaReduction,
    SetAntennaName,
    QueryAntennaName,
    SetAntennaOutput,
    // Receiver ports and NMEA output.
    SetPortBaud,
    QueryPortBaud,
    QueryReceiverPort,
    SetPortMode,
    SetNmeaMessageOn,
    SetNmeaMessageOff,
    SetNmeaAllOn,
    SetNmeaAllOff,
    QueryNmeaOutputs,
    QueryBluetoothPort,
    SetBluetoothPort,
    SetBluetoothPortState,
    // Base output and differential formats.
    SetBaseOutput,
    SetBaseOutputs,
    QueryBaseOutput,
    SetDifferentialMode,
    SetDifferentialModeValue,
    QueryDifferentialMode,
    ResetDifferential,
    SetArrayLength,
    SetArrayMode,
    SetRtcmTypeShort,
    SetRtcmType,
    SetRnxType,
    SetCmrType,
    SetReferenceReceiver,
    QueryReferenceReceiver,
    SetBridge,
    QueryBridge,
    // Radio.
    SetRadioPower,
    SetRadioType,
    ClearRadioTypeD,
    QueryRadioType,
    QueryRadioTable,
    QueryRadioParameters,
    SetRadioParameters,
    SetRadioParametersShort,
    // GSM / GPRS modem.
    QueryModem,
    ModemOn,
    ModemOff,
    ModemInit,
    ModemDial,
    SetModemCsd,
    SetModemIp,
    SetModemAdl,
    SetModemDialParametersPin,
    SetModemDialParameters,
    SetModemGprsParametersPin,
    SetModemGprsParameters,
    // Direct IP and NTRIP.
    ConnectDirectIp,
    ConnectDirectIpLogin,
    DisconnectDirectIp,
    QueryDirectIp,
    SetNtripParameters,
    QueryNtripParameters,
    ConnectMountPoint,
    DisconnectMountPoint,
    QueryMountPoint,
    LoadSourceTable,
    QuerySourceTable,
    // Recording, files and memory.
    SetRecording,
    QueryRecording,
    SetRecorder,
    QueryRecorderState,
    SetRecorderFile,
    QueryRecorderFile,
    QueryCurrentFile,
    QueryFilePath,
    SetFilePath,
    SetRecordingInterval,
    QueryRecordingInterval,
    SetMemory,
    QueryMemory,
    SetAutoLogging,
    QueryAutoLogging,
    SetStationId,
    QueryStationId,
    SetOccupation,
    ResetObservations,
    // The connection's own settings.
    QueryNpt,
    SetNpt,

    Count
};

struct CommandRow {
    Command command;
    /// printf-style, checked against the arguments as it is filled (`formatCommand`).
    std::string_view format;
    uint32_t timeoutMs;
    Outcome outcome;
    /// The reply flag an `OwnReply` query looks at; null otherwise.
    ReplyState::Flag ReplyState::*flag = nullptr;
    /// The wait for the late "OK" of a `TwoStage` command.
    uint32_t secondTimeoutMs = 0;
};

inline constexpr uint32_t kDefaultTimeoutMs = 10000;
/// The free-text command of the troubleshooting page.
inline constexpr uint32_t kFreeTextTimeoutMs = 45000;
inline constexpr uint32_t kActivityTimeoutMs = 5000;
inline constexpr uint32_t kVectorTimeoutMs = 1500;

std::span<const CommandRow> commandTable();
const CommandRow& commandRow(Command command);

/// "ON" or "OFF", as every switch is sent.
inline std::string_view onOff(bool on) {
    return on ? "ON" : "OFF";
}

// Encodings that only the command side needs; the names shared with the replies are in
// reply_codes.h.

/// Base output formats: an unknown format code goes out as "RT3".
inline constexpr std::string_view kDefaultDataFormat = "RT3";
/// The receiver's electrical modes of a port, by mode code.
inline constexpr std::array<CodeName, 2> kPortModes = {{{"232", 0}, {"422", 1}}};
/// Known-point reference codes; any other code is "SPT".
inline constexpr std::array<CodeName, 2> kReferencePoints = {{{"PC1", 0}, {"ARP", 1}}};
inline constexpr std::string_view kDefaultReferencePoint = "SPT";
/// The highest radio protocol number; anything outside 1 to 8 goes out as 0.
inline constexpr int32_t kMaxRadioProtocol = 8;

/// The radio parameter command of each radio type 0 to 6: short-form types take only the channel,
/// and only "PDL" and "MDL" on port D carry a power mode.
struct RadioParameterForm {
    uint32_t radioType;
    bool shortForm;
    bool powerModeOnPortD;
};
inline constexpr std::array<RadioParameterForm, 7> kRadioParameterForms = {{
    {0, false, true},   // PDL
    {1, false, false},  // ADL
    {2, false, false},  // XDL
    {3, true, false},   // KVL
    {4, false, true},   // MDL
    {5, true, false},   // LFE
    {6, true, false},   // LFA
}};

/// One message-type command of a differential preset.
struct PresetStep {
    enum class Kind : uint8_t { Rnx, Rtcm, Cmr } kind;
    int32_t a;
    int32_t b;
    int32_t c = 0;
};
/// The series of message-type commands of presets 0 to 6, in the order they are sent.
std::span<const PresetStep> differentialPreset(uint32_t preset);

/// GNSS modes 0 to 5: the signal configuration, GLONASS, and whether GPS ends up switched off.
struct GnssModeRow {
    uint32_t signalConfig;
    bool glonass;
    bool gpsOffAtEnd;
};
inline constexpr std::array<GnssModeRow, 6> kGnssModes = {{
    {0, false, false},  // 0: GPS, single frequency
    {1, false, false},  // 1: GPS, dual frequency
    {0, true, false},   // 2: GPS + GLONASS, single frequency
    {3, true, false},   // 3: GPS + GLONASS, dual frequency
    {0, true, true},    // 4: GLONASS only, single frequency
    {3, true, true},    // 5: GLONASS only, dual frequency
}};
/// The mode a signal configuration and the two switches make; 6 when none fits.
uint32_t gnssModeOf(uint32_t signalConfig, bool gpsOn, bool glonassOn);

}  // namespace zentrix::receiver
