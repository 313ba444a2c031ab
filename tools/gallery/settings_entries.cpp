#include "tools/gallery/settings_entries.h"

#include <memory>

#include "receiver/sirf/sirf_receiver.h"
#include "tools/gallery/program_entries.h"
#include "ui/settings/gnss_setting_sheet.h"
#include "ui/settings/troubleshoot_sheet.h"

namespace zentrix::gallery {

void registerSettingsGallery(framework::GalleryRegistry& gallery) {
    // The survey board of a handheld whose code allows every tracking mode, and one whose code
    // offers the first three.
    gallery.add("gnss_settings", [] {
        return std::make_unique<ui::CGnssSettingSheet>(simulatedReceiver(), 2, "0300");
    });
    gallery.add("gnss_settings_0200", [] {
        return std::make_unique<ui::CGnssSettingSheet>(simulatedReceiver(), 2, "0200");
    });
    // The GPS-only chip: GPS L1 and SBAS only.
    gallery.add("gnss_settings_gps_only", [] {
        static receiver::SirfReceiver chip(0);
        return std::make_unique<ui::CGnssSettingSheet>(&chip, 0, "0143");
    });
    // Debug recording, the recording memory and the command line with its history, as the
    // simulated board answers them (the history is the gallery's scratch root's: empty).
    gallery.add("troubleshoot",
                [] { return std::make_unique<ui::CTroubleshootSheet>(simulatedReceiver()); });
}

}  // namespace zentrix::gallery
