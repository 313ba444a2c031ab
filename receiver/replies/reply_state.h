// The receiver's replies to commands, decoded into their groups.
//
// A command is judged only by what these parsers store: the command side clears the flags, sends,
// waits for the reply event and then looks at one flag and reads one group. Replies are not matched
// to commands, so each parser must leave its flag clear unless it really decoded a reply of its
// kind, and must never change anything for a sentence whose checksum fails. Every text the receiver
// sends is cut to the size of its field as it is stored.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/critical_section.h"
#include "platform/text.h"
#include "receiver/nmea/fixed_text.h"
#include "receiver/replies/reply_groups.h"
#include "receiver/nmea/sentence.h"
#include "receiver/nmea/sentence_framer.h"
#include "receiver/nmea/sentence_type.h"

namespace zentrix::receiver {

/// One reply group and the lock that guards it: written whole by the reader, copied whole by the
/// command side.
template <typename T>
class Guarded {
  public:
    T load() const {
        platform::CriticalSectionLock hold(lock_);
        return value_;
    }
    void store(const T& value) {
        platform::CriticalSectionLock hold(lock_);
        value_ = value;
    }
    template <typename Change>
    void update(Change&& change) {
        platform::CriticalSectionLock hold(lock_);
        change(value_);
    }
    /// Runs `read` on the group under its lock, for getters that convert what they copy.
    template <typename Read>
    auto with(Read&& read) const {
        platform::CriticalSectionLock hold(lock_);
        return read(value_);
    }

  private:
    mutable platform::CriticalSection lock_;
    T value_{};
};

/// Reader thread: `parse`. Command side (user-interface thread): the flags and the getters.
/// The flags are written before the reader sets the reply event and read after the command's wait
/// returns; they are atomics so that a wait that timed out while a reply was being stored reads a
/// clean value. The reader sets flags and never clears one another parser owns; the command side
/// clears them before it sends.
class ReplyState {
  public:
    using Flag = std::atomic<uint8_t>;

    /// The source table is stored whole, up to the size of the sentence that carries it.
    static constexpr size_t kSourceTableBytes = SentenceFramer::kSentenceBufferBytes;
    /// File names and paths, as the handheld's 260-character path buffers hold them.
    static constexpr size_t kPathChars = 259;

    ReplyState();
    ReplyState(const ReplyState&) = delete;
    ReplyState& operator=(const ReplyState&) = delete;

    /// Parses one reply of any type that is not navigation data (ACK and NAK included). Types
    /// that carry no reply are ignored.
    void parse(SentenceType type, const Sentence& sentence);

    // Acknowledgements.
    Flag ackReceived{0};
    Flag nakReceived{0};
    Flag okReceived{0};
    Flag failReceived{0};
    Flag nrcOn{0};
    Flag nrcOff{0};

    // One flag per reply type.
    Flag prtReceived{0};
    Flag bthReceived{0};
    Flag nmoReceived{0};
    Flag obiReceived{0};
    Flag sbaReceived{0};
    Flag gloReceived{0};
    Flag gpsReceived{0};
    Flag cfgReceived{0};
    Flag pemReceived{0};
    Flag a2dReceived{0};
    Flag anhReceived{0};
    Flag anpReceived{0};
    Flag anrReceived{0};
    Flag basReceived{0};
    Flag stiReceived{0};
    Flag driReceived{0};
    Flag recReceived{0};
    Flag atlReceived{0};
    Flag memReceived{0};
    Flag wtiReceived{0};
    Flag fileReceived{0};
    Flag pathReceived{0};
    Flag versionReceived{0};
    Flag nptReceived{0};
    Flag mdmReceived{0};
    Flag dipReceived{0};
    Flag mountPointReceived{0};
    Flag ntripParametersReceived{0};
    Flag sourceTableReceived{0};
    Flag cpdReceived{0};
    Flag rdpReceived{0};
    /// Set when a recording report says the recording stopped; only the command side clears it.
    Flag recordingStopped{0};

