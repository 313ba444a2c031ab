#include "today/item/options_dialog.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/list_ctrl.h"
#include "framework/property_sheet.h"
#include "framework/test_kit.h"
#include "framework/window_proc.h"
#include "platform/device_root.h"
#include "platform/registry.h"
#include "resources/resource_ids.h"
#include "tests/support/test_support.h"
#include "today/item/plugin_data.h"
#include "today/launcher_config.h"
#include "today/launcher_data_file.h"
#include "today/launcher_registry.h"

namespace zentrix::today {
namespace {

namespace fs = std::filesystem;
using namespace framework;
using Names = std::vector<WideString>;

LauncherItem item(const char16_t* name) {
    return {.name = name, .fileName = WideString(u"\\Program Files\\") + name + u".exe"};
}

std::vector<LauncherItem> items(const Names& names) {
    std::vector<LauncherItem> out;
    for (const auto& name : names) out.push_back(item(name.c_str()));
    return out;
}

Names namesOf(const std::vector<LauncherItem>& items) {
    Names out;
    for (const auto& i : items) out.push_back(i.name);
    return out;
}

class OptionsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        pluginData() = PluginData{};
        stored_.groups[0].items = items({u"A", u"B", u"C", u"D"});
        stored_.groups[1].items = items({u"X"});
        stored_.groups[2].shown = 0;
        stored_.groups[2].items = items({u"Hidden"});
    }
    void TearDown() override {
        if (pluginData().optionsDialog)
            DestroyWindow(pluginData().optionsDialog);
        pluginData() = PluginData{};
    }

    void store() { ASSERT_FALSE(saveDataFile(stored_)); }

    CWnd* open() {
        const HWND hwnd = openOptionsDialog(nullptr);
        return hwnd ? CWnd::FromHandle(hwnd) : nullptr;
    }
    CListCtrl& list(CWnd& dialog) {
        return *static_cast<CListCtrl*>(dialog.GetDlgItem(IDC_TODAY_ITEM_LIST));
    }
    Names rows(CWnd& dialog) {
        Names out;
        for (int row = 0; row < list(dialog).GetItemCount(); ++row)
            out.push_back(list(dialog).GetItemText(row, 0));
        return out;
    }
    std::vector<int> selected(CWnd& dialog) {
        std::vector<int> out;
        for (int row = list(dialog).GetNextItem(-1, LVNI_SELECTED); row >= 0;
             row = list(dialog).GetNextItem(row, LVNI_SELECTED)) {
            out.push_back(row);
        }
        return out;
    }
    // Several rows, as a user with "Select multiple" on picks them.
    void select(CWnd& dialog, const std::vector<int>& rows) {
        if (dialog.IsDlgButtonChecked(IDC_TODAY_SELECT_MULTIPLE) != BST_CHECKED) {
            ASSERT_TRUE(kit_.click(dialog, IDC_TODAY_SELECT_MULTIPLE));
        }
        list(dialog).SetItemState(-1, 0, LVIS_SELECTED);
        for (int row : rows) list(dialog).SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    }
    Names groupRows(CWnd& dialog, int group) {
        EXPECT_TRUE(kit_.selectTab(dialog, IDC_TODAY_GROUP_TABS, group));
        return rows(dialog);
    }
    LauncherSettings readBack() {
        LauncherSettings read;
        EXPECT_TRUE(loadDataFile(read));
        return read;
    }
    int boxesSaying(const WideString& part) {
        int count = 0;
        for (const auto& box : kit_.messageBoxes())
            count += box.text.find(part) != WideString::npos;
        return count;
    }

    test::ScratchDeviceRoot root_;
    ScopedTestKit kit_;
    LauncherSettings stored_;
};

