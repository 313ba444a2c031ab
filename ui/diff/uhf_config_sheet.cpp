#include "ui/diff/uhf_config_sheet.h"

namespace zentrix::ui {

CUhfConfigSheet::CUhfConfigSheet(receiver::ReceiverInterface* receiver, bool externalGps,
                                 WideStringView caption, framework::CWnd* parent)
    : CPropertySheet(caption, parent),
      receiver_(receiver),
      typePage_(receiver, settings_),
      settingsPage_(receiver, settings_) {
    settings_.externalGps = externalGps;
    AddPage(&typePage_);
    AddPage(&settingsPage_);
}

}  // namespace zentrix::ui
