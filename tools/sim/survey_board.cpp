// The survey board's command table, its settings and the replies that read them back. The
// correction links (radio, modem, direct IP, NTRIP) are in board_links.cpp.
#include "tools/sim/survey_board.h"

#include <time.h>

#include <algorithm>
#include <chrono>

#include "receiver/commands/antenna_models.h"
#include "tools/sim/board_command.h"
#include "tools/sim/sim_text.h"

namespace zentrix::sim {

int baudCodeOf(uint32_t baud) {
    for (size_t i = 0; i < kBaudOfCode.size(); ++i) {
        if (kBaudOfCode[i] == baud)
            return static_cast<int>(i);
    }
    return -1;
}

namespace {

constexpr size_t kMaxCommandBytes = 1024;
/// The longest antenna model name the board keeps.
constexpr size_t kMaxAntennaNameChars = 31;

// The handheld offers its antenna list by these model names: the board must take every one.
static_assert(std::ranges::all_of(receiver::kAntennaModels, [](const receiver::AntennaModel& m) {
    return !m.modelName.empty() && m.modelName.size() <= kMaxAntennaNameChars &&
           m.modelName.find(',') == std::string_view::npos;
}));

/// How far the right reply trails the wrong one under `SimFault::WrongReplyFirst` (clock ms): far
/// enough that a command woken by the wrong one has looked at its flags before the right one
/// lands, even on a loaded machine with the clock sped up.
constexpr uint64_t kTrailingReplyMs = 1000;

/// The line as a handler sees it, with what it sends held back for later.
class HeldLine final : public SimLine {
  public:
    struct Held {
        std::string bytes;
        OutputKind kind;
    };
    explicit HeldLine(SimLine& line) : line_(line) {}
    uint64_t nowMs() const override { return line_.nowMs(); }
    void send(std::string bytes, OutputKind kind) override {
        held_.push_back({std::move(bytes), kind});
    }
    void logCommand(std::string text) override { line_.logCommand(std::move(text)); }
    bool fault(SimFault fault) const override { return line_.fault(fault); }
    std::vector<Held> take() { return std::move(held_); }

