// Replies about recording and files, and the receiver's identity: family and firmware versions.
#include <string>

#include "receiver/replies/receiver_family.h"
#include "receiver/replies/reply_fields.h"
#include "receiver/replies/reply_state.h"

namespace zentrix::receiver {

using namespace reply;

namespace {

// The text after "FIL,CUR,", "FIL,PTH,", "NRC,FIL," or "RCP,REF,".
constexpr size_t kSubTypeTextPosition = 15;

// The version report's value after `label`, up to the line end, without spaces, cut to 10.
template <size_t N>
void versionValue(std::string_view block, std::string_view label, FixedText<N>& out) {
    out.clear();
    const size_t at = block.find(label);
    if (at == std::string_view::npos)
        return;
    std::string value;
    for (size_t i = at + label.size(); i < block.size(); ++i) {
        const char c = block[i];
        if (c == '\r' || c == '\n' || c == '\0')
            break;
        if (c != ' ')
            value += c;
        if (value.size() == N)
            break;
    }
    out.assign(value);
}

}  // namespace

bool ReplyState::parseDri(const Sentence& s) {
    FieldCursor cursor(s, kFirstField);
    // Five integer digits: an interval of an hour or more must read back as itself.
    recordingIntervalSeconds_.store(cursor.parseFixed(5, 2));
    return true;
}

bool ReplyState::parseRec(const Sentence& s) {
    const char status = s.at(kFirstField);
    const bool on = status == 'Y' || status == 'R';
    if (status == 'N' || status == 'S')
        recordingStopped = 1;
    recording_.store(on);
    return true;
}

bool ReplyState::parseAtl(const Sentence& s) {
    AutoLogging logging;
    logging.on = field(s, 1) == "ON";
    logging.number = textToInt(field(s, 2));
    logging.ring = field(s, 3).substr(0, 1) == "R";
    autoLogging_.store(logging);
    return true;
}

bool ReplyState::parseMem(const Sentence& s) {
    FieldCursor cursor(s, kFirstField);
    memory_.store(cursor.parseDigits(1));
    return true;
}

bool ReplyState::parseWti(const Sentence& s) {
    FieldCursor cursor(s, kFirstField);
    wtiValue_.store(cursor.parseDigits(4));
    return true;
}

bool ReplyState::parseFilCur(const Sentence& s) {
    files_.update([&](Files& f) { f.currentFile.assign(textAt(s, kSubTypeTextPosition)); });
    return true;
}

bool ReplyState::parseFilPth(const Sentence& s) {
    files_.update([&](Files& f) { f.filePath.assign(textAt(s, kSubTypeTextPosition)); });
    return true;
}

bool ReplyState::parseNrc(const Sentence& s) {
    // One reply type carries five answers; each sets its own flag and the command side clears
    // them.
    const std::string_view first = field(s, 1);
    if (startsWith(first, "OK")) {
        okReceived = 1;
    } else if (startsWith(first, "ON")) {
        nrcOn = 1;
    } else if (startsWith(first, "OFF")) {
        nrcOff = 1;
    } else if (startsWith(first, "FAIL")) {
        failReceived = 1;
    } else if (charsAt(s, kFirstField, 4) == "FIL,") {
        recorderFile_.update(
            [&](FixedText<kPathChars>& file) { file.assign(textAt(s, kSubTypeTextPosition)); });
        fileReceived = 1;
    }
    return false;
}

bool ReplyState::parseNpt(const Sentence& s) {
    NptSettings settings;
    settings.first = textToInt(field(s, 1)) != 0;
    settings.second = textToInt(field(s, 2)) != 0;
    npt_.store(settings);
    return true;
}

bool ReplyState::parseBrd(const Sentence& s) {
    Bridge bridge;
    bridge.on = field(s, 1) == "ON";
    FieldCursor cursor = cursorAtField(s, 2);
    bridge.number = cursor.parseSignedInt();
    bridge_.store(bridge);
    return true;
}

bool ReplyState::parseRcpRef(const Sentence& s) {
    FieldCursor cursor(s, kSubTypeTextPosition);
    ReferenceRecord record;
    record.name.assign(readText(s, cursor));
    nextField(cursor);
    record.flag = cursor.peek() == '1';
    referenceReceiver_.store(record);
    return true;
}

bool ReplyState::parseRid(const Sentence& s) {
    // Product code, identifier, a second identifier and a fourth field; only the first two decide
    // the family.
    receiverFamily_.store(receiverFamilyOf(field(s, 1), field(s, 2)));
    return true;
}

bool ReplyState::parseVersion(const Sentence& s) {
    const std::string_view block = s.view();
    VersionTexts texts;
    versionValue(block, "RECEIVER VERSION:", texts.receiverVersion);
    versionValue(block, "SYS fw:", texts.systemFirmware);
    versionValue(block, "GNSS fw:", texts.gnssFirmware);
    versions_.store(texts);
    return true;
}

}  // namespace zentrix::receiver
