#include "ui/diff/port_settings_sheet.h"

#include "framework/controls.h"
#include "resources/resource_ids.h"

namespace zentrix::ui {

using framework::CComboBox;

namespace {

char16_t foldAscii(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool sameIgnoringCase(WideStringView a, WideStringView b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (foldAscii(a[i]) != foldAscii(b[i]))
            return false;
    }
    return true;
}

}  // namespace

CPortSettingsPage::CPortSettingsPage(PortSettings& settings)
    : CPropertyPage(IDD_PORT_SETTINGS), settings_(settings) {}

WideString CPortSettingsPage::portOfEntry(WideStringView entry) {
    const size_t blank = entry.find(u' ');
    if (blank == WideStringView::npos || blank == 0)
        return WideString(entry);
    return WideString(entry.substr(0, blank));
}

bool CPortSettingsPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    if (auto* port = dynamic_cast<CComboBox*>(GetDlgItem(IDC_OTHER_PORT))) {
        port->SetCurSel(0);
        if (!settings_.portName.empty()) {
            // The whole name: "COM1" must not pick a "COM10" entry, and a port the list does
            // not have leaves nothing chosen rather than another port.
            int found = framework::CB_ERR;
            for (int i = 0; i < port->GetCount(); ++i) {
                if (sameIgnoringCase(portOfEntry(port->GetLBText(i)), settings_.portName)) {
                    found = i;
                    break;
                }
            }
            port->SetCurSel(found);
        }
    }
    if (auto* baud = dynamic_cast<CComboBox*>(GetDlgItem(IDC_OTHER_BAUD)))
        baud->SetCurSel(settings_.baudIndex);
    return true;
}

void CPortSettingsPage::OnOK() {
    auto* port = dynamic_cast<CComboBox*>(GetDlgItem(IDC_OTHER_PORT));
    const int portIndex = port != nullptr ? port->GetCurSel() : framework::CB_ERR;
    settings_.portName = portIndex >= 0 ? portOfEntry(port->GetLBText(portIndex)) : WideString();
    auto* baud = dynamic_cast<CComboBox*>(GetDlgItem(IDC_OTHER_BAUD));
    const int baudIndex = baud != nullptr ? baud->GetCurSel() : framework::CB_ERR;
    settings_.baudIndex = baudIndex >= 0 ? baudIndex : -1;
    CPropertyPage::OnOK();
}

COtherConfigSheet::COtherConfigSheet(receiver::ReceiverInterface* receiver,
                                     framework::UINT captionId, int flag, framework::CWnd* parent)
    : CPropertySheet(captionId, parent), receiver_(receiver), flag_(flag), page_(settings_) {
    AddPage(&page_);
}

}  // namespace zentrix::ui
