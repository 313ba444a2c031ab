#include "ui/settings/troubleshoot_sheet.h"

#include "framework/message_box.h"
#include "framework/resources.h"
#include "resources/resource_ids.h"

namespace zentrix::ui {

using framework::AfxMessageBox;
using framework::CComboBox;
using framework::UINT;

CTroubleshootPage::CTroubleshootPage(receiver::ReceiverInterface* receiver)
    : CPropertyPage(IDD_TROUBLESHOOT), receiver_(receiver) {
    MapNotification(framework::BN_CLICKED, IDC_SEND_COMMAND, &CTroubleshootPage::OnSend);
}

CComboBox* CTroubleshootPage::combo(UINT id) const {
    return dynamic_cast<CComboBox*>(GetDlgItem(id));
}

bool CTroubleshootPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    if (receiver_ != nullptr) {
        framework::CWaitCursor wait;
        read_ = readTroubleshoot(*receiver_);
    }
    const TroubleshootView view =
        troubleshootView(read_, framework::loadString(IDS_STORAGE_INTERNAL_MEMORY),
                         framework::loadString(IDS_STORAGE_CARD));
    atOpening_ = view.shown;
    storageIndex_ = view.shown.storageIndex;
    if (CComboBox* storage = combo(IDC_RECORDING_MEMORY)) {
        storage->ResetContent();
        for (const WideString& entry : view.storageEntries) storage->AddString(entry);
        storage->SetCurSel(storageIndex_);
        storage->EnableWindow(view.storageEnabled);
    }
    CheckDlgButton(IDC_DEBUG_FILE_OUTPUT,
                   view.shown.debugChecked ? framework::BST_CHECKED : framework::BST_UNCHECKED);

    history_.load();
    if (CComboBox* command = combo(IDC_COMMAND_LINE)) {
        command->ResetContent();
        command->LimitText(static_cast<int>(kCommandMaxChars));
        for (const WideString& entry : history_.entries()) command->AddString(entry);
        command->SetWindowText(WideString());
    }
    return true;
}

void CTroubleshootPage::DoDataExchange(framework::CDataExchange* dx) {
    CPropertyPage::DoDataExchange(dx);
    framework::DDX_CBIndex(dx, IDC_RECORDING_MEMORY, storageIndex_);
}

TroubleshootShown CTroubleshootPage::shownNow() const {
    TroubleshootShown shown;
    shown.debugChecked = IsDlgButtonChecked(IDC_DEBUG_FILE_OUTPUT) == framework::BST_CHECKED;
    shown.storageIndex = storageIndex_;
    return shown;
}

void CTroubleshootPage::OnSend() {
    CComboBox* command = combo(IDC_COMMAND_LINE);
    if (command == nullptr || receiver_ == nullptr)
        return;
    const WideString typed = command->GetWindowText().substr(0, kCommandMaxChars);
    const CommandText text = commandTextFor(typed);
    switch (text.check) {
        case CommandTextCheck::Empty:
            return;
        case CommandTextCheck::LineBreak:
            AfxMessageBox(IDS_COMMAND_LINE_BREAK, framework::MB_ICONEXCLAMATION);
            return;
        case CommandTextCheck::NotInCodePage:
            AfxMessageBox(framework::formatPattern(framework::loadString(IDS_COMMAND_CHARACTER),
                                                   {text.offending}),
                          framework::MB_ICONEXCLAMATION);
            return;
        case CommandTextCheck::Sendable:
            break;
    }

    uint32_t answer = 0;
    {
        framework::CWaitCursor wait;
        answer = receiver_->sendFreeCommand(text.bytes);
    }
    if (answer == 0) {
        // Left in the line for correction, and kept out of the history.
        AfxMessageBox(IDS_COMMAND_NOT_ACCEPTED);
        return;
    }
    if (answer == 1)
        AfxMessageBox(IDS_COMMAND_ACCEPTED, framework::MB_ICONINFORMATION);
    // No answer at all still counts: many console commands are answered by data, not by ACK.
    if (history_.add(typed)) {
        command->InsertString(0, typed);
        const int kept = static_cast<int>(history_.entries().size());
        while (command->GetCount() > kept) command->DeleteString(command->GetCount() - 1);
    }
    command->SetWindowText(WideString());
}

void CTroubleshootPage::OnOK() {
    if (receiver_ != nullptr) {
        const TroubleshootWrite write = planTroubleshootWrite(read_, atOpening_, shownNow());
        TroubleshootWriteResult result = TroubleshootWriteResult::Done;
        {
            framework::CWaitCursor wait;
            result = applyTroubleshootWrite(*receiver_, write);
        }
        if (result == TroubleshootWriteResult::DebugRecordingFailed)
            AfxMessageBox(IDS_DEBUG_RECORDING_ERROR);
    }
    history_.save();
    CPropertyPage::OnOK();
}

void CTroubleshootPage::OnCancel() {
    history_.save();
    CPropertyPage::OnCancel();
}

CTroubleshootSheet::CTroubleshootSheet(receiver::ReceiverInterface* receiver,
                                       framework::CWnd* parent)
    : CPropertySheet(WideStringView(), parent), page_(receiver) {
    AddPage(&page_);
}

void CTroubleshootSheet::OnKeyCommand(UINT id) {
    const CWnd* commandLine = page_.IsWindow() ? page_.GetDlgItem(IDC_COMMAND_LINE) : nullptr;
    const CWnd* focus = CWnd::GetFocus();
    if (id == framework::IDOK && commandLine != nullptr &&
        (focus == commandLine || commandLine->IsChild(focus))) {
        page_.OnSend();
        return;
    }
    CPropertySheet::OnKeyCommand(id);
}

}  // namespace zentrix::ui
