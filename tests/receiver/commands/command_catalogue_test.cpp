// Every operation of the catalogue against a receiver that answers: the exact text it sends, and
// what it makes of the answer.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "receiver/commands/station_list.h"
#include "tests/receiver/commands/command_support.h"

namespace zentrix::receiver {
namespace {

using test::kAck;
using test::reply;
using test::utf8;

std::string str(uint32_t v) {
    return std::to_string(v);
}
std::string str(int32_t v) {
    return std::to_string(v);
}
std::string str(double v, int decimals = 3) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

struct Row {
    const char* legend;
    std::function<std::string(GnssReceiver&)> call;  // the result, then what was read back
    std::string sent;                                // without its line end
    std::string answer;
    std::string expected;
};

// A set command: sends `sent`, and is answered with an ACK.
Row set(const char* legend, std::function<uint32_t(GnssReceiver&)> call, std::string sent) {
    return {legend, [call](GnssReceiver& r) { return str(call(r)); }, std::move(sent), kAck, "1"};
}

std::string shown(uint8_t v) {
    return str(uint32_t(v));
}
std::string shown(uint32_t v) {
    return str(v);
}
std::string shown(int32_t v) {
    return str(v);
}
std::string shown(double v) {
    return str(v);
}
std::string shown(const std::string& v) {
    return v;
}
std::string shown(const platform::WideString& v) {
    return utf8(v);
}

// A query whose arguments are all out-parameters: the result, then each of them as read back.
template <typename... Out>
Row ask(const char* legend, uint32_t (GnssReceiver::*query)(Out&...), std::string sent,
        std::string answer, std::string expected) {
    auto call = [query](GnssReceiver& r) {
        std::tuple<Out...> outs{};
        const uint32_t ok = std::apply([&](Out&... o) { return (r.*query)(o...); }, outs);
        std::string text = str(ok);
        std::apply([&](const Out&... o) { ((text += " " + shown(o)), ...); }, outs);
        return text;
    };
    return {legend, call, std::move(sent), std::move(answer), std::move(expected)};
}

const std::vector<Row>& rows() {
    static const std::vector<Row> kRows = {
        // Constellations, signals and position.
        set(
            "GPS on", [](auto& r) { return r.setGps(true); }, "$PQELS,GPS,ON"),
        set(
            "GPS off", [](auto& r) { return r.setGps(false); }, "$PQELS,GPS,OFF"),
        set(
            "GLONASS", [](auto& r) { return r.setGlonass(false); }, "$PQELS,GLO,OFF"),
        set(
            "SBAS", [](auto& r) { return r.setSbas(true); }, "$PQELS,SBA,ON"),
        set(
            "QZSS", [](auto& r) { return r.setQzss(false); }, "$PQELS,QZS,OFF"),
        ask("GPS query", &GnssReceiver::queryGps, "$PQELQ,GPS", reply("$PQELR,GPS,ON"), "1 1"),
        ask("GLONASS query", &GnssReceiver::queryGlonass, "$PQELQ,GLO", reply("$PQELR,GLO,ON"), "1 1"),
        ask("SBAS query", &GnssReceiver::querySbas, "$PQELQ,SBA", reply("$PQELR,SBA,OFF"), "1 0"),
        ask("QZSS query, any reply", &GnssReceiver::queryQzss, "$PQELQ,QZS", kAck, "1 0"),
        ask("signal configuration query", &GnssReceiver::querySignalConfig, "$PQELQ,CFG", reply("$PQELR,CFG,DSE"), "1 3"),
        set(
            "elevation mask", [](auto& r) { return r.setElevationMask(15); }, "$PQELS,PEM,15"),
        ask("elevation mask query", &GnssReceiver::queryElevationMask, "$PQELQ,PEM", reply("$PQELR,PEM,10"), "1 10"),
        set(
            "LCS", [](auto& r) { return r.setLcs(true); }, "$PQELS,LCS,ON"),
        set(
            "dynamics", [](auto& r) { return r.setDynamics(3); }, "$PQELS,DYN,3"),
        set(
            "reference position south, east",
            [](auto& r) { return r.setReferencePosition(-33.5, 350.25, 12.0); },
            "$PQELS,POS,3330.0000000,S,35015.0000000,E,12.0000"),
        set(
            "reference position north, west",
            [](auto& r) { return r.setReferencePosition(45.5, -7.25, -3.5); },
            "$PQELS,POS,4530.0000000,N,00715.0000000,W,-3.5000"),
        set(
            "reference position, minutes that round up to a whole degree",
            [](auto& r) { return r.setReferencePosition(45.999999999999, 0.0000000001, 0); },
            "$PQELS,POS,4600.0000000,N,00000.0000000,E,0.0000"),
        set(
            "known point PC1", [](auto& r) { return r.setKnownPoint(45.5, 10.0, 100.0, 0); },
            "$PQELS,KPI,4530.0000000,N,01000.0000000,E,100.0000,PC1"),
        set(
            "known point ARP", [](auto& r) { return r.setKnownPoint(1.25, 2.5, 0.5, 1); },
            "$PQELS,KPI,0115.0000000,N,00230.0000000,E,0.5000,ARP"),
        set(
            "known point, other code", [](auto& r) { return r.setKnownPoint(0, 0, 0, 7); },
            "$PQELS,KPI,0000.0000000,N,00000.0000000,E,0.0000,SPT"),
        ask("reference position query", &GnssReceiver::queryReferencePosition, "$PQELQ,CPD,POS", reply("$PQELR,CPD,POS,4530.0000000,N,00715.0000000,W,12.345"),
         "1 45.500 -7.250 12.345"),
        ask("versions", &GnssReceiver::queryVersions, "$PQELQ,VERSION", "RECEIVER VERSION: 1.0\r\nSYS fw: S1\r\nGNSS fw: G1\r\nEND\r\n",
         "1 G1 S1 1.0"),
        ask("receiver family, any reply", &GnssReceiver::queryReceiverFamily, "$PQELQ,RID", kAck, "1 0"),
        set(
            "reset", [](auto& r) { return r.resetReceiver(); }, "$PQELS,RST"),
        set(
            "initialise", [](auto& r) { return r.initReceiver(2); }, "$PQELS,INI,2"),

        // Antenna.
        set(
            "antenna height, slant", [](auto& r) { return r.setAntennaHeight(1.5, 1); },
            "$PQELS,ANH,1.500000,S"),
        set(
            "antenna height, other type", [](auto& r) { return r.setAntennaHeight(2, 7); },
            "$PQELS,ANH,2.000000,V"),
        ask("antenna height query", &GnssReceiver::queryAntennaHeight, "$PQELQ,ANH", reply("$PQELR,ANH,1.500,S"), "1 1.500 1"),
        set(
            "antenna offsets", [](auto& r) { return r.setAntennaOffsets(0.1, 0.02, -0.003); },
            "$PQELS,ANT,0.100,0.0200,-0.0030"),
        set(
            "antenna reduction ARP", [](auto& r) { return r.setAntennaReduction(2); },
            "$PQELS,ANR,ARP"),
        set(
            "antenna reduction, other code", [](auto& r) { return r.setAntennaReduction(9); },
            "$PQELS,ANR,ON"),
        ask("antenna reduction query", &GnssReceiver::queryAntennaReduction, "$PQELQ,ANR", reply("$PQELR,ANR,OFF"), "1 0"),
        set(
            "antenna name", [](auto& r) { return r.setAntennaName(u"ANT\u00e91"); },
            "$PQELS,ANP,OWN,ANT\xe9"
            "1"),
        ask("antenna name query", &GnssReceiver::queryAntennaName, "$PQELQ,ANP,OWN", reply("$PQELR,ANP,OWN,ANT1"), "1 ANT1"),
        set(
            "antenna output on", [](auto& r) { return r.setAntennaOutput(true); },
            "$PQELS,ANP,OUT,ADVNULLANTENNA"),
        set(
            "antenna output off", [](auto& r) { return r.setAntennaOutput(false); },
            "$PQELS,ANP,OUT,OFF"),

        // Ports and NMEA output: each command its own port letters.
        set(
            "port baud on", [](auto& r) { return r.setPortBaud(1, 6, 0); }, "$PQELS,PRT,B,6,ON"),
        set(
            "port baud: no E", [](auto& r) { return r.setPortBaud(4, 5, 1); },
            "$PQELS,PRT,A,5,OFF"),
        set(
            "port baud: no O, no mode", [](auto& r) { return r.setPortBaud(6, 9, 2); },
            "$PQELS,PRT,A,9"),
        set(
            "port baud F", [](auto& r) { return r.setPortBaud(5, 0, 0); }, "$PQELS,PRT,F,0,ON"),
        {"port baud query: E",
         [](auto& r) {
             uint32_t b = 0;
             const uint32_t ok = r.queryPortBaud(4, b);
             return str(ok) + " " + str(b);
         },
         "$PQELQ,PRT,E", reply("$PQELR,PRT,E,5"), "1 5"},
        ask("receiver port", &GnssReceiver::queryReceiverPort, "$PQELQ,PRT", reply("$PQELR,PRT,B,6"), "1 1 6"),
        set(
            "port mode 232", [](auto& r) { return r.setPortMode(3, 0); }, "$PQELS,MDP,D,232"),
        set(
            "port mode 422: no C", [](auto& r) { return r.setPortMode(2, 1); }, "$PQELS,MDP,A,422"),
        set(
            "NMEA message on O", [](auto& r) { return r.setNmeaMessage(6, 2, true, 0.5f); },
            "$PQELS,NME,O,GGA,ON,0.50"),
        set(
            "NMEA message off", [](auto& r) { return r.setNmeaMessage(4, 19, false, 1); },
            "$PQELS,NME,E,DTM,OFF"),
        set(
            "NMEA all on", [](auto& r) { return r.setNmeaAll(true, 2); }, "$PQELS,NME,POS,C,ON"),
        set(
            "NMEA all off", [](auto& r) { return r.setNmeaAll(false, 6); }, "$PQELS,NME,ALL,O,OFF"),
        {"NMEA outputs",
         [](auto& r) {
             MessageOutputs o;
             const uint32_t ok = r.queryNmeaOutputs(6, o);
             return str(ok) + " " + str(o.count) + " " + str(o.entries[0].messageCode) + ":" +
                    str(double(o.entries[0].intervalSeconds), 2);
         },
         "$PQELQ,NMO,O", reply("$PQELR,NMO,O,0,1.00,01,GGA,0.50"), "1 1 2:0.50"},
        ask("Bluetooth port query", &GnssReceiver::queryBluetoothPort, "$PQELQ,BTH", reply("$PQELR,BTH,,C,BT01"), "1 BT01"),
        set(
            "OBI output", [](auto& r) { return r.setObiOutput(true); }, "$PQELS,NME,A,OBI,ON,1.00"),
        set(
            "WTI output", [](auto& r) { return r.setWtiOutput(true); }, "$PQELS,NME,A,WTI,ON,1.00"),
        set(
            "A2D output", [](auto& r) { return r.setA2dOutput(false); }, "$PQELS,NME,A,A2D,OFF"),

        // Base output and differential formats.
        set(
            "base output", [](auto& r) { return r.setBaseOutput(1, 3); }, "$PQELS,BAS,B,CMR"),
        set(
            "base output, format 0", [](auto& r) { return r.setBaseOutput(4, 0); },
            "$PQELS,BAS,E,RT3"),
        set(
            "base outputs", [](auto& r) { return r.setBaseOutputs(0, 1, 5, 5); },
            "$PQELS,BAS,A,RT2,F,ATM"),
        ask("base output query", &GnssReceiver::queryBaseOutput, "$PQELQ,BAS", reply("$PQELR,BAS,B,CMR,D,RT2"), "1 1 3"),
        ask("base outputs query", &GnssReceiver::queryBaseOutputs, "$PQELQ,BAS", reply("$PQELR,BAS,B,CMR,D,RT2"), "1 1 3 3 1"),
        set(
            "differential mode", [](auto& r) { return r.setDifferentialMode(0); },
            "$PQELS,CPD,MOD,BAS"),
        set(
            "differential mode and value", [](auto& r) { return r.setDifferentialModeValue(1, 2); },
            "$PQELS,CPD,MOD,ROV,2"),
        set(
            "rover", [](auto& r) { return r.setRoverMode(); }, "$PQELS,CPD,MOD,ROV"),
        ask("differential mode query", &GnssReceiver::queryDifferentialMode, "$PQELQ,CPD,MOD", reply("$PQELR,CPD,MOD,ROV,3"), "1 1"),
        ask("differential modes query", &GnssReceiver::queryDifferentialModes, "$PQELQ,CPD,MOD", reply("$PQELR,CPD,MOD,BAS,3"), "1 0 23"),
        set(
            "differential reset", [](auto& r) { return r.resetDifferential(); }, "$PQELS,CPD,RST"),
        set(
            "array length", [](auto& r) { return r.setArrayLength(1.25); },
            "$PQELS,CPD,ARR,LEN,1.250000"),
        set(
            "array mode", [](auto& r) { return r.setArrayMode(false); }, "$PQELS,CPD,ARR,MOD,OFF"),
        set(
            "RTCM 1000: no rate", [](auto& r) { return r.setRtcmType(1000, 5); },
            "$PQELS,RTC,TYP,1000"),
        set(
            "RTCM 0: no rate", [](auto& r) { return r.setRtcmType(0, 3); }, "$PQELS,RTC,TYP,0"),
        set(
            "RTCM with rate", [](auto& r) { return r.setRtcmType(1004, 1); },
            "$PQELS,RTC,TYP,1004,1"),
        set(
            "RNX", [](auto& r) { return r.setRnxType(4, 1, 31); }, "$PQELS,RNX,TYP,4,1,31"),
        set(
            "CMR", [](auto& r) { return r.setCmrType(2, 30); }, "$PQELS,CMR,TYP,2,30"),
        set(
            "reference receiver", [](auto& r) { return r.setReferenceReceiver("REF1", true); },
            "$PQELS,RCP,REF,REF1,1"),
        set(
            "reference receiver, flag clear",
            [](auto& r) { return r.setReferenceReceiver("REF1", false); }, "$PQELS,RCP,REF,REF1,0"),
        ask("reference receiver query, any reply", &GnssReceiver::queryReferenceReceiver, "$PQELQ,RCP,REF", reply("$PQELR,RCP,REF,REF1,1"), "1 REF1 1"),
        set(
            "bridge", [](auto& r) { return r.setBridge(true); }, "$PQELS,BRD,ON"),
        ask("bridge query, any reply", &GnssReceiver::queryBridge, "$PQELQ,BRD", reply("$PQELR,BRD,ON,1"), "1 1"),

        // Radio.
        set(
            "radio on", [](auto& r) { return r.radioOn(); }, "$PQELS,RDP,ON"),
        set(
            "radio off", [](auto& r) { return r.radioOff(); }, "$PQELS,RDP,OFF"),
        set(
            "radio type PDL on D", [](auto& r) { return r.setRadioType(3, 0); },
            "$PQELS,RDP,TYP,D,PDL"),
        set(
            "radio type NONE on F", [](auto& r) { return r.setRadioType(5, 8); },
            "$PQELS,RDP,TYP,F,NONE"),
        set(
            "radio type: no C", [](auto& r) { return r.setRadioType(2, 6); },
            "$PQELS,RDP,TYP,A,LFA"),
        set(
            "radio type cleared", [](auto& r) { return r.clearRadioTypeD(); },
            "$PQELS,RDP,TYP,D,UNKNOWN"),
        {"radio type query: no F",
         [](auto& r) {
             uint32_t t = 9;
             const uint32_t ok = r.queryRadioType(5, t);
             return str(ok) + " " + str(t);
         },
         "$PQELQ,RDP,TYP,A", reply("$PQELR,RDP,TYP,A,ADL"), "1 1"},
        {"radio table query",
         [](auto& r) {
             uint32_t t = 0;
             const uint32_t ok = r.queryRadioTable(5, t);
             return str(ok) + " " + str(t);
         },
         "$PQELQ,RDP,CHT,F", reply("$PQELR,RDP,CHT,F,XDL,12"), "1 12"},
        {"radio parameters query",
         [](auto& r) {
             RadioSettings s;
             const uint32_t ok = r.queryRadioParameters(3, s);
             return str(ok) + " " + str(s.radioType) + " " + str(s.power) + " " + str(s.airBaud) +
                    " " + str(s.channel) + " " + str(s.sensitivity) + " " + str(s.level) + " " +
                    str(s.control) + " " + str(s.spacing) + " " + str(s.modulation);
         },
         "$PQELQ,RDP,PAR,D",
         reply("$PQELR,RDP,PAR,D,PDL,ON,05,MAN,3,9600,MED,x,x,25,a,b,c,d,e,f,g,GMSK"),
         "1 0 0 3 5 1 3 1 1 1"},
        set(
            "radio parameters PDL on D: power mode",
            [](auto& r) { return r.setRadioParameters(3, 0, 3, 5, 1, 2, 1); },
            "$PQELS,RDP,PAR,D,PDL,5,MAN,2,9600,MED"),
        set(
            "radio parameters PDL on B: no power mode",
            [](auto& r) { return r.setRadioParameters(1, 0, 3, 5, 1, 2, 1); },
            "$PQELS,RDP,PAR,B,PDL,5,,2,9600,MED"),
        set(
            "radio parameters MDL on D, fall-backs",
            [](auto& r) { return r.setRadioParameters(3, 4, 9, 7, 9, 12, 0); },
            "$PQELS,RDP,PAR,D,MDL,7,AUT,0,,LOW"),
        set(
            "radio parameters ADL on D: no power mode",
            [](auto& r) { return r.setRadioParameters(3, 1, 0, 2, 3, 8, 1); },
            "$PQELS,RDP,PAR,D,ADL,2,,8,4800,OFF"),
        set(
            "radio parameters XDL",
            [](auto& r) { return r.setRadioParameters(5, 2, 5, 1, 2, 1, 0); },
            "$PQELS,RDP,PAR,F,XDL,1,,1,19200,HIG"),
        set(
            "radio parameters KVL",
            [](auto& r) { return r.setRadioParameters(0, 3, 0, 4, 0, 0, 0); },
            "$PQELS,RDP,PAR,A,KVL,4"),
        set(
            "radio parameters LFE",
            [](auto& r) { return r.setRadioParameters(3, 5, 0, 6, 0, 0, 1); },
            "$PQELS,RDP,PAR,D,LFE,6"),
        set(
            "radio parameters LFA",
            [](auto& r) { return r.setRadioParameters(1, 6, 0, 7, 0, 0, 0); },
            "$PQELS,RDP,PAR,B,LFA,7"),

        // Modem.
        set(
            "modem on", [](auto& r) { return r.modemOn(); }, "$PQELS,MDM,ON"),
        set(
            "modem off", [](auto& r) { return r.modemOff(); }, "$PQELS,MDM,OFF"),
        set(
            "dial", [](auto& r) { return r.modemDial(); }, "$PQELS,MDM,DAL,1"),
        set(
            "hang up", [](auto& r) { return r.modemHangUp(); }, "$PQELS,MDM,DAL,0"),
        set(
            "CSD", [](auto& r) { return r.setModemCsd(); }, "$PQELS,MDM,PAR,PTC,0"),
        set(
            "IP", [](auto& r) { return r.setModemIp(1); }, "$PQELS,MDM,PAR,PTC,1,IPT,1"),
        set(
            "ADL", [](auto& r) { return r.setModemAdl(true); }, "$PQELS,MDM,PAR,ADL,Y"),
        set(
            "dial parameters",
            [](auto& r) { return r.setModemDialParameters(u"1234", u"+4912345"); },
            "$PQELS,MDM,PAR,PIN,1234,PTC,0,PHN,+4912345"),
        set(
            "dial parameters cut, no PIN",
            [](auto& r) { return r.setModemDialParameters(u"", u"0123456789012345678901234"); },
            "$PQELS,MDM,PAR,PTC,0,PHN,01234567890123456789"),
        set(
            "dial parameters, PIN cut",
            [](auto& r) { return r.setModemDialParameters(u"12345678901", u"1"); },
            "$PQELS,MDM,PAR,PIN,123456789,PTC,0,PHN,1"),
        set(
            "GPRS parameters",
            [](auto& r) { return r.setModemGprsParameters(u"1234", u"apn.example", u"u", u"p"); },
            "$PQELS,MDM,PAR,PIN,1234,PTC,1,APN,apn.example,LGN,u,PWD,p"),
        set(
            "GPRS parameters, no PIN",
            [](auto& r) { return r.setModemGprsParameters(u"", u"apn.example", u"", u""); },
            "$PQELS,MDM,PAR,PTC,1,APN,apn.example,LGN,,PWD,"),
        ask("modem state", &GnssReceiver::queryModemState, "$PQELQ,MDM", reply("$PQELR,MDM,GSM,1,DIALING,PTC,1"), "1 4"),
        ask("modem IP mode", &GnssReceiver::queryModemIpMode, "$PQELQ,MDM", reply("$PQELR,MDM,GSM,1,ON,PTC,1"), "1 1"),
        ask("modem mode and state", &GnssReceiver::queryModemModeAndState, "$PQELQ,MDM", reply("$PQELR,MDM,GSM,1,ONLINE,PTC,0"), "1 0 5"),
        ask("modem dial parameters", &GnssReceiver::queryModemDialParameters, "$PQELQ,MDM", reply("$PQELR,MDM,GSM,1,ON,PIN,1234,PHN,+4912345"), "1 1234 +4912345"),
        ask("modem GPRS parameters", &GnssReceiver::queryModemGprsParameters, "$PQELQ,MDM", reply("$PQELR,MDM,GSM,1,ON,PIN,1,APN,a.b,LGN,u,PWD,p"), "1 1 a.b u p"),

        // Direct IP and NTRIP.
        set(
            "direct IP", [](auto& r) { return r.connectDirectIp(u"10.0.0.1", 2101); },
            "$PQELS,DIP,RIP,10.0.0.1,PRT,2101"),
        set(
            "direct IP with login",
            [](auto& r) { return r.connectDirectIpLogin(u"10.0.0.1", 80, u"u", u"p"); },
            "$PQELS,DIP,RIP,10.0.0.1,PRT,80,LGN,u,PWD,p"),
        set(
            "direct IP off", [](auto& r) { return r.disconnectDirectIp(); }, "$PQELS,DIP,OFF"),
        ask("direct IP query", &GnssReceiver::queryDirectIp, "$PQELQ,DIP", reply("$PQELR,DIP,RIP,192.168.10.20,PRT,2101,LGN,surveyor,PWD,pa55"),
         "1 192.168.10.20 2101"),
        ask("direct IP login query", &GnssReceiver::queryDirectIpLogin, "$PQELQ,DIP", reply("$PQELR,DIP,RIP,192.168.10.20,PRT,2101,LGN,surveyor,PWD,pa55"),
         "1 192.168.10.20 2101 surveyor pa55"),
        set(
            "NTRIP parameters",
            [](auto& r) {
                return r.setNtripParameters(u"caster.example.org", 2101, u"user", u"secret", 1);
            },
            "$PQELS,NTR,PAR,ADD,caster.example.org,PRT,2101,LGN,user,PWD,secret,TYP,1"),
        ask("NTRIP parameters query", &GnssReceiver::queryNtripParameters, "$PQELQ,NTR", reply("$PQELR,NTR,ADD,caster.example.org,PRT,2101,LGN,user,PWD,secret"),
         "1 caster.example.org 2101 user secret"),
        set(
            "mount point off", [](auto& r) { return r.disconnectMountPoint(); },
            "$PQELS,NTR,MTP,OFF"),
        ask("mount point query", &GnssReceiver::queryMountPoint, "$PQELQ,NTR,MTP", reply("$PQELR,NTR,MTP,VRS_RTCM32"), "1 VRS_RTCM32"),

        // Recording, files and memory.
        set(
            "recording stop", [](auto& r) { return r.setRecording(false); }, "$PQELS,REC,N"),
        set(
            "recorder", [](auto& r) { return r.setRecorder(true); }, "$PQELS,NRC,ON"),
        ask("recorder state, any reply", &GnssReceiver::queryRecorderState, "$PQELQ,NRC", reply("$PQELR,NRC,ON"), "1 1"),
        set(
            "recorder file", [](auto& r) { return r.setRecorderFile(u"F1.DAT"); },
            "$PQELS,NRC,FIL,F1.DAT"),
        ask("recorder file query", &GnssReceiver::queryRecorderFile, "$PQELQ,NRC,FIL", reply("$PQELR,NRC,FIL,R1.DAT"), "1 R1.DAT"),
        ask("current file", &GnssReceiver::queryCurrentFile, "$PQELQ,FIL,CUR", reply("$PQELR,FIL,CUR,F1.DAT"), "1 F1.DAT"),
        {"current file: none open",
         [](auto& r) {
             platform::WideString f = u"kept";
             const uint32_t ok = r.queryCurrentFile(f);
             return str(ok) + " " + utf8(f);
         },
         "$PQELQ,FIL,CUR", reply("$PQELR,FIL,CUR,NONE"), "0 kept"},
        ask("file path", &GnssReceiver::queryFilePath, "$PQELQ,FIL,PTH", reply("$PQELR,FIL,PTH,/D"), "1 /D"),
        set(
            "file path set", [](auto& r) { return r.setFilePath(u"/D"); }, "$PQELS,FIL,PTH,/D"),
        set(
            "recording interval", [](auto& r) { return r.setRecordingInterval(0.5); },
            "$PQELS,DRI,0.500000"),
        ask("recording interval query", &GnssReceiver::queryRecordingInterval, "$PQELQ,DRI", reply("$PQELR,DRI,1.50"), "1 1.500"),
        set(
            "memory", [](auto& r) { return r.setMemory(1); }, "$PQELS,MEM,1"),
        ask("memory query", &GnssReceiver::queryMemory, "$PQELQ,MEM", reply("$PQELR,MEM,1"), "1 1"),
        set(
            "auto-logging", [](auto& r) { return r.setAutoLogging(true); }, "$PQELS,ATL,ON"),
        ask("auto-logging query", &GnssReceiver::queryAutoLogging, "$PQELQ,ATL", reply("$PQELR,ATL,ON,3,RING"), "1 1 3 1"),
        {"auto-logging ring", [](auto& r) { return str(r.queryAutoLoggingRing()); }, "$PQELQ,ATL",
         reply("$PQELR,ATL,ON,3,N"), "0"},
        set(
            "station identifier", [](auto& r) { return r.setStationId(u"BS01"); },
            "$PQELS,STI,BS01"),
        ask("station identifier query", &GnssReceiver::queryStationId, "$PQELQ,STI", reply("$PQELR,STI,BS01"), "1 BS01"),
        set(
            "occupation 0", [](auto& r) { return r.setOccupation0(2, u"a", u"b"); },
            "$PQELS,OCC,2,0,a,b"),
        set(
            "occupation 1", [](auto& r) { return r.setOccupation1(3, u"", u"c"); },
            "$PQELS,OCC,3,1,,c"),
        set(
            "observations reset", [](auto& r) { return r.resetObservations(); }, "$PQELS,OBI,RST"),
        set(
            "free text", [](auto& r) { return r.sendFreeCommand("$PQELS,XYZ,1"); }, "$PQELS,XYZ,1"),
        // Last: a receiver that acknowledged its power-off is not read any more.
        set(
            "power off", [](auto& r) { return r.powerOff(); }, "$PQELS,PWR,OFF"),
    };
    return kRows;
}

class Catalogue : public test::ReceiverOnLine {};

TEST_F(Catalogue, EachOperationSendsItsTextAndReadsItsAnswer) {
    for (const Row& row : rows()) {
        SCOPED_TRACE(row.legend);
        peer_.answerAll(row.answer);
        EXPECT_EQ(row.call(rx_), row.expected);
        const auto lines = peer_.takeLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], row.sent + "\r\n");
    }
}

// The same rows answered by a NAK: every operation fails, except the few queries whose reply
// sets no flag of its own and so take any reply for theirs.
TEST_F(Catalogue, EachOperationFailsOnANak) {
    peer_.answerAll(test::kNak);
    for (const Row& row : rows()) {
        SCOPED_TRACE(row.legend);
        const bool anyReply = std::string_view(row.legend).find("any reply") != std::string::npos;
        const std::string outcome = row.call(rx_);
        EXPECT_EQ(outcome.substr(0, outcome.find(' ')), anyReply ? "1" : "0");
        EXPECT_EQ(peer_.takeLines(5).size(), 1u);
    }
}

}  // namespace
}  // namespace zentrix::receiver
