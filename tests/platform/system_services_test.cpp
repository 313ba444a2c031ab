// Processes, the named mutex and the locale: the services the application asks of the handheld
// before its first window.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/locale.h"
#include "platform/named_mutex.h"
#include "platform/processes.h"
#include "tests/support/test_support.h"

namespace zentrix::platform {
namespace {

using test::ScopedEnv;
using test::ScratchDeviceRoot;

TEST(Processes, NamesMatchAsTheHandheldComparedThem) {
    struct Row {
        const char* process;
        const char* wanted;
        bool matches;
    };
    const Row rows[] = {
        {"Duxlane.exe", "Duxlane.exe", true},
        {"duxlane.EXE", "Duxlane.exe", true},
        {"Duxlane", "Duxlane.exe", true},
        {"duxlane", "\\Windows\\Duxlane.exe", true},
        {"Duxlane2", "Duxlane.exe", false},
        {"Duxlane.exe", "Duxlane", false},
        {"Dux", "Duxlane.exe", false},
        {"", ".exe", false},
        {"/usr/bin/Duxlane", "Duxlane.exe", true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(processNameMatches(row.process, row.wanted), row.matches)
            << row.process << " vs " << row.wanted;
    }
}

TEST(Processes, FindsItselfAndStartsADetachedProgram) {
    const std::string self = ownExecutablePath().filename().string();
    ASSERT_FALSE(self.empty());
    EXPECT_TRUE(isProcessRunning(fromUtf8(self + ".exe")));
    EXPECT_FALSE(isProcessRunning(u"NoSuchProgramHere.exe"));

    ScratchDeviceRoot root;
    const auto marker = root.path() / "started";
    const auto script = root.path() / "Duxlane";
    std::ofstream(script) << "#!/bin/sh\necho \"$@\" > '" << marker.string() << "'\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    ASSERT_TRUE(startProcess(script, u"-f  two"));
    for (int i = 0; i < 500 && !std::filesystem::exists(marker); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::string arguments;
    std::getline(std::ifstream(marker), arguments);
    EXPECT_EQ(arguments, "-f two");
    EXPECT_FALSE(startProcess(root.path() / "missing", u"-f"));
    EXPECT_EQ(specialFolderPath(SpecialFolder::ProgramFiles), root.path() / "Program Files");
}

// The program is spawned by this process itself (no intermediate process forked from a threaded
// program), in a session of its own, and reaped when it ends.
TEST(Processes, AStartedProgramIsThisProcesssChildInASessionOfItsOwn) {
    ScratchDeviceRoot root;
    const auto marker = root.path() / "identity";
    const auto script = root.path() / "Launched";
    // Fields 1, 4 and 6 of /proc/<pid>/stat: process, parent and session.
    std::ofstream(script) << "#!/bin/sh\nset -- $(cat /proc/$$/stat)\necho \"$1 $4 $6\" > '"
                          << marker.string() << ".tmp' && mv '" << marker.string() << ".tmp' '"
                          << marker.string() << "'\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    ASSERT_TRUE(startProcess(script, u""));
    for (int i = 0; i < 500 && !std::filesystem::exists(marker); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    long pid = 0;
    long parent = 0;
    long session = 0;
    std::ifstream(marker) >> pid >> parent >> session;
    ASSERT_GT(pid, 0);
    EXPECT_EQ(parent, static_cast<long>(getpid()));
    EXPECT_EQ(session, pid);
    const auto entry = std::filesystem::path("/proc") / std::to_string(pid);
    for (int i = 0; i < 500 && std::filesystem::exists(entry); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(std::filesystem::exists(entry)) << "the ended program was not reaped";
}

TEST(NamedMutex, SecondOwnerSeesTheFirstUntilItEnds) {
    ScratchDeviceRoot root;
    {
        NamedMutex first("ZenTrix");
        ASSERT_TRUE(first.owned());
        NamedMutex second("ZenTrix");
        EXPECT_FALSE(second.owned());
        EXPECT_TRUE(second.alreadyExisted());
        NamedMutex other("Other");
        EXPECT_TRUE(other.owned()) << "names are independent";

        // Another process sees it too.
        const pid_t child = fork();
        if (child == 0)
            _exit(NamedMutex("ZenTrix").alreadyExisted() ? 0 : 1);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    NamedMutex again("ZenTrix");
    EXPECT_TRUE(again.owned()) << "the name is free once its owner is gone";
}

TEST(NamedMutex, ACrashedOwnerDoesNotKeepTheName) {
    ScratchDeviceRoot root;
    const pid_t child = fork();
    if (child == 0) {
        NamedMutex held("ZenTrix");
        _exit(held.owned() ? 0 : 1);  // no destructor runs
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(NamedMutex("ZenTrix").owned());
}

// A lock that cannot be taken at all must not pass for one another process holds: the program
// would end as if it were already running.
TEST(NamedMutex, ALockThatCannotBeTakenIsAnErrorNotAnOwner) {
    {
        ScratchDeviceRoot root;
        std::ofstream(root.path() / ".mutex") << "a plain file where the lock's folder goes";
        NamedMutex mutex("ZenTrix");
        EXPECT_FALSE(mutex.owned());
        EXPECT_FALSE(mutex.alreadyExisted());
        EXPECT_TRUE(mutex.failed());
        EXPECT_EQ(mutex.error(), (root.path() / ".mutex").string() + ": Not a directory");
    }
    {
        ScratchDeviceRoot root;
        std::filesystem::create_directories(root.path() / ".mutex" / "ZenTrix.lock");
        NamedMutex mutex("ZenTrix");  // a folder where the lock file goes
        EXPECT_TRUE(mutex.failed());
        EXPECT_FALSE(mutex.alreadyExisted());
        EXPECT_NE(mutex.error().find("ZenTrix.lock: "), std::string::npos) << mutex.error();
    }
    {
        // File modes do not stop root; /sys refuses new folders to everyone.
        ScratchDeviceRoot scratch;
        const std::filesystem::path root =
            geteuid() == 0 ? std::filesystem::path("/sys/zentrix-test-root") : scratch.path();
        if (geteuid() != 0)
            std::filesystem::permissions(root, std::filesystem::perms::owner_read |
                                                   std::filesystem::perms::owner_exec);
        ScopedEnv env("ZENTRIX_ROOT", root.string());
        NamedMutex mutex("ZenTrix");
        EXPECT_TRUE(mutex.failed());
        EXPECT_FALSE(mutex.alreadyExisted());
        EXPECT_EQ(mutex.error().rfind(root.string(), 0), 0u) << mutex.error();
        std::filesystem::permissions(scratch.path(), std::filesystem::perms::owner_all);
    }
    {
        ScratchDeviceRoot root;
        NamedMutex first("ZenTrix");
        NamedMutex second("ZenTrix");
        EXPECT_FALSE(first.failed());
        EXPECT_FALSE(second.failed()) << "held by another is not a failure";
        EXPECT_TRUE(second.error().empty());
    }
}

TEST(Locale, PosixNamesMapToTheHandheldsLocales) {
    struct Row {
        const char* posix;
        uint32_t id;
        const char* english;
    };
    const Row rows[] = {
        {"zh_CN.UTF-8", 2052, "Chinese (Simplified)"},
        {"zh_TW.UTF-8", 1028, "Chinese (Traditional)"},
        {"de_DE@euro", 1031, "German"},
        {"en_US.UTF-8", 1033, "English"},
        {"C.UTF-8", kDefaultLocaleId, "English"},
        {"", kDefaultLocaleId, "English"},
        {"pt_BR", 1046, "Portuguese"},
        {"xx_YY", kDefaultLocaleId, "English"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(localeIdFromPosixName(row.posix), row.id) << row.posix;
        EXPECT_EQ(englishLanguageName(localeIdFromPosixName(row.posix)), row.english) << row.posix;
    }
}

TEST(Locale, SystemDefaultFollowsThePosixVariablesInOrder) {
    ScopedEnv all("LC_ALL", std::nullopt);
    ScopedEnv messages("LC_MESSAGES", std::nullopt);
    ScopedEnv lang("LANG", "de_DE.UTF-8");
    EXPECT_EQ(systemDefaultLocaleId(), 1031u);
    ScopedEnv messages2("LC_MESSAGES", "zh_CN.UTF-8");
    EXPECT_EQ(systemDefaultLocaleId(), 2052u);
    ScopedEnv all2("LC_ALL", "zh_TW.UTF-8");
    EXPECT_EQ(systemDefaultLocaleId(), 1028u);
}

TEST(Locale, MeasurementSystemOfTheUsersLocale) {
    ScopedEnv all("LC_ALL", std::nullopt);
    ScopedEnv measurement("LC_MEASUREMENT", std::nullopt);
    {
        ScopedEnv lang("LANG", "en_US.UTF-8");
        EXPECT_EQ(measurementSystem(), 2);
    }
    {
        ScopedEnv lang("LANG", "de_DE.UTF-8");
        EXPECT_EQ(measurementSystem(), 1);
    }
}

}  // namespace
}  // namespace zentrix::platform