    /// Every flag above by its name, in declaration order: the command side clears them from
    /// this list before it sends (with the exceptions it knows), and logs can name them.
    struct NamedFlag {
        std::string_view name;
        Flag ReplyState::*flag;
    };
    static std::span<const NamedFlag> flags();

    // The getters: each copies its group whole under the group's lock.
    ReceiverPort getReceiverPort() const { return receiverPort_.load(); }
    platform::WideString getBluetoothValue() const { return wideOf(bluetooth_); }
    MessageOutputs getMessageOutputs() const { return messageOutputs_.load(); }
    ObservationStatus getObservationStatus() const { return observation_.load(); }
    uint8_t getSbas() const { return sbasOn_.load(); }
    uint8_t getQzss() const { return qzssOn_.load(); }
    uint8_t getGlonass() const { return glonassOn_.load(); }
    uint8_t getGps() const { return gpsOn_.load(); }
    uint32_t getSignalConfig() const { return signalConfig_.load(); }
    uint32_t getElevationMask() const { return elevationMaskDegrees_.load(); }
    A2dState getA2d() const { return a2d_.load(); }
    AntennaHeight getAntennaHeight() const { return antennaHeight_.load(); }
    uint32_t getAntennaReduction() const { return antennaReduction_.load(); }
    platform::WideString getAntennaName() const { return wideOf(antennaName_); }
    BaseOutput getBaseOutput() const { return baseOutput_.load(); }
    platform::WideString getStationId() const { return wideOf(stationId_); }
    double getRecordingInterval() const { return recordingIntervalSeconds_.load(); }
    uint8_t getRecording() const { return recording_.load(); }
    AutoLogging getAutoLogging() const { return autoLogging_.load(); }
    uint32_t getMemory() const { return memory_.load(); }
    uint32_t getWtiValue() const { return wtiValue_.load(); }
    /// The receiver's current data file; nothing when it reports "NONE" (no file open).
    std::optional<platform::WideString> getCurrentFile() const;
    platform::WideString getFilePath() const;
    platform::WideString getRecorderFile() const { return wideOf(recorderFile_); }
    FirmwareVersions getFirmwareVersions() const;
    NptSettings getNpt() const { return npt_.load(); }
    Bridge getBridge() const { return bridge_.load(); }
    ReferenceReceiver getReferenceReceiver() const;
    uint32_t getReceiverFamily() const { return receiverFamily_.load(); }
    ModemSettings getModem() const;
    DirectIp getDirectIp() const;
    NtripParameters getNtripParameters() const;
    platform::WideString getMountPoint() const { return wideOf(mountPoint_); }
    /// The source table as received: the last letter of "TBL", the line end, then the caster's
    /// table from "SOURCETABLE" through "ENDSOURCETABLE" and its line end.
    std::string getSourceTable() const;
    Differential getDifferential() const { return differential_.load(); }
    RadioSettings getRadio() const { return radio_.load(); }

  private:
    struct Decoder;
    struct Files {
        FixedText<kPathChars> currentFile;
        FixedText<kPathChars> filePath;
    };
    struct VersionTexts {
        FixedText<10> gnssFirmware;
        FixedText<10> systemFirmware;
        FixedText<10> receiverVersion;
    };
    struct ReferenceRecord {
        FixedText<31> name;
        uint8_t flag = 0;
    };
    struct ModemRecord {
        uint32_t state = 0;
        FixedText<3> power;
        FixedText<8> pin;
        char band = 0;
        char protocol = 0;
        char cbs = 0;
        FixedText<32> apn;
        FixedText<32> login;
        FixedText<32> password;
        char ipType = 0;
        FixedText<20> phoneNumber;
        char adl = 0;
    };
    struct DirectIpRecord {
        FixedText<35> address;
        uint32_t port = 0;
        FixedText<32> user;
        FixedText<32> password;
    };
    struct NtripRecord {
        int32_t port = 0;
        FixedText<32> address;
        FixedText<32> user;
        FixedText<33> password;
    };

