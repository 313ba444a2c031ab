// The whole program against the simulated receiver, headless: start-up, the main menu, its
// actions, and what is left in the registry afterwards. A modal handler plays the user.
#include "app/zentrix_app.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <deque>
#include <fstream>
#include <functional>
#include <thread>

#include "app/about_dialog.h"
#include "app/main_menu_dialog.h"
#include "framework/instance_channel.h"
#include "framework/message_box.h"
#include "framework/resources.h"
#include "framework/win_app.h"
#include "platform/app_profile.h"
#include "platform/clock.h"
#include "platform/local_channel.h"
#include "platform/named_mutex.h"
#include "platform/registry.h"
#include "receiver/gnss_receiver.h"
#include "receiver/sirf/sirf_receiver.h"
#include "resources/resource_ids.h"
#include "tests/support/simulated_receiver.h"
#include "tests/support/test_support.h"
#include "tools/sim/simulator.h"
#include "tools/sim/survey_board.h"
#include "ui/settings/nmea_output_sheet.h"
#include "ui/status/gnss_status_sheet.h"

namespace zentrix::app {
namespace {

using framework::CWnd;
using framework::IDNO;
using framework::IDYES;
using platform::WideString;
using sim::SimFault;
using sim::SimReceiver;
using test::ScopedEnv;
using test::ScratchDeviceRoot;

/// What the user saw and did during one run of the program.
struct ProgramRun {
    int exitCode = -1;
    bool menuShown = false;
    std::string receiverKind;
    WideString deviceName;
    std::vector<WideString> menuItems;
    std::vector<WideString> messages;
    std::vector<WideString> captions;
    std::vector<WideString> startupTexts;
    WideString startupCaption;
    bool startupWindowGoneBeforeMenu = true;
};

class ZentrixAppTest : public ::testing::Test {
  protected:
    void TearDown() override {
        CStartupWindow::setTextObserver(nullptr);
        framework::setModalHandler(nullptr);
        framework::setMessageBoxHandler(nullptr);
    }

    bool startSimulator(SimReceiver kind, int com) {
        sim_ = test::startSimulator(kind, com);
        return sim_ != nullptr;
    }

    /// Runs the program; `onMenu` plays the user on the main menu and must end it.
    ProgramRun runProgram(const std::function<void(CMainMenuDialog&)>& onMenu) {
        ProgramRun run;
        framework::clearMessageBoxLog();
        framework::setMessageBoxHandler([this](const framework::MessageBoxRecord&) {
            if (answers_.empty())
                return IDNO;
            const int answer = answers_.front();
            answers_.pop_front();
            return answer;
        });
        CStartupWindow::setTextObserver([&](CStartupWindow& window) {
            run.startupTexts = window.texts();
            run.startupCaption = window.GetWindowText();
            if (onStartupText_)
                onStartupText_(window);
        });
        framework::setModalHandler([&](CWnd& window) {
            if (auto* menu = dynamic_cast<CMainMenuDialog*>(&window)) {
                run.menuShown = true;
                auto* app = dynamic_cast<CZentrixApp*>(framework::AfxGetApp());
                run.startupWindowGoneBeforeMenu = app && app->startupWindow() == nullptr;
                for (int i = 0; i < menu->list().GetItemCount(); ++i) {
                    run.menuItems.push_back(menu->list().GetItemText(i, 0));
                }
                onMenu(*menu);
            } else if (auto* sheet = dynamic_cast<ui::CGnssStatusSheet*>(&window)) {
                if (onSheet_)
                    onSheet_(*sheet);
                else
                    sheet->EndDialog(framework::IDCANCEL);
            } else if (onOtherWindow_ && onOtherWindow_(window)) {
                // played by the test
            } else if (auto* about = dynamic_cast<CAboutZentrix*>(&window)) {
                onAbout_(*about);
                about->EndDialog(framework::IDOK);
            }
        });
        static int argc = 1;
        static char name[] = "zentrix";
        static char* argv[] = {name, nullptr};
        run.exitCode = framework::runApplication(argc, argv, [&] {
            auto app = std::make_unique<CZentrixApp>();
            run.deviceName = app->deviceName();
            if (dynamic_cast<receiver::GnssReceiver*>(app->receiver()))
                run.receiverKind = "board";
            if (dynamic_cast<receiver::SirfReceiver*>(app->receiver()))
                run.receiverKind = "chip";
            return app;
        });
        for (const auto& box : framework::messageBoxLog()) {
            run.messages.push_back(box.text);
            run.captions.push_back(box.caption);
        }
        return run;
    }

