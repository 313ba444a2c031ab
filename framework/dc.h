// A drawing context with the platform's pixel rules, on any Qt paint device.
//
// Pages draw their controls with the calls and the pixel semantics of the handheld's graphics
// interface, and some of them depend on those semantics exactly: the sky plot erases a marker by
// drawing it a second time with exclusive-or, which only works when every pixel of the second
// drawing lands where the first one did. So nothing here is antialiased, rectangles exclude their
// right and bottom edge, `Rectangle` draws its border inside the rectangle, `LineTo` leaves the
// last pixel out and `Ellipse` stays inside its rectangle. Shapes are rasterised here, pixel by
// pixel, and handed to Qt as solid rectangles, so the result does not depend on how Qt would
// rasterise a curve.
//
// A context is one of:
// - a memory context (`CreateCompatibleDC`), which draws into the bitmap selected into it;
// - a window context, made by the window side through qt_drawing.h around the widget's painter
//   (paint contexts) or the window's backing image (client contexts);
// - an empty context, which draws nothing.
// Contexts and drawing objects belong to the user-interface thread. Coordinates are the layer's
// logical pixels; a window context on a high-resolution screen is scaled by its painter, and a
// bitmap made compatible with it has the same pixels per logical pixel. Block transfers copy
// device pixels, each logical pixel of the target showing the source's logical pixel with all
// its device pixels.
#pragma once

#include <memory>

#include "framework/gdi_objects.h"
#include "framework/types.h"

namespace zentrix::framework {

// Raster operations of the block transfers.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD PATINVERT = 0x005A0049;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Mix modes of pens and brushes (`SetROP2`).
constexpr int R2_BLACK = 1;
constexpr int R2_NOT = 6;
constexpr int R2_XORPEN = 7;
constexpr int R2_NOP = 11;
constexpr int R2_COPYPEN = 13;
constexpr int R2_WHITE = 16;

// Text alignment of `TextOut` and `ExtTextOut`.
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;

// `ExtTextOut` options.
constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;

// `DrawText` formats.
constexpr UINT DT_TOP = 0x00000000;
constexpr UINT DT_LEFT = 0x00000000;
constexpr UINT DT_CENTER = 0x00000001;
constexpr UINT DT_RIGHT = 0x00000002;
constexpr UINT DT_VCENTER = 0x00000004;
constexpr UINT DT_BOTTOM = 0x00000008;
constexpr UINT DT_WORDBREAK = 0x00000010;
constexpr UINT DT_SINGLELINE = 0x00000020;
constexpr UINT DT_EXPANDTABS = 0x00000040;
constexpr UINT DT_NOCLIP = 0x00000100;
constexpr UINT DT_EXTERNALLEADING = 0x00000200;
constexpr UINT DT_CALCRECT = 0x00000400;
constexpr UINT DT_NOPREFIX = 0x00000800;
constexpr UINT DT_PATH_ELLIPSIS = 0x00004000;
constexpr UINT DT_END_ELLIPSIS = 0x00008000;
constexpr UINT DT_HIDEPREFIX = 0x00100000;
constexpr UINT DT_WORD_ELLIPSIS = 0x00040000;

// `GetDeviceCaps` indexes.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

/// The resolution of every context: fonts in points are sized for it.
constexpr int kLogicalPixelsPerInch = 96;

/// What `GetPixel` answers outside the context or on a context it cannot read.
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

struct TEXTMETRIC {
    LONG tmHeight = 0;  ///< ascent + descent
    LONG tmAscent = 0;
    LONG tmDescent = 0;
    LONG tmInternalLeading = 0;  ///< tmHeight less the character (em) height
    LONG tmExternalLeading = 0;
    LONG tmAveCharWidth = 0;
    LONG tmMaxCharWidth = 0;
    LONG tmWeight = 0;
    LONG tmOverhang = 0;
    BYTE tmItalic = 0;
    BYTE tmUnderlined = 0;
    BYTE tmStruckOut = 0;
    BYTE tmPitchAndFamily = 0;
};

class CDC {
  public:
    /// An empty context; `CreateCompatibleDC` makes it a memory context.
    CDC();
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    /// Makes this a memory context. `dc` may be null. It draws nothing until a bitmap is
    /// selected into it.
    bool CreateCompatibleDC(CDC* dc);
    /// Lets go of the device and every selected object; the context is empty again.
    bool DeleteDC();
    /// Null while the context is empty.
    const void* GetSafeHdc() const;

    // Selection: each returns what was selected before, for selecting it back; null when
    // `object` is null or empty (nothing changes then).
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    CBitmap* SelectObject(CBitmap* bitmap);
    CGdiObject* SelectObject(CGdiObject* object);
    CGdiObject* SelectStockObject(int index);
    CPen* GetCurrentPen();
    CBrush* GetCurrentBrush();
    CFont* GetCurrentFont();
    CBitmap* GetCurrentBitmap();

