// The sky plot rendered to images: markers combined by exclusive-or must leave the plot exactly
// as it was whatever happens between drawing and erasing them (a repaint, an entry that cannot be
// shown, a move), the projection's truncations, which satellites are drawn with which dot, the
// track history, and the Satellites page refreshing from a fake receiver on its timer.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

#include "framework/dialog.h"
#include "framework/test_kit.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_receiver.h"
#include "ui/status/satellites_page.h"
#include "ui/status/sky_plot_ctrl.h"

namespace zentrix::ui {
namespace {

using framework::CBitmap;
using framework::COLORREF;
using framework::CPoint;
using framework::CRect;
using framework::RGB;
using framework::ScopedTestKit;
using receiver::SatelliteRecord;
using receiver::SatelliteTable;

constexpr ConstellationMask kAllConstellations = kMaskGps | kMaskGlonass | kMaskSbas | kMaskQzss;

SatelliteRecord satellite(int prn, int azimuth, int elevation, int used = 1, int snr1 = 40) {
    SatelliteRecord record;
    record.prn = prn;
    record.azimuth = azimuth;
    record.elevation = elevation;
    record.used = static_cast<uint8_t>(used);
    record.snr1 = snr1;
    return record;
}

SatelliteTable listOf(const std::vector<SatelliteRecord>& records) {
    SatelliteTable table;
    for (const SatelliteRecord& record : records) table.entries[table.count++] = record;
    return table;
}

/// The table the page makes of `records`.
SkyPlotTable tableOf(const std::vector<SatelliteRecord>& records) {
    const SatelliteTable list = listOf(records);
    return CSatellitesPage::tableOf(list, list.count);
}

/// A window's pixels as rendered.
class Image {
  public:
    Image() = default;
    explicit Image(std::shared_ptr<CBitmap> bitmap) : bitmap_(std::move(bitmap)) {
        const framework::CSize size = bitmap_->GetSize();
        framework::CDC dc;
        dc.CreateCompatibleDC(nullptr);
        dc.SelectObject(bitmap_.get());
        width_ = size.cx;
        height_ = size.cy;
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) bits_.push_back(dc.GetPixel(x, y));
        }
    }
    bool isNull() const { return bits_.empty(); }
    COLORREF at(CPoint point) const {
        return bits_.at(static_cast<size_t>(point.y) * width_ + point.x);
    }
    /// How many pixels differ; -1 for images of different sizes.
    friend int differingPixels(const Image& a, const Image& b) {
        if (a.width_ != b.width_ || a.height_ != b.height_)
            return -1;
        int count = 0;
        for (size_t i = 0; i < a.bits_.size(); ++i) count += a.bits_[i] != b.bits_[i];
        return count;
    }

  private:
    std::shared_ptr<CBitmap> bitmap_;
    int width_ = 0;
    int height_ = 0;
    std::vector<COLORREF> bits_;
};

Image render(ScopedTestKit& kit, framework::CWnd& window) {
    auto bitmap = std::make_shared<CBitmap>();
    EXPECT_TRUE(kit.render(window, *bitmap));
    return Image(bitmap);
}

/// A sky plot with the page's settings in a dialog of its own, `width` x `height` handheld
/// pixels (scaled with the screen).
struct PlotWindow {
    ScopedTestKit& kit;
    framework::CDialog host{IDD_SATELLITES};
    CSkyPlotCtrl plot;

    PlotWindow(ScopedTestKit& testKit, ConstellationMask mask = kAllConstellations, int width = 200,
               int height = 220)
        : kit(testKit) {
        EXPECT_TRUE(kit.open(host));
        CSatellitesPage::setUpPlot(plot, mask);
        EXPECT_TRUE(plot.Create(u"", framework::WS_CHILD | framework::WS_VISIBLE,
                                CRect(0, 0, framework::ScaleX(width), framework::ScaleY(height)),
                                &host, CSatellitesPage::kPlotId));
    }

    void show(const std::vector<SatelliteRecord>& records) { plot.setTable(tableOf(records)); }

    Image image() { return render(kit, plot); }

