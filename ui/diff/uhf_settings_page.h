// The UHF sheet's "Settings" page: channel, air link speed, protocol, sensitivity and power of
// the radio chosen on the "Radio" page, as the radio reports them and as the user changes them.
#pragma once

#include <cstdint>

#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"
#include "ui/diff/uhf_radio_settings.h"

namespace zentrix::ui {

/// Reads the radio each time it is shown for another type than its lists were built for, and
/// refuses to open when there is no radio to read (None, Satel Easy, or no answer). OK writes
/// the parameters only when they were read for the sheet's type. User-interface thread.
class CUhfSettingsPage : public framework::CPropertyPage {
  public:
    /// `receiver` is not owned.
    CUhfSettingsPage(receiver::ReceiverInterface* receiver, UhfRadioSettings& settings);

    bool OnSetActive() override;
    void OnOK() override;

    void OnProtocolChange();
    void OnSensitivity(const framework::NotifyInfo& info);

    /// The type the lists were built for, -1 before any.
    int32_t builtForType() const { return builtForType_; }
    bool readFailed() const { return readFailed_; }
    /// As the radio reported them: 0 12.5 kHz, 1 25 kHz, 2 other; 0 4FSK, 1 GMSK, 2 other.
    int32_t spacing() const { return spacing_; }
    int32_t modulation() const { return modulation_; }

  private:
    bool readRadio();
    void buildLists(int32_t type);
    void fillChannels(int32_t type);
    void showSensitivity(int position);

    receiver::ReceiverInterface* receiver_;
    UhfRadioSettings& settings_;
    /// The protocol list's word for code 0, taken when the page is made.
    platform::WideString transparent_;
    int32_t builtForType_ = -1;
    bool readFailed_ = false;
    int32_t spacing_ = 2;
    int32_t modulation_ = 2;
    /// The port the parameters were read from, and so are written to.
    uint32_t port_ = 0;
    bool turnOnShown_ = true;
};

}  // namespace zentrix::ui
