// The NTRIP station browser against the fake receiver: distances from the published position in
// the user's unit, the rows of real and crafted tables, sorting, what OK hands back and what the
// details view shows.
#include "ui/network/ntrip_station_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "framework/test_kit.h"
#include "platform/text.h"
#include "resources/resource_ids.h"
#include "tests/support/comma_locale.h"
#include "tests/support/fake_receiver.h"
#include "tests/support/test_support.h"
#include "tests/support/testdata.h"
#include "ui/network/station_distance.h"

namespace zentrix::ui {
namespace {

using framework::ScopedTestKit;
using platform::fromUtf8;
using receiver::StationList;
using receiver::StationRecord;

constexpr double kDegreesPerMetre = 180.0 / (std::numbers::pi * kEarthRadiusMetres);

// A stream line with the fields the dialogs read; the rest as a caster fills them.
struct Stream {
    std::string mountPoint, identifier;
    double latitude = 0, longitude = 0;
    int carrier = 2, nmea = 0, solution = 0;
};

std::string tableOf(const std::vector<Stream>& streams) {
    std::string text = "L\r\nSOURCETABLE 200 OK\r\n";
    for (const Stream& s : streams) {
        text += "STR;" + s.mountPoint + ";" + s.identifier + ";RTCM 3.3;1004(1),1006(10);" +
                std::to_string(s.carrier) + ";GPS+GLO;EUREF;DEU;" +
                platform::fixedText(s.latitude, 12) + ";" + platform::fixedText(s.longitude, 12) +
                ";" + std::to_string(s.nmea) + ";" + std::to_string(s.solution) +
                ";Generator;none;B;N;9600;misc\r\n";
    }
    return text + "ENDSOURCETABLE\r\n";
}

std::string eurefTable() {
    return "L\r\nSOURCETABLE 200 OK\r\n" +
           test::readFile(test::testdataPath("ntrip/euref-ip.sourcetable.txt"));
}

/// The dialog open over a table, with the rover where the test puts it and the user's locale
/// metric unless the test says otherwise.
class StationDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        receiver_.position.latitude = 0;
        receiver_.position.longitude = 0;
        receiver_.position.fixType = 4;
    }
    void TearDown() override {
        if (dialog_)
            dialog_->DestroyWindow();
    }
    CNtripStationDialog& open(const std::string& table) {
        receiver::parseSourceTable(table, stations_);
        return openList();
    }
    CNtripStationDialog& openList() {
        dialog_ = std::make_unique<CNtripStationDialog>(&receiver_, &stations_);
        EXPECT_TRUE(kit_.open(*dialog_));
        return *dialog_;
    }
    std::u16string text(int row, int column) { return dialog_->list().GetItemText(row, column); }
    std::vector<std::u16string> column(int column) {
        std::vector<std::u16string> texts;
        for (int row = 0; row < dialog_->list().GetItemCount(); ++row)
            texts.push_back(text(row, column));
        return texts;
    }
    /// Taps "Details..." and returns the rows the details view showed; none when it did not open.
    std::vector<std::vector<std::u16string>> detailsRows() {
        std::vector<std::vector<std::u16string>> rows;
        kit_.queueModalHandler([&](framework::CWnd& window) {
            auto& details = dynamic_cast<CNtripStationDetailDialog&>(window);
            CSortListCtrl& list = details.list();
            for (int row = 0; row < list.GetItemCount(); ++row)
                rows.push_back({list.GetItemText(row, 0), list.GetItemText(row, 1)});
            details.EndDialog(framework::IDCANCEL);
        });
        EXPECT_TRUE(kit_.click(*dialog_, IDC_NTRIP_STATIONS_DETAILS));
        return rows;
    }
    /// Taps "Details..." expecting no window: one that opened would be cancelled and counted.
    void expectDetailsDoNothing() {
        const int before = kit_.unansweredModals();
        EXPECT_TRUE(kit_.click(*dialog_, IDC_NTRIP_STATIONS_DETAILS));
        EXPECT_EQ(kit_.unansweredModals(), before) << "the details view opened";
    }