TEST_F(OptionsDialogTest, OpensOnTheCurrentGroupWithItsItemsAndTheGroupNames) {
    store();
    pluginData().currentGroup = 1;
    CWnd* dialog = open();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(rows(*dialog), Names{u"X"});
    EXPECT_EQ(list(*dialog).GetItemText(0, 1), u"\\Program Files\\X.exe");
    EXPECT_EQ(list(*dialog).GetItemText(0, 4), u"0");
    auto* tabs = static_cast<CTabCtrl*>(dialog->GetDlgItem(IDC_TODAY_GROUP_TABS));
    EXPECT_EQ(tabs->GetItemCount(), 8);
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_EQ(tabs->GetItemText(0), stored_.groups[0].name);
}

// Cut, delete, move and paste in every order: the clipboard holds the items, so what is pasted
// and what the cut removes are always the items that were taken.
TEST_F(OptionsDialogTest, ClipboardSequencesNeverPasteOrRemoveOtherItems) {
    store();
    struct Step {
        enum Kind { Cut, Copy, Paste, Delete, Up, Down, Tab } kind;
        std::vector<int> rows = {};  // selected before the step; the group for Tab
    };
    const struct {
        const char* legend;
        std::vector<Step> steps;
        Names group0;
        Names group1;
    } cases[] = {
        {"cut, delete a row above, paste",
         {{Step::Cut, {1, 2}}, {Step::Delete, {0}}, {Step::Tab, {1}}, {Step::Paste}},
         {u"D"},
         {u"X", u"B", u"C"}},
        {"cut, move the rows around, paste",
         {{Step::Cut, {1}},
          {Step::Up, {3}},
          {Step::Up, {2}},
          {Step::Down, {0}},
          {Step::Tab, {1}},
          {Step::Paste}},
         {u"D", u"A", u"C"},
         {u"X", u"B"}},
        {"cut, delete the cut row itself, paste",
         {{Step::Cut, {1}}, {Step::Delete, {1}}, {Step::Tab, {1}}, {Step::Paste}},
         {u"A", u"C", u"D"},
         {u"X", u"B"}},
        {"cut pasted into its own group does nothing, and elsewhere later",
         {{Step::Cut, {0, 3}}, {Step::Paste}, {Step::Tab, {1}}, {Step::Paste}},
         {u"B", u"C"},
         {u"X", u"A", u"D"}},
        {"copy three, paste twice",
         {{Step::Copy, {0, 1, 2}}, {Step::Tab, {1}}, {Step::Paste}, {Step::Paste}},
         {u"A", u"B", u"C", u"D"},
         {u"X", u"A", u"B", u"C"}},
        {"a copy into its own group gets new names",
         {{Step::Copy, {0, 1}}, {Step::Paste}, {Step::Paste}, {Step::Tab, {1}}},
         {u"A", u"B", u"C", u"D", u"A (2)", u"B (2)"},
         {u"X"}},
        {"a cut of a group's rows replaced by a newer cut",
         {{Step::Cut, {0}}, {Step::Cut, {3}}, {Step::Tab, {1}}, {Step::Paste}, {Step::Paste}},
         {u"A", u"B", u"C"},
         {u"X", u"D"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.legend);
        pluginData() = PluginData{};
        CWnd* dialog = open();
        ASSERT_TRUE(dialog);
        for (const auto& step : c.steps) {
            if (step.kind == Step::Tab) {
                ASSERT_TRUE(kit_.selectTab(*dialog, IDC_TODAY_GROUP_TABS, step.rows.front()));
                continue;
            }
            if (!step.rows.empty())
                select(*dialog, step.rows);
            static const UINT ids[] = {IDC_TODAY_CUT,    IDC_TODAY_COPY, IDC_TODAY_PASTE,
                                       IDC_TODAY_DELETE, IDC_TODAY_UP,   IDC_TODAY_DOWN};
            if (step.kind == Step::Delete)
                kit_.queueMessageBoxAnswers({IDYES});
            ASSERT_TRUE(kit_.click(*dialog, ids[step.kind]));
        }
        EXPECT_EQ(groupRows(*dialog, 0), c.group0);
        EXPECT_EQ(groupRows(*dialog, 1), c.group1);
        ASSERT_TRUE(kit_.click(*dialog, IDOK));
        EXPECT_FALSE(pluginData().optionsDialog);
        // What the list showed is what was saved, in that order and nothing else.
        const auto saved = readBack();
        EXPECT_EQ(namesOf(saved.groups[0].items), c.group0);
        EXPECT_EQ(namesOf(saved.groups[1].items), c.group1);
        store();
    }
    EXPECT_EQ(kit_.unansweredMessageBoxes(), 0);
}

TEST_F(OptionsDialogTest, UpAndDownMoveTheFirstSelectedRowWithinTheList) {
    store();
    const struct {
        UINT button;
        int row;
        Names after;
        int selectedAfter;
    } cases[] = {
        {IDC_TODAY_UP, 0, {u"A", u"B", u"C", u"D"}, 0},
        {IDC_TODAY_DOWN, 3, {u"A", u"B", u"C", u"D"}, 3},
        {IDC_TODAY_UP, 2, {u"A", u"C", u"B", u"D"}, 1},
        {IDC_TODAY_DOWN, 0, {u"B", u"A", u"C", u"D"}, 1},
    };
    for (const auto& c : cases) {
        pluginData() = PluginData{};
        CWnd* dialog = open();
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(kit_.clickListItem(*dialog, IDC_TODAY_ITEM_LIST, c.row));
        ASSERT_TRUE(kit_.click(*dialog, c.button));
        EXPECT_EQ(rows(*dialog), c.after);
        EXPECT_EQ(selected(*dialog), std::vector<int>{c.selectedAfter});
        ASSERT_TRUE(kit_.click(*dialog, IDCANCEL));
    }
}

TEST_F(OptionsDialogTest, SelectionIsSingleUnlessSelectMultipleIsOn) {
    store();
    CWnd* dialog = open();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(kit_.clickListItem(*dialog, IDC_TODAY_ITEM_LIST, 1));
    list(*dialog).SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);  // as a shift-click would
    EXPECT_EQ(selected(*dialog), std::vector<int>{2});

    ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_SELECT_ALL));
    EXPECT_EQ(dialog->IsDlgButtonChecked(IDC_TODAY_SELECT_MULTIPLE), BST_CHECKED);
    EXPECT_EQ(selected(*dialog), (std::vector<int>{0, 1, 2, 3}));
    ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_SELECT_MULTIPLE));  // off: the first stays
    EXPECT_EQ(selected(*dialog), std::vector<int>{0});

    ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_SELECT_ALL));
    kit_.queueMessageBoxAnswers({IDNO, IDYES});
    ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_DELETE));
    EXPECT_EQ(rows(*dialog).size(), 4u);
    ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_DELETE));
    EXPECT_TRUE(rows(*dialog).empty());
    ASSERT_EQ(kit_.messageBoxes().size(), 2u);
    EXPECT_EQ(kit_.messageBoxes()[0].text, u"Delete selected item(s)?");
    EXPECT_EQ(kit_.messageBoxes()[0].caption, u"Delete");
    ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_DELETE));  // nothing selected: no question
    EXPECT_EQ(kit_.messageBoxes().size(), 2u);
}

