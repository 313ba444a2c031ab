// Any receiver that speaks standard NMEA: watched, never commanded.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/serial_port.h"
#include "platform/worker_thread.h"
#include "receiver/commands/receiver_interface.h"
#include "receiver/nmea/byte_source.h"
#include "receiver/nmea_receiver/nmea_reader.h"

namespace zentrix::receiver {

/// Owns the port, the reader and the reader thread. `connect` listens at the port's current rate
/// and then at each of the six rates for checksum-valid sentences and keeps the first rate that
/// carries them; nothing is ever written to the port. Operations without an NMEA counterpart
/// answer 0 without sending anything (the base class does that).
///
/// Threads: every operation runs on the user-interface thread; the reader thread only publishes.
class NmeaReceiver : public ReceiverInterface {
  public:
    static constexpr std::array<uint32_t, 6> kSearchRates = {57600, 115200, 9600,
                                                             4800,  19200,  38400};

    NmeaReceiver();
    /// Stops the reader thread and closes the port if the owner has not.
    ~NmeaReceiver() override;
    NmeaReceiver(const NmeaReceiver&) = delete;
    NmeaReceiver& operator=(const NmeaReceiver&) = delete;

    platform::SerialPort& serialPort() { return port_; }
    NmeaReader& reader() { return reader_; }
    /// The rate at which the last search heard the receiver; 0 if it did not.
    uint32_t foundBaud() const { return foundBaud_; }
    /// The rates the last search tried, in order; empty when the port did not open.
    std::vector<uint32_t> ratesTried() const { return ratesTried_; }

    // ReceiverInterface.
    uint32_t connect(WideStringView portName) override;
    uint32_t disconnect() override;
    uint32_t waitVector() override;
    uint32_t getPosition(PositionRecord& out) override;
    uint32_t getSatellites(SatelliteTable& out) override;
    /// Every system the sentences can carry is shown: the receiver is not asked.
    uint32_t queryGps(uint8_t& on) override;
    uint32_t queryGlonass(uint8_t& on) override;
    uint32_t querySbas(uint8_t& on) override;
    uint32_t queryQzss(uint8_t& on) override;
    uint32_t queryGalileo(uint8_t& on) override;
    uint32_t queryBeidou(uint8_t& on) override;
    uint32_t isConnected() override;

  private:
    /// What listening at one rate found.
    enum class Heard : uint8_t { Sentences, NoSentences, LineFailed };
    Heard listenAtCurrentRate();
    bool startReader();
    void stopReader();

    platform::SerialPort port_;
    SerialByteSource source_{port_};
    NmeaReader reader_{source_};
    std::unique_ptr<platform::WorkerThread> readerThread_;
    uint32_t foundBaud_ = 0;
    std::vector<uint32_t> ratesTried_;
};

}  // namespace zentrix::receiver