    template <size_t N>
    static platform::WideString wideOf(const Guarded<FixedText<N>>& text) {
        return text.with([](const FixedText<N>& t) { return t.wide(); });
    }

    // Each parser returns true when the reply was decoded and its flag may be set; the checksum
    // and the clearing of the flag are done once, in `parse`.
    bool parseAck(const Sentence& s);
    bool parseNak(const Sentence& s);
    // Ports, outputs, constellations and antenna.
    bool parsePrt(const Sentence& s);
    bool parseBth(const Sentence& s);
    bool parseNmo(const Sentence& s);
    bool parseObi(const Sentence& s);
    bool parseSba(const Sentence& s);
    bool parseQzs(const Sentence& s);
    bool parseGlo(const Sentence& s);
    bool parseGps(const Sentence& s);
    bool parseCfg(const Sentence& s);
    bool parsePem(const Sentence& s);
    bool parseA2d(const Sentence& s);
    bool parseAnh(const Sentence& s);
    bool parseAnr(const Sentence& s);
    bool parseAnp(const Sentence& s);
    bool parseBas(const Sentence& s);
    bool parseSti(const Sentence& s);
    // Recording, files and identity.
    bool parseDri(const Sentence& s);
    bool parseRec(const Sentence& s);
    bool parseAtl(const Sentence& s);
    bool parseMem(const Sentence& s);
    bool parseWti(const Sentence& s);
    bool parseFilCur(const Sentence& s);
    bool parseFilPth(const Sentence& s);
    bool parseNrc(const Sentence& s);
    bool parseNpt(const Sentence& s);
    bool parseBrd(const Sentence& s);
    bool parseRcpRef(const Sentence& s);
    bool parseRid(const Sentence& s);
    bool parseVersion(const Sentence& s);
    // Data links: modem, direct IP, NTRIP, differential mode and radio.
    bool parseMdm(const Sentence& s);
    bool parseDip(const Sentence& s);
    bool parseNtr(const Sentence& s);
    bool parseCpd(const Sentence& s);
    bool parseRdp(const Sentence& s);

    Guarded<ReceiverPort> receiverPort_;
    Guarded<FixedText<5>> bluetooth_;
    Guarded<MessageOutputs> messageOutputs_;
    Guarded<ObservationStatus> observation_;
    Guarded<uint8_t> sbasOn_;
    Guarded<uint8_t> qzssOn_;
    Guarded<uint8_t> glonassOn_;
    Guarded<uint8_t> gpsOn_;
    Guarded<uint32_t> signalConfig_;
    Guarded<uint32_t> elevationMaskDegrees_;
    Guarded<A2dState> a2d_;
    Guarded<AntennaHeight> antennaHeight_;
    Guarded<uint32_t> antennaReduction_;
    Guarded<FixedText<31>> antennaName_;
    Guarded<BaseOutput> baseOutput_;
    Guarded<FixedText<4>> stationId_;
    Guarded<double> recordingIntervalSeconds_;
    Guarded<uint8_t> recording_;
    Guarded<AutoLogging> autoLogging_;
    Guarded<uint32_t> memory_;
    Guarded<uint32_t> wtiValue_;
    Guarded<Files> files_;
    Guarded<FixedText<kPathChars>> recorderFile_;
    Guarded<VersionTexts> versions_;
    Guarded<NptSettings> npt_;
    Guarded<Bridge> bridge_;
    Guarded<ReferenceRecord> referenceReceiver_;
    Guarded<uint32_t> receiverFamily_;
    Guarded<ModemRecord> modem_;
    Guarded<DirectIpRecord> directIp_;
    Guarded<NtripRecord> ntripParameters_;
    Guarded<FixedText<100>> mountPoint_;
    Guarded<Differential> differential_;
    Guarded<RadioSettings> radio_;

    // The source table is too large for a value group: a buffer allocated once, with its length.
    mutable platform::CriticalSection sourceTableLock_;
    std::unique_ptr<char[]> sourceTableBuffer_;
    size_t sourceTableLength_ = 0;
};

}  // namespace zentrix::receiver
