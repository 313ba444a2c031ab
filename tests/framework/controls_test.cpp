// Controls and their notifications, timers, message boxes and the wait cursor, driven through
// the test kit the way the program's pages will be.
#include "framework/controls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/list_ctrl.h"
#include "framework/message_box.h"
#include "framework/test_kit.h"
#include "resources/resource_ids.h"

namespace zentrix::framework {
namespace {

std::string narrow(const WideString& text) {
    return std::string(text.begin(), text.end());
}

// Records every notification its table routes, as "handler id detail".
class NotifiedDialog : public CDialog {
  public:
    NotifiedDialog() : CDialog(IDD_SAMPLE) {
        MapNotification(BN_CLICKED, IDC_SAMPLE_CHECK, &NotifiedDialog::OnCheck);
        MapNotification(CBN_SELCHANGE, IDC_SAMPLE_MODE, &NotifiedDialog::OnModeChange);
        MapNotification(CBN_DROPDOWN, IDC_SAMPLE_MODE, &NotifiedDialog::OnDropDown);
        MapNotification(CBN_CLOSEUP, IDC_SAMPLE_MODE, &NotifiedDialog::OnCloseUp);
        MapNotification(CBN_EDITCHANGE, IDC_SAMPLE_HOST, &NotifiedDialog::OnHostEdit);
        MapNotification(EN_CHANGE, IDC_SAMPLE_NAME, &NotifiedDialog::OnNameChange);
        MapNotification(NM_CLICK, IDC_SAMPLE_LIST, &NotifiedDialog::OnList);
        MapNotification(NM_RETURN, IDC_SAMPLE_LIST, &NotifiedDialog::OnList);
        MapNotification(LVN_ITEMACTIVATE, IDC_SAMPLE_LIST, &NotifiedDialog::OnList);
        MapNotification(LVN_COLUMNCLICK, IDC_SAMPLE_LIST, &NotifiedDialog::OnList);
        MapNotification(LVN_ITEMCHANGED, IDC_SAMPLE_LIST, &NotifiedDialog::OnItemChanged);
        MapNotification(TB_THUMBTRACK, IDC_SAMPLE_SLIDER, &NotifiedDialog::OnSlider);
        MapNotification(TB_ENDTRACK, IDC_SAMPLE_SLIDER, &NotifiedDialog::OnSlider);
        MapNotification(TCN_SELCHANGE, kTabsId, &NotifiedDialog::OnTab);
    }
    static constexpr UINT kTabsId = 4711;
    std::vector<std::string> log;
    std::vector<UINT_PTR> timers;

    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        auto* list = static_cast<CListCtrl*>(GetDlgItem(IDC_SAMPLE_LIST));
        list->InsertColumn(0, u"Station", LVCFMT_LEFT, 60);
        list->InsertColumn(1, u"Distance", LVCFMT_RIGHT, 60);
        for (const char16_t* name : {u"ALPHA", u"BRAVO", u"CHARLIE"}) {
            list->InsertItem(list->GetItemCount(), name);
        }
        return true;
    }
    void OnTimer(UINT_PTR id) override { timers.push_back(id); }

  private:
    void OnCheck() {
        log.push_back("check " + std::to_string(IsDlgButtonChecked(IDC_SAMPLE_CHECK)));
    }
    void OnModeChange() {
        auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_SAMPLE_MODE));
        log.push_back("mode " + narrow(combo->GetLBText(combo->GetCurSel())));
    }
    void OnDropDown() { log.push_back("dropdown"); }
    void OnCloseUp() { log.push_back("closeup"); }
    void OnHostEdit() { log.push_back("host " + narrow(GetDlgItemText(IDC_SAMPLE_HOST))); }
    void OnNameChange() { log.push_back("name " + narrow(GetDlgItemText(IDC_SAMPLE_NAME))); }
    void OnList(const NotifyInfo& info) {
        const char* what = info.code == NM_CLICK           ? "click"
                           : info.code == NM_RETURN        ? "return"
                           : info.code == LVN_ITEMACTIVATE ? "activate"
                                                           : "column";
        log.push_back(std::string(what) + " " + std::to_string(info.iItem) + " " +
                      std::to_string(info.iSubItem));
    }
    void OnItemChanged(const NotifyInfo& info) {
        log.push_back("changed " + std::to_string(info.iItem) + " " +
                      std::to_string(info.uOldState) + ">" + std::to_string(info.uNewState));
    }
    void OnTab(const NotifyInfo& info) {
        auto* tabs = static_cast<CTabCtrl*>(info.hwndFrom);
        log.push_back("tab " + std::to_string(tabs->GetCurSel()));
    }
    void OnSlider(const NotifyInfo& info) {
        log.push_back(std::string(info.code == TB_THUMBTRACK ? "track " : "end ") +
                      std::to_string(info.nPos));
    }
};

class ControlsTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(kit.open(dialog)); }
    std::vector<std::string> take() { return std::exchange(dialog.log, {}); }
    ScopedTestKit kit;
    NotifiedDialog dialog;
};

using Log = std::vector<std::string>;

TEST_F(ControlsTest, ButtonComboAndEditNotificationsReachTheirHandlers) {
    EXPECT_TRUE(kit.click(dialog, IDC_SAMPLE_CHECK));
    EXPECT_TRUE(kit.click(dialog, IDC_SAMPLE_CHECK));
    EXPECT_TRUE(kit.selectComboItem(dialog, IDC_SAMPLE_MODE, 1));
    EXPECT_TRUE(kit.dropDownAndClose(dialog, IDC_SAMPLE_MODE));
    EXPECT_TRUE(kit.type(dialog, IDC_SAMPLE_HOST, u"ab"));
    EXPECT_TRUE(kit.type(dialog, IDC_SAMPLE_NAME, u"x"));
    EXPECT_EQ(take(), (Log{"check 1", "check 0", "mode GSM", "dropdown", "closeup", "host a",
                           "host ab", "name x"}));

    // The program's own changes do not notify, except an edit's text, as on the platform.
    static_cast<CComboBox*>(dialog.GetDlgItem(IDC_SAMPLE_MODE))->SetCurSel(2);
    dialog.CheckDlgButton(IDC_SAMPLE_CHECK, 1);
    dialog.SetDlgItemText(IDC_SAMPLE_NAME, u"set");
    EXPECT_EQ(take(), (Log{"name set"}));

    // A disabled or hidden control cannot be tapped.
    dialog.GetDlgItem(IDC_SAMPLE_CHECK)->EnableWindow(false);
    EXPECT_FALSE(kit.click(dialog, IDC_SAMPLE_CHECK));
    dialog.GetDlgItem(IDC_SAMPLE_MODE)->ShowWindow(SW_HIDE);
    EXPECT_FALSE(kit.selectComboItem(dialog, IDC_SAMPLE_MODE, 0));
    EXPECT_EQ(take(), Log{});
}

TEST_F(ControlsTest, RefusedCharactersCannotBeTypedOrPastedButTheProgramMaySetThem) {
    auto* name = static_cast<CEdit*>(dialog.GetDlgItem(IDC_SAMPLE_NAME));
    auto* port = static_cast<CEdit*>(dialog.GetDlgItem(IDC_SAMPLE_PORT));
    auto* host = static_cast<CComboBox*>(dialog.GetDlgItem(IDC_SAMPLE_HOST));
    auto* mode = static_cast<CComboBox*>(dialog.GetDlgItem(IDC_SAMPLE_MODE));
    name->RefuseCharacters(u";\r\n");
    port->RefuseCharacters(u"5");
    EXPECT_TRUE(host->RefuseCharacters(u",*"));
    EXPECT_FALSE(mode->RefuseCharacters(u","));  // a list-only combo has no edit

    EXPECT_TRUE(kit.type(dialog, IDC_SAMPLE_NAME, u"a;b\rc"));
    EXPECT_EQ(name->GetWindowText(), u"abc");
    // A paste is one edit: with a refused character in it nothing of it lands.
    name->SetSel(3, 3);
    name->ReplaceSel(u"d;e");
    EXPECT_EQ(name->GetWindowText(), u"abc");
    name->ReplaceSel(u"de");
    EXPECT_EQ(name->GetWindowText(), u"abcde");
    // A digits-only edit stays digits-only beside its own refusals.
    EXPECT_TRUE(kit.type(dialog, IDC_SAMPLE_PORT, u"2x1015"));
    EXPECT_EQ(port->GetWindowText(), u"2101");
    EXPECT_TRUE(kit.type(dialog, IDC_SAMPLE_HOST, u"a,b*c"));
    EXPECT_EQ(host->GetWindowText(), u"abc");
    // What the program shows (a value read from the receiver) is not filtered.
    name->SetWindowText(u"x;y");
    EXPECT_EQ(name->GetWindowText(), u"x;y");
}

