// The link page against the fake receiver: what it reads at opening, the button's caption, each
// row's flow as a transcript of receiver calls, links that failed to come up torn down, and the
// brand written at OK. The sheets the page opens are answered through the test kit; what they
// send themselves is left out of the transcripts (their own tests cover it).
#include "ui/diff/diff_mode_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "framework/test_kit.h"
#include "platform/clock.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_receiver.h"
#include "tests/support/test_support.h"
#include "ui/diff/dialing_dialog.h"
#include "ui/diff/gsm_config_sheet.h"
#include "ui/diff/port_settings_sheet.h"
#include "ui/diff/uhf_config_sheet.h"
#include "ui/network/network_config_sheet.h"

namespace zentrix::ui {
namespace {

using framework::CWnd;
using framework::IDCANCEL;
using framework::IDOK;
using Calls = std::vector<std::string>;

constexpr int kUhf = 0, kGsm = 1, kNetwork = 2, kOther = 3;
const std::string kPositionOn = "setNmeaMessage 4 2 1 5";
const std::string kPositionOff = "setNmeaMessage 4 2 0 5";

class DiffModeTest : public ::testing::Test {
  protected:
    CRealTimeDiffPage& open() {
        sheet_ = std::make_unique<CDiffModeSheet>(&receiver_, settings_);
        EXPECT_TRUE(kit_.open(*sheet_));
        return sheet_->page();
    }
    CRealTimeDiffPage& page() { return sheet_->page(); }
    DiffLinkSettings& link() { return sheet_->settings(); }

    std::string caption() { return platform::toUtf8(page().GetDlgItemText(IDC_LINK_BUTTON)); }
    int brand() {
        return dynamic_cast<framework::CComboBox*>(kit_.control(*sheet_, IDC_LINK_BRAND))
            ->GetCurSel();
    }
    framework::CListCtrl& list() {
        return *dynamic_cast<framework::CListCtrl*>(kit_.control(*sheet_, IDC_LINK_LIST));
    }
    void clickRow(int row) { ASSERT_TRUE(kit_.clickListItem(*sheet_, IDC_LINK_LIST, row)); }
    void press() { ASSERT_TRUE(kit_.click(*sheet_, IDC_LINK_BUTTON)); }
    void pressRow(int row) {
        clickRow(row);
        press();
    }
    /// The radio sheet reads the port's baud as it opens: only the rover mode is the page's.
    long roverModes() {
        const Calls calls = transcript();
        return std::count(calls.begin(), calls.end(), "setDifferentialMode 1");
    }
    int flagsSet() {
        return int{link().dialGsm} + int{link().connectNtrip} + int{link().connectIp};
    }

    /// Every call of the page since the last `restart`, without those of the sheets it opened:
    /// what they send while open is dropped, and what they read as they open is not one of the
    /// page's operations.
    Calls transcript() {
        static const std::set<std::string> pageOperations = {"queryModemModeAndState",
                                                             "queryMountPoint",
                                                             "queryReferenceReceiver",
                                                             "setReferenceReceiver",
                                                             "setDifferentialMode",
                                                             "setNmeaMessage",
                                                             "setBridge",
                                                             "modemHangUp",
                                                             "modemDial",
                                                             "setModemCsd",
                                                             "setModemIp",
                                                             "startModem",
                                                             "queryModemDialParameters",
                                                             "setModemDialParameters",
                                                             "queryModemGprsParameters",
                                                             "setModemGprsParameters",
                                                             "queryNtripParameters",
                                                             "setNtripParameters",
                                                             "connectMountPoint",
                                                             "disconnectMountPoint",
                                                             "queryDirectIp",
                                                             "connectDirectIp",
                                                             "disconnectDirectIp",
                                                             "queryPortBaud",
                                                             "setPortBaud",
                                                             "setBluetoothPort"};
        Calls all = log_;
        all.insert(all.end(), receiver_.calls().begin(), receiver_.calls().end());
        std::erase_if(all, [](const std::string& call) {
            return pageOperations.count(call.substr(0, call.find(' '))) == 0;
        });
        return all;
    }
    void restart() {
        log_.clear();
        receiver_.clearCalls();
    }

