// The sortable list: its order of texts, taps on the headers, the texts each row keeps through
// sorting, inserting and deleting, selection, and the arrow in the sorted column's header.
#include "ui/network/sort_list_ctrl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/system_colors.h"
#include "framework/test_kit.h"
#include "resources/resource_ids.h"
#include "tests/support/comma_locale.h"

namespace zentrix::ui {
namespace {

using namespace framework;

std::string narrow(WideStringView text) {
    return std::string(text.begin(), text.end());
}

std::vector<WideString> wide(const std::vector<std::string>& texts) {
    std::vector<WideString> result;
    for (const std::string& text : texts) result.emplace_back(text.begin(), text.end());
    return result;
}

// The sample dialog with its list taken over from the template, and room for a second list made
// with Create.
class ListDialog : public CDialog {
  public:
    ListDialog() : CDialog(IDD_SAMPLE) {
        MapNotification(LVN_COLUMNCLICK, IDC_SAMPLE_LIST, &ListDialog::OnColumnClick);
    }
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        list.SubclassDlgItem(IDC_SAMPLE_LIST, this);
        return true;
    }
    void OnColumnClick(const NotifyInfo& info) { parentHeard.push_back(info.iSubItem); }

    CSortListCtrl list;
    std::vector<int> parentHeard;
};

class SortListTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(kit.open(dialog)); }

    /// A multi-selection list made with Create, with `columns` columns named A, B, ...
    CSortListCtrl& createdList(int columns) {
        EXPECT_TRUE(created.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT,
                                   CRect(0, 0, 300, 160), &dialog, kCreatedId));
        for (int c = 0; c < columns; ++c)
            created.InsertColumn(c, WideString(1, static_cast<char16_t>(u'A' + c)), LVCFMT_LEFT,
                                 90);
        return created;
    }

    /// Column `column` of every row as shown, top to bottom.
    static std::vector<std::string> shown(const CSortListCtrl& list, int column = 0) {
        std::vector<std::string> result;
        for (int row = 0; row < list.GetItemCount(); ++row)
            result.push_back(narrow(list.GetItemText(row, column)));
        return result;
    }

    static bool ownerDrawn(CSortListCtrl& list, int column) {
        HDITEM item;
        item.mask = HDI_FORMAT;
        return list.header().GetItem(column, &item) && (item.fmt & HDF_OWNERDRAW);
    }

    static constexpr UINT kCreatedId = 4242;
    ScopedTestKit kit;
    ListDialog dialog;
    CSortListCtrl created;
};

// ---- The order of texts ----

