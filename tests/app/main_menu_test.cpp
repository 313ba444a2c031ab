// The main menu and the about box as a user meets them: taps on the icons, the wait cursor
// during long commands, the look at the handheld's two screen sizes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <thread>

#include "app/about_dialog.h"
#include "app/main_menu_dialog.h"
#include "framework/gdi_objects.h"
#include "framework/instance_channel.h"
#include "framework/test_kit.h"
#include "framework/win_app.h"
#include "platform/clock.h"
#include "platform/local_channel.h"
#include "receiver/gnss_receiver.h"
#include "resources/resource_ids.h"
#include "tests/support/fake_receiver.h"
#include "tests/support/simulated_receiver.h"
#include "tests/support/test_support.h"
#include "tools/sim/simulator.h"
#include "tools/sim/survey_board.h"
#include "ui/diff/diff_mode_sheet.h"
#include "ui/network/network_config_sheet.h"
#include "ui/settings/gnss_setting_sheet.h"
#include "ui/settings/troubleshoot_sheet.h"
#include "ui/status/gnss_status_sheet.h"

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
    ASSERT_EQ(menu.list().GetItemCount(), 8);
    const int settings = 0;
    const int status = 3;  // after Differential Mode and NMEA Output
    const int reset = 4;
    const int troubleshooting = 5;
    const int about = 6;

    kit.queueMessageBoxAnswers({framework::IDYES});
    ASSERT_TRUE(kit.clickListItem(menu, IDC_MAIN_MENU_LIST, reset));
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
    menu.list().SetItemState(about, framework::LVIS_FOCUSED | framework::LVIS_SELECTED,
                             framework::LVIS_FOCUSED | framework::LVIS_SELECTED);
    ASSERT_TRUE(kit.pressReturnInList(menu, IDC_MAIN_MENU_LIST));
    EXPECT_EQ(service, u"Version: V5.6");
    EXPECT_EQ(kit.unansweredModals(), 0);

    // GNSS Status opens the status sheet on the menu's receiver, modally, without a caption.
    int pages = 0;
    WideString caption = u"?";
    kit.queueModalHandler([&](CWnd& window) {
        auto& sheet = dynamic_cast<ui::CGnssStatusSheet&>(window);
        pages = sheet.GetPageCount();
        caption = sheet.GetWindowText();
        sheet.EndDialog(framework::IDCANCEL);
    });
    ASSERT_TRUE(kit.clickListItem(menu, IDC_MAIN_MENU_LIST, status));
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(caption, u"");
    EXPECT_EQ(kit.unansweredModals(), 0);

    // GNSS Settings opens the settings sheet, which sends nothing when cancelled.
    bool settingsShown = false;
    kit.queueModalHandler([&](CWnd& window) {
        auto& sheet = dynamic_cast<ui::CGnssSettingSheet&>(window);
        settingsShown = sheet.GetPageCount() == 1;
        sheet.EndDialog(framework::IDCANCEL);
    });
    receiver.calls.clear();
    ASSERT_TRUE(kit.clickListItem(menu, IDC_MAIN_MENU_LIST, settings));
    EXPECT_TRUE(settingsShown);
    EXPECT_EQ(kit.unansweredModals(), 0);

    // Trouble shooting opens its sheet.
    bool troubleshootShown = false;
    kit.queueModalHandler([&](CWnd& window) {
        troubleshootShown = dynamic_cast<ui::CTroubleshootSheet*>(&window) != nullptr;
        dynamic_cast<framework::CPropertySheet&>(window).EndDialog(framework::IDCANCEL);
    });
    ASSERT_TRUE(kit.clickListItem(menu, IDC_MAIN_MENU_LIST, troubleshooting));
    EXPECT_TRUE(troubleshootShown);
    EXPECT_EQ(kit.unansweredModals(), 0);

    // A failed reset stops at once: no port query, no outputs.
    receiver.calls.clear();
    receiver.answer = 0;
    kit.queueMessageBoxAnswers({framework::IDYES});
    ASSERT_TRUE(kit.clickListItem(menu, IDC_MAIN_MENU_LIST, reset));
    EXPECT_EQ(receiver.calls, std::vector<std::string>{"init 1"});

    menu.OnCancel();
    EXPECT_EQ(receiver.calls.back(), "disconnect");
    EXPECT_TRUE(receiver.waitCursorDuringDisconnect);
    EXPECT_TRUE(menu.disconnected());
}

