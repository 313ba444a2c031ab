// Real receiver captures against the output of a widely used GNSS daemon for the same bytes.
//
// Each log in tests/data/gpsd comes with the daemon's decoded output (`.chk`): every source
// sentence followed by the JSON reports it caused. The receiver state here holds less than the
// daemon reports (GPS, SBAS, QZSS and GLONASS satellites from GP and GL talkers; GGA only from the
// GP talker), so each comparison picks the part both hold. Where a result differs because of a
// deliberate rule of this receiver state, the rule is named below; nothing is skipped silently.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/serial_port.h"
#include "platform/worker_thread.h"
#include "receiver/nmea/sentence_framer.h"
#include "tests/support/gpsd_chk.h"
#include "tests/support/pty.h"
#include "tests/support/testdata.h"
#include "tools/replay/replay.h"

namespace zentrix::replay {
namespace {

using nlohmann::json;
using receiver::SentenceFramer;
using receiver::SentenceType;

using test::ChkEntry;
using test::readChk;
using test::stripExtraDollars;

const std::vector<std::string>& kNmeaLogs = test::kGpsdNmeaLogs;

class RealLog : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        capture_ = test::readFile(test::testdataPath("gpsd/" + GetParam() + ".log"));
        ASSERT_FALSE(capture_.empty()) << "missing test data: " << GetParam();
        chk_ = readChk(test::readFile(test::testdataPath("gpsd/" + GetParam() + ".log.chk")));
        ASSERT_FALSE(chk_.empty());
        replay(capture_, ReplayOptions{.publishOnGga = true},
               [this](const std::string& line) { output_.push_back(json::parse(line)); });
    }

    // The reports the daemon made for the n-th occurrence of `source`, searching on from `cursor`.
    const ChkEntry* findChk(const std::string& source, size_t& cursor) const {
        for (size_t i = cursor; i < chk_.size(); ++i) {
            if (stripExtraDollars(chk_[i].source) == source) {
                cursor = i + 1;
                return &chk_[i];
            }
        }
        return nullptr;
    }

    std::string capture_;
    std::vector<ChkEntry> chk_;
    std::vector<json> output_;
};

TEST_P(RealLog, EverySentenceOfAListedTypeIsFramedWithThatType) {
    const std::string bytes = lineBytesOf(capture_);
    std::vector<std::pair<SentenceType, std::string>> expected;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) break;
        const std::string line = stripExtraDollars(bytes.substr(start, end - start)) + "\r\n";
        start = end + 2;
        if (line[0] != '$') continue;
        const size_t headerLength = line.rfind("$P", 0) == 0 ? 10 : 6;
        const SentenceType type = receiver::matchSentenceType(line.substr(0, headerLength));
        if (type == SentenceType::Unknown || !receiver::verifyChecksum(line.data(), line.size())) {
            continue;
        }
        expected.emplace_back(type, line);
    }
    ASSERT_FALSE(expected.empty());

    std::vector<std::pair<SentenceType, std::string>> framed;
    SentenceFramer framer;
    for (const char c : bytes) {
        if (framer.feed(static_cast<uint8_t>(c)) != SentenceFramer::Feed::Complete) continue;
        const auto s = framer.sentence();
        if (framer.type() != SentenceType::Unknown && receiver::verifyChecksum(s)) {
            framed.emplace_back(framer.type(), std::string(s.view()));
        }
    }
    EXPECT_EQ(framed, expected);
}

