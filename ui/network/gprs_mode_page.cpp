#include "ui/network/gprs_mode_page.h"

#include "framework/message_box.h"
#include "resources/resource_ids.h"
#include "ui/network/network_config_sheet.h"

namespace zentrix::ui {

using framework::BST_CHECKED;
using framework::BST_UNCHECKED;

CGprsModePage::CGprsModePage(receiver::ReceiverInterface* receiver, NetworkSettings& settings)
    : CPropertyPage(IDD_GPRS_MODE), receiver_(receiver), settings_(settings) {
    MapNotification(framework::BN_CLICKED, IDC_MODE_DIRECT_IP, &CGprsModePage::OnDirectIp);
    MapNotification(framework::BN_CLICKED, IDC_MODE_NTRIP, &CGprsModePage::OnNtrip);
}

bool CGprsModePage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    CheckRadioButton(IDC_MODE_DIRECT_IP, IDC_MODE_NTRIP,
                     settings_.networkProtocol == 0 ? IDC_MODE_DIRECT_IP : IDC_MODE_NTRIP);
    // A page made again (the sheet opened a second time) reads afresh.
    resendViaRadio_ = 0;
    resendKnown_ = false;
    resendChanged_ = false;
    if (receiver_ != nullptr) {
        framework::CWaitCursor wait;
        int32_t on = 0;
        if (receiver_->queryBridge(on) != 0) {
            resendViaRadio_ = on != 0 ? 1 : 0;
            resendKnown_ = true;
        }
    }
    resendAtOpening_ = resendViaRadio_;
    CheckDlgButton(IDC_MODE_RESEND, resendViaRadio_ != 0 ? BST_CHECKED : BST_UNCHECKED);
    return true;
}

void CGprsModePage::OnOK() {
    const uint8_t checked = IsDlgButtonChecked(IDC_MODE_RESEND) == BST_CHECKED ? 1 : 0;
    resendChanged_ = checked != resendAtOpening_;
    resendViaRadio_ = checked;
    CPropertyPage::OnOK();
}

void CGprsModePage::OnDirectIp() {
    chooseProtocol(0);
}

void CGprsModePage::OnNtrip() {
    chooseProtocol(1);
}

void CGprsModePage::chooseProtocol(int protocol) {
    if (settings_.networkProtocol == protocol)
        return;
    if (auto* sheet = dynamic_cast<CNetworkConfigSheet*>(GetSheet())) {
        sheet->showProtocol(protocol);
    } else {
        settings_.networkProtocol = protocol;
    }
}

}  // namespace zentrix::ui
