// Block transfers between contexts: copies, exclusive-or, scaling and colour-keyed copies.
#include <QImage>
#include <QTransform>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>
#include <vector>

#include "framework/dc.h"
#include "framework/qt_dc.h"

namespace zentrix::framework {

namespace {

// A scaled transfer builds its scaled image first; beyond this many pixels it is refused rather
// than allocating gigabytes for a page's miscalculated size.
constexpr long long kMaxScaledPixels = 4096LL * 4096LL;

bool tooLarge(int width, int height) {
    return static_cast<long long>(std::abs(width)) * std::abs(height) > kMaxScaledPixels;
}

bool compositionFor(DWORD rop, QPainter::CompositionMode* mode) {
    switch (rop) {
        case SRCCOPY:
            *mode = QPainter::CompositionMode_Source;
            return true;
        case SRCINVERT:
            *mode = QPainter::RasterOp_SourceXorDestination;
            return true;
        case SRCAND:
            *mode = QPainter::RasterOp_SourceAndDestination;
            return true;
        case SRCPAINT:
            *mode = QPainter::RasterOp_SourceOrDestination;
            return true;
        case NOTSRCCOPY:
            *mode = QPainter::RasterOp_NotSource;
            return true;
        default:
            return false;
    }
}

bool usesSource(DWORD rop) {
    QPainter::CompositionMode unused{};
    return compositionFor(rop, &unused);
}

// The part of `source` (`size` logical pixels) at (xSource, ySource) of `width` x `height` that
// lies inside it, with the destination origin moved along. False when nothing of it lies inside.
bool clipToSource(QSize size, int& x, int& y, int& width, int& height, int& xSource, int& ySource) {
    if (xSource < 0) {
        x -= xSource;
        width += xSource;
        xSource = 0;
    }
    if (ySource < 0) {
        y -= ySource;
        height += ySource;
        ySource = 0;
    }
    width = std::min(width, size.width() - xSource);
    height = std::min(height, size.height() - ySource);
    return width > 0 && height > 0;
}

// Where a context's logical pixels lie on its device: a window context on a high-resolution
// screen, and a bitmap made compatible with one, have more than one device pixel per logical
// pixel (1.5 or 2 on common desktops).
QTransform deviceMapping(const CDC::Impl& d) {
    if (d.painter != nullptr) {
        return d.painter->deviceTransform();
    }
    if (d.image != nullptr) {
        const qreal ratio = d.image->devicePixelRatio();
        return QTransform::fromScale(ratio, ratio);
    }
    return {};
}

QTransform imageMapping(const QImage& image) {
    return QTransform::fromScale(image.devicePixelRatio(), image.devicePixelRatio());
}

// One direction of a context's logical pixels on its device: logical edge x lies at device
// edge round(scale * x + offset), as the painter rounds the edges of a filled rectangle, so a
// transfer takes exactly the device pixels a fill of its rectangle covered.
struct Axis {
    qreal scale;
    qreal offset;
    int edge(int x) const { return qRound(scale * x + offset); }
};

Axis horizontal(const QTransform& mapping) {
    return {mapping.m11(), mapping.dx()};
}
Axis vertical(const QTransform& mapping) {
    return {mapping.m22(), mapping.dy()};
}

// For each device pixel of the target's logical pixels first..first + count - 1, the source
// device pixel it shows (-1 beyond the source's `limit` device pixels). A target pixel shows the
// source pixel under its centre (nearest pixel; reversed when `mirror`); the device pixels within
// it spread evenly over that source pixel's own, so detail finer than a logical pixel (text,
// lines drawn at the device's resolution) comes along.
std::vector<int> axisMap(const Axis& target, int first, int count, const Axis& source,
                         int sourceFirst, int sourceCount, int limit, bool mirror) {
    std::vector<int> map;
    map.reserve(static_cast<size_t>(std::max(0, target.edge(first + count) - target.edge(first))));
    for (int i = 0; i < count; ++i) {
        const int d0 = target.edge(first + i);
        const int d1 = target.edge(first + i + 1);
        int j = static_cast<int>((2LL * i + 1) * sourceCount / (2LL * count));
        if (mirror) {
            j = sourceCount - 1 - j;
        }
        const int s0 = source.edge(sourceFirst + j);
        const int s1 = std::max(s0 + 1, source.edge(sourceFirst + j + 1));
        for (int d = d0; d < d1; ++d) {
            const int k =
                s0 + static_cast<int>((2LL * (d - d0) + 1) * (s1 - s0) / (2LL * (d1 - d0)));
            map.push_back(k >= 0 && k < limit ? k : -1);
        }
    }
    return map;
}

bool contiguous(const std::vector<int>& map) {
    for (size_t i = 0; i < map.size(); ++i) {
        if (map[i] < 0 || map[i] != map[0] + static_cast<int>(i)) {
            return false;
        }
    }
    return true;
}

// The source rectangle (xSource, ySource, widthSource, heightSource) as the target rectangle
// (x, y, width, height) shows it, in the target's device pixels: scaled to the nearest pixel,
// mirrored where `mirrorX`/`mirrorY`. Opaque RGB32 with black outside the source; with
// `keepAlpha` ARGB32 with the source's own alpha and transparency outside it. The result has a
// pixel ratio of 1; `at` receives the device pixel of its top left.
QImage transferredPart(const QTransform& targetMapping, const QRect& target, const QImage& source,
                       const QTransform& sourceMapping, const QRect& from, bool mirrorX,
                       bool mirrorY, bool keepAlpha, QPoint* at) {
    const Axis tx = horizontal(targetMapping);
    const Axis ty = vertical(targetMapping);
    const std::vector<int> columns =
        axisMap(tx, target.x(), target.width(), horizontal(sourceMapping), from.x(), from.width(),
                source.width(), mirrorX);
    const std::vector<int> rows = axisMap(ty, target.y(), target.height(), vertical(sourceMapping),
                                          from.y(), from.height(), source.height(), mirrorY);
    *at = QPoint(tx.edge(target.x()), ty.edge(target.y()));
    const QImage::Format format = keepAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    if (columns.empty() || rows.empty()) {
        return {};
    }
    QImage part;
    if (contiguous(columns) && contiguous(rows)) {
        // The common case, a copy at the same resolution: the pixels as they are.
        part = source
                   .copy(columns.front(), rows.front(), static_cast<int>(columns.size()),
                         static_cast<int>(rows.size()))
                   .convertToFormat(format);
    } else {
        // Only the source pixels the maps reach are converted.
        const auto reach = [](const std::vector<int>& map) {
            int low = INT_MAX;
            int high = -1;
            for (int i : map) {
                if (i >= 0) {
                    low = std::min(low, i);
                    high = std::max(high, i);
                }
            }
            return std::pair{low, high};
        };
        const auto [left, right] = reach(columns);
        const auto [top, bottom] = reach(rows);
        const QImage pixels =
            right >= 0 && bottom >= 0
                ? source.copy(left, top, right - left + 1, bottom - top + 1).convertToFormat(format)
                : QImage();
        part = QImage(static_cast<int>(columns.size()), static_cast<int>(rows.size()), format);
        const QRgb outside = keepAlpha ? 0u : qRgb(0, 0, 0);
        for (int y = 0; y < part.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(part.scanLine(y));
            const int row = rows[static_cast<size_t>(y)];
            const auto* from = row >= 0 && !pixels.isNull()
                                   ? reinterpret_cast<const QRgb*>(pixels.constScanLine(row - top))
                                   : nullptr;
            for (int x = 0; x < part.width(); ++x) {
                const int column = columns[static_cast<size_t>(x)];
                line[x] = from != nullptr && column >= 0 ? from[column - left] : outside;
            }
        }
    }
    part.setDevicePixelRatio(1.0);
    return part;
}

// Draws `part` (device pixels) with its top left at device pixel `at`: the painter's mapping is
// set aside for the call, so that nothing is scaled twice; the clip stays.
void drawDevicePart(CDC::Impl& d, QPoint at, const QImage& part, QPainter::CompositionMode mode) {
    if (part.isNull()) {
        return;
    }
    QPainter& painter = *d.painter;
    painter.save();
    painter.setWorldTransform(painter.deviceTransform().inverted() * painter.worldTransform());
    painter.setCompositionMode(mode);
    painter.drawImage(at, part);
    painter.restore();
}

bool transparentFromImage(CDC::Impl& d, int x, int y, int width, int height, const QImage& source,
                          const QTransform& sourceMapping, int xSource, int ySource,
                          int widthSource, int heightSource, COLORREF transparent) {
    if (width <= 0 || height <= 0 || widthSource <= 0 || heightSource <= 0 || source.isNull() ||
        tooLarge(width, height) || tooLarge(widthSource, heightSource)) {
        return false;
    }
    if (d.painter == nullptr) {
        return true;
    }
    for (int* value : {&x, &y, &xSource, &ySource}) {
        *value = clampCoordinate(*value);
    }
    QPoint at;
    QImage keyed = transferredPart(
        deviceMapping(d), QRect(x, y, width, height), source, sourceMapping,
        QRect(xSource, ySource, widthSource, heightSource), false, false, true, &at);
    const QRgb key = qRgb(GetRValue(transparent), GetGValue(transparent), GetBValue(transparent));
    for (int row = 0; row < keyed.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(row));
        for (int column = 0; column < keyed.width(); ++column) {
            // An image file's own transparency counts as well as the key colour. Bitmaps made
            // here are opaque, so source-over then copies every kept pixel exactly.
            const QRgb colour = line[column];
            if ((colour | 0xFF000000u) == key || qAlpha(colour) == 0) {
                line[column] = 0u;
            }
        }
    }
    drawDevicePart(d, at, keyed, QPainter::CompositionMode_SourceOver);
    return true;
}

}  // namespace

