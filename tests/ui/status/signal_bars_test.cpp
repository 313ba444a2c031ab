// The signal bars: which satellites go into which chart and how they are counted, the running
// scale, the layout for each constellation mask, and the charts rendered headless and read back
// pixel by pixel; then the Signal page against the fake receiver on its timer.
#include <gtest/gtest.h>

#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/system_colors.h"
#include "framework/test_kit.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_receiver.h"
#include "ui/status/signal_bar_ctrl.h"
#include "ui/status/signal_page.h"

namespace zentrix::ui {
namespace {

using framework::CBitmap;
using framework::CDC;
using framework::COLORREF;
using framework::CRect;
using framework::RGB;
using framework::ScopedTestKit;

struct Sat {
    int prn;
    int snr1;
    int snr2 = 0;
    int used = 1;
};

receiver::SatelliteTable tableOf(std::initializer_list<Sat> sats) {
    receiver::SatelliteTable table;
    for (const Sat& sat : sats) {
        if (table.count == table.entries.size())
            break;
        receiver::SatelliteRecord& record = table.entries[table.count++];
        record.prn = sat.prn;
        record.snr1 = sat.snr1;
        record.snr2 = sat.snr2;
        record.used = static_cast<uint8_t>(sat.used);
    }
    return table;
}

receiver::SatelliteTable manyGps(int count, int firstSnr = 20) {
    receiver::SatelliteTable table;
    for (int i = 0; i < count && i < 32; ++i) {
        table.entries[i].prn = 1 + i;
        table.entries[i].snr1 = firstSnr + i;
        table.entries[i].used = 1;
    }
    table.count = static_cast<uint32_t>(std::min(count, 32));
    return table;
}

std::vector<int> firstPrns(int count) {
    std::vector<int> prns;
    for (int prn = 1; prn <= count; ++prn) prns.push_back(prn);
    return prns;
}

int countOf(const std::array<int, kConstellationCount>& counts, Constellation c) {
    return counts[static_cast<size_t>(c)];
}

constexpr ConstellationMask kAll = kMaskGps | kMaskGlonass | kMaskSbas | kMaskQzss;
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kGrid = RGB(128, 128, 128);

// ---- Charts and counts ----

TEST(SignalChartsTest, RecordsGoToTheirChartAndCount) {
    struct Row {
        const char* legend;
        receiver::SatelliteTable table;
        uint32_t count;
        ConstellationMask mask;
        std::vector<int> chart0;  // PRNs stored, in order
        std::vector<int> chart1;
        std::array<int, 4> inView;  // GPS, GLONASS, SBAS, QZSS
        std::array<int, 4> tracked;
    };
    const Row rows[] = {
        {"range boundaries; 33, 64, 97, 119, 139, 192, 198 and 0 belong nowhere",
         tableOf({{1, 40},
                  {32, 0},
                  {33, 40},
                  {64, 40},
                  {65, 40},
                  {96, 0, 30},
                  {97, 40},
                  {119, 40},
                  {120, 40},
                  {138, 0},
                  {139, 40},
                  {192, 40},
                  {193, 40},
                  {197, 40},
                  {198, 40},
                  {0, 40}}),
         16,
         kAll,
         {1, 120, 193, 197, 32, 138},
         {65, 96},
         {2, 2, 2, 2},
         {1, 2, 1, 2}},
        {"a constellation the mask leaves out is neither stored nor counted",
         tableOf({{5, 40}, {70, 40}, {125, 40}, {195, 40}}),
         4,
         kMaskGps | kMaskQzss,
         {5, 195},
         {},
         {1, 0, 0, 1},
         {1, 0, 0, 1}},
        {"nothing enabled", tableOf({{5, 40}, {70, 40}}), 2, 0, {}, {}, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {"the count from the receiver is clamped to the table",
         manyGps(32),
         40,
         kAll,
         firstPrns(28),
         {},
         {32, 0, 0, 0},
         {32, 0, 0, 0}},
        {"only the first `count` records are read",
         tableOf({{1, 40}, {2, 40}, {3, 40}}),
         2,
         kAll,
         {1, 2},
         {},
         {2, 0, 0, 0},
         {2, 0, 0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const SignalCharts charts = buildSignalCharts(row.table, row.count, row.mask);
        std::vector<int> stored[2];
        for (int c = 0; c < 2; ++c) {
            for (int i = 0; i < charts.filled[c]; ++i) stored[c].push_back(charts.charts[c][i].prn);
        }
        EXPECT_EQ(stored[0], row.chart0);
        EXPECT_EQ(stored[1], row.chart1);
        const Constellation order[] = {Constellation::Gps, Constellation::Glonass,
                                       Constellation::Sbas, Constellation::Qzss};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(countOf(charts.inView, order[i]), row.inView[i]) << i;
            EXPECT_EQ(countOf(charts.tracked, order[i]), row.tracked[i]) << i;
        }
    }
}

TEST(SignalChartsTest, AFullChartKeepsTheTrackedSatellites) {
    // 29 GPS without a signal listed before 3 with one: the chart keeps all three.
    receiver::SatelliteTable table;
    for (int i = 0; i < 29; ++i) table.entries[i].prn = 1 + i;
    table.entries[29] = {30, 0, 0, 44, 0, 1};
    table.entries[30] = {31, 0, 0, 0, 33, 1};
    table.entries[31] = {32, 0, 0, 38, 0, 0};
    table.count = 32;
    const SignalCharts charts = buildSignalCharts(table, table.count, kMaskGps);
    EXPECT_EQ(charts.filled[0], kSignalChartEntries);
    EXPECT_EQ(countOf(charts.inView, Constellation::Gps), 32);
    EXPECT_EQ(countOf(charts.tracked, Constellation::Gps), 3);
    const SignalColumnOrder order = signalColumnOrder(charts.charts[0], charts.filled[0]);
    ASSERT_EQ(order.count, kSignalChartEntries);
    EXPECT_EQ(order.entries[0].prn, 30);
    EXPECT_EQ(order.entries[1].prn, 31);
    EXPECT_EQ(order.entries[2].prn, 32);
    EXPECT_EQ(order.entries[3].prn, 1) << "then the untracked ones by PRN";
}

TEST(SignalChartsTest, ColumnOrderPutsTrackedFirstAndSkipsEmptyEntries) {
    SignalChart chart{};
    // Empty entries among and before real ones, as a chart filled by other code might hold.
    chart[0] = {0, 0, 0, 0};
    chart[1] = {17, 0, 0, 0};
    chart[2] = {12, 30, 0, 1};
    chart[3] = {0, 0, 0, 0};
    chart[4] = {3, 0, 25, 1};
    chart[5] = {125, 41, 0, 0};
    const SignalColumnOrder order = signalColumnOrder(chart, 6);
    std::vector<int> prns;
    for (int i = 0; i < order.count; ++i) prns.push_back(order.entries[i].prn);
    EXPECT_EQ(prns, (std::vector<int>{3, 12, 125, 17}));
}

TEST(SignalChartsTest, LegendsPackTheShownConstellationsFromTheLeft) {
    SignalCharts charts;
    charts.tracked = {7, 5, 2, 1};  // by Constellation: GPS, GLONASS, SBAS, QZSS
    using L = std::vector<SignalLegend>;
    EXPECT_EQ(
        signalLegends(charts, kAll),
        (L{{0, u"GPS: 7"}, {1, u"SBAS: 2"}, {2, u"QZSS: 1"}, {kGlonassLegendBox, u"GLONASS: 5"}}));
    EXPECT_EQ(signalLegends(charts, kMaskGps | kMaskQzss), (L{{0, u"GPS: 7"}, {1, u"QZSS: 1"}}));
    EXPECT_EQ(signalLegends(charts, kMaskSbas), (L{{0, u"SBAS: 2"}}));
    EXPECT_EQ(signalLegends(charts, kMaskGlonass), (L{{kGlonassLegendBox, u"GLONASS: 5"}}));
    EXPECT_EQ(
        signalLegends(SignalCharts{}, kAll),
        (L{{0, u"GPS: 0"}, {1, u"SBAS: 0"}, {2, u"QZSS: 0"}, {kGlonassLegendBox, u"GLONASS: 0"}}));
}

// ---- Scale ----

TEST(SignalScaleTest, WidensOnlyAndDrawsASingleValueFullHeight) {
    SignalScale scale;
    EXPECT_EQ(scale.barHeight(40, 100), 100) << "nothing seen yet: no division";
    scale.widen(40);
    EXPECT_EQ(scale.top(), 40);
    EXPECT_EQ(scale.bottom(), 40);
    EXPECT_EQ(scale.barHeight(40, 100), 100) << "top equal to bottom: full height";
    scale.widen(0);
    EXPECT_EQ(scale.bottom(), 40) << "no signal is no value";
    scale.widen(30);
    scale.widen(50);
    scale.widen(45);
    EXPECT_EQ(scale.top(), 50);
    EXPECT_EQ(scale.bottom(), 30);
    struct Row {
        int snr;
        int height;
    };
    for (const Row& row : {Row{50, 100}, Row{45, 75}, Row{31, 5}, Row{33, 15}, Row{30, 1},
                           Row{99, 100}, Row{12, 1}, Row{0, 0}}) {
        EXPECT_EQ(scale.barHeight(row.snr, 100), row.height) << row.snr;
    }
    EXPECT_EQ(scale.barHeight(45, 0), 0) << "no room";
}

// ---- Layout ----

TEST(SignalLayoutTest, ChartsByMask) {
    const CRect client(0, 0, 230, 260);
    // inner: 5..225 x 10..230, H = 220, middle 120, a third 73.
    struct Row {
        const char* legend;
        ConstellationMask mask;
        CRect chart0;
        CRect chart1;
        CRect glonassLegend;
    };
    const Row rows[] = {
        {"GPS only: the lowest third stays empty", kMaskGps, {5, 50, 225, 157}, {}, {}},
        {"SBAS alone still shows chart 0", kMaskSbas, {5, 50, 225, 157}, {}, {}},
        {"GPS and GLONASS: halves",
         kMaskGps | kMaskGlonass,
         {5, 50, 225, 120},
         {5, 160, 225, 230},
         {5, 145, 225, 160}},
        {"GLONASS only: in the place of chart 0",
         kMaskGlonass,
         {},
         {5, 50, 225, 157},
         {5, 35, 225, 50}},
        {"nothing", 0, {}, {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const SignalLayout layout = signalLayout(client, row.mask);
        EXPECT_EQ(layout.inner, CRect(5, 10, 225, 230));
        EXPECT_EQ(layout.title, CRect(5, 10, 225, 25));
        EXPECT_EQ(layout.charts[0], row.chart0);
        EXPECT_EQ(layout.charts[1], row.chart1);
        if (!row.chart0.IsRectEmpty()) {
            EXPECT_EQ(layout.legendBoxes[0], CRect(5, 35, 78, 50));
            EXPECT_EQ(layout.legendBoxes[2], CRect(151, 35, 225, 50));
        }
        if (!row.chart1.IsRectEmpty()) {
            EXPECT_EQ(layout.glonassLegend, row.glonassLegend);
        }
    }
    const SignalLayout doubled = signalLayout(CRect(0, 0, 460, 520), kMaskGps, 2.0);
    EXPECT_EQ(doubled.inner, CRect(10, 20, 450, 460));
    EXPECT_EQ(doubled.charts[0], CRect(10, 100, 450, 314)) << "scale 2 doubles the distances";
    EXPECT_FALSE(signalLayout(CRect(0, 0, 100, 70), kAll).chartShown(0)) << "too low for a chart";
}

TEST(SignalLayoutTest, ColumnsShareOnePitchAndKeepAGap) {
    SignalCharts charts;
    charts.tracked = {6, 4, 1, 1};  // 8 in chart 0, 4 in chart 1
    EXPECT_DOUBLE_EQ(signalColumnPitch(charts, 220), 27.5);
    charts.tracked = {30, 0, 0, 0};
    EXPECT_DOUBLE_EQ(signalColumnPitch(charts, 224), 8.0) << "never more than 28 columns";
    EXPECT_DOUBLE_EQ(signalColumnPitch(SignalCharts{}, 220), 220.0);
    EXPECT_EQ(signalColumn(5, 0, 27.5).left, 6);
    EXPECT_EQ(signalColumn(5, 0, 27.5).right, 31);
    EXPECT_EQ(signalColumn(5, 1, 27.5).left, 33);
    EXPECT_EQ(signalColumn(5, 1, 27.5).right, 59);
}

// ---- Rendered ----

/// A rendered window's pixels.
class Image {
  public:
    bool renderFrom(ScopedTestKit& kit, framework::CWnd& window) {
        dc_.DeleteDC();
        if (!kit.render(window, bitmap_))
            return false;
        dc_.CreateCompatibleDC(nullptr);
        dc_.SelectObject(&bitmap_);
        return true;
    }
    int width() const { return bitmap_.GetSize().cx; }
    int height() const { return bitmap_.GetSize().cy; }
    COLORREF pixel(int x, int y) const { return dc_.GetPixel(x, y); }

  private:
    CBitmap bitmap_;
    CDC dc_;
};

/// A bar control on a dialog, rendered and read back.
class Bars {
  public:
    explicit Bars(ConstellationMask mask, CRect rect = CRect(0, 0, 230, 260)) {
        EXPECT_TRUE(kit_.open(host_));
        ctrl.setConstellationMask(mask);
        EXPECT_TRUE(ctrl.Create(u"", framework::WS_CHILD | framework::WS_VISIBLE, rect, &host_,
                                CSignalPage::kBarsId));
    }
    void show(const receiver::SatelliteTable& table) { ctrl.setSatellites(table, table.count); }
    /// The control's pixels as they show now.
    const Image& render() {
        EXPECT_TRUE(image_.renderFrom(kit_, ctrl));
        return image_;
    }
    static COLORREF pixel(const Image& image, int x, int y) { return image.pixel(x, y); }
    /// Pixels of `colour` in `rect`.
    static int count(const Image& image, const CRect& rect, COLORREF colour) {
        int n = 0;
        for (int y = std::max(rect.top, 0); y < std::min(rect.bottom, image.height()); ++y) {
            for (int x = std::max(rect.left, 0); x < std::min(rect.right, image.width()); ++x)
                n += pixel(image, x, y) == colour ? 1 : 0;
        }
        return n;
    }
    /// Rows whose pixels from `left` to `right` are all grid grey.
    static std::set<int> gridRows(const Image& image, int left, int right) {
        std::set<int> rows;
        for (int y = 0; y < image.height(); ++y) {
            bool all = true;
            for (int x = left; x < right && all; ++x) all = pixel(image, x, y) == kGrid;
            if (all)
                rows.insert(y);
        }
        return rows;
    }

    CSignalBarCtrl ctrl;

  private:
    ScopedTestKit kit_;
    framework::CDialog host_{IDD_SIGNAL};
    Image image_;
};

/// The text height of the number font at `tenths` of a point.
int numberTextHeight(int tenths = 80) {
    framework::ensureTestApplication();
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(&dc, 1, 1);
    dc.SelectObject(&bitmap);
    framework::CFont font;
    font.CreatePointFont(tenths, u"Arial");
    dc.SelectObject(&font);
    framework::TEXTMETRIC metrics;
    dc.GetTextMetrics(&metrics);
    return metrics.tmHeight;
}

/// The grid rows a chart in `rect` draws: its top edge and the five lines up from the base.
std::set<int> expectedGridRows(const CRect& rect, int textHeight) {
    const int base = rect.bottom - textHeight;
    std::set<int> rows{rect.top};
    for (int i = 0; i < 5; ++i) rows.insert(base - i * ((base + 1 - rect.top) / 5));
    return rows;
}

TEST(SignalBarsRenderTest, EachMaskDrawsItsChartsWhereTheLayoutSays) {
    const int textHeight = numberTextHeight();
    for (ConstellationMask mask : {kMaskGps, kMaskGps | kMaskGlonass, kMaskGlonass,
                                   kMaskSbas | kMaskQzss, ConstellationMask{0}}) {
        SCOPED_TRACE(mask);
        Bars bars(mask);
        bars.show(tableOf({}));
        const Image& image = bars.render();
        const SignalLayout layout = signalLayout(CRect(0, 0, 230, 260), mask);
        std::set<int> expected;
        for (int c = 0; c < 2; ++c) {
            if (layout.chartShown(c)) {
                const std::set<int> rows = expectedGridRows(layout.charts[c], textHeight);
                expected.insert(rows.begin(), rows.end());
            }
        }
        EXPECT_EQ(Bars::gridRows(image, 5, 225), expected);
        // Nothing below the last chart (its PRN boxes end 2 pixels under it) but white.
        const int lowest = layout.chartShown(1)   ? layout.charts[1].bottom
                           : layout.chartShown(0) ? layout.charts[0].bottom
                                                  : layout.title.bottom;
        const CRect below(0, lowest + 2, 230, 260);
        EXPECT_EQ(Bars::count(image, below, kWhite), below.Width() * below.Height());
        // Title ink in its box; a legend's ink only where its constellation is shown.
        const CRect title(5, 10, 225, 25);
        EXPECT_GT(title.Width() * title.Height() - Bars::count(image, title, kWhite), 20);
        const auto inked = [&](const CRect& box) {
            return box.Width() * box.Height() - Bars::count(image, box, kWhite);
        };
        if (layout.chartShown(0)) {
            EXPECT_GT(inked(layout.legendBoxes[0]), 10);
        }
        if (layout.chartShown(1)) {
            EXPECT_GT(inked(layout.glonassLegend), 10);
        }
    }
}

TEST(SignalBarsRenderTest, NothingTrackedDrawsNoBars) {
    Bars bars(kAll);
    bars.show(tableOf({{5, 0}, {70, 0}, {125, 0}, {195, 0}}));
    const Image& image = bars.render();
    // Only white, the grid and the black texts: no bar colour anywhere.
    const CRect all(0, 0, image.width(), image.height());
    const COLORREF text = framework::GetSysColor(framework::COLOR_WINDOWTEXT);
    EXPECT_EQ(Bars::count(image, all, kWhite) + Bars::count(image, all, kGrid) +
                  Bars::count(image, all, text),
              image.width() * image.height());
    EXPECT_EQ(countOf(bars.ctrl.charts().inView, Constellation::Qzss), 1);
    EXPECT_EQ(countOf(bars.ctrl.charts().tracked, Constellation::Qzss), 0);
}

/// One column's geometry in a GPS-only 230 x 260 control with a single column.
struct SingleColumn {
    int textHeight = numberTextHeight();
    int base = 157 - textHeight;
    int top = base - (base - 50 - 1);  // full height: 51
    int left = 6;
    int right = 224;
};

TEST(SignalBarsRenderTest, OneSatelliteFillsTheChartWithTextOnAndPrnUnder) {
    const SingleColumn col;
    Bars bars(kMaskGps);
    bars.show(tableOf({{12, 45, 0, 1}}));
    const Image& image = bars.render();
    const COLORREF highlight = framework::GetSysColor(framework::COLOR_HIGHLIGHT);
    // A single value is the whole scale: the bar is full height and full width.
    const CRect bar(col.left, col.top, col.right, col.base);
    const int highlighted = Bars::count(image, bar, highlight);
    const int textInk = Bars::count(image, bar, kWhite);
    EXPECT_EQ(highlighted + textInk, bar.Width() * bar.Height());
    EXPECT_GT(textInk, 10) << "the SNR on the bar";
    EXPECT_EQ(
        Bars::count(image, CRect(col.left, col.top + col.textHeight, col.right, col.base), kWhite),
        0)
        << "the SNR sits at the top of the bar";
    EXPECT_EQ(Bars::pixel(image, col.left - 1, col.base - 1), kGrid) << "gap and frame left";
    EXPECT_EQ(Bars::pixel(image, col.right, col.base - 1), kGrid) << "frame right";
    const CRect prn(col.left, col.base + 2, col.right, col.base + 2 + col.textHeight);
    EXPECT_GT(Bars::count(image, prn, framework::GetSysColor(framework::COLOR_WINDOWTEXT)), 10);
}

TEST(SignalBarsRenderTest, AnL2OnlySatelliteHasAFullWidthL2BarWithDoubleZeroAndNoPrn) {
    const SingleColumn col;
    Bars bars(kMaskGps);
    bars.show(tableOf({{7, 0, 38, 1}}));
    const Image& image = bars.render();
    const COLORREF l2 = RGB(160, 160, 255);
    const CRect bar(col.left, col.top, col.right, col.base);
    const int textInk = Bars::count(image, bar, kWhite);
    EXPECT_EQ(Bars::count(image, bar, l2) + textInk, bar.Width() * bar.Height());
    const CRect prn(col.left, col.base + 1, col.right, col.base + 2 + col.textHeight);
    EXPECT_EQ(Bars::count(image, prn, kWhite), prn.Width() * prn.Height()) << "no PRN";

    // The text is "00": its first digit is the "0" of "01" on a bar of the same size, in the
    // same place (digits are equally wide), and the whole text is not "01".
    Bars reference(kMaskGps);
    reference.show(tableOf({{7, 1, 0, 1}}));  // "01" on a full bar
    const Image& other = reference.render();
    const int digitWidth = (col.right - col.left) / 2;
    // The first digit is the same "0" in both texts, in the same place.
    int same = 0, inked = 0;
    for (int y = col.top; y < col.top + col.textHeight; ++y) {
        for (int x = col.left; x < col.left + digitWidth; ++x) {
            const bool a = Bars::pixel(image, x, y) == kWhite;
            const bool b = Bars::pixel(other, x, y) == kWhite;
            inked += a ? 1 : 0;
            same += a == b ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 5);
    EXPECT_EQ(same, digitWidth * col.textHeight);
    EXPECT_NE(textInk, Bars::count(other, bar, kWhite)) << "\"00\" is not \"01\"";
}

TEST(SignalBarsRenderTest, BarColoursByConstellationAndUse) {
    const COLORREF highlight = framework::GetSysColor(framework::COLOR_HIGHLIGHT);
    struct Row {
        const char* legend;
        int prn;
        int used;
        COLORREF l1;
        COLORREF l2;
    };
    const Row rows[] = {
        {"GPS in use", 3, 1, highlight, RGB(160, 160, 255)},
        {"GPS not in use", 3, 0, RGB(160, 160, 160), RGB(200, 200, 200)},
        {"GLONASS in use", 70, 1, highlight, RGB(160, 160, 255)},
        {"GLONASS not in use", 70, 0, RGB(160, 160, 160), RGB(200, 200, 200)},
        {"SBAS in use", 129, 1, RGB(255, 128, 128), RGB(255, 160, 160)},
        {"SBAS not in use: the same", 129, 0, RGB(255, 128, 128), RGB(255, 160, 160)},
        {"QZSS in use", 193, 1, RGB(0, 192, 0), RGB(0, 230, 0)},
        {"QZSS not in use", 193, 0, RGB(160, 160, 160), RGB(200, 200, 200)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        Bars bars(kAll);
        // L1 and L2 of equal strength: full height, L1 in the left half, L2 in the right.
        bars.show(tableOf({{row.prn, 40, 40, row.used}}));
        const Image& image = bars.render();
        const SignalLayout layout = signalLayout(CRect(0, 0, 230, 260), kAll);
        const CRect& chart = layout.charts[row.prn >= 65 && row.prn <= 96 ? 1 : 0];
        const int y = chart.bottom - numberTextHeight() - 1;
        EXPECT_EQ(Bars::pixel(image, chart.left + 2, y), row.l1);
        EXPECT_EQ(Bars::pixel(image, chart.right - 3, y), row.l2);
        EXPECT_EQ(Bars::pixel(image, (chart.left + chart.right) / 2 - 2, y), row.l1);
        EXPECT_EQ(Bars::pixel(image, (chart.left + chart.right) / 2 + 1, y), row.l2);
    }
}

/// The bars drawn in a chart: runs of non-white, non-grid pixels along the row just above the
/// base, as (left, right) pairs.
std::vector<std::pair<int, int>> barRuns(const Image& image, int y, int left, int right) {
    std::vector<std::pair<int, int>> runs;
    for (int x = left; x < right; ++x) {
        const COLORREF c = Bars::pixel(image, x, y);
        const bool bar = c != kWhite && c != kGrid;
        if (bar && (runs.empty() || runs.back().second != x))
            runs.push_back({x, x + 1});
        else if (bar)
            runs.back().second = x + 1;
    }
    return runs;
}

TEST(SignalBarsRenderTest, ThirtySatellitesOfOneChartDrawTwentyEight) {
    Bars bars(kMaskGps | kMaskGlonass);
    bars.show(tableOf({{1, 10}}));  // a low scale bottom: every bar taller than its text
    bars.show(manyGps(30, 40));
    const Image& image = bars.render();
    const SignalLayout layout = signalLayout(CRect(0, 0, 230, 260), kMaskGps | kMaskGlonass);
    const CRect& chart = layout.charts[0];
    // 28 columns over the whole width; pick the font the control picked for that pitch.
    const double pitch = chart.Width() / 28.0;
    int tenths = 80;
    {
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        CBitmap bitmap;
        bitmap.CreateCompatibleBitmap(&dc, 1, 1);
        dc.SelectObject(&bitmap);
        for (; tenths > 60; tenths -= 5) {
            framework::CFont font;
            font.CreatePointFont(tenths, u"Arial");
            dc.SelectObject(&font);
            if (dc.GetTextExtent(u"100").cx < pitch)
                break;
        }
    }
    const int base = chart.bottom - numberTextHeight(tenths);
    const auto runs = barRuns(image, base - 1, chart.left + 1, chart.right - 1);
    ASSERT_EQ(runs.size(), 28u);
    for (int k = 0; k < 28; ++k) {
        const SignalColumn column = signalColumn(chart.left, k, pitch);
        EXPECT_EQ(runs[k], std::make_pair(column.left, column.right)) << k;
    }
    EXPECT_EQ(countOf(bars.ctrl.charts().tracked, Constellation::Gps), 30);
}

TEST(SignalBarsRenderTest, FewSatellitesTakeTheFirstColumnsWhateverTheEmptyEntries) {
    Bars bars(kMaskGps);
    // Untracked satellites listed first, and a PRN outside every range among them.
    bars.show(tableOf({{9, 0}, {40, 44}, {2, 0}, {31, 40}, {4, 40}, {17, 0}}));
    const SignalLayout layout = signalLayout(CRect(0, 0, 230, 260), kMaskGps);
    const CRect& chart = layout.charts[0];
    const int base = chart.bottom - numberTextHeight();
    const auto runs = barRuns(bars.render(), base - 1, chart.left + 1, chart.right - 1);
    const double pitch = chart.Width() / 2.0;
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].first, signalColumn(chart.left, 0, pitch).left);
    EXPECT_EQ(runs[1].second, signalColumn(chart.left, 1, pitch).right);
}

TEST(SignalBarsRenderTest, TheRunningScaleOnlyWidens) {
    const SingleColumn col;
    Bars bars(kMaskGps);
    const int full = col.base - col.top;
    const auto heightOf = [&](int column, int columns) {
        const Image& image = bars.render();
        const SignalColumn span = signalColumn(5, column, 220.0 / columns);
        const int x = span.left;  // the left edge is bar colour below the text
        int top = col.base;
        while (top > 0 && Bars::pixel(image, x, top - 1) != kWhite &&
               Bars::pixel(image, x, top - 1) != kGrid)
            --top;
        return col.base - top;
    };
    bars.show(tableOf({{1, 40}, {2, 40}}));
    EXPECT_EQ(heightOf(0, 2), full) << "top equal to bottom: full height, no division by zero";
    EXPECT_EQ(heightOf(1, 2), full);
    bars.show(tableOf({{1, 30}, {2, 50}}));
    EXPECT_EQ(heightOf(0, 2), 1) << "the weakest seen gets the least";
    EXPECT_EQ(heightOf(1, 2), full);
    bars.show(tableOf({{1, 45}}));
    EXPECT_EQ(bars.ctrl.scale().bottom(), 30);
    EXPECT_EQ(bars.ctrl.scale().top(), 50);
    EXPECT_EQ(heightOf(0, 1), 15 * full / 20) << "scaled by what was seen before";
}

TEST(SignalBarsRenderTest, TinyWindowsAndNarrowColumnsDrawNoBars) {
    struct Row {
        const char* legend;
        CRect rect;
        int satellites;
    };
    const Row rows[] = {
        {"zero size", CRect(0, 0, 0, 0), 3},
        {"a few pixels", CRect(0, 0, 6, 6), 3},
        {"narrower than the margins", CRect(0, 0, 9, 200), 3},
        {"too low for a chart", CRect(0, 0, 230, 80), 3},
        {"columns under 2 pixels", CRect(0, 0, 50, 260), 28},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        Bars bars(kMaskGps, row.rect);
        bars.show(manyGps(row.satellites));
        if (row.rect.IsRectEmpty())
            continue;  // nothing to render; not crashing is the point
        const Image& image = bars.render();
        const CRect all(0, 0, image.width(), image.height());
        const COLORREF text = framework::GetSysColor(framework::COLOR_WINDOWTEXT);
        EXPECT_EQ(Bars::count(image, all, kWhite) + Bars::count(image, all, kGrid) +
                      Bars::count(image, all, text),
                  image.width() * image.height());
    }
}

// ---- Receivers of six constellations ----

constexpr ConstellationMask kSix = kAll | kMaskGalileo | kMaskBeidou | kMaskWideNumbering;

std::vector<int> storedPrns(const SignalCharts& charts, int chart) {
    std::vector<int> prns;
    for (int i = 0; i < charts.filled[chart]; ++i) prns.push_back(charts.charts[chart][i].prn);
    return prns;
}

TEST(SignalSixConstellationsTest, GalileoAndBeidouShareTheThirdChart) {
    // 300, 337, 400 and 464 belong nowhere; 148 and 199 only under the wide numbering.
    const receiver::SatelliteTable table = tableOf({{3, 40},
                                                    {70, 0, 30},
                                                    {148, 38},
                                                    {199, 35},
                                                    {420, 0},
                                                    {305, 44, 40},
                                                    {336, 41},
                                                    {463, 0, 39},
                                                    {300, 40},
                                                    {337, 40},
                                                    {400, 40},
                                                    {464, 40}});
    struct Row {
        const char* legend;
        ConstellationMask mask;
        std::vector<int> chart0, chart1, chart2;
        std::array<int, kConstellationCount> inView, tracked;
    };
    const Row rows[] = {
        {"six constellations",
         kSix,
         {3, 148, 199},
         {70},
         {305, 336, 463, 420},
         {1, 1, 1, 1, 2, 2},
         {1, 1, 1, 1, 2, 1}},
        {"the board's numbering",
         kSix & ~kMaskWideNumbering,
         {3},
         {70},
         {305, 336, 463, 420},
         {1, 1, 0, 0, 2, 2},
         {1, 1, 0, 0, 2, 1}},
        {"Galileo switched off",
         kSix & ~kMaskGalileo,
         {3, 148, 199},
         {70},
         {463, 420},
         {1, 1, 1, 1, 0, 2},
         {1, 1, 1, 1, 0, 1}},
        {"the board's four", kAll, {3}, {70}, {}, {1, 1, 0, 0, 0, 0}, {1, 1, 0, 0, 0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const SignalCharts charts = buildSignalCharts(table, table.count, row.mask);
        EXPECT_EQ(storedPrns(charts, 0), row.chart0);
        EXPECT_EQ(storedPrns(charts, 1), row.chart1);
        EXPECT_EQ(storedPrns(charts, 2), row.chart2);
        EXPECT_EQ(charts.inView, row.inView);
        EXPECT_EQ(charts.tracked, row.tracked);
    }

    // 64 records, 20 Galileo (the first ten without a signal) and 44 BeiDou: the third chart
    // keeps 28 of those with a signal, the counts have them all.
    receiver::SatelliteTable full;
    for (int i = 0; i < 20; ++i) full.entries[full.count++] = {301 + i, 0, 0, i < 10 ? 0 : 40};
    for (int i = 0; i < 44; ++i) full.entries[full.count++] = {401 + i, 0, 0, 0, 35};
    const SignalCharts charts = buildSignalCharts(full, full.count, kSix);
    EXPECT_EQ(charts.filled[2], kSignalChartEntries);
    EXPECT_EQ(countOf(charts.inView, Constellation::Galileo), 20);
    EXPECT_EQ(countOf(charts.tracked, Constellation::Galileo), 10);
    EXPECT_EQ(countOf(charts.tracked, Constellation::Beidou), 44);
    for (int i = 0; i < charts.filled[2]; ++i) EXPECT_TRUE(charts.charts[2][i].tracked()) << i;
    EXPECT_DOUBLE_EQ(signalColumnPitch(charts, 224), 8.0) << "the third chart sets the pitch";
}

TEST(SignalSixConstellationsTest, LegendsAndPitchOfTheThirdChart) {
    SignalCharts charts;
    charts.tracked = {7, 5, 2, 1, 9, 13};
    using L = std::vector<SignalLegend>;
    EXPECT_EQ(signalLegends(charts, kSix), (L{{0, u"GPS: 7"},
                                              {1, u"SBAS: 2"},
                                              {2, u"QZSS: 1"},
                                              {kGlonassLegendBox, u"GLONASS: 5"},
                                              {kGalileoBeidouLegendBox, u"Galileo: 9"},
                                              {kGalileoBeidouLegendBox + 1, u"BeiDou: 13"}}));
    EXPECT_EQ(signalLegends(charts, kMaskGps | kMaskBeidou),
              (L{{0, u"GPS: 7"}, {kGalileoBeidouLegendBox, u"BeiDou: 13"}}))
        << "packed from the left of its own row";

    charts.tracked = {3, 2, 0, 0, 10, 12};
    EXPECT_DOUBLE_EQ(signalColumnPitch(charts, 220), 10.0);
    charts.tracked = {3, 2, 0, 0, 0, 0};
    EXPECT_DOUBLE_EQ(signalColumnPitch(charts, 220), 220.0 / 3);
}

TEST(SignalSixConstellationsTest, LayoutStacksTheChartsAndKeepsTheBoardsOwn) {
    const CRect client(0, 0, 230, 260);  // inner 5..225 x 10..230
    struct Row {
        const char* legend;
        ConstellationMask mask;
        std::array<CRect, kSignalChartCount> charts;
        int galileoBeidouTop;  // the legend row above chart 2
    };
    const Row rows[] = {
        {"three charts of 43, 10 between a chart and the next legend",
         kSix,
         {CRect(5, 50, 225, 93), CRect(5, 118, 225, 161), CRect(5, 186, 225, 230)},
         171},
        {"Galileo alone: the upper two thirds",
         kMaskGalileo,
         {CRect(), CRect(), CRect(5, 50, 225, 157)},
         35},
        {"GPS and BeiDou",
         kMaskGps | kMaskBeidou,
         {CRect(5, 50, 225, 127), CRect(), CRect(5, 152, 225, 230)},
         137},
        {"GLONASS and Galileo",
         kMaskGlonass | kMaskGalileo,
         {CRect(), CRect(5, 50, 225, 127), CRect(5, 152, 225, 230)},
         137},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const SignalLayout layout = signalLayout(client, row.mask);
        EXPECT_EQ(layout.charts, row.charts);
        EXPECT_EQ(layout.galileoBeidouBoxes[0],
                  CRect(5, row.galileoBeidouTop, 115, row.galileoBeidouTop + 15));
        EXPECT_EQ(layout.galileoBeidouBoxes[1],
                  CRect(115, row.galileoBeidouTop, 225, row.galileoBeidouTop + 15));
    }
    const SignalLayout six = signalLayout(client, kSix);
    EXPECT_EQ(six.legendBoxes[0], CRect(5, 35, 78, 50));
    EXPECT_EQ(six.glonassLegend, CRect(5, 103, 225, 118));
    const SignalLayout doubled = signalLayout(CRect(0, 0, 460, 520), kSix, 2.0);
    EXPECT_EQ(doubled.charts[0], CRect(10, 100, 450, 186));
    EXPECT_EQ(doubled.charts[2], CRect(10, 372, 450, 460));
    for (const CRect& chart : signalLayout(CRect(0, 0, 230, 120), kSix).charts)
        EXPECT_TRUE(chart.IsRectEmpty()) << "too low for any chart";

    // The numbering alone changes nothing on the board's layouts.
    for (ConstellationMask mask :
         {kMaskGps, kMaskGps | kMaskGlonass, kMaskGlonass, kAll, ConstellationMask{0}}) {
        SCOPED_TRACE(mask);
        const SignalLayout board = signalLayout(client, mask);
        const SignalLayout widened = signalLayout(client, mask | kMaskWideNumbering);
        EXPECT_EQ(widened.charts, board.charts);
        EXPECT_EQ(widened.legendBoxes, board.legendBoxes);
        EXPECT_EQ(widened.glonassLegend, board.glonassLegend);
        EXPECT_FALSE(board.chartShown(2));
    }
}

TEST(SignalSixConstellationsTest, ThreeChartsRenderedWithTheirLegendsAndColours) {
    const COLORREF grey = RGB(160, 160, 160), lightGrey = RGB(200, 200, 200);
    struct Row {
        const char* legend;
        int prn, used, chart;
        COLORREF l1, l2;
    };
    const Row rows[] = {
        {"Galileo in use", 312, 1, 2, RGB(0, 150, 150), RGB(80, 200, 200)},
        {"Galileo not in use", 312, 0, 2, grey, lightGrey},
        {"BeiDou in use", 444, 1, 2, RGB(230, 120, 0), RGB(250, 180, 90)},
        {"BeiDou not in use", 444, 0, 2, grey, lightGrey},
        {"SBAS beyond 138", 148, 1, 0, RGB(255, 128, 128), RGB(255, 160, 160)},
        {"QZSS beyond 197", 201, 1, 0, RGB(0, 192, 0), RGB(0, 230, 0)},
    };
    const SignalLayout layout = signalLayout(CRect(0, 0, 230, 260), kSix);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        Bars bars(kSix);
        bars.show(tableOf({{row.prn, 40, 40, row.used}}));
        const Image& image = bars.render();
        const CRect& chart = layout.charts[row.chart];
        const int y = chart.bottom - numberTextHeight() - 1;
        EXPECT_EQ(Bars::pixel(image, chart.left + 2, y), row.l1);
        EXPECT_EQ(Bars::pixel(image, chart.right - 3, y), row.l2);
    }

    // Empty, all three grids where the layout puts them and both legends of the third row inked.
    Bars bars(kSix);
    bars.show(tableOf({}));
    const Image& image = bars.render();
    std::set<int> expected;
    for (int c = 0; c < kSignalChartCount; ++c) {
        const std::set<int> rows = expectedGridRows(layout.charts[c], numberTextHeight());
        expected.insert(rows.begin(), rows.end());
    }
    EXPECT_EQ(Bars::gridRows(image, 5, 225), expected);
    for (const CRect& box : layout.galileoBeidouBoxes)
        EXPECT_GT(box.Width() * box.Height() - Bars::count(image, box, kWhite), 10);
}

// ---- The page ----

TEST(SignalPageTest, RefreshesFromTheReceiverOnItsTimerWithoutSendingAnything) {
    test::FakeReceiver receiver;
    // 40 claimed, the table holds 32: 26 GPS, 2 SBAS, 1 QZSS, 3 GLONASS, of which 2 switched off.
    receiver.satellites = manyGps(26, 30);
    receiver.satellites.entries[26] = {122, 0, 0, 35, 0, 0};
    receiver.satellites.entries[27] = {129, 0, 0, 0, 0, 0};
    receiver.satellites.entries[28] = {194, 0, 0, 41, 39, 1};
    receiver.satellites.entries[29] = {66, 0, 0, 33, 0, 1};
    receiver.satellites.entries[30] = {67, 0, 0, 34, 0, 1};
    receiver.satellites.entries[31] = {68, 0, 0, 0, 0, 0};
    receiver.satellites.count = 40;

    ScopedTestKit kit;
    CSignalPage page(&receiver);
    page.setConstellationMask(kMaskGps | kMaskSbas | kMaskGlonass);
    framework::CPropertySheet sheet;
    sheet.AddPage(&page);
    ASSERT_TRUE(kit.open(sheet));
    CSignalBarCtrl& bars = page.bars();
    ASSERT_EQ(kit.control(sheet, CSignalPage::kBarsId), &bars);
    CRect pageClient, barsClient;
    page.GetClientRect(&pageClient);
    bars.GetClientRect(&barsClient);
    EXPECT_EQ(barsClient, pageClient);
    EXPECT_EQ(bars.constellationMask(), kMaskGps | kMaskSbas | kMaskGlonass);

    EXPECT_TRUE(receiver.calls().empty());
    ASSERT_TRUE(kit.fireTimer(page, CSignalPage::kRefreshTimerId));
    EXPECT_EQ(receiver.calls(), std::vector<std::string>{"getSatellites"});
    const SignalCharts& charts = bars.charts();
    EXPECT_EQ(countOf(charts.tracked, Constellation::Gps), 26);
    EXPECT_EQ(countOf(charts.tracked, Constellation::Sbas), 1);
    EXPECT_EQ(countOf(charts.inView, Constellation::Sbas), 2);
    EXPECT_EQ(countOf(charts.inView, Constellation::Qzss), 0) << "QZSS is switched off";
    EXPECT_EQ(countOf(charts.tracked, Constellation::Glonass), 2);
    EXPECT_EQ(bars.scale().bottom(), 30);
    EXPECT_EQ(bars.scale().top(), 55);

    // What the refresh drew is on the window: 27 bars in chart 0 (QZSS's would be green).
    Image pixels;
    ASSERT_TRUE(pixels.renderFrom(kit, bars));
    const SignalLayout layout = signalLayout(barsClient, bars.constellationMask());
    EXPECT_EQ(Bars::count(pixels, layout.charts[0], RGB(0, 192, 0)), 0);
    EXPECT_EQ(Bars::count(pixels, layout.charts[0], RGB(255, 128, 128)) > 0, true) << "SBAS";
    EXPECT_GT(
        Bars::count(pixels, layout.charts[1], framework::GetSysColor(framework::COLOR_HIGHLIGHT)),
        0);

    // A receiver that fails the read shows an empty list; the scale stays.
    receiver.fail("getSatellites");
    ASSERT_TRUE(kit.fireTimer(page, CSignalPage::kRefreshTimerId));
    EXPECT_EQ(bars.charts().filled[0], 0);
    EXPECT_EQ(bars.scale().top(), 55);
    EXPECT_FALSE(kit.fireTimer(page, 2)) << "only timer 1 runs";
}

}  // namespace
}  // namespace zentrix::ui
