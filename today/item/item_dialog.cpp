#include "today/item/item_dialog.h"

namespace zentrix::today {

bool runItemDialog(framework::HWND, LauncherItem&) {
    return false;
}

}  // namespace zentrix::today
