// The direct IP page in the network sheet: which stored profile it preselects, what closing the
// name list, typing and "Del" do, which profile OK replaces or adds (by the whole name, never a
// prefix), and that Cancel leaves "dip_data.txt" as it was.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "framework/controls.h"
#include "framework/test_kit.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_receiver.h"
#include "tests/support/files.h"
#include "tests/support/test_support.h"
#include "ui/diff/profiles/profile_list.h"
#include "ui/network/network_config_sheet.h"

namespace zentrix::ui {
namespace {

using framework::CComboBox;
using framework::PSBTN_CANCEL;
using framework::PSBTN_OK;
using framework::ScopedTestKit;
using test::contentsOf;
using Profile = std::tuple<std::string, std::string, int32_t>;  // name, host, port
using Profiles = std::vector<Profile>;

class DirectIpPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        seed({{"Home office", "caster.example.net", 2101},
              {"Base", "10.0.0.5", 9000},
              {"Field", "field.example.org", 5000}});
    }

    void seed(const Profiles& profiles) {
        diff::DirectIpProfileList list;
        for (const auto& [name, host, port] : profiles) {
            diff::DirectIpProfile record;
            record.name = name;
            record.host = host;
            record.port = port;
            list.insert(false, record);
        }
        ASSERT_TRUE(list.save());
    }

    Profiles stored() const {
        diff::DirectIpProfileList list;
        list.load();
        Profiles profiles;
        for (const auto& record : list.records())
            profiles.emplace_back(record.name.str(), record.host.str(), record.port);
        return profiles;
    }

    std::filesystem::path file() const { return root_.path() / "dip_data.txt"; }

    /// Opens a direct IP sheet on the page, the sheet preset to `host`:`port`.
    void open(const WideString& host, int32_t port) {
        sheet_ = std::make_unique<CNetworkConfigSheet>(&receiver_, 0, false, u"Network Settings");
        sheet_->settings().ipAddress = host;
        sheet_->settings().ipPort = port;
        ASSERT_TRUE(kit_.open(*sheet_));
        ASSERT_TRUE(kit_.switchPage(*sheet_, 1));
    }

    CDirectIpSettingsPage& page() { return sheet_->directIpPage(); }
    CComboBox* name() { return dynamic_cast<CComboBox*>(page().GetDlgItem(IDC_DIP_NAME)); }
    WideString text(unsigned id) { return page().GetDlgItemText(id); }
    bool delEnabled() { return page().GetDlgItem(IDC_DIP_DELETE)->IsWindowEnabled(); }
    void choose(int index) {
        ASSERT_TRUE(kit_.selectComboItem(*sheet_, IDC_DIP_NAME, index));
        ASSERT_TRUE(kit_.dropDownAndClose(*sheet_, IDC_DIP_NAME));
    }

    test::ScratchDeviceRoot root_;
    ScopedTestKit kit_;
    test::FakeReceiver receiver_;
    std::unique_ptr<CNetworkConfigSheet> sheet_;
};

