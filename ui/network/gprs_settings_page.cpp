#include "ui/network/gprs_settings_page.h"

#include "framework/controls.h"
#include "resources/resource_ids.h"
#include "ui/network/profile_choice.h"

namespace zentrix::ui {

using framework::CComboBox;
using framework::CEdit;
using framework::UINT;

namespace {

constexpr size_t kFieldWidth = decltype(diff::GprsProfile::apn)::kWidth;
constexpr UINT kEdits[] = {IDC_GPRS_PIN, IDC_GPRS_LOGIN, IDC_GPRS_PASSWORD};

}  // namespace

CGprsSettingsPage::CGprsSettingsPage(NetworkSettings& settings)
    : CPropertyPage(IDD_GPRS_SETTINGS), settings_(settings) {
    MapNotification(framework::CBN_CLOSEUP, IDC_GPRS_APN, &CGprsSettingsPage::OnApnCloseUp);
}

bool CGprsSettingsPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    // Everything here goes into the modem's command and into the profile file; limits first,
    // so that the sheet's values are cut as a field would hold them.
    for (UINT id : kEdits) {
        if (auto* edit = dynamic_cast<CEdit*>(GetDlgItem(id))) {
            edit->LimitText(static_cast<int>(kFieldWidth));
            edit->RefuseCharacters(kCommandRefusedCharacters);
        }
    }
    if (auto* apn = dynamic_cast<CComboBox*>(GetDlgItem(IDC_GPRS_APN))) {
        apn->LimitText(static_cast<int>(kFieldWidth));
        apn->RefuseCharacters(kCommandRefusedCharacters);
        apn->ResetContent();
        listStoredKeys(store_, *apn);
        apn->SetWindowText(settings_.gprsApn);
    }
    SetDlgItemText(IDC_GPRS_PIN, settings_.gprsPin);
    SetDlgItemText(IDC_GPRS_LOGIN, settings_.gprsLogin);
    SetDlgItemText(IDC_GPRS_PASSWORD, settings_.gprsPassword);
    return true;
}

void CGprsSettingsPage::OnApnCloseUp() {
    auto* apn = dynamic_cast<CComboBox*>(GetDlgItem(IDC_GPRS_APN));
    const int index = apn != nullptr ? apn->GetCurSel() : framework::CB_ERR;
    if (index < 0)
        return;
    if (const auto stored = storedRecordWithKey(store_, apn->GetLBText(index))) {
        SetDlgItemText(IDC_GPRS_PIN, shownText(stored->pin.view()));
        SetDlgItemText(IDC_GPRS_LOGIN, shownText(stored->login.view()));
        SetDlgItemText(IDC_GPRS_PASSWORD, shownText(stored->password.view()));
    }
}

void CGprsSettingsPage::copyToSettings() {
    settings_.gprsPin = GetDlgItemText(IDC_GPRS_PIN);
    settings_.gprsApn = GetDlgItemText(IDC_GPRS_APN);
    settings_.gprsLogin = GetDlgItemText(IDC_GPRS_LOGIN);
    settings_.gprsPassword = GetDlgItemText(IDC_GPRS_PASSWORD);
}

bool CGprsSettingsPage::OnKillActive() {
    if (!CPropertyPage::OnKillActive())
        return false;
    copyToSettings();
    return true;
}

void CGprsSettingsPage::OnOK() {
    copyToSettings();
    if (!settings_.gprsApn.empty()) {
        diff::GprsProfile profile;
        profile.pin = profileText(settings_.gprsPin, kFieldWidth);
        profile.apn = profileText(settings_.gprsApn, kFieldWidth);
        profile.login = profileText(settings_.gprsLogin, kFieldWidth);
        profile.password = profileText(settings_.gprsPassword, kFieldWidth);
        store_.add(profile);
    }
    CPropertyPage::OnOK();
}

}  // namespace zentrix::ui
