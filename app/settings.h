// The user's choices that outlive a run, kept in the registry under the application's profile
// (section "Settings"). Connection profiles live in files, not here.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/app_profile.h"
#include "platform/text.h"

namespace zentrix::app {

/// The company part of the program's registry key, under which its settings lie.
inline constexpr char16_t kRegistryCompany[] = u"Orvanex";
inline constexpr char16_t kSettingsSection[] = u"Settings";

/// What the application object holds from start-up to exit: loaded once after a successful
/// connection, saved once at exit whatever happened in between.
struct ConnectionSettings {
    platform::WideString ntripAddress;
    int32_t ntripPort = 0;
    platform::WideString ntripUser;
    platform::WideString ntripPassword;  // stored as plain text, as the receiver needs it
    platform::WideString ntripMountPoint;
    platform::WideString ipAddress;
    int32_t ipPort = 0;
    bool dialGsm = false;       // the last differential link was a GSM dial-up
    bool connectNtrip = false;  // ... an NTRIP caster
    bool connectIp = false;     // ... a direct IP server
    int32_t networkProtocol = 0;
    /// The receiver is an external one: no WTI and A2D output after a receiver reset. Set by
    /// other tools, never written by this program.
    bool isExternalGps = false;

    bool operator==(const ConnectionSettings&) const = default;
};

/// Reads every value that start-up reads; a missing or mistyped value gives its default.
void loadSettings(const platform::AppProfile& profile, ConnectionSettings& settings);
/// Writes every value that exit writes. Without a registry key nothing is written, so a failed
/// start leaves the stored values as they were.
void saveSettings(const platform::AppProfile& profile, const ConnectionSettings& settings);

/// Which kind of receiver the program opens with. `Auto` is the handheld's own (the board on the
/// survey model, the GPS-only chip on the others), and a receiver that only talks NMEA when the
/// board's search heard sentences but no board answered.
enum class ReceiverChoice { Auto, Board, Sirf, Nmea };

/// "auto", "board", "sirf" or "nmea", in any case; nothing for any other text.
std::optional<ReceiverChoice> parseReceiverChoice(std::string_view text);

/// What the registry says about the receiver ("Receiver", "Port", "Share" and "SharePort" of the
/// Settings section),
/// read before the connection. An unknown or missing kind reads as `Auto`, a missing port as
/// empty (the model's own). Nothing writes these values: the user or another tool sets them.
/// Whether the receiver's bytes are handed on to other programs while it is connected: on the
/// shared pseudo-terminal, and also on a TCP server of the loopback address.
enum class ShareMode { Off = 0, Terminal = 1, TerminalAndTcp = 2 };

/// The port of the share's TCP server unless one is chosen (the usual NMEA-over-TCP port).
inline constexpr uint16_t kDefaultShareTcpPort = 10110;

struct ReceiverSettings {
    ReceiverChoice choice = ReceiverChoice::Auto;
    platform::WideString port;
    /// "Share": 0 off, 1 the pseudo-terminal, 2 also TCP; anything else reads as off.
    ShareMode share = ShareMode::Off;
    /// "SharePort": 1 to 65535; anything else reads as the default.
    uint16_t sharePort = kDefaultShareTcpPort;
};
ReceiverSettings loadReceiverSettings(const platform::AppProfile& profile);

/// "SendPosToNet": whether the network sheet sends the position to its peer (only 1 is true).
bool loadSendPositionToNetwork(const platform::AppProfile& profile);
void saveSendPositionToNetwork(const platform::AppProfile& profile, bool send);

/// "NMEAPortIndex": the NMEA output page's port, 0 to 3; anything else stored reads as 0.
uint32_t loadNmeaPortIndex(const platform::AppProfile& profile);
void saveNmeaPortIndex(const platform::AppProfile& profile, uint32_t index);

/// "NMEABluetoothPort": the port name the NMEA output page uses for Bluetooth.
platform::WideString loadNmeaBluetoothPort(const platform::AppProfile& profile);
void saveNmeaBluetoothPort(const platform::AppProfile& profile, platform::WideStringView port);

}  // namespace zentrix::app
