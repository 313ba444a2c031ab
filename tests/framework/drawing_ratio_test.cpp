// Block transfers on high-resolution screens: a window context there has 1.5 or 2 device
// pixels per logical pixel, and the bitmaps a page makes compatible with it must carry all of
// them, so that double-buffered drawing comes out as sharp and as exact as drawing directly.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "framework/dc.h"
#include "framework/gdi_objects.h"
#include "framework/qt_drawing.h"
#include "tests/framework/drawing_support.h"

namespace zentrix::framework {
namespace {

constexpr int kWidth = 40;
constexpr int kHeight = 30;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 160, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A window context as the window side makes it: on the window's backing image, which has the
// screen's pixel ratio.
struct WindowSurface : drawtest::GuiApplication {
    QImage backing;
    CDC dc;
    explicit WindowSurface(qreal ratio)
        : backing(static_cast<int>(std::ceil(kWidth * ratio)),
                  static_cast<int>(std::ceil(kHeight * ratio)), QImage::Format_RGB32) {
        backing.setDevicePixelRatio(ratio);
        backing.fill(Qt::white);
        attachImage(dc, backing);
    }
};

// Something of everything, with edges on odd logical pixels (halves of a device pixel at 1.5).
void drawScene(CDC& dc) {
    dc.FillSolidRect(0, 0, kWidth / 2, kHeight / 2, kRed);
    dc.FillSolidRect(kWidth / 2, 0, kWidth / 2, kHeight / 2, kGreen);
    dc.FillSolidRect(0, kHeight / 2, kWidth / 2, kHeight / 2, kBlue);
    dc.FillSolidRect(7, 0, 1, kHeight, kBlack);
    dc.FillSolidRect(0, 9, kWidth, 1, kBlack);
    CPen pen(PS_SOLID, 1, kWhite);
    CBrush brush(kBlack);
    CPen* oldPen = dc.SelectObject(&pen);
    CBrush* oldBrush = dc.SelectObject(&brush);
    dc.Ellipse(21, 17, 38, 28);
    dc.MoveTo(1, 29);
    dc.LineTo(30, 3);
    dc.SelectObject(oldPen);
    dc.SelectObject(oldBrush);
    // Text has detail finer than a logical pixel: its curves are drawn at the device's pixels.
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kWhite);
    dc.TextOut(2, 14, u"Sat 12");
}

int logicalMismatches(const CDC& a, const CDC& b) {
    int count = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) count += a.GetPixel(x, y) != b.GetPixel(x, y);
    }
    return count;
}

class BlitAtRatio : public ::testing::TestWithParam<double> {};

TEST_P(BlitAtRatio, AWindowCopiedIntoACompatibleBitmapComesBackWhole) {
    WindowSurface window(GetParam());
    drawScene(window.dc);
    CDC memory;
    memory.CreateCompatibleDC(&window.dc);
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&window.dc, kWidth, kHeight));
    EXPECT_EQ(bitmap.GetSize(), CSize(kWidth, kHeight));
    CBitmap* old = memory.SelectObject(&bitmap);
    EXPECT_EQ(memory.GetDeviceCaps(HORZRES), kWidth);
    ASSERT_TRUE(memory.BitBlt(0, 0, kWidth, kHeight, &window.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(logicalMismatches(memory, window.dc), 0);
    // Every device pixel, not a coarser copy of them.
    EXPECT_EQ(imageOf(bitmap), window.backing);
    memory.SelectObject(old);
}

TEST_P(BlitAtRatio, DoubleBufferedDrawingLandsAsDrawingDirectlyDoes) {
    WindowSurface direct(GetParam());
    drawScene(direct.dc);
    WindowSurface buffered(GetParam());
    CDC memory;
    memory.CreateCompatibleDC(&buffered.dc);
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&buffered.dc, kWidth, kHeight));
    CBitmap* old = memory.SelectObject(&bitmap);
    memory.FillSolidRect(0, 0, kWidth, kHeight, kWhite);
    drawScene(memory);
    ASSERT_TRUE(buffered.dc.BitBlt(0, 0, kWidth, kHeight, &memory, 0, 0, SRCCOPY));
    EXPECT_EQ(buffered.backing, direct.backing);
    // A marker drawn twice with exclusive-or leaves the window as it was.
    ASSERT_TRUE(buffered.dc.BitBlt(5, 5, 20, 12, &memory, 11, 3, SRCINVERT));
    EXPECT_NE(buffered.backing, direct.backing);
    ASSERT_TRUE(buffered.dc.BitBlt(5, 5, 20, 12, &memory, 11, 3, SRCINVERT));
    EXPECT_EQ(buffered.backing, direct.backing);
    memory.SelectObject(old);
}

TEST_P(BlitAtRatio, StretchedAndKeyedCopiesWorkInLogicalPixels) {
    WindowSurface window(GetParam());
    CDC memory;
    memory.CreateCompatibleDC(&window.dc);
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&window.dc, 4, 4));
    CBitmap* old = memory.SelectObject(&bitmap);
    const COLORREF colours[] = {kRed, kGreen, kBlue, kBlack};
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) memory.FillSolidRect(x, y, 1, 1, colours[(x + y) % 4]);
    }
    // Doubled: each logical pixel of the bitmap becomes two by two of the window's.
    ASSERT_TRUE(window.dc.StretchBlt(10, 10, 8, 8, &memory, 0, 0, 4, 4, SRCCOPY));
    int wrong = 0;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x)
            wrong += window.dc.GetPixel(10 + x, 10 + y) != memory.GetPixel(x / 2, y / 2);
    }
    EXPECT_EQ(wrong, 0);
    // Keyed on black: the rest copies, black leaves the window white.
    ASSERT_TRUE(window.dc.TransparentBlt(0, 0, 4, 4, &memory, 0, 0, 4, 4, kBlack));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const COLORREF colour = colours[(x + y) % 4];
            EXPECT_EQ(window.dc.GetPixel(x, y), colour == kBlack ? kWhite : colour)
                << x << "," << y;
        }
    }
    memory.SelectObject(old);
}

INSTANTIATE_TEST_SUITE_P(Ratios, BlitAtRatio, ::testing::Values(1.0, 1.5, 2.0));

}  // namespace
}  // namespace zentrix::framework