    test::ScopedEnv locale_{"LC_ALL", std::string("C")};
    ScopedTestKit kit_;
    test::FakeReceiver receiver_;
    StationList stations_;
    std::unique_ptr<CNtripStationDialog> dialog_;
};

TEST(StationDistance, GreatCircleAndRounding) {
    struct Row {
        const char* legend;
        double originLat, originLon, stationLat, stationLon;
        double kilometres;  // expected, to 1 m
    };
    const Row rows[] = {
        {"identical", 47.38701234, 8.52701234, 47.38701234, 8.52701234, 0},
        {"identical at a pole", 90, 0, 90, 123, 0},
        {"one degree of a meridian", 10, 20, 11, 20, 111.19493},
        {"one degree of the equator", 0, -0.5, 0, 0.5, 111.19493},
        {"antipodes", 0, 0, 0, 180, 20015.08680},
        {"antipodes off the equator", 52.5, 13.4, -52.5, -166.6, 20015.08680},
        {"Frankfurt to Wettzell (haversine)", 50.09, 8.66, 49.14, 12.88, 321.80591},
        {"not a number", std::nan(""), 0, 10, 10, 0},
        {"infinite", 0, INFINITY, 10, 10, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const double metres =
            greatCircleMetres(row.originLat, row.originLon, row.stationLat, row.stationLon);
        ASSERT_FALSE(std::isnan(metres));
        EXPECT_NEAR(metres / 1000, row.kilometres, 0.01);
    }
    // Antipodes clamp to exactly half the circumference, shown as 20015 km.
    EXPECT_EQ(greatCircleMetres(0, 0, 0, 180), std::numbers::pi * kEarthRadiusMetres);
    EXPECT_EQ(wholeUnits(greatCircleMetres(0, 0, 0, 180), kKilometres), 20015);

    // Half a unit rounds up, anything below it down; never negative.
    EXPECT_EQ(wholeUnits(12400, kKilometres), 12);
    EXPECT_EQ(wholeUnits(12499.9, kKilometres), 12);
    EXPECT_EQ(wholeUnits(12500, kKilometres), 13);
    EXPECT_EQ(wholeUnits(10000, kMiles), 6);
    EXPECT_EQ(wholeUnits(-3000, kKilometres), 0);
    EXPECT_EQ(wholeUnits(INFINITY, kKilometres), 0);

    EXPECT_EQ(distanceText(12, u"km"), u"   12 km");
    EXPECT_EQ(distanceText(0, u"mi"), u"    0 mi");
    EXPECT_EQ(distanceText(20015, u"km"), u"20015 km");
    EXPECT_EQ(distanceText(123456, u"km"), u"123456 km");

    // The platform layer answers 2 for the U.S. system (the handheld's own code was 1).
    EXPECT_EQ(distanceUnitOf(2).textId, IDS_UNIT_MILES);
    EXPECT_EQ(distanceUnitOf(1).textId, IDS_UNIT_KILOMETRES);
    EXPECT_EQ(distanceUnitOf(0).textId, IDS_UNIT_KILOMETRES);
}

TEST_F(StationDialogTest, DistancesRoundToWholeKilometresRightAligned) {
    open(tableOf({{"NEAR", "Near", 12400 * kDegreesPerMetre, 0},
                  {"HALF", "Half", 12500.001 * kDegreesPerMetre, 0},
                  {"HERE", "Here", 0, 0},
                  {"FAR", "Antipode", 0, 180}}));
    EXPECT_EQ(column(2),
              (std::vector<std::u16string>{u"   12 km", u"   13 km", u"    0 km", u"20015 km"}));
    EXPECT_EQ(dialog_->distances(), (std::vector<double>{12, 13, 0, 20015}));
}

TEST_F(StationDialogTest, UsMeasurementSystemShowsMiles) {
    test::ScopedEnv us("LC_ALL", std::string("en_US.UTF-8"));
    open(tableOf({{"TEN", "Ten km", 10000 * kDegreesPerMetre, 0}}));
    EXPECT_EQ(text(0, 2), u"    6 mi");
    const auto rows = detailsRows();
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows[2][1], u"6 mi");
}

