// Contexts, selection, state and the shapes. Blits are in dc_blit.cpp, text in dc_text.cpp.
#include "framework/dc.h"

#include <QPaintDevice>
#include <QPolygon>
#include <QRegion>
#include <algorithm>
#include <cmath>

#include "framework/qt_dc.h"

namespace zentrix::framework {

namespace {

QPoint clamped(const CPoint& point) {
    return QPoint(clampCoordinate(point.x), clampCoordinate(point.y));
}

std::shared_ptr<GdiData> stockData(int index) {
    return GetStockObject(index)->data();
}

QRect normalized(int left, int top, int right, int bottom) {
    return pixelRect(left, top, right, bottom);
}

// One step of 4-neighbour erosion: a pixel stays when its left, right, upper and lower
// neighbours are all inside. The rows are convex spans, so that is an intersection of spans.
std::vector<Span> erode(const std::vector<Span>& rows) {
    std::vector<Span> inner(rows.size());
    for (std::size_t i = 1; i + 1 < rows.size(); ++i) {
        const Span& above = rows[i - 1];
        const Span& row = rows[i];
        const Span& below = rows[i + 1];
        if (above.empty() || row.empty() || below.empty()) {
            continue;
        }
        inner[i] = Span{std::max({above.x0, row.x0, below.x0}) + 1,
                        std::min({above.x1, row.x1, below.x1}) - 1};
    }
    return inner;
}

// The pixels of an ellipse inscribed in `rect`: those whose centres lie inside it, for the
// rows and columns of `visible`. Every row stays
// within the rectangle because the half-width never exceeds half the rectangle's width.
std::vector<Span> ellipseRows(const QRect& rect, const QRect& visible) {
    const double centreX = rect.left() + rect.width() / 2.0;
    const double centreY = rect.top() + rect.height() / 2.0;
    const double radiusX = rect.width() / 2.0;
    const double radiusY = rect.height() / 2.0;
    const int first = std::max(rect.top(), visible.top());
    const int last = std::min(rect.bottom(), visible.bottom());
    std::vector<Span> rows(static_cast<std::size_t>(std::max(last - first + 1, 0)));
    for (int y = first; y <= last; ++y) {
        const double dy = (y + 0.5 - centreY) / radiusY;
        Span span;
        if (dy * dy < 1.0) {
            const double half = radiusX * std::sqrt(1.0 - dy * dy);
            span = Span{static_cast<int>(std::ceil(centreX - half - 0.5)),
                        static_cast<int>(std::floor(centreX + half - 0.5))};
        }
        // A flat ellipse's end rows can come out empty; give them their centre pixel so that
        // the shape still touches the top and bottom of its rectangle.
        if (span.empty() && (y == rect.top() || y == rect.bottom())) {
            const int x = static_cast<int>(std::floor(centreX - 0.5));
            span = Span{x, x};
        }
        span.x0 = std::max({span.x0, rect.left(), visible.left()});
        span.x1 = std::min({span.x1, rect.right(), visible.right()});
        rows[static_cast<std::size_t>(y - first)] = span;
    }
    return rows;
}

}  // namespace

// ---- Impl ----

CDC::Impl::Impl(CDC& dc) : self(dc) {
    resetState();
}

CDC::Impl::~Impl() {
    releaseDevice();
}

void CDC::Impl::resetState() {
    state = State{};
    state.pen = stockData(BLACK_PEN);
    state.brush = stockData(WHITE_BRUSH);
    state.font = stockData(SYSTEM_FONT);
    saved.clear();
}

void CDC::Impl::releaseDevice() {
    if (painterSaved && painter != nullptr && painter->isActive()) {
        painter->restore();
    }
    painterSaved = false;
    if (ownPainter) {
        ownPainter->end();
        ownPainter.reset();
    }
    painter = nullptr;
    device = nullptr;
    image = nullptr;
    outerClip.reset();
    attached = false;
    memory = false;
    if (bitmap) {
        auto& data = static_cast<BitmapData&>(*bitmap);
        if (data.selectedInto == &self) {
            data.selectedInto = nullptr;
        }
        bitmap.reset();
    }
}

bool CDC::Impl::selectBitmap(const std::shared_ptr<GdiData>& data) {
    auto& next = static_cast<BitmapData&>(*data);
    if (next.selectedInto != nullptr && next.selectedInto != &self) {
        return false;
    }
    if (ownPainter) {
        ownPainter->end();
        ownPainter.reset();
    }
    painter = nullptr;
    device = nullptr;
    image = nullptr;
    if (bitmap) {
        static_cast<BitmapData&>(*bitmap).selectedInto = nullptr;
    }
    bitmap = data;
    next.selectedInto = &self;
    if (!next.image.isNull()) {
        ownPainter = std::make_unique<QPainter>(&next.image);
        if (!ownPainter->isActive()) {
            // An image format Qt cannot paint on: the context draws nothing.
            ownPainter.reset();
            return true;
        }
        painter = ownPainter.get();
        device = &next.image;
        image = &next.image;
        applyClip();
    }
    return true;
}

CGdiObject* CDC::Impl::ownerOf(const std::shared_ptr<GdiData>& data, CGdiObject::Kind kind) {
    if (!data) {
        return nullptr;
    }
    if (data->owner != nullptr) {
        return data->owner;
    }
    std::unique_ptr<CGdiObject> standIn;
    switch (kind) {
        case CGdiObject::Kind::Pen:
            standIn = std::make_unique<CPen>();
            break;
        case CGdiObject::Kind::Brush:
            standIn = std::make_unique<CBrush>();
            break;
        case CGdiObject::Kind::Font:
            standIn = std::make_unique<CFont>();
            break;
        case CGdiObject::Kind::Bitmap:
            standIn = std::make_unique<CBitmap>();
            break;
    }
    standIn->adopt(data);
    standIns.push_back(std::move(standIn));
    return standIns.back().get();
}

void CDC::Impl::applyClip() {
    if (painter == nullptr) {
        return;
    }
    if (!state.clip && !outerClip) {
        painter->setClipping(false);
        return;
    }
    QRegion region = outerClip ? *outerClip : QRegion(*state.clip);
    if (outerClip && state.clip) {
        region = region.intersected(*state.clip);
    }
    painter->setClipRegion(region);
}

QRect CDC::Impl::drawableArea(int margin) const {
    if (painter == nullptr || device == nullptr) {
        return {};
    }
    // An image states its size in device pixels, a widget in logical ones.
    const QRect logical = image != nullptr ? QRect(QPoint(0, 0), logicalSize(*image))
                                           : QRect(0, 0, device->width(), device->height());
    QRect area = painter->worldTransform().inverted().mapRect(logical);
    if (state.clip) {
        area = area.intersected(*state.clip);
    }
    return area.adjusted(-margin, -margin, margin, margin);
}

QPoint CDC::Impl::toDevice(int x, int y) const {
    return painter != nullptr ? painter->deviceTransform().map(QPoint(x, y)) : QPoint(x, y);
}

void CDC::Impl::fill(const QRect& rect, COLORREF color, QPainter::CompositionMode mode) {
    if (painter == nullptr || rect.isEmpty()) {
        return;
    }
    painter->setCompositionMode(mode);
    painter->fillRect(rect, toQColor(color));
}

bool CDC::Impl::mixMode(QPainter::CompositionMode* mode) const {
    switch (state.rop2) {
        case R2_NOP:
            return false;
        case R2_XORPEN:
            *mode = QPainter::RasterOp_SourceXorDestination;
            return true;
        case R2_NOT:
            *mode = QPainter::RasterOp_NotDestination;
            return true;
        default:
            *mode = QPainter::CompositionMode_Source;
            return true;
    }
}

COLORREF CDC::Impl::mixColor(COLORREF color) const {
    switch (state.rop2) {
        case R2_BLACK:
            return RGB(0, 0, 0);
        case R2_WHITE:
            return RGB(255, 255, 255);
        default:
            return color;
    }
}

namespace {

// Border with the pen (eroded inwards by its width), interior with the brush.
void drawRegion(CDC::Impl& d, int top, const std::vector<Span>& rows) {
    QPainter::CompositionMode mode{};
    if (d.painter == nullptr || !d.mixMode(&mode)) {
        return;
    }
    const bool penOn = d.pen().style != PS_NULL;
    const bool brushOn = !d.brush().null;
    std::vector<Span> inner = rows;
    if (penOn) {
        for (int step = 0; step < d.pen().width; ++step) {
            inner = erode(inner);
        }
    }
    const COLORREF penColor = d.mixColor(d.pen().color);
    const COLORREF brushColor = d.mixColor(d.brush().color);
    auto span = [&](int x0, int x1, int y, COLORREF color) {
        if (x1 >= x0) {
            d.fill(QRect(x0, y, x1 - x0 + 1, 1), color, mode);
        }
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int y = top + static_cast<int>(i);
        const Span& row = rows[i];
        const Span& in = inner[i];
        if (brushOn && !in.empty()) {
            span(in.x0, in.x1, y, brushColor);
        }
        if (penOn && !row.empty()) {
            if (in.empty()) {
                span(row.x0, row.x1, y, penColor);
            } else {
                span(row.x0, in.x0 - 1, y, penColor);
                span(in.x1 + 1, row.x1, y, penColor);
            }
        }
    }
}

// Cuts the segment to `box` (Liang-Barsky); false when it misses the box.
bool clipSegment(const QRect& box, QPoint& from, QPoint& to) {
    const double x0 = from.x();
    const double y0 = from.y();
    const double dx = to.x() - x0;
    const double dy = to.y() - y0;
    double enter = 0.0;
    double leave = 1.0;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {x0 - box.left(), box.right() - x0, y0 - box.top(), box.bottom() - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) {
                return false;
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            enter = std::max(enter, t);
        } else {
            leave = std::min(leave, t);
        }
    }
    if (enter > leave) {
        return false;
    }
    to = QPoint(static_cast<int>(std::lround(x0 + leave * dx)),
                static_cast<int>(std::lround(y0 + leave * dy)));
    from = QPoint(static_cast<int>(std::lround(x0 + enter * dx)),
                  static_cast<int>(std::lround(y0 + enter * dy)));
    return true;
}

// Lines reaching further than this beyond the device are cut before they are rasterised; the
// pixels of any line that stays within it are exactly those of the whole line.
constexpr int kLineSlack = 4096;

// A line without its last pixel, as runs of pixels (or pen-sized squares for wide pens).
void drawLine(CDC::Impl& d, QPoint from, QPoint to) {
    QPainter::CompositionMode mode{};
    if (d.painter == nullptr || d.pen().style == PS_NULL || !d.mixMode(&mode) || from == to) {
        return;
    }
    const QRect far = d.drawableArea(kLineSlack);
    if ((!far.contains(from) || !far.contains(to)) && !clipSegment(far, from, to)) {
        return;
    }
    const int width = d.pen().width;
    const COLORREF color = d.mixColor(d.pen().color);
    QRegion region;
    auto stamp = [&](int x0, int x1, int y) {
        const int offset = (width - 1) / 2;
        region += QRect(x0 - offset, y - offset, x1 - x0 + width, width);
    };
    int x = from.x();
    int y = from.y();
    const int dx = std::abs(to.x() - x);
    const int dy = -std::abs(to.y() - y);
    const int stepX = x < to.x() ? 1 : -1;
    const int stepY = y < to.y() ? 1 : -1;
    int error = dx + dy;
    int runStart = x;
    while (x != to.x() || y != to.y()) {
        const int doubled = 2 * error;
        const int lastX = x;
        const int lastY = y;
        if (doubled >= dy) {
            error += dy;
            x += stepX;
        }
        if (doubled <= dx) {
            error += dx;
            y += stepY;
        }
        // A run ends when the row changes or at the end of the line.
        if (y != lastY || (x == to.x() && y == to.y())) {
            stamp(std::min(runStart, lastX), std::max(runStart, lastX), lastY);
            runStart = x;
        }
    }
    // The region's rectangles do not overlap, so an exclusive-or pen touches each pixel once.
    for (const QRect& rect : region) {
        d.fill(rect, color, mode);
    }
}

}  // namespace

