#include "tools/replay/replay.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/clock.h"
#include "receiver/gnss_receiver.h"
#include "receiver/nmea/byte_source.h"
#include "receiver/nmea_receiver/epoch_assembler.h"
#include "receiver/nmea_receiver/nmea_line_framer.h"
#include "receiver/nmea_receiver/nmea_receiver.h"
#include "receiver/replies/reply_codes.h"

namespace zentrix::replay {
namespace {

using receiver::NavigationState;

// JSON text for a sentence: it may hold any byte a line can carry.
std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c >= 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", c);
            out += escape;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string_view withoutLineEnd(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// The shortest text that reads back as the same number, with "." whatever the locale; JSON has
// no word for a value that is not finite, so it becomes null.
std::string number(float value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::isfinite(value) && error == std::errc() ? std::string(buffer, end) : "null";
}

std::string number(double value) {
    const std::string text = platform::shortestText(value);
    return text.empty() ? "null" : text;
}

class JsonObject {
  public:
    explicit JsonObject(std::string_view type) {
        text_ = "{\"type\":\"" + std::string(type) + "\"";
    }
    JsonObject& add(std::string_view key, const std::string& rawValue) {
        text_ += ",\"" + std::string(key) + "\":" + rawValue;
        return *this;
    }
    JsonObject& add(std::string_view key, double value) { return add(key, number(value)); }
    JsonObject& add(std::string_view key, float value) { return add(key, number(value)); }
    JsonObject& add(std::string_view key, int64_t value) { return add(key, std::to_string(value)); }
    std::string close(std::string_view source) {
        add("source", quoted(withoutLineEnd(source)));
        return text_ + "}";
    }

  private:
    std::string text_;
};

std::string utcText(const receiver::PositionRecord& p) {
    char text[64];
    std::snprintf(text, sizeof text, "\"%04u-%02u-%02uT%02u:%02u:%02u.%03u\"", p.utcYear,
                  p.utcMonth, p.utcDay, p.utcHour, p.utcMinute, p.utcSecond, p.utcMillisecond);
    return text;
}

// ISO 8601 as other NMEA tools print a fix's time: hundredths as most receivers send them, a
// third digit only when the receiver sent milliseconds.
std::string isoUtcText(const receiver::PositionRecord& p) {
    char text[64];
    const unsigned ms = p.utcMillisecond;
    if (ms % 10 == 0) {
        std::snprintf(text, sizeof text, "\"%04u-%02u-%02uT%02u:%02u:%02u.%02uZ\"", p.utcYear,
                      p.utcMonth, p.utcDay, p.utcHour, p.utcMinute, p.utcSecond, ms / 10);
    } else {
        std::snprintf(text, sizeof text, "\"%04u-%02u-%02uT%02u:%02u:%02u.%03uZ\"", p.utcYear,
                      p.utcMonth, p.utcDay, p.utcHour, p.utcMinute, p.utcSecond, ms);
    }
    return text;
}

JsonObject positionFields(const receiver::PositionRecord& p) {
    JsonObject object("position");
    object.add("latitude", p.latitude)
        .add("longitude", p.longitude)
        .add("ellipsoidHeight", p.ellipsoidHeight)
        .add("altitude", p.altitude)
        .add("fixType", int64_t{p.fixType})
        .add("satellitesUsed", int64_t{p.satellitesUsed})
        .add("pdop", p.pdop)
        .add("hdop", p.hdop)
        .add("correctionAge", int64_t{p.correctionAge})
        .add("referenceStationId", int64_t{p.referenceStationId})
        .add("horizontalError", p.horizontalError)
        .add("verticalError", p.verticalError)
        .add("gpsWeek", int64_t{p.gpsWeek})
        .add("timeOfWeek", p.timeOfWeek)
        .add("courseOverGround", p.courseOverGround)
        .add("speedOverGround", p.speedOverGround);
    return object;
}

// One position line and one satellites line for an epoch, each for what the epoch published.
void epochLines(const receiver::NmeaEpoch& epoch, std::string_view source,
                const std::function<void(const std::string&)>& line) {
    if (epoch.hasPosition)
        line(nmeaPositionJson(epoch.position, source));
    if (epoch.hasSatellites)
        line(satellitesJson(epoch.satellites.entries.data(), epoch.satellites.count, source));
}

// Each epoch's lines carry the sentence that was being read when the epoch was published; the
// end of the bytes ends the last epoch as a quiet line would, with the last sentence read.
void replayNmea(std::string_view bytes, const std::function<void(const std::string&)>& line) {
    std::string_view cause;
    receiver::EpochAssembler assembler(
        [&](const receiver::NmeaEpoch& epoch) { epochLines(epoch, cause, line); });
    receiver::NmeaLineFramer framer;
    std::string last;
    last.reserve(receiver::NmeaLineFramer::kMaxSentenceBytes);
    for (const char ch : bytes) {
        if (framer.feed(static_cast<uint8_t>(ch)) != receiver::NmeaLineFramer::Feed::Sentence)
            continue;
        cause = framer.sentence();
        assembler.addSentence(cause);
        last.assign(cause);
    }
    cause = last;
    assembler.endEpoch();
}

// What `--configure` switches on: the position, satellites and error messages, the time, and the
// vector that publishes them, once a second. Codes as the receiver interface numbers messages.
struct LiveMessage {
    const char* name;
    uint32_t code;
};
constexpr std::array<LiveMessage, 7> kLiveMessages = {{
    {"GGA", 2},
    {"GSA", 4},
    {"GSV", 6},
    {"GST", 5},
    {"ZDA", 13},
    {"VTG", 12},
    {"VEC", 14},
}};

constexpr std::array<uint32_t, 10> kLineRates = {300,  600,   1200,  2400,  4800,
                                                 9600, 19200, 38400, 57600, 115200};
constexpr uint32_t kMaxLiveSeconds = 1000000;  // keeps seconds * 1000 inside the tick counter
constexpr uint32_t kLivePollMs = 50;

bool parseWhole(const std::string& text, uint32_t maximum, uint32_t* value) {
    uint32_t parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || parsed > maximum)
        return false;
    *value = parsed;
    return true;
}

void configureLive(receiver::GnssReceiver& gnss, const LiveOptions& options,
                   const std::function<void(const std::string&)>& note) {
    uint32_t port = 0;
    uint32_t baudCode = 0;
    if (!gnss.queryReceiverPort(port, baudCode))
        note("the receiver did not say which port it talks on; configuring port A");
    std::string on, refused;
    for (const LiveMessage& m : kLiveMessages) {
        std::string& list = gnss.setNmeaMessage(port, m.code, true, 1.0f) ? on : refused;
        list += list.empty() ? m.name : std::string(" ") + m.name;
    }
    const char letter = receiver::portLetterOf(receiver::port_letters::kReceiver, port);
    if (!on.empty())
        note(std::string("port ") + letter + " streams " + on + " every second");
    if (!refused.empty())
        note("the receiver refused " + refused);
    if (!options.dial)
        return;
    if (!gnss.startModem()) {
        note("the modem did not start: no corrections");
    } else if (!gnss.modemDial()) {
        note("the modem did not dial: no corrections");
    } else {
        note("dialled: corrections follow once the call is up");
    }
}

}  // namespace

std::string stationJson(const receiver::StationRecord& r) {
    using receiver::fieldText;
    std::string json = "{";
    const auto text = [&](std::string_view key, std::string_view value) {
        json += (json.size() > 1 ? ",\"" : "\"") + std::string(key) + "\":" + quoted(value);
    };
    const auto value = [&](std::string_view key, const std::string& raw) {
        json += ",\"" + std::string(key) + "\":" + raw;
    };
    text("mountPoint", fieldText(r.mountPoint));
    text("identifier", fieldText(r.identifier));
    text("format", fieldText(r.format));
    text("formatDetails", fieldText(r.formatDetails));
    value("carrier", std::to_string(r.carrier));
    text("navSystem", fieldText(r.navSystem));
    text("network", fieldText(r.network));
    text("country", fieldText(r.country));
    value("latitude", number(r.latitude));
    value("longitude", number(r.longitude));
    value("nmea", std::to_string(r.nmea));
    value("solution", std::to_string(r.solution));
    text("generator", fieldText(r.generator));
    text("compression", fieldText(r.compression));
    text("authentication", fieldText(r.authentication));
    text("fee", fieldText(r.fee));
    value("bitrate", std::to_string(r.bitrate));
    return json + "}";
}

void sourceTableStations(std::string_view saved,
                         const std::function<void(const std::string&)>& line) {
    // A table saved without the caster's status line is read as the caster sent it.
    std::string table(saved);
    if (table.find("SOURCETABLE") == std::string::npos ||
        table.find("SOURCETABLE") > table.find("STR;")) {
        table.insert(0, "SOURCETABLE 200 OK\r\n");
    }
    receiver::StationList list;
    receiver::parseSourceTable(table, list);
    for (int32_t i = 0; i < list.size(); ++i) line(stationJson(*list.at(i)));
}

std::optional<CommandLine> parseCommandLine(std::span<const std::string> args) {
    CommandLine command;
    LiveOptions live;
    bool livePort = false;
    bool liveOnly = false;  // an option that means nothing without a port
    bool baudGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--publish-on-gga") {
            command.replay.publishOnGga = true;
        } else if (a == "--raw") {
            command.replay.raw = true;
        } else if (a == "--receiver" && hasValue) {
            const std::string& kind = args[++i];
            if (kind == "board") {
                command.replay.receiver = ReceiverKind::Board;
            } else if (kind == "nmea") {
                command.replay.receiver = ReceiverKind::Nmea;
            } else {
                return std::nullopt;
            }
        } else if (a == "--port" && hasValue && !args[i + 1].empty()) {
            live.port = platform::ansiToWide(args[++i]);
            livePort = true;
        } else if (a == "--baud" && hasValue) {
            if (!parseWhole(args[++i], kLineRates.back(), &live.baudRate) ||
                std::find(kLineRates.begin(), kLineRates.end(), live.baudRate) == kLineRates.end())
                return std::nullopt;
            liveOnly = baudGiven = true;
        } else if (a == "--seconds" && hasValue) {
            if (!parseWhole(args[++i], kMaxLiveSeconds, &live.seconds) || live.seconds == 0)
                return std::nullopt;
            liveOnly = true;
        } else if (a == "--sourcetable" && hasValue && !args[i + 1].empty()) {
            command.sourceTableFile = args[++i];
        } else if (a == "--configure") {
            live.configure = liveOnly = true;
        } else if (a == "--dial") {
            live.dial = liveOnly = true;
        } else if (command.file.empty() && !a.empty() && (a[0] != '-' || a == "-")) {
            command.file = a;
        } else {
            return std::nullopt;
        }
    }
    if (command.replay.receiver == ReceiverKind::Nmea) {
        // A plain NMEA receiver publishes once an epoch, finds its rate itself and is never
        // commanded: the board's options mean nothing for it.
        if (command.replay.publishOnGga || live.configure || live.dial || baudGiven ||
            !command.sourceTableFile.empty())
            return std::nullopt;
        live.receiver = ReceiverKind::Nmea;
    }
    if (!command.sourceTableFile.empty()) {
        // A saved source table is read on its own.
        return livePort || liveOnly || !command.file.empty() || command.replay.raw ||
                       command.replay.publishOnGga
                   ? std::nullopt
                   : std::optional<CommandLine>(command);
    }
    if (livePort == !command.file.empty())
        return std::nullopt;  // exactly one of a capture and a port
    if (liveOnly && !livePort)
        return std::nullopt;
    if (livePort && command.replay.raw)
        return std::nullopt;  // a live line has no stored form to undo
    if (livePort) {
        live.publishOnGga = command.replay.publishOnGga;
        command.live = live;
    }
    return command;
}

