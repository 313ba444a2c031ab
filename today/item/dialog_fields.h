// What the launcher's item and settings dialogs share: fields that hold only what the data file
// can carry, values from the data file that are kept as they were unless the user changes them,
// and choosing files on the handheld or on this machine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "framework/dialog.h"
#include "today/launcher_settings.h"

namespace zentrix::today {

/// The data file holds one value a line.
inline constexpr char16_t kLineBreaks[] = u"\r\n";

/// Limits edit `id` of `dialog` to a text field's length and refuses line breaks and `extra`.
void limitTextField(framework::CWnd& dialog, unsigned id, WideStringView extra = {});

/// Exchanges a number of the record. The control shows the value as it is, even out of range;
/// only a text the user changed is checked against `minimum`..`maximum` and stored, so that an
/// odd value read from the data file survives a visit of its page.
void exchangeNumber(framework::CDataExchange* dx, unsigned id, int32_t& value, int minimum,
                    int maximum);
/// A flag: checked for any value but 0; stored only when the user changed the check.
void exchangeFlag(framework::CDataExchange* dx, unsigned id, int32_t& value);
/// A text field, cut to its length; stored only when the user changed it.
void exchangeText(framework::CDataExchange* dx, unsigned id, WideString& value);

/// Where a path of an item lies on this machine: an absolute path of this machine ("/usr/bin/x")
/// stands for itself, anything else is a handheld path below the device root.
std::string localPathOf(WideStringView path);

/// Asks for a file to open with the string-table filter `filterId`, starting in the folder of
/// `current` when that is a handheld path; the chosen handheld path, or nothing on Cancel.
std::optional<WideString> browseForFile(framework::CWnd* parent, WideStringView current,
                                        unsigned filterId);

}  // namespace zentrix::today
