#include "ui/settings/nmea_output_sheet.h"

#include <algorithm>

#include "framework/dialog.h"
#include "framework/file_dialog.h"
#include "framework/message_box.h"
#include "framework/resources.h"
#include "resources/resource_ids.h"

namespace zentrix::ui {

using framework::CComboBox;
using framework::UINT;
using platform::WideString;

namespace {

constexpr UINT kRecordingControls[] = {
    IDC_NMEA_FILE_NAME_LABEL, IDC_NMEA_FILE_NAME, IDC_NMEA_FILE_LOCATION_LABEL,
    IDC_NMEA_FILE_LOCATION,   IDC_NMEA_FILE_NEW,  IDC_NMEA_RECORD_START,
    IDC_NMEA_RECORD_STOP};

struct SentenceControls {
    UINT check;
    UINT interval;
};
/// In the order of kNmeaSentenceCodes.
constexpr SentenceControls kSentenceControls[kNmeaSentenceCount] = {
    {IDC_NMEA_GGA, IDC_NMEA_GGA_INTERVAL}, {IDC_NMEA_GLL, IDC_NMEA_GLL_INTERVAL},
    {IDC_NMEA_GSA, IDC_NMEA_GSA_INTERVAL}, {IDC_NMEA_GSV, IDC_NMEA_GSV_INTERVAL},
    {IDC_NMEA_RMC, IDC_NMEA_RMC_INTERVAL}, {IDC_NMEA_RRE, IDC_NMEA_RRE_INTERVAL},
    {IDC_NMEA_VTG, IDC_NMEA_VTG_INTERVAL}, {IDC_NMEA_ZDA, IDC_NMEA_ZDA_INTERVAL},
    {IDC_NMEA_GST, IDC_NMEA_GST_INTERVAL}, {IDC_NMEA_GNS, IDC_NMEA_GNS_INTERVAL}};

constexpr char16_t kTextFileFilter[] = u"Text File (*.txt)|*.txt|";

/// The receiver writes recording paths with "/", the handheld's dialogs with "\".
WideString withSeparator(WideString path, char16_t from, char16_t to) {
    std::replace(path.begin(), path.end(), from, to);
    return path;
}

}  // namespace

// ---- Output page ------------------------------------------------------------------------------

CNmeaOutputPage::CNmeaOutputPage(CNmeaOutputSheet& sheet, receiver::ReceiverInterface* receiver,
                                 NmeaOutputSettings& settings)
    : CPropertyPage(IDD_NMEA_OUTPUT), sheet_(sheet), receiver_(receiver), settings_(settings) {
    outputIndex_ =
        settings_.portIndex < kNmeaOutputCodes.size() ? static_cast<int>(settings_.portIndex) : 0;
    using framework::BN_CLICKED;
    using framework::CBN_SELCHANGE;
    MapNotification(CBN_SELCHANGE, IDC_NMEA_OUTPUT, &CNmeaOutputPage::onOutputChosen);
    MapNotification(CBN_SELCHANGE, IDC_NMEA_BAUD, &CNmeaOutputPage::onLineSettingChosen);
    MapNotification(BN_CLICKED, IDC_NMEA_FILE_NEW, &CNmeaOutputPage::OnNewFile);
    MapNotification(BN_CLICKED, IDC_NMEA_RECORD_START, &CNmeaOutputPage::OnStartRecording);
    MapNotification(BN_CLICKED, IDC_NMEA_RECORD_STOP, &CNmeaOutputPage::OnStopRecording);
}

CNmeaOutputPage::~CNmeaOutputPage() {
    // Kept whether or not the sheet was confirmed: the next opening starts where this one ended.
    settings_.portIndex = outputIndex_ >= 0 ? static_cast<uint32_t>(outputIndex_) : 0;
}

CComboBox* CNmeaOutputPage::combo(UINT id) const {
    return dynamic_cast<CComboBox*>(GetDlgItem(id));
}

void CNmeaOutputPage::DoDataExchange(framework::CDataExchange* dx) {
    CPropertyPage::DoDataExchange(dx);
    framework::DDX_CBIndex(dx, IDC_NMEA_OUTPUT, outputIndex_);
}

bool CNmeaOutputPage::OnInitDialog() {
    filling_ = true;
    CPropertyPage::OnInitDialog();
    showOutput();
    filling_ = false;
    return true;
}

uint32_t CNmeaOutputPage::shownOutputCode() const {
    return nmeaOutputCode(outputIndex_).value_or(kNmeaVirtualPort);
}

void CNmeaOutputPage::onOutputChosen() {
    if (CComboBox* outputs = combo(IDC_NMEA_OUTPUT))
        outputIndex_ = outputs->GetCurSel();
    filling_ = true;
    showOutput();
    filling_ = false;
}

void CNmeaOutputPage::onLineSettingChosen() {
    if (!filling_)
        baudChosen_ = true;
}

void CNmeaOutputPage::showOutput() {
    const uint32_t code = shownOutputCode();
    ShowDlgItems(kRecordingControls, code == kNmeaFile);
    if (code != kNmeaCable && code != kNmeaBluetooth)
        ShowDlgItems({IDC_NMEA_BAUD_LABEL, IDC_NMEA_BAUD}, false);
    switch (code) {
        case kNmeaCable:
            showCable();
            break;
        case kNmeaBluetooth:
            showBluetooth();
            break;
        case kNmeaFile:
            showFile();
            break;
        default:
            break;
    }
    sheet_.setOutputCode(code);
}

void CNmeaOutputPage::showCable() {
    baudRead_ = false;
    baudChosen_ = false;
    if (CComboBox* bauds = combo(IDC_NMEA_BAUD)) {
        // One combo serves both lists: what the other output put there goes first.
        bauds->ResetContent();
        for (const char16_t* text : kNmeaBaudTexts) bauds->AddString(text);
        uint32_t baudCode = 0;
        if (receiver_ != nullptr) {
            framework::CWaitCursor wait;
            if (receiver_->queryPortBaud(kNmeaCable, baudCode) != 0 &&
                baudCode < kNmeaBaudTexts.size()) {
                bauds->SetCurSel(static_cast<int>(baudCode));
                baudRead_ = true;
            }
        }
    }
    SetDlgItemText(IDC_NMEA_BAUD_LABEL, framework::loadString(IDS_NMEA_BAUD_RATE));
    ShowDlgItems({IDC_NMEA_BAUD_LABEL, IDC_NMEA_BAUD}, true);
}

void CNmeaOutputPage::showBluetooth() {
    WideString name;
    bool answered = false;
    if (receiver_ != nullptr) {
        framework::CWaitCursor wait;
        answered = receiver_->queryBluetoothPort(name) != 0;
    }
    // The receiver says "NONE" while the port is off: the user's last port is offered again.
    if (!answered || name == kNmeaNoBluetoothPort)
        name = settings_.bluetoothPort;
    if (CComboBox* ports = combo(IDC_NMEA_BAUD)) {
        ports->ResetContent();
        for (const char16_t* port : kNmeaBluetoothPorts) ports->AddString(port);
        const int match = ports->FindStringExact(-1, name);
        // Without an answer there is no port to fall back on: the user must pick one.
        ports->SetCurSel(match >= 0 ? match : (answered ? 0 : -1));
    }
    SetDlgItemText(IDC_NMEA_BAUD_LABEL, framework::loadString(IDS_NMEA_PORT));
    ShowDlgItems({IDC_NMEA_BAUD_LABEL, IDC_NMEA_BAUD}, true);
}

void CNmeaOutputPage::showFile() {
    recording_ = false;
    recorderFile_.clear();
    if (receiver_ != nullptr) {
        framework::CWaitCursor wait;
        uint8_t on = 0;
        if (receiver_->queryRecorderState(on) != 0)
            recording_ = on != 0;
        WideString file;
        if (receiver_->queryRecorderFile(file) != 0)
            recorderFile_ = file;
    }
    showFileName();
    enableRecordingButtons();
}

void CNmeaOutputPage::showFileName() {
    const NmeaFilePath path = splitNmeaFilePath(recorderFile_);
    SetDlgItemText(IDC_NMEA_FILE_NAME, path.name);
    SetDlgItemText(IDC_NMEA_FILE_LOCATION, path.folder);
}

void CNmeaOutputPage::enableRecordingButtons() {
    const auto enable = [this](UINT id, bool on) {
        if (CWnd* button = GetDlgItem(id))
            button->EnableWindow(on);
    };
    enable(IDC_NMEA_FILE_NEW, true);
    enable(IDC_NMEA_RECORD_START, !recording_);
    enable(IDC_NMEA_RECORD_STOP, recording_);
}

void CNmeaOutputPage::OnStartRecording() {
    switchRecorder(true);
}

void CNmeaOutputPage::OnStopRecording() {
    switchRecorder(false);
}

void CNmeaOutputPage::switchRecorder(bool on) {
    if (receiver_ == nullptr)
        return;
    framework::CWaitCursor wait;
    if (receiver_->setRecorder(on) != 0) {
        recording_ = on;
        enableRecordingButtons();
    }
}

void CNmeaOutputPage::OnNewFile() {
    const NmeaFilePath current = splitNmeaFilePath(recorderFile_);
    framework::CFileDialog dialog(false, {}, current.name,
                                  framework::OFN_HIDEREADONLY | framework::OFN_OVERWRITEPROMPT,
                                  kTextFileFilter, this);
    dialog.SetInitialFolder(withSeparator(current.folder, u'/', u'\\'));
    if (dialog.DoModal() != framework::IDOK)
        return;
    const WideString chosen = withSeparator(dialog.GetPathName(), u'\\', u'/');
    // The path goes into a command field: a separator in it would end the field, and a
    // character the receiver's code page lacks would name another file.
    if (const std::optional<WideString> refused = nmeaFilePathRefusal(chosen)) {
        framework::AfxMessageBox(
            framework::formatPattern(framework::loadString(IDS_NMEA_FILE_NAME_REFUSED), {*refused}),
            framework::MB_ICONEXCLAMATION);
        return;
    }
    if (chosen == recorderFile_ || receiver_ == nullptr)
        return;
    framework::CWaitCursor wait;
    if (receiver_->setRecorderFile(chosen) != 0) {
        recorderFile_ = chosen;
        showFileName();
    }
}

void CNmeaOutputPage::OnOK() {
    if (GetSafeHwnd() != nullptr) {
        NmeaOutputShown shown;
        shown.outputCode = shownOutputCode();
        const CComboBox* list = combo(IDC_NMEA_BAUD);
        const int selected = list != nullptr ? list->GetCurSel() : -1;
        if (shown.outputCode == kNmeaCable) {
            shown.baud = selected;
            shown.baudRead = baudRead_;
            shown.baudChosen = baudChosen_;
        } else if (shown.outputCode == kNmeaBluetooth) {
            shown.bluetoothPort = selected;
        }
        if (receiver_ != nullptr) {
            framework::CWaitCursor wait;
            const std::optional<bool> anyOn = shown.outputCode == kNmeaBluetooth
                                                  ? sheet_.anySentenceOn(kNmeaBluetooth)
                                                  : std::optional<bool>(false);
            applyNmeaCalls(*receiver_, planNmeaOutputWrite(shown, anyOn));
        }
        if (shown.outputCode == kNmeaBluetooth && selected >= 0 &&
            selected < static_cast<int>(kNmeaBluetoothPorts.size()))
            settings_.bluetoothPort = kNmeaBluetoothPorts[static_cast<size_t>(selected)];
        sheet_.setOutputCode(shown.outputCode);
    }
    CPropertyPage::OnOK();
}

// ---- Messages page ----------------------------------------------------------------------------

CNmeaMessagesPage::CNmeaMessagesPage(CNmeaOutputSheet& sheet, receiver::ReceiverInterface* receiver)
    : CPropertyPage(IDD_NMEA_MESSAGES), sheet_(sheet), receiver_(receiver) {
    using framework::BN_CLICKED;
    using framework::CBN_SELCHANGE;
    for (const SentenceControls& controls : kSentenceControls) {
        MapNotification(BN_CLICKED, controls.check, &CNmeaMessagesPage::onSentenceClicked);
        MapNotification(CBN_SELCHANGE, controls.interval, &CNmeaMessagesPage::onIntervalChosen);
    }
    MapNotification(BN_CLICKED, IDC_NMEA_CHECK_ALL, &CNmeaMessagesPage::OnCheckAll);
    MapNotification(BN_CLICKED, IDC_NMEA_CLEAR_ALL, &CNmeaMessagesPage::OnClearAll);
}

namespace {

/// The page position of the sentence whose check box or interval list is `id`, -1 for none.
int sentenceOfControl(UINT id) {
    for (int i = 0; i < kNmeaSentenceCount; ++i) {
        if (kSentenceControls[i].check == id || kSentenceControls[i].interval == id)
            return i;
    }
    return -1;
}

}  // namespace

bool CNmeaMessagesPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    load();
    return true;
}

