// A list of same-sized images cut from bitmap strips, drawn with their mask colour transparent.
#pragma once

#include <memory>

#include "framework/gdi_objects.h"
#include "framework/types.h"

namespace zentrix::framework {

// Creation flags. Without ILC_MASK the mask colour of `Add` is ignored and images are opaque.
constexpr UINT ILC_MASK = 0x0001;
constexpr UINT ILC_COLOR = 0x0000;
constexpr UINT ILC_COLOR4 = 0x0004;
constexpr UINT ILC_COLOR8 = 0x0008;
constexpr UINT ILC_COLOR16 = 0x0010;
constexpr UINT ILC_COLOR24 = 0x0018;
constexpr UINT ILC_COLOR32 = 0x0020;

// Drawing styles.
constexpr UINT ILD_NORMAL = 0x0000;
constexpr UINT ILD_TRANSPARENT = 0x0001;
constexpr UINT ILD_BLEND25 = 0x0002;
constexpr UINT ILD_BLEND50 = 0x0004;
constexpr UINT ILD_MASK = 0x0010;
constexpr UINT ILD_IMAGE = 0x0020;
constexpr UINT ILD_FOCUS = ILD_BLEND25;
constexpr UINT ILD_SELECTED = ILD_BLEND50;

/// `SetBkColor` value meaning "no background": masked pixels stay transparent.
constexpr COLORREF CLR_NONE = 0xFFFFFFFF;

struct IMAGEINFO {
    CRect rcImage;  ///< the image's place in the list's strip: (index * cx, 0, cx, cy)
};

class CImageList {
  public:
    CImageList();
    ~CImageList();
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    /// An empty list of `cx` x `cy` images. `initial` and `grow` are accepted for the platform's
    /// signature; the list grows as needed. Fails for sizes below 1 or above 1024.
    /// `pixelRatio` 2 makes a list for high-resolution screens: its images keep their logical
    /// size `cx` x `cy` but carry twice the pixels, so strips added to it are drawn at that
    /// resolution (a 64-pixel strip for a list of 32 x 32 icons). Fails outside 1 to 4.
    bool Create(int cx, int cy, UINT flags, int initial, int grow, int pixelRatio = 1);
    /// Empties this object; a control showing the list keeps showing it.
    bool DeleteImageList();
    /// Null until `Create` succeeded.
    const void* GetSafeHandle() const;

    /// Cuts `bitmap` into images of the list's width, left to right (a narrower rest is
    /// dropped); each image is the strip's top `cy` rows (both times the list's pixel ratio). With
    /// ILC_MASK the pixels of `mask` become transparent. Returns the index of the first new image,
    /// -1 when nothing was added.
    int Add(CBitmap* bitmap, COLORREF mask);
    /// As above, without a mask colour.
    int Add(CBitmap* bitmap);
    /// Adds one image made from a whole icon file's bitmap, scaled smoothly to the list's size
    /// and keeping its own transparency (the platform's icon add); an icon without an alpha
    /// channel is transparent where it has the mask colour, magenta. Returns its index or -1.
    int AddIcon(CBitmap* icon);
    bool Remove(int index);
    int GetImageCount() const;
    bool GetImageInfo(int index, IMAGEINFO* info) const;
    /// The image size, as given to `Create` (logical pixels, whatever the pixel ratio).
    CSize GetImageSize() const;
    /// Device pixels per logical pixel of the images, as given to `Create`.
    int GetPixelRatio() const;

    /// The colour behind masked pixels when drawing; CLR_NONE (the default) leaves them
    /// transparent. Returns the previous colour.
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;

    /// Draws image `index` with its top left at `point`. ILD_SELECTED (ILD_BLEND50) and
    /// ILD_FOCUS (ILD_BLEND25) blend the image's visible pixels with the system highlight colour;
    /// ILD_MASK draws the mask (black where the image is, white where it is transparent).
    bool Draw(CDC* dc, int index, CPoint point, UINT style);

    struct Impl;
    /// Internal: the state, for the Qt bridge.
    Impl& impl() const { return *impl_; }
    /// Internal: the state, shared with the controls that show the list. They keep it when this
    /// object is deleted or lets go of it (`DeleteImageList`), as a context keeps its objects.
    const std::shared_ptr<Impl>& data() const { return impl_; }
    /// Internal: takes over `data` (an object handed back for a list whose object is gone).
    void adopt(std::shared_ptr<Impl> data);

  private:
    void letGo();
    std::shared_ptr<Impl> impl_;
};

}  // namespace zentrix::framework
