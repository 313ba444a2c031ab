// The NTRIP page against the fake receiver: the profile it preselects, what a chosen profile
// fills in, "Del", the profile file after OK and after Cancel, what the boxes let be typed, and
// "Browse..." with every call it makes written down (and the ones it must not make).
#include "ui/network/ntrip_settings_page.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/message_box.h"
#include "framework/resources.h"
#include "framework/test_kit.h"
#include "platform/text.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_receiver.h"
#include "tests/support/files.h"
#include "tests/support/test_support.h"
#include "ui/network/ntrip_station_dialog.h"

namespace zentrix::ui {
namespace {

using framework::CComboBox;
using framework::CPropertySheet;
using framework::CWnd;
using framework::ScopedTestKit;
using test::contentsOf;
using Calls = std::vector<std::string>;
using Texts = std::vector<WideString>;

diff::NtripProfile profile(std::string_view name, std::string_view host, int32_t port = 2101,
                           std::string_view login = "user", std::string_view password = "pw",
                           std::string_view mountPoint = "MP") {
    diff::NtripProfile record;
    record.name = name;
    record.host = host;
    record.port = port;
    record.login = login;
    record.password = password;
    record.mountPoint = mountPoint;
    return record;
}

receiver::StationRecord station(const char* mountPoint, int32_t nmea) {
    receiver::StationRecord record;
    std::strncpy(record.mountPoint, mountPoint, sizeof record.mountPoint - 1);
    std::strncpy(record.identifier, "Somewhere", sizeof record.identifier - 1);
    record.nmea = nmea;
    record.latitude = 47.0;
    record.longitude = 8.0;
    return record;
}

class NtripPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        framework::clearMessageBoxLog();
        settings_.networkProtocol = 1;
        settings_.ntripAddress = u"caster.example.net";
        settings_.ntripPort = 2101;
        settings_.ntripUser = u"rover";
        settings_.ntripPassword = u"secret";
        settings_.ntripMountPoint = u"MOUNT1";
    }

    void storeProfiles(const std::vector<diff::NtripProfile>& records) {
        diff::NtripProfileList list;
        for (const auto& record : records) list.insert(false, record);
        ASSERT_TRUE(list.save());
    }
    std::vector<diff::NtripProfile> storedProfiles() {
        diff::NtripProfileList list;
        list.load();
        return list.records();
    }
    std::string fileBytes() const { return contentsOf(root_.path() / "ntrip_data.txt"); }

    /// The page in a sheet of its own, opened headless.
    void open() {
        page_ = std::make_unique<CNtripSettingsPage>(&receiver_, settings_);
        sheet_ = std::make_unique<CPropertySheet>(u"Network Settings");
        sheet_->AddPage(page_.get());
        receiver_.clearCalls();
        ASSERT_TRUE(kit_.open(*sheet_));
        openingCalls_ = receiver_.calls();
        receiver_.clearCalls();
    }
    void TearDown() override {
        sheet_.reset();
        page_.reset();
    }