    bool heard(const std::string& prefix) const {
        for (const std::string& command : sim_->commandLog()) {
            if (command.rfind(prefix, 0) == 0)
                return true;
        }
        return false;
    }

    platform::AppProfile storedProfile() const {
        platform::AppProfile profile(platform::Registry::device(), u"GNSS Zentrix");
        profile.setRegistryKey(u"Orvanex");
        return profile;
    }

    platform::ScopedClockSpeed fast_{25};
    ScratchDeviceRoot root_;
    ScopedEnv language_{"LC_ALL", "C"};
    std::unique_ptr<sim::Simulator> sim_;
    std::deque<int> answers_;
    std::function<void(CAboutZentrix&)> onAbout_ = [](CAboutZentrix&) {};
    std::function<void(CStartupWindow&)> onStartupText_;
    std::function<void(ui::CGnssStatusSheet&)> onSheet_;
    /// Plays any other modal window; true when it did.
    std::function<bool(CWnd&)> onOtherWindow_;
};

TEST_F(ZentrixAppTest, ModelCodeChoosesReceiverPortAndMenu) {
    struct Row {
        const char* code;
        SimReceiver simulated;
        int com;
        const char* kind;
        const char16_t* device;
        std::vector<WideString> menu;
        std::vector<uint32_t> searched;  // the rates the start-up window names, in order
    };
    const std::vector<Row> rows = {
        {"",
         SimReceiver::SurveyBoard,
         3,
         "board",
         u"COM3:",
         {u"GNSS Settings", u"Differential Mode", u"NMEA Output", u"GNSS Status", u"Reset",
          u"Trouble shooting", u"About", u"Turn off GNSS"},
         {57600}},
        {"0143",
         SimReceiver::SirfChip,
         1,
         "chip",
         u"COM1:",
         {u"GNSS Settings", u"GNSS Status", u"Reset", u"About"},
         {9600, 19200, 38400, 57600}},
        {"0204",
         SimReceiver::SirfChip,
         3,
         "chip",
         u"COM3:",
         {u"GNSS Settings", u"GNSS Status", u"Reset", u"About"},
         {9600, 19200, 38400, 57600}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        ScratchDeviceRoot root;
        ScopedEnv code("ZENTRIX_MODEL_CODE", row.code);
        ASSERT_TRUE(startSimulator(row.simulated, row.com));
        const ProgramRun run = runProgram([](CMainMenuDialog& menu) { menu.OnCancel(); });
        EXPECT_EQ(run.receiverKind, row.kind);
        EXPECT_EQ(run.deviceName, row.device);
        EXPECT_TRUE(run.menuShown);
        EXPECT_EQ(run.menuItems, row.menu);
        EXPECT_TRUE(run.messages.empty());
        // The start-up window said what happened, step by step, under the program's title.
        const std::string port = std::string("COM") + std::to_string(row.com) + ":";
        const std::string where =
            port + " (" + (root.path() / "devices" / port.substr(0, 4)).string() + ")";
        std::vector<std::string> expected;
        if (row.com == 3 && std::string(row.kind) == "board")
            expected.push_back("Looking for the receiver service...");
        expected.push_back("Opening " + where + "...");
        for (const uint32_t rate : row.searched) {
            expected.push_back("Searching for the receiver on " + where + " at " +
                               std::to_string(rate) + " baud...");
        }
        expected.push_back("Receiver found on " + port + " at 57600 baud. Setting it up...");
        expected.push_back("Connected.");
        std::vector<std::string> shown;
        for (const WideString& text : run.startupTexts) shown.push_back(platform::toUtf8(text));
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(run.startupCaption, u"GNSS Zentrix");
        EXPECT_TRUE(run.startupWindowGoneBeforeMenu);
        sim_.reset();
    }
}

TEST_F(ZentrixAppTest, ResetAsksFirstAndSetsTheOutputsUpAgain) {
    ASSERT_TRUE(startSimulator(SimReceiver::SurveyBoard, 3));
    const ProgramRun run = runProgram([&](CMainMenuDialog& menu) {
        sim_->clearCommandLog();
        answers_ = {IDNO};
        menu.runAction(MenuAction::Reset);
        EXPECT_FALSE(heard("$PQELS,INI")) << "No sends nothing";

        answers_ = {IDYES};
        menu.runAction(MenuAction::Reset);
        const auto log = sim_->commandLog();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.front(), "$PQELS,INI,1");
        EXPECT_TRUE(heard("$PQELQ,PRT"));
        EXPECT_TRUE(heard("$PQELS,NME,A,GGA,ON"));
        EXPECT_TRUE(heard("$PQELS,NME,A,WTI,ON"));
        EXPECT_TRUE(heard("$PQELS,NME,A,A2D,ON"));
        menu.OnCancel();
    });
    EXPECT_EQ(run.messages,
              (std::vector<WideString>{u"Reset GNSS receiver?", u"Reset GNSS receiver?"}));
}

TEST_F(ZentrixAppTest, ResetOfAnExternalReceiverLeavesItsExtraOutputsOff) {
    ASSERT_TRUE(startSimulator(SimReceiver::SurveyBoard, 3));
    storedProfile().writeProfileInt(kSettingsSection, u"IsExternalGps", 1);
    runProgram([&](CMainMenuDialog& menu) {
        sim_->clearCommandLog();
        answers_ = {IDYES};
        menu.runAction(MenuAction::Reset);
        EXPECT_TRUE(heard("$PQELS,NME,A,GGA,ON"));
        EXPECT_FALSE(heard("$PQELS,NME,A,WTI"));
        EXPECT_FALSE(heard("$PQELS,NME,A,A2D"));
        menu.OnCancel();
    });
}

TEST_F(ZentrixAppTest, TurnOffAsksReportsAFailureAndEndsTheMenuOnSuccess) {
    ASSERT_TRUE(startSimulator(SimReceiver::SurveyBoard, 3));
    bool menuEnded = false;
    const ProgramRun run = runProgram([&](CMainMenuDialog& menu) {
        sim_->clearCommandLog();
        answers_ = {IDNO};
        menu.runAction(MenuAction::TurnOffGnss);
        EXPECT_FALSE(heard("$PQELS,PWR"));

        sim_->setFault(SimFault::NakEverything);
        answers_ = {IDYES, framework::IDOK};
        menu.runAction(MenuAction::TurnOffGnss);
        EXPECT_FALSE(menu.disconnected()) << "a failed power-off keeps the menu";
        sim_->clearFaults();

        answers_ = {IDYES};
        menu.runAction(MenuAction::TurnOffGnss);
        menuEnded = menu.disconnected();
    });
    EXPECT_TRUE(menuEnded) << "a power-off closes the menu as OK does";
    EXPECT_TRUE(heard("$PQELS,PWR,OFF"));
    EXPECT_EQ(run.messages,
              (std::vector<WideString>{u"Power off GNSS receiver?", u"Power off GNSS receiver?",
                                       u"Cannot power off the GNSS receiver.",
                                       u"Power off GNSS receiver?"}));
}

// After the board acknowledged its power-off it answers nothing: the disconnect's restore
// commands would each wait out their 10 s. The window and the program end together after the
// receiver's 3 s pause.
TEST_F(ZentrixAppTest, AfterAPowerOffTheProgramEndsWithinThePauseAndASecond) {
    platform::ScopedClockSpeed measured{5};  // slow enough that real overheads stay small
    ASSERT_TRUE(startSimulator(SimReceiver::SurveyBoard, 3));
    uint32_t asked = 0;
    runProgram([&](CMainMenuDialog& menu) {
        sim_->clearCommandLog();
        answers_ = {IDYES};
        asked = platform::Clock::tickCount();
        menu.runAction(MenuAction::TurnOffGnss);
    });
    const uint32_t took = platform::ticksSince(asked);
    std::printf("[ measure ] power-off to program end: %u clock ms\n", took);
    EXPECT_GE(took, 3000u) << "the receiver's pause is kept";
    EXPECT_LE(took, 4000u);
    EXPECT_EQ(sim_->commandLog(), std::vector<std::string>{"$PQELS,PWR,OFF"})
        << "nothing is sent after the power-off";
}

TEST_F(ZentrixAppTest, AboutShowsTheFirmwareOrHidesItsLines) {
    ASSERT_TRUE(startSimulator(SimReceiver::SurveyBoard, 3));
    std::vector<std::pair<WideString, bool>> seen;
    onAbout_ = [&](CAboutZentrix& about) {
        for (const unsigned id :
             {IDC_ABOUT_VERSION, IDC_ABOUT_GNSS_FIRMWARE, IDC_ABOUT_SERVICE_LABEL}) {
            seen.emplace_back(about.GetDlgItemText(id), about.GetDlgItem(id)->IsWindowVisible());
        }
    };
    runProgram([&](CMainMenuDialog& menu) {
        menu.runAction(MenuAction::About);
        sim_->setFault(SimFault::Silence);
        menu.runAction(MenuAction::About);
        sim_->clearFaults();
        menu.OnCancel();
    });
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[0].first, u"Version: " + programVersion());
    EXPECT_TRUE(seen[1].first.starts_with(u"GNSS Firmware: ") && seen[1].first.size() > 15);
    EXPECT_TRUE(seen[1].second);
    EXPECT_TRUE(seen[2].second);
    EXPECT_EQ(seen[3].first, u"Version: " + programVersion()) << "the program's own version stays";
    EXPECT_FALSE(seen[4].second) << "no answer hides the firmware";
    EXPECT_FALSE(seen[5].second);
}

TEST_F(ZentrixAppTest, OnlyOkCopiesTheMenusSettingsBackAndExitSavesThem) {
    ASSERT_TRUE(startSimulator(SimReceiver::SurveyBoard, 3));
    const platform::AppProfile stored = storedProfile();
    stored.writeProfileString(kSettingsSection, u"NtripAddress", u"caster.example.net");
    stored.writeProfileInt(kSettingsSection, u"NtripPort", 2101);

    const auto changeAndEnd = [](bool ok) {
        return [ok](CMainMenuDialog& menu) {
            EXPECT_EQ(menu.settings().ntripAddress, u"caster.example.net") << "loaded at start";
            menu.settings().ntripAddress = u"other.example.org";
            menu.settings().dialGsm = true;
            ok ? menu.OnOK() : menu.OnCancel();
            EXPECT_TRUE(menu.disconnected());
        };
    };
    runProgram(changeAndEnd(false));
    EXPECT_TRUE(heard("$PQELS,NME,ALL")) << "the menu disconnected the receiver";
    EXPECT_EQ(stored.getProfileString(kSettingsSection, u"NtripAddress"), u"caster.example.net");
    EXPECT_EQ(stored.getProfileInt(kSettingsSection, u"NtripPort", -1), 2101u);
    EXPECT_EQ(stored.getProfileInt(kSettingsSection, u"DialGsm", -1), 0u) << "written at exit";

    runProgram(changeAndEnd(true));
    EXPECT_EQ(stored.getProfileString(kSettingsSection, u"NtripAddress"), u"other.example.org");
    EXPECT_EQ(stored.getProfileInt(kSettingsSection, u"DialGsm", -1), 1u);
}

TEST_F(ZentrixAppTest, AStartThatCannotConnectSaysSoAndSavesNothing) {
    const auto device = root_.path() / "no-such-device";
    ScopedEnv port("ZENTRIX_COM3", device.string());
    const ProgramRun run = runProgram([](CMainMenuDialog& menu) { menu.OnCancel(); });
    EXPECT_FALSE(run.menuShown);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.captions, std::vector<WideString>{u"GNSS Zentrix"})
        << "not the executable's name";
    EXPECT_NE(run.exitCode, 0);
    const std::string text = platform::toUtf8(run.messages[0]);
    EXPECT_EQ(text.rfind("Cannot connect GPS\n", 0), 0u) << text;
    EXPECT_NE(text.find("Port COM3: " + device.string()), std::string::npos) << text;
    EXPECT_NE(text.find("could not be opened: No such file or directory"), std::string::npos);
    EXPECT_EQ(text.find("Baud rates tried"), std::string::npos) << "nothing was searched";
    EXPECT_NE(text.find((root_.path() / "devices" / "COM3").string()), std::string::npos);
    EXPECT_NE(text.find("ZENTRIX_COM3"), std::string::npos);
    EXPECT_NE(text.find("zentrix-sim"), std::string::npos);
    EXPECT_FALSE(platform::Registry::device()
                     ->key(platform::RootKey::CurrentUser, u"Software\\Orvanex")
                     .exists())
        << "no registry key, nothing written";
}

