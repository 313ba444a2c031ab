#include "app/main_menu_dialog.h"

#include <array>

#include "app/about_dialog.h"
#include "framework/message_box.h"
#include "framework/resources.h"
#include "platform/clock.h"
#include "platform/device_identity.h"
#include "resources/resource_ids.h"
#include "ui/diff/diff_mode_sheet.h"
#include "ui/settings/gnss_setting_sheet.h"
#include "ui/settings/nmea_output_sheet.h"
#include "ui/settings/troubleshoot_sheet.h"
#include "ui/status/gnss_status_sheet.h"

namespace zentrix::app {

using framework::CWaitCursor;
using framework::IDYES;
using framework::MB_ICONEXCLAMATION;
using framework::MB_YESNO;

namespace {

struct MenuItem {
    MenuAction action;
    unsigned textId;
    int image;  // index in the icon strip
    bool onGpsOnlyModels;
    bool built;            // the sheet behind it exists in this program
    bool withoutCommands;  // works with a receiver that is only listened to
};

constexpr std::array<MenuItem, 8> kMenuItems = {{
    {MenuAction::GnssSettings, IDS_MENU_GNSS_SETTINGS, 0, true, true, false},
    {MenuAction::DifferentialMode, IDS_MENU_DIFFERENTIAL_MODE, 1, false, true, false},
    {MenuAction::NmeaOutput, IDS_MENU_NMEA_OUTPUT, 2, false, true, false},
    {MenuAction::GnssStatus, IDS_MENU_GNSS_STATUS, 3, true, true, true},
    {MenuAction::Reset, IDS_MENU_RESET, 4, true, true, false},
    {MenuAction::Troubleshooting, IDS_MENU_TROUBLESHOOTING, 5, false, true, false},
    {MenuAction::About, IDS_MENU_ABOUT, 6, true, true, true},
    {MenuAction::TurnOffGnss, IDS_MENU_TURN_OFF_GNSS, 7, false, true, false},
}};

constexpr int kIconSize = 32;
constexpr uint32_t kModemOnline = 5;
constexpr framework::COLORREF kIconMask = framework::RGB(255, 0, 255);
/// The receiver needs this long after its power-off acknowledgement before the link is closed.
constexpr uint32_t kPowerOffSettleMs = 3000;

bool shownOn(const MenuItem& item, DeviceModel model, ReceiverKind kind) {
    if (kind == ReceiverKind::Nmea)
        return item.built && item.withoutCommands;
    return item.built && (model == kSurveyModel || item.onGpsOnlyModels);
}

ReceiverKind kindOfModel(DeviceModel model) {
    return model == kSurveyModel ? ReceiverKind::Board : ReceiverKind::Sirf;
}

}  // namespace

CMainMenuDialog::CMainMenuDialog(receiver::ReceiverInterface* receiver, DeviceModel model,
                                 ConnectionSettings settings, platform::AppProfile* profile)
    : CMainMenuDialog(receiver, model, kindOfModel(model), std::move(settings), profile) {}

CMainMenuDialog::CMainMenuDialog(receiver::ReceiverInterface* receiver, DeviceModel model,
                                 ReceiverKind kind, ConnectionSettings settings,
                                 platform::AppProfile* profile)
    : CDialog(IDD_MAIN_MENU),
      receiver_(receiver),
      model_(model),
      kind_(kind),
      settings_(std::move(settings)),
      profile_(profile) {
    MapNotification(framework::NM_CLICK, IDC_MAIN_MENU_LIST, &CMainMenuDialog::onClick);
    MapNotification(framework::NM_RETURN, IDC_MAIN_MENU_LIST, &CMainMenuDialog::onReturn);
}

bool CMainMenuDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(IDR_MAINFRAME, true);
    SetIcon(IDR_MAINFRAME, false);
    list_.SubclassDlgItem(IDC_MAIN_MENU_LIST, this);
    // A screen of twice the resolution (or more) gets the icons drawn at 64 pixels, still shown
    // at the 32-pixel icons' place.
    const int ratio = framework::screenPixelScale() >= 2.0 ? 2 : 1;
    if (images_.Create(kIconSize, kIconSize, framework::ILC_COLOR24 | framework::ILC_MASK, 8, 0,
                       ratio) &&
        strip_.LoadBitmap(ratio == 2 ? IDB_MAIN_MENU_64 : IDB_MAIN_MENU)) {
        images_.Add(&strip_, kIconMask);
        list_.SetImageList(&images_, framework::LVSIL_NORMAL);
    }
    fillList();
    return true;
}

void CMainMenuDialog::fillList() {
    list_.DeleteAllItems();
    for (const MenuItem& item : kMenuItems) {
        if (!shownOn(item, model_, kind_))
            continue;
        const int row =
            list_.InsertItem(list_.GetItemCount(), framework::loadString(item.textId), item.image);
        list_.SetItemData(row, static_cast<framework::DWORD_PTR>(item.action));
    }
}

void CMainMenuDialog::onClick(const framework::NotifyInfo& info) {
    if (info.iItem < 0)
        return;  // a tap between the icons
    runAction(static_cast<MenuAction>(list_.GetItemData(info.iItem)));
}

void CMainMenuDialog::onReturn() {
    const int row = list_.GetNextItem(-1, framework::LVNI_FOCUSED);
    if (row >= 0)
        runAction(static_cast<MenuAction>(list_.GetItemData(row)));
}