TEST_F(OptionsDialogTest, CancelDropsEverythingAndOkSavesAndRefreshesTheItem) {
    store();
    for (const UINT button : {IDCANCEL, IDOK}) {
        pluginData() = PluginData{};
        pluginData().currentGroup = 1;
        CWnd* dialog = open();
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(kit_.clickListItem(*dialog, IDC_TODAY_ITEM_LIST, 0));
        kit_.queueMessageBoxAnswers({IDYES});
        ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_DELETE));  // X, in group 1
        ASSERT_TRUE(kit_.selectTab(*dialog, IDC_TODAY_GROUP_TABS, 0));
        ASSERT_TRUE(kit_.clickListItem(*dialog, IDC_TODAY_ITEM_LIST, 3));
        ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_UP));
        // A refill after a sub-dialog (here the settings dialog, cancelled) keeps the edits.
        ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_OPTIONS));
        ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_ADD));
        ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_EDIT));
        EXPECT_EQ(rows(*dialog), (Names{u"A", u"B", u"D", u"C"}));
        ASSERT_TRUE(kit_.click(*dialog, button));

        EXPECT_FALSE(pluginData().optionsDialog);
        EXPECT_TRUE(pluginData().refreshPending);
        EXPECT_EQ(pluginData().currentGroup, 0);  // the first shown group
        auto expected = stored_;
        if (button == IDOK) {
            expected.groups[0].items = items({u"A", u"B", u"D", u"C"});
            expected.groups[1].items.clear();
        }
        const auto saved = readBack();
        for (size_t g = 0; g < kGroupCount; ++g) {
            EXPECT_EQ(namesOf(saved.groups[g].items), namesOf(expected.groups[g].items)) << g;
            EXPECT_EQ(namesOf(pluginData().settings.groups[g].items),
                      namesOf(expected.groups[g].items))
                << g;
        }
    }
}

