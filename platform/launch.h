// Starting what a launcher item names, never through a shell: a program with its arguments split
// as the handheld's command line was, a desktop entry through its Exec= line, a folder or any
// other document through the desktop's opener (xdg-open).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/text.h"

namespace zentrix::platform {

/// Splits a command line at blanks; double quotes group blanks into one argument and are removed,
/// `\"` is a literal quote. Nothing is expanded: "$(x)", ";", "*" and "~" stay as they are.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

/// What a launch did.
struct LaunchResult {
    bool started = false;
    std::string error;  ///< why not, in one line, when not started
};

/// Starts `file` (a handheld path such as "\Program Files\Zentrix.exe" mapped through the device
/// root, or a path on this machine) with `commandLine` as its arguments, detached.
LaunchResult launchFile(WideStringView file, WideStringView commandLine);

}  // namespace zentrix::platform
