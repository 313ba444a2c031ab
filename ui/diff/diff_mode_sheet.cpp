#include "ui/diff/diff_mode_sheet.h"

#include <optional>

#include "framework/message_box.h"
#include "framework/resources.h"
#include "resources/resource_ids.h"
#include "ui/diff/dialing_dialog.h"
#include "ui/diff/gsm_config_sheet.h"
#include "ui/diff/port_settings_sheet.h"
#include "ui/diff/uhf_config_sheet.h"
#include "ui/network/network_config_sheet.h"

namespace zentrix::ui {

using framework::CWaitCursor;
using framework::IDOK;
using framework::loadString;

namespace {

constexpr uint32_t kModemOnline = 5;
constexpr uint32_t kRoverMode = 1;
// The position goes to the caster as GGA on receiver port E every 5 s.
constexpr uint32_t kNetworkPositionPort = 4;
constexpr uint32_t kGgaMessage = 2;
constexpr float kNetworkPositionInterval = 5.0F;
constexpr uint32_t kPortOn = 0;  // setPortBaud's mode for "port on"
constexpr uint32_t kBaudCodes = 10;

// What the receiver's answer buffers hold (their length less the terminator): a longer reply
// is cut as the receiver's own client would see it.
constexpr size_t kPinChars = 9;
constexpr size_t kPhoneNumberChars = 20;
constexpr size_t kGprsFieldChars = 32;
constexpr size_t kMountPointChars = 100;

constexpr framework::UINT kRowTexts[] = {IDS_LINK_UHF, IDS_LINK_GSM, IDS_LINK_NETWORK,
                                         IDS_LINK_OTHER};

WideString cut(WideString text, size_t chars) {
    if (text.size() > chars)
        text.resize(chars);
    return text;
}

// A mount point "OFF" is the receiver's word for none.
bool isMountPoint(WideStringView mountPoint) {
    return !mountPoint.empty() && mountPoint != u"OFF";
}

}  // namespace

CRealTimeDiffPage::CRealTimeDiffPage(receiver::ReceiverInterface* receiver,
                                     DiffLinkSettings& settings)
    : CPropertyPage(IDD_DIFF_LINK), receiver_(receiver), settings_(settings) {
    MapNotification(framework::BN_CLICKED, IDC_LINK_BUTTON, &CRealTimeDiffPage::OnLinkButton);
    MapNotification(framework::NM_CLICK, IDC_LINK_LIST, &CRealTimeDiffPage::onListClick);
    MapNotification(framework::LVN_ITEMCHANGED, IDC_LINK_LIST, &CRealTimeDiffPage::onListChanged);
    MapNotification(framework::NM_RETURN, IDC_LINK_LIST, &CRealTimeDiffPage::OnLinkButton);
}

bool CRealTimeDiffPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    CWaitCursor wait;
    list_.SubclassDlgItem(IDC_LINK_LIST, this);
    brands_.SubclassDlgItem(IDC_LINK_BRAND, this);

    // One column as wide as the list; a page made again keeps the one it has.
    framework::CRect area;
    list_.GetClientRect(&area);
    if (list_.GetHeaderCtrl() == nullptr || list_.GetHeaderCtrl()->GetItemCount() == 0)
        list_.InsertColumn(0, {}, framework::LVCFMT_LEFT, area.Width());
    list_.DeleteAllItems();
    for (framework::UINT text : kRowTexts) list_.InsertItem(list_.GetItemCount(), loadString(text));
    list_.SetItemState(static_cast<int>(LinkRow::Uhf),
                       framework::LVIS_SELECTED | framework::LVIS_FOCUSED,
                       framework::LVIS_SELECTED | framework::LVIS_FOCUSED);
    setCaption(IDS_LINK_SETTINGS);

    readModemState();
    readReferenceBrand();
    return true;
}

