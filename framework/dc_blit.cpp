// Block transfers between contexts: copies, exclusive-or, scaling and colour-keyed copies.
#include <QImage>
#include <algorithm>
#include <cstdlib>

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

// The source pixels as opaque RGB32: transfers copy colour values, and an alpha channel from an
// image file must not turn into blending.
QImage opaque(QImage part) {
    if (part.format() != QImage::Format_RGB32) {
        part = part.convertToFormat(QImage::Format_RGB32);
    }
    return part;
}

// The part of `source` at (xSource, ySource) of `width` x `height` that lies inside it, with
// the destination origin moved along. False when nothing of it lies inside.
bool clipToSource(const QImage& source, int& x, int& y, int& width, int& height, int& xSource,
                  int& ySource) {
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
    width = std::min(width, source.width() - xSource);
    height = std::min(height, source.height() - ySource);
    return width > 0 && height > 0;
}

// The source rectangle scaled to the destination size, nearest pixel, mirrored where exactly
// one of the two widths (or heights) is negative. Opaque RGB32 with black outside the source;
// with `keepAlpha` ARGB32 with the source's own alpha and transparency outside it.
QImage scaledPart(const QImage& source, int width, int height, int xSource, int ySource,
                  int widthSource, int heightSource, bool keepAlpha) {
    const QRect from = QRect(QPoint(xSource, ySource),
                             QPoint(xSource + widthSource - (widthSource > 0 ? 1 : -1),
                                    ySource + heightSource - (heightSource > 0 ? 1 : -1)))
                           .normalized();
    QImage part;
    if (keepAlpha) {
        part = QImage(from.size(), QImage::Format_ARGB32);
        part.fill(Qt::transparent);
        const QRect inside = from.intersected(source.rect());
        if (!inside.isEmpty()) {
            QPainter painter(&part);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(inside.topLeft() - from.topLeft(),
                              source.copy(inside).convertToFormat(QImage::Format_ARGB32));
        }
    } else {
        part = opaque(source.copy(from));
    }
    const bool flipX = (width < 0) != (widthSource < 0);
    const bool flipY = (height < 0) != (heightSource < 0);
    if (flipX || flipY) {
        part = part.mirrored(flipX, flipY);
    }
    if (part.width() != std::abs(width) || part.height() != std::abs(height)) {
        part = part.scaled(std::abs(width), std::abs(height), Qt::IgnoreAspectRatio,
                           Qt::FastTransformation);
    }
    return part;
}

void drawPart(CDC::Impl& d, QPoint at, const QImage& part, QPainter::CompositionMode mode) {
    d.painter->setCompositionMode(mode);
    d.painter->drawImage(at, part);
}

bool transparentFromImage(CDC::Impl& d, int x, int y, int width, int height, const QImage& source,
                          int xSource, int ySource, int widthSource, int heightSource,
                          COLORREF transparent) {
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
    QImage keyed =
        scaledPart(source, width, height, xSource, ySource, widthSource, heightSource, true);
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
    drawPart(d, QPoint(x, y), keyed, QPainter::CompositionMode_SourceOver);
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
    if (!clipToSource(*from, x, y, width, height, xSource, ySource)) {
        return true;
    }
    // A copy of the source part: source and destination may be the same image.
    drawPart(*impl_, QPoint(x, y), opaque(from->copy(xSource, ySource, width, height)), mode);
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
    const QImage part =
        scaledPart(*from, width, height, xSource, ySource, widthSource, heightSource, false);
    drawPart(*impl_, QPoint(std::min(x, x + width + 1), std::min(y, y + height + 1)), part, mode);
    return true;
}

bool CDC::TransparentBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                         int widthSource, int heightSource, COLORREF transparent) {
    const QImage* from = source != nullptr ? source->impl_->image : nullptr;
    if (from == nullptr) {
        return false;
    }
    return transparentFromImage(*impl_, x, y, width, height, *from, xSource, ySource, widthSource,
                                heightSource, transparent);
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
    return transparentFromImage(destination->impl(), x, y, width, height, imageOf(*source), xSource,
                                ySource, widthSource, heightSource, transparent);
}

}  // namespace zentrix::framework
