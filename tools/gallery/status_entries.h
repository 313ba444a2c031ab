// The GNSS status sheet in the gallery: each page as a surveyor sees it with an RTK fix, and as
// the GPS-only handheld shows it.
#pragma once

#include "framework/test_kit_gallery.h"

namespace zentrix::gallery {

/// Registers the sheet on each of its pages, for the survey board and for the GPS-only chip.
/// The receiver behind them holds still (one fixed solution, twenty satellites), so that the
/// pictures are the same from run to run.
void registerStatusGallery(framework::GalleryRegistry& gallery);

}  // namespace zentrix::gallery
