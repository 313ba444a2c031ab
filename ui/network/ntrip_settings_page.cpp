#include "ui/network/ntrip_settings_page.h"

#include <string>

#include "framework/message_box.h"
#include "receiver/commands/station_list.h"
#include "resources/resource_ids.h"
#include "ui/network/ntrip_station_dialog.h"
#include "ui/network/profile_choice.h"

namespace zentrix::ui {

using framework::CComboBox;
using framework::CEdit;
using framework::UINT;

namespace {

/// The caster settings of the receiver's NTRIP client, as one query reads them.
struct CasterSettings {
    WideString address;
    int32_t port = 0;
    WideString login;
    WideString password;
};

void limitEdit(framework::CWnd* control, size_t width, WideStringView refused) {
    if (auto* edit = dynamic_cast<CEdit*>(control)) {
        edit->LimitText(static_cast<int>(width));
        if (!refused.empty())
            edit->RefuseCharacters(refused);
    }
}

}  // namespace

CNtripSettingsPage::CNtripSettingsPage(receiver::ReceiverInterface* receiver,
                                       NetworkSettings& settings)
    : CPropertyPage(IDD_NTRIP_SETTINGS), receiver_(receiver), settings_(settings) {
    // A choice from the list is reported when the list closes; the platform's own list may
    // report the chosen entry only after it has closed, so a choice counts as well.
    MapNotification(framework::CBN_CLOSEUP, IDC_NTRIP_NAME, &CNtripSettingsPage::OnNameChosen);
    MapNotification(framework::CBN_SELCHANGE, IDC_NTRIP_NAME, &CNtripSettingsPage::OnNameChosen);
    MapNotification(framework::CBN_EDITCHANGE, IDC_NTRIP_NAME, &CNtripSettingsPage::OnNameEdited);
    MapNotification(framework::BN_CLICKED, IDC_NTRIP_DELETE, &CNtripSettingsPage::OnDelete);
    MapNotification(framework::BN_CLICKED, IDC_NTRIP_BROWSE, &CNtripSettingsPage::OnBrowse);
}

CComboBox* CNtripSettingsPage::nameList() const {
    return dynamic_cast<CComboBox*>(GetDlgItem(IDC_NTRIP_NAME));
}

WideString CNtripSettingsPage::fieldText(UINT id, size_t width) const {
    WideString text = GetDlgItemText(id);
    if (text.size() > width)
        text.resize(width);
    return text;
}

bool CNtripSettingsPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    limitEdit(GetDlgItem(IDC_NTRIP_HOST), kHostChars, kCommandRefusedCharacters);
    limitEdit(GetDlgItem(IDC_NTRIP_PORT), kPortDigits, {});
    limitEdit(GetDlgItem(IDC_NTRIP_LOGIN), kLoginChars, kCommandRefusedCharacters);
    limitEdit(GetDlgItem(IDC_NTRIP_PASSWORD), kPasswordChars, kCommandRefusedCharacters);
    limitEdit(GetDlgItem(IDC_NTRIP_STATION), kMountPointChars, kCommandRefusedCharacters);

    profiles_.load();
    CComboBox* names = nameList();
    if (names != nullptr) {
        names->ResetContent();
        names->LimitText(static_cast<int>(kNameChars));
        names->RefuseCharacters(kProfileRefusedCharacters);
        for (const diff::NtripProfile& profile : profiles_.records())
            names->AddString(shownText(profile.name.view()));
    }

    // The profile the sheet's caster settings came from, whatever the user named it.
    diff::NtripProfile current;
    current.host = profileText(settings_.ntripAddress, kHostChars);
    current.port = settings_.ntripPort;
    current.login = profileText(settings_.ntripUser, kLoginChars);
    current.password = profileText(settings_.ntripPassword, kPasswordChars);
    current.mountPoint = profileText(settings_.ntripMountPoint, kMountPointChars);
    const int match = profiles_.find(current);
    if (names != nullptr) {
        names->SetCurSel(match);
        if (match < 0)
            names->SetWindowText(WideString());
    }
    if (framework::CWnd* del = GetDlgItem(IDC_NTRIP_DELETE))
        del->EnableWindow(match >= 0);

    SetDlgItemText(IDC_NTRIP_HOST, settings_.ntripAddress);
    SetDlgItemText(IDC_NTRIP_PORT, portText(settings_.ntripPort));
    SetDlgItemText(IDC_NTRIP_LOGIN, settings_.ntripUser);
    SetDlgItemText(IDC_NTRIP_PASSWORD, settings_.ntripPassword);
    SetDlgItemText(IDC_NTRIP_STATION, settings_.ntripMountPoint);
    CheckDlgButton(IDC_NTRIP_SEND_POSITION, settings_.sendPositionToNetwork
                                                ? framework::BST_CHECKED
                                                : framework::BST_UNCHECKED);
    return true;
}

void CNtripSettingsPage::showProfile(size_t index) {
    const diff::NtripProfile& profile = profiles_[index];
    SetDlgItemText(IDC_NTRIP_HOST, shownText(profile.host.view()));
    SetDlgItemText(IDC_NTRIP_PORT, portText(profile.port));
    SetDlgItemText(IDC_NTRIP_LOGIN, shownText(profile.login.view()));
    SetDlgItemText(IDC_NTRIP_PASSWORD, shownText(profile.password.view()));
    SetDlgItemText(IDC_NTRIP_STATION, shownText(profile.mountPoint.view()));
}