TEST_F(DirectIpPageTest, OpeningSelectsTheProfileOfTheSheetsHostAndPort) {
    struct Row {
        const char* legend;
        const char16_t* host;
        int32_t port;
        int selected;
        const char16_t* nameText;
    };
    const Row rows[] = {
        {"same server, whatever its name", u"10.0.0.5", 9000, 1, u"Base"},
        {"the first profile", u"caster.example.net", 2101, 0, u"Home office"},
        {"same host, other port", u"10.0.0.5", 9001, -1, u""},
        {"host in another case", u"CASTER.example.net", 2101, -1, u""},
        {"nothing set", u"", 0, -1, u""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        open(row.host, row.port);
        EXPECT_EQ(name()->GetCount(), 3);
        EXPECT_EQ(name()->GetLBText(0), u"Home office");
        EXPECT_EQ(name()->GetCurSel(), row.selected);
        EXPECT_EQ(name()->GetWindowText(), row.nameText);
        EXPECT_EQ(delEnabled(), row.selected >= 0);
        EXPECT_EQ(text(IDC_DIP_HOST), row.host);
        EXPECT_EQ(text(IDC_DIP_PORT), platform::fromUtf8(std::to_string(row.port)));
        EXPECT_TRUE(sheet_->PressButton(PSBTN_CANCEL));
    }
}

TEST_F(DirectIpPageTest, ClosingTheListShowsTheProfileAndTypingDisablesDel) {
    open(u"", 0);
    EXPECT_FALSE(delEnabled());
    choose(2);
    EXPECT_EQ(text(IDC_DIP_HOST), u"field.example.org");
    EXPECT_EQ(text(IDC_DIP_PORT), u"5000");
    EXPECT_TRUE(delEnabled());
    ASSERT_TRUE(kit_.type(*sheet_, IDC_DIP_NAME, u"Field 2"));
    EXPECT_FALSE(delEnabled());
    // Host and port stay what the user may be building the new profile from.
    EXPECT_EQ(text(IDC_DIP_HOST), u"field.example.org");
    EXPECT_TRUE(sheet_->PressButton(PSBTN_CANCEL));
}

TEST_F(DirectIpPageTest, FieldsRefuseWhatTheFileOrCommandCannotCarry) {
    open(u"", 0);
    struct Row {
        unsigned id;
        const char16_t* typed;
        const char16_t* shown;
    };
    const Row rows[] = {
        {IDC_DIP_NAME, u"My;Base\r", u"MyBase"},
        // A name may hold what only the command refuses.
        {IDC_DIP_NAME, u"Base, north*", u"Base, north*"},
        {IDC_DIP_NAME, u"A name of more than thirty-two characters",
         u"A name of more than thirty-two c"},
        {IDC_DIP_HOST, u"10.0.0.5,9000;*", u"10.0.0.59000"},
        {IDC_DIP_HOST, u"a-host-name-of-more-than-32-characters.example",
         u"a-host-name-of-more-than-32-char"},
        {IDC_DIP_PORT, u"2x10-1", u"2101"},
        {IDC_DIP_PORT, u"123456", u"12345"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(platform::toUtf8(row.typed));
        ASSERT_TRUE(kit_.type(*sheet_, row.id, row.typed));
        EXPECT_EQ(text(row.id), row.shown);
    }
    EXPECT_TRUE(sheet_->PressButton(PSBTN_CANCEL));
}

TEST_F(DirectIpPageTest, OkReplacesTheProfileOfTheWholeNameOrAddsOneInFront) {
    struct Row {
        const char* legend;
        const char16_t *name, *host, *port;
        const char16_t* expectedHost;
        int32_t expectedPort;
        Profiles expected;
    };
    const Profile home{"Home office", "caster.example.net", 2101};
    const Profile base{"Base", "10.0.0.5", 9000};
    const Profile field{"Field", "field.example.org", 5000};
    const Row rows[] = {
        {"a prefix of a stored name is a new name",
         u"Home",
         u"home.example.net",
         u"2101",
         u"home.example.net",
         2101,
         {{"Home", "home.example.net", 2101}, home, base, field}},
        {"the whole name in another case replaces",
         u"home OFFICE",
         u"new.example.net",
         u"2102",
         u"new.example.net",
         2102,
         {{"home OFFICE", "new.example.net", 2102}, base, field}},
        {"the last entry replaced in place",
         u"field",
         u"f.example.org",
         u"5001",
         u"f.example.org",
         5001,
         {home, base, {"field", "f.example.org", 5001}}},
        {"port past the range: 0, in the sheet and the profile",
         u"Far",
         u"far.example.net",
         u"65536",
         u"far.example.net",
         0,
         {{"Far", "far.example.net", 0}, home, base, field}},
        {"no name: settings only",
         u"",
         u"203.0.113.1",
         u"80",
         u"203.0.113.1",
         80,
         {home, base, field}},
        {"no host: settings only", u"Empty", u"", u"80", u"", 80, {home, base, field}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        SetUp();
        open(u"", 0);
        ASSERT_TRUE(kit_.type(*sheet_, IDC_DIP_NAME, row.name));
        ASSERT_TRUE(kit_.type(*sheet_, IDC_DIP_HOST, row.host));
        ASSERT_TRUE(kit_.type(*sheet_, IDC_DIP_PORT, row.port));
        EXPECT_TRUE(sheet_->PressButton(PSBTN_OK));
        EXPECT_EQ(sheet_->settings().ipAddress, row.expectedHost);
        EXPECT_EQ(sheet_->settings().ipPort, row.expectedPort);
        EXPECT_EQ(stored(), row.expected);
    }
}

TEST_F(DirectIpPageTest, OkAfterApplyAddsTheNewProfileOnce) {
    open(u"", 0);
    ASSERT_TRUE(kit_.type(*sheet_, IDC_DIP_NAME, u"Rover base"));
    ASSERT_TRUE(kit_.type(*sheet_, IDC_DIP_HOST, u"198.51.100.4"));
    ASSERT_TRUE(kit_.type(*sheet_, IDC_DIP_PORT, u"7000"));
    EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_APPLYNOW));
    EXPECT_TRUE(sheet_->PressButton(PSBTN_OK));
    EXPECT_EQ(stored().size(), 4u);
    EXPECT_EQ(stored().front(), Profile("Rover base", "198.51.100.4", 7000));
}

TEST_F(DirectIpPageTest, DelRemovesOnlyTheEntryItsNameShows) {
    open(u"10.0.0.5", 9000);
    ASSERT_EQ(name()->GetCurSel(), 1);

    // A name typed over the selection: "Del" is off, and the delete itself refuses too.
    ASSERT_TRUE(kit_.type(*sheet_, IDC_DIP_NAME, u"Base 2"));
    EXPECT_FALSE(kit_.click(*sheet_, IDC_DIP_DELETE));
    page().OnDelete();
    // The same name in another case is still not the entry's text.
    name()->SetWindowText(u"base");
    page().OnDelete();
    EXPECT_EQ(name()->GetCount(), 3);
    EXPECT_EQ(page().profiles().count(), 3u);

    // The middle entry: the one after it moves into its place.
    choose(0);
    choose(1);
    ASSERT_TRUE(kit_.click(*sheet_, IDC_DIP_DELETE));
    EXPECT_EQ(name()->GetCount(), 2);
    EXPECT_EQ(name()->GetCurSel(), 1);
    EXPECT_EQ(name()->GetWindowText(), u"Field");
    EXPECT_EQ(text(IDC_DIP_HOST), u"field.example.org");
    EXPECT_EQ(text(IDC_DIP_PORT), u"5000");
    // The last entry: the new last one is shown.
    ASSERT_TRUE(kit_.click(*sheet_, IDC_DIP_DELETE));
    EXPECT_EQ(name()->GetCurSel(), 0);
    EXPECT_EQ(name()->GetWindowText(), u"Home office");
    EXPECT_EQ(text(IDC_DIP_HOST), u"caster.example.net");
    EXPECT_TRUE(delEnabled());
    // The only entry: everything emptied.
    ASSERT_TRUE(kit_.click(*sheet_, IDC_DIP_DELETE));
    EXPECT_EQ(name()->GetCount(), 0);
    EXPECT_EQ(name()->GetWindowText(), u"");
    EXPECT_EQ(text(IDC_DIP_HOST), u"");
    EXPECT_EQ(text(IDC_DIP_PORT), u"0");
    EXPECT_FALSE(delEnabled());
    EXPECT_EQ(page().profiles().count(), 0u);
    page().OnDelete();  // nothing selected: nothing to do

    // Deleting writes nothing; OK makes it permanent.
    EXPECT_EQ(stored().size(), 3u);
    EXPECT_TRUE(sheet_->PressButton(PSBTN_OK));
    EXPECT_EQ(stored(), Profiles{});
    EXPECT_EQ(sheet_->settings().ipAddress, u"");
    EXPECT_EQ(sheet_->settings().ipPort, 0);
}

TEST_F(DirectIpPageTest, CancelLeavesTheFileByteForByte) {
    // A file as another program left it: an old-style line end and a line this one skips.
    const std::string original =
        "Dip data. Version 1\r\nHome office;caster.example.net;2101\r\nbroken line\r\n"
        "Base;10.0.0.5;9000\r\n";
    test::writeFile(file(), original);
    open(u"10.0.0.5", 9000);
    ASSERT_EQ(name()->GetCount(), 2);
    ASSERT_TRUE(kit_.click(*sheet_, IDC_DIP_DELETE));
    ASSERT_TRUE(kit_.type(*sheet_, IDC_DIP_NAME, u"New"));
    ASSERT_TRUE(kit_.type(*sheet_, IDC_DIP_HOST, u"new.example.net"));
    EXPECT_TRUE(sheet_->PressButton(PSBTN_CANCEL));
    sheet_.reset();
    EXPECT_EQ(contentsOf(file()), original);
    EXPECT_FALSE(std::filesystem::exists(root_.path() / "dip_data.txt.damaged"));
}

}  // namespace
}  // namespace zentrix::ui
