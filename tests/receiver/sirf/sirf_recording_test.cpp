// Raw data recording of the GPS-only chip: file names, the file's content, and failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/local_time.h"
#include "receiver/nmea/byte_source.h"
#include "receiver/sirf/sirf_messages.h"
#include "receiver/sirf/sirf_reader.h"
#include "receiver/sirf/sirf_receiver.h"
#include "tests/support/test_support.h"

namespace zentrix::receiver {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void touch(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
}

TEST(SirfRecordingTest, FilesAreNamedAfterTheHandheldAndTheDay) {
    struct Row {
        const char* legend;
        std::optional<std::string> modelCode;
        int32_t storage;
        std::u16string folder;
        platform::LocalDate date;
        std::vector<std::string> existing;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {"the first file of the day",
         "ZX-5678",
         0,
         u"",
         {2013, 3, 18},
         {},
         "My Documents/GPS Raw Data/567813031800.grw"},
        {"the second",
         "ZX-5678",
         0,
         u"",
         {2013, 3, 18},
         {"My Documents/GPS Raw Data/567813031800.grw"},
         "My Documents/GPS Raw Data/567813031801.grw"},
        {"a gap is filled",
         "5678",
         0,
         u"",
         {2013, 3, 18},
         {"My Documents/GPS Raw Data/567813031801.grw"},
         "My Documents/GPS Raw Data/567813031800.grw"},
        {"the storage card",
         "ZX-5678",
         1,
         u"",
         {2026, 12, 7},
         {},
         "Storage Card/GPS Raw Data/567826120700.grw"},
        {"a folder of the user's own",
         "ZX-5678",
         1,
         u"\\Survey\\Raw",
         {2013, 3, 18},
         {},
         "Survey/Raw/567813031800.grw"},
        {"no model code",
         std::nullopt,
         0,
         u"",
         {2013, 3, 18},
         {},
         "My Documents/GPS Raw Data/XXXX13031800.grw"},
        {"a code shorter than four",
         "12",
         0,
         u"",
         {2013, 3, 18},
         {},
         "My Documents/GPS Raw Data/1213031800.grw"},
    };
    for (const Row& row : rows) {
        test::ScratchDeviceRoot root;
        test::ScopedEnv model("ZENTRIX_MODEL_CODE", row.modelCode);
        platform::ScopedLocalDate date(row.date);
        for (const std::string& name : row.existing) touch(root.path() / name);
        SirfReceiver receiver;
        receiver.setMemory(row.storage);
        if (!row.folder.empty())
            receiver.setFilePath(row.folder);
        ASSERT_EQ(receiver.setRecording(true), 1u) << row.legend;
        EXPECT_EQ(receiver.recordingPath(), root.path() / row.expected) << row.legend;
        EXPECT_TRUE(fs::is_directory(receiver.recordingPath().parent_path())) << row.legend;
        EXPECT_EQ(receiver.setRecording(false), 1u);
    }
}

// A stream as the chip sends it: frames of both kinds with line noise between them.
std::string chipStream(std::vector<std::string>* frames) {
    std::vector<uint8_t> geodetic(91, 0);
    geodetic[0] = 41;
    geodetic[88] = 5;  // satellites in the fix
    std::vector<uint8_t> tracker(188, 0xC8);
    tracker[0] = 4;
    tracker[7] = 12;
    uint32_t sum = 0;
    for (const uint8_t b : tracker) sum += b;
    std::string heavy = sirfFrame(tracker);  // sent by the chip with its 15-bit sum
    heavy[heavy.size() - 4] = static_cast<char>((sum & 0x7FFF) >> 8);
    heavy[heavy.size() - 3] = static_cast<char>(sum & 0xFF);
    *frames = {
        sirfFrame(SirfPayload{6, 'G', 'S', 'W'}), "$GPGGA,1*00\r\n",  sirfFrame(geodetic), heavy,
        sirfFrame(SirfPayload{11, 147}),          sirfFrame(geodetic)};
    std::string stream = "\x13\x11 noise";
    for (const std::string& f : *frames) stream += f + "\xFE\x01";
    return stream;
}

TEST(SirfRecordingTest, TheFileHoldsEveryFrameByteForByteAfterItsHeader) {
    for (const char* header : {"GP3", ""}) {
        test::ScratchFolder folder;
        std::vector<std::string> frames;
        MemoryByteSource source(chipStream(&frames));
        int polls = 0;
        SirfReader reader(source, [&] { ++polls; });
        reader.recorder().request(folder.path() / "raw.grw", header);
        ASSERT_EQ(reader.run(), 0u);

        std::string expected = header;
        for (const std::string& f : frames) expected += f;
        EXPECT_EQ(readAll(folder.path() / "raw.grw"), expected) << header;
        EXPECT_EQ(polls, 1) << "one ephemeris poll, at the first fix";
        EXPECT_FALSE(reader.recorder().writeError());
        EXPECT_FALSE(reader.recorder().fileOpen()) << "closed when the reader ends";
        EXPECT_FALSE(reader.recorder().requested()) << "a later reader must not truncate it";
    }
}

TEST(SirfRecordingTest, FailuresSetTheWriteErrorFlagAndEndTheRecording) {
    test::ScratchFolder folder;
    std::ofstream(folder.path() / "a-file") << "x";
    struct Row {
        const char* legend;
        fs::path path;
    };
    const Row rows[] = {
        {"a full disk", "/dev/full"},
        {"a folder that is a file", folder.path() / "a-file" / "raw.grw"},
        {"a folder that does not exist", folder.path() / "missing" / "raw.grw"},
    };
    for (const Row& row : rows) {
        std::vector<std::string> frames;
        MemoryByteSource source(chipStream(&frames));
        SirfReader reader(source);
        reader.recorder().request(row.path, "GP3");
        ASSERT_EQ(reader.run(), 0u) << row.legend;
        EXPECT_TRUE(reader.recorder().writeError()) << row.legend;
        EXPECT_FALSE(reader.recorder().requested()) << row.legend;
        EXPECT_FALSE(reader.recorder().fileOpen()) << row.legend;
        reader.recorder().clearWriteError();
        EXPECT_FALSE(reader.recorder().writeError());
    }
}

TEST(SirfRecordingTest, AStopAndAStartBetweenTwoFramesGoToTheNewFile) {
    test::ScratchFolder folder;
    SirfRecorder recorder;
    const std::string first = sirfFrame(SirfPayload{11, 1});
    const std::string second = sirfFrame(SirfPayload{11, 2});
    auto bytes = [](const std::string& s) {
        return std::span(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    };
    recorder.request(folder.path() / "a.grw", "");
    recorder.afterFrame(bytes(first), false, false, {});
    recorder.cancel();
    recorder.request(folder.path() / "b.grw", "");
    recorder.afterFrame(bytes(second), false, false, {});
    recorder.readerEnded();
    EXPECT_EQ(readAll(folder.path() / "a.grw"), first);
    EXPECT_EQ(readAll(folder.path() / "b.grw"), second);
}

TEST(SirfRecordingTest, AStoppedRecordingIsClosedWithoutAnotherFrame) {
    test::ScratchFolder folder;
    std::vector<std::string> frames;
    chipStream(&frames);
    // One frame, then a read time-out with the recording no longer requested.
    class OneFrameThenSilence : public ByteSource {
      public:
        OneFrameThenSilence(std::string frame, SirfRecorder*& recorder)
            : frame_(std::move(frame)), recorder_(recorder) {}
        bool isOpen() const override { return true; }
        bool readSome(uint8_t* buffer, uint32_t capacity, uint32_t* bytesRead, uint32_t) override {
            *bytesRead = 0;
            switch (step_++) {
                case 0:
                    *bytesRead = static_cast<uint32_t>(std::min<size_t>(capacity, frame_.size()));
                    std::memcpy(buffer, frame_.data(), *bytesRead);
                    return true;
                case 1:
                    openAfterFrame_ = recorder_->fileOpen();
                    recorder_->cancel();
                    return true;  // silence
                case 2:
                    closedAfterSilence_ = !recorder_->fileOpen();
                    return false;
                default:
                    return false;
            }
        }
        bool openAfterFrame_ = false;
        bool closedAfterSilence_ = false;

      private:
        std::string frame_;
        SirfRecorder*& recorder_;
        int step_ = 0;
    };
    SirfRecorder* recorder = nullptr;
    OneFrameThenSilence source(frames[0], recorder);
    SirfReader reader(source);
    recorder = &reader.recorder();
    reader.recorder().request(folder.path() / "raw.grw", "");
    reader.run();
    EXPECT_TRUE(source.openAfterFrame_);
    EXPECT_TRUE(source.closedAfterSilence_);
    EXPECT_EQ(readAll(folder.path() / "raw.grw"), frames[0]);
}

}  // namespace
}  // namespace zentrix::receiver
