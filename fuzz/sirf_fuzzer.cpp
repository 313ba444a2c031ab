// Arbitrary bytes from the GPS-only chip's line through its framer, the reader's dispatch and the
// message decoders.
//
// Two passes per input. The first feeds the bytes to a framer one at a time, as the reader thread
// does, and dispatches every complete frame: lengths and checksums that lie, frames cut off, NMEA
// and binary mixed. The second hands the input itself, as a payload, to every decoder: the framer
// only passes payloads whose length and checksum agree, but no decoder may rely on a payload
// being as long as its message defines.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "receiver/nmea/byte_source.h"
#include "receiver/sirf/sirf_framer.h"
#include "receiver/sirf/sirf_messages.h"
#include "receiver/sirf/sirf_reader.h"

using namespace zentrix::receiver;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemoryByteSource source("");
    static SirfReader& reader = []() -> SirfReader& {
        static SirfReader r(source);
        for (auto* e : {&r.frameStartEvent(), &r.acknowledgeEvent(), &r.fixEvent(),
                        &r.okToSendEvent(), &r.navigationParametersEvent(), &r.versionEvent()}) {
            e->create(zentrix::platform::Event::Reset::Auto);
        }
        return r;
    }();
    static auto framer = std::make_unique<SirfFramer>();

    for (size_t i = 0; i < size; ++i) {
        if (framer->feed(data[i]) == SirfFramer::Feed::Complete)
            reader.dispatch(*framer);
    }

    const std::span<const uint8_t> payload(data, size);
    PositionRecord position;
    UsedPrns used;
    decodeGeodeticNavigation(payload, position, used);
    SatelliteTable table;
    decodeTrackerData(payload, used, table);
    const NavigationParameters parameters = NavigationParameters::fromPayload(payload);
    (void)parameters.sbasOn();
    (void)parameters.navigationMaskTenths();
    (void)classifySirfPayload(payload);
    (void)sirfChecksumMatches(payload, static_cast<uint16_t>(size));

    (void)reader.getPosition();
    (void)reader.getSatellites();
    (void)reader.getVersion();
    (void)reader.getNavigationParameters();
    return 0;
}
