// Pixel rules of shapes, block transfers, object selection and bitmaps.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <cmath>
#include <string>
#include <vector>

#include "framework/dc.h"
#include "framework/gdi_objects.h"
#include "framework/qt_drawing.h"
#include "tests/framework/drawing_support.h"

namespace zentrix::framework {
namespace {

using drawtest::Canvas;
using drawtest::ensureGuiApplication;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

int countPixels(const Canvas& canvas, COLORREF color) {
    int count = 0;
    for (int y = 0; y < canvas.image().height(); ++y) {
        for (int x = 0; x < canvas.image().width(); ++x) {
            count += canvas.at(x, y) == color ? 1 : 0;
        }
    }
    return count;
}

TEST(DrawingShapes, RectanglesExcludeRightAndBottomAndDrawTheirBorderInside) {
    Canvas canvas(20, 20);
    CPen pen(PS_SOLID, 1, kBlack);
    CBrush brush(kRed);
    canvas.dc.SelectObject(&pen);
    canvas.dc.SelectObject(&brush);
    canvas.dc.Rectangle(2, 3, 9, 8);
    EXPECT_EQ(canvas.ink(), CRect(2, 3, 9, 8));
    EXPECT_EQ(canvas.at(2, 3), kBlack);
    EXPECT_EQ(canvas.at(8, 7), kBlack);
    EXPECT_EQ(canvas.at(3, 4), kRed);
    EXPECT_EQ(canvas.at(7, 6), kRed);
    EXPECT_EQ(countPixels(canvas, kRed), 5 * 3);
    EXPECT_EQ(countPixels(canvas, kBlack), 7 * 5 - 5 * 3);

    Canvas fill(20, 20);
    fill.dc.FillRect(CRect(2, 3, 9, 8), &brush);
    EXPECT_EQ(fill.ink(), CRect(2, 3, 9, 8));
    EXPECT_EQ(countPixels(fill, kRed), 7 * 5);
    fill.dc.FillSolidRect(CRect(10, 10, 10, 15), kBlue);  // empty: nothing
    EXPECT_EQ(countPixels(fill, kBlue), 0);
}

TEST(DrawingShapes, NullBrushKeepsTheInteriorNullPenFillsOnePixelLess) {
    Canvas canvas(20, 20, kBlue);
    canvas.dc.SelectStockObject(NULL_BRUSH);
    canvas.dc.Rectangle(2, 2, 10, 10);
    EXPECT_EQ(countPixels(canvas, kBlack), 8 * 4 - 4);
    EXPECT_EQ(canvas.at(5, 5), kBlue);

    Canvas noPen(20, 20);
    CBrush brush(kRed);
    noPen.dc.SelectObject(&brush);
    noPen.dc.SelectStockObject(NULL_PEN);
    noPen.dc.Rectangle(2, 2, 10, 10);
    EXPECT_EQ(noPen.ink(), CRect(2, 2, 9, 9));

    Canvas wide(20, 20);
    CPen widePen(PS_SOLID, 3, kBlack);
    wide.dc.SelectObject(&widePen);
    wide.dc.SelectObject(&brush);
    wide.dc.Rectangle(2, 2, 12, 12);
    EXPECT_EQ(wide.ink(), CRect(2, 2, 12, 12));
    EXPECT_EQ(countPixels(wide, kRed), 4 * 4);
}

TEST(DrawingShapes, LinesLeaveOutTheirLastPixel) {
    struct Row {
        const char* legend;
        CPoint from;
        CPoint to;
        std::vector<CPoint> drawn;
    };
    const Row rows[] = {
        {"horizontal", {1, 1}, {5, 1}, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},
        {"leftwards", {5, 2}, {2, 2}, {{5, 2}, {4, 2}, {3, 2}}},
        {"vertical", {3, 1}, {3, 4}, {{3, 1}, {3, 2}, {3, 3}}},
        {"diagonal", {0, 0}, {3, 3}, {{0, 0}, {1, 1}, {2, 2}}},
        {"zero length", {4, 4}, {4, 4}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        Canvas canvas(10, 10);
        canvas.dc.MoveTo(row.from);
        canvas.dc.LineTo(row.to);
        EXPECT_EQ(canvas.dc.GetCurrentPosition(), row.to);
        EXPECT_EQ(countPixels(canvas, kBlack), static_cast<int>(row.drawn.size()));
        for (const CPoint& point : row.drawn) {
            EXPECT_EQ(canvas.at(point.x, point.y), kBlack) << point.x << "," << point.y;
        }
    }

    // A closed outline drawn with exclusive-or touches every corner exactly once.
    Canvas closed(10, 10);
    closed.dc.SetROP2(R2_XORPEN);
    CPen white(PS_SOLID, 1, kWhite);
    closed.dc.SelectObject(&white);
    const CPoint square[] = {{1, 1}, {6, 1}, {6, 6}, {1, 6}, {1, 1}};
    closed.dc.Polyline(square, 5);
    EXPECT_EQ(countPixels(closed, kBlack), 20);
}

TEST(DrawingShapes, EllipsesTouchEverySideOfTheirRectangleAndStayInside) {
    const CRect rects[] = {{3, 3, 10, 10}, {3, 3, 11, 11}, {2, 5, 30, 15},
                           {5, 2, 9, 30},  {4, 4, 5, 5},   {1, 1, 31, 31}};
    for (const CRect& rect : rects) {
        SCOPED_TRACE(::testing::Message()
                     << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom);
        Canvas canvas(32, 32);
        CBrush brush(kRed);
        canvas.dc.SelectObject(&brush);
        canvas.dc.Ellipse(rect);
        EXPECT_EQ(canvas.ink(), rect);
        // Symmetric about both centre lines.
        for (int y = rect.top; y < rect.bottom; ++y) {
            for (int x = rect.left; x < rect.right; ++x) {
                EXPECT_EQ(canvas.at(x, y), canvas.at(rect.right - 1 - (x - rect.left), y));
                EXPECT_EQ(canvas.at(x, y), canvas.at(x, rect.bottom - 1 - (y - rect.top)));
            }
        }
    }

    // The seven-pixel dot: the corners stay outside.
    Canvas dot(7, 7);
    dot.dc.Ellipse(0, 0, 7, 7);
    EXPECT_EQ(dot.at(0, 0), kWhite);
    EXPECT_EQ(dot.at(3, 0), kBlack);
    EXPECT_EQ(dot.at(0, 3), kBlack);
    EXPECT_EQ(dot.at(3, 3), kWhite);  // the stock white brush
}

TEST(DrawingShapes, AbsurdCoordinatesAreCutToTheDevice) {
    constexpr int kFar = 1'000'000'000;
    Canvas canvas(16, 16);
    CBrush red(kRed);
    canvas.dc.SelectObject(&red);
    canvas.dc.Rectangle(-kFar, -kFar, kFar, kFar);
    EXPECT_EQ(countPixels(canvas, kRed), 16 * 16);  // the border lies far outside
    canvas.dc.Ellipse(-kFar, -kFar, kFar, kFar);
    EXPECT_EQ(countPixels(canvas, kRed), 16 * 16);
    canvas.dc.Ellipse(-kFar, 4, kFar, 12);  // flat and wide: only its outline's rows show
    EXPECT_EQ(canvas.at(8, 4), kBlack);
    EXPECT_EQ(canvas.at(8, 11), kBlack);
    EXPECT_EQ(canvas.at(8, 8), kRed);
    canvas.dc.MoveTo(-kFar, 2);
    canvas.dc.LineTo(kFar, 2);
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(canvas.at(x, 2), kBlack) << x;
    }
    canvas.dc.MoveTo(3, -kFar);
    canvas.dc.LineTo(3, 8);
    EXPECT_EQ(canvas.at(3, 0), kBlack);
    EXPECT_EQ(canvas.at(3, 7), kBlack);
    EXPECT_EQ(canvas.at(3, 8), kRed);

    Canvas source(4, 4);
    EXPECT_FALSE(canvas.dc.StretchBlt(0, 0, kFar, kFar, &source.dc, 0, 0, 4, 4, SRCCOPY));
    EXPECT_FALSE(canvas.dc.TransparentBlt(0, 0, kFar, 2, &source.dc, 0, 0, 4, 4, kWhite));
    EXPECT_TRUE(canvas.dc.BitBlt(-kFar, -kFar, kFar, kFar, &source.dc, -kFar, 0, SRCCOPY));
}

// A sky-plot-like picture: rings, spokes, labels and a few odd pixels.
void drawPlot(CDC& dc, int width, int height) {
    dc.FillSolidRect(0, 0, width, height, kWhite);
    CPen grid(PS_SOLID, 1, RGB(128, 0, 255));
    CBrush fill(kBlack);
    CPen* oldPen = dc.SelectObject(&grid);
    CBrush* oldBrush = dc.SelectObject(&fill);
    for (int ring = 0; ring < 3; ++ring) {
        dc.Ellipse(5 + ring * 10, 5 + ring * 10, 75 - ring * 10, 75 - ring * 10);
    }
    for (int spoke = 0; spoke < 8; ++spoke) {
        dc.MoveTo(40, 40);
        dc.LineTo(40 + static_cast<int>(35 * std::sin(spoke * 0.785)),
                  40 - static_cast<int>(35 * std::cos(spoke * 0.785)));
    }
    CFont font;
    font.CreatePointFont(80, u"Arial");
    CFont* oldFont = dc.SelectObject(&font);
    dc.SetTextColor(kWhite);
    dc.SetBkColor(kBlack);
    dc.TextOut(36, 2, u"N");
    dc.SetBkMode(TRANSPARENT);
    dc.TextOut(70, 36, u"E");
    dc.SetPixel(1, 1, RGB(1, 2, 3));
    dc.SelectObject(oldFont);
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);
}

TEST(DrawingBlits, AMarkerDrawnTwiceWithExclusiveOrRestoresEveryPixel) {
    Canvas plot(80, 80);
    drawPlot(plot.dc, 80, 80);
    const QImage before = plot.image().copy();

    Canvas marker(20, 24, kBlack);
    CBitmap dot;
    {
        Canvas dotCanvas(7, 7, kWhite);
        CBrush yellow(RGB(255, 255, 0));
        dotCanvas.dc.SelectObject(&yellow);
        dotCanvas.dc.SelectStockObject(NULL_PEN);
        dotCanvas.dc.Ellipse(0, 0, 8, 8);
        setImage(dot, dotCanvas.image());
    }
    TransparentImage(&marker.dc, 6, 0, 7, 7, &dot, 0, 0, 7, 7, kWhite);
    marker.dc.SetBkMode(TRANSPARENT);
    marker.dc.SetTextColor(RGB(0, 240, 60));
    marker.dc.TextOut(2, 8, u"12");

    // Inside, across an edge and across a corner of the plot.
    for (const CPoint at : {CPoint{30, 30}, CPoint{-5, 40}, CPoint{70, 66}}) {
        SCOPED_TRACE(::testing::Message() << at.x << "," << at.y);
        plot.dc.BitBlt(at.x, at.y, 20, 24, &marker.dc, 0, 0, SRCINVERT);
        EXPECT_NE(plot.image(), before);
        // The exclusive-or of the pixel values, not a blend.
        const QRgb original = before.pixel(at.x + 9, at.y + 3);
        const COLORREF mark = marker.at(9, 3);
        EXPECT_EQ(plot.at(at.x + 9, at.y + 3),
                  RGB(qRed(original) ^ GetRValue(mark), qGreen(original) ^ GetGValue(mark),
                      qBlue(original) ^ GetBValue(mark)));
        plot.dc.BitBlt(at.x, at.y, 20, 24, &marker.dc, 0, 0, SRCINVERT);
        EXPECT_EQ(plot.image(), before);
    }
}

TEST(DrawingBlits, ExclusiveOrRestoresWindowImagesOfEveryFormatAndScale) {
    // A window's backing image may carry alpha and, on a high-resolution screen, a scale.
    Canvas marker(10, 10, kBlack);
    marker.dc.FillSolidRect(2, 2, 5, 5, RGB(200, 100, 50));
    marker.dc.SetPixel(0, 0, kWhite);
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied}) {
        for (const int scale : {1, 2}) {
            SCOPED_TRACE(::testing::Message() << "format " << format << " scale " << scale);
            QImage window(40 * scale, 40 * scale, format);
            window.setDevicePixelRatio(scale);
            for (int y = 0; y < window.height(); ++y) {
                for (int x = 0; x < window.width(); ++x) {
                    window.setPixel(x, y, qRgb(x * 5, y * 5, 90));
                }
            }
            const QImage before = window.copy();
            CDC dc;
            attachImage(dc, window);
            dc.BitBlt(5, 5, 10, 10, &marker.dc, 0, 0, SRCINVERT);
            EXPECT_EQ(window.pixel(9 * scale, 9 * scale),
                      before.pixel(9 * scale, 9 * scale) ^ qRgb(200, 100, 50) ^ 0xFF000000u);
            EXPECT_EQ(dc.GetPixel(9, 9), fromQColor(QColor(window.pixel(9 * scale, 9 * scale))));
            dc.BitBlt(5, 5, 10, 10, &marker.dc, 0, 0, SRCINVERT);
            CRect box;
            dc.GetClipBox(&box);
            EXPECT_EQ(box, CRect(0, 0, 40, 40));
            // An exclusive-or pen drawn twice, as the sky plot's track points are.
            CPen track(PS_SOLID, 1, RGB(0, 255, 0));
            dc.SelectObject(&track);
            dc.SetROP2(R2_XORPEN);
            for (int pass = 0; pass < 2; ++pass) {
                dc.MoveTo(0, 3);
                dc.LineTo(30, 20);
            }
            detachPainter(dc);
            EXPECT_EQ(window, before);
        }
    }
}

