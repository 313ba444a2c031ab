#include "today/launcher_settings.h"

namespace zentrix::today {

WideString fieldText(WideStringView text) {
    text = text.substr(0, text.find(u'\0'));
    return WideString(text.substr(0, kMaxTextLength));
}

std::array<LauncherGroup, kGroupCount> LauncherSettings::defaultGroups() {
    static constexpr std::array<const char16_t*, kGroupCount> kNames = {
        u"Main", u"Tools", u"Comm", u"Web", u"Utilities", u"Work", u"Nav", u"Misc"};
    std::array<LauncherGroup, kGroupCount> groups;
    for (size_t i = 0; i < kGroupCount; ++i) groups[i].name = kNames[i];
    return groups;
}

}  // namespace zentrix::today
