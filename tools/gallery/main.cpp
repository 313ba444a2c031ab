// zentrix-gallery OUTDIR: renders every registered dialog and sheet to OUTDIR/<name>.png (and
// at twice the resolution to <name>@2x.png), headless.
// zentrix-gallery --show NAME: opens one of them on the screen, modally.
// zentrix-gallery --list: the names.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "framework/dialog.h"
#include "framework/property_sheet.h"
#include "framework/test_kit.h"
#include "framework/test_kit_gallery.h"
#include "framework/win_app.h"
#include "platform/command_line.h"
#include "tools/gallery/program_entries.h"

namespace {

using namespace zentrix::framework;

GalleryRegistry makeRegistry() {
    GalleryRegistry gallery;
    registerSampleGallery(gallery);
    zentrix::gallery::registerProgramGallery(gallery);
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
    std::unique_ptr<CWnd> window = entry->make();
    int result = -1;
    if (auto* sheet = dynamic_cast<CPropertySheet*>(window.get())) {
        result = sheet->DoModal();
    } else if (auto* dialog = dynamic_cast<CDialog*>(window.get())) {
        result = dialog->DoModal();
    }
    std::printf("%s ended with %d\n", name.c_str(), result);
    return result < 0 ? 1 : 0;
}

int render(const GalleryRegistry& gallery, const std::filesystem::path& folder) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    int failures = 0;
    for (int dpi : {96, 192}) {
        for (const GalleryEntry& entry : gallery.entries()) {
            ScopedTestKit kit;
            kit.setScreenDpi(dpi);
            std::unique_ptr<CWnd> window = entry.make();
            const std::string file = entry.name + (dpi == 96 ? ".png" : "@2x.png");
            const std::filesystem::path path = folder / file;
            if (!window || !openGalleryWindow(kit, *window) ||
                !kit.renderToPng(*window, path.string())) {
                std::fprintf(stderr, "zentrix-gallery: could not render %s\n", file.c_str());
                ++failures;
                continue;
            }
            std::printf("%s\n", path.c_str());
        }
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace

constexpr char kUsage[] =
    "usage: zentrix-gallery OUTDIR | --show NAME | --list    (--help, --version)\n"
    "  OUTDIR       render every dialog and sheet to OUTDIR/<name>.png and <name>@2x.png\n"
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
