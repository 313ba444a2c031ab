// The receiver as the pages see it.
//
// The handheld models carry two kinds of receiver: a survey board with its own command language
// and a GPS-only chip that understands a handful of settings. The pages hold this interface and
// never know which one they talk to; an operation a receiver does not support simply fails, and
// the pages treat that as a receiver that did not answer. The operations keep a fixed order, and
// every one of them answers 0 (failure) here, so an implementation overrides only what its
// receiver can do.
//
// Results are 32-bit values, nonzero for success, unless an operation says otherwise. Queries
// write their out-parameters only on success; on failure the caller's values stay as they were.
// Texts reach and leave the user interface as wide text; the receiver side converts them through
// the ANSI code page.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/text.h"
#include "receiver/nmea/position_record.h"
#include "receiver/replies/reply_groups.h"

namespace zentrix::receiver {

class StationList;

/// One step of the search `connect` makes, as a start-up window tells it.
struct ConnectStep {
    enum class Stage {
        OpeningPort,  ///< about to open the port
        TryingRate,   ///< listening for the receiver at `baudRate`
        SettingUp,    ///< heard it at `baudRate`; setting it up for this program
        Connected,    ///< done; the link runs at `baudRate`
    };
    Stage stage = Stage::OpeningPort;
    uint32_t baudRate = 0;
};

/// How the receiver answered the last command an operation sent, so that a tool can tell a
/// refusal from silence. The operations themselves only say success or failure.
struct CommandAnswer {
    enum class Kind {
        Unknown,   ///< this receiver does not tell, or nothing was sent yet
        Accepted,  ///< ACK, OK or the reply asked for
        Refused,   ///< NAK or FAIL
        Silent,    ///< no answer within the command's time
        Other,     ///< an answer that was neither the reply asked for nor a refusal
        Unsent,    ///< the command could not be made from its values or did not go out
    };
    Kind kind = Kind::Unknown;
    std::string command;  ///< the command as sent, without its line end
    std::string reply;    ///< "ACK", "OK", "NAK" or "FAIL" when one of them came; else empty
};

/// Told each step as it begins; answering false gives the search up, and `connect` fails.
using ConnectProgress = std::function<bool(const ConnectStep&)>;

class ReceiverInterface {
  public:
    using WideString = platform::WideString;
    using WideStringView = platform::WideStringView;

    virtual ~ReceiverInterface();

