#include "tools/gallery/program_entries.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/about_dialog.h"
#include "app/main_menu_dialog.h"
#include "app/startup.h"
#include "app/startup_window.h"
#include "framework/message_box.h"
#include "framework/resources.h"
#include "receiver/gnss_receiver.h"
#include "receiver/sirf/sirf_receiver.h"
#include "resources/resource_ids.h"
#include "tools/sim/simulator.h"

namespace zentrix::gallery {
namespace {

/// The simulated board and the program's receiver on it, for the whole gallery run.
class SimulatedReceiver {
  public:
    SimulatedReceiver() {
        char pattern[] = "/tmp/zentrix-gallery-XXXXXX";
        if (const char* folder = mkdtemp(pattern)) {
            root_ = folder;
            setenv("ZENTRIX_ROOT", folder, 1);
        }
        sim::SimOptions options;
        simulator_ = std::make_unique<sim::Simulator>(options);
        if (simulator_->openPseudoTerminal() && simulator_->linkAsComPort(3) &&
            simulator_->start() && receiver_.connect(u"COM3:")) {
            // As the program's start: the receiver's time to fix and antenna reports, which the
            // settings sheet's antenna list waits for, from the next epoch on.
            receiver_.setWtiOutput(true);
            receiver_.setA2dOutput(true);
            receiver_.waitVector();
            receiver_.waitVector();
        }
    }
    ~SimulatedReceiver() {
        receiver_.disconnect();
        simulator_.reset();
        std::error_code error;
        if (!root_.empty())
            std::filesystem::remove_all(root_, error);
    }

    receiver::ReceiverInterface* receiver() { return &receiver_; }

  private:
    std::filesystem::path root_;
    std::unique_ptr<sim::Simulator> simulator_;
    receiver::GnssReceiver receiver_;
};

}  // namespace

receiver::ReceiverInterface* simulatedReceiver() {
    static SimulatedReceiver simulated;
    return simulated.receiver();
}

void registerProgramGallery(framework::GalleryRegistry& gallery) {
    gallery.add("main_menu", [] {
        return std::make_unique<app::CMainMenuDialog>(simulatedReceiver(), app::kSurveyModel,
                                                      app::ConnectionSettings{});
    });
    gallery.add("main_menu_gps_only", [] {
        return std::make_unique<app::CMainMenuDialog>(simulatedReceiver(), app::kGpsOnlyModel1,
                                                      app::ConnectionSettings{});
    });
    gallery.add("about", [] { return std::make_unique<app::CAboutZentrix>(simulatedReceiver()); });
    // The GPS-only chip tells no versions: the about box without its firmware lines.
    gallery.add("about_gps_only", [] {
        static receiver::SirfReceiver chip(app::kGpsOnlyModel1);
        return std::make_unique<app::CAboutZentrix>(&chip);
    });

    // The start-up window while the search tries the first rate.
    gallery.add("startup", [] {
        auto window = std::make_unique<app::CStartupWindow>(u"COM3:", "/dev/ttyS2");
        window->showStep({receiver::ConnectStep::Stage::TryingRate, 57600});
        return window;
    });

    // The message boxes as the program shows them: titled with its name, over its window.
    const auto title = [] { return framework::loadString(IDS_APP_TITLE); };
    gallery.add("message_already_running", [title] {
        return framework::makeMessageBoxWindow(framework::loadString(IDS_ALREADY_RUNNING), title(),
                                               framework::MB_ICONINFORMATION);
    });
    gallery.add("message_cannot_connect", [title] {
        // The most common failure: nothing at the port's device. The advice names the device
        // root the user has, not the gallery's scratch one.
        const char* scratchRoot = std::getenv("ZENTRIX_ROOT");
        const std::string saved = scratchRoot ? scratchRoot : "";
        unsetenv("ZENTRIX_ROOT");
        app::ConnectionFailure failure;
        failure.portName = u"COM3:";
        failure.devicePath = "/dev/ttyS2";
        failure.openError = ENOENT;
        const platform::WideString text = app::connectionFailureText(failure);
        if (scratchRoot)
            setenv("ZENTRIX_ROOT", saved.c_str(), 1);
        return framework::makeMessageBoxWindow(text, title(), framework::MB_ICONERROR);
    });
    gallery.add("message_reset_question", [title] {
        return framework::makeMessageBoxWindow(framework::loadString(IDS_RESET_QUESTION), title(),
                                               framework::MB_YESNO | framework::MB_ICONEXCLAMATION);
    });
    gallery.add("message_cannot_power_off", [title] {
        return framework::makeMessageBoxWindow(framework::loadString(IDS_CANNOT_POWER_OFF), title(),
                                               framework::MB_OK);
    });
}

}  // namespace zentrix::gallery
