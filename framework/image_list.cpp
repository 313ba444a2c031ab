#include "framework/image_list.h"

#include <QImage>
#include <vector>

#include "framework/dc.h"
#include "framework/qt_dc.h"
#include "framework/qt_drawing.h"
#include "framework/system_colors.h"

namespace zentrix::framework {

namespace {

constexpr int kMaxImageSide = 1024;
constexpr int kMaxPixelRatio = 4;

// Mixes each visible pixel with `color`, `percent` of the way.
QImage blended(QImage image, COLORREF color, int percent) {
    const int red = GetRValue(color);
    const int green = GetGValue(color);
    const int blue = GetBValue(color);
    auto mix = [percent](int from, int to) {
        return (from * (100 - percent) + to * percent) / 100;
    };
    for (int row = 0; row < image.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int column = 0; column < image.width(); ++column) {
            const QRgb pixel = line[column];
            if (qAlpha(pixel) != 0) {
                line[column] = qRgba(mix(qRed(pixel), red), mix(qGreen(pixel), green),
                                     mix(qBlue(pixel), blue), qAlpha(pixel));
            }
        }
    }
    return image;
}

QImage maskOf(const QImage& image) {
    QImage mask(image.size(), QImage::Format_ARGB32);
    mask.setDevicePixelRatio(image.devicePixelRatio());
    for (int row = 0; row < image.height(); ++row) {
        const auto* from = reinterpret_cast<const QRgb*>(image.constScanLine(row));
        auto* to = reinterpret_cast<QRgb*>(mask.scanLine(row));
        for (int column = 0; column < image.width(); ++column) {
            to[column] = qAlpha(from[column]) != 0 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
        }
    }
    return mask;
}

}  // namespace

