#include "ui/status/sky_plot_ctrl.h"

#include <algorithm>
#include <cmath>

#include "framework/resources.h"
#include "resources/resource_ids.h"

namespace zentrix::ui {

using framework::CBitmap;
using framework::CBrush;
using framework::CClientDC;
using framework::CDC;
using framework::CFont;
using framework::COLORREF;
using framework::CPaintDC;
using framework::CPen;
using framework::CPoint;
using framework::CRect;
using framework::CSize;
using framework::RGB;

namespace {

constexpr std::array<COLORREF, kConstellationCount> kUsedColours = {
    RGB(255, 255, 0),   // GPS: yellow
    RGB(0, 240, 60),    // GLONASS: green
    RGB(156, 0, 0),     // SBAS: dark red
    RGB(240, 94, 123),  // QZSS: pink
    RGB(0, 190, 255),   // Galileo: sky blue
    RGB(255, 150, 30),  // BeiDou: orange
};
constexpr COLORREF kUnusedColour = RGB(192, 192, 192);
constexpr COLORREF kGridColour = RGB(128, 0, 255);
constexpr COLORREF kPlotFill = RGB(0, 0, 0);
constexpr COLORREF kGridText = RGB(255, 255, 255);
constexpr COLORREF kMarkerFrame = RGB(0, 255, 0);
constexpr COLORREF kTrackColour = RGB(0, 255, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

constexpr double kRadiansPerDegree = 0.017453292519944444;
constexpr int kDotSize = 7;

int64_t trackKey(int azimuth, int elevation) {
    return (static_cast<int64_t>(azimuth) << 32) ^ static_cast<uint32_t>(elevation);
}

/// "%d" becomes the PRN and "%%" a percent sign; anything else stays as written.
platform::WideString formatLabel(const std::string& format, int prn) {
    std::string text;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 'd') {
            text += platform::decimalText(prn);
            ++i;
        } else if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == '%') {
            text += '%';
            ++i;
        } else {
            text += format[i];
        }
    }
    return platform::fromUtf8(text);
}

}  // namespace

/// A marker as it is combined with the plot: black, with the dot (or a cross) at the top centre
/// and the label under it. `hotSpot` is the dot's centre.
struct CSkyPlotCtrl::MarkerImage {
    CBitmap bitmap;
    CDC dc;  // holds `bitmap` selected
    CSize size;
    CPoint hotSpot;
};

CSkyPlotCtrl::CSkyPlotCtrl() = default;
CSkyPlotCtrl::~CSkyPlotCtrl() = default;

int CSkyPlotCtrl::scaled(int pixels) const {
    return framework::ScaleX(pixels);
}

void CSkyPlotCtrl::settingChanged() {
    markers_.clear();
    if (GetSafeHwnd() != nullptr)
        Invalidate();
}

void CSkyPlotCtrl::setConstellationMask(ConstellationMask mask) {
    mask_ = mask;
    settingChanged();
}

void CSkyPlotCtrl::setGpsGlonassBitmaps(const SkyPlotBitmaps& gps, const SkyPlotBitmaps& glonass) {
    bitmaps_[static_cast<int>(Constellation::Gps)] = gps;
    bitmaps_[static_cast<int>(Constellation::Glonass)] = glonass;
    settingChanged();
}

void CSkyPlotCtrl::setSbasQzssBitmaps(const SkyPlotBitmaps& sbas, const SkyPlotBitmaps& qzss) {
    bitmaps_[static_cast<int>(Constellation::Sbas)] = sbas;
    bitmaps_[static_cast<int>(Constellation::Qzss)] = qzss;
    settingChanged();
}

void CSkyPlotCtrl::setGalileoBeidouBitmaps(const SkyPlotBitmaps& galileo,
                                           const SkyPlotBitmaps& beidou) {
    bitmaps_[static_cast<int>(Constellation::Galileo)] = galileo;
    bitmaps_[static_cast<int>(Constellation::Beidou)] = beidou;
    settingChanged();
}

void CSkyPlotCtrl::setTrackDisplay(bool on) {
    trackDisplay_ = on;
    settingChanged();
}

void CSkyPlotCtrl::setFontSize(int pointSizeTenths) {
    fontTenths_ = pointSizeTenths;
    settingChanged();
}

void CSkyPlotCtrl::setRingStep(int degrees) {
    ringStep_ = degrees;
    settingChanged();
}

void CSkyPlotCtrl::setSpokeStep(int degrees) {
    spokeStep_ = degrees;
    settingChanged();
}

