#include "today/item/dialog_fields.h"

#include <string>

#include "framework/controls.h"
#include "framework/file_dialog.h"
#include "framework/resources.h"
#include "platform/device_root.h"

namespace zentrix::today {

using framework::CDataExchange;
using framework::CWnd;

namespace {

WideString numberText(int32_t value) {
    return platform::fromUtf8(std::to_string(value));
}

bool isHostPath(WideStringView path) {
    return !path.empty() && path.front() == u'/';
}

}  // namespace

void limitTextField(framework::CWnd& dialog, unsigned id, WideStringView extra) {
    auto* edit = dynamic_cast<framework::CEdit*>(dialog.GetDlgItem(id));
    if (edit == nullptr)
        return;
    edit->LimitText(static_cast<int>(kMaxTextLength));
    WideString refused(kLineBreaks);
    refused.append(extra);
    edit->RefuseCharacters(refused);
}

void exchangeNumber(CDataExchange* dx, unsigned id, int32_t& value, int minimum, int maximum) {
    if (dx->failed)
        return;
    CWnd* control = dx->PrepareCtrl(id);
    if (control == nullptr)
        return;
    if (!dx->m_bSaveAndValidate) {
        control->SetWindowText(numberText(value));
        return;
    }
    if (control->GetWindowText() == numberText(value))
        return;
    int typed = 0;
    framework::DDX_Text(dx, id, typed);
    framework::DDV_MinMaxInt(dx, typed, minimum, maximum);
    if (!dx->failed)
        value = typed;
}

void exchangeFlag(CDataExchange* dx, unsigned id, int32_t& value) {
    if (dx->failed)
        return;
    auto* button = dynamic_cast<framework::CButton*>(dx->PrepareCtrl(id));
    if (button == nullptr)
        return;
    const bool set = value != 0;
    if (!dx->m_bSaveAndValidate) {
        button->SetCheck(set ? framework::BST_CHECKED : framework::BST_UNCHECKED);
        return;
    }
    const bool checked = button->GetCheck() == framework::BST_CHECKED;
    if (checked != set)
        value = checked ? 1 : 0;
}

void exchangeText(CDataExchange* dx, unsigned id, WideString& value) {
    if (dx->failed)
        return;
    CWnd* control = dx->PrepareCtrl(id);
    if (control == nullptr)
        return;
    if (!dx->m_bSaveAndValidate) {
        control->SetWindowText(value);
        return;
    }
    const WideString shown = control->GetWindowText();
    if (shown != fieldText(value))
        value = fieldText(shown);
}

std::string localPathOf(WideStringView path) {
    if (isHostPath(path))
        return platform::toUtf8(path);
    return platform::devicePath(path).string();
}

std::optional<WideString> browseForFile(framework::CWnd* parent, WideStringView current,
                                        unsigned filterId) {
    const WideString start = isHostPath(current) ? WideString() : WideString(current);
    framework::CFileDialog dialog(true, {}, start,
                                  framework::OFN_HIDEREADONLY | framework::OFN_FILEMUSTEXIST,
                                  framework::loadString(filterId), parent);
    if (dialog.DoModal() != framework::IDOK)
        return std::nullopt;
    return fieldText(dialog.GetPathName());
}

}  // namespace zentrix::today