// A list's client area is what its rows can use: inside the frame and below the header, so a
// column as wide as it fits and the rows start at its top.
TEST_F(ControlsTest, AListsClientAreaIsInsideItsFrameAndBelowItsHeader) {
    auto* list = static_cast<CListCtrl*>(dialog.GetDlgItem(IDC_SAMPLE_LIST));
    CRect client;
    CRect window;
    CRect header;
    list->GetClientRect(&client);
    list->GetWindowRect(&window);
    ASSERT_TRUE(list->GetHeaderCtrl()->GetItemRect(0, &header));
    EXPECT_LT(client.Width(), window.Width());
    EXPECT_LE(client.Height(), window.Height() - header.Height());
    CRect row;
    ASSERT_TRUE(list->GetItemRect(0, &row));
    EXPECT_GE(row.top, 0);
    EXPECT_LE(row.bottom, client.bottom);
}

TEST_F(ControlsTest, ListTabAndSliderNotificationsReachTheirHandlers) {
    EXPECT_TRUE(kit.clickListItem(dialog, IDC_SAMPLE_LIST, 1));
    // Focus moves first, then the selection, each a change of its own.
    EXPECT_EQ(take(), (Log{"changed 1 0>1", "changed 1 1>3", "click 1 0"}));
    EXPECT_TRUE(kit.clickListItem(dialog, IDC_SAMPLE_LIST, 2));
    EXPECT_EQ(take(), (Log{"changed 1 3>2", "changed 2 0>1", "changed 1 2>0", "changed 2 1>3",
                           "click 2 0"}));
    EXPECT_TRUE(kit.pressReturnInList(dialog, IDC_SAMPLE_LIST));
    EXPECT_TRUE(kit.clickListColumn(dialog, IDC_SAMPLE_LIST, 1));
    Log log = take();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.front(), "return -1 0");
    EXPECT_EQ(log.back(), "column -1 1");

    // The sample dialog's tab control is on one of its pages; make one here.
    CTabCtrl tabs;
    ASSERT_TRUE(
        tabs.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 20), &dialog, NotifiedDialog::kTabsId));
    tabs.InsertItem(0, u"GPS");
    tabs.InsertItem(1, u"GLONASS");
    EXPECT_TRUE(kit.selectTab(dialog, NotifiedDialog::kTabsId, 1));
    EXPECT_EQ(tabs.SetCurSel(0), 1);
    EXPECT_EQ(take(), (Log{"tab 1"}));

    auto* slider = static_cast<CSliderCtrl*>(dialog.GetDlgItem(IDC_SAMPLE_SLIDER));
    slider->SetRange(0, 10);
    slider->SetPos(3);
    EXPECT_TRUE(take().empty());
    EXPECT_TRUE(kit.dragSlider(dialog, IDC_SAMPLE_SLIDER, 7));
    EXPECT_EQ(take(), (Log{"track 7", "end 7"}));
    EXPECT_EQ(slider->GetPos(), 7);
}

TEST_F(ControlsTest, TimersRunByIdUntilKilled) {
    EXPECT_FALSE(kit.fireTimer(dialog, 1));
    EXPECT_EQ(dialog.SetTimer(1, 1000), 1u);
    EXPECT_EQ(dialog.SetTimer(2, 20), 2u);
    EXPECT_TRUE(kit.fireTimer(dialog, 1));
    EXPECT_TRUE(kit.fireTimer(dialog, 1));
    EXPECT_TRUE(dialog.KillTimer(1));
    EXPECT_FALSE(dialog.KillTimer(1));
    EXPECT_FALSE(kit.fireTimer(dialog, 1));
    EXPECT_EQ(dialog.timers, (std::vector<UINT_PTR>{1, 1}));
    // The real clock delivers too.
    for (int i = 0; i < 200 && dialog.timers.size() < 3; ++i) {
        kit.processEvents();
        usleep(2000);
    }
    EXPECT_EQ(dialog.timers.back(), 2u);
    dialog.DestroyWindow();
    EXPECT_FALSE(kit.fireTimer(dialog, 2));
}

