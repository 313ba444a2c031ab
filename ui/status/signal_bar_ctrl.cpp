#include "ui/status/signal_bar_ctrl.h"

#include <algorithm>
#include <cmath>

#include "framework/resources.h"
#include "framework/system_colors.h"
#include "platform/text.h"
#include "resources/resource_ids.h"

namespace zentrix::ui {

using framework::CDC;
using framework::CFont;
using framework::COLORREF;
using framework::CRect;
using framework::RGB;
using framework::UINT;
using framework::WideString;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGridColour = RGB(128, 128, 128);
constexpr COLORREF kNotUsedL1 = RGB(160, 160, 160);
constexpr COLORREF kNotUsedL2 = RGB(200, 200, 200);

// The number font shrinks in half points from 8 down to 6 points, in tenths of a point.
constexpr std::array<int, 5> kNumberFontTenths = {80, 75, 70, 65, 60};
constexpr int kLegendFontTenths = 86;
constexpr int kLegendFontWeight = 600;

constexpr ConstellationMask kChart0Mask = kMaskGps | kMaskSbas | kMaskQzss;
constexpr ConstellationMask kChart2Mask = kMaskGalileo | kMaskBeidou;

int chartOf(Constellation constellation) {
    switch (constellation) {
        case Constellation::Glonass:
            return 1;
        case Constellation::Galileo:
        case Constellation::Beidou:
            return 2;
        default:
            return 0;
    }
}

WideString decimal(int value) {
    return platform::fromUtf8(platform::decimalText(value));
}

/// As "%02d" writes it.
WideString twoDigits(int value) {
    return value >= 0 && value < 10 ? u"0" + decimal(value) : decimal(value);
}

}  // namespace

SignalCharts buildSignalCharts(const receiver::SatelliteTable& table, uint32_t count,
                               ConstellationMask mask) {
    SignalCharts result;
    const uint32_t records = std::min<uint32_t>(count, table.entries.size());
    // Satellites with a signal are stored first, so that when a chart overflows it is the
    // untracked ones that are left out.
    for (const bool withSignal : {true, false}) {
        for (uint32_t i = 0; i < records; ++i) {
            const receiver::SatelliteRecord& record = table.entries[i];
            const std::optional<Constellation> constellation = constellationOf(record.prn, mask);
            if (!constellation || (mask & maskBitOf(*constellation)) == 0)
                continue;
            const bool tracked = record.snr1 != 0 || record.snr2 != 0;
            if (tracked != withSignal)
                continue;
            const auto index = static_cast<size_t>(*constellation);
            ++result.inView[index];
            if (tracked)
                ++result.tracked[index];
            const int chart = chartOf(*constellation);
            int& filled = result.filled[chart];
            if (filled < kSignalChartEntries) {
                result.charts[chart][filled++] = {record.prn, record.snr1, record.snr2,
                                                  record.used};
            }
        }
    }
    return result;
}

void SignalScale::widen(int snr) {
    if (snr == 0)
        return;
    maximum_ = std::max(maximum_, snr);
    minimum_ = std::min(minimum_, snr);
}

void SignalScale::widen(const SignalCharts& charts) {
    for (int chart = 0; chart < kSignalChartCount; ++chart) {
        for (int i = 0; i < charts.filled[chart]; ++i) {
            widen(charts.charts[chart][i].snr1);
            widen(charts.charts[chart][i].snr2);
        }
    }
}

int SignalScale::barHeight(int snr, int fullHeight) const {
    if (snr == 0 || fullHeight <= 0)
        return 0;
    int height = fullHeight;
    if (maximum_ > minimum_) {
        const int64_t clamped = std::clamp(snr, minimum_, maximum_);
        height = static_cast<int>((clamped - minimum_) * fullHeight /
                                  (static_cast<int64_t>(maximum_) - minimum_));
    }
    return std::max(height, 1);
}

