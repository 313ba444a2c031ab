// The launcher's options dialog: the items of each group and, through the settings dialog, the
// layout. It edits a private copy of the settings record; OK saves it, Cancel drops it.
#pragma once

#include "framework/window_proc.h"

namespace zentrix::today {

/// The body of the exported `CustomItemOptionsDlgProc` (dialog IDD_TODAY_OPTIONS). Opened
/// modally by the host's "Items..." it ends with 1; opened from the item window it destroys
/// itself, marks the item for a refresh and broadcasts the Today refresh.
framework::LRESULT customItemOptionsDlgProc(framework::HWND dialog, framework::UINT message,
                                            framework::WPARAM wParam, framework::LPARAM lParam);

/// Opens the dialog modelessly over the item window `owner`; when one is open already, that one
/// is brought forward instead. Answers the dialog.
framework::HWND openOptionsDialog(framework::HWND owner);

}  // namespace zentrix::today
