// How far a caster's station is from the rover, in the unit the user reads distances in.
//
// Stations are listed to pick the nearest, so a sphere is precise enough: on the mean Earth
// radius the great-circle distance is within half a percent of the ellipsoid's, far below the
// whole units the list shows. The central angle comes from the spherical law of cosines; rounding
// can push its cosine a hair beyond [-1, 1] for identical or antipodal points, so the cosine is
// clamped before the arc cosine instead of letting it answer NaN.
//
// Pure functions of their arguments: no state, no lock, callable from any thread.
#pragma once

#include <string>

#include "platform/text.h"
#include "resources/resource_ids.h"

namespace zentrix::ui {

/// The sphere the distances are measured on (6371000 m as the nearest double above it).
inline constexpr double kEarthRadiusMetres = 6371000.0004351325;

/// Metres along the great circle from (originLatitude, originLongitude) to (stationLatitude,
/// stationLongitude), all in degrees; 0 when an angle is not a finite number.
double greatCircleMetres(double originLatitude, double originLongitude, double stationLatitude,
                         double stationLongitude);

/// A unit distances are shown in: its factor per metre and its text's string id.
struct DistanceUnit {
    double perMetre;
    unsigned textId;
};
inline constexpr DistanceUnit kKilometres{0.001, IDS_UNIT_KILOMETRES};
inline constexpr DistanceUnit kMiles{0.0006213699494949495, IDS_UNIT_MILES};

/// Miles for the U.S. measurement system (platform::measurementSystem() 2), else kilometres.
DistanceUnit distanceUnitOf(int measurementSystem);
/// The unit of the user's locale.
DistanceUnit userDistanceUnit();

/// `metres` in `unit` rounded half up to a whole number (never negative, 0 for a value that is
/// not finite).
double wholeUnits(double metres, const DistanceUnit& unit);

/// The list's distance text: the whole number right-aligned in five characters, a blank and the
/// unit ("   12 km"), so that the texts sort in numeric order up to 99999.
platform::WideString distanceText(double wholeUnits, platform::WideStringView unitText);

}  // namespace zentrix::ui
