#include "framework/file_icon.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QMimeDatabase>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cstring>
#include <optional>

#include "framework/qt_drawing.h"
#include "platform/desktop_entry.h"

namespace zentrix::framework {
namespace {

// Larger icons are no icons of a launcher; this also bounds what a file can make us allocate.
constexpr int kMaxIconSize = 1024;
// An icon file with more images than this is not looked through further.
constexpr int kMaxImagesInFile = 64;

// `image` scaled to fit `size` x `size`, keeping its proportions, centred on a transparent square.
QImage fitted(const QImage& image, int size) {
    QImage scaled = image.size() == QSize(size, size)
                        ? image
                        : image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(1);
    if (scaled.size() == QSize(size, size))
        return scaled;
    QImage square(size, size, QImage::Format_ARGB32);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.drawImage((size - scaled.width()) / 2, (size - scaled.height()) / 2, scaled);
    return square;
}

// The image of an image file. A file of several images (an icon file) gives the smallest one
// at least `size` wide, else the largest; a scalable one (SVG) is drawn at the size asked for.
QImage readImageFile(const QString& path, int size) {
    QImageReader reader(path);
    if (!reader.canRead())
        return {};
    const QByteArray format = reader.format();
    if ((format == "svg" || format == "svgz") && reader.size().isValid()) {
        reader.setScaledSize(reader.size().scaled(size, size, Qt::KeepAspectRatio));
        return reader.read();
    }
    const int count = std::min(std::max(reader.imageCount(), 1), kMaxImagesInFile);
    QImage best;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QImage image = reader.read();
        if (image.isNull())
            continue;
        const bool fits = image.width() >= size;
        const bool bestFits = !best.isNull() && best.width() >= size;
        if (best.isNull() || (fits && (!bestFits || image.width() < best.width())) ||
            (!fits && !bestFits && image.width() > best.width())) {
            best = image;
        }
    }
    return best;
}

// The icon theme's icon of the first of `names` it has. Theme icons need the window system's
// application; without one there are none.
QImage themeImage(const QStringList& names, int size) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return {};
    for (const QString& name : names) {
        if (name.isEmpty() || !QIcon::hasThemeIcon(name))
            continue;
        const QPixmap pixmap = QIcon::fromTheme(name).pixmap(size, size);
        if (!pixmap.isNull())
            return pixmap.toImage();
    }
    return {};
}

// A desktop entry's Icon=: an absolute path of an image file, else a theme icon's name (written
// by some entries with the file's extension).
QImage desktopEntryImage(const std::string& path, int size) {
    const std::optional<platform::DesktopEntry> entry = platform::readDesktopEntry(path);
    if (!entry || entry->icon.empty())
        return {};
    const QString icon = QString::fromStdString(entry->icon);
    if (icon.startsWith('/'))
        return readImageFile(icon, size);
    QString name = icon;
    for (const char* extension : {".png", ".svg", ".xpm"}) {
        if (name.endsWith(QLatin1String(extension), Qt::CaseInsensitive))
            name.chop(static_cast<int>(std::strlen(extension)));
    }
    return themeImage({name}, size);
}

}  // namespace

bool LoadFileIcon(const std::string& path, int size, CBitmap* icon) {
    if (icon == nullptr || size < 1 || size > kMaxIconSize || path.empty())
        return false;
    const QString name = QString::fromStdString(path);
    const QFileInfo info(name);
    if (!info.exists())
        return false;
    QImage image;
    if (info.isDir()) {
        image = themeImage({"inode-directory", "folder"}, size);
    } else if (info.suffix().compare("desktop", Qt::CaseInsensitive) == 0) {
        image = desktopEntryImage(path, size);
    } else {
        const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
        if (type.name().startsWith("image/"))
            image = readImageFile(name, size);
        if (image.isNull())
            image = themeImage({type.iconName(), type.genericIconName()}, size);
    }
    if (image.isNull())
        return false;
    // Keyed before scaling, so that no magenta bleeds into the edges the scaling blends.
    setImage(*icon, fitted(keyedOut(image), size));
    return true;
}

}  // namespace zentrix::framework
