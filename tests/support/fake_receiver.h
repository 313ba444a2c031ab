// The receiver the page tests talk to: it answers from values the test sets, fails the
// operations the test names, and writes every call down as a line of text ("queryGps",
// "setSbas 0"), so that a test compares what a page sent with what it should have sent.
//
// Operations are added here as pages need them, each the same way: record the call, then either
// fail (answer 0, out-values untouched, as a receiver that did not answer) or fill the
// out-values from the public members below.
#pragma once

#include <charconv>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "receiver/commands/receiver_interface.h"
#include "receiver/commands/station_list.h"

namespace zentrix::test {

class FakeReceiver : public receiver::ReceiverInterface {
  public:
    /// Every call so far, in order.
    const std::vector<std::string>& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }
    /// Operation `name` ("queryGps") answers 0 from now on, until `succeed(name)`.
    void fail(const std::string& name) { failing_.insert(name); }
    void succeed(const std::string& name) { failing_.erase(name); }

    // What the operations answer.
    receiver::PositionRecord position;
    receiver::SatelliteTable satellites;
    float baselineMetres = 0;
    uint32_t wtiValue = 0;
    uint32_t deviceModel = 2;
    uint8_t gps = 1;
    uint8_t glonass = 1;
    uint8_t sbas = 1;
    uint8_t qzss = 1;

    // Live state: read once a second by the status pages.
    uint32_t getPosition(receiver::PositionRecord& out) override {
        return answer("getPosition", [&] { out = position; });
    }
    uint32_t getSatellites(receiver::SatelliteTable& out) override {
        if (!answer("getSatellites", [&] { out = satellites; }))
            return 0;
        return satellites.count;
    }
    uint32_t getBaselineLength(float& metres) override {
        return answer("getBaselineLength", [&] { metres = baselineMetres; });
    }
    uint32_t getWtiValue() override {
        return answer("getWtiValue", [] {}) ? wtiValue : 0;
    }
    uint32_t getDeviceModel() override {
        return answer("getDeviceModel", [] {}) ? deviceModel : 0;
    }

    // Constellation switches.
    uint32_t queryGps(uint8_t& on) override { return query("queryGps", on, gps); }
    uint32_t queryGlonass(uint8_t& on) override { return query("queryGlonass", on, glonass); }
    uint32_t querySbas(uint8_t& on) override { return query("querySbas", on, sbas); }
    uint32_t queryQzss(uint8_t& on) override { return query("queryQzss", on, qzss); }

    // Tracking settings (the GNSS settings page).
    uint32_t gnssMode = 0;
    uint32_t elevationMask = 10;
    uint32_t externalAntenna = 1;  // the first flag of the receiver's A2D reply
    WideString antennaName = u"UNKNOWN";

    uint32_t queryGnssMode(uint32_t& mode) override {
        return query("queryGnssMode", mode, gnssMode);
    }
    uint32_t setGnssMode(uint32_t mode) override { return set("setGnssMode", mode); }
    uint32_t setSbas(bool on) override { return set("setSbas", on); }
    uint32_t setQzss(bool on) override { return set("setQzss", on); }
    uint32_t setGps(bool on) override { return set("setGps", on); }
    uint32_t setGlonass(bool on) override { return set("setGlonass", on); }
    uint32_t queryElevationMask(uint32_t& degrees) override {
        return query("queryElevationMask", degrees, elevationMask);
    }
    uint32_t setElevationMask(int32_t degrees) override { return set("setElevationMask", degrees); }
    uint32_t getA2dFirstSwitch() override {
        return answer("getA2dFirstSwitch", [] {}) ? externalAntenna : 0;
    }
    uint32_t queryAntennaName(WideString& name) override {
        return query("queryAntennaName", name, antennaName);
    }
    uint32_t setAntennaName(WideStringView name) override {
        return answer("setAntennaName " + platform::toUtf8(name), [] {});
    }

    // Debug recording, the recording memory and the command line (the troubleshooting page).
    int32_t autoLoggingOn = 0;
    int32_t autoLoggingNumber = 0;
    int32_t autoLoggingRing = 0;
    uint32_t memoryIndex = 0;
    WideString filePath = u"\\Storage Card\\";
    /// What `sendFreeCommand` answers: 0 rejected, 1 accepted, 2 no answer.
    uint32_t freeCommandResult = 1;

