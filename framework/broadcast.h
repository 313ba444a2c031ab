// Broadcasts to every top-level window: those of this process and those of the user's other
// processes on the same device root (the Today refresh after the launcher's options were saved,
// or after an install), through the platform's broadcast channel (platform/broadcast_channel.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/window_proc.h"

namespace zentrix::framework {

/// Posts `message` to every top-level window of this process and sends it to every other process
/// that listens for broadcasts. Answers how many other processes it reached. User-interface
/// thread, or a process without windows.
int BroadcastMessage(UINT message, WPARAM wParam, LPARAM lParam);

/// Makes this process receive the broadcasts of others: each one is posted to every top-level
/// window of this process from the event loop. Only the settings change (WM_WININICHANGE, with
/// lParam 0: the platform's lParam would point at a text) is taken from another process; any
/// other message could be read as carrying a pointer, or click a button, in windows that never
/// expected it from outside. False (with the reason in `error`) when it cannot listen; a second
/// call does nothing. User-interface thread.
bool ListenForBroadcasts(std::string* error = nullptr);

/// Stops receiving them and removes this process's socket (the process's end does that too).
void StopListeningForBroadcasts();

/// Internal: one broadcast as it travels between processes, "message wParam lParam" in decimal.
struct BroadcastRecord {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool operator==(const BroadcastRecord&) const = default;
};
std::string formatBroadcast(const BroadcastRecord& record);
/// Nothing for a line that is not three numbers in range.
std::optional<BroadcastRecord> parseBroadcast(std::string_view text);

/// Internal: the live top-level windows of this process (owned dialogs among them), in no
/// particular order; empty before the window system started.
std::vector<HWND> topLevelWindows();

}  // namespace zentrix::framework