void CRealTimeDiffPage::readModemState() {
    // The flags are what the receiver says now, not what the last run left behind.
    networkLinkSure_ = true;
    settings_.dialGsm = settings_.connectNtrip = settings_.connectIp = false;
    uint32_t ipMode = 0;
    uint32_t state = 0;
    if (receiver_->queryModemModeAndState(ipMode, state) == 0 || state != kModemOnline)
        return;
    if (ipMode == 0) {
        settings_.dialGsm = true;
        settings_.connectNtrip = settings_.connectIp = false;
    } else {
        settings_.dialGsm = false;
        settings_.connectNtrip = false;
        settings_.connectIp = true;
        settings_.networkProtocol = 0;
        WideString mountPoint;
        if (receiver_->queryMountPoint(mountPoint) == 0) {
            networkLinkSure_ = false;  // direct IP as far as we know; NTRIP may be up instead
        } else if (isMountPoint(cut(mountPoint, kMountPointChars))) {
            settings_.connectNtrip = true;
            settings_.connectIp = false;
            settings_.networkProtocol = 1;
        }
    }
    const auto select = [this](LinkRow row, framework::UINT caption) {
        list_.SetItemState(-1, 0, framework::LVIS_SELECTED | framework::LVIS_FOCUSED);
        list_.SetItemState(static_cast<int>(row),
                           framework::LVIS_SELECTED | framework::LVIS_FOCUSED,
                           framework::LVIS_SELECTED | framework::LVIS_FOCUSED);
        setCaption(caption);
    };
    if (settings_.connectNtrip || settings_.connectIp)
        select(LinkRow::Network, IDS_LINK_DISCONNECT);
    else if (settings_.dialGsm)
        select(LinkRow::Gsm, IDS_LINK_HANG_UP);
}

void CRealTimeDiffPage::readReferenceBrand() {
    brands_.ResetContent();
    for (const ReferenceBrand& brand : kReferenceBrands) brands_.AddString(brand.text);
    std::string code;
    uint8_t explicitBrand = 0;
    brandKnown_ = receiver_->queryReferenceReceiver(code, explicitBrand) != 0;
    brandAtOpening_ = brandKnown_ ? referenceBrandRow(code, explicitBrand != 0) : -1;
    brands_.SetCurSel(brandAtOpening_);
}

int CRealTimeDiffPage::selectedRow() const {
    return list_.GetNextItem(-1, framework::LVNI_SELECTED);
}

void CRealTimeDiffPage::onListClick() {
    updateCaption();
}

void CRealTimeDiffPage::onListChanged(const framework::NotifyInfo& info) {
    if ((info.uChanged & framework::LVIF_STATE) != 0 &&
        ((info.uNewState ^ info.uOldState) & framework::LVIS_SELECTED) != 0) {
        updateCaption();
    }
}

void CRealTimeDiffPage::updateCaption() {
    switch (static_cast<LinkRow>(selectedRow())) {
        case LinkRow::Uhf:
        case LinkRow::Other:
            setCaption(IDS_LINK_SETTINGS);
            break;
        case LinkRow::Gsm:
            setCaption(settings_.dialGsm ? IDS_LINK_HANG_UP : IDS_LINK_DIAL);
            break;
        case LinkRow::Network:
            setCaption(settings_.connectNtrip || settings_.connectIp ? IDS_LINK_DISCONNECT
                                                                     : IDS_LINK_CONNECT);
            break;
        default:
            break;  // nothing selected: the button keeps what it said
    }
}

void CRealTimeDiffPage::setCaption(framework::UINT stringId) {
    SetDlgItemText(IDC_LINK_BUTTON, loadString(stringId));
}

void CRealTimeDiffPage::OnLinkButton() {
    switch (static_cast<LinkRow>(selectedRow())) {
        case LinkRow::Uhf:
            openUhf();
            break;
        case LinkRow::Gsm:
            dialOrHangUp();
            break;
        case LinkRow::Network:
            if (settings_.connectNtrip || settings_.connectIp)
                disconnectNetwork();
            else
                connectNetwork();
            break;
        case LinkRow::Other:
            openOtherDevice();
            break;
        default:
            break;
    }
}