namespace {

// A plain NMEA receiver through the program's own `NmeaReceiver`: its passive search finds the
// rate, nothing is written, and every position the reader publishes is printed with the table
// that stands beside it.
LiveEnd runLiveNmea(const LiveOptions& options, const std::atomic<bool>& stop,
                    const std::function<void(const std::string&)>& line,
                    const std::function<void(const std::string&)>& note) {
    receiver::NmeaReceiver nmea;
    const std::string portName = platform::wideToAnsi(options.port);
    nmea.setConnectProgress([&](const receiver::ConnectStep& step) {
        if (step.stage == receiver::ConnectStep::Stage::TryingRate)
            note("listening on " + portName + " at " + std::to_string(step.baudRate) + " baud");
        return !stop.load();
    });
    if (!nmea.connect(options.port)) {
        if (stop.load())
            return LiveEnd::Stopped;
        note(nmea.ratesTried().empty() ? "cannot open " + portName
                                       : "no NMEA sentences on " + portName + " at any rate");
        return LiveEnd::PortFailed;
    }
    note("reading " + portName + " at " + std::to_string(nmea.foundBaud()) +
         " baud; nothing is sent to the receiver");

    LiveEnd end = LiveEnd::Stopped;
    const uint32_t start = platform::Clock::tickCount();
    receiver::SatelliteTable table;
    while (!stop.load()) {
        if (options.seconds != 0 && platform::ticksSince(start) >= options.seconds * 1000u) {
            end = LiveEnd::TimeUp;
            break;
        }
        if (!nmea.isConnected()) {
            note(portName + " went away");
            end = LiveEnd::LinkLost;
            break;
        }
        platform::EventSlot& vector = nmea.reader().vectorEvent();
        if (!vector.exists()) {
            platform::sleepMs(kLivePollMs);  // an empty slot fails a wait at once
            continue;
        }
        if (!vector.wait(kLivePollMs))
            continue;
        line(nmeaPositionJson(nmea.reader().getPosition(), ""));
        const uint32_t count = nmea.reader().getSatellites(table);
        line(satellitesJson(table.entries.data(), count, ""));
    }
    nmea.disconnect();
    return end;
}

}  // namespace