void CSkyPlotCtrl::setLabelFormat(std::string format) {
    labelFormat_ = std::move(format);
    settingChanged();
}

// ---- Geometry ----

CSkyPlotCtrl::Geometry CSkyPlotCtrl::geometry() const {
    Geometry g;
    if (GetSafeHwnd() == nullptr)
        return g;
    CRect area;
    GetClientRect(&area);
    area.left += scaled(5);
    area.right -= scaled(5);
    area.bottom -= scaled(20);
    area.DeflateRect(scaled(2), scaled(2));
    const int side = std::min(area.Width(), area.Height());
    if (side < 2)
        return g;  // no room for a circle: nothing is drawn
    const int left = area.left + (area.Width() - side) / 2;
    const int top = area.top + (area.Height() - side) / 2;
    g.plot = CRect(left, top, left + side, top + side);
    g.radius = side / 2.0;
    return g;
}

CRect CSkyPlotCtrl::plotRect() const {
    return geometry().plot;
}

double CSkyPlotCtrl::plotRadius() const {
    return geometry().radius;
}

CPoint CSkyPlotCtrl::project(double azimuth, double elevation) const {
    return project(geometry(), azimuth, elevation);
}

CPoint CSkyPlotCtrl::project(const Geometry& g, double azimuth, double elevation) const {
    const double r = (90 - elevation) * g.radius / 90;
    const double a = azimuth * kRadiansPerDegree;
    const int cx = static_cast<int>(g.plot.left + g.radius);
    const int cy = static_cast<int>(g.plot.top + g.radius);
    return {cx + static_cast<int>(r * std::sin(a)), cy - static_cast<int>(r * std::cos(a))};
}

// ---- Painting ----

bool CSkyPlotCtrl::OnEraseBkgnd(CDC* dc) {
    CRect client;
    GetClientRect(&client);
    // The margins too: a marker near the edge reaches into them, and what it left there must go
    // with the rest of the plot.
    dc->FillSolidRect(client, BackgroundColor());
    CRect area = client;
    area.left += scaled(5);
    area.right -= scaled(5);
    area.bottom -= scaled(20);
    if (!area.IsRectEmpty())
        dc->FillSolidRect(area, kWhite);
    return true;
}

void CSkyPlotCtrl::OnPaint() {
    CPaintDC dc(this);
    // Markers are kept from paint to paint; a screen of another scale needs them drawn anew.
    // Only here: between two paints a marker must be erased with the very pixels it was drawn
    // with.
    if (framework::screenPixelScale() != markerScale_) {
        markers_.clear();
        markerScale_ = framework::screenPixelScale();
    }
    const Geometry g = geometry();
    if (g.radius < 1)
        return;
    drawGrid(dc, g);
    if (trackDisplay_) {
        CBrush brush(kTrackColour);
        CBrush* oldBrush = dc.SelectObject(&brush);
        for (const SkyTrackPoint& point : track_) {
            if (!point.empty)
                toggleTrackPixel(dc, g, point);
        }
        dc.SelectObject(oldBrush);
    }
    // What the refreshes drew, so that the next one erases exactly what is on screen.
    for (int group = 0; group < kConstellationCount; ++group) {
        for (const SkyPlotEntry& entry : lastDrawn_[group]) {
            if (isVisible(group, entry))
                drawMarker(dc, g, entry);
        }
    }
}

void CSkyPlotCtrl::OnDestroy() {
    // The markers' bitmaps go with the window, as every drawing object of a page does.
    markers_.clear();
    CStatic::OnDestroy();
}