// ---- CDC: life ----

CDC::CDC() : impl_(std::make_unique<Impl>(*this)) {}

CDC::~CDC() = default;

bool CDC::CreateCompatibleDC(CDC* /*dc*/) {
    impl_->releaseDevice();
    impl_->resetState();
    impl_->memory = true;
    // The platform's memory context starts with a one-pixel bitmap that pages select back
    // before they delete their own.
    auto initial = std::make_shared<BitmapData>();
    initial->image = QImage(1, 1, QImage::Format_RGB32);
    initial->image.fill(Qt::black);
    impl_->selectBitmap(initial);
    return true;
}

bool CDC::DeleteDC() {
    const bool had = GetSafeHdc() != nullptr;
    impl_->releaseDevice();
    impl_->resetState();
    return had;
}

const void* CDC::GetSafeHdc() const {
    return impl_->memory || impl_->attached ? static_cast<const void*>(this) : nullptr;
}

// ---- Selection ----

CPen* CDC::SelectObject(CPen* pen) {
    if (pen == nullptr || !pen->data()) {
        return nullptr;
    }
    auto previous = std::exchange(impl_->state.pen, pen->data());
    return static_cast<CPen*>(impl_->ownerOf(previous, CGdiObject::Kind::Pen));
}

CBrush* CDC::SelectObject(CBrush* brush) {
    if (brush == nullptr || !brush->data()) {
        return nullptr;
    }
    auto previous = std::exchange(impl_->state.brush, brush->data());
    return static_cast<CBrush*>(impl_->ownerOf(previous, CGdiObject::Kind::Brush));
}