int CImageList::Impl::add(const QImage& strip, bool masked, COLORREF mask) {
    const int width = cx * ratio;
    const int height = cy * ratio;
    if (!created || strip.isNull() || strip.width() < width) {
        return -1;
    }
    // ARGB32 keeps an image file's own transparency; a bitmap made here is opaque.
    const QImage source = strip.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = qRgb(GetRValue(mask), GetGValue(mask), GetBValue(mask));
    const int first = static_cast<int>(images.size());
    const int rows = std::min(height, source.height());
    for (int index = 0; index < source.width() / width; ++index) {
        QImage image(width, height, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        for (int row = 0; row < rows; ++row) {
            const auto* from =
                reinterpret_cast<const QRgb*>(source.constScanLine(row)) + index * width;
            auto* to = reinterpret_cast<QRgb*>(image.scanLine(row));
            for (int column = 0; column < width; ++column) {
                const QRgb pixel = from[column];
                const bool transparent =
                    qAlpha(pixel) == 0 || (masked && (pixel | 0xFF000000u) == key);
                to[column] = transparent ? 0u : pixel;
            }
        }
        image.setDevicePixelRatio(ratio);
        images.push_back(std::move(image));
    }
    return first;
}

CImageList::CImageList() : impl_(std::make_shared<Impl>()) {
    impl_->owner = this;
}

CImageList::~CImageList() {
    if (impl_->owner == this) {
        impl_->owner = nullptr;
    }
}

void CImageList::letGo() {
    if (impl_->owner == this) {
        impl_->owner = nullptr;
    }
    impl_ = std::make_shared<Impl>();
    impl_->owner = this;
}

void CImageList::adopt(std::shared_ptr<Impl> data) {
    if (!data) {
        return;
    }
    if (impl_->owner == this) {
        impl_->owner = nullptr;
    }
    impl_ = std::move(data);
    impl_->owner = this;
}

bool CImageList::Create(int cx, int cy, UINT flags, int /*initial*/, int /*grow*/, int pixelRatio) {
    if (pixelRatio < 1 || pixelRatio > kMaxPixelRatio || cx < 1 || cy < 1 ||
        cx * pixelRatio > kMaxImageSide || cy * pixelRatio > kMaxImageSide) {
        return false;
    }
    // In place: a control given the list before it was made shows it once made.
    CImageList* owner = impl_->owner;
    *impl_ = Impl{};
    impl_->owner = owner;
    impl_->created = true;
    impl_->cx = cx;
    impl_->cy = cy;
    impl_->ratio = pixelRatio;
    impl_->flags = flags;
    return true;
}

bool CImageList::DeleteImageList() {
    const bool had = impl_->created;
    letGo();
    return had;
}

const void* CImageList::GetSafeHandle() const {
    return impl_->created ? this : nullptr;
}

int CImageList::Add(CBitmap* bitmap, COLORREF mask) {
    if (bitmap == nullptr) {
        return -1;
    }
    return impl_->add(imageOf(*bitmap), (impl_->flags & ILC_MASK) != 0, mask);
}

int CImageList::Add(CBitmap* bitmap) {
    if (bitmap == nullptr) {
        return -1;
    }
    return impl_->add(imageOf(*bitmap), false, 0);
}

int CImageList::AddIcon(CBitmap* icon) {
    if (icon == nullptr) {
        return -1;
    }
    return addImage(*this, imageOf(*icon));
}

bool CImageList::Remove(int index) {
    // -1 removes every image, as on the platform.
    if (index == -1 && impl_->created) {
        impl_->images.clear();
        return true;
    }
    if (index < 0 || index >= GetImageCount()) {
        return false;
    }
    impl_->images.erase(impl_->images.begin() + index);
    return true;
}

int CImageList::GetImageCount() const {
    return static_cast<int>(impl_->images.size());
}

bool CImageList::GetImageInfo(int index, IMAGEINFO* info) const {
    if (info == nullptr || index < 0 || index >= GetImageCount()) {
        return false;
    }
    info->rcImage = CRect(index * impl_->cx, 0, (index + 1) * impl_->cx, impl_->cy);
    return true;
}

CSize CImageList::GetImageSize() const {
    return {impl_->cx, impl_->cy};
}

int CImageList::GetPixelRatio() const {
    return impl_->ratio;
}

COLORREF CImageList::SetBkColor(COLORREF color) {
    return std::exchange(impl_->bkColor, color == CLR_NONE ? CLR_NONE : color & 0xFFFFFF);
}

COLORREF CImageList::GetBkColor() const {
    return impl_->bkColor;
}

bool CImageList::Draw(CDC* dc, int index, CPoint point, UINT style) {
    if (dc == nullptr || index < 0 || index >= GetImageCount()) {
        return false;
    }
    QPainter* painter = painterOf(*dc);
    if (painter == nullptr) {
        return true;
    }
    const QImage& image = impl_->images[static_cast<std::size_t>(index)];
    const QPoint at(clampCoordinate(point.x), clampCoordinate(point.y));
    if ((style & ILD_MASK) != 0) {
        painter->setCompositionMode(QPainter::CompositionMode_Source);
        painter->drawImage(at, maskOf(image));
        return true;
    }
    if (impl_->bkColor != CLR_NONE && (style & ILD_TRANSPARENT) == 0) {
        dc->impl().fill(QRect(at, QSize(impl_->cx, impl_->cy)), impl_->bkColor,
                        QPainter::CompositionMode_Source);
    }
    QImage shown = image;
    if ((style & ILD_BLEND50) != 0) {
        shown = blended(image, GetSysColor(COLOR_HIGHLIGHT), 50);
    } else if ((style & ILD_BLEND25) != 0) {
        shown = blended(image, GetSysColor(COLOR_HIGHLIGHT), 25);
    }
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter->drawImage(at, shown);
    return true;
}

QImage imageListImage(const CImageList& list, int index) {
    return imageListImage(list.impl(), index);
}

QImage imageListImage(const CImageList::Impl& list, int index) {
    if (index < 0 || index >= static_cast<int>(list.images.size())) {
        return {};
    }
    return list.images[static_cast<std::size_t>(index)].copy();
}

QImage keyedOut(const QImage& image, QRgb key) {
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    if (image.hasAlphaChannel())
        return result;
    for (int row = 0; row < result.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(row));
        for (int column = 0; column < result.width(); ++column) {
            if ((line[column] | 0xFF000000u) == key)
                line[column] = 0u;
        }
    }
    return result;
}

int addImage(CImageList& list, const QImage& image) {
    CImageList::Impl& d = list.impl();
    if (!d.created || image.isNull()) {
        return -1;
    }
    // An icon file without transparency of its own marks it with the mask colour.
    QImage icon = keyedOut(image);
    icon.setDevicePixelRatio(1);
    if (icon.width() != d.cx * d.ratio || icon.height() != d.cy * d.ratio) {
        icon = icon.scaled(d.cx * d.ratio, d.cy * d.ratio, Qt::IgnoreAspectRatio,
                           Qt::SmoothTransformation);
    }
    icon = icon.copy();
    icon.setDevicePixelRatio(d.ratio);
    d.images.push_back(std::move(icon));
    return static_cast<int>(d.images.size()) - 1;
}

}  // namespace zentrix::framework