  private:
    SimLine& line_;
    std::vector<Held> held_;
};

/// The twenty message names the board can put out, by their codes.
constexpr std::array<const char*, 20> kMessageNames = {
    "POS", "SAT", "GGA", "GLL", "GSA", "GST", "GSV", "SGP", "SGL", "SGA",
    "RMC", "RRE", "VTG", "ZDA", "VEC", "A2D", "OBI", "WTI", "GNS", "DTM"};

bool isMessageName(const std::string& name) {
    for (const char* known : kMessageNames) {
        if (name == known)
            return true;
    }
    return false;
}

double systemUtcSeconds() {
    using namespace std::chrono;
    // Whole seconds, so that epochs fall on whole seconds of UTC.
    return static_cast<double>(
        duration_cast<seconds>(system_clock::now().time_since_epoch()).count());
}

}  // namespace

// Keyword, optional first argument that selects the row, handler. First match wins, so rows with
// a first argument stand before the catch-all row of their keyword.
struct SurveyBoard::CommandRow {
    bool isSet;
    const char* key;
    const char* sub;
    SurveyBoard::Handler handler;
};

std::span<const SurveyBoard::CommandRow> SurveyBoard::commandTable() {
    using B = SurveyBoard;
    constexpr bool S = true, Q = false;
    static const CommandRow kCommands[] = {
        // Tracking and position.
        {S, "GPS", "", &B::setSwitch},
        {S, "GLO", "", &B::setSwitch},
        {S, "SBA", "", &B::setSwitch},
        {S, "QZS", "", &B::setSwitch},
        {S, "CFG", "", &B::setSignalConfig},
        {S, "PEM", "", &B::setElevationMask},
        {S, "LCS", "", &B::setOnOffOnly},
        {S, "DYN", "", &B::setNumbersOnly},
        {S, "POS", "", &B::setPosition},
        {S, "KPI", "", &B::setPosition},
        {S, "RST", "", &B::setReset},
        {S, "INI", "", &B::setReset},
        {S, "PWR", "", &B::setPower},
        {Q, "GPS", "", &B::querySwitch},
        {Q, "GLO", "", &B::querySwitch},
        {Q, "SBA", "", &B::querySwitch},
        {Q, "QZS", "", &B::querySwitch},
        {Q, "CFG", "", &B::querySimple},
        {Q, "PEM", "", &B::querySimple},
        {Q, "VERSION", "", &B::queryVersion},
        {Q, "RID", "", &B::querySimple},
        // Antenna.
        {S, "ANH", "", &B::setAntennaHeight},
        {S, "ANT", "", &B::setNumbersOnly},
        {S, "ANR", "", &B::setAntennaReduction},
        {S, "ANP", "", &B::setAntennaName},
        {Q, "ANH", "", &B::querySimple},
        {Q, "ANR", "", &B::querySimple},
        {Q, "ANP", "OWN", &B::querySimple},
        // Ports and output.
        {S, "PRT", "", &B::setPort},
        {S, "MDP", "", &B::setPortMode},
        {S, "NME", "", &B::setNmea},
        {S, "BTH", "PRT", &B::setBluetooth},
        {S, "NPT", "", &B::setNpt},
        {Q, "PRT", "", &B::queryPort},
        {Q, "NMO", "", &B::queryOutputs},
        {Q, "BTH", "", &B::querySimple},
        {Q, "NPT", "", &B::querySimple},
        // Base and differential.
        {S, "BAS", "", &B::setBase},
        {S, "CPD", "", &B::setDifferential},
        {S, "RTC", "TYP", &B::setMessageType},
        {S, "RNX", "TYP", &B::setMessageType},
        {S, "CMR", "TYP", &B::setMessageType},
        {S, "RCP", "REF", &B::setReferenceReceiver},
        {S, "BRD", "", &B::setBridge},
        {Q, "BAS", "", &B::querySimple},
        {Q, "CPD", "", &B::queryDifferential},
        {Q, "RCP", "REF", &B::querySimple},
        {Q, "BRD", "", &B::querySimple},
        // Radio, modem, Internet.
        {S, "RDP", "", &B::setRadio},
        {Q, "RDP", "", &B::queryRadio},
        {S, "MDM", "", &B::setModem},
        {Q, "MDM", "", &B::queryModem},
        {S, "DIP", "", &B::setDirectIp},
        {Q, "DIP", "", &B::querySimple},
        {S, "NTR", "", &B::setNtrip},
        {Q, "NTR", "", &B::queryNtrip},
        // Recording.
        {S, "REC", "", &B::setRecording},
        {S, "NRC", "", &B::setRecorder},
        {S, "FIL", "PTH", &B::setFilePath},
        {S, "DRI", "", &B::setInterval},
        {S, "MEM", "", &B::setMemory},
        {S, "ATL", "", &B::setAutoLogging},
        {S, "STI", "", &B::setStationId},
        {S, "OCC", "", &B::setNumbersOnly},
        {S, "OBI", "RST", &B::setReset},
        {Q, "REC", "", &B::querySimple},
        {Q, "NRC", "", &B::queryRecorder},
        {Q, "FIL", "", &B::queryFile},
        {Q, "DRI", "", &B::querySimple},
        {Q, "MEM", "", &B::querySimple},
        {Q, "ATL", "", &B::querySimple},
        {Q, "STI", "", &B::querySimple},
    };
    return kCommands;
}

SurveyBoard::SurveyBoard(BoardOptions options)
    : options_(std::move(options)),
      sky_model_(options_.place, options_.seed),
      navigator_(options_.seed + 1) {
    if (options_.startUtcSeconds <= 0)
        options_.startUtcSeconds = systemUtcSeconds();
    for (char port : kBoardPorts) {
        state_.baudCodes[port] = 8;
        state_.portOn[port] = true;
    }
    if (isPortLetter(std::string(1, options_.handheldPort)))
        state_.handheldPort = options_.handheldPort;
    const int code = baudCodeOf(options_.baudRate);
    state_.baudCodes[state_.handheldPort] = code >= 0 ? code : 8;
    // Out of the box the board streams a few standard sentences on the handheld's port.
    state_.outputs[state_.handheldPort] = {{"GGA", 1.0}, {"GSA", 1.0}, {"GSV", 1.0}, {"VTG", 1.0}};
    state_.radioOn = options_.radioOn;
    state_.retriesRefusedLinks = options_.retriesRefusedLinks;
    for (const auto& [port, radio] : options_.radios) fitRadio(port, radio);
}

void SurveyBoard::wireHandheldTo(char port) {
    BoardState& s = state_;
    if (port == s.handheldPort || !isPortLetter(std::string(1, port)))
        return;
    s.baudCodes[port] = s.baudCodes[s.handheldPort];
    s.outputs[port] = std::move(s.outputs[s.handheldPort]);
    s.outputs[s.handheldPort].clear();
    s.handheldPort = port;
    nextDueMs_.clear();
}

uint32_t SurveyBoard::baudRate() const {
    const auto it = state_.baudCodes.find(state_.handheldPort);
    const int code = it == state_.baudCodes.end() ? 8 : it->second;
    return kBaudOfCode[static_cast<size_t>(std::clamp(code, 0, 9))];
}

void SurveyBoard::receive(const uint8_t* bytes, size_t count, SimLine& line) {
    nowMs_ = line.nowMs();
    for (size_t i = 0; i < count; ++i) {
        const char c = static_cast<char>(bytes[i]);
        if (c == '\n') {
            if (!inputOverflow_)
                handleCommand(input_, line);
            input_.clear();
            inputOverflow_ = false;
        } else if (c != '\r' && c != '\0') {
            if (input_.size() < kMaxCommandBytes) {
                input_.push_back(c);
            } else {
                inputOverflow_ =
                    true;  // a runaway line is dropped whole, as the board's buffer would
            }
        }
    }
}

void SurveyBoard::later(SimLine&, uint64_t delayMs, std::function<void(SimLine&)> action) {
    pending_.push_back({nowMs_ + delayMs, std::move(action)});
}

void SurveyBoard::tick(SimLine& line) {
    nowMs_ = line.nowMs();
    if (!started_) {
        started_ = true;
        startMs_ = nowMs_;
        obiResetMs_ = nowMs_;
        navigator_.restart(0.0);
    }
    // Run what has come due; an action may schedule more.
    for (size_t i = 0; i < pending_.size();) {
        if (pending_[i].dueMs <= nowMs_) {
            auto action = std::move(pending_[i].action);
            pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(i));
            if (!state_.poweredOff)
                action(line);
            i = 0;
        } else {
            ++i;
        }
    }
    if (!state_.poweredOff)
        streamDue(line, nowMs_);
}

