// Internal: the Qt side of windows. Every window's widget carries a WindowData (its control id,
// style, font and the CWnd that currently handles it); windows that paint themselves (dialogs,
// statics, custom-drawn controls) are WndWidgets with a backing image.
#pragma once

#include <QImage>
#include <QObject>
#include <QWidget>
#include <memory>

#include "framework/wnd.h"

class QPainter;

namespace zentrix::framework {

class WindowData : public QObject {
  public:
    explicit WindowData(QWidget* widget);
    ~WindowData() override;
    /// Whether `widget` is a live window (stale handles are common in window code).
    static bool isLive(const QWidget* widget);
    CWnd* owner = nullptr;
    UINT id = 0;
    DWORD style = 0;
    CFont* font = nullptr;
    /// A static's picture: a program bitmap (not owned) or a template's image resource.
    CBitmap* bitmap = nullptr;
    QImage image;
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
/// The data of `widget`, or null when it has none.
WindowData* findWindowData(const QWidget* widget);

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

}  // namespace zentrix::framework
