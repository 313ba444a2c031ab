// Feeding replies to a `ReplyState` as the reader does (framed first, so every case also goes
// through the header table), and describing the state as text: one line per group and the names of
// the flags that are set, so that a case is one row of expected text.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"
#include "receiver/replies/reply_state.h"
#include "receiver/nmea/sentence_framer.h"
#include "tests/support/nmea.h"

namespace zentrix::receiver::test {

using zentrix::test::withChecksum;

inline std::string utf8(const platform::WideString& text) {
    return platform::toUtf8(text);
}
/// A text as a transcript shows it: "-" when empty, so that every field stays in its column.
inline std::string shown(const platform::WideString& text) {
    return text.empty() ? "-" : utf8(text);
}

/// A reply state fed through a framer.
class Replies {
  public:
    /// Frames `bytes` and parses the first complete sentence: its type, or Unknown.
    SentenceType receive(std::string_view bytes, size_t bufferBytes = 4096) {
        SentenceFramer framer(bufferBytes);
        for (const char c : bytes) {
            if (framer.feed(static_cast<uint8_t>(c)) == SentenceFramer::Feed::Complete) {
                state.parse(framer.type(), framer.sentence());
                return framer.type();
            }
        }
        if (!framer.idle())
            return SentenceType::Unknown;
        state.parse(framer.type(), framer.sentence());
        return framer.type();
    }
    /// A body ("$PQELR,PRT,A,5") gets its checksum and line end; text that ends in a line feed
    /// (a version block, a garbled reply) goes as it is.
    SentenceType reply(std::string_view text) {
        return text.ends_with('\n') ? receive(text) : receive(withChecksum(text));
    }

