#include "today/item/icon_chooser.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

#include "framework/controls.h"
#include "framework/file_icon.h"
#include "resources/resource_ids.h"
#include "today/item/dialog_fields.h"

namespace zentrix::today {

namespace {

constexpr int kPreviewSize = 32;
constexpr int kNumberDigits = 10;

}  // namespace

CIconChooserDialog::CIconChooserDialog(WideStringView iconPath, int32_t iconResource,
                                       WideStringView fileName, framework::CWnd* parent)
    : CDialog(IDD_TODAY_ICON_CHOOSER, parent),
      iconPath_(fieldText(iconPath)),
      iconResource_(iconResource),
      fileName_(fileName) {
    MapNotification(framework::BN_CLICKED, IDC_TODAY_ICON_BROWSE, &CIconChooserDialog::OnBrowse);
    MapNotification(framework::BN_CLICKED, IDC_TODAY_ICON_NEXT, &CIconChooserDialog::OnNext);
    MapNotification(framework::BN_CLICKED, IDC_TODAY_ICON_PREVIOUS,
                    &CIconChooserDialog::OnPrevious);
    MapNotification(framework::BN_CLICKED, IDC_TODAY_ICON_ZERO, &CIconChooserDialog::OnZero);
    MapNotification(framework::BN_CLICKED, IDC_TODAY_ICON_CHECK,
                    &CIconChooserDialog::OnCheckClicked);
}

bool CIconChooserDialog::OnInitDialog() {
    limitTextField(*this, IDC_TODAY_ICON_PATH);
    if (auto* number = dynamic_cast<framework::CEdit*>(GetDlgItem(IDC_TODAY_ICON_NUMBER)))
        number->LimitText(kNumberDigits);
    return CDialog::OnInitDialog();
}

void CIconChooserDialog::DoDataExchange(framework::CDataExchange* dx) {
    exchangeText(dx, IDC_TODAY_ICON_PATH, iconPath_);
    exchangeNumber(dx, IDC_TODAY_ICON_NUMBER, iconResource_, 0,
                   std::numeric_limits<int32_t>::max());
}

void CIconChooserDialog::OnBrowse() {
    if (auto chosen =
            browseForFile(this, GetDlgItemText(IDC_TODAY_ICON_PATH), IDS_TODAY_ICON_FILTER))
        SetDlgItemText(IDC_TODAY_ICON_PATH, *chosen);
}

void CIconChooserDialog::stepNumber(int delta) {
    const std::string text = platform::toUtf8(GetDlgItemText(IDC_TODAY_ICON_NUMBER));
    long long typed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), typed);
    const bool valid = error == std::errc() && end == text.data() + text.size() && !text.empty();
    if (!valid)
        typed = 0;
    const long long next =
        std::clamp<long long>(typed + delta, 0, std::numeric_limits<int32_t>::max());
    SetDlgItemText(IDC_TODAY_ICON_NUMBER, platform::fromUtf8(std::to_string(next)));
}

void CIconChooserDialog::OnNext() {
    stepNumber(1);
}

void CIconChooserDialog::OnPrevious() {
    stepNumber(-1);
}

void CIconChooserDialog::OnZero() {
    SetDlgItemText(IDC_TODAY_ICON_NUMBER, u"0");
}

void CIconChooserDialog::OnCheckClicked() {
    OnCheck();
}

bool CIconChooserDialog::OnCheck() {
    WideString path = GetDlgItemText(IDC_TODAY_ICON_PATH);
    if (path.empty())
        path = fileName_;
    preview_.DeleteObject();
    const bool found =
        !path.empty() &&
        framework::LoadFileIcon(localPathOf(path), framework::ScaleX(kPreviewSize), &preview_);
    auto* preview = dynamic_cast<framework::CStatic*>(GetDlgItem(IDC_TODAY_ICON_PREVIEW));
    if (preview != nullptr && found)
        preview->SetBitmap(&preview_);
    ShowDlgItems({IDC_TODAY_ICON_PREVIEW}, found);
    ShowDlgItems({IDC_TODAY_ICON_NONE}, !found);
    return found;
}

}  // namespace zentrix::today
