// Window and dialog procedures receive the platform's messages from the same windows.
#include "framework/window_proc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/test_kit.h"
#include "resources/resource_ids.h"

namespace zentrix::framework {
namespace {

std::vector<std::string> g_messages;

LRESULT ItemProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            g_messages.push_back("create " + std::to_string(lParam));
            return 0;
        case WM_ERASEBKGND:
            g_messages.push_back("erase");
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            CDC* dc = BeginPaint(hwnd, &paint);
            dc->FillSolidRect(paint.rcPaint, RGB(0, 0, 255));
            EndPaint(hwnd, &paint);
            g_messages.push_back("paint");
            return 0;
        }
        case WM_TIMER:
            g_messages.push_back("timer " + std::to_string(wParam));
            KillTimer(hwnd, wParam);
            return 0;
        case WM_LBUTTONDOWN:
            g_messages.push_back("down " + std::to_string(GET_X_LPARAM(lParam)) + "," +
                                 std::to_string(GET_Y_LPARAM(lParam)));
            return 0;
        case WM_LBUTTONUP:
            g_messages.push_back("up");
            return 0;
        case WM_USER + 242:
            return 1;
        case WM_DESTROY:
            g_messages.push_back("destroy");
            return 0;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

LRESULT OptionsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            g_messages.push_back("init " + std::to_string(lParam));
            SetDlgItemText(hwnd, IDC_SAMPLE_NAME, u"from the procedure");
            return 1;
        case WM_COMMAND:
            g_messages.push_back("command " + std::to_string(LOWORD(wParam)) + " " +
                                 std::to_string(HIWORD(wParam)));
            if (LOWORD(wParam) == IDOK)
                EndDialog(hwnd, 42);
            return 1;
        case WM_NOTIFY: {
            auto* info = reinterpret_cast<const NotifyInfo*>(lParam);
            if (info->code == NM_CLICK)
                g_messages.push_back("notify click " + std::to_string(info->iItem));
            return 1;
        }
        default:
            return 0;
    }
}

TEST(WindowProcedures, AWindowClassReceivesCreatePaintTimerPenAndDestroy) {
    ScopedTestKit kit;
    g_messages.clear();
    WNDCLASS wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ItemProc;
    wc.lpszClassName = u"cItemWndClass";
    ASSERT_TRUE(RegisterClass(&wc));
    EXPECT_FALSE(RegisterClass(&wc));
    EXPECT_EQ(CreateWindow(u"cOther", u"", WS_VISIBLE, 0, 0, 10, 10, nullptr, 0, nullptr), nullptr);
    HWND hwnd =
        CreateWindow(u"cItemWndClass", u"Item", WS_VISIBLE, 0, 0, 120, 40, nullptr, 0, nullptr, 7);
    ASSERT_NE(hwnd, nullptr);
    CWnd* wnd = CWnd::FromHandle(hwnd);
    CBitmap image;
    ASSERT_TRUE(kit.render(*wnd, image));
    EXPECT_EQ(SetTimer(hwnd, 2, 500, nullptr), 2u);
    EXPECT_TRUE(kit.fireTimer(*wnd, 2));
    EXPECT_FALSE(kit.fireTimer(*wnd, 2));  // the procedure killed it
    EXPECT_TRUE(kit.tap(*wnd, CPoint(30, 12)));
    EXPECT_EQ(SendMessage(hwnd, WM_USER + 242, 0, 0), 1);
    const size_t before = g_messages.size();
    EXPECT_TRUE(PostMessage(hwnd, WM_LBUTTONUP, 0, 0));
    EXPECT_EQ(g_messages.size(), before);  // posted: not yet
    kit.processEvents();
    EXPECT_EQ(g_messages.size(), before + 1);
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_EQ(g_messages, (std::vector<std::string>{"create 7", "erase", "paint", "timer 2",
                                                    "down 30,12", "up", "up", "destroy"}));
    EXPECT_TRUE(UnregisterClass(u"cItemWndClass", nullptr));
}

TEST(WindowProcedures, ADialogProcedureGetsInitCommandAndNotify) {
    ScopedTestKit kit;
    g_messages.clear();
    kit.queueModalHandler([&](CWnd& dialog) {
        EXPECT_EQ(dialog.GetDlgItemText(IDC_SAMPLE_NAME), u"from the procedure");
        kit.clickListItem(dialog, IDC_SAMPLE_LIST, 0);  // empty list: nothing to tap
        kit.click(dialog, IDC_SAMPLE_CHECK);
        kit.click(dialog, IDCANCEL);  // the procedure does not end on Cancel
        EXPECT_TRUE(dialog.IsWindowVisible());
        kit.click(dialog, IDOK);
    });
    EXPECT_EQ(DialogBoxParam(nullptr, IDD_SAMPLE, nullptr, OptionsProc, 5), 42);
    // The edit reports the procedure's own SetDlgItemText (EN_CHANGE), as on the platform.
    EXPECT_EQ(g_messages, (std::vector<std::string>{"init 5", "command 9001 768", "command 9004 0",
                                                    "command 2 0", "command 1 0"}));
    EXPECT_EQ(DialogBoxParam(nullptr, 1, nullptr, OptionsProc, 5), -1);

    HWND modeless = CreateDialogParam(nullptr, IDD_SAMPLE, nullptr, OptionsProc, 6);
    ASSERT_NE(modeless, nullptr);
    EXPECT_NE(GetDlgItem(modeless, IDC_SAMPLE_LIST), nullptr);
    EXPECT_TRUE(DestroyWindow(modeless));
    EXPECT_EQ(CWnd::FromHandle(modeless), nullptr);
}

}  // namespace
}  // namespace zentrix::framework
