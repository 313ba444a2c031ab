// Zentrix: the field utility of the handheld's GNSS receiver.
#include <cstdio>
#include <string>
#include <vector>

#include "app/startup.h"
#include "app/zentrix_app.h"
#include "platform/command_line.h"

namespace {

constexpr char kUsage[] =
    "usage: zentrix [--receiver board|sirf|nmea|auto] [--port NAME]\n"
    "               [--share | --share-tcp[=PORT] | --no-share] [--help | --version]\n"
    "Finds the handheld's GNSS receiver, connects to it and shows the main menu. It needs a\n"
    "display.\n"
    "Options:\n"
    "  --receiver KIND     the receiver to open: board (the survey board), sirf (the GPS-only\n"
    "                      chip), nmea (any receiver that speaks standard NMEA 0183, only\n"
    "                      listened to) or auto (default: the handheld's own receiver, and a\n"
    "                      plain NMEA receiver when the line carries sentences but no board\n"
    "                      answers). The registry value Settings\\Receiver sets the default.\n"
    "  --port NAME         the receiver's port: COM3: (see ZENTRIX_COMn) or a device such as\n"
    "                      /dev/ttyUSB0 (default the registry value Settings\\Port, else COM1:\n"
    "                      on model 0143 and COM3: on the others)\n"
    "  --share             while connected, hand every byte read from the receiver on to\n"
    "                      other programs through a pseudo-terminal, linked as\n"
    "                      devices/ZENTRIX-SHARE in the device root and as\n"
    "                      $XDG_RUNTIME_DIR/zentrix/receiver (gpsd can read it); they can\n"
    "                      only listen\n"
    "  --share-tcp[=PORT]  the same, and also to TCP clients of 127.0.0.1:PORT (default\n"
    "                      10110)\n"
    "  --no-share          no share, whatever the registry value Settings\\Share (0 off,\n"
    "                      1 --share, 2 --share-tcp with the port Settings\\SharePort) says\n"
    "Environment:\n"
    "  ZENTRIX_ROOT        the handheld's file system (default ~/.local/share/zentrix/root)\n"
    "  ZENTRIX_COMn        the device behind port COMn: (default the link devices/COMn in the\n"
    "                      device root, else /dev/ttyS<n-1>)\n"
    "  ZENTRIX_MODEL_CODE  the handheld's model code (0143 and 0204 carry the GPS-only chip)\n";

}  // namespace

int main(int argc, char** argv) {
    if (const auto exitCode = zentrix::platform::answerHelpOrVersion(argc, argv, "zentrix", kUsage))
        return *exitCode;
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const zentrix::app::ParsedCommandLine parsed = zentrix::app::parseCommandLine(arguments);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "zentrix: %s\n%s", parsed.error.c_str(), kUsage);
        return 2;
    }
    return zentrix::framework::runApplication(argc, argv, [&parsed] {
        return std::make_unique<zentrix::app::CZentrixApp>(parsed.options);
    });
}