void CRealTimeDiffPage::openUhf() {
    CUhfConfigSheet sheet(receiver_, settings_.externalGps, loadString(IDS_UHF_SHEET_CAPTION),
                          this);
    if (sheet.DoModal() != IDOK)
        return;
    CWaitCursor wait;
    receiver_->setDifferentialMode(kRoverMode);
}

void CRealTimeDiffPage::dialOrHangUp() {
    if (gsmPhoneNumber_.empty()) {
        CWaitCursor wait;
        WideString pin;
        WideString number;
        if (receiver_->queryModemDialParameters(pin, number) != 0) {
            gsmPin_ = cut(std::move(pin), kPinChars);
            gsmPhoneNumber_ = cut(std::move(number), kPhoneNumberChars);
        }
    }
    if (!settings_.dialGsm) {
        dial();
        return;
    }
    CWaitCursor wait;
    if (receiver_->modemHangUp() != 0) {
        settings_.dialGsm = false;
        setCaption(IDS_LINK_DIAL);
    }
}

void CRealTimeDiffPage::dial() {
    CGsmConfigSheet sheet(receiver_, loadString(IDS_GSM_MODEM_SETTINGS), 1, this);
    sheet.settings().pin = gsmPin_;
    sheet.settings().phoneNumber = gsmPhoneNumber_;
    sheet.settings().pinShown = settings_.externalGps;
    if (sheet.DoModal() != IDOK)
        return;
    {
        CWaitCursor wait;
        // A data call replaces any network link: end those first, whatever they answer.
        receiver_->setDifferentialMode(kRoverMode);
        settings_.connectNtrip = settings_.connectIp = false;
        receiver_->disconnectDirectIp();
        receiver_->disconnectMountPoint();
        positionToNetwork(false);
        gsmPin_ = sheet.settings().pin;
        gsmPhoneNumber_ = sheet.settings().phoneNumber;
        receiver_->setModemCsd();
        receiver_->startModem();
        if (!gsmPhoneNumber_.empty())
            receiver_->setModemDialParameters(gsmPin_, gsmPhoneNumber_);
    }
    if (gsmPhoneNumber_.empty())
        return;
    bool dialing = false;
    {
        CWaitCursor wait;
        dialing = receiver_->modemDial() != 0;
    }
    if (dialing) {
        CDialingDialog dialog(receiver_, this);
        dialog.setNumber(gsmPhoneNumber_);
        dialog.DoModal();
        settings_.dialGsm = dialog.lastState() == kModemOnline;
    } else {
        settings_.dialGsm = false;
    }
    if (settings_.dialGsm) {
        setCaption(IDS_LINK_HANG_UP);
    } else {
        setCaption(IDS_LINK_DIAL);
        framework::AfxMessageBox(IDS_UNABLE_TO_DIAL);
    }
}

