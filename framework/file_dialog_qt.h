// Internal: the Qt dialog behind CFileDialog, a non-native QFileDialog (the same on every
// desktop and headless) that keeps to the device root.
#pragma once

#include <QFileDialog>
#include <filesystem>

namespace zentrix::framework {

class RootedFileDialog : public QFileDialog {
  public:
    /// Shows `root` as the whole file system; `parent` may be null.
    RootedFileDialog(const std::filesystem::path& root, QWidget* parent);

    /// Refuses a choice outside the root: the dialog goes back to the root and stays open.
    void accept() override;

    const std::filesystem::path& root() const { return root_; }

  private:
    void keepInside(const QString& folder);

    std::filesystem::path root_;
};

}  // namespace zentrix::framework
