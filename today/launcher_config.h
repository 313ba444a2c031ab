// Loading and saving the launcher settings: the data file first, the registry copy behind it.
#pragma once

#include <system_error>

#include "platform/registry.h"
#include "today/launcher_registry.h"
#include "today/launcher_settings.h"

namespace zentrix::today {

struct LoadSettingsResult {
    bool fromDataFile = false;  // else from the registry copy (or the values already held)
    RegistryResult registry;
};

struct SaveSettingsResult {
    std::error_code dataFileError;  // none: the data file holds the settings
    bool registryWritten = false;   // the registry copy holds them instead
    RegistryResult registry;
    bool ok() const { return !dataFileError || (registryWritten && registry.ok()); }
};

/// The data file; when it cannot be read whole, the general settings from the registry (missing
/// values keep their current ones) and then the registry groups.
LoadSettingsResult loadSettings(LauncherSettings& settings, platform::Registry& registry);

/// Writes the data file and clears the registry copy. Only when the data file cannot be written,
/// the settings go to the registry copy instead; the result says so, because a data file that
/// is still there from an earlier save is read first by the next load.
SaveSettingsResult saveSettings(const LauncherSettings& settings, platform::Registry& registry);

}  // namespace zentrix::today