void CSkyPlotCtrl::drawGrid(CDC& dc, const Geometry& g) {
    CFont font;
    font.CreatePointFont(static_cast<int>(std::lround(fontTenths_ * framework::screenScale())),
                         u"Arial");
    CPen pen(framework::PS_SOLID, scaled(1), kGridColour);
    CBrush brush(kPlotFill);
    CFont* oldFont = dc.SelectObject(&font);
    CPen* oldPen = dc.SelectObject(&pen);
    CBrush* oldBrush = dc.SelectObject(&brush);
    dc.SetBkMode(framework::OPAQUE);
    dc.SetBkColor(kBlack);
    dc.SetTextColor(kGridText);

    const CPoint centre = project(g, 0, 90);
    const int ringStep = ringStep_ > 0 ? ringStep_ : 90;
    for (int elevation = 0; elevation < 90; elevation += ringStep) {
        const int r = static_cast<int>(g.radius - elevation * g.radius / 90);
        // One pixel wider than the radius each way, so the ring is symmetric about the centre.
        dc.Ellipse(centre.x - r, centre.y - r, centre.x + r + 1, centre.y + r + 1);
    }
    const int spokeStep = spokeStep_ > 0 ? spokeStep_ : 360;
    for (int azimuth = 0; azimuth < 360; azimuth += spokeStep) {
        dc.MoveTo(centre);
        dc.LineTo(project(g, azimuth, 0));
        platform::WideString label;
        switch (azimuth) {
            case 0:
                label = framework::loadString(IDS_NORTH);
                break;
            case 90:
                label = framework::loadString(IDS_EAST);
                break;
            case 180:
                label = framework::loadString(IDS_SOUTH);
                break;
            case 270:
                label = framework::loadString(IDS_WEST);
                break;
            default:
                label = platform::fromUtf8(platform::decimalText(azimuth));
                break;
        }
        const CPoint at = project(g, azimuth, labelElevation_);
        const CSize size = dc.GetTextExtent(label);
        dc.TextOut(at.x - size.cx / 2, at.y - size.cy / 2, label);
    }
    dc.SelectObject(oldFont);
    dc.SelectObject(oldPen);
    dc.SelectObject(oldBrush);
}

CSkyPlotCtrl::MarkerImage& CSkyPlotCtrl::markerImage(CDC& dc, const SkyPlotEntry& entry) {
    const MarkerKey key{entry.prn, entry.colour, entry.bitmapId};
    if (auto found = markers_.find(key); found != markers_.end())
        return *found->second;
    // A plot sees a few dozen satellites an hour; an old pass is cheap to draw again.
    if (markers_.size() >= 256)
        markers_.clear();

    auto marker = std::make_unique<MarkerImage>();
    CFont font;
    font.CreatePointFont(static_cast<int>(std::lround(fontTenths_ * framework::screenScale())),
                         u"Arial");
    marker->dc.CreateCompatibleDC(nullptr);
    CFont* oldFont = marker->dc.SelectObject(&font);
    framework::TEXTMETRIC metrics;
    marker->dc.GetTextMetrics(&metrics);
    marker->size = CSize(std::max<int>(5 * metrics.tmMaxCharWidth, scaled(kDotSize)),
                         std::max<int>(3 * metrics.tmHeight, scaled(kDotSize)));
    marker->bitmap.CreateCompatibleBitmap(&dc, marker->size.cx, marker->size.cy);
    marker->dc.SelectObject(&marker->bitmap);
    marker->dc.FillSolidRect(0, 0, marker->size.cx, marker->size.cy, kBlack);

    const int dot = scaled(kDotSize);
    const int dotLeft = (marker->size.cx - dot) / 2;
    marker->hotSpot = CPoint(dotLeft + dot / 2, dot / 2);
    CBitmap dotBitmap;
    if (entry.bitmapId != 0 && dotBitmap.LoadBitmap(static_cast<framework::UINT>(entry.bitmapId))) {
        const CSize source = dotBitmap.GetSize();
        framework::TransparentImage(&marker->dc, dotLeft, 0, dot, dot, &dotBitmap, 0, 0, source.cx,
                                    source.cy, kWhite);
    } else {
        const int s = scaled(1);
        const CPoint c = marker->hotSpot;
        CPen pen(framework::PS_SOLID, s, kMarkerFrame);
        CPen* oldPen = marker->dc.SelectObject(&pen);
        marker->dc.MoveTo(c.x - 2 * s, c.y - 2 * s);
        marker->dc.LineTo(c.x + 3 * s, c.y + 3 * s);
        marker->dc.MoveTo(c.x + 2 * s, c.y - 2 * s);
        marker->dc.LineTo(c.x - 3 * s, c.y + 3 * s);
        marker->dc.SelectObject(oldPen);
    }

    marker->dc.SetBkMode(framework::TRANSPARENT);
    marker->dc.SetTextColor(entry.colour);
    CRect labelRect(0, dot, marker->size.cx, marker->size.cy);
    marker->dc.DrawText(formatLabel(labelFormat_, entry.prn), labelRect,
                        framework::DT_CENTER | framework::DT_TOP | framework::DT_SINGLELINE |
                            framework::DT_NOPREFIX);
    marker->dc.SelectObject(oldFont);
    return *markers_.emplace(key, std::move(marker)).first->second;
}

void CSkyPlotCtrl::drawMarker(CDC& dc, const Geometry& g, const SkyPlotEntry& entry) {
    MarkerImage& marker = markerImage(dc, entry);
    const CPoint at = project(g, entry.azimuth, entry.elevation);
    dc.BitBlt(at.x - marker.hotSpot.x, at.y - marker.hotSpot.y, marker.size.cx, marker.size.cy,
              &marker.dc, 0, 0, framework::SRCINVERT);
}

