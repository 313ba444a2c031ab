// Dialogs from templates: geometry in dialog units of the dialog font, the screen's resolution,
// and data exchange.
#include "framework/dialog.h"

#include <gtest/gtest.h>

#include <cmath>

#include "framework/controls.h"
#include "framework/dialog_template.h"
#include "framework/property_sheet.h"
#include "framework/resources.h"
#include "framework/test_kit.h"
#include "resources/resource_ids.h"

namespace zentrix::framework {
namespace {

CRect childRect(CDialog& dialog, CWnd* child) {
    CRect r;
    child->GetWindowRect(&r);
    dialog.ScreenToClient(&r);
    return r;
}

// The platform's base units measured independently, through the drawing layer.
CSize measuredBaseUnits(const DialogTemplate& t, int dpi) {
    CFont font;
    LOGFONT lf;
    lf.lfHeight = -static_cast<LONG>(std::lround(t.fontPoints * dpi / 72.0));
    setFaceName(lf, t.fontFace);
    font.CreateFontIndirect(&lf);
    CDC dc;
    CBitmap bitmap;
    dc.CreateCompatibleDC(nullptr);
    bitmap.CreateCompatibleBitmap(&dc, 8, 8);
    dc.SelectObject(&bitmap);
    dc.SelectObject(&font);
    CSize letters = dc.GetTextExtent(u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    TEXTMETRIC tm;
    dc.GetTextMetrics(&tm);
    return {(letters.cx / 26 + 1) / 2, tm.tmHeight};
}

int units(int value, int base, int divisor) {
    return static_cast<int>(std::floor(static_cast<double>(value) * base / divisor + 0.5));
}

TEST(DialogGeometry, ControlsLandWhereTheTemplateSaysForTheDialogFont) {
    for (int dpi : {96, 192}) {
        SCOPED_TRACE(dpi);
        ScopedTestKit kit;
        kit.setScreenDpi(dpi);
        CDialog dialog(IDD_SAMPLE);
        ASSERT_TRUE(kit.open(dialog));
        const DialogTemplate* t = dialog.GetTemplate();
        ASSERT_NE(t, nullptr);
        const CSize base = measuredBaseUnits(*t, dpi);
        EXPECT_EQ(dialog.GetDialogBaseUnits(), base);
        CRect client;
        dialog.GetClientRect(&client);
        EXPECT_EQ(client.Width(), units(t->size.cx, base.cx, 4));
        EXPECT_EQ(client.Height(), units(t->size.cy, base.cy, 8));
        int checked = 0;
        for (const ControlTemplate& c : t->controls) {
            if (c.id == IDC_STATIC)
                continue;
            SCOPED_TRACE(c.name);
            CWnd* control = dialog.GetDlgItem(c.id);
            ASSERT_NE(control, nullptr);
            const CRect r = childRect(dialog, control);
            EXPECT_EQ(r.left, units(c.rect.left, base.cx, 4));
            EXPECT_EQ(r.top, units(c.rect.top, base.cy, 8));
            EXPECT_EQ(r.right, units(c.rect.right, base.cx, 4));
            if (c.controlClass != ControlClass::ComboBox) {
                EXPECT_EQ(r.bottom, units(c.rect.bottom, base.cy, 8));
            } else {
                // Closed, a combo is one line high whatever its list's height.
                EXPECT_LT(r.Height(), units(c.rect.Height(), base.cy, 8));
                EXPECT_GE(r.Height(), base.cy);
            }
            ++checked;
        }
        EXPECT_EQ(checked, 13);
    }
}

TEST(DialogGeometry, DialogsAndSheetsFitTheHandheldScreenAtEitherResolution) {
    struct Screen {
        int dpi;
        int width;
        int height;
    };
    for (Screen screen : {Screen{96, 240, 320}, Screen{192, 480, 640}}) {
        SCOPED_TRACE(screen.dpi);
        ScopedTestKit kit;
        kit.setScreenDpi(screen.dpi);
        CDialog dialog(IDD_SAMPLE);
        ASSERT_TRUE(kit.open(dialog));
        CRect client;
        dialog.GetClientRect(&client);
        EXPECT_LE(client.Width(), screen.width);
        EXPECT_LE(client.Height(), screen.height);
        // Large enough to be the handheld dialog and not a shrunken one.
        EXPECT_GE(client.Width(), screen.width * 8 / 10);
        for (const ControlTemplate& c : dialog.GetTemplate()->controls) {
            if (c.id == IDC_STATIC)
                continue;
            const CRect r = childRect(dialog, dialog.GetDlgItem(c.id));
            EXPECT_EQ(r.IntersectWith(client), r) << c.name;
            // A finger needs buttons at least 5 mm tall.
            if (c.controlClass == ControlClass::Button &&
                (c.style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON) {
                EXPECT_GE(r.Height() * 25.4 / screen.dpi, 5.0) << c.name;
            }
        }

        CPropertyPage general(IDD_SAMPLE_PAGE_GENERAL);
        CPropertyPage output(IDD_SAMPLE_PAGE_OUTPUT);
        CPropertySheet sheet(u"Sample");
        sheet.AddPage(&general);
        sheet.AddPage(&output);
        ASSERT_TRUE(kit.open(sheet));
        CRect sheetClient;
        sheet.GetClientRect(&sheetClient);
        EXPECT_LE(sheetClient.Width(), screen.width);
        EXPECT_LE(sheetClient.Height(), screen.height);
        CRect page;
        general.GetClientRect(&page);
        EXPECT_EQ(page.Size(), dialogTemplatePixelSize(IDD_SAMPLE_PAGE_GENERAL));
    }
    // Twice the resolution gives twice the size, give or take the font's rounding.
    ScopedTestKit kit;
    kit.setScreenDpi(96);
    const CSize small = dialogTemplatePixelSize(IDD_SAMPLE);
    kit.setScreenDpi(192);
    const CSize large = dialogTemplatePixelSize(IDD_SAMPLE);
    EXPECT_NEAR(large.cx, 2 * small.cx, small.cx / 10);
    EXPECT_NEAR(large.cy, 2 * small.cy, small.cy / 10);
    EXPECT_EQ(ScaleX(10), 20);
}

class SampleDialog : public CDialog {
  public:
    SampleDialog() : CDialog(IDD_SAMPLE) {}
    WideString name = u"base 1";
    int port = 2101;
    int useSbas = 1;
    int unit = 1;
    int mode = 2;
    WideString host = u"caster.example.org";
    CComboBox hostCombo;

    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, IDC_SAMPLE_HOST, hostCombo);
        DDX_Text(dx, IDC_SAMPLE_NAME, name);
        DDV_MaxChars(dx, name, 8);
        DDX_Text(dx, IDC_SAMPLE_PORT, port);
        DDV_MinMaxInt(dx, port, 1, 65535);
        DDX_Check(dx, IDC_SAMPLE_CHECK, useSbas);
        DDX_Radio(dx, IDC_SAMPLE_METRES, unit);
        DDX_CBIndex(dx, IDC_SAMPLE_MODE, mode);
        DDX_CBString(dx, IDC_SAMPLE_HOST, host);
    }
};

TEST(DialogDataExchange, MembersGoToTheControlsAndComeBackOnOk) {
    ScopedTestKit kit;
    SampleDialog dialog;
    kit.queueModalHandler([&](CWnd&) {
        EXPECT_EQ(dialog.GetDlgItemText(IDC_SAMPLE_NAME), u"base 1");
        EXPECT_EQ(dialog.GetDlgItemText(IDC_SAMPLE_PORT), u"2101");
        EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_SAMPLE_CHECK), 1);
        EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_SAMPLE_FEET), 1);
        EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_SAMPLE_METRES), 0);
        EXPECT_EQ(dialog.hostCombo.GetCurSel(), 0);  // sorted: caster before rtk
        EXPECT_EQ(dialog.GetDlgItem(IDC_SAMPLE_HOST), &dialog.hostCombo);

        kit.type(dialog, IDC_SAMPLE_NAME, u"rover 123");  // cut at DDV_MaxChars' 8
        kit.type(dialog, IDC_SAMPLE_PORT, u"80x81");      // the letter is refused
        kit.click(dialog, IDC_SAMPLE_CHECK);
        kit.click(dialog, IDC_SAMPLE_METRES);
        kit.selectComboItem(dialog, IDC_SAMPLE_MODE, 0);
        kit.type(dialog, IDC_SAMPLE_HOST, u"ntrip.local");
        kit.click(dialog, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.name, u"rover 12");
    EXPECT_EQ(dialog.port, 8081);
    EXPECT_EQ(dialog.useSbas, 0);
    EXPECT_EQ(dialog.unit, 0);
    EXPECT_EQ(dialog.mode, 0);
    EXPECT_EQ(dialog.host, u"ntrip.local");
    EXPECT_FALSE(dialog.IsWindow());
    EXPECT_FALSE(dialog.hostCombo.IsWindow());
}

