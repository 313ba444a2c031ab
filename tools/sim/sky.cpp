#include "tools/sim/sky.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zentrix::sim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegrees = kPi / 180.0;
constexpr double kEarthRotation = 7.2921151467e-5;  // rad/s
constexpr double kWgs84A = 6378137.0;
constexpr double kWgs84E2 = 6.69437999014e-3;
constexpr double kSiderealDay = 86164.0905;

struct Vector3 {
    double x, y, z;
};

Vector3 geodeticToEcef(double latitude, double longitude, double height) {
    const double sinLat = std::sin(latitude), cosLat = std::cos(latitude);
    const double n = kWgs84A / std::sqrt(1.0 - kWgs84E2 * sinLat * sinLat);
    return {(n + height) * cosLat * std::cos(longitude),
            (n + height) * cosLat * std::sin(longitude), (n * (1.0 - kWgs84E2) + height) * sinLat};
}

/// A satellite on a circular orbit: where it stands in the Earth-fixed frame at time t.
struct Orbit {
    int prn;
    Constellation system;
    double radius;       // metres; 0 for geostationary (then `node` is the longitude)
    double period;       // seconds
    double inclination;  // radians
    double node;         // right ascension of the ascending node, radians
    double phase;        // argument of latitude at t = 0, radians

    Vector3 ecef(double t) const {
        if (system == Constellation::Sbas) {
            constexpr double kGeoRadius = 42164e3;
            return {kGeoRadius * std::cos(node), kGeoRadius * std::sin(node), 0.0};
        }
        const double u = phase + 2.0 * kPi * t / period;
        if (system == Constellation::Qzss) {
            // Inclined geosynchronous: the orbit turns with the Earth, so its ground track is a
            // figure of eight about a fixed longitude.
            const double latitude = std::asin(std::sin(inclination) * std::sin(u));
            const double longitude =
                node + std::atan2(std::cos(inclination) * std::sin(u), std::cos(u)) - u + phase;
            return {radius * std::cos(latitude) * std::cos(longitude),
                    radius * std::cos(latitude) * std::sin(longitude), radius * std::sin(latitude)};
        }
        const double xi = radius * (std::cos(node) * std::cos(u) -
                                    std::sin(node) * std::sin(u) * std::cos(inclination));
        const double yi = radius * (std::sin(node) * std::cos(u) +
                                    std::cos(node) * std::sin(u) * std::cos(inclination));
        const double zi = radius * std::sin(u) * std::sin(inclination);
        const double theta = kEarthRotation * t;
        return {xi * std::cos(theta) + yi * std::sin(theta),
                -xi * std::sin(theta) + yi * std::cos(theta), zi};
    }
};

std::vector<Orbit> makeConstellations() {
    std::vector<Orbit> orbits;
    // GPS: six planes 60 degrees apart, 55 degrees inclined, half a sidereal day.
    for (int prn = 1; prn <= 31; ++prn) {
        const int plane = (prn - 1) % 6, slot = (prn - 1) / 6;
        orbits.push_back({prn, Constellation::Gps, 26559.7e3, kSiderealDay / 2, 55.0 * kDegrees,
                          (plane * 60.0 + 17.0) * kDegrees,
                          (slot * 360.0 / 6.0 + plane * 23.0) * kDegrees});
    }
    // GLONASS: three planes of eight, 64.8 degrees, 11 h 15 min 44 s.
    for (int n = 0; n < 24; ++n) {
        const int plane = n / 8, slot = n % 8;
        orbits.push_back({65 + n, Constellation::Glonass, 25508e3, 40544.0, 64.8 * kDegrees,
                          (plane * 120.0 + 40.0) * kDegrees,
                          (slot * 45.0 + plane * 15.0) * kDegrees});
    }
    // SBAS: EGNOS, WAAS, MSAS and GAGAN geostationary satellites at their longitudes.
    constexpr std::array<std::pair<int, double>, 8> kGeostationary = {{{120, -15.5},
                                                                       {123, 31.5},
                                                                       {126, 25.0},
                                                                       {127, 55.0},
                                                                       {129, 140.0},
                                                                       {131, -117.0},
                                                                       {133, -129.0},
                                                                       {138, -107.3}}};
    for (const auto& [prn, longitude] : kGeostationary)
        orbits.push_back({prn, Constellation::Sbas, 0, 0, 0, longitude * kDegrees, 0});
    // QZSS: four satellites on a figure of eight centred on 135 degrees east.
    for (int n = 0; n < 4; ++n)
        orbits.push_back({193 + n, Constellation::Qzss, 42164e3, kSiderealDay, 41.0 * kDegrees,
                          135.0 * kDegrees, n * 90.0 * kDegrees});
    return orbits;
}

