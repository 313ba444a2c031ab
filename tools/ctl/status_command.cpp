// status: the position and the satellites, once or on every new position.
//
// The receiver publishes a position on its own; this command only waits for the next one and
// reads the snapshot, so it sends nothing and works the same for every kind of receiver.
#include <cstdio>
#include <string>

#include "receiver/nmea/position_record.h"
#include "tools/ctl/commands.h"
#include "tools/replay/replay.h"

namespace zentrix::ctl {

namespace {

using receiver::PositionRecord;
using receiver::SatelliteTable;

/// `waitVector` gives up after 1.5 s; a receiver that has published nothing after this many of
/// them (7.5 s) has no position to give.
constexpr int kWaitTries = 5;
constexpr double kSecondsPerWait = 1.5;

struct Snapshot {
    PositionRecord position;
    SatelliteTable satellites;
};

enum class Wait { Position, Silent, Gone, Stopped };

/// Waits for the next published position, at most `tries` times (0: until stopped or gone).
Wait waitForPosition(Context& context, int tries) {
    for (int i = 0; tries == 0 || i < tries; ++i) {
        if (context.stop.load())
            return Wait::Stopped;
        if (context.receiver.waitVector() != 0)
            return Wait::Position;
        if (context.receiver.isConnected() == 0)
            return Wait::Gone;
    }
    return Wait::Silent;
}

Snapshot readSnapshot(Context& context) {
    Snapshot snapshot;
    context.receiver.getPosition(snapshot.position);
    if (context.receiver.getSatellites(snapshot.satellites) == 0)
        snapshot.satellites.count = 0;
    // The GPS-only chip keeps its last solution when it loses the sky; with no satellite in use
    // that solution means nothing, and the status page shows zeros for it too.
    if (context.kind == app::ReceiverKind::Sirf && snapshot.position.satellitesUsed == 0) {
        PositionRecord& p = snapshot.position;
        p.latitude = 0;
        p.longitude = 0;
        p.ellipsoidHeight = 0;
        p.pdop = 0;
        p.fixType = 0;
    }
    return snapshot;
}

const char* fixWord(int32_t fixType) {
    switch (fixType) {
        case 0:
            return "none";
        case 1:
            return "autonomous";
        case 2:
            return "sbas";
        case 3:
            return "differential";
        case 4:
            return "float";
        case 5:
            return "fixed";
        default:
            return "unknown";
    }
}

const char* systemOf(int32_t prn) {
    if (prn >= 1 && prn <= 32)
        return "GPS";
    if (prn >= 65 && prn <= 96)
        return "GLONASS";
    if (prn >= 120 && prn <= 158)
        return "SBAS";
    if (prn >= 193 && prn <= 202)
        return "QZSS";
    if (prn >= 301 && prn <= 336)
        return "Galileo";
    if (prn >= 401 && prn <= 463)
        return "BeiDou";
    return "other";
}

/// UTC when the receiver gave a date, else the GPS week and second, else "-".
std::string timeText(const PositionRecord& p) {
    char text[64];
    if (p.utcYear != 0) {
        std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", p.utcYear,
                      p.utcMonth, p.utcDay, p.utcHour, p.utcMinute, p.utcSecond, p.utcMillisecond);
        return text;
    }
    if (p.gpsWeek != 0)
        return "week " + std::to_string(p.gpsWeek) + " second " + formatNumber(p.timeOfWeek, 3);
    return "-";
}

/// Signed degrees for scripts, the hemisphere for people: "47.37690000 N".
std::string coordinateText(double degrees, char positive, char negative) {
    return formatNumber(degrees, 8) + ' ' + (degrees < 0 ? negative : positive);
}

void writeText(Context& context, const Snapshot& s) {
    const PositionRecord& p = s.position;
    std::string text;
    text += "time: " + timeText(p) + '\n';
    text += "latitude: " + coordinateText(p.latitude, 'N', 'S') + '\n';
    text += "longitude: " + coordinateText(p.longitude, 'E', 'W') + '\n';
    text += "height: " + formatNumber(p.ellipsoidHeight, 3) + " m\n";
    text += "altitude: " + formatNumber(p.altitude, 3) + " m\n";
    text += std::string("fix: ") + fixWord(p.fixType) + '\n';
    text += "satellites used: " + std::to_string(p.satellitesUsed) + '\n';
    text += "satellites in view: " + std::to_string(s.satellites.count) + '\n';
    text += "pdop: " + formatNumber(p.pdop, 1) + '\n';
    text += "hdop: " + formatNumber(p.hdop, 1) + '\n';
    if (p.horizontalError > 0 || p.verticalError > 0) {
        text += "horizontal accuracy: " + formatNumber(p.horizontalError, 3) + " m\n";
        text += "vertical accuracy: " + formatNumber(p.verticalError, 3) + " m\n";
    }
    // SBAS corrections come from no base station of the user's.
    if (p.fixType >= 2 && p.fixType <= 5 && p.correctionAge != 0) {
        text += "correction age: " + std::to_string(p.correctionAge) + " s\n";
        if (p.fixType != 2)
            text += "reference station: " + std::to_string(p.referenceStationId) + '\n';
    }
    text += "satellite system elevation azimuth snr1 snr2 used\n";
    for (uint32_t i = 0; i < s.satellites.count && i < receiver::kMaxSatellites; ++i) {
        const receiver::SatelliteRecord& r = s.satellites.entries[i];
        char row[96];
        std::snprintf(row, sizeof row, "%9d %-7s %9d %7d %4d %4d %s\n", r.prn, systemOf(r.prn),
                      r.elevation, r.azimuth, r.snr1, r.snr2, r.used != 0 ? "yes" : "no");
        text += row;
    }
    context.out << text;
}

/// One line per position while following: time, latitude, longitude, height, fix, satellites
/// used and in view, separated by blanks.
std::string followLine(const Snapshot& s) {
    const PositionRecord& p = s.position;
    std::string time = timeText(p);
    for (char& c : time) c = c == ' ' ? '_' : c;
    return time + ' ' + formatNumber(p.latitude, 8) + ' ' + formatNumber(p.longitude, 8) + ' ' +
           formatNumber(p.ellipsoidHeight, 3) + ' ' + fixWord(p.fixType) + ' ' +
           std::to_string(p.satellitesUsed) + ' ' + std::to_string(s.satellites.count) + '\n';
}

std::string jsonLines(Context& context, const Snapshot& s) {
    const std::string position = context.kind == app::ReceiverKind::Nmea
                                     ? replay::nmeaPositionJson(s.position, "")
                                     : replay::positionJson(s.position, "");
    return position + '\n' +
           replay::satellitesJson(s.satellites.entries.data(), s.satellites.count, "") + '\n';
}

int goneLine(Context& context) {
    context.err << kProgram << ": status: the receiver is gone\n";
    return kNoReceiver;
}

int follow(Context& context) {
    // The header tells a person what the columns are; a script that reads JSON has its keys.
    if (!context.json) {
        context.out << "# time latitude longitude height fix used in-view\n";
        context.out.flush();
    }
    for (bool first = true;; first = false) {
        switch (waitForPosition(context, 0)) {
            case Wait::Stopped:
                return kSuccess;
            case Wait::Gone:
                return goneLine(context);
            case Wait::Silent:
            case Wait::Position:
                break;
        }
        if (first)
            continue;  // partial: see runStatus
        const Snapshot snapshot = readSnapshot(context);
        context.out << (context.json ? jsonLines(context, snapshot) : followLine(snapshot));
        context.out.flush();
        // Whoever read the output went away (`| head -1`): that ends the command as asked.
        if (!context.out)
            return kSuccess;
    }
}

}  // namespace

