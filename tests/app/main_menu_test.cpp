// The main menu and the about box as a user meets them: taps on the icons, the wait cursor
// during long commands, the look at the handheld's two screen sizes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/about_dialog.h"
#include "app/main_menu_dialog.h"
#include "framework/gdi_objects.h"
#include "framework/instance_channel.h"
#include "framework/test_kit.h"
#include "framework/win_app.h"
#include "platform/local_channel.h"
#include "resources/resource_ids.h"
#include "tests/support/test_support.h"

namespace zentrix::app {
namespace {

using framework::CWnd;
using framework::ScopedTestKit;
using platform::WideString;

/// A receiver that answers what the menu asks and remembers the order of the calls.
class ScriptedReceiver : public receiver::ReceiverInterface {
  public:
    uint32_t initReceiver(int32_t code) override {
        calls.push_back("init " + std::to_string(code));
        waitCursorDuringInit = framework::waitCursorDepth() > 0;
        return answer;
    }
    uint32_t queryReceiverPort(uint32_t& port, uint32_t& baudCode) override {
        calls.push_back("port?");
        port = 2;
        baudCode = 7;
        return answer;
    }
    uint32_t setStatusNmea(uint32_t port) override {
        calls.push_back("status nmea " + std::to_string(port));
        return answer;
    }
    uint32_t setWtiOutput(bool) override {
        calls.push_back("wti");
        return answer;
    }
    uint32_t setA2dOutput(bool) override {
        calls.push_back("a2d");
        return answer;
    }
    uint32_t queryVersions(WideString& gnss, WideString& system, WideString& service) override {
        gnss = u"G1.2";
        system = u"S3.4";
        service = u"V5.6";
        return answer;
    }
    uint32_t disconnect() override {
        calls.push_back("disconnect");
        waitCursorDuringDisconnect = framework::waitCursorDepth() > 0;
        return 1;
    }

    uint32_t answer = 1;
    std::vector<std::string> calls;
    bool waitCursorDuringInit = false;
    bool waitCursorDuringDisconnect = false;
};

TEST(MainMenu, TappingAnIconRunsItsAction) {
    ScopedTestKit kit;
    ScriptedReceiver receiver;
    CMainMenuDialog menu(&receiver, kSurveyModel, {});
    ASSERT_TRUE(kit.open(menu));
    ASSERT_EQ(menu.list().GetItemCount(), 3);

    // Reset is the first item shown on a survey handheld.
    kit.queueMessageBoxAnswers({framework::IDYES});
    ASSERT_TRUE(kit.clickListItem(menu, IDC_MAIN_MENU_LIST, 0));
    EXPECT_EQ(receiver.calls,
              (std::vector<std::string>{"init 1", "port?", "status nmea 2", "wti", "a2d"}));
    EXPECT_TRUE(receiver.waitCursorDuringInit);
    EXPECT_EQ(kit.waitCursorDepth(), 0);

    // About, by the keyboard's Return on the focused item.
    WideString service;
    kit.queueModalHandler([&](CWnd& window) {
        auto& about = dynamic_cast<CAboutZentrix&>(window);
        service = about.GetDlgItemText(IDC_ABOUT_SERVICE_VERSION);
        about.EndDialog(framework::IDOK);
    });
    menu.list().SetItemState(1, framework::LVIS_FOCUSED | framework::LVIS_SELECTED,
                             framework::LVIS_FOCUSED | framework::LVIS_SELECTED);
    ASSERT_TRUE(kit.pressReturnInList(menu, IDC_MAIN_MENU_LIST));
    EXPECT_EQ(service, u"Version: V5.6");
    EXPECT_EQ(kit.unansweredModals(), 0);

    // A failed reset stops at once: no port query, no outputs.
    receiver.calls.clear();
    receiver.answer = 0;
    kit.queueMessageBoxAnswers({framework::IDYES});
    ASSERT_TRUE(kit.clickListItem(menu, IDC_MAIN_MENU_LIST, 0));
    EXPECT_EQ(receiver.calls, std::vector<std::string>{"init 1"});

    menu.OnCancel();
    EXPECT_EQ(receiver.calls.back(), "disconnect");
    EXPECT_TRUE(receiver.waitCursorDuringDisconnect);
    EXPECT_TRUE(menu.disconnected());
}

TEST(MainMenu, FitsTheHandheldScreensAndShowsItsIcons) {
    for (const int dpi : {96, 192}) {
        SCOPED_TRACE(dpi);
        ScopedTestKit kit;
        kit.setScreenDpi(dpi);
        ScriptedReceiver receiver;
        CMainMenuDialog menu(&receiver, kSurveyModel, {});
        ASSERT_TRUE(kit.open(menu));
        framework::CRect client;
        menu.GetClientRect(&client);
        const int scale = dpi / 96;
        EXPECT_LE(client.Width(), 240 * scale);
        EXPECT_LE(client.Height(), 320 * scale);
        EXPECT_GE(client.Width(), 200 * scale) << "the list uses the screen's width";

        framework::CBitmap image;
        ASSERT_TRUE(kit.render(menu, image));
        // The icons are drawn: somewhere in the first row is the gear's blue, and no magenta
        // from the strip's mask shows anywhere.
        const framework::CSize size = image.GetSize();
        framework::CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        dc.SelectObject(&image);
        bool blue = false;
        bool magenta = false;
        for (int y = 0; y < size.cy; ++y) {
            for (int x = 0; x < size.cx; ++x) {
                const framework::COLORREF c = dc.GetPixel(x, y);
                blue = blue || c == framework::RGB(31, 95, 168);
                magenta = magenta || c == framework::RGB(255, 0, 255);
            }
        }
        EXPECT_TRUE(blue);
        EXPECT_FALSE(magenta);
        menu.OnCancel();
    }
}

// A second start of the program asks through the local channel; the running one answers between
// its window events and brings its menu back, hidden or not.
TEST(MainMenu, ASecondStartBringsTheMenuBack) {
    test::ScratchDeviceRoot root;
    ScopedTestKit kit;
    framework::CWinApp app(u"GNSS Zentrix");
    framework::InstanceChannel channel("ZenTrix");
    ASSERT_TRUE(channel.listening()) << channel.error();
    const auto ask = [&] {
        std::atomic<bool> done = false;
        platform::ChannelReply reply;
        std::thread second([&] {
            reply = platform::sendLocalMessage("ZenTrix", framework::kRaiseMessage, 5000);
            done = true;
        });
        for (int i = 0; i < 5000 && !done; ++i) {
            kit.processEvents();  // the socket's readiness arrives as an event
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        second.join();
        return reply.answer;
    };
    EXPECT_EQ(ask(), framework::kNoWindowAnswer) << "still looking for the receiver";

    ScriptedReceiver receiver;
    CMainMenuDialog menu(&receiver, kSurveyModel, {});
    ASSERT_TRUE(kit.open(menu));
    app.m_pMainWnd = &menu;
    menu.ShowWindow(framework::SW_HIDE);
    ASSERT_FALSE(menu.IsWindowVisible());
    EXPECT_EQ(ask(), framework::kRaisedAnswer);
    EXPECT_TRUE(menu.IsWindowVisible());
    app.m_pMainWnd = nullptr;
    menu.OnCancel();
}

}  // namespace
}  // namespace zentrix::app
