// Shared by the drawing tests: a Qt application for fonts, and a memory context on a bitmap.
#pragma once

#include <QGuiApplication>
#include <QImage>
#include <cstdlib>

#include "framework/dc.h"
#include "framework/gdi_objects.h"
#include "framework/qt_drawing.h"

namespace zentrix::framework::drawtest {

/// Text needs a GUI application; one per test program, headless unless told otherwise.
inline void ensureGuiApplication() {
    static int argc = 1;
    static char name[] = "drawing_test";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance() == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static QGuiApplication application(argc, argv);
    }
}

struct GuiApplication {
    GuiApplication() { ensureGuiApplication(); }
};

/// A memory context with a bitmap of its own, filled with one colour.
struct Canvas : GuiApplication {
    CDC dc;
    CBitmap bitmap;

    Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255)) {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateCompatibleBitmap(&dc, width, height);
        dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, width, height, fill);
        dc.SetBkColor(RGB(255, 255, 255));
    }

    const QImage& image() const { return imageOf(bitmap); }
    COLORREF at(int x, int y) const { return dc.GetPixel(x, y); }

    /// The smallest rectangle holding every pixel that differs from `background`; empty when
    /// none does.
    CRect ink(COLORREF background = RGB(255, 255, 255)) const {
        CRect box(image().width(), image().height(), 0, 0);
        for (int y = 0; y < image().height(); ++y) {
            for (int x = 0; x < image().width(); ++x) {
                if (at(x, y) != background) {
                    box = CRect(std::min(box.left, x), std::min(box.top, y),
                                std::max(box.right, x + 1), std::max(box.bottom, y + 1));
                }
            }
        }
        return box.IsRectEmpty() ? CRect() : box;
    }
};

}  // namespace zentrix::framework::drawtest
