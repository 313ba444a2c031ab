#include "today/launcher_config.h"

#include "today/launcher_data_file.h"

namespace zentrix::today {

LoadSettingsResult loadSettings(LauncherSettings& settings, platform::Registry& registry) {
    LoadSettingsResult result;
    if (loadDataFile(settings)) {
        result.fromDataFile = true;
        return result;
    }
    result.registry = loadRegistryGeneral(settings, registry);
    result.registry.append(loadRegistryGroups(settings, registry));
    return result;
}

SaveSettingsResult saveSettings(const LauncherSettings& settings, platform::Registry& registry) {
    SaveSettingsResult result;
    // The data file first: clearing the registry copy before it is safely written would leave
    // nothing behind a failed write.
    result.dataFileError = saveDataFile(settings);
    result.registry = clearRegistryGroups(registry);
    if (!result.dataFileError) return result;
    result.registry.append(saveRegistryGeneral(settings, registry));
    result.registry.append(saveRegistryGroups(settings, registry));
    result.registryWritten = result.registry.ok();
    return result;
}

}  // namespace zentrix::today
