#include "tools/sim/sirf_chip.h"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>

#include "tools/sim/sim_text.h"

namespace zentrix::sim {
namespace {

constexpr double kGpsEpochUnixSeconds = 315964800.0;
constexpr double kLeapSeconds = 18.0;
constexpr size_t kMaxPayloadBytes = 2048;  // the chip's input buffer; longer frames are noise
constexpr int kChannels = 12;

enum Mid : uint8_t {
    kMidTracker = 4,
    kMidVersion = 6,
    kMidAck = 11,
    kMidNack = 12,
    kMidNavigationParameters = 19,
    kMidGeodetic = 41,
    kMidInitialise = 128,
    kMidSwitchToNmea = 129,
    kMidDgpsSource = 133,
    kMidDgpsControl = 138,
    kMidElevationMask = 139,
    kMidStaticNavigation = 143,
    kMidPollEphemeris = 147,
    kMidPollNavigationParameters = 152,
    kMidSetMessageRate = 166,
    kMidInitialiseNavigation = 172,
};

bool validBaud(uint32_t baud) {
    for (uint32_t b : {4800u, 9600u, 19200u, 38400u, 57600u, 115200u}) {
        if (b == baud)
            return true;
    }
    return false;
}

void put16(std::vector<uint8_t>& p, size_t at, uint32_t v) {
    p[at] = static_cast<uint8_t>(v >> 8);
    p[at + 1] = static_cast<uint8_t>(v);
}
void put32(std::vector<uint8_t>& p, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}
uint32_t get16(const std::vector<uint8_t>& p, size_t at) {
    return at + 1 < p.size() ? (p[at] << 8u) | p[at + 1] : 0;
}

double systemUtcSeconds() {
    using namespace std::chrono;
    // Whole seconds, so that epochs fall on whole seconds of UTC.
    return static_cast<double>(
        duration_cast<seconds>(system_clock::now().time_since_epoch()).count());
}

}  // namespace

std::string sirfFrame(const std::vector<uint8_t>& payload, bool badChecksum) {
    uint32_t sum = 0;
    for (uint8_t b : payload) sum += b;
    sum &= 0xFFFF;
    if (badChecksum)
        sum ^= 0x0101;
    std::string frame = {'\xA0', '\xA2', static_cast<char>(payload.size() >> 8),
                         static_cast<char>(payload.size() & 0xFF)};
    frame.append(payload.begin(), payload.end());
    frame += static_cast<char>(sum >> 8);
    frame += static_cast<char>(sum & 0xFF);
    frame += "\xB0\xB3";
    return frame;
}

SirfChip::SirfChip(SirfOptions options)
    : options_(options),
      sky_(options.place, options.seed),
      navigator_(options.seed + 1),
      binary_(options.startsBinary),
      baud_(validBaud(options.baudRate) ? options.baudRate : 38400) {
    if (options_.startUtcSeconds <= 0)
        options_.startUtcSeconds = systemUtcSeconds();
    for (uint8_t mid : {2, 4, 7, 9, 41}) rates_[mid] = 1;
}

void SirfChip::sendFrame(SimLine& line, const std::vector<uint8_t>& payload) {
    line.send(sirfFrame(payload, line.fault(SimFault::BadChecksums)), OutputKind::Reply);
}

void SirfChip::sendVersion(SimLine& line) {
    std::vector<uint8_t> payload(81, 0);
    payload[0] = kMidVersion;
    const std::string text = "GSW3.5.0_3.5.00.00-ZXSIM 1.0";
    std::copy(text.begin(), text.end(), payload.begin() + 1);
    sendFrame(line, payload);
}

void SirfChip::receive(const uint8_t* bytes, size_t count, SimLine& line) {
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        if (!binary_) {
            if (b == '\n') {
                handleNmea(nmeaInput_, line);
                nmeaInput_.clear();
            } else if (b != '\r' && nmeaInput_.size() < 256) {
                nmeaInput_.push_back(static_cast<char>(b));
            }
            continue;
        }
        // Binary: A0 A2, length, payload, checksum, B0 B3.
        frame_.push_back(b);
        if (frame_.size() == 1 && b != 0xA0)
            frame_.clear();
        if (frame_.size() == 2 && b != 0xA2)
            frame_.assign(b == 0xA0 ? 1 : 0, 0xA0);
        if (frame_.size() == 4) {
            expected_ = (static_cast<size_t>(frame_[2]) << 8 | frame_[3]) + 8;
            if (expected_ - 8 > kMaxPayloadBytes || expected_ == 8)
                frame_.clear();
        }
        if (frame_.size() >= 4 && frame_.size() == expected_) {
            std::vector<uint8_t> payload(frame_.begin() + 4, frame_.end() - 4);
            uint32_t sum = 0;
            for (uint8_t p : payload) sum += p;
            const uint32_t stated = get16(frame_, frame_.size() - 4);
            const bool endOk = frame_[frame_.size() - 2] == 0xB0 && frame_.back() == 0xB3;
            frame_.clear();
            if (endOk && (sum & 0xFFFF) == stated)
                handleFrame(payload, line);
            if (!binary_)
                return;  // switched protocol: the rest was sent for the old one
        }
    }
}

