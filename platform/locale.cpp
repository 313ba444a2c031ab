#include "platform/locale.h"

#include <langinfo.h>
#include <locale.h>

#include <array>
#include <cstdlib>

#include "platform/text.h"

namespace zentrix::platform {
namespace {

struct LocaleRow {
    std::string_view posix;  // language, or language_TERRITORY when the territory matters
    uint32_t id;
    std::string_view englishName;
};

// Exact language_TERRITORY rows come before the language's own row, which catches the rest.
constexpr std::array<LocaleRow, 30> kLocales = {{
    {"zh_TW", 1028, "Chinese (Traditional)"},
    {"zh_HK", 1028, "Chinese (Traditional)"},
    {"zh", 2052, "Chinese (Simplified)"},
    {"en_GB", 2057, "English"},
    {"en", 1033, "English"},
    {"de", 1031, "German"},
    {"fr", 1036, "French"},
    {"es", 3082, "Spanish"},
    {"it", 1040, "Italian"},
    {"pt_BR", 1046, "Portuguese"},
    {"pt", 2070, "Portuguese"},
    {"nl", 1043, "Dutch"},
    {"ru", 1049, "Russian"},
    {"pl", 1045, "Polish"},
    {"cs", 1029, "Czech"},
    {"hu", 1038, "Hungarian"},
    {"tr", 1055, "Turkish"},
    {"ja", 1041, "Japanese"},
    {"ko", 1042, "Korean"},
    {"sv", 1053, "Swedish"},
    {"da", 1030, "Danish"},
    {"fi", 1035, "Finnish"},
    {"nb", 1044, "Norwegian"},
    {"el", 1032, "Greek"},
    {"ro", 1048, "Romanian"},
    {"uk", 1058, "Ukrainian"},
    {"ar", 1025, "Arabic"},
    {"he", 1037, "Hebrew"},
    {"th", 1054, "Thai"},
    {"vi", 1066, "Vietnamese"},
}};

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

uint32_t localeIdFromPosixName(std::string_view posixName) {
    // "de_DE.UTF-8@euro": the codeset and modifier say nothing about the language.
    const std::string_view name = posixName.substr(0, posixName.find_first_of(".@"));
    const std::string_view language = name.substr(0, name.find('_'));
    for (const LocaleRow& row : kLocales) {
        if (equalsIgnoringAsciiCase(row.posix, name) ||
            (row.posix.find('_') == std::string_view::npos &&
             equalsIgnoringAsciiCase(row.posix, language))) {
            return row.id;
        }
    }
    return kDefaultLocaleId;
}

uint32_t systemDefaultLocaleId() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const std::string value = environment(variable);
        if (!value.empty())
            return localeIdFromPosixName(value);
    }
    return kDefaultLocaleId;
}

std::string englishLanguageName(uint32_t localeId) {
    for (const LocaleRow& row : kLocales) {
        if (row.id == localeId)
            return std::string(row.englishName);
    }
    return "English";
}

int measurementSystem() {
    // A locale of its own, so the program's global locale is left alone.
    locale_t locale = newlocale(LC_MEASUREMENT_MASK, "", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) {
        // The locale is not installed on this machine: its territory still says enough.
        for (const char* variable : {"LC_ALL", "LC_MEASUREMENT", "LANG"}) {
            const std::string value = environment(variable);
            if (value.empty())
                continue;
            const std::string name = value.substr(0, value.find_first_of(".@"));
            return name.ends_with("_US") || name.ends_with("_LR") || name.ends_with("_MM") ? 2 : 1;
        }
        return 1;
    }
    const char* value = nl_langinfo_l(_NL_MEASUREMENT_MEASUREMENT, locale);
    const int system = (value != nullptr && value[0] == 2) ? 2 : 1;
    freelocale(locale);
    return system;
}

}  // namespace zentrix::platform
