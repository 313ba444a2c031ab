// The survey board's correction links: the internal and external radios, the GSM / GPRS modem,
// the direct IP client and the NTRIP client with its caster's source table. These are the slow
// operations: the board answers at once and finishes later (a modem that initialises, a call
// that goes DIALING then ONLINE, a table that downloads, a caster that accepts a mount point),
// and while one of them is up, corrections flow and the solution converges.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "tools/sim/board_command.h"
#include "tools/sim/sim_text.h"
#include "tools/sim/survey_board.h"

namespace zentrix::sim {
namespace {

// How long the board's slow operations take, in clock milliseconds.
constexpr uint64_t kModemInitMs = 1500;
constexpr uint64_t kDialMs = 4000;
constexpr uint64_t kBusyMs = 3000;
constexpr uint64_t kNoCarrierMs = 6000;
constexpr uint64_t kTableDownloadMs = 2000;
constexpr uint64_t kCasterConnectMs = 3000;
constexpr uint64_t kDirectIpConnectMs = 2000;
constexpr uint64_t kRadioDetectMs = 3000;
constexpr uint64_t kLinkRetryMs = 10000;

constexpr std::array<const char*, 9> kRadioTypes = {"PDL", "ADL", "XDL",  "KVL",    "MDL",
                                                    "LFE", "LFA", "NONE", "UNKNOWN"};

bool isRadioModel(const std::string& type) {
    return type != "NONE" && type != "UNKNOWN" &&
           std::count(kRadioTypes.begin(), kRadioTypes.end(), type);
}

const char* modemStateName(ModemState state) {
    switch (state) {
        case ModemState::Off:
            return "OFF";
        case ModemState::On:
            return "ON";
        case ModemState::Init:
            return "INIT";
        case ModemState::Dialing:
            return "DIALING";
        case ModemState::Online:
            return "ONLINE";
        case ModemState::None:
            break;
    }
    return "NONE";
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

int radioChannels(const std::string& type) {
    if (type == "ADL" || type == "XDL")
        return 32;
    if (type == "LFE")
        return 3;
    if (type == "LFA")
        return 50;
    return isRadioModel(type) ? 16 : 0;
}

bool SurveyBoard::correctionsFlowing() const {
    if (state_.differentialMode != "ROV")
        return false;
    const auto radio = state_.radios.find('D');
    const bool radioHears =
        state_.radioOn && radio != state_.radios.end() && isRadioModel(radio->second.type);
    return state_.linkUp() || radioHears;
}

// ---- Radio -----------------------------------------------------------------------------------

void SurveyBoard::fitRadio(char port, const FittedRadio& radio) {
    state_.fittedRadios[port] = radio;
    state_.radios[port].type = radio.tellsModel ? radio.model : "NONE";
}

void SurveyBoard::removeRadio(char port) {
    state_.fittedRadios.erase(port);
}

void SurveyBoard::detectRadio(char port) {
    // Only a radio that is wired and powered answers the board; without one the port stays
    // UNKNOWN until its type is set.
    RadioSettings& settings = state_.radios[port];
    const auto fitted = state_.fittedRadios.find(port);
    if (settings.type != "UNKNOWN" || fitted == state_.fittedRadios.end() || !state_.radioOn)
        return;
    settings.type = fitted->second.tellsModel ? fitted->second.model : "NONE";
}

void SurveyBoard::setRadio(const Command& c, SimLine& out) {
    const std::string& sub = c.arg(0);
    if ((sub == "ON" || sub == "OFF") && c.args.size() == 1) {
        state_.radioOn = sub == "ON";
        return ack(out);
    }
    if (!isPortLetter(c.arg(1)) || !std::count(kRadioTypes.begin(), kRadioTypes.end(), c.arg(2)))
        return nak(out);
    const char port = c.arg(1)[0];
    RadioSettings& radio = state_.radios[port];
    if (sub == "TYP" && c.args.size() == 3) {
        radio.type = c.arg(2);
        ack(out);
        // Cleared to UNKNOWN, the board looks for the radio again.
        if (radio.type == "UNKNOWN")
            later(out, kRadioDetectMs, [this, port](SimLine&) { detectRadio(port); });
        return;
    }
    if (sub != "PAR" || !isRadioModel(c.arg(2)))
        return nak(out);
    // PAR,<port>,<type>,<channel>[,<power mode>,<protocol>,<air speed>,<sensitivity>]
    long channel = 0, protocol = 0;
    if (!parseInteger(c.arg(3), 0, 99, &channel))
        return nak(out);
    RadioSettings changed = radio;
    changed.type = c.arg(2);
    changed.channel = static_cast<int>(channel);
    if (c.args.size() == 8) {
        if (!oneOf(c.arg(4), {"", "AUT", "MAN"}) || !parseInteger(c.arg(5), 0, 8, &protocol) ||
            !oneOf(c.arg(6), {"", "4800", "7600", "8000", "9600", "16000", "19200"}) ||
            !oneOf(c.arg(7), {"LOW", "MED", "HIG", "OFF"}))
            return nak(out);
        if (!c.arg(4).empty())
            changed.control = c.arg(4);
        changed.protocol = static_cast<int>(protocol);
        if (!c.arg(6).empty())
            changed.airBaud = c.arg(6);
        changed.sensitivity = c.arg(7);
    } else if (c.args.size() != 4) {
        return nak(out);
    }
    radio = changed;
    ack(out);
}

void SurveyBoard::queryRadio(const Command& c, SimLine& out) {
    if (c.args.size() != 2 || !isPortLetter(c.arg(1)))
        return nak(out);
    const char port = c.arg(1)[0];
    const RadioSettings& r = state_.radios[port];
    if (c.arg(0) == "TYP")
        return reply(out, format("$PQELR,RDP,TYP,%c,%s", port, r.type.c_str()));
    if (c.arg(0) == "CHT") {
        const std::string type = r.type == "UNKNOWN" ? "NONE" : r.type;
        const auto fitted = state_.fittedRadios.find(port);
        int count = r.table > 0 ? r.table : radioChannels(type);
        if (fitted != state_.fittedRadios.end() && fitted->second.model == type &&
            fitted->second.channels > 0)
            count = fitted->second.channels;
        return reply(out, format("$PQELR,RDP,CHT,%c,%s,%02d", port, type.c_str(), count));
    }
    if (c.arg(0) == "PAR") {
        // A radio there (wired, or of a type set for the port) reports the board's power switch.
        const bool present = state_.fittedRadios.count(port) || isRadioModel(r.type);
        const char* power = present && state_.radioOn ? "ON" : "OFF";
        // type, power, channel, control, level, air baud, sensitivity, two reserved fields,
        // spacing, seven reserved fields, modulation.
        return reply(out, format("$PQELR,RDP,PAR,%c,%s,%s,%02d,%s,%d,%s,%s,0,0,%s,0,0,0,0,0,0,0,%s",
                                 port, r.type.c_str(), power, r.channel, r.control.c_str(),
                                 std::clamp(r.protocol, 0, 8), r.airBaud.c_str(),
                                 r.sensitivity.c_str(), r.spacing.c_str(), r.modulation.c_str()));
    }
    nak(out);
}

// ---- Modem -----------------------------------------------------------------------------------

void SurveyBoard::settleModem() {
    // Called when a direct IP or caster link came or went (never while a call is up): the modem
    // is ONLINE while one is up and back to INIT when none is.
    BoardState& s = state_;
    if (s.modem == ModemState::Off || s.modem == ModemState::None) {
        s.dipConnected = s.mountConnected = false;
    } else if (s.dipConnected || s.mountConnected) {
        s.modem = ModemState::Online;
    } else if (s.modem == ModemState::Online) {
        s.modem = ModemState::Init;
    }
}

void SurveyBoard::setModem(const Command& c, SimLine& out) {
    BoardState& s = state_;
    const std::string& sub = c.arg(0);
    if (sub == "ON" && c.args.size() == 1) {
        if (s.modem == ModemState::Off || s.modem == ModemState::None)
            s.modem = ModemState::On;
        return ack(out);
    }
    if (sub == "OFF" && c.args.size() == 1) {
        s.modem = ModemState::Off;
        ++callAttempt_;
        ++directIpAttempt_;
        ++mountAttempt_;
        s.dipConnected = s.mountConnected = false;
        s.mountPoint.clear();
        return ack(out);
    }
    if (sub == "INI" && c.args.size() == 1) {
        ack(out);
        later(out, kModemInitMs, [this](SimLine& line) {
            const bool ready = state_.modem != ModemState::Off && state_.modem != ModemState::None;
            if (ready && !state_.linkUp() && state_.modem != ModemState::Dialing)
                state_.modem = ModemState::Init;
            reply(line, ready ? "$PQELR,MDM,INI,OK" : "$PQELR,MDM,INI,FAIL");
        });
        return;
    }
    if (sub == "DAL" && c.args.size() == 2 && (c.arg(1) == "1" || c.arg(1) == "0")) {
        if (c.arg(1) == "0") {
            // Hanging up ends whatever the modem carries: a call, or its Internet links.
            ++callAttempt_;
            if (s.modem == ModemState::Dialing || s.modem == ModemState::Online) {
                s.modem = ModemState::Init;
                s.dipConnected = s.mountConnected = false;
                s.mountPoint.clear();
                ++directIpAttempt_;
                ++mountAttempt_;
            }
            return ack(out);
        }
        if (s.modem != ModemState::Init || s.modemPhone.empty())
            return nak(out);
        s.modem = ModemState::Dialing;
        const uint32_t attempt = ++callAttempt_;
        ack(out);
        // What the far end does is decided as the call starts.
        ModemState outcome = ModemState::Online;
        uint64_t afterMs = kDialMs;
        if (out.fault(SimFault::DialNoAnswer))
            return;  // rings until hung up
        if (out.fault(SimFault::DialBusy)) {
            outcome = ModemState::On;  // the modem must be initialised again
            afterMs = kBusyMs;
        } else if (out.fault(SimFault::DialNoCarrier)) {
            outcome = ModemState::Init;
            afterMs = kNoCarrierMs;
        }
        later(out, afterMs, [this, attempt, outcome](SimLine&) {
            if (attempt == callAttempt_ && state_.modem == ModemState::Dialing)
                state_.modem = outcome;
        });
        return;
    }
    if (sub == "PAR" && c.args.size() >= 3 && c.args.size() % 2 == 1) {
        BoardState changed = s;
        for (size_t i = 1; i + 1 < c.args.size(); i += 2) {
            const std::string& key = c.arg(i);
            const std::string& value = c.arg(i + 1);
            if (key == "PIN" && value.size() <= 8) {
                changed.modemPin = value;
            } else if (key == "PHN" && value.size() <= 20) {
                changed.modemPhone = value;
            } else if (key == "APN" && value.size() <= 32) {
                changed.modemApn = value;
            } else if (key == "LGN" && value.size() <= 32) {
                changed.modemLogin = value;
            } else if (key == "PWD" && value.size() <= 32) {
                changed.modemPassword = value;
            } else if (key == "PTC" && (value == "0" || value == "1")) {
                changed.modemProtocol = value[0];
            } else if (key == "IPT" && (value == "0" || value == "1")) {
                changed.modemIpType = value[0];
            } else if (key == "ADL" && (value == "Y" || value == "N")) {
                changed.modemAdl = value[0];
            } else {
                return nak(out);
            }
        }
        s = changed;
        return ack(out);
    }
    nak(out);
}

void SurveyBoard::queryModem(const Command& c, SimLine& out) {
    if (!c.args.empty())
        return nak(out);
    const BoardState& s = state_;
    const bool powered = s.modem != ModemState::Off && s.modem != ModemState::None;
    reply(out,
          format("$PQELR,MDM,GSM,0,%s,PWR,%s,PIN,%s,BND,%c,PTC,%c,CBS,%c,APN,%s,LGN,%s,"
                 "PWD,%s,IPT,%c,PHN,%s,ADL,%c",
                 modemStateName(s.modem), powered ? "ON" : "OFF", s.modemPin.c_str(), s.modemBand,
                 s.modemProtocol, s.modemCbs, s.modemApn.c_str(), s.modemLogin.c_str(),
                 s.modemPassword.c_str(), s.modemIpType, s.modemPhone.c_str(), s.modemAdl));
}

// ---- Direct IP and NTRIP ---------------------------------------------------------------------

bool SurveyBoard::reachable(const std::string& host, SimLine& line) const {
    const BoardState& s = state_;
    // The modem must be registered in packet-data mode, and free of a data call.
    const bool modemReady = (s.modem == ModemState::Init || s.modem == ModemState::Online) &&
                            !s.callActive() && s.modemProtocol == '1';
    return modemReady && !line.fault(SimFault::RefuseLinks) && !endsWith(host, ".invalid") &&
           host != "0.0.0.0" &&
           std::find(s.unreachableHosts.begin(), s.unreachableHosts.end(), host) ==
               s.unreachableHosts.end();
}

void SurveyBoard::setDirectIp(const Command& c, SimLine& out) {
    if (c.arg(0) == "OFF" && c.args.size() == 1) {
        ++directIpAttempt_;
        if (state_.dipConnected) {
            state_.dipConnected = false;
            settleModem();
        }
        return ack(out);
    }
    long port = 0;
    const bool login = c.args.size() == 8 && c.arg(4) == "LGN" && c.arg(6) == "PWD";
    if (c.arg(0) != "RIP" || c.arg(1).empty() || c.arg(1).size() > 35 || c.arg(2) != "PRT" ||
        !parseInteger(c.arg(3), 1, 65535, &port) || (c.args.size() != 4 && !login))
        return nak(out);
    state_.dipAddress = c.arg(1);
    state_.dipPort = static_cast<int>(port);
    state_.dipLogin = login ? c.arg(5) : std::string();
    state_.dipPassword = login ? c.arg(7) : std::string();
    // The connection open before goes; the answer waits for the new one's outcome.
    if (state_.dipConnected) {
        state_.dipConnected = false;
        settleModem();
    }
    const uint32_t attempt = ++directIpAttempt_;
    later(out, kDirectIpConnectMs, [this, attempt](SimLine& line) {
        const bool ok = openDirectIp(attempt, line);
        if (!ok && attempt == directIpAttempt_)
            retryDirectIp(attempt, line);
        reply(line, ok ? "$PQELR,ACK" : "$PQELR,NAK");
    });
}

bool SurveyBoard::openDirectIp(uint32_t attempt, SimLine& line) {
    if (attempt != directIpAttempt_ || !reachable(state_.dipAddress, line))
        return false;
    // One correction stream at a time: the caster's gives way.
    state_.dipConnected = true;
    state_.mountConnected = false;
    state_.mountPoint.clear();
    ++mountAttempt_;
    settleModem();
    return true;
}

void SurveyBoard::retryDirectIp(uint32_t attempt, SimLine& line) {
    if (!state_.retriesRefusedLinks)
        return;
    later(line, kLinkRetryMs, [this, attempt](SimLine& next) {
        if (attempt == directIpAttempt_ && !openDirectIp(attempt, next))
            retryDirectIp(attempt, next);
    });
}

void SurveyBoard::setNtrip(const Command& c, SimLine& out) {
    BoardState& s = state_;
    const std::string& sub = c.arg(0);
    if (sub == "PAR") {
        // PAR,ADD,a,PRT,p,LGN,u,PWD,w,TYP,t
        long port = 0, type = 0;
        if (c.args.size() != 11 || c.arg(1) != "ADD" || c.arg(3) != "PRT" || c.arg(5) != "LGN" ||
            c.arg(7) != "PWD" || c.arg(9) != "TYP" || c.arg(2).empty() ||
            !parseInteger(c.arg(4), 1, 65535, &port) || !parseInteger(c.arg(10), 0, 9, &type))
            return nak(out);
        s.ntripAddress = c.arg(2);
        s.ntripPort = static_cast<int>(port);
        s.ntripLogin = c.arg(6);
        s.ntripPassword = c.arg(8);
        s.ntripType = static_cast<int>(type);
        return ack(out);
    }
    if (sub == "LOD" && c.args.size() == 1) {
        ack(out);
        later(out, kTableDownloadMs, [this](SimLine& line) {
            state_.sourceTableLoaded =
                state_.modem >= ModemState::Init && !sourceTableReply().empty();
            reply(line, state_.sourceTableLoaded ? "$PQELR,NTR,OK" : "$PQELR,NTR,FAIL");
        });
        return;
    }
    if (sub == "MTP" && c.args.size() == 2 && !c.arg(1).empty() && c.arg(1).size() <= 100) {
        // The stream open before ends either way.
        s.mountPoint.clear();
        const uint32_t attempt = ++mountAttempt_;
        if (s.mountConnected) {
            s.mountConnected = false;
            settleModem();
        }
        if (c.arg(1) == "OFF")
            return ack(out);
        s.mountPoint = c.arg(1);
        ack(out);
        later(out, kCasterConnectMs, [this, attempt, name = c.arg(1)](SimLine& line) {
            if (attempt != mountAttempt_)
                return;  // disconnected or asked for another stream meanwhile
            const bool ok = openMount(attempt, name, line);
            if (!ok) {
                state_.mountPoint.clear();
                retryMount(attempt, name, line);
            }
            reply(line, ok ? "$PQELR,NTR,OK" : "$PQELR,NTR,FAIL");
        });
        return;
    }
    nak(out);
}

bool SurveyBoard::openMount(uint32_t attempt, const std::string& name, SimLine& line) {
    if (attempt != mountAttempt_ || !reachable(state_.ntripAddress, line) || !mountPointKnown(name))
        return false;
    state_.mountPoint = name;
    state_.mountConnected = true;
    state_.dipConnected = false;
    ++directIpAttempt_;
    settleModem();
    return true;
}

void SurveyBoard::retryMount(uint32_t attempt, const std::string& name, SimLine& line) {
    if (!state_.retriesRefusedLinks)
        return;
    later(line, kLinkRetryMs, [this, attempt, name](SimLine& next) {
        if (attempt == mountAttempt_ && !openMount(attempt, name, next))
            retryMount(attempt, name, next);
    });
}

void SurveyBoard::queryNtrip(const Command& c, SimLine& out) {
    const BoardState& s = state_;
    if (c.args.empty()) {
        return reply(out, format("$PQELR,NTR,ADD,%s,PRT,%d,LGN,%s,PWD,%s", s.ntripAddress.c_str(),
                                 s.ntripPort, s.ntripLogin.c_str(), s.ntripPassword.c_str()));
    }
    if (c.arg(0) == "MTP" && c.args.size() == 1) {
        return reply(out, "$PQELR,NTR,MTP," + (s.mountPoint.empty() ? "OFF" : s.mountPoint));
    }
    if (c.arg(0) == "TBL" && c.args.size() == 1) {
        const std::string table = s.sourceTableLoaded ? sourceTableReply() : std::string();
        if (table.empty())
            return reply(out, "$PQELR,NTR,FAIL");
        // The table travels without a checksum, as one block that ends with ENDSOURCETABLE.
        out.send("$PQELR,NTR,TBL\r\n" + table, OutputKind::Reply);
        return;
    }
    nak(out);
}

std::string SurveyBoard::sourceTableReply() const {
    std::ostringstream content;
    if (!options_.sourceTable.empty()) {
        std::ifstream in(options_.sourceTable, std::ios::binary);
        if (!in)
            return {};
        content << in.rdbuf();
    } else if (!options_.sourceTableText.empty()) {
        content << options_.sourceTableText;
    } else {
        return {};
    }
    // Lines leave with CR LF whatever the file holds; a table without the caster's status line
    // gets one, and one without its end line gets that.
    std::string table;
    std::istringstream lines(content.str());
    std::string line;
    bool first = true;
    bool ended = false;
    while (std::getline(lines, line)) {
        while (!line.empty() && line.back() == '\r') line.pop_back();
        if (first && line.rfind("SOURCETABLE", 0) != 0)
            table +=
                "SOURCETABLE 200 OK\r\nServer: ZX-SIM caster\r\nContent-Type: text/plain\r\n\r\n";
        first = false;
        if (line.rfind("#", 0) == 0)
            continue;  // notes of whoever captured the table
        table += line + "\r\n";
        if (line == "ENDSOURCETABLE") {
            ended = true;
            break;
        }
    }
    if (first)
        return {};
    if (!ended)
        table += "ENDSOURCETABLE\r\n";
    return table;
}

bool SurveyBoard::mountPointKnown(const std::string& name) const {
    const std::string table = sourceTableReply();
    if (table.empty())
        return true;  // no table to check against: the caster decides, and agrees
    return table.find("\nSTR;" + name + ";") != std::string::npos;
}

}  // namespace zentrix::sim
