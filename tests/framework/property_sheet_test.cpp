// Property sheets call their pages in the framework's order; these tests record the calls of
// every page and compare the transcript as a whole.
#include "framework/property_sheet.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "framework/test_kit.h"
#include "resources/resource_ids.h"

namespace zentrix::framework {
namespace {

using Transcript = std::vector<std::string>;

class RecordingPage : public CPropertyPage {
  public:
    RecordingPage(std::string name, UINT templateId, Transcript& transcript)
        : CPropertyPage(templateId), name_(std::move(name)), transcript_(transcript) {}

    bool refuseActivation = false;
    bool refuseLeaving = false;
    bool refuseApply = false;
    bool refuseCancel = false;

    CRect clientAtInit;
    bool OnInitDialog() override {
        record("InitDialog");
        GetClientRect(&clientAtInit);
        return CPropertyPage::OnInitDialog();
    }
    bool OnSetActive() override {
        CPropertyPage::OnSetActive();
        record(refuseActivation ? "SetActive refused" : "SetActive");
        return !refuseActivation;
    }
    bool OnKillActive() override {
        record(refuseLeaving ? "KillActive refused" : "KillActive");
        return !refuseLeaving && CPropertyPage::OnKillActive();
    }
    bool OnApply() override {
        record(refuseApply ? "Apply refused" : "Apply");
        return !refuseApply && CPropertyPage::OnApply();
    }
    void OnOK() override { record("OK"); }
    void OnReset() override {
        record("Reset");
        CPropertyPage::OnReset();
    }
    void OnCancel() override { record("Cancel"); }
    bool OnQueryCancel() override {
        record(refuseCancel ? "QueryCancel refused" : "QueryCancel");
        return !refuseCancel;
    }
    void OnDestroy() override { record("Destroy"); }

  private:
    void record(const std::string& what) { transcript_.push_back(name_ + ": " + what); }
    std::string name_;
    Transcript& transcript_;
};

class PropertySheetTest : public ::testing::Test {
  protected:
    ScopedTestKit kit;
    Transcript transcript;
    RecordingPage a{"A", IDD_SAMPLE_PAGE_GENERAL, transcript};
    RecordingPage b{"B", IDD_SAMPLE_PAGE_OUTPUT, transcript};
    RecordingPage c{"C", IDD_SAMPLE_PAGE_EXTRA, transcript};
    CPropertySheet sheet{u"Sheet"};

