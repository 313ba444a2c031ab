// CWnd: the base of every window of the layer (dialogs, pages, controls, custom-drawn controls)
// and the notification routing between controls and the dialog that holds them.
//
// A CWnd is a handle on a Qt widget. The widget keeps the control's state (texts, items, rows,
// timers), so that a page may take over a control its dialog template created (`SubclassDlgItem`,
// `DDX_Control`) with an object of its own class without copying anything. Notifications travel
// as on the platform: a control first offers its notification to itself (`OnChildNotify`, the
// platform's reflection), then to its parent, whose notification table maps
// (notification code, control id) to a member function:
//
//     CTroubleshootPage::CTroubleshootPage() : CPropertyPage(IDD_TROUBLESHOOT) {
//         MapNotification(BN_CLICKED, IDC_SEND, &CTroubleshootPage::OnSend);
//         MapNotification(LVN_COLUMNCLICK, IDC_LIST, &CTroubleshootPage::OnColumnClick);
//     }
//
// User-interface thread only, like every class of the layer (PostMessage aside).
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <vector>

#include "framework/dc.h"
#include "framework/types.h"
#include "framework/wnd_styles.h"

class QWidget;

namespace zentrix::framework {

using UINT_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

/// A window's identity, stable for the window's life (whichever object handles it) and never
/// given to another window afterwards.
struct HWND__;
using HWND = HWND__*;

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_SHOWNA = 8;

// Check states.
constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;
constexpr int BST_INDETERMINATE = 2;

// Mouse flags of OnLButtonDown and friends.
constexpr UINT MK_LBUTTON = 0x1;

// Notification codes, as the platform numbers them. Codes of different control classes may be
// equal; the control id tells them apart.
constexpr UINT BN_CLICKED = 0;
constexpr UINT STN_CLICKED = 0;
constexpr UINT CBN_SELCHANGE = 1;
constexpr UINT CBN_DBLCLK = 2;
constexpr UINT CBN_EDITCHANGE = 5;
constexpr UINT CBN_DROPDOWN = 7;
constexpr UINT CBN_CLOSEUP = 8;
constexpr UINT EN_SETFOCUS = 0x100;
constexpr UINT EN_KILLFOCUS = 0x200;
constexpr UINT EN_CHANGE = 0x300;
constexpr UINT NM_CLICK = static_cast<UINT>(-2);
constexpr UINT NM_DBLCLK = static_cast<UINT>(-3);
constexpr UINT NM_RETURN = static_cast<UINT>(-4);
constexpr UINT LVN_ITEMCHANGED = static_cast<UINT>(-101);
constexpr UINT LVN_COLUMNCLICK = static_cast<UINT>(-108);
constexpr UINT LVN_ITEMACTIVATE = static_cast<UINT>(-114);
constexpr UINT TCN_SELCHANGE = static_cast<UINT>(-551);
// Slider notifications (the platform sends them as scroll messages to the parent).
constexpr UINT TB_THUMBPOSITION = 4;
constexpr UINT TB_THUMBTRACK = 5;
constexpr UINT TB_ENDTRACK = 8;

class CWnd;

/// What a notification carries: the header fields of every notification and the fields of the
/// list, tab and slider ones (unused fields keep their defaults).
struct NotifyInfo {
    CWnd* hwndFrom = nullptr;
    UINT idFrom = 0;
    UINT code = 0;
    int iItem = -1;      ///< list row, tab index
    int iSubItem = 0;    ///< list column (column click)
    UINT uNewState = 0;  ///< list item changes: LVIS_ states
    UINT uOldState = 0;
    UINT uChanged = 0;  ///< LVIF_STATE when the state changed
    int nPos = 0;       ///< slider position
};

class CWnd {
  public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    /// A plain child window (custom drawn through OnPaint) or, without WS_CHILD, a top-level one.
    virtual bool Create(WideStringView text, DWORD style, const CRect& rect, CWnd* parent, UINT id);
    /// Destroys the window (and its children); the object stays and may be created again.
    /// From then on no handler of the window runs and its handle finds nothing; a window
    /// destroyed by its own handler stays (hidden) until that handler has returned.
    virtual bool DestroyWindow();
    /// Takes over control `id` of `parent`: notifications and painting go to this object from
    /// now on, and `parent->GetDlgItem(id)` answers it.
    bool SubclassDlgItem(UINT id, CWnd* parent);
    /// Takes over the existing window `hwnd` (a header control, a window made by a template).
    bool SubclassWindow(HWND hwnd);
    /// Gives the window back to the object that handled it before.
    HWND UnsubclassWindow();
    /// Null when the window does not exist.
    HWND GetSafeHwnd() const;
    bool IsWindow() const { return GetSafeHwnd() != nullptr; }
    /// The object that handles window `hwnd`, or null.
    static CWnd* FromHandle(HWND hwnd);

