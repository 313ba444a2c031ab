#include "ui/diff/uhf_config_sheet.h"

namespace zentrix::ui {

CUhfConfigSheet::CUhfConfigSheet(receiver::ReceiverInterface* receiver, bool externalGps,
                                 WideStringView caption, framework::CWnd* parent)
    : CPropertySheet(caption, parent), receiver_(receiver) {
    settings_.externalGps = externalGps;
}

}  // namespace zentrix::ui
