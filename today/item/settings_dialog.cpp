#include "today/item/settings_dialog.h"

#include <algorithm>

#include "framework/controls.h"
#include "framework/resources.h"
#include "resources/resource_ids.h"
#include "today/item/dialog_fields.h"
#include "today/item/item_dialog.h"
#include "today/item/plugin_data.h"
#include "today/item/uninstall_page.h"

namespace zentrix::today {

using framework::CDataExchange;

namespace {

// What the launcher can still lay out sensibly; values outside them are clamped where they are
// drawn, so a value read from the data file is shown and kept as it is.
constexpr int kMaxMargin = 100;
constexpr int kMinIconSize = 8;
constexpr int kMaxIconSize = 128;
constexpr int kMaxLength = 1000;  // pixel lengths: launcher height, tab and name widths
constexpr int kMaxNameHeight = 100;
constexpr int kMaxIconDelay = 120;  // half seconds

}  // namespace

CSettingsPage::CSettingsPage(unsigned templateId, SettingsWork& work)
    : CPropertyPage(templateId), work_(work) {}

void CSettingsPage::mapBrowse(unsigned buttonId, unsigned editId, unsigned filterId) {
    browses_.push_back({buttonId, editId, filterId});
    MapNotification(framework::BN_CLICKED, buttonId, &CSettingsPage::OnBrowse);
}

void CSettingsPage::OnBrowse(const framework::NotifyInfo& info) {
    const auto browse = std::find_if(browses_.begin(), browses_.end(),
                                     [&](const Browse& b) { return b.button == info.idFrom; });
    if (browse == browses_.end())
        return;
    if (auto chosen = browseForFile(this, GetDlgItemText(browse->edit), browse->filter))
        SetDlgItemText(browse->edit, *chosen);
}

CGroupSettingsPage::CGroupSettingsPage(unsigned templateId, SettingsWork& work)
    : CSettingsPage(templateId, work) {
    MapNotification(framework::CBN_SELCHANGE, IDC_TODAY_GROUP_CHOICE,
                    &CGroupSettingsPage::OnGroupChosen);
}

void CGroupSettingsPage::fillGroupChoice() {
    auto* choice = dynamic_cast<framework::CComboBox*>(GetDlgItem(IDC_TODAY_GROUP_CHOICE));
    if (choice == nullptr)
        return;
    choice->ResetContent();
    for (const LauncherGroup& group : work_.settings.groups) choice->AddString(group.name);
    choice->SetCurSel(static_cast<int>(work_.group));
}

bool CGroupSettingsPage::OnInitDialog() {
    work_.group = std::min(work_.group, kGroupCount - 1);
    fillGroupChoice();
    return CSettingsPage::OnInitDialog();
}

bool CGroupSettingsPage::OnSetActive() {
    // Another page may have chosen another group or renamed one.
    fillGroupChoice();
    return CSettingsPage::OnSetActive();
}

void CGroupSettingsPage::DoDataExchange(CDataExchange* dx) {
    exchangeGroup(dx, work_.settings.groups[std::min(work_.group, kGroupCount - 1)]);
}

void CGroupSettingsPage::OnGroupChosen() {
    auto* choice = dynamic_cast<framework::CComboBox*>(GetDlgItem(IDC_TODAY_GROUP_CHOICE));
    const int chosen = choice != nullptr ? choice->GetCurSel() : -1;
    if (chosen < 0 || chosen >= static_cast<int>(kGroupCount))
        return;
    if (!UpdateData(true)) {
        choice->SetCurSel(static_cast<int>(work_.group));
        return;
    }
    work_.group = static_cast<size_t>(chosen);
    fillGroupChoice();
    UpdateData(false);
}

CMarginsPage::CMarginsPage(SettingsWork& work) : CGroupSettingsPage(IDD_TODAY_MARGINS_PAGE, work) {}

bool CMarginsPage::OnInitDialog() {
    limitTextField(*this, IDC_TODAY_GROUP_NAME);
    return CGroupSettingsPage::OnInitDialog();
}

void CMarginsPage::exchangeGroup(CDataExchange* dx, LauncherGroup& group) {
    exchangeText(dx, IDC_TODAY_GROUP_NAME, group.name);
    exchangeFlag(dx, IDC_TODAY_GROUP_SHOWN, group.shown);
    exchangeNumber(dx, IDC_TODAY_ICON_H_MARGIN, group.horizontalIconMargin, 0, kMaxMargin);
    exchangeNumber(dx, IDC_TODAY_ICON_V_MARGIN, group.verticalIconMargin, 0, kMaxMargin);
    exchangeNumber(dx, IDC_TODAY_WINDOW_LEFT_MARGIN, group.leftWindowMargin, 0, kMaxMargin);
    exchangeNumber(dx, IDC_TODAY_WINDOW_TOP_MARGIN, group.topWindowMargin, 0, kMaxMargin);
    exchangeNumber(dx, IDC_TODAY_WINDOW_RIGHT_MARGIN, group.rightWindowMargin, 0, kMaxMargin);
    exchangeNumber(dx, IDC_TODAY_WINDOW_BOTTOM_MARGIN, group.bottomWindowMargin, 0, kMaxMargin);
}

CSkinPage::CSkinPage(SettingsWork& work) : CGroupSettingsPage(IDD_TODAY_SKIN_PAGE, work) {
    mapBrowse(IDC_TODAY_BACKGROUND_BROWSE, IDC_TODAY_BACKGROUND_FILE, IDS_TODAY_BITMAP_FILTER);
}

bool CSkinPage::OnInitDialog() {
    limitTextField(*this, IDC_TODAY_BACKGROUND_FILE);
    return CGroupSettingsPage::OnInitDialog();
}

void CSkinPage::exchangeGroup(CDataExchange* dx, LauncherGroup& group) {
    exchangeText(dx, IDC_TODAY_BACKGROUND_FILE, group.backgroundBitmapFile);
    exchangeFlag(dx, IDC_TODAY_BACKGROUND_STRETCH, group.stretchBackground);
}

CSkin2Page::CSkin2Page(SettingsWork& work) : CGroupSettingsPage(IDD_TODAY_SKIN2_PAGE, work) {
    mapBrowse(IDC_TODAY_SETTINGS_BITMAP_BROWSE, IDC_TODAY_SETTINGS_BITMAP, IDS_TODAY_BITMAP_FILTER);
    mapBrowse(IDC_TODAY_ARROW_BITMAP_BROWSE, IDC_TODAY_ARROW_BITMAP, IDS_TODAY_BITMAP_FILTER);
    mapBrowse(IDC_TODAY_ARROW_BITMAP2_BROWSE, IDC_TODAY_ARROW_BITMAP2, IDS_TODAY_BITMAP_FILTER);
    mapBrowse(IDC_TODAY_ARROW_BITMAP3_BROWSE, IDC_TODAY_ARROW_BITMAP3, IDS_TODAY_BITMAP_FILTER);
}

bool CSkin2Page::OnInitDialog() {
    for (unsigned id : {IDC_TODAY_SETTINGS_BITMAP, IDC_TODAY_ARROW_BITMAP, IDC_TODAY_ARROW_BITMAP2,
                        IDC_TODAY_ARROW_BITMAP3})
        limitTextField(*this, id);
    return CGroupSettingsPage::OnInitDialog();
}

void CSkin2Page::exchangeGroup(CDataExchange* dx, LauncherGroup& group) {
    exchangeText(dx, IDC_TODAY_SETTINGS_BITMAP, group.settingsIconBitmapFile);
    exchangeText(dx, IDC_TODAY_ARROW_BITMAP, group.arrowBitmapFile);
    exchangeText(dx, IDC_TODAY_ARROW_BITMAP2, group.arrowBitmapFile2);
    exchangeText(dx, IDC_TODAY_ARROW_BITMAP3, group.arrowBitmapFile3);
}

CIconsPage::CIconsPage(SettingsWork& work) : CGroupSettingsPage(IDD_TODAY_ICONS_PAGE, work) {}

void CIconsPage::exchangeGroup(CDataExchange* dx, LauncherGroup& group) {
    exchangeNumber(dx, IDC_TODAY_ICON_SIZE, group.iconSize, kMinIconSize, kMaxIconSize);
    exchangeFlag(dx, IDC_TODAY_ICON_NAMES_SHOWN, group.iconNamesShown);
    exchangeNumber(dx, IDC_TODAY_ICON_NAME_WIDTH, group.iconNameWidth, 0, kMaxLength);
    exchangeFlag(dx, IDC_TODAY_ICON_NAME_BOTTOM, group.iconNameAtBottom);
    exchangeNumber(dx, IDC_TODAY_ICON_NAME_HEIGHT, group.iconNameHeight, 0, kMaxNameHeight);
}

CTabsPage::CTabsPage(SettingsWork& work) : CSettingsPage(IDD_TODAY_TABS_PAGE, work) {}

void CTabsPage::DoDataExchange(CDataExchange* dx) {
    LauncherSettings& s = work_.settings;
    exchangeFlag(dx, IDC_TODAY_TABS_SHOWN, s.groupTabsShown);
    exchangeFlag(dx, IDC_TODAY_TAB_FIXED_WIDTH, s.fixedTabWidth);
    exchangeNumber(dx, IDC_TODAY_TAB_WIDTH, s.tabWidth, 0, kMaxLength);
    exchangeFlag(dx, IDC_TODAY_TAB_BORDER, s.tabBorder);
    exchangeFlag(dx, IDC_TODAY_TAB_BORDER_3D, s.tabBorder3d);
    exchangeFlag(dx, IDC_TODAY_TAB_LINE_EXTEND, s.tabLineExtend);
}

CSystemPage::CSystemPage(SettingsWork& work) : CSettingsPage(IDD_TODAY_SYSTEM_PAGE, work) {
    mapBrowse(IDC_TODAY_GEAR_BROWSE, IDC_TODAY_GEAR_PROGRAM, IDS_TODAY_PROGRAM_FILTER);
}

bool CSystemPage::OnInitDialog() {
    limitTextField(*this, IDC_TODAY_GEAR_PROGRAM);
    limitTextField(*this, IDC_TODAY_GEAR_COMMAND);
    return CSettingsPage::OnInitDialog();
}

void CSystemPage::DoDataExchange(CDataExchange* dx) {
    LauncherSettings& s = work_.settings;
    exchangeNumber(dx, IDC_TODAY_LAUNCHER_HEIGHT, s.launcherHeight, 0, kMaxLength);
    exchangeNumber(dx, IDC_TODAY_ICON_DELAY, s.iconLoadDelay, 0, kMaxIconDelay);
    exchangeFlag(dx, IDC_TODAY_REVERSE_ARROWS, s.reverseArrows);
    exchangeFlag(dx, IDC_TODAY_MENU_AT_BOTTOM, s.menuBarAtBottom);
    exchangeNumber(dx, IDC_TODAY_MENU_MARGIN, s.menuBarMargin, 0, kMaxMargin);
    exchangeText(dx, IDC_TODAY_GEAR_PROGRAM, s.settingsIconProgram);
    exchangeText(dx, IDC_TODAY_GEAR_COMMAND, s.settingsIconCommandLine);
    exchangeFlag(dx, IDC_TODAY_GEAR_SHOWN, s.settingsIconShown);
    exchangeFlag(dx, IDC_TODAY_ARROWS_SHOWN, s.arrowIconsShown);
    exchangeFlag(dx, IDC_TODAY_TAP_EMPTY_NEXT, s.tapOnEmptySelectsNext);
    exchangeFlag(dx, IDC_TODAY_TAB_WRAP_AROUND, s.tabLineWrapAround);
}

CSettingsSheet::CSettingsSheet(const LauncherSettings& settings, size_t group,
                               framework::CWnd* parent)
    : CPropertySheet(IDS_TODAY_SETTINGS_CAPTION, parent),
      work_{settings, std::min(group, kGroupCount - 1)} {
    pages_.push_back(std::make_unique<CMarginsPage>(work_));
    pages_.push_back(std::make_unique<CSkinPage>(work_));
    pages_.push_back(std::make_unique<CSkin2Page>(work_));
    pages_.push_back(std::make_unique<CIconsPage>(work_));
    pages_.push_back(std::make_unique<CTabsPage>(work_));
    pages_.push_back(std::make_unique<CSystemPage>(work_));
    pages_.push_back(std::make_unique<CUninstallPage>());
    for (auto& page : pages_) AddPage(page.get());
}

CSettingsSheet::~CSettingsSheet() {
    // The pages go before the sheet's own window would take their windows with it.
    DestroyWindow();
}

bool runSettingsDialog(framework::HWND owner, LauncherSettings& settings) {
    const int group = pluginData().currentGroup;
    CSettingsSheet sheet(settings, group >= 0 ? static_cast<size_t>(group) : 0,
                         owner != nullptr ? framework::CWnd::FromHandle(owner) : nullptr);
    if (sheet.DoModal() != framework::IDOK)
        return false;
    settings = sheet.work().settings;
    return true;
}

}  // namespace zentrix::today
