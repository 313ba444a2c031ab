// The resource data formats, the built-in resources and the language library that replaces
// them.
#include "framework/resources.h"

#include <gtest/gtest.h>

#include "framework/dialog.h"
#include "framework/dialog_template.h"
#include "framework/property_sheet.h"
#include "framework/resource_format.h"
#include "framework/test_kit.h"
#include "resources/resource_ids.h"

namespace zentrix::framework {
namespace {

TEST(ResourceFormat, BrokenFilesAreRefusedWithTheirLine) {
    struct Row {
        const char* legend;
        const char* text;
        const char* error;  // empty: accepted
    };
    const Row dialogs[] = {
        {"minimal", "DIALOG IDD_A 1 10 10\nEND\n", ""},
        {"comment and commas",
         "DIALOG IDD_A, 1, 10, 10 # note\n  LTEXT \"a#b\", IDC_STATIC, -1, 0, 0, 5, 5\nEND", ""},
        {"no END", "DIALOG IDD_A 1 10 10\n", "x: END missing after IDD_A"},
        {"control outside", "LTEXT \"a\" IDC_STATIC -1 0 0 5 5\n", "x:1: 'LTEXT' outside"},
        {"unknown style", "DIALOG IDD_A 1 10 10\n  EDITTEXT IDC_E 5 0 0 5 5 ES_NUMBR\nEND",
         "x:2: unknown style 'ES_NUMBR'"},
        {"short control", "DIALOG IDD_A 1 10 10\n  EDITTEXT IDC_E 5 0 0 5\nEND", "x:2: expected"},
        {"id too large", "DIALOG IDD_A 1 10 10\n  EDITTEXT IDC_E 70000 0 0 5 5\nEND", "x:2:"},
        {"duplicate control",
         "DIALOG IDD_A 1 10 10\n  EDITTEXT IDC_E 5 0 0 5 5\n  EDITTEXT IDC_F 5 0 0 5 5\nEND",
         "x:3: control 5 twice"},
        {"item first", "DIALOG IDD_A 1 10 10\n  ITEM \"x\"\nEND", "x:2: ITEM before"},
        {"open quote", "DIALOG IDD_A 1 10 10\nCAPTION \"x\nEND", "x:2: unterminated"},
        {"nested", "DIALOG IDD_A 1 10 10\nDIALOG IDD_B 2 10 10\nEND", "x:2: DIALOG inside"},
        {"zero size", "DIALOG IDD_A 1 0 10\nEND", "x:1: expected"},
    };
    for (const Row& row : dialogs) {
        auto parsed = parseDialogs(row.text, "x");
        if (*row.error == '\0') {
            EXPECT_TRUE(parsed.ok()) << row.legend << ": " << parsed.error;
        } else {
            EXPECT_EQ(parsed.error.rfind(row.error, 0), 0u) << row.legend << ": " << parsed.error;
        }
    }
    EXPECT_FALSE(parseStringTable("IDS_A 1 \"a\"\nIDS_B 1 \"b\"\n", "s").ok());
    EXPECT_FALSE(parseStringTable("IDS_A 1 unquoted\n", "s").ok());
    EXPECT_FALSE(parseBitmapList("PICTURE IDB_A 1 \"a.png\"\n", "b").ok());
}

TEST(ResourceFormat, StylesTypesItemsAndEscapesAreRead) {
    auto parsed = parseDialogs(
        "DIALOG IDD_A 7 100 50 DS_CENTER\n"
        "CAPTION \"Say \\\"hi\\\"\\n\"\n"
        "FONT 9 \"Arial\"\n"
        "  COMBOBOX IDC_C 10 1 2 30 40 CBS_DROPDOWN | CBS_SORT\n"
        "    ITEM \"one\"\n"
        "    ITEM \"tw\xC3\xB6\"\n"
        "  LISTVIEW IDC_L 11 0 0 10 10 LVS_ICON NOT WS_VISIBLE\n"
        "END\n",
        "x");
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    const DialogTemplate& d = parsed.entries.at(0);
    EXPECT_EQ(d.caption, u"Say \"hi\"\n");
    EXPECT_EQ(d.fontPoints, 9);
    EXPECT_EQ(d.fontFace, u"Arial");
    EXPECT_TRUE(d.style & DS_CENTER);
    const ControlTemplate* combo = d.control(10);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->style & CBS_TYPEMASK, CBS_DROPDOWN);  // replaces the default type
    EXPECT_TRUE(combo->style & CBS_SORT);
    EXPECT_EQ(combo->rect, CRect(1, 2, 31, 42));
    EXPECT_EQ(combo->items, (std::vector<WideString>{u"one", u"tw\u00F6"}));
    const ControlTemplate* list = d.control(11);
    EXPECT_EQ(list->style & LVS_TYPEMASK, LVS_ICON);
    EXPECT_FALSE(list->style & WS_VISIBLE);
}

TEST(ResourceFormat, AnIdNameMeansOneNumberEverywhere) {
    auto dialogs = parseDialogs(
        "DIALOG IDD_A 1 10 10\n  EDITTEXT IDC_E 5 0 0 5 5\nEND\n"
        "DIALOG IDD_B 2 10 10\n  EDITTEXT IDC_E 5 0 0 5 5\n  PUSHBUTTON \"OK\" IDOK 1 0 0 5 "
        "5\nEND\n",
        "d");
    ASSERT_TRUE(dialogs.ok());
    std::map<std::string, UINT> ids;
    EXPECT_EQ(collectIds({}, dialogs.entries, {}, ids), "");
    EXPECT_EQ(ids.at("IDC_E"), 5u);
    EXPECT_EQ(ids.count("IDOK"), 0u);
    auto strings = parseStringTable("IDC_E 6 \"clash\"\n", "s");
    ids.clear();
    EXPECT_EQ(collectIds(strings.entries, dialogs.entries, {}, ids), "IDC_E is both 6 and 5");
    auto badOk =
        parseDialogs("DIALOG IDD_C 3 10 10\n  PUSHBUTTON \"OK\" IDOK 9 0 0 5 5\nEND\n", "d");
    ids.clear();
    EXPECT_EQ(collectIds({}, badOk.entries, {}, ids), "IDOK must be 1");
}

TEST(BuiltInResources, StringsDialogsAndImagesAreThereUnderTheirIds) {
    EXPECT_EQ(loadString(IDS_SAMPLE_GREETING), u"Hello from the string table");
    EXPECT_EQ(loadString(12345), u"");
    EXPECT_FALSE(hasString(12345));
    const DialogTemplate* t = findDialogTemplate(IDD_SAMPLE);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->caption, u"Sample Dialog");
    EXPECT_EQ(t->control(IDC_SAMPLE_MODE)->items.size(), 3u);
    EXPECT_EQ(findDialogTemplate(4), nullptr);
    auto icon = bitmapResourceBytes(IDI_SAMPLE);
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(icon->substr(1, 3), "PNG");
    EXPECT_FALSE(bitmapResourceBytes(1).has_value());
    const auto ids = builtInDialogIds();
    EXPECT_NE(std::find(ids.begin(), ids.end(), IDD_SAMPLE_PAGE_EXTRA), ids.end());
}

