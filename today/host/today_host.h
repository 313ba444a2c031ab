// The Today host: a small launcher window that stands in for the handheld's Today screen. It loads
// item plug-ins, lays their windows out one below the other, sends them the Today messages and
// reloads them on the Today refresh broadcast.
#pragma once

namespace zentrix::today {

/// Runs the host until its window is closed; the process's exit status.
int runTodayHost(int argc, char** argv);

}  // namespace zentrix::today
