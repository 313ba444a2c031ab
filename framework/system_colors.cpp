#include "framework/system_colors.h"

#include <array>
#include <memory>

#include "framework/qt_drawing.h"

namespace zentrix::framework {

namespace {

constexpr int kColorCount = 27;

// The handheld's light scheme. Unused slots (10 to 12, 19) get neutral greys.
constexpr std::array<COLORREF, kColorCount> kSystemColors = {
    RGB(200, 200, 200),  // COLOR_SCROLLBAR
    RGB(0, 128, 128),    // COLOR_BACKGROUND
    RGB(0, 0, 128),      // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(255, 255, 255),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(192, 192, 192),  // active border
    RGB(192, 192, 192),  // inactive border
    RGB(128, 128, 128),  // application workspace
    RGB(0, 0, 128),      // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(192, 192, 192),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(192, 192, 192),  // inactive caption text
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(0, 0, 0),        // COLOR_3DDKSHADOW
    RGB(223, 223, 223),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
    RGB(192, 192, 192),  // COLOR_STATIC
    RGB(0, 0, 0),        // COLOR_STATICTEXT
};

}  // namespace

COLORREF GetSysColor(int index) {
    if (index < 0 || index >= kColorCount) {
        return RGB(0, 0, 0);
    }
    return kSystemColors[static_cast<std::size_t>(index)];
}

CBrush* GetSysColorBrush(int index) {
    static std::array<std::unique_ptr<CBrush>, kColorCount> brushes;
    static CBrush black(RGB(0, 0, 0));
    if (index < 0 || index >= kColorCount) {
        return &black;
    }
    auto& brush = brushes[static_cast<std::size_t>(index)];
    if (!brush) {
        brush = std::make_unique<CBrush>(GetSysColor(index));
        // Pages may hand it to DeleteObject by mistake; like a stock brush it survives that.
        brush->data()->stock = true;
    }
    return brush.get();
}

}  // namespace zentrix::framework