std::string checkStatus(std::span<const std::string> args) {
    if (args.empty() || (args.size() == 1 && args[0] == "--follow"))
        return {};
    if (args[0] != "--follow")
        return "unknown argument '" + args[0] + "' (status takes only --follow)";
    return "--follow takes no value";
}

int runStatus(Context& context, std::span<const std::string> args) {
    if (!args.empty())
        return follow(context);
    // The reader starts listening somewhere in the middle of an epoch, so the first position it
    // publishes after the connection may carry only that epoch's last sentences (no coordinates,
    // no satellites): the second one is whole.
    Wait wait = waitForPosition(context, kWaitTries);
    if (wait == Wait::Position)
        wait = waitForPosition(context, kWaitTries);
    switch (wait) {
        case Wait::Position:
            break;
        case Wait::Gone:
            return goneLine(context);
        case Wait::Stopped:
            context.err << kProgram
                        << ": status: interrupted before the receiver gave a position\n";
            return kNoAnswer;
        case Wait::Silent:
            context.err << kProgram << ": status: the receiver gave no position in "
                        << formatNumber(kWaitTries * kSecondsPerWait, 1) << " s\n";
            return kNoAnswer;
    }
    const Snapshot snapshot = readSnapshot(context);
    if (context.json)
        context.out << jsonLines(context, snapshot);
    else
        writeText(context, snapshot);
    return kSuccess;
}

}  // namespace zentrix::ctl
