#include "ui/diff/gsm_config_sheet.h"

#include <array>

#include "framework/controls.h"
#include "resources/resource_ids.h"
#include "ui/network/network_settings.h"

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
        std::array<diff::GsmProfile, diff::GsmProfileStore::kSlots> records;
        const size_t count = store_.copyOut(records);
        for (size_t i = 0; i < count; ++i) {
            if (records[i].phoneNumber.empty())
                continue;
            // Whole entries only: a stored "0123" must not be hidden by "01234".
            const WideString shown = shownText(records[i].phoneNumber.view());
            if (number->FindStringExact(-1, shown) == framework::CB_ERR)
                number->AddString(shown);
        }
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
    const WideString chosen = number->GetLBText(index);
    std::array<diff::GsmProfile, diff::GsmProfileStore::kSlots> records;
    const size_t count = store_.copyOut(records);
    for (size_t i = 0; i < count; ++i) {
        if (shownText(records[i].phoneNumber.view()) == chosen) {
            SetDlgItemText(IDC_GSM_PIN, shownText(records[i].pin.view()));
            return;
        }
    }
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
