// Text layout of DrawText and the fonts behind it.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <iterator>
#include <random>
#include <string>

#include "framework/dc.h"
#include "framework/fonts.h"
#include "framework/gdi_objects.h"
#include "framework/qt_drawing.h"
#include "tests/framework/drawing_support.h"

namespace zentrix::framework {
namespace {

using drawtest::Canvas;
using drawtest::ensureGuiApplication;

constexpr COLORREF kWhite = RGB(255, 255, 255);

// A canvas with a 10-point Arial selected, black text on a transparent background.
struct TextCanvas : Canvas {
    CFont font;
    TextCanvas(int width, int height) : Canvas(width, height) {
        font.CreatePointFont(100, u"Arial");
        dc.SelectObject(&font);
        dc.SetBkMode(TRANSPARENT);
    }
};

TEST(DrawText, AlignsASingleLineInItsRectangle) {
    const CRect rect(10, 10, 110, 50);
    TextCanvas probe(1, 1);
    const CSize extent = probe.dc.GetTextExtent(u"Wg");
    struct Row {
        const char* legend;
        UINT format;
        CPoint origin;
    };
    const Row rows[] = {
        {"left top", DT_LEFT | DT_SINGLELINE, {10, 10}},
        {"centre", DT_CENTER | DT_SINGLELINE, {10 + (100 - extent.cx) / 2, 10}},
        {"right", DT_RIGHT | DT_SINGLELINE, {110 - extent.cx, 10}},
        {"vertical centre", DT_SINGLELINE | DT_VCENTER, {10, 10 + (40 - extent.cy) / 2}},
        {"bottom right", DT_SINGLELINE | DT_BOTTOM | DT_RIGHT, {110 - extent.cx, 50 - extent.cy}},
        {"vertical centre needs a single line", DT_VCENTER, {10, 10}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        TextCanvas drawn(120, 60);
        CRect box = rect;
        const int height = drawn.dc.DrawText(u"Wg", &box, row.format);
        EXPECT_EQ(box, rect);
        EXPECT_EQ(height, row.origin.y - rect.top + extent.cy);
        TextCanvas expected(120, 60);
        expected.dc.TextOut(row.origin.x, row.origin.y, u"Wg");
        EXPECT_EQ(drawn.image(), expected.image());
        EXPECT_FALSE(drawn.ink().IsRectEmpty());
    }
}

TEST(DrawText, PrefixCharactersUnlessTurnedOff) {
    struct Row {
        const char16_t* text;
        UINT format;
        const char16_t* shown;
        bool underlined;
    };
    const Row rows[] = {
        {u"&File", DT_SINGLELINE, u"File", true},
        {u"&File", DT_SINGLELINE | DT_NOPREFIX, u"&File", false},
        {u"A&&B", DT_SINGLELINE, u"A&B", false},
        {u"&File", DT_SINGLELINE | DT_HIDEPREFIX, u"File", false},
        {u"End&", DT_SINGLELINE, u"End", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(platform::toUtf8(row.text));
        TextCanvas drawn(100, 30);
        CRect box(2, 2, 98, 28);
        drawn.dc.DrawText(row.text, &box, row.format);
        TextCanvas expected(100, 30);
        expected.dc.TextOut(2, 2, row.shown);
        if (row.underlined) {
            TEXTMETRIC metrics;
            expected.dc.GetTextMetrics(&metrics);
            const int width = expected.dc.GetTextExtent(u"F").cx;
            expected.dc.FillSolidRect(2, 2 + metrics.tmAscent + 1, width, 1, RGB(0, 0, 0));
        }
        EXPECT_EQ(drawn.image(), expected.image());
    }
}

TEST(DrawText, EndEllipsisCutsTheTextInsideTheRectangle) {
    const std::u16string text = u"Mount point NTRIP_RTCM3_GG";
    TextCanvas drawn(200, 30);
    const int fullWidth = drawn.dc.GetTextExtent(text).cx;
    const CRect rect(4, 4, 4 + fullWidth / 2, 24);
    CRect box = rect;
    drawn.dc.DrawText(text, &box, DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_TRUE(rect.IntersectWith(drawn.ink()) == drawn.ink());

    // The drawing is some beginning of the text followed by "...", and the longest that fits.
    int matched = -1;
    for (std::size_t keep = 0; keep < text.size(); ++keep) {
        TextCanvas expected(200, 30);
        const std::u16string shown = text.substr(0, keep) + u"...";
        expected.dc.TextOut(4, 4, shown);
        if (expected.image() == drawn.image()) {
            matched = static_cast<int>(keep);
            EXPECT_LE(expected.dc.GetTextExtent(shown).cx, rect.Width());
            EXPECT_GT(expected.dc.GetTextExtent(text.substr(0, keep + 1) + u"...").cx,
                      rect.Width());
        }
    }
    EXPECT_GT(matched, 0);

    // A text that fits is left alone.
    TextCanvas whole(200, 30);
    CRect wide(4, 4, 196, 24);
    whole.dc.DrawText(u"Short", &wide, DT_SINGLELINE | DT_END_ELLIPSIS);
    TextCanvas plain(200, 30);
    plain.dc.TextOut(4, 4, u"Short");
    EXPECT_EQ(whole.image(), plain.image());
}

TEST(DrawText, CalcRectMeasuresWithoutDrawing) {
    TextCanvas canvas(200, 100);
    TEXTMETRIC metrics;
    canvas.dc.GetTextMetrics(&metrics);
    const CSize extent = canvas.dc.GetTextExtent(u"Satellites");

    CRect single(5, 5, 6, 6);
    EXPECT_EQ(canvas.dc.DrawText(u"Satellites", &single, DT_SINGLELINE | DT_CALCRECT),
              metrics.tmHeight);
    EXPECT_EQ(single, CRect(5, 5, 5 + extent.cx, 5 + extent.cy));
    EXPECT_TRUE(canvas.ink().IsRectEmpty());

    CRect lines(0, 0, 10, 10);
    canvas.dc.DrawText(u"Satellites\r\nGPS", &lines, DT_CALCRECT);
    EXPECT_EQ(lines, CRect(0, 0, extent.cx, 2 * metrics.tmHeight));

    CRect joined(0, 0, 10, 10);
    canvas.dc.DrawText(u"Satellites\nGPS", &joined, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(joined.Height(), metrics.tmHeight);

    // Word wrapping at the rectangle's width: three words, each on its own line.
    CRect wrapped(0, 0, extent.cx + 2, 10);
    canvas.dc.DrawText(u"Satellites Satellites Satellites", &wrapped, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(wrapped.Height(), 3 * metrics.tmHeight);
    EXPECT_EQ(wrapped.Width(), extent.cx);
    EXPECT_TRUE(canvas.ink().IsRectEmpty());
}

TEST(DrawText, OpaqueBackgroundAndClipping) {
    TextCanvas canvas(100, 40);
    canvas.dc.SetBkMode(OPAQUE);
    canvas.dc.SetBkColor(RGB(0, 0, 255));
    canvas.dc.TextOut(10, 10, u"ab");
    const CSize extent = canvas.dc.GetTextExtent(u"ab");
    EXPECT_EQ(canvas.ink(), CRect(10, 10, 10 + extent.cx, 10 + extent.cy));

    // DrawText clips to its rectangle unless told not to.
    TextCanvas clipped(100, 40);
    CRect narrow(10, 10, 14, 30);
    clipped.dc.DrawText(u"WWWW", &narrow, DT_SINGLELINE);
    EXPECT_LE(clipped.ink().right, 14);
    TextCanvas unclipped(100, 40);
    unclipped.dc.DrawText(u"WWWW", &narrow, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(unclipped.ink().right, 14);
}

TEST(DrawText, AnyTextAndFormatStaysInsideItsRectangle) {
    // Pieces that exercise prefixes, wrapping, line breaks, tabs and ellipsis together.
    const char16_t* pieces[] = {u"&",      u"&&", u" ", u"  ",   u"\n",
                                u"\r\n",   u"\t", u"W", u"word", u"Mountpoint_RTCM3",
                                u"\u00e9", u"..."};
    const UINT flags[] = {DT_CENTER,       DT_RIGHT,      DT_VCENTER,        DT_BOTTOM,
                          DT_WORDBREAK,    DT_SINGLELINE, DT_EXPANDTABS,     DT_NOPREFIX,
                          DT_END_ELLIPSIS, DT_HIDEPREFIX, DT_EXTERNALLEADING};
    std::mt19937 random(20261207);
    TextCanvas canvas(80, 60);
    TEXTMETRIC metrics;
    canvas.dc.GetTextMetrics(&metrics);
    for (int round = 0; round < 300; ++round) {
        std::u16string text;
        const int count = static_cast<int>(random() % 12);
        for (int i = 0; i < count; ++i) {
            text += pieces[random() % std::size(pieces)];
        }
        UINT format = 0;
        for (const UINT flag : flags) {
            format |= random() % 3 == 0 ? flag : 0;
        }
        const int width = static_cast<int>(random() % 60);
        const CRect rect(10, 10, 10 + width, 10 + static_cast<int>(random() % 45));
        SCOPED_TRACE(::testing::Message() << "round " << round << " format " << format);

        CRect measured = rect;
        const int height = canvas.dc.DrawText(text, &measured, format | DT_CALCRECT);
        EXPECT_EQ(height % metrics.tmHeight, 0);
        EXPECT_EQ(measured.TopLeft(), rect.TopLeft());
        EXPECT_EQ(measured.Height(), height);

        canvas.dc.FillSolidRect(0, 0, 80, 60, kWhite);
        CRect box = rect;
        canvas.dc.DrawText(text, &box, format);
        EXPECT_EQ(box, rect);
        const CRect ink = canvas.ink();
        EXPECT_TRUE(ink.IsRectEmpty() || rect.IntersectWith(ink) == ink);
    }
}

TEST(Fonts, ArialHasTheMetricsOfLiberationSans) {
    ensureGuiApplication();
    EXPECT_EQ(resolveFontFamily("Arial"), "Liberation Sans");
    EXPECT_EQ(resolveFontFamily("arial"), "Liberation Sans");
    EXPECT_EQ(resolveFontFamily("Courier New"), "Liberation Mono");
    EXPECT_EQ(resolveFontFamily("No Such Face"), "Liberation Sans");

    struct Row {
        int height;
        int weight;
    };
    for (const Row row : {Row{-11, FW_NORMAL}, Row{13, FW_BOLD}, Row{-16, FW_SEMIBOLD}}) {
        SCOPED_TRACE(row.height);
        TEXTMETRIC metrics[2];
        CSize extents[2];
        const char16_t* faces[] = {u"Arial", u"Liberation Sans"};
        for (int i = 0; i < 2; ++i) {
            Canvas canvas(1, 1);
            CFont font;
            font.CreateFont(row.height, 0, 0, 0, row.weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                            FF_SWISS, faces[i]);
            EXPECT_EQ(QFontInfo(toQFont(font)).family(), QString("Liberation Sans"));
            canvas.dc.SelectObject(&font);
            canvas.dc.GetTextMetrics(&metrics[i]);
            extents[i] = canvas.dc.GetTextExtent(u"GPS: 12 SBAS: 3");
        }
        EXPECT_EQ(metrics[0].tmHeight, metrics[1].tmHeight);
        EXPECT_EQ(metrics[0].tmAscent, metrics[1].tmAscent);
        EXPECT_EQ(metrics[0].tmDescent, metrics[1].tmDescent);
        EXPECT_EQ(metrics[0].tmAveCharWidth, metrics[1].tmAveCharWidth);
        EXPECT_EQ(metrics[0].tmExternalLeading, metrics[1].tmExternalLeading);
        EXPECT_EQ(extents[0], extents[1]);
        if (row.height > 0) {
            // A positive height is the cell height: ascent and descent fit into it.
            EXPECT_LE(metrics[0].tmHeight, row.height);
            EXPECT_GE(metrics[0].tmHeight, row.height - 1);
        } else {
            EXPECT_EQ(metrics[0].tmHeight - metrics[0].tmInternalLeading, -row.height);
        }
        EXPECT_EQ(metrics[0].tmWeight, row.weight);
    }
}

TEST(Fonts, PointSizesAreTenthsOfAPointAtNinetySixPixelsPerInch) {
    ensureGuiApplication();
    struct Row {
        int tenths;
        int characterHeight;
    };
    for (const Row row : {Row{80, 11}, Row{86, 11}, Row{90, 12}, Row{60, 8}}) {
        CFont font;
        ASSERT_TRUE(font.CreatePointFont(row.tenths, u"Arial"));
        LOGFONT logFont;
        ASSERT_EQ(font.GetLogFont(&logFont), static_cast<int>(sizeof(LOGFONT)));
        EXPECT_EQ(logFont.lfHeight, -row.characterHeight) << row.tenths;
        EXPECT_EQ(toQFont(font).pixelSize(), row.characterHeight);
    }
    // A face name longer than the record holds is cut, not overrun.
    LOGFONT logFont;
    setFaceName(logFont, u"An extraordinarily long face name beyond thirty-one characters");
    EXPECT_EQ(logFont.lfFaceName[LF_FACESIZE - 1], u'\0');
    EXPECT_EQ(std::u16string(logFont.lfFaceName).size(), static_cast<std::size_t>(LF_FACESIZE - 1));
}

}  // namespace
}  // namespace zentrix::framework