// A translated pattern may reorder its inserts; one that asks for more than the program gives
// (a language library's mistake) shows the directive as it stands rather than reading past them.
TEST(BuiltInResources, PatternsTakeTheirInsertsByNumber) {
    EXPECT_EQ(formatPattern(u"Port %1: %2", {u"COM3", u"/dev/ttyS2"}), u"Port COM3: /dev/ttyS2");
    EXPECT_EQ(formatPattern(u"%2 (%1)", {u"a", u"b"}), u"b (a)");
    EXPECT_EQ(formatPattern(u"%1 %3 %d %s 100%", {u"x"}), u"x %3 %d %s 100%");
    EXPECT_EQ(formatPattern(u"%1%1", {u"ab"}), u"abab");
}

TEST(LanguageLibrary, ReplacesStringsAndDialogsUnderTheSameIds) {
    ScopedTestKit kit;
    EXPECT_FALSE(loadLanguageLibrary("/nonexistent/Lang/KlingonLang.so"));
    EXPECT_FALSE(loadLanguageLibrary(ZENTRIX_BROKEN_LANGUAGE_LIBRARY));
    EXPECT_EQ(loadString(IDS_SAMPLE_GREETING), u"Hello from the string table");

    ASSERT_TRUE(loadLanguageLibrary(ZENTRIX_LANGUAGE_LIBRARY));
    EXPECT_EQ(loadString(IDS_SAMPLE_GREETING), u"Gr\u00FC\u00DFe aus der Tabelle");
    EXPECT_EQ(loadString(IDS_SAMPLE_SHEET), u"Sample Sheet");  // not replaced
    {
        CDialog dialog(IDD_SAMPLE_PAGE_EXTRA);
        ASSERT_TRUE(kit.open(dialog));
        EXPECT_EQ(dialog.GetWindowText(), u"Weiteres");
        CDialog untouched(IDD_SAMPLE_PAGE_OUTPUT);
        ASSERT_TRUE(kit.open(untouched));
        EXPECT_EQ(untouched.GetWindowText(), u"Output");
        // A page's tab is named by its dialog's caption, so it follows the language too.
        CPropertyPage page(IDD_SAMPLE_PAGE_EXTRA);
        EXPECT_EQ(page.GetCaption(), u"Weiteres");
        CPropertyPage named(IDD_SAMPLE_PAGE_EXTRA, IDS_SAMPLE_GREETING);
        EXPECT_EQ(named.GetCaption(), u"Gr\u00FC\u00DFe aus der Tabelle");
    }
    unloadLanguageLibrary();
    EXPECT_EQ(loadString(IDS_SAMPLE_GREETING), u"Hello from the string table");
    EXPECT_EQ(findDialogTemplate(IDD_SAMPLE_PAGE_EXTRA)->caption, u"Extra");
}

}  // namespace
}  // namespace zentrix::framework
