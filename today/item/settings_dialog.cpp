#include "today/item/item_dialog.h"

namespace zentrix::today {

bool runSettingsDialog(framework::HWND, LauncherSettings&) {
    return false;
}

}  // namespace zentrix::today