LiveEnd runLive(const LiveOptions& options, const std::atomic<bool>& stop,
                std::function<void(const std::string&)> line,
                const std::function<void(const std::string&)>& note) {
    if (options.receiver == ReceiverKind::Nmea)
        return runLiveNmea(options, stop, line, note);
    receiver::GnssReceiver gnss;
    const std::string portName = platform::wideToAnsi(options.port);
    if (!gnss.openPort(options.port)) {
        note("cannot open " + portName);
        return LiveEnd::PortFailed;
    }
    if (!gnss.serialPort().setBaudRate(options.baudRate)) {
        note("cannot set " + portName + " to " + std::to_string(options.baudRate) + " baud");
        return LiveEnd::PortFailed;
    }
    attachJsonLines(gnss.reader(), {.publishOnGga = options.publishOnGga}, std::move(line));
    if (!gnss.startReader()) {
        note("cannot start the reader on " + portName);
        return LiveEnd::PortFailed;
    }
    // The reader's events exist a moment after its thread starts; a command before that would
    // fail without being heard.
    for (int i = 0; i < 100 && !gnss.reader().replyEvent().exists(); ++i) platform::sleepMs(10);
    note("reading " + portName + " at " + std::to_string(options.baudRate) + " baud");
    if (options.configure)
        configureLive(gnss, options, note);

    LiveEnd end = LiveEnd::Stopped;
    const uint32_t start = platform::Clock::tickCount();
    while (!stop.load()) {
        if (options.seconds != 0 && platform::ticksSince(start) >= options.seconds * 1000u) {
            end = LiveEnd::TimeUp;
            break;
        }
        if (!gnss.isConnected()) {
            note(portName + " went away");
            end = LiveEnd::LinkLost;
            break;
        }
        platform::sleepMs(kLivePollMs);
    }
    gnss.stopReader();
    gnss.closePort();
    return end;
}