void SurveyBoard::reply(SimLine& out, const std::string& body) {
    out.send(sentence(out, body), OutputKind::Reply);
}

void SurveyBoard::handleCommand(const std::string& raw, SimLine& out) {
    nowMs_ = out.nowMs();
    std::string line = raw;
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
    if (line.empty())
        return;
    out.logCommand(line);
    if (state_.poweredOff)
        return;
    // Commands carry no checksum; one typed by hand is tolerated.
    if (line.size() > 3 && line[line.size() - 3] == '*')
        line.resize(line.size() - 3);

    std::vector<std::string> fields = splitFields(line);
    Command command;
    if (fields[0] == "$PQELS") {
        command.isSet = true;
    } else if (fields[0] != "$PQELQ") {
        if (line[0] == '$')
            nak(out);
        return;
    }
    if (out.fault(SimFault::NakEverything)) {
        nak(out);
        return;
    }
    command.key = fields.size() > 1 ? fields[1] : std::string();
    command.args.assign(fields.begin() + std::min<size_t>(fields.size(), 2), fields.end());
    if (!out.fault(SimFault::WrongReplyFirst))
        return dispatch(command, out);
    out.send(sentence(out, command.key == "PRT" ? "$PQELR,GPS,ON" : "$PQELR,PRT,A,8"),
             OutputKind::Reply);
    // A late answer to an earlier command leads the right one by a round trip, not by a byte:
    // the right reply trails, so that the program judges by the wrong one as it would on a line.
    HeldLine held(out);
    dispatch(command, held);
    later(out, kTrailingReplyMs, [replies = held.take()](SimLine& line) {
        for (const HeldLine::Held& r : replies) line.send(r.bytes, r.kind);
    });
}

void SurveyBoard::dispatch(const Command& command, SimLine& out) {
    for (const CommandRow& row : commandTable()) {
        if (row.isSet == command.isSet && command.key == row.key &&
            (row.sub[0] == '\0' || command.arg(0) == row.sub)) {
            (this->*row.handler)(command, out);
            return;
        }
    }
    nak(out);
}