bool CDC::PatBlt(int x, int y, int width, int height, DWORD rop) {
    const QRect rect =
        pixelRect(x, y, static_cast<long long>(x) + width, static_cast<long long>(y) + height);
    const BrushData& brush = impl_->brush();
    switch (rop) {
        case PATCOPY:
            if (!brush.null) {
                impl_->fill(rect, brush.color, QPainter::CompositionMode_Source);
            }
            return true;
        case PATINVERT:
            if (!brush.null) {
                impl_->fill(rect, brush.color, QPainter::RasterOp_SourceXorDestination);
            }
            return true;
        case DSTINVERT:
            impl_->fill(rect, RGB(255, 255, 255), QPainter::RasterOp_NotDestination);
            return true;
        case BLACKNESS:
            impl_->fill(rect, RGB(0, 0, 0), QPainter::CompositionMode_Source);
            return true;
        case WHITENESS:
            impl_->fill(rect, RGB(255, 255, 255), QPainter::CompositionMode_Source);
            return true;
        default:
            return false;
    }
}

bool CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                 DWORD rop) {
    if (!usesSource(rop)) {
        return PatBlt(x, y, width, height, rop);
    }
    QPainter::CompositionMode mode{};
    compositionFor(rop, &mode);
    const QImage* from = source != nullptr ? source->impl_->image : nullptr;
    if (from == nullptr) {
        return false;
    }
    for (int* value : {&x, &y, &width, &height, &xSource, &ySource}) {
        *value = clampCoordinate(*value);
    }
    if (impl_->painter == nullptr || width <= 0 || height <= 0) {
        return true;
    }
    if (!clipToSource(logicalSize(*from), x, y, width, height, xSource, ySource)) {
        return true;
    }
    // In device pixels: on a high-resolution screen a window context and the bitmaps made
    // compatible with it hold several per logical pixel, and a double-buffered page must get
    // every one of them back. The part is a copy: source and destination may be the same image.
    QPoint at;
    const QImage part = transferredPart(
        deviceMapping(*impl_), QRect(x, y, width, height), *from, deviceMapping(*source->impl_),
        QRect(xSource, ySource, width, height), false, false, false, &at);
    drawDevicePart(*impl_, at, part, mode);
    return true;
}