    /// The next modal window is a `Window`: `act` plays the user in it, then it ends with
    /// `result`.
    template <class Window>
    void answer(int result, std::function<void(Window&)> act = {}) {
        kit_.queueModalHandler([this, result, act](CWnd& window) {
            log_.insert(log_.end(), receiver_.calls().begin(), receiver_.calls().end());
            receiver_.clearCalls();
            auto* shown = dynamic_cast<Window*>(&window);
            ASSERT_NE(shown, nullptr) << "another window opened";
            if (act)
                act(*shown);
            receiver_.clearCalls();
            shown->EndDialog(result);  // a dialog that ended itself keeps what it saw
        });
    }
    /// The dialing dialog watches the modem reach `state`.
    void dialingSees(uint32_t state) {
        answer<CDialingDialog>(IDCANCEL, [this, state](CDialingDialog& dialog) {
            receiver_.modemState = state;
            kit_.fireTimer(dialog, CDialingDialog::kPollTimer);
        });
    }
    /// The network sheet confirmed after `edit` changed its settings.
    void networkOk(std::function<void(NetworkSettings&)> edit) {
        answer<CNetworkConfigSheet>(IDOK, [edit](CNetworkConfigSheet& sheet) {
            if (edit)
                edit(sheet.settings());
        });
    }
    void openOnline(uint32_t ipMode, const std::u16string& mountPoint) {
        receiver_.modemState = 5;
        receiver_.modemIpMode = ipMode;
        receiver_.mountPoint = mountPoint;
        open();
    }