TEST_F(StationDialogTest, WithoutAUsableFixEveryDistanceIsZero) {
    struct Row {
        const char* legend;
        int32_t fixType;
        bool readFails;
    };
    for (const Row& row : {Row{"no fix", 0, false}, Row{"position not read", 4, true}}) {
        SCOPED_TRACE(row.legend);
        receiver_.position.latitude = 50.1;
        receiver_.position.longitude = 8.7;
        receiver_.position.fixType = row.fixType;
        if (row.readFails)
            receiver_.fail("getPosition");
        stations_.clear();
        open(eurefTable());
        ASSERT_EQ(dialog_->list().GetItemCount(), 221);
        for (const std::u16string& distance : column(2)) ASSERT_EQ(distance, u"    0 km");
        EXPECT_EQ(receiver_.calls(), std::vector<std::string>{"getPosition"})
            << "the dialog only reads the position";
        dialog_->DestroyWindow();
        receiver_.succeed("getPosition");
        receiver_.clearCalls();
    }
}

TEST_F(StationDialogTest, RealTableListsEveryStreamAndSortsByEachColumn) {
    receiver_.position.latitude = 50.11;  // Frankfurt
    receiver_.position.longitude = 8.68;
    open(eurefTable());
    CSortListCtrl& list = dialog_->list();
    ASSERT_EQ(stations_.size(), 221);
    ASSERT_EQ(list.GetItemCount(), 221);
    EXPECT_EQ(list.NextSelectedRow(-1), 0) << "the first row starts selected";
    for (int i = 0; i < stations_.size(); ++i) {
        ASSERT_EQ(text(i, 0),
                  platform::ansiToWide(receiver::fieldText(stations_.at(i)->mountPoint)));
        ASSERT_EQ(text(i, 1),
                  platform::ansiToWide(receiver::fieldText(stations_.at(i)->identifier)));
    }
    EXPECT_EQ(text(0, 0), u"AGRN00ITA0");
    EXPECT_EQ(text(0, 1), u"Agrigento");

    for (int sorted = 0; sorted < 3; ++sorted) {
        SCOPED_TRACE(sorted);
        ASSERT_TRUE(kit_.clickListColumn(*dialog_, IDC_NTRIP_STATIONS_LIST, sorted));
        std::vector<std::u16string> texts = column(sorted);
        EXPECT_TRUE(std::is_sorted(texts.begin(), texts.end()));
        ASSERT_TRUE(kit_.clickListColumn(*dialog_, IDC_NTRIP_STATIONS_LIST, sorted));
        texts = column(sorted);
        EXPECT_TRUE(std::is_sorted(texts.rbegin(), texts.rend()));
    }
    // Nearest first: the distance texts sort as numbers.
    ASSERT_TRUE(kit_.clickListColumn(*dialog_, IDC_NTRIP_STATIONS_LIST, 2));
    double previous = -1;
    for (int row = 0; row < list.GetItemCount(); ++row) {
        const double km = std::stod(platform::toUtf8(text(row, 2)));
        ASSERT_GE(km, previous) << row;
        previous = km;
    }
    // Two streams share the Frankfurt site, 2.6 km from the rover.
    EXPECT_TRUE(text(0, 0) == u"FFMJ00DEU0" || text(0, 0) == u"BCEP00BKG0")
        << platform::toUtf8(text(0, 0));
    EXPECT_EQ(text(0, 2), u"    3 km");
}

