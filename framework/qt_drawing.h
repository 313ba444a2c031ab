// Internal bridge between the drawing classes and Qt, for the framework's own .cpp files only.
//
// The window side uses it to give pages a `CDC` on a widget (through the widget's painter, or on
// the window's backing image), to turn fonts and colours into Qt's, and to show bitmaps and
// image list images in controls.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <memory>
#include <vector>

#include "framework/dc.h"
#include "framework/gdi_objects.h"
#include "framework/image_list.h"

class QPaintDevice;

namespace zentrix::framework {

// ---- Colours and fonts ----

QColor toQColor(COLORREF color);
COLORREF fromQColor(const QColor& color);
/// The Qt font for a font object at the layer's logical pixel size (pixel-sized, face resolved
/// to an installed family). An empty font gives the system font. Antialiased unless the font
/// asked for NONANTIALIASED_QUALITY; contexts draw their text without antialiasing anyway.
QFont toQFont(const CFont& font);
QFont toQFont(const LOGFONT& logFont);

// ---- Bitmaps and image lists ----

/// The bitmap's pixels (Format_RGB32, or Format_ARGB32 for an image file with an alpha
/// channel); an empty image for an empty bitmap. Do not keep a copy of the QImage while the
/// bitmap is selected into a context: Qt would let the copy change with the drawing.
const QImage& imageOf(const CBitmap& bitmap);
/// As above; an empty bitmap gets an empty image, which `setImage` can replace.
QImage& imageOf(CBitmap& bitmap);
/// Makes `bitmap` hold `image` (converted to one of the two formats above).
void setImage(CBitmap& bitmap, const QImage& image);
/// The size of `image` in logical pixels: its pixels over its pixel ratio (a bitmap compatible
/// with a window context on a high-resolution screen has more pixels than logical ones).
QSize logicalSize(const QImage& image);
/// Logical pixels to device pixels in the context `dc` draws on: 1 for memory contexts of
/// ordinary bitmaps and for empty contexts, the screen's ratio for window contexts.
qreal pixelRatioOf(const CDC& dc);

/// The data behind an image list (CImageList::data), shared with the controls that show it.
struct CImageList::Impl {
    /// The object that holds this data; cleared when it lets go.
    CImageList* owner = nullptr;
    bool created = false;
    int cx = 0;
    int cy = 0;
    /// The images have `ratio` times `cx` x `cy` pixels and that device pixel ratio.
    int ratio = 1;
    UINT flags = 0;
    COLORREF bkColor = CLR_NONE;
    /// Format_ARGB32: alpha 0 where masked, else the image's own (255 for bitmaps made here).
    std::vector<QImage> images;

    int add(const QImage& strip, bool masked, COLORREF mask);
};

/// Image `index` with its mask applied as transparency (Format_ARGB32, with the list's pixel
/// ratio); null when out of range.
QImage imageListImage(const CImageList& list, int index);
QImage imageListImage(const CImageList::Impl& list, int index);
/// Appends `image` (an icon; scaled to the list's size when it differs, keeping its alpha);
/// returns its index, or -1 when the list was not created.
int addImage(CImageList& list, const QImage& image);

/// The mask colour of the program's bitmaps and icons.
constexpr QRgb kMaskColor = 0xFFFF00FFu;
/// `image` as Format_ARGB32 with its opaque `key` pixels made transparent; an image that has an
/// alpha channel of its own keeps it.
QImage keyedOut(const QImage& image, QRgb key = kMaskColor);
/// Icon resource `id` as it is shown (title bars, message boxes, ICON controls): transparent
/// where the file has the mask colour. Null for an unknown id or an unreadable file.
QImage iconResourceImage(UINT id);

// ---- Contexts on Qt devices ----

/// Makes `dc` draw through `painter` on `device` (neither owned) until `detachPainter` or the
/// context's destruction. The painter must be active on the device and outlive the attachment. The
/// context changes the painter's composition mode, pen, brush, font and clip while it draws;
/// detaching gives the painter back its state from the time of attaching (a save and a restore).
/// The painter's clip at the time of attaching stays the outer limit.
void attachPainter(CDC& dc, QPainter& painter, QPaintDevice& device);
/// Makes `dc` draw on `image` (not owned) with a painter of its own, e.g. a window's backing
/// image outside painting. Drawing is visible in `image` at once.
void attachImage(CDC& dc, QImage& image);
/// Ends the painter the context owns (if any) and makes it an empty context; the selected
/// objects stay selected.
void detachPainter(CDC& dc);
/// The painter a context draws through; null for an empty context or a memory context
/// without a bitmap.
QPainter* painterOf(const CDC& dc);

// ---- The data behind drawing objects (shared by contexts and objects) ----

struct GdiData {
    /// The object that holds this data; cleared when it lets go, so that a context can tell
    /// whether the object it would hand back still exists.
    CGdiObject* owner = nullptr;
    /// Stock objects live as long as the program; deleting them does nothing.
    bool stock = false;
    virtual ~GdiData() = default;
};

struct PenData : GdiData {
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
};

struct BrushData : GdiData {
    bool null = false;
    COLORREF color = 0;
};

struct FontData : GdiData {
    LOGFONT logFont;
    QFont font;  ///< resolved once, as `toQFont` answers
};

struct BitmapData : GdiData {
    QImage image;
    /// The memory context this bitmap is selected into: one at a time, as on the platform.
    const CDC* selectedInto = nullptr;
};

}  // namespace zentrix::framework