// Differential Mode: the sheet gets the menu's connection settings, hands them back only after
// OK, and whatever it ended with the modem redials by itself only while a link is up; a modem
// that does not answer keeps its setting.
TEST(MainMenu, DifferentialModeCopiesTheLinkSettingsAndSetsTheModemsAutoDial) {
    struct Case {
        const char* what;
        int result;
        bool stateFails;
        uint32_t state;
        std::vector<std::string> tail;
    };
    const Case cases[] = {
        {"OK, link up", framework::IDOK, false, 5, {"queryModemState", "setModemAdl 1"}},
        {"OK, modem idle", framework::IDOK, false, 3, {"queryModemState", "setModemAdl 0"}},
        {"Cancel, link up", framework::IDCANCEL, false, 5, {"queryModemState", "setModemAdl 1"}},
        {"modem does not answer", framework::IDOK, true, 5, {"queryModemState"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::ScratchDeviceRoot root;
        platform::AppProfile profile(platform::Registry::device(), u"GNSS Zentrix");
        profile.setRegistryKey(u"Orvanex");
        saveSendPositionToNetwork(profile, true);
        ScopedTestKit kit;
        test::FakeReceiver receiver;
        if (c.stateFails)
            receiver.fail("queryModemState");
        ConnectionSettings settings;
        settings.ntripAddress = u"caster.example.net";
        settings.ntripPort = 2101;
        settings.ipAddress = u"198.51.100.4";
        settings.ipPort = 9000;
        settings.isExternalGps = true;
        settings.networkProtocol = 1;
        CMainMenuDialog menu(&receiver, kSurveyModel, settings, &profile);
        ASSERT_TRUE(kit.open(menu));
        ui::DiffLinkSettings seen;
        kit.queueModalHandler([&](CWnd& window) {
            auto& sheet = dynamic_cast<ui::CDiffModeSheet&>(window);
            seen = sheet.settings();
            sheet.settings().ntripMountPoint = u"RTCM3";
            sheet.settings().connectNtrip = true;
            sheet.settings().sendPositionToNetwork = false;
            receiver.modemState = c.state;
            receiver.clearCalls();
            sheet.EndDialog(c.result);
        });
        menu.runAction(MenuAction::DifferentialMode);
        EXPECT_EQ(kit.unansweredModals(), 0);
        EXPECT_EQ(seen.ntripAddress, u"caster.example.net");
        EXPECT_EQ(seen.ntripPort, 2101);
        EXPECT_EQ(seen.ipAddress, u"198.51.100.4");
        EXPECT_EQ(seen.ipPort, 9000);
        EXPECT_TRUE(seen.externalGps);
        EXPECT_EQ(seen.networkProtocol, 1);
        EXPECT_TRUE(seen.sendPositionToNetwork) << "from SendPosToNet";
        EXPECT_EQ(receiver.calls(), c.tail);
        const bool ok = c.result == framework::IDOK;
        EXPECT_EQ(menu.settings().ntripMountPoint, ok ? u"RTCM3" : u"");
        EXPECT_EQ(menu.settings().connectNtrip, ok);
        EXPECT_FALSE(loadSendPositionToNetwork(profile));
        EXPECT_EQ(kit.waitCursorDepth(), 0);
    }
}

// On the simulated board: the link page brings a direct IP link up, the menu keeps it and lets
// the modem redial; ended through the page, the modem is told not to.
TEST(MainMenu, DifferentialModeBringsALinkUpAndSetsAutoDialOnTheBoard) {
    test::ScratchDeviceRoot root;
    platform::ScopedClockSpeed fast{40};
    sim::SimOptions options;
    options.receiver = sim::SimReceiver::SurveyBoard;
    options.startUtcSeconds = 1700000000;
    sim::Simulator simulator(options);
    ASSERT_TRUE(simulator.openPseudoTerminal() && simulator.linkAsComPort(3) && simulator.start());
    receiver::GnssReceiver gnss;
    ASSERT_EQ(gnss.connect(u"COM3:"), 1u);
    ScopedTestKit kit;
    ConnectionSettings settings;
    settings.ipAddress = u"10.1.2.4";
    settings.ipPort = 9001;
    CMainMenuDialog menu(&gnss, kSurveyModel, settings);
    ASSERT_TRUE(kit.open(menu));

    // The button on the network row, the network sheet confirmed as it opens, the sheet's OK.
    const auto pressNetworkButton = [&](bool networkSheetOpens) {
        kit.queueModalHandler([&, networkSheetOpens](CWnd& window) {
            auto& sheet = dynamic_cast<ui::CDiffModeSheet&>(window);
            if (networkSheetOpens) {
                kit.queueModalHandler([](CWnd& network) {
                    dynamic_cast<ui::CNetworkConfigSheet&>(network).EndDialog(framework::IDOK);
                });
            }
            ASSERT_TRUE(kit.clickListItem(sheet, IDC_LINK_LIST, 2));
            ASSERT_TRUE(kit.click(sheet, IDC_LINK_BUTTON));
            EXPECT_TRUE(sheet.PressButton(framework::PSBTN_OK));
        });
        menu.runAction(MenuAction::DifferentialMode);
        EXPECT_EQ(kit.unansweredModals(), 0);
    };

    pressNetworkButton(true);
    sim::BoardState board = test::boardState(simulator);
    EXPECT_TRUE(board.dipConnected);
    EXPECT_EQ(board.modemAdl, 'Y');
    EXPECT_TRUE(menu.settings().connectIp);
    EXPECT_EQ(menu.settings().networkProtocol, 0);

    pressNetworkButton(false);  // "Disconnect"
    board = test::boardState(simulator);
    EXPECT_FALSE(board.linkUp());
    EXPECT_EQ(board.modemAdl, 'N');
    EXPECT_FALSE(menu.settings().connectIp);
    gnss.disconnect();
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

// Where `bitmap` has colour `c` inside `area`, relative to the area, row by row.
std::vector<framework::CPoint> pixelsOf(framework::CBitmap& bitmap, framework::CRect area,
                                        framework::COLORREF c) {
    framework::CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&bitmap);
    std::vector<framework::CPoint> found;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (dc.GetPixel(x, y) == c)
                found.push_back({x - area.left, y - area.top});
        }
    }
    return found;
}