bool CNmeaMessagesPage::OnSetActive() {
    // The first activation follows OnInitDialog, which has just loaded.
    if (!m_bFirstSetActive && sheet_.outputCode() != loadedFor_)
        load();
    return CPropertyPage::OnSetActive();
}

bool CNmeaMessagesPage::OnKillActive() {
    if (!CPropertyPage::OnKillActive())
        return false;
    // The recording file takes its sentences when the user turns back to the file's controls.
    if (sheet_.outputCode() == kNmeaFile)
        apply();
    return true;
}

void CNmeaMessagesPage::OnOK() {
    if (GetSafeHwnd() != nullptr && sheet_.outputCode() != kNmeaFile)
        apply();
    CPropertyPage::OnOK();
}

void CNmeaMessagesPage::load() {
    framework::CWaitCursor wait;
    const uint32_t code = sheet_.outputCode();
    receiver::MessageOutputs outputs;
    loadAnswered_ = receiver_ != nullptr && receiver_->queryNmeaOutputs(code, outputs) != 0;
    const NmeaSentencesShown shown =
        loadAnswered_ ? nmeaSentencesFrom(outputs) : NmeaSentencesShown{};
    for (int i = 0; i < kNmeaSentenceCount; ++i) {
        const SentenceControls& controls = kSentenceControls[i];
        CheckDlgButton(controls.check,
                       shown[i].on ? framework::BST_CHECKED : framework::BST_UNCHECKED);
        if (CWnd* check = GetDlgItem(controls.check))
            check->EnableWindow(true);
        if (auto* interval = dynamic_cast<CComboBox*>(GetDlgItem(controls.interval))) {
            interval->SetCurSel(shown[i].interval);
            interval->EnableWindow(shown[i].on);
        }
    }
    worked_.fill(false);
    loadedFor_ = code;
    loaded_ = true;
}

