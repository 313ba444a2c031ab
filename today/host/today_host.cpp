#include "today/host/today_host.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "framework/broadcast.h"
#include "framework/message_box.h"
#include "framework/resources.h"
#include "framework/win_app.h"
#include "platform/command_line.h"
#include "resources/resource_ids.h"

namespace zentrix::today {

using namespace framework;
using platform::fromUtf8;

namespace {

/// A plain light background and a dark text on it.
constexpr COLORREF kBackground = RGB(238, 243, 250);
constexpr COLORREF kText = RGB(24, 32, 48);
constexpr COLORREF kHighlight = RGB(49, 106, 197);
constexpr COLORREF kHighlightedText = RGB(255, 255, 255);
constexpr int kMargin = 4;
/// The options dialog every item plug-in brings.
constexpr UINT kItemOptionsDialog = 500;

constexpr char kUsage[] =
    "usage: zentrix-today [--help | --version]\n"
    "Shows the Today screen's items (the launcher) in a window of its own. It needs a display.\n"
    "The items are listed in the registry of the device root, key HKEY_CURRENT_USER\n"
    "Software\\Zentrix\\Today\\Items; without a list it shows the launcher of the package.\n"
    "Environment:\n"
    "  ZENTRIX_ROOT  the handheld's file system (default ~/.local/share/zentrix/root)\n";

class CTodayApp : public CWinApp {
  public:
    CTodayApp() : CWinApp(u"Today") {}
    bool InitInstance() override {
        std::string error;
        if (!ListenForBroadcasts(&error))
            std::fprintf(stderr, "zentrix-today: no refresh from other programs: %s\n",
                         error.c_str());
        TodayHost host(platform::Registry::device());
        host.run();
        return false;
    }
};

}  // namespace

int runTodayHost(int argc, char** argv) {
    if (const auto exitCode = platform::answerHelpOrVersion(argc, argv, "zentrix-today", kUsage))
        return *exitCode;
    return runApplication(argc, argv, [] { return std::make_unique<CTodayApp>(); });
}

TodayHost::TodayHost(std::shared_ptr<platform::Registry> registry)
    : registry_(std::move(registry)) {}

TodayHost::~TodayHost() {
    // The item windows first: their handlers are plug-in code.
    unloadItems();
    if (window_)
        DestroyWindow(std::exchange(window_, nullptr));
}

bool TodayHost::create() {
    modal_ = false;
    const HWND window = CreateDialogParam(nullptr, IDD_TODAY_HOST, nullptr, procedure,
                                          reinterpret_cast<LPARAM>(this));
    if (window)
        ShowWindow(window, SW_SHOW);
    return window != nullptr;
}

void TodayHost::run() {
    modal_ = true;
    DialogBoxParam(nullptr, IDD_TODAY_HOST, nullptr, procedure, reinterpret_cast<LPARAM>(this));
}

LRESULT TodayHost::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* host = reinterpret_cast<TodayHost*>(lParam);
        SetWindowUserData(window, lParam);
        host->window_ = window;
        host->loadItems();
        SetTimer(window, kRefreshPollTimer, kRefreshPollMs, nullptr);
        return 1;
    }
    auto* host = reinterpret_cast<TodayHost*>(GetWindowUserData(window));
    return host ? host->handle(message, wParam, lParam) : 0;
}

LRESULT TodayHost::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TODAYCUSTOM_QUERYREFRESHCACHE:
            return 0;
        case TODAYM_DRAWWATERMARK: {
            const auto* info = reinterpret_cast<const TODAYDRAWWATERMARKINFO*>(lParam);
            if (!info || !info->hdc)
                return 0;
            info->hdc->FillSolidRect(info->rc, kBackground);
            return 1;
        }
        case TODAYM_GETCOLOR:
            switch (wParam) {
                case TODAYCOLOR_TEXT:
                    return static_cast<LRESULT>(kText);
                case TODAYCOLOR_HIGHLIGHT:
                    return static_cast<LRESULT>(kHighlight);
                case TODAYCOLOR_HIGHLIGHTEDTEXT:
                    return static_cast<LRESULT>(kHighlightedText);
                default:
                    return static_cast<LRESULT>(kText);
            }
        case WM_WININICHANGE:
            if (wParam == kTodayRefreshCode)
                reload();
            return 1;
        case WM_TIMER:
            if (wParam == kRefreshPollTimer)
                pollItems();
            return 1;
        case WM_PAINT:
            paint();
            return 1;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_TODAY_HOST_ITEMS)
                openItemOptions();
            else if (LOWORD(wParam) == IDCANCEL)
                close();
            return 1;
        case WM_DESTROY:
            // Destroyed from outside: the item windows go with it; their code stays loaded until
            // this object ends.
            for (HostedItem& item : items_) item.window = nullptr;
            window_ = nullptr;
            return 1;
        default:
            return 0;
    }
}

void TodayHost::close() {
    unloadItems();
    const HWND window = window_;
    if (modal_) {
        EndDialog(window, IDCANCEL);
    } else {
        window_ = nullptr;
        DestroyWindow(window);
    }
}

