// The signal page's bar charts: one column per satellite in view with its L1 bar and, when the
// receiver reports one, its L2 bar beside it, the L1 SNR written on the bar and the PRN under it.
// GPS, SBAS and QZSS share the upper chart; GLONASS has the one below, and Galileo and BeiDou,
// for the receivers that report them, share a third at the bottom.
//
// Bars are scaled between the weakest and the strongest SNR seen since the page opened, so the
// scale only ever widens and a bar's height can be compared from one second to the next and
// between the two charts. The pieces that decide what goes where (which records land in which
// chart, the scale, the layout, the columns) are plain functions, so they can be checked without
// a window; the control only draws what they decide.
//
// User-interface thread only.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/controls.h"
#include "receiver/nmea/position_record.h"
#include "ui/status/constellation.h"

namespace zentrix::ui {

/// One column of a chart. `prn` 0 is an empty entry.
struct SignalBarEntry {
    int prn = 0;
    int snr1 = 0;  ///< L1 SNR, 0 = no L1 signal
    int snr2 = 0;  ///< L2 SNR, 0 = no L2 signal
    int used = 0;  ///< used in the solution
    bool tracked() const { return prn != 0 && (snr1 != 0 || snr2 != 0); }
    bool operator==(const SignalBarEntry&) const = default;
};

inline constexpr int kSignalChartEntries = 28;
/// Chart 0 holds GPS, SBAS and QZSS, chart 1 GLONASS, chart 2 Galileo and BeiDou.
inline constexpr int kSignalChartCount = 3;
using SignalChart = std::array<SignalBarEntry, kSignalChartEntries>;

/// What one refresh shows: the charts and the counts for the legends.
struct SignalCharts {
    std::array<SignalChart, kSignalChartCount> charts{};
    /// Entries stored per chart (at most 28).
    std::array<int, kSignalChartCount> filled{};
    /// Per `Constellation`: satellites in view, and those with an L1 or L2 signal.
    std::array<int, kConstellationCount> inView{};
    std::array<int, kConstellationCount> tracked{};
};

/// The receiver's first `count` records (clamped to the table's size) sorted into the charts and
/// counted. Records outside the ranges (under the numbering `mask` names) or of a constellation
/// `mask` leaves out are neither stored nor counted. A chart that overflows keeps the satellites
/// with a signal before those without, so untracked satellites never push tracked ones out.
SignalCharts buildSignalCharts(const receiver::SatelliteTable& table, uint32_t count,
                               ConstellationMask mask);

/// The running scale of all charts: the weakest and the strongest non-zero SNR seen so far.
class SignalScale {
  public:
    /// Widens the scale to take `snr` in; 0 (no signal) changes nothing.
    void widen(int snr);
    /// Widens it with every signal of every chart.
    void widen(const SignalCharts& charts);
    int top() const { return maximum_; }
    int bottom() const { return minimum_; }
    /// The height of the bar for `snr` when the strongest signal gets `fullHeight` pixels,
    /// truncated, and at least 1 so that a satellite with a signal never disappears. A scale
    /// that has seen a single value (top equal to bottom) draws it full height.
    int barHeight(int snr, int fullHeight) const;

