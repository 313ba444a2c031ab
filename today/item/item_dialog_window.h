// The item dialog: one launcher item's name, what it opens, its arguments and its icon.
#pragma once

#include "framework/dialog.h"
#include "today/launcher_settings.h"

namespace zentrix::today {

/// Works on a copy of the item; `item()` is what OK confirmed. The file path may be a handheld
/// path (the browse button chooses one below the device root) or an absolute path of this
/// machine typed as it stands ("/usr/bin/xterm", "/usr/share/applications/x.desktop").
class CItemDialog : public framework::CDialog {
  public:
    explicit CItemDialog(const LauncherItem& item, framework::CWnd* parent = nullptr);

    bool OnInitDialog() override;
    void DoDataExchange(framework::CDataExchange* dx) override;
    /// Refuses an empty name with a message.
    void OnOK() override;

    void OnBrowseFile();
    /// Puts the chosen file in as the command line, quoted when it holds a blank.
    void OnBrowseCommand();
    void OnChangeIcon();

    const LauncherItem& item() const { return item_; }

  private:
    void showIcon();

    LauncherItem item_;
};

}  // namespace zentrix::today
