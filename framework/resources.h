// The program's resources: the string table, the dialog templates and the bitmaps and icons, all
// looked up by numeric id. The program's own resources are compiled into it from the data files
// in resources/ (see resources/README.md); a language library loaded with
// `loadLanguageLibrary` replaces strings and dialogs under the same ids, and whatever it does not
// replace keeps its built-in text.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "framework/types.h"

namespace zentrix::framework {

struct DialogTemplate;

/// The image file bytes (PNG or BMP) of bitmap or icon resource `id`; nothing for an unknown id.
std::optional<std::string> bitmapResourceBytes(UINT id);

/// String-table text `id`, from the language library if it has one, else the built-in text;
/// an unknown id gives an empty text, as the platform's string loader does.
WideString loadString(UINT id);

/// "%1", "%2" ... of a string-table pattern replaced by `values` in order. Numbered inserts
/// rather than printf directives: a translated pattern can reorder them, and a pattern from a
/// language library that asks for more than it is given shows its "%3" rather than reading
/// past the arguments.
WideString formatPattern(WideStringView pattern, std::initializer_list<WideStringView> values);

/// Whether string `id` exists at all (built in or from the language library).
bool hasString(UINT id);

/// Dialog template `id` (language library first, then built in); nullptr for an unknown id.
/// The template stays valid until the language library is unloaded or replaced.
const DialogTemplate* findDialogTemplate(UINT id);

/// Loads the language library at `path` ("Lang/<Language>Lang.so" beside the program; the
/// program chooses the name). False, and the built-in resources stay in use, when the library
/// cannot be loaded, lacks the entry point or its data does not parse.
bool loadLanguageLibrary(const std::string& path);

/// Back to the built-in resources only.
void unloadLanguageLibrary();

/// The ids of every built-in dialog template, in ascending order (the gallery renders them).
std::vector<UINT> builtInDialogIds();

}  // namespace zentrix::framework

// The entry point a language library exports. `kind` is "strings" or "dialogs"; the answer is
// that part's text in the data-file formats of resources/README.md (UTF-8, zero-terminated,
// owned by the library), or a null pointer when the library replaces none of that kind.
extern "C" {
using ZentrixLanguageResourceFn = const char* (*)(const char* kind);
}
#define ZENTRIX_LANGUAGE_ENTRY "zentrix_language_resource"