TEST_F(ZentrixAppTest, AReceiverThatNeverAnswersIsReportedWithTheRatesTried) {
    ASSERT_TRUE(startSimulator(SimReceiver::SurveyBoard, 3));
    sim_->setFault(SimFault::Silence);
    platform::sleepMs(1000);  // what the receiver had begun to send leaves its transmitter
    const ProgramRun run = runProgram([](CMainMenuDialog& menu) { menu.OnCancel(); });
    EXPECT_FALSE(run.menuShown);
    EXPECT_NE(run.exitCode, 0);
    ASSERT_EQ(run.messages.size(), 1u);
    const std::string text = platform::toUtf8(run.messages[0]);
    EXPECT_NE(text.find("Port COM3: " + (root_.path() / "devices" / "COM3").string()),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Baud rates tried: 57600, 115200, 9600, 4800, 19200, 38400."),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("could not be opened"), std::string::npos);
}

// The status sheet from the menu against the simulated board: a position with its solution
// type, and satellites that move across the sky plot from one refresh to a later one.
TEST_F(ZentrixAppTest, GnssStatusFromTheMenuShowsTheFixAndMovingSatellites) {
    ASSERT_TRUE(startSimulator(SimReceiver::SurveyBoard, 3));
    WideString latitude;
    ui::SkyPlotTable first;
    ui::SkyPlotTable later;
    int shown = 0;
    onSheet_ = [&](ui::CGnssStatusSheet& sheet) {
        framework::CPropertyPage* position = sheet.GetActivePage();
        latitude = position->GetDlgItemText(IDC_LATITUDE);
        ASSERT_TRUE(sheet.SetActivePage(&sheet.satellitesPage()));
        ui::CSatellitesPage& satellites = sheet.satellitesPage();
        satellites.refresh();
        first = satellites.plot().table();
        // A minute of the receiver's sky at this clock.
        platform::sleepMs(60000);
        satellites.refresh();
        later = satellites.plot().table();
        for (const auto& group : later)
            for (const auto& slot : group) shown += slot.prn != 0 ? 1 : 0;
        sheet.EndDialog(framework::IDCANCEL);
    };
    const ProgramRun run = runProgram([](CMainMenuDialog& menu) {
        menu.runAction(MenuAction::GnssStatus);
        menu.OnCancel();
    });
    EXPECT_TRUE(run.menuShown);
    const std::string text = platform::toUtf8(latitude);
    EXPECT_EQ(text.size() > 10 && (text.back() == 'N' || text.back() == 'S'), true) << text;
    EXPECT_GE(shown, 4) << "the simulated sky has satellites of several systems in view";
    EXPECT_NE(first, later) << "nothing moved in a minute";
}

// The NMEA output sheet keeps the output the user last showed in the registry, even when it is
// cancelled, and opens on it the next time.
TEST_F(ZentrixAppTest, NmeaOutputKeepsItsOutputInTheRegistry) {
    ASSERT_TRUE(startSimulator(SimReceiver::SurveyBoard, 3));
    std::vector<int> openedOn;
    onOtherWindow_ = [&](CWnd& window) {
        auto* sheet = dynamic_cast<ui::CNmeaOutputSheet*>(&window);
        if (sheet == nullptr)
            return false;
        auto* output =
            dynamic_cast<framework::CComboBox*>(sheet->outputPage().GetDlgItem(IDC_NMEA_OUTPUT));
        openedOn.push_back(output->GetCurSel());
        output->SetCurSel(2);  // Bluetooth, then Cancel
        framework::NotifyInfo chosen;
        chosen.code = framework::CBN_SELCHANGE;
        chosen.idFrom = IDC_NMEA_OUTPUT;
        sheet->outputPage().OnNotify(chosen);
        sheet->EndDialog(framework::IDCANCEL);
        return true;
    };
    for (int run = 0; run < 2; ++run) {
        runProgram([](CMainMenuDialog& menu) {
            menu.runAction(MenuAction::NmeaOutput);
            menu.OnCancel();
        });
    }
    EXPECT_EQ(openedOn, (std::vector<int>{0, 2}));
    EXPECT_EQ(storedProfile().getProfileInt(kSettingsSection, u"NMEAPortIndex", 9), 2u);
}

// Cancel in the start-up window during a search that would take a minute and a half, or a
// termination signal then: the program ends at once, saying nothing more, leaving nothing behind.
TEST_F(ZentrixAppTest, CancelOrASignalDuringTheSearchEndsTheProgramAtOnce) {
    // A tap on Cancel, which reaches the window while the search waits for the receiver.
    const auto tapCancel = [](CStartupWindow& window) {
        QWidget* button = window.GetDlgItem(framework::IDCANCEL)->widget();
        const QPointF at(button->width() / 2.0, button->height() / 2.0);
        for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            const auto buttons = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
            QCoreApplication::postEvent(
                button, new QMouseEvent(type, at, button->mapToGlobal(at), Qt::LeftButton, buttons,
                                        Qt::NoModifier));
        }
    };
    const auto terminate = [](CStartupWindow&) { std::raise(SIGTERM); };
    for (const auto& cancel : {std::function<void(CStartupWindow&)>(tapCancel),
                               std::function<void(CStartupWindow&)>(terminate)}) {
        ScratchDeviceRoot root;
        ASSERT_TRUE(startSimulator(SimReceiver::SurveyBoard, 3));
        sim_->setFault(SimFault::Silence);
        platform::sleepMs(1000);  // what the receiver had begun to send leaves its transmitter
        uint32_t cancelledAt = 0;
        onStartupText_ = [&](CStartupWindow& window) {
            const std::string text = platform::toUtf8(window.texts().back());
            if (cancelledAt == 0 && text.find("115200") != std::string::npos) {
                cancel(window);
                cancelledAt = platform::Clock::tickCount();
            }
        };
        const ProgramRun run = runProgram([](CMainMenuDialog& menu) { menu.OnCancel(); });
        const uint32_t took = platform::ticksSince(cancelledAt);
        ASSERT_NE(cancelledAt, 0u);
        EXPECT_FALSE(run.menuShown);
        EXPECT_TRUE(run.messages.empty()) << "a cancelled start is no failure to report";
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_LT(took, 3000u) << "the search went on after Cancel";
        const std::string last = platform::toUtf8(run.startupTexts.back());
        EXPECT_NE(last.find("115200"), std::string::npos) << "no rate was tried after Cancel";
        EXPECT_FALSE(platform::Registry::device()
                         ->key(platform::RootKey::CurrentUser, u"Software\\Orvanex")
                         .exists());
        sim_.reset();
    }
}

