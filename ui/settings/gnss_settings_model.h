// What the GNSS settings page reads from the receiver and what it sends back, without windows.
//
// The page reads every setting once when it opens and writes at OK. A read can fail (a receiver
// that does not answer, a GPS-only chip without the operation); the control then shows its
// default, and sending that default back would overwrite a setting the user never saw. So each
// read keeps whether it succeeded, the page notes which controls the user worked, and the write
// sends a setting only when it was read or chosen.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/text.h"
#include "receiver/commands/receiver_interface.h"

namespace zentrix::ui {

/// `DeviceModel` 2: the survey handheld, the only one with L2, GLONASS, QZSS, the elevation mask
/// and the external antenna.
inline constexpr uint32_t kSurveyDeviceModel = 2;

/// Tracking modes: the combo index is the mode `setGnssMode` takes.
inline constexpr int kTrackingModeCount = 6;

/// How many tracking modes (from the first) the handheld offers: "GPS L1" always, the next two
/// on the survey model, all six when its model code can be read and does not begin with "0200".
int offeredTrackingModes(uint32_t deviceModel, const std::optional<std::string>& modelCode);

/// True for the modes that need L2 and so an external antenna (GPS L1/L2, GPS/GLONASS L1/L2,
/// GLONASS L1/L2).
bool trackingModeNeedsL2(int mode);

/// The settings as the page read them when it opened; an empty value is a read that failed or
/// was not made on this model.
struct GnssSettingsRead {
    bool surveyModel = false;
    int offeredModes = 1;
    /// `queryGnssMode`'s answer, 6 for a combination no mode describes.
    std::optional<uint32_t> mode;
    std::optional<bool> sbas;
    std::optional<bool> qzss;
    std::optional<uint32_t> elevationMaskDegrees;
    /// The external-antenna flag of the receiver's A2D report; the antenna list shows only
    /// when it is set.
    bool externalAntenna = false;
    std::optional<platform::WideString> antennaName;
};

/// Asks the receiver in the page's order: tracking mode, SBAS, and on the survey model QZSS, the
/// elevation mask, the external-antenna flag and, when there is an antenna, its name.
GnssSettingsRead readGnssSettings(receiver::ReceiverInterface& receiver, uint32_t deviceModel,
                                  int offeredModes);

/// The page's controls, and whether the user worked each of them.
struct GnssSettingsShown {
    int mode = -1;  ///< combo index, -1 none
    bool sbas = false;
    bool qzss = false;
    platform::WideString elevationText;
    int antenna = -1;  ///< index into kAntennaModels, -1 none (no external antenna)
    bool modeChosen = false, sbasChosen = false, qzssChosen = false, elevationChosen = false,
         antennaChosen = false;
};

/// What the controls show right after opening.
GnssSettingsShown initialShown(const GnssSettingsRead& read);

/// True when the antenna read gave a model name of the list.
bool antennaMatched(const GnssSettingsRead& read);

/// The elevation mask typed: whole degrees 0 to 90, blanks around allowed; nothing otherwise.
std::optional<int32_t> parseElevationMask(platform::WideStringView text);

/// One step of the write at OK.
struct GnssWriteStep {
    enum class Kind {
        SetAntennaName,
        WarnNoExternalAntenna,  ///< a message, not a receiver call
        SetGnssMode,
        SetSbas,
        SetQzss,
        SetElevationMask,
    };
    Kind kind;
    int32_t value = 0;      ///< mode, on (0/1), degrees
    std::string modelName;  ///< SetAntennaName

    bool operator==(const GnssWriteStep&) const = default;
};

struct GnssWritePlan {
    /// The elevation text is not a mask: nothing may be sent, the page stays open.
    bool elevationRefused = false;
    std::vector<GnssWriteStep> steps;
};

/// The write at OK, in the receiver's order: antenna, (warning), tracking mode, SBAS, QZSS,
/// elevation mask.
GnssWritePlan planGnssWrite(const GnssSettingsRead& read, const GnssSettingsShown& shown);

}  // namespace zentrix::ui
