#include "ui/diff/gsm_config_sheet.h"

#include "framework/controls.h"
#include "resources/resource_ids.h"
#include "ui/network/network_settings.h"
#include "ui/network/profile_choice.h"

namespace zentrix::ui {

using framework::CComboBox;
using framework::CEdit;

CGsmSettingsPage::CGsmSettingsPage(GsmSettings& settings)
    : CPropertyPage(IDD_GSM_SETTINGS), settings_(settings) {
    MapNotification(framework::CBN_CLOSEUP, IDC_GSM_NUMBER, &CGsmSettingsPage::OnNumberCloseUp);
}

bool CGsmSettingsPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    if (auto* number = dynamic_cast<CComboBox*>(GetDlgItem(IDC_GSM_NUMBER))) {
        // The number goes into the dial command and into the file: nothing either cannot carry.
        number->LimitText(kNumberChars);
        number->RefuseCharacters(kCommandRefusedCharacters);
        number->ResetContent();
        listStoredKeys(store_, *number);
        number->SetWindowText(settings_.phoneNumber);
    }
    if (auto* pin = dynamic_cast<CEdit*>(GetDlgItem(IDC_GSM_PIN)))
        pin->LimitText(kPinChars);
    SetDlgItemText(IDC_GSM_PIN, settings_.pin);
    if (!settings_.pinShown)
        ShowDlgItems({IDC_GSM_PIN_LABEL, IDC_GSM_PIN}, false);
    return true;
}

void CGsmSettingsPage::OnNumberCloseUp() {
    if (!settings_.pinShown)
        return;
    auto* number = dynamic_cast<CComboBox*>(GetDlgItem(IDC_GSM_NUMBER));
    const int index = number != nullptr ? number->GetCurSel() : framework::CB_ERR;
    if (index < 0)
        return;
    if (const auto stored = storedRecordWithKey(store_, number->GetLBText(index)))
        SetDlgItemText(IDC_GSM_PIN, shownText(stored->pin.view()));
}

void CGsmSettingsPage::OnOK() {
    settings_.pin = settings_.pinShown ? GetDlgItemText(IDC_GSM_PIN) : WideString();
    settings_.phoneNumber = GetDlgItemText(IDC_GSM_NUMBER);
    if (!settings_.phoneNumber.empty()) {
        diff::GsmProfile profile;
        profile.pin = profileText(settings_.pin, decltype(profile.pin)::kWidth);
        profile.phoneNumber =
            profileText(settings_.phoneNumber, decltype(profile.phoneNumber)::kWidth);
        store_.add(profile);
    }
    CPropertyPage::OnOK();
}

CGsmConfigSheet::CGsmConfigSheet(receiver::ReceiverInterface* receiver, WideStringView caption,
                                 int dialMode, framework::CWnd* parent)
    : CPropertySheet(caption, parent), receiver_(receiver), dialMode_(dialMode), page_(settings_) {
    AddPage(&page_);
}

}  // namespace zentrix::ui
