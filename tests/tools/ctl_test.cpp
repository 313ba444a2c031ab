// zentrixctl's command line, its messages and exit statuses, and finding the receiver as the
// program does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/serial_port.h"
#include "tests/support/comma_locale.h"
#include "tests/tools/ctl_support.h"

namespace zentrix::ctl {
namespace {

using test::runCtl;

TEST(CtlCommandLine, GlobalOptionsComeBeforeTheCommandAndUnknownOnesAreRefused) {
    struct Row {
        std::vector<std::string> arguments;
        const char* command;  // empty when the line is refused
        const char* error;    // a part of the reason
    };
    const std::vector<Row> rows = {
        {{"status"}, "status", ""},
        {{"--json", "--port", "tcp://127.0.0.1:2000", "--receiver=nmea", "status", "--follow"},
         "status",
         ""},
        {{"--port=COM4:", "get", "sbas"}, "get", ""},
        {{}, "", "no command"},
        {{"--json"}, "", "no command"},
        {{"statsu"}, "", "unknown command statsu"},
        {{"--receiver", "gps", "status"}, "", "board, sirf, nmea or auto"},
        {{"--receiver"}, "", "board, sirf, nmea or auto"},
        {{"--port"}, "", "--port takes a port name"},
        {{"--port="}, "", "--port takes a port name"},
        {{"--baud", "9600", "status"}, "", "unknown option --baud"},
    };
    for (const Row& row : rows) {
        std::string legend;
        for (const auto& argument : row.arguments) legend += argument + " ";
        SCOPED_TRACE(legend);
        const Invocation invocation = parseInvocation(row.arguments);
        if (*row.command == '\0') {
            EXPECT_NE(invocation.error.find(row.error), std::string::npos) << invocation.error;
            continue;
        }
        EXPECT_EQ(invocation.error, "");
        EXPECT_EQ(invocation.command, row.command);
    }
    const Invocation full = parseInvocation(std::vector<std::string>{
        "--json", "--port", "/dev/ttyUSB0", "--receiver", "board", "set", "elevation-mask", "15"});
    EXPECT_TRUE(full.json);
    EXPECT_EQ(full.start.port, u"/dev/ttyUSB0");
    EXPECT_EQ(full.start.receiver, app::ReceiverChoice::Board);
    EXPECT_EQ(full.args, (std::vector<std::string>{"elevation-mask", "15"}));
}

// A wrong command line opens nothing: it is answered at once, whatever the registry or the
// ports say, with exit status 2 and one line on standard error.
TEST(CtlCommandLine, AWrongLineIsOneLineAndStatusTwoWithoutLookingForAReceiver) {
    test::ScratchDeviceRoot root;
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"frobnicate"}, {"--port"}, {"dial", "now"}}) {
        const test::CtlResult result = runCtl(arguments);
        EXPECT_EQ(result.status, kUsage);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(test::linesOf(result.err).size(), 1u) << result.err;
        EXPECT_TRUE(result.err.starts_with("zentrixctl: ")) << result.err;
    }
}

TEST(CtlCommandLine, HelpListsEveryCommandAndTheExitStatuses) {
    const test::CtlResult result = runCtl({"status", "--help"});
    EXPECT_EQ(result.status, kSuccess);
    EXPECT_EQ(result.err, "");
    for (const CommandEntry& entry : commandTable())
        EXPECT_NE(result.out.find("  " + std::string(entry.synopsis)), std::string::npos)
            << entry.name;
    EXPECT_NE(result.out.find("Settings"), std::string::npos);
    EXPECT_NE(result.out.find("Exit status"), std::string::npos);
    EXPECT_TRUE(runCtl({"--version"}).out.starts_with("zentrixctl "));
}

TEST(CtlNumbers, WrittenAndReadWithAPointWhateverTheLocale) {
    test::ScopedCommaLocale comma;
    ASSERT_TRUE(comma.active());
    EXPECT_EQ(formatNumber(12.5), "12.5");
    EXPECT_EQ(formatNumber(3.0), "3");
    EXPECT_EQ(formatNumber(-0.25), "-0.25");
    EXPECT_EQ(formatNumber(-0.0000000001, 3), "0");
    EXPECT_EQ(formatNumber(48.1173, 2), "48.12");
    EXPECT_EQ(formatNumber(1e300 * 1e300), "null");
    EXPECT_EQ(parseNumber("12.5"), 12.5);
    EXPECT_EQ(parseNumber("-7"), -7.0);
    for (const char* wrong : {"", "12,5", "+3", "1e3", "nan", "inf", "3 ", " 3", "0x10", "."})
        EXPECT_FALSE(parseNumber(wrong).has_value()) << wrong;
}

