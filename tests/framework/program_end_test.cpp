// A termination signal ends a program's modal windows as their close boxes would, the innermost
// first, through the application object; a window that will not close is destroyed.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <csignal>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/message_box.h"
#include "framework/qt_window.h"
#include "framework/win_app.h"
#include "resources/resource_ids.h"

namespace zentrix::framework {
namespace {

std::vector<std::string> g_ended;
int g_requests = 0;

class Stubborn : public CDialog {
  public:
    Stubborn() : CDialog(IDD_SAMPLE_PAGE_EXTRA) {}
    void OnCancel() override { ++refusals; }
    int refusals = 0;
};

class NestedApp : public CWinApp {
  public:
    NestedApp() : CWinApp(u"Nested") {}

    bool InitInstance() override {
        // The outer dialog opens one that will not close, which opens a message box; the
        // signal comes while the box is up.
        CDialog outer(IDD_SAMPLE);
        setModalHandler([](CWnd&) {
            Stubborn inner;
            setModalHandler([](CWnd&) {
                setModalHandler(nullptr);
                std::raise(SIGTERM);
                // A real box: headless, the framework's own would answer without showing.
                MessageBoxRecord record;
                record.text = u"Apply?";
                record.type = MB_YESNO;
                const auto box = createMessageBox(nullptr, record);
                const int pressed = box->exec();
                g_ended.push_back(pressed == QMessageBox::No ? "box declined" : "box accepted");
            });
            const int result = inner.DoModal();
            g_ended.push_back("inner " + std::to_string(result) + " after " +
                              std::to_string(inner.refusals) + " refusals");
        });
        g_ended.push_back("outer " + std::to_string(outer.DoModal()));
        return false;
    }
    void OnTerminationRequest() override {
        ++g_requests;
        CWinApp::OnTerminationRequest();
    }
};

TEST(ProgramEnd, ATerminationSignalCancelsTheModalWindowsInnermostFirst) {
    static int argc = 1;
    static char name[] = "nested";
    static char* argv[] = {name, nullptr};
    const int exitCode = runApplication(argc, argv, [] { return std::make_unique<NestedApp>(); });
    setModalHandler(nullptr);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(g_requests, 1);
    EXPECT_EQ(g_ended, (std::vector<std::string>{"box declined", "inner -1 after 3 refusals",
                                                 "outer " + std::to_string(IDCANCEL)}));
}

}  // namespace
}  // namespace zentrix::framework
