#include "app/startup.h"

#include "platform/clock.h"
#include "platform/processes.h"

namespace zentrix::app {
namespace fs = std::filesystem;

namespace {
constexpr uint32_t kTraditionalChineseLocale = 1028;
constexpr uint32_t kSimplifiedChineseLocale = 2052;
constexpr uint32_t kServiceStartPauseMs = 5000;
}  // namespace

DeviceModel deviceModelFromCode(const std::optional<std::string>& modelCode) {
    if (!modelCode)
        return kSurveyModel;
    const std::string_view head = std::string_view(*modelCode).substr(0, 4);
    if (head == "0143")
        return kGpsOnlyModel0;
    if (head == "0204")
        return kGpsOnlyModel1;
    return kSurveyModel;
}

platform::WideString receiverDeviceName(DeviceModel model) {
    return model == kGpsOnlyModel0 ? u"COM1:" : u"COM3:";
}

std::string languageLibraryName(uint32_t localeId, std::string englishName) {
    // "Chinese (Simplified)" -> "Chinese": the blank before the bracket goes with it. A bracket
    // in the first two places leaves the name alone, so a short name never becomes empty.
    const size_t bracket = englishName.find('(');
    if (bracket != std::string::npos && bracket >= 2)
        englishName.resize(bracket - 1);
    if (localeId == kTraditionalChineseLocale)
        return "T" + englishName;
    if (localeId == kSimplifiedChineseLocale)
        return "S" + englishName;
    return englishName;
}

fs::path languageLibraryPath(const fs::path& programFolder, uint32_t localeId,
                             const std::string& englishName) {
    return programFolder / "Lang" / (languageLibraryName(localeId, englishName) + "Lang.so");
}

fs::path serviceProgramPath() {
    return platform::specialFolderPath(platform::SpecialFolder::ProgramFiles) / "GNSS Duxlane" /
           "Duxlane.exe";
}

bool ensureServiceRunning() {
    if (platform::isProcessRunning(kServiceExecutable))
        return true;
    platform::startProcess(serviceProgramPath(), u"-f");
    platform::sleepMs(kServiceStartPauseMs);
    return true;
}

}  // namespace zentrix::app