const std::vector<Orbit>& orbits() {
    static const std::vector<Orbit> all = makeConstellations();
    return all;
}

bool enabled(Constellation system, const TrackingSettings& tracking) {
    switch (system) {
        case Constellation::Gps:
            return tracking.gps;
        case Constellation::Glonass:
            return tracking.glonass;
        case Constellation::Sbas:
            return tracking.sbas;
        case Constellation::Qzss:
            return tracking.qzss;
    }
    return false;
}

}  // namespace

Sky::Sky(Place place, uint32_t seed) : place_(place), random_(seed) {}

std::vector<SkySatellite> Sky::observe(double seconds, const TrackingSettings& tracking) {
    const double lat = place_.latitudeDegrees * kDegrees, lon = place_.longitudeDegrees * kDegrees;
    const Vector3 me = geodeticToEcef(lat, lon, place_.ellipsoidHeightMetres);
    std::normal_distribution<double> jitter(0.0, 0.8);
    std::vector<SkySatellite> seen;
    for (const Orbit& orbit : orbits()) {
        if (!enabled(orbit.system, tracking))
            continue;
        const Vector3 s = orbit.ecef(seconds);
        const double dx = s.x - me.x, dy = s.y - me.y, dz = s.z - me.z;
        const double east = -std::sin(lon) * dx + std::cos(lon) * dy;
        const double north = -std::sin(lat) * std::cos(lon) * dx -
                             std::sin(lat) * std::sin(lon) * dy + std::cos(lat) * dz;
        const double up = std::cos(lat) * std::cos(lon) * dx + std::cos(lat) * std::sin(lon) * dy +
                          std::sin(lat) * dz;
        const double elevation = std::atan2(up, std::hypot(east, north)) / kDegrees;
        if (elevation < 0.0)
            continue;
        double azimuth = std::atan2(east, north) / kDegrees;
        if (azimuth < 0)
            azimuth += 360.0;

        SkySatellite sat;
        sat.prn = orbit.prn;
        sat.system = orbit.system;
        sat.azimuthDegrees = azimuth;
        sat.elevationDegrees = elevation;
        // Signal strength follows elevation: low satellites fight the atmosphere and multipath.
        const double gain = std::sin(std::max(elevation, 1.0) * kDegrees);
        const double base = orbit.system == Constellation::Sbas ? 36.0 : 30.0;
        sat.snr1 = std::clamp(base + 19.0 * std::sqrt(gain) + jitter(random_), 20.0, 55.0);
        if (tracking.secondBand && orbit.system != Constellation::Sbas && elevation > 5.0)
            sat.snr2 = std::clamp(sat.snr1 - 6.0 + jitter(random_), 15.0, 52.0);
        sat.used = elevation >= tracking.elevationMaskDegrees && sat.snr1 >= 28.0;
        seen.push_back(sat);
    }
    // Twelve GPS+QZSS channels in the solution at most: drop the lowest.
    std::vector<SkySatellite*> primary;
    for (SkySatellite& sat : seen) {
        if (sat.used && (sat.system == Constellation::Gps || sat.system == Constellation::Qzss))
            primary.push_back(&sat);
    }
    if (primary.size() > 12) {
        std::sort(primary.begin(), primary.end(),
                  [](auto* a, auto* b) { return a->elevationDegrees > b->elevationDegrees; });
        for (size_t i = 12; i < primary.size(); ++i) primary[i]->used = false;
    }
    std::stable_sort(seen.begin(), seen.end(),
                     [](const SkySatellite& a, const SkySatellite& b) { return a.prn < b.prn; });
    return seen;
}

Navigator::Navigator(uint32_t seed) : random_(seed) {}

void Navigator::restart(double seconds) {
    startSeconds_ = seconds;
    lastSeconds_ = -1;
    correctionsSince_ = -1;
    fixedAfter_ = 0;
    error_[0] = error_[1] = error_[2] = 0;
}

void Navigator::setBaseOffset(double east, double north, double up) {
    base_[0] = east;
    base_[1] = north;
    base_[2] = up;
}