void SirfChip::handleNmea(const std::string& text, SimLine& line) {
    if (text.empty())
        return;
    line.logCommand(text);
    // "$PSRF100,<protocol>,<baud>,8,1,0*hh": protocol 0 is binary, 1 NMEA.
    const size_t star = text.find('*');
    if (text.rfind("$PSRF100,", 0) != 0 || star == std::string::npos || star + 3 != text.size())
        return;
    const uint8_t stated =
        static_cast<uint8_t>(std::strtoul(text.substr(star + 1).c_str(), nullptr, 16));
    if (stated != xorChecksum(std::string_view(text).substr(1, star - 1)))
        return;
    const auto fields = splitFields(text.substr(0, star));
    long protocol = -1, baud = 0;
    if (fields.size() != 6 || !parseInteger(fields[1], 0, 1, &protocol) ||
        !parseInteger(fields[2], 0, 115200, &baud) || !validBaud(static_cast<uint32_t>(baud)))
        return;
    baud_ = static_cast<uint32_t>(baud);
    binary_ = protocol == 0;
    frame_.clear();
    if (binary_)
        sendVersion(line);
}

void SirfChip::handleFrame(const std::vector<uint8_t>& payload, SimLine& line) {
    const uint8_t mid = payload[0];
    line.logCommand(format("SiRF MID %u (%zu bytes)", mid, payload.size()));
    auto reply = [&](uint8_t kind) { sendFrame(line, {kind, mid}); };
    if (line.fault(SimFault::NakEverything))
        return reply(kMidNack);
    if (line.fault(SimFault::WrongReplyFirst))
        sendFrame(line, {kMidNack, 0});
    switch (mid) {
        case kMidInitialise:
        case kMidInitialiseNavigation:
            if (payload.size() < 2)
                return reply(kMidNack);
            reply(kMidAck);
            navigator_.restart(static_cast<double>(line.nowMs() - startMs_) / 1000.0);
            sendVersion(line);
            return;
        case kMidSwitchToNmea: {
            if (payload.size() < 24)
                return reply(kMidNack);
            const uint32_t baud = get16(payload, 22);
            binary_ = false;
            if (validBaud(baud))
                baud_ = baud;
            return;
        }
        case kMidDgpsSource:
            if (payload.size() < 2)
                return reply(kMidNack);
            dgpsSource_ = payload[1];
            return reply(kMidAck);
        case kMidDgpsControl:
            if (payload.size() < 3)
                return reply(kMidNack);
            dgpsMode_ = payload[1];
            dgpsTimeout_ = payload[2];
            return reply(kMidAck);
        case kMidElevationMask:
            if (payload.size() < 5)
                return reply(kMidNack);
            trackMaskTenths_ = static_cast<int16_t>(get16(payload, 1));
            navMaskTenths_ = std::clamp<int>(static_cast<int16_t>(get16(payload, 3)), -200, 900);
            return reply(kMidAck);
        case kMidStaticNavigation:
            if (payload.size() < 2)
                return reply(kMidNack);
            staticNavigation_ = payload[1] != 0;
            return reply(kMidAck);
        case kMidPollEphemeris:
            return reply(kMidAck);
        case kMidPollNavigationParameters: {
            reply(kMidAck);
            std::vector<uint8_t> p(65, 0);
            p[0] = kMidNavigationParameters;
            p[14] = staticNavigation_ ? 1 : 0;
            put16(p, 20, static_cast<uint16_t>(navMaskTenths_));
            p[27] = dgpsSource_;
            p[28] = dgpsMode_;
            p[29] = dgpsTimeout_;
            return sendFrame(line, p);
        }
        case kMidSetMessageRate:
            if (payload.size() < 4)
                return reply(kMidNack);
            rates_[payload[2]] = payload[3];
            return reply(kMidAck);
        default:
            return reply(kMidNack);
    }
}

