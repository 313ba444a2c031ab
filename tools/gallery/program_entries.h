// The program's own dialogs in the gallery, shown against the simulated receiver.
#pragma once

#include "framework/test_kit_gallery.h"

namespace zentrix::gallery {

/// Registers the main menu (as each model shows it) and the about box. The receiver behind
/// them is the simulated survey board, connected on first use in a scratch device root.
void registerProgramGallery(framework::GalleryRegistry& gallery);

}  // namespace zentrix::gallery