    CWnd* GetDlgItem(UINT id) const;
    UINT GetDlgCtrlID() const;
    /// Shows or hides the controls `ids` of this window (a label with its value); an id with no
    /// control is passed over.
    void ShowDlgItems(std::span<const UINT> ids, bool visible);
    void ShowDlgItems(std::initializer_list<UINT> ids, bool visible) {
        ShowDlgItems(std::span<const UINT>(ids.begin(), ids.size()), visible);
    }
    /// The window that has the keyboard focus (the control, not its dialog), or null.
    static CWnd* GetFocus();
    /// Whether `window` lies inside this one (a control of a page of a sheet does).
    bool IsChild(const CWnd* window) const;
    CWnd* GetParent() const;
    DWORD GetStyle() const;
    bool ModifyStyle(DWORD remove, DWORD add);

    virtual void SetWindowText(WideStringView text);
    virtual WideString GetWindowText() const;
    int GetWindowTextLength() const { return static_cast<int>(GetWindowText().size()); }
    void SetDlgItemText(UINT id, WideStringView text);
    WideString GetDlgItemText(UINT id) const;
    void SetDlgItemInt(UINT id, int value, bool isSigned = true);
    /// The number in control `id`'s text; 0 and `*translated` false when it is none.
    int GetDlgItemInt(UINT id, bool* translated = nullptr, bool isSigned = true) const;
    void CheckDlgButton(UINT id, int check);
    int IsDlgButtonChecked(UINT id) const;
    /// Checks `checkId` and clears the other radio buttons from `firstId` to `lastId`.
    void CheckRadioButton(UINT firstId, UINT lastId, UINT checkId);

    bool ShowWindow(int command);
    bool IsWindowVisible() const;
    bool EnableWindow(bool enable = true);
    bool IsWindowEnabled() const;
    void SetFocus();
    void SetFont(CFont* font, bool redraw = true);
    /// The font given to SetFont, or the dialog's font for controls of a dialog template.
    CFont* GetFont() const;

    void GetClientRect(CRect* rect) const;
    /// The window's rectangle in screen coordinates.
    void GetWindowRect(CRect* rect) const;
    void ScreenToClient(CRect* rect) const;
    void ScreenToClient(CPoint* point) const;
    void ClientToScreen(CPoint* point) const;
    void MoveWindow(int x, int y, int width, int height, bool repaint = true);
    void MoveWindow(const CRect& rect, bool repaint = true);

    /// Marks the window for painting: the next paint runs OnEraseBkgnd (when `erase`) and OnPaint.
    void Invalidate(bool erase = true);
    void InvalidateRect(const CRect* rect, bool erase = true);
    /// Paints now if anything is invalid.
    void UpdateWindow();

    /// Starts (or restarts) timer `id`; OnTimer(id) follows every `elapseMs`, at least every
    /// 10 ms as on the platform (0 would spin). Returns `id`.
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, void* unused = nullptr);
    bool KillTimer(UINT_PTR id);

    /// A message box owned by this window (message_box.h).
    int MessageBox(WideStringView text, WideStringView caption = {}, UINT type = 0);