TEST_F(ControlsTest, MessageBoxesAreAnsweredAndSeeTheWaitCursor) {
    kit.queueMessageBoxAnswers({IDNO, IDYES});
    const int before = kit.waitCursorShowCount();
    {
        CWaitCursor wait;
        EXPECT_EQ(kit.waitCursorDepth(), 1);
        EXPECT_EQ(dialog.MessageBox(u"Reset GNSS receiver?", {}, MB_YESNO | MB_ICONEXCLAMATION),
                  IDNO);
        CWaitCursor nested;
        EXPECT_EQ(kit.waitCursorDepth(), 2);
    }
    EXPECT_EQ(kit.waitCursorDepth(), 0);
    EXPECT_EQ(kit.waitCursorShowCount(), before + 1);
    EXPECT_EQ(AfxMessageBox(IDS_SAMPLE_QUESTION, MB_YESNO), IDYES);
    EXPECT_EQ(AfxMessageBox(u"Done"), IDOK);  // no answer queued: the default, counted
    ASSERT_EQ(kit.messageBoxes().size(), 3u);
    EXPECT_EQ(kit.messageBoxes()[0].caption, u"Sample Dialog");
    EXPECT_TRUE(kit.messageBoxes()[0].waitCursor);
    EXPECT_EQ(kit.messageBoxes()[0].type, MB_YESNO | MB_ICONEXCLAMATION);
    EXPECT_EQ(kit.messageBoxes()[1].text, u"Apply the sample settings?");
    EXPECT_FALSE(kit.messageBoxes()[1].waitCursor);
    EXPECT_EQ(kit.unansweredMessageBoxes(), 1);
    EndWaitCursor();  // one End too many changes nothing
    EXPECT_EQ(kit.waitCursorDepth(), 0);
}

TEST_F(ControlsTest, ComboPrefixSearchIgnoresCaseAndWrapsAfterTheStart) {
    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_SORT,
                             CRect(0, 0, 80, 20), &dialog, 4712));
    for (const char16_t* text : {u"Network", u"gsm", u"GPRS", u"UHF", u"Direct IP"}) {
        combo.SetItemData(combo.AddString(text), text[0]);
    }
    // Sorted without regard to case.
    std::vector<WideString> order;
    for (int i = 0; i < combo.GetCount(); ++i) order.push_back(combo.GetLBText(i));
    EXPECT_EQ(order, (std::vector<WideString>{u"Direct IP", u"GPRS", u"gsm", u"Network", u"UHF"}));
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
    EXPECT_EQ(combo.GetItemData(2), static_cast<DWORD_PTR>(u'g'));

    struct Row {
        int start;
        const char16_t* prefix;
        int found;
    };
    for (Row row :
         {Row{-1, u"g", 1}, Row{1, u"G", 2}, Row{2, u"g", 1}, Row{-1, u"gs", 2}, Row{-1, u"uhf", 4},
          Row{4, u"D", 0}, Row{-1, u"x", CB_ERR}, Row{-1, u"Network!", CB_ERR}, Row{17, u"n", 3}}) {
        EXPECT_EQ(combo.FindString(row.start, row.prefix), row.found)
            << row.start << " " << narrow(row.prefix);
    }
    EXPECT_EQ(combo.FindStringExact(-1, u"gprs"), 1);
    EXPECT_EQ(combo.FindStringExact(-1, u"gpr"), CB_ERR);
    EXPECT_EQ(combo.SelectString(-1, u"net"), 3);
    EXPECT_EQ(combo.GetWindowText(), u"Network");
    EXPECT_EQ(combo.SetCurSel(9), CB_ERR);
    EXPECT_EQ(combo.GetCurSel(), -1);
    EXPECT_EQ(combo.DeleteString(0), 4);
    EXPECT_EQ(combo.InsertString(-1, u"Any"), 4);  // InsertString ignores the sort
}