bool CDC::StretchBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                     int widthSource, int heightSource, DWORD rop) {
    if (!usesSource(rop)) {
        return PatBlt(x, y, width, height, rop);
    }
    for (int* value : {&x, &y, &width, &height, &xSource, &ySource, &widthSource, &heightSource}) {
        *value = clampCoordinate(*value);
    }
    if (width == widthSource && height == heightSource && width > 0 && height > 0) {
        return BitBlt(x, y, width, height, source, xSource, ySource, rop);
    }
    QPainter::CompositionMode mode{};
    compositionFor(rop, &mode);
    const QImage* from = source != nullptr ? source->impl_->image : nullptr;
    if (from == nullptr || tooLarge(width, height) || tooLarge(widthSource, heightSource)) {
        return false;
    }
    if (impl_->painter == nullptr || width == 0 || height == 0 || widthSource == 0 ||
        heightSource == 0) {
        return true;
    }
    // The source pixels, mirrored where exactly one of the two widths (or heights) is negative.
    const QRect fromLogical = QRect(QPoint(xSource, ySource),
                                    QPoint(xSource + widthSource - (widthSource > 0 ? 1 : -1),
                                           ySource + heightSource - (heightSource > 0 ? 1 : -1)))
                                  .normalized();
    const QRect toLogical(std::min(x, x + width + 1), std::min(y, y + height + 1), std::abs(width),
                          std::abs(height));
    QPoint at;
    const QImage part = transferredPart(
        deviceMapping(*impl_), toLogical, *from, deviceMapping(*source->impl_), fromLogical,
        (width < 0) != (widthSource < 0), (height < 0) != (heightSource < 0), false, &at);
    drawDevicePart(*impl_, at, part, mode);
    return true;
}

bool CDC::TransparentBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                         int widthSource, int heightSource, COLORREF transparent) {
    const QImage* from = source != nullptr ? source->impl_->image : nullptr;
    if (from == nullptr) {
        return false;
    }
    return transparentFromImage(*impl_, x, y, width, height, *from, deviceMapping(*source->impl_),
                                xSource, ySource, widthSource, heightSource, transparent);
}

bool TransparentImage(CDC* destination, int x, int y, int width, int height, CDC* source,
                      int xSource, int ySource, int widthSource, int heightSource,
                      COLORREF transparent) {
    return destination != nullptr &&
           destination->TransparentBlt(x, y, width, height, source, xSource, ySource, widthSource,
                                       heightSource, transparent);
}

bool TransparentImage(CDC* destination, int x, int y, int width, int height, CBitmap* source,
                      int xSource, int ySource, int widthSource, int heightSource,
                      COLORREF transparent) {
    if (destination == nullptr || source == nullptr) {
        return false;
    }
    const QImage& image = imageOf(*source);
    return transparentFromImage(destination->impl(), x, y, width, height, image,
                                imageMapping(image), xSource, ySource, widthSource, heightSource,
                                transparent);
}

}  // namespace zentrix::framework
