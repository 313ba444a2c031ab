// The Today screen's side of its item plug-ins: the messages a host sends an item window, the
// messages an item sends its host, and the description the host hands an item when it creates it.
// A plug-in is a shared object exporting `InitializeCustomItem` and `CustomItemOptionsDlgProc`
// (found by name: the numbers the handheld exported them by have no meaning in an ELF file).
#pragma once

#include <cstdint>
#include <string>

#include "framework/gdi_objects.h"
#include "framework/window_proc.h"

namespace zentrix::framework {

// Host -> item window.
/// Asks whether the item changed: the item answers TRUE after updating `TODAYLISTITEM::cyp`.
constexpr UINT WM_TODAYCUSTOM_QUERYREFRESHCACHE = WM_USER + 243;
/// The host drops what it cached of the item.
constexpr UINT WM_TODAYCUSTOM_CLEARCACHE = WM_USER + 242;

// Item window -> its parent (the host's window).
/// Draws the host's background into `TODAYDRAWWATERMARKINFO::hdc` for the item's rectangle.
constexpr UINT TODAYM_DRAWWATERMARK = WM_USER + 100;
/// Answers the host's colour (COLORREF) for the index in wParam.
constexpr UINT TODAYM_GETCOLOR = WM_USER + 101;

constexpr WPARAM TODAYCOLOR_TEXT = 0x10000004;
constexpr WPARAM TODAYCOLOR_HIGHLIGHT = 0x10000022;
constexpr WPARAM TODAYCOLOR_HIGHLIGHTEDTEXT = 0x10000023;

/// wParam of the WM_WININICHANGE broadcast that tells the host to reload its items.
constexpr WPARAM kTodayRefreshCode = 242;

struct TODAYDRAWWATERMARKINFO {
    CDC* hdc = nullptr;
    CRect rc;          ///< in the item window's coordinates
    HWND hwnd = nullptr;  ///< the item window
};

enum class TodayItemType { Custom = 0 };

/// What the host knows of one item; the item may change `cyp` (its height in pixels).
struct TODAYLISTITEM {
    WideString szName;
    TodayItemType tlit = TodayItemType::Custom;
    DWORD dwOrder = 0;
    DWORD cyp = 0;          ///< the item's height, set by the item when it answers a refresh query
    bool fEnabled = true;   ///< a disabled item gets no window
    bool fOptions = true;   ///< the item has an options dialog
    DWORD grfFlags = 0;
    std::string szDLLPath;  ///< the shared object, a path on this machine
    HINSTANCE hinstDLL = nullptr;
    HWND hwndCustom = nullptr;
};

using PFNCUSTOMINITIALIZEITEM = HWND (*)(TODAYLISTITEM* item, HWND parent);
using PFNCUSTOMOPTIONSDLGPROC = DLGPROC;

inline constexpr char kInitializeCustomItemExport[] = "InitializeCustomItem";
inline constexpr char kCustomItemOptionsDlgProcExport[] = "CustomItemOptionsDlgProc";

}  // namespace zentrix::framework