    ReplyState state;
};

/// `body` with its checksum, then the last checksum digit changed.
inline std::string withBadChecksum(std::string_view body) {
    std::string s = withChecksum(body);
    s[s.size() - 3] = s[s.size() - 3] == '0' ? '1' : '0';
    return s;
}

/// The names of the flags that are set, in declaration order.
inline std::string setFlags(const ReplyState& r) {
    std::string names;
    for (const auto& [name, flag] : ReplyState::flags()) {
        if ((r.*flag).load())
            names += (names.empty() ? "" : " ") + std::string(name);
    }
    return names;
}

/// Every group as "key values", by key.
inline std::map<std::string, std::string> describe(const ReplyState& r) {
    std::map<std::string, std::string> g;
    const auto line = [](auto&&... values) {
        std::ostringstream out;
        ((out << values << ' '), ...);
        std::string text = out.str();
        text.pop_back();
        return text;
    };
    const auto port = r.getReceiverPort();
    g["prt"] = line(port.portIndex, port.baudCode);
    g["bth"] = shown(r.getBluetoothValue());
    const auto outputs = r.getMessageOutputs();
    std::ostringstream nmo;
    nmo << outputs.count;
    for (uint32_t i = 0; i < outputs.entries.size(); ++i) {
        const auto& e = outputs.entries[i];
        if (i < outputs.count)
            nmo << ' ' << e.messageCode << '/' << e.intervalSeconds;
        if (i >= outputs.count && (e.messageCode || e.intervalSeconds))
            nmo << " stale";
    }
    g["nmo"] = nmo.str();
    const auto obi = r.getObservationStatus();
    g["obi"] = line(obi.timeOfDaySeconds, obi.value, obi.count);
    g["sba"] = line(int(r.getSbas()));
    g["qzs"] = line(int(r.getQzss()));
    g["glo"] = line(int(r.getGlonass()));
    g["gps"] = line(int(r.getGps()));
    g["cfg"] = line(r.getSignalConfig());
    g["pem"] = line(r.getElevationMask());
    const auto a2d = r.getA2d();
    g["a2d"] = line(int(a2d.valid), int(a2d.firstSwitch), int(a2d.secondSwitch));
    const auto anh = r.getAntennaHeight();
    g["anh"] = line(anh.heightType, anh.heightMetres);
    g["anr"] = line(r.getAntennaReduction());
    g["anp"] = shown(r.getAntennaName());
    const auto bas = r.getBaseOutput();
    g["bas"] = line(bas.port1, bas.format1, bas.port2, bas.format2);
    g["sti"] = shown(r.getStationId());
    g["dri"] = line(r.getRecordingInterval());
    g["rec"] = line(int(r.getRecording()));
    const auto atl = r.getAutoLogging();
    g["atl"] = line(atl.on, atl.number, atl.ring);
    g["mem"] = line(r.getMemory());
    g["wti"] = line(r.getWtiValue());
    g["file"] = utf8(r.getCurrentFile().value_or(u"(none)"));
    g["path"] = shown(r.getFilePath());
    g["recorder"] = shown(r.getRecorderFile());
    const auto v = r.getFirmwareVersions();
    g["versions"] =
        utf8(v.gnssFirmware) + "|" + utf8(v.systemFirmware) + "|" + utf8(v.receiverVersion);
    const auto npt = r.getNpt();
    g["npt"] = line(int(npt.first), int(npt.second));
    const auto brd = r.getBridge();
    g["brd"] = line(brd.on, brd.number);
    const auto ref = r.getReferenceReceiver();
    g["ref"] = line(shown(ref.name), int(ref.flag));
    g["family"] = line(r.getReceiverFamily());
    const auto m = r.getModem();
    const auto c = [](char ch) { return ch ? std::string(1, ch) : std::string("-"); };
    g["mdm"] = line(m.state, shown(m.power), shown(m.pin), c(m.band), c(m.protocol), c(m.cbs),
                    shown(m.apn), shown(m.login), shown(m.password), c(m.ipType),
                    shown(m.phoneNumber), c(m.adl));
    const auto dip = r.getDirectIp();
    g["dip"] = line(shown(dip.address), dip.port, shown(dip.user), shown(dip.password));
    const auto ntrip = r.getNtripParameters();
    g["ntrip"] = line(shown(ntrip.address), ntrip.port, shown(ntrip.user), shown(ntrip.password));
    g["mtp"] = shown(r.getMountPoint());
    g["table"] = r.getSourceTable();
    const auto cpd = r.getDifferential();
    g["cpd"] = line(cpd.mode, cpd.secondValue, cpd.referenceLatitude, cpd.referenceLongitude,
                    cpd.referenceHeight);
    const auto rdp = r.getRadio();
    g["rdp"] = line(rdp.port, rdp.radioType, rdp.power, rdp.airBaud, rdp.sensitivity, rdp.level,
                    rdp.control, rdp.tableNumber, rdp.channel, rdp.spacing, rdp.modulation);
    return g;
}

/// The whole state as one text.
inline std::string snapshot(const ReplyState& r) {
    std::string all = "flags " + setFlags(r);
    for (const auto& [key, value] : describe(r)) all += "\n" + key + " " + value;
    return all;
}

/// One row of a transcript: replies fed in order to a fresh state, then the flags that are set
/// and the line of one group ("prt 4 5": the group key, then its values).
struct ReplyCase {
    const char* legend;
    std::vector<std::string> replies;
    std::string flags;
    std::string group;
};

inline void expectTranscript(const std::vector<ReplyCase>& cases) {
    for (const ReplyCase& c : cases) {
        Replies r;
        for (const std::string& reply : c.replies) r.reply(reply);
        const std::string key = c.group.substr(0, c.group.find(' '));
        const auto groups = describe(r.state);
        ASSERT_TRUE(groups.count(key)) << c.legend << ": no group " << key;
        EXPECT_EQ(setFlags(r.state), c.flags) << c.legend;
        EXPECT_EQ(key + " " + groups.at(key), c.group) << c.legend;
    }
}

}  // namespace zentrix::receiver::test
