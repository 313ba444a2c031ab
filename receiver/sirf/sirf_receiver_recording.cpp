// Raw data recording of the GPS-only chip: naming the file and handing it to the reader.
//
// Files are named after the handheld and the day: the last four characters of the model code,
// the local date as YYMMDD and a two-digit number that counts the recordings of that day, in
// "GPS Raw Data" on internal memory or the storage card (or in a folder the user chose).
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "platform/device_identity.h"
#include "platform/device_root.h"
#include "platform/local_time.h"
#include "receiver/sirf/sirf_receiver.h"

namespace zentrix::receiver {
namespace {

constexpr int kMaxFileNumber = 10000;
constexpr size_t kDeviceCodeChars = 4;
constexpr uint32_t kStorageCard = 1;
constexpr uint32_t kStopPollMs = 10;
/// Raw files of model 1 begin with this tag, which tells the processing software the chip.
constexpr std::string_view kModelOneHeader = "GP3";

bool canOpenForReading(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

}  // namespace

uint32_t SirfReceiver::setMemory(int32_t memoryIndex) {
    storage_ = static_cast<uint32_t>(memoryIndex);
    return 1;
}

uint32_t SirfReceiver::queryMemory(uint32_t& memoryIndex) {
    memoryIndex = storage_;
    return 1;
}

uint32_t SirfReceiver::setRecording(bool start) {
    if (start)
        return startRecording();
    stopRecording();
    return 1;
}

uint32_t SirfReceiver::startRecording() {
    SirfRecorder& recorder = reader_.recorder();
    if (recorder.requested())
        return 1;

    std::string folder;
    if (!folder_.empty()) {
        folder = platform::toUtf8(folder_) + "\\";
    } else {
        folder = std::string("\\") + (storage_ == kStorageCard ? "Storage Card" : "My Documents") +
                 "\\GPS Raw Data\\";
    }
    // A folder that cannot be made shows as a file that cannot be opened, on the reader.
    platform::createFolders(platform::devicePath(folder));

    std::string code = platform::readModelCode().value_or("XXXX");
    if (code.size() > kDeviceCodeChars)
        code.erase(0, code.size() - kDeviceCodeChars);
    const platform::LocalDate date = platform::localDate();
    char day[16];
    std::snprintf(day, sizeof day, "%02d%02d%02d", date.year - 2000, date.month, date.day);
    const std::string base = folder + code + day;

    for (int n = 0; n < kMaxFileNumber; ++n) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%02d.grw", n);
        const std::filesystem::path candidate = platform::devicePath(base + suffix);
        if (canOpenForReading(candidate))
            continue;
        recorder.request(candidate, deviceModel_ == 1 ? std::string(kModelOneHeader) : "");
        return 1;
    }
    return 0;
}

void SirfReceiver::stopRecording() {
    SirfRecorder& recorder = reader_.recorder();
    recorder.cancel();
    // Only the reader closes the file while it runs; without it nobody else would.
    while (recorder.fileOpen() && readerRunning()) platform::sleepMs(kStopPollMs);
    if (!readerRunning())
        recorder.closeFile();
}

uint32_t SirfReceiver::queryCurrentFile(WideString& fileName) {
    return getCurrentFile(fileName);
}

uint32_t SirfReceiver::getCurrentFile(WideString& fileName) {
    fileName = folder_;
    return 1;
}

uint32_t SirfReceiver::setFilePath(WideStringView path) {
    folder_ = WideString(path);
    if (reader_.recorder().requested()) {
        stopRecording();
        return startRecording();
    }
    return 1;
}

uint32_t SirfReceiver::isRecordingFileOpen() {
    return reader_.recorder().fileOpen() ? 1 : 0;
}

uint32_t SirfReceiver::pollRecordingStopped() {
    return reader_.recorder().writeError() ? 1 : 0;
}

uint32_t SirfReceiver::clearRecordingStopped() {
    reader_.recorder().clearWriteError();
    return 1;
}

uint32_t SirfReceiver::queryRecordingInterval(double& seconds) {
    seconds = 1;
    return 1;
}

}  // namespace zentrix::receiver