void CNtripSettingsPage::clearFields() {
    for (const UINT id :
         {IDC_NTRIP_HOST, IDC_NTRIP_PORT, IDC_NTRIP_LOGIN, IDC_NTRIP_PASSWORD, IDC_NTRIP_STATION})
        SetDlgItemText(id, WideString());
}

void CNtripSettingsPage::OnNameChosen() {
    CComboBox* names = nameList();
    if (names == nullptr)
        return;
    // No entry, or one the list shows without a profile behind it: nothing to fill in.
    const int index = chosenProfile(*names, profiles_);
    if (index < 0)
        return;
    showProfile(static_cast<size_t>(index));
    if (framework::CWnd* del = GetDlgItem(IDC_NTRIP_DELETE))
        del->EnableWindow(true);
}

void CNtripSettingsPage::OnNameEdited() {
    if (framework::CWnd* del = GetDlgItem(IDC_NTRIP_DELETE))
        del->EnableWindow(false);
}

void CNtripSettingsPage::OnDelete() {
    CComboBox* names = nameList();
    if (names == nullptr)
        return;
    const std::optional<int> next = deleteChosenProfile(*names, profiles_);
    if (!next)
        return;
    if (*next >= 0) {
        showProfile(static_cast<size_t>(*next));
        return;
    }
    clearFields();
    if (framework::CWnd* del = GetDlgItem(IDC_NTRIP_DELETE))
        del->EnableWindow(false);
}

void CNtripSettingsPage::OnOK() {
    settings_.sendPositionToNetwork =
        IsDlgButtonChecked(IDC_NTRIP_SEND_POSITION) == framework::BST_CHECKED;
    const WideString name = fieldText(IDC_NTRIP_NAME, kNameChars);
    settings_.ntripAddress = fieldText(IDC_NTRIP_HOST, kHostChars);
    settings_.ntripPort = portFromText(GetDlgItemText(IDC_NTRIP_PORT));
    settings_.ntripUser = fieldText(IDC_NTRIP_LOGIN, kLoginChars);
    settings_.ntripPassword = fieldText(IDC_NTRIP_PASSWORD, kPasswordChars);
    settings_.ntripMountPoint = fieldText(IDC_NTRIP_STATION, kMountPointChars);

    if (!name.empty() && !settings_.ntripAddress.empty()) {
        diff::NtripProfile profile;
        profile.name = profileText(name, kNameChars);
        profile.host = profileText(settings_.ntripAddress, kHostChars);
        profile.port = settings_.ntripPort;
        profile.login = profileText(settings_.ntripUser, kLoginChars);
        profile.password = profileText(settings_.ntripPassword, kPasswordChars);
        profile.mountPoint = profileText(settings_.ntripMountPoint, kMountPointChars);
        if (CComboBox* names = nameList())
            keepProfileByName(*names, profiles_, name, profile);
    }
    profiles_.save();
    CPropertyPage::OnOK();
}

void CNtripSettingsPage::OnBrowse() {
    if (receiver_ == nullptr)
        return;
    // Without a caster to ask there is nothing to do, so the modem is left as it is.
    const WideString host = fieldText(IDC_NTRIP_HOST, kHostChars);
    const int32_t port = portFromText(GetDlgItemText(IDC_NTRIP_PORT));
    const WideString login = fieldText(IDC_NTRIP_LOGIN, kLoginChars);
    const WideString password = fieldText(IDC_NTRIP_PASSWORD, kPasswordChars);
    if (host.empty() || port == 0)
        return;

    receiver::StationList stations;
    CasterSettings remembered;
    bool rememberedKnown = false;
    bool loaded = false;
    {
        framework::CWaitCursor wait;
        // The download goes over packet data; whatever fails here shows as a failed load.
        receiver_->setModemIp(0);
        receiver_->startModem();
        if (settings_.externalGps && !settings_.gprsApn.empty()) {
            receiver_->setModemGprsParameters(settings_.gprsPin, settings_.gprsApn,
                                              settings_.gprsLogin, settings_.gprsPassword);
        }
        rememberedKnown =
            receiver_->queryNtripParameters(remembered.address, remembered.port, remembered.login,
                                            remembered.password) != 0;
        receiver_->setNtripParameters(host, port, login, password, 0);
        loaded = receiver_->loadSourceTable(stations) != 0;
    }

    if (!loaded) {
        framework::AfxMessageBox(IDS_SOURCE_TABLE_NOT_LOADED);
    } else {
        CNtripStationDialog dialog(receiver_, &stations, this);
        if (dialog.DoModal() == framework::IDOK && !dialog.chosenMountPoint().empty()) {
            SetDlgItemText(IDC_NTRIP_STATION, dialog.chosenMountPoint());
            framework::CWnd* sendPosition = GetDlgItem(IDC_NTRIP_SEND_POSITION);
            if (sendPosition != nullptr && sendPosition->IsWindowVisible()) {
                CheckDlgButton(IDC_NTRIP_SEND_POSITION, dialog.chosenNmea() != 0
                                                            ? framework::BST_CHECKED
                                                            : framework::BST_UNCHECKED);
            }
        }
    }

    // Settings that could not be read are not put back: that would wipe the receiver's caster.
    if (rememberedKnown) {
        framework::CWaitCursor wait;
        receiver_->setNtripParameters(remembered.address, remembered.port, remembered.login,
                                      remembered.password, 0);
    }
}

}  // namespace zentrix::ui