CFont* CDC::SelectObject(CFont* font) {
    if (font == nullptr || !font->data()) {
        return nullptr;
    }
    auto previous = std::exchange(impl_->state.font, font->data());
    return static_cast<CFont*>(impl_->ownerOf(previous, CGdiObject::Kind::Font));
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    if (bitmap == nullptr || !bitmap->data() || !impl_->memory) {
        return nullptr;
    }
    auto previous = impl_->bitmap;
    if (!impl_->selectBitmap(bitmap->data())) {
        return nullptr;
    }
    return static_cast<CBitmap*>(impl_->ownerOf(previous, CGdiObject::Kind::Bitmap));
}

CGdiObject* CDC::SelectObject(CGdiObject* object) {
    if (object == nullptr) {
        return nullptr;
    }
    switch (object->kind()) {
        case CGdiObject::Kind::Pen:
            return SelectObject(static_cast<CPen*>(object));
        case CGdiObject::Kind::Brush:
            return SelectObject(static_cast<CBrush*>(object));
        case CGdiObject::Kind::Font:
            return SelectObject(static_cast<CFont*>(object));
        case CGdiObject::Kind::Bitmap:
            return SelectObject(static_cast<CBitmap*>(object));
    }
    return nullptr;
}

CGdiObject* CDC::SelectStockObject(int index) {
    return SelectObject(GetStockObject(index));
}