    /// Invalidates and lets the full paint run.
    Image repainted() {
        plot.Invalidate();
        return image();
    }
};

COLORREF pixel(const Image& image, CPoint at) {
    return image.at(at);
}

/// The colour at the centre of dot bitmap `id`.
COLORREF dotColour(int id) {
    auto bitmap = std::make_shared<CBitmap>();
    EXPECT_TRUE(bitmap->LoadBitmap(static_cast<framework::UINT>(id)));
    return Image(bitmap).at(CPoint(3, 3));
}

// ---- Exclusive-or markers leave nothing behind ----

class SkyPlotAtDpi : public ::testing::TestWithParam<int> {};

TEST_P(SkyPlotAtDpi, MarkersDrawnMovedRepaintedAndRemovedLeaveTheGridAlone) {
    ScopedTestKit kit;
    kit.setScreenDpi(GetParam());
    PlotWindow window(kit);
    const Image grid = window.image();
    ASSERT_FALSE(grid.isNull());

    // One of each constellation, one used without an L1 signal, one not used, and one on the
    // horizon due south whose label reaches below the circle into the page's margin.
    const std::vector<SatelliteRecord> first = {
        satellite(5, 20, 50),    satellite(70, 100, 30, 0), satellite(122, 200, 60, 1, 0),
        satellite(194, 300, 10), satellite(12, 180, 0),
    };
    window.show(first);
    const Image drawn = window.image();
    EXPECT_GT(differingPixels(drawn, grid), 0);
    EXPECT_EQ(window.plot.redrawnSlots(), 5);
    // The full paint shows what the refreshes drew.
    EXPECT_EQ(differingPixels(window.repainted(), drawn), 0);

    // Invalidated but not yet painted when the next refresh comes: the refresh paints first.
    window.plot.Invalidate();
    std::vector<SatelliteRecord> moved = first;
    for (SatelliteRecord& record : moved) record.azimuth += 7;
    window.show(moved);
    EXPECT_GT(differingPixels(window.image(), drawn), 0);
    window.repainted();

    window.show({});
    EXPECT_EQ(window.plot.redrawnSlots(), 5);
    EXPECT_EQ(differingPixels(window.image(), grid), 0);
    EXPECT_EQ(differingPixels(window.repainted(), grid), 0);
}

TEST_P(SkyPlotAtDpi, EntriesThatCannotBeShownAreNeitherDrawnNorErased) {
    ScopedTestKit kit;
    kit.setScreenDpi(GetParam());
    PlotWindow window(kit);
    const Image grid = window.image();

    // Above the zenith, below the horizon, and without a position (0/0).
    window.show({satellite(3, 40, 95), satellite(4, 300, -5), satellite(6, 0, 0)});
    EXPECT_EQ(differingPixels(window.image(), grid), 0);
    EXPECT_EQ(differingPixels(window.repainted(), grid), 0);

    window.show({satellite(3, 40, 45), satellite(4, 300, 20), satellite(6, 0, 30)});
    const Image shown = window.image();
    EXPECT_GT(differingPixels(shown, grid), 0);
    EXPECT_EQ(differingPixels(window.repainted(), shown), 0);

    // And back: invisible again, then gone.
    window.show({satellite(3, 40, 95), satellite(4, 300, -5), satellite(6, 0, 0)});
    EXPECT_EQ(differingPixels(window.image(), grid), 0);
    window.repainted();
    window.show({});
    EXPECT_EQ(differingPixels(window.image(), grid), 0);
}

INSTANTIATE_TEST_SUITE_P(Dpi, SkyPlotAtDpi, ::testing::Values(96, 192));

// ---- Geometry and projection ----

