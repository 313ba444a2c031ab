// The survey receiver board: its command language, its settings and what it streams.
//
// A command is one line: "$PQELS,KEY,..." sets, "$PQELQ,KEY,..." asks. The board answers a set
// with "$PQELR,ACK" or "$PQELR,NAK" (some later report their real outcome with "OK" or "FAIL"
// in a reply of their own), and a query with a "$PQELR,KEY,..." reply in the form the handheld
// decodes. Anything it does not know is NAKed. Its settings live in `BoardState`, which a test
// may read and change through the simulator.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "tools/sim/sim_peer.h"
#include "tools/sim/sky.h"

namespace zentrix::sim {

/// The receiver's serial ports, in the order of their letters A to F and O.
inline constexpr std::array<char, 7> kBoardPorts = {'A', 'B', 'C', 'D', 'E', 'F', 'O'};

/// Baud codes 0 to 9 of the receiver's ports.
inline constexpr std::array<uint32_t, 10> kBaudOfCode = {300,  600,   1200,  2400,  4800,
                                                         9600, 19200, 38400, 57600, 115200};
/// The code of a baud rate; -1 when the receiver has none.
int baudCodeOf(uint32_t baud);

enum class ModemState { None = 0, Off = 1, On = 2, Init = 3, Dialing = 4, Online = 5 };

struct MessageOutput {
    std::string name;  // "GGA", "SGP", ...
    double intervalSeconds = 1.0;
};

struct RadioSettings {
    /// The port's radio type as the board holds it: PDL, ADL, XDL, KVL, MDL, LFE, LFA, NONE, or
    /// UNKNOWN from a clear until detection has found the radio again.
    std::string type = "NONE";
    int channel = 1;
    std::string control = "AUT";  // power mode: AUT, MAN
    int protocol = 1;             // 0 transparent ... 8
    std::string airBaud = "9600";
    std::string sensitivity = "MED";
    std::string spacing = "25";  // kHz: 12.5, 25
    std::string modulation = "GMSK";
    /// The channel table's count; 0 gives the usual count of the type (see `radioChannels`).
    int table = 0;
};

/// A radio wired to one of the board's ports.
struct FittedRadio {
    /// What detection finds: PDL, ADL, XDL, KVL, MDL, LFE or LFA.
    std::string model = "PDL";
    /// False for a radio that cannot tell its model: its port's type reads NONE, while its
    /// parameters report the power it has.
    bool tellsModel = true;
    /// Its channel table's count; 0 for the usual count of its model.
    int channels = 0;
};

/// The channel count of a radio type's table: 32 for ADL and XDL, 3 for LFE, 50 for LFA, 16 for
/// the others; 0 for NONE and UNKNOWN.
int radioChannels(const std::string& type);

struct BoardState {
    bool poweredOff = false;
    // Tracking.
    bool gps = true, glonass = true, sbas = true, qzss = false;
    std::string signalConfig = "DSL";
    int elevationMaskDegrees = 10;
    bool lcs = false;
    int dynamics = 0;
    // Antenna.
    double antennaHeightMetres = 1.500;
    char antennaHeightType = 'V';
    std::string antennaReduction = "ON";
    std::string antennaName = "ADVNULLANTENNA";
    bool antennaOutput = false;
    // Ports: the handheld is wired to `handheldPort`; baud codes per port letter.
    char handheldPort = 'A';
    std::map<char, int> baudCodes;
    std::map<char, bool> portOn;
    std::map<char, std::vector<MessageOutput>> outputs;
    int nptFirst = 0, nptSecond = 1;
    std::string bluetoothPort = "COM7";
    // Base and differential.
    char basePort1 = 'B', basePort2 = 0;
    std::string baseFormat1 = "RT3", baseFormat2;
    std::string differentialMode = "ROV";
    int differentialValue = 1;
    double referenceLatitude = 47.3870, referenceLongitude = 8.5270, referenceHeight = 460.0;
    std::string referenceReceiverName = "ZX-BASE";
    bool referenceReceiverFlag = false;
    bool bridge = false;
    int bridgeNumber = 0;
    // Radio: one power switch for the board's radios, the settings per port letter, and the
    // radios actually wired to it (detection finds those; see `SurveyBoard::fitRadio`).
    bool radioOn = false;
    std::map<char, RadioSettings> radios;
    std::map<char, FittedRadio> fittedRadios;
    // Modem. ONLINE while a data call is through or a direct IP or caster link is up; the call
    // and the Internet links never share it.
    ModemState modem = ModemState::Off;
    std::string modemPin, modemPhone = "0041441234567", modemApn = "internet", modemLogin,
                          modemPassword;
    char modemBand = '0', modemProtocol = '1', modemCbs = '0', modemIpType = '0', modemAdl = 'N';
    // Direct IP.
    std::string dipAddress = "0.0.0.0", dipLogin, dipPassword;
    int dipPort = 0;
    bool dipConnected = false;
    // NTRIP client. `mountPoint` is the stream asked for (empty: none, which the query reports
    // as "OFF"); `mountConnected` once the caster has accepted it.
    std::string ntripAddress = "euref-ip.net", ntripLogin = "anonymous", ntripPassword;
    int ntripPort = 2101, ntripType = 0;
    std::string mountPoint;
    bool mountConnected = false;
    /// Hosts the modem cannot reach: a direct IP server or caster there refuses every connect,
    /// as do names under ".invalid", which never resolve.
    std::vector<std::string> unreachableHosts;
    /// Some boards keep trying a refused direct IP server or caster (every 10 s) until told
    /// "OFF": a program that leaves a failed link so finds it up later.
    bool retriesRefusedLinks = false;
    bool sourceTableLoaded = false;
    // Recording.
    bool recording = false;
    std::string currentFile = "NONE";
    std::string filePath = "\\Data";
    bool recorderOn = false;
    std::string recorderFile = "REC00001.RAW";
    double recordingIntervalSeconds = 1.0;
    int memory = 0;
    bool autoLogging = false;
    int autoLoggingNumber = 0;
    bool autoLoggingRing = true;
    std::string stationId = "ZX01";
    int sessions = 0;
    // Identification.
    std::string productCode = "QG30";
    std::string identifier = "2519GU001234";
    std::string receiverVersion = "ZX-SIM 2.1";
    std::string systemFirmware = "3.40.12";
    std::string gnssFirmware = "5.20.3";

