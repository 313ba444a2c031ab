// Parsers of the resource data files (resources/README.md describes the formats): the string
// table, the dialog templates and the bitmap list. The build's resource compiler and the language
// library loader use the same parsers, so a file the build accepted loads at run time and a
// language library with a broken file is refused with the line that broke it.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "framework/dialog_template.h"

namespace zentrix::framework {

struct StringEntry {
    std::string name;
    UINT id = 0;
    WideString text;
};

struct BitmapEntry {
    std::string kind;  ///< "BITMAP" or "ICON"
    std::string name;
    UINT id = 0;
    std::string path;  ///< relative to the bitmap list's folder
};

/// The outcome of parsing one file; `error` is "<source>:<line>: <what>" when it failed.
template <class T>
struct Parsed {
    std::vector<T> entries;
    std::string error;
    bool ok() const { return error.empty(); }
};

Parsed<StringEntry> parseStringTable(std::string_view text, std::string_view source);
Parsed<DialogTemplate> parseDialogs(std::string_view text, std::string_view source);
Parsed<BitmapEntry> parseBitmapList(std::string_view text, std::string_view source);

/// Checks that every id name means one number across all the given entries (names may repeat
/// with the same number, e.g. a control id used by two dialogs) and that numbers are not reused
/// within one kind. Collects the names for the id header. Empty on success, else the problem.
std::string collectIds(const std::vector<StringEntry>& strings,
                       const std::vector<DialogTemplate>& dialogs,
                       const std::vector<BitmapEntry>& bitmaps,
                       std::map<std::string, UINT>& idsByName);

}  // namespace zentrix::framework
