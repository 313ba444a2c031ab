// The GNSS settings sheet: the tracking modes each handheld offers, the write at OK as a function
// of what was read and what the user changed, and the page against the fake receiver (every call
// written down) on the survey model and the GPS-only models.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/message_box.h"
#include "framework/resources.h"
#include "framework/test_kit.h"
#include "platform/text.h"
#include "receiver/commands/antenna_models.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_receiver.h"
#include "ui/settings/gnss_setting_sheet.h"
#include "ui/settings/gnss_settings_model.h"

namespace zentrix::ui {
namespace {

using framework::ScopedTestKit;
using Lines = std::vector<std::string>;

/// The plan as the fake receiver would write its calls down; the warning as "warn".
Lines describe(const GnssWritePlan& plan) {
    using Kind = GnssWriteStep::Kind;
    Lines lines;
    for (const GnssWriteStep& step : plan.steps) {
        switch (step.kind) {
            case Kind::SetAntennaName:
                lines.push_back("setAntennaName " + step.modelName);
                break;
            case Kind::WarnNoExternalAntenna:
                lines.push_back("warn");
                break;
            case Kind::SetGnssMode:
                lines.push_back("setGnssMode " + std::to_string(step.value));
                break;
            case Kind::SetSbas:
                lines.push_back("setSbas " + std::to_string(step.value));
                break;
            case Kind::SetQzss:
                lines.push_back("setQzss " + std::to_string(step.value));
                break;
            case Kind::SetElevationMask:
                lines.push_back("setElevationMask " + std::to_string(step.value));
                break;
        }
    }
    return lines;
}

TEST(GnssTrackingModesTest, OfferedByModelAndModelCode) {
    struct Row {
        uint32_t model;
        std::optional<std::string> code;
        int offered;
    };
    const Row rows[] = {
        {0, "0143", 1},       {1, "0204", 1}, {0, std::nullopt, 1},
        {2, std::nullopt, 3}, {2, "0200", 3}, {2, "0200-7A", 3},
        {2, "0201", 6},       {2, "020", 6},  {2, "10200", 6},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.model);
        SCOPED_TRACE(row.code.value_or("(unreadable)"));
        EXPECT_EQ(offeredTrackingModes(row.model, row.code), row.offered);
    }
}

/// A survey handheld with all six modes whose every read succeeded.
GnssSettingsRead surveyRead() {
    GnssSettingsRead read;
    read.surveyModel = true;
    read.offeredModes = kTrackingModeCount;
    read.mode = 3;
    read.sbas = true;
    read.qzss = false;
    read.elevationMaskDegrees = 10;
    read.externalAntenna = true;
    read.antennaName = u"ANT-SURVEY-B";
    return read;
}

TEST(GnssSettingsWriteTest, SendsWhatWasReadOrChosenInTheReceiversOrder) {
    using Read = GnssSettingsRead;
    using Shown = GnssSettingsShown;
    struct Row {
        const char* legend;
        std::function<void(Read&)> readChange;  // applied to surveyRead()
        std::function<void(Shown&)> user;       // applied to what the page showed
        Lines expected;
    };
    const auto none = [](auto&) {};
    const Lines allRead = {"setAntennaName ANT-SURVEY-B", "setGnssMode 3", "setSbas 1", "setQzss 0",
                           "setElevationMask 10"};
    const Row rows[] = {
        {"every read succeeded, nothing changed: all sent back", none, none, allRead},
        {"the user changed everything",
         none,
         [](Shown& s) {
             s.antenna = 0, s.antennaChosen = true;
             s.mode = 4, s.modeChosen = true;
             s.sbas = false, s.sbasChosen = true;
             s.qzss = true, s.qzssChosen = true;
             s.elevationText = u"25", s.elevationChosen = true;
         },
         {"setAntennaName ANT-SURVEY-A", "setGnssMode 4", "setSbas 0", "setQzss 1",
          "setElevationMask 25"}},
        // Failed reads: the control's default is not a setting.
        {"mode query failed",
         [](Read& r) { r.mode.reset(); },
         none,
         {"setAntennaName ANT-SURVEY-B", "setSbas 1", "setQzss 0", "setElevationMask 10"}},
        {"mode query failed, user chose GPS L1",
         [](Read& r) { r.mode.reset(); },
         [](Shown& s) { s.mode = 0, s.modeChosen = true; },
         {"setAntennaName ANT-SURVEY-B", "setGnssMode 0", "setSbas 1", "setQzss 0",
          "setElevationMask 10"}},
        {"a combination no mode describes",
         [](Read& r) { r.mode = 6; },
         none,
         {"setAntennaName ANT-SURVEY-B", "setSbas 1", "setQzss 0", "setElevationMask 10"}},
        {"a mode this handheld does not offer",
         [](Read& r) {
             r.offeredModes = 3;
             r.mode = 4;
         },
         none,
         {"setAntennaName ANT-SURVEY-B", "setSbas 1", "setQzss 0", "setElevationMask 10"}},
        {"SBAS query failed",
         [](Read& r) { r.sbas.reset(); },
         none,
         {"setAntennaName ANT-SURVEY-B", "setGnssMode 3", "setQzss 0", "setElevationMask 10"}},
        {"SBAS query failed, user ticked it",
         [](Read& r) { r.sbas.reset(); },
         [](Shown& s) { s.sbas = true, s.sbasChosen = true; },
         {"setAntennaName ANT-SURVEY-B", "setGnssMode 3", "setSbas 1", "setQzss 0",
          "setElevationMask 10"}},
        {"QZSS query failed",
         [](Read& r) { r.qzss.reset(); },
         none,
         {"setAntennaName ANT-SURVEY-B", "setGnssMode 3", "setSbas 1", "setElevationMask 10"}},
        {"QZSS query failed, user ticked it twice (off again)",
         [](Read& r) { r.qzss.reset(); },
         [](Shown& s) { s.qzssChosen = true; },
         {"setAntennaName ANT-SURVEY-B", "setGnssMode 3", "setSbas 1", "setQzss 0",
          "setElevationMask 10"}},
        {"elevation query failed: the empty field is not sent and not refused",
         [](Read& r) { r.elevationMaskDegrees.reset(); },
         none,
         {"setAntennaName ANT-SURVEY-B", "setGnssMode 3", "setSbas 1", "setQzss 0"}},
        {"elevation query failed, user typed 0",
         [](Read& r) { r.elevationMaskDegrees.reset(); },
         [](Shown& s) { s.elevationText = u"0", s.elevationChosen = true; },
         {"setAntennaName ANT-SURVEY-B", "setGnssMode 3", "setSbas 1", "setQzss 0",
          "setElevationMask 0"}},
        // The antenna.
        {"antenna query failed: Unknown is shown, not sent",
         [](Read& r) { r.antennaName.reset(); },
         none,
         {"setGnssMode 3", "setSbas 1", "setQzss 0", "setElevationMask 10"}},
        {"antenna the list does not know: not written back",
         [](Read& r) { r.antennaName = u"SOME-OTHER-ANTENNA"; },
         none,
         {"setGnssMode 3", "setSbas 1", "setQzss 0", "setElevationMask 10"}},
        {"antenna the list does not know, user chose Unknown",
         [](Read& r) { r.antennaName = u"SOME-OTHER-ANTENNA"; },
         [](Shown& s) { s.antennaChosen = true; },
         {"setAntennaName UNKNOWN", "setGnssMode 3", "setSbas 1", "setQzss 0",
          "setElevationMask 10"}},
        {"receiver's own UNKNOWN matches the fifth entry",
         [](Read& r) { r.antennaName = u"UNKNOWN"; },
         none,
         {"setAntennaName UNKNOWN", "setGnssMode 3", "setSbas 1", "setQzss 0",
          "setElevationMask 10"}},
        {"model names are matched exactly",
         [](Read& r) { r.antennaName = u"ant-survey-b"; },
         none,
         {"setGnssMode 3", "setSbas 1", "setQzss 0", "setElevationMask 10"}},
        // L2 without an external antenna: a warning before the mode, which goes out anyway.
        {"GPS L1/L2 without external antenna",
         [](Read& r) {
             r.externalAntenna = false;
             r.mode = 1;
         },
         none,
         {"warn", "setGnssMode 1", "setSbas 1", "setQzss 0", "setElevationMask 10"}},
        {"GPS/GLONASS L1/L2 without external antenna",
         [](Read& r) { r.externalAntenna = false; },
         none,
         {"warn", "setGnssMode 3", "setSbas 1", "setQzss 0", "setElevationMask 10"}},
        {"GLONASS L1/L2 without external antenna",
         [](Read& r) { r.externalAntenna = false; },
         [](Shown& s) { s.mode = 5, s.modeChosen = true; },
         {"warn", "setGnssMode 5", "setSbas 1", "setQzss 0", "setElevationMask 10"}},
        {"an L1 mode needs no antenna",
         [](Read& r) { r.externalAntenna = false; },
         [](Shown& s) { s.mode = 4, s.modeChosen = true; },
         {"setGnssMode 4", "setSbas 1", "setQzss 0", "setElevationMask 10"}},
        {"no mode, no warning",
         [](Read& r) {
             r.externalAntenna = false;
             r.mode.reset();
         },
         none,
         {"setSbas 1", "setQzss 0", "setElevationMask 10"}},
        // The GPS-only models read SBAS and the mode only and send SBAS only.
        {"GPS-only model",
         [](Read& r) {
             r = GnssSettingsRead();
             r.mode = 0;
             r.sbas = false;
         },
         none,
         {"setSbas 0"}},
        {"GPS-only model, SBAS query failed",
         [](Read& r) {
             r = GnssSettingsRead();
             r.mode = 0;
         },
         none,
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        GnssSettingsRead read = surveyRead();
        row.readChange(read);
        GnssSettingsShown shown = initialShown(read);
        row.user(shown);
        const GnssWritePlan plan = planGnssWrite(read, shown);
        EXPECT_FALSE(plan.elevationRefused);
        EXPECT_EQ(describe(plan), row.expected);
    }
}

TEST(GnssSettingsWriteTest, AnElevationThatIsNoMaskStopsTheWholeWrite) {
    struct Row {
        const char16_t* text;
        std::optional<int32_t> degrees;
    };
    const Row rows[] = {
        {u"0", 0},   {u"90", 90},  {u" 45 ", 45}, {u"\t7", 7},  {u"007", 7},
        {u"", {}},   {u"   ", {}}, {u"abc", {}},  {u"12a", {}}, {u"91", {}},
        {u"-1", {}}, {u"+5", {}},  {u"10.5", {}}, {u"4 5", {}}, {u"99999999999999999999", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(platform::toUtf8(row.text));
        EXPECT_EQ(parseElevationMask(row.text), row.degrees);

        GnssSettingsRead read = surveyRead();
        GnssSettingsShown shown = initialShown(read);
        shown.elevationText = row.text;
        shown.elevationChosen = true;
        const GnssWritePlan plan = planGnssWrite(read, shown);
        EXPECT_EQ(plan.elevationRefused, !row.degrees.has_value());
        if (row.degrees) {
            ASSERT_FALSE(plan.steps.empty());
            EXPECT_EQ(describe(plan).back(), "setElevationMask " + std::to_string(*row.degrees));
        } else {
            EXPECT_TRUE(plan.steps.empty()) << "not even the antenna before it";
        }
    }
    // A mask the receiver reported that is no mask is refused too when sent back unchanged.
    GnssSettingsRead read = surveyRead();
    read.elevationMaskDegrees = 95;
    EXPECT_TRUE(planGnssWrite(read, initialShown(read)).elevationRefused);
}

/// The sheet opened headless on the fake receiver.
class GnssPageTest : public ::testing::Test {
  protected:
    void TearDown() override {
        if (sheet_)
            sheet_->DestroyWindow();
    }

    CGnssPage& open(uint32_t model, std::optional<std::string> code = "0300") {
        if (sheet_)
            sheet_->DestroyWindow();
        framework::clearMessageBoxLog();
        sheet_ = std::make_unique<CGnssSettingSheet>(&receiver_, model, std::move(code));
        EXPECT_TRUE(kit_.open(*sheet_));
        return sheet_->gnssPage();
    }
    framework::CComboBox& combo(unsigned id) {
        return *dynamic_cast<framework::CComboBox*>(sheet_->gnssPage().GetDlgItem(id));
    }
    Lines comboTexts(unsigned id) {
        Lines texts;
        for (int i = 0; i < combo(id).GetCount(); ++i)
            texts.push_back(platform::toUtf8(combo(id).GetLBText(i)));
        return texts;
    }
    bool visible(unsigned id) {
        framework::CWnd* control = sheet_->gnssPage().GetDlgItem(id);
        return control != nullptr && control->IsWindowVisible();
    }
    bool checked(unsigned id) { return sheet_->gnssPage().IsDlgButtonChecked(id) != 0; }
    std::string text(unsigned id) {
        return platform::toUtf8(sheet_->gnssPage().GetDlgItemText(id));
    }
    Lines messages() const {
        Lines texts;
        for (const auto& box : kit_.messageBoxes()) texts.push_back(platform::toUtf8(box.text));
        return texts;
    }
    static std::string str(unsigned id) { return platform::toUtf8(framework::loadString(id)); }

    ScopedTestKit kit_;
    test::FakeReceiver receiver_;
    std::unique_ptr<CGnssSettingSheet> sheet_;
};

const Lines kSurveyReads = {"queryGnssMode",      "querySbas",         "queryQzss",
                            "queryElevationMask", "getA2dFirstSwitch", "queryAntennaName"};

TEST_F(GnssPageTest, SurveyModelReadsShowsAndSendsTheUsersChoices) {
    receiver_.gnssMode = 2;
    receiver_.sbas = 1;
    receiver_.qzss = 0;
    receiver_.elevationMask = 12;
    receiver_.antennaName = u"ANT-HELICAL";
    const int waits = framework::waitCursorShowCount();
    open(2);
    EXPECT_EQ(receiver_.calls(), kSurveyReads);
    EXPECT_GT(framework::waitCursorShowCount(), waits) << "the reads run under the wait cursor";
    EXPECT_TRUE(sheet_->GetWindowText().empty()) << "the sheet has no caption";

    EXPECT_EQ(comboTexts(IDC_TRACKING_MODE),
              (Lines{"GPS L1", "GPS L1/L2", "GPS/GLONASS L1", "GPS/GLONASS L1/L2", "GLONASS L1",
                     "GLONASS L1/L2"}));
    EXPECT_EQ(combo(IDC_TRACKING_MODE).GetCurSel(), 2);
    EXPECT_TRUE(checked(IDC_USE_SBAS));
    EXPECT_FALSE(checked(IDC_USE_QZSS));
    EXPECT_EQ(text(IDC_ELEVATION_MASK), "12");
    EXPECT_EQ(comboTexts(IDC_ANTENNA_TYPE),
              (Lines{"Survey antenna A", "Survey antenna B", "Choke ring antenna",
                     "Helical antenna", "Unknown"}));
    EXPECT_EQ(combo(IDC_ANTENNA_TYPE).GetCurSel(), 3);
    for (unsigned id : {IDC_TRACKING_MODE_LABEL, IDC_TRACKING_MODE, IDC_USE_SBAS, IDC_USE_QZSS,
                        IDC_ELEVATION_MASK_LABEL, IDC_ELEVATION_MASK, IDC_ELEVATION_MASK_UNIT,
                        IDC_EXTERNAL_ANTENNA_LABEL, IDC_ANTENNA_TYPE})
        EXPECT_TRUE(visible(id)) << id;

    receiver_.clearCalls();
    ASSERT_TRUE(kit_.selectComboItem(*sheet_, IDC_TRACKING_MODE, 5));
    ASSERT_TRUE(kit_.click(*sheet_, IDC_USE_SBAS));
    ASSERT_TRUE(kit_.click(*sheet_, IDC_USE_QZSS));
    ASSERT_TRUE(kit_.type(*sheet_, IDC_ELEVATION_MASK, u"15"));
    ASSERT_TRUE(kit_.selectComboItem(*sheet_, IDC_ANTENNA_TYPE, 0));
    EXPECT_TRUE(receiver_.calls().empty()) << "nothing is sent before OK";
    EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
    EXPECT_EQ(receiver_.calls(), (Lines{"setAntennaName ANT-SURVEY-A", "setGnssMode 5", "setSbas 0",
                                        "setQzss 1", "setElevationMask 15"}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(GnssPageTest, GpsOnlyModelsOfferGpsL1AndSendSbasOnly) {
    for (const uint32_t model : {0u, 1u}) {
        SCOPED_TRACE(model);
        receiver_.clearCalls();
        receiver_.sbas = 1;
        receiver_.gnssMode = 0;
        open(model, "0204");
        EXPECT_EQ(receiver_.calls(), (Lines{"queryGnssMode", "querySbas"}));
        EXPECT_EQ(comboTexts(IDC_TRACKING_MODE), Lines{"GPS L1"});
        EXPECT_EQ(combo(IDC_TRACKING_MODE).GetCurSel(), 0);
        EXPECT_TRUE(checked(IDC_USE_SBAS));
        EXPECT_TRUE(visible(IDC_TRACKING_MODE) && visible(IDC_USE_SBAS));
        for (unsigned id : {IDC_USE_QZSS, IDC_ELEVATION_MASK_LABEL, IDC_ELEVATION_MASK,
                            IDC_ELEVATION_MASK_UNIT, IDC_EXTERNAL_ANTENNA_LABEL, IDC_ANTENNA_TYPE})
            EXPECT_FALSE(visible(id)) << id;

        receiver_.clearCalls();
        EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
        EXPECT_EQ(receiver_.calls(), Lines{"setSbas 1"});
    }
}

TEST_F(GnssPageTest, CancelSendsNothing) {
    for (const uint32_t model : {0u, 2u}) {
        SCOPED_TRACE(model);
        open(model);
        ASSERT_TRUE(kit_.selectComboItem(*sheet_, IDC_TRACKING_MODE, 0));
        ASSERT_TRUE(kit_.click(*sheet_, IDC_USE_SBAS));
        if (model == 2) {
            ASSERT_TRUE(kit_.type(*sheet_, IDC_ELEVATION_MASK, u"33"));
        }
        receiver_.clearCalls();
        EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_CANCEL));
        EXPECT_TRUE(receiver_.calls().empty());
    }
}

TEST_F(GnssPageTest, AFailedReadLeavesItsDefaultAndSendsNothingForIt) {
    struct Row {
        const char* failing;
        std::function<bool()> showsDefault;
        Lines sentAtOk;
        Lines messages;
    };
    const Row rows[] = {
        {"queryGnssMode",
         [&] { return combo(IDC_TRACKING_MODE).GetCurSel() == -1; },
         {"setAntennaName ANT-SURVEY-A", "setSbas 1", "setQzss 1", "setElevationMask 10"},
         {}},
        {"querySbas",
         [&] { return !checked(IDC_USE_SBAS); },
         {"setAntennaName ANT-SURVEY-A", "setGnssMode 0", "setQzss 1", "setElevationMask 10"},
         {}},
        {"queryQzss",
         [&] { return !checked(IDC_USE_QZSS); },
         {"setAntennaName ANT-SURVEY-A", "setGnssMode 0", "setSbas 1", "setElevationMask 10"},
         {}},
        {"queryElevationMask",
         [&] { return text(IDC_ELEVATION_MASK).empty(); },
         {"setAntennaName ANT-SURVEY-A", "setGnssMode 0", "setSbas 1", "setQzss 1"},
         {}},
        {"queryAntennaName",
         [&] { return combo(IDC_ANTENNA_TYPE).GetCurSel() == 4; },
         {"setGnssMode 0", "setSbas 1", "setQzss 1", "setElevationMask 10"},
         {"Cannot get antenna name."}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.failing);
        receiver_ = test::FakeReceiver();  // mode 0, SBAS and QZSS on, mask 10
        receiver_.antennaName = u"ANT-SURVEY-A";
        receiver_.fail(row.failing);
        open(2);
        EXPECT_EQ(receiver_.calls(), kSurveyReads) << "a failed read stops no other";
        EXPECT_TRUE(row.showsDefault());

        receiver_.clearCalls();
        EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
        EXPECT_EQ(receiver_.calls(), row.sentAtOk);
        EXPECT_EQ(messages(), row.messages);
    }
}

TEST_F(GnssPageTest, AntennaTheListDoesNotKnowShowsUnknownAndStaysUnlessChosen) {
    receiver_.antennaName = u"SOME-OTHER-ANTENNA";
    open(2);
    EXPECT_EQ(combo(IDC_ANTENNA_TYPE).GetCurSel(), 4);
    EXPECT_EQ(platform::toUtf8(combo(IDC_ANTENNA_TYPE).GetLBText(4)), str(IDS_ANTENNA_UNKNOWN));
    receiver_.clearCalls();
    EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
    EXPECT_EQ(receiver_.calls().front(), "setGnssMode 0") << "the unknown antenna is kept";

    open(2);
    ASSERT_TRUE(kit_.selectComboItem(*sheet_, IDC_ANTENNA_TYPE, 4));
    receiver_.clearCalls();
    EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
    EXPECT_EQ(receiver_.calls().front(), "setAntennaName UNKNOWN") << "the user chose it";
}

TEST_F(GnssPageTest, TheModelCodeDecidesTheGlonassModes) {
    struct Row {
        std::optional<std::string> code;
        int entries;
    };
    for (const Row& row :
         {Row{"0200", 3}, Row{"0200XY", 3}, Row{std::nullopt, 3}, Row{"0300", 6}}) {
        SCOPED_TRACE(row.code.value_or("(unreadable)"));
        receiver_.gnssMode = 3;  // GPS/GLONASS L1/L2: beyond three entries
        open(2, row.code);
        EXPECT_EQ(combo(IDC_TRACKING_MODE).GetCount(), row.entries);
        EXPECT_EQ(combo(IDC_TRACKING_MODE).GetCurSel(), row.entries == 6 ? 3 : -1);
        receiver_.clearCalls();
        EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
        const bool modeSent = std::find(receiver_.calls().begin(), receiver_.calls().end(),
                                        "setGnssMode 3") != receiver_.calls().end();
        EXPECT_EQ(modeSent, row.entries == 6) << "no selection sends no mode";
        for (const std::string& call : receiver_.calls())
            EXPECT_FALSE(call.starts_with("setGnssMode") && call != "setGnssMode 3") << call;
    }
}

TEST_F(GnssPageTest, NoExternalAntennaWarnsForEveryL2Mode) {
    receiver_.externalAntenna = 0;
    for (int mode = 0; mode < kTrackingModeCount; ++mode) {
        SCOPED_TRACE(mode);
        open(2);
        EXPECT_FALSE(visible(IDC_ANTENNA_TYPE)) << "no antenna list without an antenna";
        EXPECT_FALSE(visible(IDC_EXTERNAL_ANTENNA_LABEL));
        ASSERT_TRUE(kit_.selectComboItem(*sheet_, IDC_TRACKING_MODE, mode));
        receiver_.clearCalls();
        EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
        const bool l2 = mode == 1 || mode == 3 || mode == 5;
        EXPECT_EQ(messages(), l2 ? Lines{"No external antenna"} : Lines{});
        ASSERT_FALSE(receiver_.calls().empty());
        EXPECT_EQ(receiver_.calls().front(), "setGnssMode " + std::to_string(mode))
            << "sent all the same, and no antenna";
    }
}

TEST_F(GnssPageTest, AnElevationThatIsNoMaskKeepsTheSheetOpenAndSendsNothing) {
    open(2);
    for (const char16_t* text : {u"", u"abc", u"91"}) {
        SCOPED_TRACE(platform::toUtf8(text));
        ASSERT_TRUE(kit_.type(*sheet_, IDC_ELEVATION_MASK, text));
        receiver_.clearCalls();
        framework::clearMessageBoxLog();
        const size_t before = kit_.messageBoxes().size();
        EXPECT_FALSE(sheet_->PressButton(framework::PSBTN_OK));
        EXPECT_TRUE(receiver_.calls().empty());
        ASSERT_EQ(kit_.messageBoxes().size(), before + 1);
        EXPECT_EQ(platform::toUtf8(kit_.messageBoxes().back().text), str(IDS_ELEVATION_MASK_RANGE));
        EXPECT_TRUE(sheet_->gnssPage().GetSafeHwnd() != nullptr) << "still open";
    }
    ASSERT_TRUE(kit_.type(*sheet_, IDC_ELEVATION_MASK, u"20"));
    EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
    EXPECT_EQ(receiver_.calls().back(), "setElevationMask 20");
}

}  // namespace
}  // namespace zentrix::ui