TEST_F(OptionsDialogTest, AddAndEditGoThroughTheItemDialogKeepingNamesUniqueAndEarlierEdits) {
    store();
    CWnd* dialog = open();
    ASSERT_TRUE(dialog);
    const auto answer = [&](const char16_t* name, const char16_t* file) {
        kit_.queueModalHandler([&kit = kit_, name, file](CWnd& itemDialog) {
            kit.type(itemDialog, IDC_TODAY_ITEM_NAME, name);
            if (file)
                kit.type(itemDialog, IDC_TODAY_ITEM_FILE, file);
            kit.click(itemDialog, IDOK);
        });
    };
    ASSERT_TRUE(kit_.clickListItem(*dialog, IDC_TODAY_ITEM_LIST, 3));
    kit_.queueMessageBoxAnswers({IDYES});
    ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_DELETE));  // D: must stay deleted after the refills

    answer(u"b", u"\\Program Files\\b.exe");
    ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_ADD));
    EXPECT_EQ(rows(*dialog), (Names{u"A", u"B", u"C", u"b (2)"}));
    EXPECT_EQ(list(*dialog).GetItemText(3, 1), u"\\Program Files\\b.exe");
    EXPECT_EQ(selected(*dialog), std::vector<int>{3});

    ASSERT_TRUE(kit_.clickListItem(*dialog, IDC_TODAY_ITEM_LIST, 0));
    answer(u"c", nullptr);
    ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_EDIT));
    ASSERT_TRUE(kit_.clickListItem(*dialog, IDC_TODAY_ITEM_LIST, 1));
    answer(u"b", nullptr);  // its own name in another case is no clash
    ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_EDIT));
    EXPECT_EQ(rows(*dialog), (Names{u"c (2)", u"b", u"C", u"b (2)"}));
    EXPECT_EQ(list(*dialog).GetItemText(0, 1), u"\\Program Files\\A.exe");

    kit_.queueModalHandler([&kit = kit_](CWnd& itemDialog) { kit.click(itemDialog, IDCANCEL); });
    ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_EDIT));
    EXPECT_EQ(rows(*dialog), (Names{u"c (2)", u"b", u"C", u"b (2)"}));
    EXPECT_EQ(kit_.unansweredModals(), 0);
    ASSERT_TRUE(kit_.click(*dialog, IDOK));
    EXPECT_EQ(namesOf(readBack().groups[0].items), (Names{u"c (2)", u"b", u"C", u"b (2)"}));
}