struct Satellite {
    int prn, elevation, azimuth, signal;
    bool operator==(const Satellite&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Satellite& s) {
    return os << "{" << s.prn << " el " << s.elevation << " az " << s.azimuth << " ss " << s.signal << "}";
}

// The daemon's system numbers: 0 GPS, 1 SBAS, 5 QZSS come in GP talker sentences, 6 GLONASS in GL
// ones. A GP cycle is published alone; a GL cycle is appended to the GP satellites before it.
bool fromTalkerCycle(const json& satellite, bool glonassCycle) {
    const int system = satellite.value("gnssid", -1);
    return system == 0 || system == 1 || system == 5 || (glonassCycle && system == 6);
}

// The first message of a GPS cycle of the first signal (or of a receiver without signal numbers).
bool isNewGpsCycle(const std::string& source) {
    const std::string line = stripExtraDollars(source);
    // "$GPGSV,N,1,": the message number 1 stands at character 9.
    if (line.rfind("$GPGSV,", 0) != 0 || line.compare(8, 3, ",1,") != 0) return false;
    const size_t star = line.find('*');
    const size_t lastComma = line.rfind(',', star);
    const size_t fields = static_cast<size_t>(std::count(line.begin(), line.begin() + star, ','));
    return (fields - 3) % 4 != 1 || line.substr(lastComma + 1, star - lastComma - 1) == "1";
}

// Deliberate rule: the receiver numbers SBAS satellites 33 to 64, the displays 120 to 151.
int displayNumber(const json& satellite) {
    const int prn = satellite["PRN"];
    return satellite.value("gnssid", -1) == 1 && prn >= 33 && prn <= 64 ? prn + 87 : prn;
}

TEST_P(RealLog, SatellitesAfterEachGsvCycleMatchTheDaemonsSky) {
    size_t cursor = 0;
    int compared = 0;
    int notReported = 0;
    for (const auto& line : output_) {
        if (line["type"] != "satellites") continue;
        const std::string source = line["source"];
        const ChkEntry* entry = findChk(source, cursor);
        ASSERT_NE(entry, nullptr) << "no daemon entry for " << source;
        // The daemon may hold its sky report back until the other talker's cycle is in; then its
        // next report before the next GPS cycle is the one for this cycle. Sometimes it makes
        // none for a cycle at all: such a cycle is counted, not compared.
        const json* sky = nullptr;
        for (size_t i = cursor - 1; i < chk_.size() && sky == nullptr; ++i) {
            if (i >= cursor && isNewGpsCycle(chk_[i].source)) break;
            for (const auto& report : chk_[i].reports) {
                if (report.value("class", "") == "SKY" && report.contains("satellites")) sky = &report;
            }
        }
        if (sky == nullptr) {
            ++notReported;
            continue;
        }

        std::vector<Satellite> ours;
        for (const auto& s : line["satellites"]) {
            ours.push_back({s["prn"], s["elevation"], s["azimuth"], s["snr1"]});
        }
        const bool glonassCycle = source.rfind("$GL", 0) == 0;
        // The daemon lists a satellite once per signal; the table keeps the first signal's cycle.
        std::vector<Satellite> theirs;
        std::vector<std::pair<int, int>> listed;
        for (const auto& s : (*sky)["satellites"]) {
            if (!fromTalkerCycle(s, glonassCycle)) continue;
            const std::pair<int, int> key{s.value("gnssid", -1), s.value("svid", 0)};
            if (std::find(listed.begin(), listed.end(), key) != listed.end()) continue;
            listed.push_back(key);
            theirs.push_back({displayNumber(s), static_cast<int>(s.value("el", 0.0)),
                              static_cast<int>(s.value("az", 0.0)),
                              static_cast<int>(std::lround(s.value("ss", 0.0)))});
        }
        EXPECT_EQ(ours, theirs) << "after " << source;
        ++compared;
    }
    RecordProperty("sky_reports_compared", compared);
    RecordProperty("cycles_without_daemon_report", notReported);
    EXPECT_LE(notReported, compared) << "most cycles must be compared";
}

TEST_P(RealLog, GgaPositionsMatchTheDaemonsFix) {
    size_t cursor = 0;
    int compared = 0;
    for (const auto& line : output_) {
        if (line["type"] != "position") continue;
        const std::string source = line["source"];
        if (source.rfind("$GPGGA", 0) != 0) continue;
        ASSERT_NE(findChk(source, cursor), nullptr) << "no daemon entry for " << source;
        // The daemon reports a fix once per cycle, after whichever sentence completes it: the
        // first fix reported between this GGA and the next belongs to it.
        const json* fix = nullptr;
        for (size_t i = cursor - 1; i < chk_.size() && fix == nullptr; ++i) {
            if (i >= cursor && stripExtraDollars(chk_[i].source).rfind("$GPGGA", 0) == 0) break;
            for (const auto& report : chk_[i].reports) {
                if (report.value("class", "") == "TPV" && report.contains("lat") && !fix) fix = &report;
            }
        }
        if (fix == nullptr) continue;  // no fix in this cycle: nothing to compare
        EXPECT_NEAR(line["latitude"].get<double>(), (*fix)["lat"].get<double>(), 1e-7) << source;
        EXPECT_NEAR(line["longitude"].get<double>(), (*fix)["lon"].get<double>(), 1e-7) << source;
        const char* altitudeKey = fix->contains("altMSL") ? "altMSL" : "alt";
        if (fix->contains(altitudeKey)) {
            EXPECT_NEAR(line["altitude"].get<double>(), (*fix)[altitudeKey].get<double>(), 0.001)
                << source;
        }
        ++compared;
    }
    RecordProperty("fixes_compared", compared);
}

// Feeds the capture to a reader thread over a pseudo-terminal in chunks of `chunkBytes`.
std::vector<std::string> transcriptOverLine(const std::string& bytes, size_t chunkBytes) {
    test::PseudoTerminal pty;
    platform::SerialPort port;
    port.open(platform::fromUtf8(pty.slavePath()));
    EXPECT_TRUE(port.isOpen());
    receiver::SerialByteSource source(port);
    receiver::ReceiverReader reader(source);
    std::vector<std::string> lines;  // reader thread only, until it has stopped
    attachJsonLines(reader, {.publishOnGga = true}, [&](const std::string& l) { lines.push_back(l); });
    platform::WorkerThread thread(reader);
    while (!reader.replyEvent().exists()) platform::sleepMs(1);
    for (size_t i = 0; i < bytes.size(); i += chunkBytes) pty.send(bytes.substr(i, chunkBytes));
    // A reply after the capture marks its end: once it is in, every byte before it was read.
    pty.send("$PQELR,ACK\r\n");
    EXPECT_TRUE(reader.replyEvent().wait(60000));
    thread.requestStop();
    thread.wait(platform::kInfinite);
    return lines;
}

TEST_P(RealLog, TheTranscriptDoesNotDependOnHowTheBytesArrive) {
    std::vector<std::string> whole;
    replay(capture_, {.publishOnGga = true}, [&](const std::string& l) { whole.push_back(l); });
    const std::string bytes = lineBytesOf(capture_);
    for (const size_t chunk : {size_t{1}, size_t{7}}) {
        EXPECT_EQ(transcriptOverLine(bytes, chunk), whole) << chunk << "-byte chunks";
    }
}

INSTANTIATE_TEST_SUITE_P(Gpsd, RealLog, ::testing::ValuesIn(kNmeaLogs),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace zentrix::replay