TEST(SkyPlotGeometry, ProjectionTruncatesTheCentreAndEachOffsetTowardsZero) {
    ScopedTestKit kit;
    PlotWindow window(kit, kMaskGps, 200, 220);
    // 200 x 220 less 5 + 5 across, 20 at the bottom and 2 all round: 186 x 196, so a square of
    // 186 from (7, 7) and a radius of 93.
    EXPECT_EQ(window.plot.plotRect(), CRect(7, 7, 193, 193));
    EXPECT_DOUBLE_EQ(window.plot.plotRadius(), 93.0);
    struct Case {
        double azimuth, elevation;
        CPoint expected;
    };
    const Case cases[] = {
        {0, 90, {100, 100}},   // zenith: the centre
        {0, 0, {100, 7}},      // north on the horizon: the top of the circle
        {90, 0, {193, 100}},   // east
        {45, 30, {143, 57}},   // 62 x sin 45 = 43.84: truncated, not rounded
        {200, 10, {72, 177}},  // -28.27 and -77.68 truncated towards zero, not floored
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.azimuth << "/" << c.elevation);
        EXPECT_EQ(window.plot.project(c.azimuth, c.elevation), c.expected);
    }

    // Narrower than tall: the circle's diameter is the width less 14.
    PlotWindow narrow(kit, kMaskGps, 150, 300);
    EXPECT_EQ(narrow.plot.plotRect().Width(), 136);
    // An odd side: the centre 93.5 from the edge is truncated.
    PlotWindow odd(kit, kMaskGps, 201, 220);
    EXPECT_DOUBLE_EQ(odd.plot.plotRadius(), 93.5);
    EXPECT_EQ(odd.plot.project(0, 90), CPoint(100, 99));
}

TEST(SkyPlotGeometry, AWindowTooSmallForACircleDrawsNothing) {
    ScopedTestKit kit;
    for (const CPoint size : {CPoint(14, 100), CPoint(100, 24), CPoint(1, 1)}) {
        SCOPED_TRACE(testing::Message() << size.x << " x " << size.y);
        PlotWindow window(kit, kAllConstellations, size.x, size.y);
        EXPECT_EQ(window.plot.plotRadius(), 0.0);
        const Image empty = window.image();
        window.show({satellite(5, 20, 50), satellite(70, 100, 30)});
        EXPECT_EQ(differingPixels(window.image(), empty), 0);
        EXPECT_EQ(differingPixels(window.repainted(), empty), 0);
        // Room again: the satellites appear.
        window.plot.MoveWindow(0, 0, 200, 220);
        EXPECT_EQ(window.plot.lastDrawn()[0][0].prn, 5);
        const Image grown = window.image();
        window.show({});
        EXPECT_GT(differingPixels(grown, window.image()), 0);
        EXPECT_EQ(differingPixels(window.image(), window.repainted()), 0);
    }
}

// ---- Which satellites, which dot ----

TEST(SkyPlotSatellites, PrnRangesDecideTheGroupAndWhetherASatelliteIsDrawn) {
    struct Case {
        int prn;
        int group;  // -1: never drawn
    };
    const Case cases[] = {
        {0, -1},   {1, 0},   {32, 0},  {33, -1},  {64, -1},  {65, 1},  {96, 1},  {97, -1},
        {119, -1}, {120, 2}, {138, 2}, {139, -1}, {192, -1}, {193, 3}, {197, 3}, {198, -1},
    };
    ScopedTestKit kit;
    PlotWindow window(kit);
    const Image grid = window.image();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prn);
        const SkyPlotTable table = tableOf({satellite(c.prn, 20, 50)});
        for (int group = 0; group < kConstellationCount; ++group)
            EXPECT_EQ(table[group][0].prn, group == c.group ? c.prn : 0);
        window.plot.setTable(table);
        EXPECT_EQ(differingPixels(window.image(), grid) > 0, c.group >= 0);
        window.show({});
    }
    EXPECT_EQ(differingPixels(window.image(), grid), 0);
}

TEST(SkyPlotSatellites, AGroupKeepsItsFirst28InListOrder) {
    std::vector<SatelliteRecord> records;
    for (int prn = 32; prn >= 1; --prn) records.push_back(satellite(prn, prn * 10, 40));
    const SkyPlotTable table = tableOf(records);
    for (int slot = 0; slot < kSkyPlotSlots; ++slot) EXPECT_EQ(table[0][slot].prn, 32 - slot);
    for (int group = 1; group < kConstellationCount; ++group) EXPECT_EQ(table[group][0].prn, 0);

    // A count beyond the table's 32 records is not believed.
    SatelliteTable list = listOf(records);
    list.count = 40;
    EXPECT_EQ(CSatellitesPage::tableOf(list, list.count), table);

    ScopedTestKit kit;
    PlotWindow window(kit);
    window.plot.setTable(table);
    EXPECT_EQ(window.plot.redrawnSlots(), kSkyPlotSlots);
}

