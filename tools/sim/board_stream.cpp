// What the survey board streams: the standard NMEA sentences and its own data messages, built
// from the simulated sky and solution of the current epoch.
#include <time.h>

#include <algorithm>
#include <cmath>

#include "tools/sim/sim_text.h"
#include "tools/sim/survey_board.h"

namespace zentrix::sim {
namespace {

constexpr double kGpsEpochUnixSeconds = 315964800.0;
constexpr double kLeapSeconds = 18.0;
constexpr double kKnotsPerMetreSecond = 1.0 / 0.514444;
constexpr int kReferenceStationId = 24;

// The order in which the messages of one epoch leave: the position message last, because the
// handheld publishes what it has gathered when it arrives.
constexpr std::array<const char*, 15> kEmissionOrder = {"GGA", "GLL", "GSA", "GSV", "SGL",
                                                        "SGP", "GST", "RMC", "VTG", "ZDA",
                                                        "DTM", "OBI", "A2D", "WTI", "VEC"};

int ggaQuality(SolutionMode mode) {
    switch (mode) {
        case SolutionMode::NoFix:
            return 0;
        case SolutionMode::Autonomous:
            return 1;
        case SolutionMode::Sbas:
        case SolutionMode::Dgps:
            return 2;
        case SolutionMode::Float:
            return 5;
        case SolutionMode::Fixed:
            return 4;
    }
    return 0;
}

int vectorMode(SolutionMode mode) {
    switch (mode) {
        case SolutionMode::Sbas:
            return 9;
        case SolutionMode::Dgps:
            return 1;
        case SolutionMode::Float:
            return 2;
        case SolutionMode::Fixed:
            return 3;
        default:
            return 0;
    }
}

/// SBAS satellites travel as 33-64 in NMEA sentences.
int nmeaPrn(const SkySatellite& sat) {
    return sat.system == Constellation::Sbas ? sat.prn - 87 : sat.prn;
}

bool hasFix(const Solution& s) {
    return s.mode != SolutionMode::NoFix;
}

}  // namespace

std::string SurveyBoard::sentence(SimLine& out, const std::string& body) const {
    std::string text = withChecksum(body);
    if (out.fault(SimFault::BadChecksums)) {
        char& digit = text[text.size() - 3];  // the second checksum digit
        digit = digit == '0' ? '1' : '0';
    }
    return text;
}

void SurveyBoard::updateEpoch(uint64_t nowMs) {
    const double running = static_cast<double>(nowMs - startMs_) / 1000.0;
    utcSeconds_ = options_.startUtcSeconds + running;
    gpsSeconds_ = utcSeconds_ - kGpsEpochUnixSeconds + kLeapSeconds;
    TrackingSettings tracking;
    tracking.gps = state_.gps;
    tracking.glonass = state_.glonass;
    tracking.sbas = state_.sbas;
    tracking.qzss = state_.qzss;
    tracking.secondBand = state_.signalConfig != "SSL";
    tracking.elevationMaskDegrees = state_.elevationMaskDegrees;
    sky_ = sky_model_.observe(gpsSeconds_, tracking);
    solution_ =
        navigator_.update(running, sky_model_.place(), sky_, correctionsFlowing(), state_.sbas);
    ++epochs_;
}

void SurveyBoard::streamDue(SimLine& out, uint64_t nowMs) {
    const auto found = state_.outputs.find(state_.handheldPort);
    if (found == state_.outputs.end() || found->second.empty())
        return;
    std::vector<std::string> due;
    for (const char* name : kEmissionOrder) {
        for (const MessageOutput& m : found->second) {
            if (m.name != name)
                continue;
            const auto intervalMs = std::max<uint64_t>(
                50, static_cast<uint64_t>(std::llround(m.intervalSeconds * 1000)));
            // Epochs stand on a grid of the interval, so that messages of the same rate leave
            // together; after a jump of the clock the missed ones are skipped, not caught up.
            const uint64_t nextEpochMs = (nowMs / intervalMs + 1) * intervalMs;
            auto it = nextDueMs_.find(m.name);
            if (it != nextDueMs_.end() && it->second == kAtNextEpoch) {
                it->second = nextEpochMs;
                continue;
            }
            if (it != nextDueMs_.end() && nowMs < it->second)
                continue;
            nextDueMs_[m.name] = nextEpochMs;
            due.push_back(m.name);
        }
    }
    if (due.empty())
        return;
    updateEpoch(nowMs);
    for (const std::string& name : due) writeMessage(name, out);
}

void SurveyBoard::writeMessage(const std::string& name, SimLine& out) {
    const Solution& s = solution_;
    const Place& place = sky_model_.place();
    const std::string time = timeOfDayText(std::fmod(utcSeconds_, 86400.0));
    const bool fix = hasFix(s);
    const std::string lat = fix ? latitudeText(s.latitudeDegrees) : ",";
    const std::string lon = fix ? longitudeText(s.longitudeDegrees) : ",";
    const bool differential = s.mode == SolutionMode::Dgps || s.mode == SolutionMode::Float ||
                              s.mode == SolutionMode::Fixed;
    auto send = [&](const std::string& body) { out.send(sentence(out, body), OutputKind::Stream); };

    if (name == "GGA") {
        if (!fix)
            return send("$GPGGA," + time + ",,,,,0,00,,,M,,M,,");
        send(format("$GPGGA,%s,%s,%s,%d,%02d,%.1f,%.3f,M,%.3f,M,", time.c_str(), lat.c_str(),
                    lon.c_str(), ggaQuality(s.mode), std::min(s.satellitesUsed, 99), s.hdop,
                    s.ellipsoidHeightMetres - place.geoidSeparationMetres,
                    place.geoidSeparationMetres) +
             (differential ? format("%.1f,%04d", s.correctionAgeSeconds, kReferenceStationId)
                           : std::string(",")));
    } else if (name == "GLL") {
        send(format("$GPGLL,%s,%s,%s,%c,A", lat.c_str(), lon.c_str(), time.c_str(),
                    fix ? 'A' : 'V'));
    } else if (name == "GSA") {
        // GPS and QZSS first, in one sentence; GLONASS and SBAS in the following ones.
        std::vector<int> primary, others;
        for (const SkySatellite& sat : sky_) {
            if (!sat.used)
                continue;
            const bool isPrimary =
                sat.system == Constellation::Gps || sat.system == Constellation::Qzss;
            (isPrimary ? primary : others).push_back(nmeaPrn(sat));
        }
        auto gsa = [&](const char* talker, const std::vector<int>& prns, size_t from) {
            std::string body = format("$%sGSA,A,%d", talker, fix ? 3 : 1);
            for (size_t i = from; i < from + 12; ++i)
                body += i < prns.size() ? format(",%02d", prns[i]) : std::string(",");
            body += fix ? format(",%.1f,%.1f,%.1f", s.pdop, s.hdop, s.vdop) : std::string(",,,");
            send(body);
        };
        if (!primary.empty())
            gsa("GN", primary, 0);
        for (size_t from = 0; from < others.size() || (primary.empty() && from == 0); from += 12)
            gsa(primary.empty() && from == 0 ? "GL" : "GN", others, from);
    } else if (name == "GSV") {
        for (const bool glonass : {false, true}) {
            std::vector<const SkySatellite*> list;
            for (const SkySatellite& sat : sky_) {
                if ((sat.system == Constellation::Glonass) == glonass && list.size() < 16)
                    list.push_back(&sat);
            }
            if (list.empty())
                continue;
            const size_t total = (list.size() + 3) / 4;
            for (size_t k = 0; k < total; ++k) {
                std::string body = format("$%sGSV,%zu,%zu,%02zu", glonass ? "GL" : "GP", total,
                                          k + 1, list.size());
                for (size_t i = k * 4; i < std::min(list.size(), k * 4 + 4); ++i) {
                    const SkySatellite& sat = *list[i];
                    body += format(",%02d,%02d,%03d,%02d", nmeaPrn(sat),
                                   static_cast<int>(sat.elevationDegrees),
                                   static_cast<int>(sat.azimuthDegrees),
                                   static_cast<int>(std::lround(sat.snr1)));
                }
                send(body);
            }
        }
    } else if (name == "SGP" || name == "SGL") {
        const bool glonass = name == "SGL";
        std::string blocks;
        int count = 0;
        for (const SkySatellite& sat : sky_) {
            if ((sat.system == Constellation::Glonass) != glonass || count == 27)
                continue;
            ++count;
            blocks +=
                format(",%d,%d,%d,%.1f,%.1f,0.0,%d,%d", nmeaPrn(sat),
                       static_cast<int>(sat.azimuthDegrees), static_cast<int>(sat.elevationDegrees),
                       sat.snr1, sat.snr2, sat.used ? 1 : 0, count);
        }
        send(format("$PQELR,%s,%02d", name.c_str(), count) + blocks);
    } else if (name == "GST") {
        if (!fix)
            return send("$GPGST," + time + ",,,,,,,");
        const double major = std::max(s.sigmaEast, s.sigmaNorth);
        send(format("$GPGST,%s,%.3f,%.3f,%.3f,%.1f,%.3f,%.3f,%.3f", time.c_str(),
                    std::hypot(s.sigmaEast, s.sigmaNorth, s.sigmaUp), major,
                    std::min(s.sigmaEast, s.sigmaNorth), 0.0, s.sigmaNorth, s.sigmaEast,
                    s.sigmaUp));
    } else if (name == "RMC" || name == "ZDA") {
        const time_t whole = static_cast<time_t>(std::floor(utcSeconds_));
        struct tm utc {};
        gmtime_r(&whole, &utc);
        if (name == "ZDA") {
            send(format("$GPZDA,%s,%02d,%02d,%04d,00,00", time.c_str(), utc.tm_mday, utc.tm_mon + 1,
                        utc.tm_year + 1900));
        } else {
            send(format("$GPRMC,%s,%c,%s,%s,%.3f,%.1f,%02d%02d%02d,,,%c", time.c_str(),
                        fix ? 'A' : 'V', lat.c_str(), lon.c_str(),
                        s.speedMetresPerSecond * kKnotsPerMetreSecond, s.courseDegrees, utc.tm_mday,
                        utc.tm_mon + 1, utc.tm_year % 100, fix ? (differential ? 'D' : 'A') : 'N'));
        }
    } else if (name == "VTG") {
        send(format("$GPVTG,%.1f,T,%.1f,M,%.3f,N,%.3f,K,%c", s.courseDegrees,
                    std::fmod(s.courseDegrees + 357.5, 360.0),
                    s.speedMetresPerSecond * kKnotsPerMetreSecond, s.speedMetresPerSecond * 3.6,
                    fix ? (differential ? 'D' : 'A') : 'N'));
    } else if (name == "DTM") {
        send("$GPDTM,W84,,0.0000,N,0.0000,E,0.000,W84");
    } else if (name == "VEC") {
        // Mode, satellites, time, baseline east/north/up, their sigmas, correction age,
        // reference station, ratio, seconds to fixed.
        const double ratio = s.mode == SolutionMode::Fixed ? 12.5 : 0.0;
        send(format("$PQELR,VEC,%d,%02d,%s,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,%.1f,%04d,%.1f,%.0f",
                    vectorMode(s.mode), s.satellitesUsed, time.c_str(), s.baseline[0],
                    s.baseline[1], s.baseline[2], s.sigmaEast, s.sigmaNorth, s.sigmaUp,
                    s.correctionAgeSeconds, differential ? kReferenceStationId : 0, ratio,
                    s.secondsToFixed));
    } else if (name == "OBI") {
        const double minutes =
            std::min(999.99, static_cast<double>(nowMs_ - obiResetMs_) / 60000.0);
        send(format("$PQELR,OBI,%s,%.2f,%05u", time.c_str(), minutes, epochs_ % 100000));
    } else if (name == "A2D") {
        send("$PQELR,A2D,1,0");
    } else if (name == "WTI") {
        send(format("$PQELR,WTI,%04u,0", epochs_ % 10000));
    }
}

}  // namespace zentrix::sim
