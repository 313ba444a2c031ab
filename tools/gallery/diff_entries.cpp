#include "tools/gallery/diff_entries.h"

#include <memory>
#include <utility>

#include "framework/test_kit.h"
#include "resources/resource_ids.h"
#include "tools/gallery/program_entries.h"
#include "ui/diff/dialing_dialog.h"
#include "ui/diff/diff_mode_sheet.h"
#include "ui/diff/gsm_config_sheet.h"
#include "ui/diff/port_settings_sheet.h"
#include "ui/diff/profiles/profile_field_store.h"
#include "ui/diff/uhf_config_sheet.h"

namespace zentrix::gallery {
namespace {

using framework::CPropertySheet;
using framework::CWnd;
using framework::ScopedTestKit;

/// A rover whose radio on port B is a PDL with GMSK at 25 kHz spacing, switched on, and whose
/// modem is dialing.
class FieldRover : public receiver::ReceiverInterface {
  public:
    uint32_t queryRadioType(uint32_t, uint32_t& type) override { return type = 0, 1; }
    uint32_t queryRadioParameters(uint32_t port, receiver::RadioSettings& out) override {
        out = {};
        out.port = port;
        out.radioType = 0;
        out.power = 0;
        out.airBaud = 3;
        out.channel = 4;
        out.sensitivity = 1;
        out.level = 1;  // the protocol: PELTALK
        out.spacing = 1;
        out.modulation = 1;
        return 1;
    }
    uint32_t queryRadioTable(uint32_t, uint32_t& table) override { return table = 16, 1; }
    uint32_t queryPortBaud(uint32_t, uint32_t& code) override { return code = 7, 1; }
    uint32_t radioOn() override { return 1; }
    uint32_t queryModemState(uint32_t& state) override { return state = 4, 1; }
};

receiver::ReceiverInterface* fieldRover() {
    static FieldRover rover;
    return &rover;
}

/// Numbers a crew dialled before, written into the gallery's scratch root once.
void storeNumbers() {
    static bool stored = false;
    if (std::exchange(stored, true))
        return;
    diff::ProfileFieldStore<diff::GsmProfile> numbers;
    for (const auto& [pin, number] :
         {std::pair{"1111", "0123456789"}, std::pair{"2222", "+41791234567"},
          std::pair{"", "5550000"}}) {
        diff::GsmProfile profile;
        profile.pin = pin;
        profile.phoneNumber = number;
        numbers.add(profile);
    }
}

std::unique_ptr<ui::CDiffModeSheet> linkSheet() {
    return std::make_unique<ui::CDiffModeSheet>(simulatedReceiver(), ui::DiffLinkSettings{});
}

}  // namespace

void registerDiffGallery(framework::GalleryRegistry& gallery) {
    // The link page as the simulated board opens it, and with each other row chosen.
    gallery.add("diff_link", [] { return linkSheet(); });
    for (const int row : {1, 2, 3}) {
        gallery.add(
            "diff_link_row" + std::to_string(row), [] { return linkSheet(); },
            [row](CWnd& window, ScopedTestKit& kit) {
                kit.clickListItem(window, IDC_LINK_LIST, row);
            });
    }

    // The radio found on an inside port, and its settings.
    gallery.add("uhf_radio", [] {
        return std::make_unique<ui::CUhfConfigSheet>(fieldRover(), false, u"UHF Radio Settings");
    });
    gallery.add(
        "uhf_settings",
        [] {
            return std::make_unique<ui::CUhfConfigSheet>(fieldRover(), false,
                                                         u"UHF Radio Settings");
        },
        [](CWnd& window, ScopedTestKit& kit) {
            kit.switchPage(dynamic_cast<CPropertySheet&>(window), 1);
        });

    gallery.add("serial_port", [] {
        return std::make_unique<ui::COtherConfigSheet>(simulatedReceiver(),
                                                       IDS_SERIAL_PORT_SETTINGS, 1);
    });
    gallery.add("gsm_modem", [] {
        storeNumbers();
        auto sheet =
            std::make_unique<ui::CGsmConfigSheet>(simulatedReceiver(), u"GSM Modem Settings");
        sheet->settings().pinShown = true;
        sheet->settings().phoneNumber = u"+41791234567";
        sheet->settings().pin = u"2222";
        return sheet;
    });
    // Two seconds into a call.
    gallery.add(
        "dialing",
        [] {
            auto dialog = std::make_unique<ui::CDialingDialog>(fieldRover());
            dialog->setNumber(u"+41791234567");
            return dialog;
        },
        [](CWnd& window, ScopedTestKit& kit) {
            ui::CDialingDialog::resetDotsForTest();
            kit.fireTimer(window, ui::CDialingDialog::kPollTimer);
            kit.fireTimer(window, ui::CDialingDialog::kPollTimer);
        });
}

}  // namespace zentrix::gallery
