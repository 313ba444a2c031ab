#include "framework/gdi_objects.h"

#include <QFontMetrics>
#include <QHash>
#include <QString>
#include <algorithm>
#include <climits>
#include <cmath>
#include <fstream>
#include <iterator>
#include <tuple>

#include "framework/dc.h"
#include "framework/fonts.h"
#include "framework/qt_drawing.h"
#include "platform/text.h"

namespace zentrix::framework {

namespace {

constexpr int kMaxBitmapSide = 8192;
// The platform's default for a font of height 0.
constexpr int kDefaultCharacterHeight = 12;

// The platform's MulDiv: a * b / c rounded half away from zero.
int mulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

std::string faceOf(const LOGFONT& logFont) {
    const char16_t* end =
        std::find(std::begin(logFont.lfFaceName), std::end(logFont.lfFaceName), u'\0');
    return platform::toUtf8(
        WideStringView(logFont.lfFaceName, static_cast<std::size_t>(end - logFont.lfFaceName)));
}

// The pixel size whose ascent + descent comes closest to `cellHeight` without passing it: a
// positive font height asks for the cell height, and text laid out for the handheld's cell
// must not grow taller here.
int pixelSizeForCellHeight(const QFont& base, int cellHeight) {
    static QHash<QString, int> cache;
    const QString key = base.key() + QLatin1Char('/') + QString::number(cellHeight);
    if (auto found = cache.find(key); found != cache.end()) {
        return *found;
    }
    int best = 1;
    for (int size = 1; size <= cellHeight; ++size) {
        QFont probe = base;
        probe.setPixelSize(size);
        const QFontMetrics metrics(probe);
        if (metrics.ascent() + metrics.descent() > cellHeight) {
            break;
        }
        best = size;
    }
    cache.insert(key, best);
    return best;
}

template <typename Data>
std::shared_ptr<Data> makeData() {
    return std::make_shared<Data>();
}

}  // namespace

void setFaceName(LOGFONT& logFont, WideStringView face) {
    const std::size_t count = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
    std::fill(std::begin(logFont.lfFaceName), std::end(logFont.lfFaceName), u'\0');
    std::copy_n(face.begin(), count, logFont.lfFaceName);
}

// ---- CGdiObject ----

CGdiObject::~CGdiObject() {
    if (data_ && data_->owner == this) {
        data_->owner = nullptr;
    }
}

bool CGdiObject::DeleteObject() {
    if (!data_ || data_->stock) {
        return false;
    }
    if (data_->owner == this) {
        data_->owner = nullptr;
    }
    data_.reset();
    return true;
}

void CGdiObject::adopt(std::shared_ptr<GdiData> data) {
    if (data_ && data_->stock) {
        return;
    }
    if (data_ && data_->owner == this) {
        data_->owner = nullptr;
    }
    data_ = std::move(data);
    if (data_) {
        data_->owner = this;
    }
}

// ---- CPen, CBrush ----

CPen::CPen(int style, int width, COLORREF color) : CPen() {
    CreatePen(style, width, color);
}

bool CPen::CreatePen(int style, int width, COLORREF color) {
    auto data = makeData<PenData>();
    data->style = style;
    data->width = std::clamp(width, 1, 1000);
    data->color = color & 0xFFFFFF;
    adopt(std::move(data));
    return true;
}

CBrush::CBrush(COLORREF color) : CBrush() {
    CreateSolidBrush(color);
}

bool CBrush::CreateSolidBrush(COLORREF color) {
    auto data = makeData<BrushData>();
    data->color = color & 0xFFFFFF;
    adopt(std::move(data));
    return true;
}

// ---- CFont ----

bool CFont::CreateFont(int height, int width, int escapement, int orientation, int weight,
                       BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                       BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, WideStringView face) {
    LOGFONT logFont;
    logFont.lfHeight = height;
    logFont.lfWidth = width;
    logFont.lfEscapement = escapement;
    logFont.lfOrientation = orientation;
    logFont.lfWeight = weight;
    logFont.lfItalic = italic;
    logFont.lfUnderline = underline;
    logFont.lfStrikeOut = strikeOut;
    logFont.lfCharSet = charSet;
    logFont.lfOutPrecision = outPrecision;
    logFont.lfClipPrecision = clipPrecision;
    logFont.lfQuality = quality;
    logFont.lfPitchAndFamily = pitchAndFamily;
    setFaceName(logFont, face);
    return CreateFontIndirect(&logFont);
}

bool CFont::CreateFontIndirect(const LOGFONT* logFont) {
    if (logFont == nullptr) {
        return false;
    }
    auto data = makeData<FontData>();
    data->logFont = *logFont;
    data->logFont.lfFaceName[LF_FACESIZE - 1] = u'\0';
    data->font = toQFont(data->logFont);
    adopt(std::move(data));
    return true;
}

bool CFont::CreatePointFont(int pointSizeTenths, WideStringView face, CDC* dc) {
    LOGFONT logFont;
    logFont.lfHeight = pointSizeTenths;
    setFaceName(logFont, face);
    return CreatePointFontIndirect(&logFont, dc);
}

bool CFont::CreatePointFontIndirect(const LOGFONT* logFont, CDC* /*dc*/) {
    if (logFont == nullptr) {
        return false;
    }
    LOGFONT pixels = *logFont;
    pixels.lfHeight = -std::abs(mulDiv(kLogicalPixelsPerInch, logFont->lfHeight, 720));
    return CreateFontIndirect(&pixels);
}

int CFont::GetLogFont(LOGFONT* logFont) const {
    if (!data() || logFont == nullptr) {
        return 0;
    }
    *logFont = static_cast<const FontData&>(*data()).logFont;
    return static_cast<int>(sizeof(LOGFONT));
}

// ---- CBitmap ----

bool CBitmap::CreateCompatibleBitmap(CDC* dc, int cx, int cy) {
    if (cx < 1 || cy < 1 || cx > kMaxBitmapSide || cy > kMaxBitmapSide) {
        return false;
    }
    // As many pixels as the context has per logical pixel: drawing into the bitmap and copying
    // it to a window on a high-resolution screen stays as sharp as drawing there directly.
    qreal ratio = dc != nullptr ? pixelRatioOf(*dc) : 1.0;
    if (std::max(cx, cy) * ratio > kMaxBitmapSide) {
        ratio = 1.0;  // a bitmap that large keeps one pixel per logical pixel
    }
    auto data = makeData<BitmapData>();
    data->image = QImage(static_cast<int>(std::ceil(cx * ratio)),
                         static_cast<int>(std::ceil(cy * ratio)), QImage::Format_RGB32);
    if (data->image.isNull()) {
        return false;
    }
    data->image.setDevicePixelRatio(ratio);
    data->image.fill(Qt::black);
    adopt(std::move(data));
    return true;
}

bool CBitmap::LoadFromBytes(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        return false;
    }
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                            static_cast<int>(bytes.size()))) {
        return false;
    }
    if (image.width() > kMaxBitmapSide || image.height() > kMaxBitmapSide) {
        return false;
    }
    setImage(*this, image);
    return true;
}