TEST(DrawingBlits, TransparentBlitsLeaveKeyColouredPixelsUntouched) {
    Canvas source(8, 8, RGB(255, 0, 255));
    source.dc.FillSolidRect(2, 2, 4, 4, kRed);
    source.dc.SetPixel(0, 7, kBlue);

    Canvas target(20, 20);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            target.dc.SetPixel(x, y, RGB(x * 10, y * 10, 77));
        }
    }
    const QImage before = target.image().copy();
    ASSERT_TRUE(target.dc.TransparentBlt(4, 4, 8, 8, &source.dc, 0, 0, 8, 8, RGB(255, 0, 255)));
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const COLORREF from = source.at(x, y);
            const QRgb old = before.pixel(4 + x, 4 + y);
            const COLORREF expected =
                from == RGB(255, 0, 255) ? RGB(qRed(old), qGreen(old), qBlue(old)) : from;
            EXPECT_EQ(target.at(4 + x, 4 + y), expected) << x << "," << y;
        }
    }
    EXPECT_EQ(target.image().copy(0, 0, 20, 4), before.copy(0, 0, 20, 4));

    // Doubled in size from a bitmap: every source pixel becomes a 2 x 2 block.
    Canvas doubled(20, 20);
    ASSERT_TRUE(
        TransparentImage(&doubled.dc, 0, 0, 16, 16, &source.bitmap, 0, 0, 8, 8, RGB(255, 0, 255)));
    EXPECT_EQ(doubled.ink(), CRect(0, 4, 12, 16));
    EXPECT_EQ(doubled.at(4, 4), kRed);
    EXPECT_EQ(doubled.at(11, 11), kRed);
    EXPECT_EQ(doubled.at(1, 15), kBlue);

    // An image file's own transparent pixels stay transparent too, and so does whatever of the
    // source rectangle lies outside the bitmap.
    QImage icon(4, 4, QImage::Format_ARGB32);
    icon.fill(qRgba(0, 0, 255, 255));
    icon.setPixel(0, 0, qRgba(0, 0, 0, 0));
    CBitmap withAlpha;
    setImage(withAlpha, icon);
    Canvas onGreen(8, 8, RGB(0, 128, 0));
    ASSERT_TRUE(TransparentImage(&onGreen.dc, 0, 0, 6, 4, &withAlpha, 0, 0, 6, 4, kWhite));
    EXPECT_EQ(onGreen.at(0, 0), RGB(0, 128, 0));
    EXPECT_EQ(onGreen.at(1, 0), kBlue);
    EXPECT_EQ(onGreen.at(4, 1), RGB(0, 128, 0));
}