void SirfChip::tick(SimLine& line) {
    const uint64_t now = line.nowMs();
    if (!started_) {
        started_ = true;
        startMs_ = now;
        nextEpochMs_ = now;
        navigator_.restart(0.0);
        if (binary_)
            sendVersion(line);
    }
    if (now < nextEpochMs_)
        return;
    nextEpochMs_ = (now / 1000 + 1) * 1000;
    streamEpoch(line, now);
}

void SirfChip::streamEpoch(SimLine& line, uint64_t nowMs) {
    const double running = static_cast<double>(nowMs - startMs_) / 1000.0;
    const double utc = options_.startUtcSeconds + running;
    const double gps = utc - kGpsEpochUnixSeconds + kLeapSeconds;
    TrackingSettings tracking;
    tracking.glonass = tracking.qzss = false;
    tracking.sbas = dgpsSource_ == 1;
    tracking.secondBand = false;
    tracking.elevationMaskDegrees = navMaskTenths_ / 10;
    std::vector<SkySatellite> sky = sky_.observe(gps, tracking);
    for (SkySatellite& sat : sky) {
        if (sat.system == Constellation::Sbas)
            sat.used = false;  // corrections, not ranges
    }
    const Solution s = navigator_.update(running, sky_.place(), sky, false, sbasOn());
    const bool fix = s.mode != SolutionMode::NoFix;
    const uint32_t week = static_cast<uint32_t>(gps / 604800.0);
    const double tow = gps - week * 604800.0;
    const time_t whole = static_cast<time_t>(std::floor(utc));
    struct tm t {};
    gmtime_r(&whole, &t);

    if (!binary_) {
        // In NMEA the chip sends the usual position sentence, enough to be found at its rate.
        const std::string time = timeOfDayText(std::fmod(utc, 86400.0));
        std::string body = "$GPGGA," + time + ",,,,,0,00,,,M,,M,,";
        if (fix) {
            body = format("$GPGGA,%s,%s,%s,%d,%02d,%.1f,%.1f,M,%.1f,M,,", time.c_str(),
                          latitudeText(s.latitudeDegrees, 4).c_str(),
                          longitudeText(s.longitudeDegrees, 4).c_str(),
                          s.mode == SolutionMode::Sbas ? 2 : 1, s.satellitesUsed, s.hdop,
                          s.ellipsoidHeightMetres - sky_.place().geoidSeparationMetres,
                          sky_.place().geoidSeparationMetres);
        }
        std::string sentence = withChecksum(body);
        if (line.fault(SimFault::BadChecksums))
            sentence[sentence.size() - 3] ^= 1;
        line.send(sentence, OutputKind::Stream);
        return;
    }

    auto stream = [&](const std::vector<uint8_t>& p) {
        line.send(sirfFrame(p, line.fault(SimFault::BadChecksums)), OutputKind::Stream);
    };
    if (rates_[kMidGeodetic] != 0) {
        std::vector<uint8_t> p(91, 0);
        p[0] = kMidGeodetic;
        put16(p, 1, fix ? 0 : 1);  // navigation valid
        put16(p, 3, fix ? (4u | (s.mode == SolutionMode::Sbas ? 0x80u : 0u)) : 0u);  // type
        put16(p, 5, week);
        put32(p, 7, static_cast<uint32_t>(std::llround(tow * 1000.0)));
        put16(p, 11, static_cast<uint32_t>(t.tm_year + 1900));
        p[13] = static_cast<uint8_t>(t.tm_mon + 1);
        p[14] = static_cast<uint8_t>(t.tm_mday);
        p[15] = static_cast<uint8_t>(t.tm_hour);
        p[16] = static_cast<uint8_t>(t.tm_min);
        put16(p, 17,
              static_cast<uint32_t>(std::lround((t.tm_sec + (utc - std::floor(utc))) * 1000)));
        uint32_t mask = 0;
        for (const SkySatellite& sat : sky) {
            if (sat.used && sat.prn >= 1 && sat.prn <= 32)
                mask |= 1u << (sat.prn - 1);
        }
        if (fix) {
            put32(p, 19, mask);
            put32(
                p, 23,
                static_cast<uint32_t>(static_cast<int32_t>(std::lround(s.latitudeDegrees * 1e7))));
            put32(
                p, 27,
                static_cast<uint32_t>(static_cast<int32_t>(std::lround(s.longitudeDegrees * 1e7))));
            put32(p, 31,
                  static_cast<uint32_t>(
                      static_cast<int32_t>(std::lround(s.ellipsoidHeightMetres * 100))));
            put32(p, 35,
                  static_cast<uint32_t>(static_cast<int32_t>(std::lround(
                      (s.ellipsoidHeightMetres - sky_.place().geoidSeparationMetres) * 100))));
            p[39] = 21;  // WGS 84
            put16(p, 40, static_cast<uint32_t>(std::lround(s.speedMetresPerSecond * 100)));
            put16(p, 42, static_cast<uint32_t>(std::lround(s.courseDegrees * 100)));
            put32(p, 50,
                  static_cast<uint32_t>(std::lround(std::hypot(s.sigmaEast, s.sigmaNorth) * 100)));
            put32(p, 54, static_cast<uint32_t>(std::lround(s.sigmaUp * 100)));
            p[88] = static_cast<uint8_t>(std::min(s.satellitesUsed, 32));
            p[89] = static_cast<uint8_t>(std::clamp<long>(std::lround(s.hdop / 0.2), 0, 255));
        }
        stream(p);
    }
    if (rates_[kMidTracker] != 0) {
        std::vector<uint8_t> p(8 + kChannels * 15, 0);
        p[0] = kMidTracker;
        put16(p, 1, week);
        put32(p, 3, static_cast<uint32_t>(std::llround(tow * 100.0)));
        p[7] = kChannels;
        int channel = 0;
        for (const SkySatellite& sat : sky) {
            if (channel == kChannels)
                break;
            uint8_t* c = &p[8 + 15 * channel++];
            c[0] = static_cast<uint8_t>(sat.prn);
            c[1] = static_cast<uint8_t>(std::lround(sat.azimuthDegrees / 1.5) % 240);
            c[2] = static_cast<uint8_t>(std::lround(sat.elevationDegrees * 2.0));
            c[3] = 0x00;
            c[4] = sat.used ? 0xBF : 0x2F;  // tracking state bits
            for (int k = 0; k < 10; ++k) c[5 + k] = static_cast<uint8_t>(std::lround(sat.snr1));
        }
        stream(p);
    }
}

}  // namespace zentrix::sim