    /// A GSM data call is dialling or through (the modem is not free for a direct IP or caster
    /// link).
    bool callActive() const {
        return modem == ModemState::Dialing ||
               (modem == ModemState::Online && !dipConnected && !mountConnected);
    }
    /// Any correction link is up: a call through, a direct IP server or a caster.
    bool linkUp() const { return modem == ModemState::Online || dipConnected || mountConnected; }
};

struct BoardOptions {
    Place place;
    uint32_t seed = 1;
    /// The caster's table served after "$PQELS,NTR,LOD", from this file when one is named, else
    /// `sourceTableText`; nothing (or an unreadable file) means the download fails.
    std::filesystem::path sourceTable;
    std::string sourceTableText;
    /// UTC at the simulator's start in seconds since 1970; 0 takes the system time.
    double startUtcSeconds = 0;
    /// The rate of the port the handheld is wired to, until a command changes it.
    uint32_t baudRate = 57600;
    /// The radios wired to the board, by port letter: out of the box a PDL on port D.
    std::map<char, FittedRadio> radios = {{'D', FittedRadio{}}};
    /// The board powers its radios at start.
    bool radioOn = false;
    /// See `BoardState::retriesRefusedLinks`.
    bool retriesRefusedLinks = false;
    /// The port the handheld is wired to.
    char handheldPort = 'A';
};

class SurveyBoard : public SimPeer {
  public:
    explicit SurveyBoard(BoardOptions options);

    void receive(const uint8_t* bytes, size_t count, SimLine& line) override;
    void tick(SimLine& line) override;
    uint32_t baudRate() const override;

    BoardState& state() { return state_; }
    const BoardState& state() const { return state_; }
    /// Wires `radio` to `port`: the port's type becomes what detection would find.
    void fitRadio(char port, const FittedRadio& radio);
    /// Takes the radio off `port`; the type the port holds stays until it is set or cleared.
    void removeRadio(char port);
    /// Moves the handheld's line to `port`, with its rate and messages: an external receiver
    /// reached another way leaves port A to a radio or another device, whose rate may then change
    /// without cutting the line.
    void wireHandheldTo(char port);
    /// True while corrections reach the rover (a dial, a caster, a direct IP server or the radio).
    bool correctionsFlowing() const;
    /// The last solution streamed (for the live view and tests).
    const Solution& lastSolution() const { return solution_; }
    const std::vector<SkySatellite>& lastSky() const { return sky_; }

    /// Answers one command line (without its line end). Public for the command console of tests.
    void handleCommand(const std::string& line, SimLine& out);

    struct Command;  // board_command.h
    using Handler = void (SurveyBoard::*)(const Command&, SimLine&);

  private:
    // Replies.
    void reply(SimLine& out, const std::string& body);
    void ack(SimLine& out) { reply(out, "$PQELR,ACK"); }
    void nak(SimLine& out) { reply(out, "$PQELR,NAK"); }
    void later(SimLine& out, uint64_t delayMs, std::function<void(SimLine&)> action);
    /// Runs the handler of the command's row; NAK when no row fits.
    void dispatch(const Command& command, SimLine& out);

