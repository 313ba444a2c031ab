#include "ui/status/satellites_page.h"

#include "resources/resource_ids.h"

namespace zentrix::ui {

CSatellitesPage::CSatellitesPage(receiver::ReceiverInterface* receiver)
    : CPropertyPage(IDD_SATELLITES), receiver_(receiver) {}

}  // namespace zentrix::ui
