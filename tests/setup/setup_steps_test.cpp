// The hooks' work: the start-up program moved whole (or left where it was, with a warning), the
// refresh sent twice 2000 clock ms apart after an install and once after a removal, and nothing
// touched without a named device root.
#include "setup/setup_steps.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <thread>

#include "setup/setup_hooks.h"
#include "tests/setup/setup_session.h"

namespace zentrix::setup::test {
namespace {

using platform::BroadcastListener;
using platform::ScopedClockSpeed;

/// Names left in the start-up folder besides the program: a half copy would show here.
std::vector<std::string> strays(const fs::path& folder, const std::string& keep) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().filename() != keep)
            names.push_back(entry.path().filename().string());
    }
    return names;
}

TEST_F(SetupSession, TheStartUpProgramMovesWholeOrStaysWhereItWas) {
    enum class Outcome { Moved, SourceKept, NothingToMove };
    const struct {
        const char* what;
        std::function<void(SetupSession&)> prepare;
        Outcome outcome;
        bool needsPermissions = false;  // root writes where permissions forbid it
    } cases[] = {
        {"first install: no start-up folder yet", [](SetupSession&) {}, Outcome::Moved},
        {"an older program in place, read-only and not executable",
         [](SetupSession& s) { writeFile(s.target(), "old program", 0444); }, Outcome::Moved},
        {"nothing delivered", [](SetupSession& s) { fs::remove(s.source()); },
         Outcome::NothingToMove},
        {"the program's name taken by a folder with files",
         [](SetupSession& s) { writeFile(s.target() / "inside", "x"); }, Outcome::SourceKept},
        {"something other than a file delivered",
         [](SetupSession& s) {
             fs::remove(s.source());
             fs::create_directory(s.source());
         },
         Outcome::SourceKept},
        {"a read-only start-up folder",
         [](SetupSession& s) {
             fs::create_directories(s.startUp());
             ::chmod(s.startUp().c_str(), 0555);
         },
         Outcome::SourceKept, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsPermissions && ::geteuid() == 0)
            continue;  // run by a user only: permissions do not stop root
        fs::remove_all(root() / "Windows");
        fs::remove_all(root() / "ZentrixToday");
        // Set-user must not survive the copy; the executable bits must.
        writeFile(source(), "new program", 04755);
        c.prepare(*this);

        Report report;
        moveStartUpProgram(root(), report);
        ::chmod(startUp().c_str(), 0755);

        switch (c.outcome) {
            case Outcome::Moved:
                EXPECT_EQ(readFile(target()), "new program");
                EXPECT_EQ(modeOf(target()), 0755u);
                EXPECT_FALSE(fs::exists(source()));
                EXPECT_TRUE(report.warnings.empty()) << report.warnings.front();
                break;
            case Outcome::SourceKept:
                EXPECT_TRUE(fs::exists(source()));
                if (fs::is_regular_file(source())) {
                    EXPECT_EQ(readFile(source()), "new program");
                }
                EXPECT_NE(readFile(target()), "new program");
                ASSERT_EQ(report.warnings.size(), 1u);
                EXPECT_NE(report.warnings[0].find("stays where it is"), std::string::npos)
                    << report.warnings[0];
                break;
            case Outcome::NothingToMove:
                EXPECT_FALSE(fs::exists(root() / "Windows"));
                EXPECT_TRUE(report.warnings.empty());
                EXPECT_EQ(report.notices.size(), 1u);
                break;
        }
        EXPECT_EQ(strays(startUp(), "Daywake.exe"), std::vector<std::string>{});
    }
}