// ---- Tracking and position -------------------------------------------------------------------

void SurveyBoard::setSwitch(const Command& c, SimLine& out) {
    if (c.args.size() != 1 || !isOnOff(c.arg(0)))
        return nak(out);
    const bool on = c.arg(0) == "ON";
    if (c.key == "GPS")
        state_.gps = on;
    if (c.key == "GLO")
        state_.glonass = on;
    if (c.key == "SBA")
        state_.sbas = on;
    if (c.key == "QZS")
        state_.qzss = on;
    ack(out);
}

void SurveyBoard::querySwitch(const Command& c, SimLine& out) {
    bool on = state_.gps;
    if (c.key == "GLO")
        on = state_.glonass;
    if (c.key == "SBA")
        on = state_.sbas;
    if (c.key == "QZS")
        on = state_.qzss;
    reply(out, "$PQELR," + c.key + (on ? ",ON" : ",OFF"));
}

void SurveyBoard::setSignalConfig(const Command& c, SimLine& out) {
    if (c.args.size() != 1 || !oneOf(c.arg(0), {"SSL", "DSL", "TSL", "DSE"}))
        return nak(out);
    state_.signalConfig = c.arg(0);
    ack(out);
}

void SurveyBoard::setElevationMask(const Command& c, SimLine& out) {
    long degrees = 0;
    if (c.args.size() != 1 || !parseInteger(c.arg(0), 0, 90, &degrees))
        return nak(out);
    state_.elevationMaskDegrees = static_cast<int>(degrees);
    ack(out);
}

void SurveyBoard::setOnOffOnly(const Command& c, SimLine& out) {
    if (c.args.size() != 1 || !isOnOff(c.arg(0)))
        return nak(out);
    if (c.key == "LCS")
        state_.lcs = c.arg(0) == "ON";
    ack(out);
}

void SurveyBoard::setNumbersOnly(const Command& c, SimLine& out) {
    // Settings the simulation has no use for: checked for form, acknowledged, forgotten.
    if (c.args.empty())
        return nak(out);
    size_t numbers = c.args.size();
    if (c.key == "OCC")
        numbers = 2;  // type, session, then two free texts
    if (c.key == "OCC" && c.args.size() != 4)
        return nak(out);
    if (c.key == "DYN" && c.args.size() != 1)
        return nak(out);
    if (c.key == "ANT" && c.args.size() != 3)
        return nak(out);
    for (size_t i = 0; i < numbers; ++i) {
        double value = 0;
        if (!parseNumber(c.arg(i), &value))
            return nak(out);
        if (c.key == "DYN")
            state_.dynamics = static_cast<int>(value);
    }
    ack(out);
}

void SurveyBoard::setPosition(const Command& c, SimLine& out) {
    double latitude = 0, longitude = 0, height = 0;
    const size_t expected = c.key == "KPI" ? 6 : 5;
    if (c.args.size() != expected || !parseCoordinate(c.arg(0), c.arg(1), &latitude) ||
        !parseCoordinate(c.arg(2), c.arg(3), &longitude) || !parseNumber(c.arg(4), &height) ||
        std::abs(latitude) > 90.0 || std::abs(longitude) > 360.0)
        return nak(out);
    if (c.key == "KPI" && !oneOf(c.arg(5), {"PC1", "ARP", "SPT"}))
        return nak(out);
    if (c.key == "POS") {
        state_.referenceLatitude = latitude;
        state_.referenceLongitude = longitude > 180.0 ? longitude - 360.0 : longitude;
        state_.referenceHeight = height;
    }
    ack(out);
}

void SurveyBoard::setReset(const Command& c, SimLine& out) {
    if (c.key == "INI") {
        long code = 0;
        if (c.args.size() != 1 || !parseInteger(c.arg(0), 0, 99, &code))
            return nak(out);
    } else if (c.key == "RST" && !c.args.empty()) {
        return nak(out);
    }
    if (c.key == "OBI") {
        obiResetMs_ = nowMs_;
    } else {
        navigator_.restart(static_cast<double>(nowMs_ - startMs_) / 1000.0);
    }
    ack(out);
}

void SurveyBoard::setPower(const Command& c, SimLine& out) {
    if (c.args.size() != 1 || c.arg(0) != "OFF")
        return nak(out);
    ack(out);
    state_.poweredOff = true;
}

