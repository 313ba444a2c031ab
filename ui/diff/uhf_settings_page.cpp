#include "ui/diff/uhf_settings_page.h"

#include <optional>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/message_box.h"
#include "framework/resources.h"
#include "resources/resource_ids.h"
#include "ui/diff/code_list.h"
#include "ui/diff/uhf_radio_tables.h"

namespace zentrix::ui {

using framework::BST_CHECKED;
using framework::BST_UNCHECKED;
using framework::CComboBox;
using framework::CSliderCtrl;
using framework::DWORD_PTR;

CUhfSettingsPage::CUhfSettingsPage(receiver::ReceiverInterface* receiver,
                                   UhfRadioSettings& settings)
    : CPropertyPage(IDD_UHF_SETTINGS),
      receiver_(receiver),
      settings_(settings),
      transparent_(framework::loadString(IDS_UHF_TRANSPARENT)) {
    MapNotification(framework::CBN_SELCHANGE, IDC_UHF_PROTOCOL,
                    &CUhfSettingsPage::OnProtocolChange);
    for (framework::UINT code :
         {framework::TB_THUMBTRACK, framework::TB_THUMBPOSITION, framework::TB_ENDTRACK})
        MapNotification(code, IDC_UHF_SENSITIVITY, &CUhfSettingsPage::OnSensitivity);
}

bool CUhfSettingsPage::OnSetActive() {
    const int32_t type = settings_.radioType;
    // Neither has parameters the board could read.
    if (type == uhf::kNone || type == uhf::kSatelEasy)
        return false;
    if (type == builtForType_) {
        // The lists still hold what was read for this type; a later failed read for another
        // type does not make them wrong.
        readFailed_ = false;
        return CPropertyPage::OnSetActive();
    }
    if (!readRadio())
        return false;
    return CPropertyPage::OnSetActive();
}

bool CUhfSettingsPage::readRadio() {
    framework::CWaitCursor wait;
    const uint32_t port = uhf::radioPort(settings_.radioType, settings_.externalGps);
    receiver::RadioSettings read;
    const bool answered = receiver_ != nullptr && receiver_->queryRadioParameters(port, read) != 0;
    // Only the models 0 to 6 have parameters; NONE and UNKNOWN mean no radio answered.
    if (!answered || read.radioType > static_cast<uint32_t>(uhf::kLicenseFreeAmerica)) {
        framework::AfxMessageBox(IDS_UHF_CANNOT_READ, framework::MB_OK | framework::MB_ICONWARNING);
        readFailed_ = true;
        return false;
    }
    readFailed_ = false;
    port_ = port;
    // The board switches a radio on the serial socket of an external unit itself.
    turnOnShown_ = !(settings_.externalGps && port != uhf::kPortD);
    ShowDlgItems({IDC_UHF_TURN_ON}, turnOnShown_);
    if (turnOnShown_)
        CheckDlgButton(IDC_UHF_TURN_ON, read.power == 0 ? BST_CHECKED : BST_UNCHECKED);

    settings_.radioType = static_cast<int32_t>(read.radioType);
    settings_.channel = static_cast<int32_t>(read.channel);
    settings_.airSpeed = static_cast<int32_t>(read.airBaud);
    settings_.sensitivity = static_cast<int32_t>(read.sensitivity);
    settings_.protocol = static_cast<int32_t>(read.level);
    settings_.powerControl = static_cast<int32_t>(read.control);
    spacing_ = static_cast<int32_t>(read.spacing);
    modulation_ = static_cast<int32_t>(read.modulation);
    buildLists(settings_.radioType);
    return true;
}

void CUhfSettingsPage::buildLists(int32_t type) {
    fillChannels(type);

    const bool linkSettings = uhf::hasLinkSettings(type);
    ShowDlgItems({IDC_UHF_AIR_SPEED_LABEL, IDC_UHF_AIR_SPEED}, linkSettings);
    fillCodes(dynamic_cast<CComboBox*>(GetDlgItem(IDC_UHF_AIR_SPEED)),
              uhf::offeredAirSpeeds(type, modulation_, spacing_, settings_.airSpeed),
              settings_.airSpeed, [](int32_t code) { return uhf::airSpeedText(code); });
    fillCodes(dynamic_cast<CComboBox*>(GetDlgItem(IDC_UHF_PROTOCOL)),
              uhf::offeredProtocols(type, modulation_, spacing_, settings_.protocol),
              settings_.protocol,
              [this](int32_t code) { return uhf::protocolText(code, transparent_); });

    auto* slider = dynamic_cast<CSliderCtrl*>(GetDlgItem(IDC_UHF_SENSITIVITY));
    if (linkSettings && slider != nullptr) {
        slider->SetRange(0, uhf::kLastSensitivity);
        if (settings_.sensitivity >= 0 && settings_.sensitivity <= uhf::kLastSensitivity) {
            slider->SetPos(settings_.sensitivity);
            showSensitivity(settings_.sensitivity);
        }
    }
    builtForType_ = type;
}

void CUhfSettingsPage::fillChannels(int32_t type) {
    auto* channels = dynamic_cast<CComboBox*>(GetDlgItem(IDC_UHF_CHANNEL));
    if (channels == nullptr)
        return;
    uint32_t table = 0;
    std::optional<uint32_t> tableCount;
    if (receiver_ != nullptr && receiver_->queryRadioTable(port_, table) != 0)
        tableCount = table;
    const auto count = static_cast<int32_t>(uhf::channelCount(type, tableCount));
    const int32_t first = uhf::firstChannelNumber(type);
    channels->ResetContent();
    for (int32_t i = 0; i < count; ++i) {
        const int index = channels->AddString(platform::fromUtf8(std::to_string(first + i)));
        channels->SetItemData(index, static_cast<DWORD_PTR>(i));
    }
    const int32_t index = settings_.channel - first;
    channels->SetCurSel(index >= 0 && index < count ? index : -1);
}

void CUhfSettingsPage::showSensitivity(int position) {
    SetDlgItemText(IDC_UHF_SENSITIVITY_TEXT, uhf::sensitivityText(position));
}

void CUhfSettingsPage::OnSensitivity(const framework::NotifyInfo& info) {
    if (info.code == framework::TB_THUMBTRACK) {
        showSensitivity(info.nPos);
    } else if (auto* slider = dynamic_cast<CSliderCtrl*>(GetDlgItem(IDC_UHF_SENSITIVITY))) {
        showSensitivity(slider->GetPos());
    }
}

void CUhfSettingsPage::OnProtocolChange() {
    if (builtForType_ != uhf::kVSpan)
        return;
    // A V-Span speaks DSNP at 4800 only.
    if (selectedCode(dynamic_cast<CComboBox*>(GetDlgItem(IDC_UHF_PROTOCOL))) != uhf::kProtocolDsnp)
        return;
    auto* speeds = dynamic_cast<CComboBox*>(GetDlgItem(IDC_UHF_AIR_SPEED));
    if (speeds == nullptr)
        return;
    if (const int entry = entryWithCode(*speeds, uhf::kAirSpeed4800); entry >= 0)
        speeds->SetCurSel(entry);
}

void CUhfSettingsPage::OnOK() {
    // Nothing read for the sheet's type, nothing to write: a failed read never becomes a write.
    if (!readFailed_ && builtForType_ >= 0 && builtForType_ == settings_.radioType &&
        receiver_ != nullptr) {
        framework::CWaitCursor wait;
        auto* channels = dynamic_cast<CComboBox*>(GetDlgItem(IDC_UHF_CHANNEL));
        auto* slider = dynamic_cast<CSliderCtrl*>(GetDlgItem(IDC_UHF_SENSITIVITY));
        uhf::RadioSettingsShown shown;
        shown.type = settings_.radioType;
        shown.channelIndex = channels != nullptr ? channels->GetCurSel() : -1;
        shown.airSpeed = selectedCode(dynamic_cast<CComboBox*>(GetDlgItem(IDC_UHF_AIR_SPEED)));
        shown.protocol = selectedCode(dynamic_cast<CComboBox*>(GetDlgItem(IDC_UHF_PROTOCOL)));
        shown.sliderPosition = slider != nullptr ? slider->GetPos() : settings_.sensitivity;
        shown.turnOnShown = turnOnShown_;
        shown.turnOnTicked = IsDlgButtonChecked(IDC_UHF_TURN_ON) == BST_CHECKED;
        const uhf::RadioSettingsRead read{settings_.channel, settings_.airSpeed,
                                          settings_.sensitivity, settings_.protocol,
                                          settings_.powerControl};
        const uhf::RadioParametersWrite write = uhf::radioParametersWrite(shown, read);
        settings_.channel = write.channel;
        settings_.airSpeed = write.airSpeed;
        settings_.sensitivity = write.sensitivity;
        settings_.protocol = write.protocol;
        settings_.powerControl = write.powerControl;

        if (write.switchOn)
            receiver_->radioOn();
        if (receiver_->setRadioParameters(port_, static_cast<uint32_t>(settings_.radioType),
                                          static_cast<uint32_t>(write.airSpeed), write.channel,
                                          static_cast<uint32_t>(write.sensitivity), write.protocol,
                                          static_cast<uint32_t>(write.powerControl)) == 0)
            framework::AfxMessageBox(IDS_UHF_CANNOT_SAVE,
                                     framework::MB_OK | framework::MB_ICONWARNING);
        if (write.switchOff)
            receiver_->radioOff();
    }
    CPropertyPage::OnOK();
}

}  // namespace zentrix::ui
