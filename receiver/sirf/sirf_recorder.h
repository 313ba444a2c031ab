// Raw data recording: every frame the GPS-only chip sends, byte for byte, into one file.
//
// The user-interface thread only asks for a recording (a path and a header tag) or for its end;
// the reader thread alone opens, writes and closes the file, after each frame it framed and after
// each read time-out, so a silent chip cannot keep a stopped recording's file open. A failure to
// open, write or flush sets the write-error flag and ends the recording; the file is closed at
// once, and what was written before the failure stays.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <span>
#include <string>

namespace zentrix::receiver {

class SirfRecorder {
  public:
    /// Geodetic navigation frames between two flushes of the file.
    static constexpr uint32_t kFramesPerFlush = 121;
    /// How often the chip is asked for its ephemeris while a recording runs.
    static constexpr uint32_t kEphemerisPollIntervalMs = 600000;

    /// Sends the ephemeris poll; called on the reader thread.
    using PollSender = std::function<void()>;

    SirfRecorder() = default;
    ~SirfRecorder();
    SirfRecorder(const SirfRecorder&) = delete;
    SirfRecorder& operator=(const SirfRecorder&) = delete;

    // User-interface thread.
    /// Hands over the file to record into; the reader opens it (truncating) with the next frame.
    void request(const std::filesystem::path& path, std::string headerTag);
    /// Ends the request; the reader closes the file with the next frame or read time-out.
    void cancel() { requested_ = false; }
    bool requested() const { return requested_; }
    bool fileOpen() const { return fileOpen_; }
    bool writeError() const { return writeError_; }
    void clearWriteError() { writeError_ = false; }
    std::filesystem::path path() const;

    // Reader thread.
    /// The recording step after one complete frame. `geodetic`: the frame is a MID 41;
    /// `fixInLatest`: the latest MID 41 had satellites in its fix.
    void afterFrame(std::span<const uint8_t> frame, bool geodetic, bool fixInLatest,
                    const PollSender& poll);
    /// A read time-out: closes the file of a recording that is no longer requested.
    void idle();
    /// The reader ends: the file is closed and the request dropped, so that a later reader does
    /// not truncate the file by opening it again.
    void readerEnded();

    /// Closes the file from the owner's thread; only while no reader thread runs.
    void closeFile();

  private:
    bool open();
    bool writeAll(const uint8_t* bytes, size_t count);
    void fail();

    std::atomic<bool> requested_{false};
    /// Counts the requests, so that a file opened for an earlier one is never written for a
    /// later one (a stop and a start may both fall between two frames).
    std::atomic<uint32_t> generation_{0};
    std::atomic<bool> fileOpen_{false};
    std::atomic<bool> writeError_{false};
    mutable std::mutex requestMutex_;  // guards the path and the tag
    std::filesystem::path path_;
    std::string headerTag_;

    // Reader thread only.
    int fd_ = -1;
    uint32_t openGeneration_ = 0;
    uint32_t geodeticSinceFlush_ = 0;
    uint32_t lastPollTicks_ = 0;
    bool fixSeen_ = false;
};

}  // namespace zentrix::receiver
