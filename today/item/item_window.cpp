#include "today/item/item_window.h"

namespace zentrix::today {

framework::HWND initializeCustomItem(framework::TODAYLISTITEM*, framework::HWND) {
    return nullptr;
}

}  // namespace zentrix::today
