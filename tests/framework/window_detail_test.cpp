// Finer points of windows and controls where mistakes hide: radio groups, subclassing and
// object lifetimes, stale handles, numbers in edits, default answers, the list's row height,
// and the resource compiler refusing a broken data file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/image_list.h"
#include "framework/list_ctrl.h"
#include "framework/message_box.h"
#include "framework/test_kit.h"
#include "framework/window_proc.h"
#include "resources/resource_ids.h"
#include "tests/support/test_support.h"

namespace zentrix::framework {
namespace {

class WindowDetailTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(kit.open(dialog)); }
    ScopedTestKit kit;
    CDialog dialog{IDD_SAMPLE};
};

TEST_F(WindowDetailTest, RadioGroupsEndAtTheNextGroupStyle) {
    // Two groups made in code: Metres/Feet of the template stay a group of their own.
    CButton gps, glonass, on, off;
    const DWORD radio = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;
    ASSERT_TRUE(gps.Create(u"GPS", radio | WS_GROUP, CRect(0, 0, 50, 12), &dialog, 801));
    ASSERT_TRUE(glonass.Create(u"GLONASS", radio, CRect(0, 12, 50, 24), &dialog, 802));
    ASSERT_TRUE(on.Create(u"On", radio | WS_GROUP, CRect(0, 24, 50, 36), &dialog, 803));
    ASSERT_TRUE(off.Create(u"Off", radio, CRect(0, 36, 50, 48), &dialog, 804));
    kit.click(dialog, IDC_SAMPLE_METRES);
    kit.click(dialog, 801);
    kit.click(dialog, 803);
    kit.click(dialog, 802);
    EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_SAMPLE_METRES), 1);
    EXPECT_EQ(gps.GetCheck(), 0);
    EXPECT_EQ(glonass.GetCheck(), 1);
    EXPECT_EQ(on.GetCheck(), 1);
    EXPECT_EQ(off.GetCheck(), 0);
    // The program may clear a whole group, which a user cannot.
    dialog.CheckRadioButton(803, 804, 0);
    EXPECT_EQ(on.GetCheck(), 0);
    EXPECT_EQ(off.GetCheck(), 0);
    int index = 5;
    CDataExchange dx(&dialog, true);
    DDX_Radio(&dx, 801, index);
    EXPECT_EQ(index, 1);
}

TEST_F(WindowDetailTest, ASubclassingObjectGivesTheControlBackWhenItGoes) {
    CWnd* original = dialog.GetDlgItem(IDC_SAMPLE_MODE);
    ASSERT_NE(original, nullptr);
    {
        CComboBox mine;
        ASSERT_TRUE(mine.SubclassDlgItem(IDC_SAMPLE_MODE, &dialog));
        EXPECT_FALSE(mine.SubclassDlgItem(IDC_SAMPLE_MODE, &dialog));  // once only
        EXPECT_EQ(dialog.GetDlgItem(IDC_SAMPLE_MODE), &mine);
        EXPECT_EQ(mine.GetCount(), 3);
        EXPECT_EQ(mine.GetDlgCtrlID(), IDC_SAMPLE_MODE);
        EXPECT_EQ(mine.GetParent(), &dialog);
    }
    EXPECT_EQ(dialog.GetDlgItem(IDC_SAMPLE_MODE), original);
    EXPECT_TRUE(kit.selectComboItem(dialog, IDC_SAMPLE_MODE, 1));
    EXPECT_FALSE(CStatic().SubclassDlgItem(4242, &dialog));
}

TEST_F(WindowDetailTest, HandlesOfDestroyedWindowsAreRefused) {
    CStatic label;
    ASSERT_TRUE(label.Create(u"x", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &dialog, 805));
    HWND hwnd = label.GetSafeHwnd();
    EXPECT_EQ(CWnd::FromHandle(hwnd), &label);
    EXPECT_TRUE(label.DestroyWindow());
    EXPECT_FALSE(label.IsWindow());
    EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
    EXPECT_EQ(SendMessage(hwnd, WM_USER, 0, 0), 0);
    EXPECT_FALSE(InvalidateRect(hwnd, nullptr, true));
    EXPECT_FALSE(label.DestroyWindow());
    // The object can make a window again.
    EXPECT_TRUE(label.Create(u"y", WS_CHILD, CRect(0, 0, 10, 10), &dialog, 805));
    EXPECT_EQ(label.GetWindowText(), u"y");
    EXPECT_FALSE(label.IsWindowVisible());
}

