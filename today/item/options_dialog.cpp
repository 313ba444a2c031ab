#include "today/item/options_dialog.h"

namespace zentrix::today {

framework::LRESULT customItemOptionsDlgProc(framework::HWND, framework::UINT, framework::WPARAM,
                                            framework::LPARAM) {
    return 0;
}

framework::HWND openOptionsDialog(framework::HWND) {
    return nullptr;
}

}  // namespace zentrix::today