// SIGTERM (or Ctrl-C) with the menu open ends the program as the menu's Cancel does: the
// receiver's outputs are switched off and its NPT setting given back, the settings saved.
TEST_F(ZentrixAppTest, ATerminationSignalEndsTheProgramAsCancelDoes) {
    ASSERT_TRUE(startSimulator(SimReceiver::SurveyBoard, 3));
    sim_->withBoard([](sim::SurveyBoard& b) {
        b.state().nptFirst = 0;
        b.state().nptSecond = 1;
    });
    sim::BoardState whileRunning;
    const ProgramRun run = runProgram([&](CMainMenuDialog&) {
        whileRunning = test::boardState(*sim_);
        std::raise(SIGTERM);  // the menu stays open for the signal to end it
    });
    EXPECT_TRUE(run.menuShown);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_EQ(whileRunning.nptFirst, 1) << "the program had set the receiver up";
    EXPECT_FALSE(whileRunning.outputs['A'].empty());
    sim::BoardState after = test::boardState(*sim_);
    EXPECT_EQ(after.nptFirst, 0);
    EXPECT_EQ(after.nptSecond, 1);
    EXPECT_TRUE(after.outputs['A'].empty()) << "the program's outputs were left on";
    EXPECT_TRUE(platform::Registry::device()
                    ->key(platform::RootKey::CurrentUser, u"Software\\Orvanex\\GNSS Zentrix")
                    .exists())
        << "the settings were saved";
}