TEST_F(WindowDetailTest, NumbersInTextAreReadStrictly) {
    struct Row {
        const char16_t* text;
        bool isSigned;
        int value;
        bool ok;
    };
    for (Row row :
         {Row{u"42", true, 42, true}, Row{u" -7 ", true, -7, true}, Row{u"-7", false, 0, false},
          Row{u"12a", true, 0, false}, Row{u"", true, 0, false},
          Row{u"99999999999", true, 0, false}, Row{u"4294967295", false, -1, true}}) {
        dialog.SetDlgItemText(IDC_SAMPLE_NAME, row.text);
        bool ok = !row.ok;
        EXPECT_EQ(dialog.GetDlgItemInt(IDC_SAMPLE_NAME, &ok, row.isSigned), row.value);
        EXPECT_EQ(ok, row.ok);
    }
    dialog.SetDlgItemInt(IDC_SAMPLE_NAME, -15);
    EXPECT_EQ(dialog.GetDlgItemText(IDC_SAMPLE_NAME), u"-15");
}

TEST_F(WindowDetailTest, EditsKeepTheirLimitPasswordAndFilter) {
    auto* name = static_cast<CEdit*>(dialog.GetDlgItem(IDC_SAMPLE_NAME));
    name->LimitText(4);
    EXPECT_EQ(name->GetLimitText(), 4);
    EXPECT_TRUE(kit.type(dialog, IDC_SAMPLE_NAME, u"abcdef"));
    EXPECT_EQ(name->GetWindowText(), u"abcd");
    name->SetSel(1, 3);
    int start = 0, end = 0;
    name->GetSel(start, end);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(end, 3);
    name->ReplaceSel(u"X");
    EXPECT_EQ(name->GetWindowText(), u"aXd");
    EXPECT_TRUE(kit.type(dialog, IDC_SAMPLE_PORT, u"2a1-0"));
    EXPECT_EQ(dialog.GetDlgItemText(IDC_SAMPLE_PORT), u"210");
    // The password edit gives its real text to the program.
    EXPECT_TRUE(kit.type(dialog, IDC_SAMPLE_SECRET, u"s3cret"));
    EXPECT_EQ(dialog.GetDlgItemText(IDC_SAMPLE_SECRET), u"s3cret");
    name->SetReadOnly(true);
    EXPECT_TRUE(kit.type(dialog, IDC_SAMPLE_NAME, u"zz"));
    EXPECT_EQ(name->GetWindowText(), u"aXd");
}

TEST_F(WindowDetailTest, UnansweredBoxesGetTheirDefaultButton) {
    struct Row {
        UINT type;
        int answer;
    };
    for (Row row : {Row{MB_OK, IDOK}, Row{MB_YESNO, IDYES}, Row{MB_YESNO | MB_DEFBUTTON2, IDNO},
                    Row{MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL}, Row{MB_YESNOCANCEL, IDYES}}) {
        EXPECT_EQ(AfxMessageBox(u"?", row.type), row.answer) << row.type;
    }
    EXPECT_EQ(kit.unansweredMessageBoxes(), 5);
}

TEST_F(WindowDetailTest, ModalDialogsNestAndTheirAnswersComeInOrder) {
    CDialog inner(IDD_SAMPLE_PAGE_EXTRA);
    std::vector<std::string> seen;
    kit.queueModalHandler([&](CWnd& outer) {
        seen.push_back("outer " + std::to_string(outer.IsWindowVisible()));
        kit.queueMessageBoxAnswers({IDNO});
        EXPECT_EQ(outer.MessageBox(u"Sure?", {}, MB_YESNO), IDNO);
        EXPECT_EQ(inner.DoModal(), 7);
        static_cast<CDialog&>(outer).EndDialog(3);
    });
    kit.queueModalHandler([&](CWnd& window) {
        seen.push_back(window.GetWindowText() == u"Extra" ? "inner" : "wrong");
        static_cast<CDialog&>(window).EndDialog(7);
    });
    CDialog outer(IDD_SAMPLE_PAGE_OUTPUT);
    EXPECT_EQ(outer.DoModal(), 3);
    EXPECT_EQ(seen, (std::vector<std::string>{"outer 1", "inner"}));
    EXPECT_EQ(CDialog(4).DoModal(), -1);  // no such template
}

