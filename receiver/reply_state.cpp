#include "receiver/reply_state.h"

namespace zentrix::receiver {

void ReplyState::parse(SentenceType type, const Sentence&) {
    if (type == SentenceType::Ack) {
        ackReceived = 1;
        nakReceived = 0;
    } else if (type == SentenceType::Nak) {
        nakReceived = 1;
        ackReceived = 0;
    }
}

}  // namespace zentrix::receiver
