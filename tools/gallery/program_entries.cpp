#include "tools/gallery/program_entries.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/about_dialog.h"
#include "app/main_menu_dialog.h"
#include "receiver/gnss_receiver.h"
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
            simulator_->start()) {
            receiver_.connect(u"COM3:");
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

receiver::ReceiverInterface* simulatedReceiver() {
    static SimulatedReceiver simulated;
    return simulated.receiver();
}

}  // namespace

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
}

}  // namespace zentrix::gallery
