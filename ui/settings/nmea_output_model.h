// What the NMEA output sheet shows and sends, without windows.
//
// The receiver sends NMEA to one output at a time as the sheet sees it: the handheld's virtual
// serial port, the cable, Bluetooth, or a file it records. Each output has its own sentences and
// intervals. The pages read them when an output is shown and write them back at OK (or, for the
// file, on leaving the sentence page); a read that failed must not come back as a write of the
// control's default, and sentences loaded for one output must never be written to another.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/text.h"
#include "receiver/commands/receiver_interface.h"
#include "receiver/replies/reply_groups.h"

namespace zentrix::ui {

/// `NmeaOutputCode`s: the receiver's NMEA destinations as the commands number them.
inline constexpr uint32_t kNmeaVirtualPort = 0;
inline constexpr uint32_t kNmeaCable = 1;
inline constexpr uint32_t kNmeaBluetooth = 2;
inline constexpr uint32_t kNmeaFile = 6;

/// The entries of the output list, in list order.
inline constexpr std::array<uint32_t, 4> kNmeaOutputCodes = {kNmeaVirtualPort, kNmeaCable,
                                                             kNmeaBluetooth, kNmeaFile};
/// The output code of list entry `index`; nothing for an index outside the list.
std::optional<uint32_t> nmeaOutputCode(int index);

/// What the menu keeps between runs ("NMEAPortIndex", "NMEABluetoothPort"): the output list
/// entry last shown and the Bluetooth port last chosen. The Output page reads it when it is
/// made and writes it back when it goes, confirmed or not.
struct NmeaOutputSettings {
    uint32_t portIndex = 0;
    platform::WideString bluetoothPort;
};

/// The cable's baud list; the index is the baud code.
inline constexpr std::array<const char16_t*, 10> kNmeaBaudTexts = {
    u"300", u"600", u"1200", u"2400", u"4800", u"9600", u"19200", u"38400", u"57600", u"115200"};
/// The receiver's Bluetooth ports: names the receiver knows, never opened here.
inline constexpr std::array<const char16_t*, 3> kNmeaBluetoothPorts = {u"COM1", u"COM7", u"COM9"};
/// What the Bluetooth port is set to when no sentence goes out on it.
inline constexpr char16_t kNmeaNoBluetoothPort[] = u"NONE";

/// The ten sentences the Messages page offers, in its order, by receiver message code.
inline constexpr int kNmeaSentenceCount = 10;
inline constexpr std::array<uint32_t, kNmeaSentenceCount> kNmeaSentenceCodes = {
    2 /*GGA*/,  3 /*GLL*/,  4 /*GSA*/,  6 /*GSV*/, 10 /*RMC*/,
    11 /*RRE*/, 12 /*VTG*/, 13 /*ZDA*/, 5 /*GST*/, 18 /*GNS*/};
/// The entries of every interval list, in seconds.
inline constexpr std::array<float, 19> kNmeaIntervalsSeconds = {
    0.05f, 0.1f, 0.2f, 0.5f, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 20, 30, 40, 50, 60};

/// The interval list entry within 0.001 s of `seconds`; nothing when none is.
std::optional<int> nmeaIntervalIndex(float seconds);

/// One sentence as the Messages page shows it.
struct NmeaSentenceShown {
    bool on = false;
    int interval = 0;  ///< interval list index, -1 none
    bool operator==(const NmeaSentenceShown&) const = default;
};
using NmeaSentencesShown = std::array<NmeaSentenceShown, kNmeaSentenceCount>;

/// The sentences a receiver reported for an output: a sentence is on when its interval is not
/// zero; its interval entry is the one the interval matches, else the first.
NmeaSentencesShown nmeaSentencesFrom(const receiver::MessageOutputs& outputs);

/// True when any of the ten sentences goes out (a non-zero interval).
bool anyNmeaSentenceOn(const receiver::MessageOutputs& outputs);

/// The sentences as loaded for one output, and as the user left them.
struct NmeaMessagesState {
    uint32_t loadedFor = 0;
    /// The receiver answered when they were loaded; otherwise the boxes are only defaults and
    /// only the sentences the user worked are sent.
    bool loaded = false;
    std::array<bool, kNmeaSentenceCount> worked{};
    NmeaSentencesShown shown{};
};

/// One receiver call of a write.
struct NmeaCall {
    enum class Kind { SetPortBaud, SetBluetoothPort, SetNmeaMessage };
    Kind kind = Kind::SetNmeaMessage;
    uint32_t port = 0;   ///< port index (the output code)
    uint32_t value = 0;  ///< baud code, message code
    bool on = false;
    float intervalSeconds = 0;
    platform::WideString name;  ///< Bluetooth port name
    bool operator==(const NmeaCall&) const = default;
};

/// The sentences of `state` for `outputCode`, in page order; nothing when they were loaded for
/// another output. A checked sentence without an interval goes on with interval 0.
std::vector<NmeaCall> planNmeaMessagesWrite(const NmeaMessagesState& state, uint32_t outputCode);

/// The Output page's line settings as shown at OK.
struct NmeaOutputShown {
    uint32_t outputCode = kNmeaCable;
    /// Cable: the baud code selected (-1 none), whether the receiver's was read when the output
    /// was shown, and whether the user chose one since.
    int baud = -1;
    bool baudRead = false;
    bool baudChosen = false;
    /// Bluetooth: the port list entry selected (-1 none).
    int bluetoothPort = -1;
};

/// The Output page's write at OK: the cable's baud (port on) when it was read or chosen; for
/// Bluetooth the selected port when a sentence goes out on it (`anySentenceOn`), else "NONE";
/// nothing when nobody knows (the receiver did not say which sentences it sends there), so that
/// a query that failed never switches a working port off.
std::vector<NmeaCall> planNmeaOutputWrite(const NmeaOutputShown& shown,
                                          std::optional<bool> anySentenceOn);

/// Sends `calls` in order; failures are not reported (the receiver keeps what it had).
void applyNmeaCalls(receiver::ReceiverInterface& receiver, const std::vector<NmeaCall>& calls);

/// A recording file path split as the page shows it: folder and file name. "/" and "\" both
/// separate; a file at the top has the folder "/".
struct NmeaFilePath {
    platform::WideString folder;
    platform::WideString name;
};
NmeaFilePath splitNmeaFilePath(platform::WideStringView path);

/// The first character of a recording file path that cannot go into the receiver's command (a
/// field separator ",", "*" or "$", a control character, or a character the ANSI code page
/// lacks); nothing when the path can go.
std::optional<platform::WideString> nmeaFilePathRefusal(platform::WideStringView path);

}  // namespace zentrix::ui
