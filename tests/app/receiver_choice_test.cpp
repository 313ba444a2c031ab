// Which receiver the program opens with: the command line over the registry, and the automatic
// choice that opens a receiver which only talks NMEA when no board answers on its line.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/main_menu_dialog.h"
#include "app/startup.h"
#include "app/zentrix_app.h"
#include "framework/message_box.h"
#include "framework/win_app.h"
#include "platform/app_profile.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "receiver/gnss_receiver.h"
#include "receiver/nmea_receiver/nmea_receiver.h"
#include "resources/resource_ids.h"
#include "tests/app/program_profile.h"
#include "tests/support/simulated_receiver.h"
#include "tests/support/test_support.h"
#include "tests/support/testdata.h"
#include "tools/sim/simulator.h"
#include "ui/status/gnss_status_sheet.h"

namespace zentrix::app {
namespace {

using platform::WideString;
using test::ScopedEnv;
using test::ScratchDeviceRoot;

TEST(ReceiverChoiceOptions, CommandLineIsParsedOrRefusedWithAReason) {
    struct Row {
        std::vector<std::string> arguments;
        std::optional<ReceiverChoice> receiver;
        std::optional<WideString> port;
        const char* error;  // a part of the reason; empty when the line is fine
    };
    const std::vector<Row> rows = {
        {{}, std::nullopt, std::nullopt, ""},
        {{"--receiver", "nmea"}, ReceiverChoice::Nmea, std::nullopt, ""},
        {{"--receiver=BOARD", "--port=COM4:"}, ReceiverChoice::Board, u"COM4:", ""},
        {{"--port", "/dev/ttyUSB0", "--receiver", "sirf"},
         ReceiverChoice::Sirf,
         u"/dev/ttyUSB0",
         ""},
        {{"--receiver", "nmea", "--receiver", "auto"}, ReceiverChoice::Auto, std::nullopt, ""},
        // The window system's own options pass through.
        {{"-platform", "offscreen", "--receiver", "nmea"}, ReceiverChoice::Nmea, std::nullopt, ""},
        {{"--receiver", "gps"}, std::nullopt, std::nullopt, "\"gps\""},
        {{"--receiver="}, std::nullopt, std::nullopt, "board, sirf, nmea or auto"},
        {{"--receiver"}, std::nullopt, std::nullopt, "--receiver needs a value"},
        {{"--port"}, std::nullopt, std::nullopt, "--port needs a value"},
        {{"--port="}, std::nullopt, std::nullopt, "--port needs a port name"},
        {{"--baud", "9600"}, std::nullopt, std::nullopt, "unknown option --baud"},
    };
    for (const Row& row : rows) {
        std::string legend;
        for (const auto& argument : row.arguments) legend += argument + " ";
        SCOPED_TRACE(legend);
        const ParsedCommandLine parsed = parseCommandLine(row.arguments);
        if (*row.error != '\0') {
            EXPECT_NE(parsed.error.find(row.error), std::string::npos) << parsed.error;
            continue;
        }
        EXPECT_EQ(parsed.error, "");
        EXPECT_EQ(parsed.options.receiver, row.receiver);
        EXPECT_EQ(parsed.options.port, row.port);
    }
}

TEST(ReceiverChoiceOptions, RegistryValuesReadLeniently) {
    ScratchDeviceRoot root;
    const platform::AppProfile stored = test::programProfile();
    EXPECT_EQ(loadReceiverSettings(stored).choice, ReceiverChoice::Auto) << "nothing stored";
    EXPECT_EQ(loadReceiverSettings(stored).port, u"");
    const std::vector<std::pair<const char16_t*, ReceiverChoice>> rows = {
        {u"nmea", ReceiverChoice::Nmea},     {u"Board", ReceiverChoice::Board},
        {u"SIRF", ReceiverChoice::Sirf},     {u"auto", ReceiverChoice::Auto},
        {u"nmea0183", ReceiverChoice::Auto}, {u"", ReceiverChoice::Auto},
    };
    for (const auto& [text, choice] : rows) {
        SCOPED_TRACE(platform::toUtf8(text));
        stored.writeProfileString(kSettingsSection, u"Receiver", text);
        EXPECT_EQ(loadReceiverSettings(stored).choice, choice);
    }
    stored.writeProfileString(kSettingsSection, u"Port", u"/dev/ttyACM0");
    EXPECT_EQ(loadReceiverSettings(stored).port, u"/dev/ttyACM0");
}

TEST(ReceiverChoiceOptions, PlanTakesTheCommandLineOverTheRegistryAndKeepsTheModelsDefaults) {
    using C = ReceiverChoice;
    using K = ReceiverKind;
    struct Row {
        const char* legend;
        DeviceModel handheld;
        StartOptions commandLine;
        ReceiverSettings stored;
        K kind;
        DeviceModel model;
        const char16_t* port;
        bool fallback;
    };
    const std::vector<Row> rows = {
        {"survey model, nothing said",
         kSurveyModel,
         {},
         {},
         K::Board,
         kSurveyModel,
         u"COM3:",
         true},
        {"GPS-only model 0, nothing said",
         kGpsOnlyModel0,
         {},
         {},
         K::Sirf,
         kGpsOnlyModel0,
         u"COM1:",
         false},
        {"GPS-only model 1, nothing said",
         kGpsOnlyModel1,
         {},
         {},
         K::Sirf,
         kGpsOnlyModel1,
         u"COM3:",
         false},
        {"registry nmea", kSurveyModel, {}, {C::Nmea, u""}, K::Nmea, kSurveyModel, u"COM3:", false},
        {"command line over registry",
         kSurveyModel,
         {C::Auto, u"/dev/ttyUSB0"},
         {C::Nmea, u"COM5:"},
         K::Board,
         kSurveyModel,
         u"/dev/ttyUSB0",
         true},
        {"registry port when the command line names none",
         kGpsOnlyModel0,
         {C::Nmea, {}},
         {C::Board, u"COM5:"},
         K::Nmea,
         kGpsOnlyModel0,
         u"COM5:",
         false},
        {"board forced on a GPS-only model",
         kGpsOnlyModel0,
         {C::Board, {}},
         {},
         K::Board,
         kSurveyModel,
         u"COM3:",
         false},
        {"chip forced on the survey model",
         kSurveyModel,
         {C::Sirf, {}},
         {},
         K::Sirf,
         kGpsOnlyModel1,
         u"COM3:",
         false},
        {"chip forced on GPS-only model 0 keeps its port",
         kGpsOnlyModel0,
         {C::Sirf, {}},
         {},
         K::Sirf,
         kGpsOnlyModel0,
         u"COM1:",
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const ReceiverPlan plan = planReceiver(row.handheld, row.commandLine, row.stored);
        EXPECT_EQ(plan.kind, row.kind);
        EXPECT_EQ(plan.model, row.model);
        EXPECT_EQ(plan.port, row.port);
        EXPECT_EQ(plan.nmeaFallback, row.fallback);
    }
}

// What the automatic start decides on: the rate at which the board's search heard sentences,
// whether a board answered there or not.
TEST(ReceiverChoiceOptions, BoardSearchTellsWhereItHeardSentences) {
    platform::ScopedClockSpeed fast{25};
    struct Row {
        const char* legend;
        std::optional<sim::SimReceiver> peer;  // none: a line nobody talks on
        uint32_t baud;
        uint32_t connected;
        uint32_t heard;
    };
    const std::vector<Row> rows = {
        {"survey board", sim::SimReceiver::SurveyBoard, 57600, 1, 57600},
        {"plain NMEA receiver", sim::SimReceiver::Replay, 4800, 0, 4800},
        {"silent line", std::nullopt, 57600, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        ScratchDeviceRoot root;
        sim::SimOptions options;
        options.receiver = row.peer.value_or(sim::SimReceiver::Replay);
        options.baudRate = row.baud;
        options.replayLog = std::string(ZENTRIX_TESTDATA_DIR) + "/gpsd/skytraq-fixB.log";
        options.replayLoop = true;
        options.startUtcSeconds = 1700000000;
        sim::Simulator simulator(options);
        ASSERT_TRUE(simulator.openPseudoTerminal() && simulator.linkAsComPort(3));
        if (row.peer) {
            ASSERT_TRUE(simulator.start());
        }
        receiver::GnssReceiver board;
        EXPECT_EQ(board.connect(u"COM3:"), row.connected);
        EXPECT_EQ(board.heardBaud(), row.heard);
        board.stopReader();
        board.closePort();
    }
}

// A port named by its device path has no link in the device root nor a variable to suggest.
TEST(ReceiverChoiceOptions, FailureBoxOfADevicePathSuggestsNoComPortLink) {
    ScratchDeviceRoot root;
    ScopedEnv language("LC_ALL", "C");
    ConnectionFailure failure;
    failure.portName = u"/dev/ttyUSB7";
    failure.devicePath = "/dev/ttyUSB7";
    failure.ratesTried = {4800, 9600};
    const std::string text = platform::toUtf8(connectionFailureText(failure));
    EXPECT_NE(text.find("Port /dev/ttyUSB7: /dev/ttyUSB7"), std::string::npos) << text;
    EXPECT_NE(text.find("Baud rates tried: 4800, 9600."), std::string::npos) << text;
    EXPECT_EQ(text.find("ZENTRIX_"), std::string::npos) << text;
    failure.portName = u"COM3:";
    EXPECT_NE(platform::toUtf8(connectionFailureText(failure)).find("ZENTRIX_COM3"),
              std::string::npos);
}

/// What the user saw during one run of the program against a receiver that only talks NMEA.
struct NmeaRun {
    int exitCode = -1;
    bool menuShown = false;
    ReceiverKind kind = ReceiverKind::Board;
    bool nmeaReceiver = false;
    std::vector<WideString> menuItems;
    std::vector<std::string> startupTexts;
    std::vector<WideString> messages;
    WideString latitude;
    /// What the program had written to the line when the second search began (the NMEA one of
    /// an automatic start); 0 without one.
    uint64_t writtenBeforeSecondSearch = 0;
};

class ProgramWithPlainNmeaReceiver : public ::testing::Test {
  protected:
    void TearDown() override {
        CStartupWindow::setTextObserver(nullptr);
        framework::setModalHandler(nullptr);
        framework::setMessageBoxHandler(nullptr);
    }

    /// A capture replayed in a loop at `baud` on COM3:, at the capture's own pace.
    bool startReplay(uint32_t baud) {
        sim_ = test::startLoopingReplay(test::testdataPath("gpsd/ublox-f9p-hpnmea.log"), baud);
        return sim_ != nullptr;
    }

    /// Runs the program with `options`: the menu opens the status sheet, reads the position
    /// once the receiver has published one, and ends.
    NmeaRun runProgram(StartOptions options) {
        NmeaRun run;
        framework::clearMessageBoxLog();
        framework::setMessageBoxHandler(
            [](const framework::MessageBoxRecord&) { return framework::IDOK; });
        CStartupWindow::setTextObserver([&](CStartupWindow& window) {
            run.startupTexts.clear();
            int openings = 0;
            for (const WideString& text : window.texts()) {
                run.startupTexts.push_back(platform::toUtf8(text));
                openings += run.startupTexts.back().starts_with("Opening") ? 1 : 0;
            }
            if (openings == 2 && run.writtenBeforeSecondSearch == 0 && sim_)
                run.writtenBeforeSecondSearch = sim_->bytesHeard();
        });
        framework::setModalHandler([&](framework::CWnd& window) {
            if (auto* menu = dynamic_cast<CMainMenuDialog*>(&window)) {
                run.menuShown = true;
                for (int i = 0; i < menu->list().GetItemCount(); ++i)
                    run.menuItems.push_back(menu->list().GetItemText(i, 0));
                menu->runAction(MenuAction::GnssStatus);
                menu->OnCancel();
            } else if (auto* sheet = dynamic_cast<ui::CGnssStatusSheet*>(&window)) {
                ui::CPositionPage& position = sheet->positionPage();
                // Two epochs of the capture are enough for a published position.
                for (int second = 0; second < 5; ++second) {
                    position.refresh();
                    run.latitude = position.GetDlgItemText(IDC_LATITUDE);
                    if (!run.latitude.empty() && !platform::toUtf8(run.latitude).starts_with("000"))
                        break;
                    platform::sleepMs(1000);
                }
                sheet->EndDialog(framework::IDCANCEL);
            }
        });
        static int argc = 1;
        static char name[] = "zentrix";
        static char* argv[] = {name, nullptr};
        run.exitCode = framework::runApplication(argc, argv, [&] {
            auto app = std::make_unique<CZentrixApp>(options);
            run.kind = app->receiverKind();
            run.nmeaReceiver = dynamic_cast<receiver::NmeaReceiver*>(app->receiver()) != nullptr;
            return app;
        });
        for (const auto& box : framework::messageBoxLog()) run.messages.push_back(box.text);
        return run;
    }

    static bool shown(const NmeaRun& run, const std::string& part) {
        for (const std::string& text : run.startupTexts) {
            if (text.find(part) != std::string::npos)
                return true;
        }
        return false;
    }

    platform::ScopedClockSpeed fast_{25};
    ScratchDeviceRoot root_;
    ScopedEnv language_{"LC_ALL", "C"};
    std::unique_ptr<sim::Simulator> sim_;
};

const std::vector<WideString> kListenOnlyMenu = {u"GNSS Status", u"About"};
/// The capture's receiver stood at 44°04.13' N.
constexpr char kCapturedLatitude[] = "044°04'";

// The survey model's automatic start: the board's search hears sentences at 9600 but no board
// answers, so the program listens for NMEA instead of reporting "Cannot connect GPS".
TEST_F(ProgramWithPlainNmeaReceiver, AutomaticStartFallsBackFromTheBoardToNmea) {
    ASSERT_TRUE(startReplay(9600));
    const uint32_t started = platform::Clock::tickCount();
    const NmeaRun run = runProgram({});
    std::printf("[ measure ] automatic start to the end of the menu: %u clock ms\n",
                platform::ticksSince(started));
    EXPECT_TRUE(run.messages.empty()) << platform::toUtf8(run.messages.front());
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_TRUE(run.menuShown);
    EXPECT_EQ(run.kind, ReceiverKind::Nmea);
    EXPECT_EQ(run.menuItems, kListenOnlyMenu);
    EXPECT_TRUE(platform::toUtf8(run.latitude).starts_with(kCapturedLatitude))
        << platform::toUtf8(run.latitude);
    // The window showed the board's search, then the NMEA search, which ended connected.
    EXPECT_TRUE(shown(run, "Looking for the receiver service"));
    EXPECT_TRUE(shown(run, "Receiver found on COM3: at 9600 baud. Setting it up..."));
    ASSERT_FALSE(run.startupTexts.empty());
    EXPECT_EQ(run.startupTexts.back(), "Connected.");
    int openings = 0;
    for (const std::string& text : run.startupTexts) openings += text.starts_with("Opening");
    EXPECT_EQ(openings, 2) << "the board's search and the NMEA search each open the port";
    // The board's search asked its question; from the NMEA search to the end nothing more, not
    // even the board's disconnect.
    EXPECT_GT(run.writtenBeforeSecondSearch, 0u);
    EXPECT_EQ(sim_->bytesHeard(), run.writtenBeforeSecondSearch);
    // The board was only asked questions: its port was given back without the disconnect's
    // settings, each of which would have waited out its time-out.
    const std::vector<std::string> heard = sim_->commandLog();
    EXPECT_FALSE(heard.empty());
    for (const std::string& command : heard) EXPECT_TRUE(command.starts_with("$PQELQ,")) << command;
}

// `nmea` from the command line or the registry: no service, no board search, nothing sent.
TEST_F(ProgramWithPlainNmeaReceiver, NmeaChoiceListensOnlyAndSendsNothing) {
    ASSERT_TRUE(startReplay(57600));
    for (const bool fromRegistry : {false, true}) {
        SCOPED_TRACE(fromRegistry ? "registry" : "command line");
        StartOptions options;
        if (fromRegistry)
            test::programProfile().writeProfileString(kSettingsSection, u"Receiver", u"nmea");
        else
            options.receiver = ReceiverChoice::Nmea;
        const uint64_t writtenBefore = sim_->bytesHeard();
        const NmeaRun run = runProgram(options);
        EXPECT_TRUE(run.messages.empty());
        ASSERT_TRUE(run.menuShown);
        EXPECT_TRUE(run.nmeaReceiver);
        EXPECT_EQ(run.menuItems, kListenOnlyMenu);
        EXPECT_TRUE(platform::toUtf8(run.latitude).starts_with(kCapturedLatitude))
            << platform::toUtf8(run.latitude);
        EXPECT_FALSE(shown(run, "receiver service"));
        EXPECT_EQ(sim_->bytesHeard(), writtenBefore) << "the program wrote to the receiver";
    }
}

// A command line that forces `nmea` on a silent line ends in the failure box with the rates the
// search listened at, and leaves the registry as it was.
TEST_F(ProgramWithPlainNmeaReceiver, NmeaChoiceOnASilentLineReportsTheRatesTried) {
    auto silent = std::make_unique<sim::Simulator>();
    ASSERT_TRUE(silent->openPseudoTerminal() && silent->linkAsComPort(3));  // never started
    StartOptions options;
    options.receiver = ReceiverChoice::Nmea;
    const NmeaRun run = runProgram(options);
    EXPECT_FALSE(run.menuShown);
    EXPECT_NE(run.exitCode, 0);
    ASSERT_EQ(run.messages.size(), 1u);
    const std::string text = platform::toUtf8(run.messages[0]);
    EXPECT_EQ(text.rfind("Cannot connect GPS\n", 0), 0u) << text;
    EXPECT_NE(text.find("Port COM3: "), std::string::npos) << text;
    EXPECT_NE(text.find("Baud rates tried: "), std::string::npos) << text;
    for (const uint32_t rate : receiver::NmeaReceiver::kSearchRates)
        EXPECT_NE(text.find(std::to_string(rate)), std::string::npos) << rate;
    EXPECT_FALSE(shown(run, "receiver service"));
    EXPECT_FALSE(platform::Registry::device()
                     ->key(platform::RootKey::CurrentUser, u"Software\\Orvanex")
                     .exists());
}

}  // namespace
}  // namespace zentrix::app
