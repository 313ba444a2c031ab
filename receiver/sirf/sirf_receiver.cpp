// Finding the chip, setting it up, and the settings it understands.
//
// The chip may talk NMEA or SiRF binary, at any of six rates, depending on what it was last told.
// The search takes the first rate at which a frame of either kind begins, switches the chip to
// NMEA at that rate (binary commands are understood only in binary, the "$PSRF100" switch only in
// NMEA), then to SiRF binary at 57600 baud, where this program talks to it.
#include "receiver/sirf/sirf_receiver.h"

#include <algorithm>
#include <array>

namespace zentrix::receiver {
namespace {

constexpr std::array<uint32_t, 6> kSearchRates = {9600, 19200, 38400, 57600, 115200, 4800};
/// The periodic messages this program has no use for.
constexpr std::array<uint8_t, 10> kQuietMessages = {2, 8, 9, 10, 27, 29, 30, 31, 50, 255};
constexpr uint32_t kInitialiseAttempts = 3;
constexpr uint32_t kSwitchPauseMs = 1000;
constexpr uint32_t kWaitVectorMs = 1500;
constexpr uint32_t kReaderStartPollMs = 1;
constexpr uint8_t kSbasSource = 1;
constexpr uint8_t kSbasModeAuto = 0;
constexpr uint8_t kSbasModeNone = 2;
constexpr uint8_t kDgpsTimeoutSeconds = 30;
constexpr int16_t kTrackingMaskTenths = 50;
/// A chip in SiRF binary sends its navigation messages every second: binary silence longer than
/// that means it has left binary.
constexpr uint32_t kBinaryQuietMs = 1200;
constexpr uint32_t kSwitchWaitSliceMs = 50;

}  // namespace

SirfReceiver::SirfReceiver(uint32_t deviceModel)
    : reader_(source_, [this] { writeBytes(sirfFrame(sirf::pollEphemeris())); }),
      deviceModel_(deviceModel) {}

SirfReceiver::~SirfReceiver() {
    stopReader();
    closePort();
}

bool SirfReceiver::openPort(WideStringView name) {
    port_.open(name);
    return port_.isOpen();
}

void SirfReceiver::closePort() {
    if (port_.isOpen())
        port_.close();
}

bool SirfReceiver::startReader() {
    if (readerRunning())
        return true;
    readerThread_ = std::make_unique<platform::WorkerThread>(reader_);
    if (!readerThread_->started())
        return false;
    // Waits on the events fail until the thread has made them.
    while (!reader_.eventsReady() && readerThread_->isRunning()) {
        platform::sleepMs(kReaderStartPollMs);
    }
    return readerThread_->isRunning();
}

void SirfReceiver::stopReader() {
    if (!readerThread_)
        return;
    readerThread_->requestStop();
    readerThread_->wait(platform::kInfinite);
    readerThread_.reset();
}

bool SirfReceiver::readerRunning() const {
    return readerThread_ && readerThread_->isRunning();
}

void SirfReceiver::changeBaud(uint32_t baud) {
    const bool wasRunning = readerRunning();
    stopReader();
    port_.setBaudRate(baud);
    if (wasRunning)
        startReader();
}

void SirfReceiver::writeBytes(std::string_view bytes) {
    std::lock_guard lock(writeMutex_);
    uint32_t written = 0;
    port_.write(bytes.data(), static_cast<uint32_t>(bytes.size()), &written);
}

bool SirfReceiver::sendMessage(std::span<const uint8_t> payload) {
    reader_.clearAcknowledged();
    reader_.acknowledgeEvent().reset();
    writeBytes(sirfFrame(payload));
    const bool answered = reader_.acknowledgeEvent().wait(kAcknowledgeTimeoutMs);
    const bool acknowledged = reader_.acknowledged();
    // The reader clears the flag on a refusal and sets the event for either answer.
    CommandAnswer answer;
    answer.kind = acknowledged ? CommandAnswer::Kind::Accepted
                  : answered   ? CommandAnswer::Kind::Refused
                               : CommandAnswer::Kind::Silent;
    answer.command = payload.empty() ? "message" : "message " + std::to_string(payload[0]);
    if (answered)
        answer.reply = acknowledged ? "ACK" : "NAK";
    std::lock_guard lock(answerMutex_);
    lastAnswer_ = std::move(answer);
    return acknowledged;
}

CommandAnswer SirfReceiver::lastAnswer() const {
    std::lock_guard lock(answerMutex_);
    return lastAnswer_;
}

std::vector<uint32_t> SirfReceiver::ratesTried() const {
    return {kSearchRates.begin(),
            kSearchRates.begin() + std::min<size_t>(searchTrials_, kSearchRates.size())};
}

bool SirfReceiver::searchBaudRate() {
    uint32_t trials = 0;
    for (const uint32_t rate : kSearchRates) {
        if (!reportConnectStep(ConnectStep::Stage::TryingRate, rate))
            return false;
        searchTrials_ = std::max(searchTrials_, ++trials);
        port_.setBaudRate(rate);
        // Bytes taken at the previous rate say nothing about this one.
        port_.purge(platform::SerialPort::kPurgeRxClear);
        reader_.clearProtocol();
        if (!startReader()) {
            stopReader();
            continue;
        }
        if (reader_.frameStartEvent().wait(kFrameStartTimeoutMs) &&
            reader_.protocol() != SirfProtocol::None) {
            foundBaud_ = rate;
            return true;
        }
        stopReader();
    }
    return false;
}

uint32_t SirfReceiver::connect(WideStringView portName) {
    foundBaud_ = 0;
    searchTrials_ = 0;
    bool found = false;
    for (uint32_t attempt = 0; attempt < kConnectAttempts && !found; ++attempt) {
        if (!reportConnectStep(ConnectStep::Stage::OpeningPort))
            return 0;
        if (!openPort(portName))
            continue;
        port_.purge(platform::SerialPort::kPurgeTxClear | platform::SerialPort::kPurgeRxClear);
        found = searchBaudRate();
        if (!found)
            closePort();
    }
    if (!found)
        return 0;
    if (!reportConnectStep(ConnectStep::Stage::SettingUp, foundBaud_))
        return 0;  // the reader keeps running; the owner disconnects

    if (reader_.protocol() == SirfProtocol::Binary)
        sendMessage(sirf::switchToNmea(foundBaud_));
    platform::sleepMs(kSwitchPauseMs);
    writeBytes(sirfBinarySwitchText(kWorkingBaud));
    platform::sleepMs(kSwitchPauseMs);
    changeBaud(kWorkingBaud);
    if (!initialise() || !readerRunning())
        return 0;  // the reader keeps running; the owner disconnects
    return reportConnectStep(ConnectStep::Stage::Connected, kWorkingBaud) ? 1 : 0;
}

bool SirfReceiver::initialise() {
    bool acknowledged = false;
    for (uint32_t i = 0; i < kInitialiseAttempts && !acknowledged; ++i) {
        acknowledged = sendMessage(sirf::initialiseDataSource());
    }
    if (!acknowledged)
        return false;
    for (const uint8_t mid : kQuietMessages) sendMessage(sirf::setMessageRate(mid, false));
    sendMessage(sirf::staticNavigation(false));
    return true;
}

uint32_t SirfReceiver::disconnect() {
    if (port_.isOpen() && readerRunning())
        giveBackInNmea();
    stopReader();
    if (port_.isOpen())
        port_.setBaudRate(kRestingBaud);
    reader_.recorder().closeFile();
    closePort();
    return 1;
}

void SirfReceiver::giveBackInNmea() {
    // A chip that obeys the switch leaves binary at once and never acknowledges it in binary; one
    // that does answer (an acknowledgement or a refusal) answers while it still talks binary. So
    // the acknowledgement is waited for only as long as binary frames keep coming.
    reader_.clearAcknowledged();
    reader_.acknowledgeEvent().reset();
    writeBytes(sirfFrame(sirf::switchToNmea(kRestingBaud)));
    const uint32_t start = platform::Clock::tickCount();
    uint32_t lastHeard = start;
    uint32_t frames = reader_.binaryFrames();
    while (platform::ticksSince(start) < kAcknowledgeTimeoutMs && readerRunning()) {
        if (reader_.acknowledgeEvent().wait(kSwitchWaitSliceMs))
            return;
        if (const uint32_t now = reader_.binaryFrames(); now != frames) {
            frames = now;
            lastHeard = platform::Clock::tickCount();
        } else if (platform::ticksSince(lastHeard) >= kBinaryQuietMs) {
            return;
        }
    }
}

uint32_t SirfReceiver::waitVector() {
    return reader_.fixEvent().wait(kWaitVectorMs) ? 1 : 0;
}

uint32_t SirfReceiver::getPosition(PositionRecord& out) {
    out = reader_.getPosition();
    return 1;
}

uint32_t SirfReceiver::getSatellites(SatelliteTable& out) {
    out = reader_.getSatellites();
    return out.count;
}

bool SirfReceiver::pollNavigationParameters(NavigationParameters& out) {
    reader_.navigationParametersEvent().reset();
    if (!sendMessage(sirf::pollNavigationParameters()))
        return false;
    if (!reader_.navigationParametersEvent().wait(kNavigationParametersTimeoutMs))
        return false;
    out = reader_.getNavigationParameters();
    return true;
}

uint32_t SirfReceiver::setSbas(bool on) {
    if (!sendMessage(sirf::dgpsSource(on ? kSbasSource : 0)))
        return 0;
    return sendMessage(sirf::dgpsControl(on ? kSbasModeAuto : kSbasModeNone, kDgpsTimeoutSeconds))
               ? 1
               : 0;
}

uint32_t SirfReceiver::querySbas(uint8_t& on) {
    NavigationParameters parameters;
    if (!pollNavigationParameters(parameters))
        return 0;
    on = parameters.sbasOn() ? 1 : 0;
    return 1;
}

uint32_t SirfReceiver::setQzss(bool /*on*/) {
    return 1;
}

uint32_t SirfReceiver::queryQzss(uint8_t& on) {
    on = 0;
    return 1;
}

uint32_t SirfReceiver::queryGlonass(uint8_t& on) {
    on = 0;
    return 1;
}

uint32_t SirfReceiver::queryGps(uint8_t& on) {
    on = 1;
    return 1;
}

uint32_t SirfReceiver::queryGnssMode(uint32_t& mode) {
    mode = 0;  // GPS L1
    return 1;
}

uint32_t SirfReceiver::queryElevationMask(uint32_t& degrees) {
    NavigationParameters parameters;
    if (!pollNavigationParameters(parameters))
        return 0;
    // A mask below the horizon reads as 0: the pages show whole degrees from 0 up.
    const int tenths = parameters.navigationMaskTenths();
    degrees = tenths > 0 ? static_cast<uint32_t>(tenths / 10) : 0;
    return 1;
}

uint32_t SirfReceiver::setElevationMask(int32_t degrees) {
    const int32_t tenths = std::clamp<int32_t>(degrees, -3276, 3276) * 10;
    return sendMessage(sirf::elevationMask(kTrackingMaskTenths, static_cast<int16_t>(tenths))) ? 1
                                                                                               : 0;
}

uint32_t SirfReceiver::queryAntennaHeight(double& heightMetres, uint32_t& heightType) {
    heightMetres = antennaHeightMetres_;
    heightType = antennaHeightType_;
    return 1;
}

uint32_t SirfReceiver::setAntennaHeight(double heightMetres, uint32_t heightType) {
    antennaHeightMetres_ = heightMetres;
    antennaHeightType_ = heightType;
    return 1;
}

uint32_t SirfReceiver::queryAntennaReduction(uint32_t& code) {
    code = 1;
    return 1;
}

uint32_t SirfReceiver::resetReceiver() {
    if (!sendMessage(sirf::initialiseNavigation()))
        return 0;
    return initialise() ? 1 : 0;
}

uint32_t SirfReceiver::initReceiver(int32_t /*code*/) {
    return resetReceiver();
}

uint32_t SirfReceiver::setDeviceModel(uint32_t model) {
    deviceModel_ = model;
    return 1;
}

}  // namespace zentrix::receiver