Solution Navigator::update(double seconds, const Place& place, const std::vector<SkySatellite>& sky,
                           bool correctionsFlowing, bool sbasOn) {
    Solution s;
    const double dt = lastSeconds_ < 0 ? 1.0 : std::clamp(seconds - lastSeconds_, 0.0, 60.0);
    lastSeconds_ = seconds;

    // Dilution of precision from the geometry of the satellites used.
    double sumCos2 = 0, sumSin2 = 0;
    for (const SkySatellite& sat : sky) {
        if (!sat.used)
            continue;
        ++s.satellitesUsed;
        const double e = sat.elevationDegrees * kDegrees;
        sumCos2 += std::cos(e) * std::cos(e);
        sumSin2 += std::sin(e) * std::sin(e);
    }
    if (s.satellitesUsed >= 4) {
        s.hdop = std::clamp(1.6 * std::sqrt(2.0 / std::max(sumCos2, 0.1)), 0.6, 9.9);
        s.vdop = std::clamp(1.2 * std::sqrt(2.0 / std::max(sumSin2, 0.1)) + 0.3, 0.8, 9.9);
        s.pdop = std::hypot(s.hdop, s.vdop);
    }

    if (correctionsFlowing) {
        if (correctionsSince_ < 0) {
            correctionsSince_ = seconds;
            // Ambiguities resolve in a spread of times, as they do outdoors.
            fixedAfter_ = kFixedAfterSeconds + std::abs(normal_(random_)) * 8.0;
        }
    } else {
        correctionsSince_ = -1;
    }
    const double running = seconds - startSeconds_;
    if (running < kAcquisitionSeconds || s.satellitesUsed < 4)
        return s;

    double sigma[3];
    if (correctionsSince_ >= 0) {
        const double linked = seconds - correctionsSince_;
        s.correctionAgeSeconds = 1.0 + std::fmod(seconds, 2.0) * 0.5;
        s.baseline[0] = base_[0];
        s.baseline[1] = base_[1];
        s.baseline[2] = base_[2];
        if (linked >= fixedAfter_) {
            s.mode = SolutionMode::Fixed;
            s.secondsToFixed = fixedAfter_;
            sigma[0] = sigma[1] = 0.008;
            sigma[2] = 0.015;
        } else if (linked >= kFloatAfterSeconds) {
            s.mode = SolutionMode::Float;
            // Float converges from decimetres towards a few centimetres.
            const double progress =
                (linked - kFloatAfterSeconds) / (fixedAfter_ - kFloatAfterSeconds);
            sigma[0] = sigma[1] = 0.35 - 0.3 * progress;
            sigma[2] = 2.0 * sigma[0];
        } else if (linked >= kDgpsAfterSeconds) {
            s.mode = SolutionMode::Dgps;
            sigma[0] = sigma[1] = 0.45;
            sigma[2] = 0.9;
        } else {
            s.mode = SolutionMode::Autonomous;
            s.correctionAgeSeconds = 0;
            sigma[0] = sigma[1] = 1.6;
            sigma[2] = 3.2;
        }
    } else if (sbasOn && running >= kSbasAfterSeconds) {
        s.mode = SolutionMode::Sbas;
        sigma[0] = sigma[1] = 0.7;
        sigma[2] = 1.3;
    } else {
        s.mode = SolutionMode::Autonomous;
        sigma[0] = sigma[1] = 1.6;
        sigma[2] = 3.2;
    }
    for (double& v : sigma) v *= std::max(1.0, s.hdop / 1.2);

    // First-order Gauss-Markov errors: the position wanders rather than jumps, and pulls in
    // towards truth as the solution improves.
    constexpr double kCorrelationSeconds = 20.0;
    const double decay = std::exp(-dt / kCorrelationSeconds);
    for (int axis = 0; axis < 3; ++axis) {
        error_[axis] =
            error_[axis] * decay + sigma[axis] * std::sqrt(1.0 - decay * decay) * normal_(random_);
        if (std::abs(error_[axis]) > 4.0 * sigma[axis])
            error_[axis] = std::copysign(3.0 * sigma[axis], error_[axis]);
    }
    // A receiver standing still reports a few centimetres per second of velocity noise.
    const double velocityEast = 0.03 * normal_(random_), velocityNorth = 0.03 * normal_(random_);
    s.sigmaEast = sigma[0];
    s.sigmaNorth = sigma[1];
    s.sigmaUp = sigma[2];
    const double lat = place.latitudeDegrees * kDegrees;
    const double radius = kWgs84A;
    s.latitudeDegrees = place.latitudeDegrees + error_[1] / radius / kDegrees;
    s.longitudeDegrees =
        place.longitudeDegrees + error_[0] / (radius * std::max(std::cos(lat), 1e-6)) / kDegrees;
    s.ellipsoidHeightMetres = place.ellipsoidHeightMetres + error_[2];
    s.speedMetresPerSecond = std::hypot(velocityEast, velocityNorth);
    s.courseDegrees = std::fmod(std::atan2(velocityEast, velocityNorth) / kDegrees + 360.0, 360.0);
    return s;
}

}  // namespace zentrix::sim
