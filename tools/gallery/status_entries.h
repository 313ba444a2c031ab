// The GNSS status sheet in the gallery: each page as a surveyor sees it with an RTK fix, as the
// GPS-only handheld shows it, and with a receiver of all six constellations.
#pragma once

#include "framework/test_kit_gallery.h"

namespace zentrix::gallery {

/// Registers the sheet on each of its pages, for the survey board, for the GPS-only chip and for
/// a plain NMEA receiver with Galileo and BeiDou. The receivers behind them hold still (one
/// solution, one sky), so that the pictures are the same from run to run.
void registerStatusGallery(framework::GalleryRegistry& gallery);

}  // namespace zentrix::gallery
