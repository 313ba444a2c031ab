// Kept apart from gdi_objects.cpp so that programs which never load a resource bitmap (the
// drawing tests among them) do not need the resource tables linked in.
#include "framework/gdi_objects.h"
#include "framework/resources.h"

namespace zentrix::framework {

bool CBitmap::LoadBitmap(UINT id) {
    const std::optional<std::string> bytes = bitmapResourceBytes(id);
    return bytes && LoadFromBytes(*bytes);
}

}  // namespace zentrix::framework