TEST_F(SetupSession, AsRootTheMoveIsTheDeviceRootOwnersOwn) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to hand the device root to another user";
    constexpr uid_t kUser = 65534;
    // The other user must be able to walk down to the device root.
    ::chmod(scratch_.path().c_str(), 0755);
    const fs::path secret = scratch_.path() / "secret";
    writeFile(secret, "root's own", 0600);

    const struct {
        const char* what;
        bool plantedLink;  // the delivered program a link to a file only root may read
    } cases[] = {{"the user's program", false}, {"a link to root's file", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(root() / "Windows");
        fs::remove_all(root() / "ZentrixToday");
        if (c.plantedLink) {
            fs::create_directories(source().parent_path());
            fs::create_symlink(secret, source());
        } else {
            writeFile(source(), "new program", 0755);
        }
        for (const auto& path : {root(), root() / "ZentrixToday", source()})
            ASSERT_EQ(::lchown(path.c_str(), kUser, kUser), 0);

        Report report;
        moveStartUpProgramAsOwner(root(), report);

        struct stat st {};
        if (c.plantedLink) {
            EXPECT_FALSE(fs::exists(target()));
            EXPECT_EQ(report.warnings.size(), 1u);
        } else {
            ASSERT_EQ(::lstat(target().c_str(), &st), 0);
            EXPECT_EQ(st.st_uid, kUser);
            ASSERT_EQ(::lstat(startUp().c_str(), &st), 0);
            EXPECT_EQ(st.st_uid, kUser);
            EXPECT_EQ(readFile(target()), "new program");
            EXPECT_TRUE(report.warnings.empty()) << report.warnings.front();
        }
    }
    EXPECT_EQ(readFile(secret), "root's own");
}

TEST_F(SetupSession, InstallExitMovesThenRefreshesTwice2000ClockMsApart) {
    writeFile(source(), "new program", 0755);
    BroadcastListener host;
    ASSERT_TRUE(host.listen(kHostId)) << host.error();
    ASSERT_FALSE(host.sessionPath().empty());

    ScopedClockSpeed fast(10);
    Report report;
    std::thread hook([&report] { installExit(report); });
    std::vector<Heard> heard;
    hear(host, heard, 2, 5000);
    hook.join();
    hear(host, heard, 3, 50);  // and no more than two, although the host listens in two places

    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].text, "26 242 0");
    EXPECT_EQ(heard[1].text, "26 242 0");
    const uint32_t apartMs = heard[1].ticks - heard[0].ticks;
    EXPECT_GE(apartMs, 1800u);
    EXPECT_LE(apartMs, 4000u);
    EXPECT_EQ(readFile(target()), "new program");
    EXPECT_TRUE(report.warnings.empty()) << report.warnings.front();
}

TEST_F(SetupSession, WithoutADeviceRootOnlyTheRefreshHappens) {
    writeFile(source(), "new program", 0755);
    BroadcastListener host;  // a host of the scratch device root, reached in its session folder
    ASSERT_TRUE(host.listen(kHostId)) << host.error();
    zentrix::test::ScopedEnv noRoot("ZENTRIX_ROOT", std::nullopt);
    zentrix::test::ScopedEnv home("HOME", (scratch_.path() / "home").string());
    zentrix::test::ScopedEnv data("XDG_DATA_HOME", std::nullopt);
    fs::create_directory(scratch_.path() / "home");

    ScopedClockSpeed fast(1000);
    Report report;
    installExit(report);
    std::vector<Heard> heard;
    hear(host, heard, 2, 1000);

    EXPECT_EQ(heard.size(), 2u);
    EXPECT_EQ(readFile(source()), "new program");
    EXPECT_FALSE(fs::exists(root() / "Windows"));
    EXPECT_TRUE(fs::is_empty(scratch_.path() / "home"));
    EXPECT_TRUE(report.warnings.empty()) << report.warnings.front();
    ASSERT_EQ(report.notices.size(), 1u);
    EXPECT_NE(report.notices[0].find("no device root"), std::string::npos);
}

TEST_F(SetupSession, OnlyTheExitHooksActAndEveryHookAnswersZero) {
    writeFile(source(), "delivered", 0755);
    writeFile(target(), "installed", 0755);
    BroadcastListener host;
    ASSERT_TRUE(host.listen(kHostId)) << host.error();
    const struct {
        const char* hook;
        std::function<int()> call;
        size_t broadcasts;
    } cases[] = {
        {"Install_Init", [] { return Install_Init(nullptr, 1, 0, "/opt/x"); }, 0},
        {"Uninstall_Init", [] { return Uninstall_Init(nullptr, nullptr); }, 0},
        {"Uninstall_Exit", [] { return Uninstall_Exit(nullptr); }, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hook);
        EXPECT_EQ(c.call(), 0);
        std::vector<Heard> heard;
        hear(host, heard, c.broadcasts + 1, 50);
        EXPECT_EQ(heard.size(), c.broadcasts);
        EXPECT_EQ(readFile(source()), "delivered");
        EXPECT_EQ(readFile(target()), "installed");
    }
}

}  // namespace
}  // namespace zentrix::setup::test