// A screen of twice the resolution shows the icons drawn at 64 pixels where the 32-pixel ones
// were, not the 32-pixel ones enlarged: the power icon's red shows pixel for pixel as drawn.
TEST(MainMenu, ScreensOfScaleTwoShowTheIconsDrawnAtSixtyFourPixels) {
    constexpr framework::COLORREF kRed = framework::RGB(200, 40, 40);
    constexpr int kPowerImage = 7;
    for (const int dpi : {96, 192}) {
        SCOPED_TRACE(dpi);
        const int size = 32 * dpi / 96;
        framework::CBitmap strip;
        ASSERT_TRUE(strip.LoadBitmap(dpi == 96 ? IDB_MAIN_MENU : IDB_MAIN_MENU_64));
        ASSERT_EQ(strip.GetSize(), framework::CSize(8 * size, size));
        const auto drawn = pixelsOf(
            strip, framework::CRect(kPowerImage * size, 0, (kPowerImage + 1) * size, size), kRed);
        ASSERT_FALSE(drawn.empty());

        ScopedTestKit kit;
        kit.setScreenDpi(dpi);
        ScriptedReceiver receiver;
        CMainMenuDialog menu(&receiver, kSurveyModel, {});
        ASSERT_TRUE(kit.open(menu));
        const framework::CImageList* images = menu.list().GetImageList(framework::LVSIL_NORMAL);
        ASSERT_NE(images, nullptr);
        EXPECT_EQ(images->GetImageSize(), framework::CSize(32, 32));
        EXPECT_EQ(images->GetPixelRatio(), dpi / 96);

        framework::CBitmap shown;
        ASSERT_TRUE(kit.render(menu, shown));
        auto onScreen =
            pixelsOf(shown, framework::CRect(framework::CPoint(0, 0), shown.GetSize()), kRed);
        ASSERT_EQ(onScreen.size(), drawn.size());
        // The same shape, moved to where the icon sits.
        const framework::CPoint offset(onScreen[0].x - drawn[0].x, onScreen[0].y - drawn[0].y);
        for (size_t i = 0; i < drawn.size(); ++i) {
            ASSERT_EQ(onScreen[i], framework::CPoint(drawn[i].x + offset.x, drawn[i].y + offset.y))
                << i;
        }
        menu.OnCancel();
    }
}

