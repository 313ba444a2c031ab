// The life of windows: a window destroyed by its own handler, a modal dialog destroyed while it
// waits, handles and data of destroyed windows, pictures that outlive the program's objects, and
// the shortest timer.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <set>
#include <string>

#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/image_list.h"
#include "framework/list_ctrl.h"
#include "framework/property_sheet.h"
#include "framework/qt_drawing.h"
#include "framework/test_kit.h"
#include "framework/window_proc.h"
#include "resources/resource_ids.h"

namespace zentrix::framework {
namespace {

constexpr UINT kListId = 1300;
constexpr UINT kSliderId = 1301;

// A page with a list and a slider that removes itself from its sheet on one notification, as a
// page whose contents went away would.
class LeavingPage : public CPropertyPage {
  public:
    LeavingPage(UINT code, UINT id) : CPropertyPage(IDD_SAMPLE_PAGE_EXTRA), code_(code), id_(id) {}

    bool OnInitDialog() override {
        CPropertyPage::OnInitDialog();
        list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL, CRect(0, 20, 120, 80), this,
                    kListId);
        list.InsertColumn(0, u"Station", LVCFMT_LEFT, 80);
        list.InsertItem(0, u"ALPHA");
        list.InsertItem(1, u"BRAVO");
        slider.Create(WS_CHILD | WS_VISIBLE, CRect(0, 90, 120, 110), this, kSliderId);
        return true;
    }

    bool OnNotify(const NotifyInfo& info) override {
        if (removed) {
            ++lateNotifications;
        } else if (info.code == code_ && info.idFrom == id_) {
            removed = true;
            GetSheet()->RemovePage(this);
        }
        return CPropertyPage::OnNotify(info);
    }

    CListCtrl list;
    CSliderCtrl slider;
    bool removed = false;
    int lateNotifications = 0;

