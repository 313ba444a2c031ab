// Kept apart from gdi_objects.cpp so that programs which never load a resource bitmap (the
// drawing tests among them) do not need the resource tables linked in.
#include "framework/gdi_objects.h"
#include "framework/qt_drawing.h"
#include "framework/resources.h"

namespace zentrix::framework {

bool CBitmap::LoadBitmap(UINT id) {
    const std::optional<std::string> bytes = bitmapResourceBytes(id);
    return bytes && LoadFromBytes(*bytes);
}

QImage iconResourceImage(UINT id) {
    const std::optional<std::string> bytes = bitmapResourceBytes(id);
    QImage image;
    if (!bytes || !image.loadFromData(reinterpret_cast<const uchar*>(bytes->data()),
                                      static_cast<int>(bytes->size()))) {
        return {};
    }
    return keyedOut(image);
}

}  // namespace zentrix::framework
