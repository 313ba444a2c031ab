// A dialog template as the resource data describes it: the dialog's size in dialog units, its
// caption and font, and its controls with ids, classes, styles and dialog-unit rectangles. The
// dialog layer turns it into widgets (dialog.cpp); the parser is resource_format.h.
#pragma once

#include <string>
#include <vector>

#include "framework/types.h"
#include "framework/wnd_styles.h"

namespace zentrix::framework {

/// Control classes a template can hold; the style bits say which kind of button, static ...
enum class ControlClass { Static, Button, Edit, ComboBox, ListView, TabControl, Slider };

/// The id templates give labels and frames that no code looks up.
constexpr UINT IDC_STATIC = 0xFFFF;

struct ControlTemplate {
    ControlClass controlClass = ControlClass::Static;
    std::string name;  ///< id name, "IDC_..." ("IDC_STATIC" for unnamed labels)
    UINT id = IDC_STATIC;
    CRect rect;  ///< in dialog units
    DWORD style = 0;
    WideString text;  ///< caption; for a bitmap or icon static the image's id name or number
    std::vector<WideString> items;  ///< combo box entries, tab names, list rows
};

struct DialogTemplate {
    std::string name;  ///< "IDD_..."
    UINT id = 0;
    CSize size;  ///< client area in dialog units
    DWORD style = 0;
    WideString caption;
    int fontPoints = 8;
    WideString fontFace = u"Tahoma";
    std::vector<ControlTemplate> controls;

    const ControlTemplate* control(UINT controlId) const {
        for (const auto& c : controls) {
            if (c.id == controlId)
                return &c;
        }
        return nullptr;
    }
};

}  // namespace zentrix::framework
