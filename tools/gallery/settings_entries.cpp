#include "tools/gallery/settings_entries.h"

#include <memory>
#include <string>

#include "framework/test_kit.h"
#include "receiver/sirf/sirf_receiver.h"
#include "tools/gallery/program_entries.h"
#include "ui/settings/gnss_setting_sheet.h"
#include "ui/settings/nmea_output_sheet.h"
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
    // The NMEA output sheet on each output, and its Messages page for the cable. The sheet
    // keeps a reference to its settings: each entry has its own.
    static const char* const kOutputs[] = {"virtual_port", "cable", "bluetooth", "file"};
    static ui::NmeaOutputSettings nmea[4];
    for (uint32_t output = 0; output < 4; ++output) {
        gallery.add(std::string("nmea_output_") + kOutputs[output], [output] {
            nmea[output] = {output, {}};
            return std::make_unique<ui::CNmeaOutputSheet>(simulatedReceiver(), nmea[output]);
        });
    }
    static ui::NmeaOutputSettings cableMessages;
    gallery.add(
        "nmea_messages",
        [] {
            cableMessages = {1, {}};
            return std::make_unique<ui::CNmeaOutputSheet>(simulatedReceiver(), cableMessages);
        },
        [](framework::CWnd& window, framework::ScopedTestKit& kit) {
            kit.switchPage(dynamic_cast<framework::CPropertySheet&>(window), 1);
        });

    // Debug recording, the recording memory and the command line with its history, as the
    // simulated board answers them (the history is the gallery's scratch root's: empty).
    gallery.add("troubleshoot",
                [] { return std::make_unique<ui::CTroubleshootSheet>(simulatedReceiver()); });
}

}  // namespace zentrix::gallery
