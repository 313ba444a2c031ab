// Broadcasts to every top-level window: those of this process and those of the user's other
// processes on the same device root (the Today refresh after the launcher's options were saved,
// or after an install), through the platform's local channel.
#pragma once

#include <string>

#include "framework/window_proc.h"

namespace zentrix::framework {

/// Posts `message` to every top-level window of this process and sends it to every other process
/// that listens for broadcasts. Answers how many other processes it reached.
int BroadcastMessage(UINT message, WPARAM wParam, LPARAM lParam);

/// Makes this process receive the broadcasts of others: each one is posted to every top-level
/// window of this process from the event loop. False (with the reason in `error`) when it cannot
/// listen; a second call does nothing.
bool ListenForBroadcasts(std::string* error = nullptr);

}  // namespace zentrix::framework