bool CBitmap::LoadFromFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    return LoadFromBytes(bytes);
}

int CBitmap::GetBitmap(BITMAP* bitmap) const {
    if (!data() || bitmap == nullptr) {
        return 0;
    }
    const QImage& image = imageOf(*this);
    *bitmap = BITMAP{};
    bitmap->bmWidth = logicalSize(image).width();
    bitmap->bmHeight = logicalSize(image).height();
    bitmap->bmWidthBytes = static_cast<LONG>(image.bytesPerLine());
    return static_cast<int>(sizeof(BITMAP));
}

CSize CBitmap::GetSize() const {
    const QSize size = logicalSize(imageOf(*this));
    return {size.width(), size.height()};
}

// ---- Stock objects ----

CGdiObject* GetStockObject(int index) {
    struct Stock {
        CBrush white{RGB(255, 255, 255)};
        CBrush lightGray{RGB(192, 192, 192)};
        CBrush gray{RGB(128, 128, 128)};
        CBrush darkGray{RGB(64, 64, 64)};
        CBrush black{RGB(0, 0, 0)};
        CBrush null;
        CPen whitePen{PS_SOLID, 1, RGB(255, 255, 255)};
        CPen blackPen{PS_SOLID, 1, RGB(0, 0, 0)};
        CPen nullPen{PS_NULL, 1, 0};
        CFont systemFont;

        Stock() {
            auto nullBrush = std::make_shared<BrushData>();
            nullBrush->null = true;
            null.adopt(nullBrush);
            // The handheld's system font: Tahoma with a 12-pixel character height.
            systemFont.CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                                  VARIABLE_PITCH | FF_SWISS, u"Tahoma");
            for (CGdiObject* object : std::initializer_list<CGdiObject*>{
                     &white, &lightGray, &gray, &darkGray, &black, &null, &whitePen, &blackPen,
                     &nullPen, &systemFont}) {
                object->data()->stock = true;
            }
        }
    };
    // Never destroyed: the stock font holds a QFont, which must not be released after the
    // application object is gone, and contexts may refer to stock objects until the very end.
    static Stock& stock = *new Stock;
    switch (index) {
        case WHITE_BRUSH:
            return &stock.white;
        case LTGRAY_BRUSH:
            return &stock.lightGray;
        case GRAY_BRUSH:
            return &stock.gray;
        case DKGRAY_BRUSH:
            return &stock.darkGray;
        case BLACK_BRUSH:
            return &stock.black;
        case NULL_BRUSH:
            return &stock.null;
        case WHITE_PEN:
            return &stock.whitePen;
        case BLACK_PEN:
            return &stock.blackPen;
        case NULL_PEN:
            return &stock.nullPen;
        case SYSTEM_FONT:
        case DEFAULT_GUI_FONT:
            return &stock.systemFont;
        default:
            return nullptr;
    }
}