// ---- Antenna ---------------------------------------------------------------------------------

void SurveyBoard::setAntennaHeight(const Command& c, SimLine& out) {
    double height = 0;
    if (c.args.size() != 2 || !parseNumber(c.arg(0), &height) || height < 0 || height > 9.999 ||
        !oneOf(c.arg(1), {"V", "S"}))
        return nak(out);
    state_.antennaHeightMetres = height;
    state_.antennaHeightType = c.arg(1)[0];
    ack(out);
}

void SurveyBoard::setAntennaReduction(const Command& c, SimLine& out) {
    if (c.args.size() != 1 || !oneOf(c.arg(0), {"OFF", "ON", "ARP"}))
        return nak(out);
    state_.antennaReduction = c.arg(0);
    ack(out);
}

void SurveyBoard::setAntennaName(const Command& c, SimLine& out) {
    if (c.args.size() != 2 || c.arg(1).empty() || c.arg(1).size() > kMaxAntennaNameChars)
        return nak(out);
    if (c.arg(0) == "OWN") {
        state_.antennaName = c.arg(1);
    } else if (c.arg(0) == "OUT") {
        state_.antennaOutput = c.arg(1) != "OFF";
    } else {
        return nak(out);
    }
    ack(out);
}

// ---- Ports and output ------------------------------------------------------------------------

void SurveyBoard::setPort(const Command& c, SimLine& out) {
    // "$PQELS,PRT,<port>,<baud code>[,ON|OFF]"; an empty code leaves the rate as it is.
    if (c.args.size() < 2 || c.args.size() > 3 || !isPortLetter(c.arg(0)))
        return nak(out);
    const std::string& code = c.arg(1);
    if (!(code.empty() || (code.size() == 1 && code[0] >= '0' && code[0] <= '9')))
        return nak(out);
    if (c.args.size() == 3 && !isOnOff(c.arg(2)))
        return nak(out);
    // The ACK leaves at the old rate; everything after it at the new one.
    ack(out);
    if (!code.empty())
        state_.baudCodes[c.arg(0)[0]] = code[0] - '0';
    if (c.args.size() == 3)
        state_.portOn[c.arg(0)[0]] = c.arg(2) == "ON";
}

void SurveyBoard::queryPort(const Command& c, SimLine& out) {
    if (c.args.size() > 1 || (c.args.size() == 1 && !isPortLetter(c.arg(0))))
        return nak(out);
    const char port = c.args.empty() ? state_.handheldPort : c.arg(0)[0];
    reply(out, format("$PQELR,PRT,%c,%d", port, state_.baudCodes[port]));
}

void SurveyBoard::setPortMode(const Command& c, SimLine& out) {
    if (c.args.size() != 2 || !isPortLetter(c.arg(0)) || !oneOf(c.arg(1), {"232", "422"}))
        return nak(out);
    ack(out);
}

void SurveyBoard::setNmea(const Command& c, SimLine& out) {
    auto& outputs = state_.outputs;
    auto enable = [&](char port, const std::string& name, double interval) {
        auto& list = outputs[port];
        auto it = std::find_if(list.begin(), list.end(),
                               [&](const MessageOutput& m) { return m.name == name; });
        if (it == list.end()) {
            list.push_back({name, interval});
        } else {
            it->intervalSeconds = interval;
        }
        // As a receiver does, a newly enabled or re-timed message first leaves at its next epoch,
        // not at once: an answer to the next command must not wait behind it on the line.
        if (port == state_.handheldPort)
            nextDueMs_[name] = kAtNextEpoch;
    };
    if (c.arg(0) == "ALL") {  // "$PQELS,NME,ALL,<port>,OFF"
        if (c.args.size() != 3 || !isPortLetter(c.arg(1)) || c.arg(2) != "OFF")
            return nak(out);
        outputs[c.arg(1)[0]].clear();
        return ack(out);
    }
    if (c.arg(0) == "POS") {  // "$PQELS,NME,POS,<port>,ON"
        if (c.args.size() != 3 || !isPortLetter(c.arg(1)) || c.arg(2) != "ON")
            return nak(out);
        enable(c.arg(1)[0], "POS", 1.0);
        return ack(out);
    }
    // "$PQELS,NME,<port>,<message>,ON,<interval>" or "...,<message>,OFF".
    if (c.args.size() < 3 || !isPortLetter(c.arg(0)) || !isMessageName(c.arg(1)))
        return nak(out);
    const char port = c.arg(0)[0];
    if (c.arg(2) == "OFF" && c.args.size() == 3) {
        auto& list = outputs[port];
        std::erase_if(list, [&](const MessageOutput& m) { return m.name == c.arg(1); });
        return ack(out);
    }
    double interval = 0;
    if (c.arg(2) != "ON" || c.args.size() != 4 || !parseNumber(c.arg(3), &interval) ||
        interval < 0.05 || interval > 3600.0)
        return nak(out);
    enable(port, c.arg(1), interval);
    ack(out);
}

