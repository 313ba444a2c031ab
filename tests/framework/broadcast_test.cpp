#include "framework/broadcast.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "framework/test_kit.h"
#include "platform/broadcast_channel.h"
#include "tests/framework/peer_process.h"
#include "tests/support/test_support.h"

namespace zentrix::framework {
namespace {

namespace fs = std::filesystem;

// ---- What travels between processes ----

TEST(BroadcastRecordText, ReadsThreeNumbersInRangeAndNothingElse) {
    const struct {
        const char* text;
        std::optional<BroadcastRecord> record;
    } cases[] = {
        {"26 242 0", BroadcastRecord{26, 242, 0}},
        {"26 242 -7", BroadcastRecord{26, 242, -7}},
        {" 1025  3 4 ", BroadcastRecord{1025, 3, 4}},
        {"26 242", std::nullopt},
        {"26 242 0 1", std::nullopt},
        {"x 242 0", std::nullopt},
        {"26 242 0x10", std::nullopt},
        {"-1 0 0", std::nullopt},
        {"4294967296 0 0", std::nullopt},  // beyond a message number
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseBroadcast(c.text), c.record) << '"' << c.text << '"';
    }
    const BroadcastRecord extreme{0xFFFFFFFFu, ~WPARAM{0}, INTPTR_MIN};
    EXPECT_EQ(parseBroadcast(formatBroadcast(extreme)), extreme);
}

// ---- Windows and processes ----

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Received&) const = default;
};
std::vector<Received> g_received;

LRESULT recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_WININICHANGE || message == WM_CLOSE || message >= WM_USER)
        g_received.push_back({message, wParam, lParam});
    return DefWindowProc(window, message, wParam, lParam);
}

