#include "tools/replay/replay.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "receiver/byte_source.h"

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

// The shortest text that reads back as the same number.
std::string number(float value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : "0";
}

std::string number(double value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : "0";
}

class JsonObject {
public:
    explicit JsonObject(std::string_view type) { text_ = "{\"type\":\"" + std::string(type) + "\""; }
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
    std::snprintf(text, sizeof text, "\"%04u-%02u-%02uT%02u:%02u:%02u.%03u\"", p.utcYear, p.utcMonth,
                  p.utcDay, p.utcHour, p.utcMinute, p.utcSecond, p.utcMillisecond);
    return text;
}

}  // namespace

std::string lineBytesOf(std::string_view capture) {
    std::string out;
    out.reserve(capture.size() + capture.size() / 32);
    size_t start = 0;
    bool header = true;
    while (start < capture.size()) {
        size_t end = capture.find('\n', start);
        const bool hasLineFeed = end != std::string_view::npos;
        if (!hasLineFeed) end = capture.size();
        std::string_view line = capture.substr(start, end - start);
        start = end + 1;
        if (header && !line.empty() && line.front() == '#') continue;
        header = false;
        out += line;
        if (!hasLineFeed) break;
        if (line.empty() || line.back() != '\r') out += '\r';
        out += '\n';
    }
    return out;
}

std::string positionJson(const receiver::PositionRecord& p, std::string_view source) {
    return JsonObject("position")
        .add("latitude", p.latitude)
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
        .add("speedOverGround", p.speedOverGround)
        .add("utc", utcText(p))
        .close(source);
}

std::string satellitesJson(const receiver::SatelliteRecord* entries, uint32_t count,
                           std::string_view source) {
    std::string list = "[";
    for (uint32_t i = 0; i < count && i < receiver::kMaxSatellites; ++i) {
        const auto& s = entries[i];
        if (i > 0) list += ",";
        list += "{\"prn\":" + std::to_string(s.prn) + ",\"elevation\":" + std::to_string(s.elevation) +
                ",\"azimuth\":" + std::to_string(s.azimuth) + ",\"snr1\":" + std::to_string(s.snr1) +
                ",\"snr2\":" + std::to_string(s.snr2) + ",\"used\":" + std::to_string(s.used) + "}";
    }
    return JsonObject("satellites").add("count", int64_t{count}).add("satellites", list + "]").close(source);
}

void attachJsonLines(receiver::ReceiverReader& reader, const ReplayOptions& options,
                     std::function<void(const std::string&)> line) {
    NavigationState& navigation = reader.navigation();
    navigation.setPublishPositionOnGga(options.publishOnGga);
    navigation.setPublishObserver([&navigation, line = std::move(line)](
                                      NavigationState::Publication what, const receiver::Sentence& s) {
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
    receiver::MemoryByteSource source(options.raw ? std::move(bytes) : lineBytesOf(bytes));
    receiver::ReceiverReader reader(source);
    attachJsonLines(reader, options, line);
    reader.run();  // on this thread: the source ends when the bytes do
}

}  // namespace zentrix::replay