TEST(SkyPlotSatellites, TheDotTellsUseAndSignalAndTheLabelTheConstellation) {
    struct Case {
        int prn, used, snr1;
        int bitmap;
    };
    const Case cases[] = {
        {7, 1, 45, IDB_GPS_USED_L1},        {7, 1, 0, IDB_GPS_USED_NO_L1},
        {7, 0, 45, IDB_GPS_UNUSED},         {80, 1, 45, IDB_GLONASS_USED_L1},
        {80, 1, 0, IDB_GLONASS_USED_NO_L1}, {80, 2, 45, IDB_GLONASS_UNUSED},
        {133, 1, 45, IDB_SBAS_USED_L1},     {133, 1, 0, IDB_SBAS_USED_NO_L1},
        {195, 1, 0, IDB_QZSS_USED_NO_L1},   {195, 0, 0, IDB_QZSS_UNUSED},
    };
    ScopedTestKit kit;
    PlotWindow window(kit);
    // Off every ring and spoke, so the dot's centre lies on the black plot.
    const CPoint at = window.plot.project(20, 50);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.prn << " used " << c.used << " snr " << c.snr1);
        window.show({satellite(c.prn, 20, 50, c.used, c.snr1)});
        const int group = static_cast<int>(*constellationOf(c.prn));
        EXPECT_EQ(window.plot.table()[group][0].bitmapId, c.bitmap);
        EXPECT_EQ(pixel(window.image(), at), dotColour(c.bitmap));
        window.show({});
    }
    // The label takes the group's colour when in use, grey otherwise.
    window.show({satellite(7, 20, 50, 1, 45), satellite(80, 200, 50, 0, 45)});
    EXPECT_EQ(window.plot.table()[0][0].colour, RGB(255, 255, 0));
    EXPECT_EQ(window.plot.table()[1][0].colour, RGB(192, 192, 192));
}

TEST(SkyPlotSatellites, AConstellationTheMaskLeavesOutIsNeverDrawn) {
    ScopedTestKit kit;
    PlotWindow gpsOnly(kit, kMaskGps);
    PlotWindow both(kit, kMaskGps | kMaskGlonass);
    const Image grid = gpsOnly.image();

    gpsOnly.show({satellite(70, 100, 30), satellite(96, 250, 40)});
    EXPECT_EQ(differingPixels(gpsOnly.image(), grid), 0);
    EXPECT_EQ(differingPixels(gpsOnly.repainted(), grid), 0);

    // With GPS among them, only GPS shows: the same image as a plot given GPS alone.
    gpsOnly.show({satellite(70, 100, 30), satellite(5, 20, 50), satellite(96, 250, 40)});
    both.show({satellite(5, 20, 50)});
    EXPECT_EQ(differingPixels(gpsOnly.image(), both.image()), 0);
    EXPECT_EQ(differingPixels(gpsOnly.repainted(), both.image()), 0);
}

// ---- Receivers of six constellations ----

constexpr ConstellationMask kSixConstellations =
    kAllConstellations | kMaskGalileo | kMaskBeidou | kMaskWideNumbering;

/// A sky of 64 satellites (the table's whole size): 12 GPS, 8 GLONASS, 4 SBAS (two beyond the
/// board's 138), 4 QZSS (two beyond its 197), 14 Galileo and 22 BeiDou, spread over the sky.
std::vector<SatelliteRecord> sixConstellationSky() {
    std::vector<SatelliteRecord> records;
    const auto add = [&](int first, int count) {
        for (int i = 0; i < count; ++i) {
            const int n = static_cast<int>(records.size());
            records.push_back(satellite(first + i, (n * 37) % 360, 5 + (n * 13) % 80, n % 3 != 0,
                                        n % 5 == 0 ? 0 : 30 + n % 20));
        }
    };
    add(1, 12);
    add(65, 8);
    add(133, 2);
    add(157, 2);
    add(196, 4);  // 196-199
    add(301, 14);
    add(401, 22);
    return records;
}