    COLORREF SetTextColor(COLORREF color);
    COLORREF GetTextColor() const;
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;
    int SetBkMode(int mode);
    int GetBkMode() const;
    int SetROP2(int mode);
    int GetROP2() const;
    UINT SetTextAlign(UINT align);
    UINT GetTextAlign() const;

    /// Further restricts drawing to `rect`; undone by `RestoreDC`.
    void IntersectClipRect(const CRect& rect);
    /// The smallest rectangle around what can be drawn: the device within the clipping. Returns
    /// the platform's region kind (1 empty, 2 a rectangle, 0 without a device).
    int GetClipBox(CRect* rect) const;
    /// Saves colours, modes, selected objects, position and clipping; returns a level > 0.
    int SaveDC();
    /// Restores the level `SaveDC` returned (-1: the last one); false for an unknown level.
    bool RestoreDC(int savedDC);
    int GetDeviceCaps(int index) const;

    // Lines with the current pen; the last pixel of a line is not drawn.
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(CPoint point) { return MoveTo(point.x, point.y); }
    bool LineTo(int x, int y);
    bool LineTo(CPoint point) { return LineTo(point.x, point.y); }
    CPoint GetCurrentPosition() const;
    bool Polyline(const CPoint* points, int count);
    /// A closed outline with the pen, filled with the brush.
    bool Polygon(const CPoint* points, int count);

    // Shapes: border with the pen inside the shape's rectangle, interior with the brush.
    bool Rectangle(int left, int top, int right, int bottom);
    bool Rectangle(const CRect& rect) {
        return Rectangle(rect.left, rect.top, rect.right, rect.bottom);
    }
    bool Ellipse(int left, int top, int right, int bottom);
    bool Ellipse(const CRect& rect) {
        return Ellipse(rect.left, rect.top, rect.right, rect.bottom);
    }

    // Fills that ignore the pen and the mix mode.
    void FillRect(const CRect& rect, CBrush* brush);
    void FillRect(const CRect* rect, CBrush* brush) {
        if (rect != nullptr) {
            FillRect(*rect, brush);
        }
    }
    void FillSolidRect(const CRect& rect, COLORREF color);
    void FillSolidRect(const CRect* rect, COLORREF color) {
        if (rect != nullptr) {
            FillSolidRect(*rect, color);
        }
    }
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    void FrameRect(const CRect& rect, CBrush* brush);
    void FrameRect(const CRect* rect, CBrush* brush) {
        if (rect != nullptr) {
            FrameRect(*rect, brush);
        }
    }
    void Draw3dRect(const CRect& rect, COLORREF topLeft, COLORREF bottomRight);
    void InvertRect(const CRect& rect);
    void InvertRect(const CRect* rect) {
        if (rect != nullptr) {
            InvertRect(*rect);
        }
    }

    COLORREF SetPixel(int x, int y, COLORREF color);
    COLORREF SetPixel(CPoint point, COLORREF color) { return SetPixel(point.x, point.y, color); }
    /// CLR_INVALID outside the device or on a device that cannot be read back.
    COLORREF GetPixel(int x, int y) const;
    COLORREF GetPixel(CPoint point) const { return GetPixel(point.x, point.y); }

    // Block transfers. Supported operations: SRCCOPY, SRCINVERT (exclusive-or of the pixel
    // values), SRCAND, SRCPAINT, NOTSRCCOPY, DSTINVERT, BLACKNESS, WHITENESS, PATCOPY, PATINVERT.
    bool PatBlt(int x, int y, int width, int height, DWORD rop);
    bool BitBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                DWORD rop);
    /// Nearest-pixel scaling.
    bool StretchBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                    int widthSource, int heightSource, DWORD rop);
    /// A copy in which the source pixels of colour `transparent` leave the destination as it was.
    bool TransparentBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                        int widthSource, int heightSource, COLORREF transparent);

    // Text with the selected font, text colour, background colour and mode.
    bool TextOut(int x, int y, WideStringView text);
    bool ExtTextOut(int x, int y, UINT options, const CRect* rect, WideStringView text);
    /// Returns the height of the text; with DT_CALCRECT only measures, setting `rect`'s right
    /// and bottom to fit the text.
    int DrawText(WideStringView text, CRect* rect, UINT format);
    int DrawText(WideStringView text, CRect& rect, UINT format) {
        return DrawText(text, &rect, format);
    }
    CSize GetTextExtent(WideStringView text) const;
    bool GetTextMetrics(TEXTMETRIC* metrics) const;

    struct Impl;
    /// Internal: the state, for the Qt bridge.
    Impl& impl() const { return *impl_; }

  private:
    std::unique_ptr<Impl> impl_;
};

/// The platform's transparent image transfer: `source` is a context or a bitmap.
bool TransparentImage(CDC* destination, int x, int y, int width, int height, CDC* source,
                      int xSource, int ySource, int widthSource, int heightSource,
                      COLORREF transparent);
bool TransparentImage(CDC* destination, int x, int y, int width, int height, CBitmap* source,
                      int xSource, int ySource, int widthSource, int heightSource,
                      COLORREF transparent);

}  // namespace zentrix::framework