void CMainMenuDialog::runAction(MenuAction action) {
    switch (action) {
        case MenuAction::Reset:
            resetReceiver();
            break;
        case MenuAction::GnssSettings: {
            ui::CGnssSettingSheet settings(receiver_, model_, platform::readModelCode(), this);
            settings.DoModal();
            break;
        }
        case MenuAction::DifferentialMode:
            openDifferentialMode();
            break;
        case MenuAction::NmeaOutput:
            openNmeaOutput();
            break;
        case MenuAction::GnssStatus: {
            ui::CGnssStatusSheet status(receiver_, this);
            status.DoModal();
            break;
        }
        case MenuAction::Troubleshooting: {
            ui::CTroubleshootSheet troubleshoot(receiver_, this);
            troubleshoot.DoModal();
            break;
        }
        case MenuAction::About: {
            CAboutZentrix about(receiver_, this);
            about.DoModal();
            break;
        }
        case MenuAction::TurnOffGnss:
            turnOffGnss();
            break;
        default:
            break;  // the sheets join the menu as they are built
    }
}

void CMainMenuDialog::openDifferentialMode() {
    ui::DiffLinkSettings link;
    link.ntripPort = settings_.ntripPort;
    link.ntripAddress = settings_.ntripAddress;
    link.ntripUser = settings_.ntripUser;
    link.ntripPassword = settings_.ntripPassword;
    link.ntripMountPoint = settings_.ntripMountPoint;
    link.ipPort = settings_.ipPort;
    link.ipAddress = settings_.ipAddress;
    link.externalGps = settings_.isExternalGps;
    link.networkProtocol = settings_.networkProtocol;
    if (profile_ != nullptr)
        link.sendPositionToNetwork = loadSendPositionToNetwork(*profile_);
    {
        ui::CDiffModeSheet sheet(receiver_, std::move(link), {}, this);
        if (sheet.DoModal() == framework::IDOK) {
            const ui::DiffLinkSettings& chosen = sheet.settings();
            settings_.ntripPort = chosen.ntripPort;
            settings_.ntripAddress = chosen.ntripAddress;
            settings_.ntripUser = chosen.ntripUser;
            settings_.ntripPassword = chosen.ntripPassword;
            settings_.ntripMountPoint = chosen.ntripMountPoint;
            settings_.ipPort = chosen.ipPort;
            settings_.ipAddress = chosen.ipAddress;
            settings_.dialGsm = chosen.dialGsm;
            settings_.connectNtrip = chosen.connectNtrip;
            settings_.connectIp = chosen.connectIp;
            settings_.networkProtocol = chosen.networkProtocol;
        }
        // The network sheet's choice holds from its own OK, whatever this sheet ends with.
        if (profile_ != nullptr)
            saveSendPositionToNetwork(*profile_, sheet.settings().sendPositionToNetwork);
    }
    // The modem redials by itself only while a link is up; a modem that does not answer keeps
    // the setting it has.
    CWaitCursor wait;
    uint32_t state = 0;
    if (receiver_->queryModemState(state) != 0)
        receiver_->setModemAdl(state == kModemOnline);
}

void CMainMenuDialog::openNmeaOutput() {
    ui::NmeaOutputSettings nmea;
    if (profile_ != nullptr) {
        nmea.portIndex = loadNmeaPortIndex(*profile_);
        nmea.bluetoothPort = loadNmeaBluetoothPort(*profile_);
    }
    {
        // The sheet's Output page hands its choices back as it goes, confirmed or not.
        ui::CNmeaOutputSheet sheet(receiver_, nmea, this);
        sheet.DoModal();
    }
    if (profile_ != nullptr) {
        saveNmeaPortIndex(*profile_, nmea.portIndex);
        saveNmeaBluetoothPort(*profile_, nmea.bluetoothPort);
    }
}

void CMainMenuDialog::resetReceiver() {
    if (MessageBox(framework::loadString(IDS_RESET_QUESTION), framework::loadString(IDS_APP_TITLE),
                   MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
        return;
    }
    CWaitCursor wait;  // the reset is answered within 25 s
    if (!receiver_->initReceiver(1))
        return;
    // A reset receiver forgets its outputs: they are set up again as the connection did. The
    // GPS-only chip answers no port query, so nothing follows for it.
    uint32_t port = 0;
    uint32_t baudCode = 0;
    if (!receiver_->queryReceiverPort(port, baudCode))
        return;
    receiver_->setStatusNmea(port);
    if (!settings_.isExternalGps) {
        receiver_->setWtiOutput(true);
        receiver_->setA2dOutput(true);
    }
}

void CMainMenuDialog::turnOffGnss() {
    if (MessageBox(framework::loadString(IDS_POWER_OFF_QUESTION),
                   framework::loadString(IDS_APP_TITLE), MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
        return;
    }
    bool poweredOff = false;
    {
        CWaitCursor wait;
        poweredOff = receiver_->powerOff() != 0;
    }
    if (!poweredOff) {
        MessageBox(framework::loadString(IDS_CANNOT_POWER_OFF),
                   framework::loadString(IDS_APP_TITLE), framework::MB_OK);
        return;
    }
    platform::sleepMs(kPowerOffSettleMs);
    OnOK();
}

void CMainMenuDialog::OnOK() {
    CDialog::OnOK();
    disconnectReceiver();
}

void CMainMenuDialog::OnCancel() {
    CDialog::OnCancel();
    disconnectReceiver();
}

void CMainMenuDialog::disconnectReceiver() {
    if (disconnected_)
        return;
    CWaitCursor wait;
    receiver_->disconnect();
    disconnected_ = true;
}

}  // namespace zentrix::app