namespace {

/// A window too small for a chart shows none (an inverted rectangle would draw backwards).
void dropEmptyCharts(SignalLayout& layout) {
    for (CRect& chart : layout.charts) {
        if (chart.IsRectEmpty())
            chart = CRect();
    }
}

/// The legend row of `chart` from `top`, 15 pixels high, across the inner width.
template <typename Px>
void placeLegendRow(SignalLayout& layout, int chart, int top, const Px& px) {
    const CRect& inner = layout.inner;
    const int width = inner.Width();
    const int bottom = top + px(15);
    switch (chart) {
        case 0:
            for (int i = 0; i < 3; ++i) {
                layout.legendBoxes[i] = CRect(inner.left + i * width / 3, top,
                                              inner.left + (i + 1) * width / 3, bottom);
            }
            break;
        case 1:
            layout.glonassLegend = CRect(inner.left, top, inner.right, bottom);
            break;
        default:
            layout.galileoBeidouBoxes[0] = CRect(inner.left, top, inner.left + width / 2, bottom);
            layout.galileoBeidouBoxes[1] = CRect(inner.left + width / 2, top, inner.right, bottom);
            break;
    }
}

/// The layout of a receiver with Galileo or BeiDou: the charts `shown` from the top down.
template <typename Px>
void stackCharts(SignalLayout& layout, const std::array<bool, kSignalChartCount>& shown,
                 const Px& px) {
    const CRect& inner = layout.inner;
    const int count = static_cast<int>(std::count(shown.begin(), shown.end(), true));
    int legendTop = inner.top + px(25);
    // Each chart after the first costs its gap and its legend row.
    const int chartHeight =
        count == 1 ? inner.bottom - inner.Height() / 3 - (legendTop + px(15))
                   : (inner.bottom - legendTop - count * px(15) - (count - 1) * px(10)) / count;
    int placed = 0;
    for (int chart = 0; chart < kSignalChartCount; ++chart) {
        if (!shown[chart])
            continue;
        placeLegendRow(layout, chart, legendTop, px);
        const int top = legendTop + px(15);
        ++placed;
        // The last of several takes what the division left over.
        const int bottom = count > 1 && placed == count ? inner.bottom : top + chartHeight;
        layout.charts[chart] = CRect(inner.left, top, inner.right, bottom);
        legendTop = bottom + px(10);
    }
    dropEmptyCharts(layout);
}

}  // namespace

SignalLayout signalLayout(const CRect& client, ConstellationMask mask, double scale) {
    const auto px = [scale](int pixels) { return static_cast<int>(std::lround(pixels * scale)); };
    SignalLayout layout;
    CRect& inner = layout.inner;
    inner = CRect(client.left + px(5), client.top + px(10), client.right - px(5),
                  client.bottom - px(30));
    const int height = inner.Height();
    layout.title = CRect(inner.left, inner.top, inner.right, inner.top + px(15));

    const bool chart0 = (mask & kChart0Mask) != 0;
    const bool chart1 = (mask & kMaskGlonass) != 0;
    if ((mask & kChart2Mask) != 0) {
        stackCharts(layout, {chart0, chart1, true}, px);
        return layout;
    }
    const int middle = inner.top + height / 2;
    // A chart alone takes the upper two thirds; two charts share the area in halves, each
    // laid out as the first one is: legend 25 to 40 pixels down, the bars below it.
    if (chart0) {
        const int width = inner.Width();
        for (int i = 0; i < 3; ++i) {
            layout.legendBoxes[i] = CRect(inner.left + i * width / 3, inner.top + px(25),
                                          inner.left + (i + 1) * width / 3, inner.top + px(40));
        }
        const int bottom = chart1 ? middle : inner.bottom - height / 3;
        layout.charts[0] = CRect(inner.left, inner.top + px(40), inner.right, bottom);
    }
    if (chart1) {
        const int top = chart0 ? middle : inner.top;
        const int bottom = chart0 ? inner.bottom : inner.bottom - height / 3;
        layout.glonassLegend = CRect(inner.left, top + px(25), inner.right, top + px(40));
        layout.charts[1] = CRect(inner.left, top + px(40), inner.right, bottom);
    }
    dropEmptyCharts(layout);
    return layout;
}

SignalColumn signalColumn(int chartLeft, int index, double pitch) {
    return {chartLeft + static_cast<int>(index * pitch + 1),
            chartLeft + static_cast<int>((index + 1) * pitch - 1)};
}

double signalColumnPitch(const SignalCharts& charts, int chartWidth) {
    const auto& tracked = charts.tracked;
    const auto count = [&](Constellation c) { return tracked[static_cast<size_t>(c)]; };
    // A chart draws at most 28 columns, however many satellites it counts.
    const int chart0 = std::min(
        count(Constellation::Gps) + count(Constellation::Sbas) + count(Constellation::Qzss),
        kSignalChartEntries);
    const int chart1 = std::min(count(Constellation::Glonass), kSignalChartEntries);
    const int chart2 =
        std::min(count(Constellation::Galileo) + count(Constellation::Beidou), kSignalChartEntries);
    return static_cast<double>(chartWidth) / std::max({chart0, chart1, chart2, 1});
}