class Broadcasts : public ::testing::Test {
  protected:
    void SetUp() override {
        g_received.clear();
        WNDCLASS windowClass;
        windowClass.lpfnWndProc = recordingProc;
        windowClass.lpszClassName = u"BroadcastTestWindow";
        RegisterClass(&windowClass);
        window_ = CreateWindow(u"BroadcastTestWindow", u"Listener", 0, 0, 0, 100, 100, nullptr, 0,
                               nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        StopListeningForBroadcasts();
        DestroyWindow(window_);
        UnregisterClass(u"BroadcastTestWindow", nullptr);
    }
    /// Runs the event loop until `count` messages arrived, and a little longer to see any more.
    void processUntil(size_t count) {
        const auto start = std::chrono::steady_clock::now();
        while (g_received.size() < count &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) {
            kit_.processEvents();
        }
        for (int i = 0; i < 20; ++i) {
            kit_.processEvents();
            usleep(2000);
        }
    }

    test::ScratchDeviceRoot root_;
    ScopedTestKit kit_;
    HWND window_ = nullptr;
};

TEST_F(Broadcasts, ASettingsChangeFromAnotherProcessReachesAWindowHereAndNothingElse) {
    ASSERT_TRUE(ListenForBroadcasts());
    // A close, a window's own message whose lParam it would read as a pointer, then the change
    // (whose lParam could be read so too).
    for (const char* message : {"16", "1124", "26"}) {
        test::PeerProcess peer(ZENTRIX_BROADCAST_PEER, {"send", message, "242", "4096"});
        ASSERT_TRUE(peer.started());
        EXPECT_EQ(peer.readLine(5000), "1") << message;
        EXPECT_EQ(peer.wait(), 0);
    }
    processUntil(1);
    EXPECT_EQ(g_received, (std::vector<Received>{{WM_WININICHANGE, 242, 0}}));
}

TEST_F(Broadcasts, OneFromHereReachesAnotherListenerAndArrivesHereOnce) {
    ASSERT_TRUE(ListenForBroadcasts());
    test::PeerProcess peer(ZENTRIX_BROADCAST_PEER, {"listen"});
    ASSERT_TRUE(peer.started());
    ASSERT_EQ(peer.readLine(5000), "ready");
    EXPECT_EQ(BroadcastMessage(WM_WININICHANGE, 242, 0), 1);
    EXPECT_EQ(peer.readLine(5000), "26 242 0");
    EXPECT_EQ(peer.wait(), 0);
    // Posted here, and not again through this process's own socket.
    processUntil(1);
    EXPECT_EQ(g_received, (std::vector<Received>{{WM_WININICHANGE, 242, 0}}));
}

TEST_F(Broadcasts, WithoutListeningOnlyThisProcessHearsItsOwn) {
    test::PeerProcess peer(ZENTRIX_BROADCAST_PEER, {"send", "26", "1", "2"});
    EXPECT_EQ(peer.readLine(5000), "0");
    EXPECT_EQ(BroadcastMessage(WM_USER + 5, 3, 4), 0);
    processUntil(1);
    EXPECT_EQ(g_received, (std::vector<Received>{{WM_USER + 5, 3, 4}}));
}

// ---- What a sender finds in the folder ----

/// A socket file nobody listens on any more: bound, then closed.
void makeDeadSocket(const fs::path& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

pid_t endedProcess() {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

TEST(BroadcastFolder, OnlyLiveListenersAreReachedAndOnlyStaleSocketsRemoved) {
    test::ScratchDeviceRoot root;
    const fs::path folder = platform::broadcastFolder();
    ASSERT_FALSE(folder.empty());

    // A listener in this test stands for another process (any id but this process's).
    constexpr long kLiveId = 999999999;
    platform::BroadcastListener live;
    ASSERT_TRUE(live.listen(kLiveId));
    platform::LocalChannelListener otherChannel;  // the program's own channel, say
    ASSERT_TRUE(otherChannel.listen("ZenTrix"));

    const pid_t ended = endedProcess();
    const struct {
        const char* what;
        fs::path path;
        bool kept;
    } entries[] = {
        {"stale socket of an ended process", folder / platform::broadcastSocketName(ended), false},
        {"refused socket of a live process", folder / platform::broadcastSocketName(::getppid()),
         true},
        {"regular file", folder / platform::broadcastSocketName(1000000001), true},
        {"folder", folder / platform::broadcastSocketName(1000000002), true},
        {"link to a live listener", folder / platform::broadcastSocketName(1000000003), true},
        {"listener-like name of another length", folder / "broadcast-77.sock", true},
    };
    makeDeadSocket(entries[0].path);
    makeDeadSocket(entries[1].path);
    std::ofstream(entries[2].path) << "not a socket";
    fs::create_directory(entries[3].path);
    fs::create_symlink(live.path(), entries[4].path);
    makeDeadSocket(entries[5].path);

    const platform::BroadcastResult result = platform::sendBroadcast("26 242 0");
    EXPECT_EQ(result.reached, 1);
    EXPECT_EQ(result.stale, 1);
    EXPECT_EQ(result.failed, 1);  // the live process's refused socket
    EXPECT_TRUE(result.error.empty()) << result.error;
    for (const auto& entry : entries) {
        EXPECT_EQ(fs::exists(fs::symlink_status(entry.path)), entry.kept) << entry.what;
    }

    std::vector<std::string> heard;
    live.receive([&heard](std::string_view text) { heard.emplace_back(text); });
    EXPECT_EQ(heard, std::vector<std::string>{"26 242 0"});  // once, not again through the link
    EXPECT_EQ(otherChannel.serve([](std::string_view) { return std::string("?"); }), 0);
}

TEST(BroadcastFolder, ALineIsCutAtItsLineFeedAndLength) {
    test::ScratchDeviceRoot root;
    platform::BroadcastListener live;
    ASSERT_TRUE(live.listen(999999998));
    EXPECT_EQ(platform::sendBroadcast("1 2 3\n4 5 6").reached, 1);
    EXPECT_EQ(platform::sendBroadcast(std::string(1000, '9')).reached, 1);
    std::vector<std::string> heard;
    live.receive([&heard](std::string_view text) { heard.emplace_back(text); });
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0], "1 2 3");
    EXPECT_EQ(heard[1], std::string(200, '9'));
}

}  // namespace
}  // namespace zentrix::framework