    uint32_t queryAutoLogging(int32_t& on, int32_t& number, int32_t& ring) override {
        return answer("queryAutoLogging", [&] {
            on = autoLoggingOn;
            number = autoLoggingNumber;
            ring = autoLoggingRing;
        });
    }
    uint32_t queryAutoLoggingRing() override {
        return answer("queryAutoLoggingRing", [] {}) ? static_cast<uint32_t>(autoLoggingRing) : 0;
    }
    uint32_t setAutoLogging(bool on) override { return set("setAutoLogging", on); }
    uint32_t queryMemory(uint32_t& index) override {
        return query("queryMemory", index, memoryIndex);
    }
    uint32_t setMemory(int32_t index) override { return set("setMemory", index); }
    uint32_t queryFilePath(WideString& path) override {
        return query("queryFilePath", path, filePath);
    }
    uint32_t sendFreeCommand(std::string_view command) override {
        return answer("sendFreeCommand " + std::string(command), [] {}) ? freeCommandResult : 0;
    }

    // NMEA output: line settings, sentences per output and the NMEA recorder (the NMEA output
    // sheet). Outputs are keyed by the port index the page passes (its output code).
    std::map<uint32_t, uint32_t> portBaud{{1, 5}};
    WideString bluetoothPort = u"COM7";
    /// A port without an entry answers an empty list.
    std::map<uint32_t, receiver::MessageOutputs> nmeaOutputs;
    uint8_t recorderOn = 0;
    WideString recorderFile = u"/My Documents/NMEA.txt";

    uint32_t queryPortBaud(uint32_t port, uint32_t& baudCode) override {
        return answer("queryPortBaud " + std::to_string(port), [&] { baudCode = portBaud[port]; });
    }
    uint32_t setPortBaud(uint32_t port, uint32_t baudCode, uint32_t mode) override {
        return answer("setPortBaud " + std::to_string(port) + " " + std::to_string(baudCode) + " " +
                          std::to_string(mode),
                      [] {});
    }
    uint32_t queryBluetoothPort(WideString& value) override {
        return query("queryBluetoothPort", value, bluetoothPort);
    }
    uint32_t setBluetoothPort(WideStringView portName) override {
        return answer("setBluetoothPort " + platform::toUtf8(portName), [] {});
    }
    uint32_t queryNmeaOutputs(uint32_t port, receiver::MessageOutputs& out) override {
        return answer("queryNmeaOutputs " + std::to_string(port), [&] {
            const auto found = nmeaOutputs.find(port);
            out = found != nmeaOutputs.end() ? found->second : receiver::MessageOutputs{};
        });
    }
    /// "setNmeaMessage 6 2 1 0.5": port, message code, on, interval in its shortest form.
    uint32_t setNmeaMessage(uint32_t port, uint32_t messageCode, bool on,
                            float intervalSeconds) override {
        char interval[32] = {};
        const auto written =
            std::to_chars(interval, interval + sizeof interval - 1, intervalSeconds);
        *written.ptr = '\0';
        return answer("setNmeaMessage " + std::to_string(port) + " " + std::to_string(messageCode) +
                          " " + (on ? "1 " : "0 ") + interval,
                      [] {});
    }
    uint32_t queryRecorderState(uint8_t& on) override {
        return query("queryRecorderState", on, recorderOn);
    }
    uint32_t queryRecorderFile(WideString& fileName) override {
        return query("queryRecorderFile", fileName, recorderFile);
    }
    uint32_t setRecorderFile(WideStringView fileName) override {
        return answer("setRecorderFile " + platform::toUtf8(fileName), [] {});
    }
    uint32_t setRecorder(bool on) override { return set("setRecorder", on); }

    // The modem and its NTRIP client (the network settings sheet and the station browser).
    int32_t bridge = 0;
    WideString casterAddress = u"caster.example.net";
    int32_t casterPort = 2101;
    WideString casterLogin = u"rover";
    WideString casterPassword = u"secret";
    /// What `loadSourceTable` puts into the list it is given.
    std::vector<receiver::StationRecord> sourceTable;

