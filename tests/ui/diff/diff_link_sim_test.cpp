// The link page against the simulated board: the real receiver on a pseudo-terminal, the board's
// modem bringing NTRIP and direct IP links up and down as the page asks, a connect the far end
// refuses leaving nothing up (also on a board that would keep trying on its own), and the
// external port's baud reaching the board's port for the receiver kind.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "framework/test_kit.h"
#include "platform/clock.h"
#include "receiver/gnss_receiver.h"
#include "resources/resource_ids.h"
#include "tests/support/simulated_receiver.h"
#include "tests/support/test_support.h"
#include "tools/sim/sim_peer.h"
#include "tools/sim/simulator.h"
#include "tools/sim/survey_board.h"
#include "ui/diff/diff_mode_sheet.h"
#include "ui/diff/port_settings_sheet.h"
#include "ui/network/network_config_sheet.h"

namespace zentrix::ui {
namespace {

using framework::CWnd;
using framework::IDOK;

constexpr int kNetwork = 2;
constexpr int kOther = 3;

class DiffLinkSimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::SimOptions options;
        options.receiver = sim::SimReceiver::SurveyBoard;
        options.startUtcSeconds = 1700000000;
        options.retriesRefusedLinks = true;  // a link left behind would come up by itself
        // An external unit takes corrections on its port A: the handheld sits on another one,
        // so that a new rate there leaves the line alone.
        options.handheldPort = 'C';
        sim_ = std::make_unique<sim::Simulator>(options);
        ASSERT_TRUE(sim_->openPseudoTerminal() && sim_->linkAsComPort(3) && sim_->start());
        ASSERT_EQ(receiver_.connect(u"COM3:"), 1u);
        ASSERT_EQ(receiver_.setNmeaAll(false, 0), 1u);  // a quiet line answers sooner
    }
    void TearDown() override {
        sheet_.reset();
        receiver_.disconnect();
    }

    sim::BoardState board() { return test::boardState(*sim_); }

    void open() {
        sheet_ = std::make_unique<CDiffModeSheet>(&receiver_, settings_);
        ASSERT_TRUE(kit_.open(*sheet_));
    }
    DiffLinkSettings& link() { return sheet_->settings(); }
    std::string caption() {
        return platform::toUtf8(sheet_->page().GetDlgItemText(IDC_LINK_BUTTON));
    }
    void pressRow(int row) {
        ASSERT_TRUE(kit_.clickListItem(*sheet_, IDC_LINK_LIST, row));
        ASSERT_TRUE(kit_.click(*sheet_, IDC_LINK_BUTTON));
    }
    /// The network sheet confirmed with `edit` applied to what it shows.
    void connectWith(std::function<void(NetworkSettings&)> edit) {
        kit_.queueModalHandler([edit](CWnd& window) {
            auto& sheet = dynamic_cast<CNetworkConfigSheet&>(window);
            edit(sheet.settings());
            sheet.EndDialog(IDOK);
        });
        pressRow(kNetwork);
        EXPECT_EQ(kit_.unansweredModals(), 0);
    }
    static void ntrip(NetworkSettings& s) {
        s.networkProtocol = 1;
        s.ntripAddress = u"www.euref-ip.net";
        s.ntripPort = 2101;
        s.ntripUser = u"";
        s.ntripPassword = u"";
        s.ntripMountPoint = u"WTZR00DEU0";
        s.sendPositionToNetwork = true;
    }
    static void directIp(NetworkSettings& s) {
        s.networkProtocol = 0;
        s.ipAddress = u"10.1.2.4";
        s.ipPort = 9001;
    }

    test::ScratchDeviceRoot root_;
    platform::ScopedClockSpeed fast_{40};
    framework::ScopedTestKit kit_;
    std::unique_ptr<sim::Simulator> sim_;
    receiver::GnssReceiver receiver_;
    DiffLinkSettings settings_;
    std::unique_ptr<CDiffModeSheet> sheet_;
};

