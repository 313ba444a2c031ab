// The sky plot: a polar chart of the satellites in view, north up, azimuth clockwise, the zenith
// in the centre and the horizon on the outer circle, each satellite a coloured dot with its PRN.
//
// The plot refreshes once a second but repaints whole only when the window is invalidated. A
// refresh touches only the slots whose marker changed: a marker is a small black-framed image
// combined with the plot by exclusive-or, so drawing the same marker again takes it away. That
// works only while the screen holds exactly the markers of the "last drawn" table, so every
// path that draws a marker (the refresh erasing, the refresh drawing and the full paint) asks the
// same question, `isVisible`, of the same table, and the full paint draws the last drawn table,
// not the one just handed in.
//
// User-interface thread only.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_set>

#include "framework/controls.h"
#include "ui/status/constellation.h"

namespace zentrix::ui {

/// One satellite of the plot, or an empty slot (`prn` 0).
struct SkyPlotEntry {
    int prn = 0;
    int azimuth = 0;                 ///< degrees, clockwise from north
    int elevation = 0;               ///< degrees above the horizon
    int used = 0;                    ///< 1: used in the solution
    framework::COLORREF colour = 0;  ///< label colour, chosen by the control
    int bitmapId = 0;                ///< dot bitmap resource, chosen by the control; 0: a cross
    int snr1 = 0;                    ///< L1 signal to noise, dB-Hz

    bool operator==(const SkyPlotEntry&) const = default;
};

inline constexpr int kSkyPlotSlots = 28;
/// Per constellation group (GPS, GLONASS, SBAS, QZSS, Galileo, BeiDou, as `Constellation` numbers
/// them) 28 slots.
using SkyPlotTable = std::array<std::array<SkyPlotEntry, kSkyPlotSlots>, kConstellationCount>;

/// The dot bitmaps of one constellation (resource ids, 0 for none).
struct SkyPlotBitmaps {
    int usedWithL1 = 0;
    int usedWithoutL1 = 0;
    int unused = 0;
};

/// A point of the track history.
struct SkyTrackPoint {
    int azimuth = 0;
    int elevation = 0;
    bool empty = true;
};

class CSkyPlotCtrl : public framework::CStatic {
  public:
    static constexpr int kTrackLength = 3500;

    CSkyPlotCtrl();
    ~CSkyPlotCtrl() override;

    // Settings; each repaints the window when it exists.
    void setConstellationMask(ConstellationMask mask);
    void setGpsGlonassBitmaps(const SkyPlotBitmaps& gps, const SkyPlotBitmaps& glonass);
    void setSbasQzssBitmaps(const SkyPlotBitmaps& sbas, const SkyPlotBitmaps& qzss);
    void setGalileoBeidouBitmaps(const SkyPlotBitmaps& galileo, const SkyPlotBitmaps& beidou);
    void setTrackDisplay(bool on);
    /// Tenths of a point (80: 8 points), for the grid labels and the marker labels.
    void setFontSize(int pointSizeTenths);
    void setRingStep(int degrees);
    void setSpokeStep(int degrees);
    /// The label under a dot: "%d" stands for the PRN, "%%" for a percent sign.
    void setLabelFormat(std::string format);

    /// Takes `table` as the satellites now in view and redraws the slots that changed. The
    /// control chooses each entry's colour and bitmap.
    void setTable(const SkyPlotTable& table);

    /// Whether `entry` in `group` has a marker on the plot.
    bool isVisible(int group, const SkyPlotEntry& entry) const;

    // What is on screen, for the page's tests and the benchmark.
    const SkyPlotTable& table() const { return current_; }
    const SkyPlotTable& lastDrawn() const { return lastDrawn_; }
    /// Slots whose marker the last `setTable` erased or drew.
    int redrawnSlots() const { return redrawnSlots_; }
    const std::array<SkyTrackPoint, kTrackLength>& track() const { return track_; }
    int trackWriteIndex() const { return trackIndex_; }
    ConstellationMask constellationMask() const { return mask_; }

    /// The plot square and its radius for the current client size (radius 0 when the window
    /// is too small for a circle).
    framework::CRect plotRect() const;
    double plotRadius() const;
    /// The pixel of azimuth/elevation on the plot as it is now.
    framework::CPoint project(double azimuth, double elevation) const;

    bool OnEraseBkgnd(framework::CDC* dc) override;
    void OnPaint() override;
    void OnDestroy() override;

  private:
    struct Geometry {
        framework::CRect plot;
        double radius = 0;
    };
    struct MarkerImage;
    using MarkerKey = std::tuple<int, framework::COLORREF, int>;

    Geometry geometry() const;
    framework::CPoint project(const Geometry& g, double azimuth, double elevation) const;
    void drawGrid(framework::CDC& dc, const Geometry& g);
    void drawMarker(framework::CDC& dc, const Geometry& g, const SkyPlotEntry& entry);
    MarkerImage& markerImage(framework::CDC& dc, const SkyPlotEntry& entry);
    void toggleTrackPixel(framework::CDC& dc, const Geometry& g, const SkyTrackPoint& point);
    void addTrackPoint(framework::CDC* dc, const Geometry& g, int azimuth, int elevation);
    void chooseLook(int group, SkyPlotEntry& entry) const;
    void settingChanged();
    int scaled(int pixels) const;

    SkyPlotTable current_{};
    SkyPlotTable lastDrawn_{};
    ConstellationMask mask_ = kMaskGps;
    std::array<SkyPlotBitmaps, kConstellationCount> bitmaps_{};
    int fontTenths_ = 90;
    int labelElevation_ = 15;
    int ringStep_ = 15;
    int spokeStep_ = 30;
    std::string labelFormat_ = "PRN:%d";
    bool trackDisplay_ = false;

    std::array<SkyTrackPoint, kTrackLength> track_{};
    int trackIndex_ = 0;
    std::unordered_set<int64_t> trackPoints_;  // the points in `track_`, for the duplicate check

    int redrawnSlots_ = 0;
    // Markers drawn so far, by PRN, colour and bitmap: a refresh only blits them.
    std::map<MarkerKey, std::unique_ptr<MarkerImage>> markers_;
    double markerScale_ = 0;  // the screen's pixel scale the markers were drawn for
};

}  // namespace zentrix::ui
