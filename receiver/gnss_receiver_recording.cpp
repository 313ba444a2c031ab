// Data recording, files, receiver memory, station data and the free-text command.
#include "platform/clock.h"
#include "receiver/gnss_receiver.h"

namespace zentrix::receiver {

using platform::wideToAnsi;

namespace {
// The recording report is asked for at most this often while the page polls.
constexpr uint32_t kRecordingPollMs = 10001;
}  // namespace

uint32_t GnssReceiver::setRecording(bool start) {
    const uint32_t result = run(Command::SetRecording, {start ? 'Y' : 'N'});
    if (result && start) {
        // The answer sets no reply event; `pollRecordingStopped` looks for it later.
        run(Command::QueryRecording);
        lastRecordingQuery_ = platform::Clock::tickCount();
    }
    return result;
}

uint32_t GnssReceiver::pollRecordingStopped() {
    if (reader_.replies().recordingStopped)
        return 1;
    if (platform::ticksSince(lastRecordingQuery_) < kRecordingPollMs)
        return 0;
    lastRecordingQuery_ = platform::Clock::tickCount();
    run(Command::QueryRecording);
    return 0;
}

uint32_t GnssReceiver::clearRecordingStopped() {
    reader_.replies().recordingStopped = 0;
    return 1;
}

uint32_t GnssReceiver::setRecorder(bool on) {
    return run(Command::SetRecorder, {onOff(on)});
}

uint32_t GnssReceiver::queryRecorderState(uint8_t& on) {
    return query(Command::QueryRecorderState, {},
                 [&](const ReplyState& r) { on = r.nrcOn.load(); });
}

uint32_t GnssReceiver::setRecorderFile(WideStringView fileName) {
    return run(Command::SetRecorderFile, {wideToAnsi(fileName)});
}

uint32_t GnssReceiver::queryRecorderFile(WideString& fileName) {
    if (!run(Command::QueryRecorderFile))
        return 0;
    return getRecorderFile(fileName);
}

uint32_t GnssReceiver::queryCurrentFile(WideString& fileName) {
    if (!run(Command::QueryCurrentFile))
        return 0;
    return getCurrentFile(fileName);
}

uint32_t GnssReceiver::queryFilePath(WideString& path) {
    if (!run(Command::QueryFilePath))
        return 0;
    return getFilePath(path);
}

uint32_t GnssReceiver::getCurrentFile(WideString& fileName) {
    auto current = reader_.replies().getCurrentFile();
    if (!current)
        return 0;  // "NONE": no file is open
    fileName = std::move(*current);
    return 1;
}

uint32_t GnssReceiver::getRecorderFile(WideString& fileName) {
    fileName = reader_.replies().getRecorderFile();
    return 1;
}

uint32_t GnssReceiver::getFilePath(WideString& path) {
    path = reader_.replies().getFilePath();
    return 1;
}

uint32_t GnssReceiver::setFilePath(WideStringView path) {
    return run(Command::SetFilePath, {wideToAnsi(path)});
}

uint32_t GnssReceiver::setRecordingInterval(double seconds) {
    return run(Command::SetRecordingInterval, {seconds});
}

uint32_t GnssReceiver::queryRecordingInterval(double& seconds) {
    return query(Command::QueryRecordingInterval, {},
                 [&](const ReplyState& r) { seconds = r.getRecordingInterval(); });
}

uint32_t GnssReceiver::setMemory(int32_t memoryIndex) {
    return run(Command::SetMemory, {memoryIndex});
}

uint32_t GnssReceiver::queryMemory(uint32_t& memoryIndex) {
    return query(Command::QueryMemory, {},
                 [&](const ReplyState& r) { memoryIndex = r.getMemory(); });
}

uint32_t GnssReceiver::setAutoLogging(bool on) {
    return run(Command::SetAutoLogging, {onOff(on)});
}

uint32_t GnssReceiver::queryAutoLogging(int32_t& on, int32_t& number, int32_t& ring) {
    return query(Command::QueryAutoLogging, {}, [&](const ReplyState& r) {
        const AutoLogging a = r.getAutoLogging();
        on = a.on;
        number = a.number;
        ring = a.ring;
    });
}

uint32_t GnssReceiver::queryAutoLoggingRing() {
    int32_t on = 0, number = 0, ring = 0;
    if (!queryAutoLogging(on, number, ring))
        return 0;
    return static_cast<uint32_t>(ring);
}

uint32_t GnssReceiver::setStationId(WideStringView identifier) {
    return run(Command::SetStationId, {wideToAnsi(identifier)});
}

uint32_t GnssReceiver::queryStationId(WideString& identifier) {
    return query(Command::QueryStationId, {},
                 [&](const ReplyState& r) { identifier = r.getStationId(); });
}

uint32_t GnssReceiver::setOccupation(int32_t type, int32_t which, WideStringView first,
                                     WideStringView second) {
    return run(Command::SetOccupation, {type, which, wideToAnsi(first), wideToAnsi(second)});
}

uint32_t GnssReceiver::setOccupation0(int32_t type, WideStringView first, WideStringView second) {
    return setOccupation(type, 0, first, second);
}

uint32_t GnssReceiver::setOccupation1(int32_t type, WideStringView first, WideStringView second) {
    return setOccupation(type, 1, first, second);
}

uint32_t GnssReceiver::resetObservations() {
    return run(Command::ResetObservations);
}

uint32_t GnssReceiver::getObservationStatus(float& value, int32_t& count) {
    const ObservationStatus status = reader_.replies().getObservationStatus();
    value = status.value;
    count = status.count;
    return 1;
}

uint32_t GnssReceiver::getWtiValue() {
    return reader_.replies().getWtiValue();
}

uint32_t GnssReceiver::sendFreeCommand(std::string_view command) {
    return channel_.runFreeText(command);
}

}  // namespace zentrix::receiver
