#include "ui/network/gprs_mode_page.h"

#include "resources/resource_ids.h"

namespace zentrix::ui {

CGprsModePage::CGprsModePage(receiver::ReceiverInterface* receiver, NetworkSettings& settings)
    : CPropertyPage(IDD_GPRS_MODE), receiver_(receiver), settings_(settings) {}

}  // namespace zentrix::ui