void CRealTimeDiffPage::connectNetwork() {
    {
        // Whatever the page does not know yet comes from the receiver, so that the sheet opens
        // on the settings in use.
        CWaitCursor wait;
        if (settings_.externalGps && gprsApn_.empty()) {
            WideString pin, apn, login, password;
            if (receiver_->queryModemGprsParameters(pin, apn, login, password) != 0) {
                gprsPin_ = cut(std::move(pin), kPinChars);
                gprsApn_ = cut(std::move(apn), kGprsFieldChars);
                gprsLogin_ = cut(std::move(login), kGprsFieldChars);
                gprsPassword_ = cut(std::move(password), kGprsFieldChars);
            }
        }
        if (settings_.networkProtocol == 0) {
            if (settings_.ipAddress.empty()) {
                WideString address;
                uint32_t port = 0;
                if (receiver_->queryDirectIp(address, port) != 0) {
                    settings_.ipAddress = std::move(address);
                    settings_.ipPort = port <= 65535 ? static_cast<int32_t>(port) : 0;
                }
            }
        } else {
            if (settings_.ntripAddress.empty()) {
                WideString address, user, password;
                int32_t port = 0;
                if (receiver_->queryNtripParameters(address, port, user, password) != 0) {
                    settings_.ntripAddress = std::move(address);
                    settings_.ntripPort = port >= 0 && port <= 65535 ? port : 0;
                    settings_.ntripUser = std::move(user);
                    settings_.ntripPassword = std::move(password);
                }
            }
            if (settings_.ntripMountPoint.empty()) {
                WideString mountPoint;
                if (receiver_->queryMountPoint(mountPoint) != 0 && isMountPoint(mountPoint))
                    settings_.ntripMountPoint = cut(std::move(mountPoint), kMountPointChars);
            }
        }
    }

    CNetworkConfigSheet sheet(receiver_, settings_.networkProtocol, settings_.externalGps,
                              loadString(IDS_NETWORK_SHEET_CAPTION), this);
    NetworkSettings& net = sheet.settings();
    net.gprsPin = gprsPin_;
    net.gprsApn = gprsApn_;
    net.gprsLogin = gprsLogin_;
    net.gprsPassword = gprsPassword_;
    net.sendPositionToNetwork = settings_.sendPositionToNetwork;
    net.ipPort = settings_.ipPort;
    net.ipAddress = settings_.ipAddress;
    net.ntripPort = settings_.ntripPort;
    net.ntripAddress = settings_.ntripAddress;
    net.ntripUser = settings_.ntripUser;
    net.ntripPassword = settings_.ntripPassword;
    net.ntripMountPoint = settings_.ntripMountPoint;
    if (sheet.DoModal() != IDOK)
        return;

    // Up until the outcome is known; a failure is shown without it.
    std::optional<CWaitCursor> wait(std::in_place);
    receiver_->setDifferentialMode(kRoverMode);
    // A bridge setting the sheet could not read is left as the receiver has it.
    if (sheet.modePage().resendKnown() || sheet.modePage().resendChanged())
        receiver_->setBridge(sheet.modePage().resendViaRadio() != 0);
    settings_.dialGsm = false;
    receiver_->modemHangUp();
    gprsPin_ = net.gprsPin;
    gprsApn_ = net.gprsApn;
    gprsLogin_ = net.gprsLogin;
    gprsPassword_ = net.gprsPassword;
    settings_.sendPositionToNetwork = net.sendPositionToNetwork;
    settings_.ipPort = net.ipPort;
    settings_.ipAddress = net.ipAddress;
    settings_.ntripPort = net.ntripPort;
    settings_.ntripAddress = net.ntripAddress;
    settings_.ntripUser = net.ntripUser;
    settings_.ntripPassword = net.ntripPassword;
    settings_.ntripMountPoint = net.ntripMountPoint;
    settings_.networkProtocol = net.networkProtocol == 0 ? 0 : 1;
    receiver_->setModemIp(0);
    receiver_->startModem();
    if (settings_.externalGps && !gprsApn_.empty())
        receiver_->setModemGprsParameters(gprsPin_, gprsApn_, gprsLogin_, gprsPassword_);

    if (settings_.networkProtocol == 0) {
        if (settings_.ipAddress.empty() || settings_.ipPort == 0) {
            updateCaption();
            return;
        }
        settings_.connectNtrip = false;
        if (receiver_->connectDirectIp(settings_.ipAddress, settings_.ipPort) != 0) {
            settings_.connectIp = true;
            networkLinkSure_ = true;
            setCaption(IDS_LINK_DISCONNECT);
            return;
        }
        // The receiver may still be trying: stop it, so no link comes up behind the user's back.
        receiver_->disconnectDirectIp();
        settings_.connectIp = false;
        setCaption(IDS_LINK_CONNECT);
        wait.reset();
        framework::AfxMessageBox(IDS_UNABLE_TO_CONNECT);
        return;
    }

    if (!settings_.ntripAddress.empty() && settings_.ntripPort != 0) {
        receiver_->setNtripParameters(settings_.ntripAddress, settings_.ntripPort,
                                      settings_.ntripUser, settings_.ntripPassword, 0);
    }
    if (settings_.ntripMountPoint.empty()) {
        updateCaption();
        return;
    }
    const bool sendPosition = settings_.sendPositionToNetwork;
    positionToNetwork(sendPosition);
    if (receiver_->connectMountPoint(settings_.ntripMountPoint) != 0) {
        settings_.connectNtrip = true;
        settings_.connectIp = false;
        networkLinkSure_ = true;
        setCaption(IDS_LINK_DISCONNECT);
        return;
    }
    settings_.connectNtrip = settings_.connectIp = false;
    if (sendPosition)
        positionToNetwork(false);
    receiver_->disconnectMountPoint();
    setCaption(IDS_LINK_CONNECT);
    wait.reset();
    framework::AfxMessageBox(IDS_UNABLE_TO_CONNECT);
}