TEST(SkyPlotSixConstellations, SixtyFourSatellitesFillTheirGroupsAndLeaveNothingBehind) {
    const std::vector<SatelliteRecord> sky = sixConstellationSky();
    ASSERT_EQ(sky.size(), receiver::kMaxSatellites);
    const SatelliteTable list = listOf(sky);
    const SkyPlotTable table = CSatellitesPage::tableOf(list, list.count, kSixConstellations);
    const std::array<int, kConstellationCount> expected = {12, 8, 4, 4, 14, 22};
    size_t next = 0;
    for (int group = 0; group < kConstellationCount; ++group) {
        SCOPED_TRACE(group);
        for (int slot = 0; slot < expected[group]; ++slot)
            EXPECT_EQ(table[group][slot].prn, sky[next++].prn) << "in list order";
        EXPECT_EQ(table[group][expected[group]].prn, 0);
    }
    // Under the board's numbering the two SBAS and two QZSS beyond its ranges belong nowhere.
    const SkyPlotTable board = CSatellitesPage::tableOf(list, list.count);
    EXPECT_EQ(board[2][2].prn, 0);
    EXPECT_EQ(board[3][2].prn, 0);

    for (const int dpi : {96, 192}) {
        SCOPED_TRACE(dpi);
        ScopedTestKit kit;
        kit.setScreenDpi(dpi);
        PlotWindow window(kit, kSixConstellations);
        const Image grid = window.image();
        window.plot.setTable(table);
        EXPECT_EQ(window.plot.redrawnSlots(), 64);
        const Image drawn = window.image();
        EXPECT_GT(differingPixels(drawn, grid), 0);
        EXPECT_EQ(differingPixels(window.repainted(), drawn), 0);
        window.plot.setTable(SkyPlotTable{});
        EXPECT_EQ(window.plot.redrawnSlots(), 64);
        EXPECT_EQ(differingPixels(window.image(), grid), 0);
    }
}

TEST(SkyPlotSixConstellations, RangesFollowTheNumberingAndTheMask) {
    struct Case {
        int prn;
        int boardGroup;  // -1: never drawn
        int wideGroup;
    };
    const Case cases[] = {
        {138, 2, 2},   {139, -1, 2},  {158, -1, 2},  {159, -1, -1}, {197, 3, 3}, {198, -1, 3},
        {202, -1, 3},  {203, -1, -1}, {300, -1, -1}, {301, 4, 4},   {336, 4, 4}, {337, -1, -1},
        {400, -1, -1}, {401, 5, 5},   {463, 5, 5},   {464, -1, -1},
    };
    ScopedTestKit kit;
    // The board's numbering with Galileo and BeiDou on, and the wide one.
    PlotWindow board(kit, kSixConstellations & ~kMaskWideNumbering);
    PlotWindow wide(kit, kSixConstellations);
    const Image grid = board.image();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prn);
        for (PlotWindow* window : {&board, &wide}) {
            const ConstellationMask mask = window->plot.constellationMask();
            const int group = window == &board ? c.boardGroup : c.wideGroup;
            const auto found = constellationOf(c.prn, mask);
            EXPECT_EQ(found ? static_cast<int>(*found) : -1, group);
            const SatelliteTable list = listOf({satellite(c.prn, 20, 50)});
            window->plot.setTable(CSatellitesPage::tableOf(list, list.count, mask));
            EXPECT_EQ(differingPixels(window->image(), grid) > 0, group >= 0);
            window->show({});
        }
    }

    // A mask without Galileo leaves its satellites off: the same image as a plot never given them.
    PlotWindow noGalileo(kit, kSixConstellations & ~kMaskGalileo);
    PlotWindow reference(kit, kSixConstellations);
    const std::vector<SatelliteRecord> mixed = {satellite(310, 100, 30), satellite(5, 20, 50),
                                                satellite(420, 250, 40)};
    const SatelliteTable list = listOf(mixed);
    noGalileo.plot.setTable(CSatellitesPage::tableOf(list, list.count, kSixConstellations));
    const SatelliteTable without = listOf({mixed[1], mixed[2]});
    reference.plot.setTable(CSatellitesPage::tableOf(without, without.count, kSixConstellations));
    EXPECT_EQ(differingPixels(noGalileo.image(), reference.image()), 0);
}

