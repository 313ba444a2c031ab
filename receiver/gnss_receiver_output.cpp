// Receiver ports, NMEA output, base output and the differential settings.
#include <array>

#include "receiver/gnss_receiver.h"
#include "receiver/replies/reply_codes.h"

namespace zentrix::receiver {

namespace letters = port_letters;

uint32_t GnssReceiver::setPortBaud(uint32_t port, uint32_t baudCode, uint32_t mode) {
    if (baudCode > 9)
        return 0;
    const char digit = static_cast<char>('0' + baudCode);
    const std::string_view modeText = mode == 0 ? ",ON" : mode == 1 ? ",OFF" : "";
    return run(Command::SetPortBaud, {portLetterOf(letters::kBaudSettable, port), digit, modeText});
}

uint32_t GnssReceiver::queryPortBaud(uint32_t port, uint32_t& baudCode) {
    return query(Command::QueryPortBaud, {portLetterOf(letters::kSerial, port)},
                 [&](const ReplyState& r) { baudCode = r.getReceiverPort().baudCode; });
}

uint32_t GnssReceiver::queryReceiverPort(uint32_t& port, uint32_t& baudCode) {
    return query(Command::QueryReceiverPort, {}, [&](const ReplyState& r) {
        const ReceiverPort p = r.getReceiverPort();
        port = p.portIndex;
        baudCode = p.baudCode;
    });
}

uint32_t GnssReceiver::setPortMode(uint32_t port, uint32_t mode) {
    const std::string_view modeText = nameOfCode(kPortModes, mode);
    if (modeText.empty())
        return 0;
    return run(Command::SetPortMode, {portLetterOf(letters::kRadioQuery, port), modeText});
}

uint32_t GnssReceiver::setNmeaMessage(uint32_t port, uint32_t messageCode, bool on,
                                      float intervalSeconds) {
    const std::string_view name = nameOfCode(kMessageNames, messageCode);
    if (name.empty())
        return 0;
    const char letter = portLetterOf(letters::kReceiver, port);
    if (!on)
        return run(Command::SetNmeaMessageOff, {letter, name});
    return run(Command::SetNmeaMessageOn, {letter, name, static_cast<double>(intervalSeconds)});
}

uint32_t GnssReceiver::setNmeaAll(bool on, uint32_t port) {
    return run(on ? Command::SetNmeaAllOn : Command::SetNmeaAllOff,
               {portLetterOf(letters::kReceiver, port)});
}

uint32_t GnssReceiver::queryNmeaOutputs(uint32_t port, MessageOutputs& out) {
    return query(Command::QueryNmeaOutputs, {portLetterOf(letters::kReceiver, port)},
                 [&](const ReplyState& r) { out = r.getMessageOutputs(); });
}

uint32_t GnssReceiver::setStatusNmea(uint32_t port) {
    struct Message {
        uint32_t code;
        bool on;
    };
    // What the status pages need, and GSV off: the receiver's own satellite messages replace it.
    static constexpr std::array<Message, 10> kStatusMessages = {{
        {2, true},   // GGA
        {4, true},   // GSA
        {6, false},  // GSV
        {7, true},   // SGP
        {8, true},   // SGL
        {5, true},   // GST
        {13, true},  // ZDA
        {14, true},  // VEC
        {12, true},  // VTG
        {19, true},  // DTM
    }};
    const float interval = 1.0f / static_cast<float>(outputRate_);
    uint32_t result = 0;
    for (const Message& m : kStatusMessages) result = setNmeaMessage(port, m.code, m.on, interval);
    return result;
}

uint32_t GnssReceiver::setObiOutput(bool on) {
    return setNmeaMessage(receiverPort_, 16, on, 1.0f);
}
uint32_t GnssReceiver::setWtiOutput(bool on) {
    return setNmeaMessage(receiverPort_, 17, on, 1.0f);
}
uint32_t GnssReceiver::setA2dOutput(bool on) {
    return setNmeaMessage(receiverPort_, 15, on, 1.0f);
}

uint32_t GnssReceiver::queryBluetoothPort(WideString& value) {
    return query(Command::QueryBluetoothPort, {},
                 [&](const ReplyState& r) { value = r.getBluetoothValue(); });
}

uint32_t GnssReceiver::setBluetoothPort(WideStringView portName) {
    const std::string name = platform::wideToAnsi(portName);
    if (!run(Command::SetBluetoothPort, {name}))
        return 0;
    // Port C is the one wired to the Bluetooth module: it follows the choice.
    return run(Command::SetBluetoothPortState, {name == "NONE" ? "OFF" : "ON"});
}

// Base output and differential formats.

namespace {
std::string_view dataFormatName(uint32_t format) {
    const std::string_view name = nameOfCode(kDataFormats, format);
    return name.empty() ? kDefaultDataFormat : name;
}
}  // namespace

uint32_t GnssReceiver::setBaseOutput(uint32_t port, uint32_t format) {
    return run(Command::SetBaseOutput,
               {portLetterOf(letters::kSerial, port), dataFormatName(format)});
}

uint32_t GnssReceiver::setBaseOutputs(uint32_t port1, uint32_t format1, uint32_t port2,
                                      uint32_t format2) {
    return run(Command::SetBaseOutputs,
               {portLetterOf(letters::kSerial, port1), dataFormatName(format1),
                portLetterOf(letters::kSerial, port2), dataFormatName(format2)});
}

uint32_t GnssReceiver::queryBaseOutput(uint32_t& port, uint32_t& format) {
    return query(Command::QueryBaseOutput, {}, [&](const ReplyState& r) {
        const BaseOutput b = r.getBaseOutput();
        port = b.port1;
        format = b.format1;
    });
}

uint32_t GnssReceiver::queryBaseOutputs(uint32_t& port1, uint32_t& format1, uint32_t& port2,
                                        uint32_t& format2) {
    return query(Command::QueryBaseOutput, {}, [&](const ReplyState& r) {
        const BaseOutput b = r.getBaseOutput();
        port1 = b.port1;
        format1 = b.format1;
        port2 = b.port2;
        format2 = b.format2;
    });
}

uint32_t GnssReceiver::setDifferentialMode(uint32_t mode) {
    const std::string_view name = nameOfCode(kDifferentialModes, mode);
    if (name.empty())
        return 0;
    return run(Command::SetDifferentialMode, {name});
}

uint32_t GnssReceiver::setDifferentialModeValue(uint32_t mode, int32_t value) {
    const std::string_view name = nameOfCode(kDifferentialModes, mode);
    if (name.empty())
        return 0;
    return run(Command::SetDifferentialModeValue, {name, value});
}

uint32_t GnssReceiver::setRoverMode() {
    return setDifferentialMode(1);
}

uint32_t GnssReceiver::queryDifferentialMode(uint32_t& mode) {
    return query(Command::QueryDifferentialMode, {},
                 [&](const ReplyState& r) { mode = r.getDifferential().mode; });
}

uint32_t GnssReceiver::queryDifferentialModes(uint32_t& mode, uint32_t& secondValue) {
    return query(Command::QueryDifferentialMode, {}, [&](const ReplyState& r) {
        const Differential d = r.getDifferential();
        mode = d.mode;
        secondValue = d.secondValue;
    });
}

uint32_t GnssReceiver::resetDifferential() {
    return run(Command::ResetDifferential);
}

uint32_t GnssReceiver::setArrayLength(double length) {
    return run(Command::SetArrayLength, {length});
}

uint32_t GnssReceiver::setArrayMode(bool on) {
    return run(Command::SetArrayMode, {onOff(on)});
}

uint32_t GnssReceiver::setRtcmType(int32_t messageType, int32_t rate) {
    // Type 0 and the station message 1000 carry no rate.
    if (messageType == 0 || messageType == 1000)
        return run(Command::SetRtcmTypeShort, {messageType});
    return run(Command::SetRtcmType, {messageType, rate});
}

uint32_t GnssReceiver::setRnxType(int32_t first, int32_t second, int32_t third) {
    return run(Command::SetRnxType, {first, second, third});
}

uint32_t GnssReceiver::setCmrType(int32_t messageType, int32_t rate) {
    return run(Command::SetCmrType, {messageType, rate});
}

uint32_t GnssReceiver::setDifferentialPreset(uint32_t preset) {
    for (const PresetStep& step : differentialPreset(preset)) {
        uint32_t ok = 0;
        switch (step.kind) {
            case PresetStep::Kind::Rnx:
                ok = setRnxType(step.a, step.b, step.c);
                break;
            case PresetStep::Kind::Rtcm:
                ok = setRtcmType(step.a, step.b);
                break;
            case PresetStep::Kind::Cmr:
                ok = setCmrType(step.a, step.b);
                break;
        }
        if (!ok)
            return 0;
    }
    return 1;
}

uint32_t GnssReceiver::setReferenceReceiver(std::string_view name, bool flag) {
    return run(Command::SetReferenceReceiver, {name, flag ? 1 : 0});
}

uint32_t GnssReceiver::queryReferenceReceiver(std::string& name, uint8_t& flag) {
    return query(Command::QueryReferenceReceiver, {}, [&](const ReplyState& r) {
        const ReferenceReceiver ref = r.getReferenceReceiver();
        name = platform::wideToAnsi(ref.name);
        flag = ref.flag;
    });
}

uint32_t GnssReceiver::setBridge(bool on) {
    return run(Command::SetBridge, {onOff(on)});
}

uint32_t GnssReceiver::queryBridge(int32_t& on) {
    return query(Command::QueryBridge, {}, [&](const ReplyState& r) { on = r.getBridge().on; });
}

}  // namespace zentrix::receiver