    Transcript take() { return std::exchange(transcript, {}); }
};

TEST_F(PropertySheetTest, PagesAreMadeWhenFirstShownAndRefusalsKeepTheSheetWhereItIs) {
    sheet.AddPage(&a);
    sheet.AddPage(&b);
    sheet.AddPage(&c);
    ASSERT_TRUE(kit.open(sheet));
    EXPECT_EQ(take(), (Transcript{"A: InitDialog", "A: SetActive"}));
    EXPECT_FALSE(b.IsWindow());
    EXPECT_FALSE(c.IsWindow());

    EXPECT_TRUE(kit.switchPage(sheet, 2));
    EXPECT_EQ(take(), (Transcript{"A: KillActive", "C: InitDialog", "C: SetActive"}));
    // Every page fills the page area from its OnInitDialog on, whatever its template's size.
    CRect area;
    a.GetClientRect(&area);
    EXPECT_EQ(c.clientAtInit, area);
    EXPECT_EQ(a.clientAtInit, area);

    // B refuses to become active: its window is made, the sheet stays on C.
    b.refuseActivation = true;
    EXPECT_FALSE(kit.switchPage(sheet, 1));
    EXPECT_EQ(take(), (Transcript{"C: KillActive", "B: InitDialog", "B: SetActive refused"}));
    EXPECT_EQ(sheet.GetActiveIndex(), 2);
    EXPECT_EQ(sheet.GetTabControl()->GetCurSel(), 2);
    EXPECT_TRUE(c.IsWindowVisible());
    EXPECT_FALSE(b.IsWindowVisible());

    // C refuses to be left.
    c.refuseLeaving = true;
    EXPECT_FALSE(kit.switchPage(sheet, 0));
    EXPECT_EQ(take(), (Transcript{"C: KillActive refused"}));
    EXPECT_EQ(sheet.GetActiveIndex(), 2);

    // OK asks only the current page to let go, then applies every page with a window, in
    // page order, B included.
    c.refuseLeaving = false;
    EXPECT_TRUE(kit.click(sheet, IDOK));
    EXPECT_EQ(take(), (Transcript{"C: KillActive", "A: Apply", "A: OK", "B: Apply", "B: OK",
                                  "C: Apply", "C: OK"}));
}

TEST_F(PropertySheetTest, CancelResetsTheMadePagesAndAppliesNothing) {
    sheet.AddPage(&a);
    sheet.AddPage(&b);
    sheet.AddPage(&c);
    kit.queueModalHandler([&](CWnd&) {
        kit.switchPage(sheet, 1);
        c.refuseCancel = true;  // never asked: C was never made
        b.refuseCancel = true;
        kit.click(sheet, IDCANCEL);
        EXPECT_TRUE(sheet.IsWindowVisible());
        b.refuseCancel = false;
        kit.click(sheet, IDCANCEL);
    });
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_EQ(take(),
              (Transcript{"A: InitDialog", "A: SetActive", "A: KillActive", "B: InitDialog",
                          "B: SetActive", "B: QueryCancel refused", "B: QueryCancel", "A: Reset",
                          "A: Cancel", "B: Reset", "B: Cancel", "A: Destroy", "B: Destroy"}));
    EXPECT_FALSE(a.IsWindow());
    EXPECT_FALSE(b.IsWindow());
}

TEST_F(PropertySheetTest, ARefusedApplyKeepsTheSheetOpenAndAModalRunEndsWithOk) {
    sheet.AddPage(&a);
    sheet.AddPage(&b);
    kit.queueModalHandler([&](CWnd&) {
        kit.switchPage(sheet, 1);
        a.refuseApply = true;
        kit.click(sheet, IDOK);
        EXPECT_TRUE(sheet.IsWindowVisible());
        a.refuseApply = false;
        kit.click(sheet, IDOK);
    });
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_EQ(take(),
              (Transcript{"A: InitDialog", "A: SetActive", "A: KillActive", "B: InitDialog",
                          "B: SetActive", "B: KillActive", "A: Apply refused", "B: KillActive",
                          "A: Apply", "A: OK", "B: Apply", "B: OK", "A: Destroy", "B: Destroy"}));
    EXPECT_EQ(kit.unansweredModals(), 0);
}

TEST_F(PropertySheetTest, PagesComeAndGoWhileTheSheetIsOpen) {
    sheet.AddPage(&a);
    sheet.AddPage(&b);
    ASSERT_TRUE(kit.open(sheet));
    take();

    sheet.AddPage(&c);
    EXPECT_EQ(sheet.GetPageCount(), 3);
    EXPECT_EQ(sheet.GetTabControl()->GetItemCount(), 3);
    EXPECT_EQ(sheet.GetTabControl()->GetItemText(2), u"Extra");
    EXPECT_FALSE(c.IsWindow());
    EXPECT_TRUE(take().empty());

    // Removing the current (first) page moves to its right neighbour, even if it refuses.
    a.refuseLeaving = true;
    sheet.RemovePage(&a);
    EXPECT_EQ(take(),
              (Transcript{"A: KillActive refused", "B: InitDialog", "B: SetActive", "A: Destroy"}));
    EXPECT_EQ(sheet.GetPageCount(), 2);
    EXPECT_EQ(sheet.GetActivePage(), &b);
    EXPECT_EQ(sheet.GetActiveIndex(), 0);
    EXPECT_EQ(sheet.GetTabControl()->GetCurSel(), 0);

    // Removing a page that is not current only drops it.
    EXPECT_TRUE(kit.switchPage(sheet, 1));
    sheet.RemovePage(0);
    EXPECT_EQ(take(), (Transcript{"B: KillActive", "C: InitDialog", "C: SetActive", "B: Destroy"}));
    EXPECT_EQ(sheet.GetActivePage(), &c);
    EXPECT_EQ(sheet.GetActiveIndex(), 0);

    // Apply now: the current page lets go and every made page applies; the sheet stays open.
    EXPECT_TRUE(sheet.PressButton(PSBTN_APPLYNOW));
    EXPECT_EQ(take(), (Transcript{"C: KillActive", "C: Apply", "C: OK"}));
    EXPECT_TRUE(sheet.IsWindowVisible());

    // The only page stays.
    sheet.RemovePage(&c);
    EXPECT_EQ(sheet.GetPageCount(), 1);
    EXPECT_TRUE(c.IsWindowVisible());
}

TEST_F(PropertySheetTest, TheStartPageIsTheOnlyOneMadeAndASecondRunStartsAfresh) {
    sheet.AddPage(&a);
    sheet.AddPage(&b);
    sheet.SetActivePage(1);
    kit.queueModalHandler([&](CWnd&) { kit.click(sheet, IDOK); });
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_EQ(take(), (Transcript{"B: InitDialog", "B: SetActive", "B: KillActive", "B: Apply",
                                  "B: OK", "B: Destroy"}));
    // Without an answer the kit cancels a modal sheet rather than hang the test.
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_EQ(kit.unansweredModals(), 1);
    EXPECT_EQ(take(), (Transcript{"B: InitDialog", "B: SetActive", "B: Destroy"}));
}

}  // namespace
}  // namespace zentrix::framework
