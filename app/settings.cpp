#include "app/settings.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>
#include <variant>

namespace zentrix::app {
namespace {

using platform::AppProfile;
using platform::WideString;

// A value of the settings record with its registry name.
struct Entry {
    const char16_t* name;
    std::variant<WideString ConnectionSettings::*, int32_t ConnectionSettings::*,
                 bool ConnectionSettings::*>
        member;
};

// The orders in which start-up reads and exit writes; "NtripMountPoit" is the stored name.
const Entry kLoadOrder[] = {
    {u"NtripPort", &ConnectionSettings::ntripPort},
    {u"NtripAddress", &ConnectionSettings::ntripAddress},
    {u"NtripUser", &ConnectionSettings::ntripUser},
    {u"NtripPassword", &ConnectionSettings::ntripPassword},
    {u"NtripMountPoit", &ConnectionSettings::ntripMountPoint},
    {u"IpPort", &ConnectionSettings::ipPort},
    {u"IpAddress", &ConnectionSettings::ipAddress},
    {u"IsExternalGps", &ConnectionSettings::isExternalGps},
    {u"NetworkProtocol", &ConnectionSettings::networkProtocol},
};

const Entry kSaveOrder[] = {
    {u"NtripPort", &ConnectionSettings::ntripPort},
    {u"NtripAddress", &ConnectionSettings::ntripAddress},
    {u"NtripUser", &ConnectionSettings::ntripUser},
    {u"NtripPassword", &ConnectionSettings::ntripPassword},
    {u"NtripMountPoit", &ConnectionSettings::ntripMountPoint},
    {u"IpPort", &ConnectionSettings::ipPort},
    {u"IpAddress", &ConnectionSettings::ipAddress},
    {u"DialGsm", &ConnectionSettings::dialGsm},
    {u"ConnectNtrip", &ConnectionSettings::connectNtrip},
    {u"ConnectIp", &ConnectionSettings::connectIp},
    {u"NetworkProtocol", &ConnectionSettings::networkProtocol},
};

struct Loader {
    const AppProfile& profile;
    const char16_t* name;
    ConnectionSettings& settings;
    void operator()(WideString ConnectionSettings::*member) const {
        settings.*member = profile.getProfileString(kSettingsSection, name);
    }
    void operator()(int32_t ConnectionSettings::*member) const {
        settings.*member = static_cast<int32_t>(profile.getProfileInt(kSettingsSection, name, 0));
    }
    // A flag is true only when exactly 1 is stored.
    void operator()(bool ConnectionSettings::*member) const {
        settings.*member = profile.getProfileInt(kSettingsSection, name, 0) == 1;
    }
};

struct Saver {
    const AppProfile& profile;
    const char16_t* name;
    const ConnectionSettings& settings;
    void operator()(WideString ConnectionSettings::*member) const {
        profile.writeProfileString(kSettingsSection, name, settings.*member);
    }
    void operator()(int32_t ConnectionSettings::*member) const {
        profile.writeProfileInt(kSettingsSection, name, settings.*member);
    }
    void operator()(bool ConnectionSettings::*member) const {
        profile.writeProfileInt(kSettingsSection, name, settings.*member ? 1 : 0);
    }
};

constexpr uint32_t kNmeaPortCount = 4;
constexpr int32_t kMaxPort = 65535;

}  // namespace

void loadSettings(const AppProfile& profile, ConnectionSettings& settings) {
    for (const auto& entry : kLoadOrder)
        std::visit(Loader{profile, entry.name, settings}, entry.member);
    // Values another tool or an old run left out of range: the sheets know two protocols (any
    // other means NTRIP) and a port the receiver can take.
    if (settings.networkProtocol != 0 && settings.networkProtocol != 1)
        settings.networkProtocol = 1;
    for (int32_t* port : {&settings.ntripPort, &settings.ipPort}) {
        if (*port < 0 || *port > kMaxPort)
            *port = 0;
    }
}

void saveSettings(const AppProfile& profile, const ConnectionSettings& settings) {
    for (const auto& entry : kSaveOrder)
        std::visit(Saver{profile, entry.name, settings}, entry.member);
}

std::optional<ReceiverChoice> parseReceiverChoice(std::string_view text) {
    static constexpr std::pair<std::string_view, ReceiverChoice> kNames[] = {
        {"auto", ReceiverChoice::Auto},
        {"board", ReceiverChoice::Board},
        {"sirf", ReceiverChoice::Sirf},
        {"nmea", ReceiverChoice::Nmea},
    };
    for (const auto& [name, choice] : kNames) {
        if (text.size() == name.size() &&
            std::equal(text.begin(), text.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == b;
            })) {
            return choice;
        }
    }
    return std::nullopt;
}

ReceiverSettings loadReceiverSettings(const AppProfile& profile) {
    ReceiverSettings settings;
    const std::string kind =
        platform::toUtf8(profile.getProfileString(kSettingsSection, u"Receiver"));
    settings.choice = parseReceiverChoice(kind).value_or(ReceiverChoice::Auto);
    settings.port = profile.getProfileString(kSettingsSection, u"Port");
    const uint32_t share = profile.getProfileInt(kSettingsSection, u"Share", 0);
    if (share <= static_cast<uint32_t>(ShareMode::TerminalAndTcp))
        settings.share = static_cast<ShareMode>(share);
    const uint32_t sharePort =
        profile.getProfileInt(kSettingsSection, u"SharePort", kDefaultShareTcpPort);
    if (sharePort >= 1 && sharePort <= 65535)
        settings.sharePort = static_cast<uint16_t>(sharePort);
    return settings;
}

bool loadSendPositionToNetwork(const AppProfile& profile) {
    return profile.getProfileInt(kSettingsSection, u"SendPosToNet", 0) == 1;
}

void saveSendPositionToNetwork(const AppProfile& profile, bool send) {
    profile.writeProfileInt(kSettingsSection, u"SendPosToNet", send ? 1 : 0);
}

uint32_t loadNmeaPortIndex(const AppProfile& profile) {
    const uint32_t index = profile.getProfileInt(kSettingsSection, u"NMEAPortIndex", 0);
    return index < kNmeaPortCount ? index : 0;
}

void saveNmeaPortIndex(const AppProfile& profile, uint32_t index) {
    profile.writeProfileInt(kSettingsSection, u"NMEAPortIndex", static_cast<int32_t>(index));
}

WideString loadNmeaBluetoothPort(const AppProfile& profile) {
    return profile.getProfileString(kSettingsSection, u"NMEABluetoothPort");
}

void saveNmeaBluetoothPort(const AppProfile& profile, platform::WideStringView port) {
    profile.writeProfileString(kSettingsSection, u"NMEABluetoothPort", port);
}

}  // namespace zentrix::app