std::string jsonString(std::string_view text) {
    return quoted(text);
}

std::string jsonNumber(double value) {
    return number(value);
}

std::string lineBytesOf(std::string_view capture) {
    std::string out;
    out.reserve(capture.size() + capture.size() / 32);
    size_t start = 0;
    bool header = true;
    while (start < capture.size()) {
        size_t end = capture.find('\n', start);
        const bool hasLineFeed = end != std::string_view::npos;
        if (!hasLineFeed)
            end = capture.size();
        std::string_view line = capture.substr(start, end - start);
        start = end + 1;
        if (header && !line.empty() && line.front() == '#')
            continue;
        header = false;
        out += line;
        if (!hasLineFeed)
            break;
        if (line.empty() || line.back() != '\r')
            out += '\r';
        out += '\n';
    }
    return out;
}

std::string positionJson(const receiver::PositionRecord& p, std::string_view source) {
    return positionFields(p).add("utc", utcText(p)).close(source);
}

std::string nmeaPositionJson(const receiver::PositionRecord& p, std::string_view source) {
    JsonObject object = positionFields(p);
    if (p.utcYear != 0)
        object.add("utc", isoUtcText(p));
    return object.close(source);
}

std::string satellitesJson(const receiver::SatelliteRecord* entries, uint32_t count,
                           std::string_view source) {
    std::string list = "[";
    for (uint32_t i = 0; i < count && i < receiver::kMaxSatellites; ++i) {
        const auto& s = entries[i];
        if (i > 0)
            list += ",";
        list +=
            "{\"prn\":" + std::to_string(s.prn) + ",\"elevation\":" + std::to_string(s.elevation) +
            ",\"azimuth\":" + std::to_string(s.azimuth) + ",\"snr1\":" + std::to_string(s.snr1) +
            ",\"snr2\":" + std::to_string(s.snr2) + ",\"used\":" + std::to_string(s.used) + "}";
    }
    return JsonObject("satellites")
        .add("count", int64_t{count})
        .add("satellites", list + "]")
        .close(source);
}

