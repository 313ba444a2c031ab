#include "ui/network/gprs_settings_page.h"

#include "resources/resource_ids.h"

namespace zentrix::ui {

CGprsSettingsPage::CGprsSettingsPage(NetworkSettings& settings)
    : CPropertyPage(IDD_GPRS_SETTINGS), settings_(settings) {}

}  // namespace zentrix::ui
