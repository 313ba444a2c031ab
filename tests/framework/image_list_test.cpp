// Image lists cut from bitmap strips with a mask colour.
#include "framework/image_list.h"

#include <gtest/gtest.h>

#include "framework/dc.h"
#include "framework/qt_drawing.h"
#include "framework/system_colors.h"
#include "resources/resource_ids.h"
#include "tests/framework/drawing_support.h"

namespace zentrix::framework {
namespace {

using drawtest::Canvas;

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kGreen = RGB(0, 128, 0);

// Image i of a strip of 8 x 8 images is magenta with a block of colour (i * 40, 0, 200) in
// its middle.
void paintStrip(Canvas& strip, int count) {
    for (int i = 0; i < count; ++i) {
        strip.dc.FillSolidRect(i * 8 + 2, 2, 4, 4, RGB(i * 40, 0, 200));
    }
}

TEST(ImageList, AStripWithAMagentaMaskGivesImagesTransparentWhereMagenta) {
    Canvas strip(4 * 8 + 5, 8, kMagenta);
    paintStrip(strip, 4);
    CImageList list;
    ASSERT_TRUE(list.Create(8, 8, ILC_COLOR16 | ILC_MASK, 4, 4));
    EXPECT_EQ(list.Add(&strip.bitmap, kMagenta), 0);
    EXPECT_EQ(list.GetImageCount(), 4);  // the five leftover columns are no image
    EXPECT_EQ(list.Add(&strip.bitmap, kMagenta), 4);
    EXPECT_EQ(list.GetImageCount(), 8);
    IMAGEINFO info;
    ASSERT_TRUE(list.GetImageInfo(2, &info));
    EXPECT_EQ(info.rcImage, CRect(16, 0, 24, 8));
    EXPECT_FALSE(list.GetImageInfo(8, &info));

    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        Canvas target(12, 12, kGreen);
        ASSERT_TRUE(list.Draw(&target.dc, i, CPoint(2, 2), ILD_NORMAL));
        EXPECT_EQ(target.ink(kGreen), CRect(4, 4, 8, 8));
        EXPECT_EQ(target.at(5, 5), RGB(i * 40, 0, 200));
        const QImage image = imageListImage(list, i);
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(image.pixel(3, 3)), 255);
    }
    EXPECT_TRUE(imageListImage(list, 99).isNull());
    EXPECT_FALSE(list.Draw(nullptr, 0, CPoint(), ILD_NORMAL));
}

// A list for screens of twice the resolution: images of the same logical size, cut from a strip
// drawn at twice the size, carrying all its pixels.
TEST(ImageList, AListOfPixelRatioTwoKeepsEveryPixelOfItsStrip) {
    Canvas strip(2 * 16, 16, kMagenta);
    strip.dc.FillSolidRect(3, 5, 1, 1, kGreen);  // one pixel a 32 x 32 strip could not hold
    strip.dc.FillSolidRect(16 + 8, 8, 8, 8, kGreen);
    CImageList list;
    EXPECT_FALSE(list.Create(8, 8, ILC_COLOR24 | ILC_MASK, 2, 0, 0));
    EXPECT_FALSE(list.Create(8, 8, ILC_COLOR24 | ILC_MASK, 2, 0, 5));
    EXPECT_FALSE(list.Create(600, 8, ILC_COLOR24 | ILC_MASK, 2, 0, 2));
    ASSERT_TRUE(list.Create(8, 8, ILC_COLOR24 | ILC_MASK, 2, 0, 2));
    EXPECT_EQ(list.GetPixelRatio(), 2);
    EXPECT_EQ(list.Add(&strip.bitmap, kMagenta), 0);
    ASSERT_EQ(list.GetImageCount(), 2);
    EXPECT_EQ(list.GetImageSize(), CSize(8, 8));
    IMAGEINFO info;
    ASSERT_TRUE(list.GetImageInfo(1, &info));
    EXPECT_EQ(info.rcImage, CRect(8, 0, 16, 8));

    const QImage first = imageListImage(list, 0);
    EXPECT_EQ(first.size(), QSize(16, 16));
    EXPECT_EQ(first.devicePixelRatio(), 2.0);
    EXPECT_EQ(first.pixel(3, 5), qRgb(0, 128, 0));
    EXPECT_EQ(qAlpha(first.pixel(2, 5)), 0);
    EXPECT_EQ(qAlpha(first.pixel(3, 4)), 0);

    // Drawn in a context, an image covers its logical size: the second one's green quarter.
    Canvas target(12, 12, kMagenta);
    ASSERT_TRUE(list.Draw(&target.dc, 1, CPoint(2, 2), ILD_NORMAL));
    EXPECT_EQ(target.ink(kMagenta), CRect(6, 6, 10, 10));

    // An icon added to it is scaled to its pixels, not to its logical size.
    CImageList icons;
    ASSERT_TRUE(icons.Create(8, 8, ILC_COLOR24, 1, 0, 2));
    ASSERT_EQ(icons.AddIcon(&strip.bitmap), 0);
    EXPECT_EQ(imageListImage(icons, 0).size(), QSize(16, 16));
}

