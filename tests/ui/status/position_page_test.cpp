// The status sheet and its Position page against the fake receiver: the constellation mask, the
// lines the page shows and hides, its units, its timer and its bold value font.
#include "ui/status/position_page.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "framework/message_box.h"
#include "framework/test_kit.h"
#include "platform/text.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_receiver.h"
#include "tests/support/test_support.h"
#include "ui/status/gnss_status_sheet.h"

namespace zentrix::ui {
namespace {

using framework::CWnd;
using framework::ScopedTestKit;

const std::vector<std::string> kMaskQueries = {"queryGps", "queryGlonass", "querySbas",
                                               "queryQzss"};

TEST(GnssStatusSheetTest, MaskFromTheFourQueriesInOrder) {
    struct Row {
        const char* legend;
        uint8_t gps, glonass, sbas, qzss;
        std::vector<std::string> failing;
        ConstellationMask expected;
    };
    const Row rows[] = {
        {"all on", 1, 1, 1, 1, {}, 240},
        {"all off", 0, 0, 0, 0, {}, 0},
        {"GPS only", 1, 0, 0, 0, {}, kMaskGps},
        {"GLONASS and QZSS", 0, 1, 0, 1, {}, kMaskGlonass | kMaskQzss},
        {"any nonzero answer is on", 2, 0, 255, 0, {}, kMaskGps | kMaskSbas},
        {"a failed query is off", 1, 1, 1, 1, {"querySbas"}, kMaskGps | kMaskGlonass | kMaskQzss},
        {"every query failing", 1, 1, 1, 1, kMaskQueries, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        test::FakeReceiver receiver;
        receiver.gps = row.gps;
        receiver.glonass = row.glonass;
        receiver.sbas = row.sbas;
        receiver.qzss = row.qzss;
        for (const std::string& name : row.failing) receiver.fail(name);

        const int waitsBefore = framework::waitCursorShowCount();
        CGnssStatusSheet sheet(&receiver);
        EXPECT_EQ(sheet.constellationMask(), row.expected);
        EXPECT_EQ(receiver.calls(), kMaskQueries) << "each asked once, nothing else sent";
        EXPECT_EQ(framework::waitCursorShowCount(), waitsBefore + 1) << "under the wait cursor";
        EXPECT_EQ(framework::waitCursorDepth(), 0);
        EXPECT_EQ(sheet.satellitesPage().constellationMask(), row.expected);
        EXPECT_EQ(sheet.signalPage().constellationMask(), row.expected);
    }
}

/// The fake as a receiver of six constellations answers: Galileo and BeiDou queries too.
class SixSystemReceiver : public test::FakeReceiver {
  public:
    uint8_t galileo = 1;
    uint8_t beidou = 1;
    uint32_t queryGalileo(uint8_t& on) override { return query("queryGalileo", on, galileo); }
    uint32_t queryBeidou(uint8_t& on) override { return query("queryBeidou", on, beidou); }
};

TEST(GnssStatusSheetTest, GalileoAndBeidouAfterTheFourAndTheirAnswerWidensTheNumbering) {
    struct Row {
        const char* legend;
        uint8_t galileo, beidou;
        std::vector<std::string> failing;
        ConstellationMask expected;
    };
    constexpr ConstellationMask kFour = 240;
    const Row rows[] = {
        {"all six on", 1, 1, {}, kFour | kMaskGalileo | kMaskBeidou | kMaskWideNumbering},
        {"both off: still a receiver that knows of them", 0, 0, {}, kFour | kMaskWideNumbering},
        {"one failing, the other answering",
         1,
         1,
         {"queryGalileo"},
         kFour | kMaskBeidou | kMaskWideNumbering},
        {"both failing: the board's numbering", 1, 1, {"queryGalileo", "queryBeidou"}, kFour},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        SixSystemReceiver receiver;
        receiver.galileo = row.galileo;
        receiver.beidou = row.beidou;
        for (const std::string& name : row.failing) receiver.fail(name);
        CGnssStatusSheet sheet(&receiver);
        EXPECT_EQ(sheet.constellationMask(), row.expected);
        std::vector<std::string> queries = kMaskQueries;
        queries.insert(queries.end(), {"queryGalileo", "queryBeidou"});
        EXPECT_EQ(receiver.calls(), queries);
        EXPECT_EQ(sheet.satellitesPage().constellationMask(), row.expected);
        EXPECT_EQ(sheet.signalPage().constellationMask(), row.expected);
    }
}

TEST(GnssStatusSheetTest, ThreePagesInOrderAndOnlyReadsWhileOpen) {
    ScopedTestKit kit;
    test::FakeReceiver receiver;
    CGnssStatusSheet sheet(&receiver);
    ASSERT_EQ(sheet.GetPageCount(), 3);
    EXPECT_EQ(sheet.GetPage(0), &sheet.positionPage());
    EXPECT_EQ(sheet.GetPage(1), &sheet.satellitesPage());
    EXPECT_EQ(sheet.GetPage(2), &sheet.signalPage());

    receiver.clearCalls();
    ASSERT_TRUE(kit.open(sheet));
    EXPECT_TRUE(sheet.GetWindowText().empty());
    EXPECT_EQ(sheet.GetActivePage(), &sheet.positionPage());
    EXPECT_TRUE(kit.fireTimer(sheet.positionPage(), CPositionPage::kRefreshTimer));
    EXPECT_TRUE(kit.switchPage(sheet, 1));
    EXPECT_TRUE(kit.switchPage(sheet, 2));
    EXPECT_TRUE(kit.fireTimer(sheet.positionPage(), CPositionPage::kRefreshTimer));
    ASSERT_FALSE(receiver.calls().empty());
    for (const std::string& call : receiver.calls())
        EXPECT_EQ(call.rfind("get", 0), 0u) << call << ": no command while the sheet is open";
    sheet.DestroyWindow();
}

/// A sheet with the Position page alone, in the unit the test chooses.
class PositionPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        receiver_.position.latitude = 47.38701234;
        receiver_.position.longitude = 8.52701234;
        receiver_.position.ellipsoidHeight = 460.5;
        receiver_.position.satellitesUsed = 12;
        receiver_.position.pdop = 1.6f;
        receiver_.position.fixType = 5;
        receiver_.position.correctionAge = 2;
        receiver_.position.referenceStationId = 17;
        receiver_.position.horizontalError = 0.008f;
        receiver_.position.verticalError = 0.015f;
        receiver_.baselineMetres = 1234.5f;
        receiver_.wtiValue = 42;
    }
    void TearDown() override {
        if (sheet_)
            sheet_->DestroyWindow();
    }

