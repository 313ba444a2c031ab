#include "receiver/sirf/sirf_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace zentrix::receiver {

using platform::CriticalSectionLock;
using platform::Event;

bool SirfReader::eventsReady() const {
    return frameStartEvent_.exists() && acknowledgeEvent_.exists() && fixEvent_.exists() &&
           okToSendEvent_.exists() && navigationParametersEvent_.exists() && versionEvent_.exists();
}

uint32_t SirfReader::run() {
    platform::EventSlot* events[] = {
        &frameStartEvent_, &acknowledgeEvent_,          &fixEvent_,
        &okToSendEvent_,   &navigationParametersEvent_, &versionEvent_};
    auto closeEvents = [&] {
        for (platform::EventSlot* e : events) e->close();
    };
    if (!source_.isOpen())
        return 1;
    for (platform::EventSlot* e : events) {
        if (!e->create(Event::Reset::Auto)) {
            closeEvents();
            return 1;
        }
    }
    {
        // The framer's buffer is 20 KiB: on the heap rather than the thread's stack.
        auto framer = std::make_unique<SirfFramer>();
        while (!stopRequested_) {
            uint32_t got = 0;
            if (!source_.readSome(input_.data(), static_cast<uint32_t>(input_.size()), &got,
                                  kReadTimeoutMs)) {
                break;
            }
            if (got == 0)
                recorder_.idle();
            for (uint32_t i = 0; i < got && !stopRequested_; ++i) {
                switch (framer->feed(input_[i])) {
                    case SirfFramer::Feed::FrameStart:
                        protocol_ = framer->protocol();
                        frameStartEvent_.set();
                        break;
                    case SirfFramer::Feed::Complete:
                        dispatch(*framer);
                        break;
                    case SirfFramer::Feed::Nothing:
                        break;
                }
            }
        }
    }
    recorder_.readerEnded();
    closeEvents();
    return 0;
}

void SirfReader::dispatch(const SirfFramer& framer) {
    if (framer.protocol() == SirfProtocol::Binary)
        binaryFrames_.fetch_add(1, std::memory_order_relaxed);
    handle(framer.kind(), framer.payload());
    recorder_.afterFrame(framer.frame(), framer.kind() == SirfFrameKind::GeodeticNavigation,
                         fixInLatest_, sendPoll_);
}

void SirfReader::handle(SirfFrameKind kind, std::span<const uint8_t> payload) {
    switch (kind) {
        case SirfFrameKind::Acknowledge:
        case SirfFrameKind::NotAcknowledged:
            acknowledged_ = kind == SirfFrameKind::Acknowledge;
            acknowledgeEvent_.set();
            break;
        case SirfFrameKind::OkToSend:
            okToSend_ = true;
            okToSendEvent_.set();
            break;
        case SirfFrameKind::NotOkToSend:
            okToSend_ = false;
            break;
        case SirfFrameKind::GeodeticNavigation: {
            decodeGeodeticNavigation(payload, working_, used_);
            {
                CriticalSectionLock lock(positionLock_);
                position_ = working_;
            }
            fixInLatest_ = working_.satellitesUsed != 0;
            if (fixInLatest_)
                fixEvent_.set();
            break;
        }
        case SirfFrameKind::NavigationParameters: {
            const NavigationParameters parameters = NavigationParameters::fromPayload(payload);
            {
                CriticalSectionLock lock(replyLock_);
                navigationParameters_ = parameters;
            }
            navigationParametersEvent_.set();
            break;
        }
        case SirfFrameKind::TrackerData: {
            SatelliteTable table;
            decodeTrackerData(payload, used_, table);
            CriticalSectionLock lock(satelliteLock_);
            satellites_ = table;
            break;
        }
        case SirfFrameKind::SoftwareVersion: {
            // The text stands in up to 80 bytes after the MID and ends at its first zero.
            const auto text = payload.subspan(std::min<size_t>(1, payload.size()));
            const size_t length = std::min(kVersionChars, text.size());
            const auto* chars = reinterpret_cast<const char*>(text.data());
            const size_t end = static_cast<size_t>(std::find(chars, chars + length, '\0') - chars);
            {
                CriticalSectionLock lock(replyLock_);
                version_.assign(std::string_view(chars, end));
            }
            versionEvent_.set();
            break;
        }
        default:
            break;
    }
}

PositionRecord SirfReader::getPosition() const {
    CriticalSectionLock lock(positionLock_);
    return position_;
}

SatelliteTable SirfReader::getSatellites() const {
    CriticalSectionLock lock(satelliteLock_);
    return satellites_;
}

NavigationParameters SirfReader::getNavigationParameters() const {
    CriticalSectionLock lock(replyLock_);
    return navigationParameters_;
}

std::string SirfReader::getVersion() const {
    CriticalSectionLock lock(replyLock_);
    return std::string(version_.view());
}

}  // namespace zentrix::receiver
