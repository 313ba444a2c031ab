#include "receiver/commands/command_table.h"

namespace zentrix::receiver {
namespace {

using C = Command;
using O = Outcome;
using R = ReplyState;

constexpr uint32_t kSignalConfigTimeoutMs = 15;  // milliseconds: the board answers CFG at once
constexpr uint32_t kRadioTimeoutMs = 35000;
constexpr uint32_t kDirectIpTimeoutMs = 35000;
constexpr uint32_t kModemTimeoutMs = 20000;
constexpr uint32_t kInitTimeoutMs = 25000;
constexpr uint32_t kNtripTimeoutMs = 120000;  // the caster is reached over the board's own link
constexpr uint32_t kD = kDefaultTimeoutMs;

constexpr CommandRow kRows[] = {
    // Constellations, signals and position.
    {C::SetGps, "$PQELS,GPS,%s\r\n", kD, O::Ack},
    {C::SetGlonass, "$PQELS,GLO,%s\r\n", kD, O::Ack},
    {C::SetSbas, "$PQELS,SBA,%s\r\n", kD, O::Ack},
    {C::SetQzss, "$PQELS,QZS,%s\r\n", kD, O::Ack},
    {C::QueryGps, "$PQELQ,GPS\r\n", kD, O::OwnReply, &R::gpsReceived},
    {C::QueryGlonass, "$PQELQ,GLO\r\n", kD, O::OwnReply, &R::gloReceived},
    {C::QuerySbas, "$PQELQ,SBA\r\n", kD, O::OwnReply, &R::sbaReceived},
    {C::QueryQzss, "$PQELQ,QZS\r\n", kD, O::AnyReply},
    {C::SetSignalConfig, "$PQELS,CFG,%s\r\n", kSignalConfigTimeoutMs, O::Ack},
    {C::QuerySignalConfig, "$PQELQ,CFG\r\n", kD, O::OwnReply, &R::cfgReceived},
    {C::SetElevationMask, "$PQELS,PEM,%d\r\n", kD, O::Ack},
    {C::QueryElevationMask, "$PQELQ,PEM\r\n", kD, O::OwnReply, &R::pemReceived},
    {C::SetLcs, "$PQELS,LCS,%s\r\n", kD, O::Ack},
    {C::SetDynamics, "$PQELS,DYN,%d\r\n", kD, O::Ack},
    {C::SetReferencePosition, "$PQELS,POS,%02d%010.7lf,%c,%03d%010.7lf,%c,%.4lf\r\n", kD, O::Ack},
    {C::QueryReferencePosition, "$PQELQ,CPD,POS\r\n", kD, O::OwnReply, &R::cpdReceived},
    {C::SetKnownPoint, "$PQELS,KPI,%02d%010.7lf,%c,%03d%010.7lf,%c,%.4lf,%s\r\n", kD, O::Ack},
    {C::QueryVersions, "$PQELQ,VERSION\r\n", kD, O::OwnReply, &R::versionReceived},
    {C::QueryReceiverFamily, "$PQELQ,RID\r\n", kD, O::AnyReply},
    {C::ResetReceiver, "$PQELS,RST\r\n", kD, O::Ack},
    {C::InitReceiver, "$PQELS,INI,%d\r\n", kInitTimeoutMs, O::Ack},
    {C::PowerOff, "$PQELS,PWR,OFF\r\n", kD, O::Ack},
    // Antenna.
    {C::SetAntennaHeight, "$PQELS,ANH,%f,%s\r\n", kD, O::Ack},
    {C::QueryAntennaHeight, "$PQELQ,ANH\r\n", kD, O::OwnReply, &R::anhReceived},
    {C::SetAntennaOffsets, "$PQELS,ANT,%.3lf,%.4lf,%.4lf\r\n", kD, O::Ack},
    {C::SetAntennaReduction, "$PQELS,ANR,%s\r\n", kD, O::Ack},
    {C::QueryAntennaReduction, "$PQELQ,ANR\r\n", kD, O::OwnReply, &R::anrReceived},
    {C::SetAntennaName, "$PQELS,ANP,OWN,%s\r\n", kD, O::Ack},
    {C::QueryAntennaName, "$PQELQ,ANP,OWN\r\n", kD, O::OwnReply, &R::anpReceived},
    {C::SetAntennaOutput, "$PQELS,ANP,OUT,%s\r\n", kD, O::Ack},
    // Receiver ports and NMEA output.
    {C::SetPortBaud, "$PQELS,PRT,%c,%c%S\r\n", kD, O::Ack},
    {C::QueryPortBaud, "$PQELQ,PRT,%c\r\n", kD, O::OwnReply, &R::prtReceived},
    {C::QueryReceiverPort, "$PQELQ,PRT\r\n", kD, O::OwnReply, &R::prtReceived},
    {C::SetPortMode, "$PQELS,MDP,%c,%s\r\n", kD, O::Ack},
    {C::SetNmeaMessageOn, "$PQELS,NME,%c,%s,ON,%.2f\r\n", kD, O::Ack},
    {C::SetNmeaMessageOff, "$PQELS,NME,%c,%s,OFF\r\n", kD, O::Ack},
    {C::SetNmeaAllOn, "$PQELS,NME,POS,%c,ON\r\n", kD, O::Ack},
    {C::SetNmeaAllOff, "$PQELS,NME,ALL,%c,OFF\r\n", kD, O::Ack},
    {C::QueryNmeaOutputs, "$PQELQ,NMO,%c\r\n", kD, O::OwnReply, &R::nmoReceived},
    {C::QueryBluetoothPort, "$PQELQ,BTH\r\n", kD, O::OwnReply, &R::bthReceived},
    {C::SetBluetoothPort, "$PQELS,BTH,PRT,%s\r\n", kD, O::Ack},
    {C::SetBluetoothPortState, "$PQELS,PRT,C,,%s\r\n", kD, O::Ack},
    // Base output and differential formats.
    {C::SetBaseOutput, "$PQELS,BAS,%c,%s\r\n", kD, O::Ack},
    {C::SetBaseOutputs, "$PQELS,BAS,%c,%s,%c,%s\r\n", kD, O::Ack},
    {C::QueryBaseOutput, "$PQELQ,BAS\r\n", kD, O::OwnReply, &R::basReceived},
    {C::SetDifferentialMode, "$PQELS,CPD,MOD,%s\r\n", kD, O::Ack},
    {C::SetDifferentialModeValue, "$PQELS,CPD,MOD,%s,%d\r\n", kD, O::Ack},
    {C::QueryDifferentialMode, "$PQELQ,CPD,MOD\r\n", kD, O::OwnReply, &R::cpdReceived},
    {C::ResetDifferential, "$PQELS,CPD,RST\r\n", kD, O::Ack},
    {C::SetArrayLength, "$PQELS,CPD,ARR,LEN,%f\r\n", kD, O::Ack},
    {C::SetArrayMode, "$PQELS,CPD,ARR,MOD,%s\r\n", kD, O::Ack},
    {C::SetRtcmTypeShort, "$PQELS,RTC,TYP,%d\r\n", kD, O::Ack},
    {C::SetRtcmType, "$PQELS,RTC,TYP,%d,%d\r\n", kD, O::Ack},
    {C::SetRnxType, "$PQELS,RNX,TYP,%d,%d,%d\r\n", kD, O::Ack},
    {C::SetCmrType, "$PQELS,CMR,TYP,%d,%d\r\n", kD, O::Ack},
    {C::SetReferenceReceiver, "$PQELS,RCP,REF,%s,%d\r\n", kD, O::Ack},
    {C::QueryReferenceReceiver, "$PQELQ,RCP,REF\r\n", kD, O::AnyReply},
    {C::SetBridge, "$PQELS,BRD,%s\r\n", kD, O::Ack},
    {C::QueryBridge, "$PQELQ,BRD\r\n", kD, O::AnyReply},
    // Radio.
    {C::SetRadioPower, "$PQELS,RDP,%s\r\n", kD, O::Ack},
    {C::SetRadioType, "$PQELS,RDP,TYP,%c,%s\r\n", kD, O::Ack},
    {C::ClearRadioTypeD, "$PQELS,RDP,TYP,D,UNKNOWN\r\n", kD, O::Ack},
    {C::QueryRadioType, "$PQELQ,RDP,TYP,%c\r\n", kRadioTimeoutMs, O::OwnReply, &R::rdpReceived},
    {C::QueryRadioTable, "$PQELQ,RDP,CHT,%c\r\n", kRadioTimeoutMs, O::OwnReply, &R::rdpReceived},
    {C::QueryRadioParameters, "$PQELQ,RDP,PAR,%c\r\n", kRadioTimeoutMs, O::OwnReply,
     &R::rdpReceived},
    {C::SetRadioParameters, "$PQELS,RDP,PAR,%c,%s,%d,%s,%d,%s,%s\r\n", kRadioTimeoutMs, O::Ack},
    {C::SetRadioParametersShort, "$PQELS,RDP,PAR,%c,%s,%d\r\n", kRadioTimeoutMs, O::Ack},
    // GSM / GPRS modem.
    {C::QueryModem, "$PQELQ,MDM\r\n", kD, O::OwnReply, &R::mdmReceived},
    {C::ModemOn, "$PQELS,MDM,ON\r\n", kModemTimeoutMs, O::Ack},
    {C::ModemOff, "$PQELS,MDM,OFF\r\n", kModemTimeoutMs, O::Ack},
    {C::ModemInit, "$PQELS,MDM,INI\r\n", kModemTimeoutMs, O::TwoStage, nullptr, kModemTimeoutMs},
    {C::ModemDial, "$PQELS,MDM,DAL,%d\r\n", kD, O::Ack},
    {C::SetModemCsd, "$PQELS,MDM,PAR,PTC,0\r\n", kD, O::Ack},
    {C::SetModemIp, "$PQELS,MDM,PAR,PTC,1,IPT,%d\r\n", kD, O::Ack},
    {C::SetModemAdl, "$PQELS,MDM,PAR,ADL,%c\r\n", kD, O::Ack},
    {C::SetModemDialParametersPin, "$PQELS,MDM,PAR,PIN,%s,PTC,0,PHN,%s\r\n", kD, O::Ack},
    {C::SetModemDialParameters, "$PQELS,MDM,PAR,PTC,0,PHN,%s\r\n", kD, O::Ack},
    {C::SetModemGprsParametersPin, "$PQELS,MDM,PAR,PIN,%s,PTC,1,APN,%s,LGN,%s,PWD,%s\r\n", kD,
     O::Ack},
    {C::SetModemGprsParameters, "$PQELS,MDM,PAR,PTC,1,APN,%s,LGN,%s,PWD,%s\r\n", kD, O::Ack},
    // Direct IP and NTRIP.
    {C::ConnectDirectIp, "$PQELS,DIP,RIP,%s,PRT,%d\r\n", kDirectIpTimeoutMs, O::Ack},
    {C::ConnectDirectIpLogin, "$PQELS,DIP,RIP,%s,PRT,%d,LGN,%s,PWD,%s\r\n", kD, O::Ack},
    {C::DisconnectDirectIp, "$PQELS,DIP,OFF\r\n", kD, O::Ack},
    {C::QueryDirectIp, "$PQELQ,DIP\r\n", kD, O::OwnReply, &R::dipReceived},
    {C::SetNtripParameters, "$PQELS,NTR,PAR,ADD,%s,PRT,%d,LGN,%s,PWD,%s,TYP,%d\r\n", kD, O::Ack},
    {C::QueryNtripParameters, "$PQELQ,NTR\r\n", kD, O::OwnReply, &R::ntripParametersReceived},
    {C::ConnectMountPoint, "$PQELS,NTR,MTP,%s\r\n", kD, O::TwoStage, nullptr, kNtripTimeoutMs},
    {C::DisconnectMountPoint, "$PQELS,NTR,MTP,OFF\r\n", kD, O::Ack},
    {C::QueryMountPoint, "$PQELQ,NTR,MTP\r\n", kD, O::OwnReply, &R::mountPointReceived},
    {C::LoadSourceTable, "$PQELS,NTR,LOD\r\n", kNtripTimeoutMs, O::TwoStage, nullptr,
     kNtripTimeoutMs},
    {C::QuerySourceTable, "$PQELQ,NTR,TBL\r\n", kNtripTimeoutMs, O::OwnReply,
     &R::sourceTableReceived},
    // Recording, files and memory.
    {C::SetRecording, "$PQELS,REC,%c\r\n", kD, O::Ack},
    {C::QueryRecording, "$PQELQ,REC\r\n", 0, O::NoWait},
    {C::SetRecorder, "$PQELS,NRC,%s\r\n", kD, O::Ack},
    {C::QueryRecorderState, "$PQELQ,NRC\r\n", kD, O::AnyReply},
    {C::SetRecorderFile, "$PQELS,NRC,FIL,%s\r\n", kD, O::Ack},
    {C::QueryRecorderFile, "$PQELQ,NRC,FIL\r\n", kD, O::OwnReply, &R::fileReceived},
    {C::QueryCurrentFile, "$PQELQ,FIL,CUR\r\n", kD, O::OwnReply, &R::fileReceived},
    {C::QueryFilePath, "$PQELQ,FIL,PTH\r\n", kD, O::OwnReply, &R::pathReceived},
    {C::SetFilePath, "$PQELS,FIL,PTH,%s\r\n", kD, O::Ack},
    {C::SetRecordingInterval, "$PQELS,DRI,%f\r\n", kD, O::Ack},
    {C::QueryRecordingInterval, "$PQELQ,DRI\r\n", kD, O::OwnReply, &R::driReceived},
    {C::SetMemory, "$PQELS,MEM,%d\r\n", kD, O::Ack},
    {C::QueryMemory, "$PQELQ,MEM\r\n", kD, O::OwnReply, &R::memReceived},
    {C::SetAutoLogging, "$PQELS,ATL,%s\r\n", kD, O::Ack},
    {C::QueryAutoLogging, "$PQELQ,ATL\r\n", kD, O::OwnReply, &R::atlReceived},
    {C::SetStationId, "$PQELS,STI,%s\r\n", kD, O::Ack},
    {C::QueryStationId, "$PQELQ,STI\r\n", kD, O::OwnReply, &R::stiReceived},
    {C::SetOccupation, "$PQELS,OCC,%d,%d,%s,%s\r\n", kD, O::Ack},
    {C::ResetObservations, "$PQELS,OBI,RST\r\n", kD, O::Ack},
    {C::QueryNpt, "$PQELQ,NPT\r\n", kD, O::OwnReply, &R::nptReceived},
    {C::SetNpt, "$PQELS,NPT,%1d,%1d\r\n", kD, O::Ack},
};

// The rows are looked up by their command's number.
constexpr bool rowsInOrder() {
    if (std::size(kRows) != static_cast<size_t>(C::Count))
        return false;
    for (size_t i = 0; i < std::size(kRows); ++i) {
        if (static_cast<size_t>(kRows[i].command) != i)
            return false;
    }
    return true;
}
static_assert(rowsInOrder(), "one row per command, in the order of `Command`");

using K = PresetStep::Kind;
constexpr PresetStep kPreset0[] = {{K::Rnx, 4, 1, 31}};
constexpr PresetStep kPreset1[] = {{K::Rnx, 100, 1, 31}};
constexpr PresetStep kPreset2[] = {{K::Rnx, 101, 1, 31}};
constexpr PresetStep kPreset3[] = {{K::Rtcm, 1000, 0},
                                   {K::Rtcm, 1004, 1},
                                   {K::Rtcm, 1006, 13},
                                   {K::Rtcm, 1012, 1},
                                   {K::Rtcm, 1033, 31}};
constexpr PresetStep kPreset4[] = {
    {K::Rtcm, 0, 0}, {K::Rtcm, 18, 1}, {K::Rtcm, 23, 31}, {K::Rtcm, 24, 13}};
constexpr PresetStep kPreset5[] = {
    {K::Rtcm, 0, 0}, {K::Rtcm, 1, 1}, {K::Rtcm, 3, 30}, {K::Rtcm, 31, 1}};
constexpr PresetStep kPreset6[] = {
    {K::Cmr, 0, 1}, {K::Cmr, 1, 30}, {K::Cmr, 2, 30}, {K::Cmr, 3, 1}};
constexpr std::span<const PresetStep> kPresets[] = {kPreset0, kPreset1, kPreset2, kPreset3,
                                                    kPreset4, kPreset5, kPreset6};

}  // namespace

std::span<const CommandRow> commandTable() {
    return kRows;
}

const CommandRow& commandRow(Command command) {
    return kRows[static_cast<size_t>(command)];
}

std::span<const PresetStep> differentialPreset(uint32_t preset) {
    return preset < std::size(kPresets) ? kPresets[preset] : std::span<const PresetStep>();
}

uint32_t gnssModeOf(uint32_t signalConfig, bool gpsOn, bool glonassOn) {
    switch (signalConfig) {
        case 0:  // SSL
            if (gpsOn)
                return glonassOn ? 2 : 0;
            return glonassOn ? 4 : 6;
        case 1:  // DSL
            return gpsOn ? 1 : 6;
        case 3:  // DSE
            if (!glonassOn)
                return 6;
            return gpsOn ? 3 : 5;
        default:
            return 6;
    }
}

}  // namespace zentrix::receiver
