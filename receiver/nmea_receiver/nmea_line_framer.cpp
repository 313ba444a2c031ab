#include "receiver/nmea_receiver/nmea_line_framer.h"

namespace zentrix::receiver {

NmeaLineFramer::Feed NmeaLineFramer::feed(uint8_t) {
    return Feed::Nothing;
}

std::string_view NmeaLineFramer::sentence() const {
    return {buffer_, completeLength_};
}

void NmeaLineFramer::reset() {
    length_ = 0;
    completeLength_ = 0;
    inSentence_ = false;
    validSentences_ = 0;
    rejectedSentences_ = 0;
}

}  // namespace zentrix::receiver