TEST_F(ZentrixAppTest, ASecondStartWithoutAWindowToRaiseSaysZentrixRuns) {
    ASSERT_TRUE(startSimulator(SimReceiver::SurveyBoard, 3));
    platform::NamedMutex first("ZenTrix");  // held, but nobody listens for the window
    ASSERT_TRUE(first.owned());
    const ProgramRun run = runProgram([](CMainMenuDialog& menu) { menu.OnCancel(); });
    EXPECT_FALSE(run.menuShown);
    EXPECT_EQ(run.messages, std::vector<WideString>{u"Zentrix is already running."});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.receiverKind.empty()) << "no receiver made";
    EXPECT_TRUE(sim_->commandLog().empty()) << "the receiver was left alone";
}

TEST_F(ZentrixAppTest, ASecondStartRaisesTheRunningWindowAndEndsSilently) {
    ASSERT_TRUE(startSimulator(SimReceiver::SurveyBoard, 3));
    // The running program's side, answered on its user-interface thread as the window layer
    // does: the second start runs inside the first one's menu.
    ProgramRun second;
    std::string answerSeen;
    const ProgramRun first = runProgram([&](CMainMenuDialog& menu) {
        auto* app = dynamic_cast<CZentrixApp*>(framework::AfxGetApp());
        ASSERT_TRUE(app && app->instanceChannel() && app->instanceChannel()->listening());
        std::atomic<bool> done = false;
        std::thread start([&] {
            const platform::ChannelReply reply =
                platform::sendLocalMessage("ZenTrix", framework::kRaiseMessage, 60000);
            answerSeen = reply.answer;
            done = true;
        });
        while (!done) {
            app->instanceChannel()->serveNow();
            platform::sleepMs(1);
        }
        start.join();
        menu.OnCancel();
    });
    EXPECT_EQ(answerSeen, framework::kRaisedAnswer) << "the menu is the main window";
    EXPECT_TRUE(first.menuShown);

    // With the first one's lock held and its channel answering "raised" from another thread, the
    // second start shows nothing at all.
    platform::NamedMutex held("ZenTrix");
    ASSERT_TRUE(held.owned());
    platform::LocalChannelListener listener;
    ASSERT_TRUE(listener.listen("ZenTrix")) << listener.error();
    std::vector<std::string> heardByFirst;
    std::atomic<bool> stop = false;
    std::thread running([&] {
        while (!stop) {
            listener.serve([&](std::string_view message) {
                heardByFirst.emplace_back(message);
                return std::string(framework::kRaisedAnswer);
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    second = runProgram([](CMainMenuDialog& menu) { menu.OnCancel(); });
    stop = true;
    running.join();
    EXPECT_FALSE(second.menuShown);
    EXPECT_TRUE(second.messages.empty());
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(heardByFirst, std::vector<std::string>{"raise"});
}

// A lock that cannot be taken is no running instance: the start says what is wrong with the
// device root and fails.
TEST_F(ZentrixAppTest, ADeviceRootThatCannotHoldTheLockIsReportedNotTakenForARunningStart) {
    struct Case {
        const char* legend;
        std::function<std::filesystem::path()> prepare;  // the device root to use
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"a plain file where the lock's folder goes",
         [&] {
             std::ofstream(root_.path() / ".mutex") << "not a folder";
             return root_.path();
         },
         "Not a directory"},
        {"a device root that cannot be made",
         [&] {
             // /sys refuses new folders even to root, whom file modes do not stop.
             return std::filesystem::path("/sys/zentrix-test-root");
         },
         "Operation not permitted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.legend);
        const std::filesystem::path root = c.prepare();
        ScopedEnv rootEnv("ZENTRIX_ROOT", root.string());
        const ProgramRun run = runProgram([](CMainMenuDialog& menu) { menu.OnCancel(); });
        EXPECT_FALSE(run.menuShown);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_TRUE(run.receiverKind.empty());
        ASSERT_EQ(run.messages.size(), 1u);
        const std::string text = platform::toUtf8(run.messages[0]);
        EXPECT_EQ(text.rfind("Zentrix cannot use its device root " + root.string() + ": ", 0), 0u)
            << text;
        EXPECT_NE(text.find(c.reason), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace zentrix::app