NmeaMessagesState CNmeaMessagesPage::state() const {
    NmeaMessagesState state;
    state.loadedFor = loadedFor_;
    state.loaded = loadAnswered_;
    state.worked = worked_;
    for (int i = 0; i < kNmeaSentenceCount; ++i) {
        state.shown[i].on =
            IsDlgButtonChecked(kSentenceControls[i].check) == framework::BST_CHECKED;
        const auto* interval = dynamic_cast<CComboBox*>(GetDlgItem(kSentenceControls[i].interval));
        state.shown[i].interval = interval != nullptr ? interval->GetCurSel() : -1;
    }
    return state;
}

void CNmeaMessagesPage::apply() {
    if (!loaded_ || receiver_ == nullptr)
        return;
    framework::CWaitCursor wait;
    applyNmeaCalls(*receiver_, planNmeaMessagesWrite(state(), sheet_.outputCode()));
}

bool CNmeaMessagesPage::shows(uint32_t outputCode) const {
    return GetSafeHwnd() != nullptr && loaded_ && loadedFor_ == outputCode;
}

bool CNmeaMessagesPage::anyChecked() const {
    for (const SentenceControls& controls : kSentenceControls) {
        if (IsDlgButtonChecked(controls.check) == framework::BST_CHECKED)
            return true;
    }
    return false;
}

