// The handheld's file system, rooted in one folder of this machine.
//
// Every path the program was written for ("\Windows\Zentrix.dat", "\My Documents\GPS Raw Data",
// a bare "SendCmd.log") lives below the device root, the way a Wine prefix holds a Windows drive.
// A user can look at, back up or delete the whole handheld by looking at that one folder.
#pragma once

#include <filesystem>
#include <string_view>

#include "platform/text.h"

namespace zentrix::platform {

/// `$ZENTRIX_ROOT`, else `$XDG_DATA_HOME/zentrix/root`, else `~/.local/share/zentrix/root`.
/// Read anew on every call, so that a test can point the program at a folder of its own.
std::filesystem::path deviceRoot();

/// Maps a handheld path onto the device root. "\" and "/" both separate folders; a bare name
/// stands at the root (the handheld had no current folder). ".." never climbs above the root, so
/// a name read from a file cannot reach outside the handheld.
std::filesystem::path devicePath(WideStringView handheldPath);
std::filesystem::path devicePath(std::string_view handheldPath);

/// Creates `folder` and its parents below the device root as needed; false when that failed.
bool createFolders(const std::filesystem::path& folder);
/// Creates the folder that will hold `file`.
bool createParentFolders(const std::filesystem::path& file);

/// Resolves a port name to the device to open: for "COMn:" `$ZENTRIX_COMn` when set, else the link
/// `devices/COMn` in the device root when it exists, else `/dev/ttyS<n-1>`. Any other port name
/// ("BSP4:") is looked up the same way without the last fall-back; an absolute path stands for
/// itself, and so does a network address ("tcp://HOST:PORT", "gpsd://HOST[:PORT]"). An empty path
/// means the name cannot be resolved.
std::filesystem::path resolvePortName(WideStringView portName);

}  // namespace zentrix::platform
