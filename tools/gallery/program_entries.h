// The program's own dialogs in the gallery, shown against the simulated receiver.
#pragma once

#include "framework/test_kit_gallery.h"
#include "receiver/commands/receiver_interface.h"

namespace zentrix::gallery {

/// The simulated survey board and the program's receiver connected to it, made on first use in
/// a scratch device root and kept for the whole gallery run.
receiver::ReceiverInterface* simulatedReceiver();

/// Registers the start-up window, the main menu (as each model shows it), the about box of either
/// receiver and the program's message boxes. The receiver behind the survey windows is the
/// simulated survey board, connected on first use in a scratch device root; the GPS-only about box
/// has the GPS-only chip's receiver, which tells no versions.
void registerProgramGallery(framework::GalleryRegistry& gallery);

}  // namespace zentrix::gallery
