// The launcher's settings record: general settings, and 8 groups of program items.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/text.h"

namespace zentrix::today {

using platform::WideString;
using platform::WideStringView;

/// Text fields were arrays of 256 wide characters with their terminating zero.
inline constexpr size_t kMaxTextLength = 255;
inline constexpr size_t kGroupCount = 8;

/// `text` as a text field holds it: up to its first zero, at most kMaxTextLength characters.
WideString fieldText(WideStringView text);

/// One program entry of a group.
struct LauncherItem {
    WideString name{};         // the label shown; also the item's registry subkey name
    WideString fileName{};     // program, document or folder to open, or a pseudo-command
    WideString commandLine{};  // arguments
    WideString iconPath{};     // file to take the icon from; empty: fileName
    int32_t iconResource = 0;
    int32_t index = 0;  // sort position when read from the registry; not in the data file

    friend bool operator==(const LauncherItem&, const LauncherItem&) = default;
};

struct LauncherGroup {
    WideString name;
    int32_t shown = 1;
    int32_t horizontalIconMargin = 1;
    int32_t verticalIconMargin = 1;
    int32_t leftWindowMargin = 1;
    int32_t topWindowMargin = 1;
    int32_t rightWindowMargin = 1;
    int32_t bottomWindowMargin = 1;
    int32_t iconSize = 16;
    int32_t iconNamesShown = 0;
    int32_t iconNameWidth = 70;
    int32_t iconNameAtBottom = 0;
    int32_t iconNameHeight = 14;
    WideString backgroundBitmapFile;
    int32_t stretchBackground = 0;
    WideString settingsIconBitmapFile;
    WideString arrowBitmapFile;  // the three arrow bitmaps (18x18)
    WideString arrowBitmapFile2;
    WideString arrowBitmapFile3;
    WideString importFolder = u"\\Windows\\Start Menu";
    std::vector<LauncherItem> items;

    friend bool operator==(const LauncherGroup&, const LauncherGroup&) = default;
};

struct LauncherSettings {
    int32_t launcherHeight = 100;
    int32_t iconLoadDelay = 2;  // in units of 500 ms
    int32_t reverseArrows = 0;
    int32_t language = 0;
    int32_t groupTabsShown = 1;
    int32_t fixedTabWidth = 1;
    int32_t tabWidth = 35;
    int32_t tabBorder = 1;
    int32_t tabBorder3d = 0;
    int32_t tabLineExtend = 1;
    int32_t menuBarAtBottom = 0;
    WideString settingsIconProgram;
    WideString settingsIconCommandLine;
    int32_t settingsIconShown = 1;
    int32_t arrowIconsShown = 1;
    int32_t menuBarMargin = 0;
    int32_t tabLineWrapAround = 1;
    int32_t tapOnEmptySelectsNext = 1;
    std::array<LauncherGroup, kGroupCount> groups = defaultGroups();

    static std::array<LauncherGroup, kGroupCount> defaultGroups();

    friend bool operator==(const LauncherSettings&, const LauncherSettings&) = default;
};

}  // namespace zentrix::today