TEST_F(OptionsDialogTest, AfterTheUninstallPageDeletedTheDataNothingIsSavedBack) {
    store();
    CWnd* dialog = open();
    ASSERT_TRUE(dialog);
    kit_.queueModalHandler([&kit = kit_](CWnd& window) {
        auto* sheet = dynamic_cast<CPropertySheet*>(&window);
        ASSERT_TRUE(sheet);
        ASSERT_TRUE(kit.switchPage(*sheet, sheet->GetPageCount() - 1));  // the uninstall page
        kit.queueMessageBoxAnswers({IDYES, IDNO, IDOK});
        kit.click(*sheet, IDC_TODAY_UNINSTALL_DELETE);
    });
    ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_OPTIONS));
    EXPECT_EQ(kit_.unansweredModals(), 0);
    EXPECT_FALSE(pluginData().optionsDialog) << "the dialog stayed open to save what was deleted";
    EXPECT_FALSE(fs::exists(platform::devicePath(kDataFileName)));
}

TEST_F(OptionsDialogTest, OnlyOneDialogAtATime) {
    store();
    const HWND first = openOptionsDialog(nullptr);
    ASSERT_TRUE(first);
    EXPECT_EQ(openOptionsDialog(nullptr), first);
    // The host's modal one gives way to it too, before it edits anything.
    EXPECT_EQ(DialogBoxParam(nullptr, IDD_TODAY_OPTIONS, nullptr, customItemOptionsDlgProc, 0), 0);
    EXPECT_EQ(pluginData().optionsDialog, first);
    EXPECT_EQ(kit_.unansweredModals(), 0);
    ASSERT_TRUE(kit_.click(*CWnd::FromHandle(first), IDCANCEL));
    EXPECT_FALSE(CWnd::FromHandle(first));
    EXPECT_FALSE(pluginData().optionsDialog);
    const HWND second = openOptionsDialog(nullptr);
    EXPECT_TRUE(second);
    EXPECT_NE(second, first);
}

TEST_F(OptionsDialogTest, OpenedModallyItEndsWithOneAndLeavesTheItemAlone) {
    store();
    for (const UINT button : {IDOK, IDCANCEL}) {
        kit_.queueModalHandler([&](CWnd& dialog) {
            EXPECT_EQ(rows(dialog), (Names{u"A", u"B", u"C", u"D"}));
            EXPECT_EQ(pluginData().optionsDialog, dialog.GetSafeHwnd());
            kit_.click(dialog, button);
        });
        EXPECT_EQ(DialogBoxParam(nullptr, IDD_TODAY_OPTIONS, nullptr, customItemOptionsDlgProc, 0),
                  1);
        EXPECT_FALSE(pluginData().refreshPending);
        EXPECT_FALSE(pluginData().optionsDialog);
    }
}

TEST_F(OptionsDialogTest, ImportAppendsTheFolderWithUniqueNamesAndReportsWhatItLeftOut) {
    stored_.groups[0].importFolder = u"\\Import";
    store();
    const fs::path folder = platform::devicePath(std::string_view("\\Import"));
    for (int i = 0; i < 450; ++i) {
        fs::create_directories(folder / "more");
        std::ofstream(folder / "more" / ("f" + std::to_string(1000 + i))) << "x";
    }
    std::ofstream(folder / "a.exe") << "x";  // "A" is taken in the group: "a (2)"
    fs::create_symlink(folder / "gone", folder / "dangling");

    CWnd* dialog = open();
    ASSERT_TRUE(dialog);
    kit_.queueMessageBoxAnswers({IDNO});
    ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_IMPORT));
    EXPECT_EQ(rows(*dialog).size(), 4u);

    kit_.queueMessageBoxAnswers({IDYES, IDYES, IDNO});
    ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_IMPORT));
    const Names shown = rows(*dialog);
    ASSERT_EQ(shown.size(), 4u + 399u);
    EXPECT_EQ(shown[4], u"a (2)");
    EXPECT_EQ(shown[5], u"f1000");
    EXPECT_EQ(list(*dialog).GetItemText(4, 1), u"\\Import\\a.exe");
    EXPECT_EQ(boxesSaying(u"Added files reach more than 200"), 2);
    EXPECT_EQ(boxesSaying(u"1 entries were left out"), 1);
    EXPECT_EQ(kit_.unansweredMessageBoxes(), 1);  // the report, which has only OK
    ASSERT_TRUE(kit_.click(*dialog, IDOK));
    EXPECT_EQ(readBack().groups[0].items.size(), 403u);
}

