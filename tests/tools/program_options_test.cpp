// Every program of the package answers --help and --version on standard output with exit code 0,
// and asking changes nothing on the machine: no device root, no settings store, no socket.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "tests/support/test_support.h"

namespace zentrix::test {
namespace {

struct Program {
    const char* name;
    const char* path;
};

const std::vector<Program> kPrograms = {
    {"zentrix", ZENTRIX_PROGRAM},
    {"zentrix-sim", ZENTRIX_SIM_PROGRAM},
    {"zentrix-replay", ZENTRIX_REPLAY_PROGRAM},
    {"zentrix-info", ZENTRIX_INFO_PROGRAM},
    {"zentrix-gallery", ZENTRIX_GALLERY_PROGRAM},
    {"zentrixctl", ZENTRIX_CTL_PROGRAM},
};

struct Outcome {
    int exitCode = -1;
    std::string out;
};

/// Runs `command` through the shell with standard error dropped.
Outcome run(const std::string& command) {
    Outcome result;
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.out.append(buffer, n);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST(ProgramOptions, HelpAndVersionAnswerAndTouchNothing) {
    ScratchFolder scratch;
    const auto home = scratch.path() / "home";
    std::filesystem::create_directory(home);
    // Every place a program would put something: the named root, and the defaults below HOME.
    const std::string environment = "env -i PATH=/usr/bin:/bin HOME=" + home.string() +
                                    " ZENTRIX_ROOT=" + (scratch.path() / "root").string() +
                                    " XDG_RUNTIME_DIR=" + (scratch.path() / "run").string() +
                                    " QT_QPA_PLATFORM=offscreen ";
    for (const Program& program : kPrograms) {
        SCOPED_TRACE(program.name);
        for (const char* option : {"--help", "-h"}) {
            const Outcome help = run(environment + program.path + " " + option);
            EXPECT_EQ(help.exitCode, 0);
            EXPECT_EQ(help.out.rfind(std::string("usage: ") + program.name, 0), 0u) << help.out;
        }
        const Outcome version = run(environment + program.path + " --version");
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_EQ(version.out,
                  std::string(program.name) + " " + std::string(platform::packageVersion()) + "\n");
    }
    std::vector<std::string> made;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(scratch.path()))
        made.push_back(entry.path().string());
    EXPECT_EQ(made, std::vector<std::string>{home.string()}) << "asking for help left files behind";
}

TEST(ProgramOptions, AnUnknownOptionIsAnErrorOnStandardError) {
    ScratchFolder scratch;
    const std::string environment =
        "env -i PATH=/usr/bin:/bin ZENTRIX_ROOT=" + (scratch.path() / "root").string() + " ";
    for (const Program& program : kPrograms) {
        if (std::string(program.name) == "zentrix")
            continue;  // the program takes no arguments and ignores what it is given
        SCOPED_TRACE(program.name);
        const Outcome wrong = run(environment + program.path + " --no-such-option");
        EXPECT_EQ(wrong.exitCode, 2);
        EXPECT_EQ(wrong.out, "");
    }
}

}  // namespace
}  // namespace zentrix::test