void attachJsonLines(receiver::ReceiverReader& reader, const ReplayOptions& options,
                     std::function<void(const std::string&)> line) {
    NavigationState& navigation = reader.navigation();
    navigation.setPublishPositionOnGga(options.publishOnGga);
    navigation.setPublishObserver(
        [&navigation, line = std::move(line)](NavigationState::Publication what,
                                              const receiver::Sentence& s) {
            if (what == NavigationState::Publication::Position) {
                line(positionJson(navigation.getPosition(), s.view()));
            } else {
                std::array<receiver::SatelliteRecord, receiver::kMaxSatellites> table;
                const uint32_t count = navigation.getSatellites(table);
                line(satellitesJson(table.data(), count, s.view()));
            }
        });
}

void replay(std::string bytes, const ReplayOptions& options,
            const std::function<void(const std::string&)>& line) {
    if (options.receiver == ReceiverKind::Nmea) {
        replayNmea(options.raw ? bytes : lineBytesOf(bytes), line);
        return;
    }
    receiver::MemoryByteSource source(options.raw ? std::move(bytes) : lineBytesOf(bytes));
    receiver::ReceiverReader reader(source);
    attachJsonLines(reader, options, line);
    reader.run();  // on this thread: the source ends when the bytes do
}

}  // namespace zentrix::replay
