// Painting: custom-drawn controls paint through OnPaint into the window's pixels, drawing
// outside OnPaint stays until the window is invalidated, and every gallery entry renders.
#include <gtest/gtest.h>

#include <QImage>

#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/qt_drawing.h"
#include "framework/test_kit.h"
#include "framework/test_kit_gallery.h"
#include "resources/resource_ids.h"

namespace zentrix::framework {
namespace {

class Plot : public CStatic {
  public:
    int paints = 0;
    std::vector<CPoint> taps;
    void OnPaint() override {
        CPaintDC dc(this);
        ++paints;
        CRect rect;
        GetClientRect(&rect);
        dc.FillSolidRect(rect, RGB(255, 255, 255));
    }
    bool OnEraseBkgnd(CDC*) override { return true; }
    void OnLButtonDown(UINT, CPoint point) override { taps.push_back(point); }
};

COLORREF pixelAt(ScopedTestKit& kit, CWnd& window, int x, int y) {
    CBitmap image;
    if (!kit.render(window, image))
        return CLR_INVALID;
    return fromQColor(QColor(imageOf(image).pixel(x, y)));
}

TEST(Painting, ClientDrawingStaysUntilTheWindowIsInvalidated) {
    ScopedTestKit kit;
    CDialog dialog(IDD_SAMPLE_PAGE_EXTRA);
    ASSERT_TRUE(kit.open(dialog));
    Plot plot;
    ASSERT_TRUE(plot.Create(u"", WS_CHILD | WS_VISIBLE, CRect(10, 20, 60, 70), &dialog, 1051));
    EXPECT_EQ(pixelAt(kit, plot, 5, 5), RGB(255, 255, 255));
    const int paints = plot.paints;
    EXPECT_GE(paints, 1);
    {
        // The satellite marker's way: exclusive-or onto the window, outside painting.
        CClientDC dc(&plot);
        dc.FillSolidRect(CRect(0, 0, 10, 10), RGB(255, 0, 0));
    }
    EXPECT_EQ(pixelAt(kit, plot, 5, 5), RGB(255, 0, 0));
    EXPECT_EQ(pixelAt(kit, dialog, 15, 25), RGB(255, 0, 0));  // the dialog shows it too
    EXPECT_EQ(plot.paints, paints);
    plot.Invalidate();
    EXPECT_EQ(pixelAt(kit, plot, 5, 5), RGB(255, 255, 255));
    EXPECT_EQ(plot.paints, paints + 1);

    EXPECT_TRUE(kit.tap(plot, CPoint(7, 9)));
    EXPECT_EQ(plot.taps, (std::vector<CPoint>{CPoint(7, 9)}));
    plot.MoveWindow(0, 0, 20, 30);
    CRect client;
    plot.GetClientRect(&client);
    EXPECT_EQ(client, CRect(0, 0, 20, 30));
}

TEST(Painting, EveryGalleryEntryRendersAtBothResolutions) {
    GalleryRegistry gallery;
    registerSampleGallery(gallery);
    ASSERT_GE(gallery.entries().size(), 3u);
    for (int dpi : {96, 192}) {
        for (const GalleryEntry& entry : gallery.entries()) {
            SCOPED_TRACE(entry.name + " " + std::to_string(dpi));
            ScopedTestKit kit;
            kit.setScreenDpi(dpi);
            auto window = entry.make();
            ASSERT_TRUE(openGalleryEntry(kit, entry, *window));
            CBitmap image;
            ASSERT_TRUE(kit.render(*window, image));
            CRect client;
            window->GetClientRect(&client);
            EXPECT_EQ(image.GetSize(), client.Size());
            EXPECT_LE(client.Width(), 240 * dpi / 96);
            EXPECT_LE(client.Height(), 320 * dpi / 96);
            EXPECT_EQ(kit.unansweredMessageBoxes(), 0);
        }
    }
    EXPECT_EQ(gallery.find("nothing"), nullptr);
}

}  // namespace
}  // namespace zentrix::framework
