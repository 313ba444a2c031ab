// The link, the snapshots, constellations and signals, position and antenna.
#include "receiver/gnss_receiver.h"

#include <cmath>

#include "receiver/commands/command_text.h"
#include "receiver/replies/reply_codes.h"

namespace zentrix::receiver {

using platform::wideToAnsi;

GnssReceiver::GnssReceiver() = default;

GnssReceiver::~GnssReceiver() {
    stopReader();
    closePort();
}

bool GnssReceiver::openPort(WideStringView name) {
    port_.open(name);
    return port_.isOpen();
}

bool GnssReceiver::startReader() {
    if (readerThread_ && readerThread_->isRunning())
        return false;
    readerThread_ = std::make_unique<platform::WorkerThread>(reader_);
    return readerThread_->started();
}

void GnssReceiver::stopReader() {
    if (!readerThread_)
        return;
    readerThread_->requestStop();
    readerThread_->wait(platform::kInfinite);
    readerThread_.reset();
}

void GnssReceiver::closePort() {
    if (port_.isOpen())
        port_.close();
}

uint32_t GnssReceiver::isConnected() {
    return readerThread_ && readerThread_->isRunning() ? 1 : 0;
}

uint32_t GnssReceiver::waitVector() {
    return channel_.waitVector() ? 1 : 0;
}

uint32_t GnssReceiver::getPosition(PositionRecord& out) {
    out = reader_.getPosition();
    return 1;
}

uint32_t GnssReceiver::getSatellites(SatelliteTable& out) {
    out.count = reader_.getSatellites(out.entries);
    return out.count;
}

uint32_t GnssReceiver::getBaselineLength(float& metres) {
    PositionRecord position;
    if (!getPosition(position))
        return 0;
    const auto& v = position.vector;
    metres = static_cast<float>(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
    return 1;
}

// Constellations and signals.

uint32_t GnssReceiver::setGps(bool on) {
    return run(Command::SetGps, {onOff(on)});
}
uint32_t GnssReceiver::setGlonass(bool on) {
    return run(Command::SetGlonass, {onOff(on)});
}
uint32_t GnssReceiver::setSbas(bool on) {
    return run(Command::SetSbas, {onOff(on)});
}
uint32_t GnssReceiver::setQzss(bool on) {
    return run(Command::SetQzss, {onOff(on)});
}
uint32_t GnssReceiver::setLcs(bool on) {
    return run(Command::SetLcs, {onOff(on)});
}

uint32_t GnssReceiver::queryGps(uint8_t& on) {
    return query(Command::QueryGps, {}, [&](const ReplyState& r) { on = r.getGps(); });
}
uint32_t GnssReceiver::queryGlonass(uint8_t& on) {
    return query(Command::QueryGlonass, {}, [&](const ReplyState& r) { on = r.getGlonass(); });
}
uint32_t GnssReceiver::querySbas(uint8_t& on) {
    return query(Command::QuerySbas, {}, [&](const ReplyState& r) { on = r.getSbas(); });
}
uint32_t GnssReceiver::queryQzss(uint8_t& on) {
    return query(Command::QueryQzss, {}, [&](const ReplyState& r) { on = r.getQzss(); });
}

uint32_t GnssReceiver::setSignalConfig(uint32_t code) {
    const std::string_view name = nameOfCode(kSignalConfigs, code);
    if (name.empty())
        return 0;
    return run(Command::SetSignalConfig, {name});
}

uint32_t GnssReceiver::querySignalConfig(uint32_t& code) {
    return query(Command::QuerySignalConfig, {},
                 [&](const ReplyState& r) { code = r.getSignalConfig(); });
}

uint32_t GnssReceiver::setGnssMode(uint32_t mode) {
    if (mode >= kGnssModes.size())
        return 0;
    const GnssModeRow& row = kGnssModes[mode];
    const uint32_t gpsOn = setGps(true);
    if (!setSignalConfig(row.signalConfig))
        return 0;
    if (!row.gpsOffAtEnd) {
        const uint32_t glonass = setGlonass(row.glonass);
        return gpsOn && glonass ? 1 : 0;
    }
    if (!setGlonass(true))
        return 0;
    return setGps(false) ? 1 : 0;
}

uint32_t GnssReceiver::queryGnssMode(uint32_t& mode) {
    uint32_t config = 0;
    uint8_t gps = 0;
    uint8_t glonass = 0;
    // All three are asked even when one fails, as the receiver expects them in this order.
    const bool configOk = querySignalConfig(config) != 0;
    const bool gpsOk = queryGps(gps) != 0;
    const bool glonassOk = queryGlonass(glonass) != 0;
    if (!configOk || !gpsOk || !glonassOk)
        return 0;
    mode = gnssModeOf(config, gps != 0, glonass != 0);
    return 1;
}

uint32_t GnssReceiver::setElevationMask(int32_t degrees) {
    return run(Command::SetElevationMask, {degrees});
}

uint32_t GnssReceiver::queryElevationMask(uint32_t& degrees) {
    return query(Command::QueryElevationMask, {},
                 [&](const ReplyState& r) { degrees = r.getElevationMask(); });
}

uint32_t GnssReceiver::setDynamics(int32_t value) {
    return run(Command::SetDynamics, {value});
}

// Position and identity.

uint32_t GnssReceiver::sendPosition(Command command, double latitude, double longitude,
                                    double height, std::string_view referencePoint) {
    AngleText lat;
    AngleText lon;
    if (!splitAngle(latitude, 'S', 'N', lat) || !splitAngle(longitude, 'W', 'E', lon))
        return 0;
    if (command == Command::SetKnownPoint) {
        return run(command, {lat.degrees, lat.minutes, lat.hemisphere, lon.degrees, lon.minutes,
                             lon.hemisphere, height, referencePoint});
    }
    return run(command, {lat.degrees, lat.minutes, lat.hemisphere, lon.degrees, lon.minutes,
                         lon.hemisphere, height});
}

uint32_t GnssReceiver::setReferencePosition(double latitude, double longitude, double height) {
    return sendPosition(Command::SetReferencePosition, latitude, longitude, height, {});
}

uint32_t GnssReceiver::setKnownPoint(double latitude, double longitude, double height,
                                     uint32_t referencePoint) {
    std::string_view point = nameOfCode(kReferencePoints, referencePoint);
    if (point.empty())
        point = kDefaultReferencePoint;
    return sendPosition(Command::SetKnownPoint, latitude, longitude, height, point);
}

uint32_t GnssReceiver::queryReferencePosition(double& latitude, double& longitude, double& height) {
    return query(Command::QueryReferencePosition, {}, [&](const ReplyState& r) {
        const Differential d = r.getDifferential();
        latitude = d.referenceLatitude;
        longitude = d.referenceLongitude;
        height = d.referenceHeight;
    });
}

uint32_t GnssReceiver::queryVersions(WideString& gnssFirmware, WideString& systemFirmware,
                                     WideString& receiverVersion) {
    return query(Command::QueryVersions, {}, [&](const ReplyState& r) {
        FirmwareVersions v = r.getFirmwareVersions();
        gnssFirmware = std::move(v.gnssFirmware);
        systemFirmware = std::move(v.systemFirmware);
        receiverVersion = std::move(v.receiverVersion);
    });
}

uint32_t GnssReceiver::queryReceiverFamily(uint32_t& family) {
    return query(Command::QueryReceiverFamily, {},
                 [&](const ReplyState& r) { family = r.getReceiverFamily(); });
}

uint32_t GnssReceiver::resetReceiver() {
    return run(Command::ResetReceiver);
}
uint32_t GnssReceiver::initReceiver(int32_t code) {
    return run(Command::InitReceiver, {code});
}
uint32_t GnssReceiver::powerOff() {
    if (!run(Command::PowerOff))
        return 0;
    // Nothing more comes from a receiver that is off. Its reader is asked to end now, so that it
    // has ended (its read time-out included) by the time the owner closes the link after the
    // receiver's settling pause, and disconnect has nothing left to wait for.
    poweredOff_ = true;
    if (readerThread_)
        readerThread_->requestStop();
    return 1;
}

// Antenna.

uint32_t GnssReceiver::setAntennaHeight(double heightMetres, uint32_t heightType) {
    return run(Command::SetAntennaHeight, {heightMetres, heightType == 1 ? "S" : "V"});
}

uint32_t GnssReceiver::queryAntennaHeight(double& heightMetres, uint32_t& heightType) {
    return query(Command::QueryAntennaHeight, {}, [&](const ReplyState& r) {
        const AntennaHeight h = r.getAntennaHeight();
        heightMetres = h.heightMetres;
        heightType = h.heightType;
    });
}

uint32_t GnssReceiver::setAntennaOffsets(double first, double second, double third) {
    return run(Command::SetAntennaOffsets, {first, second, third});
}

uint32_t GnssReceiver::setAntennaReduction(uint32_t code) {
    std::string_view name = nameOfCode(kAntennaReductions, code);
    if (name.empty())
        name = "ON";
    return run(Command::SetAntennaReduction, {name});
}

uint32_t GnssReceiver::queryAntennaReduction(uint32_t& code) {
    return query(Command::QueryAntennaReduction, {},
                 [&](const ReplyState& r) { code = r.getAntennaReduction(); });
}

uint32_t GnssReceiver::setAntennaName(WideStringView name) {
    return run(Command::SetAntennaName, {wideToAnsi(name)});
}

uint32_t GnssReceiver::queryAntennaName(WideString& name) {
    return query(Command::QueryAntennaName, {},
                 [&](const ReplyState& r) { name = r.getAntennaName(); });
}

uint32_t GnssReceiver::setAntennaOutput(bool on) {
    return run(Command::SetAntennaOutput, {on ? "ADVNULLANTENNA" : "OFF"});
}

uint32_t GnssReceiver::getA2dValid() {
    return reader_.replies().getA2d().valid;
}
uint32_t GnssReceiver::getA2dFirstSwitch() {
    return reader_.replies().getA2d().firstSwitch;
}
uint32_t GnssReceiver::getA2dSecondSwitch() {
    return reader_.replies().getA2d().secondSwitch;
}

// Settings kept in the receiver object.

uint32_t GnssReceiver::setOutputRate(uint32_t ratePerSecond) {
    // The output interval is 1 / rate: a rate of 0 has no interval to send.
    if (ratePerSecond == 0)
        return 0;
    outputRate_ = ratePerSecond;
    return 1;
}

uint32_t GnssReceiver::setDeviceModel(uint32_t model) {
    deviceModel_ = model;
    return 1;
}

uint32_t GnssReceiver::setNmeaOffOnDisconnect(bool on) {
    nmeaOffOnDisconnect_ = on ? 1 : 0;
    return 1;
}

}  // namespace zentrix::receiver
