// The item dialog and its icon chooser: what OK and Cancel hand back, what the fields refuse,
// the browse buttons, and the chooser's number buttons and icon check.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "framework/controls.h"
#include "framework/file_icon.h"
#include "framework/test_kit.h"
#include "resources/resource_ids.h"
#include "tests/support/test_support.h"
#include "today/item/dialog_fields.h"
#include "today/item/icon_chooser.h"
#include "today/item/item_dialog.h"
#include "today/item/item_dialog_window.h"

namespace zentrix::today {
namespace {

using framework::CDialog;
using framework::CWnd;
using framework::IDCANCEL;
using framework::IDOK;
using framework::ScopedTestKit;

const LauncherItem kStored{.name = u"Notes",
                           .fileName = u"\\Windows\\notes.exe",
                           .commandLine = u"-n",
                           .iconPath = u"\\Windows\\icons.dll",
                           .iconResource = 12,
                           .index = 4};

class ItemDialogTest : public ::testing::Test {
  protected:
    test::ScratchDeviceRoot root_;
    ScopedTestKit kit_;
};

TEST_F(ItemDialogTest, OkHandsBackTheFieldsAndCancelLeavesTheItem) {
    struct Row {
        const char* legend;
        int button;
        bool confirmed;
    };
    for (const Row row : {Row{"OK", IDOK, true}, Row{"Cancel", IDCANCEL, false}}) {
        SCOPED_TRACE(row.legend);
        LauncherItem item = kStored;
        kit_.queueModalHandler([&](CWnd& window) {
            EXPECT_EQ(window.GetDlgItemText(IDC_TODAY_ITEM_NAME), u"Notes");
            EXPECT_EQ(window.GetDlgItemText(IDC_TODAY_ITEM_ICON_NUMBER), u"12");
            kit_.type(window, IDC_TODAY_ITEM_NAME, u"Terminal");
            kit_.type(window, IDC_TODAY_ITEM_FILE, u"/usr/bin/xterm");
            kit_.type(window, IDC_TODAY_ITEM_COMMAND, u"-e \"top -d 1\"");
            kit_.click(window, static_cast<unsigned>(row.button));
        });
        EXPECT_EQ(runItemDialog(nullptr, item), row.confirmed);
        LauncherItem expected = kStored;
        if (row.confirmed) {
            // A path of this machine is taken as it stands; icon and index stay.
            expected.name = u"Terminal";
            expected.fileName = u"/usr/bin/xterm";
            expected.commandLine = u"-e \"top -d 1\"";
        }
        EXPECT_EQ(item, expected);
        EXPECT_EQ(kit_.unansweredModals(), 0);
    }
}

TEST_F(ItemDialogTest, FieldsRefuseWhatTheDataFileCannotCarry) {
    const WideString longText(300, u'x');
    struct Row {
        unsigned id;
        WideString typed;
        WideString kept;
    };
    const Row rows[] = {
        {IDC_TODAY_ITEM_NAME, u"Two\rLines", u"TwoLines"},
        // The name is the item's registry key: "\" would nest keys.
        {IDC_TODAY_ITEM_NAME, u"A\\B", u"AB"},
        {IDC_TODAY_ITEM_NAME, longText, longText.substr(0, kMaxTextLength)},
        {IDC_TODAY_ITEM_FILE, u"\\Windows\\a\rb.exe", u"\\Windows\\ab.exe"},
        {IDC_TODAY_ITEM_FILE, longText, longText.substr(0, kMaxTextLength)},
        {IDC_TODAY_ITEM_COMMAND, u"-a\r-b", u"-a-b"},
        {IDC_TODAY_ITEM_COMMAND, u"$(rm -rf ~); echo \\x", u"$(rm -rf ~); echo \\x"},
        {IDC_TODAY_ITEM_COMMAND, longText, longText.substr(0, kMaxTextLength)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        CItemDialog dialog(kStored);
        ASSERT_TRUE(kit_.open(dialog));
        ASSERT_TRUE(kit_.type(dialog, row.id, row.typed));
        ASSERT_TRUE(kit_.click(dialog, IDOK));
        ASSERT_EQ(dialog.GetResult(), IDOK);
        const LauncherItem& item = dialog.item();
        const WideString& stored = row.id == IDC_TODAY_ITEM_NAME   ? item.name
                                   : row.id == IDC_TODAY_ITEM_FILE ? item.fileName
                                                                   : item.commandLine;
        EXPECT_EQ(stored, row.kept);
    }
}

TEST_F(ItemDialogTest, AnEmptyNameIsRefusedAndTheDialogStaysOpen) {
    CItemDialog dialog(LauncherItem{});
    ASSERT_TRUE(kit_.open(dialog));
    ASSERT_TRUE(kit_.type(dialog, IDC_TODAY_ITEM_FILE, u"\\Windows\\calc.exe"));
    ASSERT_TRUE(kit_.click(dialog, IDOK));
    EXPECT_EQ(dialog.GetResult(), -1);
    ASSERT_EQ(kit_.messageBoxes().size(), 1u);
    EXPECT_EQ(kit_.messageBoxes()[0].text, u"Please enter a name.");

    ASSERT_TRUE(kit_.type(dialog, IDC_TODAY_ITEM_NAME, u"Calc"));
    ASSERT_TRUE(kit_.click(dialog, IDOK));
    EXPECT_EQ(dialog.GetResult(), IDOK);
    EXPECT_EQ(dialog.item().name, u"Calc");
    EXPECT_EQ(dialog.item().fileName, u"\\Windows\\calc.exe");
}

TEST_F(ItemDialogTest, BrowseButtonsFillTheirFieldsAndCancelKeepsThem) {
    CItemDialog dialog(kStored);
    ASSERT_TRUE(kit_.open(dialog));
    kit_.queueFileDialogAnswer(u"\\Windows\\Start Menu\\Mail.desktop");
    ASSERT_TRUE(kit_.click(dialog, IDC_TODAY_ITEM_FILE_BROWSE));
    EXPECT_EQ(dialog.GetDlgItemText(IDC_TODAY_ITEM_FILE), u"\\Windows\\Start Menu\\Mail.desktop");
    ASSERT_EQ(kit_.fileDialogs().size(), 1u);
    EXPECT_FALSE(kit_.fileDialogs()[0].save);
    EXPECT_EQ(kit_.fileDialogs()[0].initialFolder, u"\\Windows");

    // A file for the command line is quoted when it holds a blank, so it stays one argument.
    kit_.queueFileDialogAnswer(u"\\My Documents\\field notes.txt");
    ASSERT_TRUE(kit_.click(dialog, IDC_TODAY_ITEM_COMMAND_BROWSE));
    EXPECT_EQ(dialog.GetDlgItemText(IDC_TODAY_ITEM_COMMAND),
              u"\"\\My Documents\\field notes.txt\"");

    kit_.queueFileDialogAnswer(std::nullopt);
    ASSERT_TRUE(kit_.click(dialog, IDC_TODAY_ITEM_FILE_BROWSE));
    EXPECT_EQ(dialog.GetDlgItemText(IDC_TODAY_ITEM_FILE), u"\\Windows\\Start Menu\\Mail.desktop");

    // A path of this machine in the field: the browser starts at the device root.
    ASSERT_TRUE(kit_.type(dialog, IDC_TODAY_ITEM_FILE, u"/usr/bin/xterm"));
    kit_.queueFileDialogAnswer(std::nullopt);
    ASSERT_TRUE(kit_.click(dialog, IDC_TODAY_ITEM_FILE_BROWSE));
    EXPECT_EQ(kit_.fileDialogs().back().initialFolder, u"\\");
    EXPECT_EQ(kit_.unansweredFileDialogs(), 0);
}

TEST_F(ItemDialogTest, ChangeIconTakesTheChoosersPathAndNumberOnlyOnOk) {
    for (const int button : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(button);
        CItemDialog dialog(kStored);
        ASSERT_TRUE(kit_.open(dialog));
        kit_.queueModalHandler([&](CWnd& chooser) {
            EXPECT_EQ(chooser.GetDlgItemText(IDC_TODAY_ICON_PATH), u"\\Windows\\icons.dll");
            EXPECT_EQ(chooser.GetDlgItemText(IDC_TODAY_ICON_NUMBER), u"12");
            kit_.type(chooser, IDC_TODAY_ICON_PATH, u"/usr/share/pixmaps/xterm.png");
            kit_.click(chooser, IDC_TODAY_ICON_ZERO);
            kit_.click(chooser, IDC_TODAY_ICON_NEXT);
            kit_.click(chooser, static_cast<unsigned>(button));
        });
        ASSERT_TRUE(kit_.click(dialog, IDC_TODAY_ITEM_CHANGE_ICON));
        const bool taken = button == IDOK;
        EXPECT_EQ(dialog.GetDlgItemText(IDC_TODAY_ITEM_ICON_PATH),
                  taken ? u"/usr/share/pixmaps/xterm.png" : u"\\Windows\\icons.dll");
        EXPECT_EQ(dialog.GetDlgItemText(IDC_TODAY_ITEM_ICON_NUMBER), taken ? u"1" : u"12");
        ASSERT_TRUE(kit_.click(dialog, IDOK));
        EXPECT_EQ(dialog.item().iconResource, taken ? 1 : 12);
    }
}

TEST_F(ItemDialogTest, ChooserNumberButtonsStayWithinZeroAndTheLargestNumber) {
    struct Row {
        const char16_t* typed;
        unsigned button;
        const char16_t* shown;
    };
    const Row rows[] = {
        {u"5", IDC_TODAY_ICON_NEXT, u"6"},
        {u"5", IDC_TODAY_ICON_PREVIOUS, u"4"},
        {u"0", IDC_TODAY_ICON_PREVIOUS, u"0"},
        {u"", IDC_TODAY_ICON_NEXT, u"1"},
        {u"2147483647", IDC_TODAY_ICON_NEXT, u"2147483647"},
        {u"9999999999", IDC_TODAY_ICON_PREVIOUS, u"2147483647"},
        {u"77", IDC_TODAY_ICON_ZERO, u"0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(platform::toUtf8(row.typed));
        CIconChooserDialog chooser(u"", 0, u"");
        ASSERT_TRUE(kit_.open(chooser));
        ASSERT_TRUE(kit_.type(chooser, IDC_TODAY_ICON_NUMBER, row.typed));
        ASSERT_TRUE(kit_.click(chooser, row.button));
        EXPECT_EQ(chooser.GetDlgItemText(IDC_TODAY_ICON_NUMBER), row.shown);
    }
}

TEST_F(ItemDialogTest, ChooserKeepsANumberFromTheFileUnlessItIsChanged) {
    {
        CIconChooserDialog chooser(u"x.png", -3, u"");
        ASSERT_TRUE(kit_.open(chooser));
        EXPECT_EQ(chooser.GetDlgItemText(IDC_TODAY_ICON_NUMBER), u"-3");
        ASSERT_TRUE(kit_.click(chooser, IDOK));
        EXPECT_EQ(chooser.GetResult(), IDOK);
        EXPECT_EQ(chooser.iconResource(), -3);
    }
    {
        // Typed over with a number beyond what the data file holds: refused, the chooser stays.
        CIconChooserDialog chooser(u"x.png", 7, u"");
        ASSERT_TRUE(kit_.open(chooser));
        ASSERT_TRUE(kit_.type(chooser, IDC_TODAY_ICON_NUMBER, u"3000000000"));
        ASSERT_TRUE(kit_.click(chooser, IDOK));
        EXPECT_EQ(chooser.GetResult(), -1);
        EXPECT_EQ(kit_.messageBoxes().size(), 1u);
        EXPECT_EQ(chooser.iconResource(), 7);
    }
}

TEST_F(ItemDialogTest, CheckShowsTheIconThePathGivesOrSaysThereIsNone) {
    // A real image file to look at: the chooser's own rendering.
    const std::filesystem::path image = root_.path() / "Windows" / "icon.png";
    std::filesystem::create_directories(image.parent_path());
    {
        CIconChooserDialog sample(u"", 0, u"");
        ASSERT_TRUE(kit_.open(sample));
        ASSERT_TRUE(kit_.renderToPng(sample, image.string()));
    }
    framework::CBitmap probe;
    const bool imageHasIcon = framework::LoadFileIcon(image.string(), 32, &probe);

    struct Row {
        const char* legend;
        const char16_t* iconPath;
        const char16_t* fileName;
        bool found;
    };
    const Row rows[] = {
        {"handheld path of an image", u"\\Windows\\icon.png", u"", imageHasIcon},
        {"path of this machine", nullptr, u"", imageHasIcon},
        {"empty icon path: the item's file", u"", u"\\Windows\\icon.png", imageHasIcon},
        {"missing file", u"\\Windows\\none.png", u"", false},
        {"nothing at all", u"", u"", false},
    };
    const WideString hostPath = platform::fromUtf8(image.string());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        CIconChooserDialog chooser(row.iconPath ? WideString(row.iconPath) : hostPath, 0,
                                   row.fileName);
        ASSERT_TRUE(kit_.open(chooser));
        EXPECT_EQ(chooser.OnCheck(), row.found);
        EXPECT_EQ(chooser.GetDlgItem(IDC_TODAY_ICON_PREVIEW)->IsWindowVisible(), row.found);
        EXPECT_EQ(chooser.GetDlgItem(IDC_TODAY_ICON_NONE)->IsWindowVisible(), !row.found);
    }
}

TEST(ItemDialogPaths, HandheldPathsLieBelowTheDeviceRootAndHostPathsStandForThemselves) {
    test::ScratchDeviceRoot root;
    EXPECT_EQ(localPathOf(u"/usr/bin/xterm"), "/usr/bin/xterm");
    EXPECT_EQ(localPathOf(u"\\Windows\\x.png"), (root.path() / "Windows" / "x.png").string());
}

}  // namespace
}  // namespace zentrix::today
