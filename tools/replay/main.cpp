// zentrix-replay: what Zentrix makes of a receiver's output, one JSON line per published snapshot,
// from a captured log or live from a serial port.
#include <signal.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "tools/replay/replay.h"

namespace {

std::atomic<bool> stopRequested{false};
void onSignal(int) {
    stopRequested = true;
}

constexpr char kUsage[] =
    "usage: zentrix-replay [--publish-on-gga] [--raw] FILE\n"
    "       zentrix-replay --receiver nmea [--raw] FILE\n"
    "       zentrix-replay --port COM3: [--baud N] [--configure] [--dial]\n"
    "                      [--seconds N] [--publish-on-gga]\n"
    "       zentrix-replay --port COM3: --receiver nmea [--seconds N]\n"
    "       zentrix-replay --sourcetable FILE\n"
    "  FILE            a captured receiver log; - reads standard input\n"
    "  --receiver KIND board (default): the survey board's reader; nmea: any receiver\n"
    "                  that speaks standard NMEA 0183, one position and one satellite\n"
    "                  table per epoch, satellites numbered GPS 1-32, GLONASS 65-96,\n"
    "                  SBAS 120-158, QZSS 193-202, Galileo 301-336, BeiDou 401-463,\n"
    "                  \"utc\" in ISO 8601 once RMC or ZDA gave the date; with --port\n"
    "                  the rate is found by listening and nothing is sent\n"
    "  --publish-on-gga  also publish the position after every GGA (receivers that\n"
    "                  send no VEC)\n"
    "  --raw           feed the bytes as they are (no CR LF line ends added, no '#'\n"
    "                  note lines left out)\n"
    "  --port NAME     read a receiver live through the program's reader thread\n"
    "  --baud N        the port's rate (default 57600)\n"
    "  --configure     switch on GGA, GSA, GSV, GST, ZDA, VTG and VEC every second\n"
    "  --dial          start the receiver's modem and dial, so corrections arrive\n"
    "  --seconds N     stop after N seconds (default: at Ctrl-C)\n"
    "  --sourcetable FILE  list the stations of a saved NTRIP source table, one JSON\n"
    "                  object per line\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

void printLine(const std::string& line) {
    // One line at a time, at once: a person is watching, or a pipe is reading.
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int runLiveView(const zentrix::replay::LiveOptions& live) {
    ::signal(SIGINT, onSignal);
    ::signal(SIGTERM, onSignal);
    const auto end =
        zentrix::replay::runLive(live, stopRequested, printLine, [](const std::string& note) {
            std::fprintf(stderr, "zentrix-replay: %s\n", note.c_str());
        });
    using zentrix::replay::LiveEnd;
    return end == LiveEnd::Stopped || end == LiveEnd::TimeUp ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto exitCode =
            zentrix::platform::answerHelpOrVersion(argc, argv, "zentrix-replay", kUsage))
        return *exitCode;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto command = zentrix::replay::parseCommandLine(args);
    if (!command)
        return usage();
    if (command->live)
        return runLiveView(*command->live);
    if (!command->sourceTableFile.empty()) {
        std::ifstream in(command->sourceTableFile, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "zentrix-replay: cannot read %s: %s\n",
                         command->sourceTableFile.c_str(), std::strerror(errno));
            return 1;
        }
        std::ostringstream content;
        content << in.rdbuf();
        zentrix::replay::sourceTableStations(content.str(), printLine);
        return 0;
    }

    const std::string& file = command->file;
    std::string bytes;
    if (file == "-") {
        bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "zentrix-replay: cannot read %s: %s\n", file.c_str(),
                         std::strerror(errno));
            return 1;
        }
        std::ostringstream content;
        content << in.rdbuf();
        bytes = content.str();
    }
    std::ios::sync_with_stdio(false);
    zentrix::replay::replay(std::move(bytes), command->replay,
                            [](const std::string& line) { std::cout << line << '\n'; });
    std::cout.flush();
    return std::cout ? 0 : 1;
}
