// Connecting to the simulated receiver and leaving it as it was found.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>

#include "platform/clock.h"
#include "receiver/gnss_receiver.h"
#include "tests/support/simulated_receiver.h"
#include "tests/support/test_support.h"
#include "tools/sim/simulator.h"
#include "tools/sim/survey_board.h"

namespace zentrix::receiver {
namespace {

using sim::SimFault;
using sim::Simulator;

class ConnectionTest : public ::testing::Test {
  protected:
    std::unique_ptr<Simulator> startSimulator(uint32_t baud) {
        sim::SimOptions options;
        options.baudRate = baud;
        return test::startSimulatorWith(options);
    }
    sim::BoardState board(Simulator& simulator) {
        sim::BoardState copy;
        simulator.withBoard([&](sim::SurveyBoard& b) { copy = b.state(); });
        return copy;
    }
    std::set<std::string> streamedOn(Simulator& simulator, char port) {
        sim::BoardState state = board(simulator);
        std::set<std::string> names;
        for (const auto& output : state.outputs[port]) names.insert(output.name);
        return names;
    }

    test::ScratchDeviceRoot root_;
    platform::ScopedClockSpeed fast_{40};
};

TEST_F(ConnectionTest, FindsTheReceiverAtEachRateInSearchOrder) {
    const std::pair<uint32_t, uint32_t> rates[] = {{57600, 1}, {115200, 2}, {9600, 3},
                                                   {4800, 4},  {19200, 5},  {38400, 6}};
    for (const auto& [rate, trial] : rates) {
        auto simulator = startSimulator(rate);
        ASSERT_TRUE(simulator);
        GnssReceiver receiver;
        EXPECT_EQ(receiver.connect(u"COM3:"), 1u) << rate;
        EXPECT_EQ(receiver.searchTrials(), trial) << rate;
        EXPECT_EQ(receiver.serialPort().baudRate(), rate);
        EXPECT_EQ(receiver.isConnected(), 1u);
        receiver.disconnect();
        EXPECT_FALSE(receiver.serialPort().isOpen());
    }
}

TEST_F(ConnectionTest, ConfiguresTheReceiverAndGivesItsSettingsBack) {
    auto simulator = startSimulator(57600);
    ASSERT_TRUE(simulator);
    simulator->withBoard([](sim::SurveyBoard& b) {
        b.state().nptFirst = 0;
        b.state().nptSecond = 1;
    });
    GnssReceiver receiver;
    receiver.setNmeaOffOnDisconnect(true);
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    EXPECT_EQ(receiver.receiverPort(), 0u);
    const std::set<std::string> configured = {"GGA", "GSA", "SGP", "SGL", "GST",
                                              "ZDA", "VEC", "VTG", "DTM"};
    EXPECT_EQ(streamedOn(*simulator, 'A'), configured) << "GSV is switched off";
    EXPECT_EQ(board(*simulator).nptFirst, 1);
    EXPECT_EQ(board(*simulator).nptSecond, 0);
    EXPECT_TRUE(receiver.waitVector()) << "the configured stream publishes positions";

    simulator->clearCommandLog();
    receiver.disconnect();
    EXPECT_EQ(simulator->commandLog(),
              (std::vector<std::string>{"$PQELQ,PRT", "$PQELS,NME,ALL,A,OFF", "$PQELS,NPT,0,1"}));
    EXPECT_TRUE(streamedOn(*simulator, 'A').empty());
    EXPECT_EQ(board(*simulator).nptFirst, 0);
    EXPECT_EQ(board(*simulator).nptSecond, 1);
}

TEST_F(ConnectionTest, WithoutNmeaOffOnlyTheNptSettingIsGivenBack) {
    auto simulator = startSimulator(115200);
    ASSERT_TRUE(simulator);
    GnssReceiver receiver;
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    simulator->clearCommandLog();
    receiver.disconnect();
    const auto log = simulator->commandLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].rfind("$PQELS,NPT,", 0), 0u);
    EXPECT_FALSE(streamedOn(*simulator, 'A').empty()) << "the output stays on";
}

TEST_F(ConnectionTest, ASilentReceiverIsSearchedForAtEveryRate) {
    auto simulator = startSimulator(57600);
    ASSERT_TRUE(simulator);
    simulator->setFault(SimFault::Silence);
    // What the receiver had already begun to send still leaves its transmitter; connect purges
    // it, so let it finish first.
    platform::sleepMs(1000);
    GnssReceiver receiver;
    EXPECT_EQ(receiver.connect(u"COM3:"), 0u);
    EXPECT_EQ(receiver.searchTrials(), 6u);
    EXPECT_TRUE(receiver.serialPort().isOpen()) << "the port stays open for disconnect";
    EXPECT_EQ(receiver.isConnected(), 0u);

    const uint32_t start = platform::Clock::tickCount();
    receiver.disconnect();
    EXPECT_LT(platform::ticksSince(start), 1000u) << "no reader: its commands fail at once";
    EXPECT_FALSE(receiver.serialPort().isOpen());
}

std::string stepText(const ConnectStep& step) {
    static constexpr const char* kNames[] = {"open", "try", "set up", "connected"};
    std::string text = kNames[static_cast<int>(step.stage)];
    if (step.baudRate != 0)
        text += " " + std::to_string(step.baudRate);
    return text;
}

