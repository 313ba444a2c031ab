// The "Differential Mode" sheet and its one page, "Link": which data link brings the rover its
// real-time corrections (UHF radio, GSM data call, network, another device on a serial port),
// the sheet of that link, one button that brings the link up or down and whose caption says
// which, and the brand of the reference receiver. Every change reaches the receiver through
// ReceiverInterface; the page formats no sentence itself.
#pragma once

#include <cstdint>

#include "framework/controls.h"
#include "framework/list_ctrl.h"
#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"
#include "ui/diff/reference_brands.h"

namespace zentrix::ui {

using platform::WideString;
using platform::WideStringView;

/// What the page shares with whoever opens it: the network targets and which link is up. The
/// opener copies its own settings in and, after OK, takes them back.
struct DiffLinkSettings {
    int32_t ntripPort = 0;
    WideString ntripAddress, ntripUser, ntripPassword, ntripMountPoint;
    int32_t ipPort = 0;
    WideString ipAddress;
    bool dialGsm = false;         ///< a GSM data call is up
    bool connectNtrip = false;    ///< an NTRIP stream is up
    bool connectIp = false;       ///< a direct IP connection is up
    bool externalGps = false;     ///< the receiver is an external unit
    int32_t networkProtocol = 0;  ///< 0 direct IP, 1 NTRIP
    /// The network sheet's "Send position to network"; the opener keeps it ("SendPosToNet").
    bool sendPositionToNetwork = false;
};

/// The link rows, in list order.
enum class LinkRow : int { Uhf = 0, Gsm = 1, Network = 2, Other = 3 };

/// User-interface thread; every receiver call blocks it up to its time-out, under the wait
/// cursor.
class CRealTimeDiffPage : public framework::CPropertyPage {
  public:
    /// `receiver` is not owned.
    CRealTimeDiffPage(receiver::ReceiverInterface* receiver, DiffLinkSettings& settings);

    bool OnInitDialog() override;
    void OnOK() override;

    /// The button: the action of the selected row (nothing without one).
    void OnLinkButton();

    DiffLinkSettings& settings() { return settings_; }
    /// The selected link row, -1 for none.
    int selectedRow() const;

  private:
    void onListClick();
    void onListChanged(const framework::NotifyInfo& info);
    void updateCaption();
    void setCaption(framework::UINT stringId);

    void readModemState();
    void readReferenceBrand();

    void openUhf();
    void dialOrHangUp();
    void dial();
    void connectNetwork();
    void disconnectNetwork();
    void openOtherDevice();

    /// The GGA sentence on receiver port E every 5 s, for the caster that wants the rover's
    /// position.
    void positionToNetwork(bool on);

    receiver::ReceiverInterface* receiver_;
    DiffLinkSettings& settings_;
    // Kept while the sheet is open only.
    WideString gsmPin_, gsmPhoneNumber_;
    WideString gprsPin_, gprsApn_, gprsLogin_, gprsPassword_;
    /// Whether the flags name the network link that is up for certain: a connect of this page,
    /// or an opening whose mount-point query answered. Otherwise Disconnect ends both.
    bool networkLinkSure_ = true;
    /// The brand row at opening and whether the receiver told it.
    int brandAtOpening_ = -1;
    bool brandKnown_ = false;
    framework::CListCtrl list_;
    framework::CComboBox brands_;
};

class CDiffModeSheet : public framework::CPropertySheet {
  public:
    /// `receiver` is not owned; `settings` is the sheet's copy, read back after OK.
    CDiffModeSheet(receiver::ReceiverInterface* receiver, DiffLinkSettings settings,
                   WideStringView caption = {}, framework::CWnd* parent = nullptr);

    DiffLinkSettings& settings() { return settings_; }
    CRealTimeDiffPage& page() { return page_; }

  private:
    DiffLinkSettings settings_;
    CRealTimeDiffPage page_;
};

}  // namespace zentrix::ui