CPen* CDC::GetCurrentPen() {
    return static_cast<CPen*>(impl_->ownerOf(impl_->state.pen, CGdiObject::Kind::Pen));
}
CBrush* CDC::GetCurrentBrush() {
    return static_cast<CBrush*>(impl_->ownerOf(impl_->state.brush, CGdiObject::Kind::Brush));
}
CFont* CDC::GetCurrentFont() {
    return static_cast<CFont*>(impl_->ownerOf(impl_->state.font, CGdiObject::Kind::Font));
}
CBitmap* CDC::GetCurrentBitmap() {
    return static_cast<CBitmap*>(impl_->ownerOf(impl_->bitmap, CGdiObject::Kind::Bitmap));
}

// ---- State ----

COLORREF CDC::SetTextColor(COLORREF color) {
    return std::exchange(impl_->state.textColor, color & 0xFFFFFF);
}
COLORREF CDC::GetTextColor() const {
    return impl_->state.textColor;
}
COLORREF CDC::SetBkColor(COLORREF color) {
    return std::exchange(impl_->state.bkColor, color & 0xFFFFFF);
}
COLORREF CDC::GetBkColor() const {
    return impl_->state.bkColor;
}

int CDC::SetBkMode(int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE) {
        return 0;
    }
    return std::exchange(impl_->state.bkMode, mode);
}
int CDC::GetBkMode() const {
    return impl_->state.bkMode;
}

