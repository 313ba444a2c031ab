// Importing a folder of programs and documents into a group: a walk of the folder and its
// subfolders that takes one item per file.
//
// The folder may be a handheld path ("\Windows\Start Menu", mapped through the device root, and
// the items keep handheld paths) or a folder of this machine ("/usr/share/applications", and the
// items keep its paths). The walk never leaves the tree it was given: links to folders are not
// followed. Whatever cannot become an item (an entry that cannot be read, a path longer than an
// item holds, a name the data file cannot carry) is left out and counted, so that the user hears
// how much is missing instead of finding out later.
#pragma once

#include <functional>
#include <vector>

#include "today/launcher_settings.h"

namespace zentrix::today {

/// Asked before the file that would be added after `added` files when `added` % 200 is 199;
/// false stops the whole walk.
using ImportContinueQuestion = std::function<bool(int added)>;

struct ImportResult {
    std::vector<LauncherItem> items;  ///< name and fileName set, in the order of the walk
    int skipped = 0;                  ///< entries left out that could have been items
    bool folderUnreadable = false;    ///< the folder itself could not be listed
    bool stopped = false;             ///< the question was answered No
};

/// Walks `folder` depth-first in name order. A file gives an item named by its name up to the
/// first "." (a desktop entry by its Name=; one marked Hidden or NoDisplay gives none); hidden
/// (dot) files and folders are passed over without being counted.
ImportResult importFolder(WideStringView folder, const ImportContinueQuestion& askContinue);

}  // namespace zentrix::today
