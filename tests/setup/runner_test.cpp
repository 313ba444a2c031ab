// The runner as the maintainer scripts call it: through the built library, answering 0 whatever
// the hook met and 2 only for a command line it cannot read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/setup/setup_session.h"

extern char** environ;

namespace zentrix::setup::test {
namespace {

struct RunnerOutput {
    int status = -1;
    std::string out;
    std::string err;
};

/// Runs the runner with `arguments` in this process's environment.
RunnerOutput runRunner(const fs::path& scratch, const std::vector<std::string>& arguments) {
    RunnerOutput run;
    const fs::path outFile = scratch / "runner.out";
    const fs::path errFile = scratch / "runner.err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> args{ZENTRIX_SETUP_RUNNER};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned =
        posix_spawn(&pid, ZENTRIX_SETUP_RUNNER, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readFile(outFile);
    run.err = readFile(errFile);
    return run;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(SetupSession, TheRunnerAnswersTwoOnlyForACommandLineItCannotRead) {
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char* stdoutHas;
        const char* stderrHas;
    } cases[] = {
        {{"--help"}, 0, "Usage: zentrix-setup-runner HOOK", ""},
        {{"Install_Exit", "--version"}, 0, "zentrix-setup-runner ", ""},
        {{}, 2, "", "which hook?"},
        {{"Install_Everything"}, 2, "", "no hook named Install_Everything"},
        {{"Install_Init", "Uninstall_Init"}, 2, "", "one hook at a time"},
        {{"Install_Init", "--root"}, 2, "", "--root needs a value"},
        {{"Install_Init", "--root="}, 2, "", "--root needs a folder"},
        {{"Install_Init", "--force"}, 2, "", "unknown option --force"},
        {{"Install_Init", "--library", "/nonexistent/libzentrix-setup.so"},
         0,
         "",
         "zentrix-setup: warning: cannot load the setup library"},
        {{"Install_Init", "--library=" ZENTRIX_SETUP_LIBRARY}, 0, "", ""},
        {{"Uninstall_Init"}, 0, "", ""},  // the library beside the runner
    };
    for (const auto& c : cases) {
        std::string line;
        for (const auto& a : c.arguments) line += a + " ";
        SCOPED_TRACE(line);
        const RunnerOutput run = runRunner(scratch_.path(), c.arguments);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_TRUE(contains(run.out, c.stdoutHas)) << run.out;
        EXPECT_TRUE(contains(run.err, c.stderrHas)) << run.err;
        if (*c.stderrHas == '\0') {
            EXPECT_EQ(run.err, "");
        }
    }
}

TEST_F(SetupSession, TheRunnersUninstallExitRefreshesOnceAndLeavesTheFilesAlone) {
    writeFile(target(), "installed", 0755);
    platform::BroadcastListener host;
    ASSERT_TRUE(host.listen(kHostId)) << host.error();
    zentrix::test::ScopedEnv noRoot("ZENTRIX_ROOT", std::nullopt);

    const RunnerOutput run =
        runRunner(scratch_.path(), {"Uninstall_Exit", "--root", root().string()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    std::vector<Heard> heard;
    hear(host, heard, 2, 50);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].text, "26 242 0");
    EXPECT_EQ(readFile(target()), "installed");
}

}  // namespace
}  // namespace zentrix::setup::test
