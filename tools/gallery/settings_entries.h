// The sheets that change the receiver, in the gallery: as the survey board opens them in the
// simulator, and as the GPS-only handheld shows them.
#pragma once

#include "framework/test_kit_gallery.h"

namespace zentrix::gallery {

void registerSettingsGallery(framework::GalleryRegistry& gallery);

}  // namespace zentrix::gallery
