// The UHF radio sheet against the fake receiver: what each radio model is offered (protocols, air
// link speeds, channels), on which port and in which order the type page tells the receiver the
// chosen model, detection on the handheld's own port and on an external unit's inside port with
// its pause, and what the settings page reads and writes, including the two messages.
#include "ui/diff/uhf_config_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/test_kit.h"
#include "platform/clock.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_receiver.h"
#include "tests/support/test_support.h"
#include "ui/diff/uhf_radio_tables.h"

namespace zentrix::ui {
namespace {

using framework::BST_CHECKED;
using framework::CComboBox;
using framework::PSBTN_CANCEL;
using framework::PSBTN_OK;
using framework::ScopedTestKit;
using Calls = std::vector<std::string>;
using Codes = std::vector<int32_t>;
using Texts = std::vector<WideString>;
using namespace uhf;

// ---- The offers
// ----------------------------------------------------------------------------------

TEST(UhfOffers, ProtocolsByTypeModulationAndSpacing) {
    struct Row {
        const char* legend;
        int32_t type, modulation, spacing, current;
        Codes codes;
    };
    const Row rows[] = {
        // A PDL always adds what it runs now, even when offered already.
        {"PDL 4FSK", kPdl, kModulation4Fsk, kSpacing25kHz, 0, {0, 0}},
        {"PDL GMSK", kPdl, kModulationGmsk, kSpacing12_5kHz, 1, {0, 1, 2, 1}},
        {"PDL other modulation", kPdl, kOther, kSpacing25kHz, 5, {5}},
        {"PDL with a code the list does not know", kPdl, kOther, kOther, 9, {}},
        {"ADL 4FSK", kAdl, kModulation4Fsk, kSpacing25kHz, 3, {0, 3, 7}},
        {"XDL 4FSK", kXdl, kModulation4Fsk, kSpacing12_5kHz, 0, {0, 3, 7}},
        {"ADL GMSK 12.5 kHz", kAdl, kModulationGmsk, kSpacing12_5kHz, 0, {0, 1, 5, 4, 6, 8}},
        {"ADL GMSK 25 kHz", kAdl, kModulationGmsk, kSpacing25kHz, 0, {0, 1, 5, 4, 6}},
        {"XDL GMSK 12.5 kHz: no V-Span",
         kXdl,
         kModulationGmsk,
         kSpacing12_5kHz,
         0,
         {0, 1, 5, 4, 6}},
        {"ADL other modulation", kAdl, kOther, kSpacing25kHz, 6, {0}},
        {"V-Span", kVSpan, kModulation4Fsk, kOther, 2, {0, 2}},
        {"V-Span other", kVSpan, kOther, kOther, 8, {0, 2}},
        // The others offer nothing but the current one.
        {"Kavendra", kKavendra, kModulationGmsk, kSpacing25kHz, 4, {4}},
        {"LFE", kLicenseFreeEurope, kOther, kOther, 0, {0}},
        {"LFA out of range", kLicenseFreeAmerica, kOther, kOther, -1, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(offeredProtocols(row.type, row.modulation, row.spacing, row.current), row.codes);
    }
}

TEST(UhfOffers, AirSpeedsByTypeModulationAndSpacing) {
    struct Row {
        const char* legend;
        int32_t type, modulation, spacing, current;
        Codes codes;
    };
    const Row rows[] = {
        {"PDL GMSK 25", kPdl, kModulationGmsk, kSpacing25kHz, 1, {0, 3}},
        {"PDL GMSK 12.5", kPdl, kModulationGmsk, kSpacing12_5kHz, 1, {0}},
        {"PDL GMSK other", kPdl, kModulationGmsk, kOther, 1, {0}},
        {"PDL 4FSK 25", kPdl, kModulation4Fsk, kSpacing25kHz, 0, {5}},
        {"PDL 4FSK 12.5", kPdl, kModulation4Fsk, kSpacing12_5kHz, 0, {3}},
        {"PDL 4FSK other: the current one", kPdl, kModulation4Fsk, kOther, 4, {4}},
        {"PDL other modulation", kPdl, kOther, kSpacing25kHz, 2, {2}},
        {"ADL GMSK 25", kAdl, kModulationGmsk, kSpacing25kHz, 0, {0, 3, 4, 5}},
        {"XDL GMSK 12.5", kXdl, kModulationGmsk, kSpacing12_5kHz, 0, {0, 2, 3}},
        {"ADL GMSK other", kAdl, kModulationGmsk, kOther, 3, {0}},
        {"XDL 4FSK 25", kXdl, kModulation4Fsk, kSpacing25kHz, 0, {5}},
        {"ADL 4FSK 12.5", kAdl, kModulation4Fsk, kSpacing12_5kHz, 0, {3}},
        {"ADL other: the current one", kAdl, kOther, kOther, 1, {1}},
        {"V-Span", kVSpan, kOther, kSpacing25kHz, 5, {0, 1, 3}},
        {"LFE", kLicenseFreeEurope, kModulationGmsk, kSpacing25kHz, 3, {3}},
        {"current out of range", kKavendra, kOther, kOther, 6, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(offeredAirSpeeds(row.type, row.modulation, row.spacing, row.current), row.codes);
    }
}

TEST(UhfOffers, ChannelCountsAndTexts) {
    // The table's count when it gives one (cut to what the reply can carry), else the model's.
    EXPECT_EQ(channelCount(kAdl, std::nullopt), 32u);
    EXPECT_EQ(channelCount(kXdl, 0u), 32u);
    EXPECT_EQ(channelCount(kLicenseFreeEurope, std::nullopt), 3u);
    EXPECT_EQ(channelCount(kLicenseFreeAmerica, std::nullopt), 50u);
    EXPECT_EQ(channelCount(kPdl, std::nullopt), 16u);
    EXPECT_EQ(channelCount(kPdl, 24u), 24u);
    EXPECT_EQ(channelCount(kPdl, 4000000000u), kMaxChannelCount);
    EXPECT_EQ(protocolText(7, u"Transparent"), u"Transparent FST");
    EXPECT_EQ(protocolText(8, u"Transparent"), u"V-Span");
    EXPECT_EQ(protocolText(9, u"Transparent"), u"");
    EXPECT_EQ(sensitivityText(4), u"");
}

TEST(UhfOffers, ParametersWriteKeepsWhatThePageDoesNotHave) {
    const RadioSettingsRead read{7, 3, 2, 1, 1};
    struct Row {
        const char* legend;
        RadioSettingsShown shown;
        RadioParametersWrite expected;
    };
    const Row rows[] = {
        {"ADL sends the number shown",
         {kAdl, 4, 5, 8, 1, true, true},
         {5, 5, 1, 8, 0, true, false}},
        {"PDL sends the index", {kPdl, 4, 0, 2, 3, true, false}, {4, 0, 3, 2, 1, false, true}},
        {"no selection anywhere: the values read, never -1",
         {kXdl, -1, -1, -1, 0, true, true},
         {7, 3, 0, 1, 0, true, false}},
        {"Turn on hidden: the power control read, no switching",
         {kPdl, 2, 3, 0, 2, false, false},
         {2, 3, 2, 0, 1, false, false}},
        {"a model without link settings",
         {kLicenseFreeEurope, 1, 5, 5, 2, true, true},
         {1, -1, -1, -1, 0, true, false}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const RadioParametersWrite write = radioParametersWrite(row.shown, read);
        EXPECT_EQ(write.channel, row.expected.channel);
        EXPECT_EQ(write.airSpeed, row.expected.airSpeed);
        EXPECT_EQ(write.sensitivity, row.expected.sensitivity);
        EXPECT_EQ(write.protocol, row.expected.protocol);
        EXPECT_EQ(write.powerControl, row.expected.powerControl);
        EXPECT_EQ(write.switchOn, row.expected.switchOn);
        EXPECT_EQ(write.switchOff, row.expected.switchOff);
    }
}

// ---- The sheet
// -----------------------------------------------------------------------------------

Texts comboEntries(CComboBox* combo) {
    Texts entries;
    for (int i = 0; combo != nullptr && i < combo->GetCount(); ++i)
        entries.push_back(combo->GetLBText(i));
    return entries;
}

Codes comboCodes(CComboBox* combo) {
    Codes codes;
    for (int i = 0; combo != nullptr && i < combo->GetCount(); ++i)
        codes.push_back(static_cast<int32_t>(combo->GetItemData(i)));
    return codes;
}

/// The calls from the first one that begins with `first` on.
Calls callsFrom(const Calls& calls, const std::string& first) {
    auto it = std::find_if(calls.begin(), calls.end(),
                           [&](const std::string& call) { return call.rfind(first, 0) == 0; });
    return Calls(it, calls.end());
}

class UhfSheetTest : public ::testing::Test {
  protected:
    std::unique_ptr<CUhfConfigSheet> makeSheet(bool externalGps) {
        return std::make_unique<CUhfConfigSheet>(&receiver_, externalGps, u"UHF Radio Settings");
    }
    CComboBox* combo(CUhfConfigSheet& sheet, unsigned id, bool settingsPage = false) {
        framework::CPropertyPage& page =
            settingsPage ? static_cast<framework::CPropertyPage&>(sheet.settingsPage())
                         : sheet.typePage();
        return dynamic_cast<CComboBox*>(page.GetDlgItem(id));
    }
    int32_t selectedType(CUhfConfigSheet& sheet) {
        CComboBox* types = combo(sheet, IDC_UHF_TYPE);
        const int index = types->GetCurSel();
        return index < 0 ? -1 : static_cast<int32_t>(types->GetItemData(index));
    }
    bool chooseType(CUhfConfigSheet& sheet, int32_t type) {
        const Codes codes = comboCodes(combo(sheet, IDC_UHF_TYPE));
        const auto it = std::find(codes.begin(), codes.end(), type);
        return it != codes.end() &&
               kit_.selectComboItem(sheet, IDC_UHF_TYPE, static_cast<int>(it - codes.begin()));
    }
    /// A radio on `port` as the parameter query reports it.
    void fitRadio(uint32_t port, int32_t type, uint32_t modulation, uint32_t spacing) {
        receiver::RadioSettings radio;
        radio.radioType = static_cast<uint32_t>(type);
        radio.modulation = modulation;
        radio.spacing = spacing;
        radio.power = 0;
        radio.channel = 3;
        radio.airBaud = 3;
        radio.sensitivity = 1;
        radio.level = 1;
        radio.control = 0;
        receiver_.radioTypes[port] = static_cast<uint32_t>(type);
        receiver_.radios[port] = radio;
    }

    // The 7 s detection pause takes well under a real millisecond.
    platform::ScopedClockSpeed fast_{100000};
    ScopedTestKit kit_;
    test::FakeReceiver receiver_;
};

TEST_F(UhfSheetTest, OwnBoardFindsTheRadioOnPortBWithoutKavendra) {
    fitRadio(kPortB, kAdl, kModulationGmsk, kSpacing25kHz);
    receiver_.portBaud[kPortB] = 6;
    auto sheet = makeSheet(false);
    const int cursors = kit_.waitCursorShowCount();
    ASSERT_TRUE(kit_.open(*sheet));
    EXPECT_GT(kit_.waitCursorShowCount(), cursors);
    EXPECT_EQ(receiver_.calls(), (Calls{"queryRadioType 1", "radioOn", "queryPortBaud 1"}));
    EXPECT_EQ(comboCodes(combo(*sheet, IDC_UHF_TYPE)), (Codes{0, 1, 2, 4, 5, 6, 7, 8}));
    EXPECT_EQ(comboEntries(combo(*sheet, IDC_UHF_TYPE)).front(), u"Pacific Crest PDL");
    EXPECT_EQ(selectedType(*sheet), kAdl);
    EXPECT_EQ(combo(*sheet, IDC_UHF_BAUD)->GetCount(), 10);
    EXPECT_EQ(combo(*sheet, IDC_UHF_BAUD)->GetCurSel(), 6);
    EXPECT_EQ(combo(*sheet, IDC_UHF_BAUD)->GetLBText(6), u"19200");
    EXPECT_TRUE(sheet->PressButton(PSBTN_CANCEL));

    // An external unit lists Kavendra after XDL.
    auto external = makeSheet(true);
    ASSERT_TRUE(kit_.open(*external));
    EXPECT_EQ(comboCodes(combo(*external, IDC_UHF_TYPE)), (Codes{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(external->PressButton(PSBTN_CANCEL));
}

TEST_F(UhfSheetTest, PortBDetectionTellsSatelEasyFromNoneAndTakesNoFailedRead) {
    struct Row {
        const char* legend;
        bool typeQueryFails;
        uint32_t typeCode;  // what the type query answers
        uint32_t power;     // of the parameter query, 0 on
        Calls calls;
        int32_t selected;
    };
    const Row rows[] = {
        {"NONE while powered: Satel Easy",
         false,
         8,
         0,
         {"queryRadioType 1", "queryRadioParameters 1", "radioOn", "queryPortBaud 1"},
         kSatelEasy},
        {"NONE unpowered: None",
         false,
         8,
         1,
         {"queryRadioType 1", "queryRadioParameters 1", "radioOn", "queryPortBaud 1"},
         kNone},
        {"UNKNOWN: not taken, the sheet's type stays",
         false,
         9,
         0,
         {"queryRadioType 1", "radioOn", "queryPortBaud 1"},
         kPdl},
        {"no answer: not taken as None",
         true,
         8,
         0,
         {"queryRadioType 1", "radioOn", "queryPortBaud 1"},
         kPdl},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        receiver_.clearCalls();
        receiver_.radioTypes[kPortB] = row.typeCode;
        receiver_.radios[kPortB].power = row.power;
        if (row.typeQueryFails) {
            receiver_.fail("queryRadioType");
        } else {
            receiver_.succeed("queryRadioType");
        }
        auto sheet = makeSheet(false);
        ASSERT_TRUE(kit_.open(*sheet));
        EXPECT_EQ(receiver_.calls(), row.calls);
        EXPECT_EQ(selectedType(*sheet), row.selected);
        EXPECT_TRUE(sheet->PressButton(PSBTN_CANCEL));
    }
}

TEST_F(UhfSheetTest, PortDDetectionWaitsForTheBoardAndPutsBackWhatItHad) {
    struct Row {
        const char* legend;
        uint32_t before;  // the type query before the clear
        int32_t after;    // the parameter query's type after it
        bool parametersFail;
        Calls tail;  // after the pause
        int32_t selected;
    };
    const Row rows[] = {
        {"found again as another model",
         0,
         kAdl,
         false,
         {"queryRadioParameters 3", "queryPortBaud 3"},
         kAdl},
        {"not found again: the type before the clear goes back",
         4,
         kUnknown,
         false,
         {"queryRadioParameters 3", "setRadioType 3 4", "queryPortBaud 3"},
         kVSpan},
        {"no answer after the clear: the same",
         1,
         kAdl,
         true,
         {"queryRadioParameters 3", "setRadioType 3 1", "queryPortBaud 3"},
         kAdl},
        {"unknown before and after: nothing to put back",
         9,
         kUnknown,
         false,
         {"queryRadioParameters 3", "queryPortBaud 3"},
         kPdl},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        receiver_.clearCalls();
        receiver_.radioTypes[kPortD] = row.before;
        receiver_.radios[kPortD].radioType = static_cast<uint32_t>(row.after);
        if (row.parametersFail) {
            receiver_.fail("queryRadioParameters");
        } else {
            receiver_.succeed("queryRadioParameters");
        }
        auto sheet = makeSheet(true);
        const uint32_t startTicks = platform::Clock::tickCount();
        const auto startReal = std::chrono::steady_clock::now();
        ASSERT_TRUE(kit_.open(*sheet));
        // The board gets its 7 s on the clock, which the test runs fast.
        EXPECT_GE(platform::ticksSince(startTicks), CUhfTypePage::kRedetectionMs);
        EXPECT_LT(std::chrono::steady_clock::now() - startReal, std::chrono::seconds(3));
        Calls expected{"queryRadioType 3", "radioOn", "clearRadioTypeD"};
        expected.insert(expected.end(), row.tail.begin(), row.tail.end());
        EXPECT_EQ(receiver_.calls(), expected);
        EXPECT_EQ(selectedType(*sheet), row.selected);
        EXPECT_TRUE(sheet->PressButton(PSBTN_CANCEL));
    }
}

TEST_F(UhfSheetTest, LeavingTheTypePageSendsPortModeTypeAndBaudOnTheModelsPort) {
    struct Row {
        bool externalGps;
        int32_t type;
        Calls calls;
    };
    const Row rows[] = {
        // The handheld's own board: port B for every model.
        {false, kPdl, {"setRadioType 1 0", "setPortBaud 1 7 0"}},
        {false, kXdl, {"setRadioType 1 2", "setPortBaud 1 7 0"}},
        {false, kVSpan, {"setRadioType 1 4", "setPortBaud 1 7 0"}},
        {false, kLicenseFreeEurope, {"setRadioType 1 5", "setPortBaud 1 5 0"}},
        {false, kSatelEasy, {"setRadioType 1 8", "setPortBaud 1 7 0"}},
        {false, kNone, {"setRadioType 1 8"}},
        // An external unit: inside (D) or on its serial socket (A, line mode first).
        {true, kPdl, {"setRadioType 3 0", "setPortBaud 3 7 0"}},
        {true, kAdl, {"setRadioType 3 1", "setPortBaud 3 7 0"}},
        {true, kXdl, {"setPortMode 0 0", "setRadioType 0 2", "setPortBaud 0 7 0"}},
        {true, kKavendra, {"setPortMode 0 1", "setRadioType 0 3", "setPortBaud 0 7 0"}},
        {true, kVSpan, {"setRadioType 3 4", "setPortBaud 3 7 0"}},
        {true, kLicenseFreeAmerica, {"setPortMode 0 0", "setRadioType 0 6", "setPortBaud 0 5 0"}},
        {true, kSatelEasy, {"setPortMode 0 0", "setRadioType 0 8", "setPortBaud 0 7 0"}},
        {true, kNone, {"setRadioType 3 8"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << "external " << row.externalGps << ", type " << row.type);
        // A radio the settings page cannot read, so that only the type page speaks.
        receiver_.radioTypes.clear();
        receiver_.radios.clear();
        receiver_.fail("queryRadioParameters");
        auto sheet = makeSheet(row.externalGps);
        ASSERT_TRUE(kit_.open(*sheet));
        ASSERT_TRUE(chooseType(*sheet, row.type));
        receiver_.clearCalls();
        EXPECT_FALSE(kit_.switchPage(*sheet, 1));
        const Calls calls = receiver_.calls();
        EXPECT_EQ(Calls(calls.begin(), calls.begin() + std::min(calls.size(), row.calls.size())),
                  row.calls);
        EXPECT_TRUE(sheet->PressButton(PSBTN_CANCEL));
        receiver_.succeed("queryRadioParameters");
    }
}

TEST_F(UhfSheetTest, SatelEasyIsSetUpAsNoneAndHasNoSettings) {
    receiver_.radioTypes[kPortB] = kPdl;
    auto sheet = makeSheet(false);
    ASSERT_TRUE(kit_.open(*sheet));
    ASSERT_TRUE(chooseType(*sheet, kSatelEasy));
    receiver_.clearCalls();
    EXPECT_FALSE(kit_.switchPage(*sheet, 1));
    EXPECT_EQ(sheet->GetActiveIndex(), 0);
    // Refused before any read, and without a message.
    EXPECT_EQ(receiver_.calls(), (Calls{"setRadioType 1 8", "setPortBaud 1 7 0"}));
    EXPECT_TRUE(kit_.messageBoxes().empty());
    receiver_.clearCalls();
    EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
    // Not switched off as None would be; the sheet holds it as no radio type from now on.
    EXPECT_EQ(receiver_.calls(), (Calls{"setRadioType 1 8"}));
    EXPECT_EQ(sheet->settings().radioType, kNone);
}

TEST_F(UhfSheetTest, NoneSwitchesTheRadioOffButNoChoiceSendsNothing) {
    {
        auto sheet = makeSheet(false);
        ASSERT_TRUE(kit_.open(*sheet));
        ASSERT_TRUE(chooseType(*sheet, kNone));
        receiver_.clearCalls();
        EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
        EXPECT_EQ(receiver_.calls(), (Calls{"setRadioType 1 8", "radioOff"}));
    }
    // A Kavendra on the handheld's own port is not in the list: nothing is chosen, and neither
    // leaving, a changed baud rate nor OK sends anything or switches the radio off.
    fitRadio(kPortB, kKavendra, kOther, kOther);
    auto sheet = makeSheet(false);
    ASSERT_TRUE(kit_.open(*sheet));
    EXPECT_EQ(selectedType(*sheet), -1);
    ASSERT_TRUE(kit_.selectComboItem(*sheet, IDC_UHF_BAUD, 9));
    receiver_.clearCalls();
    ASSERT_TRUE(kit_.switchPage(*sheet, 1));
    EXPECT_EQ(receiver_.calls(), (Calls{"queryRadioParameters 1", "queryRadioTable 1"}));
    ASSERT_TRUE(kit_.switchPage(*sheet, 0));
    receiver_.clearCalls();
    EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
    for (const std::string& call : receiver_.calls()) {
        EXPECT_EQ(call.find("setRadioType"), std::string::npos) << call;
        EXPECT_EQ(call.find("setPort"), std::string::npos) << call;
        EXPECT_NE(call, "radioOff");
    }
}

TEST_F(UhfSheetTest, TypeChangePreselectsTheBaudRateUnlessNone) {
    receiver_.portBaud[kPortD] = 4;
    auto sheet = makeSheet(true);
    ASSERT_TRUE(kit_.open(*sheet));
    CComboBox* baud = combo(*sheet, IDC_UHF_BAUD);
    EXPECT_FALSE(sheet->typePage().baudChanged());
    ASSERT_TRUE(chooseType(*sheet, kNone));
    EXPECT_EQ(baud->GetCurSel(), 4) << "read from the receiver, untouched";
    EXPECT_FALSE(sheet->typePage().baudChanged());
    const std::pair<int32_t, int> rows[] = {
        {kLicenseFreeEurope, 5}, {kKavendra, 7}, {kLicenseFreeAmerica, 5}, {kPdl, 7}};
    for (const auto& [type, index] : rows) {
        ASSERT_TRUE(chooseType(*sheet, type));
        EXPECT_EQ(baud->GetCurSel(), index) << type;
        EXPECT_TRUE(sheet->typePage().baudChanged());
    }
    EXPECT_TRUE(sheet->PressButton(PSBTN_CANCEL));
}

// ---- The settings page -----------------------------------------------------------------------

TEST_F(UhfSheetTest, PdlTransparentWith4FskListsItTwiceAndSelectsTheFirst) {
    fitRadio(kPortB, kPdl, kModulation4Fsk, kSpacing12_5kHz);
    receiver_.radios[kPortB].level = 0;
    receiver_.radios[kPortB].airBaud = 3;
    auto sheet = makeSheet(false);
    ASSERT_TRUE(kit_.open(*sheet));
    ASSERT_TRUE(kit_.switchPage(*sheet, 1));
    CComboBox* protocols = combo(*sheet, IDC_UHF_PROTOCOL, true);
    EXPECT_EQ(comboEntries(protocols), (Texts{u"Transparent", u"Transparent"}));
    EXPECT_EQ(protocols->GetCurSel(), 0);
    EXPECT_EQ(comboEntries(combo(*sheet, IDC_UHF_AIR_SPEED, true)), (Texts{u"9600"}));
    EXPECT_EQ(sheet->settingsPage().modulation(), kModulation4Fsk);
    EXPECT_EQ(sheet->settingsPage().spacing(), kSpacing12_5kHz);
    EXPECT_TRUE(sheet->PressButton(PSBTN_CANCEL));
}

TEST_F(UhfSheetTest, ChannelListsNumberAsTheModelDoesAndSendTheNumberShown) {
    struct Row {
        int32_t type;
        uint32_t table;
        uint32_t readChannel;
        WideString first, last;
        int selectedAtOpening;
        int chosen;
        int32_t sent;
    };
    const Row rows[] = {
        {kAdl, 0, 3, u"1", u"32", 2, 4, 5},
        {kXdl, 20, 20, u"1", u"20", 19, 0, 1},
        {kPdl, 0, 3, u"0", u"15", 3, 4, 4},
        {kPdl, 40, 39, u"0", u"39", 39, 39, 39},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "type " << row.type << ", table " << row.table);
        fitRadio(kPortB, row.type, kModulationGmsk, kSpacing25kHz);
        receiver_.radios[kPortB].channel = row.readChannel;
        receiver_.radioTables[kPortB] = row.table;
        auto sheet = makeSheet(false);
        ASSERT_TRUE(kit_.open(*sheet));
        ASSERT_TRUE(kit_.switchPage(*sheet, 1));
        const Texts channels = comboEntries(combo(*sheet, IDC_UHF_CHANNEL, true));
        ASSERT_FALSE(channels.empty());
        EXPECT_EQ(channels.front(), row.first);
        EXPECT_EQ(channels.back(), row.last);
        EXPECT_EQ(combo(*sheet, IDC_UHF_CHANNEL, true)->GetCurSel(), row.selectedAtOpening);
        ASSERT_TRUE(kit_.selectComboItem(*sheet, IDC_UHF_CHANNEL, row.chosen));
        receiver_.clearCalls();
        EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
        const Calls write = callsFrom(receiver_.calls(), "setRadioParameters");
        ASSERT_FALSE(write.empty());
        // GMSK at 25 kHz: air speed 9600 (3) read and offered; PELTALK (1); Medium (1); on.
        EXPECT_EQ(write.front(), "setRadioParameters 1 " + std::to_string(row.type) + " 3 " +
                                     std::to_string(row.sent) + " 1 1 0");
    }
}

TEST_F(UhfSheetTest, AChannelOutsideTheListIsSentBackAsRead) {
    fitRadio(kPortB, kPdl, kModulationGmsk, kSpacing25kHz);
    receiver_.radios[kPortB].channel = 40;
    auto sheet = makeSheet(false);
    ASSERT_TRUE(kit_.open(*sheet));
    ASSERT_TRUE(kit_.switchPage(*sheet, 1));
    EXPECT_EQ(combo(*sheet, IDC_UHF_CHANNEL, true)->GetCurSel(), -1);
    receiver_.clearCalls();
    EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
    EXPECT_EQ(receiver_.calls(), (Calls{"radioOn", "setRadioParameters 1 0 3 40 1 1 0"}));
}

TEST_F(UhfSheetTest, TurnOnIsTheRadiosPowerWhereTheHandheldSwitchesIt) {
    struct Row {
        const char* legend;
        bool externalGps;
        int32_t type;
        uint32_t port;
        uint32_t power;  // read, 0 on
        bool tap;        // the user taps "Turn on"
        bool shown;
        Calls calls;  // of OK
    };
    const Row rows[] = {
        {"own board, on, left alone",
         false,
         kPdl,
         kPortB,
         0,
         false,
         true,
         {"radioOn", "setRadioParameters 1 0 3 3 1 1 0"}},
        {"own board, on, switched off",
         false,
         kXdl,
         kPortB,
         0,
         true,
         true,
         {"setRadioParameters 1 2 3 3 1 1 1", "radioOff"}},
        {"own board, off, switched on",
         false,
         kVSpan,
         kPortB,
         1,
         true,
         true,
         {"radioOn", "setRadioParameters 1 4 3 3 1 1 0"}},
        {"inside an external unit",
         true,
         kAdl,
         kPortD,
         1,
         false,
         true,
         {"setRadioParameters 3 1 3 3 1 1 1", "radioOff"}},
        {"on an external unit's socket: the power control as read",
         true,
         kXdl,
         kPortA,
         0,
         false,
         false,
         {"setRadioParameters 0 2 3 3 1 1 1"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        receiver_.radioTypes.clear();
        receiver_.radios.clear();
        fitRadio(row.port, row.type, kModulationGmsk, kSpacing25kHz);
        receiver_.radios[row.port].power = row.power;
        receiver_.radios[row.port].control = 1;
        auto sheet = makeSheet(row.externalGps);
        ASSERT_TRUE(kit_.open(*sheet));
        ASSERT_TRUE(chooseType(*sheet, row.type));
        ASSERT_TRUE(kit_.switchPage(*sheet, 1));
        CUhfSettingsPage& page = sheet->settingsPage();
        EXPECT_EQ(page.GetDlgItem(IDC_UHF_TURN_ON)->IsWindowVisible(), row.shown);
        if (row.shown) {
            EXPECT_EQ(page.IsDlgButtonChecked(IDC_UHF_TURN_ON) == BST_CHECKED, row.power == 0);
        }
        if (row.tap) {
            ASSERT_TRUE(kit_.click(*sheet, IDC_UHF_TURN_ON));
        }
        receiver_.clearCalls();
        EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
        EXPECT_EQ(receiver_.calls(), row.calls);
    }
}

TEST_F(UhfSheetTest, ReadFailureRefusesThePageAndNothingIsWritten) {
    for (const bool answersUnknown : {false, true}) {
        SCOPED_TRACE(answersUnknown ? "answers UNKNOWN" : "no answer");
        receiver_.clearCalls();
        fitRadio(kPortB, kPdl, kModulationGmsk, kSpacing25kHz);
        auto sheet = makeSheet(false);
        ASSERT_TRUE(kit_.open(*sheet));
        if (answersUnknown) {
            receiver_.radios[kPortB].radioType = kUnknown;
        } else {
            receiver_.fail("queryRadioParameters");
        }
        const size_t boxes = kit_.messageBoxes().size();
        EXPECT_FALSE(kit_.switchPage(*sheet, 1));
        EXPECT_EQ(sheet->GetActiveIndex(), 0);
        ASSERT_EQ(kit_.messageBoxes().size(), boxes + 1);
        EXPECT_EQ(kit_.messageBoxes().back().text,
                  u"Unable to read radio parameters from receiver!");
        EXPECT_TRUE(sheet->settingsPage().readFailed());
        receiver_.clearCalls();
        EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
        EXPECT_TRUE(callsFrom(receiver_.calls(), "setRadioParameters").empty());
        receiver_.succeed("queryRadioParameters");
    }
}

TEST_F(UhfSheetTest, AFailedReadForAnotherTypeLeavesTheEarlierListsUsable) {
    fitRadio(kPortB, kPdl, kModulationGmsk, kSpacing25kHz);
    auto sheet = makeSheet(false);
    ASSERT_TRUE(kit_.open(*sheet));
    ASSERT_TRUE(kit_.switchPage(*sheet, 1));
    ASSERT_TRUE(kit_.switchPage(*sheet, 0));
    ASSERT_TRUE(chooseType(*sheet, kAdl));
    receiver_.fail("queryRadioParameters");
    EXPECT_FALSE(kit_.switchPage(*sheet, 1));
    receiver_.succeed("queryRadioParameters");
    // Back to the type the lists were read for: no second read, and OK writes them.
    ASSERT_TRUE(chooseType(*sheet, kPdl));
    receiver_.clearCalls();
    ASSERT_TRUE(kit_.switchPage(*sheet, 1));
    EXPECT_EQ(receiver_.calls(), (Calls{"setRadioType 1 0", "setPortBaud 1 7 0"}));
    receiver_.clearCalls();
    EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
    EXPECT_EQ(receiver_.calls(), (Calls{"radioOn", "setRadioParameters 1 0 3 3 1 1 0"}));
}

TEST_F(UhfSheetTest, SaveFailureIsToldAndTheSheetStillCloses) {
    fitRadio(kPortB, kXdl, kModulation4Fsk, kSpacing25kHz);
    receiver_.fail("setRadioParameters");
    auto sheet = makeSheet(false);
    ASSERT_TRUE(kit_.open(*sheet));
    ASSERT_TRUE(kit_.switchPage(*sheet, 1));
    EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
    ASSERT_EQ(kit_.messageBoxes().size(), 1u);
    EXPECT_EQ(kit_.messageBoxes().back().text, u"Unable to save radio parameters to receiver!");
}

TEST_F(UhfSheetTest, SliderLabelFollowsTheThumbAndVSpanDsnpTakes4800) {
    fitRadio(kPortB, kVSpan, kModulationGmsk, kSpacing25kHz);
    receiver_.radios[kPortB].sensitivity = 3;
    receiver_.radios[kPortB].airBaud = 3;
    receiver_.radios[kPortB].level = 0;
    auto sheet = makeSheet(false);
    ASSERT_TRUE(kit_.open(*sheet));
    ASSERT_TRUE(kit_.switchPage(*sheet, 1));
    CUhfSettingsPage& page = sheet->settingsPage();
    EXPECT_EQ(page.GetDlgItemText(IDC_UHF_SENSITIVITY_TEXT), u"Off");
    ASSERT_TRUE(kit_.dragSlider(*sheet, IDC_UHF_SENSITIVITY, 2));
    EXPECT_EQ(page.GetDlgItemText(IDC_UHF_SENSITIVITY_TEXT), u"High");

    CComboBox* speeds = combo(*sheet, IDC_UHF_AIR_SPEED, true);
    EXPECT_EQ(comboEntries(speeds), (Texts{u"4800", u"7600", u"9600"}));
    EXPECT_EQ(speeds->GetCurSel(), 2);
    EXPECT_EQ(comboEntries(combo(*sheet, IDC_UHF_PROTOCOL, true)),
              (Texts{u"Transparent", u"DSNP"}));
    ASSERT_TRUE(kit_.selectComboItem(*sheet, IDC_UHF_PROTOCOL, 1));
    EXPECT_EQ(speeds->GetCurSel(), 0);
    receiver_.clearCalls();
    EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
    EXPECT_EQ(receiver_.calls(), (Calls{"radioOn", "setRadioParameters 1 4 0 3 2 2 0"}));
}

TEST_F(UhfSheetTest, ModelsWithoutLinkSettingsHideTheAirSpeed) {
    fitRadio(kPortB, kLicenseFreeEurope, kOther, kOther);
    receiver_.radios[kPortB].channel = 2;
    auto sheet = makeSheet(false);
    ASSERT_TRUE(kit_.open(*sheet));
    ASSERT_TRUE(kit_.switchPage(*sheet, 1));
    CUhfSettingsPage& page = sheet->settingsPage();
    EXPECT_FALSE(page.GetDlgItem(IDC_UHF_AIR_SPEED)->IsWindowVisible());
    EXPECT_FALSE(page.GetDlgItem(IDC_UHF_AIR_SPEED_LABEL)->IsWindowVisible());
    EXPECT_EQ(comboEntries(combo(*sheet, IDC_UHF_CHANNEL, true)), (Texts{u"0", u"1", u"2"}));
    receiver_.clearCalls();
    EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
    EXPECT_EQ(callsFrom(receiver_.calls(), "setRadioParameters"),
              (Calls{"setRadioParameters 1 5 4294967295 2 4294967295 -1 0"}));
}

}  // namespace
}  // namespace zentrix::ui