    CComboBox& names() { return *dynamic_cast<CComboBox*>(page_->GetDlgItem(IDC_NTRIP_NAME)); }
    Texts entries() {
        Texts texts;
        for (int i = 0; i < names().GetCount(); ++i) texts.push_back(names().GetLBText(i));
        return texts;
    }
    /// The calls the page made: the station dialog's reading of the rover position is its own.
    Calls pageCalls() const {
        Calls calls;
        for (const std::string& call : receiver_.calls())
            if (call != "getPosition")
                calls.push_back(call);
        return calls;
    }
    WideString text(unsigned id) { return page_->GetDlgItemText(id); }
    /// Host, port, login, password and station as shown.
    Texts fields() {
        return {text(IDC_NTRIP_HOST), text(IDC_NTRIP_PORT), text(IDC_NTRIP_LOGIN),
                text(IDC_NTRIP_PASSWORD), text(IDC_NTRIP_STATION)};
    }
    bool delEnabled() { return page_->GetDlgItem(IDC_NTRIP_DELETE)->IsWindowEnabled(); }
    bool sendPositionChecked() {
        return page_->IsDlgButtonChecked(IDC_NTRIP_SEND_POSITION) == framework::BST_CHECKED;
    }
    /// Chooses entry `index` from the name list as a user does: picked, then the list closes.
    void choose(int index) {
        ASSERT_TRUE(kit_.selectComboItem(*page_, IDC_NTRIP_NAME, index));
        ASSERT_TRUE(kit_.dropDownAndClose(*page_, IDC_NTRIP_NAME));
    }
    void fillCaster(std::u16string_view host, std::u16string_view port) {
        ASSERT_TRUE(kit_.type(*page_, IDC_NTRIP_HOST, host));
        ASSERT_TRUE(kit_.type(*page_, IDC_NTRIP_PORT, port));
    }
    Texts messages() const {
        Texts texts;
        for (const auto& box : kit_.messageBoxes()) texts.push_back(box.text);
        return texts;
    }
    /// In the station dialog that opens next: tap the row showing `mountPoint`, then OK.
    void chooseStationNext(const std::u16string& mountPoint) {
        kit_.queueModalHandler([this, mountPoint](CWnd& window) {
            auto* dialog = dynamic_cast<CNtripStationDialog*>(&window);
            ASSERT_NE(dialog, nullptr);
            CSortListCtrl& list = dialog->list();
            int row = -1;
            for (int i = 0; i < list.GetItemCount(); ++i)
                if (list.GetItemText(i, 0) == mountPoint)
                    row = i;
            ASSERT_GE(row, 0) << "no row for the station";
            EXPECT_TRUE(kit_.clickListItem(*dialog, list.GetDlgCtrlID(), row));
            dialog->OnKeyCommand(framework::IDOK);  // the title bar's OK
        });
    }
    void cancelStationDialogNext() {
        kit_.queueModalHandler([this](CWnd& window) {
            EXPECT_NE(dynamic_cast<CNtripStationDialog*>(&window), nullptr);
            window.OnKeyCommand(framework::IDCANCEL);  // the close box
        });
    }

    test::ScratchDeviceRoot root_;
    ScopedTestKit kit_;
    test::FakeReceiver receiver_;
    NetworkSettings settings_;
    std::unique_ptr<CNtripSettingsPage> page_;
    std::unique_ptr<CPropertySheet> sheet_;
    Calls openingCalls_;
};

// ---- Opening -----------------------------------------------------------------------------------