    uint32_t queryBridge(int32_t& on) override { return query("queryBridge", on, bridge); }
    uint32_t setModemIp(uint32_t ipType) override { return set("setModemIp", ipType); }
    uint32_t startModem() override {
        return answer("startModem", [] {});
    }
    /// "setModemGprsParameters PIN APN LOGIN PASSWORD"
    uint32_t setModemGprsParameters(WideStringView pin, WideStringView apn, WideStringView login,
                                    WideStringView password) override {
        return answer("setModemGprsParameters " + platform::toUtf8(pin) + " " +
                          platform::toUtf8(apn) + " " + platform::toUtf8(login) + " " +
                          platform::toUtf8(password),
                      [] {});
    }
    uint32_t queryNtripParameters(WideString& address, int32_t& port, WideString& login,
                                  WideString& password) override {
        return answer("queryNtripParameters", [&] {
            address = casterAddress;
            port = casterPort;
            login = casterLogin;
            password = casterPassword;
        });
    }
    /// "setNtripParameters HOST PORT LOGIN PASSWORD TYPE"; the caster settings change as on the
    /// receiver, so a later query reads them back.
    uint32_t setNtripParameters(WideStringView address, int32_t port, WideStringView login,
                                WideStringView password, int32_t protocolType) override {
        return answer("setNtripParameters " + platform::toUtf8(address) + " " +
                          std::to_string(port) + " " + platform::toUtf8(login) + " " +
                          platform::toUtf8(password) + " " + std::to_string(protocolType),
                      [&] {
                          casterAddress = WideString(address);
                          casterPort = port;
                          casterLogin = WideString(login);
                          casterPassword = WideString(password);
                      });
    }
    uint32_t loadSourceTable(receiver::StationList& list) override {
        return answer("loadSourceTable", [&] {
            list.clear();
            for (const receiver::StationRecord& record : sourceTable) list.append(record);
        });
    }

    // The differential link page: the modem, its links, the reference receiver and the radio.
    uint32_t modemIpMode = 0;  ///< 1 while the modem is in IP mode
    uint32_t modemState = 1;   ///< 0 NONE, 1 OFF, 2 ON, 3 INIT, 4 DIALING, 5 ONLINE
    /// States `queryModemState` answers one after another before it settles on `modemState`.
    std::vector<uint32_t> modemStates;
    WideString mountPoint = u"OFF";
    std::string referenceReceiver = "NOVATEL";
    uint8_t referenceExplicit = 1;
    WideString dialPin;
    WideString dialNumber;
    WideString gprsPin, gprsApn, gprsLogin, gprsPassword;
    WideString directIpAddress;
    uint32_t directIpPort = 0;

    uint32_t queryModemModeAndState(uint32_t& ipMode, uint32_t& state) override {
        return answer("queryModemModeAndState", [&] {
            ipMode = modemIpMode;
            state = modemState;
        });
    }
    uint32_t queryModemState(uint32_t& state) override {
        return answer("queryModemState", [&] {
            if (!modemStates.empty()) {
                modemState = modemStates.front();
                modemStates.erase(modemStates.begin());
            }
            state = modemState;
        });
    }
    uint32_t setModemAdl(bool on) override { return set("setModemAdl", on); }
    uint32_t queryMountPoint(WideString& out) override {
        return query("queryMountPoint", out, mountPoint);
    }
    uint32_t connectMountPoint(WideStringView name) override {
        return answer("connectMountPoint " + platform::toUtf8(name), [] {});
    }
    uint32_t disconnectMountPoint() override {
        return answer("disconnectMountPoint", [] {});
    }
    uint32_t queryReferenceReceiver(std::string& name, uint8_t& flag) override {
        return answer("queryReferenceReceiver", [&] {
            name = referenceReceiver;
            flag = referenceExplicit;
        });
    }
    /// "setReferenceReceiver NAME 1" (an empty name leaves two blanks).
    uint32_t setReferenceReceiver(std::string_view name, bool flag) override {
        return answer("setReferenceReceiver " + std::string(name) + (flag ? " 1" : " 0"), [] {});
    }
    uint32_t setDifferentialMode(uint32_t mode) override {
        return set("setDifferentialMode", mode);
    }
    uint32_t setBridge(bool on) override { return set("setBridge", on); }
    uint32_t modemHangUp() override {
        return answer("modemHangUp", [] {});
    }
    uint32_t modemDial() override {
        return answer("modemDial", [] {});
    }
    uint32_t setModemCsd() override {
        return answer("setModemCsd", [] {});
    }
    uint32_t queryModemDialParameters(WideString& pin, WideString& number) override {
        return answer("queryModemDialParameters", [&] {
            pin = dialPin;
            number = dialNumber;
        });
    }
    uint32_t setModemDialParameters(WideStringView pin, WideStringView number) override {
        return answer(
            "setModemDialParameters " + platform::toUtf8(pin) + " " + platform::toUtf8(number),
            [] {});
    }
    uint32_t queryModemGprsParameters(WideString& pin, WideString& apn, WideString& login,
                                      WideString& password) override {
        return answer("queryModemGprsParameters", [&] {
            pin = gprsPin;
            apn = gprsApn;
            login = gprsLogin;
            password = gprsPassword;
        });
    }
    uint32_t queryDirectIp(WideString& address, uint32_t& port) override {
        return answer("queryDirectIp", [&] {
            address = directIpAddress;
            port = directIpPort;
        });
    }
    uint32_t connectDirectIp(WideStringView address, int32_t port) override {
        return answer("connectDirectIp " + platform::toUtf8(address) + " " + std::to_string(port),
                      [] {});
    }
    uint32_t disconnectDirectIp() override {
        return answer("disconnectDirectIp", [] {});
    }
    /// "setPortMode PORT MODE"
    uint32_t setPortMode(uint32_t port, uint32_t mode) override {
        return answer("setPortMode " + std::to_string(port) + " " + std::to_string(mode), [] {});
    }

