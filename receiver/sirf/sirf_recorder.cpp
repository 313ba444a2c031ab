#include "receiver/sirf/sirf_recorder.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/clock.h"

namespace zentrix::receiver {

SirfRecorder::~SirfRecorder() {
    closeFile();
}

void SirfRecorder::request(const std::filesystem::path& path, std::string headerTag) {
    {
        std::lock_guard lock(requestMutex_);
        path_ = path;
        headerTag_ = std::move(headerTag);
        ++generation_;
    }
    requested_ = true;
}

std::filesystem::path SirfRecorder::path() const {
    std::lock_guard lock(requestMutex_);
    return path_;
}

bool SirfRecorder::open() {
    std::filesystem::path path;
    std::string tag;
    {
        std::lock_guard lock(requestMutex_);
        path = path_;
        tag = headerTag_;
        openGeneration_ = generation_;
    }
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd_ < 0)
        return false;
    fileOpen_ = true;
    geodeticSinceFlush_ = 0;
    fixSeen_ = false;
    lastPollTicks_ = platform::Clock::tickCount();
    return tag.empty() || writeAll(reinterpret_cast<const uint8_t*>(tag.data()), tag.size());
}

bool SirfRecorder::writeAll(const uint8_t* bytes, size_t count) {
    while (count > 0) {
        const ssize_t n = ::write(fd_, bytes, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

void SirfRecorder::fail() {
    writeError_ = true;
    requested_ = false;
    closeFile();
}

void SirfRecorder::closeFile() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    fileOpen_ = false;
}

void SirfRecorder::idle() {
    if (!requested_)
        closeFile();
}

void SirfRecorder::readerEnded() {
    requested_ = false;
    closeFile();
}

void SirfRecorder::afterFrame(std::span<const uint8_t> frame, bool geodetic, bool fixInLatest,
                              const PollSender& poll) {
    if (!requested_) {
        closeFile();
        return;
    }
    if (fd_ >= 0 && openGeneration_ != generation_)
        closeFile();
    if (fd_ < 0 && !open()) {
        fail();
        return;
    }
    // The chip's ephemeris goes into the file as soon as there is a fix, and again every ten
    // minutes, so that a recording can be processed without another source of orbits.
    if (fixInLatest && !fixSeen_) {
        fixSeen_ = true;
        if (poll)
            poll();
        lastPollTicks_ = platform::Clock::tickCount();
    } else if (platform::ticksSince(lastPollTicks_) >= kEphemerisPollIntervalMs) {
        if (poll)
            poll();
        lastPollTicks_ = platform::Clock::tickCount();
    }
    if (!writeAll(frame.data(), frame.size())) {
        fail();
        return;
    }
    if (geodetic && ++geodeticSinceFlush_ >= kFramesPerFlush) {
        geodeticSinceFlush_ = 0;
        // Devices that cannot be synchronised (EINVAL) have nothing to flush.
        if (::fdatasync(fd_) != 0 && errno != EINVAL && errno != EROFS)
            fail();
    }
}

}  // namespace zentrix::receiver
