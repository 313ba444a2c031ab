// Pens, brushes, fonts and bitmaps: the drawing objects a page creates, selects into a `CDC`
// and deletes again.
//
// An object is a handle to shared drawing data. A `CDC` that has an object selected keeps that
// data alive, so deleting or destroying an object while it is still selected cannot leave the
// context drawing with freed memory; the context simply goes on with the data it has. A page
// that selects an object gets back the object that was selected before (or, when that object
// no longer exists, a stand-in the context keeps for it), and selects that back when it is done,
// exactly as on the platform.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "framework/types.h"

namespace zentrix::framework {

class CDC;
struct GdiData;

using BYTE = std::uint8_t;
using LONG = std::int32_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;

// Pen styles. Dashed and dotted pens draw solid: the pages only ever use solid and null pens.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;

// Stock objects, as `GetStockObject` numbers them.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_GUI_FONT = 17;

// Font weights, character sets, precisions, qualities and families of `LOGFONT`.
constexpr int FW_DONTCARE = 0;
constexpr int FW_THIN = 100;
constexpr int FW_LIGHT = 300;
constexpr int FW_NORMAL = 400;
constexpr int FW_MEDIUM = 500;
constexpr int FW_SEMIBOLD = 600;
constexpr int FW_BOLD = 700;
constexpr int FW_HEAVY = 900;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE NONANTIALIASED_QUALITY = 3;
constexpr BYTE ANTIALIASED_QUALITY = 4;
constexpr BYTE CLEARTYPE_QUALITY = 5;
constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0x00;
constexpr BYTE FF_ROMAN = 0x10;
constexpr BYTE FF_SWISS = 0x20;
constexpr BYTE FF_MODERN = 0x30;
constexpr int LF_FACESIZE = 32;

/// A font request. `lfHeight` < 0 asks for a character (em) height of -lfHeight pixels,
/// > 0 for a cell height (ascent + descent), 0 for the default size.
struct LOGFONT {
    LONG lfHeight = 0;
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = FW_NORMAL;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = DEFAULT_CHARSET;
    BYTE lfOutPrecision = OUT_DEFAULT_PRECIS;
    BYTE lfClipPrecision = CLIP_DEFAULT_PRECIS;
    BYTE lfQuality = DEFAULT_QUALITY;
    BYTE lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    char16_t lfFaceName[LF_FACESIZE] = {};
};

/// Copies `face` into `lfFaceName`, cut to 31 characters plus the terminator.
void setFaceName(LOGFONT& logFont, WideStringView face);

/// A bitmap's description as `CBitmap::GetBitmap` fills it (32 bits per pixel here).
struct BITMAP {
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 1;
    WORD bmBitsPixel = 32;
    void* bmBits = nullptr;
};

/// Base of every drawing object: a handle that is empty until one of the Create functions of
/// the derived class succeeds.
class CGdiObject {
  public:
    enum class Kind { Pen, Brush, Font, Bitmap };

    virtual ~CGdiObject();
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    /// Lets go of the data; true when there was any. Contexts that have it selected keep it.
    bool DeleteObject();
    /// Null while the object is empty; otherwise an identity for the data.
    const void* GetSafeHandle() const { return data_.get(); }
    Kind kind() const { return kind_; }

    /// Internal: the data, for contexts and the Qt bridge.
    const std::shared_ptr<GdiData>& data() const { return data_; }
    /// Internal: takes over `data`, which becomes owned by this object.
    void adopt(std::shared_ptr<GdiData> data);

  protected:
    explicit CGdiObject(Kind kind) : kind_(kind) {}

  private:
    Kind kind_;
    std::shared_ptr<GdiData> data_;
};

class CPen : public CGdiObject {
  public:
    CPen() : CGdiObject(Kind::Pen) {}
    CPen(int style, int width, COLORREF color);
    /// Width 0 is drawn as 1 pixel, as on the platform.
    bool CreatePen(int style, int width, COLORREF color);
};

class CBrush : public CGdiObject {
  public:
    CBrush() : CGdiObject(Kind::Brush) {}
    explicit CBrush(COLORREF color);
    bool CreateSolidBrush(COLORREF color);
};

class CFont : public CGdiObject {
  public:
    CFont() : CGdiObject(Kind::Font) {}
    bool CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                    BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                    BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, WideStringView face);
    bool CreateFontIndirect(const LOGFONT* logFont);
    /// `pointSizeTenths` in tenths of a point at the layer's 96 pixels per inch: 80 is an
    /// 8-point font with a character height of 11 pixels. `dc` is accepted for the platform's
    /// signature; every context has the same resolution.
    bool CreatePointFont(int pointSizeTenths, WideStringView face, CDC* dc = nullptr);
    /// As `CreatePointFont`, with `lfHeight` in tenths of a point and the rest of the request.
    bool CreatePointFontIndirect(const LOGFONT* logFont, CDC* dc = nullptr);
    /// Fills `logFont` with the request the font was made from; the size of LOGFONT, or 0 when
    /// the font is empty.
    int GetLogFont(LOGFONT* logFont) const;
};

class CBitmap : public CGdiObject {
  public:
    CBitmap() : CGdiObject(Kind::Bitmap) {}
    /// A black `cx` x `cy` bitmap with the pixels per logical pixel of `dc` (a window context
    /// on a high-resolution screen; null or a memory context of an ordinary bitmap: 1). Fails
    /// for sizes below 1 or above 8192 pixels.
    bool CreateCompatibleBitmap(CDC* dc, int cx, int cy);
    /// The bitmap or icon resource `id` (an image file in the resources).
    bool LoadBitmap(UINT id);
    /// An image file's bytes: BMP or PNG (and what else the image reader knows).
    bool LoadFromBytes(std::string_view bytes);
    bool LoadFromFile(const std::string& path);
    /// Fills `bitmap`; the size of BITMAP, or 0 when the bitmap is empty.
    int GetBitmap(BITMAP* bitmap) const;
    /// The size in pixels; 0 x 0 when empty.
    CSize GetSize() const;
};

/// One of the stock objects above (a pen, a brush or a font); null for any other number.
CGdiObject* GetStockObject(int index);

}  // namespace zentrix::framework
