// The raw window layer: window classes with a window procedure and dialogs with a dialog
// procedure, for code written against the platform's message interface (the launcher plug-in).
// A window made here is a CWnd like any other; its procedure receives the messages the CWnd
// handlers would: WM_CREATE, WM_PAINT (BeginPaint/EndPaint give a CDC), WM_ERASEBKGND,
// WM_TIMER, WM_LBUTTONDOWN/UP, WM_SIZE, WM_DESTROY, WM_COMMAND and WM_NOTIFY from its controls,
// and anything sent with SendMessage. Dialog procedures receive WM_INITDIALOG, WM_COMMAND
// (IDOK and IDCANCEL too: the procedure ends the dialog itself), WM_NOTIFY and WM_TIMER.
// WM_NOTIFY's lParam points to the NotifyInfo (wnd.h); sliders report as WM_HSCROLL. Controls
// are used as objects rather than through control messages:
//     auto* list = static_cast<CListCtrl*>(CWnd::FromHandle(GetDlgItem(hwnd, 1000)));
#pragma once

#include "framework/wnd.h"

namespace zentrix::framework {

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
/// Answers TRUE (nonzero) for a message it handled.
using DLGPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using HINSTANCE = void*;

constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_WININICHANGE = 0x001A;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_USER = 0x0400;

// Class styles (accepted; every window here repaints when resized).
constexpr UINT CS_VREDRAW = 0x1;
constexpr UINT CS_HREDRAW = 0x2;

constexpr UINT LOWORD(std::uintptr_t v) {
    return static_cast<UINT>(v & 0xFFFF);
}
constexpr UINT HIWORD(std::uintptr_t v) {
    return static_cast<UINT>((v >> 16) & 0xFFFF);
}
constexpr WPARAM MAKEWPARAM(UINT low, UINT high) {
    return (low & 0xFFFF) | ((high & 0xFFFF) << 16);
}
constexpr LPARAM MAKELPARAM(int low, int high) {
    return static_cast<LPARAM>((static_cast<UINT>(low) & 0xFFFF) |
                               ((static_cast<UINT>(high) & 0xFFFF) << 16));
}
constexpr int GET_X_LPARAM(LPARAM v) {
    return static_cast<std::int16_t>(v & 0xFFFF);
}
constexpr int GET_Y_LPARAM(LPARAM v) {
    return static_cast<std::int16_t>((v >> 16) & 0xFFFF);
}

struct WNDCLASS {
    UINT style = 0;
    WNDPROC lpfnWndProc = nullptr;
    HINSTANCE hInstance = nullptr;
    WideString lpszClassName;
};

struct PAINTSTRUCT {
    CDC* hdc = nullptr;
    bool fErase = false;
    CRect rcPaint;
};

bool RegisterClass(const WNDCLASS* windowClass);
bool UnregisterClass(WideStringView className, HINSTANCE instance);
/// A window of a registered class; WM_CREATE reaches its procedure before this returns (with
/// `param` as lParam). Null for an unknown class or when WM_CREATE answers -1.
HWND CreateWindow(WideStringView className, WideStringView title, DWORD style, int x, int y,
                  int width, int height, HWND parent, UINT id, HINSTANCE instance,
                  LPARAM param = 0);
bool DestroyWindow(HWND window);
/// Calls the window's procedure (or dialog procedure) at once; 0 for other windows.
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
/// Calls it from the event loop, later, in the order posted; false when the window does not
/// exist. Any thread may post (a reader thread notifying a window); a message to a window that
/// is destroyed before its turn is dropped.
bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
/// What the platform does with a message nobody handled: erases the background, validates.
LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
/// How many window handlers the layer runs at once on this thread: 0 in the program's own code,
/// 1 in a handler called from the event loop, more while a handler waits in a modal dialog or
/// message box whose loop runs another. A host that unloads the code behind windows (plug-ins)
/// does so only at 1 or less, when none of that code can be below it.
int WindowHandlerDepth();

CDC* BeginPaint(HWND window, PAINTSTRUCT* paint);
bool EndPaint(HWND window, const PAINTSTRUCT* paint);
bool InvalidateRect(HWND window, const CRect* rect, bool erase);
bool UpdateWindow(HWND window);
bool GetClientRect(HWND window, CRect* rect);
bool MoveWindow(HWND window, int x, int y, int width, int height, bool repaint);
bool ShowWindow(HWND window, int command);
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs, void* unused);
bool KillTimer(HWND window, UINT_PTR id);
HWND GetParent(HWND window);
HWND GetDlgItem(HWND dialog, UINT id);
bool SetDlgItemText(HWND dialog, UINT id, WideStringView text);
/// A value the procedure keeps with its window (the platform's user-data slot).
LPARAM SetWindowUserData(HWND window, LPARAM value);
LPARAM GetWindowUserData(HWND window);

/// Runs dialog `templateId` modally with `procedure`; the value given to EndDialog, -1 when the
/// template is missing.
LRESULT DialogBoxParam(HINSTANCE instance, UINT templateId, HWND parent, DLGPROC procedure,
                       LPARAM param);
/// Makes it modeless; DestroyWindow ends it.
HWND CreateDialogParam(HINSTANCE instance, UINT templateId, HWND parent, DLGPROC procedure,
                       LPARAM param);
bool EndDialog(HWND dialog, LRESULT result);

}  // namespace zentrix::framework