SignalColumnOrder signalColumnOrder(const SignalChart& chart, int filled) {
    SignalColumnOrder order;
    const int entries = std::clamp(filled, 0, kSignalChartEntries);
    for (int i = 0; i < entries; ++i) {
        if (chart[i].prn != 0)
            order.entries[order.count++] = chart[i];
    }
    std::stable_sort(order.entries.begin(), order.entries.begin() + order.count,
                     [](const SignalBarEntry& a, const SignalBarEntry& b) {
                         if (a.tracked() != b.tracked())
                             return a.tracked();
                         return a.prn < b.prn;
                     });
    return order;
}

std::vector<SignalLegend> signalLegends(const SignalCharts& charts, ConstellationMask mask) {
    struct Source {
        Constellation constellation;
        UINT id;
    };
    static constexpr std::array<Source, kConstellationCount> kSources = {{
        {Constellation::Gps, IDS_LEGEND_GPS},
        {Constellation::Sbas, IDS_LEGEND_SBAS},
        {Constellation::Qzss, IDS_LEGEND_QZSS},
        {Constellation::Glonass, IDS_LEGEND_GLONASS},
        {Constellation::Galileo, IDS_LEGEND_GALILEO},
        {Constellation::Beidou, IDS_LEGEND_BEIDOU},
    }};
    std::vector<SignalLegend> legends;
    // The next free box of each chart's row.
    std::array<int, kSignalChartCount> nextBox = {0, kGlonassLegendBox, kGalileoBeidouLegendBox};
    for (const Source& source : kSources) {
        if ((mask & maskBitOf(source.constellation)) == 0)
            continue;
        legends.push_back(
            {nextBox[chartOf(source.constellation)]++,
             framework::formatPattern(
                 framework::loadString(source.id),
                 {decimal(charts.tracked[static_cast<size_t>(source.constellation)])})});
    }
    return legends;
}

SignalBarColours signalBarColours(int prn, bool used, ConstellationMask mask) {
    switch (constellationOf(prn, mask).value_or(Constellation::Gps)) {
        case Constellation::Sbas:
            return {RGB(255, 128, 128), RGB(255, 160, 160)};
        case Constellation::Qzss:
            return used ? SignalBarColours{RGB(0, 192, 0), RGB(0, 230, 0)}
                        : SignalBarColours{kNotUsedL1, kNotUsedL2};
        case Constellation::Galileo:
            return used ? SignalBarColours{RGB(0, 150, 150), RGB(80, 200, 200)}
                        : SignalBarColours{kNotUsedL1, kNotUsedL2};
        case Constellation::Beidou:
            return used ? SignalBarColours{RGB(230, 120, 0), RGB(250, 180, 90)}
                        : SignalBarColours{kNotUsedL1, kNotUsedL2};
        case Constellation::Gps:
        case Constellation::Glonass:
            break;
    }
    return used ? SignalBarColours{framework::GetSysColor(framework::COLOR_HIGHLIGHT),
                                   RGB(160, 160, 255)}
                : SignalBarColours{kNotUsedL1, kNotUsedL2};
}

// ---- The control ----

/// Made on first use, for the screen scale of that time.
struct CSignalBarCtrl::Fonts {
    double scale = 0;
    CFont legend;
    std::array<CFont, kNumberFontTenths.size()> numbers;
    /// The width of "100" in each number font; -1 until measured.
    std::array<int, kNumberFontTenths.size()> hundredWidths{};
};

struct CSignalBarCtrl::Offscreen {
    // The bitmap outlives its selection in the context (declared first, destroyed last).
    framework::CBitmap bitmap;
    CDC dc;
    framework::CSize size;
    double pixelScale = 0;
};

CSignalBarCtrl::CSignalBarCtrl() = default;
CSignalBarCtrl::~CSignalBarCtrl() = default;

void CSignalBarCtrl::setConstellationMask(ConstellationMask mask) {
    mask_ = mask;
    if (IsWindow())
        Invalidate();
}

