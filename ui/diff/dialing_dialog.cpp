#include "ui/diff/dialing_dialog.h"

#include "framework/message_box.h"
#include "framework/resources.h"
#include "resources/resource_ids.h"

namespace zentrix::ui {

CDialingDialog::CDialingDialog(receiver::ReceiverInterface* receiver, framework::CWnd* parent)
    : CDialog(IDD_DIALING, parent), receiver_(receiver) {
    MapNotification(framework::BN_CLICKED, IDC_DIALING_CLOSE, &CDialingDialog::OnClose);
}

bool CDialingDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    if (number_.empty()) {
        SetDlgItemText(IDC_DIALING_STATUS, framework::loadString(IDS_DIALING));
    } else {
        SetDlgItemText(
            IDC_DIALING_STATUS,
            framework::formatPattern(framework::loadString(IDS_DIALING_NUMBER), {number_}));
    }
    SetTimer(kPollTimer, kPollMs);
    return true;
}

void CDialingDialog::OnTimer(framework::UINT_PTR id) {
    if (id != kPollTimer || finished_) {
        CDialog::OnTimer(id);
        return;
    }
    uint32_t state = 0;
    if (receiver_ == nullptr || receiver_->queryModemState(state) == 0)
        return;  // asked again at the next tick
    lastState_ = state;
    if (state == kStateOnline) {
        finish(IDS_DIALING_SUCCEED, framework::IDOK);
        return;
    }
    const bool dialling =
        state == kStateDialing || ((state == kStateOn || state == kStateInit) && !dialingSeen_);
    if (!dialling) {
        // NONE or OFF, or back to ON/INIT after DIALING: busy, no carrier, refused.
        finish(IDS_DIALING_FAILED, framework::IDOK);
        return;
    }
    if (state == kStateDialing)
        dialingSeen_ = true;
    if (!number_.empty()) {
        WideString text =
            framework::formatPattern(framework::loadString(IDS_DIALING_PROGRESS), {number_});
        text.append(static_cast<size_t>(dots_), u'.');
        SetDlgItemText(IDC_DIALING_STATUS, text);
        dots_ = (dots_ + 1) % 4;
    }
}

void CDialingDialog::finish(framework::UINT statusId, int result) {
    finished_ = true;
    KillTimer(kPollTimer);
    SetDlgItemText(IDC_DIALING_STATUS, framework::loadString(statusId));
    EndDialog(result);
}

void CDialingDialog::OnClose() {
    if (!finished_) {
        finished_ = true;
        KillTimer(kPollTimer);
        framework::CWaitCursor wait;
        uint32_t state = 0;
        if (receiver_ != nullptr && receiver_->modemHangUp() != 0 &&
            receiver_->queryModemState(state) != 0) {
            lastState_ = state;
        }
    }
    EndDialog(framework::IDCANCEL);
}

void CDialingDialog::OnCancel() {
    OnClose();
}

}  // namespace zentrix::ui