    test::ScratchDeviceRoot root_;         // the profile files the opened sheets keep
    platform::ScopedClockSpeed fast_{40};  // the radio sheet's pauses
    framework::ScopedTestKit kit_;
    test::FakeReceiver receiver_;
    DiffLinkSettings settings_;
    std::unique_ptr<CDiffModeSheet> sheet_;
    Calls log_;
};

// ---- Opening ---------------------------------------------------------------------------------

TEST_F(DiffModeTest, OpeningTakesTheLinkThatIsUpFromTheModem) {
    struct Case {
        const char* what;
        bool queryFails;
        uint32_t ipMode, state;
        std::u16string mountPoint;
        bool mountFails;
        int row;
        const char* caption;
        bool gsm, ntrip, ip;
        int protocol;  // the page starts with 1
        bool asksMountPoint;
    };
    const Case cases[] = {
        {"modem off", false, 0, 1, u"", false, kUhf, "Settings...", false, false, false, 1, false},
        {"modem dialling", false, 0, 4, u"", false, kUhf, "Settings...", false, false, false, 1,
         false},
        {"query fails", true, 1, 5, u"", false, kUhf, "Settings...", false, false, false, 1, false},
        {"data call", false, 0, 5, u"", false, kGsm, "Hang Up", true, false, false, 1, false},
        {"mount point OFF", false, 1, 5, u"OFF", false, kNetwork, "Disconnect", false, false, true,
         0, true},
        {"no mount point", false, 1, 5, u"", false, kNetwork, "Disconnect", false, false, true, 0,
         true},
        {"mount point query fails", false, 1, 5, u"X", true, kNetwork, "Disconnect", false, false,
         true, 0, true},
        {"NTRIP", false, 1, 5, u"RTCM3_NEAR", false, kNetwork, "Disconnect", false, true, false, 1,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        receiver_ = test::FakeReceiver{};
        if (c.queryFails)
            receiver_.fail("queryModemModeAndState");
        if (c.mountFails)
            receiver_.fail("queryMountPoint");
        receiver_.modemIpMode = c.ipMode;
        receiver_.modemState = c.state;
        receiver_.mountPoint = c.mountPoint;
        // Flags left from an earlier run never stand for a link.
        settings_ = {};
        settings_.networkProtocol = 1;
        settings_.dialGsm = settings_.connectIp = settings_.connectNtrip = true;
        open();
        EXPECT_EQ(page().selectedRow(), c.row);
        EXPECT_EQ(list().GetItemCount(), 4);
        EXPECT_EQ(caption(), c.caption);
        EXPECT_EQ(link().dialGsm, c.gsm);
        EXPECT_EQ(link().connectNtrip, c.ntrip);
        EXPECT_EQ(link().connectIp, c.ip);
        EXPECT_EQ(link().networkProtocol, c.protocol);
        Calls expected = {"queryModemModeAndState"};
        if (c.asksMountPoint)
            expected.push_back("queryMountPoint");
        expected.push_back("queryReferenceReceiver");
        EXPECT_EQ(receiver_.calls(), expected);
        sheet_.reset();
    }
}

TEST_F(DiffModeTest, BrandRowFollowsTheReceiversExactCode) {
    struct Case {
        std::string code;
        uint8_t explicitBrand;
        bool fails;
        int row;
    };
    const Case cases[] = {
        {"NOVATEL", 1, false, 1},  {"ORVANEX", 1, false, 0},   {"JAVAD", 1, false, 5},
        {"TRIMBLE", 1, false, -1}, {"NOVATEL ", 1, false, -1}, {"novatel", 1, false, -1},
        {"", 1, false, -1},        {"TOPCON", 0, false, 6},    {"", 0, false, 6},
        {"NOVATEL", 1, true, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code + " " + std::to_string(c.explicitBrand));
        receiver_ = test::FakeReceiver{};
        receiver_.referenceReceiver = c.code;
        receiver_.referenceExplicit = c.explicitBrand;
        if (c.fails)
            receiver_.fail("queryReferenceReceiver");
        open();
        EXPECT_EQ(brand(), c.row);
        sheet_.reset();
    }
}

// ---- OK: the brand ---------------------------------------------------------------------------

TEST_F(DiffModeTest, OkWritesTheSelectedBrandOnlyWhenThePageHasOne) {
    struct Case {
        const char* what;
        std::string code;
        bool queryFails;
        int choose;  // -1: the user leaves the list alone
        Calls sent;
    };
    const Case cases[] = {
        {"as read", "NOVATEL", false, -1, {"setReferenceReceiver NOVATEL 1"}},
        {"Automatic chosen", "NOVATEL", false, 6, {"setReferenceReceiver  0"}},
        {"another brand", "NOVATEL", false, 4, {"setReferenceReceiver TOPCON 1"}},
        {"unknown code, untouched", "TRIMBLE", false, -1, {}},
        {"unread, untouched", "NOVATEL", true, -1, {}},
        {"unread, then chosen", "NOVATEL", true, 2, {"setReferenceReceiver MERIDOT 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        receiver_ = test::FakeReceiver{};
        receiver_.referenceReceiver = c.code;
        if (c.queryFails)
            receiver_.fail("queryReferenceReceiver");
        open();
        if (c.choose >= 0) {
            ASSERT_TRUE(kit_.selectComboItem(*sheet_, IDC_LINK_BRAND, c.choose));
        }
        restart();
        EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
        EXPECT_EQ(receiver_.calls(), c.sent);
        sheet_.reset();
    }
}

TEST_F(DiffModeTest, CancelSendsNoBrand) {
    open();
    ASSERT_TRUE(kit_.selectComboItem(*sheet_, IDC_LINK_BRAND, 6));
    restart();
    EXPECT_TRUE(sheet_->PressButton(framework::PSBTN_CANCEL));
    EXPECT_TRUE(receiver_.calls().empty());
}

// ---- The caption and the button --------------------------------------------------------------

TEST_F(DiffModeTest, CaptionTellsWhatTheSelectedRowsButtonWillDo) {
    open();
    const char* idle[] = {"Settings...", "Dial...", "Connect...", "Settings..."};
    for (int row = 3; row >= 0; --row) {
        clickRow(row);
        EXPECT_EQ(caption(), idle[row]) << row;
    }
    link().dialGsm = true;
    clickRow(kGsm);
    EXPECT_EQ(caption(), "Hang Up");
    for (bool ntrip : {false, true}) {
        link().connectNtrip = ntrip;
        link().connectIp = !ntrip;
        clickRow(kNetwork);
        EXPECT_EQ(caption(), "Disconnect");
        clickRow(kOther);
        EXPECT_EQ(caption(), "Settings...");
    }
    // A selection the program makes counts as one the user made.
    list().SetItemState(kGsm, framework::LVIS_SELECTED, framework::LVIS_SELECTED);
    EXPECT_EQ(caption(), "Hang Up");
    // Without a selection the caption stays and the button does nothing.
    list().SetItemState(-1, 0, framework::LVIS_SELECTED);
    EXPECT_EQ(page().selectedRow(), -1);
    EXPECT_EQ(caption(), "Hang Up");
    restart();
    press();
    EXPECT_TRUE(receiver_.calls().empty());
    EXPECT_EQ(kit_.unansweredModals(), 0);
}

TEST_F(DiffModeTest, ReturnInTheListActsAsTheButton) {
    openOnline(1, u"OFF");
    restart();
    ASSERT_TRUE(kit_.pressReturnInList(*sheet_, IDC_LINK_LIST));
    EXPECT_EQ(transcript(), (Calls{"disconnectDirectIp"}));
    EXPECT_EQ(caption(), "Connect...");

    clickRow(kUhf);
    answer<CUhfConfigSheet>(IDOK);
    restart();
    ASSERT_TRUE(kit_.pressReturnInList(*sheet_, IDC_LINK_LIST));
    EXPECT_EQ(kit_.unansweredModals(), 0);
    EXPECT_EQ(roverModes(), 1);
}

// ---- Row 0: UHF radio ------------------------------------------------------------------------

TEST_F(DiffModeTest, UhfSheetSetsRoverModeOnlyAfterOk) {
    settings_.externalGps = true;
    open();
    bool external = false;
    answer<CUhfConfigSheet>(IDCANCEL, [&](CUhfConfigSheet& sheet) {
        external = sheet.settings().externalGps;
        EXPECT_EQ(platform::toUtf8(sheet.GetWindowText()), "UHF Radio Settings");
    });
    restart();
    pressRow(kUhf);
    EXPECT_TRUE(external) << "the radio sheet knows the receiver is external";
    EXPECT_EQ(roverModes(), 0);

    answer<CUhfConfigSheet>(IDOK);
    pressRow(kUhf);
    EXPECT_EQ(roverModes(), 1);
    EXPECT_EQ(transcript().back(), "setDifferentialMode 1");
    EXPECT_EQ(kit_.unansweredModals(), 0);
}

// ---- Row 1: GSM data call --------------------------------------------------------------------

TEST_F(DiffModeTest, DialReachingOnlineBringsTheCallUpAndHangUpEndsIt) {
    receiver_.dialPin = u"1234";
    receiver_.dialNumber = u"+4930123456";
    settings_.externalGps = true;
    openOnline(1, u"CASTER");  // an NTRIP stream is up: the call replaces it
    GsmSettings shown;
    answer<CGsmConfigSheet>(IDOK, [&](CGsmConfigSheet& sheet) {
        shown = sheet.settings();
        sheet.settings().phoneNumber = u"+4930999";
    });
    dialingSees(5);
    restart();
    pressRow(kGsm);
    EXPECT_EQ(shown.pin, u"1234");
    EXPECT_EQ(shown.phoneNumber, u"+4930123456");
    EXPECT_TRUE(shown.pinShown);
    EXPECT_EQ(transcript(),
              (Calls{"queryModemDialParameters", "setDifferentialMode 1", "disconnectDirectIp",
                     "disconnectMountPoint", kPositionOff, "setModemCsd", "startModem",
                     "setModemDialParameters 1234 +4930999", "modemDial"}));
    EXPECT_TRUE(link().dialGsm);
    EXPECT_EQ(flagsSet(), 1);
    EXPECT_EQ(caption(), "Hang Up");
    EXPECT_TRUE(kit_.messageBoxes().empty());

    // The number is known now: no second query.
    restart();
    receiver_.fail("modemHangUp");
    press();
    EXPECT_EQ(transcript(), (Calls{"modemHangUp"}));
    EXPECT_TRUE(link().dialGsm) << "a failed hang-up changes nothing";
    EXPECT_EQ(caption(), "Hang Up");
    receiver_.succeed("modemHangUp");
    press();
    EXPECT_FALSE(link().dialGsm);
    EXPECT_EQ(caption(), "Dial...");
    EXPECT_EQ(kit_.unansweredModals(), 0);
}

TEST_F(DiffModeTest, DialThatFailsSaysSoAndLeavesNoCall) {
    struct Case {
        const char* what;
        bool dialFails;
        uint32_t stateSeen;
    };
    for (const Case& c : {Case{"dial command refused", true, 0}, Case{"no carrier", false, 3},
                          Case{"user closed the dialog", false, 4}}) {
        SCOPED_TRACE(c.what);
        receiver_ = test::FakeReceiver{};
        receiver_.dialNumber = u"0800";
        if (c.dialFails)
            receiver_.fail("modemDial");
        open();
        answer<CGsmConfigSheet>(IDOK);
        if (!c.dialFails)
            dialingSees(c.stateSeen);
        const size_t boxes = kit_.messageBoxes().size();
        pressRow(kGsm);
        EXPECT_FALSE(link().dialGsm);
        EXPECT_EQ(caption(), "Dial...");
        ASSERT_EQ(kit_.messageBoxes().size(), boxes + 1);
        EXPECT_EQ(kit_.messageBoxes().back().text, u"Unable to dial!");
        EXPECT_FALSE(kit_.messageBoxes().back().waitCursor);
        EXPECT_EQ(kit_.unansweredModals(), 0);
        sheet_.reset();
    }
}

TEST_F(DiffModeTest, DialWithoutANumberSetsTheModemUpButDialsNothing) {
    receiver_.fail("queryModemDialParameters");
    open();
    answer<CGsmConfigSheet>(IDOK);
    restart();
    pressRow(kGsm);
    EXPECT_EQ(transcript(),
              (Calls{"queryModemDialParameters", "setDifferentialMode 1", "disconnectDirectIp",
                     "disconnectMountPoint", kPositionOff, "setModemCsd", "startModem"}));
    EXPECT_TRUE(kit_.messageBoxes().empty());

    // Cancel in the GSM sheet sends nothing after the query.
    answer<CGsmConfigSheet>(IDCANCEL);
    restart();
    press();
    EXPECT_EQ(transcript(), (Calls{"queryModemDialParameters"}));
}

// ---- Row 2: network --------------------------------------------------------------------------

TEST_F(DiffModeTest, DirectIpConnectFillsTheSheetFromTheReceiverAndConnects) {
    receiver_.directIpAddress = u"203.0.113.9";
    receiver_.directIpPort = 5018;
    receiver_.gprsApn = u"internet";
    receiver_.gprsLogin = u"web";
    settings_.externalGps = true;
    open();
    NetworkSettings shown;
    networkOk([&](NetworkSettings& s) { shown = s; });
    restart();
    pressRow(kNetwork);
    EXPECT_EQ(shown.ipAddress, u"203.0.113.9");
    EXPECT_EQ(shown.ipPort, 5018);
    EXPECT_EQ(shown.gprsApn, u"internet");
    EXPECT_EQ(transcript(),
              (Calls{"queryModemGprsParameters", "queryDirectIp", "setDifferentialMode 1",
                     "setBridge 0", "modemHangUp", "setModemIp 0", "startModem",
                     "setModemGprsParameters  internet web ", "connectDirectIp 203.0.113.9 5018"}));
    EXPECT_TRUE(link().connectIp);
    EXPECT_EQ(flagsSet(), 1);
    EXPECT_EQ(caption(), "Disconnect");
    EXPECT_EQ(link().ipAddress, u"203.0.113.9");

    restart();
    press();
    EXPECT_EQ(transcript(), (Calls{"disconnectDirectIp"}));
    EXPECT_EQ(flagsSet(), 0);
    EXPECT_EQ(caption(), "Connect...");
}

TEST_F(DiffModeTest, NtripConnectSendsTheCasterThenTheMountPoint) {
    struct Case {
        const char* what;
        int32_t port;
        bool sendPosition;
        Calls tail;
    };
    const Case cases[] = {
        {"position to the caster",
         2101,
         true,
         {"setNtripParameters caster.example.net 2101 rover secret 0", kPositionOn,
          "connectMountPoint RTCM3"}},
        {"no position",
         2101,
         false,
         {"setNtripParameters caster.example.net 2101 rover secret 0", kPositionOff,
          "connectMountPoint RTCM3"}},
        {"port 0: no caster, still the mount point",
         0,
         false,
         {kPositionOff, "connectMountPoint RTCM3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        receiver_ = test::FakeReceiver{};
        receiver_.mountPoint = u"OFF";  // none set: the sheet gets an empty one
        settings_ = {};
        settings_.networkProtocol = 1;
        open();
        NetworkSettings shown;
        networkOk([&](NetworkSettings& s) {
            shown = s;
            s.ntripPort = c.port;
            s.ntripMountPoint = u"RTCM3";
            s.sendPositionToNetwork = c.sendPosition;
        });
        restart();
        pressRow(kNetwork);
        EXPECT_EQ(shown.ntripAddress, u"caster.example.net");
        EXPECT_EQ(shown.ntripMountPoint, u"");
        Calls expected = {"queryNtripParameters",
                          "queryMountPoint",
                          "setDifferentialMode 1",
                          "setBridge 0",
                          "modemHangUp",
                          "setModemIp 0",
                          "startModem"};
        expected.insert(expected.end(), c.tail.begin(), c.tail.end());
        EXPECT_EQ(transcript(), expected);
        EXPECT_TRUE(link().connectNtrip);
        EXPECT_EQ(flagsSet(), 1);
        EXPECT_EQ(link().sendPositionToNetwork, c.sendPosition);
        EXPECT_EQ(caption(), "Disconnect");

        restart();
        press();
        EXPECT_EQ(transcript(), (Calls{kPositionOff, "disconnectMountPoint"}));
        EXPECT_EQ(flagsSet(), 0);
        sheet_.reset();
    }
}

TEST_F(DiffModeTest, FailedConnectTearsTheLinkDown) {
    struct Case {
        const char* what;
        int protocol;
        bool sendPosition;
        const char* failing;
        Calls tail;
    };
    const Case cases[] = {
        {"direct IP",
         0,
         false,
         "connectDirectIp",
         {"connectDirectIp 198.51.100.4 9000", "disconnectDirectIp"}},
        {"NTRIP with position",
         1,
         true,
         "connectMountPoint",
         {kPositionOn, "connectMountPoint MP", kPositionOff, "disconnectMountPoint"}},
        {"NTRIP",
         1,
         false,
         "connectMountPoint",
         {kPositionOff, "connectMountPoint MP", "disconnectMountPoint"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        receiver_ = test::FakeReceiver{};
        receiver_.fail(c.failing);
        receiver_.fail("queryBridge");  // unread and unchanged: no bridge command
        receiver_.fail("disconnectDirectIp");
        receiver_.fail("disconnectMountPoint");  // the page goes on all the same
        settings_ = {};
        settings_.networkProtocol = c.protocol;
        settings_.ipAddress = u"198.51.100.4";
        settings_.ipPort = 9000;
        settings_.ntripAddress = u"caster";
        settings_.ntripMountPoint = u"MP";
        settings_.sendPositionToNetwork = c.sendPosition;
        open();
        networkOk({});
        restart();
        pressRow(kNetwork);
        Calls expected = {"setDifferentialMode 1", "modemHangUp", "setModemIp 0", "startModem"};
        expected.insert(expected.end(), c.tail.begin(), c.tail.end());
        EXPECT_EQ(transcript(), expected);
        EXPECT_EQ(flagsSet(), 0);
        EXPECT_EQ(caption(), "Connect...");
        ASSERT_FALSE(kit_.messageBoxes().empty());
        EXPECT_EQ(kit_.messageBoxes().back().text, u"Unable to connect!");
        EXPECT_FALSE(kit_.messageBoxes().back().waitCursor);
        sheet_.reset();
    }
}

TEST_F(DiffModeTest, NetworkWithoutATargetConnectsNothingAndSaysNothing) {
    struct Case {
        int protocol;
        std::u16string address;
        int32_t port;
        std::u16string mountPoint;
        Calls tail;
    };
    const Case cases[] = {
        {0, u"", 9000, u"", {}},
        {0, u"198.51.100.4", 0, u"", {}},
        {1, u"caster", 2101, u"", {"setNtripParameters caster 2101 rover secret 0"}},
    };
    for (const Case& c : cases) {
        receiver_ = test::FakeReceiver{};
        settings_ = {};
        settings_.networkProtocol = c.protocol;
        open();
        networkOk([&](NetworkSettings& s) {
            s.ipAddress = s.ntripAddress = c.address;
            s.ipPort = s.ntripPort = c.port;
            s.ntripMountPoint = c.mountPoint;
        });
        pressRow(kNetwork);
        const Calls calls = transcript();
        Calls tail(calls.end() - static_cast<std::ptrdiff_t>(c.tail.size()), calls.end());
        EXPECT_EQ(tail, c.tail);
        EXPECT_EQ(calls[calls.size() - c.tail.size() - 1], "startModem");
        EXPECT_EQ(flagsSet(), 0);
        EXPECT_EQ(caption(), "Connect...");
        EXPECT_TRUE(kit_.messageBoxes().empty());
        sheet_.reset();
    }
}

TEST_F(DiffModeTest, CancelledNetworkSheetChangesNothing) {
    settings_.ipAddress = u"198.51.100.4";
    open();
    answer<CNetworkConfigSheet>(IDCANCEL, [](CNetworkConfigSheet& sheet) {
        sheet.settings().ipAddress = u"typed but cancelled";
    });
    restart();
    pressRow(kNetwork);
    EXPECT_TRUE(transcript().empty());
    EXPECT_EQ(link().ipAddress, u"198.51.100.4");
}

TEST_F(DiffModeTest, DisconnectEndsWhicheverNetworkLinkIsUp) {
    struct Case {
        const char* what;
        std::u16string mountPoint;
        bool mountQueryFails;
        std::vector<std::string> failing;
        Calls sent;
        bool ended;
    };
    const Case cases[] = {
        {"NTRIP", u"MP", false, {}, {kPositionOff, "disconnectMountPoint"}, true},
        {"direct IP", u"OFF", false, {}, {"disconnectDirectIp"}, true},
        {"unsure: both",
         u"MP",
         true,
         {},
         {"disconnectDirectIp", kPositionOff, "disconnectMountPoint"},
         true},
        {"unsure, NTRIP was up",
         u"MP",
         true,
         {"disconnectDirectIp"},
         {"disconnectDirectIp", kPositionOff, "disconnectMountPoint"},
         true},
        {"refused",
         u"MP",
         false,
         {"disconnectMountPoint"},
         {kPositionOff, "disconnectMountPoint"},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        receiver_ = test::FakeReceiver{};
        if (c.mountQueryFails)
            receiver_.fail("queryMountPoint");
        openOnline(1, c.mountPoint);
        for (const std::string& name : c.failing) receiver_.fail(name);
        restart();
        press();  // row 2 is selected at opening
        EXPECT_EQ(transcript(), c.sent);
        EXPECT_EQ(flagsSet(), c.ended ? 0 : 1);
        EXPECT_EQ(caption(), c.ended ? "Connect..." : "Disconnect");
        EXPECT_TRUE(kit_.messageBoxes().empty());
        sheet_.reset();
    }
}

// ---- Row 3: other external device ------------------------------------------------------------

TEST_F(DiffModeTest, ExternalPortSendsTheBaudOrTheBluetoothPort) {
    struct Case {
        const char* what;
        bool externalGps;
        bool queryFails;
        uint32_t reported;
        std::u16string port;
        int baud;  // -2: as preset
        PortSettings preset;
        Calls sent;
    };
    const Case cases[] = {
        {"COM5 as read", false, false, 7, u"COM5", -2, {u"COM5", 7}, {"setPortBaud 1 7 0"}},
        {"external unit: port A", true, false, 3, u"COM3", 9, {u"COM5", 3}, {"setPortBaud 0 9 0"}},
        {"code out of range", false, false, 12, u"COM5", -2, {u"COM5", 0}, {"setPortBaud 1 0 0"}},
        {"Bluetooth", false, false, 7, u"COM7", -2, {u"COM5", 7}, {"setBluetoothPort COM7"}},
        {"no port name", false, false, 7, u"", -2, {u"COM5", 7}, {}},
        {"no baud chosen", false, false, 7, u"COM5", -1, {u"COM5", 7}, {}},
        {"unread, untouched", false, true, 7, u"COM5", -2, {u"COM5", -1}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        receiver_ = test::FakeReceiver{};
        receiver_.portBaud = {{c.externalGps ? 0u : 1u, c.reported}};
        if (c.queryFails)
            receiver_.fail("queryPortBaud");
        settings_ = {};
        settings_.externalGps = c.externalGps;
        openOnline(0, u"");  // a data call is up: the port replaces it, without a hang-up
        PortSettings shown;
        answer<COtherConfigSheet>(IDOK, [&](COtherConfigSheet& sheet) {
            shown = sheet.settings();
            sheet.settings().portName = c.port;
            if (c.baud != -2)
                sheet.settings().baudIndex = c.baud;
        });
        restart();
        pressRow(kOther);
        EXPECT_EQ(shown.portName, c.preset.portName);
        EXPECT_EQ(shown.baudIndex, c.preset.baudIndex);
        Calls expected = {"queryPortBaud " + std::to_string(c.externalGps ? 0 : 1),
                          "setDifferentialMode 1"};
        expected.insert(expected.end(), c.sent.begin(), c.sent.end());
        EXPECT_EQ(transcript(), expected);
        EXPECT_EQ(flagsSet(), 0);
        sheet_.reset();
    }
}

// ---- Every sequence leaves at most one link ---------------------------------------------------

TEST_F(DiffModeTest, AtMostOneLinkFlagAfterAnySequenceOfActions) {
    enum Action { Dial, DialFails, DirectIp, Ntrip, NtripFails, Button, Port, Uhf };
    const std::vector<std::vector<Action>> sequences = {
        {Dial, DirectIp, Ntrip, Dial}, {Ntrip, Button, Dial, Button, DirectIp},
        {DirectIp, Dial, Port},        {Dial, NtripFails, Ntrip, Port, DirectIp},
        {Ntrip, Dial, DialFails, Uhf}, {DirectIp, Button, Ntrip, Uhf, Dial},
    };
    for (const auto& sequence : sequences) {
        receiver_ = test::FakeReceiver{};
        receiver_.dialNumber = u"0800";
        settings_ = {};
        settings_.ipAddress = u"198.51.100.4";
        settings_.ipPort = 9000;
        settings_.ntripAddress = u"caster";
        settings_.ntripPort = 2101;
        settings_.ntripMountPoint = u"MP";
        open();
        int step = 0;
        for (Action action : sequence) {
            SCOPED_TRACE("sequence step " + std::to_string(step++));
            receiver_.succeed("modemDial");
            receiver_.succeed("connectMountPoint");
            switch (action) {
                case Dial:
                case DialFails:
                    if (action == DialFails)
                        receiver_.fail("modemDial");
                    clickRow(kGsm);
                    if (link().dialGsm)
                        press();  // hang the call up first
                    answer<CGsmConfigSheet>(IDOK);
                    if (action == Dial)
                        dialingSees(5);
                    press();
                    EXPECT_EQ(link().dialGsm, action == Dial);
                    break;
                case DirectIp:
                case Ntrip:
                case NtripFails:
                    if (action == NtripFails)
                        receiver_.fail("connectMountPoint");
                    clickRow(kNetwork);
                    if (link().connectIp || link().connectNtrip)
                        press();
                    networkOk([action](NetworkSettings& s) {
                        s.networkProtocol = action == DirectIp ? 0 : 1;
                    });
                    press();
                    EXPECT_EQ(link().connectIp, action == DirectIp);
                    EXPECT_EQ(link().connectNtrip, action == Ntrip);
                    break;
                case Button:
                    press();
                    break;
                case Port:
                    answer<COtherConfigSheet>(IDOK);
                    pressRow(kOther);
                    EXPECT_EQ(flagsSet(), 0);
                    break;
                case Uhf:
                    answer<CUhfConfigSheet>(IDOK);
                    pressRow(kUhf);
                    break;
            }
            EXPECT_LE(flagsSet(), 1);
        }
        EXPECT_EQ(kit_.unansweredModals(), 0);
        sheet_.reset();
    }
}

}  // namespace
}  // namespace zentrix::ui
