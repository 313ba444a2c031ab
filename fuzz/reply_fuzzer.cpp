// Arbitrary receiver bytes through the framer, the reader's dispatch and every parser.
//
// Two passes per input. The first feeds the bytes to a framer one at a time, as the reader thread
// does, and dispatches every complete sentence (and a source table ended by silence). The second
// hands the input itself, as one sentence, to the parser its header names (or, without a header,
// one its first byte picks): the framer only ever passes well-shaped sentences, but no parser may
// rely on that for its memory safety. The
// getters then copy every group out, so that stored texts are widened as the command side would.
//
// The same bytes then go through the plain NMEA receiver's line framer and epoch assembler, and
// the input itself, as one sentence, to the assembler directly (it must not rely on the framer's
// checksum for its memory safety either).
//
// The reader lives for the whole run, as it does on a real line: building its state (and the
// 1 MiB source-table buffer) for every input would cost more than the parsing. Its state only
// holds values, so a finding rarely depends on earlier inputs; when one does, libFuzzer's
// -runs=1 on the saved input shows it at once.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "receiver/nmea/byte_source.h"
#include "receiver/nmea/receiver_reader.h"
#include "receiver/nmea/sentence_framer.h"
#include "receiver/nmea/sentence_type.h"
#include "receiver/nmea_receiver/epoch_assembler.h"
#include "receiver/nmea_receiver/nmea_line_framer.h"

using namespace zentrix::receiver;

namespace {

// Enough for any sentence the fuzzer builds within its length limit; the large buffer of the
// program is the same code with a larger bound.
constexpr size_t kFuzzSentenceBytes = 64 * 1024;
constexpr size_t kDirectParseMaxBytes = 4096;

void readEveryGroup(const ReplyState& r) {
    (void)r.getReceiverPort();
    (void)r.getBluetoothValue();
    (void)r.getMessageOutputs();
    (void)r.getObservationStatus();
    (void)r.getAntennaName();
    (void)r.getStationId();
    (void)r.getCurrentFile();
    (void)r.getFilePath();
    (void)r.getRecorderFile();
    (void)r.getFirmwareVersions();
    (void)r.getReferenceReceiver();
    (void)r.getModem();
    (void)r.getDirectIp();
    (void)r.getNtripParameters();
    (void)r.getMountPoint();
    (void)r.getSourceTable();
    (void)r.getDifferential();
    (void)r.getRadio();
}

// The parser the input's own header names, as the framer would choose it (refinements
// included); for input without a known header, one chosen by its first byte. Either way the body
// is whatever the input holds, without the shape the framer guarantees.
SentenceType directType(std::string_view text) {
    const auto table = sentenceTypeTable();
    const size_t headerChars = text.starts_with("$P") ? 10 : text.starts_with("$G") ? 6 : 0;
    SentenceType type = headerChars && text.size() >= headerChars
                            ? matchSentenceType(text.substr(0, headerChars))
                            : SentenceType::Unknown;
    if (type == SentenceType::FilCur && text.substr(std::min<size_t>(11, text.size()), 3) == "PTH")
        type = SentenceType::FilPth;
    if (type == SentenceType::Rcp && text.starts_with("$PQELR,RCP,REF"))
        type = SentenceType::RcpRef;
    if (text.starts_with("RECEIVER VERSION"))
        type = SentenceType::Version;
    if (type == SentenceType::Unknown && !text.empty()) {
        type = table[static_cast<uint8_t>(text[0]) % table.size()].type;
    }
    return type;
}

// Every published value read, so that the sanitizers see each of them.
void readEpoch(const NmeaEpoch& epoch) {
    volatile double sink = epoch.position.latitude + epoch.position.ellipsoidHeight;
    for (uint32_t i = 0; i < epoch.satellites.count; ++i) {
        const SatelliteRecord& s = epoch.satellites.entries.at(i);
        sink = sink + s.prn + s.elevation + s.azimuth + s.snr1 + s.snr2 + s.used;
    }
    (void)sink;
}

void feedNmeaReceiver(const uint8_t* data, size_t size) {
    NmeaLineFramer framer;
    EpochAssembler assembler(readEpoch);
    for (size_t i = 0; i < size; ++i) {
        if (framer.feed(data[i]) == NmeaLineFramer::Feed::Sentence) {
            assembler.addSentence(framer.sentence());
        }
    }
    assembler.endEpoch();
    if (size <= kDirectParseMaxBytes) {
        const std::string text(reinterpret_cast<const char*>(data), size);
        assembler.addSentence(text);
        assembler.endEpoch();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemoryByteSource source("");
    static ReceiverReader& reader = []() -> ReceiverReader& {
        static ReceiverReader r(source, kFuzzSentenceBytes);
        r.replyEvent().create(zentrix::platform::Event::Reset::Auto);
        r.vectorEvent().create(zentrix::platform::Event::Reset::Auto);
        return r;
    }();

    SentenceFramer framer(kFuzzSentenceBytes);
    for (size_t i = 0; i < size; ++i) {
        if (framer.feed(data[i]) == SentenceFramer::Feed::Complete) {
            reader.dispatch(framer.type(), framer.sentence());
            framer.scrub();
        }
    }
    if (framer.idle())
        reader.dispatch(framer.type(), framer.sentence());

    if (size <= kDirectParseMaxBytes) {
        const std::string text(reinterpret_cast<const char*>(data), size);  // zero-terminated
        reader.dispatch(directType(text), makeSentence(text));
    }

    readEveryGroup(reader.replies());
    (void)reader.getPosition();

    feedNmeaReceiver(data, size);
    return 0;
}
