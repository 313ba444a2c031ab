#include "framework/broadcast.h"

namespace zentrix::framework {

int BroadcastMessage(UINT, WPARAM, LPARAM) {
    return 0;
}

bool ListenForBroadcasts(std::string*) {
    return false;
}

}  // namespace zentrix::framework