TEST(SortTextTest, NumericTextIsDigitsWithSignsAndOnePoint) {
    const struct {
        const char16_t* text;
        bool numeric;
    } cases[] = {
        {u"", false},       {u"0", true},    {u"+", true},     {u"-", false},   {u"-5", true},
        {u"5-", false},     {u"--5", false}, {u"1+2", true},   {u".", true},    {u"1.5", true},
        {u"1.2.3", false},  {u"1,5", false}, {u" 1", false},   {u"1e5", false}, {u"-.", true},
        {u"\u0661", false}, {u"x1", false},  {u"12345", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CSortListCtrl::isNumericText(c.text), c.numeric) << narrow(c.text);
}

// Every pair of this list compares as its positions do: empty first, numbers by value (equal
// values by text), then texts by code unit, upper case before lower case.
TEST(SortTextTest, CompareTextsIsATotalOrder) {
    // Beyond the range of a double: infinite, but still numbers; too small for it: 0.
    const std::string huge = "1" + std::string(400, '0');
    const std::string tiny = "0." + std::string(400, '0') + "1";
    const std::vector<WideString> ordered = wide({
        "",    "-" + huge, "-3",  "+",     "-.", "-0",  ".",    "0",   tiny,
        "0.5", "1+2",      "1.5", "+5",    "5",  "5.0", "9",    "10",  "12",
        "100", huge,       "-",   "1.2.3", "5a", "ABC", "Zulu", "abc", "x",
    });
    for (size_t i = 0; i < ordered.size(); ++i) {
        for (size_t j = 0; j < ordered.size(); ++j) {
            const int expected = (i > j) - (i < j);
            const int got = CSortListCtrl::compareTexts(ordered[i], ordered[j]);
            EXPECT_EQ((got > 0) - (got < 0), expected)
                << '"' << narrow(ordered[i]) << "\" vs \"" << narrow(ordered[j]) << '"';
        }
    }
}

// ---- Sorting the list ----

TEST_F(SortListTest, NumbersSortByValueAndTextsByCodeUnit) {
    CSortListCtrl& list = dialog.list;
    list.InsertColumn(0, u"Station", LVCFMT_LEFT, 60);
    list.InsertColumn(1, u"Name", LVCFMT_LEFT, 60);
    for (const auto& [number, name] : std::vector<std::pair<const char16_t*, const char16_t*>>{
             {u"10", u"bravo"}, {u"9", u"Charlie"}, {u"100", u"alpha"}}) {
        list.InsertRow(list.GetItemCount(), {number, name});
    }
    list.Sort(0, true);
    EXPECT_EQ(shown(list), (std::vector<std::string>{"9", "10", "100"}));
    list.Sort(1, true);
    EXPECT_EQ(shown(list, 1), (std::vector<std::string>{"Charlie", "alpha", "bravo"}));
    list.Sort(1, false);
    EXPECT_EQ(shown(list, 1), (std::vector<std::string>{"bravo", "alpha", "Charlie"}));

    // A column that does not exist changes nothing, not even the arrow.
    list.Sort(2, true);
    list.Sort(-1, true);
    EXPECT_EQ(shown(list, 1), (std::vector<std::string>{"bravo", "alpha", "Charlie"}));
    EXPECT_EQ(list.header().sortColumn(), 1);
    EXPECT_FALSE(list.header().sortAscending());
}

// A column of numbers and words sorts to one order whatever order its rows came in.
TEST_F(SortListTest, AMixedColumnSortsToOneOrderFromEveryInputOrder) {
    CSortListCtrl& list = createdList(2);
    std::vector<std::string> texts = {"", "12", "x", "1.5", "9", "10", "5a", "-3", "+", "."};
    const std::vector<std::string> ascending = {"",  "-3", "+",  ".",  "1.5",
                                                "9", "10", "12", "5a", "x"};
    std::vector<std::string> descending(ascending.rbegin(), ascending.rend());
    std::mt19937 random(20);
    for (int round = 0; round < 300; ++round) {
        std::shuffle(texts.begin(), texts.end(), random);
        list.DeleteAllRows();
        for (const std::string& text : texts) {
            WideString w(text.begin(), text.end());
            list.InsertRow(list.GetItemCount(), {w, u"#" + w});
        }
        list.Sort(0, true);
        ASSERT_EQ(shown(list), ascending) << "round " << round;
        list.Sort(0, false);
        ASSERT_EQ(shown(list), descending) << "round " << round;
        for (int row = 0; row < list.GetItemCount(); ++row)
            ASSERT_EQ(list.GetItemText(row, 1), u"#" + list.GetItemText(row, 0));
    }
}

// A decimal comma in the process locale (set after the toolkit started, which reads the
// desktop's) does not change how numbers compare.
TEST_F(SortListTest, ACommaLocaleDoesNotChangeTheNumbers) {
    test::ScopedCommaLocale comma;
    ASSERT_TRUE(comma.active());
    EXPECT_GT(CSortListCtrl::compareTexts(u"+0.5", u"0.25"), 0);
    EXPECT_LT(CSortListCtrl::compareTexts(u"1.25", u"+1.5"), 0);
    CSortListCtrl& list = createdList(1);
    for (const char16_t* text : {u"+1.5", u"1.25", u"+0.5", u"0.25", u"-0.75"})
        list.InsertRow(list.GetItemCount(), {text});
    list.Sort(0, true);
    EXPECT_EQ(shown(list), (std::vector<std::string>{"-0.75", "0.25", "+0.5", "1.25", "+1.5"}));
}

TEST_F(SortListTest, TappingAHeaderSortsAndTappingItAgainReverses) {
    CSortListCtrl& list = dialog.list;
    list.InsertColumn(0, u"Station", LVCFMT_LEFT, 60);
    list.InsertColumn(1, u"Distance", LVCFMT_RIGHT, 60);
    list.InsertRow(0, {u"B", u"2"});
    list.InsertRow(1, {u"A", u"10"});
    list.InsertRow(2, {u"C", u"1"});
    EXPECT_EQ(list.header().sortColumn(), -1);

    const struct {
        int column;
        bool ascending;
        std::vector<std::string> stations;
    } taps[] = {
        {1, true, {"C", "B", "A"}}, {1, false, {"A", "B", "C"}}, {1, true, {"C", "B", "A"}},
        {0, true, {"A", "B", "C"}}, {0, false, {"C", "B", "A"}}, {1, true, {"C", "B", "A"}},
    };
    for (const auto& tap : taps) {
        ASSERT_TRUE(kit.clickListColumn(dialog, IDC_SAMPLE_LIST, tap.column));
        EXPECT_EQ(list.header().sortColumn(), tap.column);
        EXPECT_EQ(list.header().sortAscending(), tap.ascending);
        EXPECT_EQ(shown(list), tap.stations);
        EXPECT_TRUE(ownerDrawn(list, tap.column));
        EXPECT_FALSE(ownerDrawn(list, 1 - tap.column));
    }
    // The list keeps the taps it sorted by; with sorting off they go to the dialog.
    EXPECT_TRUE(dialog.parentHeard.empty());
    list.EnableSorting(false);
    ASSERT_TRUE(kit.clickListColumn(dialog, IDC_SAMPLE_LIST, 0));
    EXPECT_EQ(dialog.parentHeard, std::vector<int>{0});
    EXPECT_EQ(list.header().sortColumn(), 1);
    EXPECT_EQ(shown(list), (std::vector<std::string>{"C", "B", "A"}));
}

// Sorting moves rows whole: shown texts, sort texts, selection and focus.
TEST_F(SortListTest, SortingKeepsEachRowsTextsAndSelectionWithIt) {
    CSortListCtrl& list = createdList(2);
    for (const char16_t* km : {u"12.5", u"3", u"250", u"0.8"}) {
        const int row = list.InsertRow(list.GetItemCount(), {u"ST" + WideString(km), u""});
        list.SetItemText(row, 1, WideString(km) + u" km");
        list.SetRowTexts(row, {u"ST" + WideString(km), km});
    }
    list.SelectRow(0, false);  // ST12.5
    list.SelectRow(2, false);  // ST250
    list.SetItemState(2, 0, LVIS_FOCUSED);
    list.SetItemState(1, LVIS_FOCUSED, LVIS_FOCUSED);  // ST3, not selected
    list.Sort(1, true);
    EXPECT_EQ(shown(list, 1), (std::vector<std::string>{"0.8 km", "3 km", "12.5 km", "250 km"}));
    for (int row = 0; row < list.GetItemCount(); ++row) {
        const std::vector<WideString>* texts = list.RowTexts(row);
        ASSERT_NE(texts, nullptr);
        ASSERT_EQ(texts->size(), 2u);
        EXPECT_EQ((*texts)[0], list.GetItemText(row, 0));
        EXPECT_EQ((*texts)[1] + u" km", list.GetItemText(row, 1));
    }
    EXPECT_EQ(list.NextSelectedRow(-1), 2);
    EXPECT_EQ(list.NextSelectedRow(2), 3);
    EXPECT_EQ(list.NextSelectedRow(3), -1);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 1);
    EXPECT_EQ(list.GetItemText(1, 0), u"ST3");
}

