// Desktop entries (the .desktop files of applications and links): the few keys the launcher
// uses, read from the [Desktop Entry] group only, and the Exec= line split into a program and
// its arguments without a shell.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentrix::platform {

/// The keys of an entry's [Desktop Entry] group that the launcher uses. Values are unescaped
/// ("\s", "\n", "\t", "\r", "\\"); localized keys ("Name[de]") are ignored, so Name= is the
/// entry's untranslated name. A key written twice keeps its first value.
struct DesktopEntry {
    std::string type;           ///< Type=: "Application", "Link", "Directory" (empty when missing)
    std::string name;           ///< Name=
    std::string exec;           ///< Exec=, still quoted: split it with splitDesktopExec
    std::string icon;           ///< Icon=: an absolute path or an icon theme name
    std::string url;            ///< URL= of a link
    std::string workingFolder;  ///< Path=: the folder the program starts in
    bool hidden = false;        ///< Hidden=true: the entry counts as deleted
    bool noDisplay = false;     ///< NoDisplay=true: not shown in menus
    bool terminal = false;      ///< Terminal=true: meant to run in a terminal
};

/// The entry in `text`; nothing when it has no [Desktop Entry] group.
std::optional<DesktopEntry> parseDesktopEntry(std::string_view text);

/// The entry in the file `file`; nothing when it cannot be read, is larger than 1 MiB or has no
/// [Desktop Entry] group.
std::optional<DesktopEntry> readDesktopEntry(const std::filesystem::path& file);

/// Splits an Exec= value into the program and its arguments: blanks separate, double quotes
/// group and inside them a backslash makes the next `"`, `` ` ``, `$` or `\` literal. Field codes
/// are dropped (%f %F %u %U %i %c %k and the old %d %D %n %N %v %m; an argument that was only
/// field codes disappears), "%%" becomes "%". Nothing else is expanded. Nothing for an empty
/// line or an unclosed quote.
std::optional<std::vector<std::string>> splitDesktopExec(std::string_view exec);

}  // namespace zentrix::platform
