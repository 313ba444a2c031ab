// Other programs of the handheld: finding a running one by name and starting one.
//
// The handheld named programs by their executable file ("Duxlane.exe"); on Linux a program runs
// as "Duxlane" or as "Duxlane.exe" (a script or a binary copied over). Both match, without regard
// to case, as the handheld compared them.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"

namespace zentrix::platform {

/// The names of the running processes of this machine: the executable's file name and, where it
/// differs (a script, a renamed process), the kernel's short command name. Empty when /proc is
/// not readable.
std::vector<std::string> runningProcessNames();

/// True when `executableName` ("Name.exe" or a path ending in it) names a running process.
bool isProcessRunning(WideStringView executableName);

/// Whether a process name matches an executable name as the handheld compares them.
bool processNameMatches(std::string_view processName, std::string_view executableName);

/// Starts `program` (a path on this machine) with the handheld-style command line split as
/// splitCommandLine splits it, detached from this process as startProgram starts it (launch.h);
/// false when it could not be started.
bool startProcess(const std::filesystem::path& program, WideStringView commandLine);

/// The handheld's special folders, inside the device root.
enum class SpecialFolder { ProgramFiles, StartUp, Windows, MyDocuments };
std::filesystem::path specialFolderPath(SpecialFolder folder);

/// This program's own executable (`/proc/self/exe`); empty when it cannot be read.
std::filesystem::path ownExecutablePath();

}  // namespace zentrix::platform
