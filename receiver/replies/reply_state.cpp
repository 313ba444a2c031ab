#include "receiver/replies/reply_state.h"

#include <algorithm>
#include <array>

namespace zentrix::receiver {

// How a reply type is checked before its parser runs.
enum class Check : uint8_t {
    None,            // the version block carries no checksum
    Verify,          // a failing checksum changes nothing
    VerifyClearing,  // a failing checksum still clears the flag: the command side never clears it
};

struct ReplyState::Decoder {
    SentenceType type;
    bool (ReplyState::*parse)(const Sentence&);
    // Cleared before the parser runs and set when it returns true; null for types whose parser
    // sets its own flags (NRC, NTR) or that have none (QZS, BRD, RCPREF, RID).
    Flag ReplyState::*flag;
    Check check;
};

void ReplyState::parse(SentenceType type, const Sentence& sentence) {
    using T = SentenceType;
    using R = ReplyState;
    static constexpr std::array<Decoder, 37> kDecoders = {{
        // An acknowledgement whose checksum fails may have been a NAK the line corrupted: it
        // releases the waiting command, which then finds neither flag set.
        {T::Ack, &R::parseAck, nullptr, Check::Verify},
        {T::Nak, &R::parseNak, nullptr, Check::Verify},
        {T::Prt, &R::parsePrt, &R::prtReceived, Check::Verify},
        {T::Bth, &R::parseBth, &R::bthReceived, Check::Verify},
        {T::Nmo, &R::parseNmo, &R::nmoReceived, Check::Verify},
        {T::Obi, &R::parseObi, &R::obiReceived, Check::Verify},
        {T::Sba, &R::parseSba, &R::sbaReceived, Check::Verify},
        {T::Qzs, &R::parseQzs, nullptr, Check::Verify},
        {T::Glo, &R::parseGlo, &R::gloReceived, Check::Verify},
        {T::Gps, &R::parseGps, &R::gpsReceived, Check::Verify},
        {T::Cfg, &R::parseCfg, &R::cfgReceived, Check::Verify},
        {T::Pem, &R::parsePem, &R::pemReceived, Check::Verify},
        {T::A2d, &R::parseA2d, &R::a2dReceived, Check::Verify},
        {T::Anh, &R::parseAnh, &R::anhReceived, Check::Verify},
        {T::Anr, &R::parseAnr, &R::anrReceived, Check::Verify},
        {T::Anp, &R::parseAnp, &R::anpReceived, Check::VerifyClearing},
        {T::Bas, &R::parseBas, &R::basReceived, Check::Verify},
        {T::Sti, &R::parseSti, &R::stiReceived, Check::Verify},
        {T::Dri, &R::parseDri, &R::driReceived, Check::Verify},
        {T::Rec, &R::parseRec, &R::recReceived, Check::Verify},
        {T::Atl, &R::parseAtl, &R::atlReceived, Check::Verify},
        {T::Mem, &R::parseMem, &R::memReceived, Check::Verify},
        {T::Wti, &R::parseWti, &R::wtiReceived, Check::Verify},
        {T::FilCur, &R::parseFilCur, &R::fileReceived, Check::Verify},
        {T::FilPth, &R::parseFilPth, &R::pathReceived, Check::Verify},
        {T::Nrc, &R::parseNrc, nullptr, Check::Verify},
        {T::Npt, &R::parseNpt, &R::nptReceived, Check::Verify},
        {T::Brd, &R::parseBrd, nullptr, Check::Verify},
        {T::RcpRef, &R::parseRcpRef, nullptr, Check::Verify},
        {T::Rid, &R::parseRid, nullptr, Check::Verify},
        {T::Version, &R::parseVersion, &R::versionReceived, Check::None},
        {T::Mdm, &R::parseMdm, &R::mdmReceived, Check::Verify},
        {T::Dip, &R::parseDip, &R::dipReceived, Check::Verify},
        {T::Ntr, &R::parseNtr, nullptr, Check::Verify},
        {T::Cpd, &R::parseCpd, &R::cpdReceived, Check::Verify},
        {T::Rdp, &R::parseRdp, &R::rdpReceived, Check::Verify},
        // Recognised, but no reply of the receiver's: nothing to decode.
        {T::Rcp, nullptr, nullptr, Check::None},
    }};

    const auto row = std::find_if(kDecoders.begin(), kDecoders.end(),
                                  [type](const Decoder& d) { return d.type == type; });
    if (row == kDecoders.end() || row->parse == nullptr)
        return;
    if (row->check != Check::None && !verifyChecksum(sentence)) {
        if (row->check == Check::VerifyClearing)
            this->*(row->flag) = 0;
        return;
    }
    if (row->flag)
        this->*(row->flag) = 0;
    const bool decoded = (this->*(row->parse))(sentence);
    if (decoded && row->flag)
        this->*(row->flag) = 1;
}

namespace {
const std::array<ReplyState::NamedFlag, 38> kFlags = {{
    {"ackReceived", &ReplyState::ackReceived},
    {"nakReceived", &ReplyState::nakReceived},
    {"okReceived", &ReplyState::okReceived},
    {"failReceived", &ReplyState::failReceived},
    {"nrcOn", &ReplyState::nrcOn},
    {"nrcOff", &ReplyState::nrcOff},
    {"prtReceived", &ReplyState::prtReceived},
    {"bthReceived", &ReplyState::bthReceived},
    {"nmoReceived", &ReplyState::nmoReceived},
    {"obiReceived", &ReplyState::obiReceived},
    {"sbaReceived", &ReplyState::sbaReceived},
    {"gloReceived", &ReplyState::gloReceived},
    {"gpsReceived", &ReplyState::gpsReceived},
    {"cfgReceived", &ReplyState::cfgReceived},
    {"pemReceived", &ReplyState::pemReceived},
    {"a2dReceived", &ReplyState::a2dReceived},
    {"anhReceived", &ReplyState::anhReceived},
    {"anpReceived", &ReplyState::anpReceived},
    {"anrReceived", &ReplyState::anrReceived},
    {"basReceived", &ReplyState::basReceived},
    {"stiReceived", &ReplyState::stiReceived},
    {"driReceived", &ReplyState::driReceived},
    {"recReceived", &ReplyState::recReceived},
    {"atlReceived", &ReplyState::atlReceived},
    {"memReceived", &ReplyState::memReceived},
    {"wtiReceived", &ReplyState::wtiReceived},
    {"fileReceived", &ReplyState::fileReceived},
    {"pathReceived", &ReplyState::pathReceived},
    {"versionReceived", &ReplyState::versionReceived},
    {"nptReceived", &ReplyState::nptReceived},
    {"mdmReceived", &ReplyState::mdmReceived},
    {"dipReceived", &ReplyState::dipReceived},
    {"mountPointReceived", &ReplyState::mountPointReceived},
    {"ntripParametersReceived", &ReplyState::ntripParametersReceived},
    {"sourceTableReceived", &ReplyState::sourceTableReceived},
    {"cpdReceived", &ReplyState::cpdReceived},
    {"rdpReceived", &ReplyState::rdpReceived},
    {"recordingStopped", &ReplyState::recordingStopped},
}};
}  // namespace

std::span<const ReplyState::NamedFlag> ReplyState::flags() {
    return kFlags;
}

ReplyState::ReplyState()
    : sourceTableBuffer_(std::make_unique_for_overwrite<char[]>(kSourceTableBytes)) {
    sourceTableBuffer_[0] = '\0';
}

bool ReplyState::parseAck(const Sentence&) {
    ackReceived = 1;
    nakReceived = 0;
    return true;
}

bool ReplyState::parseNak(const Sentence&) {
    nakReceived = 1;
    ackReceived = 0;
    return true;
}

std::optional<platform::WideString> ReplyState::getCurrentFile() const {
    return files_.with([](const Files& f) -> std::optional<platform::WideString> {
        if (f.currentFile.view() == "NONE")
            return std::nullopt;
        return f.currentFile.wide();
    });
}

platform::WideString ReplyState::getFilePath() const {
    return files_.with([](const Files& f) { return f.filePath.wide(); });
}

FirmwareVersions ReplyState::getFirmwareVersions() const {
    return versions_.with([](const VersionTexts& v) {
        return FirmwareVersions{v.gnssFirmware.wide(), v.systemFirmware.wide(),
                                v.receiverVersion.wide()};
    });
}

ReferenceReceiver ReplyState::getReferenceReceiver() const {
    return referenceReceiver_.with([](const ReferenceRecord& r) {
        return ReferenceReceiver{r.name.wide(), r.flag};
    });
}

ModemSettings ReplyState::getModem() const {
    return modem_.with([](const ModemRecord& m) {
        ModemSettings out;
        out.state = m.state;
        out.power = m.power.wide();
        out.pin = m.pin.wide();
        out.band = m.band;
        out.protocol = m.protocol;
        out.cbs = m.cbs;
        out.apn = m.apn.wide();
        out.login = m.login.wide();
        out.password = m.password.wide();
        out.ipType = m.ipType;
        out.phoneNumber = m.phoneNumber.wide();
        out.adl = m.adl;
        return out;
    });
}

DirectIp ReplyState::getDirectIp() const {
    return directIp_.with([](const DirectIpRecord& d) {
        return DirectIp{d.address.wide(), d.port, d.user.wide(), d.password.wide()};
    });
}

NtripParameters ReplyState::getNtripParameters() const {
    return ntripParameters_.with([](const NtripRecord& n) {
        return NtripParameters{n.port, n.address.wide(), n.user.wide(), n.password.wide()};
    });
}

std::string ReplyState::getSourceTable() const {
    platform::CriticalSectionLock hold(sourceTableLock_);
    return std::string(sourceTableBuffer_.get(), sourceTableLength_);
}

}  // namespace zentrix::receiver
