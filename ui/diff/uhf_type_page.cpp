#include "ui/diff/uhf_type_page.h"

#include "framework/controls.h"
#include "framework/message_box.h"
#include "platform/clock.h"
#include "resources/resource_ids.h"
#include "ui/diff/code_list.h"
#include "ui/diff/uhf_radio_tables.h"

namespace zentrix::ui {

using framework::CComboBox;

namespace {

/// `setPortBaud`'s mode that leaves the port switched on.
constexpr uint32_t kPortOn = 0;

/// A type code the sheet knows, or kUnknown for anything the receiver should not have said.
int32_t knownType(uint32_t code) {
    return code <= static_cast<uint32_t>(uhf::kNone) ? static_cast<int32_t>(code) : uhf::kUnknown;
}

}  // namespace

CUhfTypePage::CUhfTypePage(receiver::ReceiverInterface* receiver, UhfRadioSettings& settings)
    : CPropertyPage(IDD_UHF_TYPE), receiver_(receiver), settings_(settings) {
    MapNotification(framework::CBN_SELCHANGE, IDC_UHF_TYPE, &CUhfTypePage::OnTypeChange);
    MapNotification(framework::CBN_SELCHANGE, IDC_UHF_BAUD, &CUhfTypePage::OnBaudChange);
}

bool CUhfTypePage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    framework::CWaitCursor wait;
    auto* types = dynamic_cast<CComboBox*>(GetDlgItem(IDC_UHF_TYPE));
    auto* bauds = dynamic_cast<CComboBox*>(GetDlgItem(IDC_UHF_BAUD));
    if (types == nullptr || bauds == nullptr)
        return true;
    // Nothing chosen until the radio was looked for.
    fillCodes(types, uhf::listedRadioTypes(settings_.externalGps), uhf::kUnknown,
              [](int32_t type) { return uhf::radioTypeText(type); });
    bauds->ResetContent();
    for (int code = 0; code < uhf::kBaudCount; ++code) bauds->AddString(uhf::baudText(code));

    // A page made again (the sheet opened a second time) detects afresh.
    baudCode_ = uhf::kDefaultBaudCode;
    baudChanged_ = false;
    const uint32_t port = uhf::radioPort(settings_.radioType, settings_.externalGps);
    if (receiver_ != nullptr) {
        const int32_t detected = detectRadio(port);
        if (detected != uhf::kUnknown)
            settings_.radioType = detected;
    }
    types->SetCurSel(entryWithCode(*types, settings_.radioType));

    uint32_t code = 0;
    if (receiver_ != nullptr && receiver_->queryPortBaud(port, code) != 0 &&
        code < static_cast<uint32_t>(uhf::kBaudCount))
        baudCode_ = code;
    bauds->SetCurSel(static_cast<int>(baudCode_));
    return true;
}

int32_t CUhfTypePage::detectRadio(uint32_t port) {
    // A failed query finds nothing: taking it as "no radio" would switch a working radio off
    // at OK.
    if (port != uhf::kPortD) {
        int32_t detected = uhf::kUnknown;
        uint32_t code = 0;
        if (receiver_->queryRadioType(port, code) != 0) {
            detected = knownType(code);
            // A radio the board cannot name but that answers while powered.
            receiver::RadioSettings parameters;
            if (detected == uhf::kNone && receiver_->queryRadioParameters(port, parameters) != 0 &&
                parameters.power == 0)
                detected = uhf::kSatelEasy;
        }
        receiver_->radioOn();
        return detected;
    }

    // A radio inside an external unit: the board holds the type it last found; clearing it makes
    // the board look again, which takes it a few seconds.
    int32_t before = uhf::kUnknown;
    uint32_t code = 0;
    if (receiver_->queryRadioType(port, code) != 0)
        before = knownType(code);
    receiver_->radioOn();
    receiver_->clearRadioTypeD();
    platform::sleepMs(kRedetectionMs);
    receiver::RadioSettings parameters;
    if (receiver_->queryRadioParameters(port, parameters) != 0) {
        const int32_t found = knownType(parameters.radioType);
        if (found != uhf::kUnknown)
            return found;
    }
    // The board did not find it again: it keeps the type it had, rather than none at all.
    if (before != uhf::kUnknown)
        receiver_->setRadioType(port, uhf::receiverTypeCode(before));
    return before;
}

int CUhfTypePage::chosenIndex() const {
    auto* types = dynamic_cast<CComboBox*>(GetDlgItem(IDC_UHF_TYPE));
    return types != nullptr ? types->GetCurSel() : -1;
}

void CUhfTypePage::OnTypeChange() {
    auto* types = dynamic_cast<CComboBox*>(GetDlgItem(IDC_UHF_TYPE));
    const int index = chosenIndex();
    if (types == nullptr || index < 0)
        return;
    settings_.radioType = static_cast<int32_t>(types->GetItemData(index));
    if (const auto baud = uhf::preselectedBaud(settings_.radioType)) {
        if (auto* bauds = dynamic_cast<CComboBox*>(GetDlgItem(IDC_UHF_BAUD)))
            bauds->SetCurSel(*baud);
        baudChanged_ = true;
    }
}

void CUhfTypePage::OnBaudChange() {
    baudChanged_ = true;
}

bool CUhfTypePage::OnKillActive() {
    auto* types = dynamic_cast<CComboBox*>(GetDlgItem(IDC_UHF_TYPE));
    const int index = chosenIndex();
    // Without a chosen type there is nothing to tell the receiver.
    if (types != nullptr && index >= 0) {
        settings_.radioType = static_cast<int32_t>(types->GetItemData(index));
        if (receiver_ != nullptr) {
            framework::CWaitCursor wait;
            const uint32_t port = uhf::radioPort(settings_.radioType, settings_.externalGps);
            if (port == uhf::kPortA)
                receiver_->setPortMode(port, uhf::portModeFor(settings_.radioType));
            receiver_->setRadioType(port, uhf::receiverTypeCode(settings_.radioType));
            if (baudChanged_) {
                auto* bauds = dynamic_cast<CComboBox*>(GetDlgItem(IDC_UHF_BAUD));
                const int baud = bauds != nullptr ? bauds->GetCurSel() : -1;
                if (baud >= 0)
                    receiver_->setPortBaud(port, static_cast<uint32_t>(baud), kPortOn);
                baudChanged_ = false;
            }
        }
    }
    return CPropertyPage::OnKillActive();
}

void CUhfTypePage::OnOK() {
    if (chosenIndex() >= 0) {
        if (settings_.radioType == uhf::kNone) {
            if (receiver_ != nullptr) {
                framework::CWaitCursor wait;
                receiver_->radioOff();
            }
        } else if (settings_.radioType == uhf::kSatelEasy) {
            // The board knows it as no radio type.
            settings_.radioType = uhf::kNone;
        }
    }
    CPropertyPage::OnOK();
}

}  // namespace zentrix::ui