// A sort leaves the view at the top of the new order (the selected row may move out of sight); a
// deleted column takes its texts with it.
TEST_F(SortListTest, ASortShowsTheTopOfTheNewOrderAndADeletedColumnTakesItsTexts) {
    CSortListCtrl& list = createdList(2);
    for (int n = 0; n < 60; ++n) {
        const std::u16string number(1, static_cast<char16_t>(u'0' + n % 10));
        list.InsertRow(n, {u"R" + std::u16string(1, static_cast<char16_t>(u'A' + n / 10)) + number,
                           std::u16string(number)});
    }
    list.SelectRow(0, false);
    list.Sort(0, false);  // row "RA0" is now the last one, the first row "RF9"
    ASSERT_EQ(list.NextSelectedRow(-1), 59);
    CRect client;
    CRect first;
    list.GetClientRect(&client);
    ASSERT_TRUE(list.GetItemRect(0, &first));
    EXPECT_GE(first.top, client.top);
    EXPECT_LT(first.bottom, client.bottom);

    list.Sort(1, true);
    ASSERT_TRUE(list.DeleteColumn(0));
    EXPECT_EQ(list.header().sortColumn(), 0);  // the sorted column moved left with its texts
    ASSERT_NE(list.RowTexts(0), nullptr);
    EXPECT_EQ(list.RowTexts(0)->size(), 1u);
    EXPECT_EQ((*list.RowTexts(0))[0], list.GetItemText(0, 0));
    ASSERT_TRUE(list.DeleteColumn(0));
    EXPECT_EQ(list.header().sortColumn(), -1);
}