// ---- Qt bridge: colours, fonts, bitmap images ----

QColor toQColor(COLORREF color) {
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF fromQColor(const QColor& color) {
    return RGB(color.red(), color.green(), color.blue());
}

QFont toQFont(const LOGFONT& logFont) {
    QFont font(QString::fromStdString(resolveFontFamily(faceOf(logFont))));
    const int weight = logFont.lfWeight <= 0 ? FW_NORMAL : std::min<int>(logFont.lfWeight, 1000);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(logFont.lfItalic != 0);
    font.setUnderline(logFont.lfUnderline != 0);
    font.setStrikeOut(logFont.lfStrikeOut != 0);
    if (logFont.lfQuality == NONANTIALIASED_QUALITY) {
        font.setStyleStrategy(QFont::NoAntialias);
    }
    if (logFont.lfHeight < 0) {
        font.setPixelSize(std::min(-logFont.lfHeight, 2000));
    } else if (logFont.lfHeight > 0) {
        font.setPixelSize(pixelSizeForCellHeight(font, std::min(logFont.lfHeight, 500)));
    } else {
        font.setPixelSize(kDefaultCharacterHeight);
    }
    return font;
}

QFont toQFont(const CFont& font) {
    if (!font.data()) {
        return toQFont(*static_cast<CFont*>(GetStockObject(SYSTEM_FONT)));
    }
    return static_cast<const FontData&>(*font.data()).font;
}

const QImage& imageOf(const CBitmap& bitmap) {
    static const QImage empty;
    if (!bitmap.data()) {
        return empty;
    }
    return static_cast<const BitmapData&>(*bitmap.data()).image;
}

QImage& imageOf(CBitmap& bitmap) {
    if (!bitmap.data()) {
        bitmap.adopt(std::make_shared<BitmapData>());
    }
    return static_cast<BitmapData&>(*bitmap.data()).image;
}

QSize logicalSize(const QImage& image) {
    const qreal ratio = image.devicePixelRatio() > 0 ? image.devicePixelRatio() : 1.0;
    // Down: a bitmap made for a ratio of 1.5 rounds its pixels up, and is no larger for it.
    const auto logical = [ratio](int pixels) {
        return static_cast<int>(std::floor(pixels / ratio + 1e-6));
    };
    return {logical(image.width()), logical(image.height())};
}

void setImage(CBitmap& bitmap, const QImage& image) {
    auto data = std::make_shared<BitmapData>();
    const QImage::Format format =
        image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    // A deep copy: the bitmap's pixels must not be shared with the caller's image, or drawing
    // into the bitmap would show in the caller's copy too.
    data->image = image.convertToFormat(format).copy();
    bitmap.adopt(std::move(data));
}

}  // namespace zentrix::framework