void CSkyPlotCtrl::toggleTrackPixel(CDC& dc, const Geometry& g, const SkyTrackPoint& point) {
    const CPoint at = project(g, point.azimuth, point.elevation);
    dc.PatBlt(at.x, at.y, scaled(1), scaled(1), framework::PATINVERT);
}

// ---- Refresh ----

bool CSkyPlotCtrl::isVisible(int group, const SkyPlotEntry& entry) const {
    if (group < 0 || group >= kConstellationCount || entry.prn == 0)
        return false;
    const auto constellation = constellationOf(entry.prn, mask_);
    if (!constellation || static_cast<int>(*constellation) != group)
        return false;
    if ((mask_ & maskBitOf(*constellation)) == 0)
        return false;
    if (entry.elevation < 0 || entry.elevation > 90)
        return false;
    return entry.azimuth != 0 || entry.elevation != 0;  // 0/0 is a satellite without a position
}

void CSkyPlotCtrl::chooseLook(int group, SkyPlotEntry& entry) const {
    const SkyPlotBitmaps& bitmaps = bitmaps_[group];
    if (entry.used == 1) {
        entry.colour = kUsedColours[group];
        entry.bitmapId = entry.snr1 != 0 ? bitmaps.usedWithL1 : bitmaps.usedWithoutL1;
    } else {
        entry.colour = kUnusedColour;
        entry.bitmapId = bitmaps.unused;
    }
}

void CSkyPlotCtrl::setTable(const SkyPlotTable& table) {
    current_ = table;
    for (int group = 0; group < kConstellationCount; ++group) {
        for (SkyPlotEntry& entry : current_[group]) chooseLook(group, entry);
    }
    redrawnSlots_ = 0;
    // A window that is due for painting paints here first, from the last drawn table.
    std::unique_ptr<CClientDC> dc;
    if (GetSafeHwnd() != nullptr)
        dc = std::make_unique<CClientDC>(this);
    const Geometry g = geometry();
    CDC* target = dc != nullptr && g.radius >= 1 ? dc.get() : nullptr;

    for (int group = 0; group < kConstellationCount; ++group) {
        if ((mask_ & maskBitOf(static_cast<Constellation>(group))) == 0)
            continue;
        for (int slot = 0; slot < kSkyPlotSlots; ++slot) {
            const SkyPlotEntry& now = current_[group][slot];
            SkyPlotEntry& drawn = lastDrawn_[group][slot];
            if (now.prn == drawn.prn && now.azimuth == drawn.azimuth &&
                now.elevation == drawn.elevation && now.colour == drawn.colour &&
                now.bitmapId == drawn.bitmapId) {
                drawn = now;
                continue;
            }
            const bool erase = isVisible(group, drawn);
            const bool draw = isVisible(group, now);
            if (erase && target != nullptr)
                drawMarker(*target, g, drawn);
            if (draw) {
                if (target != nullptr)
                    drawMarker(*target, g, now);
                addTrackPoint(target, g, now.azimuth, now.elevation);
            }
            redrawnSlots_ += erase || draw ? 1 : 0;
            drawn = now;
        }
    }
}

void CSkyPlotCtrl::addTrackPoint(CDC* dc, const Geometry& g, int azimuth, int elevation) {
    const int64_t key = trackKey(azimuth, elevation);
    if (trackPoints_.count(key) != 0)
        return;
    std::unique_ptr<CBrush> brush;
    CBrush* oldBrush = nullptr;
    const bool show = dc != nullptr && trackDisplay_;
    if (show) {
        brush = std::make_unique<CBrush>(kTrackColour);
        oldBrush = dc->SelectObject(brush.get());
    }
    SkyTrackPoint& point = track_[trackIndex_];
    point = {azimuth, elevation, false};
    trackPoints_.insert(key);
    if (show)
        toggleTrackPixel(*dc, g, point);
    // The slot after the newest holds the oldest point: it goes, so that one slot is always
    // free for the next.
    const int next = (trackIndex_ + 1) % kTrackLength;
    SkyTrackPoint& oldest = track_[next];
    if (!oldest.empty) {
        if (show)
            toggleTrackPixel(*dc, g, oldest);
        trackPoints_.erase(trackKey(oldest.azimuth, oldest.elevation));
        oldest.empty = true;
    }
    trackIndex_ = next;
    if (show)
        dc->SelectObject(oldBrush);
}

}  // namespace zentrix::ui