    // The UHF radio, keyed by the receiver port the page addresses.
    std::map<uint32_t, uint32_t> radioTypes;  ///< a port without an entry answers 8 (NONE)
    std::map<uint32_t, receiver::RadioSettings> radios;
    std::map<uint32_t, uint32_t> radioTables;  ///< a port without an entry answers 0

    uint32_t queryRadioType(uint32_t port, uint32_t& type) override {
        return answer("queryRadioType " + std::to_string(port), [&] {
            const auto found = radioTypes.find(port);
            type = found != radioTypes.end() ? found->second : 8;
        });
    }
    uint32_t setRadioType(uint32_t port, uint32_t type) override {
        return answer("setRadioType " + std::to_string(port) + " " + std::to_string(type), [] {});
    }
    uint32_t clearRadioTypeD() override {
        return answer("clearRadioTypeD", [] {});
    }
    uint32_t queryRadioTable(uint32_t port, uint32_t& table) override {
        return answer("queryRadioTable " + std::to_string(port),
                      [&] { table = radioTables.count(port) ? radioTables[port] : 0; });
    }
    uint32_t queryRadioParameters(uint32_t port, receiver::RadioSettings& out) override {
        return answer("queryRadioParameters " + std::to_string(port), [&] {
            out = radios.count(port) ? radios[port] : receiver::RadioSettings{};
            out.port = port;
        });
    }
    /// "setRadioParameters PORT TYPE AIR CHANNEL SENSITIVITY PROTOCOL POWER"
    uint32_t setRadioParameters(uint32_t port, uint32_t radioType, uint32_t airSpeed,
                                int32_t channel, uint32_t sensitivity, int32_t protocol,
                                uint32_t powerMode) override {
        return answer("setRadioParameters " + std::to_string(port) + " " +
                          std::to_string(radioType) + " " + std::to_string(airSpeed) + " " +
                          std::to_string(channel) + " " + std::to_string(sensitivity) + " " +
                          std::to_string(protocol) + " " + std::to_string(powerMode),
                      [] {});
    }
    uint32_t radioOn() override {
        return answer("radioOn", [] {});
    }
    uint32_t radioOff() override {
        return answer("radioOff", [] {});
    }

  protected:
    /// Writes `line` down; answers 0 when its first word names a failing operation, else runs
    /// `fill` and answers 1.
    template <class Fill>
    uint32_t answer(const std::string& line, Fill&& fill) {
        calls_.push_back(line);
        if (failing_.count(line.substr(0, line.find(' '))) != 0)
            return 0;
        fill();
        return 1;
    }
    /// A setting: written down with its value ("setSbas 1").
    template <class T>
    uint32_t set(const std::string& name, T value) {
        return answer(name + " " + std::to_string(value), [] {});
    }
    template <class T>
    uint32_t query(const std::string& name, T& out, const T& value) {
        return answer(name, [&] { out = value; });
    }

  private:
    std::vector<std::string> calls_;
    std::set<std::string> failing_;
};

}  // namespace zentrix::test
