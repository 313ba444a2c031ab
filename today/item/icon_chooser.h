// The icon chooser of the item dialog: the file the icon comes from and the icon's number in it.
#pragma once

#include <cstdint>

#include "framework/dialog.h"
#include "framework/gdi_objects.h"
#include "today/launcher_settings.h"

namespace zentrix::today {

/// Icons are not taken out of programs here, so the number only travels with the item for the
/// data file's sake; "Check" shows the icon the file itself gives (an image, a desktop entry's
/// icon, the icon of its type), or says there is none.
class CIconChooserDialog : public framework::CDialog {
  public:
    /// `fileName` stands in for an empty icon path, as it does when the item is drawn.
    CIconChooserDialog(WideStringView iconPath, int32_t iconResource, WideStringView fileName,
                       framework::CWnd* parent = nullptr);

    bool OnInitDialog() override;
    void DoDataExchange(framework::CDataExchange* dx) override;

    void OnBrowse();
    void OnNext();
    void OnPrevious();
    void OnZero();
    /// Shows the icon of the path now typed; true when there is one.
    bool OnCheck();
    void OnCheckClicked();

    const WideString& iconPath() const { return iconPath_; }
    int32_t iconResource() const { return iconResource_; }

  private:
    /// The number now typed (0 when it is none) with `delta` added, kept within 0..INT32_MAX.
    void stepNumber(int delta);

    WideString iconPath_;
    int32_t iconResource_;
    WideString fileName_;
    framework::CBitmap preview_;
};

}  // namespace zentrix::today
