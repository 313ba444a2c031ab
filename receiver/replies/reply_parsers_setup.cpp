// Replies about the receiver's set-up: ports, NMEA outputs, constellations, signals and antenna.
#include "receiver/replies/reply_codes.h"
#include "receiver/replies/reply_fields.h"
#include "receiver/replies/reply_state.h"

namespace zentrix::receiver {

using namespace reply;

bool ReplyState::parsePrt(const Sentence& s) {
    ReceiverPort port;
    port.portIndex = portIndexOf(port_letters::kReported, s.at(kFirstField));
    // The receiver's default baud code: a reply without a readable code means it still runs there.
    constexpr uint32_t kDefaultBaudCode = 5;
    const std::string_view baudField = field(s, 2);
    const char baud = baudField.empty() ? '\0' : baudField.front();
    port.baudCode =
        baud >= '0' && baud <= '9' ? static_cast<uint32_t>(baud - '0') : kDefaultBaudCode;
    receiverPort_.store(port);
    return true;
}

bool ReplyState::parseBth(const Sentence& s) {
    // The value is the third field: ",,<port>,<value>" answers a query, "PRT,<port>,<value>" a
    // change. The first layout is read where the receiver always puts it.
    constexpr size_t kValueAfterEmptyFirstField = 14;
    const std::string_view value =
        s.at(kFirstField) == ',' ? textAt(s, kValueAfterEmptyFirstField) : field(s, 3);
    bluetooth_.update([&](FixedText<5>& text) { text.assign(value); });
    return true;
}

bool ReplyState::parseNmo(const Sentence& s) {
    // Port letter at 11, a one-character field at 13, then from 15: a number, the count of
    // messages, and the messages as name and interval pairs.
    constexpr size_t kNumberPosition = 15;
    constexpr size_t kNameChars = 3;
    FieldCursor cursor(s, kNumberPosition);
    cursor.parseFixed(3, 2);
    nextField(cursor);
    const uint32_t count = cursor.parseDigits(2);

    MessageOutputs outputs;
    for (uint32_t i = 0; i < count; ++i) {
        if (cursor.peek() != ',')
            break;  // "*" or the line end: the list is shorter than announced
        cursor.skip();
        const std::string_view name = readText(s, cursor);
        if (cursor.peek() != ',')
            break;  // a name without its interval ends the list
        cursor.skip();
        const float interval = static_cast<float>(cursor.parseFixed(3, 2));
        cursor.skip(textAt(s, cursor.position()).size());
        const auto code = findCodeByPrefix(kReportedMessageNames, name, kNameChars);
        if (code && outputs.count < MessageOutputs::kMaxEntries) {
            outputs.entries[outputs.count++] = {*code, interval};
        }
    }
    messageOutputs_.store(outputs);
    return true;
}

bool ReplyState::parseObi(const Sentence& s) {
    FieldCursor cursor(s, kFirstField);
    ObservationStatus status;
    status.timeOfDaySeconds = cursor.parseTime();
    nextField(cursor);
    status.value = static_cast<float>(cursor.parseFixed(3, 2));
    nextField(cursor);
    status.count = static_cast<int32_t>(cursor.parseDigits(5));
    observation_.store(status);
    return true;
}

bool ReplyState::parseSba(const Sentence& s) {
    sbasOn_.store(field(s, 1) == "ON");
    return true;
}

bool ReplyState::parseQzs(const Sentence& s) {
    qzssOn_.store(field(s, 1) == "ON");
    return true;
}

bool ReplyState::parseGlo(const Sentence& s) {
    glonassOn_.store(field(s, 1) == "ON");
    return true;
}

bool ReplyState::parseGps(const Sentence& s) {
    // Unlike the other switches, GPS is never assumed off: only a clear answer counts.
    const std::string_view value = field(s, 1);
    if (value != "ON" && value != "OFF")
        return false;
    gpsOn_.store(value == "ON");
    return true;
}

bool ReplyState::parseCfg(const Sentence& s) {
    const auto code = findCodeByPrefix(kSignalConfigs, field(s, 1), 3);
    if (!code)
        return false;  // a configuration we cannot name must not confirm a query
    signalConfig_.store(*code);
    return true;
}

bool ReplyState::parsePem(const Sentence& s) {
    FieldCursor cursor(s, kFirstField);
    elevationMaskDegrees_.store(cursor.parseDigits(2));
    return true;
}

bool ReplyState::parseA2d(const Sentence& s) {
    A2dState state;
    state.valid = 1;
    state.firstSwitch = field(s, 1).substr(0, 1) == "1";
    state.secondSwitch = field(s, 2).substr(0, 1) == "1";
    a2d_.store(state);
    return true;
}

bool ReplyState::parseAnh(const Sentence& s) {
    FieldCursor cursor(s, kFirstField);
    AntennaHeight height;
    // Three integer digits: a mast or roof antenna above 9.999 m must read back as itself.
    height.heightMetres = cursor.parseFixed(3, 3);
    nextField(cursor);
    height.heightType = codeOr(kHeightTypes, readText(s, cursor), 0);
    antennaHeight_.store(height);
    return true;
}

bool ReplyState::parseAnr(const Sentence& s) {
    antennaReduction_.store(codeOr(kAntennaReductions, field(s, 1), 1));
    return true;
}

bool ReplyState::parseAnp(const Sentence& s) {
    constexpr size_t kNamePosition = 15;  // after "OWN,"
    antennaName_.update([&](FixedText<31>& name) { name.assign(textAt(s, kNamePosition)); });
    return true;
}

bool ReplyState::parseBas(const Sentence& s) {
    constexpr size_t kFormatPosition = kFirstField + 2;
    BaseOutput output;
    output.port1 = portIndexOf(port_letters::kSerial, s.at(kFirstField));
    FieldCursor cursor(s, kFormatPosition);
    output.format1 = codeOr(kDataFormats, readText(s, cursor), 0);
    if (cursor.peek() == ',') {
        cursor.skip();
        output.port2 = portIndexOf(port_letters::kSerial, cursor.peek());
        nextField(cursor);
        output.format2 = codeOr(kDataFormats, readText(s, cursor), 0);
    }
    baseOutput_.store(output);
    return true;
}

bool ReplyState::parseSti(const Sentence& s) {
    stationId_.update([&](FixedText<4>& id) { id.assign(field(s, 1)); });
    return true;
}

}  // namespace zentrix::receiver
