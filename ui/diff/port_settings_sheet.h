// The "Serial Port Settings" sheet: the handheld port and baud rate an external correction
// source is wired to. It sends nothing; the differential link page does, after OK.
#pragma once

#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"

namespace zentrix::ui {

using platform::WideString;
using platform::WideStringView;

struct PortSettings {
    WideString portName = u"COM5";
    int baudIndex = 0;  ///< into the baud list, -1 when none was chosen
};

class CPortSettingsPage : public framework::CPropertyPage {
  public:
    explicit CPortSettingsPage(PortSettings& settings);

    bool OnInitDialog() override;
    void OnOK() override;

    /// The port a list entry names: its text up to the first blank ("COM5 (Cable)" is "COM5").
    static WideString portOfEntry(WideStringView entry);

  private:
    PortSettings& settings_;
};

class COtherConfigSheet : public framework::CPropertySheet {
  public:
    /// `receiver` is not owned (nor used by the page); `flag` is kept for the caller.
    COtherConfigSheet(receiver::ReceiverInterface* receiver, framework::UINT captionId, int flag,
                      framework::CWnd* parent = nullptr);

    /// Preset before DoModal; read back after OK.
    PortSettings& settings() { return settings_; }
    int flag() const { return flag_; }

  private:
    receiver::ReceiverInterface* receiver_;
    int flag_;
    PortSettings settings_;
    CPortSettingsPage page_;
};

}  // namespace zentrix::ui