  private:
    int maximum_ = -999;
    int minimum_ = 999;
};

/// Where the title, the legends and the charts go in a control of `client` size. `scale` is
/// the screen's (1 on an ordinary screen), applied to the fixed pixel distances.
struct SignalLayout {
    framework::CRect inner;  ///< client less the margins
    framework::CRect title;
    /// Legend boxes and chart rectangles; a chart's are empty when the mask leaves it out.
    std::array<framework::CRect, 3> legendBoxes;  ///< GPS, SBAS, QZSS row
    framework::CRect glonassLegend;
    std::array<framework::CRect, 2> galileoBeidouBoxes;  ///< the row above chart 2
    std::array<framework::CRect, kSignalChartCount> charts;
    bool chartShown(int chart) const { return !charts[chart].IsRectEmpty(); }
};
/// A mask without Galileo and BeiDou keeps the handheld's layout: one chart in the upper two
/// thirds, two in halves. With them, one chart alone takes the upper two thirds as well, and
/// two or three are stacked with charts of equal height down to the inner bottom, the first
/// legend row where it always is, each later one 10 pixels below the chart above it.
SignalLayout signalLayout(const framework::CRect& client, ConstellationMask mask,
                          double scale = 1.0);

/// Column `index`'s left and right (exclusive) edges for columns `pitch` pixels apart starting
/// at `chartLeft`: one pixel of gap on each side.
struct SignalColumn {
    int left = 0;
    int right = 0;
};
SignalColumn signalColumn(int chartLeft, int index, double pitch);

/// The distance between columns: the chart width shared by the largest number of tracked
/// satellites of any chart (at least one), so all charts have columns of the same width.
double signalColumnPitch(const SignalCharts& charts, int chartWidth);

/// The order in which a chart's entries take the columns: the satellites with a signal by
/// PRN, then those without by PRN; empty entries take none.
struct SignalColumnOrder {
    std::array<SignalBarEntry, kSignalChartEntries> entries{};
    int count = 0;
};
SignalColumnOrder signalColumnOrder(const SignalChart& chart, int filled);

/// A legend text and its box: 0 to 2 in the row above chart 0, where the constellations
/// shown are packed from the left, `kGlonassLegendBox` above chart 1, or
/// `kGalileoBeidouLegendBox` and the one after it above chart 2, packed the same way.
struct SignalLegend {
    int box = 0;
    framework::WideString text;
    bool operator==(const SignalLegend&) const = default;
};
inline constexpr int kGlonassLegendBox = 3;
inline constexpr int kGalileoBeidouLegendBox = 4;
/// The tracked counts of the constellations `mask` shows, in the string table's patterns.
std::vector<SignalLegend> signalLegends(const SignalCharts& charts, ConstellationMask mask);

/// The bar colours of a satellite by constellation (under the numbering `mask` names) and
/// whether it is used in the solution.
struct SignalBarColours {
    framework::COLORREF l1 = 0;
    framework::COLORREF l2 = 0;
};
SignalBarColours signalBarColours(int prn, bool used, ConstellationMask mask = 0);

/// The custom-drawn child of the Signal page that fills it: the title, the legends and the
/// charts of the constellations the mask shows. It owns its fonts and its off-screen bitmap.
class CSignalBarCtrl : public framework::CStatic {
  public:
    CSignalBarCtrl();
    ~CSignalBarCtrl() override;

    /// The constellations to show; fixed by the page before the charts are first filled.
    void setConstellationMask(ConstellationMask mask);
    ConstellationMask constellationMask() const { return mask_; }

    /// The refresh: takes the receiver's satellites in view, widens the scale and draws the
    /// whole control off-screen, then copies it to the window in one block.
    void setSatellites(const receiver::SatelliteTable& table, uint32_t count);

    const SignalCharts& charts() const { return charts_; }
    const SignalScale& scale() const { return scale_; }

    bool OnEraseBkgnd(framework::CDC* dc) override;
    void OnPaint() override;

  private:
    struct Fonts;
    struct Offscreen;

    void draw(framework::CDC& dc, const framework::CRect& client);
    void drawLegends(framework::CDC& dc, const SignalLayout& layout);
    void drawChart(framework::CDC& dc, int chart, const framework::CRect& rect, double pitch);
    void drawColumn(framework::CDC& dc, const SignalBarEntry& entry, const SignalColumn& column,
                    int chartTop, int base, int textHeight);
    /// The font for the SNR and PRN numbers: the largest from 8 down to 6 points in which
    /// "100" is narrower than a column.
    framework::CFont* numberFont(framework::CDC& dc, double pitch);
    Fonts& fonts();

    ConstellationMask mask_ = kMaskGps;
    SignalCharts charts_;
    SignalScale scale_;
    std::unique_ptr<Fonts> fonts_;
    /// The off-screen bitmap, kept from one refresh to the next: making a new one every second
    /// costs more than drawing into it.
    std::unique_ptr<Offscreen> offscreen_;
};

}  // namespace zentrix::ui