TEST_F(WindowDetailTest, ASmallImageListSetsTheRowHeight) {
    auto* list = static_cast<CListCtrl*>(dialog.GetDlgItem(IDC_SAMPLE_LIST));
    list->InsertColumn(0, u"Name", LVCFMT_LEFT, 60);
    list->InsertItem(0, u"a");
    list->InsertItem(1, u"b");
    CRect before;
    ASSERT_TRUE(list->GetItemRect(0, &before));
    CImageList rows;
    ASSERT_TRUE(rows.Create(1, 30, ILC_COLOR24, 1, 1));
    EXPECT_EQ(list->SetImageList(&rows, LVSIL_SMALL), nullptr);
    kit.processEvents();
    CRect first, second;
    ASSERT_TRUE(list->GetItemRect(0, &first));
    ASSERT_TRUE(list->GetItemRect(1, &second));
    EXPECT_LT(before.Height(), 30);
    EXPECT_EQ(first.Height(), 30);
    EXPECT_EQ(second.top - first.top, 30);
    EXPECT_EQ(list->HitTest(CPoint(first.left + 2, second.top + 2)), 1);
    EXPECT_EQ(list->GetImageList(LVSIL_SMALL), &rows);
    list->SetImageList(nullptr, LVSIL_SMALL);  // the page's list goes before the control
}

TEST_F(WindowDetailTest, SelectionFollowsTheListsSelectionStyle) {
    const auto selectedRows = [](CListCtrl& list) {
        std::vector<int> rows;
        for (POSITION p = list.GetFirstSelectedItemPosition(); p;) {
            rows.push_back(list.GetNextSelectedItem(p));
        }
        return rows;
    };
    CListCtrl multi;
    ASSERT_TRUE(
        multi.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 100, 80), &dialog, 806));
    auto* single = static_cast<CListCtrl*>(dialog.GetDlgItem(IDC_SAMPLE_LIST));
    for (CListCtrl* list : {&multi, single}) {
        for (int i = 0; i < 3; ++i) list->InsertItem(i, u"row");
        list->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
        list->SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    }
    EXPECT_EQ(selectedRows(multi), (std::vector<int>{0, 2}));
    EXPECT_EQ(selectedRows(*single), (std::vector<int>{2}));  // LVS_SINGLESEL keeps one
    EXPECT_EQ(multi.GetNextItem(0, LVNI_SELECTED), 2);
    EXPECT_EQ(multi.GetNextItem(2, LVNI_SELECTED), -1);
    multi.DeleteItem(0);
    EXPECT_EQ(selectedRows(multi), (std::vector<int>{1}));
}

TEST(ResourceCompiler, ABrokenDataFileFailsTheBuildWithItsLine) {
    test::ScratchFolder folder;
    const auto write = [&](const char* name, const char* text) {
        std::ofstream(folder.path() / name) << text;
        return (folder.path() / name).string();
    };
    const std::string strings = write("strings.txt", "IDS_A 1 \"a\"\n");
    const std::string bitmaps = write("bitmaps.txt", "");
    const std::string good = write("good.dlg", "DIALOG IDD_A 100 10 10\nEND\n");
    const std::string bad =
        write("bad.dlg", "DIALOG IDD_B 101 10 10\n  EDITTEXT IDC_E 5 0 0 5\nEND\n");
    const std::string header = (folder.path() / "ids.h").string();
    const std::string source = (folder.path() / "data.cpp").string();
    const std::string rc = ZENTRIX_RC;
    const std::string log = (folder.path() / "log").string();
    EXPECT_EQ(std::system((rc + " " + header + " " + source + " " + strings + " " + bitmaps + " " +
                           good + " > " + log + " 2>&1")
                              .c_str()),
              0);
    std::ifstream ids(header);
    std::string text((std::istreambuf_iterator<char>(ids)), {});
    EXPECT_NE(text.find("constexpr unsigned int IDD_A = 100;"), std::string::npos);
    EXPECT_NE(text.find("constexpr unsigned int IDS_A = 1;"), std::string::npos);
    EXPECT_NE(std::system((rc + " " + header + " " + source + " " + strings + " " + bitmaps + " " +
                           good + " " + bad + " > " + log + " 2>&1")
                              .c_str()),
              0);
    std::ifstream err(log);
    std::string message((std::istreambuf_iterator<char>(err)), {});
    EXPECT_NE(message.find("bad.dlg:2: expected: EDITTEXT"), std::string::npos) << message;
}

}  // namespace
}  // namespace zentrix::framework

