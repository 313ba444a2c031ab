// The NMEA output sheet: where the receiver sends NMEA (Output) and which sentences at which
// intervals (Messages). User-interface thread.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>

#include "framework/property_sheet.h"
#include "receiver/commands/receiver_interface.h"
#include "ui/settings/nmea_output_model.h"

namespace zentrix::ui {

class CNmeaOutputSheet;

/// Chooses the output and its line settings; for the File output, the recording file and the
/// recorder's Start and Stop, which act at once.
class CNmeaOutputPage : public framework::CPropertyPage {
  public:
    /// `receiver` is not owned; `settings` must outlive the page. The page starts on the
    /// output `settings.portIndex` names (the first for an index beyond the list), offers
    /// `settings.bluetoothPort` when the receiver's Bluetooth port is off, stores the Bluetooth
    /// port confirmed at OK there, and writes the output last shown back when it is destroyed,
    /// confirmed or not.
    CNmeaOutputPage(CNmeaOutputSheet& sheet, receiver::ReceiverInterface* receiver,
                    NmeaOutputSettings& settings);
    ~CNmeaOutputPage() override;

    bool OnInitDialog() override;
    void DoDataExchange(framework::CDataExchange* dx) override;
    /// Sends the cable's baud or the Bluetooth port.
    void OnOK() override;

    /// "Start", "Stop", "New".
    void OnStartRecording();
    void OnStopRecording();
    void OnNewFile();

    /// The recording file as the receiver reported or took it ("/My Documents/NMEA.txt").
    const platform::WideString& recorderFile() const { return recorderFile_; }
    bool recording() const { return recording_; }

  private:
    void onOutputChosen();
    void onLineSettingChosen();
    void showOutput();
    void showCable();
    void showBluetooth();
    void showFile();
    void showFileName();
    void enableRecordingButtons();
    /// Start and Stop: the recorder on or off; the buttons follow only when the receiver agreed.
    void switchRecorder(bool on);
    framework::CComboBox* combo(framework::UINT id) const;
    uint32_t shownOutputCode() const;

    CNmeaOutputSheet& sheet_;
    receiver::ReceiverInterface* receiver_;
    NmeaOutputSettings& settings_;
    /// Exchanged with the output list.
    int outputIndex_ = 0;
    bool baudRead_ = false;
    bool baudChosen_ = false;
    bool filling_ = false;
    bool recording_ = false;
    platform::WideString recorderFile_;
};

/// The ten sentences and their intervals for the output the Output page shows. For the File
/// output they are sent when the user leaves this page, for the others at OK.
class CNmeaMessagesPage : public framework::CPropertyPage {
  public:
    CNmeaMessagesPage(CNmeaOutputSheet& sheet, receiver::ReceiverInterface* receiver);

    bool OnInitDialog() override;
    bool OnSetActive() override;
    bool OnKillActive() override;
    void OnOK() override;

    void OnCheckAll();
    void OnClearAll();

    /// The page has been made and its boxes were loaded for `outputCode`.
    bool shows(uint32_t outputCode) const;
    /// Any of the ten boxes is checked.
    bool anyChecked() const;
    /// The sentences as the page holds them now.
    NmeaMessagesState state() const;

  private:
    void load();
    void apply();
    void onSentenceClicked(const framework::NotifyInfo& info);
    void onIntervalChosen(const framework::NotifyInfo& info);
    void setAll(bool on);

    CNmeaOutputSheet& sheet_;
    receiver::ReceiverInterface* receiver_;
    bool loaded_ = false;
    uint32_t loadedFor_ = 0;
    bool loadAnswered_ = false;
    std::array<bool, kNmeaSentenceCount> worked_{};
};

class CNmeaOutputSheet : public framework::CPropertySheet {
  public:
    /// An empty caption, the Output page, then the Messages page. `receiver` is not owned.
    /// `settings` holds "NMEAPortIndex" and "NMEABluetoothPort": the caller loads it before and
    /// saves it after the sheet object is gone (see CNmeaOutputPage).
    CNmeaOutputSheet(receiver::ReceiverInterface* receiver, NmeaOutputSettings& settings,
                     framework::CWnd* parent = nullptr);

    CNmeaOutputPage& outputPage() { return outputPage_; }
    CNmeaMessagesPage& messagesPage() { return messagesPage_; }

    /// The output the Output page shows last (`NmeaOutputCode`).
    uint32_t outputCode() const { return outputCode_; }
    void setOutputCode(uint32_t code) { outputCode_ = code; }

    /// Whether any sentence goes out on `outputCode`: the Messages page's boxes when they were
    /// loaded for that output, else the receiver's report; nothing when it does not answer.
    std::optional<bool> anySentenceOn(uint32_t outputCode);

  private:
    receiver::ReceiverInterface* receiver_;
    uint32_t outputCode_ = kNmeaCable;
    CNmeaOutputPage outputPage_;
    CNmeaMessagesPage messagesPage_;
};

}  // namespace zentrix::ui
