// The window a start shows from its first moment until the menu or the failure box: what it is
// doing while it looks for the receiver (which takes a minute and a half when nothing answers),
// with Cancel, which ends the search and the program.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "framework/busy_wait.h"
#include "framework/dialog.h"
#include "receiver/commands/receiver_interface.h"

namespace zentrix::app {

class CStartupWindow : public framework::CDialog {
  public:
    /// `portName` "COM3:" and the device it resolves to (empty when none), for the texts.
    CStartupWindow(platform::WideString portName, std::filesystem::path devicePath);
    ~CStartupWindow() override;

    /// Creates and shows the window, which then takes its Cancel even inside the receiver's
    /// waits.
    bool open();
    /// Looking for the receiver service.
    void showServiceSearch();
    /// Shows what the search is doing; false once the user has cancelled, which is what the
    /// receiver's progress listener answers.
    bool showStep(const receiver::ConnectStep& step);
    bool cancelled() const { return cancelled_; }
    /// Every text the window has shown, in order.
    const std::vector<platform::WideString>& texts() const { return texts_; }

    /// Shows the latest text, also one given before the window existed.
    bool OnInitDialog() override;
    /// Gives the search up: the waits of the start end at once, the receiver stops searching.
    void OnCancel() override;

    /// Called after each new text (tests play the user through it); null for nobody.
    static void setTextObserver(std::function<void(CStartupWindow&)> observer);

  private:
    void show(platform::WideString text);

    platform::WideString portName_;
    platform::WideString device_;
    bool cancelled_ = false;
    std::vector<platform::WideString> texts_;
    std::optional<framework::ResponsiveDuringWaits> responsive_;
};

}  // namespace zentrix::app
