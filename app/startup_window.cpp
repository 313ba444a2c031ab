#include "app/startup_window.h"

#include <string>
#include <utility>

#include "app/startup.h"
#include "framework/resources.h"
#include "resources/resource_ids.h"

namespace zentrix::app {

using framework::loadString;
using platform::WideString;

namespace {
std::function<void(CStartupWindow&)> g_textObserver;

WideString rateText(uint32_t baudRate) {
    return platform::fromUtf8(std::to_string(baudRate));
}
}  // namespace

CStartupWindow::CStartupWindow(WideString portName, std::filesystem::path devicePath)
    : CDialog(IDD_STARTUP),
      portName_(std::move(portName)),
      device_(devicePath.empty() ? WideString(u"-") : platform::fromUtf8(devicePath.string())) {}

CStartupWindow::~CStartupWindow() {
    // The start's waits are over once its window goes; those of the program are not to be
    // given up any more.
    if (cancelled_)
        framework::abandonWaits(false);
}

void CStartupWindow::setTextObserver(std::function<void(CStartupWindow&)> observer) {
    g_textObserver = std::move(observer);
}

bool CStartupWindow::open() {
    if (!CreateModeless())
        return false;
    responsive_.emplace(*this);
    UpdateWindow();
    return true;
}

bool CStartupWindow::OnInitDialog() {
    CDialog::OnInitDialog();
    if (!texts_.empty())
        SetDlgItemText(IDC_STARTUP_TEXT, texts_.back());
    return true;
}

void CStartupWindow::showServiceSearch() {
    show(loadString(IDS_STARTUP_SERVICE));
}

bool CStartupWindow::showStep(const receiver::ConnectStep& step) {
    using Stage = receiver::ConnectStep::Stage;
    if (cancelled_)
        return false;
    switch (step.stage) {
        case Stage::OpeningPort:
            show(formatPattern(loadString(IDS_STARTUP_OPENING), {portName_, device_}));
            break;
        case Stage::TryingRate:
            show(formatPattern(loadString(IDS_STARTUP_SEARCHING),
                               {portName_, device_, rateText(step.baudRate)}));
            break;
        case Stage::SettingUp:
            show(formatPattern(loadString(IDS_STARTUP_SETTING_UP),
                               {portName_, rateText(step.baudRate)}));
            break;
        case Stage::Connected:
            show(loadString(IDS_STARTUP_CONNECTED));
            break;
    }
    return !cancelled_;
}

void CStartupWindow::OnCancel() {
    if (cancelled_)
        return;
    cancelled_ = true;
    if (CWnd* cancel = GetDlgItem(framework::IDCANCEL))
        cancel->EnableWindow(false);
    framework::abandonWaits(true);
}

void CStartupWindow::show(WideString text) {
    texts_.push_back(text);
    if (IsWindow()) {
        SetDlgItemText(IDC_STARTUP_TEXT, text);
        // Painted now: the next step may be a wait too short to paint in.
        UpdateWindow();
    }
    if (g_textObserver)
        g_textObserver(*this);
}

}  // namespace zentrix::app