TEST(SkyPlotSixConstellations, GalileoAndBeidouHaveTheirOwnDotsAndColours) {
    struct Case {
        int prn, used, snr1;
        int bitmap;
        COLORREF label;
    };
    const COLORREF grey = RGB(192, 192, 192);
    const Case cases[] = {
        {311, 1, 45, IDB_GALILEO_USED_L1, RGB(0, 190, 255)},
        {311, 1, 0, IDB_GALILEO_USED_NO_L1, RGB(0, 190, 255)},
        {311, 0, 45, IDB_GALILEO_UNUSED, grey},
        {433, 1, 45, IDB_BEIDOU_USED_L1, RGB(255, 150, 30)},
        {433, 1, 0, IDB_BEIDOU_USED_NO_L1, RGB(255, 150, 30)},
        {433, 0, 0, IDB_BEIDOU_UNUSED, grey},
    };
    ScopedTestKit kit;
    PlotWindow window(kit, kSixConstellations);
    const CPoint at = window.plot.project(20, 50);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.prn << " used " << c.used << " snr " << c.snr1);
        window.show({satellite(c.prn, 20, 50, c.used, c.snr1)});
        const int group = static_cast<int>(*constellationOf(c.prn));
        EXPECT_EQ(window.plot.table()[group][0].bitmapId, c.bitmap);
        EXPECT_EQ(window.plot.table()[group][0].colour, c.label);
        EXPECT_EQ(pixel(window.image(), at), dotColour(c.bitmap));
        window.show({});
    }
}

// ---- Track history ----

TEST(SkyPlotTrack, PointsAreShownAtOnceAndTheHistoryWrapsAt3500) {
    ScopedTestKit kit;
    PlotWindow window(kit);
    window.plot.setTrackDisplay(true);
    const Image grid = window.image();

    window.show({satellite(5, 20, 50)});
    window.show({satellite(5, 25, 50)});
    window.show({satellite(5, 25, 50)});  // unchanged: no new point
    window.show({});
    EXPECT_EQ(window.plot.trackWriteIndex(), 2);
    // Both points are on screen without a repaint, each a track-coloured pixel on black.
    const Image traced = window.image();
    EXPECT_EQ(pixel(traced, window.plot.project(20, 50)), RGB(0, 255, 0));
    EXPECT_EQ(pixel(traced, window.plot.project(25, 50)), RGB(0, 255, 0));
    EXPECT_EQ(differingPixels(traced, grid), 2);
    EXPECT_EQ(differingPixels(window.repainted(), traced), 0);
    // A point already in the history is not added again.
    window.show({satellite(5, 20, 50)});
    window.show({});
    EXPECT_EQ(window.plot.trackWriteIndex(), 2);

    // Round the history and on: the write index wraps, one slot is always free, the oldest
    // points leave the screen as the refreshes go, exactly as a full repaint shows them.
    const int points = CSkyPlotCtrl::kTrackLength + 120;
    for (int i = 0; i < points; ++i) window.show({satellite(9, i % 360, 1 + i / 360)});
    window.show({});
    const int added = 2 + points;
    EXPECT_EQ(window.plot.trackWriteIndex(), added % CSkyPlotCtrl::kTrackLength);
    int stored = 0;
    for (const SkyTrackPoint& point : window.plot.track()) stored += point.empty ? 0 : 1;
    EXPECT_EQ(stored, CSkyPlotCtrl::kTrackLength - 1);
    EXPECT_TRUE(window.plot.track()[window.plot.trackWriteIndex()].empty);
    const Image incremental = window.image();
    EXPECT_EQ(differingPixels(window.repainted(), incremental), 0);
    EXPECT_NE(pixel(incremental, window.plot.project(20, 50)), RGB(0, 255, 0));
}

// ---- The page ----

