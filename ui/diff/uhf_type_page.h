// The UHF sheet's "Radio" page: which radio model sits on the receiver and the speed of the
// receiver port it is wired to. Opening the page finds the fitted radio; leaving it tells the
// receiver what the user chose.
#pragma once

#include <cstdint>

#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"
#include "ui/diff/uhf_radio_settings.h"

namespace zentrix::ui {

/// Detection blocks the user-interface thread under the wait cursor, for 7 s on a radio inside
/// an external unit (the board needs that long to find it again). A page without a chosen type
/// sends nothing and switches nothing off. User-interface thread.
class CUhfTypePage : public framework::CPropertyPage {
  public:
    /// `receiver` is not owned.
    CUhfTypePage(receiver::ReceiverInterface* receiver, UhfRadioSettings& settings);

    bool OnInitDialog() override;
    /// Sends the chosen type (and the baud rate when it changed) to the receiver.
    bool OnKillActive() override;
    void OnOK() override;

    void OnTypeChange();
    void OnBaudChange();

    /// The receiver's baud code of the radio's port as read at opening (5 when unread).
    uint32_t baudCode() const { return baudCode_; }
    bool baudChanged() const { return baudChanged_; }

    /// How long the board takes to find a radio inside an external unit again after a clear.
    static constexpr uint32_t kRedetectionMs = 7000;

  private:
    /// The type the receiver reports on `port`, or uhf::kUnknown when it could not say.
    int32_t detectRadio(uint32_t port);
    int chosenIndex() const;

    receiver::ReceiverInterface* receiver_;
    UhfRadioSettings& settings_;
    uint32_t baudCode_ = 5;
    bool baudChanged_ = false;
};

}  // namespace zentrix::ui