TEST_F(StationDialogTest, OkAfterSortingReturnsTheStationOfTheChosenRow) {
    receiver_.position.latitude = 50.11;
    receiver_.position.longitude = 8.68;
    open(eurefTable());
    ASSERT_TRUE(kit_.clickListColumn(*dialog_, IDC_NTRIP_STATIONS_LIST, 2));
    ASSERT_TRUE(kit_.clickListColumn(*dialog_, IDC_NTRIP_STATIONS_LIST, 2));  // farthest first
    const int row = 3;
    ASSERT_TRUE(kit_.clickListItem(*dialog_, IDC_NTRIP_STATIONS_LIST, row));
    const std::u16string shown = text(row, 0);
    const StationRecord* expected = nullptr;
    int index = -1;
    for (int i = 0; i < stations_.size() && !expected; ++i) {
        if (platform::ansiToWide(receiver::fieldText(stations_.at(i)->mountPoint)) == shown) {
            expected = stations_.at(i);
            index = i;
        }
    }
    ASSERT_NE(expected, nullptr);
    ASSERT_NE(index, row) << "the row must not be the station's place in the table";

    const auto details = detailsRows();
    ASSERT_EQ(details.size(), 12u);
    EXPECT_EQ(details[0][1], shown);
    const double distance = dialog_->distances()[static_cast<size_t>(index)];
    EXPECT_GT(distance, 1000);
    EXPECT_EQ(details[2][1], fromUtf8(platform::fixedText(distance, 0)) + u" km")
        << "the details of the chosen row's station, with its own distance";
    EXPECT_EQ(text(row, 2), distanceText(distance, u"km"));

    ASSERT_TRUE(kit_.click(*dialog_, framework::IDOK));
    EXPECT_EQ(dialog_->GetResult(), framework::IDOK);
    EXPECT_EQ(dialog_->chosenMountPoint(), shown);
    EXPECT_EQ(dialog_->chosenIdentifier(),
              platform::ansiToWide(receiver::fieldText(expected->identifier)));
    EXPECT_EQ(dialog_->chosenNmea(), expected->nmea);
}

TEST_F(StationDialogTest, NmeaFlagOfTheChosenStreamIsReturned) {
    open(tableOf({{"VRS3", "Virtual", 1, 1, 2, 1, 1}, {"BASE", "Single", 1, 1, 2, 0, 0}}));
    ASSERT_TRUE(kit_.clickListColumn(*dialog_, IDC_NTRIP_STATIONS_LIST, 0));  // BASE first
    ASSERT_TRUE(kit_.clickListItem(*dialog_, IDC_NTRIP_STATIONS_LIST, 1));
    ASSERT_TRUE(kit_.click(*dialog_, framework::IDOK));
    EXPECT_EQ(dialog_->chosenMountPoint(), u"VRS3");
    EXPECT_EQ(dialog_->chosenIdentifier(), u"Virtual");
    EXPECT_EQ(dialog_->chosenNmea(), 1);
}

TEST_F(StationDialogTest, EmptyTableSelectsNothingAndOkGivesEmptyResults) {
    open(tableOf({}));
    EXPECT_EQ(dialog_->list().GetItemCount(), 0);
    EXPECT_EQ(dialog_->list().NextSelectedRow(-1), -1);
    expectDetailsDoNothing();
    ASSERT_TRUE(kit_.click(*dialog_, framework::IDOK));
    EXPECT_EQ(dialog_->GetResult(), framework::IDOK);
    EXPECT_TRUE(dialog_->chosenMountPoint().empty());
    EXPECT_TRUE(dialog_->chosenIdentifier().empty());
    EXPECT_EQ(dialog_->chosenNmea(), 0);
}

TEST_F(StationDialogTest, PaddedMountPointShowsStrippedAndMatchesNoStation) {
    open(tableOf({{"GOOD", "Good", 0, 0, 2, 1}, {" \tPADDED ", "  Padded\t", 0, 0, 2, 1}}));
    EXPECT_EQ(text(1, 0), u"PADDED");
    EXPECT_EQ(text(1, 1), u"Padded");
    // Details on the good row first, so that a stale record would be there to show.
    ASSERT_EQ(detailsRows().size(), 12u);
    ASSERT_TRUE(kit_.clickListItem(*dialog_, IDC_NTRIP_STATIONS_LIST, 1));
    expectDetailsDoNothing();
    EXPECT_EQ(platform::toUtf8(
                  platform::ansiToWide(receiver::fieldText(dialog_->currentStation().mountPoint))),
              "GOOD");
    ASSERT_TRUE(kit_.click(*dialog_, framework::IDOK));
    EXPECT_TRUE(dialog_->chosenMountPoint().empty());
    EXPECT_TRUE(dialog_->chosenIdentifier().empty());
    EXPECT_EQ(dialog_->chosenNmea(), 0);
}

