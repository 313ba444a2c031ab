#include "app/zentrix_app.h"

#include <cstdio>

#include "app/main_menu_dialog.h"
#include "framework/message_box.h"
#include "framework/resources.h"
#include "platform/device_identity.h"
#include "platform/device_root.h"
#include "platform/local_channel.h"
#include "platform/locale.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "receiver/gnss_receiver.h"
#include "receiver/nmea_receiver/nmea_receiver.h"
#include "receiver/sirf/sirf_receiver.h"
#include "resources/resource_ids.h"

namespace zentrix::app {

namespace {
constexpr char kInstanceMutexName[] = "ZenTrix";
constexpr char16_t kCompany[] = u"Orvanex";
/// How long a second start waits for the running program to show its window. A running program
/// that is busy with the receiver answers only when the command ends; the second start then says
/// that it runs.
constexpr uint32_t kRaiseAnswerMs = 2000;
constexpr int kFailedStartExitCode = 1;

/// What the receiver's search tried, for the box that says it found nothing.
ConnectionFailure describeFailure(receiver::ReceiverInterface& receiver,
                                  const platform::WideString& deviceName) {
    ConnectionFailure failure;
    failure.portName = deviceName;
    failure.devicePath = platform::resolvePortName(deviceName);
    const platform::SerialPort* port = nullptr;
    if (auto* board = dynamic_cast<receiver::GnssReceiver*>(&receiver)) {
        failure.ratesTried = board->ratesTried();
        port = &board->serialPort();
    } else if (auto* chip = dynamic_cast<receiver::SirfReceiver*>(&receiver)) {
        failure.ratesTried = chip->ratesTried();
        port = &chip->serialPort();
    } else if (auto* nmea = dynamic_cast<receiver::NmeaReceiver*>(&receiver)) {
        failure.ratesTried = nmea->ratesTried();
        port = &nmea->serialPort();
    }
    if (failure.ratesTried.empty() && port)
        failure.openError = port->lastError();
    return failure;
}

}  // namespace

std::unique_ptr<receiver::ReceiverInterface> makeReceiver(DeviceModel model) {
    if (model == kSurveyModel)
        return std::make_unique<receiver::GnssReceiver>();
    return std::make_unique<receiver::SirfReceiver>(model);
}

std::unique_ptr<receiver::ReceiverInterface> makeReceiver(ReceiverKind kind, DeviceModel model) {
    switch (kind) {
        case ReceiverKind::Board:
            return std::make_unique<receiver::GnssReceiver>();
        case ReceiverKind::Sirf:
            return std::make_unique<receiver::SirfReceiver>(model);
        case ReceiverKind::Nmea:
            break;
    }
    return std::make_unique<receiver::NmeaReceiver>();
}

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
    platform::AppProfile stored(platform::Registry::device(), applicationName());
    stored.setRegistryKey(kCompany);
    const ReceiverPlan plan = planReceiver(deviceModelFromCode(platform::readModelCode()), options,
                                           loadReceiverSettings(stored));
    deviceModel_ = plan.model;
    deviceName_ = plan.port;
    receiverKind_ = plan.kind;
    receiver_ = makeReceiver(receiverKind_, deviceModel_);
    receiver_->setDeviceModel(deviceModel_);
    receiver_->setNmeaOffOnDisconnect(true);
    connected_ = connectReceiver(plan.nmeaFallback);
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

bool CZentrixApp::searchReceiver() {
    receiver_->setConnectProgress(
        [window = startupWindow_.get()](const receiver::ConnectStep& step) {
            return window->showStep(step);
        });
    const bool found = !startupWindow_->cancelled() && receiver_->connect(deviceName_) != 0;
    receiver_->setConnectProgress(nullptr);
    return found;
}

bool CZentrixApp::connectReceiver(bool nmeaFallback) {
    startupWindow_ =
        std::make_unique<CStartupWindow>(deviceName_, platform::resolvePortName(deviceName_));
    startupWindow_->open();
    framework::CWaitCursor wait;
    if (receiverKind_ == ReceiverKind::Board) {
        startupWindow_->showServiceSearch();
        ensureServiceRunning();
    }
    bool found = searchReceiver();
    auto* board = dynamic_cast<receiver::GnssReceiver*>(receiver_.get());
    if (!found && nmeaFallback && board && board->heardBaud() != 0 &&
        !startupWindow_->cancelled()) {
        // Sentences on the line but no board answering them: a receiver that only talks NMEA.
        // The board's port is given back without its disconnect, whose commands would each wait
        // out their time-out on a receiver that never answers.
        board->stopReader();
        board->closePort();
        receiverKind_ = ReceiverKind::Nmea;
        receiver_ = makeReceiver(receiverKind_, deviceModel_);
        receiver_->setDeviceModel(deviceModel_);
        found = searchReceiver();
    }
    // Nothing is ever sent to a receiver that only talks NMEA.
    if (found && receiverKind_ != ReceiverKind::Nmea) {
        receiver_->setWtiOutput(true);
        receiver_->setA2dOutput(true);
    }
    // A Cancel while the receiver was being set up still counts: the user asked to end.
    startCancelled_ = startupWindow_->cancelled();
    if (!found && !startCancelled_)
        connectionFailure_ = describeFailure(*receiver_, deviceName_);
    return found && !startCancelled_;
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
    SetRegistryKey(kCompany);
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
