#include "ui/network/direct_ip_settings_page.h"

#include <string>

#include "framework/controls.h"
#include "resources/resource_ids.h"
#include "ui/network/profile_choice.h"

namespace zentrix::ui {

using framework::CComboBox;
using framework::CEdit;

namespace {

constexpr size_t kNameWidth = decltype(diff::DirectIpProfile::name)::kWidth;
constexpr size_t kHostWidth = decltype(diff::DirectIpProfile::host)::kWidth;

}  // namespace

CDirectIpSettingsPage::CDirectIpSettingsPage(NetworkSettings& settings)
    : CPropertyPage(IDD_DIRECT_IP), settings_(settings) {
    MapNotification(framework::CBN_CLOSEUP, IDC_DIP_NAME, &CDirectIpSettingsPage::OnNameCloseUp);
    MapNotification(framework::CBN_EDITCHANGE, IDC_DIP_NAME, &CDirectIpSettingsPage::OnNameEdited);
    MapNotification(framework::BN_CLICKED, IDC_DIP_DELETE, &CDirectIpSettingsPage::OnDelete);
}

bool CDirectIpSettingsPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    auto* name = dynamic_cast<CComboBox*>(GetDlgItem(IDC_DIP_NAME));
    auto* host = dynamic_cast<CEdit*>(GetDlgItem(IDC_DIP_HOST));
    auto* port = dynamic_cast<CEdit*>(GetDlgItem(IDC_DIP_PORT));
    if (name == nullptr || host == nullptr || port == nullptr)
        return true;
    name->LimitText(static_cast<int>(kNameWidth));
    name->RefuseCharacters(kProfileRefusedCharacters);
    host->LimitText(static_cast<int>(kHostWidth));
    host->RefuseCharacters(kCommandRefusedCharacters);
    port->LimitText(kPortDigits);

    profiles_.load();
    name->ResetContent();
    for (const diff::DirectIpProfile& profile : profiles_.records())
        name->AddString(shownText(profile.name.view()));

    diff::DirectIpProfile current;
    current.host = profileText(settings_.ipAddress, kHostWidth);
    current.port = settings_.ipPort;
    const int index = profiles_.find(current);
    name->SetCurSel(index);
    if (index < 0)
        name->SetWindowText(WideString());
    GetDlgItem(IDC_DIP_DELETE)->EnableWindow(index >= 0);

    host->SetWindowText(settings_.ipAddress);
    port->SetWindowText(portText(settings_.ipPort));
    return true;
}

void CDirectIpSettingsPage::showProfile(int index) {
    const diff::DirectIpProfile& profile = profiles_[static_cast<size_t>(index)];
    SetDlgItemText(IDC_DIP_HOST, shownText(profile.host.view()));
    SetDlgItemText(IDC_DIP_PORT, portText(profile.port));
}

void CDirectIpSettingsPage::OnNameCloseUp() {
    auto* name = dynamic_cast<CComboBox*>(GetDlgItem(IDC_DIP_NAME));
    const int index = name != nullptr ? chosenProfile(*name, profiles_) : -1;
    if (index < 0)
        return;
    showProfile(index);
    GetDlgItem(IDC_DIP_DELETE)->EnableWindow(true);
}

void CDirectIpSettingsPage::OnNameEdited() {
    GetDlgItem(IDC_DIP_DELETE)->EnableWindow(false);
}

void CDirectIpSettingsPage::OnDelete() {
    auto* name = dynamic_cast<CComboBox*>(GetDlgItem(IDC_DIP_NAME));
    const std::optional<int> next =
        name != nullptr ? deleteChosenProfile(*name, profiles_) : std::nullopt;
    if (!next)
        return;
    if (*next >= 0) {
        showProfile(*next);
        return;
    }
    SetDlgItemText(IDC_DIP_HOST, WideString());
    SetDlgItemText(IDC_DIP_PORT, u"0");
    GetDlgItem(IDC_DIP_DELETE)->EnableWindow(false);
}

void CDirectIpSettingsPage::OnOK() {
    const WideString host = GetDlgItemText(IDC_DIP_HOST).substr(0, kHostWidth);
    const int32_t port = portFromText(GetDlgItemText(IDC_DIP_PORT));
    settings_.ipAddress = host;
    settings_.ipPort = port;

    auto* name = dynamic_cast<CComboBox*>(GetDlgItem(IDC_DIP_NAME));
    const WideString typed = name != nullptr ? name->GetWindowText() : WideString();
    if (!host.empty() && !typed.empty()) {
        diff::DirectIpProfile profile;
        profile.name = profileText(typed, kNameWidth);
        profile.host = profileText(host, kHostWidth);
        profile.port = port;
        keepProfileByName(*name, profiles_, typed, profile);
    }
    // Also without a new profile: deletions become permanent here.
    profiles_.save();
    CPropertyPage::OnOK();
}

}  // namespace zentrix::ui
