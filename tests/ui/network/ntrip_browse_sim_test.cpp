// "Browse..." on the NTRIP page against the simulated board: the real receiver on a
// pseudo-terminal, the board's modem and NTRIP client fetching a real caster's table, the station
// dialog listing it. Every stream of the largest table is offered and sorts by distance from the
// board's position; the chosen mount point and its NMEA flag reach the page; and whatever the
// user does in the dialog, the board's caster settings are afterwards what they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "framework/message_box.h"
#include "framework/test_kit.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "receiver/gnss_receiver.h"
#include "resources/resource_ids.h"
#include "tests/support/simulated_receiver.h"
#include "tests/support/test_support.h"
#include "tests/support/testdata.h"
#include "tools/sim/simulator.h"
#include "tools/sim/survey_board.h"
#include "ui/network/ntrip_settings_page.h"
#include "ui/network/ntrip_station_dialog.h"

namespace zentrix::ui {
namespace {

using framework::CWnd;
using framework::ScopedTestKit;

/// The board's NTRIP client settings, as one comparable text.
std::string caster(const sim::BoardState& state) {
    return state.ntripAddress + " " + std::to_string(state.ntripPort) + " " + state.ntripLogin +
           " " + state.ntripPassword + " " + std::to_string(state.ntripType);
}

/// The mount points of a table file's stream lines.
std::set<WideString> mountPointsOf(const std::string& table) {
    std::set<WideString> mountPoints;
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("STR;", 0) == 0)
            mountPoints.insert(platform::fromUtf8(line.substr(4, line.find(';', 4) - 4)));
    }
    return mountPoints;
}

/// The number a distance cell starts with ("  123 km").
long distanceOf(const WideString& cell) {
    return std::stol(platform::toUtf8(cell));
}

class NtripBrowseSimTest : public ::testing::Test {
  protected:
    /// The board on COM3:, serving `table`, the receiver connected and the board's position
    /// published.
    void start(const std::filesystem::path& table) {
        sim::SimOptions options;
        options.receiver = sim::SimReceiver::SurveyBoard;
        options.startUtcSeconds = 1700000000;
        options.sourceTable = table;
        sim_ = std::make_unique<sim::Simulator>(options);
        ASSERT_TRUE(sim_->openPseudoTerminal() && sim_->linkAsComPort(3) && sim_->start());
        // A caster of the board's own that the page's must not replace for good.
        sim_->withBoard([](sim::SurveyBoard& board) {
            board.state().ntripAddress = "board.caster.example";
            board.state().ntripPort = 2102;
            board.state().ntripLogin = "boarduser";
            board.state().ntripPassword = "boardpw";
        });
        ASSERT_EQ(receiver_.connect(u"COM3:"), 1u);
        // The distances need the rover's position.
        receiver::PositionRecord position;
        for (int epoch = 0; epoch < 60; ++epoch) {
            receiver_.waitVector();
            if (receiver_.getPosition(position) != 0 && position.fixType != 0)
                break;
        }
        ASSERT_NE(position.fixType, 0) << "no position from the board";

        settings_.networkProtocol = 1;
        settings_.ntripAddress = u"euref-ip.net";
        settings_.ntripPort = 2101;
        settings_.ntripUser = u"guest";
        settings_.ntripPassword = u"guest";
        settings_.ntripMountPoint = u"BEFORE";
        page_ = std::make_unique<CNtripSettingsPage>(&receiver_, settings_);
        sheet_ = std::make_unique<framework::CPropertySheet>(u"Network Settings");
        sheet_->AddPage(page_.get());
        ASSERT_TRUE(kit_.open(*sheet_));
    }
    void TearDown() override {
        sheet_.reset();
        page_.reset();
        receiver_.disconnect();
    }

    sim::BoardState board() { return test::boardState(*sim_); }

    /// Taps "Browse..." with `inDialog` acting in the station dialog; the board's caster as it
    /// was while the dialog showed comes back in `casterDuring`.
    void browse(std::function<void(CNtripStationDialog&)> inDialog, std::string& casterDuring) {
        kit_.queueModalHandler([&, inDialog](CWnd& window) {
            auto* dialog = dynamic_cast<CNtripStationDialog*>(&window);
            ASSERT_NE(dialog, nullptr);
            casterDuring = caster(board());
            inDialog(*dialog);
        });
        // A second's pause on the line ends a table: the clock runs slower while the 50 kB
        // table travels, so that a busy machine does not cut it short.
        platform::ScopedClockSpeed slower(5);
        framework::clearMessageBoxLog();
        ASSERT_TRUE(kit_.click(*page_, IDC_NTRIP_BROWSE));
        EXPECT_TRUE(kit_.messageBoxes().empty()) << "the table did not load";
        EXPECT_EQ(kit_.unansweredModals(), 0);
    }
    bool sendPositionChecked() {
        return page_->IsDlgButtonChecked(IDC_NTRIP_SEND_POSITION) == framework::BST_CHECKED;
    }

