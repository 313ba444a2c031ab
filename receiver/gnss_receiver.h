// The survey board: every receiver operation as a command of its proprietary language.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/serial_port.h"
#include "platform/worker_thread.h"
#include "receiver/nmea/byte_source.h"
#include "receiver/commands/command_table.h"
#include "receiver/commands/receiver_interface.h"
#include "receiver/nmea/receiver_reader.h"
#include "receiver/commands/transaction.h"

namespace zentrix::receiver {

/// Owns the receiver's serial port, the reader and the reader thread. Each operation picks its
/// row of the command catalogue and runs the shared transaction; the composites (GNSS mode,
/// differential presets, status output, Bluetooth port, modem start, source table) are short
/// sequences of those.
///
/// Threads: every operation runs on the user-interface thread; the reader thread only fills the
/// reply state that the operations read after their wait.
class GnssReceiver : public ReceiverInterface {
  public:
    GnssReceiver();
    /// Stops the reader thread and closes the port if the owner has not: the thread reads
    /// through members of this object.
    ~GnssReceiver() override;
    GnssReceiver(const GnssReceiver&) = delete;
    GnssReceiver& operator=(const GnssReceiver&) = delete;

    // The link, as the connection sequence builds it.
    /// Opens the port by name ("COM3:"); true when it is open.
    bool openPort(WideStringView name);
    /// Starts the reader thread on the open port; its events exist a moment later.
    bool startReader();
    /// Asks the reader thread to stop and waits for it to end.
    void stopReader();
    void closePort();
    platform::SerialPort& serialPort() { return port_; }
    ReceiverReader& reader() { return reader_; }

    // The transaction primitives.
    void resetReply() { channel_.resetReply(); }
    bool sendCommand(std::string_view text) { return channel_.sendCommand(text); }
    bool waitReply(uint32_t timeoutMs) { return channel_.waitReply(timeoutMs); }
    bool waitActivity() { return channel_.waitActivity(); }

    uint32_t receiverPort() const { return receiverPort_; }
    /// How many baud rates the last connection search tried (diagnostics).
    uint32_t searchTrials() const { return searchTrials_; }
    /// Those rates, in the order they were tried; empty when the port did not open.
    std::vector<uint32_t> ratesTried() const;
    /// The rate at which the last search heard sentences on the line, whether or not a board
    /// answered there afterwards; 0 when it heard nothing. A line that carries sentences but no
    /// board is a receiver that only talks NMEA.
    uint32_t heardBaud() const { return heardBaud_; }
    /// The receiver acknowledged its power-off since the last connect: it answers nothing more.
    bool poweredOff() const { return poweredOff_; }