void CSignalBarCtrl::setSatellites(const receiver::SatelliteTable& table, uint32_t count) {
    charts_ = buildSignalCharts(table, count, mask_);
    scale_.widen(charts_);
    if (!IsWindow())
        return;
    CRect client;
    GetClientRect(&client);
    if (client.IsRectEmpty())
        return;
    framework::CClientDC window(this);
    const double pixelScale = framework::screenPixelScale();
    if (!offscreen_ || offscreen_->size != client.Size() || offscreen_->pixelScale != pixelScale) {
        offscreen_.reset();
        auto made = std::make_unique<Offscreen>();
        if (!made->dc.CreateCompatibleDC(&window) ||
            !made->bitmap.CreateCompatibleBitmap(&window, client.Width(), client.Height()))
            return;
        made->dc.SelectObject(&made->bitmap);
        made->size = client.Size();
        made->pixelScale = pixelScale;
        offscreen_ = std::move(made);
    }
    CDC& memory = offscreen_->dc;
    memory.FillSolidRect(client, kWhite);
    draw(memory, client);
    window.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, framework::SRCCOPY);
}

bool CSignalBarCtrl::OnEraseBkgnd(CDC* dc) {
    CRect client;
    GetClientRect(&client);
    dc->FillSolidRect(client, kWhite);
    return true;
}

void CSignalBarCtrl::OnPaint() {
    framework::CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    draw(dc, client);
}

CSignalBarCtrl::Fonts& CSignalBarCtrl::fonts() {
    const double scale = framework::screenScale();
    if (fonts_ && fonts_->scale == scale)
        return *fonts_;
    fonts_ = std::make_unique<Fonts>();
    fonts_->scale = scale;
    const auto tenths = [scale](int value) { return static_cast<int>(std::lround(value * scale)); };
    framework::LOGFONT logFont;
    logFont.lfHeight = tenths(kLegendFontTenths);
    logFont.lfWeight = kLegendFontWeight;
    framework::setFaceName(logFont, u"Arial");
    fonts_->legend.CreatePointFontIndirect(&logFont);
    for (size_t i = 0; i < kNumberFontTenths.size(); ++i) {
        fonts_->numbers[i].CreatePointFont(tenths(kNumberFontTenths[i]), u"Arial");
        fonts_->hundredWidths[i] = -1;
    }
    return *fonts_;
}

CFont* CSignalBarCtrl::numberFont(CDC& dc, double pitch) {
    Fonts& f = fonts();
    size_t i = 0;
    for (; i + 1 < f.numbers.size(); ++i) {
        if (f.hundredWidths[i] < 0) {
            CFont* previous = dc.SelectObject(&f.numbers[i]);
            f.hundredWidths[i] = dc.GetTextExtent(u"100").cx;
            dc.SelectObject(previous);
        }
        if (f.hundredWidths[i] < pitch)
            break;
    }
    return &f.numbers[i];
}

void CSignalBarCtrl::draw(CDC& dc, const CRect& client) {
    const SignalLayout layout = signalLayout(client, mask_, framework::screenScale());
    if (layout.inner.IsRectEmpty())
        return;
    const int saved = dc.SaveDC();
    dc.SetBkMode(framework::TRANSPARENT);
    dc.SelectObject(&fonts().legend);
    dc.FillSolidRect(layout.title, kWhite);
    dc.SetTextColor(framework::GetSysColor(framework::COLOR_WINDOWTEXT));
    CRect title = layout.title;
    dc.DrawText(framework::loadString(IDS_SATELLITES_TRACKED), title,
                framework::DT_CENTER | framework::DT_VCENTER | framework::DT_SINGLELINE |
                    framework::DT_NOPREFIX);
    drawLegends(dc, layout);
    const double pitch = signalColumnPitch(charts_, layout.inner.Width());
    for (int chart = 0; chart < kSignalChartCount; ++chart) {
        if (layout.chartShown(chart))
            drawChart(dc, chart, layout.charts[chart], pitch);
    }
    dc.RestoreDC(saved);
}

void CSignalBarCtrl::drawLegends(CDC& dc, const SignalLayout& layout) {
    static constexpr std::array<UINT, 3> kAlign = {framework::DT_LEFT, framework::DT_CENTER,
                                                   framework::DT_RIGHT};
    if ((mask_ & kChart0Mask) != 0) {
        for (const CRect& box : layout.legendBoxes) dc.FillSolidRect(box, kWhite);
    }
    if ((mask_ & kMaskGlonass) != 0)
        dc.FillSolidRect(layout.glonassLegend, kWhite);
    if ((mask_ & kChart2Mask) != 0) {
        for (const CRect& box : layout.galileoBeidouBoxes) dc.FillSolidRect(box, kWhite);
    }
    for (const SignalLegend& legend : signalLegends(charts_, mask_)) {
        CRect rect;
        UINT align = framework::DT_LEFT;
        if (legend.box == kGlonassLegendBox) {
            rect = layout.glonassLegend;
        } else if (legend.box >= kGalileoBeidouLegendBox) {
            const int index = legend.box - kGalileoBeidouLegendBox;
            rect = layout.galileoBeidouBoxes[index];
            align = index == 0 ? framework::DT_LEFT : framework::DT_RIGHT;
        } else {
            rect = layout.legendBoxes[legend.box];
            align = kAlign[legend.box];
        }
        dc.DrawText(
            legend.text, rect,
            framework::DT_VCENTER | framework::DT_SINGLELINE | framework::DT_NOPREFIX | align);
    }
}

