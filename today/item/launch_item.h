// Starting what an item names: its pseudo-commands ("#Settings", "#Arrow up" ...), which act on
// the item window, a folder, which opens in the desktop's file manager, and anything else, which
// the platform starts or opens without a shell.
#pragma once

#include <functional>

#include "framework/window_proc.h"
#include "platform/launch.h"
#include "today/launcher_settings.h"

namespace zentrix::today {

/// What a file name asks for.
enum class LaunchKind {
    Settings,
    PreviousPage,
    NextPage,
    PreviousGroup,
    NextGroup,
    Folder,  ///< an existing folder, or "\"
    File,
};

/// The item window's commands, sent to it as kItemCommandMessage with the command as wParam.
enum class ItemCommand : framework::WPARAM { PreviousPage = 1, NextPage, PreviousGroup, NextGroup };
inline constexpr framework::UINT kItemCommandMessage = framework::WM_USER + 300;

/// Pseudo-commands are told apart without regard to case.
LaunchKind launchKind(WideStringView file);

/// Runs `file` with `commandLine` for the item window `owner`: a pseudo-command acts on `owner`,
/// anything else starts through the platform; a program that cannot be started is reported in a
/// message box over `owner`. True when something was done.
bool launchItem(WideStringView file, WideStringView commandLine, framework::HWND owner);

/// Opens the options dialog over the item window (through the replaceable opener below).
framework::HWND openItemOptions(framework::HWND owner);

using FileLauncher =
    std::function<platform::LaunchResult(WideStringView file, WideStringView commandLine)>;
using OptionsOpener = std::function<framework::HWND(framework::HWND owner)>;

/// Replace the platform's launch and the options dialog (tests); empty restores the real ones.
void setFileLauncher(FileLauncher launcher);
void setOptionsOpener(OptionsOpener opener);

}  // namespace zentrix::today