TEST(SatellitesPage, RefreshesThePlotFromTheReceiverOnItsTimer) {
    ScopedTestKit kit;
    test::FakeReceiver receiver;
    receiver.glonass = 0;
    framework::CPropertySheet sheet;
    CSatellitesPage page(&receiver);
    page.setConstellationMask(kMaskGps | kMaskSbas | kMaskQzss);
    sheet.AddPage(&page);
    ASSERT_TRUE(kit.open(sheet));

    auto* plot = dynamic_cast<CSkyPlotCtrl*>(kit.control(sheet, CSatellitesPage::kPlotId));
    ASSERT_NE(plot, nullptr);
    CRect pageClient, plotClient;
    page.GetClientRect(&pageClient);
    plot->GetClientRect(&plotClient);
    EXPECT_EQ(plotClient, pageClient);
    EXPECT_EQ(plot->constellationMask(), kMaskGps | kMaskSbas | kMaskQzss);
    const Image grid = render(kit, *plot);

    // 32 satellites: 28 GPS, and GLONASS, which the mask leaves out.
    std::vector<SatelliteRecord> records;
    for (int prn = 1; prn <= 28; ++prn) records.push_back(satellite(prn, prn * 12, 10 + prn * 2));
    for (int prn = 65; prn <= 68; ++prn) records.push_back(satellite(prn, prn, 45));
    receiver.satellites = listOf(records);
    ASSERT_TRUE(kit.fireTimer(page, CSatellitesPage::kRefreshTimer));
    EXPECT_EQ(plot->redrawnSlots(), 28);
    EXPECT_EQ(plot->lastDrawn()[0][27].prn, 28);
    EXPECT_EQ(plot->lastDrawn()[1][0].prn, 0);  // never drawn
    const Image full = render(kit, *plot);
    EXPECT_GT(differingPixels(full, grid), 0);

    // Three move: three slots redrawn.
    for (int i : {2, 11, 20}) receiver.satellites.entries[i].azimuth += 3;
    ASSERT_TRUE(kit.fireTimer(page, CSatellitesPage::kRefreshTimer));
    EXPECT_EQ(plot->redrawnSlots(), 3);
    ASSERT_TRUE(kit.fireTimer(page, CSatellitesPage::kRefreshTimer));
    EXPECT_EQ(plot->redrawnSlots(), 0);

    // A receiver that stops answering empties the plot.
    receiver.fail("getSatellites");
    ASSERT_TRUE(kit.fireTimer(page, CSatellitesPage::kRefreshTimer));
    EXPECT_EQ(differingPixels(render(kit, *plot), grid), 0);

    // It only ever read the satellites.
    for (const std::string& call : receiver.calls()) EXPECT_EQ(call, "getSatellites");
    EXPECT_GE(receiver.calls().size(), 4u);  // the real timer may have ticked as well
}

TEST(SatellitesPage, AReceiverOfSixConstellationsShowsThemAllUnderItsNumbering) {
    ScopedTestKit kit;
    test::FakeReceiver receiver;
    framework::CPropertySheet sheet;
    CSatellitesPage page(&receiver);
    page.setConstellationMask(kSixConstellations);
    sheet.AddPage(&page);
    ASSERT_TRUE(kit.open(sheet));
    auto* plot = dynamic_cast<CSkyPlotCtrl*>(kit.control(sheet, CSatellitesPage::kPlotId));
    ASSERT_NE(plot, nullptr);
    receiver.satellites = listOf({satellite(148, 30, 40), satellite(199, 120, 20),
                                  satellite(310, 200, 60), satellite(420, 300, 35)});
    ASSERT_TRUE(kit.fireTimer(page, CSatellitesPage::kRefreshTimer));
    EXPECT_EQ(plot->redrawnSlots(), 4);
    EXPECT_EQ(plot->lastDrawn()[2][0].prn, 148);
    EXPECT_EQ(plot->lastDrawn()[3][0].prn, 199);
    EXPECT_EQ(plot->lastDrawn()[4][0].prn, 310);
    EXPECT_EQ(plot->lastDrawn()[5][0].prn, 420);
}

}  // namespace
}  // namespace zentrix::ui