    // ReceiverInterface, in its order.
    /// Opens the port, finds the receiver's baud rate and sets it up for this program: true only
    /// when the reader thread runs at the end. Whatever it returns, the owner calls `disconnect`.
    uint32_t connect(WideStringView portName) override;
    /// Switches the NMEA output off (when asked to), gives back the NPT setting, stops the reader
    /// and closes the port. A receiver that is powered off is sent nothing: each command would
    /// only wait out its time-out.
    uint32_t disconnect() override;
    uint32_t waitVector() override;
    uint32_t getPosition(PositionRecord& out) override;
    uint32_t getSatellites(SatelliteTable& out) override;
    uint32_t queryStationId(WideString& identifier) override;
    uint32_t setStationId(WideStringView identifier) override;
    uint32_t queryReferencePosition(double& latitude, double& longitude, double& height) override;
    uint32_t setReferencePosition(double latitude, double longitude, double height) override;
    uint32_t getBaselineLength(float& metres) override;
    uint32_t setMemory(int32_t memoryIndex) override;
    uint32_t queryMemory(uint32_t& memoryIndex) override;
    uint32_t setRecording(bool start) override;
    uint32_t queryCurrentFile(WideString& fileName) override;
    uint32_t queryRecorderFile(WideString& fileName) override;
    uint32_t queryFilePath(WideString& path) override;
    uint32_t getCurrentFile(WideString& fileName) override;
    uint32_t getRecorderFile(WideString& fileName) override;
    uint32_t getFilePath(WideString& path) override;
    uint32_t setFilePath(WideStringView path) override;
    uint32_t queryRecorderState(uint8_t& on) override;
    uint32_t pollRecordingStopped() override;
    uint32_t clearRecordingStopped() override;
    uint32_t setRecordingInterval(double seconds) override;
    uint32_t queryRecordingInterval(double& seconds) override;
    uint32_t queryAutoLoggingRing() override;
    uint32_t setAutoLogging(bool on) override;
    uint32_t resetObservations() override;
    uint32_t setObiOutput(bool on) override;
    uint32_t getObservationStatus(float& value, int32_t& count) override;
    uint32_t setPortMode(uint32_t port, uint32_t mode) override;
    uint32_t setPortBaud(uint32_t port, uint32_t baudCode, uint32_t mode) override;
    uint32_t queryPortBaud(uint32_t port, uint32_t& baudCode) override;
    uint32_t queryReceiverPort(uint32_t& port, uint32_t& baudCode) override;
    uint32_t setBaseOutputs(uint32_t port1, uint32_t format1, uint32_t port2,
                            uint32_t format2) override;
    uint32_t setBaseOutput(uint32_t port, uint32_t format) override;
    uint32_t queryBaseOutputs(uint32_t& port1, uint32_t& format1, uint32_t& port2,
                              uint32_t& format2) override;
    uint32_t queryBaseOutput(uint32_t& port, uint32_t& format) override;
    uint32_t setNmeaMessage(uint32_t port, uint32_t messageCode, bool on,
                            float intervalSeconds) override;
    uint32_t setBridge(bool on) override;
    uint32_t powerOff() override;
    uint32_t setSbas(bool on) override;
    uint32_t setQzss(bool on) override;
    uint32_t querySbas(uint8_t& on) override;
    uint32_t queryQzss(uint8_t& on) override;
    uint32_t setGlonass(bool on) override;
    uint32_t queryGlonass(uint8_t& on) override;
    uint32_t setLcs(bool on) override;
    uint32_t setGps(bool on) override;
    uint32_t queryGps(uint8_t& on) override;
    uint32_t queryBridge(int32_t& on) override;
    uint32_t setSignalConfig(uint32_t code) override;
    uint32_t querySignalConfig(uint32_t& code) override;
    uint32_t setRecorder(bool on) override;
    uint32_t setRecorderFile(WideStringView fileName) override;
    uint32_t queryGnssMode(uint32_t& mode) override;
    uint32_t setGnssMode(uint32_t mode) override;
    uint32_t queryElevationMask(uint32_t& degrees) override;
    uint32_t setElevationMask(int32_t degrees) override;
    uint32_t queryAutoLogging(int32_t& on, int32_t& number, int32_t& ring) override;
    uint32_t getWtiValue() override;
    uint32_t setWtiOutput(bool on) override;
    uint32_t queryVersions(WideString& gnssFirmware, WideString& systemFirmware,
                           WideString& receiverVersion) override;
    uint32_t queryBluetoothPort(WideString& value) override;
    uint32_t setBluetoothPort(WideStringView portName) override;
    uint32_t resetDifferential() override;
    uint32_t setKnownPoint(double latitude, double longitude, double height,
                           uint32_t referencePoint) override;
    uint32_t setArrayLength(double length) override;
    uint32_t setArrayMode(bool on) override;
    uint32_t setDynamics(int32_t value) override;
    uint32_t setOccupation0(int32_t type, WideStringView first, WideStringView second) override;
    uint32_t setOccupation1(int32_t type, WideStringView first, WideStringView second) override;
    uint32_t setRtcmType(int32_t messageType, int32_t rate) override;
    uint32_t setRnxType(int32_t first, int32_t second, int32_t third) override;
    uint32_t setCmrType(int32_t messageType, int32_t rate) override;
    uint32_t setDifferentialPreset(uint32_t preset) override;
    uint32_t getA2dValid() override;
    uint32_t getA2dFirstSwitch() override;
    uint32_t getA2dSecondSwitch() override;
    uint32_t setA2dOutput(bool on) override;
    uint32_t queryAntennaHeight(double& heightMetres, uint32_t& heightType) override;
    uint32_t setAntennaOffsets(double first, double second, double third) override;
    uint32_t setAntennaHeight(double heightMetres, uint32_t heightType) override;
    uint32_t queryAntennaReduction(uint32_t& code) override;
    uint32_t setAntennaReduction(uint32_t code) override;
    uint32_t setAntennaName(WideStringView name) override;
    uint32_t queryAntennaName(WideString& name) override;
    uint32_t queryReferenceReceiver(std::string& name, uint8_t& flag) override;
    uint32_t setReferenceReceiver(std::string_view name, bool flag) override;
    uint32_t setAntennaOutput(bool on) override;
    uint32_t resetReceiver() override;
    uint32_t initReceiver(int32_t code) override;
    uint32_t setStatusNmea(uint32_t port) override;
    uint32_t radioOn() override;
    uint32_t radioOff() override;
    uint32_t modemDial() override;
    uint32_t modemHangUp() override;
    uint32_t queryReceiverFamily(uint32_t& family) override;
    uint32_t startModem() override;
    uint32_t modemOn() override;
    uint32_t modemOff() override;
    uint32_t setModemCsd() override;
    uint32_t setModemIp(uint32_t ipType) override;
    uint32_t queryDifferentialModes(uint32_t& mode, uint32_t& secondValue) override;
    uint32_t queryDifferentialMode(uint32_t& mode) override;
    uint32_t setDifferentialModeValue(uint32_t mode, int32_t value) override;
    uint32_t setDifferentialMode(uint32_t mode) override;
    uint32_t queryRadioType(uint32_t port, uint32_t& radioType) override;
    uint32_t setRadioType(uint32_t port, uint32_t radioType) override;
    uint32_t clearRadioTypeD() override;
    uint32_t queryRadioTable(uint32_t port, uint32_t& tableNumber) override;
    uint32_t queryRadioParameters(uint32_t port, RadioSettings& out) override;
    uint32_t setRadioParameters(uint32_t port, uint32_t radioType, uint32_t airSpeed,
                                int32_t channel, uint32_t sensitivity, int32_t protocol,
                                uint32_t powerMode) override;
    uint32_t queryDirectIpLogin(WideString& address, uint32_t& port, WideString& login,
                                WideString& password) override;
    uint32_t queryDirectIp(WideString& address, uint32_t& port) override;
    uint32_t connectDirectIpLogin(WideStringView address, int32_t port, WideStringView login,
                                  WideStringView password) override;
    uint32_t connectDirectIp(WideStringView address, int32_t port) override;
    uint32_t disconnectDirectIp() override;
    uint32_t queryModemState(uint32_t& state) override;
    uint32_t queryModemIpMode(uint32_t& ipMode) override;
    uint32_t queryModemModeAndState(uint32_t& ipMode, uint32_t& state) override;
    uint32_t queryModemDialParameters(WideString& pin, WideString& phoneNumber) override;
    uint32_t setModemDialParameters(WideStringView pin, WideStringView phoneNumber) override;
    uint32_t queryModemGprsParameters(WideString& pin, WideString& apn, WideString& login,
                                      WideString& password) override;
    uint32_t setModemGprsParameters(WideStringView pin, WideStringView apn, WideStringView login,
                                    WideStringView password) override;
    uint32_t queryNtripParameters(WideString& address, int32_t& port, WideString& login,
                                  WideString& password) override;
    uint32_t setNtripParameters(WideStringView address, int32_t port, WideStringView login,
                                WideStringView password, int32_t protocolType) override;
    uint32_t sendFreeCommand(std::string_view command) override;
    uint32_t setModemAdl(bool on) override;
    uint32_t loadSourceTable(StationList& list) override;
    uint32_t queryMountPoint(WideString& mountPoint) override;
    uint32_t connectMountPoint(WideStringView mountPoint) override;
    uint32_t disconnectMountPoint() override;
    uint32_t queryNmeaOutputs(uint32_t port, MessageOutputs& out) override;
    uint32_t setRoverMode() override;
    uint32_t hasProprietaryCommands() override { return 1; }
    uint32_t setNmeaAll(bool on, uint32_t port) override;
    uint32_t getOutputRate() override { return outputRate_; }
    uint32_t setOutputRate(uint32_t ratePerSecond) override;
    uint32_t isConnected() override;
    uint32_t getDeviceModel() override { return deviceModel_; }
    CommandAnswer lastAnswer() const override { return channel_.lastAnswer(); }
    uint32_t setDeviceModel(uint32_t model) override;
    uint32_t setNmeaOffOnDisconnect(bool on) override;