// Missing texts sort as empty: texts set short, rows added behind the list's back; inserting a
// column gives every row its shown texts again, and the sorted column's mark moves with it.
TEST_F(SortListTest, RowsWithFewerTextsSortAsEmptyUntilAColumnIsInserted) {
    CSortListCtrl& list = createdList(2);
    list.InsertRow(0, {u"b", u"2"});
    list.InsertRow(1, {u"c", u"1", u"beyond the columns"});
    list.InsertRow(2, {u"a"});
    list.InsertItem(3, u"plain");
    list.SetItemText(3, 1, u"0");
    EXPECT_EQ(list.RowTexts(1)->size(), 2u);
    EXPECT_EQ(list.RowTexts(2)->size(), 2u);
    EXPECT_EQ(list.RowTexts(3), nullptr);

    list.SetRowTexts(0, {u"b"});
    list.Sort(1, true);
    EXPECT_EQ(shown(list), (std::vector<std::string>{"b", "a", "plain", "c"}));
    list.Sort(1, false);
    // Equal texts keep the order they had.
    EXPECT_EQ(shown(list), (std::vector<std::string>{"c", "b", "a", "plain"}));

    ASSERT_EQ(list.InsertColumn(0, u"First", LVCFMT_LEFT, 40), 0);
    EXPECT_EQ(list.header().sortColumn(), 2);
    EXPECT_TRUE(ownerDrawn(list, 2));
    for (int row = 0; row < list.GetItemCount(); ++row) {
        const std::vector<WideString>* texts = list.RowTexts(row);
        ASSERT_NE(texts, nullptr);
        EXPECT_EQ(*texts, (std::vector<WideString>{u"", list.GetItemText(row, 1),
                                                   list.GetItemText(row, 2)}));
    }
    list.Sort(2, true);
    EXPECT_EQ(shown(list, 1), (std::vector<std::string>{"a", "plain", "c", "b"}));
}

TEST_F(SortListTest, DeletingRowsKeepsTheOthersTexts) {
    CSortListCtrl& list = createdList(2);
    for (const char16_t* name : {u"a", u"b", u"c", u"d"})
        list.InsertRow(list.GetItemCount(), {name, u"x" + WideString(name)});
    EXPECT_FALSE(list.DeleteRow(4));
    EXPECT_FALSE(list.DeleteRow(-1));
    EXPECT_TRUE(list.DeleteRow(1));
    EXPECT_TRUE(list.DeleteRow(0));
    ASSERT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(*list.RowTexts(0), (std::vector<WideString>{u"c", u"xc"}));
    EXPECT_EQ(*list.RowTexts(1), (std::vector<WideString>{u"d", u"xd"}));
    EXPECT_TRUE(list.SetRowTexts(1, {u"a"}));
    EXPECT_FALSE(list.SetRowTexts(2, {u"a"}));
    list.Sort(0, true);
    EXPECT_EQ(shown(list), (std::vector<std::string>{"d", "c"}));

    EXPECT_TRUE(list.DeleteAllRows());
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.RowTexts(0), nullptr);
    EXPECT_EQ(list.InsertRow(5, {u"e", u"f"}), 0);
    EXPECT_EQ(*list.RowTexts(0), (std::vector<WideString>{u"e", u"f"}));
    // Rows and texts still held when the window goes are freed with it (the sanitizer build
    // watches).
    EXPECT_TRUE(list.DestroyWindow());
    EXPECT_EQ(list.GetItemCount(), 0);
}

// An index out of range selects the nearest row when asked to clamp and nothing otherwise:
// handed on, -1 would select every row.
TEST_F(SortListTest, SelectRowOutOfRangeClampsOrSelectsNothing) {
    CSortListCtrl& list = createdList(1);
    list.SelectRow(0, true);  // no rows yet
    for (const char16_t* name : {u"a", u"b", u"c"}) list.InsertRow(list.GetItemCount(), {name});
    const struct {
        int index;
        bool clamp;
        int selected;
    } cases[] = {
        {-1, false, -1}, {3, false, -1}, {99, false, -1}, {-1, true, 0},
        {-7, true, 0},   {3, true, 2},   {99, true, 2},   {1, false, 1},
    };
    for (const auto& c : cases) {
        list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        list.SelectRow(c.index, c.clamp);
        EXPECT_EQ(list.NextSelectedRow(-1), c.selected) << c.index << " " << c.clamp;
        EXPECT_EQ(list.GetSelectedCount(), c.selected < 0 ? 0u : 1u);
        EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), c.selected);
    }
}

