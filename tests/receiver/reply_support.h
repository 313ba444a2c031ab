// Feeding replies to a `ReplyState` the way the reader does: framed first, so that every test also
// goes through the header table and the framer's refinements.
#pragma once

#include <sstream>
#include <string>
#include <string_view>

#include "platform/text.h"
#include "receiver/reply_state.h"
#include "receiver/sentence_framer.h"
#include "tests/support/nmea.h"

namespace zentrix::receiver::test {

using zentrix::test::withChecksum;

inline std::string utf8(const platform::WideString& text) {
    return platform::toUtf8(text);
}

/// A reply state fed through a framer.
class Replies {
  public:
    /// Frames `bytes` and parses the first complete sentence; the framed type, or Unknown when
    /// nothing was complete.
    SentenceType receive(std::string_view bytes, size_t bufferBytes = 4096) {
        SentenceFramer framer(bufferBytes);
        for (const char c : bytes) {
            if (framer.feed(static_cast<uint8_t>(c)) == SentenceFramer::Feed::Complete) {
                state.parse(framer.type(), framer.sentence());
                return framer.type();
            }
        }
        if (framer.idle()) {
            state.parse(framer.type(), framer.sentence());
            return framer.type();
        }
        return SentenceType::Unknown;
    }
    /// `body` ("$PQELR,PRT,A,5") with its checksum and line end.
    SentenceType reply(std::string_view body) { return receive(withChecksum(body)); }

