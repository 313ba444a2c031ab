// Qt sets the C library's locale from the environment when its application object starts; both
// places that start it (the program's runApplication and the test kit, which the gallery uses
// too) put the numbers back to "C" right after, and leave the rest of the desktop's locale alone.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/test_kit.h"
#include "framework/win_app.h"
#include "tests/support/comma_locale.h"
#include "tests/support/test_support.h"

namespace zentrix::framework {
namespace {

std::string category(int which) {
    const char* name = std::setlocale(which, nullptr);
    return name ? name : "(none)";
}

// What the C library does with numbers now; reported on standard error so that a failing child
// shows it.
bool numbersUsePoint() {
    char printed[16];
    std::snprintf(printed, sizeof printed, "%.1f", 1.5);
    const double read = std::strtod("2.5", nullptr);
    std::fprintf(stderr, "LC_NUMERIC=%s LC_CTYPE=%s printed=%s read=%g\n",
                 category(LC_NUMERIC).c_str(), category(LC_CTYPE).c_str(), printed, read * 2);
    return category(LC_NUMERIC) == "C" && std::string(printed) == "1.5" && read == 2.5 &&
           // Only the numbers: text handling keeps the desktop's character set.
           category(LC_CTYPE) != "C";
}

class ProbeApp : public CWinApp {
  public:
    ProbeApp() : CWinApp(u"Locale probe") {}
    bool InitInstance() override {
        ok_ = numbersUsePoint();
        return false;
    }
    int ExitInstance() override { return ok_ ? 0 : 1; }

  private:
    bool ok_ = false;
};

// The children's bodies: the exit code says whether the numbers still use ".", 2 when the
// environment could not be made the German desktop's.
[[noreturn]] void startTestKitUnderCommaLocale() {
    if (!test::useCommaLocaleEnvironment()) {
        std::fprintf(stderr, "no comma locale\n");
        std::_Exit(2);
    }
    ensureTestApplication();
    std::_Exit(numbersUsePoint() ? 0 : 1);
}

[[noreturn]] void startProgramUnderCommaLocale() {
    if (!test::useCommaLocaleEnvironment()) {
        std::fprintf(stderr, "no comma locale\n");
        std::_Exit(2);
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "zentrix-locale-probe";
    static char* argv[] = {name, nullptr};
    int exitCode = 1;
    {
        test::ScratchDeviceRoot root;  // the application object opens its profile
        exitCode = runApplication(argc, argv, [] { return std::make_unique<ProbeApp>(); });
    }
    std::_Exit(exitCode);
}

// Each start runs in a child process of its own that begins afresh ("threadsafe" death tests
// re-run the program): Qt allows one application object per process, and the environment must be
// the desktop's before it starts.
class NumericLocaleAtStart : public ::testing::Test {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(NumericLocaleAtStart, TestKitApplicationKeepsPoint) {
    EXPECT_EXIT(startTestKitUnderCommaLocale(), ::testing::ExitedWithCode(0), "LC_NUMERIC=C ");
}

TEST_F(NumericLocaleAtStart, ProgramApplicationKeepsPoint) {
    EXPECT_EXIT(startProgramUnderCommaLocale(), ::testing::ExitedWithCode(0), "LC_NUMERIC=C ");
}

}  // namespace
}  // namespace zentrix::framework