    CPositionPage& open(LengthUnit unit = LengthUnit::Metres) {
        page_ = std::make_unique<CPositionPage>(&receiver_, unit);
        sheet_ = std::make_unique<framework::CPropertySheet>();
        sheet_->AddPage(page_.get());
        EXPECT_TRUE(kit_.open(*sheet_));
        return *page_;
    }
    void tick() { ASSERT_TRUE(kit_.fireTimer(*page_, CPositionPage::kRefreshTimer)); }
    std::string text(unsigned id) const { return platform::toUtf8(page_->GetDlgItemText(id)); }
    bool visible(unsigned id) const {
        CWnd* control = page_->GetDlgItem(id);
        return control != nullptr && control->IsWindowVisible();
    }
    /// True when the label and value of a line are both shown, false when both hidden; a line
    /// with one half shown fails the test.
    bool lineShown(unsigned label, unsigned value) const {
        EXPECT_EQ(visible(label), visible(value)) << "line " << label << "/" << value;
        return visible(value);
    }

    ScopedTestKit kit_;
    test::FakeReceiver receiver_;
    std::unique_ptr<CPositionPage> page_;
    std::unique_ptr<framework::CPropertySheet> sheet_;
};

TEST_F(PositionPageTest, ShowsTheSnapshotAtOnceAndEveryTick) {
    open();
    // Before any tick: the page refreshes when it is made.
    EXPECT_EQ(text(IDC_LATITUDE), "047°23'13.24442\"N");
    EXPECT_EQ(text(IDC_LONGITUDE), "008°31'37.24442\"E");
    EXPECT_EQ(text(IDC_ALTITUDE), "460.500 m");
    EXPECT_EQ(text(IDC_SATELLITES_USED), "12");
    EXPECT_EQ(text(IDC_PDOP), "1.6");
    EXPECT_EQ(text(IDC_FIX_STATUS), "FIXED");
    EXPECT_EQ(text(IDC_AGE), "2 sec");
    EXPECT_EQ(text(IDC_BASE_ID), "17");
    EXPECT_EQ(text(IDC_HRMS), "0.008 m");
    EXPECT_EQ(text(IDC_VRMS), "0.015 m");
    EXPECT_EQ(text(IDC_BASELINE), "1234.500 m");
    EXPECT_EQ(text(IDC_TIME_TO_FIXED), "42 sec");

    receiver_.position.latitude = -0.5;
    receiver_.position.fixType = 4;
    receiver_.wtiValue = 600;
    tick();
    EXPECT_EQ(text(IDC_LATITUDE), "000°30'0.00000\"S");
    EXPECT_EQ(text(IDC_FIX_STATUS), "FLOAT");
    EXPECT_EQ(text(IDC_TIME_TO_FIXED), "11 min");
}

TEST_F(PositionPageTest, LinesShownByFixTypeAndCorrectionAge) {
    open();
    const char* names[] = {"", "", "SDGPS", "DGPS", "FLOAT", "FIXED"};
    for (int fix = 0; fix <= 5; ++fix) {
        for (const int age : {0, 5}) {
            SCOPED_TRACE("fix " + std::to_string(fix) + ", age " + std::to_string(age));
            receiver_.position.fixType = fix;
            receiver_.position.correctionAge = age;
            tick();
            const bool differential = fix >= 2;
            EXPECT_EQ(lineShown(IDC_FIX_STATUS_LABEL, IDC_FIX_STATUS), differential);
            EXPECT_EQ(lineShown(IDC_AGE_LABEL, IDC_AGE), differential && age != 0);
            EXPECT_EQ(lineShown(IDC_BASE_ID_LABEL, IDC_BASE_ID),
                      differential && age != 0 && fix != 2);
            const bool rtk = fix == 4 || fix == 5;
            EXPECT_EQ(lineShown(IDC_HRMS_LABEL, IDC_HRMS), rtk);
            EXPECT_EQ(lineShown(IDC_VRMS_LABEL, IDC_VRMS), rtk);
            EXPECT_EQ(lineShown(IDC_BASELINE_LABEL, IDC_BASELINE), rtk);
            if (differential) {
                EXPECT_EQ(text(IDC_FIX_STATUS), names[fix]);
            }
            if (differential && age != 0) {
                EXPECT_EQ(text(IDC_AGE), "5 sec");
            }
            // The lines above never touch these.
            EXPECT_TRUE(visible(IDC_LATITUDE) && visible(IDC_PDOP));
            EXPECT_TRUE(lineShown(IDC_TIME_TO_FIXED_LABEL, IDC_TIME_TO_FIXED));
        }
    }
}

TEST_F(PositionPageTest, TimeToFixedLineHidesOutsideItsRange) {
    open();
    for (const auto& [seconds, shown] : std::initializer_list<std::pair<uint32_t, bool>>{
             {0, false}, {1, true}, {9998, true}, {9999, false}}) {
        receiver_.wtiValue = seconds;
        tick();
        EXPECT_EQ(lineShown(IDC_TIME_TO_FIXED_LABEL, IDC_TIME_TO_FIXED), shown) << seconds;
    }
}

TEST_F(PositionPageTest, GpsOnlyModelsWithoutSatellitesShowZeros) {
    open();
    receiver_.position.satellitesUsed = 0;
    for (const uint32_t model : {0u, 1u, 2u}) {
        receiver_.deviceModel = model;
        tick();
        const bool zeros = model != 2;
        EXPECT_EQ(text(IDC_LATITUDE), zeros ? "000°00'0.00000\"N" : "047°23'13.24442\"N") << model;
        EXPECT_EQ(text(IDC_ALTITUDE), zeros ? "0.000 m" : "460.500 m") << model;
        EXPECT_EQ(text(IDC_PDOP), zeros ? "0.0" : "1.6") << model;
        EXPECT_EQ(text(IDC_SATELLITES_USED), "0");
        EXPECT_EQ(lineShown(IDC_FIX_STATUS_LABEL, IDC_FIX_STATUS), !zeros) << model;
        EXPECT_EQ(lineShown(IDC_HRMS_LABEL, IDC_HRMS), !zeros) << model;
    }
}

TEST_F(PositionPageTest, SilentLinkKeepsTheLastValuesAndAMissingBaselineShowsZero) {
    open();
    receiver_.fail("getPosition");
    receiver_.fail("getBaselineLength");
    receiver_.position.latitude = 1;  // not reported: the link is silent
    tick();
    EXPECT_EQ(text(IDC_LATITUDE), "047°23'13.24442\"N");
    EXPECT_EQ(text(IDC_FIX_STATUS), "FIXED");
    EXPECT_EQ(text(IDC_BASELINE), "0.000 m");
}

TEST_F(PositionPageTest, UsSurveyFeet) {
    receiver_.position.ellipsoidHeight = 100;
    receiver_.baselineMetres = 1000;
    open(LengthUnit::UsSurveyFeet);
    EXPECT_EQ(text(IDC_ALTITUDE), "328.083 ft");
    EXPECT_EQ(text(IDC_HRMS), "0.026 ft");
    EXPECT_EQ(text(IDC_VRMS), "0.049 ft");
    EXPECT_EQ(text(IDC_BASELINE), "3280.833 ft");
}

// The sheet takes the unit from the locale: platform::measurementSystem() says 2 for the U.S.
// system (the handheld's locale said 1), so a comparison with 1 would show feet in Europe.
TEST_F(PositionPageTest, TheSheetTakesTheUnitFromTheLocale) {
    test::ScopedEnv all("LC_ALL", std::nullopt);
    struct Row {
        const char* locale;
        LengthUnit unit;
        const char* altitude;
    };
    const Row rows[] = {{"en_US.UTF-8", LengthUnit::UsSurveyFeet, "1510.824 ft"},
                        {"de_DE.UTF-8", LengthUnit::Metres, "460.500 m"}};
    for (const Row& row : rows) {
        test::ScopedEnv measurement("LC_MEASUREMENT", row.locale);
        CGnssStatusSheet sheet(&receiver_);
        EXPECT_EQ(sheet.positionPage().lengthUnit(), row.unit) << row.locale;
        ASSERT_TRUE(kit_.open(sheet));
        EXPECT_EQ(platform::toUtf8(sheet.positionPage().GetDlgItemText(IDC_ALTITUDE)),
                  row.altitude);
        sheet.DestroyWindow();
    }
}

TEST(PositionPageSheetTest, KeepsRefreshingWhileAnotherPageIsInFront) {
    ScopedTestKit kit;
    test::FakeReceiver receiver;
    receiver.position.satellitesUsed = 5;
    receiver.position.latitude = 10;
    CGnssStatusSheet sheet(&receiver);
    ASSERT_TRUE(kit.open(sheet));
    CPositionPage& page = sheet.positionPage();
    ASSERT_TRUE(kit.switchPage(sheet, 1));
    EXPECT_FALSE(page.IsWindowVisible());

    receiver.position.latitude = 20;
    receiver.clearCalls();
    EXPECT_TRUE(kit.fireTimer(page, CPositionPage::kRefreshTimer)) << "the timer still runs";
    EXPECT_EQ(platform::toUtf8(page.GetDlgItemText(IDC_LATITUDE)), "020°00'0.00000\"N");
    EXPECT_EQ(receiver.calls(), (std::vector<std::string>{"getPosition", "getDeviceModel",
                                                          "getBaselineLength", "getWtiValue"}));

    ASSERT_TRUE(kit.switchPage(sheet, 0));
    EXPECT_TRUE(kit.fireTimer(page, CPositionPage::kRefreshTimer));
    sheet.DestroyWindow();
    EXPECT_FALSE(kit.fireTimer(page, CPositionPage::kRefreshTimer)) << "gone with the window";
}

TEST_F(PositionPageTest, ValuesAreInABoldThirteenPixelArial) {
    for (const int dpi : {96, 192}) {
        SCOPED_TRACE(dpi);
        kit_.setScreenDpi(dpi);
        CPositionPage& page = open();
        const unsigned values[] = {IDC_LATITUDE, IDC_LONGITUDE,  IDC_ALTITUDE, IDC_SATELLITES_USED,
                                   IDC_PDOP,     IDC_FIX_STATUS, IDC_HRMS,     IDC_VRMS,
                                   IDC_AGE,      IDC_BASE_ID,    IDC_BASELINE, IDC_TIME_TO_FIXED};
        for (const unsigned id : values) {
            ASSERT_NE(page.GetDlgItem(id), nullptr) << id;
            EXPECT_EQ(page.GetDlgItem(id)->GetFont(), &page.valueFont()) << id;
        }
        EXPECT_NE(page.GetDlgItem(IDC_FIX_STATUS_LABEL)->GetFont(), &page.valueFont())
            << "labels keep the dialog's font";
        framework::LOGFONT font;
        ASSERT_NE(page.valueFont().GetLogFont(&font), 0);
        EXPECT_EQ(font.lfHeight, dpi == 96 ? 13 : 26);
        EXPECT_EQ(font.lfWeight, framework::FW_BOLD);
        EXPECT_EQ(font.lfCharSet, framework::DEFAULT_CHARSET);
        EXPECT_EQ(font.lfPitchAndFamily, framework::FF_SWISS);
        EXPECT_EQ(font.lfItalic + font.lfUnderline + font.lfStrikeOut + font.lfWidth, 0);
        EXPECT_EQ(platform::toUtf8(font.lfFaceName), "Arial");
        sheet_->DestroyWindow();
        sheet_.reset();
    }
}

}  // namespace
}  // namespace zentrix::ui
