// The troubleshooting sheet: the receiver's debug recording and recording memory, and a command
// line that sends any text to the receiver, with the history of the commands it took.
#pragma once

#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"
#include "ui/settings/command_history.h"
#include "ui/settings/troubleshoot_settings.h"

namespace zentrix::ui {

/// The sheet's one page. Reads the receiver when its window is made, sends a typed command at
/// once on "Send", and sends storage and debug recording at OK. The history is saved at OK and
/// at Cancel. User-interface thread.
class CTroubleshootPage : public framework::CPropertyPage {
  public:
    /// `receiver` is not owned.
    explicit CTroubleshootPage(receiver::ReceiverInterface* receiver);

    bool OnInitDialog() override;
    void DoDataExchange(framework::CDataExchange* dx) override;
    void OnOK() override;
    void OnCancel() override;

    /// "Send": the typed command to the receiver, its answer shown, and into the history.
    void OnSend();

    const TroubleshootRead& read() const { return read_; }
    const CommandHistory& history() const { return history_; }

  private:
    TroubleshootShown shownNow() const;
    framework::CComboBox* combo(framework::UINT id) const;

    receiver::ReceiverInterface* receiver_;
    TroubleshootRead read_;
    /// The controls as they were right after opening.
    TroubleshootShown atOpening_;
    /// The storage selection exchanged with the storage list.
    int storageIndex_ = -1;
    CommandHistory history_;
};

class CTroubleshootSheet : public framework::CPropertySheet {
  public:
    /// An empty caption and one page; `receiver` is not owned.
    explicit CTroubleshootSheet(receiver::ReceiverInterface* receiver,
                                framework::CWnd* parent = nullptr);

    CTroubleshootPage& page() { return page_; }

    /// Return in the command line sends the command, as a console does, rather than confirming
    /// the sheet; everywhere else it confirms.
    void OnKeyCommand(framework::UINT id) override;

  private:
    CTroubleshootPage page_;
};

}  // namespace zentrix::ui