void SurveyBoard::queryOutputs(const Command& c, SimLine& out) {
    if (c.args.size() != 1 || !isPortLetter(c.arg(0)))
        return nak(out);
    const char port = c.arg(0)[0];
    const auto& list = state_.outputs[port];
    std::string body =
        format("$PQELR,NMO,%c,%d,%.2f,%02zu", port, state_.baudCodes[port], 1.0, list.size());
    for (const MessageOutput& m : list)
        body += format(",%s,%.2f", m.name.c_str(), m.intervalSeconds);
    reply(out, body);
}

void SurveyBoard::setBluetooth(const Command& c, SimLine& out) {
    if (c.args.size() != 2 || c.arg(1).empty() || c.arg(1).size() > 5)
        return nak(out);
    state_.bluetoothPort = c.arg(1);
    ack(out);
}

void SurveyBoard::setNpt(const Command& c, SimLine& out) {
    long first = 0, second = 0;
    if (c.args.size() != 2 || !parseInteger(c.arg(0), 0, 9, &first) ||
        !parseInteger(c.arg(1), 0, 9, &second))
        return nak(out);
    state_.nptFirst = static_cast<int>(first);
    state_.nptSecond = static_cast<int>(second);
    ack(out);
}

// ---- Base and differential -------------------------------------------------------------------

void SurveyBoard::setBase(const Command& c, SimLine& out) {
    auto format_ok = [](const std::string& f) {
        return oneOf(f, {"RT2", "RT3", "CMR", "CMP", "ATM"});
    };
    if ((c.args.size() != 2 && c.args.size() != 4) || !isPortLetter(c.arg(0)) ||
        !format_ok(c.arg(1)))
        return nak(out);
    if (c.args.size() == 4 && (!isPortLetter(c.arg(2)) || !format_ok(c.arg(3))))
        return nak(out);
    state_.basePort1 = c.arg(0)[0];
    state_.baseFormat1 = c.arg(1);
    state_.basePort2 = c.args.size() == 4 ? c.arg(2)[0] : 0;
    state_.baseFormat2 = c.args.size() == 4 ? c.arg(3) : std::string();
    ack(out);
}

void SurveyBoard::setDifferential(const Command& c, SimLine& out) {
    const std::string& sub = c.arg(0);
    if (sub == "MOD") {
        long value = 0;
        if (!oneOf(c.arg(1), {"BAS", "ROV"}) || c.args.size() > 3 ||
            (c.args.size() == 3 && !parseInteger(c.arg(2), 0, 3, &value)))
            return nak(out);
        state_.differentialMode = c.arg(1);
        if (c.args.size() == 3)
            state_.differentialValue = static_cast<int>(value);
        return ack(out);
    }
    if (sub == "RST" && c.args.size() == 1)
        return ack(out);
    if (sub == "ARR" && c.args.size() == 3) {
        double length = 0;
        if (c.arg(1) == "LEN" && parseNumber(c.arg(2), &length))
            return ack(out);
        if (c.arg(1) == "MOD" && isOnOff(c.arg(2)))
            return ack(out);
    }
    nak(out);
}

void SurveyBoard::queryDifferential(const Command& c, SimLine& out) {
    if (c.arg(0) == "MOD") {
        return reply(out, format("$PQELR,CPD,MOD,%s,%d", state_.differentialMode.c_str(),
                                 state_.differentialValue));
    }
    if (c.arg(0) == "POS") {
        return reply(out, "$PQELR,CPD,POS," + latitudeText(state_.referenceLatitude) + "," +
                              longitudeText(state_.referenceLongitude) +
                              format(",%.3f", state_.referenceHeight));
    }
    nak(out);
}