TEST_F(NtripPageTest, OpensOnTheProfileTheSettingsCameFromWhateverItsName) {
    const std::string longMount(120, 'M');
    struct Row {
        const char* legend;
        WideString host, mountPoint;
        int32_t port;
        WideString name;
        int selected;
    };
    const Row rows[] = {
        {"the second profile", u"caster.example.net", u"MOUNT1", 2101, u"My caster", 1},
        {"another port is another server", u"caster.example.net", u"MOUNT1", 2102, u"", -1},
        {"unknown caster", u"other.example.net", u"MOUNT1", 2101, u"", -1},
        {"a mount point too long for the file matches as the file holds it", u"long.example.net",
         platform::fromUtf8(longMount), 2101, u"Long", 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        storeProfiles(
            {profile("Home office", "home.example.net"),
             profile("My caster", "caster.example.net", 2101, "rover", "secret", "MOUNT1"),
             profile("Long", "long.example.net", 2101, "rover", "secret", longMount)});
        settings_.ntripAddress = row.host;
        settings_.ntripPort = row.port;
        settings_.ntripMountPoint = row.mountPoint;
        settings_.sendPositionToNetwork = row.selected == 1;
        open();
        EXPECT_EQ(entries(), (Texts{u"Home office", u"My caster", u"Long"})) << "file order";
        EXPECT_EQ(names().GetCurSel(), row.selected);
        EXPECT_EQ(names().GetWindowText(), row.name);
        EXPECT_EQ(delEnabled(), row.selected >= 0);
        // The settings are shown as they are, not as the profile has them.
        EXPECT_EQ(fields(), (Texts{row.host, platform::fromUtf8(std::to_string(row.port)), u"rover",
                                   u"secret", row.mountPoint.substr(0, 100)}));
        EXPECT_EQ(sendPositionChecked(), row.selected == 1);
        EXPECT_TRUE(openingCalls_.empty()) << "opening asks the receiver nothing";
        TearDown();
    }
}

// ---- Choosing, editing and deleting a profile --------------------------------------------------

TEST_F(NtripPageTest, AChosenProfileFillsTheFieldsAndTypingANameDisablesDel) {
    storeProfiles({profile("Home office", "home.example.net", 2101, "me", "pw1", "HOME"),
                   profile("Work", "work.example.net", 2102, "w", "pw2", "WORK")});
    settings_.ntripAddress = u"nowhere";
    open();
    ASSERT_EQ(names().GetCurSel(), -1);
    EXPECT_FALSE(delEnabled());

    // Closing the list with nothing selected leaves the fields alone.
    ASSERT_TRUE(kit_.type(*page_, IDC_NTRIP_HOST, u"typed.example.net"));
    ASSERT_TRUE(kit_.dropDownAndClose(*page_, IDC_NTRIP_NAME));
    EXPECT_EQ(text(IDC_NTRIP_HOST), u"typed.example.net");

    choose(1);
    EXPECT_EQ(names().GetWindowText(), u"Work");
    EXPECT_EQ(fields(), (Texts{u"work.example.net", u"2102", u"w", u"pw2", u"WORK"}));
    EXPECT_TRUE(delEnabled());

    ASSERT_TRUE(kit_.type(*page_, IDC_NTRIP_NAME, u"Work 2"));
    EXPECT_FALSE(delEnabled());
    // Even if "Del" were reached, the typed name is not the entry's: nothing goes.
    page_->OnDelete();
    EXPECT_EQ(entries(), (Texts{u"Home office", u"Work"}));
    EXPECT_TRUE(receiver_.calls().empty());
}

TEST_F(NtripPageTest, DelRemovesTheShownEntryAndTheFileChangesOnlyAtOk) {
    storeProfiles({profile("A", "a.example.net", 1), profile("B", "b.example.net", 2),
                   profile("C", "c.example.net", 3)});
    const std::string before = fileBytes();
    open();

    // The middle one: the entry that took its place is shown.
    choose(1);
    ASSERT_TRUE(kit_.click(*page_, IDC_NTRIP_DELETE));
    EXPECT_EQ(entries(), (Texts{u"A", u"C"}));
    EXPECT_EQ(names().GetCurSel(), 1);
    EXPECT_EQ(names().GetWindowText(), u"C");
    EXPECT_EQ(text(IDC_NTRIP_HOST), u"c.example.net");
    // The last one: the new last is shown.
    ASSERT_TRUE(kit_.click(*page_, IDC_NTRIP_DELETE));
    EXPECT_EQ(entries(), (Texts{u"A"}));
    EXPECT_EQ(names().GetWindowText(), u"A");
    EXPECT_EQ(text(IDC_NTRIP_PORT), u"1");
    EXPECT_TRUE(delEnabled());
    // The only one: nothing is left to show.
    ASSERT_TRUE(kit_.click(*page_, IDC_NTRIP_DELETE));
    EXPECT_TRUE(entries().empty());
    EXPECT_EQ(names().GetWindowText(), u"");
    EXPECT_EQ(fields(), (Texts{u"", u"", u"", u"", u""}));
    EXPECT_FALSE(delEnabled());
    EXPECT_EQ(fileBytes(), before) << "written only at OK";

    ASSERT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
    EXPECT_TRUE(storedProfiles().empty());
    EXPECT_EQ(settings_.ntripAddress, u"");
    EXPECT_EQ(settings_.ntripPort, 0);
}

TEST_F(NtripPageTest, CancelLeavesTheFileByteForByte) {
    storeProfiles({profile("A", "a.example.net"), profile("B", "b.example.net")});
    const std::string before = fileBytes();
    const NetworkSettings preset = settings_;
    open();
    choose(0);
    ASSERT_TRUE(kit_.click(*page_, IDC_NTRIP_DELETE));
    ASSERT_TRUE(kit_.type(*page_, IDC_NTRIP_NAME, u"New"));
    ASSERT_TRUE(kit_.type(*page_, IDC_NTRIP_HOST, u"new.example.net"));
    ASSERT_TRUE(sheet_->PressButton(framework::PSBTN_CANCEL));
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(settings_.ntripAddress, preset.ntripAddress);
    EXPECT_EQ(settings_.ntripMountPoint, preset.ntripMountPoint);
}

// ---- OK ----------------------------------------------------------------------------------------

TEST_F(NtripPageTest, OkStoresTheProfileUnderItsExactName) {
    struct Row {
        const char* legend;
        std::u16string name, host;
        std::vector<std::string> storedNames;  // after OK, in file order
        std::string replacedHost;              // the host of the profile now named as typed
    };
    const Row rows[] = {
        {"a beginning of a stored name is a new profile, at the front",
         u"Home",
         u"new.net",
         {"Home", "Home office", "Work"},
         "new.net"},
        {"the whole name in another case replaces it where it stands",
         u"home OFFICE",
         u"new.net",
         {"home OFFICE", "Work"},
         "new.net"},
        {"no name: nothing stored, the file still written",
         u"",
         u"new.net",
         {"Home office", "Work"},
         ""},
        {"no host: nothing stored", u"Third", u"", {"Home office", "Work"}, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        storeProfiles({profile("Home office", "home.net"), profile("Work", "work.net")});
        open();
        ASSERT_TRUE(kit_.type(*page_, IDC_NTRIP_NAME, row.name));
        ASSERT_TRUE(kit_.type(*page_, IDC_NTRIP_HOST, row.host));
        ASSERT_TRUE(kit_.type(*page_, IDC_NTRIP_STATION, u"STA"));
        // Left behind by the previous row: the file must be written again at this OK.
        test::writeFile(root_.path() / "ntrip_data.txt",
                        contentsOf(root_.path() / "ntrip_data.txt") + "junk without a CR");
        ASSERT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
        std::vector<std::string> stored;
        std::string hostOfTyped;
        for (const auto& record : storedProfiles()) {
            stored.push_back(record.name.str());
            if (platform::fromUtf8(record.name.str()) == row.name)
                hostOfTyped = record.host.str();
        }
        EXPECT_EQ(stored, row.storedNames);
        EXPECT_EQ(hostOfTyped, row.replacedHost);
        EXPECT_EQ(fileBytes().find("junk"), std::string::npos) << "saved in every case";
        EXPECT_EQ(settings_.ntripAddress, row.host);
        EXPECT_EQ(settings_.ntripMountPoint, u"STA");
        TearDown();
    }
}

TEST_F(NtripPageTest, BoxesTakeOnlyWhatTheFileAndTheCommandsCarry) {
    struct Row {
        const char* legend;
        unsigned id;
        std::u16string typed, shown;
    };
    const std::u16string longStation(120, u'S');
    const std::u16string longName(40, u'N');
    const Row rows[] = {
        {"station cut at 100", IDC_NTRIP_STATION, longStation, longStation.substr(0, 100)},
        {"name cut at 32", IDC_NTRIP_NAME, longName, longName.substr(0, 32)},
        {"port: five digits at most", IDC_NTRIP_PORT, u"700001", u"70000"},
        {"port: digits only", IDC_NTRIP_PORT, u"21a01", u"2101"},
        {"host refuses the command's separators", IDC_NTRIP_HOST, u"a;b,c*d", u"abcd"},
        {"login too", IDC_NTRIP_LOGIN, u"u,s;e*r", u"user"},
        {"password too", IDC_NTRIP_PASSWORD, u"p,w", u"pw"},
        {"station too", IDC_NTRIP_STATION, u"M*P,1", u"MP1"},
        {"a name may hold a comma but no semicolon", IDC_NTRIP_NAME, u"Zug, Bahnhof;",
         u"Zug, Bahnhof"},
    };
    open();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        ASSERT_TRUE(kit_.type(*page_, row.id, row.typed));
        EXPECT_EQ(text(row.id), row.shown);
    }
    EXPECT_TRUE(page_->GetDlgItem(IDC_NTRIP_PASSWORD)->GetStyle() & framework::ES_PASSWORD);

    // Ports past the range are no port at all.
    for (const auto& [typed, port] : std::vector<std::pair<std::u16string, int32_t>>{
             {u"70000", 0}, {u"99999", 0}, {u"65535", 65535}, {u"", 0}}) {
        TearDown();
        open();
        ASSERT_TRUE(kit_.type(*page_, IDC_NTRIP_PORT, typed));
        ASSERT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
        EXPECT_EQ(settings_.ntripPort, port) << platform::toUtf8(typed);
    }
}

// ---- Browse... ---------------------------------------------------------------------------------

TEST_F(NtripPageTest, BrowseWithoutACasterDoesNothingAtAll) {
    for (const auto& [host, port] :
         std::vector<std::pair<std::u16string, std::u16string>>{{u"", u"2101"},
                                                                {u"caster.net", u"0"},
                                                                {u"caster.net", u""},
                                                                {u"caster.net", u"99999"}}) {
        open();
        fillCaster(host, port);
        ASSERT_TRUE(kit_.click(*page_, IDC_NTRIP_BROWSE));
        EXPECT_EQ(receiver_.calls(), Calls{})
            << "host '" << platform::toUtf8(host) << "' port '" << platform::toUtf8(port) << "'";
        EXPECT_EQ(kit_.waitCursorShowCount(), 0);
        EXPECT_TRUE(messages().empty());
        TearDown();
    }
}

TEST_F(NtripPageTest, BrowseSwitchesTheCasterForTheTableAndPutsItBack) {
    receiver_.sourceTable = {station("AAA0", 0)};
    struct Row {
        const char* legend;
        bool externalGps;
        std::u16string apn;
        bool gprsSent;
    };
    const Row rows[] = {
        {"external unit with an access point", true, u"internet", true},
        {"external unit without one", true, u"", false},
        {"built-in modem", false, u"internet", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        settings_.externalGps = row.externalGps;
        settings_.gprsPin = u"1234";
        settings_.gprsApn = row.apn;
        settings_.gprsLogin = u"gl";
        settings_.gprsPassword = u"gp";
        receiver_.casterAddress = u"board.caster";
        receiver_.casterPort = 2101;
        open();
        fillCaster(u"euref-ip.net", u"2101");
        ASSERT_TRUE(kit_.type(*page_, IDC_NTRIP_LOGIN, u"me"));
        ASSERT_TRUE(kit_.type(*page_, IDC_NTRIP_PASSWORD, u"pw"));
        cancelStationDialogNext();
        const int waitsBefore = kit_.waitCursorShowCount();
        ASSERT_TRUE(kit_.click(*page_, IDC_NTRIP_BROWSE));
        Calls expected = {"setModemIp 0", "startModem"};
        if (row.gprsSent)
            expected.push_back("setModemGprsParameters 1234 internet gl gp");
        expected.insert(expected.end(),
                        {"queryNtripParameters", "setNtripParameters euref-ip.net 2101 me pw 0",
                         "loadSourceTable", "setNtripParameters board.caster 2101 rover secret 0"});
        EXPECT_EQ(pageCalls(), expected);
        EXPECT_GT(kit_.waitCursorShowCount(), waitsBefore);
        EXPECT_EQ(kit_.unansweredModals(), 0);
        EXPECT_EQ(receiver_.casterAddress, u"board.caster");
        TearDown();
    }
}

TEST_F(NtripPageTest, BrowseRestoresOnlyWhatItCouldRead) {
    // The caster settings could not be read: nothing empty is written back over them.
    receiver_.sourceTable = {station("AAA0", 0)};
    receiver_.fail("queryNtripParameters");
    open();
    fillCaster(u"euref-ip.net", u"2101");
    cancelStationDialogNext();
    ASSERT_TRUE(kit_.click(*page_, IDC_NTRIP_BROWSE));
    EXPECT_EQ(pageCalls(),
              (Calls{"setModemIp 0", "startModem", "queryNtripParameters",
                     "setNtripParameters euref-ip.net 2101 rover secret 0", "loadSourceTable"}));
    TearDown();

    // The table could not be loaded: the message, no station dialog, and the caster put back.
    receiver_.succeed("queryNtripParameters");
    receiver_.fail("loadSourceTable");
    receiver_.casterAddress = u"board.caster";
    open();
    fillCaster(u"euref-ip.net", u"2101");
    const WideString stationBefore = text(IDC_NTRIP_STATION);
    ASSERT_TRUE(kit_.click(*page_, IDC_NTRIP_BROWSE));
    EXPECT_EQ(messages(), Texts{framework::loadString(IDS_SOURCE_TABLE_NOT_LOADED)});
    EXPECT_EQ(kit_.unansweredModals(), 0) << "no station dialog";
    ASSERT_FALSE(pageCalls().empty());
    EXPECT_EQ(pageCalls().back(), "setNtripParameters board.caster 2101 rover secret 0");
    EXPECT_EQ(text(IDC_NTRIP_STATION), stationBefore);
}

TEST_F(NtripPageTest, BrowseCancelledLeavesTheStation) {
    receiver_.sourceTable = {station("AAA0", 1), station("BBB0", 0)};
    settings_.sendPositionToNetwork = false;
    open();
    fillCaster(u"euref-ip.net", u"2101");
    cancelStationDialogNext();
    ASSERT_TRUE(kit_.click(*page_, IDC_NTRIP_BROWSE));
    EXPECT_EQ(text(IDC_NTRIP_STATION), u"MOUNT1");
    EXPECT_FALSE(sendPositionChecked());
    EXPECT_EQ(pageCalls().back(), "setNtripParameters caster.example.net 2101 rover secret 0");
}

TEST_F(NtripPageTest, AChosenStationFillsStationAndTheNmeaFlagDecidesTheBox) {
    receiver_.sourceTable = {station("WANTS_NMEA", 1), station("NO_NMEA", 0)};
    struct Row {
        const char* legend;
        std::u16string mountPoint;
        bool checkedBefore, boxVisible, checkedAfter;
    };
    const Row rows[] = {
        {"a stream that wants the rover position checks the box", u"WANTS_NMEA", false, true, true},
        {"one that does not clears it", u"NO_NMEA", true, true, false},
        {"a hidden box is left as it was", u"WANTS_NMEA", false, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        settings_.sendPositionToNetwork = row.checkedBefore;
        open();
        page_->GetDlgItem(IDC_NTRIP_SEND_POSITION)
            ->ShowWindow(row.boxVisible ? framework::SW_SHOW : framework::SW_HIDE);
        fillCaster(u"euref-ip.net", u"2101");
        chooseStationNext(row.mountPoint);
        ASSERT_TRUE(kit_.click(*page_, IDC_NTRIP_BROWSE));
        EXPECT_EQ(text(IDC_NTRIP_STATION), row.mountPoint);
        EXPECT_EQ(sendPositionChecked(), row.checkedAfter);
        EXPECT_EQ(pageCalls().back(), "setNtripParameters caster.example.net 2101 rover secret 0");
        ASSERT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
        EXPECT_EQ(settings_.ntripMountPoint, row.mountPoint);
        EXPECT_EQ(settings_.sendPositionToNetwork, row.checkedAfter);
        TearDown();
    }
}

}  // namespace
}  // namespace zentrix::ui
