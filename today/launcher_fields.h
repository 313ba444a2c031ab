// The settings of the launcher record in the order the data file holds them, with their registry
// value names. The data file, the registry copy and their readers all walk these two tables.
#pragma once

#include <array>

#include "today/launcher_settings.h"

namespace zentrix::today {

/// One setting: a number or a text member, the registry value that holds it (none: data file
/// only) and the first data file version that holds it.
template <class Record>
struct LauncherField {
    int32_t Record::*number = nullptr;
    WideString Record::*text = nullptr;
    const char16_t* registryName = nullptr;
    int firstVersion = 1200;
};

using GeneralField = LauncherField<LauncherSettings>;
using GroupField = LauncherField<LauncherGroup>;

inline constexpr std::array<GeneralField, 18> kGeneralFields{{
    {&LauncherSettings::launcherHeight, nullptr, u"system_height"},
    {&LauncherSettings::iconLoadDelay, nullptr, u"ShowIconSec"},
    {&LauncherSettings::reverseArrows, nullptr, u"reverse_arrow"},
    {&LauncherSettings::language, nullptr, u"language"},
    {&LauncherSettings::groupTabsShown, nullptr, u"GroupNameEnable"},
    {&LauncherSettings::fixedTabWidth, nullptr, u"GroupLabelFixWidth"},
    {&LauncherSettings::tabWidth, nullptr, u"GroupLabelWidth"},
    {&LauncherSettings::tabBorder, nullptr, u"tab_border"},
    {&LauncherSettings::tabBorder3d, nullptr, u"tab_border3d"},
    {&LauncherSettings::tabLineExtend, nullptr, u"tab_line_extend"},
    {&LauncherSettings::menuBarAtBottom, nullptr, u"menu_at_bottom"},
    {nullptr, &LauncherSettings::settingsIconProgram, u"GearIconPath"},
    {nullptr, &LauncherSettings::settingsIconCommandLine, u"GearIconCmd"},
    {&LauncherSettings::settingsIconShown, nullptr, u"geariconenable"},
    {&LauncherSettings::arrowIconsShown, nullptr, u"arrowiconenable"},
    {&LauncherSettings::menuBarMargin, nullptr, nullptr, 1202},
    {&LauncherSettings::tabLineWrapAround, nullptr, nullptr, 1203},
    {&LauncherSettings::tapOnEmptySelectsNext, nullptr, nullptr, 1204},
}};

/// The 19 settings of a group; the import folder follows them in the data file only.
inline constexpr std::array<GroupField, 19> kGroupFields{{
    {nullptr, &LauncherGroup::name, u"groupname"},
    {&LauncherGroup::shown, nullptr, u"groupcheck"},
    {&LauncherGroup::horizontalIconMargin, nullptr, u"HMargin"},
    {&LauncherGroup::verticalIconMargin, nullptr, u"VMargin"},
    {&LauncherGroup::leftWindowMargin, nullptr, u"WinLeftMargin"},
    {&LauncherGroup::topWindowMargin, nullptr, u"WinTopMargin"},
    {&LauncherGroup::rightWindowMargin, nullptr, u"WinRightMargin"},
    {&LauncherGroup::bottomWindowMargin, nullptr, u"WinBottomMargin"},
    {&LauncherGroup::iconSize, nullptr, u"IconSize"},
    {&LauncherGroup::iconNamesShown, nullptr, u"IconNameEnable"},
    {&LauncherGroup::iconNameWidth, nullptr, u"IconNameWidth"},
    {&LauncherGroup::iconNameAtBottom, nullptr, u"IconNameBottom"},
    {&LauncherGroup::iconNameHeight, nullptr, u"IconNameHeight"},
    {nullptr, &LauncherGroup::backgroundBitmapFile, u"backbmpfile"},
    {&LauncherGroup::stretchBackground, nullptr, u"stretch_backbmp"},
    {nullptr, &LauncherGroup::settingsIconBitmapFile, u"settingbmpfile"},
    {nullptr, &LauncherGroup::arrowBitmapFile, u"arrowbmpfile"},
    {nullptr, &LauncherGroup::arrowBitmapFile2, u"arrowbmpfile2"},
    {nullptr, &LauncherGroup::arrowBitmapFile3, u"arrowbmpfile3"},
}};
inline constexpr int kImportFolderVersion = 1201;

}  // namespace zentrix::today