// "Turn off GNSS" is wider than its cell: it goes onto two lines at a word, never cut short.
TEST(MainMenu, CaptionsWrapOntoTwoLinesRatherThanBeingCut) {
    for (const int dpi : {96, 192}) {
        SCOPED_TRACE(dpi);
        ScopedTestKit kit;
        kit.setScreenDpi(dpi);
        ScriptedReceiver receiver;
        CMainMenuDialog menu(&receiver, kSurveyModel, {});
        ASSERT_TRUE(kit.open(menu));
        std::map<MenuAction, std::vector<WideString>> lines;
        for (int row = 0; row < menu.list().GetItemCount(); ++row) {
            lines[static_cast<MenuAction>(menu.list().GetItemData(row))] =
                kit.listItemTextLines(menu, IDC_MAIN_MENU_LIST, row);
        }
        // At scale 1 the caption is wider than its cell. The 192 DPI font is not exactly twice as
        // wide, so there it may just fit; either way nothing of it is cut.
        const std::vector<WideString>& turnOff = lines[MenuAction::TurnOffGnss];
        if (dpi == 96) {
            EXPECT_EQ(turnOff, (std::vector<WideString>{u"Turn off", u"GNSS"}));
        } else if (turnOff.size() == 2) {
            EXPECT_EQ(turnOff[0] + u" " + turnOff[1], u"Turn off GNSS");
        } else {
            EXPECT_EQ(turnOff, std::vector<WideString>{u"Turn off GNSS"});
        }
        EXPECT_EQ(lines[MenuAction::Reset], std::vector<WideString>{u"Reset"});
        EXPECT_EQ(lines[MenuAction::About], std::vector<WideString>{u"About"});
        menu.OnCancel();
    }
}

framework::CRect placeIn(const CWnd& dialog, const CWnd& control) {
    framework::CRect rect;
    control.GetWindowRect(&rect);
    dialog.ScreenToClient(&rect);
    return rect;
}

// The GPS-only chip tells no versions: its about box has no firmware lines, and no empty band
// where they would be. What stays keeps its distances.
TEST(About, WithoutTheReceiversVersionsTheBoxClosesUpOverTheirLines) {
    for (const int dpi : {96, 192}) {
        SCOPED_TRACE(dpi);
        ScopedTestKit kit;
        kit.setScreenDpi(dpi);
        ScriptedReceiver board;
        ScriptedReceiver chip;
        chip.answer = 0;
        CAboutZentrix full(&board);
        CAboutZentrix gpsOnly(&chip);
        ASSERT_TRUE(kit.open(full));
        ASSERT_TRUE(kit.open(gpsOnly));

        framework::CRect fullClient;
        framework::CRect shortClient;
        full.GetClientRect(&fullClient);
        gpsOnly.GetClientRect(&shortClient);
        EXPECT_EQ(fullClient.Width(), shortClient.Width());
        EXPECT_LT(shortClient.Height(), fullClient.Height() * 2 / 3);

        const auto rectOf = [](const CWnd& dialog, framework::UINT id) {
            const CWnd* control = dialog.GetDlgItem(id);
            return control ? placeIn(dialog, *control) : framework::CRect();
        };
        const framework::CRect fullOk = rectOf(full, framework::IDOK);
        const framework::CRect shortOk = rectOf(gpsOnly, framework::IDOK);
        const framework::CRect lastLine = rectOf(full, IDC_ABOUT_SERVICE_VERSION);
        const framework::CRect version = rectOf(gpsOnly, IDC_ABOUT_VERSION);
        EXPECT_EQ(shortOk.top - version.bottom, fullOk.top - lastLine.bottom);
        EXPECT_EQ(shortClient.Height() - shortOk.bottom, fullClient.Height() - fullOk.bottom);
        EXPECT_EQ(fullClient.Height() - shortClient.Height(), fullOk.top - shortOk.top);
        EXPECT_EQ(shortOk.left, fullOk.left);

        // What shows lies inside the box and nothing overlaps.
        const framework::UINT shownIds[] = {IDC_ABOUT_ICON, IDC_ABOUT_TITLE, IDC_ABOUT_VERSION,
                                            framework::IDOK};
        for (const framework::UINT id : {IDC_ABOUT_GNSS_FIRMWARE, IDC_ABOUT_SYSTEM_FIRMWARE,
                                         IDC_ABOUT_SERVICE_LABEL, IDC_ABOUT_SERVICE_VERSION}) {
            EXPECT_FALSE(gpsOnly.GetDlgItem(id)->IsWindowVisible()) << id;
        }
        for (const framework::UINT a : shownIds) {
            const framework::CRect ra = rectOf(gpsOnly, a);
            EXPECT_TRUE(gpsOnly.GetDlgItem(a)->IsWindowVisible()) << a;
            EXPECT_EQ(ra.IntersectWith(shortClient), ra) << a;
            for (const framework::UINT b : shownIds) {
                if (a < b) {
                    EXPECT_TRUE(ra.IntersectWith(rectOf(gpsOnly, b)).IsRectEmpty())
                        << a << " " << b;
                }
            }
        }
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
