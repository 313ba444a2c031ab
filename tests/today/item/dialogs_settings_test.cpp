// The settings sheet: each page's fields reach their member of the settings record and nothing
// else changes, Cancel leaves the record as it was, odd values read from the data file survive
// the sheet, and the uninstall page deletes exactly what its answers allow.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "framework/controls.h"
#include "framework/test_kit.h"
#include "platform/device_root.h"
#include "platform/registry.h"
#include "resources/resource_ids.h"
#include "tests/support/test_support.h"
#include "today/item/item_dialog.h"
#include "today/item/settings_dialog.h"
#include "today/item/uninstall_page.h"
#include "today/launcher_config.h"
#include "today/launcher_data_file.h"

namespace zentrix::today {
namespace {

using framework::CWnd;
using framework::IDNO;
using framework::IDYES;
using framework::PSBTN_CANCEL;
using framework::PSBTN_OK;
using framework::ScopedTestKit;

enum Page { kMargins, kSkin, kSkin2, kIcons, kTabs, kSystem, kUninstall };

LauncherSettings sample() {
    LauncherSettings settings;
    settings.groups[2].name = u"Field";
    settings.groups[2].backgroundBitmapFile = u"\\My Documents\\sky.bmp";
    settings.groups[2].items = {{.name = u"Notes", .fileName = u"notes.exe"}};
    settings.settingsIconProgram = u"\\Windows\\ctlpnl.exe";
    return settings;
}

class SettingsDialogTest : public ::testing::Test {
  protected:
    /// Opens a sheet on `settings` showing group `group`, on page `page`.
    CSettingsSheet& open(const LauncherSettings& settings, size_t group, int page) {
        sheet_ = std::make_unique<CSettingsSheet>(settings, group, nullptr);
        EXPECT_TRUE(kit_.open(*sheet_));
        EXPECT_TRUE(kit_.switchPage(*sheet_, page));
        return *sheet_;
    }