  private:
    UINT code_;
    UINT id_;
};

TEST(WindowLife, APageRemovedByItsOwnNotificationIsNotTouchedAfterwards) {
    struct Case {
        const char* name;
        UINT code;
        UINT id;
        std::function<void(ScopedTestKit&, CWnd&)> act;
    };
    const Case cases[] = {
        {"tap", NM_CLICK, kListId,
         [](ScopedTestKit& kit, CWnd& page) { kit.clickListItem(page, kListId, 1); }},
        {"row change", LVN_ITEMCHANGED, kListId,
         [](ScopedTestKit& kit, CWnd& page) { kit.clickListItem(page, kListId, 1); }},
        {"return", NM_RETURN, kListId,
         [](ScopedTestKit& kit, CWnd& page) {
             kit.clickListItem(page, kListId, 0);
             kit.pressReturnInList(page, kListId);
         }},
        {"slider", TB_THUMBPOSITION, kSliderId,
         [](ScopedTestKit& kit, CWnd& page) { kit.dragSlider(page, kSliderId, 40); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedTestKit kit;
        CPropertyPage other(IDD_SAMPLE_PAGE_OUTPUT);
        LeavingPage page(c.code, c.id);
        CPropertySheet sheet(u"Sheet");
        sheet.AddPage(&other);
        sheet.AddPage(&page);
        sheet.SetActivePage(1);
        ASSERT_TRUE(kit.open(sheet));
        ASSERT_EQ(sheet.GetActivePage(), &page);
        const QPointer<QWidget> pageWidget = page.widget();
        const QPointer<QWidget> listWidget = page.list.widget();

        c.act(kit, page);

        EXPECT_TRUE(page.removed);
        EXPECT_EQ(sheet.GetPageCount(), 1);
        EXPECT_EQ(sheet.GetActivePage(), &other);
        EXPECT_FALSE(page.IsWindow());
        EXPECT_FALSE(page.list.IsWindow());
        EXPECT_EQ(page.lateNotifications, 0);
        // Hidden at once, deleted by the next round of events: no top-level loop needed.
        ASSERT_FALSE(pageWidget.isNull());
        EXPECT_TRUE(pageWidget->isHidden());
        kit.processEvents();
        EXPECT_TRUE(pageWidget.isNull());
        EXPECT_TRUE(listWidget.isNull());
        EXPECT_EQ(page.lateNotifications, 0);
        sheet.DestroyWindow();
    }
}

// The sample dialog with a handler on its check box.
class CheckDialog : public CDialog {
  public:
    CheckDialog() : CDialog(IDD_SAMPLE) {
        MapNotification(BN_CLICKED, IDC_SAMPLE_CHECK, &CheckDialog::OnCheck);
    }
    std::function<void()> onCheck;

  private:
    void OnCheck() {
        if (onCheck)
            onCheck();
    }
};

LRESULT DestroyingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_SAMPLE_CHECK) {
        DestroyWindow(hwnd);
        return 1;
    }
    return message == WM_INITDIALOG ? 1 : 0;
}

TEST(WindowLife, DestroyingAModalDialogEndsItsWait) {
    struct Case {
        const char* name;
        std::function<int(CheckDialog&)> run;
    };
    const Case cases[] = {
        {"dialog object",
         [](CheckDialog& dialog) {
             dialog.onCheck = [&dialog] { dialog.DestroyWindow(); };
             return dialog.DoModal();
         }},
        {"dialog procedure",
         [](CheckDialog&) {
             return static_cast<int>(
                 DialogBoxParam(nullptr, IDD_SAMPLE, nullptr, DestroyingProc, 0));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedTestKit kit;
        CheckDialog dialog;
        CWnd* shown = nullptr;
        // The tap comes from the dialog's own wait, as a user's would.
        kit.queueModalHandler([&](CWnd& window) {
            shown = &window;
            QTimer::singleShot(0, QCoreApplication::instance(),
                               [&kit, &window] { kit.click(window, IDC_SAMPLE_CHECK); });
        });
        // Should the wait go on without a window, this ends it so the test can fail.
        bool stuck = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            stuck = true;
            if (auto* modal = dynamic_cast<CDialog*>(shown))
                modal->EndDialog(777);
        });
        watchdog.start(5000);
        const int result = c.run(dialog);
        watchdog.stop();
        EXPECT_FALSE(stuck);
        EXPECT_EQ(result, -1);
        EXPECT_FALSE(dialog.IsWindow());
        EXPECT_EQ(kit.unansweredModals(), 0);
    }
}

TEST(WindowLife, HandlesAndUserDataOfADestroyedWindowAreNeverAnotherWindows) {
    ScopedTestKit kit;
    CDialog dialog(IDD_SAMPLE);
    ASSERT_TRUE(kit.open(dialog));
    CStatic first;
    ASSERT_TRUE(first.Create(u"first", WS_CHILD | WS_VISIBLE, CRect(0, 0, 20, 10), &dialog, 1310));
    const HWND old = first.GetSafeHwnd();
    EXPECT_EQ(SetWindowUserData(old, 42), 0);
    EXPECT_EQ(GetWindowUserData(old), 42);
    ASSERT_TRUE(first.DestroyWindow());
    std::set<HWND> handles;
    for (int i = 0; i < 20; ++i) {
        // The same kind of window again and again: memory of the old one is reused at once.
        CStatic next;
        ASSERT_TRUE(next.Create(u"next", WS_CHILD, CRect(0, 0, 20, 10), &dialog, 1310));
        EXPECT_NE(next.GetSafeHwnd(), old);
        EXPECT_EQ(GetWindowUserData(next.GetSafeHwnd()), 0);
        handles.insert(next.GetSafeHwnd());
        next.DestroyWindow();
    }
    EXPECT_EQ(handles.size(), 20u);
    EXPECT_EQ(CWnd::FromHandle(old), nullptr);
    EXPECT_EQ(GetWindowUserData(old), 0);
    EXPECT_EQ(SetWindowUserData(old, 7), 0);
    EXPECT_FALSE(PostMessage(old, WM_USER, 0, 0));
}

TEST(WindowLife, ADestroyedControlIsFoundByNobodyAndGoesWithoutATopLevelLoop) {
    ScopedTestKit kit;
    CheckDialog dialog;
    ASSERT_TRUE(kit.open(dialog));
    // A page's object on a template control: destroying it destroys the control, not only the
    // page's hold on it (the template's own object must not answer for it afterwards).
    CEdit name;
    ASSERT_TRUE(name.SubclassDlgItem(IDC_SAMPLE_NAME, &dialog));
    const HWND nameHandle = name.GetSafeHwnd();
    const QPointer<QWidget> nameWidget = name.widget();
    ASSERT_TRUE(name.DestroyWindow());
    EXPECT_EQ(dialog.GetDlgItem(IDC_SAMPLE_NAME), nullptr);
    EXPECT_EQ(CWnd::FromHandle(nameHandle), nullptr);
    EXPECT_EQ(GetDlgItem(dialog.GetSafeHwnd(), IDC_SAMPLE_NAME), nullptr);
    EXPECT_FALSE(name.SubclassWindow(nameHandle));
    kit.processEvents();
    EXPECT_TRUE(nameWidget.isNull());

    // Destroyed by a handler: gone for everyone at once, deleted once the handler returned.
    CWnd* port = dialog.GetDlgItem(IDC_SAMPLE_PORT);
    ASSERT_NE(port, nullptr);
    const HWND portHandle = port->GetSafeHwnd();
    const QPointer<QWidget> portWidget = port->widget();
    bool goneInHandler = false;
    dialog.onCheck = [&] {
        CWnd::FromHandle(portHandle)->DestroyWindow();
        goneInHandler = dialog.GetDlgItem(IDC_SAMPLE_PORT) == nullptr &&
                        CWnd::FromHandle(portHandle) == nullptr;
    };
    ASSERT_TRUE(kit.click(dialog, IDC_SAMPLE_CHECK));
    EXPECT_TRUE(goneInHandler);
    EXPECT_EQ(dialog.GetDlgItem(IDC_SAMPLE_PORT), nullptr);
    kit.processEvents();
    EXPECT_TRUE(portWidget.isNull());
}

// A picture and a list's images given from objects that live only in OnInitDialog.
class PictureDialog : public CDialog {
  public:
    PictureDialog() : CDialog(IDD_SAMPLE) {}
    static constexpr COLORREF kColour = RGB(0, 128, 255);
    CStatic picture;

    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        CBitmap local;
        local.CreateCompatibleBitmap(nullptr, 8, 8);
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        CBitmap* old = dc.SelectObject(&local);
        dc.FillSolidRect(0, 0, 8, 8, kColour);
        dc.SelectObject(old);
        picture.Create(u"", WS_CHILD | WS_VISIBLE | SS_BITMAP, CRect(0, 0, 8, 8), this, 1320);
        picture.SetBitmap(&local);

