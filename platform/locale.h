// The handheld's locale services: the system default language and the measurement system.
//
// The handheld named its locales by numeric identifiers and gave each an English language name;
// the language library beside the program is found by that name. Here the system default locale
// comes from the POSIX locale variables (LC_ALL, then LC_MESSAGES, then LANG), mapped onto the
// handheld's identifiers by a table of the languages a field crew is likely to use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zentrix::platform {

/// The handheld's identifier of the "English (United States)" locale, used when nothing matches.
constexpr uint32_t kDefaultLocaleId = 1033;

/// The locale identifier of a POSIX locale name such as "zh_CN.UTF-8" or "de_DE@euro".
uint32_t localeIdFromPosixName(std::string_view posixName);

/// The system default locale identifier.
uint32_t systemDefaultLocaleId();

/// The English name of a locale's language, as the handheld reported it ("German",
/// "Chinese (Simplified)"); "English" for an identifier the table does not know.
std::string englishLanguageName(uint32_t localeId);

/// The measurement system of the user's locale: 1 metric, 2 U.S. (LC_MEASUREMENT).
int measurementSystem();

}  // namespace zentrix::platform