    test::ScratchDeviceRoot root_;
    platform::ScopedClockSpeed fast_{40};
    ScopedTestKit kit_;
    std::unique_ptr<sim::Simulator> sim_;
    receiver::GnssReceiver receiver_;
    NetworkSettings settings_;
    std::unique_ptr<CNtripSettingsPage> page_;
    std::unique_ptr<framework::CPropertySheet> sheet_;
};

TEST_F(NtripBrowseSimTest, EveryStreamOfTheLargestTableSortedByDistanceAndChosen) {
    // The table the simulator carries built in, 221 streams, the largest of the real ones.
    const std::filesystem::path table = test::testdataPath("ntrip/euref-ip.sourcetable.txt");
    ASSERT_NO_FATAL_FAILURE(start(table));
    const std::string before = caster(board());
    page_->CheckDlgButton(IDC_NTRIP_SEND_POSITION, framework::BST_CHECKED);
    const std::set<WideString> expected = mountPointsOf(test::readFile(table));
    ASSERT_EQ(expected.size(), 221u);

    std::set<WideString> listed;
    std::vector<long> distances;
    WideString nearest;
    std::string during;
    sim_->clearCommandLog();
    browse(
        [&](CNtripStationDialog& dialog) {
            CSortListCtrl& list = dialog.list();
            const framework::UINT id = list.GetDlgCtrlID();
            for (int row = 0; row < list.GetItemCount(); ++row)
                listed.insert(list.GetItemText(row, 0));
            ASSERT_TRUE(kit_.clickListColumn(dialog, id, 2));
            for (int row = 0; row < list.GetItemCount(); ++row)
                distances.push_back(distanceOf(list.GetItemText(row, 2)));
            nearest = list.GetItemText(0, 0);
            ASSERT_TRUE(kit_.clickListItem(dialog, id, 0));
            dialog.OnKeyCommand(framework::IDOK);
        },
        during);

    EXPECT_EQ(listed, expected) << "every stream of the table, once";
    ASSERT_EQ(distances.size(), 221u);
    EXPECT_TRUE(std::is_sorted(distances.begin(), distances.end()));
    EXPECT_GT(distances.back(), 1000) << "distances from the board's position, in km";
    EXPECT_EQ(during, "euref-ip.net 2101 guest guest 0") << "the page's caster for the table";

    // The nearest stream is chosen; no stream of this caster wants the rover position.
    EXPECT_EQ(page_->GetDlgItemText(IDC_NTRIP_STATION), nearest);
    EXPECT_FALSE(sendPositionChecked());
    EXPECT_EQ(caster(board()), before);
    const std::vector<std::string> log = sim_->commandLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "$PQELS,MDM,PAR,PTC,1,IPT,0");
    EXPECT_EQ(log.back(),
              "$PQELS,NTR,PAR,ADD,board.caster.example,PRT,2102,LGN,boarduser,PWD,boardpw,TYP,0");

    ASSERT_TRUE(sheet_->PressButton(framework::PSBTN_OK));
    EXPECT_EQ(settings_.ntripMountPoint, nearest);
    EXPECT_FALSE(settings_.sendPositionToNetwork);
}

TEST_F(NtripBrowseSimTest, CancelledOrChosenTheBoardKeepsItsCaster) {
    // A caster whose streams all want the rover position.
    ASSERT_NO_FATAL_FAILURE(start(test::testdataPath("ntrip/sapos-ni-gnsmart.sourcetable.txt")));
    const std::string before = caster(board());
    ASSERT_FALSE(sendPositionChecked());
    std::string during;

    browse([](CNtripStationDialog& dialog) { dialog.OnKeyCommand(framework::IDCANCEL); }, during);
    EXPECT_EQ(during, "euref-ip.net 2101 guest guest 0");
    EXPECT_EQ(page_->GetDlgItemText(IDC_NTRIP_STATION), u"BEFORE");
    EXPECT_FALSE(sendPositionChecked());
    EXPECT_EQ(caster(board()), before);

    WideString chosen;
    browse(
        [&](CNtripStationDialog& dialog) {
            CSortListCtrl& list = dialog.list();
            ASSERT_EQ(list.GetItemCount(), 3);
            chosen = list.GetItemText(2, 0);
            ASSERT_TRUE(kit_.clickListItem(dialog, list.GetDlgCtrlID(), 2));
            dialog.OnKeyCommand(framework::IDOK);
        },
        during);
    EXPECT_EQ(page_->GetDlgItemText(IDC_NTRIP_STATION), chosen);
    EXPECT_TRUE(sendPositionChecked());
    EXPECT_EQ(caster(board()), before);
}

}  // namespace
}  // namespace zentrix::ui