TEST_F(ConnectionTest, TellsEachStepAndGivesTheSearchUpWhenTheListenerSaysSo) {
    auto simulator = startSimulator(115200);
    ASSERT_TRUE(simulator);
    GnssReceiver receiver;
    std::vector<std::string> steps;
    receiver.setConnectProgress([&](const ConnectStep& step) {
        steps.push_back(stepText(step));
        return true;
    });
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    EXPECT_EQ(steps, (std::vector<std::string>{"open", "try 57600", "try 115200", "set up 115200",
                                               "connected 115200"}));
    receiver.disconnect();

    // Given up while the second rate is about to be tried: nothing more is tried or sent.
    steps.clear();
    receiver.setConnectProgress([&](const ConnectStep& step) {
        steps.push_back(stepText(step));
        return step.baudRate != 115200;
    });
    const size_t heard = simulator->commandLog().size();
    EXPECT_EQ(receiver.connect(u"COM3:"), 0u);
    EXPECT_EQ(steps, (std::vector<std::string>{"open", "try 57600", "try 115200"}));
    EXPECT_EQ(receiver.ratesTried(), std::vector<uint32_t>{57600});
    EXPECT_EQ(receiver.isConnected(), 0u);
    receiver.disconnect();
    EXPECT_EQ(simulator->commandLog().size(), heard) << "nothing reached it at its own rate";

    // The same object connects again once nobody stops it.
    receiver.setConnectProgress(nullptr);
    EXPECT_EQ(receiver.connect(u"COM3:"), 1u);
    receiver.disconnect();
}

TEST_F(ConnectionTest, APortThatCannotBeOpenedFailsAtOnce) {
    test::ScopedEnv missing("ZENTRIX_COM9", "/dev/zentrix-no-such-port");
    GnssReceiver receiver;
    EXPECT_EQ(receiver.connect(u"COM9:"), 0u);
    EXPECT_EQ(receiver.searchTrials(), 0u);
    EXPECT_EQ(receiver.disconnect(), 1u);
}

TEST_F(ConnectionTest, AReceiverThatFallsSilentAfterTheSearchMakesConnectSlowNotWrong) {
    auto simulator = startSimulator(57600);
    ASSERT_TRUE(simulator);
    // Silence falls once the receiver was found and its port read: every setting after that goes
    // unanswered.
    simulator->setFaultOnCommand("$PQELQ,NPT", SimFault::Silence);
    GnssReceiver receiver;
    const uint32_t start = platform::Clock::tickCount();
    const uint32_t result = receiver.connect(u"COM3:");
    EXPECT_EQ(result, 1u) << "the reader runs: the link is up, only the settings were not taken";
    // Every command from the NPT query on waits its full 10 s.
    EXPECT_GE(platform::ticksSince(start), 10000u);
    EXPECT_EQ(receiver.receiverPort(), 0u);
    receiver.disconnect();
    EXPECT_FALSE(receiver.serialPort().isOpen());
    EXPECT_EQ(receiver.isConnected(), 0u);
}

// A board that acknowledged its power-off answers nothing: the disconnect's restore commands
// would each wait their full 10 s. Its reader ends during the owner's settling pause, so the
// disconnect after it has nothing left to wait for; a later connect restores as usual.
TEST_F(ConnectionTest, ABoardThatPoweredOffIsSentNothingAtDisconnect) {
    auto simulator = startSimulator(57600);
    ASSERT_TRUE(simulator);
    GnssReceiver receiver;
    receiver.setNmeaOffOnDisconnect(true);
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    ASSERT_EQ(receiver.powerOff(), 1u);
    EXPECT_TRUE(receiver.poweredOff());
    simulator->clearCommandLog();
    platform::sleepMs(1500);  // longer than the reader's read time-out
    EXPECT_EQ(receiver.isConnected(), 0u) << "the reader ended during the pause";

    const uint32_t start = platform::Clock::tickCount();
    EXPECT_EQ(receiver.disconnect(), 1u);
    EXPECT_LT(platform::ticksSince(start), 500u);
    EXPECT_TRUE(simulator->commandLog().empty());
    EXPECT_FALSE(receiver.serialPort().isOpen());

    simulator->powerOn();
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    EXPECT_FALSE(receiver.poweredOff());
    simulator->clearCommandLog();
    receiver.disconnect();
    EXPECT_EQ(simulator->commandLog(),
              (std::vector<std::string>{"$PQELQ,PRT", "$PQELS,NME,ALL,A,OFF", "$PQELS,NPT,1,0"}));
}

// A receiver unplugged while connected ends its reader by itself; the owner then disconnects as
// usual, and once the device is back the same receiver object connects and reads again.
TEST_F(ConnectionTest, AfterTheDeviceVanishedTheSameReceiverConnectsAndReadsAgain) {
    auto simulator = startSimulator(57600);
    ASSERT_TRUE(simulator);
    GnssReceiver receiver;
    ASSERT_EQ(receiver.connect(u"COM3:"), 1u);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        simulator->setFault(SimFault::Vanish);
        for (int i = 0; i < 200 && receiver.isConnected(); ++i) platform::sleepMs(100);
        ASSERT_EQ(receiver.isConnected(), 0u) << "the reader outlived its device";
        EXPECT_EQ(receiver.disconnect(), 1u);
        EXPECT_FALSE(receiver.serialPort().isOpen());

        // The device comes back (a new pseudo-terminal, often under the old name) once the
        // receiver writes to the line again.
        const uint64_t written = simulator->bytesWritten();
        simulator->clearFaults();
        for (int i = 0; i < 200 && simulator->bytesWritten() == written; ++i)
            platform::sleepMs(100);
        ASSERT_GT(simulator->bytesWritten(), written) << "the device did not come back";
        EXPECT_EQ(receiver.connect(u"COM3:"), 1u);
        EXPECT_EQ(receiver.isConnected(), 1u);
        EXPECT_TRUE(receiver.waitVector()) << "the new reader publishes positions";
    }
    receiver.disconnect();
}

}  // namespace
}  // namespace zentrix::receiver
