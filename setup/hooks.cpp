// The library's only entry points. Nothing may escape them: the installer goes on whatever
// happens here.
#include <cstdio>
#include <exception>

#include "setup/setup_hooks.h"
#include "setup/setup_steps.h"

#define ZENTRIX_SETUP_EXPORT __attribute__((visibility("default")))

namespace {

template <class Work>
void run(Work work) {
    zentrix::setup::Report report;
    try {
        work(report);
    } catch (const std::exception& error) {
        report.warnings.push_back(error.what());
    } catch (...) {
        report.warnings.push_back("the hook failed");
    }
    zentrix::setup::printReport(report);
}

}  // namespace

extern "C" {

ZENTRIX_SETUP_EXPORT SetupInitResult Install_Init(void*, int, int, const char*) {
    return kSetupContinue;
}

ZENTRIX_SETUP_EXPORT SetupExitResult Install_Exit(void*, const char*, uint16_t, uint16_t, uint16_t,
                                                  uint16_t, uint16_t) {
    run(zentrix::setup::installExit);
    return kSetupDone;
}

ZENTRIX_SETUP_EXPORT SetupInitResult Uninstall_Init(void*, const char*) {
    return kSetupContinue;
}

ZENTRIX_SETUP_EXPORT SetupExitResult Uninstall_Exit(void*) {
    run(zentrix::setup::uninstallExit);
    return kSetupDone;
}

}  // extern "C"
