// The GPS-only chip: the receiver operations it supports, over SiRF binary messages.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>
#include <vector>

#include "platform/serial_port.h"
#include "platform/worker_thread.h"
#include "receiver/commands/receiver_interface.h"
#include "receiver/nmea/byte_source.h"
#include "receiver/sirf/sirf_messages.h"
#include "receiver/sirf/sirf_reader.h"

namespace zentrix::receiver {

/// Owns the chip's serial port, the reader and the reader thread. Settings go out as binary
/// messages, each followed by a wait for the chip's acknowledgement; the operations the chip has
/// no counterpart for answer 0 without sending anything (the base class does that).
///
/// Threads: every operation runs on the user-interface thread. The reader thread fills the state
/// the operations read after their waits, owns the raw data file, and writes only the ephemeris
/// poll to the port, under the same lock as the operations' writes.
class SirfReceiver : public ReceiverInterface {
  public:
    static constexpr uint32_t kAcknowledgeTimeoutMs = 5000;
    static constexpr uint32_t kNavigationParametersTimeoutMs = 15000;
    static constexpr uint32_t kFrameStartTimeoutMs = 5000;
    static constexpr uint32_t kConnectAttempts = 3;
    /// The rate the chip is set to for this program, and the one it is given back at.
    static constexpr uint32_t kWorkingBaud = 57600;
    static constexpr uint32_t kRestingBaud = 9600;

    explicit SirfReceiver(uint32_t deviceModel = 0);
    /// Stops the reader thread and closes the port if the owner has not.
    ~SirfReceiver() override;
    SirfReceiver(const SirfReceiver&) = delete;
    SirfReceiver& operator=(const SirfReceiver&) = delete;

    platform::SerialPort& serialPort() { return port_; }
    SirfReader& reader() { return reader_; }
    /// The rate at which the last connection search heard the chip; 0 if it did not.
    uint32_t foundBaud() const { return foundBaud_; }
    /// The rates the last connection search tried, in order (each attempt tries the same ones);
    /// empty when the port never opened.
    std::vector<uint32_t> ratesTried() const;
    /// The file of the running (or last) recording, on this machine.
    std::filesystem::path recordingPath() const { return reader_.recorder().path(); }

    /// Writes one binary message and waits for the acknowledgement; true when it came.
    bool sendMessage(std::span<const uint8_t> payload);

    // ReceiverInterface, in its order.
    uint32_t connect(WideStringView portName) override;
    uint32_t disconnect() override;
    uint32_t waitVector() override;
    uint32_t getPosition(PositionRecord& out) override;
    uint32_t getSatellites(SatelliteTable& out) override;
    uint32_t setMemory(int32_t memoryIndex) override;
    uint32_t queryMemory(uint32_t& memoryIndex) override;
    uint32_t setRecording(bool start) override;
    uint32_t queryCurrentFile(WideString& fileName) override;
    uint32_t getCurrentFile(WideString& fileName) override;
    uint32_t setFilePath(WideStringView path) override;
    uint32_t isRecordingFileOpen() override;
    uint32_t pollRecordingStopped() override;
    uint32_t clearRecordingStopped() override;
    uint32_t queryRecordingInterval(double& seconds) override;
    uint32_t setSbas(bool on) override;
    uint32_t setQzss(bool on) override;
    uint32_t querySbas(uint8_t& on) override;
    uint32_t queryQzss(uint8_t& on) override;
    uint32_t queryGlonass(uint8_t& on) override;
    uint32_t queryGps(uint8_t& on) override;
    uint32_t queryGnssMode(uint32_t& mode) override;
    uint32_t queryElevationMask(uint32_t& degrees) override;
    uint32_t setElevationMask(int32_t degrees) override;
    uint32_t queryAntennaHeight(double& heightMetres, uint32_t& heightType) override;
    uint32_t setAntennaHeight(double heightMetres, uint32_t heightType) override;
    uint32_t queryAntennaReduction(uint32_t& code) override;
    uint32_t resetReceiver() override;
    uint32_t initReceiver(int32_t code) override;
    uint32_t getDeviceModel() override { return deviceModel_; }
    uint32_t isConnected() override { return readerRunning() ? 1 : 0; }
    uint32_t setDeviceModel(uint32_t model) override;
    /// The last message `sendMessage` wrote: acknowledged, refused, or not answered in time.
    CommandAnswer lastAnswer() const override;

  private:
    bool openPort(WideStringView name);
    void closePort();
    bool startReader();
    void stopReader();
    bool readerRunning() const;
    /// Sets the port's rate; the reader is stopped around it, because the port's rate may change
    /// only while no thread reads.
    void changeBaud(uint32_t baud);
    /// Tries every rate on the open port; true with the reader left running where a frame began.
    bool searchBaudRate();
    bool initialise();
    /// Sends the switch to NMEA at the resting rate and waits for its acknowledgement while the
    /// chip can still give one.
    void giveBackInNmea();
    void writeBytes(std::string_view bytes);
    /// Polls the navigation parameters: true when they came.
    bool pollNavigationParameters(NavigationParameters& out);
    uint32_t startRecording();
    void stopRecording();

    platform::SerialPort port_;
    SerialByteSource source_{port_};
    std::mutex writeMutex_;  // one frame at a time on the line, from either thread
    mutable std::mutex answerMutex_;
    CommandAnswer lastAnswer_;
    SirfReader reader_;
    std::unique_ptr<platform::WorkerThread> readerThread_;

    uint32_t deviceModel_;
    uint32_t foundBaud_ = 0;
    uint32_t searchTrials_ = 0;  // the most rates one attempt of the last connect tried
    uint32_t storage_ = 0;
    WideString folder_;
    double antennaHeightMetres_ = 0;
    uint32_t antennaHeightType_ = 0;
};

}  // namespace zentrix::receiver
