#include "ui/network/direct_ip_settings_page.h"

#include "resources/resource_ids.h"

namespace zentrix::ui {

CDirectIpSettingsPage::CDirectIpSettingsPage(NetworkSettings& settings)
    : CPropertyPage(IDD_DIRECT_IP), settings_(settings) {}

}  // namespace zentrix::ui