    /// Parses the stored source table into `list`.
    void parseSourceTable(StationList& list);

  private:
    /// Tries the rates in order with a reader thread each; true with the reader left running at
    /// the rate at which the receiver was heard.
    bool searchBaudRate();
    uint32_t run(Command command, std::initializer_list<CommandArg> args = {}) {
        return channel_.run(command, args);
    }
    /// Runs a query and, when it succeeded, hands the reply state to `read`.
    template <typename Read>
    uint32_t query(Command command, std::initializer_list<CommandArg> args, Read&& read) {
        if (!channel_.run(command, args))
            return 0;
        read(reader_.replies());
        return 1;
    }
    uint32_t sendPosition(Command command, double latitude, double longitude, double height,
                          std::string_view referencePoint);
    uint32_t setOccupation(int32_t type, int32_t which, WideStringView first,
                           WideStringView second);
    uint32_t dial(int32_t on);

    platform::SerialPort port_;
    SerialByteSource source_{port_};
    ReceiverReader reader_{source_};
    std::unique_ptr<platform::WorkerThread> readerThread_;
    CommandChannel channel_{port_, reader_};

    uint32_t receiverPort_ = 0;
    uint32_t outputRate_ = 1;
    uint32_t deviceModel_ = 2;
    uint32_t nmeaOffOnDisconnect_ = 0;
    uint8_t savedNptFirst_ = 1;
    uint8_t savedNptSecond_ = 0;
    /// Tick count of the last recording query that was not answered yet.
    uint32_t lastRecordingQuery_ = 0;
    uint32_t searchTrials_ = 0;
    uint32_t heardBaud_ = 0;
    bool poweredOff_ = false;
};

}  // namespace zentrix::receiver
