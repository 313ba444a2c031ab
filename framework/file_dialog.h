// Save and open file dialogs on the handheld's file system.
//
// The program names files by handheld paths ("\My Documents\NMEA.txt"); on this machine they live
// below the device root (platform/device_root.h). The dialog shows that folder as the whole file
// system, will not leave it, and hands back handheld paths, so a page never sees where the
// device root is. Tests answer the dialog through a handler (the test kit's
// queueFileDialogAnswer); without a display and without a handler it is cancelled.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/types.h"
#include "framework/wnd_styles.h"
#include "platform/text.h"

namespace zentrix::framework {

class CWnd;

// Flags of CFileDialog, as the platform numbers them.
constexpr DWORD OFN_READONLY = 0x1;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x2;
constexpr DWORD OFN_HIDEREADONLY = 0x4;
constexpr DWORD OFN_PATHMUSTEXIST = 0x800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x1000;

/// One file dialog as a page asked for it.
struct FileDialogRecord {
    bool save = true;
    WideString filter;  ///< "Text File (*.txt)|*.txt|"
    DWORD flags = 0;
    WideString initialFolder;  ///< handheld path, "\" for the root
    WideString fileName;       ///< the name offered
    WideString defaultExt;
};

/// Answers file dialogs in place of the user: a handheld path, or nothing for Cancel.
using FileDialogHandler = std::function<std::optional<WideString>(const FileDialogRecord&)>;
void setFileDialogHandler(FileDialogHandler handler);

class CFileDialog {
  public:
    /// `openFileDialog` false makes a save dialog. `fileName` may carry a handheld folder, which
    /// then is the initial folder unless SetInitialFolder names one. `filter` is the platform's
    /// "Description|patterns|Description|patterns|" list, patterns separated by ";".
    explicit CFileDialog(bool openFileDialog, WideStringView defaultExt = {},
                         WideStringView fileName = {},
                         DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         WideStringView filter = {}, CWnd* parent = nullptr);

    /// The handheld folder the dialog starts in ("\My Documents"); a folder that does not exist
    /// starts it at the root.
    void SetInitialFolder(WideStringView handheldFolder) { initialFolder_ = handheldFolder; }

    /// IDOK when the user chose a file, IDCANCEL otherwise.
    int DoModal();

    /// The chosen file as a handheld path ("\My Documents\x.txt").
    WideString GetPathName() const { return pathName_; }
    /// Its name ("x.txt"), extension ("txt") and folder ("\My Documents", "\" at the root).
    WideString GetFileName() const;
    WideString GetFileExt() const;
    WideString GetFolderPath() const;

    /// What the dialog shows and offers (also what a test handler receives).
    FileDialogRecord record() const;

  private:
    bool open_;
    WideString defaultExt_;
    WideString fileName_;
    DWORD flags_;
    WideString filter_;
    CWnd* parent_;
    WideString initialFolder_;
    WideString pathName_;
};

/// The file filter as (description, patterns) pairs; a description without its patterns in
/// brackets gets them appended, and ";" between patterns becomes " " ("Text File (*.txt)",
/// "*.txt").
std::vector<std::pair<WideString, WideString>> parseFileFilter(WideStringView filter);

/// The handheld path of a file of this machine, nothing when it lies outside the device root
/// (a link below the root, as "Storage Card" may be, counts as inside).
std::optional<WideString> handheldPathFor(const std::filesystem::path& local);

/// A handheld path written the one way: "\" separators, a leading "\", no "..", no "." and no
/// trailing "\" (the root is "\").
WideString normalHandheldPath(WideStringView handheldPath);

}  // namespace zentrix::framework
