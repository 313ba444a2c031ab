#include "app/zentrix_app.h"

#include "app/main_menu_dialog.h"
#include "framework/message_box.h"
#include "framework/resources.h"
#include "platform/device_identity.h"
#include "platform/locale.h"
#include "platform/processes.h"
#include "receiver/gnss_receiver.h"
#include "receiver/sirf/sirf_receiver.h"
#include "resources/resource_ids.h"

namespace zentrix::app {

namespace {
constexpr char kInstanceMutexName[] = "ZenTrix";
constexpr char16_t kCompany[] = u"Orvanex";
}  // namespace

std::unique_ptr<receiver::ReceiverInterface> makeReceiver(DeviceModel model) {
    if (model == kSurveyModel)
        return std::make_unique<receiver::GnssReceiver>();
    return std::make_unique<receiver::SirfReceiver>(model);
}

CZentrixApp::CZentrixApp() : CWinApp(framework::loadString(IDS_APP_TITLE)) {
    instanceMutex_.emplace(kInstanceMutexName);
    if (!instanceMutex_->owned()) {
        // Another Zentrix of this handheld owns the receiver: this start ends without a word.
        alreadyRunning_ = true;
        instanceMutex_.reset();
        return;
    }
    deviceModel_ = deviceModelFromCode(platform::readModelCode());
    deviceName_ = receiverDeviceName(deviceModel_);
    receiver_ = makeReceiver(deviceModel_);
    receiver_->setDeviceModel(deviceModel_);
    receiver_->setNmeaOffOnDisconnect(true);

    framework::CWaitCursor wait;
    if (deviceModel_ == kSurveyModel)
        ensureServiceRunning();
    if (receiver_->connect(deviceName_)) {
        receiver_->setWtiOutput(true);
        receiver_->setA2dOutput(true);
    } else {
        connected_ = false;
    }
}

CZentrixApp::~CZentrixApp() {
    if (receiver_ && !receiverDisconnected_)
        receiver_->disconnect();
}

bool CZentrixApp::InitInstance() {
    if (alreadyRunning_)
        return false;
    loadLanguage();
    if (!connected_) {
        framework::AfxMessageBox(IDS_CANNOT_CONNECT_GPS);
        return false;
    }
    SetRegistryKey(kCompany);
    loadSettings(profile(), settings_);

    CMainMenuDialog menu(receiver_.get(), deviceModel_, settings_);
    m_pMainWnd = &menu;
    const int result = menu.DoModal();
    m_pMainWnd = nullptr;
    receiverDisconnected_ = menu.disconnected();
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
    return 0;
}

void CZentrixApp::loadLanguage() {
    const uint32_t locale = platform::systemDefaultLocaleId();
    const auto library = languageLibraryPath(platform::ownExecutablePath().parent_path(), locale,
                                             platform::englishLanguageName(locale));
    languageLoaded_ = framework::loadLanguageLibrary(library.string());
}

}  // namespace zentrix::app
