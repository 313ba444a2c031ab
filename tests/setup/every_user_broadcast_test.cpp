// A refresh from the installer reaches the listeners of every user through the user's own runtime
// folder, and nothing a user could plant there: links, sockets or folders of anyone else, folders
// others may write to.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "platform/broadcast_channel.h"
#include "platform/local_channel.h"
#include "tests/setup/setup_session.h"

namespace zentrix::setup::test {
namespace {

using platform::LocalChannelListener;

/// A listener's socket at `path` whose file belongs to `owner`; what it hears, once served.
struct Planted {
    const char* what;
    bool reached;
    std::unique_ptr<LocalChannelListener> listener = std::make_unique<LocalChannelListener>();

    std::vector<std::string> heard() {
        std::vector<std::string> lines;
        listener->serve([&lines](std::string_view text) {
            lines.emplace_back(text);
            return std::string("ok");
        });
        return lines;
    }
};

fs::path makeFolder(const fs::path& folder, uid_t owner, mode_t mode) {
    fs::create_directories(folder);
    ::chmod(folder.c_str(), mode);
    EXPECT_EQ(::chown(folder.c_str(), owner, owner), 0) << folder;
    return folder;
}

void plant(Planted& planted, const fs::path& socket, uid_t owner) {
    ASSERT_TRUE(planted.listener->listenAt(socket)) << planted.listener->error();
    ASSERT_EQ(::lchown(socket.c_str(), owner, owner), 0);
}

std::string name(long id) {
    return platform::broadcastSocketName(id);
}

TEST_F(SetupSession, AUserSenderReachesItsOwnSessionSocketsButNoLink) {
    const uid_t self = ::geteuid();
    const fs::path own = makeFolder(platform::userBroadcastFolder(self), self, 0700);
    const fs::path outside = makeFolder(scratch_.path() / "outside", self, 0700);
    Planted host{"the user's host", true};
    Planted elsewhere{"a socket outside, reached through a link", false};
    plant(host, own / name(11), self);
    plant(elsewhere, outside / name(12), self);
    fs::create_symlink(outside / name(12), own / name(13));

    const auto result = platform::sendBroadcastToEveryUser("26 242 0");
    EXPECT_EQ(result.reached, 1);
    EXPECT_EQ(result.failed, 0);
    EXPECT_EQ(host.heard(), std::vector<std::string>{"26 242 0"});
    EXPECT_TRUE(elsewhere.heard().empty());
    EXPECT_TRUE(fs::is_symlink(own / name(13)));
}

TEST_F(SetupSession, RootReachesEveryUsersOwnSocketsAndNothingPlanted) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root: the folders of other users";
    const fs::path run = base();
    // Uids no test machine gives a session: the folders here stand for theirs.
    std::vector<Planted> planted;
    planted.reserve(8);
    const auto add = [&planted](const char* what, bool reached) -> Planted& {
        planted.push_back({what, reached});
        return planted.back();
    };

    plant(add("root's own host", true),
          makeFolder(platform::userBroadcastFolder(0), 0, 0700) / name(21), 0);
    plant(add("another user's host", true),
          makeFolder(run / "65534" / "zentrix", 65534, 0700) / name(22), 65534);
    makeFolder(run / "65534", 65534, 0700);

    // The user links a name in its folder to a socket it may not reach itself.
    const fs::path hidden = makeFolder(scratch_.path() / "hidden", 0, 0700);
    plant(add("root's socket, linked to from a user's folder", false), hidden / name(23), 0);
    fs::create_symlink(hidden / name(23), run / "65534" / "zentrix" / name(24));
    ::lchown((run / "65534" / "zentrix" / name(24)).c_str(), 65534, 65534);

    plant(add("a socket of root in a user's folder", false),
          makeFolder(run / "65533" / "zentrix", 65533, 0700) / name(25), 0);
    makeFolder(run / "65533", 65533, 0700);

    plant(add("a group-writable folder", false),
          makeFolder(run / "65532" / "zentrix", 65532, 0770) / name(26), 65532);
    makeFolder(run / "65532", 65532, 0700);

    plant(add("a session folder that is a link", false),
          makeFolder(scratch_.path() / "s65531" / "zentrix", 65531, 0700) / name(27), 65531);
    makeFolder(scratch_.path() / "s65531", 65531, 0700);
    fs::create_symlink(scratch_.path() / "s65531", run / "65531");

    plant(add("a session folder of another user than its name", false),
          makeFolder(run / "65530" / "zentrix", 65534, 0700) / name(28), 65534);
    makeFolder(run / "65530", 65534, 0700);

    plant(add("a runtime folder that is a link", false),
          makeFolder(scratch_.path() / "z65529", 65529, 0700) / name(29), 65529);
    makeFolder(run / "65529", 65529, 0700);
    fs::create_symlink(scratch_.path() / "z65529", run / "65529" / "zentrix");

    const auto result = platform::sendBroadcastToEveryUser("26 242 0");
    EXPECT_EQ(result.reached, 2);
    EXPECT_EQ(result.failed, 0);
    EXPECT_TRUE(result.error.empty()) << result.error;
    for (auto& p : planted) {
        EXPECT_EQ(p.heard().size(), p.reached ? 1u : 0u) << p.what;
    }
}

}  // namespace
}  // namespace zentrix::setup::test
