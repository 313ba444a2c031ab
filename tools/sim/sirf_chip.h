// The GPS-only chip: SiRF binary or NMEA on the same line, switched on command.
//
// Binary frames are A0 A2, a two-byte big-endian payload length, the payload (its first byte is
// the message identifier, MID), a two-byte sum of the payload bytes and B0 B3. The chip answers
// every input message it knows with MID 11 (acknowledge) or MID 12 (not acknowledged), streams
// geodetic navigation (MID 41) and tracker data (MID 4) once a second, and changes protocol on
// "$PSRF100" (from NMEA) or MID 129 (from binary).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/sim/sim_peer.h"
#include "tools/sim/sky.h"

namespace zentrix::sim {

struct SirfOptions {
    Place place;
    uint32_t seed = 1;
    uint32_t baudRate = 38400;
    bool startsBinary = true;
    double startUtcSeconds = 0;
};

/// One binary frame around `payload`.
std::string sirfFrame(const std::vector<uint8_t>& payload, bool badChecksum = false);

class SirfChip : public SimPeer {
  public:
    explicit SirfChip(SirfOptions options);

    void receive(const uint8_t* bytes, size_t count, SimLine& line) override;
    void tick(SimLine& line) override;
    uint32_t baudRate() const override { return baud_; }

    bool binary() const { return binary_; }
    int navigationMaskTenths() const { return navMaskTenths_; }
    bool sbasOn() const { return dgpsSource_ == 1 && dgpsMode_ <= 1; }

  private:
    void handleFrame(const std::vector<uint8_t>& payload, SimLine& line);
    void handleNmea(const std::string& text, SimLine& line);
    void sendFrame(SimLine& line, const std::vector<uint8_t>& payload);
    void sendVersion(SimLine& line);
    void streamEpoch(SimLine& line, uint64_t nowMs);

    SirfOptions options_;
    Sky sky_;
    Navigator navigator_;
    bool binary_;
    uint32_t baud_;
    uint64_t startMs_ = 0;
    bool started_ = false;
    uint64_t nextEpochMs_ = 0;
    int trackMaskTenths_ = 50;
    int navMaskTenths_ = 50;
    uint8_t dgpsSource_ = 0;
    uint8_t dgpsMode_ = 0;
    uint8_t dgpsTimeout_ = 30;
    bool staticNavigation_ = true;
    std::map<uint8_t, uint8_t> rates_;  // MID -> seconds between messages, 0 off
    // Binary input framing.
    std::vector<uint8_t> frame_;
    size_t expected_ = 0;
    std::string nmeaInput_;
};

}  // namespace zentrix::sim
