#include "receiver/commands/receiver_interface.h"

namespace zentrix::receiver {

// Out of line, so that the interface's vtable is emitted once, here.
ReceiverInterface::~ReceiverInterface() = default;

}  // namespace zentrix::receiver