void CRealTimeDiffPage::disconnectNetwork() {
    CWaitCursor wait;
    // The flags' link first; the other one too when the opening could not tell which is up.
    const bool ntrip = settings_.connectNtrip;
    const bool endNtrip = ntrip || !networkLinkSure_;
    const bool endIp = !ntrip || !networkLinkSure_;
    bool ended = false;
    const auto endNtripLink = [&] {
        positionToNetwork(false);
        ended = receiver_->disconnectMountPoint() != 0 || ended;
    };
    const auto endIpLink = [&] { ended = receiver_->disconnectDirectIp() != 0 || ended; };
    if (ntrip) {
        endNtripLink();
        if (endIp)
            endIpLink();
    } else {
        endIpLink();
        if (endNtrip)
            endNtripLink();
    }
    if (!ended)
        return;
    settings_.connectNtrip = settings_.connectIp = false;
    networkLinkSure_ = true;
    setCaption(IDS_LINK_CONNECT);
}

void CRealTimeDiffPage::openOtherDevice() {
    const uint32_t port = settings_.externalGps ? 0 : 1;
    COtherConfigSheet sheet(receiver_, IDS_SERIAL_PORT_SETTINGS, 1, this);
    {
        CWaitCursor wait;
        uint32_t baudCode = 5;
        if (receiver_->queryPortBaud(port, baudCode) != 0) {
            sheet.settings().portName = u"COM5";
            sheet.settings().baudIndex = baudCode < kBaudCodes ? static_cast<int>(baudCode) : 0;
        } else {
            // Unread: no baud is chosen, so an unchanged sheet sends none.
            sheet.settings().baudIndex = -1;
        }
    }
    if (sheet.DoModal() != IDOK)
        return;
    CWaitCursor wait;
    receiver_->setDifferentialMode(kRoverMode);
    settings_.dialGsm = settings_.connectNtrip = settings_.connectIp = false;
    const PortSettings& chosen = sheet.settings();
    if (chosen.portName == u"COM5" || chosen.portName == u"COM3") {
        if (chosen.baudIndex >= 0 && chosen.baudIndex < static_cast<int>(kBaudCodes))
            receiver_->setPortBaud(port, static_cast<uint32_t>(chosen.baudIndex), kPortOn);
    } else if (!chosen.portName.empty()) {
        receiver_->setBluetoothPort(chosen.portName);
    }
}

void CRealTimeDiffPage::positionToNetwork(bool on) {
    receiver_->setNmeaMessage(kNetworkPositionPort, kGgaMessage, on, kNetworkPositionInterval);
}

void CRealTimeDiffPage::OnOK() {
    const int brand = brands_.GetCurSel();
    // A brand the receiver did not tell is written only when the user chose one.
    if (brand >= 0 && brand < static_cast<int>(kReferenceBrands.size()) &&
        (brandKnown_ || brand != brandAtOpening_)) {
        CWaitCursor wait;
        const ReferenceBrand& chosen = kReferenceBrands[static_cast<size_t>(brand)];
        receiver_->setReferenceReceiver(chosen.code, brand != kAutomaticBrand);
    }
    CPropertyPage::OnOK();
}

CDiffModeSheet::CDiffModeSheet(receiver::ReceiverInterface* receiver, DiffLinkSettings settings,
                               WideStringView caption, framework::CWnd* parent)
    : CPropertySheet(caption, parent), settings_(std::move(settings)), page_(receiver, settings_) {
    AddPage(&page_);
}

}  // namespace zentrix::ui