    test::ScratchDeviceRoot root_;
    ScopedTestKit kit_;
    std::unique_ptr<CSettingsSheet> sheet_;
};

TEST_F(SettingsDialogTest, EachFieldReachesItsMemberAndNothingElse) {
    using Edit = std::function<void(LauncherSettings&)>;
    struct Row {
        int page;
        unsigned id;
        const char16_t* typed;  // null: a check box to click
        Edit expected;
    };
    auto group = [](auto member, auto value) {
        return Edit([=](LauncherSettings& s) { s.groups[2].*member = value; });
    };
    auto general = [](auto member, auto value) {
        return Edit([=](LauncherSettings& s) { s.*member = value; });
    };
    using G = LauncherGroup;
    using S = LauncherSettings;
    const Row rows[] = {
        {kMargins, IDC_TODAY_GROUP_NAME, u"Crew", group(&G::name, WideString(u"Crew"))},
        {kMargins, IDC_TODAY_GROUP_SHOWN, nullptr, group(&G::shown, 0)},
        {kMargins, IDC_TODAY_ICON_H_MARGIN, u"7", group(&G::horizontalIconMargin, 7)},
        {kMargins, IDC_TODAY_ICON_V_MARGIN, u"8", group(&G::verticalIconMargin, 8)},
        {kMargins, IDC_TODAY_WINDOW_LEFT_MARGIN, u"0", group(&G::leftWindowMargin, 0)},
        {kMargins, IDC_TODAY_WINDOW_TOP_MARGIN, u"100", group(&G::topWindowMargin, 100)},
        {kMargins, IDC_TODAY_WINDOW_RIGHT_MARGIN, u"3", group(&G::rightWindowMargin, 3)},
        {kMargins, IDC_TODAY_WINDOW_BOTTOM_MARGIN, u"4", group(&G::bottomWindowMargin, 4)},
        {kSkin, IDC_TODAY_BACKGROUND_FILE, u"/usr/share/backgrounds/a.png",
         group(&G::backgroundBitmapFile, WideString(u"/usr/share/backgrounds/a.png"))},
        {kSkin, IDC_TODAY_BACKGROUND_STRETCH, nullptr, group(&G::stretchBackground, 1)},
        {kSkin2, IDC_TODAY_SETTINGS_BITMAP, u"g.bmp",
         group(&G::settingsIconBitmapFile, WideString(u"g.bmp"))},
        {kSkin2, IDC_TODAY_ARROW_BITMAP, u"a1.bmp",
         group(&G::arrowBitmapFile, WideString(u"a1.bmp"))},
        {kSkin2, IDC_TODAY_ARROW_BITMAP2, u"a2.bmp",
         group(&G::arrowBitmapFile2, WideString(u"a2.bmp"))},
        {kSkin2, IDC_TODAY_ARROW_BITMAP3, u"a3.bmp",
         group(&G::arrowBitmapFile3, WideString(u"a3.bmp"))},
        {kIcons, IDC_TODAY_ICON_SIZE, u"32", group(&G::iconSize, 32)},
        {kIcons, IDC_TODAY_ICON_NAMES_SHOWN, nullptr, group(&G::iconNamesShown, 1)},
        {kIcons, IDC_TODAY_ICON_NAME_WIDTH, u"90", group(&G::iconNameWidth, 90)},
        {kIcons, IDC_TODAY_ICON_NAME_BOTTOM, nullptr, group(&G::iconNameAtBottom, 1)},
        {kIcons, IDC_TODAY_ICON_NAME_HEIGHT, u"20", group(&G::iconNameHeight, 20)},
        {kTabs, IDC_TODAY_TABS_SHOWN, nullptr, general(&S::groupTabsShown, 0)},
        {kTabs, IDC_TODAY_TAB_FIXED_WIDTH, nullptr, general(&S::fixedTabWidth, 0)},
        {kTabs, IDC_TODAY_TAB_WIDTH, u"60", general(&S::tabWidth, 60)},
        {kTabs, IDC_TODAY_TAB_BORDER, nullptr, general(&S::tabBorder, 0)},
        {kTabs, IDC_TODAY_TAB_BORDER_3D, nullptr, general(&S::tabBorder3d, 1)},
        {kTabs, IDC_TODAY_TAB_LINE_EXTEND, nullptr, general(&S::tabLineExtend, 0)},
        {kSystem, IDC_TODAY_LAUNCHER_HEIGHT, u"180", general(&S::launcherHeight, 180)},
        {kSystem, IDC_TODAY_ICON_DELAY, u"6", general(&S::iconLoadDelay, 6)},
        {kSystem, IDC_TODAY_REVERSE_ARROWS, nullptr, general(&S::reverseArrows, 1)},
        {kSystem, IDC_TODAY_MENU_AT_BOTTOM, nullptr, general(&S::menuBarAtBottom, 1)},
        {kSystem, IDC_TODAY_MENU_MARGIN, u"12", general(&S::menuBarMargin, 12)},
        {kSystem, IDC_TODAY_GEAR_PROGRAM, u"/usr/bin/gnome-control-center",
         general(&S::settingsIconProgram, WideString(u"/usr/bin/gnome-control-center"))},
        {kSystem, IDC_TODAY_GEAR_COMMAND, u"--x y",
         general(&S::settingsIconCommandLine, WideString(u"--x y"))},
        {kSystem, IDC_TODAY_GEAR_SHOWN, nullptr, general(&S::settingsIconShown, 0)},
        {kSystem, IDC_TODAY_ARROWS_SHOWN, nullptr, general(&S::arrowIconsShown, 0)},
        {kSystem, IDC_TODAY_TAP_EMPTY_NEXT, nullptr, general(&S::tapOnEmptySelectsNext, 0)},
        {kSystem, IDC_TODAY_TAB_WRAP_AROUND, nullptr, general(&S::tabLineWrapAround, 0)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        CSettingsSheet& sheet = open(sample(), 2, row.page);
        if (row.typed != nullptr) {
            ASSERT_TRUE(kit_.type(sheet, row.id, row.typed));
        } else {
            ASSERT_TRUE(kit_.click(sheet, row.id));
        }
        ASSERT_TRUE(sheet.PressButton(PSBTN_OK));
        LauncherSettings expected = sample();
        row.expected(expected);
        EXPECT_EQ(sheet.work().settings, expected);
    }
}

TEST_F(SettingsDialogTest, OkReturnsTheEditsAndCancelLeavesTheSettingsUntouched) {
    for (const int button : {PSBTN_OK, PSBTN_CANCEL}) {
        SCOPED_TRACE(button);
        LauncherSettings settings = sample();
        kit_.queueModalHandler([&](CWnd& window) {
            auto& sheet = dynamic_cast<framework::CPropertySheet&>(window);
            kit_.type(sheet, IDC_TODAY_ICON_H_MARGIN, u"9");
            kit_.switchPage(sheet, kSystem);
            kit_.type(sheet, IDC_TODAY_LAUNCHER_HEIGHT, u"222");
            sheet.PressButton(button);
        });
        EXPECT_EQ(runSettingsDialog(nullptr, settings), button == PSBTN_OK);
        LauncherSettings expected = sample();
        if (button == PSBTN_OK) {
            expected.groups[0].horizontalIconMargin = 9;
            expected.launcherHeight = 222;
        }
        EXPECT_EQ(settings, expected);
    }
}

TEST_F(SettingsDialogTest, OddValuesFromTheFileAreKeptUnlessChanged) {
    LauncherSettings odd = sample();
    odd.groups[2].iconSize = 500;
    odd.groups[2].leftWindowMargin = -3;
    odd.groups[2].iconNamesShown = 7;  // any value but 0 shows checked
    odd.launcherHeight = 5000;
    odd.iconLoadDelay = -1;
    odd.tabBorder = 2;

    CSettingsSheet& sheet = open(odd, 2, kMargins);
    EXPECT_EQ(sheet.GetActivePage()->GetDlgItemText(IDC_TODAY_WINDOW_LEFT_MARGIN), u"-3");
    for (int page = kSkin; page <= kSystem; ++page) ASSERT_TRUE(kit_.switchPage(sheet, page));
    EXPECT_EQ(sheet.GetActivePage()->GetDlgItemText(IDC_TODAY_LAUNCHER_HEIGHT), u"5000");
    ASSERT_TRUE(sheet.PressButton(PSBTN_OK));
    EXPECT_EQ(sheet.work().settings, odd);
    EXPECT_EQ(kit_.messageBoxes().size(), 0u);
}

TEST_F(SettingsDialogTest, AChangedValueOutOfRangeIsRefusedAndKeepsTheUserOnThePage) {
    struct Row {
        int page;
        unsigned id;
        const char16_t* typed;
    };
    const Row rows[] = {
        {kIcons, IDC_TODAY_ICON_SIZE, u"4"},         {kIcons, IDC_TODAY_ICON_SIZE, u"129"},
        {kMargins, IDC_TODAY_ICON_V_MARGIN, u"101"}, {kSystem, IDC_TODAY_LAUNCHER_HEIGHT, u"1001"},
        {kSystem, IDC_TODAY_ICON_DELAY, u""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(platform::toUtf8(row.typed));
        kit_.queueMessageBoxAnswers({framework::IDOK});
        CSettingsSheet& sheet = open(sample(), 2, row.page);
        ASSERT_TRUE(kit_.type(sheet, row.id, row.typed));
        EXPECT_FALSE(sheet.PressButton(PSBTN_OK));
        EXPECT_FALSE(kit_.switchPage(sheet, kTabs));
        EXPECT_EQ(sheet.GetActiveIndex(), row.page);
        EXPECT_EQ(sheet.work().settings, sample());
        EXPECT_TRUE(sheet.PressButton(PSBTN_CANCEL));
    }
}

TEST_F(SettingsDialogTest, TheGroupChoiceStoresTheGroupLeftAndIsSharedByTheGroupPages) {
    CSettingsSheet& sheet = open(sample(), 0, kMargins);
    ASSERT_TRUE(kit_.type(sheet, IDC_TODAY_GROUP_NAME, u"Crew"));
    ASSERT_TRUE(kit_.selectComboItem(sheet, IDC_TODAY_GROUP_CHOICE, 2));
    auto* page = sheet.GetActivePage();
    EXPECT_EQ(page->GetDlgItemText(IDC_TODAY_GROUP_NAME), u"Field");
    auto* choice = dynamic_cast<framework::CComboBox*>(page->GetDlgItem(IDC_TODAY_GROUP_CHOICE));
    ASSERT_NE(choice, nullptr);
    EXPECT_EQ(choice->GetLBText(0), u"Crew");

    // A bad value in the group shown keeps the choice where it was.
    kit_.queueMessageBoxAnswers({framework::IDOK});
    ASSERT_TRUE(kit_.type(sheet, IDC_TODAY_ICON_H_MARGIN, u"555"));
    ASSERT_TRUE(kit_.selectComboItem(sheet, IDC_TODAY_GROUP_CHOICE, 5));
    EXPECT_EQ(choice->GetCurSel(), 2);
    ASSERT_TRUE(kit_.type(sheet, IDC_TODAY_ICON_H_MARGIN, u"5"));

    // The skin page shows the same group.
    ASSERT_TRUE(kit_.switchPage(sheet, kSkin));
    EXPECT_EQ(sheet.GetActivePage()->GetDlgItemText(IDC_TODAY_BACKGROUND_FILE),
              u"\\My Documents\\sky.bmp");
    ASSERT_TRUE(kit_.type(sheet, IDC_TODAY_BACKGROUND_FILE, u"b.bmp"));
    ASSERT_TRUE(sheet.PressButton(PSBTN_OK));

    LauncherSettings expected = sample();
    expected.groups[0].name = u"Crew";
    expected.groups[2].horizontalIconMargin = 5;
    expected.groups[2].backgroundBitmapFile = u"b.bmp";
    EXPECT_EQ(sheet.work().settings, expected);
}

TEST_F(SettingsDialogTest, TextFieldsRefuseLineBreaksAndAreCut) {
    CSettingsSheet& sheet = open(sample(), 2, kSystem);
    ASSERT_TRUE(kit_.type(sheet, IDC_TODAY_GEAR_COMMAND, u"-a\r-b"));
    ASSERT_TRUE(kit_.switchPage(sheet, kMargins));
    ASSERT_TRUE(kit_.type(sheet, IDC_TODAY_GROUP_NAME, WideString(300, u'n')));
    ASSERT_TRUE(sheet.PressButton(PSBTN_OK));
    EXPECT_EQ(sheet.work().settings.settingsIconCommandLine, u"-a-b");
    EXPECT_EQ(sheet.work().settings.groups[2].name, WideString(kMaxTextLength, u'n'));
}

class UninstallPageTest : public SettingsDialogTest {
  protected:
    void SetUp() override {
        LauncherSettings settings = sample();
        ASSERT_FALSE(saveSettings(settings, *registry_).dataFileError);
        ASSERT_TRUE(saveRegistryGeneral(settings, *registry_).ok());
        ASSERT_TRUE(saveRegistryGroups(settings, *registry_).ok());
        ASSERT_TRUE(key(u"Software\\Zentrix\\Today\\Launcher").create());
        ASSERT_TRUE(key(u"Software\\Other").create());
        ASSERT_TRUE(key(u"Software\\Zentrix\\Today\\Launcher").setString(u"DLL", u"x.so"));
        ASSERT_TRUE(key(u"Software\\Other").setDword(u"kept", 1));
    }

    platform::RegistryKey key(WideStringView path) {
        return registry_->key(platform::RootKey::CurrentUser, path);
    }
    bool dataFileThere() const {
        return std::filesystem::exists(platform::devicePath(kDataFileName));
    }
    bool launcherRegistryThere() {
        return key(u"Software\\Zentrix").value(u"system_height") ||
               key(u"Software\\Zentrix\\FileList2").exists() ||
               key(u"Software\\Zentrix\\GroupSetting").exists();
    }

    std::shared_ptr<platform::Registry> registry_ = platform::Registry::device();
};

TEST_F(UninstallPageTest, TheAnswersDecideWhatIsDeleted) {
    struct Row {
        const char* legend;
        std::vector<int> answers;
        bool launcherDeleted;
        bool todayDeleted;
        std::vector<WideString> boxes;
    };
    const WideString hint = u"Delete Zentrix information?";
    const WideString today = u"Delete today information?";
    const WideString done = u"The information was deleted. Please uninstall.";
    const Row rows[] = {
        {"no", {IDNO}, false, false, {hint}},
        {"yes, no", {IDYES, IDNO}, true, false, {hint, today, done}},
        {"yes, yes", {IDYES, IDYES}, true, true, {hint, today, done}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        SetUp();
        framework::clearMessageBoxLog();
        CSettingsSheet& sheet = open(sample(), 0, kUninstall);
        EXPECT_EQ(sheet.GetActivePage()->GetDlgItemText(IDC_TODAY_UNINSTALL_HINT),
                  u"Please uninstall from setting. Zentrix can't uninstall from TODAY screen.");
        std::vector<int> answers = row.answers;
        if (row.launcherDeleted)
            answers.push_back(framework::IDOK);
        kit_.queueMessageBoxAnswers(answers);
        ASSERT_TRUE(kit_.click(sheet, IDC_TODAY_UNINSTALL_DELETE));

        std::vector<WideString> shown;
        for (const auto& box : framework::messageBoxLog()) shown.push_back(box.text);
        EXPECT_EQ(shown, row.boxes);
        EXPECT_EQ(dataFileThere(), !row.launcherDeleted);
        EXPECT_EQ(launcherRegistryThere(), !row.launcherDeleted);
        EXPECT_EQ(key(u"Software\\Zentrix\\Today\\Launcher").exists(), !row.todayDeleted);
        EXPECT_TRUE(key(u"Software\\Other").value(u"kept"));
        // After a deletion the sheet closes without applying what it showed.
        EXPECT_EQ(sheet.IsWindowVisible(), !row.launcherDeleted);
        if (!row.launcherDeleted) {
            EXPECT_TRUE(sheet.PressButton(PSBTN_CANCEL));
        }
    }
}

TEST_F(UninstallPageTest, TheSettingsKeyGoesOnlyOnceNothingElseLivesInIt) {
    EXPECT_TRUE(deleteLauncherInformation(*registry_).ok());
    const auto left = key(u"Software\\Zentrix").subkeys();
    ASSERT_TRUE(left);
    EXPECT_EQ(*left, std::vector<WideString>{u"Today"});
    EXPECT_TRUE(key(u"Software\\Zentrix").valueNames()->empty());

    // Nothing left to delete is no error.
    EXPECT_TRUE(deleteTodayInformation(*registry_));
    EXPECT_TRUE(deleteTodayInformation(*registry_));
    EXPECT_TRUE(deleteLauncherInformation(*registry_).ok());
    EXPECT_FALSE(key(u"Software\\Zentrix").exists());
    EXPECT_TRUE(key(u"Software\\Other").exists());
}

}  // namespace
}  // namespace zentrix::today
