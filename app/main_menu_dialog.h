// The main menu: one icon list from which every sheet of the program is opened.
#pragma once

#include "app/settings.h"
#include "app/startup.h"
#include "framework/dialog.h"
#include "framework/gdi_objects.h"
#include "framework/image_list.h"
#include "framework/list_ctrl.h"
#include "receiver/commands/receiver_interface.h"

namespace zentrix::app {

/// The menu's actions, numbered as their items remember them.
enum class MenuAction : int {
    GnssSettings = 1,
    DifferentialMode = 2,
    NmeaOutput = 3,
    GnssStatus = 4,
    Reset = 5,
    Troubleshooting = 6,
    About = 7,
    TurnOffGnss = 8,
};

class CMainMenuDialog : public framework::CDialog {
  public:
    /// `settings` is the menu's own copy of the application's connection settings: the sheets
    /// change it, and the application takes it back only when the menu ends with OK.
    /// `profile` keeps what a sheet saves as it closes (the NMEA output's port); without one
    /// those sheets start from their defaults and keep nothing.
    CMainMenuDialog(receiver::ReceiverInterface* receiver, DeviceModel model,
                    ConnectionSettings settings, platform::AppProfile* profile = nullptr);
    /// As above for a receiver of `kind`: one that only talks NMEA gets the items that send it
    /// nothing (the status sheet and About).
    CMainMenuDialog(receiver::ReceiverInterface* receiver, DeviceModel model, ReceiverKind kind,
                    ConnectionSettings settings, platform::AppProfile* profile = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    /// Runs `action` as a tap on its item does.
    void runAction(MenuAction action);

    /// The menu's copy of the connection settings, which its sheets change.
    ConnectionSettings& settings() { return settings_; }
    /// Whether the menu has disconnected the receiver (it does when it ends).
    bool disconnected() const { return disconnected_; }
    framework::CListCtrl& list() { return list_; }

  private:
    void fillList();
    void onClick(const framework::NotifyInfo& info);
    void onReturn();
    void resetReceiver();
    void openDifferentialMode();
    void openNmeaOutput();
    void turnOffGnss();
    void disconnectReceiver();

    receiver::ReceiverInterface* receiver_;
    DeviceModel model_;
    ReceiverKind kind_;
    ConnectionSettings settings_;
    platform::AppProfile* profile_;
    bool disconnected_ = false;
    framework::CListCtrl list_;
    framework::CImageList images_;
    framework::CBitmap strip_;
};

}  // namespace zentrix::app