void SurveyBoard::setMessageType(const Command& c, SimLine& out) {
    // RTC TYP t[,rate]; RNX TYP a,b,c; CMR TYP t,rate.
    const size_t numbers = c.args.size() - 1;
    const bool shapeOk = c.key == "RTC"   ? (numbers == 1 || numbers == 2)
                         : c.key == "RNX" ? numbers == 3
                                          : numbers == 2;
    if (!shapeOk)
        return nak(out);
    for (size_t i = 1; i < c.args.size(); ++i) {
        long value = 0;
        if (!parseInteger(c.arg(i), 0, 9999, &value))
            return nak(out);
    }
    ack(out);
}

void SurveyBoard::setReferenceReceiver(const Command& c, SimLine& out) {
    if (c.args.size() != 3 || c.arg(1).size() > 31 || !oneOf(c.arg(2), {"0", "1"}))
        return nak(out);
    state_.referenceReceiverName = c.arg(1);
    state_.referenceReceiverFlag = c.arg(2) == "1";
    ack(out);
}

void SurveyBoard::setBridge(const Command& c, SimLine& out) {
    if (c.args.size() != 1 || !isOnOff(c.arg(0)))
        return nak(out);
    state_.bridge = c.arg(0) == "ON";
    if (state_.bridge)
        ++state_.bridgeNumber;
    ack(out);
}

// ---- Recording -------------------------------------------------------------------------------

void SurveyBoard::setRecording(const Command& c, SimLine& out) {
    if (c.args.size() != 1 || !oneOf(c.arg(0), {"Y", "N"}))
        return nak(out);
    const bool start = c.arg(0) == "Y";
    if (start && !state_.recording) {
        // The board's own clock, not the last epoch it streamed: it may not have streamed one.
        const double runningSeconds =
            started_ ? static_cast<double>(nowMs_ - startMs_) / 1000.0 : 0.0;
        const time_t utc = static_cast<time_t>(options_.startUtcSeconds + runningSeconds);
        tm date{};
        gmtime_r(&utc, &date);
        const long day = date.tm_yday + 1;
        state_.currentFile = format("%.4s%03ld%c.DAT", state_.stationId.c_str(), day,
                                    static_cast<char>('A' + state_.sessions % 26));
        ++state_.sessions;
    }
    if (!start)
        state_.currentFile = "NONE";
    state_.recording = start;
    ack(out);
}

void SurveyBoard::setRecorder(const Command& c, SimLine& out) {
    if (c.args.size() == 1 && isOnOff(c.arg(0))) {
        state_.recorderOn = c.arg(0) == "ON";
        return ack(out);
    }
    if (c.args.size() == 2 && c.arg(0) == "FIL" && !c.arg(1).empty() && c.arg(1).size() <= 259) {
        state_.recorderFile = c.arg(1);
        return ack(out);
    }
    nak(out);
}

void SurveyBoard::queryRecorder(const Command& c, SimLine& out) {
    if (c.args.empty())
        return reply(out, state_.recorderOn ? "$PQELR,NRC,ON" : "$PQELR,NRC,OFF");
    if (c.args.size() == 1 && c.arg(0) == "FIL")
        return reply(out, "$PQELR,NRC,FIL," + state_.recorderFile);
    nak(out);
}

void SurveyBoard::setFilePath(const Command& c, SimLine& out) {
    if (c.args.size() != 2 || c.arg(1).empty() || c.arg(1).size() > 259)
        return nak(out);
    state_.filePath = c.arg(1);
    ack(out);
}

void SurveyBoard::queryFile(const Command& c, SimLine& out) {
    if (c.args.size() != 1)
        return nak(out);
    if (c.arg(0) == "CUR")
        return reply(out, "$PQELR,FIL,CUR," + state_.currentFile);
    if (c.arg(0) == "PTH")
        return reply(out, "$PQELR,FIL,PTH," + state_.filePath);
    nak(out);
}

void SurveyBoard::setInterval(const Command& c, SimLine& out) {
    double seconds = 0;
    if (c.args.size() != 1 || !parseNumber(c.arg(0), &seconds) || seconds < 0.05 || seconds > 999.0)
        return nak(out);
    state_.recordingIntervalSeconds = seconds;
    ack(out);
}