        CImageList images;
        images.Create(8, 8, ILC_COLOR24, 1, 0);
        images.Add(&local);
        auto* list = static_cast<CListCtrl*>(GetDlgItem(IDC_SAMPLE_LIST));
        list->InsertColumn(0, u"Station", LVCFMT_LEFT, 80);
        list->SetImageList(&images, LVSIL_SMALL);
        list->InsertItem(0, u"ALPHA", 0);
        return true;
    }
};

int countColour(const QImage& image, COLORREF colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += fromQColor(image.pixelColor(x, y)) == colour;
    }
    return count;
}

TEST(WindowLife, ControlsKeepThePicturesTheyShow) {
    ScopedTestKit kit;
    PictureDialog dialog;
    ASSERT_TRUE(kit.open(dialog));
    CBitmap shown;
    ASSERT_TRUE(kit.render(dialog.picture, shown));
    EXPECT_EQ(countColour(imageOf(shown), PictureDialog::kColour), 64);
    // The objects handed back stand for the pictures that are kept.
    ASSERT_NE(dialog.picture.GetBitmap(), nullptr);
    EXPECT_EQ(dialog.picture.GetBitmap()->GetSize(), CSize(8, 8));
    auto* list = static_cast<CListCtrl*>(dialog.GetDlgItem(IDC_SAMPLE_LIST));
    CImageList* images = list->GetImageList(LVSIL_SMALL);
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(images->GetImageCount(), 1);
    ASSERT_TRUE(kit.render(*list, shown));
    EXPECT_EQ(countColour(imageOf(shown), PictureDialog::kColour), 64);

    // Deleting or emptying the program's objects while they show changes nothing shown either.
    CImageList replacement;
    replacement.Create(8, 8, ILC_COLOR24, 1, 0);
    replacement.Add(dialog.picture.GetBitmap());
    EXPECT_EQ(list->SetImageList(&replacement, LVSIL_SMALL), images);
    replacement.DeleteImageList();
    auto picture = std::make_unique<CBitmap>();
    picture->CreateCompatibleBitmap(nullptr, 8, 8);
    dialog.picture.SetBitmap(picture.get());
    picture.reset();
    ASSERT_TRUE(kit.render(*list, shown));
    EXPECT_EQ(countColour(imageOf(shown), PictureDialog::kColour), 64);
    ASSERT_TRUE(kit.render(dialog.picture, shown));
    EXPECT_EQ(countColour(imageOf(shown), RGB(0, 0, 0)), 64);
    EXPECT_EQ(list->GetImageList(LVSIL_SMALL)->GetImageCount(), 1);
}

class TickCounter : public CStatic {
  public:
    int ticks = 0;
    void OnTimer(UINT_PTR) override { ++ticks; }
};

int timerPeriod(CWnd& window, UINT_PTR id) {
    const auto* timer = window.widget()->findChild<QTimer*>(
        QStringLiteral("zxTimer%1").arg(static_cast<qulonglong>(id)), Qt::FindDirectChildrenOnly);
    return timer && timer->isActive() ? timer->interval() : -1;
}

TEST(WindowLife, TimersRunAtLeastTenMillisecondsApart) {
    ScopedTestKit kit;
    CDialog dialog(IDD_SAMPLE);
    ASSERT_TRUE(kit.open(dialog));
    TickCounter counter;
    ASSERT_TRUE(counter.Create(u"", WS_CHILD, CRect(0, 0, 10, 10), &dialog, 1330));
    struct Row {
        UINT asked;
        int runs;
    };
    for (Row row : {Row{0, 10}, Row{1, 10}, Row{9, 10}, Row{10, 10}, Row{250, 250}}) {
        SCOPED_TRACE(row.asked);
        EXPECT_EQ(counter.SetTimer(7, row.asked), 7u);
        EXPECT_EQ(timerPeriod(counter, 7), row.runs);
    }
    // A page asking for 0 gets ticks, not a spinning thread: a few in 30 ms, not hundreds.
    counter.SetTimer(7, 0);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 30) kit.processEvents();
    EXPECT_LE(counter.ticks, 5);
    EXPECT_TRUE(counter.KillTimer(7));
}

}  // namespace
}  // namespace zentrix::framework