// No receiver: a port that leads nowhere, one that does not open, and a line where nothing
// answers each end with exit status 4 and one line that says which.
TEST(CtlConnection, NoReceiverIsStatusFourWithTheReasonOnOneLine) {
    platform::ScopedClockSpeed fast{50};
    test::ScratchDeviceRoot root;
    {
        const test::CtlResult result = runCtl({"--port", "/nonexistent/ttyX", "reset"});
        EXPECT_EQ(result.status, kNoReceiver);
        EXPECT_NE(result.err.find("cannot open /nonexistent/ttyX: No such file"), std::string::npos)
            << result.err;
        EXPECT_EQ(test::linesOf(result.err).size(), 1u) << result.err;
    }
    {
        // Nobody listens on the port (1 is reserved and never served).
        const test::CtlResult result = runCtl({"--port", "tcp://127.0.0.1:1", "status"});
        EXPECT_EQ(result.status, kNoReceiver);
        EXPECT_NE(result.err.find("cannot open tcp://127.0.0.1:1: Connection refused"),
                  std::string::npos)
            << result.err;
    }
    {
        // Zentrix (or another zentrixctl) holds the port: said in words, not as EAGAIN.
        auto simulator = test::startSimulator(sim::SimReceiver::SurveyBoard);
        ASSERT_TRUE(simulator);
        platform::SerialPort holder;
        holder.open(u"COM3:");
        ASSERT_TRUE(holder.isOpen());
        const test::CtlResult result = runCtl({"--receiver", "nmea", "status"});
        EXPECT_EQ(result.status, kNoReceiver);
        EXPECT_NE(result.err.find("another program holds it"), std::string::npos) << result.err;
    }
    {
        // A simulator that stays silent: the NMEA search listens at every rate and gives up.
        // Silent before it starts: a fault set after the start would let its first sentences out.
        sim::SimOptions options;
        auto simulator = std::make_unique<sim::Simulator>(options);
        ASSERT_TRUE(simulator->openPseudoTerminal() && simulator->linkAsComPort(3));
        simulator->setFault(sim::SimFault::Silence);
        ASSERT_TRUE(simulator->start());
        const test::CtlResult result = runCtl({"--receiver", "nmea", "reset"});
        EXPECT_EQ(result.status, kNoReceiver);
        EXPECT_NE(result.err.find("no receiver on COM3:"), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("nothing answered at"), std::string::npos) << result.err;
        EXPECT_EQ(simulator->bytesHeard(), 0u);
    }
}

class CtlOnBoard : public test::CtlOnSimulator {};

// The board is found as the program finds it, the command runs, and the receiver is given back:
// its NMEA output is left as the command made it.
TEST_F(CtlOnBoard, FindsTheBoardRunsTheCommandAndGivesTheReceiverBack) {
    const test::CtlResult result = runCtl({"reset"});
    EXPECT_NE(result.status, kNoReceiver) << result.err;
    EXPECT_EQ(result.err.find("no receiver"), std::string::npos) << result.err;
}

// The device goes away while a command waits for its answer: that is no receiver (4), not a
// receiver that stayed silent (3), however quickly the command's wait ends.
TEST_F(CtlOnBoard, ADeviceThatVanishesDuringACommandIsNoReceiver) {
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE(run);
        if (run > 0) {
            sim_.reset();  // its link goes with it
            sim_ = test::startSimulator(sim::SimReceiver::SurveyBoard);
            ASSERT_TRUE(sim_);
        }
        sim_->setFaultOnCommand("$PQELS,INI", sim::SimFault::Vanish);
        const test::CtlResult result = runCtl({"reset"});
        EXPECT_EQ(result.status, kNoReceiver) << result.err;
        EXPECT_EQ(result.err, "zentrixctl: reset: the receiver is gone\n");
    }
}

}  // namespace
}  // namespace zentrix::ctl