TEST_F(DiffLinkSimTest, NtripAndDirectIpComeUpAndGoDownThroughThePage) {
    struct Case {
        const char* name;
        void (*edit)(NetworkSettings&);
        bool ntrip;
    };
    for (const Case& c : {Case{"NTRIP", &DiffLinkSimTest::ntrip, true},
                          Case{"direct IP", &DiffLinkSimTest::directIp, false}}) {
        SCOPED_TRACE(c.name);
        open();
        ASSERT_EQ(caption(), "Settings...");
        connectWith(c.edit);
        EXPECT_EQ(caption(), "Disconnect");
        EXPECT_TRUE(kit_.messageBoxes().empty());
        sim::BoardState up = board();
        EXPECT_EQ(up.mountConnected, c.ntrip);
        EXPECT_EQ(up.dipConnected, !c.ntrip);
        EXPECT_EQ(up.modem, sim::ModemState::Online);
        if (c.ntrip) {
            EXPECT_EQ(up.mountPoint, "WTZR00DEU0");
        }

        // Opened again, the page finds the link the board has up.
        sheet_.reset();
        open();
        EXPECT_EQ(sheet_->page().selectedRow(), kNetwork);
        EXPECT_EQ(caption(), "Disconnect");
        EXPECT_EQ(link().connectNtrip, c.ntrip);
        EXPECT_EQ(link().connectIp, !c.ntrip);
        EXPECT_EQ(link().networkProtocol, c.ntrip ? 1 : 0);

        ASSERT_TRUE(kit_.click(*sheet_, IDC_LINK_BUTTON));
        EXPECT_EQ(caption(), "Connect...");
        EXPECT_FALSE(board().linkUp());
        EXPECT_FALSE(link().connectNtrip || link().connectIp);
        sheet_.reset();
    }
}

TEST_F(DiffLinkSimTest, ARefusedConnectLeavesNoLinkUpEvenOnABoardThatRetries) {
    for (auto edit : {&DiffLinkSimTest::ntrip, &DiffLinkSimTest::directIp}) {
        sim_->setFault(sim::SimFault::RefuseLinks);
        open();
        framework::clearMessageBoxLog();
        connectWith(edit);
        ASSERT_EQ(kit_.messageBoxes().size(), 1u);
        EXPECT_EQ(kit_.messageBoxes()[0].text, u"Unable to connect!");
        EXPECT_EQ(caption(), "Connect...");
        EXPECT_FALSE(link().connectNtrip || link().connectIp);
        // The far end answers again: nothing may come up behind the user's back.
        sim_->clearFaults();
        platform::sleepMs(12000);
        EXPECT_FALSE(board().linkUp());
        sheet_.reset();
    }
}

TEST_F(DiffLinkSimTest, ExternalPortSetsTheBaudOfTheReceiversCorrectionPort) {
    // The built-in board takes corrections on port B, an external unit on port A.
    for (const bool external : {false, true}) {
        SCOPED_TRACE(external ? "external unit" : "built-in board");
        settings_.externalGps = external;
        open();
        PortSettings shown;
        kit_.queueModalHandler([&](CWnd& window) {
            auto& sheet = dynamic_cast<COtherConfigSheet&>(window);
            shown = sheet.settings();
            sheet.settings().portName = u"COM5";
            sheet.settings().baudIndex = external ? 6 : 4;
            sheet.EndDialog(IDOK);
        });
        const char port = external ? 'A' : 'B';
        const sim::BoardState before = board();
        pressRow(kOther);
        EXPECT_EQ(kit_.unansweredModals(), 0);
        const sim::BoardState after = board();
        const auto code = before.baudCodes.find(port);
        if (code != before.baudCodes.end()) {
            EXPECT_EQ(shown.baudIndex, code->second) << "preset from the board";
        }
        EXPECT_EQ(after.baudCodes.at(port), external ? 6 : 4);
        EXPECT_TRUE(after.portOn.at(port));
        sheet_.reset();
    }
}

}  // namespace
}  // namespace zentrix::ui
