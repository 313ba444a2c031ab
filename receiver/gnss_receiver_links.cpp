// The correction links: radio, GSM / GPRS modem, direct IP and NTRIP.
#include <algorithm>

#include "receiver/gnss_receiver.h"
#include "receiver/replies/receiver_family.h"
#include "receiver/replies/reply_codes.h"
#include "receiver/commands/station_list.h"

namespace zentrix::receiver {

namespace letters = port_letters;
using platform::wideToAnsi;

// Radio.

uint32_t GnssReceiver::radioOn() {
    return run(Command::SetRadioPower, {"ON"});
}
uint32_t GnssReceiver::radioOff() {
    return run(Command::SetRadioPower, {"OFF"});
}

uint32_t GnssReceiver::setRadioType(uint32_t port, uint32_t radioType) {
    // "UNKNOWN" is only ever cleared to (`clearRadioTypeD`), never chosen.
    if (radioType == 7 || radioType > kRadioTypeNone)
        return 0;
    return run(Command::SetRadioType,
               {portLetterOf(letters::kRadio, port), nameOfCode(kRadioTypes, radioType)});
}

uint32_t GnssReceiver::clearRadioTypeD() {
    return run(Command::ClearRadioTypeD);
}

uint32_t GnssReceiver::queryRadioType(uint32_t port, uint32_t& radioType) {
    return query(Command::QueryRadioType, {portLetterOf(letters::kRadioQuery, port)},
                 [&](const ReplyState& r) { radioType = r.getRadio().radioType; });
}

uint32_t GnssReceiver::queryRadioTable(uint32_t port, uint32_t& tableNumber) {
    return query(Command::QueryRadioTable, {portLetterOf(letters::kRadio, port)},
                 [&](const ReplyState& r) { tableNumber = r.getRadio().tableNumber; });
}

uint32_t GnssReceiver::queryRadioParameters(uint32_t port, RadioSettings& out) {
    return query(Command::QueryRadioParameters, {portLetterOf(letters::kRadio, port)},
                 [&](const ReplyState& r) { out = r.getRadio(); });
}

uint32_t GnssReceiver::setRadioParameters(uint32_t port, uint32_t radioType, uint32_t airSpeed,
                                          int32_t channel, uint32_t sensitivity, int32_t protocol,
                                          uint32_t powerMode) {
    if (radioType >= kRadioParameterForms.size())
        return 0;
    const RadioParameterForm& form = kRadioParameterForms[radioType];
    const char letter = portLetterOf(letters::kRadio, port);
    const std::string_view typeName = nameOfCode(kRadioTypes, radioType);
    if (form.shortForm)
        return run(Command::SetRadioParametersShort, {letter, typeName, channel});

    std::string_view power;
    if (letter == 'D' && form.powerModeOnPortD)
        power = powerMode == 1 ? "MAN" : "AUT";
    std::string_view sensitivityName = nameOfCode(kRadioSensitivities, sensitivity);
    if (sensitivityName.empty())
        sensitivityName = "LOW";
    const int32_t protocolNumber = protocol >= 1 && protocol <= kMaxRadioProtocol ? protocol : 0;
    // An unknown air speed leaves its field empty: the radio keeps its own.
    return run(Command::SetRadioParameters, {letter, typeName, channel, power, protocolNumber,
                                             nameOfCode(kAirSpeeds, airSpeed), sensitivityName});
}

// GSM / GPRS modem.

uint32_t GnssReceiver::modemOn() {
    return run(Command::ModemOn);
}
uint32_t GnssReceiver::modemOff() {
    return run(Command::ModemOff);
}

uint32_t GnssReceiver::startModem() {
    constexpr uint32_t kOff = 1, kOn = 2, kInit = 3;
    uint32_t state = 0;
    if (!queryModemState(state))
        return 0;
    if (state == kOff) {
        if (!modemOn())
            return 0;
        state = kOn;
    }
    if (state == kOn) {
        if (!run(Command::ModemInit))
            return 0;
    } else if (state != kInit) {
        return 0;
    }
    return queryModemState(state) && state == kInit ? 1 : 0;
}

uint32_t GnssReceiver::dial(int32_t on) {
    // These families cannot place a circuit-switched call; the command is not even sent.
    const uint32_t family = reader_.replies().getReceiverFamily();
    if (family == kFamilyGprsOnly || family == kFamilyNoModem || family == kFamilyOem)
        return 0;
    return run(Command::ModemDial, {on});
}

uint32_t GnssReceiver::modemDial() {
    return dial(1);
}
uint32_t GnssReceiver::modemHangUp() {
    return dial(0);
}

uint32_t GnssReceiver::setModemCsd() {
    return run(Command::SetModemCsd);
}

uint32_t GnssReceiver::setModemIp(uint32_t ipType) {
    if (ipType > 1)
        return 0;
    return run(Command::SetModemIp, {ipType});
}

uint32_t GnssReceiver::setModemAdl(bool on) {
    return run(Command::SetModemAdl, {on ? 'Y' : 'N'});
}

uint32_t GnssReceiver::setModemDialParameters(WideStringView pin, WideStringView phoneNumber) {
    constexpr size_t kPinChars = 9;
    constexpr size_t kPhoneChars = 20;
    std::string pinText = wideToAnsi(pin.substr(0, kPinChars));
    std::string phoneText = wideToAnsi(phoneNumber.substr(0, kPhoneChars));
    if (pinText.empty())
        return run(Command::SetModemDialParameters, {phoneText});
    return run(Command::SetModemDialParametersPin, {pinText, phoneText});
}

uint32_t GnssReceiver::setModemGprsParameters(WideStringView pin, WideStringView apn,
                                              WideStringView login, WideStringView password) {
    const std::string pinText = wideToAnsi(pin);
    const std::string apnText = wideToAnsi(apn);
    const std::string loginText = wideToAnsi(login);
    const std::string passwordText = wideToAnsi(password);
    if (pinText.empty())
        return run(Command::SetModemGprsParameters, {apnText, loginText, passwordText});
    return run(Command::SetModemGprsParametersPin, {pinText, apnText, loginText, passwordText});
}

uint32_t GnssReceiver::queryModemState(uint32_t& state) {
    return query(Command::QueryModem, {}, [&](const ReplyState& r) { state = r.getModem().state; });
}

uint32_t GnssReceiver::queryModemIpMode(uint32_t& ipMode) {
    return query(Command::QueryModem, {},
                 [&](const ReplyState& r) { ipMode = r.getModem().protocol == '1' ? 1 : 0; });
}

uint32_t GnssReceiver::queryModemModeAndState(uint32_t& ipMode, uint32_t& state) {
    return query(Command::QueryModem, {}, [&](const ReplyState& r) {
        const ModemSettings m = r.getModem();
        ipMode = m.protocol == '1' ? 1 : 0;
        state = m.state;
    });
}

uint32_t GnssReceiver::queryModemDialParameters(WideString& pin, WideString& phoneNumber) {
    return query(Command::QueryModem, {}, [&](const ReplyState& r) {
        ModemSettings m = r.getModem();
        pin = std::move(m.pin);
        phoneNumber = std::move(m.phoneNumber);
    });
}

uint32_t GnssReceiver::queryModemGprsParameters(WideString& pin, WideString& apn, WideString& login,
                                                WideString& password) {
    return query(Command::QueryModem, {}, [&](const ReplyState& r) {
        ModemSettings m = r.getModem();
        pin = std::move(m.pin);
        apn = std::move(m.apn);
        login = std::move(m.login);
        password = std::move(m.password);
    });
}

// Direct IP.

uint32_t GnssReceiver::connectDirectIp(WideStringView address, int32_t port) {
    return run(Command::ConnectDirectIp, {wideToAnsi(address), port});
}

uint32_t GnssReceiver::connectDirectIpLogin(WideStringView address, int32_t port,
                                            WideStringView login, WideStringView password) {
    return run(Command::ConnectDirectIpLogin,
               {wideToAnsi(address), port, wideToAnsi(login), wideToAnsi(password)});
}

uint32_t GnssReceiver::disconnectDirectIp() {
    return run(Command::DisconnectDirectIp);
}

uint32_t GnssReceiver::queryDirectIp(WideString& address, uint32_t& port) {
    return query(Command::QueryDirectIp, {}, [&](const ReplyState& r) {
        DirectIp d = r.getDirectIp();
        address = std::move(d.address);
        port = d.port;
    });
}

uint32_t GnssReceiver::queryDirectIpLogin(WideString& address, uint32_t& port, WideString& login,
                                          WideString& password) {
    return query(Command::QueryDirectIp, {}, [&](const ReplyState& r) {
        DirectIp d = r.getDirectIp();
        address = std::move(d.address);
        port = d.port;
        login = std::move(d.user);
        password = std::move(d.password);
    });
}

// NTRIP.

uint32_t GnssReceiver::setNtripParameters(WideStringView address, int32_t port,
                                          WideStringView login, WideStringView password,
                                          int32_t protocolType) {
    return run(Command::SetNtripParameters,
               {wideToAnsi(address), port, wideToAnsi(login), wideToAnsi(password), protocolType});
}

uint32_t GnssReceiver::queryNtripParameters(WideString& address, int32_t& port, WideString& login,
                                            WideString& password) {
    return query(Command::QueryNtripParameters, {}, [&](const ReplyState& r) {
        NtripParameters n = r.getNtripParameters();
        address = std::move(n.address);
        port = n.port;
        login = std::move(n.user);
        password = std::move(n.password);
    });
}

uint32_t GnssReceiver::connectMountPoint(WideStringView mountPoint) {
    return run(Command::ConnectMountPoint, {wideToAnsi(mountPoint)});
}

uint32_t GnssReceiver::disconnectMountPoint() {
    return run(Command::DisconnectMountPoint);
}

uint32_t GnssReceiver::queryMountPoint(WideString& mountPoint) {
    return query(Command::QueryMountPoint, {},
                 [&](const ReplyState& r) { mountPoint = r.getMountPoint(); });
}

uint32_t GnssReceiver::loadSourceTable(StationList& list) {
    // The receiver first fetches the table from the caster ("OK" when it has it), then hands it
    // over on request.
    if (!run(Command::LoadSourceTable))
        return 0;
    if (!run(Command::QuerySourceTable))
        return 0;
    parseSourceTable(list);
    return 1;
}

void GnssReceiver::parseSourceTable(StationList& list) {
    receiver::parseSourceTable(reader_.replies().getSourceTable(), list);
}

}  // namespace zentrix::receiver
