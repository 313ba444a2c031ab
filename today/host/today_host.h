// The Today host: a small launcher window that stands in for the handheld's Today screen. It loads
// item plug-ins, lays their windows out one below the other, sends them the Today messages and
// reloads them on the Today refresh broadcast.
#pragma once

#include <memory>
#include <vector>

#include "framework/today_item.h"
#include "today/host/plugin_loader.h"

namespace zentrix::today {

/// Runs the host until its window is closed; the process's exit status.
int runTodayHost(int argc, char** argv);

/// One item of the list as the host holds it.
struct HostedItem {
    HostItemEntry entry;
    std::unique_ptr<PluginLibrary> library;
    /// What the item was given; it stays where it is while the item lives (the item writes its
    /// height into it).
    std::unique_ptr<framework::TODAYLISTITEM> description;
    framework::HWND window = nullptr;  ///< null when the item made none (disabled, failed)
};

/// The host window (dialog IDD_TODAY_HOST). User-interface thread only.
class TodayHost {
  public:
    /// How often the items are asked whether they changed, as the Today screen did.
    static constexpr unsigned kRefreshPollMs = 2000;
    static constexpr framework::UINT_PTR kRefreshPollTimer = 1;

    explicit TodayHost(std::shared_ptr<platform::Registry> registry);
    ~TodayHost();
    TodayHost(const TodayHost&) = delete;
    TodayHost& operator=(const TodayHost&) = delete;

    /// Makes the window modeless and loads the items; false when the window cannot be made.
    bool create();
    /// Makes the window modal, loads the items and waits until it is closed.
    void run();

    framework::HWND window() const { return window_; }
    const std::vector<HostedItem>& items() const { return items_; }
    /// One line for each item that could not be loaded, as the window shows them.
    const std::vector<WideString>& problems() const { return problems_; }
    /// How often the items were loaded (1 after the window opened).
    int loadCount() const { return loadCount_; }

    /// Destroys the item windows, unloads the plug-ins and loads the list again. While plug-in
    /// code may be waiting below (the options dialog, or a dialog or message box an item opened)
    /// it only notes the reload: the end of the options dialog or the next poll does it.
    void reload();
    /// Does a reload that waited, else asks every item whether it changed and lays them out
    /// again when one did.
    void pollItems();
    /// "Items...": the options dialog of the first item that has one.
    void openItemOptions();

  private:
    static framework::LRESULT procedure(framework::HWND window, framework::UINT message,
                                        framework::WPARAM wParam, framework::LPARAM lParam);
    framework::LRESULT handle(framework::UINT message, framework::WPARAM wParam,
                              framework::LPARAM lParam);
    void loadItems();
    void unloadItems();
    void layout();
    void paint();
    void close();

    std::shared_ptr<platform::Registry> registry_;
    framework::HWND window_ = nullptr;
    bool modal_ = false;
    bool inOptions_ = false;
    bool reloadPending_ = false;
    int loadCount_ = 0;
    int problemsTop_ = 0;
    std::vector<HostedItem> items_;
    std::vector<WideString> problems_;
};

}  // namespace zentrix::today
