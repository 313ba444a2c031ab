#include "app/about_dialog.h"

#include "app/startup.h"
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
        // A receiver that does not say its versions shows no empty lines either.
        for (const unsigned id : ids) {
            if (CWnd* control = GetDlgItem(id))
                control->ShowWindow(framework::SW_HIDE);
        }
        return;
    }
    SetDlgItemText(IDC_ABOUT_GNSS_FIRMWARE,
                   formatPattern(loadString(IDS_ABOUT_GNSS_FIRMWARE), {gnssFirmware}));
    SetDlgItemText(IDC_ABOUT_SYSTEM_FIRMWARE,
                   formatPattern(loadString(IDS_ABOUT_SYSTEM_FIRMWARE), {systemFirmware}));
    SetDlgItemText(IDC_ABOUT_SERVICE_VERSION,
                   formatPattern(loadString(IDS_ABOUT_VERSION), {serviceVersion}));
}

}  // namespace zentrix::app