int CDC::SetROP2(int mode) {
    if (mode < R2_BLACK || mode > R2_WHITE) {
        return 0;
    }
    return std::exchange(impl_->state.rop2, mode);
}
int CDC::GetROP2() const {
    return impl_->state.rop2;
}

UINT CDC::SetTextAlign(UINT align) {
    return std::exchange(impl_->state.textAlign, align);
}
UINT CDC::GetTextAlign() const {
    return impl_->state.textAlign;
}

void CDC::IntersectClipRect(const CRect& rect) {
    const QRect limit = normalized(rect.left, rect.top, rect.right, rect.bottom);
    impl_->state.clip = impl_->state.clip ? impl_->state.clip->intersected(limit) : limit;
    impl_->applyClip();
}

int CDC::GetClipBox(CRect* rect) const {
    if (rect == nullptr) {
        return 0;
    }
    *rect = CRect();
    if (impl_->painter == nullptr) {
        return 0;
    }
    QRect area = impl_->drawableArea(0);
    if (impl_->outerClip) {
        area = area.intersected(impl_->outerClip->boundingRect());
    }
    if (area.isEmpty()) {
        return 1;
    }
    *rect = CRect(area.left(), area.top(), area.right() + 1, area.bottom() + 1);
    return 2;
}

int CDC::SaveDC() {
    impl_->saved.push_back(impl_->state);
    return static_cast<int>(impl_->saved.size());
}

bool CDC::RestoreDC(int savedDC) {
    const int count = static_cast<int>(impl_->saved.size());
    const int level = savedDC < 0 ? count + 1 + savedDC : savedDC;
    if (level < 1 || level > count) {
        return false;
    }
    impl_->state = impl_->saved[static_cast<std::size_t>(level - 1)];
    impl_->saved.resize(static_cast<std::size_t>(level - 1));
    impl_->applyClip();
    return true;
}

int CDC::GetDeviceCaps(int index) const {
    switch (index) {
        case LOGPIXELSX:
        case LOGPIXELSY:
            return kLogicalPixelsPerInch;
        case BITSPIXEL:
            return 32;
        case HORZRES:
            return impl_->image != nullptr    ? logicalSize(*impl_->image).width()
                   : impl_->device != nullptr ? impl_->device->width()
                                              : 0;
        case VERTRES:
            return impl_->image != nullptr    ? logicalSize(*impl_->image).height()
                   : impl_->device != nullptr ? impl_->device->height()
                                              : 0;
        default:
            return 0;
    }
}

// ---- Lines and shapes ----

CPoint CDC::MoveTo(int x, int y) {
    x = clampCoordinate(x);
    y = clampCoordinate(y);
    return std::exchange(impl_->state.position, CPoint(x, y));
}

