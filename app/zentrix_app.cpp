#include "app/zentrix_app.h"

#include <cstdio>

#include "app/main_menu_dialog.h"
#include "app/receiver_connection.h"
#include "framework/message_box.h"
#include "framework/resources.h"
#include "platform/device_identity.h"
#include "platform/device_root.h"
#include "platform/local_channel.h"
#include "platform/locale.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "resources/resource_ids.h"

namespace zentrix::app {

namespace {
constexpr char kInstanceMutexName[] = "ZenTrix";
/// How long a second start waits for the running program to show its window. A running program
/// that is busy with the receiver answers only when the command ends; the second start then says
/// that it runs.
constexpr uint32_t kRaiseAnswerMs = 2000;
constexpr int kFailedStartExitCode = 1;

}  // namespace

CZentrixApp::CZentrixApp(StartOptions options) : CWinApp(framework::loadString(IDS_APP_TITLE)) {
    framework::setApplicationIcon(IDR_MAINFRAME);
    instanceMutex_.emplace(kInstanceMutexName);
    if (instanceMutex_->failed()) {
        // Not another Zentrix: the device root cannot hold the lock, and would not hold the
        // settings either.
        deviceRootError_ = instanceMutex_->error();
        instanceMutex_.reset();
        return;
    }
    if (!instanceMutex_->owned()) {
        // Another Zentrix of this handheld owns the receiver: it is asked to show its window.
        alreadyRunning_ = true;
        instanceMutex_.reset();
        const platform::ChannelReply reply = platform::sendLocalMessage(
            kInstanceMutexName, framework::kRaiseMessage, kRaiseAnswerMs);
        runningWindowRaised_ = reply.delivered && reply.answer == framework::kRaisedAnswer;
        return;
    }
    // From here on a second start can reach this one, even while it looks for the receiver.
    instanceChannel_ = std::make_unique<framework::InstanceChannel>(kInstanceMutexName);
    // The registry is only read here: the profile's key is set after a successful start, so
    // that a failed one writes nothing.
    const ReceiverPlan plan = planStart(options);
    deviceModel_ = plan.model;
    deviceName_ = plan.port;
    connected_ = connectReceiver(plan);
    if (connected_)
        startShare(plan);
}

void CZentrixApp::startShare(const ReceiverPlan& plan) {
    if (plan.share == ShareMode::Off)
        return;
    platform::LineShareOptions options;
    if (plan.share == ShareMode::TerminalAndTcp)
        options.tcpPort = plan.sharePort;
    share_ = std::make_unique<platform::LineShare>();
    if (!share_->start(options)) {
        // The receiver works without the share: say why the others see nothing, and go on.
        std::fprintf(stderr, "zentrix: the receiver is not shared: %s\n",
                     share_->lastError().c_str());
        share_.reset();
        return;
    }
    platform::attachReaderShare(share_.get());
}

void CZentrixApp::detachShare() {
    if (share_ && platform::readerShare() == share_.get())
        platform::attachReaderShare(nullptr);
}

bool CZentrixApp::connectReceiver(const ReceiverPlan& plan) {
    startupWindow_ =
        std::make_unique<CStartupWindow>(plan.port, platform::resolvePortName(plan.port));
    startupWindow_->open();
    framework::CWaitCursor wait;
    CStartupWindow* window = startupWindow_.get();
    ReceiverConnection connection = connectPlannedReceiver(
        plan, {.serviceSearch = [window] { window->showServiceSearch(); },
               .progress = [window](const receiver::ConnectStep& step) {
                   return window->showStep(step);
               },
               .cancelled = [window] { return window->cancelled(); }});
    receiver_ = std::move(connection.receiver);
    receiverKind_ = connection.kind;
    receiver_->setNmeaOffOnDisconnect(true);
    // Nothing is ever sent to a receiver that only talks NMEA.
    if (connection.connected && receiverKind_ != ReceiverKind::Nmea) {
        receiver_->setWtiOutput(true);
        receiver_->setA2dOutput(true);
    }
    startCancelled_ = connection.cancelled;
    connectionFailure_ = connection.failure;
    return connection.connected;
}

CZentrixApp::~CZentrixApp() {
    detachShare();
    if (receiver_ && !receiverDisconnected_)
        receiver_->disconnect();
}

bool CZentrixApp::InitInstance() {
    // The menu or the failure box takes the start-up window's place.
    startupWindow_.reset();
    if (startCancelled_ || (alreadyRunning_ && runningWindowRaised_))
        return false;
    loadLanguage();
    if (alreadyRunning_) {
        // The running one has no window yet (it is still looking for its receiver) or is busy.
        framework::AfxMessageBox(IDS_ALREADY_RUNNING, framework::MB_ICONINFORMATION);
        return false;
    }
    if (!deviceRootError_.empty()) {
        framework::AfxMessageBox(formatPattern(framework::loadString(IDS_DEVICE_ROOT_UNUSABLE),
                                               {platform::fromUtf8(platform::deviceRoot().string()),
                                                platform::fromUtf8(deviceRootError_)}),
                                 framework::MB_ICONERROR);
        exitCode_ = kFailedStartExitCode;
        return false;
    }
    if (!connected_) {
        framework::AfxMessageBox(connectionFailureText(connectionFailure_),
                                 framework::MB_ICONERROR);
        exitCode_ = kFailedStartExitCode;
        return false;
    }
    SetRegistryKey(kRegistryCompany);
    loadSettings(profile(), settings_);

    CMainMenuDialog menu(receiver_.get(), deviceModel_, receiverKind_, settings_, &profile());
    m_pMainWnd = &menu;
    const int result = menu.DoModal();
    m_pMainWnd = nullptr;
    receiverDisconnected_ = menu.disconnected();
    if (receiverDisconnected_)
        detachShare();
    if (result == framework::IDOK) {
        // Only what the menu's sheets may change comes back; the external-receiver flag is
        // never the menu's to set.
        const bool external = settings_.isExternalGps;
        settings_ = menu.settings();
        settings_.isExternalGps = external;
    }
    return false;
}

int CZentrixApp::ExitInstance() {
    saveSettings(profile(), settings_);
    if (languageLoaded_)
        framework::unloadLanguageLibrary();
    return exitCode_;
}

void CZentrixApp::OnTerminationRequest() {
    if (startupWindow_) {
        startupWindow_->OnCancel();
        return;
    }
    CWinApp::OnTerminationRequest();
}

void CZentrixApp::loadLanguage() {
    const uint32_t locale = platform::systemDefaultLocaleId();
    const auto library = languageLibraryPath(platform::ownExecutablePath().parent_path(), locale,
                                             platform::englishLanguageName(locale));
    languageLoaded_ = framework::loadLanguageLibrary(library.string());
}

}  // namespace zentrix::app
