// What a user sees of the windows on a desktop with a window manager: icons drawn with their
// mask (never the magenta that marks it), dialogs centred over their owner and others on the
// screen, fixed-size windows without a maximise button, and icon captions wrapped onto two lines.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <cstdlib>

#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/image_list.h"
#include "framework/list_ctrl.h"
#include "framework/property_sheet.h"
#include "framework/qt_drawing.h"
#include "framework/qt_window.h"
#include "framework/test_kit.h"
#include "framework/win_app.h"
#include "resources/resource_ids.h"

namespace zentrix::framework {
namespace {

int opaqueMagentaPixels(const QImage& image) {
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int y = 0; y < pixels.height(); ++y) {
        for (int x = 0; x < pixels.width(); ++x) {
            const QRgb pixel = pixels.pixel(x, y);
            if (qAlpha(pixel) != 0 && (pixel & 0xFFFFFF) == 0xFF00FF)
                ++count;
        }
    }
    return count;
}

// Every pixmap the icon carries, and the one a title bar asks it for.
int opaqueMagentaPixels(const QIcon& icon) {
    int count = opaqueMagentaPixels(icon.pixmap(32, 32).toImage());
    for (const QSize& size : icon.availableSizes())
        count += opaqueMagentaPixels(icon.pixmap(size).toImage());
    return count;
}

QPointF centreOf(const QRect& rect) {
    return QRectF(rect).center();
}

QPointF centreOf(const QWidget& window) {
    return centreOf(window.frameGeometry());
}

// Centred to the pixel (halves round either way); Qt's own placement of a box may be a pixel more
// off.
void expectCentredOver(const QWidget& window, QPointF centre, double tolerance = 1) {
    const QPointF at = centreOf(window);
    EXPECT_LE(std::abs(at.x() - centre.x()), tolerance) << at.x() << " " << centre.x();
    EXPECT_LE(std::abs(at.y() - centre.y()), tolerance) << at.y() << " " << centre.y();
}

MessageBoxRecord boxOf(UINT type) {
    MessageBoxRecord box;
    box.text = u"Cannot connect GPS\n\nPort COM3: /dev/ttyS2";
    box.caption = u"GNSS Zentrix";
    box.type = type;
    return box;
}

class SampleSheet : public CPropertySheet {
  public:
    explicit SampleSheet(CWnd* parent = nullptr) : CPropertySheet(IDS_SAMPLE_SHEET, parent) {
        AddPage(&general_);
        AddPage(&output_);
    }

