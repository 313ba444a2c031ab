#include "today/item/item_dialog.h"

#include "framework/controls.h"
#include "framework/message_box.h"
#include "framework/resources.h"
#include "resources/resource_ids.h"
#include "today/item/dialog_fields.h"
#include "today/item/icon_chooser.h"
#include "today/item/item_dialog_window.h"

namespace zentrix::today {

CItemDialog::CItemDialog(const LauncherItem& item, framework::CWnd* parent)
    : CDialog(IDD_TODAY_ITEM, parent), item_(item) {
    MapNotification(framework::BN_CLICKED, IDC_TODAY_ITEM_FILE_BROWSE, &CItemDialog::OnBrowseFile);
    MapNotification(framework::BN_CLICKED, IDC_TODAY_ITEM_COMMAND_BROWSE,
                    &CItemDialog::OnBrowseCommand);
    MapNotification(framework::BN_CLICKED, IDC_TODAY_ITEM_CHANGE_ICON, &CItemDialog::OnChangeIcon);
}

bool CItemDialog::OnInitDialog() {
    // The name is also the item's key in the registry copy, where "\" would nest keys.
    limitTextField(*this, IDC_TODAY_ITEM_NAME, u"\\");
    limitTextField(*this, IDC_TODAY_ITEM_FILE);
    limitTextField(*this, IDC_TODAY_ITEM_COMMAND);
    return CDialog::OnInitDialog();
}

void CItemDialog::DoDataExchange(framework::CDataExchange* dx) {
    exchangeText(dx, IDC_TODAY_ITEM_NAME, item_.name);
    exchangeText(dx, IDC_TODAY_ITEM_FILE, item_.fileName);
    exchangeText(dx, IDC_TODAY_ITEM_COMMAND, item_.commandLine);
    if (!dx->m_bSaveAndValidate)
        showIcon();
}

void CItemDialog::showIcon() {
    SetDlgItemText(IDC_TODAY_ITEM_ICON_PATH, item_.iconPath);
    SetDlgItemInt(IDC_TODAY_ITEM_ICON_NUMBER, item_.iconResource);
}

void CItemDialog::OnOK() {
    if (GetDlgItemText(IDC_TODAY_ITEM_NAME).empty()) {
        MessageBox(framework::loadString(IDS_TODAY_NAME_REQUIRED), {},
                   framework::MB_OK | framework::MB_ICONEXCLAMATION);
        if (CWnd* name = GetDlgItem(IDC_TODAY_ITEM_NAME))
            name->SetFocus();
        return;
    }
    CDialog::OnOK();
}

void CItemDialog::OnBrowseFile() {
    if (auto chosen =
            browseForFile(this, GetDlgItemText(IDC_TODAY_ITEM_FILE), IDS_TODAY_PROGRAM_FILTER))
        SetDlgItemText(IDC_TODAY_ITEM_FILE, *chosen);
}

void CItemDialog::OnBrowseCommand() {
    auto chosen = browseForFile(this, {}, IDS_TODAY_PROGRAM_FILTER);
    if (!chosen)
        return;
    if (chosen->find(u' ') != WideString::npos && chosen->size() + 2 <= kMaxTextLength)
        *chosen = u"\"" + *chosen + u"\"";
    SetDlgItemText(IDC_TODAY_ITEM_COMMAND, *chosen);
}

void CItemDialog::OnChangeIcon() {
    CIconChooserDialog chooser(item_.iconPath, item_.iconResource,
                               GetDlgItemText(IDC_TODAY_ITEM_FILE), this);
    if (chooser.DoModal() != framework::IDOK)
        return;
    item_.iconPath = chooser.iconPath();
    item_.iconResource = chooser.iconResource();
    showIcon();
}

bool runItemDialog(framework::HWND owner, LauncherItem& item) {
    CItemDialog dialog(item, owner != nullptr ? framework::CWnd::FromHandle(owner) : nullptr);
    if (dialog.DoModal() != framework::IDOK)
        return false;
    item = dialog.item();
    return true;
}

}  // namespace zentrix::today
