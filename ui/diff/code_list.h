// Drop-down lists whose entries each carry a code (a radio type, protocol or air speed) as their
// item data: the code, not the entry's place, is what the pages read and select by.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/controls.h"

namespace zentrix::ui {

/// The entry that carries `code`; -1 when none does.
inline int entryWithCode(const framework::CComboBox& list, int32_t code) {
    for (int i = 0; i < list.GetCount(); ++i) {
        if (static_cast<int32_t>(list.GetItemData(i)) == code)
            return i;
    }
    return -1;
}

/// Fills `list` with `codes` in order, each entry carrying its code, and selects the first entry
/// that carries `selected` (none when none does).
template <class TextOf>
void fillCodes(framework::CComboBox* list, const std::vector<int32_t>& codes, int32_t selected,
               TextOf&& textOf) {
    if (list == nullptr)
        return;
    list->ResetContent();
    for (int32_t code : codes) {
        const int index = list->AddString(textOf(code));
        list->SetItemData(index, static_cast<framework::DWORD_PTR>(code));
    }
    list->SetCurSel(entryWithCode(*list, selected));
}

/// The code of the selected entry, -1 without a selection.
inline int32_t selectedCode(const framework::CComboBox* list) {
    const int index = list != nullptr ? list->GetCurSel() : -1;
    return index >= 0 ? static_cast<int32_t>(list->GetItemData(index)) : -1;
}

}  // namespace zentrix::ui