void CSignalBarCtrl::drawChart(CDC& dc, int chart, const CRect& rect, double pitch) {
    dc.SelectObject(numberFont(dc, pitch));
    framework::TEXTMETRIC metrics;
    dc.GetTextMetrics(&metrics);
    const int textHeight = metrics.tmHeight;
    const int base = rect.bottom - textHeight;
    if (base - rect.top - 1 < 1)
        return;  // no room for a bar

    framework::CPen grid(framework::PS_SOLID, 1, kGridColour);
    framework::CPen* previousPen = dc.SelectObject(&grid);
    framework::CGdiObject* previousBrush = dc.SelectStockObject(framework::NULL_BRUSH);
    dc.Rectangle(rect.left, rect.top, rect.right, base + 1);
    const int step = (base + 1 - rect.top) / 5;
    for (int line = 0; line < 5; ++line) {
        dc.MoveTo(rect.left, base - line * step);
        dc.LineTo(rect.right, base - line * step);
    }
    dc.SelectObject(previousPen);
    dc.SelectObject(previousBrush);

    const SignalColumnOrder order = signalColumnOrder(charts_.charts[chart], charts_.filled[chart]);
    for (int k = 0; k < order.count; ++k) {
        const SignalColumn column = signalColumn(rect.left, k, pitch);
        if (column.left >= rect.right)
            break;  // the untracked satellites past the last column show nothing
        if (column.right - column.left < 2)
            continue;
        drawColumn(dc, order.entries[k], column, rect.top, base, textHeight);
    }
}

void CSignalBarCtrl::drawColumn(CDC& dc, const SignalBarEntry& entry, const SignalColumn& column,
                                int chartTop, int base, int textHeight) {
    const int fullHeight = base - chartTop - 1;
    const int l1Height = scale_.barHeight(entry.snr1, fullHeight);
    const int l2Height = scale_.barHeight(entry.snr2, fullHeight);
    const SignalBarColours colours = signalBarColours(entry.prn, entry.used != 0, mask_);
    const int middle = column.left + (column.right - column.left) / 2;
    if (entry.snr1 != 0) {
        dc.FillSolidRect(
            CRect(column.left, base - l1Height, entry.snr2 != 0 ? middle : column.right, base),
            colours.l1);
    }
    if (entry.snr2 != 0) {
        dc.FillSolidRect(
            CRect(entry.snr1 != 0 ? middle : column.left, base - l2Height, column.right, base),
            colours.l2);
    }
    if (entry.snr1 != 0 || entry.snr2 != 0) {
        // On the L1 bar, or on the L2 bar when there is no L1 bar or when the L2 bar is the
        // lower one and tall enough to hold the text.
        int textTop = base - l1Height;
        if (entry.snr1 == 0 || (entry.snr2 != 0 && l1Height >= l2Height && l2Height >= textHeight))
            textTop = base - l2Height;
        CRect text(column.left, textTop, column.right, std::min(textTop + textHeight, base));
        dc.SetTextColor(framework::GetSysColor(framework::COLOR_HIGHLIGHTTEXT));
        dc.DrawText(twoDigits(entry.snr1), text,
                    framework::DT_CENTER | framework::DT_TOP | framework::DT_SINGLELINE |
                        framework::DT_NOPREFIX);
    }
    CRect prn(column.left, base + 2, column.right, base + 2 + textHeight);
    dc.FillSolidRect(prn, kWhite);
    if (entry.snr1 != 0) {
        dc.SetTextColor(framework::GetSysColor(framework::COLOR_WINDOWTEXT));
        dc.DrawText(decimal(entry.prn), prn,
                    framework::DT_CENTER | framework::DT_TOP | framework::DT_SINGLELINE |
                        framework::DT_NOPREFIX);
    }
}

}  // namespace zentrix::ui
