// The network settings sheet against the fake receiver: which pages it holds and how the mode
// page swaps the last one, the bridge flag and what the caller may send of it, the packet-data
// page with its access points (in a scratch device root), the port and text helpers, and the
// whole sheet run modally.
#include "ui/network/network_config_sheet.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/test_kit.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_receiver.h"
#include "tests/support/files.h"
#include "tests/support/test_support.h"

namespace zentrix::ui {
namespace {

using framework::BST_CHECKED;
using framework::CComboBox;
using framework::CPropertyPage;
using framework::PSBTN_CANCEL;
using framework::PSBTN_OK;
using framework::ScopedTestKit;
using test::contentsOf;
using test::writeFile;
using Calls = std::vector<std::string>;
using Texts = std::vector<WideString>;

Texts comboEntries(CComboBox* combo) {
    Texts entries;
    for (int i = 0; combo != nullptr && i < combo->GetCount(); ++i)
        entries.push_back(combo->GetLBText(i));
    return entries;
}

std::vector<CPropertyPage*> pagesOf(const CNetworkConfigSheet& sheet) {
    std::vector<CPropertyPage*> pages;
    for (int i = 0; i < sheet.GetPageCount(); ++i) pages.push_back(sheet.GetPage(i));
    return pages;
}

// ---- The port and text helpers -----------------------------------------------------------------

TEST(NetworkSettingsText, PortIsItsValueInRangeElseZero) {
    struct Row {
        const char16_t* text;
        int32_t port;
    };
    const Row rows[] = {
        {u"", 0},          {u"0", 0},     {u"2101", 2101}, {u"00080", 80},
        {u"65535", 65535}, {u"65536", 0}, {u"99999", 0},   {u"123456", 0},
        {u"12a", 0},       {u"-1", 0},    {u" 80", 0},     {u"4294969397", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(platform::toUtf8(row.text));
        EXPECT_EQ(portFromText(row.text), row.port);
    }
}

TEST(NetworkSettingsText, ProfileTextIsCutAnsiAndComesBackAsShown) {
    EXPECT_EQ(profileText(u"caster.example.net", 6), "caster");
    EXPECT_EQ(profileText(u"short", 32), "short");
    // One byte per character in the handheld's code page, so the cut counts characters.
    EXPECT_EQ(profileText(u"Zürich-Süd", 32),
              "Z\xFCrich-S\xFC"
              "d");
    EXPECT_EQ(profileText(u"Zürich", 2), "Z\xFC");
    EXPECT_EQ(shownText(profileText(u"Zürich-Süd", 32)), u"Zürich-Süd");
    // What the code page lacks is stored as "?", never as a multi-byte sequence that the cut
    // could split.
    EXPECT_EQ(profileText(u"Base \u0416", 32), "Base ?");
}

// ---- The sheet ---------------------------------------------------------------------------------

class NetworkSheetTest : public ::testing::Test {
  protected:
    std::unique_ptr<CNetworkConfigSheet> makeSheet(int protocol, bool externalGps) {
        auto sheet = std::make_unique<CNetworkConfigSheet>(&receiver_, protocol, externalGps,
                                                           u"Network Settings");
        NetworkSettings& s = sheet->settings();
        s.ipAddress = u"192.0.2.10";
        s.ipPort = 9000;
        s.gprsApn = u"internet";
        s.gprsLogin = u"user";
        s.gprsPassword = u"secret";
        s.gprsPin = u"1234";
        return sheet;
    }

    test::ScratchDeviceRoot root_;
    ScopedTestKit kit_;
    test::FakeReceiver receiver_;
};

TEST_F(NetworkSheetTest, PagesFollowTheProtocolAndTheExternalUnit) {
    struct Row {
        int protocol;
        bool externalGps;
        int expectedProtocol;
    };
    const Row rows[] = {{0, false, 0}, {1, false, 1}, {0, true, 0}, {1, true, 1}, {7, false, 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << "protocol " << row.protocol << ", external " << row.externalGps);
        auto sheet = makeSheet(row.protocol, row.externalGps);
        std::vector<CPropertyPage*> expected{&sheet->modePage()};
        if (row.externalGps)
            expected.push_back(&sheet->gprsPage());
        if (row.expectedProtocol == 0) {
            expected.push_back(&sheet->directIpPage());
        } else {
            expected.push_back(&sheet->ntripPage());
        }
        EXPECT_EQ(pagesOf(*sheet), expected);
        EXPECT_EQ(sheet->settings().networkProtocol, row.expectedProtocol);
        EXPECT_EQ(sheet->settings().externalGps, row.externalGps);
    }
}

TEST_F(NetworkSheetTest, WithoutExternalUnitTwoPagesAndNoPacketDataCommand) {
    auto sheet = makeSheet(0, false);
    ASSERT_TRUE(kit_.open(*sheet));
    EXPECT_EQ(sheet->GetPageCount(), 2);
    ASSERT_TRUE(kit_.switchPage(*sheet, 1));
    ASSERT_TRUE(kit_.switchPage(*sheet, 0));
    ASSERT_TRUE(kit_.click(*sheet, IDC_MODE_NTRIP));
    ASSERT_TRUE(kit_.click(*sheet, IDC_MODE_DIRECT_IP));
    EXPECT_EQ(sheet->GetPageCount(), 2);
    EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
    // The bridge read is the sheet's only word with the receiver.
    EXPECT_EQ(receiver_.calls(), Calls{"queryBridge"});
    // The access point the caller preset goes back as it came.
    EXPECT_EQ(sheet->settings().gprsApn, u"internet");
}

TEST_F(NetworkSheetTest, SwitchingTheModeTwiceDropsTheRemovedPagesEdits) {
    auto sheet = makeSheet(0, true);
    ASSERT_TRUE(kit_.open(*sheet));
    const std::vector<CPropertyPage*> first = pagesOf(*sheet);

    ASSERT_TRUE(kit_.switchPage(*sheet, 2));
    ASSERT_TRUE(kit_.type(*sheet, IDC_DIP_HOST, u"edited.example.org"));
    ASSERT_TRUE(kit_.type(*sheet, IDC_DIP_PORT, u"2102"));
    ASSERT_TRUE(kit_.switchPage(*sheet, 0));

    ASSERT_TRUE(kit_.click(*sheet, IDC_MODE_NTRIP));
    EXPECT_EQ(pagesOf(*sheet), (std::vector<CPropertyPage*>{&sheet->modePage(), &sheet->gprsPage(),
                                                            &sheet->ntripPage()}));
    EXPECT_EQ(sheet->settings().networkProtocol, 1);
    EXPECT_FALSE(sheet->directIpPage().IsWindow());
    // The chosen mode again: nothing moves.
    ASSERT_TRUE(kit_.click(*sheet, IDC_MODE_NTRIP));
    EXPECT_EQ(sheet->GetPageCount(), 3);
    EXPECT_EQ(sheet->GetActiveIndex(), 0);

    ASSERT_TRUE(kit_.click(*sheet, IDC_MODE_DIRECT_IP));
    EXPECT_EQ(pagesOf(*sheet), first);
    EXPECT_EQ(sheet->settings().networkProtocol, 0);
    // The page comes back as the sheet has it, not as it was typed before it left.
    ASSERT_TRUE(kit_.switchPage(*sheet, 2));
    EXPECT_EQ(sheet->directIpPage().GetDlgItemText(IDC_DIP_HOST), u"192.0.2.10");
    EXPECT_EQ(sheet->directIpPage().GetDlgItemText(IDC_DIP_PORT), u"9000");
    ASSERT_TRUE(kit_.switchPage(*sheet, 0));
    EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
    EXPECT_EQ(sheet->settings().ipAddress, u"192.0.2.10");
    EXPECT_EQ(sheet->settings().ipPort, 9000);
}

TEST_F(NetworkSheetTest, RadioShowsTheProtocol) {
    for (int protocol : {0, 1}) {
        SCOPED_TRACE(protocol);
        auto sheet = makeSheet(protocol, false);
        ASSERT_TRUE(kit_.open(*sheet));
        EXPECT_EQ(sheet->modePage().IsDlgButtonChecked(IDC_MODE_DIRECT_IP) == BST_CHECKED,
                  protocol == 0);
        EXPECT_EQ(sheet->modePage().IsDlgButtonChecked(IDC_MODE_NTRIP) == BST_CHECKED,
                  protocol == 1);
        EXPECT_TRUE(sheet->PressButton(PSBTN_CANCEL));
    }
}

TEST_F(NetworkSheetTest, BridgeFlagAsReadAndWhatTheCallerMaySend) {
    struct Row {
        const char* legend;
        bool queryFails;
        int32_t bridge;
        bool tapBox;
        bool checkedAtOpening;
        bool known;
        uint8_t flagAfterOk;
        bool changed;
    };
    const Row rows[] = {
        {"read on, left alone", false, 1, false, true, true, 1, false},
        {"read off, switched on", false, 0, true, false, true, 1, true},
        {"read on, switched off", false, 1, true, true, true, 0, true},
        {"read failed, left alone: nothing to send", true, 1, false, false, false, 0, false},
        {"read failed, switched on by the user", true, 1, true, false, false, 1, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        receiver_.bridge = row.bridge;
        if (row.queryFails) {
            receiver_.fail("queryBridge");
        } else {
            receiver_.succeed("queryBridge");
        }
        auto sheet = makeSheet(0, false);
        const int cursorsBefore = kit_.waitCursorShowCount();
        ASSERT_TRUE(kit_.open(*sheet));
        EXPECT_GT(kit_.waitCursorShowCount(), cursorsBefore);
        EXPECT_EQ(kit_.waitCursorDepth(), 0);
        CGprsModePage& page = sheet->modePage();
        EXPECT_EQ(page.IsDlgButtonChecked(IDC_MODE_RESEND) == BST_CHECKED, row.checkedAtOpening);
        EXPECT_EQ(page.resendKnown(), row.known);
        EXPECT_EQ(page.resendViaRadio(), row.checkedAtOpening ? 1 : 0);
        if (row.tapBox) {
            ASSERT_TRUE(kit_.click(*sheet, IDC_MODE_RESEND));
        }
        EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
        EXPECT_EQ(page.resendViaRadio(), row.flagAfterOk);
        EXPECT_EQ(page.resendChanged(), row.changed);
        EXPECT_EQ(page.resendKnown() || page.resendChanged(), !row.queryFails || row.tapBox);
    }
}

// ---- The packet-data page -----------------------------------------------------------------------

// Four stored access points: the longer one first, so that a prefix lookup would hide the short
// one; one without an APN; one equal to another but for letter case.
constexpr std::string_view kStoredGprs =
    "1111;2222;3333;4444\r\n"
    "internet.example.com;internet;;INTERNET\r\n"
    "u1;u2;u3;u4\r\n"
    "p1;p2;p3;p4";

class GprsPageTest : public NetworkSheetTest {
  protected:
    void SetUp() override { writeFile(gprsFile(), kStoredGprs); }
    std::filesystem::path gprsFile() const { return root_.path() / "gprs_data.txt"; }
    CComboBox* apnBox(CNetworkConfigSheet& sheet) {
        return dynamic_cast<CComboBox*>(sheet.gprsPage().GetDlgItem(IDC_GPRS_APN));
    }
};

TEST_F(GprsPageTest, ListsEveryStoredAccessPointOnceAndFillsFromTheChosenOne) {
    auto sheet = makeSheet(1, true);
    ASSERT_TRUE(kit_.open(*sheet));
    ASSERT_TRUE(kit_.switchPage(*sheet, 1));
    CGprsSettingsPage& page = sheet->gprsPage();
    CComboBox* apn = apnBox(*sheet);
    ASSERT_NE(apn, nullptr);
    EXPECT_EQ(comboEntries(apn), (Texts{u"internet", u"internet.example.com"}));
    // The sheet's values, not a stored profile's.
    EXPECT_EQ(apn->GetWindowText(), u"internet");
    EXPECT_EQ(page.GetDlgItemText(IDC_GPRS_PIN), u"1234");
    EXPECT_EQ(page.GetDlgItemText(IDC_GPRS_LOGIN), u"user");
    EXPECT_EQ(page.GetDlgItemText(IDC_GPRS_PASSWORD), u"secret");
    for (unsigned id : {IDC_GPRS_PIN, IDC_GPRS_PASSWORD}) {
        EXPECT_TRUE(page.GetDlgItem(id)->GetStyle() & framework::ES_PASSWORD) << id;
    }
    EXPECT_FALSE(page.GetDlgItem(IDC_GPRS_LOGIN)->GetStyle() & framework::ES_PASSWORD);

    struct Row {
        const char16_t* entry;
        const char16_t *pin, *login, *password;
    };
    // The exact APN only: "internet" is the second record, not "internet.example.com" nor
    // "INTERNET".
    const Row rows[] = {{u"internet", u"2222", u"u2", u"p2"},
                        {u"internet.example.com", u"1111", u"u1", u"p1"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(platform::toUtf8(row.entry));
        const int index = apn->FindStringExact(-1, row.entry);
        ASSERT_GE(index, 0);
        ASSERT_TRUE(kit_.selectComboItem(*sheet, IDC_GPRS_APN, index));
        ASSERT_TRUE(kit_.dropDownAndClose(*sheet, IDC_GPRS_APN));
        EXPECT_EQ(page.GetDlgItemText(IDC_GPRS_PIN), row.pin);
        EXPECT_EQ(page.GetDlgItemText(IDC_GPRS_LOGIN), row.login);
        EXPECT_EQ(page.GetDlgItemText(IDC_GPRS_PASSWORD), row.password);
    }
    // Closing the list without a selection leaves the fields alone.
    apn->SetCurSel(-1);
    ASSERT_TRUE(kit_.type(*sheet, IDC_GPRS_APN, u"other.apn"));
    ASSERT_TRUE(kit_.type(*sheet, IDC_GPRS_PIN, u"9999"));
    ASSERT_TRUE(kit_.dropDownAndClose(*sheet, IDC_GPRS_APN));
    EXPECT_EQ(page.GetDlgItemText(IDC_GPRS_PIN), u"9999");

    // Leaving the page hands the values to the sheet before any OK.
    ASSERT_TRUE(kit_.switchPage(*sheet, 0));
    EXPECT_EQ(sheet->settings().gprsApn, u"other.apn");
    EXPECT_EQ(sheet->settings().gprsPin, u"9999");
    EXPECT_EQ(sheet->settings().gprsLogin, u"u1");
    EXPECT_EQ(sheet->settings().gprsPassword, u"p1");
    EXPECT_TRUE(sheet->PressButton(PSBTN_CANCEL));
}

TEST_F(GprsPageTest, FieldsRefuseWhatTheCommandCannotCarryAndStopAtTheirWidth) {
    auto sheet = makeSheet(1, true);
    sheet->settings().gprsApn.clear();
    ASSERT_TRUE(kit_.open(*sheet));
    ASSERT_TRUE(kit_.switchPage(*sheet, 1));
    CGprsSettingsPage& page = sheet->gprsPage();
    struct Row {
        unsigned id;
        const char16_t* typed;
        const char16_t* shown;
    };
    const Row rows[] = {
        {IDC_GPRS_APN, u"web*.provider;x", u"web.providerx"},
        {IDC_GPRS_LOGIN, u"a,b;c\rd", u"abcd"},
        {IDC_GPRS_PASSWORD, u"p*w,d", u"pwd"},
        {IDC_GPRS_PIN, u"12;34*", u"1234"},
        {IDC_GPRS_LOGIN, u"0123456789012345678901234567890123456789",
         u"01234567890123456789012345678901"},
        {IDC_GPRS_APN, u"apn.that.is.far.too.long.for.the.modem",
         u"apn.that.is.far.too.long.for.the"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(platform::toUtf8(row.typed));
        ASSERT_TRUE(kit_.type(*sheet, row.id, row.typed));
        EXPECT_EQ(page.GetDlgItemText(row.id), row.shown);
    }
    EXPECT_TRUE(sheet->PressButton(PSBTN_CANCEL));
}

TEST_F(GprsPageTest, StoreIsWrittenAtDestructionWithOkAdditionsOnly) {
    // What the store writes of the seed: the same records, the last line without its line end.
    const std::string unchanged(kStoredGprs);
    writeFile(gprsFile(), unchanged + "\r\n");
    {
        auto sheet = makeSheet(1, true);
        ASSERT_TRUE(kit_.open(*sheet));
        ASSERT_TRUE(kit_.switchPage(*sheet, 1));
        ASSERT_TRUE(kit_.type(*sheet, IDC_GPRS_APN, u"cancelled.apn"));
        EXPECT_TRUE(sheet->PressButton(PSBTN_CANCEL));
        EXPECT_EQ(contentsOf(gprsFile()), unchanged + "\r\n");
    }
    // Rewritten although nothing was added.
    EXPECT_EQ(contentsOf(gprsFile()), unchanged);

    {
        auto sheet = makeSheet(1, true);
        ASSERT_TRUE(kit_.open(*sheet));
        ASSERT_TRUE(kit_.switchPage(*sheet, 1));
        ASSERT_TRUE(kit_.type(*sheet, IDC_GPRS_APN, u"new.apn"));
        ASSERT_TRUE(kit_.type(*sheet, IDC_GPRS_PIN, u"5555"));
        EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
        EXPECT_EQ(sheet->settings().gprsApn, u"new.apn");
        EXPECT_EQ(sheet->settings().gprsPin, u"5555");
        EXPECT_EQ(contentsOf(gprsFile()), unchanged);
    }
    EXPECT_EQ(contentsOf(gprsFile()),
              "1111;2222;3333;4444;5555\r\n"
              "internet.example.com;internet;;INTERNET;new.apn\r\n"
              "u1;u2;u3;u4;user\r\n"
              "p1;p2;p3;p4;secret");

    // A stored access point gets all its fields replaced.
    {
        auto sheet = makeSheet(1, true);
        sheet->settings().gprsApn = u"internet";
        sheet->settings().gprsPin = u"0000";
        ASSERT_TRUE(kit_.open(*sheet));
        ASSERT_TRUE(kit_.switchPage(*sheet, 1));
        EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
    }
    EXPECT_EQ(contentsOf(gprsFile()),
              "1111;0000;3333;4444;5555\r\n"
              "internet.example.com;internet;;INTERNET;new.apn\r\n"
              "u1;user;u3;u4;user\r\n"
              "p1;secret;p3;p4;secret");
}

TEST_F(GprsPageTest, UnvisitedPageLeavesTheSettingsAndStoreAlone) {
    {
        auto sheet = makeSheet(0, true);
        ASSERT_TRUE(kit_.open(*sheet));
        EXPECT_TRUE(sheet->PressButton(PSBTN_OK));
        EXPECT_EQ(sheet->settings().gprsApn, u"internet");
        EXPECT_EQ(sheet->settings().gprsPassword, u"secret");
    }
    EXPECT_EQ(contentsOf(gprsFile()), kStoredGprs);
}

// ---- The whole sheet, modally ------------------------------------------------------------------

TEST_F(NetworkSheetTest, ModalSheetConfirmedWithOkReturnsTheEditedSettings) {
    receiver_.bridge = 0;
    auto sheet = makeSheet(0, true);
    kit_.queueModalHandler([&](framework::CWnd& window) {
        auto& shown = dynamic_cast<CNetworkConfigSheet&>(window);
        ASSERT_TRUE(kit_.click(shown, IDC_MODE_RESEND));
        ASSERT_TRUE(kit_.switchPage(shown, 1));
        ASSERT_TRUE(kit_.type(shown, IDC_GPRS_APN, u"rtk.apn"));
        ASSERT_TRUE(kit_.switchPage(shown, 2));
        ASSERT_TRUE(kit_.type(shown, IDC_DIP_NAME, u"Base"));
        ASSERT_TRUE(kit_.type(shown, IDC_DIP_HOST, u"203.0.113.7"));
        ASSERT_TRUE(kit_.type(shown, IDC_DIP_PORT, u"5018"));
        EXPECT_TRUE(shown.PressButton(PSBTN_OK));
    });
    EXPECT_EQ(sheet->DoModal(), framework::IDOK);
    EXPECT_EQ(kit_.unansweredModals(), 0);
    const NetworkSettings& s = sheet->settings();
    EXPECT_EQ(s.networkProtocol, 0);
    EXPECT_EQ(s.gprsApn, u"rtk.apn");
    EXPECT_EQ(s.gprsLogin, u"user");
    EXPECT_EQ(s.ipAddress, u"203.0.113.7");
    EXPECT_EQ(s.ipPort, 5018);
    EXPECT_EQ(sheet->modePage().resendViaRadio(), 1);
    EXPECT_TRUE(sheet->modePage().resendChanged());
    EXPECT_EQ(receiver_.calls(), Calls{"queryBridge"});
    EXPECT_EQ(contentsOf(root_.path() / "dip_data.txt"),
              "Dip data. Version 1\r\nBase;203.0.113.7;5018\r\n");
}

}  // namespace
}  // namespace zentrix::ui