void SurveyBoard::setMemory(const Command& c, SimLine& out) {
    long index = 0;
    if (c.args.size() != 1 || !parseInteger(c.arg(0), 0, 9, &index))
        return nak(out);
    state_.memory = static_cast<int>(index);
    ack(out);
}

void SurveyBoard::setAutoLogging(const Command& c, SimLine& out) {
    if (c.args.size() != 1 || !isOnOff(c.arg(0)))
        return nak(out);
    state_.autoLogging = c.arg(0) == "ON";
    if (state_.autoLogging)
        ++state_.autoLoggingNumber;
    ack(out);
}

void SurveyBoard::setStationId(const Command& c, SimLine& out) {
    if (c.args.size() != 1 || c.arg(0).empty() || c.arg(0).size() > 4)
        return nak(out);
    state_.stationId = c.arg(0);
    ack(out);
}

// ---- Queries that read one setting -------------------------------------------------------------

void SurveyBoard::querySimple(const Command& c, SimLine& out) {
    const BoardState& s = state_;
    const std::string& k = c.key;
    const size_t allowedArgs = (k == "ANP" || k == "RCP") ? 1 : 0;
    if (c.args.size() != allowedArgs)
        return nak(out);
    std::string body;
    if (k == "CFG")
        body = "$PQELR,CFG," + s.signalConfig;
    if (k == "PEM")
        body = format("$PQELR,PEM,%d", s.elevationMaskDegrees);
    if (k == "RID")
        body = format("$PQELR,RID,%s,%s,%s,1", s.productCode.c_str(), s.identifier.c_str(),
                      s.identifier.c_str());
    if (k == "ANH")
        body = format("$PQELR,ANH,%.3f,%c", s.antennaHeightMetres, s.antennaHeightType);
    if (k == "ANR")
        body = "$PQELR,ANR," + s.antennaReduction;
    if (k == "ANP")
        body = "$PQELR,ANP,OWN," + s.antennaName;
    if (k == "BTH")
        body = "$PQELR,BTH,,C," + s.bluetoothPort;
    if (k == "NPT")
        body = format("$PQELR,NPT,%d,%d", s.nptFirst, s.nptSecond);
    if (k == "BAS") {
        body = format("$PQELR,BAS,%c,%s", s.basePort1, s.baseFormat1.c_str());
        if (s.basePort2)
            body += format(",%c,%s", s.basePort2, s.baseFormat2.c_str());
    }
    if (k == "RCP")
        body = format("$PQELR,RCP,REF,%s,%d", s.referenceReceiverName.c_str(),
                      s.referenceReceiverFlag ? 1 : 0);
    if (k == "BRD")
        body = format("$PQELR,BRD,%s,%d", s.bridge ? "ON" : "OFF", s.bridgeNumber);
    if (k == "DIP") {
        body = format("$PQELR,DIP,RIP,%s,PRT,%d", s.dipAddress.c_str(), s.dipPort);
        if (!s.dipLogin.empty())
            body += format(",LGN,%s,PWD,%s", s.dipLogin.c_str(), s.dipPassword.c_str());
    }
    if (k == "REC")
        body = s.recording ? "$PQELR,REC,Y" : "$PQELR,REC,N";
    if (k == "DRI")
        body = format("$PQELR,DRI,%.2f", s.recordingIntervalSeconds);
    if (k == "MEM")
        body = format("$PQELR,MEM,%d", s.memory);
    if (k == "ATL")
        body = format("$PQELR,ATL,%s,%d,%s", s.autoLogging ? "ON" : "OFF", s.autoLoggingNumber,
                      s.autoLoggingRing ? "RING" : "LINEAR");
    if (k == "STI")
        body = "$PQELR,STI," + s.stationId;
    if (body.empty())
        return nak(out);
    reply(out, body);
}

void SurveyBoard::queryVersion(const Command& c, SimLine& out) {
    if (!c.args.empty())
        return nak(out);
    // The version report is a block of four plain text lines, without "$" and checksum.
    out.send(format("RECEIVER VERSION: %s\r\nSYS fw: %s\r\nGNSS fw: %s\r\nOPTIONS: %s\r\n",
                    state_.receiverVersion.c_str(), state_.systemFirmware.c_str(),
                    state_.gnssFirmware.c_str(), state_.identifier.c_str()),
             OutputKind::Reply);
}

}  // namespace zentrix::sim
