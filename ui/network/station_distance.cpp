#include "ui/network/station_distance.h"

#include <cmath>
#include <numbers>

#include "platform/locale.h"

namespace zentrix::ui {
namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
/// platform::measurementSystem()'s answer for the U.S. system.
constexpr int kUsMeasurementSystem = 2;
constexpr size_t kDistanceDigits = 5;

}  // namespace

double greatCircleMetres(double originLatitude, double originLongitude, double stationLatitude,
                         double stationLongitude) {
    const double phiO = originLatitude * kRadiansPerDegree;
    const double phiS = stationLatitude * kRadiansPerDegree;
    const double deltaLambda = (originLongitude - stationLongitude) * kRadiansPerDegree;
    const double k =
        std::cos(deltaLambda) * std::cos(phiS) * std::cos(phiO) + std::sin(phiS) * std::sin(phiO);
    if (std::isnan(k))
        return 0;  // an angle that was infinite or not a number
    double angle;
    if (k <= -1)
        angle = std::numbers::pi;
    else if (k >= 1)
        angle = 0;
    else
        angle = std::acos(k);
    return angle * kEarthRadiusMetres;
}

DistanceUnit distanceUnitOf(int measurementSystem) {
    return measurementSystem == kUsMeasurementSystem ? kMiles : kKilometres;
}

DistanceUnit userDistanceUnit() {
    return distanceUnitOf(platform::measurementSystem());
}

double wholeUnits(double metres, const DistanceUnit& unit) {
    const double value = std::trunc(metres * unit.perMetre + 0.5);
    return std::isfinite(value) && value > 0 ? value : 0;
}

platform::WideString distanceText(double wholeUnits, platform::WideStringView unitText) {
    // Whole units from wholeUnits() stay far below the limit; anything else shows as 0 rather
    // than overflowing the conversion.
    const bool representable = wholeUnits >= 0 && wholeUnits < 1e15;
    const platform::WideString number = platform::fromUtf8(
        platform::decimalText(representable ? static_cast<int64_t>(wholeUnits) : 0));
    platform::WideString text;
    if (number.size() < kDistanceDigits)
        text.assign(kDistanceDigits - number.size(), u' ');
    text += number;
    text += u' ';
    text += unitText;
    return text;
}

}  // namespace zentrix::ui