    /// Opens the port ("COM3:") and brings the receiver up; nonzero when the link runs.
    virtual uint32_t connect(WideStringView /*portName*/) { return 0; }
    virtual uint32_t disconnect() { return 0; }
    /// 1 when a new position was published within 1.5 s.
    virtual uint32_t waitVector() { return 0; }
    virtual uint32_t getPosition(PositionRecord& /*out*/) { return 0; }
    /// The number of satellites.
    virtual uint32_t getSatellites(SatelliteTable& /*out*/) { return 0; }
    virtual uint32_t queryStationId(WideString& /*identifier*/) { return 0; }
    virtual uint32_t setStationId(WideStringView /*identifier*/) { return 0; }
    virtual uint32_t queryReferencePosition(double& /*latitude*/, double& /*longitude*/,
                                            double& /*height*/) {
        return 0;
    }
    virtual uint32_t setReferencePosition(double /*latitude*/, double /*longitude*/,
                                          double /*height*/) {
        return 0;
    }
    virtual uint32_t getBaselineLength(float& /*metres*/) { return 0; }
    virtual uint32_t setMemory(int32_t /*memoryIndex*/) { return 0; }
    virtual uint32_t queryMemory(uint32_t& /*memoryIndex*/) { return 0; }
    virtual uint32_t setRecording(bool /*start*/) { return 0; }
    virtual uint32_t queryCurrentFile(WideString& /*fileName*/) { return 0; }
    virtual uint32_t queryRecorderFile(WideString& /*fileName*/) { return 0; }
    virtual uint32_t queryFilePath(WideString& /*path*/) { return 0; }
    virtual uint32_t getCurrentFile(WideString& /*fileName*/) { return 0; }
    virtual uint32_t getRecorderFile(WideString& /*fileName*/) { return 0; }
    virtual uint32_t getFilePath(WideString& /*path*/) { return 0; }
    virtual uint32_t setFilePath(WideStringView /*path*/) { return 0; }
    virtual uint32_t queryRecorderState(uint8_t& /*on*/) { return 0; }
    virtual uint32_t isRecordingFileOpen() { return 0; }
    /// Never blocks: 1 once the receiver reported that its recording stopped.
    virtual uint32_t pollRecordingStopped() { return 0; }
    virtual uint32_t clearRecordingStopped() { return 0; }
    virtual uint32_t setRecordingInterval(double /*seconds*/) { return 0; }
    virtual uint32_t queryRecordingInterval(double& /*seconds*/) { return 0; }
    /// The ring flag itself: 1 when the receiver overwrites its oldest files.
    virtual uint32_t queryAutoLoggingRing() { return 0; }
    virtual uint32_t setAutoLogging(bool /*on*/) { return 0; }
    virtual uint32_t resetObservations() { return 0; }
    virtual uint32_t setObiOutput(bool /*on*/) { return 0; }
    virtual uint32_t getObservationStatus(float& /*value*/, int32_t& /*count*/) { return 0; }
    /// A slot that no receiver supports.
    virtual uint32_t unsupportedOperation() { return 0; }
    virtual uint32_t setPortMode(uint32_t /*port*/, uint32_t /*mode*/) { return 0; }
    virtual uint32_t setPortBaud(uint32_t /*port*/, uint32_t /*baudCode*/, uint32_t /*mode*/) {
        return 0;
    }
    virtual uint32_t queryPortBaud(uint32_t /*port*/, uint32_t& /*baudCode*/) { return 0; }
    virtual uint32_t queryReceiverPort(uint32_t& /*port*/, uint32_t& /*baudCode*/) { return 0; }
    virtual uint32_t setBaseOutputs(uint32_t /*port1*/, uint32_t /*format1*/, uint32_t /*port2*/,
                                    uint32_t /*format2*/) {
        return 0;
    }
    virtual uint32_t setBaseOutput(uint32_t /*port*/, uint32_t /*format*/) { return 0; }
    virtual uint32_t queryBaseOutputs(uint32_t& /*port1*/, uint32_t& /*format1*/,
                                      uint32_t& /*port2*/, uint32_t& /*format2*/) {
        return 0;
    }
    virtual uint32_t queryBaseOutput(uint32_t& /*port*/, uint32_t& /*format*/) { return 0; }
    virtual uint32_t setNmeaMessage(uint32_t /*port*/, uint32_t /*messageCode*/, bool /*on*/,
                                    float /*intervalSeconds*/) {
        return 0;
    }
    virtual uint32_t setBridge(bool /*on*/) { return 0; }
    virtual uint32_t powerOff() { return 0; }
    virtual uint32_t setSbas(bool /*on*/) { return 0; }
    virtual uint32_t setQzss(bool /*on*/) { return 0; }
    virtual uint32_t querySbas(uint8_t& /*on*/) { return 0; }
    virtual uint32_t queryQzss(uint8_t& /*on*/) { return 0; }
    virtual uint32_t setGlonass(bool /*on*/) { return 0; }
    virtual uint32_t queryGlonass(uint8_t& /*on*/) { return 0; }
    virtual uint32_t setLcs(bool /*on*/) { return 0; }
    virtual uint32_t setGps(bool /*on*/) { return 0; }
    virtual uint32_t queryGps(uint8_t& /*on*/) { return 0; }
    virtual uint32_t queryBridge(int32_t& /*on*/) { return 0; }
    /// Two slots that only the GPS-only receiver uses.
    virtual uint32_t gpsOnlyOperation1() { return 0; }
    virtual uint32_t gpsOnlyOperation2() { return 0; }
    virtual uint32_t setSignalConfig(uint32_t /*code*/) { return 0; }
    virtual uint32_t querySignalConfig(uint32_t& /*code*/) { return 0; }
    virtual uint32_t setRecorder(bool /*on*/) { return 0; }
    virtual uint32_t setRecorderFile(WideStringView /*fileName*/) { return 0; }
    /// Mode 0 to 5 as `setGnssMode` takes it; 6 for a combination no mode describes.
    virtual uint32_t queryGnssMode(uint32_t& /*mode*/) { return 0; }
    virtual uint32_t setGnssMode(uint32_t /*mode*/) { return 0; }
    virtual uint32_t queryElevationMask(uint32_t& /*degrees*/) { return 0; }
    virtual uint32_t setElevationMask(int32_t /*degrees*/) { return 0; }
    virtual uint32_t queryAutoLogging(int32_t& /*on*/, int32_t& /*number*/, int32_t& /*ring*/) {
        return 0;
    }
    /// The value itself.
    virtual uint32_t getWtiValue() { return 0; }
    virtual uint32_t setWtiOutput(bool /*on*/) { return 0; }
    virtual uint32_t queryVersions(WideString& /*gnssFirmware*/, WideString& /*systemFirmware*/,
                                   WideString& /*receiverVersion*/) {
        return 0;
    }
    virtual uint32_t queryBluetoothPort(WideString& /*value*/) { return 0; }
    virtual uint32_t setBluetoothPort(WideStringView /*portName*/) { return 0; }
    virtual uint32_t resetDifferential() { return 0; }
    virtual uint32_t setKnownPoint(double /*latitude*/, double /*longitude*/, double /*height*/,
                                   uint32_t /*referencePoint*/) {
        return 0;
    }
    virtual uint32_t setArrayLength(double /*length*/) { return 0; }
    virtual uint32_t setArrayMode(bool /*on*/) { return 0; }
    virtual uint32_t setDynamics(int32_t /*value*/) { return 0; }
    virtual uint32_t setOccupation0(int32_t /*type*/, WideStringView /*first*/,
                                    WideStringView /*second*/) {
        return 0;
    }
    virtual uint32_t setOccupation1(int32_t /*type*/, WideStringView /*first*/,
                                    WideStringView /*second*/) {
        return 0;
    }
    virtual uint32_t setRtcmType(int32_t /*messageType*/, int32_t /*rate*/) { return 0; }
    virtual uint32_t setRnxType(int32_t /*first*/, int32_t /*second*/, int32_t /*third*/) {
        return 0;
    }
    virtual uint32_t setCmrType(int32_t /*messageType*/, int32_t /*rate*/) { return 0; }
    virtual uint32_t setDifferentialPreset(uint32_t /*preset*/) { return 0; }
    /// The bytes of the A2D group themselves.
    virtual uint32_t getA2dValid() { return 0; }
    virtual uint32_t getA2dFirstSwitch() { return 0; }
    virtual uint32_t getA2dSecondSwitch() { return 0; }
    virtual uint32_t setA2dOutput(bool /*on*/) { return 0; }
    virtual uint32_t queryAntennaHeight(double& /*heightMetres*/, uint32_t& /*heightType*/) {
        return 0;
    }
    virtual uint32_t setAntennaOffsets(double /*first*/, double /*second*/, double /*third*/) {
        return 0;
    }
    virtual uint32_t setAntennaHeight(double /*heightMetres*/, uint32_t /*heightType*/) {
        return 0;
    }
    virtual uint32_t queryAntennaReduction(uint32_t& /*code*/) { return 0; }
    virtual uint32_t setAntennaReduction(uint32_t /*code*/) { return 0; }
    virtual uint32_t setAntennaName(WideStringView /*name*/) { return 0; }
    virtual uint32_t queryAntennaName(WideString& /*name*/) { return 0; }
    virtual uint32_t queryReferenceReceiver(std::string& /*name*/, uint8_t& /*flag*/) { return 0; }
    virtual uint32_t setReferenceReceiver(std::string_view /*name*/, bool /*flag*/) { return 0; }
    virtual uint32_t setAntennaOutput(bool /*on*/) { return 0; }
    virtual uint32_t resetReceiver() { return 0; }
    virtual uint32_t initReceiver(int32_t /*code*/) { return 0; }
    virtual uint32_t setStatusNmea(uint32_t /*port*/) { return 0; }
    virtual uint32_t radioOn() { return 0; }
    virtual uint32_t radioOff() { return 0; }
    virtual uint32_t modemDial() { return 0; }
    virtual uint32_t modemHangUp() { return 0; }
    virtual uint32_t queryReceiverFamily(uint32_t& /*family*/) { return 0; }
    /// 1 when the modem ends up initialised.
    virtual uint32_t startModem() { return 0; }
    virtual uint32_t modemOn() { return 0; }
    virtual uint32_t modemOff() { return 0; }
    virtual uint32_t setModemCsd() { return 0; }
    virtual uint32_t setModemIp(uint32_t /*ipType*/) { return 0; }
    virtual uint32_t queryDifferentialModes(uint32_t& /*mode*/, uint32_t& /*secondValue*/) {
        return 0;
    }
    virtual uint32_t queryDifferentialMode(uint32_t& /*mode*/) { return 0; }
    virtual uint32_t setDifferentialModeValue(uint32_t /*mode*/, int32_t /*value*/) { return 0; }
    virtual uint32_t setDifferentialMode(uint32_t /*mode*/) { return 0; }
    virtual uint32_t queryRadioType(uint32_t /*port*/, uint32_t& /*radioType*/) { return 0; }
    virtual uint32_t setRadioType(uint32_t /*port*/, uint32_t /*radioType*/) { return 0; }
    virtual uint32_t clearRadioTypeD() { return 0; }
    virtual uint32_t queryRadioTable(uint32_t /*port*/, uint32_t& /*tableNumber*/) { return 0; }
    virtual uint32_t queryRadioParameters(uint32_t /*port*/, RadioSettings& /*out*/) { return 0; }
    virtual uint32_t setRadioParameters(uint32_t /*port*/, uint32_t /*radioType*/,
                                        uint32_t /*airSpeed*/, int32_t /*channel*/,
                                        uint32_t /*sensitivity*/, int32_t /*protocol*/,
                                        uint32_t /*powerMode*/) {
        return 0;
    }
    virtual uint32_t queryDirectIpLogin(WideString& /*address*/, uint32_t& /*port*/,
                                        WideString& /*login*/, WideString& /*password*/) {
        return 0;
    }
    virtual uint32_t queryDirectIp(WideString& /*address*/, uint32_t& /*port*/) { return 0; }
    virtual uint32_t connectDirectIpLogin(WideStringView /*address*/, int32_t /*port*/,
                                          WideStringView /*login*/, WideStringView /*password*/) {
        return 0;
    }
    virtual uint32_t connectDirectIp(WideStringView /*address*/, int32_t /*port*/) { return 0; }
    virtual uint32_t disconnectDirectIp() { return 0; }
    virtual uint32_t queryModemState(uint32_t& /*state*/) { return 0; }
    virtual uint32_t queryModemIpMode(uint32_t& /*ipMode*/) { return 0; }
    virtual uint32_t queryModemModeAndState(uint32_t& /*ipMode*/, uint32_t& /*state*/) { return 0; }
    virtual uint32_t queryModemDialParameters(WideString& /*pin*/, WideString& /*phoneNumber*/) {
        return 0;
    }
    virtual uint32_t setModemDialParameters(WideStringView /*pin*/,
                                            WideStringView /*phoneNumber*/) {
        return 0;
    }
    virtual uint32_t queryModemGprsParameters(WideString& /*pin*/, WideString& /*apn*/,
                                              WideString& /*login*/, WideString& /*password*/) {
        return 0;
    }
    virtual uint32_t setModemGprsParameters(WideStringView /*pin*/, WideStringView /*apn*/,
                                            WideStringView /*login*/, WideStringView /*password*/) {
        return 0;
    }
    virtual uint32_t queryNtripParameters(WideString& /*address*/, int32_t& /*port*/,
                                          WideString& /*login*/, WideString& /*password*/) {
        return 0;
    }
    virtual uint32_t setNtripParameters(WideStringView /*address*/, int32_t /*port*/,
                                        WideStringView /*login*/, WideStringView /*password*/,
                                        int32_t /*protocolType*/) {
        return 0;
    }
    /// The troubleshooting command line: 0 rejected, 1 accepted, 2 no answer.
    virtual uint32_t sendFreeCommand(std::string_view /*command*/) { return 0; }
    virtual uint32_t setModemAdl(bool /*on*/) { return 0; }
    virtual uint32_t loadSourceTable(StationList& /*list*/) { return 0; }
    virtual uint32_t queryMountPoint(WideString& /*mountPoint*/) { return 0; }
    virtual uint32_t connectMountPoint(WideStringView /*mountPoint*/) { return 0; }
    virtual uint32_t disconnectMountPoint() { return 0; }
    virtual uint32_t queryNmeaOutputs(uint32_t /*port*/, MessageOutputs& /*out*/) { return 0; }
    virtual uint32_t setRoverMode() { return 0; }
    virtual uint32_t hasProprietaryCommands() { return 0; }
    virtual uint32_t setNmeaAll(bool /*on*/, uint32_t /*port*/) { return 0; }
    /// The rate itself.
    virtual uint32_t getOutputRate() { return 0; }
    virtual uint32_t setOutputRate(uint32_t /*ratePerSecond*/) { return 0; }
    virtual uint32_t isConnected() { return 0; }
    /// The model itself.
    virtual uint32_t getDeviceModel() { return 0; }
    virtual uint32_t setDeviceModel(uint32_t /*model*/) { return 0; }
    virtual uint32_t setNmeaOffOnDisconnect(bool /*on*/) { return 0; }
    /// Galileo and BeiDou, which only receivers beyond the handheld's two report: whether the
    /// status pages show them.
    virtual uint32_t queryGalileo(uint8_t& /*on*/) { return 0; }
    virtual uint32_t queryBeidou(uint8_t& /*on*/) { return 0; }
    /// How the receiver answered the last command sent by any operation.
    virtual CommandAnswer lastAnswer() const { return {}; }

    /// Who hears the steps of the next `connect` calls; null for nobody.
    void setConnectProgress(ConnectProgress progress) { connectProgress_ = std::move(progress); }

  protected:
    /// Tells the step; false when the listener gave the search up.
    bool reportConnectStep(ConnectStep::Stage stage, uint32_t baudRate = 0) const {
        return !connectProgress_ || connectProgress_(ConnectStep{stage, baudRate});
    }

  private:
    ConnectProgress connectProgress_;
};

}  // namespace zentrix::receiver
