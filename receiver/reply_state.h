// The receiver's replies to commands, decoded into their groups.
#pragma once

#include <atomic>
#include <cstdint>

#include "receiver/sentence.h"
#include "receiver/sentence_type.h"

namespace zentrix::receiver {

/// Reader thread: `parse`. Command side (user-interface thread): the flags and the getters.
/// The flags are written before the reader sets the reply event and read after the command's wait
/// returns; they are atomics so that a wait that timed out while a reply was being stored reads a
/// clean value.
class ReplyState {
public:
    using Flag = std::atomic<uint8_t>;

    /// Parses one reply of any type that is not navigation data (ACK and NAK included).
    void parse(SentenceType type, const Sentence& sentence);

    Flag ackReceived{0};
    Flag nakReceived{0};
};

}  // namespace zentrix::receiver