bool CDC::LineTo(int x, int y) {
    x = clampCoordinate(x);
    y = clampCoordinate(y);
    const CPoint from = impl_->state.position;
    drawLine(*impl_, QPoint(from.x, from.y), QPoint(x, y));
    impl_->state.position = CPoint(x, y);
    return true;
}

CPoint CDC::GetCurrentPosition() const {
    return impl_->state.position;
}

bool CDC::Polyline(const CPoint* points, int count) {
    if (points == nullptr || count < 2) {
        return false;
    }
    for (int i = 1; i < count; ++i) {
        drawLine(*impl_, QPoint(points[i - 1].x, points[i - 1].y),
                 QPoint(points[i].x, points[i].y));
    }
    return true;
}

bool CDC::Polygon(const CPoint* points, int count) {
    if (points == nullptr || count < 2) {
        return false;
    }
    QPainter::CompositionMode mode{};
    if (impl_->painter != nullptr && !impl_->brush().null && impl_->mixMode(&mode)) {
        QPolygon polygon;
        for (int i = 0; i < count; ++i) {
            polygon << clamped(points[i]);
        }
        QPainter& painter = *impl_->painter;
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setCompositionMode(mode);
        painter.setPen(Qt::NoPen);
        painter.setBrush(toQColor(impl_->mixColor(impl_->brush().color)));
        painter.drawPolygon(polygon, Qt::OddEvenFill);
        painter.restore();
    }
    for (int i = 0; i < count; ++i) {
        drawLine(*impl_, clamped(points[i]), clamped(points[(i + 1) % count]));
    }
    return true;
}

bool CDC::Rectangle(int left, int top, int right, int bottom) {
    QRect rect = normalized(left, top, right, bottom);
    // Without a border the platform fills one pixel less to the right and at the bottom.
    if (impl_->pen().style == PS_NULL) {
        rect.adjust(0, 0, -1, -1);
    }
    // Cut to what can show: a border the cut creates lies further out than the margin, so it
    // never shows.
    rect = rect.intersected(impl_->drawableArea(impl_->pen().width + 1));
    if (rect.isEmpty()) {
        return true;
    }
    drawRegion(*impl_, rect.top(),
               std::vector<Span>(static_cast<std::size_t>(rect.height()),
                                 Span{rect.left(), rect.right()}));
    return true;
}

bool CDC::Ellipse(int left, int top, int right, int bottom) {
    const QRect rect = normalized(left, top, right, bottom);
    const QRect visible = impl_->drawableArea(impl_->pen().width + 1);
    if (rect.isEmpty() || !rect.intersects(visible)) {
        return true;
    }
    drawRegion(*impl_, std::max(rect.top(), visible.top()), ellipseRows(rect, visible));
    return true;
}

// ---- Fills ----

void CDC::FillRect(const CRect& rect, CBrush* brush) {
    if (brush == nullptr || !brush->data()) {
        return;
    }
    const auto& data = static_cast<const BrushData&>(*brush->data());
    if (!data.null) {
        impl_->fill(normalized(rect.left, rect.top, rect.right, rect.bottom), data.color,
                    QPainter::CompositionMode_Source);
    }
}

void CDC::FillSolidRect(const CRect& rect, COLORREF color) {
    // The framework fills through an opaque text output, which leaves the colour as the
    // context's background colour; pages drawing opaque text afterwards rely on that.
    SetBkColor(color);
    impl_->fill(normalized(rect.left, rect.top, rect.right, rect.bottom), color & 0xFFFFFF,
                QPainter::CompositionMode_Source);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
    FillSolidRect(CRect(clampCoordinate(x), clampCoordinate(y),
                        clampCoordinate(static_cast<long long>(x) + cx),
                        clampCoordinate(static_cast<long long>(y) + cy)),
                  color);
}