  private:
    CPropertyPage general_{IDD_SAMPLE_PAGE_GENERAL};
    CPropertyPage output_{IDD_SAMPLE_PAGE_OUTPUT};
};

TEST(DesktopIcons, TitleBarsBoxesIconControlsAndImageListsShowNoMaskColour) {
    ScopedTestKit kit;
    // The sample icon is transparent where it has the mask colour, as the program's icon is.
    CBitmap icon;
    ASSERT_TRUE(icon.LoadBitmap(IDI_SAMPLE));
    ASSERT_GT(opaqueMagentaPixels(imageOf(icon)), 0);

    setApplicationIcon(IDI_SAMPLE);
    EXPECT_EQ(opaqueMagentaPixels(QApplication::windowIcon()), 0);

    CDialog dialog{IDD_SAMPLE};
    ASSERT_TRUE(kit.open(dialog));
    dialog.SetIcon(IDI_SAMPLE, true);
    EXPECT_EQ(opaqueMagentaPixels(dialog.widget()->windowIcon()), 0);

    for (const UINT type : {MB_OK, MB_ICONINFORMATION, MB_ICONHAND, MB_YESNO | MB_ICONQUESTION}) {
        SCOPED_TRACE(type);
        const std::unique_ptr<QMessageBox> box = createMessageBox(dialog.widget(), boxOf(type));
        EXPECT_EQ(opaqueMagentaPixels(box->windowIcon()), 0);
        EXPECT_EQ(opaqueMagentaPixels(box->iconPixmap().toImage()), 0);
    }

    // A page with an ICON control, on its own and at twice the scale.
    for (const int dpi : {96, 192}) {
        SCOPED_TRACE(dpi);
        kit.setScreenDpi(dpi);
        CDialog page{IDD_SAMPLE_PAGE_GENERAL};
        ASSERT_TRUE(kit.open(page));
        CBitmap shown;
        ASSERT_TRUE(kit.render(page, shown));
        EXPECT_EQ(opaqueMagentaPixels(imageOf(shown)), 0);
    }
    kit.setScreenDpi(96);

    CImageList list;
    ASSERT_TRUE(list.Create(16, 16, ILC_COLOR24, 1, 1));
    ASSERT_EQ(list.AddIcon(&icon), 0);
    EXPECT_EQ(opaqueMagentaPixels(imageListImage(list, 0)), 0);
    EXPECT_GT(
        qAlpha(imageListImage(list, 0).pixel(8, 8)) + qAlpha(imageListImage(list, 0).pixel(0, 0)),
        0);
}

TEST(DesktopPlacement, TheCentreOfTheOwnerOrOfTheScreenInsideTheScreen) {
    const QRect screen(0, 0, 1000, 800);
    const QRect owner(100, 100, 200, 300);
    const QRect nearEdge(900, 700, 100, 100);
    struct Case {
        const char* what;
        QSize size;
        const QRect* owner;
        QPoint expected;
    } cases[] = {
        {"over its owner", QSize(100, 50), &owner, QPoint(150, 225)},
        {"bigger than its owner", QSize(400, 400), &owner, QPoint(0, 50)},
        {"owner at the screen's corner", QSize(300, 200), &nearEdge, QPoint(700, 600)},
        {"no owner", QSize(200, 100), nullptr, QPoint(400, 350)},
        {"bigger than the screen", QSize(1200, 900), nullptr, QPoint(0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(centredWindowPosition(c.size, c.owner, screen), c.expected);
    }
}

TEST(DesktopPlacement, DialogsSitCentredOverTheirOwnerAndWindowsWithoutOneOnTheScreen) {
    ScopedTestKit kit;
    CDialog owner{IDD_SAMPLE_MENU};
    ASSERT_TRUE(kit.open(owner));
    const QRect screen = owner.widget()->screen()->availableGeometry();
    // Without an owner the window itself is centred: its frame is not known before it shows.
    EXPECT_EQ(centreOf(owner.widget()->geometry()), centreOf(screen));

    // The owner away from the screen's middle: what it opens follows it.
    CRect ownerRect;
    owner.GetWindowRect(&ownerRect);
    owner.MoveWindow(screen.left() + 40, screen.top() + 30, ownerRect.Width(), ownerRect.Height());
    kit.processEvents();
    const QPointF ownerCentre = centreOf(*owner.widget());
    ASSERT_GT(std::abs(ownerCentre.x() - centreOf(screen).x()), 20);

    CDialog modeless{IDD_SAMPLE_PAGE_OUTPUT};
    ASSERT_TRUE(kit.open(modeless, &owner));
    expectCentredOver(*modeless.widget(), ownerCentre);

    bool checked = false;
    kit.queueModalHandler([&](CWnd& window) {
        expectCentredOver(*window.widget(), ownerCentre);
        checked = true;
        static_cast<CDialog&>(window).EndDialog(IDOK);
    });
    CDialog modal{IDD_SAMPLE_PAGE_GENERAL, &owner};
    EXPECT_EQ(modal.DoModal(), IDOK);
    EXPECT_TRUE(checked);

    SampleSheet sheet(&owner);
    ASSERT_TRUE(kit.open(sheet, &owner));
    expectCentredOver(*sheet.widget(), ownerCentre);

    const std::unique_ptr<QMessageBox> box =
        createMessageBox(owner.widget(), boxOf(MB_OK | MB_ICONHAND));
    EXPECT_EQ(box->parentWidget(), owner.widget());
    box->show();
    kit.processEvents();
    expectCentredOver(*box, ownerCentre, 2);
    box->hide();
}

TEST(DesktopPlacement, ABoxWithoutOwnerSitsOverTheActiveWindow) {
    ScopedTestKit kit;
    CDialog owner{IDD_SAMPLE_MENU};
    ASSERT_TRUE(kit.open(owner));
    QApplication::setActiveWindow(owner.widget());
    kit.processEvents();
    ASSERT_EQ(QApplication::activeWindow(), owner.widget());
    const std::unique_ptr<QMessageBox> box = createMessageBox(nullptr, boxOf(MB_YESNO));
    EXPECT_EQ(box->parentWidget(), owner.widget());
    EXPECT_EQ(box->windowType(), Qt::Dialog);
    EXPECT_FALSE(box->windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST(DesktopFlags, FixedWindowsHaveNoMaximiseButton) {
    ScopedTestKit kit;
    const auto expectFixed = [](const QWidget& window, bool owned) {
        const Qt::WindowFlags flags = window.windowFlags();
        EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
        EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
        EXPECT_TRUE(flags & Qt::WindowTitleHint);
        EXPECT_EQ(bool(flags & Qt::WindowMinimizeButtonHint), !owned);
        EXPECT_EQ(window.minimumSize(), window.maximumSize());
        EXPECT_EQ(window.size(), window.minimumSize());
    };
    CDialog menu{IDD_SAMPLE_MENU};
    ASSERT_TRUE(kit.open(menu));
    {
        SCOPED_TRACE("dialog without owner");
        expectFixed(*menu.widget(), false);
    }
    CDialog dialog{IDD_SAMPLE};
    ASSERT_TRUE(kit.open(dialog, &menu));
    {
        SCOPED_TRACE("dialog of the menu");
        expectFixed(*dialog.widget(), true);
    }
    SampleSheet sheet(&menu);
    ASSERT_TRUE(kit.open(sheet, &menu));
    {
        SCOPED_TRACE("sheet of the menu");
        expectFixed(*sheet.widget(), true);
    }
    const std::unique_ptr<QMessageBox> box =
        createMessageBox(menu.widget(), boxOf(MB_YESNO | MB_ICONQUESTION));
    box->show();
    kit.processEvents();
    {
        SCOPED_TRACE("message box");
        expectFixed(*box, true);
    }
    box->hide();
}

TEST(DesktopFlags, ADialogWithoutCaptionIsAFramelessPopupThatTakesNoFocus) {
    ScopedTestKit kit;
    CDialog menu{IDD_SAMPLE_MENU};
    ASSERT_TRUE(kit.open(menu));
    CDialog popup;
    ASSERT_TRUE(popup.Create(IDD_SAMPLE_POPUP, &menu));
    const Qt::WindowFlags flags = popup.widget()->windowFlags();
    EXPECT_TRUE(flags & Qt::FramelessWindowHint);
    EXPECT_TRUE(flags & Qt::WindowDoesNotAcceptFocus);
    EXPECT_FALSE(flags & Qt::WindowTitleHint);
    EXPECT_TRUE(popup.widget()->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(popup.widget()->parentWidget(), menu.widget());
    popup.DestroyWindow();
}

TEST(DesktopFlags, AFixedDialogThatChangesItsSizeStaysFixed) {
    ScopedTestKit kit;
    CDialog dialog{IDD_SAMPLE};
    ASSERT_TRUE(kit.open(dialog));
    CRect before;
    dialog.GetWindowRect(&before);
    dialog.MoveWindow(before.left, before.top, before.Width(), before.Height() - 40);
    CRect client;
    dialog.GetClientRect(&client);
    EXPECT_EQ(client.Height(), before.Height() - 40);
    EXPECT_EQ(dialog.widget()->minimumSize(), dialog.widget()->maximumSize());
    EXPECT_EQ(dialog.widget()->maximumSize().height(), before.Height() - 40);
}

TEST(IconCaptions, WrapAtWordsOntoTwoLinesAndOnlyTheSecondIsElided) {
    ScopedTestKit kit;
    for (const int dpi : {96, 192}) {
        SCOPED_TRACE(dpi);
        kit.setScreenDpi(dpi);
        CDialog menu{IDD_SAMPLE_MENU};
        ASSERT_TRUE(kit.open(menu));
        auto* list = static_cast<CListCtrl*>(menu.GetDlgItem(IDC_SAMPLE_MENU));
        CImageList images;
        ASSERT_TRUE(images.Create(32, 32, ILC_COLOR24 | ILC_MASK, 1, 1));
        list->SetImageList(&images, LVSIL_NORMAL);
        const std::vector<std::pair<WideString, std::vector<WideString>>> cases = {
            {u"About", {u"About"}},
            {u"Differential Mode", {u"Differential", u"Mode"}},
            {u"GNSS receiver configuration and satellite status", {}},
            {u"Troubleshootingconsolewindow", {}},
        };
        for (const auto& [text, expected] : cases) list->InsertItem(list->GetItemCount(), text);
        const QFontMetrics metrics(list->widget()->font());
        const int cellWidth = std::max(32 * dpi / 96 + ScaleX(40), ScaleX(76));
        for (int row = 0; row < static_cast<int>(cases.size()); ++row) {
            const auto& [text, expected] = cases[static_cast<size_t>(row)];
            SCOPED_TRACE(QString::fromStdU16String(text).toStdString());
            const std::vector<WideString> lines = kit.listItemTextLines(menu, IDC_SAMPLE_MENU, row);
            ASSERT_FALSE(lines.empty());
            ASSERT_LE(lines.size(), 2u);
            for (const WideString& line : lines) {
                EXPECT_LE(metrics.horizontalAdvance(QString::fromStdU16String(line)), cellWidth);
            }
            if (!expected.empty()) {
                EXPECT_EQ(lines, expected);
                continue;
            }
            // Too long for two lines: the first line ends at a word (or, for one long word, as
            // far as it goes), the second ends with the ellipsis.
            ASSERT_EQ(lines.size(), 2u);
            EXPECT_EQ(lines[1].back(), u'\u2026');
            const WideString shown = lines[0] + lines[1].substr(0, lines[1].size() - 1);
            const bool oneWord = text.find(u' ') == WideString::npos;
            if (oneWord) {
                EXPECT_EQ(text.substr(0, shown.size()), shown);
            } else {
                EXPECT_EQ(text.substr(0, lines[0].size() + 1), lines[0] + u" ");
            }
        }
    }
}

}  // namespace
}  // namespace zentrix::framework
