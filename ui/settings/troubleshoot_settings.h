// What the troubleshooting page reads from the receiver when it opens, and what it sends when the
// sheet is confirmed, as functions of the receiver interface (no windows).
//
// Debug recording is worth having only in the receiver's ring mode, where it keeps the newest
// data and never fills the memory; recording that the receiver runs linearly is switched off at
// once when the page opens, and switching it on is checked 5 seconds later, when the receiver has
// settled, for the ring flag. A value whose read failed is never written back unless the user
// changed it: a receiver that did not answer must not have its recording switched off by a page
// that only showed a default.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/text.h"
#include "receiver/commands/receiver_interface.h"

namespace zentrix::ui {

using platform::WideString;
using platform::WideStringView;

/// The memory code of each storage entry: internal memory, storage card, the receiver's path.
inline constexpr uint32_t kMemoryInternal = 0;
inline constexpr uint32_t kMemoryCard = 1;
inline constexpr uint32_t kMemoryPath = 9;
/// How long the receiver gets to report its ring flag after debug recording was switched on.
inline constexpr uint32_t kDebugRecordingSettleMs = 5000;

/// The receiver's debug recording and memory as the page found them when it opened.
struct TroubleshootRead {
    /// Debug recording: whether the page knows its state, and whether it records (in ring mode).
    /// Linear recording found at opening was switched off then and reads as known, off.
    bool debugKnown = false;
    bool debugRecording = false;
    /// The memory code, when its query succeeded.
    std::optional<uint32_t> memoryCode;
    /// The receiver's recording path, read only for memory code 9.
    std::optional<WideString> receiverPath;
};

/// Reads the page's state in the page's order: `queryAutoLogging` (again when it reports on, and
/// `setAutoLogging`(off) for linear recording), `queryMemory`, and `queryFilePath` for code 9.
TroubleshootRead readTroubleshoot(receiver::ReceiverInterface& receiver);

/// What the page's controls show.
struct TroubleshootShown {
    bool debugChecked = false;
    /// The storage entry selected, -1 for none.
    int storageIndex = -1;
};

/// The storage entries and the state of the controls right after opening.
struct TroubleshootView {
    /// "Internal memory", "Storage Card" and, for code 9 with a known path, the path.
    std::vector<WideString> storageEntries;
    TroubleshootShown shown;
    /// The storage list is locked while ring recording runs or the receiver records to its path.
    bool storageEnabled = true;
};
TroubleshootView troubleshootView(const TroubleshootRead& read, WideStringView internalMemory,
                                  WideStringView storageCard);

/// The memory code of storage entry `index`.
int32_t memoryCodeOfEntry(int index);

/// The settings to send at OK.
struct TroubleshootWrite {
    /// `setMemory` with this code.
    std::optional<int32_t> memoryCode;
    /// Debug recording on (checked 5 seconds later) or off.
    std::optional<bool> debugRecording;
    bool operator==(const TroubleshootWrite&) const = default;
};

/// The storage is sent when its selection differs from the one at opening (and there is one);
/// debug recording when its state was read or the user changed the box.
TroubleshootWrite planTroubleshootWrite(const TroubleshootRead& read,
                                        const TroubleshootShown& atOpening,
                                        const TroubleshootShown& now);

/// How sending the settings ended.
enum class TroubleshootWriteResult {
    Done,
    /// Debug recording did not start, or runs without the ring flag and was switched off again.
    DebugRecordingFailed,
};

/// Sends `write` in order: the memory, then debug recording. Switching it on waits 5000 clock
/// milliseconds and asks for the ring flag; without it recording is switched off again.
TroubleshootWriteResult applyTroubleshootWrite(receiver::ReceiverInterface& receiver,
                                               const TroubleshootWrite& write);

/// Whether a typed command may go to the receiver.
enum class CommandTextCheck {
    Empty,          ///< nothing to send
    Sendable,       ///< goes out as typed
    LineBreak,      ///< a CR or LF would end the command early and start another
    NotInCodePage,  ///< a character the ANSI code page lacks would go out as "?"
};
struct CommandText {
    CommandTextCheck check = CommandTextCheck::Empty;
    /// The command in the ANSI code page (Sendable), or the first character that is not.
    std::string bytes;
    WideString offending;
};
/// Checks the first `kCommandMaxChars` characters of a typed command.
CommandText commandTextFor(WideStringView typed);
inline constexpr size_t kCommandMaxChars = 384;

}  // namespace zentrix::ui
