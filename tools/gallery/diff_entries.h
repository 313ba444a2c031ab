// The differential mode in the gallery: the link page as the simulated board opens it, and the
// sheets it opens for the radio, the GSM call and the external port, with the dialing dialog.
#pragma once

#include "framework/test_kit_gallery.h"

namespace zentrix::gallery {

void registerDiffGallery(framework::GalleryRegistry& gallery);

}  // namespace zentrix::gallery
