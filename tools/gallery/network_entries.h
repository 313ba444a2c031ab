// The network correction settings in the gallery: each page of the network settings sheet with
// a few stored profiles, and the station browser over a real caster's table.
#pragma once

#include "framework/test_kit_gallery.h"

namespace zentrix::gallery {

void registerNetworkGallery(framework::GalleryRegistry& gallery);

}  // namespace zentrix::gallery