TEST(DrawingBlits, AnOffScreenDrawingCopiedEqualsTheSameDrawingMadeDirectly) {
    ensureGuiApplication();
    QImage direct(80, 80, QImage::Format_RGB32);
    QImage copied(80, 80, QImage::Format_RGB32);
    copied.fill(Qt::green);
    {
        CDC window;
        attachImage(window, direct);
        drawPlot(window, 80, 80);
    }
    {
        Canvas offScreen(80, 80);
        drawPlot(offScreen.dc, 80, 80);
        CDC window;
        attachImage(window, copied);
        ASSERT_TRUE(window.BitBlt(0, 0, 80, 80, &offScreen.dc, 0, 0, SRCCOPY));
    }
    EXPECT_EQ(direct, copied);

    // The same through a painter the window side owns, clipped to its update region.
    QImage painted(80, 80, QImage::Format_RGB32);
    painted.fill(Qt::green);
    {
        QPainter painter(&painted);
        painter.setClipRect(0, 0, 40, 80);
        CDC paint;
        attachPainter(paint, painter, painted);
        drawPlot(paint, 80, 80);
    }
    EXPECT_EQ(painted.copy(0, 0, 40, 80), direct.copy(0, 0, 40, 80));
    {
        // The window side's painter gets its own state back when the context lets go of it.
        QPainter painter(&painted);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        CDC paint;
        attachPainter(paint, painter, painted);
        Canvas marker(2, 2, kWhite);
        paint.BitBlt(0, 0, 2, 2, &marker.dc, 0, 0, SRCINVERT);
        detachPainter(paint);
        EXPECT_EQ(painter.compositionMode(), QPainter::CompositionMode_SourceOver);
        EXPECT_FALSE(painter.hasClipping());
    }
    EXPECT_EQ(painted.pixel(60, 60), QColor(Qt::green).rgb());
}

