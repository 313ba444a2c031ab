#include "ui/settings/troubleshoot_settings.h"

#include "platform/clock.h"

namespace zentrix::ui {

TroubleshootRead readTroubleshoot(receiver::ReceiverInterface& receiver) {
    TroubleshootRead read;

    int32_t on = 0, number = 0, ring = 0;
    if (receiver.queryAutoLogging(on, number, ring) != 0) {
        if (on == 0) {
            read.debugKnown = true;
        } else if (receiver.queryAutoLogging(on, number, ring) != 0) {
            read.debugKnown = true;
            if (ring != 0) {
                read.debugRecording = true;
            } else {
                // Linear recording fills the receiver's memory and then stops: not wanted.
                receiver.setAutoLogging(false);
            }
        }
    }

    uint32_t code = 0;
    if (receiver.queryMemory(code) != 0) {
        read.memoryCode = code;
        WideString path;
        if (code == kMemoryPath && receiver.queryFilePath(path) != 0)
            read.receiverPath = std::move(path);
    }
    return read;
}

TroubleshootView troubleshootView(const TroubleshootRead& read, WideStringView internalMemory,
                                  WideStringView storageCard) {
    TroubleshootView view;
    view.storageEntries = {WideString(internalMemory), WideString(storageCard)};
    if (read.receiverPath)
        view.storageEntries.push_back(*read.receiverPath);
    view.shown.debugChecked = read.debugRecording;
    if (read.memoryCode) {
        view.shown.storageIndex = 0;
        if (*read.memoryCode == kMemoryCard)
            view.shown.storageIndex = 1;
        if (*read.memoryCode == kMemoryPath && read.receiverPath)
            view.shown.storageIndex = 2;
    }
    view.storageEnabled = !read.debugRecording && read.memoryCode != kMemoryPath;
    return view;
}

int32_t memoryCodeOfEntry(int index) {
    switch (index) {
        case 1:
            return kMemoryCard;
        case 2:
            return kMemoryPath;
        default:
            return kMemoryInternal;
    }
}

TroubleshootWrite planTroubleshootWrite(const TroubleshootRead& read,
                                        const TroubleshootShown& atOpening,
                                        const TroubleshootShown& now) {
    TroubleshootWrite write;
    if (now.storageIndex >= 0 && now.storageIndex != atOpening.storageIndex)
        write.memoryCode = memoryCodeOfEntry(now.storageIndex);
    if (read.debugKnown || now.debugChecked != atOpening.debugChecked)
        write.debugRecording = now.debugChecked;
    return write;
}

TroubleshootWriteResult applyTroubleshootWrite(receiver::ReceiverInterface& receiver,
                                               const TroubleshootWrite& write) {
    if (write.memoryCode)
        receiver.setMemory(*write.memoryCode);
    if (!write.debugRecording)
        return TroubleshootWriteResult::Done;
    if (!*write.debugRecording) {
        receiver.setAutoLogging(false);
        return TroubleshootWriteResult::Done;
    }
    // A receiver that refused (or cannot record: the GPS-only chip) would otherwise leave the
    // box looking applied.
    if (receiver.setAutoLogging(true) == 0)
        return TroubleshootWriteResult::DebugRecordingFailed;
    platform::sleepMs(kDebugRecordingSettleMs);
    int32_t on = 0, number = 0, ring = 0;
    if (receiver.queryAutoLogging(on, number, ring) != 0 && ring == 0) {
        receiver.setAutoLogging(false);
        return TroubleshootWriteResult::DebugRecordingFailed;
    }
    return TroubleshootWriteResult::Done;
}

CommandText commandTextFor(WideStringView typed) {
    CommandText text;
    typed = typed.substr(0, kCommandMaxChars);
    if (typed.empty())
        return text;
    if (typed.find_first_of(u"\r\n") != WideStringView::npos) {
        text.check = CommandTextCheck::LineBreak;
        return text;
    }
    std::string bytes = platform::wideToAnsi(typed);
    const WideString back = platform::ansiToWide(bytes);
    for (size_t i = 0; i < typed.size(); ++i) {
        // A zero would cut the command where a C string ends.
        if (typed[i] == u'\0' || i >= back.size() || back[i] != typed[i]) {
            text.check = CommandTextCheck::NotInCodePage;
            size_t length = 1;
            if (i + 1 < typed.size() && typed[i] >= 0xD800 && typed[i] < 0xDC00)
                length = 2;  // a surrogate pair is one character
            text.offending = WideString(typed.substr(i, length));
            return text;
        }
    }
    text.check = CommandTextCheck::Sendable;
    text.bytes = std::move(bytes);
    return text;
}

}  // namespace zentrix::ui
