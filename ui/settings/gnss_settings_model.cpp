#include "ui/settings/gnss_settings_model.h"

#include <utility>

#include "receiver/commands/antenna_models.h"

namespace zentrix::ui {

namespace {

constexpr int kSurveyModes = 3;
constexpr int kMaxElevationDegrees = 90;

GnssWriteStep step(GnssWriteStep::Kind kind, int32_t value = 0, std::string modelName = {}) {
    return GnssWriteStep{kind, value, std::move(modelName)};
}

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

}  // namespace

int offeredTrackingModes(uint32_t deviceModel, const std::optional<std::string>& modelCode) {
    if (deviceModel != kSurveyDeviceModel)
        return 1;
    // Handhelds whose code begins with "0200" have a board without GLONASS L2; one whose code
    // cannot be read is not trusted with it either.
    if (!modelCode || modelCode->starts_with("0200"))
        return kSurveyModes;
    return kTrackingModeCount;
}

bool trackingModeNeedsL2(int mode) {
    return mode == 1 || mode == 3 || mode == 5;
}

GnssSettingsRead readGnssSettings(receiver::ReceiverInterface& receiver, uint32_t deviceModel,
                                  int offeredModes) {
    GnssSettingsRead read;
    read.surveyModel = deviceModel == kSurveyDeviceModel;
    read.offeredModes = offeredModes;
    // Out-values are written only on success, so each keeps its read's outcome.
    uint32_t mode = 0;
    if (receiver.queryGnssMode(mode) != 0)
        read.mode = mode;
    uint8_t on = 0;
    if (receiver.querySbas(on) != 0)
        read.sbas = on != 0;
    if (!read.surveyModel)
        return read;
    on = 0;
    if (receiver.queryQzss(on) != 0)
        read.qzss = on != 0;
    uint32_t degrees = 0;
    if (receiver.queryElevationMask(degrees) != 0)
        read.elevationMaskDegrees = degrees;
    read.externalAntenna = receiver.getA2dFirstSwitch() != 0;
    if (read.externalAntenna) {
        platform::WideString name;
        if (receiver.queryAntennaName(name) != 0)
            read.antennaName = std::move(name);
    }
    return read;
}

bool antennaMatched(const GnssSettingsRead& read) {
    return read.antennaName && receiver::antennaModelIndex(platform::toUtf8(*read.antennaName)) <
                                   receiver::kAntennaModels.size();
}

GnssSettingsShown initialShown(const GnssSettingsRead& read) {
    GnssSettingsShown shown;
    if (read.mode && *read.mode < static_cast<uint32_t>(kTrackingModeCount) &&
        *read.mode < static_cast<uint32_t>(read.offeredModes))
        shown.mode = static_cast<int>(*read.mode);
    shown.sbas = read.sbas.value_or(false);
    shown.qzss = read.qzss.value_or(false);
    if (read.elevationMaskDegrees) {
        shown.elevationText = platform::fromUtf8(
            platform::decimalText(static_cast<int32_t>(*read.elevationMaskDegrees)));
    }
    if (read.surveyModel && read.externalAntenna) {
        shown.antenna =
            antennaMatched(read)
                ? static_cast<int>(receiver::antennaModelIndex(platform::toUtf8(*read.antennaName)))
                : static_cast<int>(receiver::kUnknownAntenna);
    }
    return shown;
}

std::optional<int32_t> parseElevationMask(platform::WideStringView text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    if (begin == end)
        return std::nullopt;
    int32_t degrees = 0;
    for (size_t i = begin; i < end; ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return std::nullopt;
        degrees = degrees * 10 + (text[i] - u'0');
        if (degrees > kMaxElevationDegrees)
            return std::nullopt;
    }
    return degrees;
}

GnssWritePlan planGnssWrite(const GnssSettingsRead& read, const GnssSettingsShown& shown) {
    using Kind = GnssWriteStep::Kind;
    GnssWritePlan plan;

    // The mask is checked first: a refused mask stops the whole write, not just its own step.
    std::optional<int32_t> elevation;
    if (read.surveyModel && (read.elevationMaskDegrees || shown.elevationChosen)) {
        elevation = parseElevationMask(shown.elevationText);
        if (!elevation) {
            plan.elevationRefused = true;
            return plan;
        }
    }

    if (read.surveyModel) {
        // "Unknown" shown for a model the list does not know (or an unanswered query) is not
        // the receiver's setting: only the user's choice of it is.
        const bool antennaKnown = antennaMatched(read) || shown.antennaChosen;
        if (read.externalAntenna && shown.antenna >= 0 &&
            shown.antenna < static_cast<int>(receiver::kAntennaModels.size()) && antennaKnown) {
            plan.steps.push_back(
                step(Kind::SetAntennaName, 0,
                     std::string(receiver::kAntennaModels[shown.antenna].modelName)));
        }
        // Without a selection there is no mode to send (setGnssMode would still switch GPS on).
        if (shown.mode >= 0 && shown.mode < kTrackingModeCount) {
            if (trackingModeNeedsL2(shown.mode) && !read.externalAntenna)
                plan.steps.push_back(step(Kind::WarnNoExternalAntenna));
            plan.steps.push_back(step(Kind::SetGnssMode, shown.mode));
        }
    }
    if (read.sbas || shown.sbasChosen)
        plan.steps.push_back(step(Kind::SetSbas, shown.sbas ? 1 : 0));
    // QZSS is asked only on the survey model; elsewhere there is nothing read to send back.
    if (read.qzss || shown.qzssChosen)
        plan.steps.push_back(step(Kind::SetQzss, shown.qzss ? 1 : 0));
    if (elevation)
        plan.steps.push_back(step(Kind::SetElevationMask, *elevation));
    return plan;
}

}  // namespace zentrix::ui
