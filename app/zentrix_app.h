// The application object: finds the handheld's receiver before any window exists, runs the main
// menu, and leaves the receiver and the settings as a field user expects to find them next time.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/settings.h"
#include "app/startup.h"
#include "app/startup_window.h"
#include "framework/instance_channel.h"
#include "framework/win_app.h"
#include "platform/line_share.h"
#include "platform/named_mutex.h"
#include "receiver/commands/receiver_interface.h"

namespace zentrix::app {

class CZentrixApp : public framework::CWinApp {
  public:
    /// The program's start: the single-instance guard, the model, the receiver and the
    /// connection (which can take minutes when no receiver answers), under the wait cursor.
    /// `options` are the command line's; the registry's "Receiver" and "Port" fill what it
    /// leaves open.
    explicit CZentrixApp(StartOptions options = {});
    /// Disconnects the receiver if the menu did not, then lets it go.
    ~CZentrixApp() override;

    /// Runs the main menu; always false, so the program ends when the menu closes.
    bool InitInstance() override;
    /// Saves the settings (after every start: without the registry key, which only a connected
    /// start sets, the writes do nothing) and lets the language library go. Answers 1 after a
    /// start that found no receiver or could not use its device root, else 0.
    int ExitInstance() override;
    /// A termination signal: during the search, the start-up window's Cancel; later, Cancel in
    /// every open window, so that the receiver is given back and the settings saved.
    void OnTerminationRequest() override;

    bool alreadyRunning() const { return alreadyRunning_; }
    /// A second start: the running program showed its window when asked.
    bool runningWindowRaised() const { return runningWindowRaised_; }
    /// Why the single-instance lock could not be taken at all (the device root); empty if it could.
    const std::string& deviceRootError() const { return deviceRootError_; }
    const ConnectionFailure& connectionFailure() const { return connectionFailure_; }
    /// The channel through which a second start asks for the window; null in a second start.
    framework::InstanceChannel* instanceChannel() { return instanceChannel_.get(); }
    bool connected() const { return connected_; }
    /// The user cancelled the search for the receiver in the start-up window.
    bool startCancelled() const { return startCancelled_; }
    /// The start-up window until the first window of the program replaces it; null after.
    CStartupWindow* startupWindow() { return startupWindow_.get(); }
    DeviceModel deviceModel() const { return deviceModel_; }
    /// The kind of receiver the program drives: after an automatic start that found only NMEA
    /// on the line, `Nmea`.
    ReceiverKind receiverKind() const { return receiverKind_; }
    const platform::WideString& deviceName() const { return deviceName_; }
    receiver::ReceiverInterface* receiver() { return receiver_.get(); }
    /// The share of the connected receiver with other programs; null when it is off or could
    /// not start.
    platform::LineShare* share() { return share_.get(); }
    ConnectionSettings& settings() { return settings_; }

  private:
    /// Looks for the receiver under the start-up window; false when it was not found or the
    /// user cancelled.
    bool connectReceiver(const ReceiverPlan& plan);
    void loadLanguage();
    /// Hands the connected receiver's bytes on to other programs as `plan` asks.
    void startShare(const ReceiverPlan& plan);
    /// Stops the readers' mirroring before the receiver is let go.
    void detachShare();

    std::optional<platform::NamedMutex> instanceMutex_;
    std::unique_ptr<framework::InstanceChannel> instanceChannel_;
    bool alreadyRunning_ = false;
    bool runningWindowRaised_ = false;
    std::string deviceRootError_;
    ConnectionFailure connectionFailure_;
    int exitCode_ = 0;
    bool connected_ = true;
    bool startCancelled_ = false;
    std::unique_ptr<CStartupWindow> startupWindow_;
    bool receiverDisconnected_ = false;
    bool languageLoaded_ = false;
    DeviceModel deviceModel_ = kSurveyModel;
    ReceiverKind receiverKind_ = ReceiverKind::Board;
    platform::WideString deviceName_;
    // Declared before the receiver, so that it outlives the reader that mirrors into it.
    std::unique_ptr<platform::LineShare> share_;
    std::unique_ptr<receiver::ReceiverInterface> receiver_;
    ConnectionSettings settings_;
};

}  // namespace zentrix::app
