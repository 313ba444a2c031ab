#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <thread>

#include "tests/support/testdata.h"
#include "tests/tools/ctl_support.h"

namespace zentrix {
namespace {

using ctl::kNoAnswer;
using ctl::kNoReceiver;
using ctl::kRefused;
using ctl::kSuccess;
using ctl::kUsage;
using sim::ModemState;
using sim::SimFault;
using test::runCtl;

bool logHas(const std::vector<std::string>& log, const std::string& prefix) {
    return std::any_of(log.begin(), log.end(),
                       [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
}

std::string lastWith(const std::vector<std::string>& log, const std::string& prefix) {
    for (auto it = log.rbegin(); it != log.rend(); ++it) {
        if (it->rfind(prefix, 0) == 0)
            return *it;
    }
    return {};
}

// Whatever a command cannot carry is refused before any port opens.
TEST(CtlActionArguments, AreCheckedBeforeAnythingIsOpened) {
    test::ScratchDeviceRoot root;
    const std::string tooLong(385, 'A');
    const struct {
        std::vector<std::string> args;
        std::string why;
    } rows[] = {
        {{"send"}, "takes one text"},
        {{"send", "$PQELQ,MDM", "x"}, "takes one text"},
        {{"send", ""}, "empty"},
        {{"send", "$PQELS,RST\r\n$PQELS,PWR,OFF"}, "line break"},
        {{"send", "$PQELS,RST\n"}, "line break"},
        {{"send", std::string("$PQELS,RST\0$PQELS,PWR,OFF", 25)}, "zero byte"},
        {{"send", tooLong}, "longer than 384"},
        {{"send", "$PQELS,SID,\xe6\xbc\xa2"}, "cannot be sent the character"},
        {{"ntrip"}, "connect or disconnect"},
        {{"ntrip", "on"}, "connect or disconnect"},
        {{"record", "start", "now"}, "start or stop"},
        {{"dial", "0041"}, "takes no arguments"},
        {{"power-off", "now"}, "takes no arguments"},
    };
    for (const auto& row : rows) {
        const test::CtlResult result = runCtl(row.args);
        EXPECT_EQ(result.status, kUsage) << row.args[0];
        EXPECT_NE(result.err.find(row.why), std::string::npos) << result.err;
        EXPECT_EQ(test::linesOf(result.err).size(), 1u) << result.err;
        EXPECT_TRUE(result.out.empty());
    }
}

class CtlActionsOnBoard : public test::CtlOnSimulator {};

// A data call as the GSM row of the differential page makes it: network links end, the modem is
// switched to CSD and initialised, the stored number is sent back, the call dialled and watched
// until it is up; hangup ends it.
TEST_F(CtlActionsOnBoard, DialWaitsForTheCallAndHangupEndsIt) {
    const test::CtlResult dial = runCtl({"dial"});
    ASSERT_EQ(dial.status, kSuccess) << dial.err;
    EXPECT_EQ(dial.out, "online 0041441234567\n");
    EXPECT_TRUE(dial.err.empty()) << dial.err;
    EXPECT_EQ(test::boardState(*sim_).modem, ModemState::Online);
    const auto log = sim_->commandLog();
    const auto at = [&](const std::string& prefix) {
        return std::find_if(log.begin(), log.end(),
                            [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }) -
               log.begin();
    };
    EXPECT_LT(at("$PQELS,NTR,MTP,OFF"), at("$PQELS,MDM,PAR,PTC,0"));
    EXPECT_LT(at("$PQELS,MDM,INI"), at("$PQELS,MDM,PAR,PTC,0,PHN,0041441234567"));
    EXPECT_LT(at("$PQELS,MDM,PAR,PTC,0,PHN"), at("$PQELS,MDM,DAL,1"));

    const test::CtlResult hangup = runCtl({"--json", "hangup"});
    ASSERT_EQ(hangup.status, kSuccess) << hangup.err;
    const auto json = nlohmann::json::parse(hangup.out);
    EXPECT_EQ(json["action"], "hangup");
    EXPECT_EQ(test::boardState(*sim_).modem, ModemState::Init);
}

// A call that fails is told apart from one nobody answers; one that rings on is hung up rather
// than left dialling behind the ended command.
TEST_F(CtlActionsOnBoard, DialFailuresAreClearAndLeaveNoCallBehind) {
    const struct {
        SimFault fault;
        int status;
        std::string says;
    } rows[] = {
        {SimFault::DialBusy, kRefused, "did not go through (the modem went back to ON"},
        {SimFault::DialNoCarrier, kRefused, "did not go through (the modem went back to INIT"},
        {SimFault::DialNoAnswer, kNoAnswer, "not answered within 90 s; hung up"},
    };
    for (const auto& row : rows) {
        sim_->clearFaults();
        sim_->setFault(row.fault);
        sim_->clearCommandLog();
        const test::CtlResult result = runCtl({"dial"});
        EXPECT_EQ(result.status, row.status) << result.err;
        EXPECT_NE(result.err.find(row.says), std::string::npos) << result.err;
        EXPECT_EQ(test::linesOf(result.err).size(), 1u) << result.err;
        EXPECT_TRUE(result.out.empty()) << result.out;
        EXPECT_NE(test::boardState(*sim_).modem, ModemState::Dialing);
        EXPECT_NE(test::boardState(*sim_).modem, ModemState::Online);
    }
}

// An interrupt while the call rings ends the wait at once and hangs up.
TEST_F(CtlActionsOnBoard, AnInterruptedDialHangsUp) {
    sim_->setFault(SimFault::DialNoAnswer);
    std::atomic<bool> stop{false};
    test::CtlResult result;
    std::thread ctl([&] { result = test::runCtlWith({"dial"}, stop); });
    ASSERT_TRUE(sim_->waitForCommand("$PQELS,MDM,DAL,1", 20000));
    stop = true;
    ctl.join();
    EXPECT_EQ(result.status, kNoAnswer) << result.err;
    EXPECT_NE(result.err.find("interrupted"), std::string::npos) << result.err;
    EXPECT_EQ(lastWith(sim_->commandLog(), "$PQELS,MDM,DAL"), "$PQELS,MDM,DAL,0");
    EXPECT_EQ(test::boardState(*sim_).modem, ModemState::Init);
}

// The stream connected is the one the receiver has; without one nothing is changed.
TEST_F(CtlActionsOnBoard, NtripConnectsTheReceiversMountPointAndDisconnects) {
    {
        const test::CtlResult result = runCtl({"ntrip", "connect"});
        EXPECT_EQ(result.status, kRefused);
        EXPECT_NE(result.err.find("no mount point is set"), std::string::npos) << result.err;
        EXPECT_FALSE(logHas(sim_->commandLog(), "$PQELS,MDM"));
        EXPECT_FALSE(logHas(sim_->commandLog(), "$PQELS,NTR,MTP"));
    }
    // Stored, as a stream the caster dropped leaves it; the modem is up but idle.
    sim_->withBoard([](sim::SurveyBoard& board) {
        board.state().mountPoint = "ALAC00ESP0";
        board.state().modem = ModemState::Init;
    });
    {
        const test::CtlResult result = runCtl({"--json", "ntrip", "connect"});
        ASSERT_EQ(result.status, kSuccess) << result.err;
        const auto json = nlohmann::json::parse(result.out);
        EXPECT_EQ(json["connected"], "ALAC00ESP0");
        const sim::BoardState state = test::boardState(*sim_);
        EXPECT_TRUE(state.mountConnected);
        EXPECT_EQ(state.modem, ModemState::Online);
        EXPECT_EQ(state.modemProtocol, '1');
    }
    {
        const test::CtlResult result = runCtl({"ntrip", "disconnect"});
        ASSERT_EQ(result.status, kSuccess) << result.err;
        EXPECT_EQ(result.out, "disconnected\n");
        EXPECT_FALSE(test::boardState(*sim_).mountConnected);
        EXPECT_TRUE(test::boardState(*sim_).mountPoint.empty());
    }
}

// A caster that refuses: the failure names the receiver's answer, and the receiver is told to
// stop trying so that no stream comes up later.
TEST_F(CtlActionsOnBoard, ARefusedStreamIsReportedAndCalledOff) {
    sim_->withBoard([](sim::SurveyBoard& board) { board.state().mountPoint = "ALAC00ESP0"; });
    sim_->setFault(SimFault::RefuseLinks);
    const test::CtlResult result = runCtl({"ntrip", "connect"});
    EXPECT_EQ(result.status, kRefused) << result.err;
    EXPECT_NE(result.err.find("(FAIL)"), std::string::npos) << result.err;
    EXPECT_EQ(test::linesOf(result.err).size(), 1u) << result.err;
    EXPECT_EQ(lastWith(sim_->commandLog(), "$PQELS,NTR,MTP"), "$PQELS,NTR,MTP,OFF");
}

// The typed command goes out as typed; the answer digit is printed and the status follows it.
TEST_F(CtlActionsOnBoard, SendPrintsTheAnswerAndExitsByIt) {
    const struct {
        std::string text;
        bool json;
        int answer;
        int status;
    } rows[] = {
        {"$PQELS,RST", false, 1, kSuccess},
        {"$PQELS,NOSUCH,1", true, 0, kRefused},
        {"$PQELQ,MDM", false, 2, kNoAnswer},
    };
    for (const auto& row : rows) {
        std::vector<std::string> args = {"send", row.text};
        if (row.json)
            args.insert(args.begin(), "--json");
        const test::CtlResult result = runCtl(args);
        EXPECT_EQ(result.status, row.status) << row.text << ": " << result.err;
        if (row.json) {
            const auto json = nlohmann::json::parse(result.out);
            EXPECT_EQ(json["command"], row.text);
            EXPECT_EQ(json["answer"], row.answer);
        } else {
            EXPECT_EQ(result.out, std::to_string(row.answer) + "\n");
        }
        EXPECT_EQ(test::linesOf(result.err).size(), row.status == kSuccess ? 0u : 1u) << result.err;
        EXPECT_TRUE(logHas(sim_->commandLog(), row.text)) << row.text;
    }
}

// Reset as the main menu makes it: INI 1, then the output on the receiver's port again.
// Power-off leaves the board off.
TEST_F(CtlActionsOnBoard, ResetSetsTheOutputsUpAgainAndPowerOffTurnsTheBoardOff) {
    sim_->clearCommandLog();
    const test::CtlResult reset = runCtl({"reset"});
    ASSERT_EQ(reset.status, kSuccess) << reset.err;
    const auto log = sim_->commandLog();
    const auto init = std::find(log.begin(), log.end(), "$PQELS,INI,1");
    ASSERT_NE(init, log.end());
    EXPECT_NE(std::find(init, log.end(), "$PQELQ,PRT"), log.end());
    // The ten status messages, then WTI and A2D (not an external receiver).
    EXPECT_GE(std::count_if(init, log.end(),
                            [](const std::string& l) { return l.rfind("$PQELS,NME,", 0) == 0; }),
              12);

    const test::CtlResult off = runCtl({"--json", "power-off"});
    ASSERT_EQ(off.status, kSuccess) << off.err;
    EXPECT_EQ(nlohmann::json::parse(off.out)["state"], "off");
    EXPECT_TRUE(test::boardState(*sim_).poweredOff);
}

// How the board answers the command that does the work decides the status: a refusal is 1 and
// names NAK, silence 3; always one line on standard error.
TEST_F(CtlActionsOnBoard, RefusalSilenceAndAVanishedDeviceEachHaveTheirStatus) {
    sim_->withBoard([](sim::SurveyBoard& board) { board.state().mountPoint = "ALAC00ESP0"; });
    const struct {
        std::vector<std::string> args;
        std::string firstCommand;
    } commands[] = {
        {{"dial"}, "$PQELQ,MDM"},
        {{"hangup"}, "$PQELS,MDM,DAL,0"},
        {{"ntrip", "disconnect"}, "$PQELS,NTR,MTP,OFF"},
        {{"reset"}, "$PQELS,INI"},
        {{"power-off"}, "$PQELS,PWR"},
    };
    const struct {
        SimFault fault;
        int status;
        std::string says;
    } faults[] = {
        {SimFault::NakEverything, kRefused, "(NAK)"},
        {SimFault::Silence, kNoAnswer, "did not answer"},
    };
    for (const auto& fault : faults) {
        for (const auto& command : commands) {
            sim_->clearFaults();
            sim_->setFaultOnCommand(command.firstCommand, fault.fault);
            const test::CtlResult result = runCtl(command.args);
            EXPECT_EQ(result.status, fault.status) << command.args[0] << ": " << result.err;
            EXPECT_NE(result.err.find(fault.says), std::string::npos) << result.err;
            EXPECT_EQ(test::linesOf(result.err).size(), 1u) << result.err;
        }
    }
}

// A device that goes away while the call is dialled ends the wait with status 4. (A one-shot
// command such as reset may see the device go before the reader has noticed: it then reports
// silence, which is why the vanished device is tested where the command keeps asking.)
TEST_F(CtlActionsOnBoard, ADeviceGoneWhileDiallingIsStatusFour) {
    sim_->setFault(SimFault::DialNoAnswer);
    test::CtlResult gone;
    std::thread ctl([&] { gone = runCtl({"dial"}); });
    // After the dial was acknowledged: the device goes while the call rings.
    const bool dialled = sim_->waitForCommand("$PQELS,MDM,DAL,1", 20000);
    sim_->setFault(SimFault::Vanish);
    ctl.join();
    ASSERT_TRUE(dialled);
    EXPECT_EQ(gone.status, kNoReceiver) << gone.err;
    EXPECT_NE(gone.err.find("dial: the receiver is gone"), std::string::npos) << gone.err;
    EXPECT_EQ(test::linesOf(gone.err).size(), 1u) << gone.err;
}

// The board's own recording is not this command's: it is refused without a REC.
TEST_F(CtlActionsOnBoard, RecordIsRefusedOnTheBoard) {
    const test::CtlResult result = runCtl({"record", "start"});
    EXPECT_EQ(result.status, kRefused);
    EXPECT_NE(result.err.find("survey board"), std::string::npos) << result.err;
    EXPECT_FALSE(logHas(sim_->commandLog(), "$PQELS,REC"));
}

class CtlActionsOnChip : public test::CtlOnSimulator {
  protected:
    CtlActionsOnChip() : CtlOnSimulator(sim::SimReceiver::SirfChip) {}
    test::ScopedEnv model_{"ZENTRIX_MODEL_CODE", "0204"};

    /// The raw files under the scratch root that hold something.
    std::vector<std::filesystem::path> rawFiles() const {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root_.path())) {
            if (entry.path().extension() == ".grw" && entry.file_size() > 0)
                files.push_back(entry.path());
        }
        return files;
    }
};

// The chip's raw data is written by this program while the command runs: it records until
// interrupted, then closes the file.
TEST_F(CtlActionsOnChip, RecordStartRecordsUntilInterrupted) {
    std::atomic<bool> stop{false};
    test::CtlResult result;
    std::thread ctl([&] { result = test::runCtlWith({"record", "start"}, stop); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (rawFiles().empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stop = true;
    ctl.join();
    ASSERT_EQ(result.status, kSuccess) << result.err;
    const auto files = rawFiles();
    ASSERT_EQ(files.size(), 1u);
    const auto lines = test::linesOf(result.out);
    ASSERT_EQ(lines.size(), 2u) << result.out;
    EXPECT_EQ(lines[0], "recording " + files[0].string());
    EXPECT_EQ(lines[1], "stopped");
    EXPECT_EQ(files[0].parent_path().filename(), "GPS Raw Data");

    const test::CtlResult stopped = runCtl({"--json", "record", "stop"});
    EXPECT_EQ(stopped.status, kSuccess) << stopped.err;
    EXPECT_EQ(nlohmann::json::parse(stopped.out)["state"], "stopped");
}

// What the chip has runs; what it lacks is refused without being tried.
TEST_F(CtlActionsOnChip, ResetRunsAndTheBoardsOperationsAreRefused) {
    const test::CtlResult reset = runCtl({"reset"});
    EXPECT_EQ(reset.status, kSuccess) << reset.err;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"dial"}, {"ntrip", "connect"}, {"send", "x"}, {"power-off"}}) {
        const test::CtlResult result = runCtl(args);
        EXPECT_EQ(result.status, kRefused) << args[0];
        EXPECT_NE(result.err.find("GPS-only chip has no such operation"), std::string::npos)
            << result.err;
    }
}

// The chip tells a refusal from silence too: a NAKed reset is 1, an unanswered one 3.
TEST_F(CtlActionsOnChip, ARefusedOrUnansweredResetIsToldApart) {
    const struct {
        SimFault fault;
        int status;
        std::string says;
    } rows[] = {
        {SimFault::NakEverything, kRefused, "the receiver refused message 172 (NAK)"},
        {SimFault::Silence, kNoAnswer, "the receiver did not answer message 172"},
    };
    for (const auto& row : rows) {
        sim_->clearFaults();
        sim_->setFaultOnCommand("SiRF MID 172", row.fault);
        const test::CtlResult result = runCtl({"reset"});
        EXPECT_EQ(result.status, row.status) << result.err;
        EXPECT_NE(result.err.find(row.says), std::string::npos) << result.err;
        EXPECT_EQ(test::linesOf(result.err).size(), 1u) << result.err;
    }
}

// A plain NMEA receiver is only listened to: every action is refused and nothing is written.
TEST(CtlActionsOnNmea, AreRefusedWithoutSendingAByte) {
    platform::ScopedClockSpeed fast{25};
    test::ScratchDeviceRoot root;
    auto simulator =
        test::startLoopingReplay(test::testdataPath("gpsd/ublox-f9p-hpnmea.log"), 9600);
    ASSERT_TRUE(simulator);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"dial"},
                                                 {"hangup"},
                                                 {"ntrip", "connect"},
                                                 {"send", "x"},
                                                 {"power-off"},
                                                 {"record", "start"}}) {
        std::vector<std::string> full = {"--receiver", "nmea"};
        full.insert(full.end(), args.begin(), args.end());
        const test::CtlResult result = runCtl(full);
        EXPECT_EQ(result.status, kRefused) << args[0] << ": " << result.err;
        EXPECT_NE(result.err.find("plain NMEA receiver has no such operation"), std::string::npos)
            << result.err;
    }
    EXPECT_EQ(simulator->bytesHeard(), 0u);
}

}  // namespace
}  // namespace zentrix