    // Handlers. The defaults do what the platform's default window procedure would.
    virtual void OnPaint();
    /// True when the background was erased; the default fills it with the window's colour.
    virtual bool OnEraseBkgnd(CDC* dc);
    virtual void OnTimer(UINT_PTR id);
    virtual void OnLButtonDown(UINT flags, CPoint point);
    virtual void OnLButtonUp(UINT flags, CPoint point);
    virtual void OnMouseMove(UINT flags, CPoint point);
    virtual void OnSize(UINT type, int cx, int cy);
    /// The window is going; children hear it after their parent, as on the platform.
    virtual void OnDestroy();
    /// Runs when this object takes over a window, by Create or by subclassing, before anything
    /// else reaches it (the place for a control class to set itself up).
    virtual void PreSubclassWindow();
    /// The window's close box, Escape or Return: the default sends IDCANCEL or IDOK as a click to
    /// this window's own notification handling (dialogs end on them).
    virtual void OnKeyCommand(UINT id);

    /// A notification from child control `info.idFrom`. The default runs the notification
    /// table; true when a handler ran.
    virtual bool OnNotify(const NotifyInfo& info);
    /// A control's own look at its notification before its parent's (reflection); true keeps it
    /// from the parent.
    virtual bool OnChildNotify(const NotifyInfo& info);

    /// Sends `info` from this control to itself, then to its parent. True when someone handled it.
    bool SendNotify(NotifyInfo info);

    template <class T>
    void MapNotification(UINT code, UINT id, void (T::*handler)()) {
        mapEntries_.push_back({code, id, [this, handler](const NotifyInfo&) {
                                   (static_cast<T*>(this)->*handler)();
                               }});
    }
    template <class T>
    void MapNotification(UINT code, UINT id, void (T::*handler)(const NotifyInfo&)) {
        mapEntries_.push_back({code, id, [this, handler](const NotifyInfo& info) {
                                   (static_cast<T*>(this)->*handler)(info);
                               }});
    }

    /// Internal: the widget behind the window (null when it does not exist).
    QWidget* widget() const;
    /// Internal: makes this object the handle of `widget`; `owned` makes it destroy the widget.
    void attachWidget(QWidget* widget, bool owned);
    /// Internal: lets go of the widget without destroying it.
    void detachWidget();
    /// Internal: forgets the widget of a window being destroyed, without touching it.
    void forgetWidget();
    /// Internal: the window the widget belongs to.
    static CWnd* fromWidget(const QWidget* widget);
    /// Internal: default painting of a window that has no OnPaint of its own (statics).
    virtual void DefaultPaint(CDC& dc);
    /// Internal: the colour the default OnEraseBkgnd fills with.
    virtual COLORREF BackgroundColor() const;

  private:
    struct MapEntry {
        UINT code;
        UINT id;
        std::function<void(const NotifyInfo&)> handler;
    };
    struct State;
    std::unique_ptr<State> state_;
    std::vector<MapEntry> mapEntries_;
};

/// The context OnPaint draws with: on the window's painter while the window paints.
class CPaintDC : public CDC {
  public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    CRect m_rcPaint;

  private:
    CWnd* wnd_;
};

/// A context on the window's client area outside painting: it draws into the window's backing
/// image, which the window shows, and which stays until the window is invalidated.
class CClientDC : public CDC {
  public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

  private:
    CWnd* wnd_;
};

/// The screen's scale: its logical resolution over the handheld's 96 pixels per inch (1 on an
/// ordinary screen, 2 on a 192 DPI one). Dialog units follow it through the dialog font; code
/// that places controls in pixels scales with `ScaleX`/`ScaleY`.
double screenScale();
int ScaleX(int pixels);
int ScaleY(int pixels);
/// Device pixels per handheld pixel: the scale above times the device pixel ratio Qt gives the
/// screen (a desktop scaled to 200 %, or QT_SCALE_FACTOR=2). Artwork drawn at twice the
/// resolution is worth using from 2 on.
double screenPixelScale();
/// The logical resolution the layer works with: the screen's, or the override (0 = none).
int screenDpi();
void setScreenDpiOverride(int dpi);

}  // namespace zentrix::framework