void CDC::FrameRect(const CRect& frame, CBrush* brush) {
    const CRect rect = clampRect(frame);
    const CRect r = CRect(std::min(rect.left, rect.right), std::min(rect.top, rect.bottom),
                          std::max(rect.left, rect.right), std::max(rect.top, rect.bottom));
    if (r.IsRectEmpty()) {
        return;
    }
    FillRect(CRect(r.left, r.top, r.right, r.top + 1), brush);
    FillRect(CRect(r.left, r.bottom - 1, r.right, r.bottom), brush);
    FillRect(CRect(r.left, r.top, r.left + 1, r.bottom), brush);
    FillRect(CRect(r.right - 1, r.top, r.right, r.bottom), brush);
}

void CDC::Draw3dRect(const CRect& frame, COLORREF topLeft, COLORREF bottomRight) {
    const CRect rect = clampRect(frame);
    const int x = rect.left;
    const int y = rect.top;
    const int cx = rect.Width();
    const int cy = rect.Height();
    FillSolidRect(x, y, cx - 1, 1, topLeft);
    FillSolidRect(x, y, 1, cy - 1, topLeft);
    FillSolidRect(x + cx - 1, y, 1, cy, bottomRight);
    FillSolidRect(x, y + cy - 1, cx, 1, bottomRight);
}

void CDC::InvertRect(const CRect& rect) {
    impl_->fill(normalized(rect.left, rect.top, rect.right, rect.bottom), RGB(255, 255, 255),
                QPainter::RasterOp_NotDestination);
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color) {
    x = clampCoordinate(x);
    y = clampCoordinate(y);
    if (impl_->painter == nullptr) {
        return CLR_INVALID;
    }
    if (impl_->image != nullptr && !impl_->image->rect().contains(impl_->toDevice(x, y))) {
        return CLR_INVALID;
    }
    impl_->fill(QRect(x, y, 1, 1), color & 0xFFFFFF, QPainter::CompositionMode_Source);
    return color & 0xFFFFFF;
}

COLORREF CDC::GetPixel(int x, int y) const {
    x = clampCoordinate(x);
    y = clampCoordinate(y);
    if (impl_->image == nullptr) {
        return CLR_INVALID;
    }
    const QPoint point = impl_->toDevice(x, y);
    if (!impl_->image->rect().contains(point)) {
        return CLR_INVALID;
    }
    const QRgb pixel = impl_->image->pixel(point);
    return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

// ---- Qt bridge: contexts ----

void attachPainter(CDC& dc, QPainter& painter, QPaintDevice& device) {
    CDC::Impl& d = dc.impl();
    d.releaseDevice();
    d.painter = &painter;
    d.device = &device;
    d.image = device.devType() == QInternal::Image ? static_cast<QImage*>(&device) : nullptr;
    d.attached = true;
    if (painter.hasClipping()) {
        d.outerClip = painter.clipRegion();
    }
    painter.save();
    d.painterSaved = true;
    painter.setRenderHint(QPainter::Antialiasing, false);
    d.applyClip();
}

void attachImage(CDC& dc, QImage& image) {
    CDC::Impl& d = dc.impl();
    d.releaseDevice();
    if (image.isNull()) {
        return;
    }
    d.ownPainter = std::make_unique<QPainter>(&image);
    if (!d.ownPainter->isActive()) {
        d.ownPainter.reset();
        return;
    }
    d.painter = d.ownPainter.get();
    d.device = &image;
    d.image = &image;
    d.attached = true;
    d.applyClip();
}

void detachPainter(CDC& dc) {
    dc.impl().releaseDevice();
}

QPainter* painterOf(const CDC& dc) {
    return dc.impl().painter;
}

qreal pixelRatioOf(const CDC& dc) {
    const CDC::Impl& d = dc.impl();
    const qreal ratio = d.image != nullptr    ? d.image->devicePixelRatio()
                        : d.device != nullptr ? d.device->devicePixelRatioF()
                                              : 1.0;
    return ratio > 0 ? ratio : 1.0;
}

}  // namespace zentrix::framework