TEST(ImageList, StylesAndAListWithoutAMask) {
    Canvas strip(16, 8, kMagenta);
    paintStrip(strip, 2);
    CImageList opaque;
    ASSERT_TRUE(opaque.Create(8, 8, ILC_COLOR16, 2, 0));
    EXPECT_EQ(opaque.Add(&strip.bitmap, kMagenta), 0);
    Canvas target(8, 8, kGreen);
    opaque.Draw(&target.dc, 1, CPoint(0, 0), ILD_NORMAL);
    EXPECT_EQ(target.at(0, 0), kMagenta);

    CImageList masked;
    ASSERT_TRUE(masked.Create(8, 8, ILC_MASK, 2, 0));
    masked.Add(&strip.bitmap, kMagenta);
    Canvas selected(8, 8, kGreen);
    masked.Draw(&selected.dc, 1, CPoint(0, 0), ILD_SELECTED);
    EXPECT_EQ(selected.at(0, 0), kGreen);  // still transparent
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_EQ(selected.at(3, 3), RGB((40 + GetRValue(highlight)) / 2, GetGValue(highlight) / 2,
                                     (200 + GetBValue(highlight)) / 2));

    Canvas mask(8, 8, kGreen);
    masked.Draw(&mask.dc, 0, CPoint(0, 0), ILD_MASK);
    EXPECT_EQ(mask.at(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(mask.at(3, 3), RGB(0, 0, 0));

    masked.SetBkColor(RGB(1, 2, 3));
    Canvas background(8, 8, kGreen);
    masked.Draw(&background.dc, 0, CPoint(0, 0), ILD_NORMAL);
    EXPECT_EQ(background.at(0, 0), RGB(1, 2, 3));

    // An image file's own transparency needs no mask colour.
    QImage icons(16, 8, QImage::Format_ARGB32);
    icons.fill(qRgba(200, 0, 0, 255));
    icons.setPixel(9, 1, qRgba(0, 0, 0, 0));
    CBitmap withAlpha;
    setImage(withAlpha, icons);
    EXPECT_EQ(opaque.Add(&withAlpha), 2);
    Canvas alpha(8, 8, kGreen);
    opaque.Draw(&alpha.dc, 3, CPoint(0, 0), ILD_NORMAL);
    EXPECT_EQ(alpha.at(1, 1), kGreen);
    EXPECT_EQ(alpha.at(2, 1), RGB(200, 0, 0));

    // An icon of another size is scaled to the list's and keeps its transparent corner.
    QImage bigIcon(32, 32, QImage::Format_ARGB32);
    bigIcon.fill(qRgba(200, 0, 0, 255));
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            bigIcon.setPixel(x, y, qRgba(0, 0, 0, 0));
        }
    }
    CBitmap iconBitmap;
    setImage(iconBitmap, bigIcon);
    EXPECT_EQ(opaque.AddIcon(&iconBitmap), 4);
    Canvas icon(8, 8, kGreen);
    opaque.Draw(&icon.dc, 4, CPoint(0, 0), ILD_NORMAL);
    EXPECT_EQ(icon.at(0, 0), kGreen);
    EXPECT_EQ(icon.at(6, 6), RGB(200, 0, 0));

    CImageList notCreated;
    EXPECT_EQ(notCreated.Add(&strip.bitmap, kMagenta), -1);
    CImageList tooWide;
    ASSERT_TRUE(tooWide.Create(32, 32, ILC_MASK, 1, 1));
    EXPECT_EQ(tooWide.Add(&strip.bitmap, kMagenta), -1);
    EXPECT_FALSE(tooWide.Create(0, 16, ILC_MASK, 1, 1));
}

TEST(ImageList, TheMainMenuStripFromTheResources) {
    drawtest::ensureGuiApplication();
    CBitmap strip;
    ASSERT_TRUE(strip.LoadBitmap(IDB_MAIN_MENU));
    const CSize size = strip.GetSize();
    EXPECT_EQ(size.cy, 32);
    CImageList list;
    ASSERT_TRUE(list.Create(32, 32, ILC_COLOR16 | ILC_MASK, 8, 1));
    EXPECT_EQ(list.Add(&strip, RGB(255, 0, 255)), 0);
    EXPECT_EQ(list.GetImageCount(), size.cx / 32);

    CBitmap missing;
    EXPECT_FALSE(missing.LoadBitmap(0xFFFF));
    EXPECT_EQ(missing.GetSafeHandle(), nullptr);
}

}  // namespace
}  // namespace zentrix::framework