TEST(DialogDataExchange, AnInvalidFieldKeepsTheDialogOpen) {
    ScopedTestKit kit;
    SampleDialog dialog;
    ASSERT_TRUE(kit.open(dialog));
    kit.type(dialog, IDC_SAMPLE_PORT, u"");
    EXPECT_TRUE(kit.click(dialog, IDOK));
    EXPECT_EQ(dialog.GetResult(), -1);
    ASSERT_EQ(kit.messageBoxes().size(), 1u);
    EXPECT_EQ(kit.messageBoxes()[0].text, u"Please enter an integer.");
    kit.type(dialog, IDC_SAMPLE_PORT, u"70000");
    EXPECT_TRUE(kit.click(dialog, IDOK));
    EXPECT_EQ(dialog.GetResult(), -1);
    ASSERT_EQ(kit.messageBoxes().size(), 2u);
    EXPECT_EQ(kit.messageBoxes()[1].text, u"Please enter an integer between 1 and 65535.");
    kit.type(dialog, IDC_SAMPLE_PORT, u"7");
    EXPECT_TRUE(kit.click(dialog, IDCANCEL));
    EXPECT_EQ(dialog.GetResult(), IDCANCEL);
    // As on the platform, a field is stored before its check fails; Cancel then stores nothing.
    EXPECT_EQ(dialog.port, 70000);
}

}  // namespace
}  // namespace zentrix::framework