    // Set commands.
    void setSwitch(const Command&, SimLine&);
    void setSignalConfig(const Command&, SimLine&);
    void setElevationMask(const Command&, SimLine&);
    void setOnOffOnly(const Command&, SimLine&);
    void setNumbersOnly(const Command&, SimLine&);
    void setPosition(const Command&, SimLine&);
    void setReset(const Command&, SimLine&);
    void setPower(const Command&, SimLine&);
    void setAntennaHeight(const Command&, SimLine&);
    void setAntennaReduction(const Command&, SimLine&);
    void setAntennaName(const Command&, SimLine&);
    void setPort(const Command&, SimLine&);
    void setPortMode(const Command&, SimLine&);
    void setNmea(const Command&, SimLine&);
    void setBluetooth(const Command&, SimLine&);
    void setBase(const Command&, SimLine&);
    void setDifferential(const Command&, SimLine&);
    void setMessageType(const Command&, SimLine&);
    void setReferenceReceiver(const Command&, SimLine&);
    void setBridge(const Command&, SimLine&);
    void setRecording(const Command&, SimLine&);
    void setRecorder(const Command&, SimLine&);
    void setFilePath(const Command&, SimLine&);
    void setInterval(const Command&, SimLine&);
    void setMemory(const Command&, SimLine&);
    void setAutoLogging(const Command&, SimLine&);
    void setStationId(const Command&, SimLine&);
    void setNpt(const Command&, SimLine&);
    // Queries.
    void querySwitch(const Command&, SimLine&);
    void querySimple(const Command&, SimLine&);
    void queryDifferential(const Command&, SimLine&);
    void queryVersion(const Command&, SimLine&);
    void queryPort(const Command&, SimLine&);
    void queryOutputs(const Command&, SimLine&);
    void queryFile(const Command&, SimLine&);
    void queryRecorder(const Command&, SimLine&);

    // Correction links (board_links.cpp).
    void setRadio(const Command&, SimLine&);
    void queryRadio(const Command&, SimLine&);
    void setModem(const Command&, SimLine&);
    void queryModem(const Command&, SimLine&);
    void setDirectIp(const Command&, SimLine&);
    void setNtrip(const Command&, SimLine&);
    void queryNtrip(const Command&, SimLine&);
    std::string sourceTableReply() const;
    bool mountPointKnown(const std::string& name) const;
    /// Whether the modem could open an Internet link to `host` now.
    bool reachable(const std::string& host, SimLine& line) const;
    /// The modem state that follows from the links after one of them changed.
    void settleModem();
    void detectRadio(char port);
    /// Opens the link asked for by `attempt` if it is still the latest and the host answers.
    bool openDirectIp(uint32_t attempt, SimLine& line);
    bool openMount(uint32_t attempt, const std::string& name, SimLine& line);
    /// Tries a refused link again later, when the board does (`retriesRefusedLinks`).
    void retryDirectIp(uint32_t attempt, SimLine& line);
    void retryMount(uint32_t attempt, const std::string& name, SimLine& line);

    // Streaming (board_stream.cpp).
    void streamDue(SimLine& out, uint64_t nowMs);
    void updateEpoch(uint64_t nowMs);
    std::string sentence(SimLine& out, const std::string& body) const;
    void writeMessage(const std::string& name, SimLine& out);

    struct CommandRow;
    static std::span<const CommandRow> commandTable();

    BoardOptions options_;
    BoardState state_;
    Sky sky_model_;
    Navigator navigator_;
    std::vector<SkySatellite> sky_;
    Solution solution_;
    double utcSeconds_ = 0;  // of the current epoch
    double gpsSeconds_ = 0;
    uint64_t startMs_ = 0;
    bool started_ = false;
    uint64_t obiResetMs_ = 0;
    uint32_t epochs_ = 0;
    /// When each message of the handheld's port leaves next; `kAtNextEpoch` for one just enabled.
    std::map<std::string, uint64_t> nextDueMs_;
    static constexpr uint64_t kAtNextEpoch = UINT64_MAX;
    std::string input_;
    bool inputOverflow_ = false;
    struct Pending {
        uint64_t dueMs;
        std::function<void(SimLine&)> action;
    };
    std::vector<Pending> pending_;
    uint64_t nowMs_ = 0;
    // Each new call, direct IP connect or mount point outdates what the previous one left to
    // finish later.
    uint32_t callAttempt_ = 0, directIpAttempt_ = 0, mountAttempt_ = 0;
};

}  // namespace zentrix::sim