int CompareByText(LPARAM a, LPARAM b, LPARAM descending) {
    const auto& x = *reinterpret_cast<const WideString*>(a);
    const auto& y = *reinterpret_cast<const WideString*>(b);
    const int order = x < y ? -1 : (y < x ? 1 : 0);
    return descending ? -order : order;
}

TEST_F(ControlsTest, ListSortsByCallbackAndSelectionStaysWithItsRow) {
    auto* list = static_cast<CListCtrl*>(dialog.GetDlgItem(IDC_SAMPLE_LIST));
    list->DeleteAllItems();
    const std::vector<WideString> keys = {u"delta", u"alpha", u"charlie", u"bravo"};
    for (size_t i = 0; i < keys.size(); ++i) {
        const int row = list->InsertItem(static_cast<int>(i), keys[i]);
        list->SetItemText(row, 1, keys[i] + u"!");
        list->SetItemData(row, reinterpret_cast<DWORD_PTR>(&keys[i]));
    }
    list->SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    take();
    ASSERT_TRUE(list->SortItems(CompareByText, 0));
    std::vector<WideString> rows;
    for (int i = 0; i < list->GetItemCount(); ++i) rows.push_back(list->GetItemText(i, 1));
    EXPECT_EQ(rows, (std::vector<WideString>{u"alpha!", u"bravo!", u"charlie!", u"delta!"}));
    EXPECT_EQ(list->GetNextItem(-1, LVNI_SELECTED), 2);
    EXPECT_EQ(list->GetItemText(list->GetNextItem(-1, LVNI_FOCUSED), 0), u"charlie");

    ASSERT_TRUE(list->SortItems(CompareByText, 1));
    EXPECT_EQ(list->GetItemText(0, 0), u"delta");
    EXPECT_EQ(list->GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_EQ(list->GetSelectedCount(), 1u);
    EXPECT_TRUE(take().empty());  // sorting changes no state

    // Columns added later give every row an empty cell; texts beyond the columns are refused.
    EXPECT_EQ(list->InsertColumn(1, u"Mid", LVCFMT_CENTER, 30), 1);
    EXPECT_EQ(list->GetItemText(0, 1), u"");
    EXPECT_EQ(list->GetItemText(0, 2), u"delta!");
    EXPECT_FALSE(list->SetItemText(0, 3, u"x"));
    EXPECT_EQ(list->GetHeaderCtrl()->GetItemCount(), 3);

    list->SetItemState(-1, 0, LVIS_SELECTED);
    EXPECT_EQ(list->GetSelectedCount(), 0u);
    EXPECT_TRUE(list->DeleteItem(0));
    EXPECT_FALSE(list->DeleteItem(3));
    EXPECT_EQ(list->GetItemCount(), 3);
}

// A header item the page draws itself, as the sortable list draws its arrow.
class ArrowHeader : public CHeaderCtrl {
  public:
    std::vector<UINT> drawn;
    void DrawItem(DRAWITEMSTRUCT* item) override {
        drawn.push_back(item->itemID);
        item->pDC->FillSolidRect(item->rcItem, RGB(255, 0, 0));
    }
};

TEST_F(ControlsTest, AnOwnerDrawnHeaderItemIsPaintedByItsHeaderObject) {
    auto* list = static_cast<CListCtrl*>(dialog.GetDlgItem(IDC_SAMPLE_LIST));
    ArrowHeader header;
    ASSERT_TRUE(header.SubclassWindow(list->GetHeaderCtrl()->GetSafeHwnd()));
    EXPECT_EQ(list->GetHeaderCtrl(), &header);
    HDITEM item;
    item.mask = HDI_FORMAT;
    ASSERT_TRUE(header.GetItem(1, &item));
    item.fmt |= HDF_OWNERDRAW;
    ASSERT_TRUE(header.SetItem(1, &item));
    CBitmap image;
    ASSERT_TRUE(kit.render(dialog, image));
    ASSERT_FALSE(header.drawn.empty());
    for (UINT item : header.drawn) EXPECT_EQ(item, 1u);
    CRect rect;
    ASSERT_TRUE(header.GetItemRect(1, &rect));
    EXPECT_GT(rect.Width(), 0);
}

}  // namespace
}  // namespace zentrix::framework