    ReplyState state;
};

/// `body` with its checksum, then the last checksum digit changed.
inline std::string withBadChecksum(std::string_view body) {
    std::string s = withChecksum(body);
    char& digit = s[s.size() - 3];
    digit = digit == '0' ? '1' : '0';
    return s;
}

/// Every flag and every group of a reply state as one text, to compare states whole.
inline std::string snapshot(const ReplyState& r) {
    std::ostringstream out;
    const auto flags = {&ReplyState::ackReceived,
                        &ReplyState::nakReceived,
                        &ReplyState::okReceived,
                        &ReplyState::failReceived,
                        &ReplyState::nrcOn,
                        &ReplyState::nrcOff,
                        &ReplyState::prtReceived,
                        &ReplyState::bthReceived,
                        &ReplyState::nmoReceived,
                        &ReplyState::obiReceived,
                        &ReplyState::sbaReceived,
                        &ReplyState::gloReceived,
                        &ReplyState::gpsReceived,
                        &ReplyState::cfgReceived,
                        &ReplyState::pemReceived,
                        &ReplyState::a2dReceived,
                        &ReplyState::anhReceived,
                        &ReplyState::anpReceived,
                        &ReplyState::anrReceived,
                        &ReplyState::basReceived,
                        &ReplyState::stiReceived,
                        &ReplyState::driReceived,
                        &ReplyState::recReceived,
                        &ReplyState::atlReceived,
                        &ReplyState::memReceived,
                        &ReplyState::wtiReceived,
                        &ReplyState::fileReceived,
                        &ReplyState::pathReceived,
                        &ReplyState::versionReceived,
                        &ReplyState::nptReceived,
                        &ReplyState::mdmReceived,
                        &ReplyState::dipReceived,
                        &ReplyState::mountPointReceived,
                        &ReplyState::ntripParametersReceived,
                        &ReplyState::sourceTableReceived,
                        &ReplyState::cpdReceived,
                        &ReplyState::rdpReceived,
                        &ReplyState::recordingStopped};
    out << "flags";
    for (const auto flag : flags) out << ' ' << int((r.*flag).load());
    const auto port = r.getReceiverPort();
    out << "\nprt " << port.portIndex << ' ' << port.baudCode;
    out << "\nbth " << utf8(r.getBluetoothValue());
    const auto outputs = r.getMessageOutputs();
    out << "\nnmo " << outputs.count;
    for (const auto& e : outputs.entries) out << ' ' << e.messageCode << '/' << e.intervalSeconds;
    const auto obi = r.getObservationStatus();
    out << "\nobi " << obi.timeOfDaySeconds << ' ' << obi.value << ' ' << obi.count;
    out << "\nswitches " << int(r.getSbas()) << int(r.getQzss()) << int(r.getGlonass())
        << int(r.getGps());
    out << "\ncfg " << r.getSignalConfig() << " pem " << r.getElevationMask();
    const auto a2d = r.getA2d();
    out << "\na2d " << int(a2d.valid) << int(a2d.firstSwitch) << int(a2d.secondSwitch);
    const auto anh = r.getAntennaHeight();
    out << "\nanh " << anh.heightType << ' ' << anh.heightMetres;
    out << "\nanr " << r.getAntennaReduction() << " anp " << utf8(r.getAntennaName());
    const auto bas = r.getBaseOutput();
    out << "\nbas " << bas.port1 << bas.format1 << bas.port2 << bas.format2;
    out << "\nsti " << utf8(r.getStationId()) << " dri " << r.getRecordingInterval();
    out << "\nrec " << int(r.getRecording());
    const auto atl = r.getAutoLogging();
    out << "\natl " << atl.on << ' ' << atl.number << ' ' << atl.ring;
    out << "\nmem " << r.getMemory() << " wti " << r.getWtiValue();
    out << "\nfile " << utf8(r.getCurrentFile().value_or(u"<NONE>")) << " path "
        << utf8(r.getFilePath()) << " recorder " << utf8(r.getRecorderFile());
    const auto versions = r.getFirmwareVersions();
    out << "\nversions " << utf8(versions.gnssFirmware) << '|' << utf8(versions.systemFirmware)
        << '|' << utf8(versions.receiverVersion);
    const auto npt = r.getNpt();
    out << "\nnpt " << int(npt.first) << int(npt.second);
    const auto brd = r.getBridge();
    out << "\nbrd " << brd.on << ' ' << brd.number;
    const auto ref = r.getReferenceReceiver();
    out << "\nref " << utf8(ref.name) << ' ' << int(ref.flag);
    out << "\nfamily " << r.getReceiverFamily();
    const auto m = r.getModem();
    out << "\nmdm " << m.state << ' ' << utf8(m.power) << '|' << utf8(m.pin) << '|' << int(m.band)
        << '|' << int(m.protocol) << '|' << int(m.cbs) << '|' << utf8(m.apn) << '|' << utf8(m.login)
        << '|' << utf8(m.password) << '|' << int(m.ipType) << '|' << utf8(m.phoneNumber) << '|'
        << int(m.adl);
    const auto dip = r.getDirectIp();
    out << "\ndip " << utf8(dip.address) << ' ' << dip.port << ' ' << utf8(dip.user) << ' '
        << utf8(dip.password);
    const auto ntrip = r.getNtripParameters();
    out << "\nntrip " << ntrip.port << ' ' << utf8(ntrip.address) << ' ' << utf8(ntrip.user) << ' '
        << utf8(ntrip.password);
    out << "\nmtp " << utf8(r.getMountPoint()) << "\ntable " << r.getSourceTable();
    const auto cpd = r.getDifferential();
    out << "\ncpd " << cpd.mode << ' ' << cpd.secondValue << ' ' << cpd.referenceLatitude << ' '
        << cpd.referenceLongitude << ' ' << cpd.referenceHeight;
    const auto radio = r.getRadio();
    out << "\nrdp " << radio.port << ' ' << radio.radioType << ' ' << radio.power << ' '
        << radio.airBaud << ' ' << radio.sensitivity << ' ' << radio.level << ' ' << radio.control
        << ' ' << radio.tableNumber << ' ' << radio.channel << ' ' << radio.spacing << ' '
        << radio.modulation;
    return out.str();
}

}  // namespace zentrix::receiver::test
