// The local channel between processes of one user: delivery and answer, a listener that is gone,
// and a folder only its owner may enter.
#include "platform/local_channel.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "tests/support/test_support.h"

namespace zentrix::platform {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using test::ScratchDeviceRoot;

mode_t modeOf(const fs::path& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

/// Serves `listener` on a thread of its own, as the running program's window thread does.
class Serving {
  public:
    Serving(LocalChannelListener& listener, std::string answer)
        : thread_([this, &listener, answer] {
              while (!stop_) {
                  listener.serve([&](std::string_view message) {
                      heard_.emplace_back(message);
                      return answer;
                  });
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
              }
          }) {}
    ~Serving() {
        stop_ = true;
        thread_.join();
    }
    /// Valid once the object is destroyed.
    const std::vector<std::string>& heard() const { return heard_; }

  private:
    std::atomic<bool> stop_{false};
    std::vector<std::string> heard_;
    std::thread thread_;
};

TEST(LocalChannel, AMessageReachesTheListenerAndBringsItsAnswerBack) {
    ScratchDeviceRoot root;
    LocalChannelListener listener;
    ASSERT_TRUE(listener.listen("ZenTrix")) << listener.error();
    std::vector<std::string> heard;
    {
        Serving serving(listener, "raised");
        const ChannelReply reply = sendLocalMessage("ZenTrix", "raise", 5000);
        EXPECT_TRUE(reply.delivered) << reply.error;
        EXPECT_EQ(reply.answer, "raised");
        EXPECT_FALSE(sendLocalMessage("Other", "raise", 5000).delivered) << "names are apart";
        const ChannelReply again = sendLocalMessage("ZenTrix", "raise", 5000);
        EXPECT_TRUE(again.delivered);
    }
    ScopedEnv otherRoot("ZENTRIX_ROOT", (root.path() / "other-handheld").string());
    EXPECT_FALSE(sendLocalMessage("ZenTrix", "raise", 5000).delivered)
        << "another device root has channels of its own";
}

TEST(LocalChannel, WithoutAListenerASendFailsAtOnceAndALeftSocketIsTakenOver) {
    ScratchDeviceRoot root;
    const uint32_t start = Clock::tickCount();
    const ChannelReply nobody = sendLocalMessage("ZenTrix", "raise", 60000);
    EXPECT_FALSE(nobody.delivered);
    EXPECT_FALSE(nobody.error.empty());
    EXPECT_LT(ticksSince(start), 1000u);

    fs::path left;
    {
        LocalChannelListener ended;
        ASSERT_TRUE(ended.listen("ZenTrix"));
        left = ended.path();
        // A listener that ends without closing (a crash) leaves its socket file behind.
        ::close(ended.fd());
    }
    LocalChannelListener next;
    ASSERT_TRUE(next.listen("ZenTrix")) << next.error();
    Serving serving(next, "raised");
    EXPECT_TRUE(sendLocalMessage("ZenTrix", "raise", 5000).delivered);
}

TEST(LocalChannel, ALateListenerCostsTheSenderItsTimeOutOnly) {
    ScratchDeviceRoot root;
    ScopedClockSpeed fast(50);
    LocalChannelListener listener;
    ASSERT_TRUE(listener.listen("ZenTrix"));
    // Nobody serves: the program is busy with a long receiver command.
    const uint32_t start = Clock::tickCount();
    const ChannelReply reply = sendLocalMessage("ZenTrix", "raise", 2000);
    EXPECT_FALSE(reply.delivered);
    EXPECT_GE(ticksSince(start), 2000u);
    // Answering a sender that gave up neither blocks nor raises SIGPIPE.
    const uint32_t late = Clock::tickCount();
    listener.serve([](std::string_view) { return std::string("late"); });
    EXPECT_LT(ticksSince(late), 1000u);
}

TEST(LocalChannel, OnlyItsOwnerMayReachTheChannel) {
    ScratchDeviceRoot root;
    LocalChannelListener listener;
    ASSERT_TRUE(listener.listen("ZenTrix"));
    EXPECT_EQ(modeOf(listener.path()), 0600u);
    EXPECT_EQ(modeOf(listener.path().parent_path()), 0700u);
    const fs::path folder = listener.path().parent_path();
    listener.close();
    EXPECT_FALSE(fs::exists(folder / "ZenTrix.sock")) << "closing removes the socket";

    // A folder that others may enter is refused by both ends rather than used.
    ::chmod(folder.c_str(), 0755);
    LocalChannelListener refused;
    EXPECT_FALSE(refused.listen("ZenTrix"));
    EXPECT_NE(refused.error().find("open to other users"), std::string::npos) << refused.error();
    const ChannelReply reply = sendLocalMessage("ZenTrix", "raise", 1000);
    EXPECT_FALSE(reply.delivered);
    EXPECT_NE(reply.error.find("open to other users"), std::string::npos) << reply.error;
}

TEST(LocalChannel, ADeepDeviceRootUsesAShortPrivateFolder) {
    ScratchDeviceRoot root;
    const fs::path deep = root.path() / std::string(60, 'd') / std::string(60, 'e');
    ScopedEnv env("ZENTRIX_ROOT", deep.string());
    ScopedEnv runtime("XDG_RUNTIME_DIR", root.path().string());
    LocalChannelListener listener;
    ASSERT_TRUE(listener.listen("ZenTrix")) << listener.error();
    EXPECT_EQ(listener.path().parent_path().parent_path(), root.path());
    EXPECT_EQ(modeOf(listener.path().parent_path()), 0700u);
    Serving serving(listener, "raised");
    EXPECT_EQ(sendLocalMessage("ZenTrix", "raise", 5000).answer, "raised");
}

}  // namespace
}  // namespace zentrix::platform
