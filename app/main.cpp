// Zentrix: the field utility of the handheld's GNSS receiver.
#include "app/zentrix_app.h"
#include "platform/command_line.h"

namespace {

constexpr char kUsage[] =
    "usage: zentrix [--help | --version]\n"
    "Finds the handheld's GNSS receiver, connects to it and shows the main menu. It needs a\n"
    "display.\n"
    "Environment:\n"
    "  ZENTRIX_ROOT        the handheld's file system (default ~/.local/share/zentrix/root)\n"
    "  ZENTRIX_COMn        the device behind port COMn: (default the link devices/COMn in the\n"
    "                      device root, else /dev/ttyS<n-1>)\n"
    "  ZENTRIX_MODEL_CODE  the handheld's model code (0143 and 0204 carry the GPS-only chip)\n";

}  // namespace

int main(int argc, char** argv) {
    if (const auto exitCode = zentrix::platform::answerHelpOrVersion(argc, argv, "zentrix", kUsage))
        return *exitCode;
    return zentrix::framework::runApplication(
        argc, argv, [] { return std::make_unique<zentrix::app::CZentrixApp>(); });
}
