// Starting what a launcher item names, never through a shell: a program with its arguments split
// as the handheld's command line was, a desktop entry through its Exec= line, a folder or any
// other document through the desktop's opener (xdg-open).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/text.h"

namespace zentrix::platform {

/// Splits a command line at blanks; double quotes group blanks into one argument and are removed,
/// `\"` is a literal quote. Nothing is expanded: "$(x)", ";", "*" and "~" stay as they are.
/// Backslashes are literal ("\My Documents\a.txt") except before a quote: 2n of them and a quote
/// give n backslashes and open or close a quoted part, 2n+1 give n and a literal quote.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

/// What a launch did.
struct LaunchResult {
    bool started = false;
    std::string error;  ///< why not, in one line, when not started
};

/// Starts `file` (a handheld path such as "\Program Files\Zentrix.exe" mapped through the device
/// root, or a path on this machine) with `commandLine` as its arguments, detached.
///
/// A path starting with "/" is this machine's; any other is the handheld's (below the device
/// root), and a bare name that is not there is looked for in PATH. "Name.exe" that does not
/// exist is also found as "Name" in the same folder. A folder (also "\") and a document that is
/// not executable are handed to the opener: `$ZENTRIX_OPENER` when set (tests point it at a
/// program of their own), else `xdg-open`. A ".desktop" file starts its Exec= line (a link its
/// URL= through the opener) with `commandLine` appended. `started` says that the program was
/// executed, not that it went on to do its work.
LaunchResult launchFile(WideStringView file, WideStringView commandLine);

/// The file on this machine that launchFile starts or opens for `file` (its icon is that file's
/// icon); nothing when there is none.
std::optional<std::filesystem::path> findLaunchFile(WideStringView file);

/// Starts `program` (a path, or a bare name looked for in PATH) with `arguments` after it,
/// detached: in a session of its own, standard input from /dev/null, reaped when it ends. The
/// error names `displayName` (the program when empty).
LaunchResult startProgram(const std::filesystem::path& program,
                          const std::vector<std::string>& arguments,
                          const std::string& displayName = {},
                          const std::filesystem::path& workingFolder = {});

}  // namespace zentrix::platform
