// The launcher: the Today host with the plug-in it loads, the options dialog and its dialogs.
#pragma once

#include "framework/test_kit_gallery.h"

namespace zentrix::gallery {

void registerTodayGallery(framework::GalleryRegistry& gallery);

}  // namespace zentrix::gallery
