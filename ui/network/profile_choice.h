// How the pages offer stored profiles in a drop-down list. Every entry stands for one profile and
// is matched by its whole text (ignoring case, as the list compares), never by a prefix: "Home"
// is not "Home office", and a stored key that begins another is still listed.
#pragma once

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "framework/controls.h"
#include "ui/diff/profiles/profile_field_store.h"
#include "ui/diff/profiles/profile_list.h"
#include "ui/network/network_settings.h"

namespace zentrix::ui {

/// Adds every stored non-empty key (number, access point) to `list`, each once.
template <class Record>
void listStoredKeys(const diff::ProfileFieldStore<Record>& store, framework::CComboBox& list) {
    std::array<Record, diff::ProfileFieldStore<Record>::kSlots> records;
    const size_t count = store.copyOut(records);
    for (size_t i = 0; i < count; ++i) {
        const std::string_view key = records[i].field(Record::kKeyField);
        if (key.empty())
            continue;
        const WideString shown = shownText(key);
        if (list.FindStringExact(-1, shown) == framework::CB_ERR)
            list.AddString(shown);
    }
}

/// The first stored record whose key is `key` exactly; none when no record has it.
template <class Record>
std::optional<Record> storedRecordWithKey(const diff::ProfileFieldStore<Record>& store,
                                          WideStringView key) {
    std::array<Record, diff::ProfileFieldStore<Record>::kSlots> records;
    const size_t count = store.copyOut(records);
    for (size_t i = 0; i < count; ++i) {
        if (shownText(records[i].field(Record::kKeyField)) == key)
            return records[i];
    }
    return std::nullopt;
}

/// The profile behind the name list's selection; -1 when nothing is selected or the entry has no
/// profile behind it.
template <class Record>
int chosenProfile(const framework::CComboBox& names, const diff::ProfileList<Record>& profiles) {
    const int index = names.GetCurSel();
    return index >= 0 && static_cast<size_t>(index) < profiles.count() ? index : -1;
}

/// "Del": removes the chosen profile and its entry, but only when the entry's text is the name
/// shown (a name typed over it is a new profile in the making). Answers the entry chosen next
/// (the same place, or the new last one), -1 when the list is now empty, none when nothing was
/// deleted. The file is written at OK, not here.
template <class Record>
std::optional<int> deleteChosenProfile(framework::CComboBox& names,
                                       diff::ProfileList<Record>& profiles) {
    const int index = chosenProfile(names, profiles);
    if (index < 0 || names.GetLBText(index) != names.GetWindowText())
        return std::nullopt;
    names.DeleteString(static_cast<framework::UINT>(index));
    profiles.remove(static_cast<size_t>(index));
    const int left = static_cast<int>(profiles.count());
    if (left == 0) {
        names.SetCurSel(-1);
        names.SetWindowText(WideString());
        return -1;
    }
    const int next = std::min(index, left - 1);
    names.SetCurSel(next);
    return next;
}

/// Keeps `record` under `name`: in place of the profile of that whole name, else as a new first
/// profile, which the list then shows first too, so that a second OK (Apply, then OK) finds it.
template <class Record>
void keepProfileByName(framework::CComboBox& names, diff::ProfileList<Record>& profiles,
                       WideStringView name, const Record& record) {
    const int same = names.FindStringExact(-1, name);
    if (same >= 0 && static_cast<size_t>(same) < profiles.count()) {
        profiles.replace(static_cast<size_t>(same), record);
        return;
    }
    profiles.insert(true, record);
    names.InsertString(0, shownText(record.name.view()));
    while (names.GetCount() > static_cast<int>(profiles.count()))
        names.DeleteString(static_cast<framework::UINT>(names.GetCount() - 1));
}

}  // namespace zentrix::ui
