// The sky above the simulated receiver and the solution it computes from it.
//
// Satellites fly circular orbits of the right size, inclination and period for their system
// (GPS, GLONASS, QZSS on inclined geosynchronous tracks, SBAS on the geostationary ring), so that
// what a user sees from a given place rises, sets and moves across the sky plot as it would
// outdoors. It is a picture, not an ephemeris: no eccentricity, no perturbations.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace zentrix::sim {

enum class Constellation { Gps, Glonass, Sbas, Qzss };

struct Place {
    double latitudeDegrees = 47.3769;
    double longitudeDegrees = 8.5417;
    double ellipsoidHeightMetres = 455.0;
    double geoidSeparationMetres = 47.4;
};

struct SkySatellite {
    int prn = 0;  // GPS 1-32, GLONASS 65-96, SBAS 120-138, QZSS 193-197
    Constellation system = Constellation::Gps;
    double azimuthDegrees = 0;
    double elevationDegrees = 0;
    double snr1 = 0;  // dB-Hz, 0 when not tracked on that band
    double snr2 = 0;
    bool used = false;
};

/// What the receiver tracks: which systems, the second band, the elevation mask.
struct TrackingSettings {
    bool gps = true;
    bool glonass = true;
    bool sbas = true;
    bool qzss = true;
    bool secondBand = true;
    int elevationMaskDegrees = 10;
};

class Sky {
  public:
    explicit Sky(Place place, uint32_t seed = 1);

    const Place& place() const { return place_; }
    void setPlace(const Place& place) { place_ = place; }

    /// Satellites above the horizon at `seconds` (GPS seconds since an arbitrary epoch), sorted
    /// by system then PRN. Those of systems switched off are not tracked at all; those below the
    /// mask are tracked but not used. At most 12 GPS and QZSS satellites are used, the highest
    /// first, as a receiver with twelve such channels would.
    std::vector<SkySatellite> observe(double seconds, const TrackingSettings& tracking);

  private:
    Place place_;
    std::mt19937 random_;
};

/// The kinds of solution, as the receiver reports them.
enum class SolutionMode { NoFix, Autonomous, Sbas, Dgps, Float, Fixed };

struct Solution {
    SolutionMode mode = SolutionMode::NoFix;
    double latitudeDegrees = 0;
    double longitudeDegrees = 0;
    double ellipsoidHeightMetres = 0;
    double sigmaEast = 0, sigmaNorth = 0, sigmaUp = 0;  // metres, one sigma
    double speedMetresPerSecond = 0;
    double courseDegrees = 0;
    int satellitesUsed = 0;
    double hdop = 0, vdop = 0, pdop = 0;
    double correctionAgeSeconds = 0;  // meaningful in Dgps, Float and Fixed
    double baseline[3] = {0, 0, 0};   // east, north, up from the base, metres
    double secondsToFixed = 0;        // from the first correction; 0 until fixed
};

/// Turns a sky and the state of the correction link into a solution that wanders with realistic
/// noise and converges once corrections arrive: autonomous (or SBAS), then code differential,
/// then float, then fixed.
class Navigator {
  public:
    explicit Navigator(uint32_t seed = 7);

    /// Restart as after power-up: no fix for the first few seconds.
    void restart(double seconds);
    /// Where the base station stands relative to the rover (east, north, up, metres).
    void setBaseOffset(double east, double north, double up);

    Solution update(double seconds, const Place& place, const std::vector<SkySatellite>& sky,
                    bool correctionsFlowing, bool sbasOn);

    static constexpr double kAcquisitionSeconds = 3.0;
    static constexpr double kDgpsAfterSeconds = 2.0;
    static constexpr double kFloatAfterSeconds = 6.0;
    static constexpr double kFixedAfterSeconds = 25.0;
    static constexpr double kSbasAfterSeconds = 8.0;

  private:
    std::mt19937 random_;
    std::normal_distribution<double> normal_{0.0, 1.0};
    double startSeconds_ = 0;
    double lastSeconds_ = -1;
    double correctionsSince_ = -1;  // < 0 while no corrections flow
    double fixedAfter_ = 0;
    double error_[3] = {0, 0, 0};
    double base_[3] = {1234.5, -567.8, 12.3};
};

}  // namespace zentrix::sim
