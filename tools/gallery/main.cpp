// zentrix-gallery OUTDIR: renders every registered dialog, sheet and message box to
// OUTDIR/<name>.png, and as the program shows it at scale 2 to <name>@2x.png, headless.
// zentrix-gallery --show NAME: opens one of them on the screen, modally.
// zentrix-gallery --list: the names.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "framework/dialog.h"
#include "framework/property_sheet.h"
#include "framework/test_kit.h"
#include "framework/test_kit_gallery.h"
#include "framework/win_app.h"
#include "platform/command_line.h"
#include "resources/resource_ids.h"
#include "tools/gallery/diff_entries.h"
#include "tools/gallery/network_entries.h"
#include "tools/gallery/program_entries.h"
#include "tools/gallery/settings_entries.h"
#include "tools/gallery/status_entries.h"
#include "tools/gallery/today_entries.h"

namespace {

using namespace zentrix::framework;

GalleryRegistry makeRegistry() {
    GalleryRegistry gallery;
    registerSampleGallery(gallery);
    zentrix::gallery::registerProgramGallery(gallery);
    zentrix::gallery::registerStatusGallery(gallery);
    zentrix::gallery::registerSettingsGallery(gallery);
    zentrix::gallery::registerNetworkGallery(gallery);
    zentrix::gallery::registerTodayGallery(gallery);
    zentrix::gallery::registerDiffGallery(gallery);
    return gallery;
}

int show(const GalleryRegistry& gallery, const std::string& name) {
    const GalleryEntry* entry = gallery.find(name);
    if (!entry) {
        std::fprintf(stderr, "zentrix-gallery: no entry '%s' (see --list)\n", name.c_str());
        return 2;
    }
    if (const std::string reason = windowSystemUnavailableReason(); !reason.empty()) {
        std::fprintf(stderr, "zentrix-gallery: cannot show '%s'. %s\n", name.c_str(),
                     reason.c_str());
        return 1;
    }
    ensureTestApplication();
    setApplicationIcon(zentrix::IDR_MAINFRAME);
    std::unique_ptr<CWnd> window = entry->make();
    const int result = window ? runGalleryWindow(*window) : -1;
    std::printf("%s ended with %d\n", name.c_str(), result);
    return result < 0 ? 1 : 0;
}

int renderPass(const GalleryRegistry& gallery, const std::filesystem::path& folder,
               const std::string& suffix) {
    int failures = 0;
    for (const GalleryEntry& entry : gallery.entries()) {
        ScopedTestKit kit;
        // As the program: its windows and boxes carry its icon.
        setApplicationIcon(zentrix::IDR_MAINFRAME);
        std::unique_ptr<CWnd> window = entry.make();
        const std::string file = entry.name + suffix + ".png";
        const std::filesystem::path path = folder / file;
        CWnd* shown = nullptr;
        if (window && openGalleryEntry(kit, entry, *window))
            shown = galleryPicture(entry, *window);
        if (!shown || !kit.renderToPng(*shown, path.string())) {
            std::fprintf(stderr, "zentrix-gallery: could not render %s\n", file.c_str());
            ++failures;
            continue;
        }
        std::printf("%s\n", path.c_str());
    }
    return failures;
}

// Points Qt's headless platform at a desktop screen of 1920 x 1080 pixels with `ratio` device
// pixels per pixel, described in a file in `folder`.
bool useDesktopScreen(const std::filesystem::path& folder, int ratio) {
    const std::filesystem::path config = folder / ("screen" + std::to_string(ratio) + ".json");
    FILE* file = std::fopen(config.c_str(), "w");
    if (!file)
        return false;
    std::fprintf(file,
                 "{\"screens\": [{\"name\": \"desktop\", \"x\": 0, \"y\": 0, \"width\": 1920, "
                 "\"height\": 1080, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": %d}]}\n",
                 ratio);
    const bool written = std::fclose(file) == 0;
    const std::string platform = "offscreen:configfile=" + config.string();
    setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    return written;
}

int render(const GalleryRegistry& gallery, const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    char pattern[] = "/tmp/zentrix-gallery-screen-XXXXXX";
    const char* scratch = mkdtemp(pattern);
    if (!scratch) {
        std::fprintf(stderr, "zentrix-gallery: no scratch folder for the screen description\n");
        return 1;
    }
    // The program on a screen of scale 2 (a desktop at 200 %) keeps the layout of scale 1 and
    // draws it with two device pixels per pixel: fonts, icons and the 64-pixel menu icons at that
    // resolution. Qt takes its screen once, as it starts, so the @2x images come from a process
    // of their own, started before this one starts Qt.
    unsetenv("QT_SCALE_FACTOR");
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        int failures = useDesktopScreen(scratch, 2) ? 0 : 1;
        failures += renderPass(gallery, folder, "@2x");
        // exit, not _exit: the simulated receiver's scratch device root goes with its destructor.
        std::exit(failures == 0 ? 0 : 1);
    }
    int status = -1;
    if (child < 0 || waitpid(child, &status, 0) != child)
        status = -1;
    const bool doubledRendered = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!doubledRendered)
        std::fprintf(stderr, "zentrix-gallery: the @2x images were not all rendered\n");
    int failures = useDesktopScreen(scratch, 1) ? 0 : 1;
    failures += renderPass(gallery, folder, "");
    std::filesystem::remove_all(scratch, error);
    return failures == 0 && doubledRendered ? 0 : 1;
}

}  // namespace

constexpr char kUsage[] =
    "usage: zentrix-gallery OUTDIR | --show NAME | --list    (--help, --version)\n"
    "  OUTDIR       render every window to OUTDIR/<name>.png and, at scale 2, <name>@2x.png\n"
    "  --show NAME  open one on the screen\n"
    "  --list       name them\n";

int main(int argc, char** argv) {
    if (const auto exitCode =
            zentrix::platform::answerHelpOrVersion(argc, argv, "zentrix-gallery", kUsage))
        return *exitCode;
    const GalleryRegistry gallery = makeRegistry();
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
        for (const auto& entry : gallery.entries()) std::printf("%s\n", entry.name.c_str());
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--show") == 0)
        return show(gallery, argv[2]);
    if (argc == 2 && argv[1][0] != '-')
        return render(gallery, argv[1]);
    std::fputs(kUsage, stderr);
    return 2;
}