TEST_F(SortListTest, ATemplateListOrACreatedOneSelectsWholeRows) {
    EXPECT_TRUE(dialog.list.GetExtendedStyle() & LVS_EX_FULLROWSELECT);
    EXPECT_EQ(dialog.list.GetHeaderCtrl(), &dialog.list.header());
    CSortListCtrl& list = createdList(1);
    EXPECT_TRUE(list.GetExtendedStyle() & LVS_EX_FULLROWSELECT);
    EXPECT_EQ(list.GetHeaderCtrl(), &list.header());
    list.SetGridLines(true);
    list.SetFullRowSelect(false);
    EXPECT_EQ(list.GetExtendedStyle(), LVS_EX_GRIDLINES);
}

// ---- The header's arrow ----

/// The pixels of a list as rendered.
class Image {
  public:
    bool render(ScopedTestKit& kit, CWnd& window) {
        dc_.DeleteDC();
        if (!kit.render(window, bitmap_))
            return false;
        dc_.CreateCompatibleDC(nullptr);
        dc_.SelectObject(&bitmap_);
        return true;
    }
    COLORREF at(int x, int y) const { return dc_.GetPixel(x, y); }
    std::vector<COLORREF> pixels(const CRect& rect) const {
        std::vector<COLORREF> result;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x) result.push_back(at(x, y));
        return result;
    }

  private:
    CBitmap bitmap_;
    CDC dc_;
};

TEST_F(SortListTest, TheSortedColumnsHeaderShowsItsDirection) {
    CSortListCtrl& list = createdList(2);
    list.InsertRow(0, {u"1", u"2"});
    // A caption too wide for its space stops before the arrow.
    HDITEM item;
    item.mask = HDI_TEXT;
    item.pszText = u"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW";
    ASSERT_TRUE(list.header().SetItem(0, &item));

    // The right part of each header item (where the arrow goes) in the list's coordinates.
    CRect listRect;
    CRect headerRect;
    list.GetWindowRect(&listRect);
    list.header().GetWindowRect(&headerRect);
    auto arrowArea = [&](int column) {
        CRect rect;
        EXPECT_TRUE(list.header().GetItemRect(column, &rect));
        rect.OffsetRect(headerRect.left - listRect.left, headerRect.top - listRect.top);
        const int unit = rect.Height() / 4;
        EXPECT_GE(unit, 2);
        return CRect(rect.right - 4 * unit, rect.top, rect.right - unit + 1, rect.bottom);
    };

    Image unsorted;
    ASSERT_TRUE(unsorted.render(kit, list));
    list.Sort(0, true);
    Image up;
    ASSERT_TRUE(up.render(kit, list));
    list.Sort(0, false);
    Image down;
    ASSERT_TRUE(down.render(kit, list));
    list.Sort(1, true);
    Image other;
    ASSERT_TRUE(other.render(kit, list));

    const std::vector<COLORREF> upArrow = up.pixels(arrowArea(0));
    EXPECT_NE(upArrow, down.pixels(arrowArea(0)));
    for (int colour : {COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT}) {
        EXPECT_NE(std::count(upArrow.begin(), upArrow.end(), GetSysColor(colour)), 0)
            << "colour " << colour;
    }
    for (COLORREF pixel : upArrow) {
        EXPECT_TRUE(pixel == GetSysColor(COLOR_BTNFACE) || pixel == GetSysColor(COLOR_BTNSHADOW) ||
                    pixel == GetSysColor(COLOR_BTNHIGHLIGHT))
            << std::hex << pixel;
    }
    // The unsorted column draws as before; the column sorted before draws plainly again.
    EXPECT_EQ(up.pixels(arrowArea(1)), unsorted.pixels(arrowArea(1)));
    EXPECT_EQ(down.pixels(arrowArea(1)), unsorted.pixels(arrowArea(1)));
    EXPECT_EQ(other.pixels(arrowArea(0)), unsorted.pixels(arrowArea(0)));
    EXPECT_NE(other.pixels(arrowArea(1)), unsorted.pixels(arrowArea(1)));
}

}  // namespace
}  // namespace zentrix::ui
