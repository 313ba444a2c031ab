// The plug-in's only two exported symbols, as the Today host looks them up.
#include "framework/today_item.h"
#include "today/item/item_window.h"
#include "today/item/options_dialog.h"

using namespace zentrix;

extern "C" __attribute__((visibility("default"))) framework::HWND InitializeCustomItem(
    framework::TODAYLISTITEM* item, framework::HWND parent) {
    return today::initializeCustomItem(item, parent);
}

extern "C" __attribute__((visibility("default"))) framework::LRESULT CustomItemOptionsDlgProc(
    framework::HWND dialog, framework::UINT message, framework::WPARAM wParam,
    framework::LPARAM lParam) {
    return today::customItemOptionsDlgProc(dialog, message, wParam, lParam);
}
