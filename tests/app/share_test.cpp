// Sharing the connected receiver with other programs: the options, the registry values, and the
// program against the simulator with a listener on the shared terminal, a TCP client and a real
// gpsd reading the terminal.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
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
#include "platform/device_root.h"
#include "platform/registry.h"
#include "tests/app/program_profile.h"
#include "tests/support/simulated_receiver.h"
#include "tests/support/test_support.h"
#include "tests/support/testdata.h"
#include "tools/sim/simulator.h"

extern char** environ;

namespace zentrix::app {
namespace {

using test::ScopedEnv;
using test::ScratchDeviceRoot;

TEST(ShareOptions, CommandLineTurnsTheShareOnOrOffOrSaysWhy) {
    struct Row {
        std::vector<std::string> arguments;
        std::optional<ShareMode> share;
        std::optional<uint16_t> port;
        const char* error;  // a part of the reason; empty when the line is fine
    };
    const std::vector<Row> rows = {
        {{}, std::nullopt, std::nullopt, ""},
        {{"--share"}, ShareMode::Terminal, std::nullopt, ""},
        {{"--share-tcp"}, ShareMode::TerminalAndTcp, std::nullopt, ""},
        {{"--share-tcp=2947"}, ShareMode::TerminalAndTcp, 2947, ""},
        {{"--share-tcp=65535", "--no-share"}, ShareMode::Off, 65535, ""},
        // The port is optional, so a following word is not it: here the receiver's option.
        {{"--share-tcp", "--receiver", "nmea"}, ShareMode::TerminalAndTcp, std::nullopt, ""},
        {{"--share=1"}, std::nullopt, std::nullopt, "--share takes no value"},
        {{"--share-tcp="}, std::nullopt, std::nullopt, "port from 1 to 65535"},
        {{"--share-tcp=0"}, std::nullopt, std::nullopt, "not \"0\""},
        {{"--share-tcp=65536"}, std::nullopt, std::nullopt, "not \"65536\""},
        {{"--share-tcp=10110x"}, std::nullopt, std::nullopt, "not \"10110x\""},
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
        EXPECT_EQ(parsed.options.share, row.share);
        EXPECT_EQ(parsed.options.sharePort, row.port);
    }
}

TEST(ShareOptions, RegistryValuesReadLenientlyAndTheCommandLineWins) {
    ScratchDeviceRoot root;
    const platform::AppProfile stored = test::programProfile();
    EXPECT_EQ(loadReceiverSettings(stored).share, ShareMode::Off);
    EXPECT_EQ(loadReceiverSettings(stored).sharePort, kDefaultShareTcpPort);
    struct Row {
        int32_t share;
        int32_t port;
        ShareMode mode;
        uint16_t expectedPort;
    };
    for (const Row& row : std::vector<Row>{{2, 2000, ShareMode::TerminalAndTcp, 2000},
                                           {1, 0, ShareMode::Terminal, kDefaultShareTcpPort},
                                           {3, 70000, ShareMode::Off, kDefaultShareTcpPort},
                                           {-1, -5, ShareMode::Off, kDefaultShareTcpPort}}) {
        SCOPED_TRACE(row.share);
        stored.writeProfileInt(kSettingsSection, u"Share", row.share);
        stored.writeProfileInt(kSettingsSection, u"SharePort", row.port);
        const ReceiverSettings settings = loadReceiverSettings(stored);
        EXPECT_EQ(settings.share, row.mode);
        EXPECT_EQ(settings.sharePort, row.expectedPort);
    }

    ReceiverSettings registry;
    registry.share = ShareMode::TerminalAndTcp;
    registry.sharePort = 4000;
    ReceiverPlan plan = planReceiver(kSurveyModel, {}, registry);
    EXPECT_EQ(plan.share, ShareMode::TerminalAndTcp);
    EXPECT_EQ(plan.sharePort, 4000);
    StartOptions commandLine;
    commandLine.share = ShareMode::Off;
    EXPECT_EQ(planReceiver(kSurveyModel, commandLine, registry).share, ShareMode::Off);
    commandLine.share = ShareMode::TerminalAndTcp;
    commandLine.sharePort = 5000;
    plan = planReceiver(kSurveyModel, commandLine, {});
    EXPECT_EQ(plan.share, ShareMode::TerminalAndTcp);
    EXPECT_EQ(plan.sharePort, 5000);
}

/// Reads from `fd` for up to `realMs` until `enough` says so.
std::string readUntil(int fd, int realMs, const std::function<bool(const std::string&)>& enough) {
    std::string bytes;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(realMs);
    pollfd p{fd, POLLIN, 0};
    while (!enough(bytes) && std::chrono::steady_clock::now() < end) {
        if (::poll(&p, 1, 100) <= 0)
            continue;
        char buffer[1024];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    return bytes;
}

/// Whole sentences with a valid checksum in `bytes`.
int validSentences(const std::string& bytes) {
    int count = 0;
    size_t start = 0;
    while ((start = bytes.find('$', start)) != std::string::npos) {
        const size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos)
            break;
        const std::string line = bytes.substr(start, end - start);
        const size_t star = line.rfind('*');
        if (star != std::string::npos && star + 3 == line.size()) {
            unsigned sum = 0;
            for (size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(line[i]);
            count += std::stoul(line.substr(star + 1), nullptr, 16) == sum ? 1 : 0;
        }
        start = end;
    }
    return count;
}

int connectTo(uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

uint16_t freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

/// Runs a command and returns what it printed.
std::string outputOf(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
        ::pclose(pipe);
    }
    return output;
}

constexpr char kGpsd[] = "/usr/sbin/gpsd";

class ProgramSharingItsReceiver : public ::testing::Test {
  protected:
    void SetUp() override {
        sim_ = test::startLoopingReplay(test::testdataPath("gpsd/ublox-f9p-hpnmea.log"), 115200);
        ASSERT_TRUE(sim_);
    }
    void TearDown() override {
        framework::setModalHandler(nullptr);
        framework::setMessageBoxHandler(nullptr);
    }

    /// Runs the program on the plain NMEA receiver with `share`; `whileConnected` runs in the
    /// main menu, with the program's share at hand.
    int runProgram(ShareMode share,
                   const std::function<void(platform::LineShare*)>& whileConnected) {
        StartOptions options;
        options.receiver = ReceiverChoice::Nmea;
        options.share = share;
        options.sharePort = 0;  // any free port: never a fixed one in a test
        CZentrixApp* program = nullptr;
        framework::setMessageBoxHandler(
            [](const framework::MessageBoxRecord&) { return framework::IDOK; });
        framework::setModalHandler([&](framework::CWnd& window) {
            if (auto* menu = dynamic_cast<CMainMenuDialog*>(&window)) {
                whileConnected(program->share());
                menu->OnCancel();
            }
        });
        static int argc = 1;
        static char name[] = "zentrix";
        static char* argv[] = {name, nullptr};
        return framework::runApplication(argc, argv, [&] {
            auto app = std::make_unique<CZentrixApp>(options);
            program = app.get();
            return app;
        });
    }

    std::filesystem::path shareLink() const { return root_.path() / "devices" / "ZENTRIX-SHARE"; }

    platform::ScopedClockSpeed fast_{25};
    ScratchDeviceRoot root_;
    ScopedEnv runtime_{"XDG_RUNTIME_DIR", (root_.path() / "run").string()};
    ScopedEnv language_{"LC_ALL", "C"};
    std::unique_ptr<sim::Simulator> sim_;
};

TEST_F(ProgramSharingItsReceiver, ListenersOnTheTerminalAndTcpReadTheReceiversSentences) {
    std::string fromTerminal, fromTcp;
    bool linkedTwice = false;
    const int exitCode = runProgram(ShareMode::TerminalAndTcp, [&](platform::LineShare* share) {
        ASSERT_NE(share, nullptr);
        linkedTwice = std::filesystem::read_symlink(root_.path() / "run" / "zentrix" /
                                                    "receiver") == share->terminalPath();
        const int terminal = ::open(shareLink().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        const int client = connectTo(share->tcpPort());
        ASSERT_GE(terminal, 0);
        ASSERT_GE(client, 0);
        // A listener that talks back is not heard by the receiver.
        ASSERT_EQ(::write(terminal, "$PUBX,41*00\r\n", 13), 13);
        ASSERT_EQ(::write(client, "garbage\r\n", 9), 9);
        const auto enough = [](const std::string& bytes) { return validSentences(bytes) >= 10; };
        fromTerminal = readUntil(terminal, 5000, enough);
        fromTcp = readUntil(client, 5000, enough);
        ::close(terminal);
        ::close(client);
    });
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(linkedTwice);
    EXPECT_GE(validSentences(fromTerminal), 10) << fromTerminal;
    EXPECT_GE(validSentences(fromTcp), 10) << fromTcp;
    EXPECT_EQ(sim_->bytesHeard(), 0u) << "the receiver heard what a listener sent";
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(shareLink())))
        << "the link outlived the program";
}

TEST_F(ProgramSharingItsReceiver, WithoutTheOptionNothingIsShared) {
    bool shared = true;
    EXPECT_EQ(runProgram(ShareMode::Off,
                         [&](platform::LineShare* share) {
                             shared = share != nullptr ||
                                      std::filesystem::exists(
                                          std::filesystem::symlink_status(shareLink()));
                         }),
              0);
    EXPECT_FALSE(shared);
}

// A real gpsd reads the shared terminal as it would a serial receiver, and its clients get the
// simulated receiver's position.
TEST_F(ProgramSharingItsReceiver, GpsdReadingTheSharedTerminalReportsTheReceiversPosition) {
    if (::access(kGpsd, X_OK) != 0 || outputOf("command -v gpspipe").empty())
        GTEST_SKIP() << "gpsd or gpspipe is not installed (Debian package gpsd, gpsd-clients)";
    std::string reports;
    const int exitCode = runProgram(ShareMode::Terminal, [&](platform::LineShare* share) {
        ASSERT_NE(share, nullptr);
        const std::string port = std::to_string(freeLoopbackPort());
        const std::string link = shareLink().string();
        std::vector<std::string> words = {kGpsd, "-N", "-n", "-S", port, link};
        std::vector<char*> gpsdArgv;
        for (auto& word : words) gpsdArgv.push_back(word.data());
        gpsdArgv.push_back(nullptr);
        pid_t gpsd = 0;
        ASSERT_EQ(::posix_spawn(&gpsd, kGpsd, nullptr, nullptr, gpsdArgv.data(), environ), 0);
        for (int tries = 0; tries < 100; ++tries) {
            const int probe = connectTo(static_cast<uint16_t>(std::stoi(port)));
            if (probe >= 0) {
                ::close(probe);
                break;
            }
            ::usleep(50000);
        }
        reports = outputOf("timeout 20 gpspipe -w -n 40 127.0.0.1:" + port + " 2>&1");
        ::kill(gpsd, SIGTERM);
        ::waitpid(gpsd, nullptr, 0);
    });
    EXPECT_EQ(exitCode, 0);
    // The capture's receiver stood at 44°04.13' N.
    EXPECT_NE(reports.find("\"class\":\"TPV\""), std::string::npos) << reports;
    EXPECT_NE(reports.find("\"lat\":44.06"), std::string::npos) << reports;
}

}  // namespace
}  // namespace zentrix::app
