// The launcher's data file "\Windows\Zentrix.dat", its primary store.
//
// UTF-16 little-endian text with a byte-order mark, one value per CR LF ended line: a signature,
// the format version, the general settings between two "1855" markers, then the 8 groups with
// their items. Versions 1200 to 1204 are read (settings newer than a file's version keep their
// current values); 1204 is written. Reading is a pure function of the bytes, so that it can be
// fuzzed in memory.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "today/launcher_settings.h"

namespace zentrix::today {

inline constexpr int kDataFileVersion = 1204;
inline constexpr char16_t kDataFileName[] = u"\\Windows\\Zentrix.dat";

/// The settings the file holds, on top of `current` (which supplies what an older version lacks),
/// or nothing when the file is not a whole data file of a known version.
std::optional<LauncherSettings> parseLauncherData(std::string_view bytes,
                                                  const LauncherSettings& current);
/// The data file of `settings`, in version 1204.
std::string formatLauncherData(const LauncherSettings& settings);

/// Reads the data file at the device root into `settings`; true only when the whole file was
/// read. On failure `settings` is left as it was.
bool loadDataFile(LauncherSettings& settings);
/// Replaces the data file at once; the error, or none.
std::error_code saveDataFile(const LauncherSettings& settings);

std::filesystem::path dataFilePath();

}  // namespace zentrix::today