void CNmeaMessagesPage::onSentenceClicked(const framework::NotifyInfo& info) {
    const int index = sentenceOfControl(info.idFrom);
    if (index < 0)
        return;
    worked_[index] = true;
    const SentenceControls& controls = kSentenceControls[index];
    if (CWnd* interval = GetDlgItem(controls.interval))
        interval->EnableWindow(IsDlgButtonChecked(controls.check) == framework::BST_CHECKED);
}

void CNmeaMessagesPage::onIntervalChosen(const framework::NotifyInfo& info) {
    const int index = sentenceOfControl(info.idFrom);
    if (index >= 0)
        worked_[index] = true;
}

void CNmeaMessagesPage::OnCheckAll() {
    setAll(true);
}

void CNmeaMessagesPage::OnClearAll() {
    setAll(false);
}

void CNmeaMessagesPage::setAll(bool on) {
    worked_.fill(true);
    for (const SentenceControls& controls : kSentenceControls) {
        CheckDlgButton(controls.check, on ? framework::BST_CHECKED : framework::BST_UNCHECKED);
        if (CWnd* interval = GetDlgItem(controls.interval))
            interval->EnableWindow(on);
    }
}

// ---- Sheet ------------------------------------------------------------------------------------

CNmeaOutputSheet::CNmeaOutputSheet(receiver::ReceiverInterface* receiver,
                                   NmeaOutputSettings& settings, framework::CWnd* parent)
    : CPropertySheet(platform::WideStringView(), parent),
      receiver_(receiver),
      outputPage_(*this, receiver, settings),
      messagesPage_(*this, receiver) {
    AddPage(&outputPage_);
    AddPage(&messagesPage_);
}

std::optional<bool> CNmeaOutputSheet::anySentenceOn(uint32_t outputCode) {
    // Boxes loaded for another output say nothing about this one.
    if (messagesPage_.shows(outputCode))
        return messagesPage_.anyChecked();
    receiver::MessageOutputs outputs;
    if (receiver_ == nullptr || receiver_->queryNmeaOutputs(outputCode, outputs) == 0)
        return std::nullopt;
    return anyNmeaSentenceOn(outputs);
}

}  // namespace zentrix::ui
