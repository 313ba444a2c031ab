// zentrix-sim: a receiver on a pseudo-terminal, for the program, the demo and the tests.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "platform/command_line.h"
#include "platform/text.h"
#include "tools/sim/default_source_table.h"
#include "tools/sim/simulator.h"
#include "tools/sim/survey_board.h"

namespace {

using zentrix::sim::SimFault;

volatile sig_atomic_t stopSignal = 0;
void onSignal(int) {
    stopSignal = 1;
}

struct FaultName {
    const char* name;
    SimFault fault;
};
constexpr std::array<FaultName, zentrix::sim::kSimFaultCount> kFaultNames = {{
    {"silence", SimFault::Silence},
    {"delay-replies", SimFault::DelayReplies},
    {"nak-everything", SimFault::NakEverything},
    {"wrong-reply-first", SimFault::WrongReplyFirst},
    {"bad-checksums", SimFault::BadChecksums},
    {"garbage", SimFault::Garbage},
    {"vanish", SimFault::Vanish},
    {"dial-busy", SimFault::DialBusy},
    {"dial-no-carrier", SimFault::DialNoCarrier},
    {"dial-no-answer", SimFault::DialNoAnswer},
    {"refuse-links", SimFault::RefuseLinks},
}};

bool faultOf(const std::string& name, SimFault* fault) {
    for (const FaultName& f : kFaultNames) {
        if (name == f.name) {
            *fault = f.fault;
            return true;
        }
    }
    return false;
}

constexpr char kUsage[] =
    "usage: zentrix-sim [options]    (--help, --version)\n"
    "  --com N             link the line as COMN: of the device root (devices/COMN)\n"
    "  --device PATH       serve this serial device instead of a pseudo-terminal\n"
    "  --receiver KIND     board (survey board, default) or sirf (GPS-only chip)\n"
    "  --baud N            the receiver's rate at start (default 57600; sirf 38400)\n"
    "  --nmea              the GPS-only chip starts in NMEA instead of SiRF binary\n"
    "  --place LAT,LON,H   where the receiver stands (degrees, degrees, metres)\n"
    "  --source-table FILE the caster's table served after a download (default: a\n"
    "                      built-in table of 221 real streams)\n"
    "  --replay LOG        play a captured log instead of simulating\n"
    "  --fast              replay as fast as the line allows (default: real time)\n"
    "  --loop              replay the log again and again\n"
    "  --radio P:MODEL[:N] wire a radio to port P (A, B or D): PDL ADL XDL KVL MDL LFE\n"
    "                      LFA, or NONE for one that cannot tell its model (its port\n"
    "                      reads NONE while it is powered); N channels in its table\n"
    "                      (default: 16, 32 for ADL and XDL); a PDL on D by default\n"
    "  --no-radio P        take the radio off port P\n"
    "  --radio-on          the board powers its radios at start\n"
    "  --handheld-port P   the board's port the line is wired to (default A)\n"
    "  --retry-links       the board keeps trying a refused direct IP server or caster\n"
    "                      every 10 s until told OFF\n"
    "  --fault NAME        start with a fault on (may be repeated)\n"
    "  --verbose           print every command the receiver hears\n"
    "faults: silence delay-replies nak-everything wrong-reply-first bad-checksums\n"
    "        garbage vanish dial-busy dial-no-carrier dial-no-answer refuse-links\n"
    "on standard input: 'fault NAME', 'clear NAME', 'clear', 'power', 'quit'\n";

/// "LAT,LON,H" in degrees, degrees and metres, with "." as the decimal point.
bool parsePlace(std::string_view text, zentrix::sim::Place* place) {
    double values[3];
    for (double& value : values) {
        const size_t comma = text.find(',');
        const std::optional<double> parsed = zentrix::platform::parseReal(text.substr(0, comma));
        if (!parsed)
            return false;
        value = *parsed;
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    if (!text.empty() || std::abs(values[0]) > 89.9 || std::abs(values[1]) > 180.0)
        return false;
    place->latitudeDegrees = values[0];
    place->longitudeDegrees = values[1];
    place->ellipsoidHeightMetres = values[2];
    return true;
}

/// "P:MODEL[:N]" of --radio.
bool parseRadio(const std::string& text, char* port, zentrix::sim::FittedRadio* radio) {
    static constexpr std::array<const char*, 8> kModels = {"PDL", "ADL", "XDL", "KVL",
                                                           "MDL", "LFE", "LFA", "NONE"};
    if (text.size() < 3 || text[1] != ':' ||
        std::string_view("ABD").find(text[0]) == std::string_view::npos)
        return false;
    const size_t colon = text.find(':', 2);
    const std::string model = text.substr(2, colon == std::string::npos ? colon : colon - 2);
    if (std::find(kModels.begin(), kModels.end(), model) == kModels.end())
        return false;
    int channels = 0;
    if (colon != std::string::npos) {
        const std::string count = text.substr(colon + 1);
        if (count.empty() || count.size() > 2 ||
            count.find_first_not_of("0123456789") != std::string::npos)
            return false;
        channels = std::atoi(count.c_str());
    }
    *port = text[0];
    // A radio without a model of its own is taken for a license-free one.
    *radio = {model == "NONE" ? "LFE" : model, model != "NONE", channels};
    return true;
}

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

void handleConsoleLine(const std::string& text, zentrix::sim::Simulator& sim) {
    std::string verb = text.substr(0, text.find(' '));
    const std::string argument =
        text.find(' ') == std::string::npos ? std::string() : text.substr(text.find(' ') + 1);
    SimFault fault{};
    if (verb == "fault" && faultOf(argument, &fault)) {
        sim.setFault(fault, true);
    } else if (verb == "clear" && argument.empty()) {
        sim.clearFaults();
    } else if (verb == "clear" && faultOf(argument, &fault)) {
        sim.setFault(fault, false);
    } else if (verb == "power") {
        sim.powerOn();
    } else if (verb == "quit") {
        stopSignal = 1;
    } else if (!text.empty()) {
        std::fprintf(stderr, "zentrix-sim: unknown console command '%s'\n", text.c_str());
        return;
    }
    std::fprintf(stderr, "zentrix-sim: %s\n", text.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto exitCode =
            zentrix::platform::answerHelpOrVersion(argc, argv, "zentrix-sim", kUsage))
        return *exitCode;
    zentrix::sim::SimOptions options;
    options.sourceTableText = zentrix::sim::defaultSourceTable();
    int com = 0;
    const char* device = nullptr;
    bool verbose = false;
    bool baudGiven = false;
    std::vector<SimFault> faults;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--com" && hasValue) {
            com = std::atoi(argv[++i]);
        } else if (a == "--device" && hasValue) {
            device = argv[++i];
        } else if (a == "--receiver" && hasValue) {
            const std::string kind = argv[++i];
            if (kind == "board") {
                options.receiver = zentrix::sim::SimReceiver::SurveyBoard;
            } else if (kind == "sirf") {
                options.receiver = zentrix::sim::SimReceiver::SirfChip;
            } else {
                return usage();
            }
        } else if (a == "--baud" && hasValue) {
            options.baudRate = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
            baudGiven = true;
        } else if (a == "--nmea") {
            options.sirfStartsBinary = false;
        } else if (a == "--place" && hasValue) {
            if (!parsePlace(argv[++i], &options.place))
                return usage();
        } else if (a == "--source-table" && hasValue) {
            options.sourceTable = argv[++i];
        } else if (a == "--replay" && hasValue) {
            options.receiver = zentrix::sim::SimReceiver::Replay;
            options.replayLog = argv[++i];
        } else if (a == "--fast") {
            options.replayRealTime = false;
        } else if (a == "--loop") {
            options.replayLoop = true;
        } else if (a == "--radio" && hasValue) {
            char port = 0;
            zentrix::sim::FittedRadio radio;
            if (!parseRadio(argv[++i], &port, &radio))
                return usage();
            options.radios[port] = radio;
        } else if (a == "--no-radio" && hasValue) {
            const std::string port = argv[++i];
            if (port.size() != 1 || std::string_view("ABD").find(port[0]) == std::string_view::npos)
                return usage();
            options.radios.erase(port[0]);
        } else if (a == "--radio-on") {
            options.radioOn = true;
        } else if (a == "--handheld-port" && hasValue) {
            const std::string port = argv[++i];
            if (port.size() != 1 ||
                std::string_view("ABCDF").find(port[0]) == std::string_view::npos)
                return usage();
            options.handheldPort = port[0];
        } else if (a == "--retry-links") {
            options.retriesRefusedLinks = true;
        } else if (a == "--fault" && hasValue) {
            SimFault fault{};
            if (!faultOf(argv[++i], &fault))
                return usage();
            faults.push_back(fault);
        } else if (a == "--verbose") {
            verbose = true;
        } else {
            return usage();
        }
    }
    if (options.receiver == zentrix::sim::SimReceiver::SirfChip && !baudGiven)
        options.baudRate = 38400;
    if (zentrix::sim::baudCodeOf(options.baudRate) < 0) {
        std::fprintf(stderr, "zentrix-sim: no receiver talks at %u baud\n", options.baudRate);
        return 2;
    }