TEST(DrawingBlits, StretchingPicksTheNearestPixelAndMirrors) {
    Canvas source(2, 2);
    source.dc.SetPixel(0, 0, kRed);
    source.dc.SetPixel(1, 1, kBlue);
    Canvas target(8, 8);
    ASSERT_TRUE(target.dc.StretchBlt(0, 0, 4, 4, &source.dc, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(target.at(1, 1), kRed);
    EXPECT_EQ(target.at(2, 1), kWhite);
    EXPECT_EQ(target.at(3, 3), kBlue);
    EXPECT_EQ(countPixels(target, kRed), 4);
    // A negative destination width mirrors left to right around x = 7.
    ASSERT_TRUE(target.dc.StretchBlt(7, 4, -4, 4, &source.dc, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(target.at(7, 4), kRed);
    EXPECT_EQ(target.at(4, 7), kBlue);

    // Pattern fills given from the far corner cover the same pixels as from the near one.
    Canvas pattern(12, 2);
    pattern.dc.PatBlt(10, 0, -3, 1, BLACKNESS);
    pattern.dc.PatBlt(7, 1, 3, 1, BLACKNESS);
    EXPECT_EQ(pattern.ink(), CRect(7, 0, 10, 2));
    EXPECT_EQ(countPixels(pattern, kBlack), 6);
}

TEST(DrawingObjects, SelectionHandsBackThePreviousObjectEvenAfterItIsGone) {
    Canvas canvas(10, 10);
    auto pen = std::make_unique<CPen>(PS_SOLID, 1, kRed);
    CPen* stock = canvas.dc.SelectObject(pen.get());
    EXPECT_EQ(stock, GetStockObject(BLACK_PEN));
    EXPECT_EQ(canvas.dc.GetCurrentPen(), pen.get());

    // Deleting a selected pen: the context keeps drawing with it.
    pen.reset();
    canvas.dc.MoveTo(0, 0);
    canvas.dc.LineTo(5, 0);
    EXPECT_EQ(canvas.at(2, 0), kRed);
    CPen blue(PS_SOLID, 1, kBlue);
    CPen* standIn = canvas.dc.SelectObject(&blue);
    ASSERT_NE(standIn, nullptr);
    canvas.dc.SelectObject(standIn);
    canvas.dc.MoveTo(0, 1);
    canvas.dc.LineTo(5, 1);
    EXPECT_EQ(canvas.at(2, 1), kRed);
    EXPECT_FALSE(GetStockObject(BLACK_PEN)->DeleteObject());

    // One memory context per bitmap at a time.
    CDC other;
    other.CreateCompatibleDC(nullptr);
    EXPECT_EQ(other.SelectObject(&canvas.bitmap), nullptr);
    CDC empty;
    EXPECT_EQ(empty.SelectObject(&canvas.bitmap), nullptr);
    EXPECT_EQ(canvas.at(10, 0), CLR_INVALID);
    EXPECT_EQ(canvas.at(-1, 0), CLR_INVALID);
    EXPECT_EQ(empty.GetPixel(0, 0), CLR_INVALID);
    EXPECT_TRUE(empty.Rectangle(0, 0, 5, 5));  // an empty context draws nothing, harmlessly
}

TEST(DrawingObjects, SaveAndRestoreBringBackColoursObjectsAndClipping) {
    Canvas canvas(10, 10);
    const int level = canvas.dc.SaveDC();
    canvas.dc.SetTextColor(kRed);
    canvas.dc.SetBkMode(TRANSPARENT);
    canvas.dc.IntersectClipRect(CRect(0, 0, 5, 5));
    CBrush red(kRed);
    canvas.dc.SelectObject(&red);
    canvas.dc.PatBlt(0, 0, 10, 10, PATCOPY);
    EXPECT_EQ(canvas.ink(), CRect(0, 0, 5, 5));
    EXPECT_TRUE(canvas.dc.RestoreDC(level));
    EXPECT_FALSE(canvas.dc.RestoreDC(level));
    EXPECT_EQ(canvas.dc.GetTextColor(), kBlack);
    EXPECT_EQ(canvas.dc.GetBkMode(), OPAQUE);
    EXPECT_EQ(canvas.dc.GetCurrentBrush(), GetStockObject(WHITE_BRUSH));
    canvas.dc.FillSolidRect(8, 8, 2, 2, kBlue);
    EXPECT_EQ(canvas.at(9, 9), kBlue);

    CRect box;
    EXPECT_EQ(canvas.dc.GetClipBox(&box), 2);
    EXPECT_EQ(box, CRect(0, 0, 10, 10));

    // Clipping to nothing draws nothing.
    canvas.dc.SaveDC();
    canvas.dc.IntersectClipRect(CRect(0, 0, 4, 4));
    canvas.dc.IntersectClipRect(CRect(6, 6, 9, 9));
    canvas.dc.FillSolidRect(0, 0, 10, 10, kBlack);
    EXPECT_EQ(countPixels(canvas, kBlack), 0);
    EXPECT_EQ(canvas.dc.GetClipBox(&box), 1);
    canvas.dc.RestoreDC(-1);
}

TEST(DrawingObjects, BitmapsLoadFromImageFileBytes) {
    ensureGuiApplication();
    QImage picture(5, 3, QImage::Format_RGB32);
    picture.fill(QColor(10, 20, 30));
    picture.setPixel(4, 2, qRgb(200, 100, 50));
    for (const char* format : {"BMP", "PNG"}) {
        SCOPED_TRACE(format);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(picture.save(&buffer, format));
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.LoadFromBytes(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
        BITMAP info;
        EXPECT_EQ(bitmap.GetBitmap(&info), static_cast<int>(sizeof(BITMAP)));
        EXPECT_EQ(info.bmWidth, 5);
        EXPECT_EQ(info.bmHeight, 3);
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        dc.SelectObject(&bitmap);
        EXPECT_EQ(dc.GetPixel(4, 2), RGB(200, 100, 50));
    }
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(nullptr, 2, 2);
    EXPECT_FALSE(bitmap.LoadFromBytes("not an image"));
    EXPECT_FALSE(bitmap.LoadFromBytes(""));
    EXPECT_EQ(bitmap.GetSize(), CSize(2, 2));
    EXPECT_FALSE(bitmap.CreateCompatibleBitmap(nullptr, 0, 5));
    EXPECT_FALSE(bitmap.CreateCompatibleBitmap(nullptr, 100000, 5));
}

}  // namespace
}  // namespace zentrix::framework
