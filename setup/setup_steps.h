// What the installer hooks do, step by step, with what went wrong collected rather than thrown.
//
// The hooks run as root from the package's maintainer scripts, on a machine with users. So the
// file step acts only on a device root named for it ($ZENTRIX_ROOT; the runner sets it from
// --root), never on root's own or anyone's home, and inside a user's device root it acts as
// that user. The refresh reaches every user's launcher through that user's own channel.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zentrix::setup {

/// The folder of the device root the start-up program is delivered into, and its name.
inline constexpr char kDeliveryFolder[] = "ZentrixToday";
inline constexpr char kStartUpProgram[] = "Daywake.exe";
/// The refresh request: the settings change with the launcher's code, as a broadcast line.
inline constexpr char kRefreshBroadcast[] = "26 242 0";
/// How long the launcher gets to take the first refresh before the second, in clock ms.
inline constexpr uint32_t kRefreshPauseMs = 2000;

/// What the steps had to say: warnings for steps that failed, notices for steps left out.
struct Report {
    std::vector<std::string> warnings;
    std::vector<std::string> notices;
};

/// The device root named for the file steps: `$ZENTRIX_ROOT` when set and not empty.
std::optional<std::filesystem::path> namedDeviceRoot();

/// Moves "<root>/ZentrixToday/Daywake.exe" to "<root>/Windows/StartUp/Daywake.exe": a copy
/// beside the target, renamed over it with the source's permissions, then the source removed.
/// Whatever fails leaves the source where it was.
void moveStartUpProgram(const std::filesystem::path& deviceRoot, Report& report);

/// The same, run as the owner of the device root when root runs it in a device root of another
/// user (in a child process that has given up root), so that a link the user planted reaches only
/// what the user may reach, and what is made belongs to the user.
void moveStartUpProgramAsOwner(const std::filesystem::path& deviceRoot, Report& report);

/// One refresh broadcast to every user's launcher.
void broadcastRefresh(Report& report);

/// The exit hooks' work: the move (when a device root is named), refresh, pause, refresh; and
/// one refresh.
void installExit(Report& report);
void uninstallExit(Report& report);

/// Writes the report to standard error: "zentrix-setup: warning: ..." per warning.
void printReport(const Report& report);

}  // namespace zentrix::setup
