#include "ui/network/ntrip_settings_page.h"

#include "resources/resource_ids.h"

namespace zentrix::ui {

CNtripSettingsPage::CNtripSettingsPage(receiver::ReceiverInterface* receiver,
                                       NetworkSettings& settings)
    : CPropertyPage(IDD_NTRIP_SETTINGS), receiver_(receiver), settings_(settings) {}

}  // namespace zentrix::ui