    zentrix::sim::Simulator sim(options);
    const bool opened = device ? sim.serveDevice(device) : sim.openPseudoTerminal();
    if (!opened) {
        std::fprintf(stderr, "zentrix-sim: cannot open %s: %s\n",
                     device ? device : "a pseudo-terminal", std::strerror(errno));
        return 1;
    }
    if (com > 0 && !sim.linkAsComPort(com)) {
        std::fprintf(stderr, "zentrix-sim: cannot link COM%d in the device root\n", com);
        return 1;
    }
    for (SimFault fault : faults) sim.setFault(fault);
    // Started in the background by a script, the simulator ignores the terminal's Ctrl-C like
    // any background job: the script ends it after the program has given its receiver back.
    if (::signal(SIGINT, SIG_IGN) != SIG_IGN)
        ::signal(SIGINT, onSignal);
    ::signal(SIGTERM, onSignal);
    sim.start();
    std::printf("%s\n", sim.devicePath().c_str());
    std::fflush(stdout);

    size_t shown = 0;
    std::string console;
    bool stdinOpen = true;
    while (!stopSignal) {
        pollfd p{STDIN_FILENO, POLLIN, 0};
        if (stdinOpen && ::poll(&p, 1, 200) > 0) {
            char buffer[256];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0)
                stdinOpen = false;
            for (ssize_t k = 0; k < n; ++k) {
                if (buffer[k] == '\n') {
                    handleConsoleLine(console, sim);
                    console.clear();
                } else if (console.size() < 200) {
                    console.push_back(buffer[k]);
                }
            }
        } else if (!stdinOpen) {
            ::usleep(200000);
        }
        if (verbose) {
            const auto log = sim.commandLog();
            for (; shown < log.size(); ++shown) std::fprintf(stderr, "<- %s\n", log[shown].c_str());
        }
    }
    sim.stop();
    return 0;
}
