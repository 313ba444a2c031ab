#include "ui/status/signal_page.h"

#include "resources/resource_ids.h"

namespace zentrix::ui {

CSignalPage::CSignalPage(receiver::ReceiverInterface* receiver)
    : CPropertyPage(IDD_SIGNAL), receiver_(receiver) {}

}  // namespace zentrix::ui
