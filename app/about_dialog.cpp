#include "app/about_dialog.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "app/startup.h"
#include "framework/dialog_template.h"
#include "framework/resources.h"
#include "platform/command_line.h"
#include "resources/resource_ids.h"

namespace zentrix::app {

using framework::loadString;
using platform::WideString;

WideString programVersion() {
    return platform::fromUtf8(platform::packageVersion());
}

CAboutZentrix::CAboutZentrix(receiver::ReceiverInterface* receiver, framework::CWnd* parent)
    : CDialog(IDD_ABOUT, parent), receiver_(receiver) {}

bool CAboutZentrix::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_ABOUT_VERSION,
                   formatPattern(loadString(IDS_ABOUT_VERSION), {programVersion()}));
    showFirmware();
    return true;
}

void CAboutZentrix::showFirmware() {
    WideString gnssFirmware;
    WideString systemFirmware;
    WideString serviceVersion;
    const bool known = receiver_ != nullptr &&
                       receiver_->queryVersions(gnssFirmware, systemFirmware, serviceVersion) != 0;
    const unsigned ids[] = {IDC_ABOUT_GNSS_FIRMWARE, IDC_ABOUT_SYSTEM_FIRMWARE,
                            IDC_ABOUT_SERVICE_LABEL, IDC_ABOUT_SERVICE_VERSION};
    if (!known) {
        // A receiver that does not say its versions (the GPS-only chip) shows no empty lines
        // either, nor the band they would fill.
        ShowDlgItems(ids, false);
        closeUp(ids);
        return;
    }
    SetDlgItemText(IDC_ABOUT_GNSS_FIRMWARE,
                   formatPattern(loadString(IDS_ABOUT_GNSS_FIRMWARE), {gnssFirmware}));
    SetDlgItemText(IDC_ABOUT_SYSTEM_FIRMWARE,
                   formatPattern(loadString(IDS_ABOUT_SYSTEM_FIRMWARE), {systemFirmware}));
    SetDlgItemText(IDC_ABOUT_SERVICE_VERSION,
                   formatPattern(loadString(IDS_ABOUT_VERSION), {serviceVersion}));
}

void CAboutZentrix::closeUp(std::span<const unsigned> hiddenIds) {
    const auto clientRect = [this](const CWnd& control) {
        framework::CRect rect;
        control.GetWindowRect(&rect);
        ScreenToClient(&rect);
        return rect;
    };
    const auto hidden = [hiddenIds](unsigned id) {
        return std::find(hiddenIds.begin(), hiddenIds.end(), id) != hiddenIds.end();
    };
    int bandTop = std::numeric_limits<int>::max();
    int bandBottom = std::numeric_limits<int>::min();
    for (const unsigned id : hiddenIds) {
        if (const CWnd* control = GetDlgItem(id)) {
            const framework::CRect rect = clientRect(*control);
            bandTop = std::min(bandTop, static_cast<int>(rect.top));
            bandBottom = std::max(bandBottom, static_cast<int>(rect.bottom));
        }
    }
    if (bandTop >= bandBottom)
        return;
    // The lines below keep their distance from what was the band's end, now the end of the
    // last line above it.
    int aboveBottom = 0;
    std::vector<CWnd*> below;
    for (const framework::ControlTemplate& control : GetTemplate()->controls) {
        CWnd* window = hidden(control.id) ? nullptr : GetDlgItem(control.id);
        if (!window)
            continue;
        const framework::CRect rect = clientRect(*window);
        if (rect.top >= bandBottom)
            below.push_back(window);
        else if (rect.bottom <= bandTop)
            aboveBottom = std::max(aboveBottom, static_cast<int>(rect.bottom));
    }
    const int shift = bandBottom - aboveBottom;
    if (shift <= 0)
        return;
    for (CWnd* window : below) {
        const framework::CRect rect = clientRect(*window);
        window->MoveWindow(rect.left, rect.top - shift, rect.Width(), rect.Height());
    }
    framework::CRect dialog;
    GetWindowRect(&dialog);
    MoveWindow(dialog.left, dialog.top, dialog.Width(), dialog.Height() - shift);
}

}  // namespace zentrix::app