TEST_F(OptionsDialogTest, ASaveThatReachesNeitherStoreKeepsTheDialogOpen) {
    // The data file cannot be written, even by root: a folder stands in its place. The registry
    // copy takes the settings then, and the next load finds them there.
    {
        auto registry = platform::Registry::device();
        ASSERT_TRUE(saveRegistryGeneral(stored_, *registry).ok());
        ASSERT_TRUE(saveRegistryGroups(stored_, *registry).ok());
    }
    fs::create_directories(dataFilePath() / "blocked");

    CWnd* dialog = open();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(rows(*dialog), (Names{u"A", u"B", u"C", u"D"}));
    ASSERT_TRUE(kit_.clickListItem(*dialog, IDC_TODAY_ITEM_LIST, 0));
    kit_.queueMessageBoxAnswers({IDYES});
    ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_DELETE));
    ASSERT_TRUE(kit_.click(*dialog, IDOK));
    EXPECT_FALSE(pluginData().optionsDialog);
    EXPECT_EQ(boxesSaying(u"could not"), 0);
    {
        LauncherSettings read;
        auto registry = platform::Registry::device();
        EXPECT_FALSE(loadSettings(read, *registry).fromDataFile);
        EXPECT_EQ(namesOf(read.groups[0].items), (Names{u"B", u"C", u"D"}));
    }

    // On another device whose registry cannot be written either (its store is a folder), the
    // dialog stays open with the reason, and nothing reaches the item's record.
    test::ScratchDeviceRoot broken;
    fs::create_directories(platform::deviceRoot() / "registry.db" / "blocked");
    fs::create_directories(dataFilePath() / "blocked");
    pluginData() = PluginData{};
    pluginData().settings = stored_;  // what the item showed before
    dialog = open();
    ASSERT_TRUE(dialog);
    ASSERT_EQ(rows(*dialog), (Names{u"A", u"B", u"C", u"D"}));
    const auto before = pluginData().settings;
    ASSERT_TRUE(kit_.clickListItem(*dialog, IDC_TODAY_ITEM_LIST, 0));
    kit_.queueMessageBoxAnswers({IDYES});
    ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_DELETE));
    ASSERT_TRUE(kit_.click(*dialog, IDOK));
    EXPECT_TRUE(pluginData().optionsDialog);  // still open, the list as the user left it
    EXPECT_EQ(rows(*dialog), (Names{u"B", u"C", u"D"}));
    EXPECT_EQ(boxesSaying(u"The settings could not be saved. Data file: "), 1);
    EXPECT_EQ(pluginData().settings, before);
    EXPECT_FALSE(pluginData().refreshPending);
    ASSERT_TRUE(kit_.click(*dialog, IDCANCEL));
    EXPECT_FALSE(pluginData().optionsDialog);
}

// A data file that stays, readable, where a new one could not be written would be read instead
// of the registry copy the settings went to: that save failed too.
TEST_F(OptionsDialogTest, ASaveBehindAnOlderDataFileThatStaysIsAFailure) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    store();
    CWnd* dialog = open();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(kit_.clickListItem(*dialog, IDC_TODAY_ITEM_LIST, 0));
    kit_.queueMessageBoxAnswers({IDYES});
    ASSERT_TRUE(kit_.click(*dialog, IDC_TODAY_DELETE));
    const fs::path folder = dataFilePath().parent_path();
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    ASSERT_TRUE(kit_.click(*dialog, IDOK));
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_TRUE(pluginData().optionsDialog);
    EXPECT_EQ(boxesSaying(u"the older one would be read instead"), 1);
    EXPECT_EQ(namesOf(readBack().groups[0].items), namesOf(stored_.groups[0].items));
}

}  // namespace
}  // namespace zentrix::today
