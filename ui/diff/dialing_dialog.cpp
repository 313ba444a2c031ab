#include "ui/diff/dialing_dialog.h"

#include "resources/resource_ids.h"

namespace zentrix::ui {

CDialingDialog::CDialingDialog(receiver::ReceiverInterface* receiver, framework::CWnd* parent)
    : CDialog(IDD_DIALING, parent), receiver_(receiver) {}

}  // namespace zentrix::ui
