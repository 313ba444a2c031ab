#include "app/startup.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/clock.h"
#include "platform/processes.h"
#include "tests/support/test_support.h"

namespace zentrix::app {
namespace {

using test::ScratchDeviceRoot;

TEST(Startup, ModelCodesChooseModelAndPort) {
    struct Row {
        std::optional<std::string> code;
        DeviceModel model;
        const char16_t* device;
    };
    const Row rows[] = {
        {"0143", kGpsOnlyModel0, u"COM1:"},     {"0143-A1", kGpsOnlyModel0, u"COM1:"},
        {"0204", kGpsOnlyModel1, u"COM3:"},     {"02045678", kGpsOnlyModel1, u"COM3:"},
        {"0205", kSurveyModel, u"COM3:"},       {"014", kSurveyModel, u"COM3:"},
        {std::nullopt, kSurveyModel, u"COM3:"}, {"", kSurveyModel, u"COM3:"},
    };
    for (const Row& row : rows) {
        const DeviceModel model = deviceModelFromCode(row.code);
        EXPECT_EQ(model, row.model) << row.code.value_or("(none)");
        EXPECT_EQ(receiverDeviceName(model), row.device) << row.code.value_or("(none)");
    }
}

TEST(Startup, LanguageLibraryNames) {
    struct Row {
        uint32_t locale;
        const char* english;
        const char* library;
    };
    const Row rows[] = {
        {2052, "Chinese (Simplified)", "/p/Lang/SChineseLang.so"},
        {1028, "Chinese (Traditional)", "/p/Lang/TChineseLang.so"},
        {1031, "German", "/p/Lang/GermanLang.so"},
        {1033, "English (United States)", "/p/Lang/EnglishLang.so"},
        {1033, "A(b)", "/p/Lang/A(b)Lang.so"},  // a bracket before index 2 stays
        {1033, "Ab(c)", "/p/Lang/ALang.so"},    // the character before the bracket goes
    };
    for (const Row& row : rows) {
        EXPECT_EQ(languageLibraryPath("/p", row.locale, row.english), row.library) << row.english;
    }
}

TEST(Startup, LanguageLibraryOfAnInstalledProgramIsFoundInItsLibraryFolder) {
    test::ScratchFolder prefix;
    const auto bin = prefix.path() / "bin";
    const auto beside = bin / "Lang" / "GermanLang.so";
    const auto installed = prefix.path() / "lib" / "zentrix" / "Lang" / "GermanLang.so";
    std::filesystem::create_directories(bin);

    // Neither exists: the place beside the program, where a load then fails.
    EXPECT_EQ(languageLibraryPath(bin, 1031, "German"), beside);

    std::filesystem::create_directories(installed.parent_path());
    std::ofstream(installed) << "x";
    EXPECT_EQ(languageLibraryPath(bin, 1031, "German"), installed);
    // Another language is not taken for the one that is installed.
    EXPECT_EQ(languageLibraryPath(bin, 1036, "French"), bin / "Lang" / "FrenchLang.so");

    // A library beside the program (a build tree, or one put there by hand) comes first.
    std::filesystem::create_directories(beside.parent_path());
    std::ofstream(beside) << "x";
    EXPECT_EQ(languageLibraryPath(bin, 1031, "German"), beside);
}

TEST(Startup, ServiceIsStartedWithItsFlagOnlyWhenItDoesNotRun) {
    ScratchDeviceRoot root;
    platform::ScopedClockSpeed fast(1000);
    const auto marker = root.path() / "service-started";
    const auto program = serviceProgramPath();
    EXPECT_EQ(program, root.path() / "Program Files" / "GNSS Duxlane" / "Duxlane.exe");

    // Missing program: the start fails, the pause still comes, the answer is still true.
    EXPECT_TRUE(ensureServiceRunning());

    // A service that stays up: started once with "-f", then found running by its name.
    std::filesystem::create_directories(program.parent_path());
    std::ofstream(program) << "#!/bin/sh\necho \"$$ $@\" >> '" << marker.string()
                           << "'\nwhile :; do sleep 1; done\n";
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    EXPECT_TRUE(ensureServiceRunning());
    for (int i = 0; i < 500 && !std::filesystem::exists(marker); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(platform::isProcessRunning(kServiceExecutable));
    EXPECT_TRUE(ensureServiceRunning());

    std::ifstream lines(marker);
    int pid = 0;
    std::string flag, more;
    lines >> pid >> flag;
    EXPECT_EQ(flag, "-f");
    EXPECT_FALSE(lines >> more) << "started a second time";
    if (pid > 0)
        kill(pid, SIGKILL);
}

}  // namespace
}  // namespace zentrix::app
