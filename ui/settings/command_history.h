// The troubleshooting page's command history: the commands a technician typed and the receiver
// took, newest first, kept between runs in "SendCmd.log" at the device root.
//
// The file is plain text in the ANSI code page, one command a line, each ended by CR LF. Typed
// commands can carry passwords (a caster login, a modem PIN), so the file is readable by its
// owner only, and it is replaced in one step: a crash or a full disk during a save leaves the
// old history, never half of it. A history that exists but cannot be read is not overwritten
// with the little this run knows: it is kept beside as "SendCmd.log.damaged" first.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"

namespace zentrix::ui {

using platform::WideString;
using platform::WideStringView;

/// The history's file, a handheld path at the device root.
inline constexpr std::string_view kCommandHistoryFile = "SendCmd.log";
/// The history keeps the newest 200 commands.
inline constexpr size_t kCommandHistoryMaxEntries = 200;

/// What a history file's bytes hold.
struct ParsedCommandHistory {
    /// The first 200 non-empty lines, each whole however long, converted from the ANSI code
    /// page. CR, LF and CR LF all end a line.
    std::vector<WideString> entries;
    /// False when the bytes are not a text this program writes (a zero byte): the lines around
    /// it are read, the file should be kept before it is replaced.
    bool whole = true;
};
ParsedCommandHistory parseCommandHistory(std::string_view bytes);

/// The file's bytes for `entries`: the first 200 non-empty ones in the ANSI code page, each
/// followed by CR LF.
std::string formatCommandHistory(const std::vector<WideString>& entries);

/// The history as the page holds it while it is open. User-interface thread.
class CommandHistory {
  public:
    /// A history kept in `fileName` at the device root (the root is looked up at each load and
    /// save, so a test may point it at a folder of its own).
    explicit CommandHistory(std::string fileName = std::string(kCommandHistoryFile));

    /// Empties the history and reads the file. A missing file gives an empty history and true;
    /// a file that exists but cannot be read (or holds bytes this program never writes) gives
    /// what could be read and false, and is kept aside at the next save.
    bool load();
    /// Replaces the file with the history (owner-only, in one step). A file the last load could
    /// not read is first kept beside as "<name>.damaged"; when that copy cannot be made nothing
    /// is written. False when nothing was written.
    bool save();

    /// Puts `command` first unless an entry equals it exactly (case counts: the receiver's
    /// console tells "ON" from "on"); the 201st entry drops off the end. True when it was added.
    bool add(WideStringView command);
    bool contains(WideStringView command) const;

    const std::vector<WideString>& entries() const { return entries_; }
    const std::string& fileName() const { return fileName_; }

  private:
    std::string fileName_;
    std::vector<WideString> entries_;
    bool keepOldFile_ = false;  // the last load found a file it could not read whole
};

}  // namespace zentrix::ui