TEST_F(StationDialogTest, FieldsFilledToTheLastByteAndHighBytes) {
    StationRecord record;
    std::fill(std::begin(record.mountPoint), std::end(record.mountPoint), 'M');
    std::fill(std::begin(record.identifier), std::end(record.identifier), '\xE9');
    std::fill(std::begin(record.country), std::end(record.country), 'C');
    std::fill(std::begin(record.format), std::end(record.format), '\x81');
    record.nmea = 7;
    stations_.append(record);
    openList();
    const std::u16string mountPoint(101, u'M');
    EXPECT_EQ(text(0, 0), mountPoint);
    EXPECT_EQ(text(0, 1), std::u16string(101, u'\u00E9'));
    const auto rows = detailsRows();
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows[3][1], std::u16string(101, u'\u0081'));
    EXPECT_EQ(rows[9][1], u"CCCCCC");
    ASSERT_TRUE(kit_.click(*dialog_, framework::IDOK));
    EXPECT_EQ(dialog_->chosenMountPoint(), mountPoint);
    EXPECT_EQ(dialog_->chosenNmea(), 7);
}

TEST_F(StationDialogTest, DetailsShowTheStationsTwelveRowsEachTime) {
    receiver_.position.latitude = 50.09;
    receiver_.position.longitude = 8.66;
    open(tableOf({{"FFMJ00DEU0", "Frankfurt", 50.09, 8.66},
                  {"WTZR00DEU0", "Bad Koetzting", 49.144, 12.879, 2, 0, 0}}));
    ASSERT_TRUE(kit_.clickListItem(*dialog_, IDC_NTRIP_STATIONS_LIST, 1));
    const std::vector<std::vector<std::u16string>> expected = {
        {u"Station", u"WTZR00DEU0"}, {u"Name", u"Bad Koetzting"},   {u"Distance", u"322 km"},
        {u"Format", u"RTCM 3.3"},    {u"Network", u"EUREF"},        {u"Carrier", u"L1&L2"},
        {u"System", u"GPS+GLO"},     {u"Latitude", u"49.14"},       {u"Longitude", u"12.88"},
        {u"Country", u"DEU"},        {u"Solution", u"Single Base"}, {u"NMEA", u"No"},
    };
    EXPECT_EQ(detailsRows(), expected);
    EXPECT_EQ(detailsRows(), expected) << "the same view opens again";
    EXPECT_FALSE(dialog_->details().list().sortingEnabled());
}

TEST(StationDetailValues, VariantsAndLocaleIndependentNumbers) {
    test::ScopedCommaLocale comma;
    ASSERT_TRUE(comma.active());
    StationRecord station;
    std::strcpy(station.mountPoint, "MP");
    station.latitude = 52.3849;
    station.longitude = -9.876;
    station.distance = 321;
    struct Row {
        int32_t carrier, solution, nmea;
        const char16_t *carrierText, *solutionText, *nmeaText;
    };
    const Row rows[] = {
        {0, 0, 0, u"No", u"Single Base", u"No"},
        {1, 1, 1, u"L1", u"Network", u"Yes"},
        {2, 2, -1, u"L1&L2", u"Network", u"Yes"},
        {-5, -1, 9, u"L1&L2", u"Network", u"Yes"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.carrier);
        station.carrier = row.carrier;
        station.solution = row.solution;
        station.nmea = row.nmea;
        const std::vector<std::u16string> values = stationDetailValues(station, u"km");
        ASSERT_EQ(values.size(), 12u);
        EXPECT_EQ(values[2], u"321 km");
        EXPECT_EQ(values[5], row.carrierText);
        EXPECT_EQ(values[7], u"52.38");
        EXPECT_EQ(values[8], u"-9.88");
        EXPECT_EQ(values[10], row.solutionText);
        EXPECT_EQ(values[11], row.nmeaText);
    }
}

}  // namespace
}  // namespace zentrix::ui