void TodayHost::loadItems() {
    ++loadCount_;
    problems_.clear();
    for (HostItemEntry& entry : loadItemList(*registry_)) {
        if (!entry.enabled)
            continue;
        HostedItem item;
        item.entry = std::move(entry);
        item.library = std::make_unique<PluginLibrary>();
        if (!item.library->open(item.entry.path)) {
            problems_.push_back(formatPattern(loadString(IDS_TODAY_HOST_LOAD_FAILED),
                                              {item.entry.name, fromUtf8(item.library->error())}));
            continue;
        }
        item.description = std::make_unique<TODAYLISTITEM>();
        TODAYLISTITEM& description = *item.description;
        description.szName = item.entry.name;
        description.dwOrder = item.entry.order;
        description.fEnabled = true;
        description.fOptions = item.library->optionsProc() != nullptr;
        description.szDLLPath = item.entry.path;
        description.hinstDLL = item.library->handle();
        item.window = item.library->initialize()(&description, window_);
        description.hwndCustom = item.window;
        if (item.window) {
            SendMessage(item.window, WM_TODAYCUSTOM_QUERYREFRESHCACHE,
                        reinterpret_cast<WPARAM>(&description), 0);
        }
        items_.push_back(std::move(item));
    }
    layout();
}

void TodayHost::unloadItems() {
    for (HostedItem& item : items_) {
        if (item.window)
            DestroyWindow(std::exchange(item.window, nullptr));
    }
    // Only once no window of theirs is left.
    items_.clear();
}

void TodayHost::reload() {
    // Plug-in code below this call (its dialog or message box waiting) must not be unloaded:
    // the next poll after it has returned reloads.
    if (inOptions_ || WindowHandlerDepth() > 1) {
        reloadPending_ = true;
        return;
    }
    reloadPending_ = false;
    unloadItems();
    if (window_)
        loadItems();
}

void TodayHost::pollItems() {
    if (reloadPending_) {
        reload();
        if (!reloadPending_)
            return;
    }
    bool changed = false;
    for (HostedItem& item : items_) {
        if (item.window && SendMessage(item.window, WM_TODAYCUSTOM_QUERYREFRESHCACHE,
                                       reinterpret_cast<WPARAM>(item.description.get()), 0)) {
            changed = true;
        }
    }
    if (changed)
        layout();
}

void TodayHost::layout() {
    if (!window_)
        return;
    CRect client;
    GetClientRect(window_, &client);
    int y = 0;
    for (HostedItem& item : items_) {
        if (!item.window)
            continue;
        const int height = static_cast<int>(std::min<DWORD>(item.description->cyp, 10000));
        MoveWindow(item.window, 0, y, client.Width(), height, true);
        y += height;
    }
    problemsTop_ = y;
    InvalidateRect(window_, nullptr, true);
}

void TodayHost::paint() {
    PAINTSTRUCT ps;
    CDC* dc = BeginPaint(window_, &ps);
    if (!dc)
        return;
    CRect client;
    GetClientRect(window_, &client);
    dc->FillSolidRect(client, kBackground);
    if (!problems_.empty()) {
        CWnd* wnd = CWnd::FromHandle(window_);
        CFont* old = wnd && wnd->GetFont() ? dc->SelectObject(wnd->GetFont()) : nullptr;
        dc->SetTextColor(kText);
        dc->SetBkMode(TRANSPARENT);
        CRect line(kMargin, problemsTop_ + kMargin, client.right - kMargin, client.bottom);
        for (const WideString& problem : problems_) {
            CRect measured = line;
            dc->DrawText(problem, &measured, DT_WORDBREAK | DT_CALCRECT);
            dc->DrawText(problem, &line, DT_WORDBREAK);
            line.top += measured.Height() + kMargin;
        }
        if (old)
            dc->SelectObject(old);
    }
    EndPaint(window_, &ps);
}

void TodayHost::openItemOptions() {
    HostedItem* chosen = nullptr;
    for (HostedItem& item : items_) {
        if (item.library && item.library->optionsProc()) {
            chosen = &item;
            break;
        }
    }
    CWnd* owner = CWnd::FromHandle(window_);
    if (!chosen) {
        showMessageBox(owner, loadString(IDS_TODAY_HOST_NO_ITEM), {}, MB_OK | MB_ICONERROR);
        return;
    }
    // The dialog's code is the plug-in's: no reload while it runs.
    inOptions_ = true;
    const LRESULT result = DialogBoxParam(chosen->library->handle(), kItemOptionsDialog, window_,
                                          chosen->library->optionsProc(), 0);
    inOptions_ = false;
    if (result == -1) {
        showMessageBox(CWnd::FromHandle(window_), loadString(IDS_TODAY_HOST_NO_OPTIONS), {},
                       MB_OK | MB_ICONERROR);
    }
    if (reloadPending_)
        reload();
}

}  // namespace zentrix::today
