// The GNSS settings sheet's page: tracking mode, SBAS, QZSS, elevation mask and external
// antenna, read from the receiver when the page opens and sent when the sheet is confirmed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"
#include "ui/settings/gnss_settings_model.h"

namespace zentrix::ui {

class CGnssPage : public framework::CPropertyPage {
  public:
    /// `receiver` is not owned. `deviceModel` is the handheld's `DeviceModel` (0, 1 or 2) and
    /// `modelCode` its model code, nothing when it cannot be read: together they decide which
    /// tracking modes are offered.
    CGnssPage(receiver::ReceiverInterface* receiver, uint32_t deviceModel,
              std::optional<std::string> modelCode);

    /// Reads the receiver (under the wait cursor) and shows what applies to the model.
    bool OnInitDialog() override;
    /// Sends the settings; false, with a message and nothing sent, for an elevation mask that
    /// is not one.
    bool OnApply() override;
    void DoDataExchange(framework::CDataExchange* dx) override;

    /// What the page read when it opened.
    const GnssSettingsRead& settingsRead() const { return read_; }
    /// The controls as last exchanged, and which of them the user worked.
    GnssSettingsShown shown() const;
    bool externalAntenna() const { return read_.externalAntenna; }

  private:
    void fillTrackingModes();
    void fillAntennas();
    void showControls();
    void run(const GnssWritePlan& plan);
    void onModeChosen() { chose(modeChosen_); }
    void onSbasClicked() { chose(sbasChosen_); }
    void onQzssClicked() { chose(qzssChosen_); }
    void onElevationChanged() { chose(elevationChosen_); }
    void onAntennaChosen() { chose(antennaChosen_); }
    /// The user worked a control (not the page filling it).
    void chose(bool& flag) {
        if (!filling_)
            flag = true;
    }

    receiver::ReceiverInterface* receiver_;
    uint32_t deviceModel_;
    std::optional<std::string> modelCode_;
    GnssSettingsRead read_;
    bool filling_ = false;

    // Exchanged with the controls.
    int mode_ = -1;
    int sbas_ = 0;
    int qzss_ = 0;
    platform::WideString elevationText_;
    int antenna_ = -1;
    bool modeChosen_ = false, sbasChosen_ = false, qzssChosen_ = false, elevationChosen_ = false,
         antennaChosen_ = false;
};

}  // namespace zentrix::ui
