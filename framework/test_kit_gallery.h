// The gallery's registry: every dialog, sheet and message box the program wants to see rendered
// registers a named entry that makes the window object (not yet opened). zentrix-gallery opens each
// entry headless and saves it as a PNG file, or shows one on the screen.
//
// A library with pages adds a function that registers its entries and the gallery's main calls
// it (static registration would be dropped by the linker from a static library):
//
//     void registerStatusGallery(GalleryRegistry& gallery) {
//         gallery.add("gnss_status", [] { return std::make_unique<CGnssStatusSheet>(...); });
//     }
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/wnd.h"

namespace zentrix::framework {

class ScopedTestKit;

struct GalleryEntry {
    std::string name;  ///< the file name, without ".png"
    /// Makes the dialog (a CDialog with its template id) or sheet (a CPropertySheet with its
    /// pages) to open.
    std::function<std::unique_ptr<CWnd>()> make;
    /// Brings the opened window to what the picture should show (a page's first timer tick);
    /// may be empty.
    std::function<void(CWnd&, ScopedTestKit&)> settle;
    /// The window to picture once settled when it is not the opened one (a dialog the settled
    /// window opened modeless beside it); may be empty.
    std::function<CWnd*(CWnd&)> view;
};

/// An entry that is not one window object but a scene it sets up itself: windows made through
/// the raw window layer (a host with the plug-in windows it loaded, a dialog procedure's dialog).
/// The gallery pictures `sceneWindow` once `openScene` made it.
class GalleryScene : public CWnd {
  public:
    /// Makes the scene's windows, headless; false when it cannot.
    virtual bool openScene() = 0;
    /// The window to picture, once open.
    virtual CWnd* sceneWindow() = 0;
    /// Shows the scene on the screen until it is closed (zentrix-gallery --show); how it ended.
    virtual int runScene() = 0;
};

class GalleryRegistry {
  public:
    void add(std::string name, std::function<std::unique_ptr<CWnd>()> make,
             std::function<void(CWnd&, ScopedTestKit&)> settle = {},
             std::function<CWnd*(CWnd&)> view = {});
    const std::vector<GalleryEntry>& entries() const { return entries_; }
    const GalleryEntry* find(const std::string& name) const;

  private:
    std::vector<GalleryEntry> entries_;
};

/// The framework's own samples: a dialog with a few controls of every kind, a property sheet
/// and an icon menu.
void registerSampleGallery(GalleryRegistry& gallery);

/// A message box as `showMessageBox(nullptr, text, caption, type)` shows it (text, icon,
/// buttons, title and window flags), as a window for the gallery. It answers nothing.
std::unique_ptr<CWnd> makeMessageBoxWindow(WideStringView text, WideStringView caption, UINT type);

/// Opens `window` modeless through `kit` (a dialog, a sheet or a message box window); false for
/// anything else.
bool openGalleryWindow(ScopedTestKit& kit, CWnd& window);
/// Opens `window`, made by `entry`, as `openGalleryWindow` does and settles it.
bool openGalleryEntry(ScopedTestKit& kit, const GalleryEntry& entry, CWnd& window);
/// The window to picture of an opened entry: its view, a scene's window, else the window itself.
CWnd* galleryPicture(const GalleryEntry& entry, CWnd& window);
/// Shows `window` modally on the screen and answers how it ended (a dialog's or sheet's result,
/// a message box's button), -1 for anything else.
int runGalleryWindow(CWnd& window);

}  // namespace zentrix::framework
