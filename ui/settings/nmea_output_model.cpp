#include "ui/settings/nmea_output_model.h"

#include <algorithm>
#include <cmath>

namespace zentrix::ui {

namespace {

constexpr float kIntervalMatchSeconds = 0.001f;

/// The page position of message code `code`, or -1 for a sentence the page does not offer.
int sentenceIndex(uint32_t code) {
    const auto found = std::find(kNmeaSentenceCodes.begin(), kNmeaSentenceCodes.end(), code);
    return found == kNmeaSentenceCodes.end() ? -1
                                             : static_cast<int>(found - kNmeaSentenceCodes.begin());
}

size_t reportedCount(const receiver::MessageOutputs& outputs) {
    return std::min<size_t>(outputs.count, receiver::MessageOutputs::kMaxEntries);
}

}  // namespace

std::optional<uint32_t> nmeaOutputCode(int index) {
    if (index < 0 || index >= static_cast<int>(kNmeaOutputCodes.size()))
        return std::nullopt;
    return kNmeaOutputCodes[static_cast<size_t>(index)];
}

std::optional<int> nmeaIntervalIndex(float seconds) {
    for (size_t i = 0; i < kNmeaIntervalsSeconds.size(); ++i) {
        if (std::fabs(kNmeaIntervalsSeconds[i] - seconds) < kIntervalMatchSeconds)
            return static_cast<int>(i);
    }
    return std::nullopt;
}

NmeaSentencesShown nmeaSentencesFrom(const receiver::MessageOutputs& outputs) {
    NmeaSentencesShown shown{};
    for (size_t i = 0; i < reportedCount(outputs); ++i) {
        const receiver::MessageOutput& output = outputs.entries[i];
        const int index = sentenceIndex(output.messageCode);
        if (index < 0)
            continue;
        NmeaSentenceShown& sentence = shown[static_cast<size_t>(index)];
        if (output.intervalSeconds != 0)
            sentence.on = true;
        if (const std::optional<int> interval = nmeaIntervalIndex(output.intervalSeconds))
            sentence.interval = *interval;
    }
    return shown;
}

bool anyNmeaSentenceOn(const receiver::MessageOutputs& outputs) {
    for (size_t i = 0; i < reportedCount(outputs); ++i) {
        if (sentenceIndex(outputs.entries[i].messageCode) >= 0 &&
            outputs.entries[i].intervalSeconds != 0)
            return true;
    }
    return false;
}

std::vector<NmeaCall> planNmeaMessagesWrite(const NmeaMessagesState& state, uint32_t outputCode) {
    std::vector<NmeaCall> calls;
    if (state.loadedFor != outputCode)
        return calls;
    for (size_t i = 0; i < kNmeaSentenceCount; ++i) {
        if (!state.loaded && !state.worked[i])
            continue;
        const NmeaSentenceShown& sentence = state.shown[i];
        NmeaCall call;
        call.kind = NmeaCall::Kind::SetNmeaMessage;
        call.port = outputCode;
        call.value = kNmeaSentenceCodes[i];
        call.on = sentence.on;
        if (sentence.on && sentence.interval >= 0 &&
            sentence.interval < static_cast<int>(kNmeaIntervalsSeconds.size()))
            call.intervalSeconds = kNmeaIntervalsSeconds[static_cast<size_t>(sentence.interval)];
        calls.push_back(std::move(call));
    }
    return calls;
}

std::vector<NmeaCall> planNmeaOutputWrite(const NmeaOutputShown& shown,
                                          std::optional<bool> anySentenceOn) {
    std::vector<NmeaCall> calls;
    if (shown.outputCode == kNmeaCable) {
        // A baud the receiver did not report is no setting of its: only the user's choice is.
        const bool known = shown.baudRead || shown.baudChosen;
        if (known && shown.baud >= 0 && shown.baud < static_cast<int>(kNmeaBaudTexts.size())) {
            NmeaCall call;
            call.kind = NmeaCall::Kind::SetPortBaud;
            call.port = kNmeaCable;
            call.value = static_cast<uint32_t>(shown.baud);
            call.on = true;
            calls.push_back(std::move(call));
        }
    } else if (shown.outputCode == kNmeaBluetooth && anySentenceOn.has_value()) {
        const bool selected = shown.bluetoothPort >= 0 &&
                              shown.bluetoothPort < static_cast<int>(kNmeaBluetoothPorts.size());
        if (!*anySentenceOn || selected) {
            NmeaCall call;
            call.kind = NmeaCall::Kind::SetBluetoothPort;
            call.name = *anySentenceOn
                            ? platform::WideString(
                                  kNmeaBluetoothPorts[static_cast<size_t>(shown.bluetoothPort)])
                            : platform::WideString(kNmeaNoBluetoothPort);
            calls.push_back(std::move(call));
        }
    }
    return calls;
}

void applyNmeaCalls(receiver::ReceiverInterface& receiver, const std::vector<NmeaCall>& calls) {
    for (const NmeaCall& call : calls) {
        switch (call.kind) {
            case NmeaCall::Kind::SetPortBaud:
                // Mode 0 switches the port on.
                receiver.setPortBaud(call.port, call.value, call.on ? 0 : 1);
                break;
            case NmeaCall::Kind::SetBluetoothPort:
                receiver.setBluetoothPort(call.name);
                break;
            case NmeaCall::Kind::SetNmeaMessage:
                receiver.setNmeaMessage(call.port, call.value, call.on, call.intervalSeconds);
                break;
        }
    }
}

NmeaFilePath splitNmeaFilePath(platform::WideStringView path) {
    const size_t separator = path.find_last_of(u"/\\");
    if (separator == platform::WideStringView::npos)
        return {platform::WideString(), platform::WideString(path)};
    return {platform::WideString(separator == 0 ? path.substr(0, 1) : path.substr(0, separator)),
            platform::WideString(path.substr(separator + 1))};
}

std::optional<platform::WideString> nmeaFilePathRefusal(platform::WideStringView path) {
    const platform::WideString back = platform::ansiToWide(platform::wideToAnsi(path));
    for (size_t i = 0; i < path.size(); ++i) {
        const char16_t c = path[i];
        const bool separator = c == u',' || c == u'*' || c == u'$';
        const bool control = c < 0x20 || c == 0x7F;
        if (separator || control || i >= back.size() || back[i] != c) {
            // A surrogate pair is one character.
            const size_t length = (c >= 0xD800 && c < 0xDC00 && i + 1 < path.size()) ? 2 : 1;
            return platform::WideString(path.substr(i, length));
        }
    }
    return std::nullopt;
}

}  // namespace zentrix::ui
