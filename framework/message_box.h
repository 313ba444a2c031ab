// Message boxes and the wait cursor. Both go through here so that a test can answer a message
// box (test_kit.h) and see whether the wait cursor was up, without a display.
#pragma once

#include <functional>
#include <vector>

#include "framework/types.h"

namespace zentrix::framework {

class CWnd;

// Buttons, icons and default button of a message box.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_TYPEMASK = 0xF;
constexpr UINT MB_ICONHAND = 0x10;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x40;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_ICONMASK = 0xF0;
constexpr UINT MB_DEFBUTTON1 = 0x0;
constexpr UINT MB_DEFBUTTON2 = 0x100;
constexpr UINT MB_DEFMASK = 0xF00;
constexpr UINT MB_SETFOREGROUND = 0x10000;
constexpr UINT MB_TOPMOST = 0x40000;

/// One message box as it was shown.
struct MessageBoxRecord {
    WideString text;
    WideString caption;
    UINT type = 0;
    int answer = 0;
    bool waitCursor = false;  ///< the wait cursor was up while it showed
};

/// Shows a message box owned by `owner` (may be null) and answers IDOK, IDCANCEL, IDYES or
/// IDNO. Without a display and without a handler it answers the default button at once.
int showMessageBox(CWnd* owner, WideStringView text, WideStringView caption, UINT type);
int AfxMessageBox(WideStringView text, UINT type = MB_OK);
/// The string-table text `stringId`.
int AfxMessageBox(UINT stringId, UINT type = MB_OK);

/// The answer of a box's default button (MB_DEFBUTTON2 makes it the second).
int defaultMessageBoxAnswer(UINT type);

/// Answers message boxes in place of the user (the test kit installs one); it receives the box
/// with `answer` unset and returns the answer.
using MessageBoxHandler = std::function<int(const MessageBoxRecord&)>;
void setMessageBoxHandler(MessageBoxHandler handler);
/// Every message box since the last clear, oldest first.
const std::vector<MessageBoxRecord>& messageBoxLog();
void clearMessageBoxLog();

/// The wait cursor nests: it shows from the first Begin to the matching End.
void BeginWaitCursor();
void EndWaitCursor();
/// How deep the wait cursor is nested now (0: normal cursor).
int waitCursorDepth();
/// How many times the wait cursor went up since the program started.
int waitCursorShowCount();

class CWaitCursor {
  public:
    CWaitCursor() { BeginWaitCursor(); }
    ~CWaitCursor() { EndWaitCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    /// Shows the wait cursor again after something (a message box) replaced it.
    void Restore() {}
};

}  // namespace zentrix::framework
