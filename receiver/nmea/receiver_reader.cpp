#include "receiver/nmea/receiver_reader.h"

namespace zentrix::receiver {

using platform::Event;

uint32_t ReceiverReader::run() {
    if (!source_.isOpen()) return 1;
    if (!activityEvent_.create(Event::Reset::Auto) || !replyEvent_.create(Event::Reset::Auto) ||
        !vectorEvent_.create(Event::Reset::Auto)) {
        vectorEvent_.close();
        replyEvent_.close();
        activityEvent_.close();
        return 1;
    }
    inputBegin_ = inputEnd_ = 0;
    {
        SentenceFramer framer(sentenceBufferBytes_);
        SentenceType type = SentenceType::Unknown;
        while (frameNextSentence(framer, type)) {
            dispatch(type, framer.sentence());
            framer.scrub();
        }
    }
    vectorEvent_.close();
    replyEvent_.close();
    activityEvent_.close();
    return 0;
}

bool ReceiverReader::frameNextSentence(SentenceFramer& framer, SentenceType& type) {
    if (stopRequested_) return false;
    for (;;) {
        if (inputBegin_ == inputEnd_) {
            uint32_t got = 0;
            if (!source_.readSome(input_.data(), input_.size(), &got, kReadTimeoutMs)) return false;
            inputBegin_ = 0;
            inputEnd_ = got;
            if (got == 0) {
                if (framer.idle()) {
                    type = framer.type();
                    return true;
                }
                if (stopRequested_) return false;
                continue;
            }
        }
        switch (framer.feed(input_[inputBegin_++])) {
            case SentenceFramer::Feed::Activity:
                activityEvent_.set();
                break;
            case SentenceFramer::Feed::Complete:
                type = framer.type();
                return true;
            case SentenceFramer::Feed::Nothing:
                break;
        }
        if (stopRequested_.load(std::memory_order_relaxed)) return false;
    }
}

void ReceiverReader::dispatch(SentenceType type, const Sentence& sentence) {
    if (type == SentenceType::Unknown) return;
    if (NavigationState::handles(type)) {
        navigation_.parse(type, sentence);
    } else {
        replies_.parse(type, sentence);
    }
    switch (eventOf(type)) {
        case SentenceEvent::Reply:
            replyEvent_.set();
            break;
        case SentenceEvent::Vector:
            vectorEvent_.set();
            break;
        case SentenceEvent::None:
            break;
    }
}

}  // namespace zentrix::receiver
