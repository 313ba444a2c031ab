// Internal: the state of a `CDC` and the pixel helpers its .cpp files share.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "framework/dc.h"
#include "framework/qt_drawing.h"

namespace zentrix::framework {

struct CDC::Impl {
    /// What `SaveDC` saves and `RestoreDC` brings back.
    struct State {
        std::shared_ptr<GdiData> pen;
        std::shared_ptr<GdiData> brush;
        std::shared_ptr<GdiData> font;
        COLORREF textColor = RGB(0, 0, 0);
        COLORREF bkColor = RGB(255, 255, 255);
        int bkMode = OPAQUE;
        int rop2 = R2_COPYPEN;
        UINT textAlign = TA_LEFT | TA_TOP;
        CPoint position;
        std::optional<QRect> clip;  ///< in the context's coordinates
    };

    explicit Impl(CDC& dc);
    ~Impl();

    CDC& self;
    State state;
    std::vector<State> saved;

    QPainter* painter = nullptr;
    std::unique_ptr<QPainter> ownPainter;
    QPaintDevice* device = nullptr;
    /// The device when it is an image: pixels can be read back.
    QImage* image = nullptr;
    bool memory = false;
    bool attached = false;
    /// The attached painter's state was saved on attaching and is restored on detaching.
    bool painterSaved = false;
    std::optional<QRegion> outerClip;  ///< the attached painter's own clip
    std::shared_ptr<GdiData> bitmap;   ///< memory contexts: the selected bitmap
    /// Stand-ins handed back by SelectObject for objects that no longer exist.
    std::vector<std::unique_ptr<CGdiObject>> standIns;

    const PenData& pen() const { return static_cast<const PenData&>(*state.pen); }
    const BrushData& brush() const { return static_cast<const BrushData&>(*state.brush); }
    const FontData& font() const { return static_cast<const FontData&>(*state.font); }

    /// The object owning `data`, or a stand-in for it.
    CGdiObject* ownerOf(const std::shared_ptr<GdiData>& data, CGdiObject::Kind kind);
    void resetState();
    void releaseDevice();
    bool selectBitmap(const std::shared_ptr<GdiData>& data);
    /// Sets the painter's clip to the outer clip and the context's own.
    void applyClip();
    /// Device coordinates of a context point (window contexts may be scaled).
    QPoint toDevice(int x, int y) const;
    /// The part of the context's coordinates that can show anything (the device within the
    /// clip), widened by `margin` on every side; empty without a painter. Shapes are only
    /// rasterised here, so that a page handing over absurd coordinates costs no time or memory.
    QRect drawableArea(int margin) const;

    // Pixel output; each does nothing without a painter.
    void fill(const QRect& rect, COLORREF color, QPainter::CompositionMode mode);
    /// The composition for pen and brush drawing under the mix mode; false for R2_NOP.
    bool mixMode(QPainter::CompositionMode* mode) const;
    /// The colour for pen and brush drawing under the mix mode (R2_BLACK, R2_WHITE, R2_NOT).
    COLORREF mixColor(COLORREF color) const;

    /// The font text is drawn with: the selected font without antialiasing.
    QFont drawingFont() const;
};

/// Coordinates are held within this range, so that the sum of two never overflows; pages never
/// come near it, but a miscalculated size must not become undefined arithmetic.
constexpr int kCoordinateLimit = 1 << 27;

constexpr int clampCoordinate(long long value) {
    return static_cast<int>(std::clamp<long long>(value, -kCoordinateLimit, kCoordinateLimit));
}

inline CRect clampRect(const CRect& rect) {
    return CRect(clampCoordinate(rect.left), clampCoordinate(rect.top), clampCoordinate(rect.right),
                 clampCoordinate(rect.bottom));
}

/// The pixels from (left, top) up to but excluding (right, bottom), whichever way round the
/// corners are given.
inline QRect pixelRect(long long left, long long top, long long right, long long bottom) {
    const int x0 = clampCoordinate(std::min(left, right));
    const int x1 = clampCoordinate(std::max(left, right));
    const int y0 = clampCoordinate(std::min(top, bottom));
    const int y1 = clampCoordinate(std::max(top, bottom));
    return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
}

/// A row of a rasterised shape: pixels x0 to x1 inclusive (empty when x1 < x0).
struct Span {
    int x0 = 0;
    int x1 = -1;
    bool empty() const { return x1 < x0; }
};

}  // namespace zentrix::framework
