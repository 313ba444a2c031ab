// Internal: the Qt side of windows. Every window's widget carries a WindowData (its control id,
// style, font and the CWnd that currently handles it); windows that paint themselves (dialogs,
// statics, custom-drawn controls) are WndWidgets with a backing image.
#pragma once

#include <QImage>
#include <QObject>
#include <QWidget>
#include <memory>
#include <vector>

#include "framework/message_box.h"
#include "framework/qt_drawing.h"
#include "framework/wnd.h"

class QMessageBox;
class QPainter;

namespace zentrix::framework {

class ModalLoop;

class WindowData : public QObject {
  public:
    explicit WindowData(QWidget* widget);
    ~WindowData() override;
    QWidget* widget() const { return widget_; }
    /// The window's handle: a number of its own, never given to another window, so that a
    /// handle kept after the window went finds nothing rather than a newer window.
    HWND handle = nullptr;
    /// Set when the window is destroyed; the widget may stay a little longer (hidden).
    bool destroyed = false;
    CWnd* owner = nullptr;
    /// Every object attached to the widget (the owner, the template's object, subclassers):
    /// they all let go when the window is destroyed.
    std::vector<CWnd*> attached;
    UINT id = 0;
    DWORD style = 0;
    CFont* font = nullptr;
    /// A static's picture: a program bitmap's data (kept alive here, so the program may delete
    /// its object) or a template's image resource.
    std::shared_ptr<GdiData> bitmap;
    QImage image;
    /// Objects handed back for pictures whose program object is gone.
    std::vector<std::unique_ptr<CBitmap>> bitmapStandIns;
    /// The value a window procedure keeps with its window.
    LPARAM userData = 0;
    /// The modal wait running on this window, which its destruction ends.
    ModalLoop* modalLoop = nullptr;
    /// A dialog's own font (made from its template) and its base units in pixels.
    std::unique_ptr<CFont> ownedFont;
    CSize baseUnits;
    /// The object a dialog template made for the control; a page's object may take its place
    /// as owner, this one stays until the widget goes.
    std::unique_ptr<CWnd> defaultWrapper;

  private:
    QWidget* widget_;
};

/// The data of `widget`, made on first use.
WindowData& windowData(QWidget* widget);
/// The data of `widget`, or null when it has none (or its data is already gone).
WindowData* findWindowData(const QWidget* widget);
/// The data of the live window `hwnd`, or null (user-interface thread).
WindowData* findWindowData(HWND hwnd);
/// Whether `hwnd` names a live window; safe from any thread.
bool isLiveHandle(HWND hwnd);
/// Whether `widget` is a window that has not been destroyed.
bool isLiveWindow(const QWidget* widget);

/// Marks a stretch in which the layer runs a window's code on behalf of Qt (a notification,
/// painting, input, a timer, a posted message). Qt's frames below it may still use the widget
/// when the code returns, so a window destroyed meanwhile is hidden and cut off at once but
/// deleted only after the outermost stretch has returned, from the event queue (whichever loop
/// or `processEvents` runs it; the program need not run a top-level loop). Outside every
/// stretch a destroyed window is deleted at once.
class DispatchScope {
  public:
    DispatchScope();
    ~DispatchScope();
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;
};

/// Deletes the destroyed windows that wait, unless a DispatchScope is open.
void deleteDestroyedWindows();

/// Destroys the window of `widget` and every window inside it: they leave every object that
/// handles them, stop their timers and end a modal wait on them, and the widget is hidden and
/// deleted as DispatchScope says. `notify` runs OnDestroy first (parents before children).
void destroyWindowTree(QWidget* widget, bool notify);

/// A widget whose painting, mouse and size events go to its CWnd.
///
/// Painting keeps the platform's model: the window's pixels live in a backing image; only an
/// invalidated window runs OnEraseBkgnd and OnPaint into it, and a paint event otherwise just
/// shows the image. So drawing with a CClientDC outside OnPaint (an exclusive-or marker) stays
/// on screen until the page invalidates the window, as it would on the handheld.
class WndWidget : public QWidget {
  public:
    explicit WndWidget(QWidget* parent = nullptr);

    void invalidate(bool erase);
    /// The backing image at the widget's current size (made when needed).
    QImage& backing();
    /// The painter of the paint in progress, null outside painting.
    QPainter* activePainter() const { return activePainter_; }
    /// Runs an invalid window's erase and paint handlers into the backing image.
    void paintIfInvalid();

    WideString text;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QImage backing_;
    bool dirty_ = true;
    bool erase_ = true;
    QPainter* activePainter_ = nullptr;
};

/// Sends a notification from the control behind `control` (reflection, then its parent).
void notifyFromWidget(QWidget* control, NotifyInfo info);

/// The widget's parent window: the nearest ancestor with window data.
QWidget* parentWindowWidget(const QWidget* widget);

/// The font a dialog's widgets use, sized for the screen: `points` at screenDpi().
QFont dialogQFont(int points, const WideString& face);

// ---- Top-level windows on the desktop ----

/// The window flags of a top-level window whose size is fixed (a dialog from its template, a
/// sheet, a message box): a title bar with the system menu and a close button, never a
/// maximise button. An owned window is a dialog of its owner; a window without an owner is the
/// program's own window on the desktop and keeps its minimise button.
Qt::WindowFlags fixedWindowFlags(bool owned);
/// Gives the top-level `window` the flags above (its owner, if any, as Qt parent) and places it
/// centred over `owner`'s window, or without an owner centred on the screen, inside the
/// screen's available area. Call before it is shown.
void placeFixedWindow(QWidget* window, QWidget* owner);
/// Makes the top-level `window` a pop-up of `owner`'s window: no frame, never taking the focus
/// when shown (a dialog whose template has no caption, such as a name shown beside the pen). Its
/// owner places it.
void makePopupWindow(QWidget* window, QWidget* owner);
/// Where a window of `size` goes: centred over `owner` (a rectangle of the owner's frame, `size`
/// then that of the window's frame), or over `screen` without an owner, and moved inside
/// `screen`.
QPoint centredWindowPosition(QSize size, const QRect* owner, const QRect& screen);

/// The Qt box `showMessageBox` shows for `box`: over `owner`'s window, or over the active window
/// when there is no owner (Qt centres it over its parent), with the fixed flags above.
std::unique_ptr<QMessageBox> createMessageBox(QWidget* owner, const MessageBoxRecord& box);

/// The caption of row `row` of an icon-view list as it is drawn under its icon: the lines it is
/// wrapped onto at the list's cell width (at most two, the second elided when they are not
/// enough). Empty for a report list or a row that does not exist.
std::vector<WideString> iconCaptionLines(QWidget* list, int row);

}  // namespace zentrix::framework