namespace zentrix::framework {
namespace {

// A control class that sets itself up when it takes a window and cleans up when it goes, as
// the sortable list does with its rows' data.
class SelfSettingList : public CListCtrl {
  public:
    int setups = 0;
    int destroys = 0;
    void PreSubclassWindow() override {
        ++setups;
        SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    }
    void OnDestroy() override {
        ++destroys;
        DeleteAllItems();
    }
};

TEST(WindowLifetime, ControlClassesSetUpOnTakingAWindowAndHearTheirDialogGo) {
    ScopedTestKit kit;
    CDialog dialog(IDD_SAMPLE);
    ASSERT_TRUE(kit.open(dialog));
    SelfSettingList fromTemplate;
    SelfSettingList fromCode;
    ASSERT_TRUE(fromTemplate.SubclassDlgItem(IDC_SAMPLE_LIST, &dialog));
    ASSERT_TRUE(fromCode.Create(WS_CHILD | LVS_REPORT, CRect(0, 0, 50, 50), &dialog, 807));
    EXPECT_EQ(fromTemplate.setups, 1);
    EXPECT_EQ(fromCode.setups, 1);
    EXPECT_EQ(fromTemplate.GetExtendedStyle(), LVS_EX_FULLROWSELECT);
    fromTemplate.InsertItem(0, u"row");
    EXPECT_TRUE(dialog.DestroyWindow());
    EXPECT_EQ(fromTemplate.destroys, 1);
    EXPECT_EQ(fromCode.destroys, 1);
    EXPECT_FALSE(fromTemplate.IsWindow());
    EXPECT_FALSE(fromCode.IsWindow());
}

}  // namespace
}  // namespace zentrix::framework

namespace zentrix::framework {
namespace {

// Which rows a list activates: an icon on one tap (a menu), a report row on a double tap, and
// either on Return.
class ActivationLog : public CDialog {
  public:
    explicit ActivationLog(UINT templateId, UINT listId) : CDialog(templateId), listId_(listId) {
        MapNotification(LVN_ITEMACTIVATE, listId, &ActivationLog::OnActivate);
    }
    std::vector<int> activated;
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        auto* list = static_cast<CListCtrl*>(GetDlgItem(listId_));
        for (int i = 0; i < 3; ++i) list->InsertItem(i, u"item");
        return true;
    }

  private:
    void OnActivate(const NotifyInfo& info) { activated.push_back(info.iItem); }
    UINT listId_;
};

TEST(ListActivation, IconsActivateOnATapReportRowsOnADoubleTap) {
    ScopedTestKit kit;
    ActivationLog menu(IDD_SAMPLE_MENU, IDC_SAMPLE_MENU);
    ASSERT_TRUE(kit.open(menu));
    EXPECT_TRUE(kit.clickListItem(menu, IDC_SAMPLE_MENU, 2));
    EXPECT_EQ(menu.activated, (std::vector<int>{2}));
    EXPECT_TRUE(kit.pressReturnInList(menu, IDC_SAMPLE_MENU));
    EXPECT_EQ(menu.activated, (std::vector<int>{2, 2}));

    ActivationLog report(IDD_SAMPLE, IDC_SAMPLE_LIST);
    ASSERT_TRUE(kit.open(report));
    EXPECT_TRUE(kit.clickListItem(report, IDC_SAMPLE_LIST, 1));
    EXPECT_TRUE(report.activated.empty());
    EXPECT_TRUE(kit.activateListItem(report, IDC_SAMPLE_LIST, 1));
    EXPECT_EQ(report.activated, (std::vector<int>{1}));
}

}  // namespace
}  // namespace zentrix::framework
